// Option parsing and the per-file loop. A file is read whole into memory before anything is printed
// from it, so that every later read is a bounds-checked look into that buffer.
#include "dump_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "class_printer.h"
#include "dump_state.h"
#include "regular_file.h"

namespace {

[[noreturn]] void usage() {
  std::printf(
      "Use is: gorblet [ options ] file ...\n"
      "Options are:\n"
      "\t-const\t\tShow constant pool\n"
      "\t-decl\t\tShow declarations only\n"
      "\t-l\t\tShow source line numbers with the code\n"
      "\t-s\t\tShow source file with the -l output\n");
  std::exit(1);
}

// The dumper's positions are 64-bit, but no class file is this large (the compiler reads none
// larger either): a longer file is refused before anything is read or allocated for it.
constexpr int64_t MAX_DUMP_FILE_SIZE = int64_t{64} << 20;

// Fills the buffer with the file's bytes, or prints why it cannot and returns false.
bool readWholeFile(const char* name) {
  // Only a regular file is a class file: a directory opens for reading on some hosts and then
  // fails or reports a meaningless length, a FIFO blocks and a device never ends.
  int64_t length = -1;
  std::FILE* file = openRegularFile(name, &length);
  if (file == nullptr) {
    std::printf("Couldn't open '%s'\n", name);
    return false;
  }
  if (length > MAX_DUMP_FILE_SIZE) {
    std::printf("File '%s' is larger than a class file can be\n", name);
    std::fclose(file);
    return false;
  }
  // One byte more than needed, so that an empty file still gets a buffer to point at.
  dump.buffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(length) + 1]);
  if (!dump.buffer) {
    std::printf("Out of memory trying to read '%s'\n", name);
    std::fclose(file);
    return false;
  }
  size_t got = std::fread(dump.buffer.get(), 1, static_cast<size_t>(length), file);
  std::fclose(file);
  if (got < static_cast<size_t>(length)) {
    std::printf("Couldn't read file '%s'\n", name);
    dump.buffer.reset();
    return false;
  }
  dump.length = length;
  return true;
}

}  // namespace

void dumpFile(const char* name) {
  resetFileState();
  if (!readWholeFile(name)) {
    dump.errorFlag = true;
    return;
  }
  std::printf("%s:\n", name);
  dump.cursor = 0;
  printClassFile();
  if (dump.innerClassesProblem) {
    std::printf("WARNING: File %s has InnerClasses attribute bug \"\" vs. 0 name\n", name);
  }
  resetFileState();
}

int dumpMain(int argc, char** argv) {
  if (argc < 2) usage();
  int next = 1;
  // Options come first: the first argument that is not one starts the file names.
  for (; next < argc && argv[next][0] == '-'; next++) {
    const char* option = argv[next];
    if (std::strcmp(option, "-decl") == 0) {
      dump.declarationsOnly = true;
    } else if (std::strcmp(option, "-const") == 0) {
      dump.showConstantPool = true;
    } else if (std::strcmp(option, "-s") == 0) {
      dump.showSource = true;
      dump.lineNumbers = true;
    } else if (std::strcmp(option, "-l") == 0) {
      dump.lineNumbers = true;
    } else if (std::strcmp(option, "-debug") == 0) {
      dump.debug = true;
    } else {
      std::printf("Unknown option: %s\n", option);
      usage();
    }
  }
  dump.errorFlag = false;
  for (; next < argc; next++) dumpFile(argv[next]);
  return dump.errorFlag ? 1 : 0;
}
