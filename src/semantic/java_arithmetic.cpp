// Java arithmetic on the host's IEEE doubles and two's-complement integers. Narrowing decides NaN
// and the ranges before converting, since the host's conversion of an out-of-range value is undefined.
#include "semantic/java_arithmetic.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "semantic/type_records.h"
#include "support/diagnostics.h"
#include "syntax/scanner.h"

int64_t normalizeIntegral(int32_t kind, int64_t value) {
  switch (kind) {
    case TK_BOOLEAN: return value != 0 ? 1 : 0;
    case TK_CHAR: return static_cast<uint16_t>(value);
    case TK_BYTE: return static_cast<int8_t>(value);
    case TK_SHORT: return static_cast<int16_t>(value);
    case TK_INT: return static_cast<int32_t>(value);
    default: return value;
  }
}

int32_t compareLong(const int64_t* a, const int64_t* b) {
  return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

int64_t makeLong(int32_t high, uint32_t low) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | low);
}

int32_t longHighWord(int64_t value) {
  return static_cast<int32_t>(static_cast<uint64_t>(value) >> 32);
}

uint32_t longLowWord(int64_t value) {
  return static_cast<uint32_t>(value);
}

int64_t doubleBitsAsLong(double value) {
  int64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double longBitsAsDouble(int64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double doubleFromWords(int32_t high, uint32_t low) {
  return longBitsAsDouble(makeLong(high, low));
}

double longToDouble(int64_t value) {
  return static_cast<double>(value);
}

double longToFloat(int64_t value) {
  // Through a double only where the double holds the value exactly, so that it is rounded once.
  // Wider magnitudes keep 53 bits with the bits shifted out folded into the lowest one (sticky):
  // that double rounds to the same float as the integer itself, and scaling it back is exact.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  int32_t shift = 0;
  while ((magnitude >> shift) >= (uint64_t{1} << 53)) shift++;
  uint64_t kept = magnitude >> shift;
  if (shift > 0 && (magnitude & ((uint64_t{1} << shift) - 1)) != 0) kept |= 1;
  double exact = std::ldexp(static_cast<double>(kept), shift);
  return doubleToFloat(value < 0 ? -exact : exact);
}

int64_t doubleToLong(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

int64_t floatToLong(double value) {
  return doubleToLong(value);
}

int32_t doubleToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int32_t floatToInt(double value) {
  return doubleToInt(value);
}

double doubleToFloat(double value) {
  // A double beyond the float range has no float to convert to in C++: the magnitudes that round
  // to the largest float and those that overflow are told apart first. The midpoint between the
  // largest float (2^128 - 2^104) and 2^128 rounds to even, that is to the infinity. Within the
  // range the host rounds to nearest even and underflows to the zero of the value's sign, as d2f.
  constexpr double largestFloat = 0x1.fffffep+127;
  constexpr double overflowMidpoint = 0x1.ffffffp+127;  // 2^128 - 2^103
  if (std::isnan(value)) return value;
  double magnitude = std::fabs(value);
  if (magnitude > largestFloat) {
    double rounded = magnitude >= overflowMidpoint ? std::numeric_limits<double>::infinity() : largestFloat;
    return std::signbit(value) ? -rounded : rounded;
  }
  return static_cast<double>(static_cast<float>(value));
}

void storeDoubleAsFloat(double value, float* destination) {
  *destination = static_cast<float>(doubleToFloat(value));
}

namespace {

// The significant digits and the decimal exponent of `text`, a scientific form as to_chars
// writes it ("d.ddde+XX").
int32_t readScientific(const char* text, const char* end, char* digits, int32_t* exponent) {
  int32_t count = 0;
  const char* p = text;
  for (; p != end && *p != 'e'; p++)
    if (*p >= '0' && *p <= '9') digits[count++] = *p;
  int32_t e = 0;
  if (p != end) std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, e);
  *exponent = e;
  while (count > 1 && digits[count - 1] == '0') count--;
  return count;
}

template <class Floating>
int32_t decimalDigits(Floating magnitude, char* digits, int32_t* exponent) {
  char text[64];
  auto written = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
  int32_t count = readScientific(text, written.ptr, digits, exponent);
  if (count != 1) return count;
  // Of the decimals that read back as the value, Java takes the closest one of at most two
  // digits when one digit would do (the smallest double is 4.9E-324, not 5.0E-324).
  auto two = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 1);
  Floating back = 0;
  std::from_chars(text, two.ptr, back);
  if (back == magnitude) count = readScientific(text, two.ptr, digits, exponent);
  return count;
}

}  // namespace

int32_t javaFloatingToString(double value, bool isFloat, char* buffer) {
  // A float's value is taken through d2f, so that even a double beyond the float range converts.
  if (isFloat) value = doubleToFloat(value);
  const char* fixed = nullptr;
  if (std::isnan(value))
    fixed = "NaN";
  else if (std::isinf(value))
    fixed = value > 0 ? "Infinity" : "-Infinity";
  else if (value == 0)
    fixed = std::signbit(value) ? "-0.0" : "0.0";
  if (fixed != nullptr) {
    std::strcpy(buffer, fixed);
    return static_cast<int32_t>(std::strlen(fixed));
  }
  char digits[32];
  int32_t exponent = 0;
  double magnitude = std::fabs(value);
  int32_t count = isFloat ? decimalDigits(static_cast<float>(magnitude), digits, &exponent)
                          : decimalDigits(magnitude, digits, &exponent);
  char* out = buffer;
  if (std::signbit(value)) *out++ = '-';
  if (exponent >= -3 && exponent < 7) {
    if (exponent < 0) {
      *out++ = '0';
      *out++ = '.';
      for (int32_t i = -1; i > exponent; i--) *out++ = '0';
      for (int32_t i = 0; i < count; i++) *out++ = digits[i];
    } else {
      for (int32_t i = 0; i <= exponent; i++) *out++ = i < count ? digits[i] : '0';
      *out++ = '.';
      if (count <= exponent + 1) *out++ = '0';
      for (int32_t i = exponent + 1; i < count; i++) *out++ = digits[i];
    }
  } else {
    *out++ = digits[0];
    *out++ = '.';
    if (count == 1) *out++ = '0';
    for (int32_t i = 1; i < count; i++) *out++ = digits[i];
    *out++ = 'E';
    auto written = std::to_chars(out, out + 8, exponent);
    out = written.ptr;
  }
  *out = '\0';
  return static_cast<int32_t>(out - buffer);
}

double floatBitsToDouble(uint32_t bits) {
  if ((bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0) return specialDouble("nan");
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return static_cast<double>(value);
}

double specialDouble(const char* name) {
  switch (name[0]) {
    case '+':
      return name[1] == '0' ? 0.0 : std::numeric_limits<double>::infinity();
    case '-':
      return name[1] == '0' ? -0.0 : -std::numeric_limits<double>::infinity();
    case 'n':
      return longBitsAsDouble(0x7FFFFFFFFFFFFFFF);
    default:
      return 0.0;
  }
}

void scanIntegerDigits(const uint16_t* digits, int32_t count, int64_t* destination, int32_t radix) {
  const Token& current = token();
  uint64_t value = 0;
  bool badDigit = false;
  constexpr uint64_t signBit = 0x8000000000000000u;
  for (int32_t i = 0; i < count; i++) {
    uint16_t c = digits[i];
    uint32_t d = c <= '9' ? c - '0' : (c | 0x20) - 87;
    // Octal and hexadecimal literals may use all 64 bits; one more digit would push bits out.
    if ((radix == 8 && (value >> 61) != 0) || (radix == 16 && (value >> 60) != 0)) {
      errorAt(current.line, current.column, "numeric.long.ovfl");
      break;
    }
    if (radix == 10) {
      // Decimal literals reach 2^63 at most, and only after a minus; no digit follows that value.
      uint64_t next = value * 10 + d;
      if (value > signBit / 10 || next > signBit || (next == signBit && current.kind != T_MINUS)) {
        errorAt(current.line, current.column, "numeric.long.ovfl");
        break;
      }
      value = next;
    } else {
      value = value * radix + d;
    }
    if (d >= static_cast<uint32_t>(radix)) badDigit = true;
  }
  *destination = static_cast<int64_t>(value);
  if (!badDigit) return;
  if (radix == 8)
    errorAt(current.line, current.column, "invalid.oct.number");
  else if (radix == 10)
    errorAt(current.line, current.column, "invalid.dec.number");
  else
    errorAt(current.line, current.column, "invalid.hex.number");
}
