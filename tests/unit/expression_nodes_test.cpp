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

std::string reported;

void collect(const char* text) {
  if (!reported.empty()) reported += "; ";
  reported += text;
}

class ExpressionNodesTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    // Each message shows its key and its arguments.
    initMessageTable(16);
    const char* messages[][2] = {
        {"disallowed.type", "1"}, {"improper.class.ref", "0"}, {"incomp.type", "2"}, {"incomp.type.asg", "2"},
        {"divide.by.zero", "0"},  {"rem.by.zero", "0"},        {"num.ovfl", "0"},    {"not.array.type", "0"},
        {"no.super", "1"},        {"internal.tree.error", "1"},
    };
    for (auto& m : messages) {
      std::string text = m[0];
      for (int i = 1; i <= m[1][0] - '0'; i++) text += " %" + std::to_string(i);
      addMessage(m[0], static_cast<int32_t>(std::strlen(m[0])), m[1][0] - '0', text.c_str(),
                 static_cast<int32_t>(text.size()));
    }
    sortMessages();
    resetClassTable();
    initScanner();
    global.ctx = ParserContext{};
    entries[0] = mainArenaCopy(CLASS_LIBRARY);
    archives[0] = zipOpen(CLASS_LIBRARY);
    ASSERT_NE(archives[0], nullptr);
    global.classPathEntries = global.sourcePathEntries = entries;
    global.classPathArchives = global.sourcePathArchives = archives;
    initJavaIo();
    global.messageCallback = collect;
    reported.clear();
  }

  void TearDown() override {
    global.messageCallback = nullptr;
    zipClose(archives[0]);
    global.classPathEntries = global.sourcePathEntries = nullptr;
    global.classPathArchives = global.sourcePathArchives = nullptr;
    CompilerTest::TearDown();
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

  char* entries[2] = {nullptr, nullptr};
  ZipFile* archives[2] = {nullptr, nullptr};
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
      {"1 << 33", [] { return bin(O_LSH, ic(1), ic(33)); }, O_CONST, TK_INT, 2, "num.ovfl"},
      {"1 << -1", [] { return bin(O_LSH, ic(1), ic(-1)); }, O_CONST, TK_INT, -2147483648.0, "num.ovfl"},
      {"1L << 33", [] { return bin(O_LSH, lc(1), ic(33)); }, O_CONST, TK_LONG, 8589934592.0, ""},
      {"1L << 64", [] { return bin(O_LSH, lc(1), ic(64)); }, O_CONST, TK_LONG, 1, "num.ovfl"},
      {"1 << 2L", [] { return bin(O_LSH, ic(1), lc(2)); }, O_CONST, TK_INT, 4, ""},
      {"MIN / -1", [] { return bin(O_DIV, ic(-2147483648LL), ic(-1)); }, O_CONST, TK_INT, -2147483648.0, ""},
      {"MIN % -1", [] { return bin(O_REM, ic(-2147483648LL), ic(-1)); }, O_CONST, TK_INT, 0, ""},
      {"LMIN / -1L", [=] { return bin(O_DIV, lc(lmin), lc(-1)); }, O_CONST, TK_LONG, -9223372036854775808.0, ""},
      {"LMIN % -1L", [=] { return bin(O_REM, lc(lmin), lc(-1)); }, O_CONST, TK_LONG, 0, ""},
      {"-7 / 2", [] { return bin(O_DIV, ic(-7), ic(2)); }, O_CONST, TK_INT, -3, ""},
      {"-7 % 2", [] { return bin(O_REM, ic(-7), ic(2)); }, O_CONST, TK_INT, -1, ""},
      {"5 / 0", [] { return bin(O_DIV, ic(5), ic(0)); }, O_DIV, TK_INT, 0, "divide.by.zero"},
      {"5 % 0L", [] { return bin(O_REM, ic(5), lc(0)); }, O_REM, TK_LONG, 0, "rem.by.zero"},
      {"x / 0", [] { return bin(O_DIV, var(&intType), ic(0)); }, O_DIV, TK_INT, 0, "divide.by.zero"},
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
      {"null == null", [] { return bin(O_EQ, makeKeywordExpression(O_NULL, nullptr, 1, 1),
                                       makeKeywordExpression(O_NULL, nullptr, 1, 3)); },
       O_CONST, TK_BOOLEAN, 1, ""},
      {"false && x", [] { return bin(O_LAND, bc(false), var(&booleanType)); }, O_CONST, TK_BOOLEAN, 0, ""},
      {"true || x", [] { return bin(O_LOR, bc(true), var(&booleanType)); }, O_CONST, TK_BOOLEAN, 1, ""},
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
       "divide.by.zero"},
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

}  // namespace
