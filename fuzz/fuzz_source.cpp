// Source bytes through the scanner, the declaration parser and the class environment: one compile
// with -nowrite of a single source file, its java.lang a small one parsed from source.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  const std::string& dir = fuzzDirectory();
  writeInput(dir + "/A.java", data, size);
  compileInProcess({"-nowrite", "-nomessage", "-J-Dtolvo.pipe.output=true", "-bootclasspath", dir + "/classes",
                    "-classpath", dir + "/classes", "-sourcepath", FUZZ_MINILIB, dir + "/A.java"});
  return 0;
}
