// Java's integer and floating arithmetic: literal digits, narrowing and float rounding.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "semantic/java_arithmetic.h"
#include "support/global.h"
#include "support/message_file.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace {

class JavaArithmeticTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    // An empty message table: each diagnostic prints as its key.
    initMessageTable(1);
    sortMessages();
  }
};

struct DigitsCase {
  const char* digits;
  int32_t radix;
  bool afterMinus;
  uint64_t value;
  const char* error;
};

TEST_F(JavaArithmeticTest, ScanIntegerDigits) {
  const DigitsCase cases[] = {
      {"9223372036854775807", 10, false, 0x7FFFFFFFFFFFFFFFu, ""},
      {"9223372036854775808", 10, false, 922337203685477580u, "numeric.long.ovfl"},
      {"9223372036854775808", 10, true, 0x8000000000000000u, ""},
      {"92233720368547758080", 10, true, 0x8000000000000000u, "numeric.long.ovfl"},
      {"18446744073709551615", 10, false, 1844674407370955161u, "numeric.long.ovfl"},
      {"25000000000000000000", 10, false, 2500000000000000000u, "numeric.long.ovfl"},
      {"ffffffffffffffff", 16, false, 0xFFFFFFFFFFFFFFFFu, ""},
      {"1ffffffffffffffff", 16, false, 0x1FFFFFFFFFFFFFFFu, "numeric.long.ovfl"},
      {"01777777777777777777777", 8, false, 0xFFFFFFFFFFFFFFFFu, ""},
      {"02000000000000000000000", 8, false, 0x2000000000000000u, "numeric.long.ovfl"},
      {"08", 8, false, 8, "invalid.oct.number"},
      {"0", 8, false, 0, ""},
      {"7fFF", 16, false, 0x7FFF, ""},
  };
  Token* token = currentToken();
  for (const DigitsCase& c : cases) {
    std::u16string digits(c.digits, c.digits + std::strlen(c.digits));
    token->kind = c.afterMinus ? T_MINUS : T_ASSIGN;
    token->line = 1;
    int64_t value = 0;
    testing::internal::CaptureStderr();
    scanIntegerDigits(reinterpret_cast<const uint16_t*>(digits.data()), static_cast<int32_t>(digits.size()), &value,
                      c.radix);
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(static_cast<uint64_t>(value), c.value) << c.digits;
    EXPECT_EQ(printed, *c.error ? "quorvelix: " + std::string(c.error) + "\n" : "") << c.digits;
  }
}

TEST(JavaArithmetic, LongHelpers) {
  const int64_t a = static_cast<int64_t>(0xFFFFFFFF00000000u), b = 0x0000000100000000;
  EXPECT_EQ(compareLong(&a, &b), -1);
  const int64_t c = 0x00000000FFFFFFFF, d = 1;
  EXPECT_EQ(compareLong(&c, &d), 1);
  EXPECT_EQ(compareLong(&d, &d), 0);
  EXPECT_EQ(makeLong(-1, 0xFFFFFFFFu), -1);
  EXPECT_EQ(longHighWord(static_cast<int64_t>(0x8000000000000000u)), INT32_MIN);
  EXPECT_EQ(longLowWord(0x12345678ABCDEF01), 0xABCDEF01u);
  EXPECT_EQ(doubleBitsAsLong(doubleFromWords(0x3FF00000, 0)), doubleBitsAsLong(1.0));
  EXPECT_EQ(longToDouble(9007199254740993), 9007199254740992.0);  // ties to even
}

TEST(JavaArithmetic, Narrowing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct IntCase {
    double value;
    int32_t expected;
  } ints[] = {{-2147483647.5, -2147483647}, {3e9, INT32_MAX}, {-3e9, INT32_MIN}, {nan, 0},
              {inf, INT32_MAX},             {-inf, INT32_MIN}, {-0.9, 0},         {2147483647.0, INT32_MAX}};
  for (const IntCase& c : ints) EXPECT_EQ(doubleToInt(c.value), c.expected) << c.value;
  struct LongCase {
    double value;
    int64_t expected;
  } longs[] = {{1e19, INT64_MAX}, {-1e19, INT64_MIN}, {nan, 0}, {-inf, INT64_MIN}, {123.9, 123}};
  for (const LongCase& c : longs) EXPECT_EQ(doubleToLong(c.value), c.expected) << c.value;
  EXPECT_EQ(floatToInt(1.5), 1);
  EXPECT_EQ(floatToLong(-1.5), -1);
}

uint64_t bits(double value) {
  return static_cast<uint64_t>(doubleBitsAsLong(value));
}

TEST(JavaArithmetic, DoubleToFloatRoundsOnce) {
  EXPECT_TRUE(std::isinf(doubleToFloat(1e39)));
  EXPECT_EQ(bits(doubleToFloat(1e-46)), bits(0.0));
  EXPECT_EQ(bits(doubleToFloat(-1e-46)), bits(-0.0));
  EXPECT_EQ(doubleToFloat(1e-45), 1.401298464324817e-45);
  EXPECT_EQ(doubleToFloat(3.4028235e38), 3.4028234663852886e38);
  EXPECT_TRUE(std::isnan(doubleToFloat(std::numeric_limits<double>::quiet_NaN())));
  float stored = 0;
  storeDoubleAsFloat(0.1, &stored);
  EXPECT_EQ(stored, 0.1f);
}

TEST(JavaArithmetic, FloatBitsAndSpecials) {
  EXPECT_EQ(bits(floatBitsToDouble(0x7FC00000)), 0x7FFFFFFFFFFFFFFFu);
  EXPECT_EQ(bits(floatBitsToDouble(0x80000000)), bits(-0.0));
  EXPECT_EQ(floatBitsToDouble(0x7F800000), std::numeric_limits<double>::infinity());
  EXPECT_EQ(floatBitsToDouble(0x3F800001), 1.00000011920928955078125);
  EXPECT_EQ(bits(specialDouble("nan")), 0x7FFFFFFFFFFFFFFFu);
  EXPECT_EQ(bits(specialDouble("-0")), bits(-0.0));
  EXPECT_EQ(specialDouble("-inf"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(specialDouble("+x"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(bits(specialDouble("?")), bits(0.0));
}

TEST(JavaArithmetic, FloatRangeEdgesAreDecidedBeforeConverting) {
  // The largest float, the doubles between it and the midpoint to 2^128 (which round down to it),
  // and the midpoint itself (which rounds to even: the infinity).
  const double largest = 0x1.fffffep+127;
  EXPECT_EQ(doubleToFloat(0x1.fffffefp+127), largest);
  EXPECT_EQ(doubleToFloat(-0x1.ffffffp+127 + 0x1p+75), -largest);
  EXPECT_EQ(doubleToFloat(0x1.ffffffp+127), std::numeric_limits<double>::infinity());
  EXPECT_EQ(doubleToFloat(-0x1.ffffffp+127), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(doubleToFloat(1e300), std::numeric_limits<double>::infinity());
}

TEST(JavaArithmetic, LongToFloatRoundsOnce) {
  struct Case {
    int64_t value;
    uint32_t bits;
  } cases[] = {
      {9007199791611905LL, 0x5A000001},  // through a double it would round twice, to 0x5A000000
      {-9007199791611905LL, 0xDA000001},
      {16777217, 0x4B800000},            // a tie, to even
      {16777219, 0x4B800002},            // a tie, to even (upwards)
      {INT64_MAX, 0x5F000000},
      {INT64_MIN, 0xDF000000},
      {0, 0x00000000},
      {-1, 0xBF800000},
      {0x7FFFFFC000000001LL, 0x5F000000},  // the bits shifted out decide: above the midpoint below 2^63
      {0x7FFFFFC000000000LL, 0x5F000000},  // the midpoint, to even
      {0x7FFFFFBFFFFFFFFFLL, 0x5EFFFFFF},  // below it
      {-0x7FFFFFC000000001LL, 0xDF000000},
  };
  for (const Case& c : cases) {
    float f = static_cast<float>(longToFloat(c.value));
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    EXPECT_EQ(b, c.bits) << c.value;
  }
}

TEST(JavaArithmetic, FloatingStringConversion) {
  struct Case {
    double value;
    bool isFloat;
    const char* text;
  } cases[] = {
      {1.0, false, "1.0"},
      {-1.5, false, "-1.5"},
      {0.0, false, "0.0"},
      {-0.0, false, "-0.0"},
      {100.0, false, "100.0"},
      {1234567.0, false, "1234567.0"},
      {9999999.0, false, "9999999.0"},
      {1e7, false, "1.0E7"},
      {12345678.9, false, "1.23456789E7"},
      {0.001, false, "0.001"},
      {0.00123, false, "0.00123"},
      {9.99e-4, false, "9.99E-4"},
      {1e-10, false, "1.0E-10"},
      {1e21, false, "1.0E21"},
      {0.1 + 0.2, false, "0.30000000000000004"},
      {4.9e-324, false, "4.9E-324"},
      {1.7976931348623157e308, false, "1.7976931348623157E308"},
      {2e-323, false, "2.0E-323"},
      {std::numeric_limits<double>::infinity(), false, "Infinity"},
      {-std::numeric_limits<double>::infinity(), false, "-Infinity"},
      {std::numeric_limits<double>::quiet_NaN(), false, "NaN"},
      {static_cast<double>(0.1f), true, "0.1"},
      {static_cast<double>(0.1f), false, "0.10000000149011612"},
      {static_cast<double>(1.0f / 3.0f), true, "0.33333334"},
      {static_cast<double>(16777216.0f), true, "1.6777216E7"},
      {static_cast<double>(3.4028235e38f), true, "3.4028235E38"},
      {1.401298464324817e-45, true, "1.4E-45"},
      {1e39, true, "Infinity"},
      {-0.0, true, "-0.0"},
  };
  for (const Case& c : cases) {
    char text[32];
    int32_t length = javaFloatingToString(c.value, c.isFloat, text);
    EXPECT_EQ(std::string(text, length), c.text) << c.value;
    EXPECT_EQ(text[length], '\0');
  }
}

// Strings of the class library of JDK 17, which are not always the shortest that read back: the
// exact digits of whole numbers below 2^63 to a quarter unit in the last place, a last digit of
// the digit loop's 64-bit arithmetic, the upper end of the rounding interval counted in for
// large doubles (1.6384E27 and 1.4336E26 do not read back), a second digit where one would do.
TEST(JavaArithmetic, FloatingStringConversionAsTheClassLibrary) {
  struct DoubleCase {
    uint64_t bits;
    const char* text;
  } doubles[] = {
      {0x44b52d02c7e14af6ULL, "9.999999999999999E22"},   // 1e23
      {0x447c7e83209e90b2ULL, "8.409999999999999E21"},   // 8.41E21
      {0x438f67ea69ed3795ULL, "2.82879384806159008E17"},
      {0x43b340e8548b0adbULL, "1.38736413503775411E18"},
      {0x43b0000000002bb9ULL, "1.15292150460971238E18"},
      {0x43b000000bdda3fdULL, "1.1529215555699991E18"},
      {0x437000000003154fULL, "7.2057594041160944E16"},
      {0x45952d02c7e14af6ULL, "1.6384E27"},
      {0x455da56a4b0835bfULL, "1.4336E26"},
      {0x455da56a4b0835c0ULL, "1.4336000000000001E26"},  // what "1.4336E26" reads as
      {0x45c00a1728e316b3ULL, "9.927917568E27"},
      {0x45f12ee96b182f72ULL, "8.508732866560001E28"},
      {0x4490000835addbd0ULL, "1.8889613823999998E22"},
      {0x4430130e3676e39aULL, "2.9652099999999997E20"},
      {0x3720000000000000ULL, "3.5873240686715317E-43"},
      {0x0090000000000000ULL, "5.6961890777784355E-306"},
      {0x000000000000000aULL, "4.9E-323"},
      {0x0000000000200000ULL, "1.0361308E-317"},
  };
  for (const DoubleCase& c : doubles) {
    char text[32];
    int32_t length = javaFloatingToString(longBitsAsDouble(static_cast<int64_t>(c.bits)), false, text);
    EXPECT_EQ(std::string(text, length), c.text) << std::hex << c.bits;
  }
  struct FloatCase {
    uint32_t bits;
    const char* text;
  } floats[] = {
      {0x00800000U, "1.17549435E-38"},  // Float.MIN_NORMAL
      {0x4f000000U, "2.14748365E9"},    // (float) 2147483648L
      {0x6a28344eU, "5.0836634E25"},
      {0x2d000000U, "7.2759576E-12"},
      {0x11000000U, "1.00974196E-28"},
      {0x541083d7U, "2.48274878E12"},
      {0x50000093U, "8.5900851E9"},
      {0x32000000U, "7.4505806E-9"},
      {0x00000003U, "4.2E-45"},
  };
  for (const FloatCase& c : floats) {
    char text[32];
    int32_t length = javaFloatingToString(floatBitsToDouble(c.bits), true, text);
    EXPECT_EQ(std::string(text, length), c.text) << std::hex << c.bits;
  }
}

}  // namespace
