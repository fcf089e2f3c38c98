// Expression nodes built by hand through their constructors: the type each gets, its operator
// and its folded value, the diagnostics of the operand checks and conversions, and the type
// relations beneath them.
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/java_arithmetic.h"
#include "semantic/passes.h"
#include "semantic/primary_expressions.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "semantic/unary_expressions.h"
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

class ExpressionNodesTest : public ClassLibraryTest {
 protected:
  // Each message shows its key and its arguments.
  void setUpMessages() override {
    initMessageTable(16);
    const char* messages[][2] = {
        {"disallowed.type", "1"}, {"improper.class.ref", "0"}, {"incomp.type", "2"}, {"incomp.type.asg", "2"},
        {"warn.divide.by.zero", "0"}, {"warn.rem.by.zero", "0"}, {"not.array.type", "0"},
        {"no.super", "1"},        {"internal.tree.error", "1"},
    };
    for (auto& m : messages) {
      std::string text = m[0];
      for (int i = 1; i <= m[1][0] - '0'; i++) text += " %" + std::to_string(i);
      addMessage(m[0], static_cast<int32_t>(std::strlen(m[0])), m[1][0] - '0', text.c_str(),
                 static_cast<int32_t>(text.size()));
    }
    sortMessages();
  }

  // Declares the classes of a source text, with their supertypes resolved.
  void declare(const char* text) {
    auto* file = arenaNew<SourceFile>(&global.mainArena);
    file->name = mainArenaCopy("T.java");
    file->content = mainArenaCopy(text);
    file->contentLength = static_cast<int32_t>(std::strlen(text));
    parseCompilationUnit(file);
    resolveAllSupertypes();
  }

  static Type* library(Package* package, const char* name) {
    ClassDef* cls = findClass(package, name);
    EXPECT_NE(cls, nullptr) << name;
    return newClassType(newClassRef(package, cls->name, cls, 0, nullptr, 0, 0), cls->name, 0, 0);
  }
  static Type* lang(const char* name) { return library(javaLangPackage, name); }
  static Type* util(const char* name) {
    Package* java = getPackage(nullptr, enterName("java", T_IDENTIFIER));
    return library(getPackage(java, enterName("util", T_IDENTIFIER)), name);
  }
  static Type* declared(const char* name) {
    ClassDef* cls = findClassInPackage(&rootPackage, enterName(name, T_IDENTIFIER), 0, 0);
    EXPECT_NE(cls, nullptr) << name;
    return newClassType(newClassRef(&rootPackage, cls->name, cls, 0, nullptr, 0, 0), cls->name, 0, 0);
  }
  static Type* array(Type* element) { return newArrayType(element); }
};

// Constants and variables for the tables.
ExprNode* ic(int64_t v) { return makeIntegerConstant(T_INT, v, 1, 10); }
ExprNode* lc(int64_t v) { return makeIntegerConstant(T_LONG, v, 1, 10); }
ExprNode* cc(int64_t v) { return makeIntegerConstant(T_CHAR, v, 1, 10); }
ExprNode* dc(double v) { return makeFloatingConstant(T_DOUBLE, v, 1, 10); }
ExprNode* fc(double v) { return makeFloatingConstant(T_FLOAT, v, 1, 10); }
ExprNode* bc(bool v) { return makeBooleanConstant(v ? 1 : 0); }
ExprNode* sc(const char* text) {
  std::u16string units(text, text + std::strlen(text));
  return makeStringConstant(reinterpret_cast<const uint16_t*>(units.data()), static_cast<int32_t>(units.size()), 1,
                            10);
}
ExprNode* var(Type* type) {
  ExprNode* node = makeIdentifier(enterName("v", T_IDENTIFIER), 1, 20);
  node->type = type;
  return node;
}
ExprNode* bin(int32_t op, ExprNode* a, ExprNode* b) { return makeBinaryExpression(op, a, b, 1, 5); }
ExprNode* un(int32_t op, ExprNode* a) { return makeUnaryExpression(op, a, 1, 5); }
ExprNode* cast(Type* t, ExprNode* a) { return makeCast(t, a, 1, 5); }

std::string text(const ExprNode* node) {
  if (node->op != O_STRING) return "<not a string>";
  const uint16_t* units = stringValueChars(node->string);
  return std::string(units, units + node->string->length);
}

uint64_t bits(double value) {
  uint64_t b;
  std::memcpy(&b, &value, sizeof b);
  return b;
}

struct FoldCase {
  const char* expression;
  std::function<ExprNode*()> build;
  int32_t op;
  int32_t kind;
  double value;  // an integral value, a floating one compared bit for bit (NaN as NaN)
  const char* messages;
};

TEST_F(ExpressionNodesTest, ConstantsFoldAsJavaComputesThem) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::nan("");
  const int64_t lmax = std::numeric_limits<int64_t>::max();
  const int64_t lmin = std::numeric_limits<int64_t>::min();
  const FoldCase cases[] = {
      {"1 + 2 * 3", [] { return bin(O_ADD, ic(1), bin(O_MUL, ic(2), ic(3))); }, O_CONST, TK_INT, 7, ""},
      {"2147483647 + 1", [] { return bin(O_ADD, ic(2147483647), ic(1)); }, O_CONST, TK_INT, -2147483648.0, ""},
      {"Long.MAX_VALUE + 1", [=] { return bin(O_ADD, lc(lmax), lc(1)); }, O_CONST, TK_LONG, -9223372036854775808.0,
       ""},
      {"65535 * 65537", [] { return bin(O_MUL, ic(65535), ic(65537)); }, O_CONST, TK_INT, -1, ""},
      {"1 + 2L", [] { return bin(O_ADD, ic(1), lc(2)); }, O_CONST, TK_LONG, 3, ""},
      {"'a' + 1", [] { return bin(O_ADD, cc('a'), ic(1)); }, O_CONST, TK_INT, 98, ""},
      {"-1 >>> 28", [] { return bin(O_RSSH, ic(-1), ic(28)); }, O_CONST, TK_INT, 15, ""},
      {"-1L >>> 60", [] { return bin(O_RSSH, lc(-1), ic(60)); }, O_CONST, TK_LONG, 15, ""},
      {"-1 >>> 0", [] { return bin(O_RSSH, ic(-1), ic(0)); }, O_CONST, TK_INT, -1, ""},
      {"-8 >> 1", [] { return bin(O_RSH, ic(-8), ic(1)); }, O_CONST, TK_INT, -4, ""},
      {"-8 >> 33", [] { return bin(O_RSH, ic(-8), ic(33)); }, O_CONST, TK_INT, -4, ""},
      {"1 << 33", [] { return bin(O_LSH, ic(1), ic(33)); }, O_CONST, TK_INT, 2, ""},
      {"1 << -1", [] { return bin(O_LSH, ic(1), ic(-1)); }, O_CONST, TK_INT, -2147483648.0, ""},
      {"1L << 33", [] { return bin(O_LSH, lc(1), ic(33)); }, O_CONST, TK_LONG, 8589934592.0, ""},
      {"1L << 64", [] { return bin(O_LSH, lc(1), ic(64)); }, O_CONST, TK_LONG, 1, ""},
      {"1 << 2L", [] { return bin(O_LSH, ic(1), lc(2)); }, O_CONST, TK_INT, 4, ""},
      {"MIN / -1", [] { return bin(O_DIV, ic(-2147483648LL), ic(-1)); }, O_CONST, TK_INT, -2147483648.0, ""},
      {"MIN % -1", [] { return bin(O_REM, ic(-2147483648LL), ic(-1)); }, O_CONST, TK_INT, 0, ""},
      {"LMIN / -1L", [=] { return bin(O_DIV, lc(lmin), lc(-1)); }, O_CONST, TK_LONG, -9223372036854775808.0, ""},
      {"LMIN % -1L", [=] { return bin(O_REM, lc(lmin), lc(-1)); }, O_CONST, TK_LONG, 0, ""},
      {"-7 / 2", [] { return bin(O_DIV, ic(-7), ic(2)); }, O_CONST, TK_INT, -3, ""},
      {"-7 % 2", [] { return bin(O_REM, ic(-7), ic(2)); }, O_CONST, TK_INT, -1, ""},
      {"5 / 0", [] { return bin(O_DIV, ic(5), ic(0)); }, O_DIV, TK_INT, 0, "warn.divide.by.zero"},
      {"5 % 0L", [] { return bin(O_REM, ic(5), lc(0)); }, O_REM, TK_LONG, 0, "warn.rem.by.zero"},
      {"x / 0", [] { return bin(O_DIV, var(&intType), ic(0)); }, O_DIV, TK_INT, 0, "warn.divide.by.zero"},
      {"5.0 / 0", [] { return bin(O_DIV, dc(5), ic(0)); }, O_DCONST, TK_DOUBLE, inf, ""},
      {"-5.0 / 0.0", [] { return bin(O_DIV, dc(-5), dc(0)); }, O_DCONST, TK_DOUBLE, -inf, ""},
      {"0.0 / 0.0", [] { return bin(O_DIV, dc(0), dc(0)); }, O_DCONST, TK_DOUBLE, nan, ""},
      {"1.0 / -0.0", [] { return bin(O_DIV, dc(1), dc(-0.0)); }, O_DCONST, TK_DOUBLE, -inf, ""},
      {"-2.0 * (-1.0 / 0.0)", [] { return bin(O_MUL, dc(-2), bin(O_DIV, dc(-1), dc(0))); }, O_DCONST, TK_DOUBLE,
       inf, ""},
      {"0.0 * (1.0 / 0.0)", [] { return bin(O_MUL, dc(0), bin(O_DIV, dc(1), dc(0))); }, O_DCONST, TK_DOUBLE, nan,
       ""},
      {"inf - inf", [=] { return bin(O_SUB, dc(inf), dc(inf)); }, O_DCONST, TK_DOUBLE, nan, ""},
      {"inf + -inf", [=] { return bin(O_ADD, dc(inf), dc(-inf)); }, O_DCONST, TK_DOUBLE, nan, ""},
      {"1.0 - inf", [=] { return bin(O_SUB, dc(1), dc(inf)); }, O_DCONST, TK_DOUBLE, -inf, ""},
      {"5.5 % inf", [=] { return bin(O_REM, dc(5.5), dc(inf)); }, O_DCONST, TK_DOUBLE, 5.5, ""},
      {"-5.5 % 2", [] { return bin(O_REM, dc(-5.5), ic(2)); }, O_DCONST, TK_DOUBLE, -1.5, ""},
      {"1.0 % 0.0", [] { return bin(O_REM, dc(1), dc(0)); }, O_DCONST, TK_DOUBLE, nan, ""},
      {"-0.0 + -0.0", [] { return bin(O_ADD, dc(-0.0), dc(-0.0)); }, O_DCONST, TK_DOUBLE, -0.0, ""},
      {"-0.0 / 5", [] { return bin(O_DIV, dc(-0.0), ic(5)); }, O_DCONST, TK_DOUBLE, -0.0, ""},
      {"NaN != NaN", [] { return bin(O_NE, bin(O_DIV, dc(0), dc(0)), bin(O_DIV, dc(0), dc(0))); }, O_CONST,
       TK_BOOLEAN, 1, ""},
      {"NaN == NaN", [] { return bin(O_EQ, bin(O_DIV, dc(0), dc(0)), bin(O_DIV, dc(0), dc(0))); }, O_CONST,
       TK_BOOLEAN, 0, ""},
      {"NaN < 1.0", [] { return bin(O_LT, bin(O_DIV, dc(0), dc(0)), dc(1)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"NaN >= 1.0", [] { return bin(O_GE, bin(O_DIV, dc(0), dc(0)), dc(1)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"-0.0 == 0.0", [] { return bin(O_EQ, dc(-0.0), dc(0)); }, O_CONST, TK_BOOLEAN, 1, ""},
      {"1.0f / 3.0f", [] { return bin(O_DIV, fc(1), fc(3)); }, O_DCONST, TK_FLOAT,
       static_cast<double>(1.0f / 3.0f), ""},
      {"1e30f * 1e30f", [] { return bin(O_MUL, fc(1e30), fc(1e30)); }, O_DCONST, TK_FLOAT, inf, ""},
      {"16777216f + 1", [] { return bin(O_ADD, fc(16777216), ic(1)); }, O_DCONST, TK_FLOAT, 16777216, ""},
      {"0f + 9007199791611905L", [] { return bin(O_ADD, fc(0), lc(9007199791611905LL)); }, O_DCONST, TK_FLOAT,
       9007200328482816.0, ""},
      {"3 < 4", [] { return bin(O_LT, ic(3), ic(4)); }, O_CONST, TK_BOOLEAN, 1, ""},
      {"3L >= 4", [] { return bin(O_GE, lc(3), ic(4)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"true == false", [] { return bin(O_EQ, bc(true), bc(false)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"true ^ true", [] { return bin(O_XOR, bc(true), bc(true)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"false && true", [] { return bin(O_LAND, bc(false), bc(true)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"true || false", [] { return bin(O_LOR, bc(true), bc(false)); }, O_CONST, TK_BOOLEAN, 1, ""},
      {"\"ab\" == \"a\" + \"b\"", [] { return bin(O_EQ, sc("ab"), bin(O_ADD, sc("a"), sc("b"))); }, O_CONST,
       TK_BOOLEAN, 1, ""},
      {"\"ab\" != \"a\"", [] { return bin(O_NE, sc("ab"), sc("a")); }, O_CONST, TK_BOOLEAN, 1, ""},
      {"0xFF & -2", [] { return bin(O_AND, ic(0xFF), ic(-2)); }, O_CONST, TK_INT, 254, ""},
      {"(char) -1", [] { return cast(&charType, ic(-1)); }, O_CONST, TK_CHAR, 65535, ""},
      {"(int) 'a'", [] { return cast(&intType, cc('a')); }, O_CONST, TK_INT, 97, ""},
      {"(byte) 200", [] { return cast(&byteType, ic(200)); }, O_CONST, TK_BYTE, -56, ""},
      {"(short) 65535L", [] { return cast(&shortType, lc(65535)); }, O_CONST, TK_SHORT, -1, ""},
      {"(float) 16777217", [] { return cast(&floatType, ic(16777217)); }, O_DCONST, TK_FLOAT, 16777216, ""},
      {"(int) 3.99", [] { return cast(&intType, dc(3.99)); }, O_CONST, TK_INT, 3, ""},
      {"(int) -3.99", [] { return cast(&intType, dc(-3.99)); }, O_CONST, TK_INT, -3, ""},
      {"(long) NaN", [=] { return cast(&longType, dc(nan)); }, O_CONST, TK_LONG, 0, ""},
      {"(int) NaN", [=] { return cast(&intType, dc(nan)); }, O_CONST, TK_INT, 0, ""},
      {"(int) 1e20", [] { return cast(&intType, dc(1e20)); }, O_CONST, TK_INT, 2147483647, ""},
      {"(long) 1e20", [] { return cast(&longType, dc(1e20)); }, O_CONST, TK_LONG, 9223372036854775807.0, ""},
      {"(long) -1e20f", [] { return cast(&longType, fc(-1e20)); }, O_CONST, TK_LONG, -9223372036854775808.0, ""},
      {"(char) 1e20", [] { return cast(&charType, dc(1e20)); }, O_CONST, TK_CHAR, 65535, ""},
      {"(byte) 300.7", [] { return cast(&byteType, dc(300.7)); }, O_CONST, TK_BYTE, 44, ""},
      {"(float) 1e39", [] { return cast(&floatType, dc(1e39)); }, O_DCONST, TK_FLOAT, inf, ""},
      {"(float) -1e-50", [] { return cast(&floatType, dc(-1e-50)); }, O_DCONST, TK_FLOAT, -0.0, ""},
      {"(double) 0.1f", [] { return cast(&doubleType, fc(0.1)); }, O_DCONST, TK_DOUBLE,
       static_cast<double>(0.1f), ""},
      {"-(-2147483648)", [] { return un(O_NEG, ic(-2147483648LL)); }, O_CONST, TK_INT, -2147483648.0, ""},
      {"-'a'", [] { return un(O_NEG, cc('a')); }, O_CONST, TK_INT, -97, ""},
      {"-0.0", [] { return un(O_NEG, dc(0)); }, O_DCONST, TK_DOUBLE, -0.0, ""},
      {"-(0.0 / 0.0)", [] { return un(O_NEG, bin(O_DIV, dc(0), dc(0))); }, O_DCONST, TK_DOUBLE, nan, ""},
      {"~5", [] { return un(O_COMP, ic(5)); }, O_CONST, TK_INT, -6, ""},
      {"~5L", [] { return un(O_COMP, lc(5)); }, O_CONST, TK_LONG, -6, ""},
      {"+'a'", [] { return un(O_UPLUS, cc('a')); }, O_CONST, TK_INT, 97, ""},
      {"!true", [] { return un(O_NOT, bc(true)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"true ? 1 : 2L",
       [] { return makeConditional(bc(true), ic(1), lc(2), 1, 5); }, O_CONST, TK_LONG, 1, ""},
      {"false ? 1 : 'b'",
       [] { return makeConditional(bc(false), ic(1), cc('b'), 1, 5); }, O_CONST, TK_CHAR, 'b', ""},
  };
  for (const FoldCase& c : cases) {
    reported.clear();
    ExprNode* node = c.build();
    ASSERT_NE(node, nullptr) << c.expression;
    EXPECT_EQ(reported, c.messages) << c.expression;
    EXPECT_EQ(node->op, c.op) << c.expression;
    ASSERT_NE(node->type, nullptr) << c.expression;
    EXPECT_EQ(node->type->kind, c.kind) << c.expression;
    if (node->op == O_CONST)
      EXPECT_EQ(static_cast<double>(node->integerValue), c.value) << c.expression;
    else if (node->op == O_DCONST && std::isnan(c.value))
      EXPECT_TRUE(std::isnan(node->doubleValue)) << c.expression;
    else if (node->op == O_DCONST)
      EXPECT_EQ(bits(node->doubleValue), bits(c.value)) << c.expression << ": " << node->doubleValue;
  }
}

TEST_F(ExpressionNodesTest, LongToFloatRoundsOnce) {
  ExprNode* node = cast(&floatType, lc(9007199791611905LL));
  ASSERT_EQ(node->op, O_DCONST);
  float f = static_cast<float>(node->doubleValue);
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  EXPECT_EQ(b, 0x5A000001u);
  // Promotion takes the same way: the long becomes the float before the addition.
  node = bin(O_ADD, fc(0), lc(9007199791611905LL));
  f = static_cast<float>(node->doubleValue);
  std::memcpy(&b, &f, sizeof b);
  EXPECT_EQ(b, 0x5A000001u);
}

struct StringCase {
  const char* expression;
  std::function<ExprNode*()> build;
  const char* text;
};

TEST_F(ExpressionNodesTest, StringsOfConstantsJoinIntoOneConstant) {
  const StringCase cases[] = {
      {"\"a\" + \"b\"", [] { return bin(O_ADD, sc("a"), sc("b")); }, "ab"},
      {"\"a\" + 1 + 'c'", [] { return bin(O_ADD, bin(O_ADD, sc("a"), ic(1)), cc('c')); }, "a1c"},
      {"'a' + 'b' + \"c\"", [] { return bin(O_ADD, bin(O_ADD, cc('a'), cc('b')), sc("c")); }, "195c"},
      {"\"\" + true + -5L", [] { return bin(O_ADD, bin(O_ADD, sc(""), bc(true)), lc(-5)); }, "true-5"},
      {"\"\" + 1.0", [] { return bin(O_ADD, sc(""), dc(1)); }, "1.0"},
      {"\"\" + 1e20", [] { return bin(O_ADD, sc(""), dc(1e20)); }, "1.0E20"},
      {"\"\" + 1e7", [] { return bin(O_ADD, sc(""), dc(1e7)); }, "1.0E7"},
      {"\"\" + 1234567.5", [] { return bin(O_ADD, sc(""), dc(1234567.5)); }, "1234567.5"},
      {"\"\" + 0.001", [] { return bin(O_ADD, sc(""), dc(0.001)); }, "0.001"},
      {"\"\" + 0.0001", [] { return bin(O_ADD, sc(""), dc(0.0001)); }, "1.0E-4"},
      {"\"\" + -0.0", [] { return bin(O_ADD, sc(""), dc(-0.0)); }, "-0.0"},
      {"\"\" + 0.1f", [] { return bin(O_ADD, sc(""), fc(0.1)); }, "0.1"},
      {"\"\" + 1e10f", [] { return bin(O_ADD, sc(""), fc(1e10)); }, "1.0E10"},
      {"\"\" + 0.1", [] { return bin(O_ADD, sc(""), dc(0.1)); }, "0.1"},
      {"\"\" + 100.0 / 3", [] { return bin(O_ADD, sc(""), bin(O_DIV, dc(100), ic(3))); }, "33.333333333333336"},
      {"\"\" + Double.MIN_VALUE", [] { return bin(O_ADD, sc(""), dc(4.9e-324)); }, "4.9E-324"},
      {"\"\" + Float.MIN_VALUE", [] { return bin(O_ADD, sc(""), fc(1.4e-45)); }, "1.4E-45"},
      {"\"\" + Double.MAX_VALUE", [] { return bin(O_ADD, sc(""), dc(1.7976931348623157e308)); },
       "1.7976931348623157E308"},
      {"\"\" + 0.0 / 0.0", [] { return bin(O_ADD, sc(""), bin(O_DIV, dc(0), dc(0))); }, "NaN"},
      {"\"\" + -1.0 / 0.0", [] { return bin(O_ADD, sc(""), bin(O_DIV, dc(-1), dc(0))); }, "-Infinity"},
  };
  for (const StringCase& c : cases) {
    reported.clear();
    ExprNode* node = c.build();
    EXPECT_EQ(reported, "") << c.expression;
    EXPECT_EQ(text(node), c.text) << c.expression;
  }
  // A long chain of constants grows one value: the memory it takes is in proportion to its length.
  int32_t before = global.currentArena->taken;
  ExprNode* chain = sc("0123456789");
  for (int i = 1; i < 4000; i++) chain = bin(O_ADD, chain, i % 2 ? sc("0123456789") : ic(1234567890));
  ASSERT_EQ(chain->op, O_STRING);
  EXPECT_EQ(chain->string->length, 40000);
  EXPECT_EQ(text(chain).substr(0, 30), "012345678901234567891234567890");
  EXPECT_LT(global.currentArena->taken - before, 4 * 1024 * 1024);
  // A variable or null keeps the operation for run time.
  ExprNode* joined = bin(O_ADD, sc("a"), var(&intType));
  EXPECT_EQ(joined->op, O_SCONCAT);
  EXPECT_TRUE(isClassType(joined->type, stringClass()));
  EXPECT_EQ(bin(O_ADD, sc("a"), makeKeywordExpression(O_NULL, nullptr, 1, 1))->op, O_SCONCAT);
}

struct ShapeCase {
  const char* expression;
  std::function<ExprNode*()> build;
  int32_t op;
  int32_t kind;          // of the node's type
  int32_t leftOp;        // -1: not checked
  int32_t leftKind;      // of the left operand's type; -1: not checked
  int32_t rightKind;     // of the right operand's type; -1: not checked
  const char* messages;
};

// Operators that do not fold: the node kept, its type, the conversions put around its operands,
// and the diagnostics.
TEST_F(ExpressionNodesTest, OperatorsTypeAndConvertTheirOperands) {
  Type* string = stringType;
  Type* object = lang("Object");
  const ShapeCase cases[] = {
      {"0 < x", [] { return bin(O_LT, ic(0), var(&intType)); }, O_GT, TK_BOOLEAN, O_ID, TK_INT, TK_INT, ""},
      {"0 <= x", [] { return bin(O_LE, ic(0), var(&intType)); }, O_GE, TK_BOOLEAN, O_ID, TK_INT, TK_INT, ""},
      {"0 < d", [] { return bin(O_LT, ic(0), var(&doubleType)); }, O_LT, TK_BOOLEAN, O_DCONST, TK_DOUBLE, TK_DOUBLE,
       ""},
      {"null == o", [=] { return bin(O_EQ, makeKeywordExpression(O_NULL, nullptr, 1, 1), var(object)); }, O_EQ,
       TK_BOOLEAN, O_ID, TK_CLASS, TK_CLASS, ""},
      {"0 == x", [] { return bin(O_EQ, ic(0), var(&intType)); }, O_EQ, TK_BOOLEAN, O_ID, TK_INT, TK_INT, ""},
      {"true && x", [] { return bin(O_LAND, bc(true), var(&booleanType)); }, O_ID, TK_BOOLEAN, -1, -1, -1, ""},
      // No constant expressions, though their values are known: they stay for run time.
      {"null == null", [] { return bin(O_EQ, makeKeywordExpression(O_NULL, nullptr, 1, 1),
                                       makeKeywordExpression(O_NULL, nullptr, 1, 3)); },
       O_EQ, TK_BOOLEAN, O_NULL, -1, -1, ""},
      {"false && x", [] { return bin(O_LAND, bc(false), var(&booleanType)); }, O_LAND, TK_BOOLEAN, O_CONST,
       TK_BOOLEAN, TK_BOOLEAN, ""},
      {"true || x", [] { return bin(O_LOR, bc(true), var(&booleanType)); }, O_LOR, TK_BOOLEAN, O_CONST, TK_BOOLEAN,
       TK_BOOLEAN, ""},
      {"true ? 1 : x", [] { return makeConditional(bc(true), ic(1), var(&intType), 1, 5); }, O_QUES, TK_INT,
       O_CONST, TK_BOOLEAN, TK_INT, ""},
      {"false || x", [] { return bin(O_LOR, bc(false), var(&booleanType)); }, O_ID, TK_BOOLEAN, -1, -1, -1, ""},
      {"b + s", [] { return bin(O_ADD, var(&byteType), var(&shortType)); }, O_ADD, TK_INT, O_CAST, TK_INT, TK_INT,
       ""},
      {"c + 1L", [] { return bin(O_ADD, var(&charType), lc(1)); }, O_ADD, TK_LONG, O_CAST, TK_LONG, TK_LONG, ""},
      {"i * f", [] { return bin(O_MUL, var(&intType), var(&floatType)); }, O_MUL, TK_FLOAT, O_CAST, TK_FLOAT,
       TK_FLOAT, ""},
      {"b += 1", [] { return bin(O_ADA, var(&byteType), ic(1)); }, O_ADA, TK_BYTE, O_CAST, TK_INT, TK_INT, ""},
      {"c *= 2.5", [] { return bin(O_MUA, var(&charType), dc(2.5)); }, O_MUA, TK_CHAR, O_CAST, TK_DOUBLE, TK_DOUBLE,
       ""},
      {"b <<= 2", [] { return bin(O_LSA, var(&byteType), ic(2)); }, O_LSA, TK_BYTE, O_CAST, TK_INT, TK_INT, ""},
      {"s >>>= 1", [] { return bin(O_RSSA, var(&shortType), ic(1)); }, O_RSSA, TK_SHORT, O_CAST, TK_INT, TK_INT, ""},
      {"i <<= 2L", [] { return bin(O_LSA, var(&intType), lc(2)); }, O_LSA, TK_INT, O_ID, TK_INT, TK_INT, ""},
      {"i <<= l", [] { return bin(O_LSA, var(&intType), var(&longType)); }, O_LSA, TK_INT, O_ID, TK_INT, TK_INT, ""},
      {"l >>= i", [] { return bin(O_RSA, var(&longType), var(&intType)); }, O_RSA, TK_LONG, O_ID, TK_LONG, TK_INT,
       ""},
      {"b << l", [] { return bin(O_LSH, var(&byteType), var(&longType)); }, O_LSH, TK_INT, O_CAST, TK_INT, TK_INT,
       ""},
      {"i &= l", [] { return bin(O_ANA, var(&intType), var(&longType)); }, O_ANA, TK_INT, O_ID, TK_INT, TK_INT, ""},
      {"i &= 5L", [] { return bin(O_ANA, var(&intType), lc(5)); }, O_ANA, TK_INT, O_ID, TK_INT, TK_INT, ""},
      {"l |= i", [] { return bin(O_ORA, var(&longType), var(&intType)); }, O_ORA, TK_LONG, O_ID, TK_LONG, TK_LONG, ""},
      {"b ^= c", [] { return bin(O_XRA, var(&byteType), var(&charType)); }, O_XRA, TK_BYTE, O_ID, TK_BYTE, TK_BYTE,
       ""},
      {"i = 'a'", [] { return bin(O_ASG, var(&intType), cc('a')); }, O_ASG, TK_INT, O_ID, TK_INT, TK_INT, ""},
      {"b = 100", [] { return bin(O_ASG, var(&byteType), ic(100)); }, O_ASG, TK_BYTE, O_ID, TK_BYTE, TK_BYTE, ""},
      {"c = (short) 5", [] { return bin(O_ASG, var(&charType), cast(&shortType, ic(5))); }, O_ASG, TK_CHAR, O_ID,
       TK_CHAR, TK_CHAR, ""},
      {"o = s", [=] { return bin(O_ASG, var(object), var(string)); }, O_ASG, TK_CLASS, O_ID, TK_CLASS, TK_CLASS, ""},
      {"s += 1", [=] { return bin(O_ADA, var(string), ic(1)); }, O_SCONCATA, TK_CLASS, O_ID, TK_CLASS, TK_INT, ""},
      {"x / 0", [] { return bin(O_DIV, var(&longType), ic(0)); }, O_DIV, TK_LONG, O_ID, TK_LONG, TK_LONG,
       "warn.divide.by.zero"},
      {"i = 3L", [] { return bin(O_ASG, var(&intType), lc(3)); }, O_ASG, TK_ERROR, -1, -1, -1,
       "incomp.type.asg long int"},
      {"b = 200", [] { return bin(O_ASG, var(&byteType), ic(200)); }, O_ASG, TK_ERROR, -1, -1, -1,
       "incomp.type.asg int byte"},
      {"s = 1", [=] { return bin(O_ASG, var(string), ic(1)); }, O_ASG, TK_ERROR, -1, -1, -1,
       "incomp.type.asg int String"},
      {"i += \"x\"", [] { return bin(O_ADA, var(&intType), sc("x")); }, O_ADA, TK_ERROR, -1, -1, -1,
       "incomp.type.asg String int"},
      {"o += \"x\"", [=] { return bin(O_ADA, var(object), sc("x")); }, O_ADA, TK_ERROR, -1, -1, -1,
       "incomp.type.asg String Object"},
      {"i & true", [] { return bin(O_AND, var(&intType), bc(true)); }, O_AND, TK_ERROR, -1, -1, -1,
       "incomp.type int boolean"},
      {"o + 1", [=] { return bin(O_ADD, var(object), ic(1)); }, O_ADD, TK_ERROR, -1, -1, -1, "disallowed.type Object"},
      {"1 - \"s\"", [] { return bin(O_SUB, ic(1), sc("s")); }, O_SUB, TK_ERROR, -1, -1, -1, "disallowed.type String"},
      {"v + 1 (void)", [] { return bin(O_ADD, var(&voidType), ic(1)); }, O_ADD, TK_ERROR, -1, -1, -1,
       "disallowed.type void"},
      {"1 + v (void)", [] { return bin(O_ADD, ic(1), var(&voidType)); }, O_ADD, TK_ERROR, -1, -1, -1,
       "disallowed.type void"},
      {"\"s\" + v (void)", [] { return bin(O_ADD, sc("s"), var(&voidType)); }, O_ADD, TK_ERROR, -1, -1, -1,
       "disallowed.type void"},
      {"C + 1 (class name)", [] { return bin(O_ADD, var(&classNameType), ic(1)); }, O_ADD, TK_ERROR, -1, -1, -1,
       "improper.class.ref"},
      {"1 == o", [=] { return bin(O_EQ, ic(1), var(object)); }, O_EQ, TK_ERROR, -1, -1, -1,
       "incomp.type int Object"},
      {"x && 1", [] { return bin(O_LAND, var(&booleanType), ic(1)); }, O_LAND, TK_ERROR, -1, -1, -1,
       "disallowed.type int"},
      {"1.5 << 1", [] { return bin(O_LSH, dc(1.5), ic(1)); }, O_LSH, TK_ERROR, -1, -1, -1, "disallowed.type double"},
      {"i &= 1.5", [] { return bin(O_ANA, var(&intType), dc(1.5)); }, O_ANA, TK_ERROR, -1, -1, -1,
       "disallowed.type double"},
      {"i &= true", [] { return bin(O_ANA, var(&intType), bc(true)); }, O_ANA, TK_ERROR, -1, -1, -1,
       "incomp.type.asg boolean int"},
  };
  for (const ShapeCase& c : cases) {
    reported.clear();
    ExprNode* node = c.build();
    ASSERT_NE(node, nullptr) << c.expression;
    EXPECT_EQ(reported, c.messages) << c.expression;
    ASSERT_NE(node->type, nullptr) << c.expression;
    EXPECT_EQ(node->type->kind, c.kind) << c.expression;
    if (c.kind == TK_ERROR) continue;
    EXPECT_EQ(node->op, c.op) << c.expression;
    if (c.leftOp >= 0 && node->left != nullptr) EXPECT_EQ(node->left->op, c.leftOp) << c.expression;
    if (c.leftKind >= 0) EXPECT_EQ(node->left->type->kind, c.leftKind) << c.expression;
    if (c.rightKind >= 0) EXPECT_EQ(node->right->type->kind, c.rightKind) << c.expression;
  }
}

struct RelationCase {
  const char* from;
  const char* to;
  bool widening;
  bool castable;
};

TEST_F(ExpressionNodesTest, TypeRelationsFollowTheLanguageTables) {
  declare(
      "interface I { int m(); }\n"
      "interface J { long m(); }\n"
      "interface K { void m(int x); long other(); }\n"
      "final class F {}\n"
      "final class G implements I { public int m() { return 0; } }\n"
      "class Sub extends java.util.Vector {}\n");
  std::vector<std::pair<const char*, Type*>> named = {
      {"boolean", &booleanType}, {"char", &charType},     {"byte", &byteType},
      {"short", &shortType},     {"int", &intType},       {"long", &longType},
      {"float", &floatType},     {"double", &doubleType}, {"Object", lang("Object")},
      {"String", stringType},    {"Integer", lang("Integer")}, {"Runnable", lang("Runnable")},
      {"Thread", lang("Thread")}, {"Cloneable", lang("Cloneable")}, {"Vector", util("Vector")},
      {"List", util("List")},    {"I", declared("I")},    {"J", declared("J")},
      {"K", declared("K")},      {"F", declared("F")},    {"G", declared("G")},
      {"Sub", declared("Sub")},  {"int[]", array(&intType)}, {"long[]", array(&longType)},
      {"Object[]", array(lang("Object"))}, {"String[]", array(stringType)},
      {"Integer[][]", array(array(lang("Integer")))}, {"Object[][]", array(array(lang("Object")))},
  };
  named.push_back({"Serializable", newClassType(classTypeOf(serializableClass()), nullptr, 0, 0)});
  auto type = [&](const char* name) -> Type* {
    for (auto& n : named)
      if (std::strcmp(n.first, name) == 0) return n.second;
    ADD_FAILURE() << name;
    return &errorType;
  };
  const RelationCase cases[] = {
      {"int", "float", true, true},          {"long", "float", true, true},
      {"char", "int", true, true},           {"char", "short", false, true},
      {"byte", "char", false, true},         {"short", "long", true, true},
      {"double", "float", false, true},      {"boolean", "int", false, false},
      {"int", "boolean", false, false},      {"boolean", "boolean", true, true},
      {"int", "Object", false, false},       {"Object", "int", false, false},
      {"int[]", "Object", true, true},       {"int[]", "Cloneable", true, true},
      {"int[]", "Serializable", true, true}, {"int[]", "Object[]", false, false},
      {"int[]", "long[]", false, false},     {"String[]", "Object[]", true, true},
      {"Object[]", "String[]", false, true}, {"Integer[][]", "Object[][]", true, true},
      {"Object", "int[]", false, true},      {"String", "int[]", false, false},
      {"String", "Object", true, true},      {"Object", "String", false, true},
      {"Integer", "String", false, false},   {"Thread", "Runnable", true, true},
      {"Runnable", "Thread", false, true},   {"Runnable", "Object", true, true},
      {"Vector", "Runnable", false, true},   {"Runnable", "Vector", false, true},
      {"String", "Runnable", false, false},  {"Runnable", "String", false, false},
      {"Runnable", "Integer", false, false}, {"F", "I", false, false},
      {"I", "F", false, false},              {"G", "I", true, true},
      {"I", "G", false, true},               {"I", "J", false, false},
      {"I", "K", false, true},               {"I", "I", true, true},
      {"Sub", "Vector", true, true},         {"Vector", "Sub", false, true},
      {"Sub", "List", true, true},           {"List", "Sub", false, true},
      {"Sub", "Cloneable", true, true},      {"Sub", "Object", true, true},
  };
  for (const RelationCase& c : cases) {
    const Type* from = type(c.from);
    const Type* to = type(c.to);
    EXPECT_EQ(isSameOrWidening(from, to), c.widening) << c.from << " to " << c.to;
    EXPECT_EQ(isCastable(from, to), c.castable) << c.from << " to " << c.to;
  }
  EXPECT_TRUE(sameType(stringType, lang("String")));
  EXPECT_TRUE(sameType(array(&intType), array(&intType)));
  EXPECT_FALSE(sameType(array(&intType), array(&longType)));
  EXPECT_FALSE(sameType(stringType, lang("Object")));
  EXPECT_TRUE(isSubclassType(declared("Sub"), lang("Object")));
  EXPECT_FALSE(isSubclassType(lang("Object"), declared("Sub")));
  EXPECT_EQ(reported, "");
}

TEST_F(ExpressionNodesTest, NarrowingTable) {
  Type* kinds[] = {&booleanType, &charType, &byteType, &shortType, &intType, &longType, &floatType, &doubleType};
  // Rows: from; columns: to, in the order of `kinds`.
  const char* table[] = {
      "........",  // boolean
      "..XX....",  // char
      ".X......",  // byte
      ".XX.....",  // short
      ".XXX....",  // int
      ".XXXX...",  // long
      ".XXXXX..",  // float
      ".XXXXXX.",  // double
  };
  for (int from = 0; from < 8; from++)
    for (int to = 0; to < 8; to++)
      EXPECT_EQ(isNarrowing(kinds[from], kinds[to]), table[from][to] == 'X')
          << typeToString(kinds[from]) << " to " << typeToString(kinds[to]);
}

Member* method(const char* name, std::vector<Type*> parameters, uint16_t modifiers = 0) {
  Parameter* first = nullptr;
  Parameter** tail = &first;
  for (Type* t : parameters) {
    *tail = newParameter(enterName("p", T_IDENTIFIER), t, 0, 0, 0);
    tail = &(*tail)->next;
  }
  return newMember(enterName(name, T_IDENTIFIER), 0, 0, modifiers, &voidType, 0, 0, 0, nullptr, first);
}

TEST_F(ExpressionNodesTest, MethodSelection) {
  Type* object = lang("Object");
  Member* objectString = method("m", {object, stringType});
  Member* stringObject = method("m", {stringType, object});
  Member* stringString = method("m", {stringType, stringType});
  EXPECT_EQ(mostSpecific(stringObject, objectString), nullptr);
  EXPECT_EQ(mostSpecific(stringString, objectString), stringString);
  EXPECT_EQ(mostSpecific(objectString, stringString), stringString);
  EXPECT_EQ(mostSpecific(stringString, stringObject), stringString);
  Member* intLong = method("m", {&intType, &longType});
  Member* longInt = method("m", {&longType, &intType});
  EXPECT_EQ(mostSpecific(intLong, longInt), nullptr);
  Member* ofInt = method("m", {&intType});
  Member* ofBoolean = method("m", {&booleanType});
  EXPECT_EQ(mostSpecific(ofInt, ofBoolean), nullptr);
  // Equal parameters: the first found wins unless only the later one has a body.
  Member* abstractOne = method("m", {&intType}, M_ABSTRACT);
  Member* concrete = method("m", {&intType});
  EXPECT_EQ(mostSpecific(concrete, abstractOne), concrete);
  EXPECT_EQ(mostSpecific(abstractOne, concrete), concrete);
  EXPECT_EQ(mostSpecific(ofInt, concrete), concrete);

  EXPECT_TRUE(methodsMatch(concrete, abstractOne));
  EXPECT_FALSE(methodsMatch(concrete, ofBoolean));
  EXPECT_FALSE(methodsMatch(concrete, intLong));

  ExprNode* twoStrings = bin(O_ARG, sc("a"), sc("b"));
  EXPECT_TRUE(argumentsMatch(twoStrings, stringString->parameters));
  EXPECT_TRUE(argumentsMatch(twoStrings, objectString->parameters));
  EXPECT_FALSE(argumentsMatch(twoStrings, ofInt->parameters));
  EXPECT_FALSE(argumentsMatch(sc("a"), stringString->parameters));
  EXPECT_FALSE(argumentsMatch(bin(O_ARG, twoStrings, sc("c")), stringString->parameters));
  ExprNode* nothing = makeKeywordExpression(O_NULL, nullptr, 1, 1);
  EXPECT_TRUE(argumentsMatch(nothing, method("m", {stringType})->parameters));
  EXPECT_TRUE(argumentsMatch(nothing, method("m", {array(&intType)})->parameters));
  EXPECT_FALSE(argumentsMatch(nothing, ofInt->parameters));
  EXPECT_TRUE(argumentsMatch(cc('a'), method("m", {&longType})->parameters));
  EXPECT_FALSE(argumentsMatch(lc(1), ofInt->parameters));
  EXPECT_TRUE(argumentsMatch(nullptr, method("m", {})->parameters));
  EXPECT_FALSE(argumentsMatch(nullptr, ofInt->parameters));
  // Synthetic parameters lead the list and take no argument.
  Member* inner = method("m", {object, &intType});
  inner->parameters->modifiers = M_SYNTHETIC;
  EXPECT_TRUE(argumentsMatch(ic(1), inner->parameters));
  EXPECT_FALSE(argumentsMatch(nullptr, inner->parameters));
  // Right- and left-leaning lists alike.
  Member* three = method("m", {&intType, stringType, &doubleType});
  EXPECT_TRUE(argumentsMatch(bin(O_ARG, ic(1), bin(O_ARG, sc("s"), dc(1))), three->parameters));
  EXPECT_TRUE(argumentsMatch(bin(O_ARG, bin(O_ARG, ic(1), sc("s")), fc(1)), three->parameters));
  EXPECT_FALSE(argumentsMatch(bin(O_ARG, bin(O_ARG, sc("s"), ic(1)), fc(1)), three->parameters));
}

struct TypedCase {
  const char* expression;
  std::function<ExprNode*()> build;
  int32_t op;
  const char* type;  // the node type's text
  const char* messages;
};

TEST_F(ExpressionNodesTest, ConditionalsSubscriptsCastsAndUnaryOperators) {
  Type* object = lang("Object");
  Type* runnable = lang("Runnable");
  Type* vector = util("Vector");
  Type* ints = array(&intType);
  auto c = [] { return var(&booleanType); };
  auto q = [](ExprNode* a, ExprNode* b, ExprNode* d) { return makeConditional(a, b, d, 1, 5); };
  auto at = [](ExprNode* a, ExprNode* i) { return makeSubscript(a, i, 1, 5); };
  const TypedCase cases[] = {
      {"c ? (short) s : (byte) b", [=] { return q(c(), var(&shortType), var(&byteType)); }, O_QUES, "short", ""},
      {"c ? (byte) b : (short) s", [=] { return q(c(), var(&byteType), var(&shortType)); }, O_QUES, "short", ""},
      {"c ? 'a' : 0", [=] { return q(c(), cc('a'), ic(0)); }, O_QUES, "char", ""},
      {"c ? 0 : b", [=] { return q(c(), ic(0), var(&byteType)); }, O_QUES, "byte", ""},
      {"c ? 200 : b", [=] { return q(c(), ic(200), var(&byteType)); }, O_QUES, "int", ""},
      {"c ? b : b", [=] { return q(c(), var(&byteType), var(&byteType)); }, O_QUES, "byte", ""},
      {"c ? c1 : b", [=] { return q(c(), var(&charType), var(&byteType)); }, O_QUES, "int", ""},
      {"c ? i : l", [=] { return q(c(), var(&intType), var(&longType)); }, O_QUES, "long", ""},
      {"c ? 1 : 2.5f", [=] { return q(c(), ic(1), fc(2.5)); }, O_QUES, "float", ""},
      {"c ? null : s", [=] { return q(c(), makeKeywordExpression(O_NULL, nullptr, 1, 1), var(stringType)); }, O_QUES,
       "String", ""},
      {"c ? s : null", [=] { return q(c(), var(stringType), makeKeywordExpression(O_NULL, nullptr, 1, 1)); }, O_QUES,
       "String", ""},
      {"c ? \"s\" : o", [=] { return q(c(), sc("s"), var(object)); }, O_QUES, "Object", ""},
      {"c ? o : \"s\"", [=] { return q(c(), var(object), sc("s")); }, O_QUES, "Object", ""},
      {"c ? a : o", [=] { return q(c(), var(ints), var(object)); }, O_QUES, "Object", ""},
      {"c ? r : v", [=] { return q(c(), var(runnable), var(vector)); }, O_QUES, "<error>",
       "incomp.type Runnable Vector"},
      {"c ? 1 : true", [=] { return q(c(), ic(1), bc(true)); }, O_QUES, "<error>", "incomp.type int boolean"},
      {"c ? null : 1", [=] { return q(c(), makeKeywordExpression(O_NULL, nullptr, 1, 1), ic(1)); }, O_QUES,
       "<error>", "incomp.type null int"},
      {"c ? \"s\" : 1", [=] { return q(c(), sc("s"), ic(1)); }, O_QUES, "<error>", "incomp.type String int"},
      {"i ? 1 : 2", [=] { return q(var(&intType), ic(1), ic(2)); }, O_QUES, "<error>", "disallowed.type int"},
      {"c ? v : 1 (void)", [=] { return q(c(), var(&voidType), ic(1)); }, O_QUES, "<error>",
       "disallowed.type void"},
      {"a[1]", [=] { return at(var(ints), ic(1)); }, O_SUBSCRIPT, "int", ""},
      {"a[b]", [=] { return at(var(ints), var(&byteType)); }, O_SUBSCRIPT, "int", ""},
      {"a[1L]", [=] { return at(var(ints), lc(1)); }, O_SUBSCRIPT, "<error>", "disallowed.type long"},
      {"a[1.5]", [=] { return at(var(ints), dc(1.5)); }, O_SUBSCRIPT, "<error>", "disallowed.type double"},
      {"a[true]", [=] { return at(var(ints), bc(true)); }, O_SUBSCRIPT, "<error>", "incomp.type boolean int"},
      {"i[0]", [=] { return at(var(&intType), ic(0)); }, O_SUBSCRIPT, "<error>", "disallowed.type int"},
      {"(String) \"s\"", [] { return cast(stringType, sc("s")); }, O_CAST, "String", ""},
      {"(int) 5", [] { return cast(&intType, ic(5)); }, O_CONST, "int", ""},
      {"(int) i", [] { return cast(&intType, var(&intType)); }, O_ID, "int", ""},
      {"(long) i", [] { return cast(&longType, var(&intType)); }, O_CAST, "long", ""},
      {"(Object) a", [=] { return cast(object, var(ints)); }, O_CAST, "Object", ""},
      {"(Runnable) o", [=] { return cast(runnable, var(object)); }, O_CAST, "Runnable", ""},
      {"(String) null", [] { return cast(stringType, makeKeywordExpression(O_NULL, nullptr, 1, 1)); }, O_CAST,
       "String", ""},
      {"(String) 1", [] { return cast(stringType, ic(1)); }, O_CAST, "<error>", "incomp.type int String"},
      {"(int) \"s\"", [] { return cast(&intType, sc("s")); }, O_CAST, "<error>", "incomp.type String int"},
      {"(boolean) 1", [] { return cast(&booleanType, ic(1)); }, O_CAST, "<error>", "incomp.type int boolean"},
      {"(int) v (void)", [] { return cast(&intType, var(&voidType)); }, O_CAST, "<error>", "incomp.type void int"},
      {"(int) C (class name)", [] { return cast(&intType, var(&classNameType)); }, O_CAST, "<error>",
       "improper.class.ref"},
      {"b++", [] { return un(O_INA, var(&byteType)); }, O_INA, "byte", ""},
      {"--d", [] { return un(O_DEB, var(&doubleType)); }, O_DEB, "double", ""},
      {"z++", [] { return un(O_INA, var(&booleanType)); }, O_INA, "<error>", "disallowed.type boolean"},
      {"s++", [] { return un(O_INB, var(stringType)); }, O_INB, "<error>", "disallowed.type String"},
      {"!i", [] { return un(O_NOT, var(&intType)); }, O_NOT, "<error>", "disallowed.type int"},
      {"!z", [] { return un(O_NOT, var(&booleanType)); }, O_NOT, "boolean", ""},
      {"-\"s\"", [] { return un(O_NEG, sc("s")); }, O_NEG, "<error>", "disallowed.type String"},
      {"-c", [] { return un(O_NEG, var(&charType)); }, O_NEG, "int", ""},
      {"-l", [] { return un(O_NEG, var(&longType)); }, O_NEG, "long", ""},
      {"~1.5", [] { return un(O_COMP, dc(1.5)); }, O_COMP, "<error>", "disallowed.type double"},
      {"~b", [] { return un(O_COMP, var(&byteType)); }, O_COMP, "int", ""},
      {"+z", [] { return un(O_UPLUS, var(&booleanType)); }, O_UPLUS, "<error>", "disallowed.type boolean"},
  };
  for (const TypedCase& t : cases) {
    reported.clear();
    ExprNode* node = t.build();
    ASSERT_NE(node, nullptr) << t.expression;
    EXPECT_EQ(reported, t.messages) << t.expression;
    EXPECT_STREQ(typeToString(node->type), t.type) << t.expression;
    if (node->type->kind != TK_ERROR) EXPECT_EQ(node->op, t.op) << t.expression;
  }
  // The index and the increment's variable are read as ints.
  ExprNode* element = at(var(ints), var(&byteType));
  EXPECT_EQ(element->right->op, O_CAST);
  EXPECT_EQ(element->right->type->kind, TK_INT);
  ExprNode* increment = un(O_INA, var(&byteType));
  EXPECT_EQ(increment->left->op, O_CAST);
  EXPECT_EQ(increment->left->type->kind, TK_INT);
  // The branches of ?: are converted to the common type.
  ExprNode* mixed = q(c(), var(&intType), var(&longType));
  EXPECT_EQ(mixed->right->op, O_CAST);
  EXPECT_EQ(mixed->right->type->kind, TK_LONG);
}

TEST_F(ExpressionNodesTest, OneFaultGivesOneDiagnostic) {
  // An operand that already failed passes up through every constructor without a new message.
  auto failed = [] {
    ExprNode* node = var(&intType);
    node->type = &errorType;
    return node;
  };
  std::vector<std::function<ExprNode*()>> builds = {
      [&] { return bin(O_ADD, failed(), sc("s")); },
      [&] { return bin(O_ASG, var(&byteType), failed()); },
      [&] { return bin(O_LAND, bin(O_ADD, failed(), ic(1)), var(&intType)); },
      [&] { return un(O_NEG, failed()); },
      [&] { return un(O_NOT, failed()); },
      [&] { return cast(stringType, failed()); },
      [&] { return cast(&intType, bin(O_MUL, failed(), ic(2))); },
      [&] { return makeConditional(failed(), ic(1), sc("s"), 1, 5); },
      [&] { return makeConditional(var(&booleanType), failed(), sc("s"), 1, 5); },
      [&] { return makeConditional(var(&booleanType), ic(1), failed(), 1, 5); },
      [&] { return makeSubscript(failed(), dc(1), 1, 5); },
      [&] { return makeSubscript(var(&intType), failed(), 1, 5); },
      [&] { return un(O_INA, failed()); },
  };
  for (size_t i = 0; i < builds.size(); i++) {
    reported.clear();
    ExprNode* node = builds[i]();
    EXPECT_EQ(reported, "") << "case " << i;
    EXPECT_EQ(node->type->kind, TK_ERROR) << "case " << i;
  }
  // One bad operand in a chain is reported once.
  reported.clear();
  ExprNode* chain = bin(O_ADD, bin(O_ADD, bin(O_ADD, ic(1), var(lang("Object"))), ic(2)), ic(3));
  EXPECT_EQ(reported, "disallowed.type Object");
  EXPECT_EQ(chain->type->kind, TK_ERROR);
}

Member* variable(Type* type, uint16_t modifiers = 0) {
  Member* v = newVariable(modifiers, type, enterName("x", T_IDENTIFIER), true, 1, 1);
  v->slot = 1;
  return v;
}

ExprNode* initializer(std::vector<ExprNode*> elements) {
  ExprNode* list = nullptr;
  for (ExprNode* e : elements) list = list == nullptr ? e : makeBinaryExpression(O_ARG, list, e, 1, 3);
  return makeUnaryExpression(O_AINIT, list, 1, 2);
}

TEST_F(ExpressionNodesTest, VariableAndArrayInitializers) {
  reported.clear();
  ExprNode* init = makeVariableInit(variable(array(&intType)), initializer({ic(1), dc(2.0), ic(3)}), 1, 1);
  EXPECT_EQ(reported, "incomp.type.asg double int");
  EXPECT_EQ(init->op, O_INIT);
  EXPECT_STREQ(typeToString(init->type), "int[]");

  reported.clear();
  init = makeVariableInit(variable(&intType), initializer({ic(1)}), 1, 1);
  EXPECT_EQ(reported, "not.array.type");
  EXPECT_EQ(init->type->kind, TK_ERROR);

  reported.clear();
  init = makeVariableInit(variable(array(array(&intType))), initializer({initializer({ic(1)}), ic(2)}), 1, 1);
  EXPECT_EQ(reported, "incomp.type.asg int int[]");

  reported.clear();
  init = makeVariableInit(variable(array(&intType)), initializer({initializer({ic(1)})}), 1, 1);
  EXPECT_EQ(reported, "not.array.type");

  reported.clear();
  init = makeVariableInit(variable(array(&byteType)), initializer({ic(1), ic(200), cc('a')}), 1, 1);
  EXPECT_EQ(reported, "incomp.type.asg int byte");

  // Elements take the element type: the constants are converted in place, in source order.
  reported.clear();
  ExprNode* chars = initializer({ic(65), ic(66), ic(67)});
  init = makeVariableInit(variable(array(&charType)), chars, 1, 1);
  EXPECT_EQ(reported, "");
  ExprNode* list = chars->left;
  EXPECT_EQ(list->right->type->kind, TK_CHAR);
  EXPECT_EQ(list->right->integerValue, 67);
  EXPECT_EQ(list->left->left->type->kind, TK_CHAR);
  EXPECT_EQ(list->left->left->integerValue, 65);

  reported.clear();
  init = makeVariableInit(variable(array(&intType)), initializer({}), 1, 1);
  EXPECT_EQ(reported, "");
  EXPECT_STREQ(typeToString(init->type), "int[]");

  reported.clear();
  init = makeVariableInit(variable(&longType), ic(5), 1, 1);
  EXPECT_EQ(reported, "");
  EXPECT_EQ(init->type->kind, TK_LONG);
  EXPECT_EQ(init->right->op, O_CONST);
  EXPECT_EQ(init->right->type->kind, TK_LONG);

  reported.clear();
  init = makeVariableInit(variable(&intType), lc(3), 1, 1);
  EXPECT_EQ(reported, "incomp.type.asg long int");
  EXPECT_EQ(init->type->kind, TK_ERROR);
}

TEST_F(ExpressionNodesTest, LiteralsKeywordsAndPredicates) {
  ExprNode* hex = makeIntegerConstant(T_INT, 0xFFFFFFFFLL, 1, 1);
  EXPECT_EQ(hex->integerValue, -1);
  ExprNode* wide = makeIntegerConstant(T_INT, 0x100000005LL, 1, 1);
  EXPECT_EQ(wide->integerValue, 5);
  ExprNode* c = makeIntegerConstant(T_CHAR, -1, 1, 1);
  EXPECT_EQ(c->integerValue, 65535);
  ExprNode* b = ic(200);
  b->type = &byteType;
  normalizeIntConstant(b);
  EXPECT_EQ(b->integerValue, -56);
  reported.clear();
  ExprNode* bad = makeIntegerConstant(T_DOUBLE, 1, 1, 1);
  EXPECT_EQ(reported, "internal.tree.error unfinished 5");
  EXPECT_EQ(bad->type->kind, TK_ERROR);
  EXPECT_EQ(makeFloatingConstant(T_FLOAT, 0.1, 1, 1)->doubleValue, static_cast<double>(0.1f));

  EXPECT_TRUE(isZeroConstant(bc(false)));
  EXPECT_TRUE(isZeroConstant(lc(0)));
  EXPECT_FALSE(isZeroConstant(dc(0)));
  EXPECT_FALSE(isZeroConstant(makeKeywordExpression(O_NULL, nullptr, 1, 1)));
  EXPECT_TRUE(isIntConstantValue(lc(-1), -1));
  EXPECT_TRUE(isInfiniteConstant(bin(O_DIV, dc(1), dc(0))));
  EXPECT_TRUE(fitsNarrowConstant(ic(127), &byteType));
  EXPECT_FALSE(fitsNarrowConstant(ic(128), &byteType));
  EXPECT_TRUE(fitsNarrowConstant(ic(65535), &charType));
  EXPECT_FALSE(fitsNarrowConstant(ic(-1), &charType));
  EXPECT_TRUE(fitsNarrowConstant(cc('a'), &byteType));
  EXPECT_FALSE(fitsNarrowConstant(lc(1), &byteType));
  EXPECT_FALSE(fitsNarrowConstant(ic(1), &intType));
  EXPECT_TRUE(isAssignableValue(&shortType, ic(-32768)));
  EXPECT_FALSE(isAssignableValue(&shortType, ic(32768)));

  // Comparisons of floating operands carry how a NaN decides.
  ExprNode* less = bin(O_LT, var(&floatType), var(&floatType));
  EXPECT_EQ(less->literalKind & 1, 1);
  ExprNode* greater = bin(O_GT, var(&floatType), var(&floatType));
  EXPECT_EQ(greater->literalKind & 1, 0);

  ClassDef* object = lang("Object")->classRef->resolved;
  ExprNode* self = makeKeywordExpression(O_THIS, object, 3, 4);
  EXPECT_TRUE(isClassType(self->type, object));
  EXPECT_TRUE(isClassType(makeKeywordExpression(O_NULL, nullptr, 1, 1)->type, object));
  reported.clear();
  ExprNode* super = makeKeywordExpression(O_SUPER, object, 3, 4);
  EXPECT_EQ(reported, "no.super java.lang.Object");
  EXPECT_EQ(super->type->kind, TK_ERROR);
  ClassDef* string = stringClass();
  super = makeKeywordExpression(O_SUPER, string, 3, 4);
  EXPECT_TRUE(isClassType(super->type, object));
  EXPECT_FALSE(isClassType(super->type, string));
}

int32_t foldedCount;

// Stands for the evaluator: every variable reads as the int 7.
ExprNode* readSeven(ExprNode* node) {
  if (node->op != O_ID) return node;
  foldedCount++;
  return makeIntegerConstant(T_INT, 7, node->line, node->column);
}

TEST_F(ExpressionNodesTest, WhileEvaluatingOperandsAreReadFromTheFrame) {
  setMemoryReferenceFolder(readSeven);
  global.evaluating = 1;
  foldedCount = 0;
  ExprNode* sum = bin(O_ADD, var(&intType), bin(O_MUL, var(&intType), ic(2)));
  EXPECT_EQ(sum->op, O_CONST);
  EXPECT_EQ(sum->integerValue, 21);
  EXPECT_EQ(foldedCount, 2);
  // The right side of && is read only when it decides.
  foldedCount = 0;
  ExprNode* condition = bin(O_LAND, bc(false), var(&booleanType));
  EXPECT_EQ(condition->op, O_CONST);
  EXPECT_EQ(foldedCount, 0);
  ExprNode* chosen = makeConditional(bc(true), var(&intType), ic(1), 1, 5);
  EXPECT_EQ(chosen->op, O_CONST);
  EXPECT_EQ(chosen->integerValue, 7);
  EXPECT_EQ(cast(&longType, var(&intType))->type->kind, TK_LONG);
  EXPECT_EQ(un(O_NEG, var(&intType))->integerValue, -7);
  // Assignments change nothing in the frame: they are refused without a message.
  reported.clear();
  ExprNode* assignment = bin(O_ASG, var(&intType), ic(1));
  EXPECT_EQ(assignment->type->kind, TK_ERROR);
  EXPECT_EQ(reported, "");
  global.evaluating = 0;
  setMemoryReferenceFolder(nullptr);
  // Outside an evaluation nothing is read.
  foldedCount = 0;
  EXPECT_EQ(bin(O_ADD, var(&intType), ic(1))->op, O_ADD);
  EXPECT_EQ(foldedCount, 0);
}

}  // namespace
