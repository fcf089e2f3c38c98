// The constants of static final fields as the field-constant pass folds them, read back through
// the class table and compared with the values the Java virtual machine gives the same fields:
// the expected column was printed by a JDK from the class javac made of this very source, with
// floating values as their bit patterns.
#include <cmath>
#include <cstring>
#include <string>

#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/passes.h"
#include "semantic/type_records.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"
#include "test_support.h"

namespace {

const char* const source =
    "class F {\n"
    "  static final int WRAP = 2147483647 + 1, MUL_WRAP = 65535 * 65537, SHL31 = 1 << 31;\n"
    "  static final int SHL33 = 1 << 33, SHLM1 = 1 << -1, SHR33 = -8 >> 33, USHR33 = -1 >>> 33, USHRM1 = -1 >>> -1;\n"
    "  static final int DIVMIN = -2147483648 / -1, REMMIN = -2147483648 % -1, NEGDIV = -7 / 2, NEGREM = -7 % 2;\n"
    "  static final int NAN_I = (int) (0.0 / 0.0), BIG_I = (int) 1e20, NBIG_I = (int) -1e20, FBIG_I = (int) 1e20f;\n"
    "  static final int TRUNC = (int) -3.99, COND = true ? 1 : 2, COMP = ~5, NEG_MIN = -(-2147483648);\n"
    "  static final char CHAR_NEG = (char) -1, C_SUM = (char) ('a' + 1);\n"
    "  static final byte BYTE_CAST = (byte) 300.7;\n"
    "  static final short SHORT_CAST = (short) 40000;\n"
    "  static final long LWRAP = 9223372036854775807L + 1, LSHL33 = 1L << 33, LSHL65 = 1L << 65, LSHLM1 = 1L << -1;\n"
    "  static final long LUSHR = -1L >>> 60, LUSHRM1 = -1L >>> -1, LSHR = -8L >> 65;\n"
    "  static final long LDIVMIN = (-9223372036854775807L - 1) / -1, LREMMIN = (-9223372036854775807L - 1) % -1;\n"
    "  static final long NAN_L = (long) (0.0 / 0.0), BIG_L = (long) 1e20, NBIG_L = (long) -1e20, LMUL = 123456789L * "
    "987654321L;\n"
    "  static final long LCOND = true ? 1 : 2L, LINT = 'x';\n"
    "  static final float F_ROUND = (float) 9007199791611905L, F_THIRD = 1.0f / 3.0f, F_OVER = 1e30f * 1e30f;\n"
    "  static final float F_LONG = 0f + 9007199791611905L, F_PROMO = 16777217, F_NEGZERO = -0.0f, F_TINY = 1e-45f * "
    "0.5f;\n"
    "  static final double D_NEGZERO = -0.0, D_NEGZERO2 = 0.0 * -1, D_NAN = 0.0 / 0.0, D_INF = 1.0 / 0.0;\n"
    "  static final double D_NINF = -1.0 / 0.0, D_NEGINF_DIV = 1.0 / -0.0, D_REM = -5.5 % 2, D_INFMUL = -2.0 * (-1.0 / "
    "0.0);\n"
    "  static final double D_LONG = 9007199254740993L, D_FLOAT = 0.1f, D_SUM = 0.1 + 0.2;\n"
    "  static final boolean B_NAN_EQ = (0.0 / 0.0) == (0.0 / 0.0), B_NAN_NE = (0.0 / 0.0) != (0.0 / 0.0);\n"
    "  static final boolean B_NAN_LT = (0.0 / 0.0) < 1.0, B_NAN_GE = (0.0 / 0.0) >= 1.0, B_ZEROS = -0.0 == 0.0;\n"
    "  static final boolean B_CMP = 3 < 4L, B_LOGIC = true && !false || false, B_XOR = true ^ true;\n"
    "  static final String S_CONCAT = \"a\" + 1 + 'c', S_NUMS = 'a' + 'b' + \"c\";\n"
    "  static final String S_DOUBLE = \"\" + 1.0 + \":\" + 1e20 + \":\" + 0.1f + \":\" + -0.0 + \":\" + (0.0 / 0.0) + "
    "\":\" + 1e-4;\n"
    "  static final String S_BOOL = \"x\" + true + (1 < 2), S_LONG = \"\" + (9223372036854775807L + 1), S_CHAR = \"\" "
    "+ (char) 65;\n"
    "  static final String S_FLOAT = \"\" + 1e10f + \":\" + 100.0 / 3 + \":\" + 1234567.5 + \":\" + 0.001;\n"
    "}\n";

// An integral value, the bits of a float or double, or NaN (any NaN), or a text.
struct Expected {
  const char* field;
  int64_t value;
  const char* text = nullptr;
  bool nan = false;
};

const int64_t LONG_MIN_VALUE = INT64_MIN;
const Expected expected[] = {
    {"WRAP", -2147483648LL},
    {"MUL_WRAP", -1},
    {"SHL31", -2147483648LL},
    {"SHL33", 2},
    {"SHLM1", -2147483648LL},
    {"SHR33", -4},
    {"USHR33", 2147483647},
    {"USHRM1", 1},
    {"DIVMIN", -2147483648LL},
    {"REMMIN", 0},
    {"NEGDIV", -3},
    {"NEGREM", -1},
    {"NAN_I", 0},
    {"BIG_I", 2147483647},
    {"NBIG_I", -2147483648LL},
    {"FBIG_I", 2147483647},
    {"TRUNC", -3},
    {"COND", 1},
    {"COMP", -6},
    {"NEG_MIN", -2147483648LL},
    {"CHAR_NEG", 65535},
    {"C_SUM", 98},
    {"BYTE_CAST", 44},
    {"SHORT_CAST", -25536},
    {"LWRAP", LONG_MIN_VALUE},
    {"LSHL33", 8589934592LL},
    {"LSHL65", 2},
    {"LSHLM1", LONG_MIN_VALUE},
    {"LUSHR", 15},
    {"LUSHRM1", 1},
    {"LSHR", -4},
    {"LDIVMIN", LONG_MIN_VALUE},
    {"LREMMIN", 0},
    {"NAN_L", 0},
    {"BIG_L", 9223372036854775807LL},
    {"NBIG_L", LONG_MIN_VALUE},
    {"LMUL", 121932631112635269LL},
    {"LCOND", 1},
    {"LINT", 120},
    {"F_ROUND", 0x5A000001},
    {"F_THIRD", 0x3EAAAAAB},
    {"F_OVER", 0x7F800000},
    {"F_LONG", 0x5A000001},
    {"F_PROMO", 0x4B800000},
    {"F_NEGZERO", 0x80000000},
    {"F_TINY", 0x00000000},
    {"D_NEGZERO", static_cast<int64_t>(0x8000000000000000ULL)},
    {"D_NEGZERO2", static_cast<int64_t>(0x8000000000000000ULL)},
    {"D_NAN", 0, nullptr, true},
    {"D_INF", 0x7FF0000000000000LL},
    {"D_NINF", static_cast<int64_t>(0xFFF0000000000000ULL)},
    {"D_NEGINF_DIV", static_cast<int64_t>(0xFFF0000000000000ULL)},
    {"D_REM", static_cast<int64_t>(0xBFF8000000000000ULL)},
    {"D_INFMUL", 0x7FF0000000000000LL},
    {"D_LONG", 0x4340000000000000LL},
    {"D_FLOAT", 0x3FB99999A0000000LL},
    {"D_SUM", 0x3FD3333333333334LL},
    {"B_NAN_EQ", 0},
    {"B_NAN_NE", 1},
    {"B_NAN_LT", 0},
    {"B_NAN_GE", 0},
    {"B_ZEROS", 1},
    {"B_CMP", 1},
    {"B_LOGIC", 1},
    {"B_XOR", 0},
    {"S_CONCAT", 0, "a1c"},
    {"S_NUMS", 0, "195c"},
    {"S_DOUBLE", 0, "1.0:1.0E20:0.1:-0.0:NaN:1.0E-4"},
    {"S_BOOL", 0, "xtruetrue"},
    {"S_LONG", 0, "-9223372036854775808"},
    {"S_CHAR", 0, "A"},
    {"S_FLOAT", 0, "1.0E10:33.333333333333336:1234567.5:0.001"},
};

class ConstantFoldingTest : public ClassLibraryTest {};

Member* fieldOf(ClassDef* cls, const char* name) {
  Identifier* id = enterName(name, T_IDENTIFIER);
  for (Member* m = cls->members; m != nullptr; m = m->next)
    if (m->kind == MK_VARIABLE && m->name == id) return m;
  return nullptr;
}

TEST_F(ConstantFoldingTest, StaticFinalFieldsHoldJavasValues) {
  auto* file = arenaNew<SourceFile>(&global.mainArena);
  file->name = mainArenaCopy("F.java");
  file->content = mainArenaCopy(source);
  file->contentLength = static_cast<int32_t>(std::strlen(source));
  parseCompilationUnit(file);
  initJavaIo();
  resolveAllSupertypes();
  evaluateAllFieldConstants();
  // Shift counts out of range are masked as the virtual machine masks them, silently.
  EXPECT_EQ(reported, "");
  ClassDef* f = findClassInPackage(&rootPackage, enterName("F", T_IDENTIFIER), 0, 0);
  ASSERT_NE(f, nullptr);
  for (const Expected& e : expected) {
    Member* field = fieldOf(f, e.field);
    ASSERT_NE(field, nullptr) << e.field;
    ASSERT_EQ(field->constantState, CONSTANT_KEPT) << e.field;
    ASSERT_NE(field->constantValue, nullptr) << e.field;
    switch (field->type->kind) {
      case TK_LONG:
        EXPECT_EQ(*static_cast<int64_t*>(field->constantValue), e.value) << e.field;
        break;
      case TK_FLOAT: {
        float value = static_cast<float>(*static_cast<double*>(field->constantValue));
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        EXPECT_EQ(static_cast<double>(value), *static_cast<double*>(field->constantValue)) << e.field;
        if (e.nan)
          EXPECT_TRUE(std::isnan(value)) << e.field;
        else
          EXPECT_EQ(bits, static_cast<uint32_t>(e.value)) << e.field;
        break;
      }
      case TK_DOUBLE: {
        double value = *static_cast<double*>(field->constantValue);
        int64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        if (e.nan)
          EXPECT_TRUE(std::isnan(value)) << e.field;
        else
          EXPECT_EQ(bits, e.value) << e.field;
        break;
      }
      case TK_CLASS: {
        auto* text = static_cast<StringValue*>(field->constantValue);
        const uint16_t* units = stringValueChars(text);
        EXPECT_EQ(std::string(units, units + text->length), e.text) << e.field;
        break;
      }
      default:
        EXPECT_EQ(*static_cast<int32_t*>(field->constantValue), e.value) << e.field;
    }
  }
}

}  // namespace
