// A class file's bytes through the class-file reader: the file stands on the class path as p/C.class
// and a small source names it, so it is found, read and its references resolved.
#include "fuzz_support.h"

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  const std::string& dir = fuzzDirectory();
  static bool written;
  if (!written) {
    written = true;
    std::ofstream(dir + "/User.java") << "class User extends p.C { p.C c; p.C.Inner i; }\n";
  }
  writeInput(dir + "/classes/p/C.class", data, size);
  compileInProcess({"-nowrite", "-nomessage", "-J-Dtolvo.pipe.output=true", "-bootclasspath", dir + "/classes",
                    "-classpath", dir + "/classes", "-sourcepath", FUZZ_MINILIB, dir + "/User.java"});
  return 0;
}
