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

// Java's string conversion of float and double values, as the class library of JDK 17 writes it.
// Its digits are not always the shortest that read back: the digit loop below stops on strict
// comparisons where its numbers fit in 64 bits, but counts the upper end of the rounding interval
// in where they do not (1.4336E26, which reads back as another double); it halves the rounding
// interval of every power of two, writes at least two digits in the "d.dddEn" form, gives whole
// numbers below 2^63 their exact digits with only the digits below a quarter unit in the last
// place rounded away, and on 64 bits it computes with Java longs, whose wrap-around then decides
// the last digit. Checked against JDK 17 over all floats of several binades, random doubles and
// floats of every class, and the decimals that lie halfway between two doubles.

constexpr int32_t JAVA_DIGITS_MAX = 20;

// A decimal 0.d1d2...dn times 10^exponent, as characters.
struct JavaDecimal {
  char digits[JAVA_DIGITS_MAX + 1];
  int32_t count;
  int32_t exponent;
};

// The value f * 2^(binaryExponent - precision + 1), with f's highest bit at precision - 1.
struct BinaryValue {
  uint64_t significand;
  int32_t binaryExponent;
  int32_t precision;
  int32_t fractionBits;
};

int32_t bitLength(uint64_t value) {
  return value == 0 ? 0 : 64 - __builtin_clzll(value);
}

// An unsigned number wide enough for every double scaled by the digit loop (under 900 bits).
struct WideNumber {
  uint32_t words[40];
  int32_t length;
};

void wideSet(WideNumber* number, uint64_t value) {
  number->length = 0;
  for (; value != 0; value >>= 32) number->words[number->length++] = static_cast<uint32_t>(value);
}

void wideMultiply(WideNumber* number, uint32_t factor) {
  uint64_t carry = 0;
  for (int32_t i = 0; i < number->length; i++) {
    uint64_t product = static_cast<uint64_t>(number->words[i]) * factor + carry;
    number->words[i] = static_cast<uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) number->words[number->length++] = static_cast<uint32_t>(carry);
}

void wideMultiplyPower5(WideNumber* number, int32_t exponent) {
  for (; exponent >= 13; exponent -= 13) wideMultiply(number, 1220703125);  // 5^13
  uint32_t rest = 1;
  for (; exponent > 0; exponent--) rest *= 5;
  wideMultiply(number, rest);
}

void wideShiftLeft(WideNumber* number, int32_t shift) {
  if (number->length == 0) return;
  int32_t wordShift = shift / 32, bitShift = shift % 32;
  number->words[number->length] = 0;
  for (int32_t i = number->length; i >= 0; i--) {
    uint32_t high = number->words[i] << bitShift;
    uint32_t low = bitShift == 0 || i == 0 ? 0 : number->words[i - 1] >> (32 - bitShift);
    number->words[i + wordShift] = high | low;
  }
  for (int32_t i = 0; i < wordShift; i++) number->words[i] = 0;
  number->length += wordShift + 1;
  while (number->length > 0 && number->words[number->length - 1] == 0) number->length--;
}

int32_t wideCompare(const WideNumber* a, const WideNumber* b) {
  if (a->length != b->length) return a->length < b->length ? -1 : 1;
  for (int32_t i = a->length - 1; i >= 0; i--)
    if (a->words[i] != b->words[i]) return a->words[i] < b->words[i] ? -1 : 1;
  return 0;
}

void wideAdd(WideNumber* sum, const WideNumber* a, const WideNumber* b) {
  int32_t length = a->length > b->length ? a->length : b->length;
  uint64_t carry = 0;
  for (int32_t i = 0; i < length; i++) {
    carry += static_cast<uint64_t>(i < a->length ? a->words[i] : 0) + (i < b->length ? b->words[i] : 0);
    sum->words[i] = static_cast<uint32_t>(carry);
    carry >>= 32;
  }
  sum->length = length;
  if (carry != 0) sum->words[sum->length++] = 1;
}

// a - b, for a >= b.
void wideSubtract(WideNumber* a, const WideNumber* b) {
  int64_t borrow = 0;
  for (int32_t i = 0; i < a->length; i++) {
    int64_t difference = static_cast<int64_t>(a->words[i]) - (i < b->length ? b->words[i] : 0) - borrow;
    borrow = difference < 0 ? 1 : 0;
    a->words[i] = static_cast<uint32_t>(difference);
  }
  while (a->length > 0 && a->words[a->length - 1] == 0) a->length--;
}

// The loop's numbers: the rest of the value b, the scale s (one digit is b / s), the rounding
// interval m (half a unit in the last place, on either side), and tens, 10 * s.
struct WideDigits {
  WideNumber b, s, m, tens;

  int32_t nextDigit(bool* low, bool* high, bool /*firstStep*/) {
    int32_t digit = 0;
    while (wideCompare(&b, &s) >= 0) {
      wideSubtract(&b, &s);
      digit++;
    }
    wideMultiply(&b, 10);
    wideMultiply(&m, 10);
    WideNumber upper;
    wideAdd(&upper, &b, &m);
    *low = wideCompare(&b, &m) < 0;
    // Unlike the 64-bit loop, the upper end counts as inside.
    *high = wideCompare(&upper, &tens) >= 0;
    return digit;
  }
  // The sign of 2b - tens: whether the rest is above half the last digit.
  int32_t compareHalf() {
    WideNumber doubled = b;
    wideShiftLeft(&doubled, 1);
    return wideCompare(&doubled, &tens);
  }
};

// The same loop on Java longs, for numbers whose bits fit: sums and products wrap as in Java, and
// an interval that grew past the long range ends the loop.
struct LongDigits {
  uint64_t b, s, m, tens;

  int32_t nextDigit(bool* low, bool* high, bool firstStep) {
    int32_t digit = static_cast<int32_t>(b / s);
    b = 10 * (b % s);
    m *= 10;
    if (!firstStep && static_cast<int64_t>(m) <= 0) {
      *low = *high = true;
    } else {
      *low = static_cast<int64_t>(b) < static_cast<int64_t>(m);
      *high = static_cast<int64_t>(b + m) > static_cast<int64_t>(tens);
    }
    return digit;
  }
  int32_t compareHalf() {
    int64_t difference = static_cast<int64_t>((b << 1) - tens);
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
  }
};

bool isScientificForm(int32_t exponent) {
  return exponent < -2 || exponent >= 8;
}

void roundUpLastDigit(JavaDecimal* decimal) {
  int32_t i = decimal->count - 1;
  while (i >= 0 && decimal->digits[i] == '9') i--;
  if (i < 0) {
    decimal->digits[0] = '1';
    decimal->count = 1;
    decimal->exponent++;
    return;
  }
  decimal->digits[i]++;
  decimal->count = i + 1;
}

// Digits until the rest is inside the rounding interval below (low) or above (high); both: the
// nearer, a tie to the even digit. The first step's digit is 0 when the estimated exponent was
// one too high, and in the "d.dddEn" form the loop never stops after the first digit.
template <class Digits>
void generateDigits(Digits* loop, JavaDecimal* decimal) {
  bool low = false, high = false;
  int32_t digit = loop->nextDigit(&low, &high, true);
  if (digit == 0 && !high)
    decimal->exponent--;
  else
    decimal->digits[decimal->count++] = static_cast<char>('0' + digit);
  if (isScientificForm(decimal->exponent)) low = high = false;
  while (!low && !high && decimal->count < JAVA_DIGITS_MAX) {
    digit = loop->nextDigit(&low, &high, false);
    decimal->digits[decimal->count++] = static_cast<char>('0' + digit);
  }
  if (!high) return;
  int32_t half = low ? loop->compareHalf() : 1;
  if (half > 0 || (half == 0 && (decimal->digits[decimal->count - 1] - '0') % 2 != 0)) roundUpLastDigit(decimal);
}

// A whole number below 2^63 gets its own digits; the decimal places below a quarter of its unit
// in the last place (2^ulpExponent) are rounded away, half upwards.
void wholeNumberDigits(uint64_t value, int32_t ulpExponent, JavaDecimal* decimal) {
  uint64_t quarterUlp = ulpExponent >= 2 ? uint64_t{1} << (ulpExponent - 2) : 1;
  int32_t dropped = 0;
  uint64_t power = 1;
  for (; power * 10 <= quarterUlp; dropped++) power *= 10;
  uint64_t rest = value % power;
  value /= power;
  if (dropped > 0 && rest >= power / 2) value++;
  char reversed[20];
  int32_t length = 0;
  for (; value != 0; value /= 10) reversed[length++] = static_cast<char>('0' + value % 10);
  decimal->count = 0;
  for (int32_t i = length - 1; i >= 0; i--) decimal->digits[decimal->count++] = reversed[i];
  decimal->exponent = length + dropped;
  while (decimal->count > 1 && decimal->digits[decimal->count - 1] == '0') decimal->count--;
}

// floor(log10(value)) or one more: the tangent of log10 at 1.5 over the significand in [1, 2),
// which never lies below the curve.
int32_t estimateDecimalExponent(const BinaryValue& value) {
  uint64_t fraction = value.significand & ((uint64_t{1} << value.fractionBits) - 1);
  double mantissa = 1.0 + std::ldexp(static_cast<double>(fraction), -value.fractionBits);
  double estimate = (mantissa - 1.5) * 0.289529654 + 0.176091259 + value.binaryExponent * 0.301029995663981;
  return static_cast<int32_t>(std::floor(estimate));
}

// The decimal digits of a positive finite value: whole numbers below 2^63 exactly, others by the
// digit loop on b / s = value / 10^estimate, with the trailing zero bits of the significand
// dropped and the three numbers scaled by the smallest power of two that keeps them whole.
void javaDecimalDigits(const BinaryValue& value, JavaDecimal* decimal) {
  int32_t trailingZeros = __builtin_ctzll(value.significand);
  uint64_t odd = value.significand >> trailingZeros;
  int32_t oddBits = bitLength(odd);
  int32_t oddExponent = value.binaryExponent - oddBits + 1;  // value = odd * 2^oddExponent
  decimal->count = 0;
  if (value.binaryExponent <= 62 && oddExponent >= 0) {
    wholeNumberDigits(odd << oddExponent, value.binaryExponent - value.fractionBits, decimal);
    return;
  }
  int32_t estimate = estimateDecimalExponent(value);
  int32_t five = estimate < 0 ? -estimate : 0;           // b and m carry 5^five
  int32_t scaleFive = estimate > 0 ? estimate : 0;       // s carries 5^scaleFive
  int32_t bTwo = oddExponent - estimate;
  int32_t sTwo = 0;
  int32_t mTwo = value.binaryExponent - value.precision - estimate;  // half a unit in the last place
  if (oddBits == 1) mTwo--;
  int32_t lowest = bTwo < mTwo ? bTwo : mTwo;
  if (lowest > 0) lowest = 0;
  bTwo -= lowest;
  sTwo -= lowest;
  mTwo -= lowest;
  decimal->exponent = estimate + 1;
  WideNumber fivePower;
  wideSet(&fivePower, 1);
  wideMultiplyPower5(&fivePower, five);
  WideNumber scaleFivePower;
  wideSet(&scaleFivePower, 1);
  wideMultiplyPower5(&scaleFivePower, scaleFive + 1);
  int32_t fivePowerBits = fivePower.length == 0 ? 0 : 32 * (fivePower.length - 1) + bitLength(fivePower.words[fivePower.length - 1]);
  int32_t tensBits = sTwo + 1 + 32 * (scaleFivePower.length - 1) + bitLength(scaleFivePower.words[scaleFivePower.length - 1]);
  WideDigits wide;
  wideSet(&wide.b, odd);
  wideMultiplyPower5(&wide.b, five);
  wideShiftLeft(&wide.b, bTwo);
  wideSet(&wide.s, 1);
  wideMultiplyPower5(&wide.s, scaleFive);
  wideShiftLeft(&wide.s, sTwo);
  wide.m = fivePower;
  wideShiftLeft(&wide.m, mTwo);
  wide.tens = wide.s;
  wideMultiply(&wide.tens, 10);
  if (oddBits + bTwo + fivePowerBits < 64 && tensBits < 64) {
    auto low64 = [](const WideNumber& n) {
      return (n.length > 0 ? n.words[0] : 0) | (n.length > 1 ? static_cast<uint64_t>(n.words[1]) << 32 : 0);
    };
    LongDigits narrow{low64(wide.b), low64(wide.s), low64(wide.m), low64(wide.tens)};
    generateDigits(&narrow, decimal);
  } else {
    generateDigits(&wide, decimal);
  }
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
  BinaryValue binary;
  int32_t minimumExponent;
  if (isFloat) {
    float single = static_cast<float>(std::fabs(value));
    uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    binary.significand = bits & 0x007FFFFFu;
    binary.binaryExponent = static_cast<int32_t>(bits >> 23);
    binary.fractionBits = 23;
    minimumExponent = -126;
  } else {
    uint64_t bits = static_cast<uint64_t>(doubleBitsAsLong(std::fabs(value)));
    binary.significand = bits & 0x000FFFFFFFFFFFFFu;
    binary.binaryExponent = static_cast<int32_t>(bits >> 52);
    binary.fractionBits = 52;
    minimumExponent = -1022;
  }
  if (binary.binaryExponent != 0) {
    binary.significand |= uint64_t{1} << binary.fractionBits;
    binary.binaryExponent += minimumExponent - 1;
    binary.precision = binary.fractionBits + 1;
  } else {
    // A subnormal: its highest bit moved to the place of the hidden one, with fewer bits of
    // precision.
    binary.precision = bitLength(binary.significand);
    binary.significand <<= binary.fractionBits + 1 - binary.precision;
    binary.binaryExponent = minimumExponent - (binary.fractionBits + 1 - binary.precision);
  }
  JavaDecimal decimal;
  javaDecimalDigits(binary, &decimal);
  const char* digits = decimal.digits;
  int32_t count = decimal.count;
  int32_t exponent = decimal.exponent - 1;  // value = d.ddd * 10^exponent
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
