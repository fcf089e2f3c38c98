// A class file's bytes through the dumper's printer and disassembler, once plainly and once with
// the constant pool and line numbers (-const -l). A read past the end stops the dump by throwing.
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
  dumpWith(path, false, false);
  dumpWith(path, true, true);
  return 0;
}
