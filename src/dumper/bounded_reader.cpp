// Bounds-checked big-endian readers over the file buffer. A failed check stops at once: the rest of
// the file cannot be walked once a length or count has pointed outside it.
#include "bounded_reader.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "dump_state.h"

// Returns the position of `size` readable bytes at the cursor and moves the cursor past them.
static int64_t take(int64_t size) {
  int64_t position = dump.cursor;
  if (position < 0 || position > dump.length - size) {
    std::printf("Read %" PRId64 " past buffer %" PRId64 " buffer length %" PRId64 "\n", size, position,
                dump.length);
    stopDump();
  }
  dump.cursor = position + size;
  return position;
}

uint32_t dumpReadU1() {
  return dump.buffer[take(1)];
}

uint32_t dumpReadU2() {
  const uint8_t* p = &dump.buffer[take(2)];
  return (uint32_t{p[0]} << 8) | p[1];
}

int32_t dumpReadS2() {
  return static_cast<int16_t>(dumpReadU2());
}

uint32_t dumpReadU4() {
  const uint8_t* p = &dump.buffer[take(4)];
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int32_t dumpReadS4() {
  return static_cast<int32_t>(dumpReadU4());
}

int64_t dumpReadLong() {
  uint64_t high = dumpReadU4();
  uint64_t low = dumpReadU4();
  return static_cast<int64_t>((high << 32) | low);
}

double dumpReadDouble() {
  uint64_t bits = static_cast<uint64_t>(dumpReadLong());
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void dumpSkipBytes(int64_t n) {
  int64_t position = dump.cursor;
  if (n < 0 || position < 0 || position > dump.length - n) {
    std::printf("Skip %" PRId64 " past buffer %" PRId64 " buffer length %" PRId64 "\n", n, position,
                dump.length);
    stopDump();
  }
  dump.cursor = position + n;
}

int64_t dumpPosition() {
  return dump.cursor;
}

void dumpSeek(int64_t position) {
  dump.cursor = position;
}
