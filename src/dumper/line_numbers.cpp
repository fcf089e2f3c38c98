// Line numbers of one method, read ahead of its listing. The table is sorted by pc because a
// compiler may write entries in any order; equal pcs keep their file order, so that of two entries
// for one pc the later is shown.
#include "line_numbers.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "bounded_reader.h"
#include "constant_pool.h"

void loadLineNumbers(int64_t attributePosition) {
  dump.lineTable.clear();
  if (!dump.lineNumbers) return;
  int64_t saved = dumpPosition();
  dumpSeek(attributePosition);
  dumpReadU4();  // attribute length
  dumpReadU2();  // max stack
  dumpReadU2();  // max locals
  dumpSkipBytes(dumpReadU4());
  dumpSkipBytes(int64_t{dumpReadU2()} * 8);
  uint32_t attributeCount = dumpReadU2();
  int64_t tablePosition = -1;
  for (uint32_t i = 0; i < attributeCount; i++) {
    uint32_t name = dumpReadU2();
    uint32_t length = dumpReadU4();
    if (isUtf8(name) && getUtf8(name) == "LineNumberTable") tablePosition = dumpPosition();
    dumpSkipBytes(length);
  }
  if (tablePosition >= 0) {
    dumpSeek(tablePosition);
    uint32_t count = dumpReadU2();
    try {
      dump.lineTable.reserve(count);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "No memory available\n");
      stopDump();
    }
    for (uint32_t i = 0; i < count; i++) {
      LineEntry entry;
      entry.pc = static_cast<int32_t>(dumpReadU2());
      entry.line = static_cast<int32_t>(dumpReadU2());
      dump.lineTable.push_back(entry);
      dump.smallestLine = std::min(dump.smallestLine, entry.line);
      dump.largestLine = std::max(dump.largestLine, entry.line);
    }
    if (count > 1) {
      std::stable_sort(dump.lineTable.begin(), dump.lineTable.end(),
                       [](const LineEntry& a, const LineEntry& b) { return comparePc(a, b) < 0; });
    }
  }
  dumpSeek(saved);
}

int32_t lineForPc(int64_t pc) {
  if (dump.lineTable.empty()) return 0;
  // The first entry whose pc is past `pc`; the one before it is the last at or before.
  auto after = std::upper_bound(dump.lineTable.begin(), dump.lineTable.end(), pc,
                                [](int64_t value, const LineEntry& entry) { return value < entry.pc; });
  if (after == dump.lineTable.begin()) return dump.lineTable.front().line;
  return (after - 1)->line;
}

int comparePc(const LineEntry& a, const LineEntry& b) {
  return a.pc < b.pc ? -1 : a.pc > b.pc ? 1 : 0;
}
