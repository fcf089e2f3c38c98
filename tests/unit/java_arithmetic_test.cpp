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

}  // namespace
