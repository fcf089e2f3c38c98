// Try clauses and checked exceptions. A clause collects its statements in a list of its own while
// it is open; each try body notes the exceptions it may throw, and at the end of the try statement
// they are matched against its catch clauses, passed on to the try around it, or reported.
#include "semantic/try_clauses.h"

#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/statement_lists.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/parser_context.h"

namespace {

// What a clause catches: a known Throwable class; nothing, for a type that is no Throwable
// ("catch.type" was reported); or anything, as far as is known, for a catch-all or a class that
// was not found.
enum class Catches { CLASS, NOTHING, UNKNOWN };

Catches catchesOf(const TryClause* clause, ClassDef** cls) {
  *cls = nullptr;
  Type* type = clause->catchType;
  if (type == nullptr) return Catches::UNKNOWN;
  if (type->kind != TK_CLASS || type->classRef == nullptr || type->classRef->resolved == nullptr)
    return type->kind == TK_ERROR ? Catches::UNKNOWN : Catches::NOTHING;
  ClassDef* resolved = type->classRef->resolved;
  if (resolved->kind == CLASS_KIND_ERROR) return Catches::UNKNOWN;
  if (!reachesClass(resolved, throwableClass())) return Catches::NOTHING;
  *cls = resolved;
  return Catches::CLASS;
}

ClassDef* catchClass(const TryClause* clause) {
  ClassDef* cls;
  return catchesOf(clause, &cls) == Catches::CLASS ? cls : nullptr;
}

// Opens a clause: the enclosing list is kept in it and statements go to a fresh list.
TryClause* openClause(int32_t kind, StmtNode* statement, int32_t line, int32_t column) {
  auto* clause = currentNew<TryClause>();
  clause->kind = kind;
  clause->statement = statement;
  clause->line = line;
  clause->column = column;
  clause->first = global.ctx.firstStatement;
  clause->last = global.ctx.lastStatement;
  global.ctx.firstStatement = nullptr;
  global.ctx.lastStatement = nullptr;
  if (global.ctx.flags & CTX_NESTED_CLAUSE) clause->flags |= CLAUSE_SAVED_NESTED;
  global.ctx.flags |= CTX_NESTED_CLAUSE;
  return clause;
}

// Closes it: the clause keeps its own list, the enclosing one is current again.
void closeClause(TryClause* clause) {
  StmtNode* first = global.ctx.firstStatement;
  StmtNode* last = global.ctx.lastStatement;
  global.ctx.firstStatement = clause->first;
  global.ctx.lastStatement = clause->last;
  clause->first = first;
  clause->last = last;
  if (clause->flags & CLAUSE_SAVED_NESTED)
    global.ctx.flags |= CTX_NESTED_CLAUSE;
  else
    global.ctx.flags &= ~CTX_NESTED_CLAUSE;
}

StmtNode* appendEntry(int32_t kind, Member* variable, int32_t line, int32_t column) {
  appendStatement(newLabel());
  StmtNode* entry = newStatement(kind, line, column);
  entry->variable = variable;
  appendStatement(entry);
  return entry;
}

void appendClauses(TryClause* first, TryClause* last) {
  if (first == nullptr) return;
  last->next = nullptr;
  if (global.ctx.lastClause == nullptr)
    global.ctx.firstClause = first;
  else
    global.ctx.lastClause->next = first;
  global.ctx.lastClause = last;
}

// Where an exception that escapes every try of the body is reported, by the body it is in.
void reportUncaught(ClassDef* cls, int32_t line, int32_t column) {
  Member* method = global.ctx.currentMethod;
  if (method == nullptr || method->kind == MK_STATIC_INITIALIZER)
    errorAt(line, column, "static.throw");
  else if (method->kind == MK_INSTANCE_INITIALIZER)
    errorAt(line, column, "instance.block.throw");
  else if (!((method->kind == MK_METHOD || method->kind == MK_CONSTRUCTOR) &&
             isDeclaredOrUnchecked(method->throwsList, cls)))
    errorAt(line, column, "throw.not.caught", classToString(cls));
}

}  // namespace

bool reachesClass(const ClassDef* cls, const ClassDef* ancestor) {
  if (cls == nullptr || ancestor == nullptr) return false;
  return cls == ancestor || refReachesClass(cls->superclass, ancestor);
}

TryClause* beginCatchClause(StmtNode* statement, StmtNode* startLabel, StmtNode* endLabel, Type* catchType,
                            Member* parameter, int32_t line, int32_t column) {
  if (catchType != nullptr && line != 0 && catchType->kind != TK_ERROR) {
    bool isClass = catchType->kind == TK_CLASS && isResolvedType(catchType);
    ClassDef* cls = isClass ? catchType->classRef->resolved : nullptr;
    // A class that was not found has been reported where it was named.
    if (!(cls != nullptr && cls->kind == CLASS_KIND_ERROR) && !reachesClass(cls, throwableClass()))
      errorAt(line, column, "catch.type");
  }
  TryClause* clause = openClause(CLAUSE_CATCH, statement, line, column);
  clause->startLabel = startLabel;
  clause->endLabel = endLabel;
  clause->continueLabel = endLabel;
  clause->catchType = catchType;
  clause->variable = parameter;
  appendEntry(ST_ENTER_CATCH, parameter, line, column);
  return clause;
}

void endCatchClause(TryClause* clause) {
  closeClause(clause);
}

TryClause* beginFinallyClause(StmtNode* tryStatement, int32_t line, int32_t column) {
  Member* variable = declareLocal(stringType);
  TryClause* clause = openClause(CLAUSE_FINALLY, tryStatement, line, column);
  clause->variable = variable;
  tryStatement->clause = clause;
  appendEntry(ST_ENTER_FINALLY, variable, line, column);
  return clause;
}

void endFinallyClause(TryClause* clause) {
  closeClause(clause);
}

TryClause* beginTryBody() {
  return openClause(CLAUSE_TRY_BODY, nullptr, 0, 0);
}

void endTryBody(TryClause* clause) {
  closeClause(clause);
}

void finishTryStatement(StmtNode* tryStatement, TryClause* first, TryClause* last, TryClause* finallyClause) {
  if (tryStatement != nullptr) checkCatchClauses(tryStatement, first, last);
  appendClauses(first, last);
  appendClauses(finallyClause, finallyClause);
}

bool isCheckedException(ClassDef* cls) {
  return !reachesClass(cls, errorClass()) && !reachesClass(cls, runtimeExceptionClass());
}

int32_t noteThrownException(ClassDef* cls, int32_t line, int32_t column) {
  if (cls == nullptr) return 0;
  if (StmtNode* open = findOpenTry(nullptr)) {
    addThrown(open, cls, line, column);
    return 0;
  }
  Member* method = global.ctx.currentMethod;
  if (method != nullptr && (method->kind == MK_METHOD || method->kind == MK_CONSTRUCTOR) &&
      isDeclaredOrUnchecked(method->throwsList, cls))
    return 0;
  return isCheckedException(cls) ? 1 : 0;
}

// (a) Each checked catch class needs an exception of the body that it may catch, unless any body
// may throw it (isAlwaysCatchable). (b) Each exception of the body that no clause catches goes on
// to the try around this one, or, checked and outside every try, is reported.
void checkCatchClauses(StmtNode* tryStatement, TryClause* first, TryClause* last) {
  ThrownEntry* thrown = tryStatement->thrown;
  for (TryClause* clause = first; clause != nullptr; clause = clause == last ? nullptr : clause->next) {
    ClassDef* cls = catchClass(clause);
    if (cls == nullptr || (clause->flags & CLAUSE_UNREACHED) != 0 || !isCheckedException(cls) ||
        isAlwaysCatchable(cls))
      continue;
    if (!thrownListOverlaps(thrown, cls)) errorAt(clause->line, clause->column, "no.throw.for.catch", classToString(cls));
  }
  for (ThrownEntry* entry = thrown; entry != nullptr; entry = entry->next) {
    ClassDef* cls = entry->exception->resolved;
    if (cls == nullptr || clausesCatch(cls, first, last) != nullptr) continue;
    if (StmtNode* outer = findOpenTry(tryStatement))
      addThrown(outer, cls, entry->line, entry->column);
    else if (isCheckedException(cls))
      reportUncaught(cls, entry->line, entry->column);
  }
}

StmtNode* findOpenTry(StmtNode* tryStatement) {
  JumpContext* context = global.ctx.jumps;
  if (tryStatement != nullptr) {
    while (context != nullptr && context->statement != tryStatement) context = context->outer;
    if (context != nullptr) context = context->outer;
  }
  for (; context != nullptr; context = context->outer) {
    StmtNode* node = context->statement;
    if (node != nullptr && node->kind == ST_TRY && (node->flags & STMT_TRY_BODY_DONE) == 0) return node;
  }
  return nullptr;
}

void addThrown(StmtNode* tryStatement, ClassDef* cls, int32_t line, int32_t column) {
  for (ThrownEntry* entry = tryStatement->thrown; entry != nullptr; entry = entry->next)
    if (entry->exception->resolved == cls) return;
  auto* entry = currentNew<ThrownEntry>();
  entry->exception = newClassRefIn(global.currentArena, cls->package, cls->name, cls, 0, global.ctx.enclosing, line, column);
  entry->line = line;
  entry->column = column;
  entry->next = tryStatement->thrown;
  tryStatement->thrown = entry;
}

bool isDeclaredOrUnchecked(ThrowsEntry* throwsList, ClassDef* cls) {
  if (!isCheckedException(cls)) return true;
  for (ThrowsEntry* entry = throwsList; entry != nullptr; entry = entry->next)
    if (entry->classRef != nullptr && reachesClass(cls, entry->classRef->resolved)) return true;
  return false;
}

bool isAlwaysCatchable(ClassDef* cls) {
  return reachesClass(errorClass(), cls) || reachesClass(runtimeExceptionClass(), cls);
}

bool thrownListOverlaps(ThrownEntry* list, ClassDef* cls) {
  for (ThrownEntry* entry = list; entry != nullptr; entry = entry->next) {
    ClassDef* thrown = entry->exception->resolved;
    if (reachesClass(thrown, cls) || reachesClass(cls, thrown)) return true;
  }
  return false;
}

TryClause* clausesCatch(ClassDef* cls, TryClause* first, TryClause* last) {
  for (TryClause* clause = first; clause != nullptr; clause = clause == last ? nullptr : clause->next) {
    ClassDef* caught;
    Catches catches = catchesOf(clause, &caught);
    if (catches == Catches::UNKNOWN) return nullptr;
    if (catches == Catches::CLASS && reachesClass(cls, caught)) return clause;
  }
  return nullptr;
}
