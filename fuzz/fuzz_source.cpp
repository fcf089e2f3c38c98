// Source bytes through the whole compile of a single source file: the scanner, the declaration
// parser, the class environment, the parse and attribution of every body and, when those pass,
// flow analysis, bytecode and the class-file writer. Its java.lang is a small one parsed from
// source; the class files go to a scratch directory on a memory file system, emptied after every
// input so that no input sees another's classes and the disk never fills.
#include <filesystem>
#include <system_error>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  const std::string& dir = fuzzDirectory();
  const std::string out = dir + "/out";
  writeInput(dir + "/A.java", data, size);
  std::filesystem::create_directories(out);
  compileInProcess({"-d", out, "-nomessage", "-J-Dtolvo.pipe.output=true", "-bootclasspath", dir + "/classes",
                    "-classpath", dir + "/classes", "-sourcepath", FUZZ_MINILIB, dir + "/A.java"});
  std::error_code ignored;
  std::filesystem::remove_all(out, ignored);
  return 0;
}
