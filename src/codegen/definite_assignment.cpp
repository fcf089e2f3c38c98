// Definite assignment over the statement graph. Each statement's entry set is the join of what
// reaches it; its exit set is its entry transformed by its expression. Conditions are followed
// with a pair of sets (when true, when false) inside an expression; between statements one set
// flows to every successor, the lowering having split &&, || and ?: of conditions into jumps
// already. The walk covers all the language reaches: the way a constant condition never takes
// carries the vacuous sets (everything assigned and unassigned) into code that never runs, where
// a local declared begins unassigned all the same. Three places need more than the plain flow of
// sets: the entry of a handler (any point of the protected range may throw), the statement after
// a finally call (what held before the call, plus what the finally block assigns), and the loop
// check (a variable declared inside the loop is a new variable on each pass).
#include "codegen/definite_assignment.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "codegen/class_gen_state.h"
#include "codegen/flow_analysis.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/tree_walks.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/frame_stack.h"
#include "support/global.h"
#include "support/parser_context.h"

namespace {

struct AnalysisState {
  int32_t count;
  size_t bytes;
  int32_t maxLocals;
  int32_t locals;          // the locals' bits come first; the blank finals' follow
  int32_t* indexOfSlot;    // a local slot's bit, -1 for a slot not followed
  int32_t* slotOfIndex;
  AssignSets* initial;
  AssignSets* vacuous;  // what flows where control never goes
  bool neverRuns;       // the statement walked is code that never runs
  Member** variables;  // the variable last seen at each index, for messages
};

AnalysisState state;
// The bits of the locals declared inside each loop, by the loop's head label.
std::unordered_map<const StmtNode*, std::vector<int32_t>> loopLocals;
// The uses and assignments already reported: a statement is walked again when what reaches it
// changes, and a finally block once from each of its calls.
std::unordered_set<const ExprNode*> reportedNodes;
// The variables reported as assigned in a loop: their assignment in the loop's next pass is the
// same fault.
std::unordered_set<int32_t> loopReported;
// The captured-value fields of local classes reported as reading a local not yet assigned.
std::unordered_set<const Member*> reportedCaptures;

bool testBit(const uint8_t* bits, int32_t count, int32_t index) {
  return index >= 0 && index < count && (bits[index / 8] & (0x80 >> (index % 8))) != 0;
}

void setBit(uint8_t* bits, int32_t index) {
  bits[index / 8] |= static_cast<uint8_t>(0x80 >> (index % 8));
}

void clearBit(uint8_t* bits, int32_t index) {
  bits[index / 8] &= static_cast<uint8_t>(~(0x80 >> (index % 8)));
}

// The bit of a local slot, or -1 when the slot is not followed.
int32_t localIndex(int32_t slot) {
  return slot >= 0 && slot < state.maxLocals ? state.indexOfSlot[slot] : -1;
}

void copySets(AssignSets* to, const AssignSets* from) {
  std::memcpy(to->assigned, from->assigned, 3 * state.bytes);
}

AssignSets* newUnclearedSets(int32_t count);

AssignSets* copyOf(const AssignSets* from) {
  AssignSets* sets = newUnclearedSets(state.count);
  copySets(sets, from);
  return sets;
}

void join(AssignSets* into, const AssignSets* other) {
  for (size_t b = 0; b < state.bytes; b++) {
    into->assigned[b] &= other->assigned[b];
    into->unassigned[b] &= other->unassigned[b];
    into->finalAssigned[b] |= other->finalAssigned[b];
  }
}

// Whether joining `other` into `into` would change what equality compares (DA and DU).
bool joinChanges(const AssignSets* into, const AssignSets* other) {
  for (size_t b = 0; b < state.bytes; b++) {
    if ((into->assigned[b] & other->assigned[b]) != into->assigned[b]) return true;
    if ((into->unassigned[b] & other->unassigned[b]) != into->unassigned[b]) return true;
  }
  return false;
}

void markAssigned(AssignSets* sets, int32_t i) {
  setBit(sets->assigned, i);
  clearBit(sets->unassigned, i);
}

// An assignment in code that never runs assigns nothing at run time: a loop around it is no
// second assignment.
void markFinalAssigned(AssignSets* sets, int32_t i) {
  markAssigned(sets, i);
  if (!state.neverRuns) setBit(sets->finalAssigned, i);
}

void forget(AssignSets* sets, int32_t i) {
  clearBit(sets->assigned, i);
  setBit(sets->unassigned, i);
  clearBit(sets->finalAssigned, i);
}

const char* nameOf(const Member* v) {
  return identToString(v != nullptr ? v->name : nullptr);
}

// The analysis covers all the language reaches, code that never runs included: there the sets
// are the vacuous ones, but a local declared in it begins unassigned all the same.
bool isAnalysed(const StmtNode* s) {
  return (s->flags & (STMT_REACHABLE | STMT_LANGUAGE_REACHABLE)) != 0;
}

// A boolean constant is an O_CONST of 0 or 1.
bool isFalseConstant(const ExprNode* e) {
  return isZeroIntConstant(e);
}

void joinIntoClassExit(const AssignSets* sets) {
  ClassDef* cls = classGen.cls;
  if (cls == nullptr || sets == nullptr) return;
  if (cls->blankFinalResult == nullptr)
    cls->blankFinalResult = copyOf(sets);
  else
    join(cls->blankFinalResult, sets);
}

// The index of a variable the analysis follows, noted for messages; -1 when none.
int32_t trackedIndex(Member* v) {
  if (v == nullptr || (v->kind != MK_VARIABLE && v->kind != MK_PARAMETER)) return -1;
  int32_t i = blankFinalIndex(v);
  if (i >= 0 && i < state.count) {
    state.variables[i] = v;
    return i;
  }
  return -1;
}

bool isFinal(const Member* v) {
  return (v->modifiers & M_FINAL) != 0;
}

// The variable an assignment target names, when the analysis may follow it: its simple name, or
// the field selected from the bare this.
Member* targetVariable(const ExprNode* target) {
  if (target == nullptr) return nullptr;
  if (target->op == O_ID && target->left == nullptr) return target->member;
  if (target->op == O_DOT && isBareThis(target->left)) return target->member;
  return nullptr;
}

void reportOnce(const ExprNode* node, const char* key, const Member* v) {
  if (reportedNodes.insert(node).second) errorAt(node->line, exprColumn(node), key, nameOf(v));
}

void checkUse(Member* v, const ExprNode* node, AssignSets* sets) {
  if (v == nullptr || v->kind != MK_VARIABLE || (v->variableFlags & VAR_CATCH_PARAMETER) != 0) return;
  int32_t i = trackedIndex(v);
  if (i < 0 || testBit(sets->assigned, state.count, i)) return;
  reportOnce(node, "uninitialized.variable", v);
  // Once reported, the variable counts as assigned, so one fault gives one message; it stays
  // unassigned for its first real assignment, which is then no second one.
  setBit(sets->assigned, i);
}

void assignFinal(Member* v, int32_t i, const ExprNode* node, AssignSets* sets) {
  if (v->kind == MK_PARAMETER || (v->variableFlags & VAR_CATCH_PARAMETER) != 0) {
    reportOnce(node, "assign.to.final.parameter", v);
  } else if (((v->variableFlags & VAR_ASSIGNED_BY_THIS_CALL) != 0 || !testBit(sets->unassigned, state.count, i)) &&
             loopReported.count(i) == 0) {
    reportOnce(node, "second.assign.to.final", v);
  }
  markFinalAssigned(sets, i);
}

void assignTarget(const ExprNode* target, const ExprNode* node, AssignSets* sets) {
  Member* v = targetVariable(target);
  int32_t i = trackedIndex(v);
  if (i < 0) return;
  if (isFinal(v))
    assignFinal(v, i, node, sets);
  else
    markAssigned(sets, i);
}


// The target of a compound assignment or increment, casts looked through.
const ExprNode* compoundTarget(const ExprNode* e) {
  const ExprNode* t = e->left;
  while (t != nullptr && t->op == O_CAST) t = t->left;
  return t;
}

// The sets where control never arrives: everything definitely assigned and unassigned, nothing
// assigned on the way.
void makeVacuous(AssignSets* sets) {
  std::memset(sets->assigned, 0xFF, state.bytes);
  std::memset(sets->unassigned, 0xFF, state.bytes);
  std::memset(sets->finalAssigned, 0, state.bytes);
}

void walkExpr(ExprNode* e, AssignSets* sets);
void walkCondition(ExprNode* e, AssignSets* sets, AssignSets** whenTrue, AssignSets** whenFalse);
void checkCapturedLocals(const ClassDef* cls, const ClassDef* methodClass, AssignSets* sets);

void walkArguments(ExprNode* list, AssignSets* sets) {
  walkExpr(list, sets);
}

// The nodes whose operands, if any, the walk does not follow.
bool isLeafNode(int32_t op) {
  switch (op) {
    case O_CONST:
    case O_DCONST:
    case O_STRING:
    case O_THIS:
    case O_NULL:
    case O_CLASSREF:
    case O_CLASS:
    case O_ERROR:
    case O_LCONST:
    case O_OBJECT:
      return true;
    default:
      return false;
  }
}

// True when walkNode takes the left operand first: names and selectors, calls without a kept
// qualifier, creations, and every operator but the assignment, the initialization, the conditions,
// ?: and instanceof.
bool walksLeftFirst(const ExprNode* e) {
  if (isLeafNode(e->op)) return false;
  switch (e->op) {
    case O_ASG:
    case O_INIT:
    case O_LAND:
    case O_LOR:
    case O_NOT:
    case O_QUES:
    case O_INSTANCEOF:
      return false;
    case O_CALL:
      return e->savedQualifier == nullptr;
    default:
      return true;
  }
}

void walkNode(ExprNode* e, AssignSets* sets, bool leftDone);

bool failed(const ExprNode* e) {
  return e->type != nullptr && e->type->kind == TK_ERROR;
}

// After an expression that failed (reported), every variable counts as assigned, so that no use
// after it is reported for its sake; what counted as unassigned still does, so that a final
// assigned again after it is reported only where it was assigned before it.
void assumeAssigned(AssignSets* sets) {
  std::memset(sets->assigned, 0xFF, state.bytes);
  int32_t spare = static_cast<int32_t>(state.bytes * 8) - state.count;
  if (spare > 0) sets->assigned[state.bytes - 1] &= static_cast<uint8_t>(0xFF << spare);
}

// A chain of left operands (a + b + c, a.b().c(), the links of a list) is followed by a loop, down
// to its first operand; each link's own part then follows, bottom up. The operands of a failed
// node are not walked.
void walkExpr(ExprNode* e, AssignSets* sets) {
  FrameStack<ExprNode*, 4> chain;
  while (e != nullptr && walksLeftFirst(e) && !failed(e)) {
    chain.push(e);
    e = e->left;
  }
  walkNode(e, sets, false);
  while (!chain.empty()) {
    walkNode(chain.top(), sets, true);
    chain.pop();
  }
}

// One node; with leftDone its left operand is walked already.
void walkNode(ExprNode* e, AssignSets* sets, bool leftDone) {
  if (e != nullptr && failed(e)) {
    assumeAssigned(sets);
    return;
  }
  if (e == nullptr || isLeafNode(e->op)) return;
  switch (e->op) {
    case O_ID:
      // A static field reached through an expression keeps that expression. Only the simple name
      // reads a blank final at this language level: T.S, this.f and o.f are no uses.
      if (!leftDone) walkExpr(e->left, sets);
      if (e->left == nullptr && !hasErrorType(e)) checkUse(e->member, e, sets);
      return;
    case O_ASG: {
      ExprNode* target = e->left;
      if (target != nullptr && target->op == O_DOT)
        walkExpr(target->left, sets);
      else if (target != nullptr && target->op == O_ID)
        walkExpr(target->left, sets);
      else
        walkExpr(target, sets);
      walkExpr(e->right, sets);
      assignTarget(target, e, sets);
      return;
    }
    case O_INIT: {
      walkExpr(e->right, sets);
      Member* v = e->member;
      if (v == nullptr || v->kind != MK_VARIABLE || (v->variableFlags & VAR_CATCH_PARAMETER) != 0) return;
      int32_t i = trackedIndex(v);
      if (i < 0) return;
      if (isFinal(v))
        markFinalAssigned(sets, i);
      else
        markAssigned(sets, i);
      return;
    }
    case O_LAND:
    case O_LOR:
    case O_NOT: {
      AssignSets* whenTrue;
      AssignSets* whenFalse;
      walkCondition(e, sets, &whenTrue, &whenFalse);
      join(whenTrue, whenFalse);
      copySets(sets, whenTrue);
      return;
    }
    case O_QUES: {
      AssignSets* whenTrue;
      AssignSets* whenFalse;
      walkCondition(e->left, sets, &whenTrue, &whenFalse);
      walkExpr(e->right, whenTrue);
      walkExpr(e->third, whenFalse);
      join(whenTrue, whenFalse);
      copySets(sets, whenTrue);
      return;
    }
    case O_CALL:
      walkExpr(e->savedQualifier, sets);
      if (!leftDone) walkExpr(e->left, sets);
      walkArguments(e->list, sets);
      return;
    case O_NEW:
      if (!leftDone) walkExpr(e->left, sets);
      walkArguments(e->list, sets);
      for (ArrayDimension* d = e->dimensions; d != nullptr; d = d->next) walkExpr(d->size, sets);
      // The arguments read what the anonymous class copies; what the classes declared inside it
      // use, whether or not it creates them, must be assigned too.
      if (e->member != nullptr && e->member->owner != nullptr && (e->member->owner->flags & CF_ANONYMOUS) != 0)
        checkCapturedLocals(e->member->owner, e->member->owner->outer, sets);
      return;
    case O_INSTANCEOF:
      walkExpr(e->right, sets);
      return;
    default:
      break;
  }
  if (!leftDone) walkExpr(e->left, sets);
  walkExpr(e->right, sets);
  walkExpr(e->third, sets);
  if (isCompoundOrIncrement(e->op)) {
    // The target was read as a use; a final one is assigned a second time.
    Member* v = targetVariable(compoundTarget(e));
    int32_t i = trackedIndex(v);
    if (i >= 0 && isFinal(v)) {
      if (v->kind == MK_PARAMETER || (v->variableFlags & VAR_CATCH_PARAMETER) != 0)
        reportOnce(e, "assign.to.final.parameter", v);
      else
        reportOnce(e, "second.assign.to.final", v);
      markFinalAssigned(sets, i);
    }
  }
}

// The sets after `e` when it is true and when false, from `sets` before it (left unchanged). A
// chain of &&, || and ! (a && b && c) is followed down its left operands by a loop, which all take
// `sets` as they are; each link then walks its right operand from its left operand's outcome,
// bottom up.
void walkCondition(ExprNode* e, AssignSets* sets, AssignSets** whenTrue, AssignSets** whenFalse) {
  FrameStack<ExprNode*, 4> chain;
  while (e != nullptr && (e->op == O_NOT || e->op == O_LAND || e->op == O_LOR)) {
    chain.push(e);
    e = e->left;
  }
  AssignSets* isTrue = nullptr;
  AssignSets* isFalse = nullptr;
  if (e != nullptr && e->op == O_QUES && e->type != nullptr && e->type->kind == TK_BOOLEAN) {
    AssignSets* conditionTrue;
    AssignSets* conditionFalse;
    walkCondition(e->left, sets, &conditionTrue, &conditionFalse);
    AssignSets* elseTrue;
    AssignSets* elseFalse;
    walkCondition(e->right, conditionTrue, &isTrue, &isFalse);
    walkCondition(e->third, conditionFalse, &elseTrue, &elseFalse);
    join(isTrue, elseTrue);
    join(isFalse, elseFalse);
  } else {
    isTrue = copyOf(sets);
    walkExpr(e, isTrue);
    isFalse = copyOf(isTrue);
    // A constant condition never takes its other way: every variable is assigned there, vacuously
    // (false && x, true ? 1 : y).
    if (e != nullptr && e->op == O_CONST) makeVacuous(e->integerValue != 0 ? isFalse : isTrue);
  }
  while (!chain.empty()) {
    ExprNode* link = chain.top();
    chain.pop();
    AssignSets* rightTrue;
    AssignSets* rightFalse;
    switch (link->op) {
      case O_NOT:
        std::swap(isTrue, isFalse);
        break;
      case O_LAND:
        walkCondition(link->right, isTrue, &rightTrue, &rightFalse);
        join(isFalse, rightFalse);
        isTrue = rightTrue;
        break;
      default:
        walkCondition(link->right, isFalse, &rightTrue, &rightFalse);
        join(isTrue, rightTrue);
        isFalse = rightFalse;
        break;
    }
  }
  *whenTrue = isTrue;
  *whenFalse = isFalse;
}

bool hasExpression(int32_t kind) {
  switch (kind) {
    case ST_EXPR:
    case ST_RETURN:
    case ST_THROW:
    case ST_IF_TRUE:
    case ST_SWITCH:
    case ST_MON_ENTER:
      return true;
    default:
      return false;
  }
}

// Whether a local of slot `slot` begins its life between the loop's start label and its end, the
// catch and finally blocks there included (their statements are lists of their own): such a
// variable is a fresh one on every pass (a `continue` carries its assignment to the loop end
// without passing the end of its scope).
bool declaredInLoop(const StmtNode* label, const StmtNode* loopEnd, int32_t slot) {
  for (const StmtNode* s = label; s != nullptr; s = s->next) {
    if (s->kind == ST_LEAVE_SCOPE && s->variable != nullptr && s->variable->slot == slot) return true;
    if ((s->kind == ST_CATCH || s->kind == ST_FINALLY) && s->clause != nullptr && s->clause->first != nullptr &&
        declaredInLoop(s->clause->first, s->clause->last, slot))
      return true;
    if (s == loopEnd) break;
  }
  return false;
}

struct AssignmentSearch {
  int32_t index;
  const ExprNode* found;
};

int32_t findAssignment(ExprNode* e, void* context) {
  auto* search = static_cast<AssignmentSearch*>(context);
  const ExprNode* target = e->op == O_ASG ? e->left : isCompoundOrIncrement(e->op) ? compoundTarget(e) : nullptr;
  Member* v = targetVariable(target);
  if (v == nullptr || blankFinalIndex(v) != search->index) return 0;
  search->found = e;
  return 1;
}

// The first assignment of the variable of index `index` from the loop's start label to its end,
// the catch and finally blocks there included: where a final assigned in the loop is shown.
const ExprNode* assignmentInLoop(const StmtNode* label, const StmtNode* loopEnd, int32_t index) {
  for (const StmtNode* s = label; s != nullptr; s = s->next) {
    if (hasExpression(s->kind) && s->expression != nullptr) {
      AssignmentSearch search{index, nullptr};
      walkExpression(s->expression, findAssignment, nullptr, nullptr, &search);
      if (search.found != nullptr) return search.found;
    }
    if ((s->kind == ST_CATCH || s->kind == ST_FINALLY) && s->clause != nullptr && s->clause->first != nullptr)
      if (const ExprNode* found = assignmentInLoop(s->clause->first, s->clause->last, index)) return found;
    if (s == loopEnd) break;
  }
  return nullptr;
}

void checkLoop(StmtNode* s) {
  StmtNode* label = s->target;
  if (label == nullptr) return;
  StmtNode* loopEnd = label->loopLink;
  if (loopEnd == nullptr || !isAnalysed(label) || !isAnalysed(loopEnd)) return;
  if (label->in == nullptr || loopEnd->out == nullptr) return;
  for (int32_t i = state.count - 1; i >= 0; i--) {
    if (!testBit(loopEnd->out->finalAssigned, state.count, i) || !testBit(label->in->unassigned, state.count, i))
      continue;
    if (i < state.locals && declaredInLoop(label, loopEnd, state.slotOfIndex[i])) continue;
    if (!loopReported.insert(i).second) continue;
    const ExprNode* assignment = assignmentInLoop(label, loopEnd, i);
    if (assignment != nullptr)
      errorAt(assignment->line, exprColumn(assignment), "assignment.to.final.in.loop", nameOf(state.variables[i]));
    else
      errorAt(label->line, label->column, "assignment.to.final.in.loop", nameOf(state.variables[i]));
  }
}

// A jump back to a loop's start; one whose condition is constant false never goes back.
bool isLoopJump(const StmtNode* s) {
  if (s->kind == ST_GOTO) return s->loopTarget != 0;
  if (s->kind == ST_IF_TRUE) return s->loopTarget != 0 && !isFalseConstant(s->expression);
  return false;
}

// The way from an ST_IF_TRUE that its constant condition never takes: only the vacuous sets
// flow along it into code the language reaches but that never runs. A way that both the jump
// and the fall-through take is taken.
bool isNeverTaken(const StmtNode* from, const StmtNode* to) {
  if (from->kind != ST_IF_TRUE || from->expression == nullptr || from->expression->op != O_CONST) return false;
  bool jump = to == from->target;
  if (jump == (to == from->next)) return false;
  return jump == (from->expression->integerValue == 0);
}

// A local leaves its scope at its ST_LEAVE_SCOPE; a jump that passes over that statement takes
// the variable out of scope too. Only forward jumps are searched: the backward ones are loops,
// whose heads take their own locals out (forgetLoopLocals).
const AssignSets* forgetPassedScopes(const StmtNode* jump, const StmtNode* target, const AssignSets* incoming) {
  if (jump->kind != ST_GOTO || jump->loopTarget != 0 || target != jump->target) return incoming;
  bool passed = false;
  const StmtNode* s = jump->next;
  for (; s != nullptr && s != target; s = s->next)
    if (s->kind == ST_LEAVE_SCOPE) passed = true;
  // Not found ahead: no local was passed over.
  if (!passed || s == nullptr) return incoming;
  AssignSets* result = copyOf(incoming);
  for (s = jump->next; s != target; s = s->next) {
    if (s->kind != ST_LEAVE_SCOPE || s->variable == nullptr) continue;
    int32_t i = localIndex(s->variable->slot);
    if (i >= 0) forget(result, i);
  }
  return result;
}

// At a loop's head the locals declared in the loop do not exist yet, whatever a continue carried
// back from the last pass.
void forgetLoopLocals(StmtNode* head) {
  auto found = loopLocals.find(head);
  if (found == loopLocals.end()) {
    std::vector<int32_t> indices;
    for (const StmtNode* s = head; s != nullptr; s = s->next) {
      if (s->kind == ST_LEAVE_SCOPE && s->variable != nullptr && localIndex(s->variable->slot) >= 0)
        indices.push_back(localIndex(s->variable->slot));
      if (s == head->loopLink) break;
    }
    found = loopLocals.emplace(head, std::move(indices)).first;
  }
  for (int32_t i : found->second) forget(head->in, i);
}

// A local that a local class uses, in its own body or in that of a class declared inside it,
// must be definitely assigned before the class body; reported at the first use that captured it.
// Only the locals of the method analysed, whose class is `methodClass`, count: a class may copy
// those of methods further out too, whose slots mean other variables here.
void checkCapturedLocals(const ClassDef* cls, const ClassDef* methodClass, AssignSets* sets) {
  for (const Member* field = cls->members; field != nullptr; field = field->next) {
    Member* v = field->original;
    if (field->kind != MK_VARIABLE || (field->modifiers & M_SYNTHETIC) == 0 || v == nullptr || v->slot < 0 ||
        v->owner != methodClass || (field->fieldFlags & FIELD_CAPTURE_ASSIGNED) != 0)
      continue;
    if (v->kind != MK_VARIABLE || (v->variableFlags & VAR_CATCH_PARAMETER) != 0) continue;
    int32_t i = trackedIndex(v);
    if (i < 0 || testBit(sets->assigned, state.count, i)) continue;
    if (reportedCaptures.insert(field).second)
      errorAt(field->line, field->column, "uninitialized.variable", nameOf(v));
    setBit(sets->assigned, i);
  }
  for (const ClassRef* r = cls->innerClasses; r != nullptr; r = r->next)
    if (r->resolved != nullptr && r->resolved->outer == cls) checkCapturedLocals(r->resolved, methodClass, sets);
}

bool visitStatement(StmtNode* s, StmtNode* predecessor) {
  if (!isAnalysed(s)) return true;
  QuietDiagnostics repeated((s->flags & STMT_REPEATED) != 0);
  if (isLoopJump(s)) checkLoop(s);

  // A predecessor the walk has not been through yet brings nothing: the continuation of a handler
  // that a walk still suspended inside it will reach is walked again when that walk is done.
  if (predecessor != nullptr && predecessor->out == nullptr) return true;
  const AssignSets* incoming = predecessor == nullptr            ? state.initial
                               : isNeverTaken(predecessor, s) ? state.vacuous
                                                              : forgetPassedScopes(predecessor, s, predecessor->out);
  if (s->in == nullptr) {
    s->in = copyOf(incoming);
  } else {
    if (s->kind != ST_LABEL && !joinChanges(s->in, incoming)) return true;
    join(s->in, incoming);
  }
  if (s->kind == ST_LABEL && s->loopLink != nullptr) forgetLoopLocals(s);

  if (s->out == nullptr) s->out = newUnclearedSets(state.count);
  copySets(s->out, s->in);
  state.neverRuns = (s->flags & STMT_REACHABLE) == 0;
  // A local leaves its scope, or begins it without a value (in code that never runs as well).
  if (s->kind == ST_LEAVE_SCOPE || s->kind == ST_DECLARATION) {
    int32_t i = s->variable != nullptr ? localIndex(s->variable->slot) : -1;
    if (i >= 0) forget(s->out, i);
  } else if (hasExpression(s->kind)) {
    walkExpr(s->expression, s->out);
  } else if (s->kind == ST_NULL && s->variable != nullptr && s->variable->kind == MK_CLASS_DECLARATION &&
             s->variable->declaredClass != nullptr) {
    checkCapturedLocals(s->variable->declaredClass, s->variable->declaredClass->outer, s->out);
  }
  if (s->kind == ST_RETURN_FINISH && global.ctx.currentMethod != nullptr) joinIntoClassExit(s->out);
  return false;
}

// Behind a finally call: what held before the call, with what the finally block assigns.
void afterFinallyCall(StmtNode* call, StmtNode* exit) {
  if (call->in == nullptr || exit->out == nullptr) return;
  if (call->out == nullptr) call->out = newAssignSets(state.count);
  for (size_t b = 0; b < state.bytes; b++) {
    call->out->assigned[b] = call->in->assigned[b] | exit->out->assigned[b];
    call->out->unassigned[b] = call->in->unassigned[b] & exit->out->unassigned[b];
    call->out->finalAssigned[b] = call->in->finalAssigned[b] | exit->out->finalAssigned[b];
  }
}

void foldState(AssignSets* entry, const AssignSets* sets) {
  if (sets == nullptr) return;
  for (size_t b = 0; b < state.bytes; b++) {
    entry->unassigned[b] &= sets->unassigned[b];
    entry->finalAssigned[b] |= sets->finalAssigned[b];
  }
}

// Folds in what may have been assigned anywhere between `first` and `last`, handlers of nested
// statements included. A jump out of the range has left it when it calls the finally block of
// the range's own try or of a try that does not start inside the range: from that call to the
// jump's goto or return, the states are those after the finally block, which the range's
// handlers never see.
void foldRange(AssignSets* entry, const StmtNode* first, const StmtNode* last, const StmtNode* owner,
               std::vector<const StmtNode*>* opened) {
  bool leaving = false;
  for (const StmtNode* s = first; s != nullptr; s = s->next) {
    if (leaving) {
      leaving = s->kind == ST_CALL_FINALLY || s->kind == ST_MON_EXIT;
    } else if (s->kind == ST_CALL_FINALLY &&
               (s->target == owner || std::find(opened->begin(), opened->end(), s->target) == opened->end())) {
      foldState(entry, s->in);
      leaving = true;
    } else {
      if (s->kind == ST_TRY && s != owner) opened->push_back(s);
      foldState(entry, s->out);
      if ((s->kind == ST_CATCH || s->kind == ST_FINALLY) && s->clause != nullptr)
        foldRange(entry, s->clause->first, s->clause->last, owner, opened);
    }
    if (s == last) break;
  }
}

// A handler starts with what held before its statement, except that a final assigned anywhere in
// the protected range may already be assigned.
StmtNode* handlerEntry(TryClause* clause) {
  StmtNode* statement = clause->statement;
  if (statement == nullptr || statement->out == nullptr) return statement;
  auto* entry = arenaNew<StmtNode>(&global.genArena);
  entry->kind = ST_NULL;
  entry->flags = STMT_REACHABLE;
  entry->out = copyOf(statement->out);
  std::vector<const StmtNode*> opened;
  foldRange(entry->out, clause->startLabel, clause->endLabel, statement, &opened);
  return entry;
}

}  // namespace

namespace {

// Sets whose bits are written before they are read: a copy's, an exit's.
AssignSets* newUnclearedSets(int32_t count) {
  size_t bytes = static_cast<size_t>((count + 7) / 8);
  auto* sets = static_cast<AssignSets*>(arenaAllocUncleared(&global.genArena, sizeof(AssignSets) + 3 * bytes));
  auto* bits = reinterpret_cast<uint8_t*>(sets + 1);
  sets->count = count;
  sets->blankFinalBase = state.locals;
  sets->assigned = bits;
  sets->unassigned = bits + bytes;
  sets->finalAssigned = bits + 2 * bytes;
  return sets;
}

// Whether the expression reads the variable by its simple name.
bool readsVariable(ExprNode* tree, const Member* v) {
  FrameStack<ExprNode*, 16> pending;
  pending.push(tree);
  while (!pending.empty()) {
    ExprNode* e = pending.top();
    pending.pop();
    if (e == nullptr) continue;
    if (e->op == O_ID && e->member == v) return true;
    pending.push(e->left);
    pending.push(e->right);
    pending.push(e->third);
    pending.push(e->list);
    pending.push(e->savedQualifier);
    for (ArrayDimension* d = e->dimensions; d != nullptr; d = d->next) pending.push(d->size);
  }
  return false;
}

struct SlotUse {
  bool followed;             // some variable of the slot needs its bit
  bool declared;             // a local declared with an initializer that does not read it takes the slot
  const Member* awaiting;    // a local declared, its initializer not met yet
};

void noteStatementSlots(const StmtNode* first, const StmtNode* last, SlotUse* uses, int32_t maxLocals,
                        bool* hasSwitch) {
  for (const StmtNode* s = first; s != nullptr; s = s->next) {
    if (s->kind == ST_SWITCH) *hasSwitch = true;
    const Member* v = s->variable;
    if (s->kind == ST_DECLARATION && v != nullptr && v->slot >= 0 && v->slot < maxLocals) {
      SlotUse& use = uses[v->slot];
      bool plain = v->kind == MK_VARIABLE && (v->modifiers & M_FINAL) == 0 &&
                   (v->variableFlags & (VAR_HAS_INITIALIZER | VAR_CATCH_PARAMETER)) == VAR_HAS_INITIALIZER;
      if (!plain || use.awaiting != nullptr) use.followed = true;
      use.awaiting = plain ? v : nullptr;
    }
    const ExprNode* e = s->expression;
    if (hasExpression(s->kind) && e != nullptr && e->op == O_INIT && e->member != nullptr) {
      const Member* init = e->member;
      if (init->slot >= 0 && init->slot < maxLocals) {
        SlotUse& use = uses[init->slot];
        if (use.awaiting != init || readsVariable(e->right, init))
          use.followed = true;
        else
          use.declared = true;
        use.awaiting = nullptr;
      }
    }
    if (s == last) break;
  }
}

// Lays out the bits. A local that is not final and whose initializer does not read it is assigned
// wherever it may be named: every way into its scope passes its declaration, but for a switch's
// labels, so in a method without a switch its bit could never be reported and it gets none. The
// parameters, the catch parameters, the finally blocks' variables, the other locals and the slots
// the compiler takes for itself keep a bit each, in slot order; the blank finals follow them.
void layOutBits(int32_t maxLocals) {
  state.maxLocals = maxLocals;
  state.indexOfSlot = arenaNewArray<int32_t>(&global.genArena, static_cast<size_t>(maxLocals));
  state.slotOfIndex = arenaNewArray<int32_t>(&global.genArena, static_cast<size_t>(maxLocals));
  std::vector<SlotUse> uses(static_cast<size_t>(maxLocals));
  bool hasSwitch = false;
  noteStatementSlots(global.ctx.firstStatement, nullptr, uses.data(), maxLocals, &hasSwitch);
  for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next) {
    noteStatementSlots(c->first, c->last, uses.data(), maxLocals, &hasSwitch);
    if (c->variable != nullptr && c->variable->slot >= 0 && c->variable->slot < maxLocals)
      uses[c->variable->slot].followed = true;
  }
  const Member* method = global.ctx.currentMethod;
  int32_t parameterSlots = method != nullptr ? method->parameterSlots : 0;
  if (method != nullptr)
    for (const Parameter* p = method->parameters; p != nullptr; p = p->next)
      if (p->variable != nullptr && p->variable->slot >= 0 && p->variable->slot < maxLocals)
        uses[p->variable->slot].followed = true;
  int32_t locals = 0;
  for (int32_t slot = 0; slot < maxLocals; slot++) {
    const SlotUse& use = uses[slot];
    bool followed = hasSwitch || slot < parameterSlots || use.followed || use.awaiting != nullptr || !use.declared;
    state.indexOfSlot[slot] = followed ? locals : -1;
    if (followed) state.slotOfIndex[locals++] = slot;
  }
  state.locals = locals;
}

}  // namespace

AssignSets* newAssignSets(int32_t count) {
  AssignSets* sets = newUnclearedSets(count);
  std::memset(sets->assigned, 0, 3 * static_cast<size_t>((count + 7) / 8));
  return sets;
}

bool isDefinitelyAssigned(const AssignSets* sets, int32_t index) {
  return sets != nullptr && testBit(sets->assigned, sets->count, index);
}

int32_t blankFinalIndex(const Member* v) {
  if (v == nullptr) return -1;
  if ((v->kind == MK_VARIABLE || v->kind == MK_PARAMETER) && v->slot >= 0) return localIndex(v->slot);
  if (v->kind != MK_VARIABLE || v->blankFinalNumber >= classGen.blankFinalCount) return -1;
  bool inMethod = global.ctx.currentMethod != nullptr;
  if (inMethod ? isBlankFinalInstanceField(v) : isBlankFinalStaticField(v))
    return state.locals + v->blankFinalNumber;
  return -1;
}

bool isBlankFinalAssigned(const AssignSets* sets, int32_t number) {
  return sets != nullptr && isDefinitelyAssigned(sets, sets->blankFinalBase + number);
}

void analyseDefiniteAssignment(int32_t count, bool preassigned) {
  layOutBits(classGen.maxLocals);
  count = state.locals + count - classGen.maxLocals;
  state.count = count;
  state.bytes = static_cast<size_t>((count + 7) / 8);
  state.variables = arenaNewArray<Member*>(&global.genArena, static_cast<size_t>(count));
  state.initial = newAssignSets(count);
  state.vacuous = newAssignSets(count);
  makeVacuous(state.vacuous);
  loopLocals.clear();
  reportedNodes.clear();
  loopReported.clear();
  reportedCaptures.clear();
  std::memset(state.initial->unassigned, 0xFF, state.bytes);
  // A constructor that begins with this(...) finds every blank final assigned by the other one.
  if (preassigned)
    for (int32_t i = state.locals; i < count; i++) markAssigned(state.initial, i);

  static const FlowVisitor visitor{visitStatement, afterFinallyCall, handlerEntry};
  StmtNode* first = global.ctx.firstStatement;
  walkStatementFlow(nullptr, first, nullptr, &visitor, FOLLOW_LOOP_CONSTANTS);
  walkHandlers(nullptr, &visitor, FOLLOW_LOOP_CONSTANTS);

  // The end of the code is a normal exit when control falls out of it: a throw as the last
  // statement has exit sets but is no exit.
  StmtNode* last = global.ctx.lastStatement;
  if (last != nullptr && last->out != nullptr && (last->flags & STMT_REACHABLE) != 0 && !isDeadEndStatement(last))
    joinIntoClassExit(last->out);
  else if (first == nullptr)
    joinIntoClassExit(state.initial);
  // Code that never completes normally assigns everything it must.
  if (classGen.cls != nullptr && classGen.cls->blankFinalResult == nullptr) {
    AssignSets* all = newAssignSets(count);
    std::memset(all->assigned, 0xFF, state.bytes);
    classGen.cls->blankFinalResult = all;
  }
}
