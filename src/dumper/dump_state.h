// The dumper's whole state: the options, the error flag that decides the exit status, the file being
// dumped with its read cursor, and the tables the printers build for that file. One file is dumped at
// a time; everything but the options and the error flag is reset for each.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One (pc, line) pair of a method's LineNumberTable.
struct LineEntry {
  int32_t pc;
  int32_t line;
};

// No line seen yet: any real line number lowers `smallestLine`.
constexpr int32_t NO_SMALLEST_LINE = 0x0FFFFFFF;

struct DumpState {
  // Options.
  bool declarationsOnly = false;  // -decl
  bool showConstantPool = false;  // -const
  bool lineNumbers = false;       // -l
  bool showSource = false;        // -s
  bool debug = false;             // -debug: accepted, read by nothing

  // Set by any failure on any file; the exit status is 1 when set.
  bool errorFlag = false;

  // The whole file in memory, and the position of the next byte to read. Positions are 64-bit so
  // that no length taken from the file can wrap a bounds test.
  std::unique_ptr<uint8_t[]> buffer;
  int64_t length = 0;
  int64_t cursor = 0;

  // File position of the tag byte of every constant; entry 0 and the second slot of a Long or
  // Double stay 0. Its size is the constant-pool count.
  std::vector<int64_t> poolIndex;

  // The current method's line numbers, sorted by pc (filled only with -l).
  std::vector<LineEntry> lineTable;

  // For -s: the SourceFile name of this file and the range of lines its code refers to.
  bool hasSourceFile = false;
  std::string sourceFileName;
  int32_t smallestLine = NO_SMALLEST_LINE;
  int32_t largestLine = 0;

  // An InnerClasses entry named by an empty Utf8 instead of index 0 was met in this file.
  bool innerClassesProblem = false;

  // A host that dumps many files in one process sets this: a stop then throws DumpStop in place
  // of ending the process.
  bool stopThrows = false;
};

struct DumpStop {};

extern DumpState dump;

// Clears everything that belongs to one file, before the next is read.
void resetFileState();
// Ends the program with status 1 after a read past the end or a failed allocation.
[[noreturn]] void stopDump();
