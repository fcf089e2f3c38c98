// Debugger evaluations over the model machine: a frame of an instance method with locals of
// every kind, a string, arrays, nulls and an object with fields. Expressions give their kind,
// value, signature letter and error text as the IDE reads them; the model with one item taken
// away reaches each internal error; call sequences never touch memory an earlier call let go of.
#include <clocale>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "evaluate/expression_evaluation.h"
#include "evaluate/frame_evaluation.h"
#include "evaluate/model_view.h"
#include "platform/thread_stack.h"
#include "semantic/expression_nodes.h"
#include "semantic/type_records.h"
#include "support/encodings.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "test_support.h"

namespace {

const std::string messageDirectory = std::string(STAGE_DIR) + "/lib/";

std::string utf8(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xc0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
      out += static_cast<char>(0xe0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
      out += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
  return out;
}

char* copyDirectory(const void* directory) {
  return directory != nullptr ? strdup(static_cast<const char*>(directory)) : nullptr;
}

std::string errorText() {
  char16_t units[ERROR_TEXT_UNITS];
  int32_t count = evaluationErrorText(units);
  return utf8(std::u16string(units, count));
}

// Slots: 0 this, 1 i, 2-3 l, 4-5 d, 6 f, 7 c, 8 b, 9 z, 10 by, 11 sh, 12 s, 13 arr, 14 nul,
// 15 nullArr, 16 obj, 17 bytes, 18 chars, 19 late (its range begins after the pc), 20 words.
class EvaluationTest : public testing::Test {
 public:
  ModelView vm;
  VmObject self = 0, text = 0, array = 0, point = 0, bytes = 0, chars = 0, words = 0;

  void SetUp() override {
    std::setlocale(LC_ALL, "C.UTF-8");
    vm.pc = 10;
    int32_t pointClass = vm.addClass({});
    point = vm.addObject(pointClass);
    VmObject nextPoint = vm.addObject(pointClass);
    vm.classes[pointClass].fields = {
        {"px", "I", false, modelInt(3)},
        {"py", "D", false, modelFloating(2.5)},
        {"next", "LPoint;", false, modelReference(nextPoint)},
        {"none", "LPoint;", false, modelReference(0)},
        {"count", "J", true, modelInt(1234567890123LL)},
    };
    text = vm.addObject(vm.addClass({}));
    array = vm.addArray({modelInt(10), modelInt(20), modelInt(30), modelInt(40), modelInt(50)});
    bytes = vm.addArray({modelInt(0xff), modelInt(127)});
    chars = vm.addArray({modelInt(0xffff), modelInt('a')});
    words = vm.addArray({modelReference(text), modelReference(0)});
    self = vm.addObject(vm.addClass({{"x", "I", false, modelInt(7)}, {"s", "I", false, modelInt(99)}}));
    vm.addLocal("this", "LFrame;", 0, modelReference(self));
    vm.addLocal("i", "I", 1, modelInt(41));
    vm.addLocal("l", "J", 2, modelInt(1LL << 40));
    vm.addLocal("d", "D", 4, modelFloating(10.0));
    vm.addLocal("f", "F", 6, modelFloating(1.5));
    vm.addLocal("c", "C", 7, modelInt('q'));
    vm.addLocal("b", "Z", 8, modelInt(1));
    vm.addLocal("z", "Z", 9, modelInt(0));
    vm.addLocal("by", "B", 10, modelInt(-5));
    vm.addLocal("sh", "S", 11, modelInt(-300));
    vm.addLocal("s", "Ljava/lang/String;", 12, modelReference(text));
    vm.addLocal("arr", "[I", 13, modelReference(array));
    vm.addLocal("nul", "Ljava/lang/Object;", 14, modelReference(0));
    vm.addLocal("nullArr", "[I", 15, modelReference(0));
    vm.addLocal("obj", "LPoint;", 16, modelReference(point));
    vm.addLocal("bytes", "[B", 17, modelReference(bytes));
    vm.addLocal("chars", "[C", 18, modelReference(chars));
    vm.addLocal("late", "I", 19, modelInt(5), 500, 10);
    vm.addLocal("words", "[Ljava/lang/String;", 20, modelReference(words));
  }

  void TearDown() override {
    releaseEvaluation();
    setEvaluationView(nullptr);
    std::setlocale(LC_ALL, "C");
  }

  EvalResultKind evaluate(const char* expression, int32_t depth = 0) {
    return evaluateExpression(&vm, depth, expression, copyDirectory, messageDirectory.c_str(), nullptr);
  }

  void removeThis() {
    vm.locals.erase(vm.locals.begin());
  }
};

struct ValueCase {
  const char* expression;
  EvalResultKind kind;
  char signature;
  int64_t integer;   // kinds 2, 4 and 5; the handle for 1 when `object` is set
  double floating;   // kinds 3 and 6
  VmObject EvaluationTest::*object;  // kind 1: the object expected (null member: null)
};

TEST_F(EvaluationTest, ValuesKindsAndSignatures) {
  const ValueCase cases[] = {
      {"i + 1", EVAL_INTEGRAL, 'I', 42, 0, nullptr},
      {"l * 2", EVAL_INTEGRAL, 'J', 1LL << 41, 0, nullptr},
      {"d / 3", EVAL_DOUBLE, 'D', 0, 10.0 / 3, nullptr},
      {"f", EVAL_FLOAT, 'F', 0, 1.5, nullptr},
      {"f * 2", EVAL_FLOAT, 'F', 0, 3.0, nullptr},
      {"c", EVAL_CHAR, 'C', 'q', 0, nullptr},
      {"b && !z", EVAL_BOOLEAN, 'Z', 1, 0, nullptr},
      {"z || b", EVAL_BOOLEAN, 'Z', 1, 0, nullptr},
      {"by", EVAL_INTEGRAL, 'B', -5, 0, nullptr},
      {"sh", EVAL_INTEGRAL, 'S', -300, 0, nullptr},
      {"by + sh", EVAL_INTEGRAL, 'I', -305, 0, nullptr},
      {"s", EVAL_OBJECT, 'L', 0, 0, &EvaluationTest::text},
      {"arr", EVAL_OBJECT, '[', 0, 0, &EvaluationTest::array},
      {"arr.length", EVAL_INTEGRAL, 'I', 5, 0, nullptr},
      {"arr[2]", EVAL_INTEGRAL, 'I', 30, 0, nullptr},
      {"arr[i - 37]", EVAL_INTEGRAL, 'I', 50, 0, nullptr},
      {"arr[0] + arr[arr.length - 1]", EVAL_INTEGRAL, 'I', 60, 0, nullptr},
      {"bytes[0]", EVAL_INTEGRAL, 'B', -1, 0, nullptr},
      {"chars[0]", EVAL_CHAR, 'C', 0xffff, 0, nullptr},
      {"words[0]", EVAL_OBJECT, 'L', 0, 0, &EvaluationTest::text},
      {"words[1]", EVAL_OBJECT, 'L', 0, 0, nullptr},
      {"nul", EVAL_OBJECT, 'L', 0, 0, nullptr},
      {"obj", EVAL_OBJECT, 'L', 0, 0, &EvaluationTest::point},
      {"obj.px", EVAL_INTEGRAL, 'I', 3, 0, nullptr},
      {"obj.py * 2", EVAL_DOUBLE, 'D', 0, 5.0, nullptr},
      {"obj.next.px", EVAL_INTEGRAL, 'I', 3, 0, nullptr},
      {"obj.none", EVAL_OBJECT, 'L', 0, 0, nullptr},
      {"obj.count", EVAL_INTEGRAL, 'J', 1234567890123LL, 0, nullptr},
      {"this", EVAL_OBJECT, 'L', 0, 0, &EvaluationTest::self},
      {"this.x", EVAL_INTEGRAL, 'I', 7, 0, nullptr},
      {"x * i", EVAL_INTEGRAL, 'I', 287, 0, nullptr},
      // A local hides the field of the same name.
      {"s", EVAL_OBJECT, 'L', 0, 0, &EvaluationTest::text},
      {"this.s", EVAL_INTEGRAL, 'I', 99, 0, nullptr},
      {"(int) d", EVAL_INTEGRAL, 'I', 10, 0, nullptr},
      {"(char) (i + 24)", EVAL_CHAR, 'C', 'A', 0, nullptr},
      {"(byte) 300", EVAL_INTEGRAL, 'B', 44, 0, nullptr},
      {"(float) i", EVAL_FLOAT, 'F', 0, 41.0, nullptr},
      {"(long) i << 33", EVAL_INTEGRAL, 'J', 41LL << 33, 0, nullptr},
      {"1 + 2", EVAL_INTEGRAL, 'I', 3, 0, nullptr},
      {"'a'", EVAL_CHAR, 'C', 97, 0, nullptr},
      {"0x7fffffff + 1", EVAL_INTEGRAL, 'I', INT32_MIN, 0, nullptr},
      {"true", EVAL_BOOLEAN, 'Z', 1, 0, nullptr},
      {"null", EVAL_OBJECT, 'L', 0, 0, nullptr},
      {"i > 40 ? l : 2", EVAL_INTEGRAL, 'J', 1LL << 40, 0, nullptr},
      {"c == 'q'", EVAL_BOOLEAN, 'Z', 1, 0, nullptr},
      {"nul instanceof Object", EVAL_BOOLEAN, 'Z', 0, 0, nullptr},
      {"nullArr instanceof Object", EVAL_BOOLEAN, 'Z', 0, 0, nullptr},
      {"s instanceof Object", EVAL_BOOLEAN, 'Z', 1, 0, nullptr},
      {"\\u0069 + 1", EVAL_INTEGRAL, 'I', 42, 0, nullptr},
      // ?: takes its type from both branches, the one not chosen too; a value read is no
      // constant expression, so an int variable beside a char promotes it.
      {"(z ? i : d) / 4", EVAL_DOUBLE, 'D', 0, 2.5, nullptr},
      {"(b ? i : l) * 100000000", EVAL_INTEGRAL, 'J', 4100000000LL, 0, nullptr},
      {"b ? by : sh", EVAL_INTEGRAL, 'S', -5, 0, nullptr},
      {"b ? c : i", EVAL_INTEGRAL, 'I', 'q', 0, nullptr},
      {"b ? c : 5", EVAL_CHAR, 'C', 'q', 0, nullptr},
      {"b ? obj.px : d", EVAL_DOUBLE, 'D', 0, 3.0, nullptr},
      {"z ? by : (b ? 1 : i)", EVAL_INTEGRAL, 'I', 1, 0, nullptr},
      {"i << 33", EVAL_INTEGRAL, 'I', 82, 0, nullptr},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.expression);
    ASSERT_EQ(evaluate(c.expression), c.kind) << errorText();
    switch (c.kind) {
      case EVAL_OBJECT:
        EXPECT_EQ(evaluationObjectValue(), c.object != nullptr ? this->*c.object : 0);
        break;
      case EVAL_DOUBLE:
      case EVAL_FLOAT:
        EXPECT_EQ(evaluationDoubleValue(), c.floating);
        break;
      case EVAL_CHAR:
        EXPECT_EQ(evaluationCharacterValue(), static_cast<uint16_t>(c.integer));
        break;
      case EVAL_BOOLEAN:
        EXPECT_EQ(evaluationBooleanValue(), c.integer);
        break;
      default:
        EXPECT_EQ(evaluationLongValue(), c.integer);
        break;
    }
    evaluationDone();
    EXPECT_EQ(evaluationSignature(), c.signature);
  }
}

TEST_F(EvaluationTest, StringLiteralIsANewStringOfTheMachine) {
  ASSERT_EQ(evaluate("\"ab\\u00e9\" + 1"), EVAL_OBJECT);
  VmObject made = evaluationObjectValue();
  ASSERT_NE(vm.object(made), nullptr);
  EXPECT_EQ(vm.object(made)->text, u"ab\u00e91");
  evaluationDone();
  EXPECT_EQ(evaluationSignature(), 'L');
}

struct ErrorCase {
  const char* expression;
  const char* text;
};

TEST_F(EvaluationTest, ErrorTexts) {
  const ErrorCase cases[] = {
      {"nosuch", "<No field named nosuch can be found.>"},
      {"late", "<Local variable late exists in this method but is not in scope at the current point.>"},
      {"obj.nofield", "<No field named nofield can be found.>"},
      {"i.x", "<The expression before the dot does not have a class type.>"},
      // Attribution refuses a subscript of what is no array before the frame is read.
      {"i[0]", "<An operand of type int is not allowed here.>"},
      {"arr[5]", "<The debugger cannot read this element: the array index is out of bounds.>"},
      {"arr[-1]", "<The debugger cannot read this element: the array index is out of bounds.>"},
      {"arr[i]", "<The debugger cannot read this element: the array index is out of bounds.>"},
      {"nullArr.length", "<The debugger cannot use this array because it is null.>"},
      {"nullArr[0]", "<The debugger cannot use this array because it is null.>"},
      {"nullArr[0] + 1", "<The debugger cannot use this array because it is null.>"},
      {"toString()", "<The debugger cannot evaluate method calls.>"},
      {"obj.hashCode()", "<The debugger cannot evaluate method calls.>"},
      // An assignment fails without a message of its own, as does what folding cannot reach.
      {"i = 3", "<The debugger could not evaluate this expression.>"},
      {"i += 3", "<The debugger could not evaluate this expression.>"},
      {"s + 1", "<The debugger could not evaluate this expression.>"},
      {"obj == null", "<The debugger could not evaluate this expression.>"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(evaluate(c.expression), EVAL_FAILURE);
    EXPECT_EQ(errorText(), c.text);
    evaluationDone();
  }
}

// The signature letter after a failure: the type the expression has even though a value could
// not be read or computed; a blank where it has none.
TEST_F(EvaluationTest, FailuresKeepTheTypeTheyHave) {
  const struct {
    const char* expression;
    char signature;
  } cases[] = {
      {"arr[5]", 'I'},      {"arr[5] * 2.0", 'D'}, {"nullArr.length", 'I'}, {"nullArr[0] + 1L", 'J'},
      {"b ? arr[9] : 1", 'I'}, {"arr[arr[9]]", 'I'}, {"words[7]", 'L'},       {"i / (i - 41)", 'I'},
      {"s + 1", 'L'},       {"nosuch", ' '},       {"obj.nofield + 1", ' '}, {"toString()", ' '},
      {"i = 3", ' '},       {"1 +", ' '},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(evaluate(c.expression), EVAL_FAILURE);
    evaluationDone();
    EXPECT_EQ(evaluationSignature(), c.signature);
  }
  // The message is the first parse's, whatever the second one met.
  EXPECT_EQ(evaluate("arr[arr[9]]"), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "<The debugger cannot read this element: the array index is out of bounds.>");
}

// On a thread whose stack would run out before the 256 levels of the parse, the parse stops where
// the stack still has its reserve, and says how many levels it allowed.
TEST_F(EvaluationTest, AnExpressionTooDeepForTheStackIsRefused) {
  auto nested = [](int levels) {
    std::string text;
    for (int n = 0; n < levels; n++) text += "(1 + ";
    text += "i";
    for (int n = 0; n < levels; n++) text += ")";
    return text;
  };
  struct Call {
    EvaluationTest* test;
    std::string expression;
    EvalResultKind kind;
    int64_t value;
    std::string text;
  };
  auto run = [](void* argument) {
    auto* call = static_cast<Call*>(argument);
    call->kind = call->test->evaluate(call->expression.c_str());
    call->value = evaluationLongValue();
    call->text = errorText();
  };
  for (int levels : {3, 300}) {
    Call call{this, nested(levels), EVAL_FAILURE, 0, ""};
    ASSERT_TRUE(runOnOwnStack(run, &call, EVALUATION_STACK_RESERVE + 48 * 1024));
    if (levels == 3) {
      ASSERT_EQ(call.kind, EVAL_INTEGRAL) << call.text;
      EXPECT_EQ(call.value, 44);
      continue;
    }
    EXPECT_EQ(call.kind, EVAL_FAILURE);
    int allowed = 0;
    ASSERT_EQ(std::sscanf(call.text.c_str(), "<Classes, blocks and expressions may nest at most %d levels", &allowed), 1)
        << call.text;
    EXPECT_GT(allowed, 0);
    EXPECT_LT(allowed, 256);
  }
  // The main thread's stack holds all 256 levels.
  ASSERT_EQ(evaluate(nested(300).c_str()), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "<Classes, blocks and expressions may nest at most 256 levels deep; this one is skipped.>");
}

TEST_F(EvaluationTest, NamesInAStaticFrame) {
  removeThis();
  const ErrorCase cases[] = {
      {"nosuch", "<The debugger found no variable named nosuch in the current frame.>"},
      {"this", "<The debugger found no variable named this in the current frame.>"},
      {"this.x", "<The debugger found no variable named this in the current frame.>"},
      {"late", "<The debugger found no variable named late in the current frame.>"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(evaluate(c.expression), EVAL_FAILURE);
    EXPECT_EQ(errorText(), c.text);
    evaluationDone();
  }
  vm.hasLocalTable = false;
  EXPECT_EQ(evaluate("i"), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "<The debugger found no variable named i in the current frame.>");
}

TEST_F(EvaluationTest, SyntaxErrorIsTheMessage) {
  EXPECT_EQ(evaluate("1 +"), EVAL_FAILURE);
  std::string message = errorText();
  EXPECT_EQ(message.front(), '<');
  EXPECT_EQ(message.back(), '>');
  EXPECT_GT(message.size(), 2u);
  EXPECT_EQ(evaluate("i i"), EVAL_FAILURE);
}

struct InternalCase {
  const char* detail;
  const char* expression;
  std::function<void(ModelView&)> breakModel;
};

TEST_F(EvaluationTest, InternalErrorsFromTheMachine) {
  auto local = [](ModelView& m, const char* name) -> ModelLocal& {
    for (ModelLocal& l : m.locals)
      if (l.name == name) return l;
    return m.locals.front();
  };
  auto pointField = [](ModelView& m, const char* name) -> ModelField& {
    for (ModelField& f : m.classes[0].fields)
      if (f.name == name) return f;
    return m.classes[0].fields.front();
  };
  const InternalCase cases[] = {
      {"mb==0", "i", [](ModelView& m) { m.hasMethod = false; }},
      {"cannot access constant pool", "i", [&](ModelView& m) { local(m, "i").signatureMissing = true; }},
      {"no type on local", "i", [&](ModelView& m) { local(m, "i").signature = "Q"; }},
      {"no type on local", "i", [&](ModelView& m) { local(m, "i").signature = "L;"; }},
      {"no type on local", "i", [&](ModelView& m) { local(m, "i").signature = "[V"; }},
      {"unknown type of local", "i", [&](ModelView& m) { local(m, "i").signature = "V"; }},
      {"local slot outside the frame", "i", [&](ModelView& m) { local(m, "i").slot = 21; }},
      {"local slot outside the frame", "i", [&](ModelView& m) { local(m, "i").slot = -1; }},
      {"local slot outside the frame", "i", [](ModelView& m) { m.hasSlots = false; }},
      // A long or double in the last slot would need a slot the frame does not have.
      {"local slot outside the frame", "l", [&](ModelView& m) { local(m, "l").slot = 20; }},
      {"local slot outside the frame", "d", [&](ModelView& m) { local(m, "d").slot = 20; }},
      {"obj_classblock(obj)==0", "obj.px", [&](ModelView& m) { m.object(point)->classIndex = -1; }},
      {"no fields in cb", "obj.px", [](ModelView& m) { m.classes[0].noFieldList = true; }},
      {"no fields in cb", "x", [&](ModelView& m) { m.classes[m.object(self)->classIndex].noFieldList = true; }},
      {"cannot make type", "obj.px", [&](ModelView& m) { pointField(m, "px").signature = "Q"; }},
      {"unknown field type", "obj.px", [&](ModelView& m) { pointField(m, "px").signature = "V"; }},
      {"unhand(obj)==0", "obj.px", [&](ModelView& m) { m.object(point)->noData = true; }},
      {"v==0", "obj.px", [&](ModelView& m) { pointField(m, "px").noPlace = true; }},
      {"cannot read local slot", "i", [](ModelView& m) { m.refuseLocalReads = true; }},
      {"cannot read array element", "arr[1]", [](ModelView& m) { m.refuseElementReads = true; }},
  };
  for (const InternalCase& c : cases) {
    SCOPED_TRACE(std::string(c.detail) + " / " + c.expression);
    ModelView saved = vm;
    c.breakModel(vm);
    EXPECT_EQ(evaluate(c.expression), EVAL_FAILURE);
    EXPECT_EQ(errorText(), std::string("<Internal error in the debugger evaluation: ") + c.detail + ".>");
    evaluationDone();
    vm = saved;
  }
  // The slots just inside the frame still read: the last slot, a long in the two last.
  local(vm, "i").slot = 20;
  local(vm, "l").slot = 19;
  vm.slots[19] = modelInt(-2);
  vm.slots[20] = modelInt(8);
  ASSERT_EQ(evaluate("i"), EVAL_INTEGRAL);
  EXPECT_EQ(evaluationLongValue(), 8);
  ASSERT_EQ(evaluate("l"), EVAL_INTEGRAL);
  EXPECT_EQ(evaluationLongValue(), -2);
}

// Inputs no parse makes, handed to the evaluator's own steps.
TEST_F(EvaluationTest, InternalErrorsOfBadInput) {
  ASSERT_EQ(evaluate("0"), EVAL_INTEGRAL);
  auto expectDetail = [](const char* detail) {
    EXPECT_EQ(std::string(capturedMessage()), std::string("<Internal error in the debugger evaluation: ") + detail + ".>");
  };
  EXPECT_EQ(foldMemoryReference(nullptr), nullptr);
  expectDetail("bad foldMemoryReference input");
  ExprNode* name = newExprNode(O_ID, 0, 0);
  name->name = enterName("i", 1);
  EXPECT_EQ(loadField(name, nullptr, self), -1);
  expectDetail("bad loadField input");
  EXPECT_EQ(loadField(name, name->name, 0), -1);
  expectDetail("bad loadField input");
  EXPECT_EQ(accessMember(nullptr), 0);
  expectDetail("bad accessMember input");
  loadLocalVariable(nullptr, nullptr);
  expectDetail("bad loadLocalVariable input");
  loadLocalVariable(nullptr, name);
  expectDetail("bad loadLocalVariable input, lv==0");
  EXPECT_EQ(name->type, &errorType);

  ExprNode* element = newExprNode(O_SUBSCRIPT, 0, 0);
  element->left = newExprNode(O_OBJECT, 0, 0);
  element->left->integerValue = static_cast<int64_t>(array);
  element->right = newExprNode(O_CONST, 0, 0);
  element->right->type = &intType;
  element->type = &voidType;
  EXPECT_EQ(accessMember(element), 0);
  expectDetail("unknown element type");
  element->type = &intType;
  element->right->op = O_ID;
  EXPECT_EQ(accessMember(element), 0);
  EXPECT_EQ(std::string(capturedMessage()), "<A constant expression is required here.>");
  element->left->op = O_STRING;
  EXPECT_EQ(accessMember(element), 0);
  EXPECT_EQ(std::string(capturedMessage()), "<An array type is required here.>");

  clearCurrentFrame();
  ExprNode* other = newExprNode(O_ID, 0, 0);
  other->name = name->name;
  foldMemoryReference(other);
  expectDetail("curFrame==0");
  EXPECT_EQ(other->type, &errorType);
}

TEST_F(EvaluationTest, EarlyFailuresHaveNoMessageAndTheFallbackText) {
  EXPECT_EQ(evaluate("i", 3), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "INTERNAL ERROR");
  EXPECT_EQ(evaluate(nullptr), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "INTERNAL ERROR");
  EXPECT_EQ(evaluate(""), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "INTERNAL ERROR");
  EXPECT_EQ(evaluationObjectValue(), 0u);
  EXPECT_EQ(evaluationLongValue(), 0);
  // And the evaluation after them runs as any.
  ASSERT_EQ(evaluate("i + 1"), EVAL_INTEGRAL);
  EXPECT_EQ(evaluationLongValue(), 42);
}

TEST_F(EvaluationTest, CallSequences) {
  // Twice without evaluationDone: the second releases the first.
  ASSERT_EQ(evaluate("obj"), EVAL_OBJECT);
  int32_t releasesBefore = vm.releases;
  ASSERT_EQ(evaluate("i"), EVAL_INTEGRAL);
  EXPECT_GT(vm.releases, releasesBefore);
  EXPECT_EQ(evaluationLongValue(), 41);

  // After evaluationDone the result and its references are gone; the signature stays.
  ASSERT_EQ(evaluate("obj"), EVAL_OBJECT);
  releasesBefore = vm.releases;
  evaluationDone();
  EXPECT_GT(vm.releases, releasesBefore);
  EXPECT_EQ(evaluationResult(), nullptr);
  EXPECT_EQ(evaluationObjectValue(), 0u);
  EXPECT_EQ(evaluationLongValue(), 0);
  EXPECT_EQ(evaluationDoubleValue(), 0.0);
  EXPECT_EQ(evaluationCharacterValue(), 0);
  EXPECT_EQ(evaluationBooleanValue(), 0);
  EXPECT_EQ(evaluationSignature(), 'L');
  EXPECT_EQ(errorText(), "INTERNAL ERROR");
  evaluationDone();
  EXPECT_EQ(evaluationSignature(), ' ');

  // A failure, its text read twice: the second finds the buffer emptied.
  EXPECT_EQ(evaluate("nosuch"), EVAL_FAILURE);
  EXPECT_EQ(errorText(), "<No field named nosuch can be found.>");
  EXPECT_EQ(errorText(), "<The debugger could not evaluate this expression.>");
  // A success has no message: the text says it cannot evaluate.
  ASSERT_EQ(evaluate("1"), EVAL_INTEGRAL);
  EXPECT_EQ(errorText(), "<The debugger could not evaluate this expression.>");

  // Releases on a zero state, however many.
  releaseEvaluation();
  releaseEvaluation();
  evaluationDone();
  ASSERT_EQ(evaluate("c"), EVAL_CHAR);
  EXPECT_EQ(evaluationCharacterValue(), 'q');
}

TEST_F(EvaluationTest, CaptureCutsAtACharacterBoundary) {
  ASSERT_EQ(evaluate("0"), EVAL_INTEGRAL);
  std::setlocale(LC_ALL, "C.UTF-8");
  global.maxCharBytes = static_cast<int32_t>(MB_CUR_MAX);
  std::string longText(300, 'a');
  captureMessage(longText.c_str());
  EXPECT_EQ(std::string(capturedMessage()), "<" + std::string(253, 'a') + ">");
  // Two-byte characters from the first byte on: 126 of them fill 252 bytes, the 127th would
  // reach past the 253 kept.
  std::string wide;
  for (int i = 0; i < 200; i++) wide += "\xc3\xa9";
  captureMessage(wide.c_str());
  std::string kept = capturedMessage();
  EXPECT_EQ(kept.size(), 2 + 252u);
  EXPECT_EQ(kept.substr(1, 252), wide.substr(0, 252));
  char16_t units[ERROR_TEXT_UNITS];
  int32_t count = evaluationErrorText(units);
  EXPECT_EQ(count, 128);
  EXPECT_EQ(units[1], u'\u00e9');
  captureMessage(nullptr);
  EXPECT_EQ(capturedMessage()[0], '\0');
}

}  // namespace
