// Source bytes through the scanner, the declaration parser, the class environment and, when the
// declarations pass, the parse and attribution of every body: one compile of a single source file
// into a scratch directory, its java.lang a small one parsed from source.
#include <filesystem>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  const std::string& dir = fuzzDirectory();
  writeInput(dir + "/A.java", data, size);
  std::filesystem::create_directories(dir + "/out");
  compileInProcess({"-d", dir + "/out", "-nomessage", "-J-Dtolvo.pipe.output=true", "-bootclasspath", dir + "/classes",
                    "-classpath", dir + "/classes", "-sourcepath", FUZZ_MINILIB, dir + "/A.java"});
  return 0;
}
