// The method code driver and the walk of the statement graph. The walk keeps its pending work on
// a stack of its own instead of recursing at every jump, so a method of many thousands of
// branches costs no native stack; the order of visits is the depth-first order of the recursive
// description (a branch's target before its fall-through, a try's protected statements before
// its handlers).
#include "codegen/flow_analysis.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "codegen/class_gen_state.h"
#include "codegen/definite_assignment.h"
#include "codegen/expression_depth.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "codegen/statement_code.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"

namespace {

bool isNonZeroIntConstant(const ExprNode* e) {
  return e != nullptr && e->op == O_CONST && e->integerValue != 0;
}

bool isZeroIntConstant(const ExprNode* e) {
  return e != nullptr && e->op == O_CONST && e->integerValue == 0;
}

bool reachable(const StmtNode* s) {
  return (s->flags & STMT_REACHABLE) != 0;
}

// Trace numbers live in bits 5-24 of a statement's flags, given when a traced walk meets it.
constexpr uint32_t TRACE_NUMBER_SHIFT = 5;
constexpr uint32_t TRACE_NUMBER_MASK = 0xFFFFFu << TRACE_NUMBER_SHIFT;
uint32_t traceCounter;

uint32_t traceNumber(StmtNode* s) {
  if ((s->flags & TRACE_NUMBER_MASK) == 0) {
    traceCounter = (traceCounter + 1) & 0xFFFFF;
    if (traceCounter == 0) traceCounter = 1;
    s->flags |= traceCounter << TRACE_NUMBER_SHIFT;
  }
  return (s->flags & TRACE_NUMBER_MASK) >> TRACE_NUMBER_SHIFT;
}

const char* methodName(const Member* method) {
  return method != nullptr ? methodToString(method) : "clinit";
}

bool tracing() {
  return (global.traceLevel & TRACE_FLOW) != 0;
}

// Pending work of a walk.
enum PendingKind {
  PENDING_WALK,           // start a walk at `statement` from `from`
  PENDING_RESUME,         // go on behind `statement`, whose jump was walked
  PENDING_AFTER_FINALLY,  // go on behind the ST_CALL_FINALLY `statement`, its finally walked
  PENDING_FINISH,         // end the walk of `level` for `reason`
  PENDING_HANDLERS,       // the handlers of the ST_TRY `statement`
  PENDING_HANDLER,        // the handler of `clause`
  PENDING_AFTER_HANDLER,  // what follows the handler of `clause`
};

struct Pending {
  int32_t kind;
  StmtNode* statement;
  StmtNode* from;
  TryClause* clause;
  int32_t level;
  const char* reason;
};

bool clauseRethrows(const TryClause* clause) {
  return (clause->flags & CLAUSE_CATCH_ALL) != 0 ||
         (clause->statement != nullptr && clause->statement->kind == ST_MON_ENTER);
}

// A dead end, the finally blocks' exits judged by the reachability marks `reached` (none: by the
// blocks' own statements alone).
bool isDeadEnd(const StmtNode* s, uint32_t reached) {
  switch (s->kind) {
    case ST_THROW:
    case ST_GOTO:
    case ST_SWITCH:
    case ST_RETURN_FINISH:
      return true;
    case ST_CALL_FINALLY: {
      TryClause* finallyClause = calledFinally(s);
      if (finallyClause == nullptr) return false;
      const StmtNode* exit = finallyExit(finallyClause);
      return exit == nullptr || isDeadEnd(exit, reached) || (reached != 0 && (exit->flags & reached) == 0);
    }
    default:
      return false;
  }
}

// A walk reads the reachability that its mode stands for: a walk by the language's rules, after
// the first, the language's marks as well as the running code's; a walk that follows no
// conditions, none.
class FlowWalk {
 public:
  FlowWalk(StmtNode* stop, const FlowVisitor* visitor, FollowMode mode)
      : stop_(stop),
        visitor_(visitor),
        mode_(mode),
        follow_(mode != FOLLOW_NONE),
        reached_(mode == FOLLOW_NONE             ? 0
                 : mode == FOLLOW_LOOP_CONSTANTS ? STMT_REACHABLE | STMT_LANGUAGE_REACHABLE
                                                 : STMT_REACHABLE) {}

  void push(const Pending& p) { work_.push_back(p); }

  void run() {
    while (!work_.empty()) {
      Pending p = work_.back();
      work_.pop_back();
      switch (p.kind) {
        case PENDING_WALK:
          if (tracing()) std::printf("\nwalkStatementFlow(): Starting pass Nest level %d\n", p.level);
          walkFrom(p.statement, p.from, p.level);
          break;
        case PENDING_RESUME:
          resume(p.statement, nullptr, p.level);
          break;
        case PENDING_AFTER_FINALLY:
          afterFinally(p.statement, p.level);
          break;
        case PENDING_FINISH:
          finish(p.level, p.reason);
          break;
        case PENDING_HANDLERS:
          pushHandlers(p.statement, p.level);
          break;
        case PENDING_HANDLER:
          handler(p.clause, p.level);
          break;
        case PENDING_AFTER_HANDLER:
          afterHandler(p.clause, p.level);
          break;
      }
    }
  }

  void pushHandlers(StmtNode* tryStatement, int32_t level) {
    // Pushed last first, so that they run in list order.
    size_t mark = work_.size();
    for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next) {
      if (c->kind != CLAUSE_CATCH || c->first == nullptr || c->statement == nullptr) continue;
      if (tryStatement != nullptr ? c->statement != tryStatement : c->statement->kind == ST_TRY) continue;
      // A synchronized statement that is never reached has no handler to reach either.
      if (tryStatement == nullptr && follow_ && !seen(c->statement)) continue;
      work_.push_back(Pending{PENDING_HANDLER, nullptr, nullptr, c, level, nullptr});
    }
    std::reverse(work_.begin() + static_cast<std::ptrdiff_t>(mark), work_.end());
  }

 private:
  void finish(int32_t level, const char* reason) {
    if (tracing()) std::printf("walkStatementFlow(): Finished pass Nest level %d due to %s\n\n", level, reason);
  }

  void walkNested(StmtNode* from, StmtNode* first, int32_t level) {
    work_.push_back(Pending{PENDING_WALK, first, from, nullptr, level + 1, nullptr});
  }

  void traceStep(StmtNode* s, StmtNode* from) {
    if (!tracing()) return;
    if (from != nullptr)
      std::printf("    FROM: %s %u, line %d:%d\n", statementKindName(from->kind), traceNumber(from), from->line,
                  from->column);
    else
      std::printf("    FROM: NO ancestor\n");
    std::printf("    TO: %s %u, line %d:%d\n", statementKindName(s->kind), traceNumber(s), s->line, s->column);
  }

  // Step 3 of a statement: whether the walk goes on to its successor.
  bool stepOn(StmtNode* s, StmtNode** from, int32_t level) {
    if (isDeadEnd(s, reached_)) {
      finish(level, "Dead end statement");
      return false;
    }
    if (s == stop_) {
      finish(level, "last statement reached");
      return false;
    }
    if (*from == nullptr) *from = s;
    return true;
  }

  void resume(StmtNode* s, StmtNode* from, int32_t level) {
    if (!stepOn(s, &from, level)) return;
    walkFrom(s->next, from, level);
  }

  void walkFrom(StmtNode* s, StmtNode* from, int32_t level) {
    for (; s != nullptr; s = s->next) {
      traceStep(s, from);
      if (visitor_->visit(s, from)) {
        finish(level, "Processor function returned TRUE");
        return;
      }
      from = nullptr;
      switch (s->kind) {
        case ST_GOTO:
          if (s->target == nullptr) break;
          work_.push_back(Pending{PENDING_RESUME, s, nullptr, nullptr, level, nullptr});
          walkNested(s, s->target, level);
          return;
        case ST_IF_TRUE:
          if (s->target == nullptr) break;
          if (follow_ && alwaysJumps(s)) {
            work_.push_back(Pending{PENDING_FINISH, s, nullptr, nullptr, level, "Does not fallthru"});
            walkNested(s, s->target, level);
            return;
          }
          if (follow_ && skips(s)) break;
          work_.push_back(Pending{PENDING_RESUME, s, nullptr, nullptr, level, nullptr});
          walkNested(s, s->target, level);
          return;
        case ST_SWITCH: {
          work_.push_back(Pending{PENDING_RESUME, s, nullptr, nullptr, level, nullptr});
          size_t mark = work_.size();
          if (s->target != nullptr) walkNested(s, s->target, level);
          for (CaseEntry* c = s->cases; c != nullptr; c = c->next)
            if (c->label != nullptr) walkNested(s, c->label, level);
          std::reverse(work_.begin() + static_cast<std::ptrdiff_t>(mark), work_.end());
          return;
        }
        case ST_CALL_FINALLY: {
          TryClause* finallyClause = calledFinally(s);
          if (finallyClause == nullptr || finallyClause->first == nullptr) break;
          work_.push_back(Pending{PENDING_AFTER_FINALLY, s, nullptr, nullptr, level, nullptr});
          walkNested(s, finallyClause->first, level);
          return;
        }
        case ST_TRY:
          work_.push_back(Pending{PENDING_FINISH, s, nullptr, nullptr, level, "Try processing done"});
          work_.push_back(Pending{PENDING_HANDLERS, s, nullptr, nullptr, level, nullptr});
          if (s->next != nullptr) walkNested(s, s->next, level);
          return;
        default:
          break;
      }
      if (!stepOn(s, &from, level)) return;
    }
    finish(level, "Normal flow exit");
  }

  void afterFinally(StmtNode* call, int32_t level) {
    StmtNode* from = nullptr;
    StmtNode* exit = finallyExit(calledFinally(call));
    if (exit != nullptr && !isDeadEnd(exit, reached_) && (!follow_ || seen(exit))) {
      if (visitor_->afterFinallyCall != nullptr) {
        visitor_->afterFinallyCall(call, exit);
        from = call;
      } else {
        from = exit;
      }
    }
    resume(call, from, level);
  }

  void handler(TryClause* clause, int32_t level) {
    StmtNode* from = visitor_->handlerEntry != nullptr ? visitor_->handlerEntry(clause) : clause->statement;
    work_.push_back(Pending{PENDING_AFTER_HANDLER, nullptr, nullptr, clause, level, nullptr});
    walkNested(from, clause->first, level);
  }

  void afterHandler(TryClause* clause, int32_t level) {
    StmtNode* last = clause->last;
    if (clauseRethrows(clause) || last == nullptr || clause->continueLabel == nullptr) return;
    if (isDeadEnd(last, reached_) || (follow_ && !seen(last))) return;
    walkNested(last, clause->continueLabel, level);
  }

  // Whether the mode lets the ST_IF_TRUE's constant condition decide.
  bool constantDecides(const StmtNode* s) const {
    return mode_ == FOLLOW_CONSTANTS || (s->flags & STMT_LOOP_CONSTANT) != 0;
  }

  bool alwaysJumps(const StmtNode* s) const { return isNonZeroIntConstant(s->expression) && constantDecides(s); }

  // The ST_IF_TRUE's jump is not taken: a constant false that decides, or not reached yet.
  bool skips(const StmtNode* s) const {
    if (isZeroIntConstant(s->expression) && constantDecides(s)) return true;
    return !seen(s);
  }

  bool seen(const StmtNode* s) const { return (s->flags & reached_) != 0; }

  StmtNode* stop_;
  const FlowVisitor* visitor_;
  FollowMode mode_;
  bool follow_;
  uint32_t reached_;
  std::vector<Pending> work_;
};

bool markReachable(StmtNode* s, StmtNode*) {
  if (s == nullptr || reachable(s)) return true;
  s->flags |= STMT_REACHABLE;
  return false;
}

// Moves the reachability of the walk just made to STMT_LANGUAGE_REACHABLE, in the method's list
// and in every clause's, and clears it for the next walk.
void keepListReachability(StmtNode* first, StmtNode* last) {
  for (StmtNode* s = first; s != nullptr; s = s->next) {
    if (reachable(s)) s->flags = (s->flags & ~STMT_REACHABLE) | STMT_LANGUAGE_REACHABLE;
    if (s == last) break;
  }
}

void keepLanguageReachability() {
  keepListReachability(global.ctx.firstStatement, nullptr);
  for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next) keepListReachability(c->first, c->last);
}

// The first statement of a constructor's own code, past the labels that mark positions.
const StmtNode* firstCodeStatement() {
  const StmtNode* s = global.ctx.firstStatement;
  while (s != nullptr && s->kind == ST_LABEL) s = s->next;
  return s;
}

}  // namespace

void resetTraceNumbers() {
  traceCounter = 0;
}

void walkStatementFlow(StmtNode* from, StmtNode* first, StmtNode* stop, const FlowVisitor* visitor, FollowMode mode) {
  if (first == nullptr) return;
  FlowWalk walk(stop, visitor, mode);
  walk.push(Pending{PENDING_WALK, first, from, nullptr, 1, nullptr});
  walk.run();
}

void walkHandlers(StmtNode* tryStatement, const FlowVisitor* visitor, FollowMode mode) {
  FlowWalk walk(nullptr, visitor, mode);
  walk.pushHandlers(tryStatement, 0);
  walk.run();
}

TryClause* calledFinally(const StmtNode* callFinally) {
  const StmtNode* tryStatement = callFinally->target;
  if (tryStatement == nullptr || tryStatement->kind != ST_TRY) return nullptr;
  TryClause* clause = tryStatement->clause;
  return clause != nullptr && clause->kind == CLAUSE_FINALLY ? clause : nullptr;
}

StmtNode* finallyExit(const TryClause* finallyClause) {
  if (finallyClause == nullptr || finallyClause->first == nullptr) return nullptr;
  StmtNode* s = finallyClause->last;
  while (s != nullptr && s != finallyClause->first && s->kind == ST_LEAVE_SCOPE) s = s->previous;
  return s;
}

bool isDeadEndStatement(const StmtNode* s) {
  return isDeadEnd(s, STMT_REACHABLE);
}

bool skipsBranch(const StmtNode* s) {
  switch (s->kind) {
    case ST_LABEL:
    case ST_NULL:
    case ST_DECLARATION:
      return true;
    case ST_CATCH:
    case ST_FINALLY:
      return false;
    case ST_CALL_FINALLY:
      if (calledFinally(s) == nullptr) return true;
      break;
    case ST_IF_TRUE:
      if (isZeroIntConstant(s->expression)) return true;
      break;
    default:
      break;
  }
  return !reachable(s);
}

// The compiler's own final fields (the outer instance, captured values) are assigned by the
// constructor prologue it makes; only the program's blank finals are checked.
bool isBlankFinalField(const Member* field) {
  return field->kind == MK_VARIABLE && field->slot < 0 && (field->modifiers & (M_FINAL | M_SYNTHETIC)) == M_FINAL &&
         (field->variableFlags & VAR_HAS_INITIALIZER) == 0 && classGen.cls != nullptr && field->owner == classGen.cls;
}

bool isBlankFinalInstanceField(const Member* field) {
  return isBlankFinalField(field) && (field->modifiers & M_STATIC) == 0;
}

bool isBlankFinalStaticField(const Member* field) {
  return isBlankFinalField(field) && (field->modifiers & M_STATIC) != 0;
}

bool constructorCallsThis(const Member* constructor) {
  if (constructor == nullptr || constructor->kind != MK_CONSTRUCTOR) return false;
  const StmtNode* s = firstCodeStatement();
  if (s == nullptr || s->kind != ST_EXPR || s->expression == nullptr) return false;
  const ExprNode* call = s->expression;
  return call->op == O_CALL && call->name == nullptr && call->left != nullptr && call->left->op == O_THIS &&
         call->member != nullptr && call->member->kind == MK_CONSTRUCTOR && call->member->owner == constructor->owner;
}

int32_t emitCode(Scope* scope) {
  initMethodCode(scope);
  if (classGen.stackDepth > classGen.maxStack) classGen.maxStack = classGen.stackDepth;
  classGen.stackDepth = 0;
  Member* method = global.ctx.currentMethod;
  if (global.traceLevel & TRACE_GENERAL) std::printf("emitCode(): Begin on Method: %s\n", methodName(method));

  StmtNode* first = global.ctx.firstStatement;
  // The walks below recurse into expressions; a tree too deep for them is only reported.
  if (hasTooDeepExpression(first, global.ctx.firstClause)) return resolveJumps();
  static const FlowVisitor reach{markReachable, nullptr, nullptr};
  // First reachability as the language reads it, which decides the reports of unreachable code
  // and of a missing return (if (true) return; and while (x > 5 || true) end nothing) and which
  // definite assignment covers; then the code that can run, which alone is generated.
  walkStatementFlow(nullptr, first, nullptr, &reach, FOLLOW_LOOP_CONSTANTS);
  walkHandlers(nullptr, &reach, FOLLOW_LOOP_CONSTANTS);
  StmtNode* last = global.ctx.lastStatement;
  bool endReachable = last == nullptr || (reachable(last) && !isDeadEndStatement(last));
  keepLanguageReachability();
  walkStatementFlow(nullptr, first, nullptr, &reach, FOLLOW_CONSTANTS);
  walkHandlers(nullptr, &reach, FOLLOW_CONSTANTS);

  // Each finally subroutine keeps its return address in a slot of its own: a subroutine may call
  // another (a return inside a finally block runs the finally blocks around it), and a slot the
  // parser freed after one try may be taken again by the next.
  for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next)
    if (c->kind == CLAUSE_FINALLY && c->variable != nullptr) c->variable->slot = classGen.maxLocals++;
  int32_t count = classGen.maxLocals + classGen.blankFinalCount;
  if (count > 0) analyseDefiniteAssignment(count, constructorCallsThis(method));

  beginStatementRegions();
  // The exception table follows the clause list: an inner try's clauses were finished, and so
  // listed, before the clauses of a try around it.
  for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next) {
    if (c->kind != CLAUSE_CATCH || c->first == nullptr || c->startLabel == nullptr || c->endLabel == nullptr) continue;
    ClassDef* caught = c->catchType != nullptr && c->catchType->kind == TK_CLASS && c->catchType->classRef != nullptr
                           ? c->catchType->classRef->resolved
                           : nullptr;
    addExceptionRegion(c->startLabel, c->endLabel, c->first, caught);
    registerStatementRegion(c->statement, classGen.code.lastRegion);
  }

  bool falls = genStatements(first, nullptr);
  if (method != nullptr && method->kind == MK_CONSTRUCTOR && method->owner != nullptr && !constructorCallsThis(method))
    method->owner->state |= CLASS_INITIALIZERS_CHECKED;
  bool valueMissing = method != nullptr && method->kind == MK_METHOD && method->type != nullptr &&
                      method->type->kind != TK_VOID && method->type->kind != TK_ERROR;
  if (valueMissing && endReachable)
    errorAt(global.ctx.endLine, global.ctx.endColumn, "return.value.missing", methodToString(method));
  if (falls) {
    if (method != nullptr && (method->methodFlags & METHOD_DEFAULT_CONSTRUCTOR) == 0) addLineNumber(global.ctx.endLine);
    emitByte(OP_RETURN);
  }
  foldStackDepth();
  finishStatementRegions();
  int32_t length = resolveJumps();
  if (global.traceLevel & TRACE_GENERAL) std::printf("emitCode(): Done with Method: %s\n", methodName(method));
  return length;
}
