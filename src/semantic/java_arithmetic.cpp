// Java arithmetic on the host's IEEE doubles and two's-complement integers. Narrowing decides NaN
// and the ranges before converting, since the host's conversion of an out-of-range value is undefined.
#include "semantic/java_arithmetic.h"

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
  // The host's double-to-float conversion rounds to nearest even and overflows to the infinity
  // and underflows to the zero of the value's sign, as Java's d2f does.
  return static_cast<double>(static_cast<float>(value));
}

void storeDoubleAsFloat(double value, float* destination) {
  *destination = static_cast<float>(doubleToFloat(value));
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
  const Token* token = currentToken();
  uint64_t value = 0;
  bool badDigit = false;
  constexpr uint64_t signBit = 0x8000000000000000u;
  for (int32_t i = 0; i < count; i++) {
    uint16_t c = digits[i];
    uint32_t d = c <= '9' ? c - '0' : (c | 0x20) - 87;
    // Octal and hexadecimal literals may use all 64 bits; one more digit would push bits out.
    if ((radix == 8 && (value >> 61) != 0) || (radix == 16 && (value >> 60) != 0)) {
      errorAt(token->line, token->column, "numeric.long.ovfl");
      break;
    }
    if (radix == 10) {
      // Decimal literals reach 2^63 at most, and only after a minus; no digit follows that value.
      uint64_t next = value * 10 + d;
      if (value > signBit / 10 || next > signBit || (next == signBit && token->kind != T_MINUS)) {
        errorAt(token->line, token->column, "numeric.long.ovfl");
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
    errorAt(token->line, token->column, "invalid.oct.number");
  else if (radix == 10)
    errorAt(token->line, token->column, "invalid.dec.number");
  else
    errorAt(token->line, token->column, "invalid.hex.number");
}
