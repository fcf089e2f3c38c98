// The one instance of the dumper's state, and its reset between files.
#include "dump_state.h"

#include <cstdio>
#include <cstdlib>

DumpState dump;

void resetFileState() {
  dump.buffer.reset();
  dump.length = 0;
  dump.cursor = 0;
  dump.poolIndex.clear();
  dump.lineTable.clear();
  dump.hasSourceFile = false;
  dump.sourceFileName.clear();
  dump.smallestLine = NO_SMALLEST_LINE;
  dump.largestLine = 0;
  dump.innerClassesProblem = false;
}

void stopDump() {
  if (dump.stopThrows) throw DumpStop{};
  std::exit(1);
}
