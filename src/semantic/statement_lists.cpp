// The lowered statement list of a body and the jump contexts that give break, continue and return
// their targets. Statements are appended as the parser reads them; structured statements become
// labels, conditional jumps and gotos, and the checks of return, throw and switch labels are made
// on the way.
#include "semantic/statement_lists.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "semantic/binary_operators.h"
#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/method_calls.h"
#include "semantic/primary_expressions.h"
#include "semantic/tree_walks.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "semantic/unary_expressions.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "syntax/method_bodies.h"
#include "syntax/parser_state.h"
#include "syntax/scanner.h"

// The case values of a switch are kept in a hash set beside the list, so each duplicate test is
// one probe however many cases there are.
struct CaseSet {
  int32_t* values;
  uint8_t* used;
  int32_t capacity;
  int32_t count;
};

namespace {

StmtNode* appendNew(int32_t kind, int32_t line, int32_t column) {
  StmtNode* node = newStatement(kind, line, column);
  appendStatement(node);
  return node;
}

// The terms of a chain of one operator along its left spine (a && b && c is ((a && b) && c)),
// first term first, in the temporary arena: a long chain is lowered without recursion.
struct Terms {
  ExprNode** items;
  int32_t count;
};

Terms chainTerms(ExprNode* chain) {
  int32_t op = chain->op;
  int32_t count = 1;
  for (ExprNode* n = chain; n->op == op && n->left != nullptr; n = n->left) count++;
  Terms terms{arenaNewArray<ExprNode*>(global.currentArena, count), count};
  ExprNode* n = chain;
  for (int32_t i = count - 1; i > 0; i--) {
    terms.items[i] = n->right;
    n = n->left;
  }
  terms.items[0] = n;
  return terms;
}

// A conditional jump to the label when the condition is `whenTrue`: ! flips the sense, && and ||
// become jumps on their terms, c ? a : b jumps as a where c holds and as b elsewhere (so that
// what each way assigns, or a constant c, follows its own way), a comparison is inverted in place
// (its NaN flag kept, so a NaN operand still takes the same branch), any other false test is
// wrapped in !.
void appendJump(ExprNode* condition, StmtNode* label, bool whenTrue, int32_t line, int32_t column) {
  while (condition->op == O_NOT && condition->left != nullptr) {
    condition = condition->left;
    whenTrue = !whenTrue;
  }
  int32_t op = condition->op;
  if (op == O_QUES && condition->left != nullptr && condition->right != nullptr && condition->third != nullptr) {
    StmtNode* otherwise = newLabel();
    StmtNode* end = newLabel();
    // The branches' jumps carry no position: the condition is reported once, at its test.
    appendJump(condition->left, otherwise, false, line, column);
    appendJump(condition->right, label, whenTrue, 0, 0);
    appendGotoStatement(end, 0, 0);
    appendStatement(otherwise);
    appendJump(condition->third, label, whenTrue, 0, 0);
    appendStatement(end);
    return;
  }
  if (op == O_LAND || op == O_LOR) {
    Terms terms = chainTerms(condition);
    // Jump-if-false of a && b, and jump-if-true of a || b: each term jumps to the label.
    if ((op == O_LAND) != whenTrue) {
      for (int32_t i = 0; i < terms.count; i++) appendJump(terms.items[i], label, whenTrue, line, column);
      return;
    }
    // Otherwise the earlier terms decide only when they skip the last test.
    StmtNode* skip = newLabel();
    for (int32_t i = 0; i + 1 < terms.count; i++) appendJump(terms.items[i], skip, !whenTrue, line, column);
    appendJump(terms.items[terms.count - 1], label, whenTrue, line, column);
    appendStatement(skip);
    return;
  }
  if (!whenTrue) {
    if (isComparison(op))
      condition->op = invertComparison(op);
    else
      condition = makeUnaryExpression(O_NOT, condition, condition->line, condition->column);
  }
  appendIfTrue(condition, label, line, column);
}

// A condition that is not boolean is reported once and made the error type.
bool checkCondition(ExprNode* condition, int32_t line, int32_t column) {
  if (condition == nullptr || hasErrorType(condition) || condition->type == nullptr) return false;
  if (condition->type->kind != TK_BOOLEAN) {
    errorAt(line, column, "incomp.type", expressionTypeToString(condition), "boolean");
    condition->type = &errorType;
    return false;
  }
  return true;
}

const char* int64ToString(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRId64, value);
  return static_cast<const char*>(arenaCopy(&global.tempArena, text, std::strlen(text) + 1));
}

bool fitsSwitchType(int64_t value, int32_t kind) {
  switch (kind) {
    case TK_CHAR: return value >= 0 && value <= 0xffff;
    case TK_BYTE: return value >= -128 && value <= 127;
    case TK_SHORT: return value >= -32768 && value <= 32767;
    default: return value >= INT32_MIN && value <= INT32_MAX;
  }
}

uint32_t caseHash(int32_t value) {
  return static_cast<uint32_t>(value) * 2654435761u;
}

// True when the value was there already; else it is entered.
bool caseSetAdd(CaseSet* set, int32_t value) {
  if (set->count * 2 >= set->capacity) {
    CaseSet grown{};
    grown.capacity = set->capacity > 0 ? set->capacity * 2 : 64;
    grown.values = arenaNewArray<int32_t>(global.currentArena, grown.capacity);
    grown.used = arenaNewArray<uint8_t>(global.currentArena, grown.capacity);
    for (int32_t i = 0; i < set->capacity; i++)
      if (set->used[i]) caseSetAdd(&grown, set->values[i]);
    *set = grown;
  }
  uint32_t mask = static_cast<uint32_t>(set->capacity - 1);
  for (uint32_t at = caseHash(value) & mask;; at = (at + 1) & mask) {
    if (!set->used[at]) {
      set->used[at] = 1;
      set->values[at] = value;
      set->count++;
      return false;
    }
    if (set->values[at] == value) return true;
  }
}

// Merge sort of the case list by value: generated lexers have switches of thousands of cases.
CaseEntry* sortCases(CaseEntry* list, int32_t length) {
  if (length < 2) return list;
  int32_t half = length / 2;
  CaseEntry* middle = list;
  for (int32_t i = 1; i < half; i++) middle = middle->next;
  CaseEntry* second = middle->next;
  middle->next = nullptr;
  CaseEntry* a = sortCases(list, half);
  CaseEntry* b = sortCases(second, length - half);
  CaseEntry* head = nullptr;
  CaseEntry** tail = &head;
  while (a != nullptr && b != nullptr) {
    CaseEntry** smaller = a->value <= b->value ? &a : &b;
    *tail = *smaller;
    tail = &(*smaller)->next;
    *smaller = (*smaller)->next;
  }
  *tail = a != nullptr ? a : b;
  return head;
}

}  // namespace

// Lists and labels.

void appendStatement(StmtNode* node) {
  // The prologue runs before the body's first statement; a clause's own list starts empty too,
  // and takes no prologue.
  if (global.ctx.firstStatement == nullptr && (global.ctx.flags & CTX_NESTED_CLAUSE) == 0) beginMethodBody();
  node->next = nullptr;
  node->previous = global.ctx.lastStatement;
  if (global.ctx.lastStatement == nullptr)
    global.ctx.firstStatement = node;
  else
    global.ctx.lastStatement->next = node;
  global.ctx.lastStatement = node;
}

StmtNode* newStatement(int32_t kind, int32_t line, int32_t column) {
  auto* node = currentNew<StmtNode>();
  if (global.ctx.flags & CTX_REPEATED_INITIALIZERS) node->flags |= STMT_REPEATED;
  node->kind = kind;
  node->line = line;
  node->column = column;
  return node;
}

StmtNode* newLabel() {
  return newStatement(ST_LABEL, 0, 0);
}

void appendCatchStatement(TryClause* clause) {
  appendNew(ST_CATCH, clause->line, clause->column)->clause = clause;
}

void appendFinallyStatement(TryClause* clause) {
  appendNew(ST_FINALLY, clause->line, clause->column)->clause = clause;
}

void appendGotoStatement(StmtNode* label, int32_t line, int32_t column) {
  StmtNode* node = appendNew(ST_GOTO, line, column);
  node->target = label;
  node->loopTarget = label->loopLink != nullptr;
}

void appendMonitorExit(StmtNode* monitorEnter) {
  appendNew(ST_MON_EXIT, monitorEnter->line, monitorEnter->column)->target = monitorEnter;
}

void appendCallFinally(StmtNode* tryStatement) {
  appendNew(ST_CALL_FINALLY, 0, 0)->target = tryStatement;
}

void appendLeaveScope(Member* variable) {
  appendNew(ST_LEAVE_SCOPE, 0, 0)->variable = variable;
}

void appendNullStatement(int32_t line, int32_t column) {
  appendNew(ST_NULL, line, column);
}

void appendInitializerEnd(Member* initializer) {
  appendNew(ST_NULL, 0, 0)->variable = initializer;
}

void appendDeclarationStatement(int32_t line, int32_t column) {
  appendNew(ST_DECLARATION, line, column);
}

void appendLocalDeclaration(Member* variable) {
  appendNew(ST_DECLARATION, 0, 0)->variable = variable;
}

void appendPositionLabel(int32_t line, int32_t column) {
  appendNew(ST_LABEL, line, column);
}

void linkLoopStart(StmtNode* startLabel, StmtNode* link) {
  startLabel->loopLink = link;
}

void markLoopTail(StmtNode* label) {
  for (StmtNode* node = label; node != nullptr; node = node->next) node->flags |= STMT_LOOP_TAIL;
}

// Checking statements.

namespace {

// The value of a return checked against the method's result type and converted to it; false
// when it does not fit (reported) or failed before.
bool checkReturnValue(ExprNode** value, Type* result, int32_t line, int32_t column) {
  ExprNode* v = *value;
  if (hasErrorType(v) || v->type == nullptr) return false;
  if (result == nullptr || result->kind == TK_VOID) {
    errorAt(line, column, "return.value.disallowed");
    return false;
  }
  if (result->kind == TK_ERROR) return false;
  if (namesMissingClass(result)) {
    v->type = &errorType;
    return false;
  }
  if ((result->kind == TK_CLASS || result->kind == TK_ARRAY) && v->op == O_NULL) v->type = result;
  if (!sameType(v->type, result) && !isWidening(v->type, result) && !fitsNarrowConstant(v, result)) {
    const char* from = expressionTypeToString(v);
    const char* to = typeToString(result);
    if (isCastable(v->type, result))
      errorAt(line, column, "return.type.cast.needed", from, to);
    else
      errorAt(line, column, "return.type", from, to);
    return false;
  }
  return convertForAssignment(result, value, line, column) != &errorType;
}

// The return itself: its value, the monitor exits and finally calls of the statements it leaves,
// and its finish.
void appendReturn(ExprNode* value, int32_t line, int32_t column) {
  StmtNode* node = nullptr;
  if (value != nullptr) {
    node = appendNew(ST_RETURN, line, column);
    node->expression = value;
  }
  Member* saved = unwindJumpContexts(nullptr);
  if (node != nullptr) node->variable = saved;
  appendNew(ST_RETURN_FINISH, line, column)->variable = saved;
}

}  // namespace

// Steps: no method (or an initializer) takes no return; a value is checked against the result
// type and converted to it; a boolean conditional or test is split into a jump and two returns of
// its branches or of false and true; then the return, the monitor exits and finally calls of the
// statements it leaves, and the return's finish.
void checkReturnStatement(ExprNode* value, int32_t line, int32_t column) {
  Member* method = global.ctx.currentMethod;
  if (method == nullptr || (method->kind != MK_METHOD && method->kind != MK_CONSTRUCTOR)) {
    if (method != nullptr && method->kind == MK_STATIC_INITIALIZER)
      errorAt(line, column, "return.in.static.block");
    else
      errorAt(line, column, "syntax.error");
    return;
  }
  Type* result = method->kind == MK_METHOD ? method->type : nullptr;
  if (value != nullptr) {
    // A return whose value failed still leaves the method: what follows it is no more reached.
    if (!checkReturnValue(&value, result, line, column)) {
      global.ctx.bodyFailed = 1;
      appendReturn(value, line, column);
      return;
    }
    if (value->type != nullptr && value->type->kind == TK_BOOLEAN) {
      if (value->op == O_QUES) {
        StmtNode* otherwise = newLabel();
        appendJumpIfFalse(value->left, otherwise, line, column);
        checkReturnStatement(value->right, line, column);
        appendStatement(otherwise);
        checkReturnStatement(value->third, line, column);
        return;
      }
      if (value->op == O_NOT || isComparison(value->op) || value->op == O_LAND || value->op == O_LOR) {
        StmtNode* isTrue = newLabel();
        appendJumpIfTrue(value, isTrue, line, column);
        checkReturnStatement(makeBooleanConstant(0), line, column);
        appendStatement(isTrue);
        checkReturnStatement(makeBooleanConstant(1), line, column);
        return;
      }
    }
  } else if (result != nullptr && result->kind != TK_VOID) {
    errorAt(line, column, "return.value.needed");
  }
  appendReturn(value, line, column);
}

void checkThrowStatement(ExprNode* value, int32_t line, int32_t column) {
  if (value == nullptr) return;
  // A throw whose value failed still ends its path: what follows it is no more reached.
  StmtNode* node = appendNew(ST_THROW, line, column);
  node->expression = value;
  if (hasErrorType(value) || value->type == nullptr) {
    global.ctx.bodyFailed = 1;
    return;
  }
  Type* type = value->type;
  if (namesMissingClass(type)) {
    value->type = &errorType;
    return;
  }
  ClassDef* cls = type->kind == TK_CLASS ? type->classRef->resolved : nullptr;
  ClassDef* throwable = throwableClass();
  if (cls == nullptr || throwable == nullptr || !reachesClass(cls, throwable)) {
    errorAt(line, column, "throw.type", typeToString(type));
    value->type = &errorType;
    return;
  }
  ThrownReport report{THROWN_BY_THROW, nullptr, nullptr};
  noteThrownException(cls, line, column, &report);
}

void appendExpressionStatement(int32_t bodyKind, ExprNode* expression, int32_t line, int32_t column) {
  if (expression == nullptr) return;
  // A failed expression stands in the list as a statement of its own, for flow analysis, which
  // takes it as assigning every variable (definite_assignment.h).
  appendNew(ST_EXPR, line, column)->expression = expression;
  bool failed = hasErrorType(expression);
  if (failed) global.ctx.bodyFailed = 1;
  // An explicit super(...) is followed by what the implicit one brings, also when it failed: the
  // initializers are checked all the same.
  if (expression->op == O_CALL && expression->name == nullptr && expression->left != nullptr &&
      expression->left->op == O_SUPER)
    emitInstanceInitializers(global.ctx.currentMethod);
  if (failed) return;
  if (bodyKind == MK_STATIC_INITIALIZER) walkExpression(expression, staticContextCheck, nullptr, nullptr, nullptr);
}

bool isStatementExpression(const ExprNode* expression) {
  if (expression == nullptr || expression->parenthesised) return false;
  int32_t op = expression->op;
  // Only a class instance creation stands as a statement; an array creation does not.
  if (op == O_NEW) return expression->dimensions == nullptr;
  return op == O_CALL || op == O_ASG || isCompoundOrIncrement(op);
}

// Conditions.

namespace {

// A condition that failed keeps its place as a test of no value, which may go either way: both of
// the statement's paths stay reached, even after a constant of the wrong type.
void appendFailedTest(const ExprNode* condition, StmtNode* label, int32_t line, int32_t column) {
  if (condition == nullptr) return;
  ExprNode* unknown = newExprNode(O_ERROR, line, column);
  unknown->type = &errorType;
  global.ctx.bodyFailed = 1;
  appendIfTrue(unknown, label, line, column);
}

}  // namespace

void appendJumpIfFalse(ExprNode* condition, StmtNode* label, int32_t line, int32_t column) {
  if (checkCondition(condition, line, column))
    appendJump(condition, label, false, line, column);
  else
    appendFailedTest(condition, label, line, column);
}

void appendJumpIfTrue(ExprNode* condition, StmtNode* label, int32_t line, int32_t column) {
  if (checkCondition(condition, line, column))
    appendJump(condition, label, true, line, column);
  else
    appendFailedTest(condition, label, line, column);
}

void appendLoopTest(ExprNode* condition, StmtNode* start, int32_t line, int32_t column) {
  appendJumpIfTrue(condition, start, line, column);
  StmtNode* test = global.ctx.lastStatement;
  if (condition->op == O_CONST && test != nullptr && test->kind == ST_IF_TRUE && test->expression == condition)
    test->flags |= STMT_LOOP_CONSTANT;
}

void appendIfTrue(ExprNode* condition, StmtNode* label, int32_t line, int32_t column) {
  StmtNode* node = appendNew(ST_IF_TRUE, line, column);
  node->expression = condition;
  node->target = label;
  node->loopTarget = label->loopLink != nullptr;
}

int32_t invertComparison(int32_t op) {
  switch (op) {
    case O_EQ: return O_NE;
    case O_NE: return O_EQ;
    case O_LT: return O_GE;
    case O_GE: return O_LT;
    case O_LE: return O_GT;
    case O_GT: return O_LE;
    default: return op;
  }
}

// Jump contexts.

void pushLabelContext(JumpContext* context, Identifier* name) {
  *context = JumpContext{};
  context->outer = global.ctx.jumps;
  context->label = name;
  context->statement = newLabel();
  appendStatement(context->statement);
  context->breakLabel = newLabel();
  global.ctx.jumps = context;
}

// Only the label written right before the loop names it (in a: b: while ..., b does; a labels
// a labelled statement, which is no loop).
void pushLoopContext(JumpContext* context) {
  *context = JumpContext{};
  context->outer = global.ctx.jumps;
  context->breakLabel = newLabel();
  context->continueLabel = newLabel();
  global.ctx.jumps = context;
  JumpContext* label = context->outer;
  if (label != nullptr && label->labelsLoop && label->loop == nullptr && label->statement == global.ctx.lastStatement)
    label->loop = context;
}

void beginSwitch(JumpContext* context, ExprNode* test, int32_t line, int32_t column) {
  if (test != nullptr && !hasErrorType(test) && test->type != nullptr) {
    int32_t kind = test->type->kind;
    if (kind != TK_CHAR && kind != TK_BYTE && kind != TK_SHORT && kind != TK_INT) {
      errorAt(test->line, test->column, "illegal.switch.test");
      test->type = &errorType;
    }
  }
  StmtNode* node = appendNew(ST_SWITCH, line, column);
  node->expression = test;
  if (test == nullptr || hasErrorType(test)) global.ctx.bodyFailed = 1;
  *context = JumpContext{};
  context->outer = global.ctx.jumps;
  context->statement = node;
  context->breakLabel = newLabel();
  global.ctx.jumps = context;
}

void endSwitch(JumpContext* context) {
  StmtNode* node = context->statement;
  int32_t count = 0;
  for (CaseEntry* c = node->cases; c != nullptr; c = c->next) count++;
  node->cases = sortCases(node->cases, count);
  if (node->target == nullptr) node->target = context->breakLabel;
}

// The try's locals: the saved result (of the method's result type, when it has one) and the
// catch-all variable, a String-typed copy in the same slot that holds what a finally rethrows.
void beginTryContext(JumpContext* context, int32_t line, int32_t column) {
  StmtNode* node = newStatement(ST_TRY, line, column);
  Member* method = global.ctx.currentMethod;
  bool savesResult = method != nullptr && method->kind == MK_METHOD && method->type != nullptr &&
                     method->type->kind != TK_VOID;
  Member* local = declareLocal(savesResult ? method->type : stringType);
  if (savesResult) node->variable = local;
  Member* catchAll = currentNew<Member>();
  *catchAll = *local;
  catchAll->next = nullptr;
  catchAll->type = stringType;
  catchAll->variableFlags |= VAR_CATCH_PARAMETER;
  node->catchAllVariable = catchAll;
  *context = JumpContext{};
  context->outer = global.ctx.jumps;
  context->statement = node;
  global.ctx.jumps = context;
  appendStatement(node);
}

void beginSynchronized(JumpContext* context, ExprNode* lock, int32_t line, int32_t column) {
  StmtNode* node = newStatement(ST_MON_ENTER, line, column);
  node->expression = lock;
  if (hasErrorType(lock)) global.ctx.bodyFailed = 1;
  node->variable = declareLocal(lock->type);
  *context = JumpContext{};
  context->outer = global.ctx.jumps;
  context->statement = node;
  global.ctx.jumps = context;
  appendStatement(node);
}

void popJumpContext() {
  if (global.ctx.jumps != nullptr) global.ctx.jumps = global.ctx.jumps->outer;
}

JumpContext* findJumpContextByLabel(Identifier* name) {
  for (JumpContext* context = global.ctx.jumps; context != nullptr; context = context->outer)
    if (context->label != nullptr && context->label == name) return context;
  return nullptr;
}

// Innermost first: a monitor exit for each synchronized statement left, a finally call for each
// try left whose finally part has not begun; the innermost such try's saved result is returned.
Member* unwindJumpContexts(JumpContext* target) {
  Member* saved = nullptr;
  for (JumpContext* context = global.ctx.jumps; context != nullptr && context != target; context = context->outer) {
    StmtNode* node = context->statement;
    if (node == nullptr) continue;
    if (node->kind == ST_MON_ENTER) {
      appendMonitorExit(node);
    } else if (node->kind == ST_TRY && node->clause == nullptr) {
      appendCallFinally(node);
      if (saved == nullptr) saved = node->variable;
    }
  }
  return saved;
}

// Switch labels.

namespace {

// The case label of a constant value, checked; false (reported) when it has none.
bool addValuedCaseLabel(JumpContext* context, ExprNode* value, int32_t line, int32_t column) {
  if (value == nullptr || hasErrorType(value) || value->type == nullptr) return false;
  if (value->op != O_CONST) {
    errorAt(line, column, "const.needed");
    return false;
  }
  StmtNode* node = context->statement;
  // After a test that failed, its cases are checked as constants of an int switch, and their
  // conversion is not reported again.
  bool testFailed = node->expression == nullptr || hasErrorType(node->expression) || node->expression->type == nullptr;
  Type* type = testFailed ? &intType : node->expression->type;
  int32_t kind = value->type->kind;
  if (kind == TK_CHAR || kind == TK_BYTE || kind == TK_SHORT || kind == TK_INT) {
    if (!fitsSwitchType(value->integerValue, type->kind)) {
      errorAt(line, column, "out.of.range.case", int64ToString(value->integerValue), typeToString(type));
      return false;
    }
  } else if (testFailed || convertForAssignment(type, &value, line, column) == &errorType) {
    return false;
  }
  int32_t caseValue = static_cast<int32_t>(value->integerValue);
  if (context->caseSet == nullptr) context->caseSet = currentNew<CaseSet>();
  if (caseSetAdd(context->caseSet, caseValue)) {
    errorAt(line, column, "dup.case");
    return false;
  }
  auto* entry = currentNew<CaseEntry>();
  entry->value = caseValue;
  entry->label = newLabel();
  // Kept in source order here; endSwitch sorts them.
  entry->next = node->cases;
  node->cases = entry;
  appendStatement(entry->label);
  return true;
}

}  // namespace

void addCaseLabel(ExprNode* value, int32_t line, int32_t column) {
  JumpContext* context = global.ctx.jumps;
  if (!addValuedCaseLabel(context, value, line, column)) {
    // The label of a case that failed is still a place the switch jumps to (its value is no
    // value: only flow analysis follows the list of a failed body).
    global.ctx.bodyFailed = 1;
    auto* entry = currentNew<CaseEntry>();
    entry->label = newLabel();
    entry->next = context->statement->cases;
    context->statement->cases = entry;
    appendStatement(entry->label);
  }
}

void addDefaultLabel() {
  StmtNode* label = newLabel();
  global.ctx.jumps->statement->target = label;
  appendStatement(label);
}

namespace {

int32_t beginScopeOfAssigned(ExprNode* node, void*) {
  if (node->op == O_ASG && node->left != nullptr && node->left->op == O_ID) {
    Member* variable = node->left->member;
    if (variable != nullptr && variable->kind == MK_VARIABLE && variable->name != nullptr && variable->slot >= 0)
      appendNew(ST_BEGIN_SCOPE, 0, 0)->variable = variable;
  }
  return 0;
}

}  // namespace

void beginScopesForLocals(ExprNode* expression) {
  if (expression != nullptr && !hasErrorType(expression))
    walkExpression(expression, beginScopeOfAssigned, nullptr, nullptr, nullptr);
}

// The body's prologue. A constructor that calls no other constructor first gets super(), the call
// itself implicit (its qualifier has no position) and placed at the constructor's name.
void beginMethodBody() {
  global.ctx.bodyLine = token().line;
  Member* method = global.ctx.currentMethod;
  ClassDef* cls = global.ctx.enclosing;
  if (global.ctx.firstStatement != nullptr || method == nullptr || method->kind != MK_CONSTRUCTOR ||
      (global.ctx.flags & CTX_NESTED_CLAUSE) != 0 || cls == nullptr || cls->superclass == nullptr ||
      (method->methodFlags & METHOD_EXPLICIT_CONSTRUCTOR_CALL) != 0)
    return;
  global.ctx.statementCount = 1;
  method->methodFlags |= METHOD_EXPLICIT_CONSTRUCTOR_CALL;
  ExprNode* superNode = makeKeywordExpression(O_SUPER, cls, 0, 0);
  ExprNode* call = makeMethodCall(superNode, nullptr, nullptr, method->line, method->column);
  StmtNode* node = newStatement(ST_EXPR, 0, 0);
  node->expression = call;
  global.ctx.firstStatement = node;
  global.ctx.lastStatement = node;
  emitInstanceInitializers(method);
}

void assignCapturedFields(Member* constructor) {
  ClassDef* cls = global.ctx.enclosing;
  if (constructor == nullptr || cls == nullptr) return;
  for (Parameter* p = constructor->parameters; p != nullptr; p = p->next) {
    Member* field = p->capturedField;
    if ((p->modifiers & M_SYNTHETIC) == 0 || field == nullptr || p->variable == nullptr ||
        (field->fieldFlags & FIELD_CAPTURE_STORED) != 0)
      continue;
    field->fieldFlags |= FIELD_CAPTURE_STORED;
    ExprNode* target = makeIdentifier(field->name, cls->line, cls->column);
    target->member = field;
    target->type = field->type;
    target->flags |= EXPR_CAPTURE_STORE;
    ExprNode* value = makeIdentifier(p->name, cls->line, cls->column);
    value->member = p->variable;
    value->type = p->type;
    appendNew(ST_EXPR, cls->line, cls->column)->expression =
        makeBinaryExpression(O_ASG, target, value, cls->line, cls->column);
  }
}

// The instance field initializers and initializer blocks run in each constructor, but they see
// the class, never the constructor's parameters or locals: they are parsed in a scope of their own
// on the constructor's method scope, whose parameters are hidden meanwhile, and take their slots
// after the constructor's.
void emitInstanceInitializers(Member* method) {
  ClassDef* cls = global.ctx.enclosing;
  if (method == nullptr || cls == nullptr) return;
  if ((cls->flags & CF_NESTED) != 0 && (cls->flags & CF_STATIC) == 0) {
    method->methodFlags |= METHOD_STORES_OUTER_STATE;
    assignCapturedFields(method);
  }
  Scope* current = global.ctx.scope;
  Scope initializers{};
  initializers.owner = cls;
  initializers.outer = method->parameterScope != nullptr ? method->parameterScope : cls->scope;
  if (current != nullptr) {
    initializers.nextSlot = current->nextSlot;
    initializers.maxSlots = current->maxSlots > current->nextSlot ? current->maxSlots : current->nextSlot;
  }
  int32_t statementCount = global.ctx.statementCount;
  bool repeated = (cls->state & CLASS_INITIALIZERS_CHECKED) != 0;
  if (repeated) global.ctx.flags |= CTX_REPEATED_INITIALIZERS;
  {
    HiddenParameters hidden(method);
    for (Member* m = cls->members; m != nullptr; m = m->next) {
      bool field = m->kind == MK_VARIABLE && (m->modifiers & M_STATIC) == 0 && m->bodyOffset != 0;
      bool block = m->kind == MK_INSTANCE_INITIALIZER && m->bodyOffset != 0;
      if (!field && !block) continue;
      ScanSnapshot snapshot;
      global.ctx.scope = &initializers;
      if (field)
        parseFieldInitializer(m);
      else
        parseBlockAt(m);
      global.ctx.scope = current;
    }
  }
  global.ctx.scope = current;
  global.ctx.statementCount = statementCount;
  if (repeated) global.ctx.flags &= ~CTX_REPEATED_INITIALIZERS;
  if (current != nullptr && current->maxSlots < initializers.maxSlots) current->maxSlots = initializers.maxSlots;
}
