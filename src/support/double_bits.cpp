// The double's two 32-bit words, read from its bit pattern.
#include "support/double_bits.h"

#include <cstdint>
#include <cstring>

namespace {

struct Words {
  uint32_t low;
  uint32_t high;
};

Words wordsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return Words{static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)};
}

}  // namespace

bool doubleIsNaN(double value) {
  Words w = wordsOf(value);
  return (w.high & 0x7ff00000u) == 0x7ff00000u && (w.low != 0 || (w.high & 0x000fffffu) != 0);
}

bool doubleIsInfinite(double value) {
  Words w = wordsOf(value);
  return (w.high == 0x7ff00000u || w.high == 0xfff00000u) && w.low == 0;
}

bool doubleIsNonNegative(double value) {
  return !doubleIsNaN(value) && (wordsOf(value).high & 0x80000000u) == 0;
}

bool doubleIsNegative(double value) {
  return !doubleIsNaN(value) && (wordsOf(value).high & 0x80000000u) != 0;
}

bool doubleIsPositiveZero(double value) {
  Words w = wordsOf(value);
  return w.low == 0 && w.high == 0;
}

bool doubleIsOne(double value) {
  return !doubleIsInfinite(value) && !doubleIsNaN(value) && value == 1.0;
}

bool doubleIsTwo(double value) {
  return !doubleIsInfinite(value) && !doubleIsNaN(value) && value == 2.0;
}

bool doubleIsZero(double value) {
  return value == 0.0 || doubleIsPositiveZero(value) || doubleIsNegativeZero(value);
}

bool doubleIsNegativeZero(double value) {
  Words w = wordsOf(value);
  return w.high == 0x80000000u && w.low == 0;
}
