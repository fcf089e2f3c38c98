// Statement code. Per statement: the stack depth is folded and reset, its line recorded, the
// report marks spread, the unreachable report given, then its code. Handler code runs where the
// ST_CATCH or ST_FINALLY node stands in the list; the exception table points at the handler's
// first label.
#include "codegen/statement_code.h"

#include <cstdio>
#include <vector>

#include "codegen/class_gen_state.h"
#include "codegen/expression_code.h"
#include "codegen/flow_analysis.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "semantic/class_records.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/tree_walks.h"
#include "semantic/try_clauses.h"
#include "semantic/type_records.h"
#include "semantic/type_relations.h"
#include "support/diagnostics.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/parser_context.h"

namespace {

// The handler whose statements are being generated, for its ST_ENTER_CATCH.
const TryClause* currentHandler;
// The slots of a return value left on the stack while monitors are released before the return.
int32_t returnValueSlots;

struct StatementRegion {
  StmtNode* statement;
  ExceptionRegion* region;
};

// Registered regions, and the labels that resume regions cut at an exit, placed at the first
// statement after the exit's last one.
std::vector<StatementRegion> statementRegions;
std::vector<StmtNode*> pendingResumes;

bool isExitStep(const StmtNode* s) {
  return s->kind == ST_CALL_FINALLY || s->kind == ST_MON_EXIT;
}

bool regionIsOpen(const ExceptionRegion* r) {
  return r->start->codePiece != nullptr && r->end->codePiece == nullptr;
}

void cutRegion(size_t index, StmtNode* cut) {
  ExceptionRegion* r = statementRegions[index].region;
  MethodCode& code = classGen.code;
  auto* rest = arenaNew<ExceptionRegion>(&global.genArena);
  rest->start = newCodeLabel();
  rest->end = r->end;
  rest->handler = r->handler;
  rest->catchClass = r->catchClass;
  rest->next = r->next;
  r->next = rest;
  r->end = cut;
  if (code.lastRegion == r) code.lastRegion = rest;
  code.regionCount++;
  statementRegions[index].region = rest;
  pendingResumes.push_back(rest->start);
}

// At the first statement of a run of finally calls and monitor exits: the regions of the
// statements the run leaves stop here and start again after the run's goto or return.
void cutRegionsForExit(StmtNode* first) {
  if (statementRegions.empty() || (first->previous != nullptr && isExitStep(first->previous))) return;
  StmtNode* cut = nullptr;
  const StmtNode* s = first;
  for (; s != nullptr && isExitStep(s); s = s->next) {
    for (size_t i = 0; i < statementRegions.size(); i++) {
      if (statementRegions[i].statement != s->target || !regionIsOpen(statementRegions[i].region)) continue;
      if (cut == nullptr) {
        cut = newCodeLabel();
        placeLabel(cut);
      }
      cutRegion(i, cut);
    }
  }
}

void placePendingResumes() {
  for (StmtNode* label : pendingResumes) placeLabel(label);
  pendingResumes.clear();
}

// Spreading of the no-report mark from `start`, an unreachable statement just reported: through
// the unreachable code that flow reaches from it, which the report stands for. Code the language
// reaches ends the spread, so a mark never silences an unreachable region elsewhere.
const StmtNode* spreadStart;

bool markNoReport(StmtNode* s, StmtNode*) {
  if ((s->flags & STMT_NO_REPORT) != 0) return true;
  if (s != spreadStart && (s->flags & STMT_LANGUAGE_REACHABLE) != 0) return true;
  s->flags |= STMT_NO_REPORT;
  return false;
}

void spreadNoReport(StmtNode* s) {
  static const FlowVisitor visitor{markNoReport, nullptr, nullptr};
  const StmtNode* saved = spreadStart;
  spreadStart = s;
  walkStatementFlow(nullptr, s, nullptr, &visitor, FOLLOW_NONE);
  // A walk that starts inside a handler ends with its last statement, and one that starts outside
  // takes the handlers of try statements only: the handlers of the synchronized statements the
  // report stands for are its too, and so is what follows a catch clause it passed through.
  constexpr uint32_t covered = STMT_NO_REPORT | STMT_LANGUAGE_REACHABLE;
  for (TryClause* c = global.ctx.firstClause; c != nullptr; c = c->next) {
    if (c->first != nullptr && c->statement != nullptr && c->statement->kind == ST_MON_ENTER &&
        (c->statement->flags & covered) == STMT_NO_REPORT)
      walkStatementFlow(c->statement, c->first, nullptr, &visitor, FOLLOW_NONE);
    if (c->kind == CLAUSE_CATCH && !clauseRethrows(c) && c->last != nullptr && c->continueLabel != nullptr &&
        (c->last->flags & covered) == STMT_NO_REPORT && !isDeadEndStatement(c->last))
      walkStatementFlow(c->last, c->continueLabel, nullptr, &visitor, FOLLOW_NONE);
  }
  spreadStart = saved;
}

bool isReportedKind(const StmtNode* s) {
  switch (s->kind) {
    case ST_EXPR:
    case ST_RETURN:
    case ST_THROW:
    case ST_GOTO:
    case ST_IF_TRUE:
    case ST_SWITCH:
    case ST_CALL_FINALLY:
    case ST_ENTER_FINALLY:
    case ST_ENTER_CATCH:
    case ST_RETURN_FINISH:
    case ST_TRY:
    case ST_MON_ENTER:
    case ST_NULL:
    case ST_DECLARATION:
      return true;
    case ST_LABEL:
      return s->loopLink == nullptr;
    default:
      return false;
  }
}

// Code the language counts as reachable is never reported, though it cannot run (the branch of
// if (false), what follows while (x > 5 || true)) and no code is generated for it.
void reportUnreachable(StmtNode* s) {
  if ((s->flags & (STMT_LANGUAGE_REACHABLE | STMT_NO_REPORT | STMT_LOOP_TAIL)) != 0 || s->line == 0 ||
      !isReportedKind(s))
    return;
  // The goto or return that ends a jump through finally blocks is the jump's: the report that
  // stands for the jump stands for it, also where a finally that cannot complete ended the spread.
  if ((s->kind == ST_GOTO || s->kind == ST_RETURN_FINISH) && s->previous != nullptr && isExitStep(s->previous) &&
      (s->previous->flags & STMT_NO_REPORT) != 0)
    return;
  int32_t column = s->column;
  if (s->flags & STMT_WARN_ONLY) {
    warningAt(global.current, s->line, column, "warn.not.reached");
    s->flags |= STMT_NO_REPORT;
    return;
  }
  errorAt(s->line, column, "not.reached");
  spreadNoReport(s);
}

// An initializer block must be able to complete normally. Reported once for a block
// that every constructor runs; what follows it is left unreported, as code after it is.
void checkInitializerEnd(StmtNode* s) {
  Member* initializer = s->variable;
  if ((s->flags & (STMT_LANGUAGE_REACHABLE | STMT_NO_REPORT)) != 0) return;
  if ((initializer->fieldFlags & FIELD_INITIALIZER_REPORTED) == 0) {
    errorAt(initializer->line, initializer->column, "initializer.cannot.complete");
    initializer->fieldFlags |= FIELD_INITIALIZER_REPORTED;
  }
  spreadNoReport(s);
}

// Emits no instruction where it stands, so a goto may pass over it. Handler nodes are code even
// when the walk never reaches them: their handler is generated there.
bool emitsNoCode(const StmtNode* s) {
  switch (s->kind) {
    case ST_CATCH:
    case ST_FINALLY:
      return false;
    case ST_LABEL:
    case ST_NULL:
    case ST_DECLARATION:
    case ST_LEAVE_SCOPE:
    case ST_BEGIN_SCOPE:
    case ST_TRY:
      return true;
    case ST_CALL_FINALLY:
      if (calledFinally(s) == nullptr) return true;
      break;
    case ST_IF_TRUE:
      if (isZeroIntConstant(s->expression)) return true;
      break;
    default:
      break;
  }
  return !isReachable(s);
}

const StmtNode* firstCode(const StmtNode* s) {
  while (s != nullptr && s->next != nullptr && emitsNoCode(s)) s = s->next;
  return s;
}

void genGotoTo(StmtNode* s, StmtNode* target) {
  if (target == nullptr) return;
  if (firstCode(s->next) == firstCode(target) && s->next != nullptr) return;
  emitGoto(target);
}

// Whether the ST_CALL_FINALLY and ST_MON_EXIT statements right after `s` run a finally block.
bool finallyFollows(const StmtNode* s) {
  for (const StmtNode* t = s->next; t != nullptr && (t->kind == ST_CALL_FINALLY || t->kind == ST_MON_EXIT); t = t->next)
    if (t->kind == ST_CALL_FINALLY && calledFinally(t) != nullptr) return true;
  return false;
}

bool finallyPrecedes(const StmtNode* s) {
  for (const StmtNode* t = s->previous; t != nullptr && (t->kind == ST_CALL_FINALLY || t->kind == ST_MON_EXIT);
       t = t->previous)
    if (t->kind == ST_CALL_FINALLY && calledFinally(t) != nullptr) return true;
  return false;
}

const Type* resultType() {
  const Member* method = global.ctx.currentMethod;
  if (method == nullptr || method->kind != MK_METHOD || method->type == nullptr) return &voidType;
  return method->type;
}

void genTypedReturn() {
  switch (resultType()->kind) {
    case TK_CLASS:
    case TK_ARRAY:
      emitByte(OP_ARETURN);
      break;
    case TK_VOID:
    case TK_ERROR:
      emitByte(OP_RETURN);
      break;
    case TK_LONG:
      emitByte(OP_LRETURN);
      break;
    case TK_FLOAT:
      emitByte(OP_FRETURN);
      break;
    case TK_DOUBLE:
      emitByte(OP_DRETURN);
      break;
    default:
      emitByte(OP_IRETURN);
      break;
  }
}

void genReturn(StmtNode* s) {
  genExpression(s->expression, true);
  Member* temporary = s->variable;
  if (temporary != nullptr && temporary->slot >= 0 && finallyFollows(s)) {
    genStoreLocal(temporary);
    returnValueSlots = 0;
  } else if (s->expression != nullptr && s->expression->type != nullptr) {
    // The value waits on the stack while monitors are released.
    returnValueSlots = slotSize(s->expression->type);
  }
}

void genReturnFinish(StmtNode* s) {
  Member* temporary = s->variable;
  if (temporary != nullptr && temporary->slot >= 0 && finallyPrecedes(s)) genLoadLocal(temporary);
  returnValueSlots = 0;
  genTypedReturn();
}

void genCallFinally(StmtNode* s) {
  const StmtNode* tryStatement = s->target;
  if (tryStatement != nullptr && tryStatement->line != 0) addLineNumber(tryStatement->line);
  TryClause* finallyClause = calledFinally(s);
  if (finallyClause == nullptr || finallyClause->first == nullptr) return;
  if (finallyClause->line != 0) addLineNumber(finallyClause->line);
  raiseStackDepth(1);
  emitJsr(finallyClause->first);
}

// When the finally block that a jump calls cannot complete, the rest of the jump is unreachable,
// and that is only worth a warning: the jump itself was reached, whether or not its code runs.
// The warning falls on the goto or return after the run of finally calls and monitor exits.
void markJumpAfterFinallyCall(StmtNode* s) {
  if ((s->flags & STMT_LANGUAGE_REACHABLE) == 0) return;
  StmtNode* t = s->next;
  while (t != nullptr && isExitStep(t)) t = t->next;
  if (t != nullptr && (t->kind == ST_GOTO || t->kind == ST_RETURN_FINISH)) t->flags |= STMT_WARN_ONLY;
}

void genEnterCatch(StmtNode* s) {
  raiseStackDepth(1);  // the exception
  Member* v = s->variable;
  if (v != nullptr && v->slot >= 0) {
    genStoreLocal(v);
  } else if (currentHandler != nullptr && clauseRethrows(currentHandler)) {
    // A catch-all without a variable (a synchronized statement's) keeps the exception on the
    // stack for the athrow that ends it.
  } else {
    emitByte(OP_POP);
  }
}

void genMonitorExit(StmtNode* s) {
  const StmtNode* enter = s->target;
  if (enter == nullptr || enter->variable == nullptr) return;
  raiseStackDepth(returnValueSlots);
  genLoadLocal(enter->variable);
  emitByte(OP_MONITOREXIT);
}

void genMonitorEnter(StmtNode* s) {
  genExpression(s->expression, true);
  if (s->variable == nullptr) {
    emitByte(OP_MONITORENTER);
    return;
  }
  genStoreLocal(s->variable);
  genLoadLocal(s->variable);
  emitByte(OP_MONITORENTER);
}

void emitRet(int32_t slot) {
  if (slot > 255) {
    emitByte(OP_WIDE);
    emitByte(OP_RET);
    emitShort(static_cast<uint32_t>(slot));
  } else {
    emitByte(OP_RET);
    emitByte(static_cast<uint32_t>(slot));
  }
}

// The code of a handler where its ST_CATCH or ST_FINALLY node stands; whether it can complete.
bool genHandler(StmtNode* s) {
  TryClause* clause = s->clause;
  if (clause == nullptr) return false;
  if (clause->line != 0) addLineNumber(clause->line);
  const TryClause* saved = currentHandler;
  currentHandler = clause;
  int32_t savedDepth = classGen.stackDepth;
  bool result = false;
  if (clause->kind == CLAUSE_FINALLY) {
    if (genStatements(clause->first, clause->last) && clause->variable != nullptr) emitRet(clause->variable->slot);
  } else if (clause->kind == CLAUSE_CATCH) {
    bool rethrows = clauseRethrows(clause);
    if (rethrows && clause->variable != nullptr) clause->variable->variableFlags |= VAR_REFERENCED;
    // A catch-all without a variable holds the exception on the stack through its statements.
    if (rethrows && clause->variable == nullptr) classGen.stackDepth = savedDepth + 1;
    bool completes = genStatements(clause->first, clause->last);
    classGen.stackDepth = savedDepth;
    if (completes) {
      if (rethrows) {
        if (clause->variable != nullptr && clause->variable->slot >= 0) {
          raiseStackDepth(1);
          genLoadLocal(clause->variable);
        }
        emitByte(OP_ATHROW);
      } else if ((clause->flags & CLAUSE_LAST_CATCH) == 0 && clause->continueLabel != nullptr) {
        emitGoto(clause->continueLabel);
      } else {
        result = true;
      }
    }
  }
  currentHandler = saved;
  classGen.stackDepth = savedDepth;
  return result;
}

void traceStatement(const StmtNode* s) {
  if ((global.traceLevel & TRACE_FLOW) == 0) return;
  std::printf("%u: %s line %d:%d %s %s\n", (s->flags >> 5) & 0xFFFFF, statementKindName(s->kind), s->line, s->column,
              (s->flags & STMT_NO_REPORT) ? "INSIDE IF" : "", isReachable(s) ? "" : ", NOT REACHABLE");
}

void internalError(const StmtNode* s, const char* text) {
  errorAt(s->line, s->column > 80 ? 1 : s->column, "internal.codegen.error", text);
}

}  // namespace

void beginStatementRegions() {
  statementRegions.clear();
  pendingResumes.clear();
  // A stop that unwound through the last method's code skipped the restores of these.
  currentHandler = nullptr;
  returnValueSlots = 0;
  spreadStart = nullptr;
}

void finishStatementRegions() {
  placePendingResumes();
  statementRegions.clear();
}

void registerStatementRegion(StmtNode* statement, ExceptionRegion* region) {
  statementRegions.push_back(StatementRegion{statement, region});
}

void genGoto(StmtNode* s) {
  genGotoTo(s, s->target);
}

void genConditionalJump(StmtNode* s) {
  ExprNode* condition = s->expression;
  if (condition != nullptr && condition->op == O_CONST) {
    if (condition->integerValue != 0) genGotoTo(s, s->target);
    return;
  }
  genJump(condition, s->target, true);
}

void genSwitch(StmtNode* s) {
  CaseEntry* cases = s->cases;
  if (cases == nullptr) {
    genExpression(s->expression, false);
    emitGoto(s->target);
    return;
  }
  int64_t count = 0;
  int64_t low = cases->value;
  int64_t high = cases->value;
  for (CaseEntry* c = cases; c != nullptr; c = c->next) {
    count++;
    high = c->value;
  }
  genExpression(s->expression, true);
  int64_t divisor = global.optimize ? 2 : 4;
  if (high - low - count <= count / divisor) {
    emitByte(OP_TABLESWITCH);
    CodePiece* pad = emitSwitchPad();
    emitSwitchOffset(pad, s->target);
    emitInt(static_cast<uint32_t>(low));
    emitInt(static_cast<uint32_t>(high));
    CaseEntry* c = cases;
    for (int64_t key = low; key <= high; key++) {
      if (c != nullptr && c->value == key) {
        emitSwitchOffset(pad, c->label);
        c = c->next;
      } else {
        emitSwitchOffset(pad, s->target);
      }
    }
  } else {
    emitByte(OP_LOOKUPSWITCH);
    CodePiece* pad = emitSwitchPad();
    emitSwitchOffset(pad, s->target);
    emitInt(static_cast<uint32_t>(count));
    for (CaseEntry* c = cases; c != nullptr; c = c->next) {
      emitInt(static_cast<uint32_t>(c->value));
      emitSwitchOffset(pad, c->label);
    }
  }
}

bool genStatements(StmtNode* first, StmtNode* last) {
  int32_t entryDepth = classGen.stackDepth;
  bool falls = true;
  for (StmtNode* s = first; s != nullptr; s = s->next) {
    QuietDiagnostics repeated((s->flags & STMT_REPEATED) != 0);
    foldStackDepth();
    classGen.stackDepth = entryDepth;
    bool live = isReachable(s);
    // A cut lasts through the run of finally calls and monitor exits and its goto or return,
    // whether or not that is reached (a finally that cannot complete leaves it unreachable).
    if (!pendingResumes.empty() && !isExitStep(s) &&
        !((s->kind == ST_GOTO || s->kind == ST_RETURN_FINISH) && s->previous != nullptr && isExitStep(s->previous)))
      placePendingResumes();
    if (live && isExitStep(s)) cutRegionsForExit(s);
    if (s->line != 0 && live) addLineNumber(s->line);
    traceStatement(s);
    reportUnreachable(s);
    if (s->kind == ST_NULL && s->variable != nullptr && s->variable->kind != MK_CLASS_DECLARATION)
      checkInitializerEnd(s);
    if (s->kind == ST_CALL_FINALLY) markJumpAfterFinallyCall(s);

    // What the language reaches gets the checks of its code, whether or not it runs.
    if (!live && (s->flags & STMT_LANGUAGE_REACHABLE) != 0) checkUngeneratedExpression(s->expression);

    bool handler = false;
    switch (s->kind) {
      case ST_LABEL:
        placeLabel(s);
        break;
      case ST_LEAVE_SCOPE:
        endLocalVariable(s->variable);
        break;
      case ST_BEGIN_SCOPE:
        if (global.localVariableTables && s->variable != nullptr && s->variable->localEntry == nullptr)
          addLocalVariable(s->variable);
        break;
      case ST_CATCH:
      case ST_FINALLY:
        handler = true;
        falls = genHandler(s);
        break;
      default:
        if (!live) break;
        // Checking only: the expressions may have failed, and no code is kept. A finally call
        // still marks what follows a finally that cannot complete, and the expressions get the
        // checks of their code.
        if (classGen.checkOnly) {
          if (s->kind == ST_CALL_FINALLY) genCallFinally(s);
          checkUngeneratedExpression(s->expression);
          break;
        }
        switch (s->kind) {
          case ST_EXPR:
            genExpression(s->expression, false);
            break;
          case ST_RETURN:
            genReturn(s);
            break;
          case ST_THROW:
            genExpression(s->expression, true);
            emitByte(OP_ATHROW);
            break;
          case ST_GOTO:
            genGoto(s);
            break;
          case ST_IF_TRUE:
            genConditionalJump(s);
            break;
          case ST_SWITCH:
            genSwitch(s);
            break;
          case ST_MON_ENTER:
            genMonitorEnter(s);
            break;
          case ST_MON_EXIT:
            genMonitorExit(s);
            break;
          case ST_CALL_FINALLY:
            genCallFinally(s);
            break;
          case ST_ENTER_FINALLY:
            raiseStackDepth(1);  // the return address
            if (s->variable != nullptr) genStoreLocal(s->variable);
            break;
          case ST_ENTER_CATCH:
            genEnterCatch(s);
            break;
          case ST_RETURN_FINISH:
            genReturnFinish(s);
            break;
          case ST_TRY:
          case ST_NULL:
          case ST_DECLARATION:
            break;
          default:
            internalError(s, "no gen");
            break;
        }
        break;
    }
    if (!handler) falls = live && !isDeadEndStatement(s);
    if (s == last) break;
  }
  foldStackDepth();
  classGen.stackDepth = entryDepth;
  return falls;
}
