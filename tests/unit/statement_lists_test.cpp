// The lowered statement lists of small bodies, parsed as class generation parses them and dumped
// one statement after the other: kinds, the flags the statement builder sets, jump targets, loop
// links and the clauses' own lists. Each case is one of the lowering table's edge cases.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/passes.h"
#include "semantic/statement_lists.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "semantic/zip_reader.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "support/parser_context.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/method_bodies.h"
#include "syntax/nested_classes.h"
#include "syntax/scanner.h"
#include "syntax/scopes.h"
#include "test_support.h"

namespace {

class StatementListsTest : public ClassLibraryTest {
 protected:
  void setUpMessages() override { setMessageLocation(STAGE_DIR "/lib/", nullptr); }
  void SetUp() override {
    ClassLibraryTest::SetUp();
    // Statement lists only: a local class is not generated where it ends, whatever generator a
    // compile before this test installed.
    setLocalClassGenerator(nullptr);
  }

  // Declares class A of the text with its supertypes, member types and field constants, as the
  // passes before generation do.
  ClassDef* declare(const char* text) {
    auto* file = arenaNew<SourceFile>(&global.mainArena);
    file->name = mainArenaCopy("A.java");
    file->content = mainArenaCopy(text);
    file->contentLength = static_cast<int32_t>(std::strlen(text));
    parseCompilationUnit(file);
    addSourceFileToList(file);
    resolveAllSupertypes();
    evaluateAllFieldConstants();
    global.current = file;
    return findClassInPackage(file->package, enterName("A", T_IDENTIFIER), 0, 0);
  }

  static void addSourceFileToList(SourceFile* file) {
    file->next = global.sources;
    global.sources = file;
  }

  // The body of A's method (null: its constructor; `nth` among those of the name) as the list it
  // lowers to. The scope chain and the jump stack are as they were before, whatever the body held.
  std::string lowered(ClassDef* cls, const char* name, int nth = 0) {
    Identifier* id = name != nullptr ? enterName(name, T_IDENTIFIER) : nullptr;
    Member* method = nullptr;
    for (Member* m = cls->members; m != nullptr && method == nullptr; m = m->next)
      if ((m->kind == MK_METHOD || m->kind == MK_CONSTRUCTOR) && m->name == id && nth-- == 0) method = m;
    if (method == nullptr) return "no method";
    resetArena(&global.tempArena);
    global.ctx = ParserContext{};
    if (method->methodFlags & METHOD_DEFAULT_CONSTRUCTOR)
      buildDefaultConstructorBody(method, cls->line, cls->column);
    else
      parseMethodBody(method);
    EXPECT_EQ(global.ctx.scope, nullptr) << name;
    EXPECT_EQ(global.ctx.jumps, nullptr) << name;
    EXPECT_EQ(global.ctx.flags & CTX_NESTED_CLAUSE, 0u) << name;
    return dump(global.ctx.firstStatement);
  }

  // Every statement gets a number, the list's first, then those of the clauses' lists.
  std::map<const StmtNode*, int> numbers;

  void number(const StmtNode* list) {
    for (const StmtNode* s = list; s != nullptr; s = s->next) {
      numbers.emplace(s, static_cast<int>(numbers.size()));
      if ((s->kind == ST_CATCH || s->kind == ST_FINALLY) && s->clause != nullptr) number(s->clause->first);
    }
  }

  std::string ref(const StmtNode* s) {
    auto it = numbers.find(s);
    return it != numbers.end() ? "#" + std::to_string(it->second) : "#?";
  }

  static std::string expression(const ExprNode* e) {
    if (e == nullptr) return "-";
    std::string op = std::string(exprOpName(e->op)).substr(2);
    if (e->op == O_CONST) return op + " " + std::to_string(e->integerValue);
    if (e->op == O_CALL) return op + " " + (e->name != nullptr ? identToString(e->name) : exprOpName(e->left->op) + 2);
    return op;
  }

  static std::string variable(const Member* v) {
    return v == nullptr ? "-" : v->name != nullptr ? identToString(v->name) : "local";
  }

  std::string list(const StmtNode* first) {
    std::string text;
    for (const StmtNode* s = first; s != nullptr; s = s->next) {
      if (!text.empty()) text += "; ";
      text += ref(s) + " " + (statementKindName(s->kind) + 3);
      if (s->flags & (STMT_NO_REPORT | STMT_WARN_ONLY | STMT_TRY_BODY_DONE | STMT_LOOP_CONSTANT | STMT_LOOP_TAIL)) {
        char flags[16];
        std::snprintf(flags, sizeof flags, " f%x", s->flags);
        text += flags;
      }
      switch (s->kind) {
        case ST_EXPR:
        case ST_THROW:
          text += " " + expression(s->expression);
          break;
        case ST_RETURN:
          text += " " + expression(s->expression) + (s->variable != nullptr ? " saved" : "");
          break;
        case ST_RETURN_FINISH:
          if (s->variable != nullptr) text += " saved";
          break;
        case ST_LABEL:
          if (s->loopLink != nullptr) text += " link" + ref(s->loopLink);
          break;
        case ST_GOTO:
          text += " ->" + ref(s->target);
          break;
        case ST_IF_TRUE:
          text += " " + expression(s->expression) + " ->" + ref(s->target);
          break;
        case ST_SWITCH:
          text += " default" + ref(s->target);
          for (const CaseEntry* c = s->cases; c != nullptr; c = c->next)
            text += " " + std::to_string(c->value) + ":" + ref(c->label);
          break;
        case ST_MON_EXIT:
        case ST_CALL_FINALLY:
          text += " of" + ref(s->target);
          break;
        case ST_DECLARATION:
          if (s->variable != nullptr) text += " " + variable(s->variable);
          break;
        case ST_LEAVE_SCOPE:
        case ST_BEGIN_SCOPE:
        case ST_ENTER_CATCH:
        case ST_ENTER_FINALLY:
          text += " " + variable(s->variable);
          break;
        case ST_CATCH:
        case ST_FINALLY: {
          const TryClause* c = s->clause;
          if (c->kind == CLAUSE_CATCH)
            text += std::string(" ") + (c->catchType != nullptr ? typeToString(c->catchType) : "all") + " " +
                    ref(c->startLabel) + ".." + ref(c->endLabel);
          text += " [" + list(c->first) + "]";
          break;
        }
        default:
          break;
      }
    }
    return text;
  }

  std::string dump(const StmtNode* first) {
    numbers.clear();
    number(first);
    return list(first);
  }
};

struct LoweringCase {
  const char* method;
  const char* expected;
};

TEST_F(StatementListsTest, LoopsAndConditionsLowerToLabelsAndJumps) {
  ClassDef* a = declare(
      "class A {\n"
      "  boolean c;\n"
      "  int x, y;\n"
      "  void whileTrue() { while (true) { x++; } }\n"
      "  void whileLoop() { while (x < 3) x++; }\n"
      "  void doLoop() { do x++; while (x < 3); }\n"
      "  void forLoop() { for (int i = 0; i < 3; i++) x++; }\n"
      "  void forEver() { for (;;) x++; }\n"
      "  void labels() { a: b: while (c) continue b; }\n"
      "  void ifElse() { if (c) x = 1; else x = 2; }\n"
      "  void notLess() { if (!(x < y)) x = 1; }\n"
      "  void andOr() { if (x < 1 && y < 1 || c) x = 1; }\n"
      "  void elseIf() { if (x == 1) x = 2; else if (x == 2) x = 3; else x = 4; }\n"
      "  void assignedInCondition() { int i; while ((i = x) > 0) x--; }\n"
      "  void whileFalse() { while (false) x++; }\n"
      "  void foldedOnly() { do x++; while (x > 5 || true); }\n"
      "  void conditional() { if (c ? x < 1 : y < 1) x = 1; }\n"
      "}\n");
  ASSERT_NE(a, nullptr);
  const LoweringCase cases[] = {
      {"whileTrue",
       "#0 LABEL; #1 LABEL link#3; #2 NULL; #3 EXPR INA; #4 GOTO ->#1; #5 LABEL"},
      {"whileLoop",
       "#0 LABEL; #1 GOTO ->#6; #2 LABEL link#5; #3 EXPR INA; #4 LABEL f10000000; #5 LABEL f10000000; "
       "#6 LABEL f10000000; #7 IF_TRUE f10000000 LT ->#2; #8 LABEL"},
      {"doLoop",
       "#0 LABEL; #1 LABEL link#4; #2 EXPR INA; #3 LABEL f10000000; #4 LABEL f10000000; "
       "#5 IF_TRUE f10000000 LT ->#1; #6 LABEL"},
      {"forLoop",
       "#0 LABEL; #1 DECLARATION i; #2 EXPR INIT; #3 DECLARATION; #4 GOTO ->#10; #5 LABEL link#8; "
       "#6 EXPR INA; #7 LABEL f10000000; #8 LABEL f10000000; #9 EXPR f10000000 INA; #10 LABEL; "
       "#11 IF_TRUE LT ->#5; #12 LABEL; #13 LEAVE_SCOPE i"},
      {"forEver",
       "#0 LABEL; #1 LABEL link#4; #2 EXPR INA; #3 LABEL f10000000; #4 LABEL f10000000; #5 GOTO ->#1; "
       "#6 LABEL"},
      {"labels",
       "#0 LABEL; #1 LABEL; #2 LABEL; #3 GOTO ->#8; #4 LABEL link#7; #5 GOTO ->#7; "
       "#6 LABEL f10000000; #7 LABEL f10000000; #8 LABEL f10000000; #9 IF_TRUE f10000000 ID ->#4; #10 LABEL; "
       "#11 LABEL; #12 LABEL"},
      {"ifElse",
       "#0 LABEL; #1 IF_TRUE NOT ->#4; #2 EXPR ASG; #3 GOTO ->#6; #4 LABEL; "
       "#5 EXPR ASG; #6 LABEL"},
      {"notLess",
       "#0 LABEL; #1 IF_TRUE LT ->#3; #2 EXPR ASG; #3 LABEL"},
      {"andOr",
       "#0 LABEL; #1 IF_TRUE GE ->#3; #2 IF_TRUE LT ->#5; #3 LABEL; "
       "#4 IF_TRUE NOT ->#7; #5 LABEL; #6 EXPR ASG; #7 LABEL"},
      {"elseIf",
       "#0 LABEL; #1 IF_TRUE NE ->#4; #2 EXPR ASG; #3 GOTO ->#12; #4 LABEL; "
       "#5 LABEL; #6 IF_TRUE NE ->#9; #7 EXPR ASG; #8 GOTO ->#11; #9 LABEL; "
       "#10 EXPR ASG; #11 LABEL; #12 LABEL"},
      {"assignedInCondition",
       "#0 DECLARATION i; #1 DECLARATION; #2 LABEL; #3 GOTO ->#9; #4 LABEL link#8; #5 BEGIN_SCOPE i; "
       "#6 EXPR DEA; #7 LABEL f10000000; #8 LABEL f10000000; #9 LABEL f10000000; #10 IF_TRUE f10000000 GT ->#4; "
       "#11 LABEL; #12 LEAVE_SCOPE i"},
      // Only a loop's test of a constant expression is marked as deciding reachability.
      {"whileFalse",
       "#0 LABEL; #1 GOTO ->#6; #2 LABEL link#5; #3 EXPR INA; #4 LABEL; #5 LABEL; #6 LABEL; "
       "#7 IF_TRUE f40000000 CONST 0 ->#2; #8 LABEL"},
      {"foldedOnly",
       "#0 LABEL; #1 LABEL link#4; #2 EXPR INA; #3 LABEL f10000000; #4 LABEL f10000000; #5 IF_TRUE f10000000 GT ->#1; "
       "#6 IF_TRUE f10000000 CONST 1 ->#1; #7 LABEL"},
      // c ? a : b tests a where c holds and b elsewhere.
      {"conditional",
       "#0 LABEL; #1 IF_TRUE NOT ->#4; #2 IF_TRUE GE ->#8; #3 GOTO ->#6; #4 LABEL; #5 IF_TRUE GE ->#8; "
       "#6 LABEL; #7 EXPR ASG; #8 LABEL"},
  };
  for (const LoweringCase& c : cases) EXPECT_EQ(lowered(a, c.method), c.expected) << c.method;
  EXPECT_EQ(reported, "");
}

TEST_F(StatementListsTest, SwitchesTriesMonitorsAndReturnsLower) {
  ClassDef* a = declare(
      "class A extends java.util.Vector {\n"
      "  int x;\n"
      "  int f = 7;\n"
      "  { x = 2; }\n"
      "  A() { }\n"
      "  A(int i) { this(); x = i; }\n"
      "  A(long l) { super(1); }\n"
      "  void t() throws Exception { }\n"
      "  void sw(int k) { switch (k) { case 3: x = 3; case 1: break; case 2: x = 2; } }\n"
      "  void swDefault(int k) { switch (k) { default: x = 0; case 5: } }\n"
      "  void finallyOnly() throws Exception { try { t(); } finally { x = 1; } }\n"
      "  void caught() { try { t(); } catch (Exception e) { x = 1; } }\n"
      "  void emptyTry() { try { } finally { x = 1; } }\n"
      "  void breakSync() { while (x > 0) synchronized (this) { break; } }\n"
      "  int returnThrough() { try { synchronized (this) { return x; } } finally { x = 1; } }\n"
      "  boolean test() { return x > 0; }\n"
      "  boolean choose(boolean c) { return c ? x > 0 : x < 0; }\n"
      "}\n");
  ASSERT_NE(a, nullptr);
  const LoweringCase cases[] = {
      {"sw",
       "#0 SWITCH default#7 1:#3 2:#5 3:#1; #1 LABEL; #2 EXPR ASG; #3 LABEL; "
       "#4 GOTO ->#7; #5 LABEL; #6 EXPR ASG; #7 LABEL; #8 LEAVE_SCOPE k"},
      {"swDefault",
       "#0 SWITCH default#1 5:#3; #1 LABEL; #2 EXPR ASG; #3 LABEL; #4 LABEL; "
       "#5 LEAVE_SCOPE k"},
      {"finallyOnly",
       "#0 LABEL; #1 TRY f8; #2 LABEL; #3 EXPR CALL t; #4 LABEL; #5 LABEL; #6 LABEL; "
       "#7 CALL_FINALLY of#1; #8 GOTO ->#17; #9 CATCH all #0..#5 [#10 LABEL; "
       "#11 ENTER_CATCH local; #12 CALL_FINALLY of#1]; #13 FINALLY [#14 LABEL; "
       "#15 ENTER_FINALLY local; #16 EXPR ASG]; #17 LABEL"},
      {"caught",
       "#0 LABEL; #1 TRY f8; #2 LABEL; #3 EXPR CALL t; #4 LABEL; #5 GOTO ->#12; "
       "#6 CATCH Exception #0..#4 [#7 LABEL; #8 ENTER_CATCH e; #9 EXPR ASG; "
       "#10 LEAVE_SCOPE e]; #11 LABEL; #12 LABEL; #13 LABEL"},
      {"emptyTry",
       "#0 LABEL; #1 TRY f8; #2 LABEL; #3 LABEL; #4 LABEL; #5 LABEL; #6 EXPR ASG; "
       "#7 LABEL"},
      {"breakSync",
       "#0 LABEL; #1 GOTO ->#18; #2 LABEL link#17; #3 MON_ENTER; #4 LABEL; #5 LABEL; "
       "#6 MON_EXIT of#3; #7 GOTO ->#20; #8 LABEL; #9 MON_EXIT of#3; #10 GOTO ->#15; "
       "#11 CATCH all #5..#8 [#12 LABEL; #13 ENTER_CATCH -; #14 MON_EXIT of#3]; "
       "#15 LABEL; #16 LABEL f10000000; #17 LABEL f10000000; #18 LABEL f10000000; #19 IF_TRUE f10000000 GT ->#2; "
       "#20 LABEL"},
      {"returnThrough",
       "#0 LABEL; #1 TRY f8; #2 LABEL; #3 MON_ENTER; #4 LABEL; #5 LABEL; "
       "#6 RETURN ID saved; #7 MON_EXIT of#3; #8 CALL_FINALLY of#1; "
       "#9 RETURN_FINISH saved; #10 LABEL; #11 MON_EXIT of#3; #12 GOTO ->#17; "
       "#13 CATCH all #5..#10 [#14 LABEL; #15 ENTER_CATCH -; #16 MON_EXIT of#3]; "
       "#17 LABEL; #18 LABEL; #19 LABEL; #20 LABEL; #21 CALL_FINALLY of#1; "
       "#22 GOTO ->#31; #23 CATCH all #0..#19 [#24 LABEL; #25 ENTER_CATCH local; "
       "#26 CALL_FINALLY of#1]; #27 FINALLY [#28 LABEL; #29 ENTER_FINALLY local; "
       "#30 EXPR ASG]; #31 LABEL"},
      {"test",
       "#0 IF_TRUE GT ->#3; #1 RETURN CONST 0; #2 RETURN_FINISH; #3 LABEL; "
       "#4 RETURN CONST 1; #5 RETURN_FINISH"},
      {"choose",
       "#0 IF_TRUE NOT ->#7; #1 IF_TRUE GT ->#4; #2 RETURN CONST 0; #3 RETURN_FINISH; "
       "#4 LABEL; #5 RETURN CONST 1; #6 RETURN_FINISH; #7 LABEL; #8 IF_TRUE LT ->#11; "
       "#9 RETURN CONST 0; #10 RETURN_FINISH; #11 LABEL; #12 RETURN CONST 1; "
       "#13 RETURN_FINISH; #14 LEAVE_SCOPE c"},
  };
  for (const LoweringCase& c : cases) EXPECT_EQ(lowered(a, c.method), c.expected) << c.method;
  // The constructors: implicit super() and the instance initializers, an initializer block with
  // the mark of its end; none after this(...); after an explicit super(...), the initializers.
  EXPECT_EQ(lowered(a, nullptr, 0), "#0 EXPR CALL SUPER; #1 EXPR INIT; #2 EXPR ASG; #3 NULL");
  EXPECT_EQ(lowered(a, nullptr, 1), "#0 EXPR CALL THIS; #1 EXPR ASG; #2 LEAVE_SCOPE i");
  EXPECT_EQ(lowered(a, nullptr, 2), "#0 EXPR CALL SUPER; #1 EXPR INIT; #2 EXPR ASG; #3 NULL; #4 LEAVE_SCOPE l");
  EXPECT_EQ(reported, "");
}

// A statement that fails deep inside loops, tries, monitors and blocks leaves no scope or jump
// context behind, and neither does a stop (the error limit) that unwinds through them.
TEST_F(StatementListsTest, EveryScopeAndJumpContextIsClosedOnEveryWayOut) {
  ClassDef* a = declare(
      "class A {\n"
      "  int x;\n"
      "  void m() {\n"
      "    l: while (x > 0) { try { synchronized (this) { for (int i = 0; i < 2; i++) { x = ; } } }\n"
      "      catch (RuntimeException e) { switch (x) { case 1: { int y = ; } } } finally { do ; while (; } }\n"
      "    x = undefined;\n"
      "  }\n"
      "}\n");
  ASSERT_NE(a, nullptr);
  lowered(a, "m");
  EXPECT_EQ(reported,
            "Invalid expression.; Invalid expression.; Invalid expression.; No variable named undefined is defined here.");
  reported.clear();
  global.maxErrors = global.errorCount + 2;
  bool stopped = false;
  try {
    lowered(a, "m");
  } catch (const CompileStop& stop) {
    stopped = stop.code == STOP_ERROR_LIMIT;
  }
  EXPECT_TRUE(stopped);
  EXPECT_EQ(global.ctx.scope, nullptr);
  EXPECT_EQ(global.ctx.jumps, nullptr);
  EXPECT_EQ(global.currentArena, &global.mainArena);
  global.maxErrors = 0;
}

// A method of a member class of a local class sees the locals of the method that declares the
// local class, as the local class's own methods do: its body is parsed inside their scopes.
TEST_F(StatementListsTest, MemberClassesOfALocalClassSeeTheEnclosingMethodsLocals) {
  ClassDef* a = declare(
      "class A {\n"
      "  void m() {\n"
      "    final int k = 1;\n"
      "    class L { class M { int f() { return k; } } int g() { return k; } }\n"
      "  }\n"
      "}\n");
  ASSERT_NE(a, nullptr);
  lowered(a, "m");
  ASSERT_EQ(reported, "");
  ClassDef* l = findClassInPackage(a->package, enterName("A$1$L", T_IDENTIFIER), 0, 0);
  ClassDef* m = findClassInPackage(a->package, enterName("A$1$L$M", T_IDENTIFIER), 0, 0);
  ASSERT_NE(l, nullptr);
  ASSERT_NE(m, nullptr);
  // The scopes of m as they stand where L is declared: k, a final local.
  resetArena(&global.tempArena);
  global.ctx = ParserContext{};
  global.ctx.enclosing = a;
  global.currentArena = &global.tempArena;
  Scope method{};
  pushScope(&method);
  Member* k = newVariable(M_FINAL, &intType, enterName("k", T_IDENTIFIER), true, 3, 14);
  k->owner = a;
  appendToScope(&method, k);
  k->slot = static_cast<int16_t>(allocLocalSlots(1));
  for (ClassDef* c : {l, m}) {
    Member* body = nullptr;
    for (Member* x = c->members; x != nullptr; x = x->next)
      if (x->kind == MK_METHOD) body = x;
    ASSERT_NE(body, nullptr);
    parseMethodBody(body);
    EXPECT_EQ(reported, "") << identToString(c->name);
    EXPECT_EQ(global.ctx.scope, &method);
  }
  popScope(&method);
  global.currentArena = &global.mainArena;
}

// A constructor that gains a synthetic parameter while its body is parsed, in an instance
// initializer it runs (and so after its own first local was declared), keeps every local in a
// slot of its own, above all its parameters.
TEST_F(StatementListsTest, NoLocalSharesASlotWithAParameterAddedDuringTheParse) {
  ClassDef* a = declare(
      "class A {\n"
      "  void m() {\n"
      "    final int k = 1;\n"
      "    final long j = 2;\n"
      "    class L { int f = k; { long g = j; } L(int p) { int x = p; long y = x; } }\n"
      "  }\n"
      "}\n");
  ASSERT_NE(a, nullptr);
  lowered(a, "m");
  ASSERT_EQ(reported, "");
  ClassDef* l = findClassInPackage(a->package, enterName("A$1$L", T_IDENTIFIER), 0, 0);
  ASSERT_NE(l, nullptr);
  // What the immediate compile of a local class does first.
  forClassAndInner(l, nameAndResolveSupertypes);
  resetArena(&global.tempArena);
  global.ctx = ParserContext{};
  global.ctx.enclosing = a;
  global.currentArena = &global.tempArena;
  Scope method{};
  pushScope(&method);
  for (const char* name : {"k", "j"}) {
    Member* v = newVariable(M_FINAL, name[0] == 'k' ? &intType : &longType, enterName(name, T_IDENTIFIER), true, 3, 14);
    v->owner = a;
    appendToScope(&method, v);
    v->slot = static_cast<int16_t>(allocLocalSlots(slotsForKind(v->type->kind)));
  }
  Member* constructor = nullptr;
  for (Member* x = l->members; x != nullptr; x = x->next)
    if (x->kind == MK_CONSTRUCTOR) constructor = x;
  ASSERT_NE(constructor, nullptr);
  parseMethodBody(constructor);
  EXPECT_EQ(reported, "");
  // Every variable the list names, with the slots it takes.
  std::map<int, std::string> taken;
  int parameters = 0;
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    ASSERT_NE(p->variable, nullptr);
    for (int s = 0; s < slotsForKind(p->type->kind); s++)
      EXPECT_TRUE(taken.emplace(p->variable->slot + s, identToString(p->name)).second) << identToString(p->name);
    parameters++;
  }
  EXPECT_EQ(parameters, 4);  // this$0, val$k, val$j, p
  for (const StmtNode* st = global.ctx.firstStatement; st != nullptr; st = st->next) {
    if (st->kind != ST_LEAVE_SCOPE || st->variable->kind != MK_VARIABLE) continue;
    const Member* v = st->variable;
    for (int s = 0; s < slotsForKind(v->type->kind); s++)
      EXPECT_TRUE(taken.emplace(v->slot + s, identToString(v->name)).second) << identToString(v->name);
  }
  EXPECT_EQ(taken.size(), 1u + 1 + 2 + 1 + 1 + 2 + 2u);  // and the locals x, y, g
  popScope(&method);
  global.currentArena = &global.mainArena;
}

// Parameters take their slots in order after `this` (none for a static method), two for long
// and double; more than 255 slots in all is reported, and the body is still parsed.
TEST_F(StatementListsTest, ParametersTakeTheirSlotsInOrder) {
  std::string manyLongs;
  for (int i = 0; i < 127; i++) manyLongs += "long p" + std::to_string(i) + ", ";
  std::string text = "class A {\n"
                     "  static void s(long a, int b) { }\n"
                     "  void i(long a, int b, double c, Object d) { }\n"
                     "  void most(" + manyLongs.substr(0, manyLongs.size() - 2) + ") { }\n"
                     "  static void staticMost(" + manyLongs + "int last) { }\n"
                     "  void tooMany(" + manyLongs + "int last) { int x = undefined; }\n"
                     "}\n";
  ClassDef* a = declare(text.c_str());
  ASSERT_NE(a, nullptr);
  auto slots = [&](const char* name) {
    lowered(a, name);
    std::string text;
    for (Member* m = a->members; m != nullptr; m = m->next)
      if (m->name == enterName(name, T_IDENTIFIER))
        for (Parameter* p = m->parameters; p != nullptr && text.size() < 40; p = p->next)
          text += std::to_string(p->variable->slot) + " ";
    return text;
  };
  EXPECT_EQ(slots("s"), "0 2 ");
  EXPECT_EQ(slots("i"), "1 3 4 6 ");
  EXPECT_EQ(slots("most").substr(0, 12), "1 3 5 7 9 11");
  EXPECT_EQ(reported, "");
  slots("staticMost");
  EXPECT_EQ(reported, "");
  slots("tooMany");
  EXPECT_EQ(reported.substr(0, 31), "The parameters of void tooMany(");
  EXPECT_NE(reported.find(",int) need more than 255 slots.; No variable named undefined is defined here."), std::string::npos);
}

}  // namespace
