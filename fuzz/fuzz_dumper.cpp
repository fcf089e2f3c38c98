// A class file's bytes through the dumper's printer and disassembler, with -const and -l chosen by
// the input's length, so that mutations reach all four combinations at the cost of one dump. A
// read past the end stops the dump by throwing.
#include "fuzz_support.h"

#include "dump_driver.h"
#include "dump_state.h"

namespace {

void dumpWith(const std::string& path, bool constants, bool lines) {
  dump.showConstantPool = constants;
  dump.lineNumbers = lines;
  try {
    dumpFile(path.c_str());
  } catch (const DumpStop&) {
  }
  resetFileState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInitialize();
  dump.stopThrows = true;
  std::string path = fuzzDirectory() + "/C.class";
  writeInput(path, data, size);
  dumpWith(path, (size & 1) != 0, (size & 2) != 0);
  return 0;
}
