// Try clauses and checked exceptions. A clause collects its statements in a list of its own while
// it is open; each try body notes the exceptions it may throw, and at the end of the try statement
// they are matched against its catch clauses, passed on to the try around it, or reported.
#include "semantic/try_clauses.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "semantic/class_lookup.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/element_names.h"
#include "semantic/expression_nodes.h"
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

bool isAnonymousConstructor(const Member* method) {
  return method != nullptr && method->kind == MK_CONSTRUCTOR && method->owner != nullptr &&
         (method->owner->flags & CF_ANONYMOUS) != 0 && (method->methodFlags & METHOD_DEFAULT_CONSTRUCTOR) != 0;
}

bool isStaticInitializer(const Member* initializer) {
  if (initializer->kind == MK_VARIABLE)
    return (initializer->modifiers & M_STATIC) != 0 ||
           (initializer->owner != nullptr && initializer->owner->kind == CLASS_KIND_INTERFACE);
  return initializer->kind == MK_STATIC_INITIALIZER;
}

// An exception that an initializer may not throw: a static initializer none, an instance one only
// what every constructor declares (it runs in each). The report names the initializer, and the
// exception as the throw or the call gives it.
void reportInitializerThrow(const Member* initializer, ClassDef* cls, int32_t kind, const ThrownReport* report,
                            int32_t line, int32_t column) {
  bool field = initializer->kind == MK_VARIABLE;
  bool isStatic = isStaticInitializer(initializer);
  const char* exception = kind == THROWN_BY_THROW  ? identToString(cls->name)
                          : kind == THROWN_BY_CALL ? classRefToString(report->declared)
                                                   : classToString(cls);
  const char* fieldName = field ? identToString(initializer->name) : nullptr;
  const char* owner = classToString(initializer->owner);
  if (kind == THROWN_BY_CALL) {
    const char* method = identToString(report->method);
    if (isStatic && field)
      errorAt(line, column, "static.field.throws.not.caught", exception, method, fieldName);
    else if (isStatic)
      errorAt(line, column, "static.init.throws.not.caught", exception, method);
    else if (field)
      errorAt(line, column, "instance.field.throws.not.caught", exception, method, fieldName, owner);
    else
      errorAt(line, column, "instance.init.throws.not.caught", exception, method, owner);
  } else if (isStatic && field) {
    errorAt(line, column, "static.field.throw.not.caught", exception, fieldName);
  } else if (isStatic) {
    errorAt(line, column, "static.init.throw.not.caught", exception);
  } else if (field) {
    errorAt(line, column, "instance.field.throw.not.caught", exception, fieldName, owner);
  } else {
    errorAt(line, column, "instance.init.throw.not.caught", exception, owner);
  }
}

// An exception that escapes every try of the body: unless it is unchecked or the method declares
// it, kept for the creation when the body is an anonymous class's constructor, which runs its
// initializers; else reported as `report` says (for an initializer, as its rules say), or,
// escaped from a try, by the body it is in.
void exceptionEscapes(ClassDef* cls, int32_t line, int32_t column, const ThrownReport* report) {
  if (!isCheckedException(cls)) return;
  Member* method = global.ctx.currentMethod;
  if (method != nullptr && (method->kind == MK_METHOD || method->kind == MK_CONSTRUCTOR) &&
      isDeclaredOrUnchecked(method->throwsList, cls))
    return;
  Member* initializer = global.ctx.initializer;
  // An instance field's initializer parsed on its own, for its constant: the constructors that run
  // it decide what it may throw.
  if (initializer != nullptr && !isStaticInitializer(initializer) && (method == nullptr || method->kind != MK_CONSTRUCTOR))
    return;
  int32_t kind = report != nullptr ? report->kind : THROWN_ESCAPED;
  if (isAnonymousConstructor(method)) {
    auto* entry = arenaNew<ThrownEntry>(&global.mainArena);
    entry->exception = newClassRefIn(&global.mainArena, cls->package, cls->name, cls, 0, method->owner, line, column);
    entry->line = line;
    entry->column = column;
    if (report != nullptr) entry->report = *report;
    ThrownEntry** tail = &method->owner->initializerThrown;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = entry;
  } else if (initializer != nullptr) {
    reportInitializerThrow(initializer, cls, kind, report, line, column);
  } else if (kind == THROWN_BY_CALL) {
    errorAt(line, column, "throws.not.caught", classRefToString(report->declared), identToString(report->method));
  } else if (kind == THROWN_BY_THROW) {
    errorAt(line, column, "throw.not.caught", identToString(cls->name));
  } else if (method == nullptr || method->kind == MK_STATIC_INITIALIZER) {
    errorAt(line, column, "static.throw");
  } else if (method->kind == MK_INSTANCE_INITIALIZER) {
    errorAt(line, column, "instance.block.throw");
  } else {
    errorAt(line, column, "throw.not.caught", classToString(cls));
  }
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

// What the catch clauses threw goes on, in the order thrown, to the try around this one or is
// reported, unless a finally that cannot complete normally discards it with the body's.
void finishTryStatement(StmtNode* tryStatement, TryClause* first, TryClause* last, TryClause* finallyClause,
                        bool finallyCompletes) {
  if (tryStatement != nullptr) {
    checkCatchClauses(tryStatement, first, last, finallyCompletes);
    ThrownEntry* reversed = nullptr;
    while (ThrownEntry* entry = tryStatement->handlerThrown) {
      tryStatement->handlerThrown = entry->next;
      entry->next = reversed;
      reversed = entry;
    }
    for (ThrownEntry* entry = finallyCompletes ? reversed : nullptr; entry != nullptr; entry = entry->next) {
      ClassDef* cls = entry->exception->resolved;
      if (StmtNode* outer = findOpenTry(tryStatement))
        addThrown(outer, cls, entry->line, entry->column, &entry->report);
      else
        exceptionEscapes(cls, entry->line, entry->column, &entry->report);
    }
  }
  appendClauses(first, last);
  appendClauses(finallyClause, finallyClause);
}

bool isCheckedException(ClassDef* cls) {
  return !reachesClass(cls, errorClass()) && !reachesClass(cls, runtimeExceptionClass());
}

void noteThrownException(ClassDef* cls, int32_t line, int32_t column, const ThrownReport* report) {
  if (cls == nullptr) return;
  if (StmtNode* open = findOpenTry(nullptr))
    addThrown(open, cls, line, column, report);
  else
    exceptionEscapes(cls, line, column, report);
}

// (a) Each checked catch class needs an exception of the body that it may catch, unless any body
// may throw it (isAlwaysCatchable). (b) With passOn, each exception of the body that no clause
// catches goes on to the try around this one, or, checked and outside every try, is reported.
void checkCatchClauses(StmtNode* tryStatement, TryClause* first, TryClause* last, bool passOn) {
  ThrownEntry* thrown = tryStatement->thrown;
  for (TryClause* clause = first; clause != nullptr; clause = clause == last ? nullptr : clause->next) {
    ClassDef* cls = catchClass(clause);
    if (cls == nullptr || (clause->flags & CLAUSE_UNREACHED) != 0 || !isCheckedException(cls) ||
        isAlwaysCatchable(cls))
      continue;
    if (!thrownListOverlaps(thrown, cls)) errorAt(clause->line, clause->column, "no.throw.for.catch", classToString(cls));
  }
  for (ThrownEntry* entry = passOn ? thrown : nullptr; entry != nullptr; entry = entry->next) {
    ClassDef* cls = entry->exception->resolved;
    if (cls == nullptr || clausesCatch(cls, first, last) != nullptr) continue;
    if (StmtNode* outer = findOpenTry(tryStatement))
      addThrown(outer, cls, entry->line, entry->column, nullptr);
    else
      exceptionEscapes(cls, entry->line, entry->column, nullptr);
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
    if (node != nullptr && node->kind == ST_TRY &&
        ((node->flags & STMT_TRY_BODY_DONE) == 0 || (node->flags & STMT_TRY_IN_HANDLERS) != 0))
      return node;
  }
  return nullptr;
}

// The body's exceptions are noted once each, for the catch clauses to match; what the catch
// clauses throw is kept at each place, to be reported there.
void addThrown(StmtNode* tryStatement, ClassDef* cls, int32_t line, int32_t column, const ThrownReport* report) {
  bool handlers = (tryStatement->flags & STMT_TRY_IN_HANDLERS) != 0;
  ThrownEntry** list = handlers ? &tryStatement->handlerThrown : &tryStatement->thrown;
  for (ThrownEntry* entry = handlers ? nullptr : *list; entry != nullptr; entry = entry->next)
    if (entry->exception->resolved == cls) return;
  auto* entry = currentNew<ThrownEntry>();
  entry->exception = newClassRefIn(global.currentArena, cls->package, cls->name, cls, 0, global.ctx.enclosing, line, column);
  entry->line = line;
  entry->column = column;
  if (report != nullptr) entry->report = *report;
  entry->next = *list;
  *list = entry;
}

void noteInitializerExceptions(ClassDef* anonymous) {
  if (anonymous == nullptr) return;
  for (ThrownEntry* entry = anonymous->initializerThrown; entry != nullptr; entry = entry->next)
    noteThrownException(entry->exception->resolved, entry->line, entry->column, &entry->report);
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

namespace {

// The walk of statementsCanComplete: the statements it may visit (the range and the catch
// handlers of the trys in it), where each handler's list goes on, and the answers for the finally
// parts of trys inside the range, each found once.
class CompletionWalk {
 public:
  CompletionWalk(StmtNode* first, StmtNode* last, TryClause* clausesBefore)
      : last_(last), clausesBefore_(clausesBefore) {
    addList(first, last);
  }

  bool canComplete(StmtNode* first) {
    if (first == nullptr) return true;
    pending_.push_back(first);
    while (!pending_.empty()) {
      StmtNode* s = pending_.back();
      pending_.pop_back();
      if (!visited_.insert(s).second) continue;
      if (step(s)) return true;
    }
    return false;
  }

 private:
  void addList(StmtNode* first, StmtNode* last) {
    for (StmtNode* s = first; s != nullptr; s = s == last ? nullptr : s->next) inside_.insert(s);
  }

  void jumpTo(StmtNode* target) {
    if (target != nullptr && inside_.count(target) != 0) pending_.push_back(target);
  }

  // A finally part of a try inside the range; one of a try around it (its end not parsed yet) is
  // taken to complete, since the path leaves the range through it anyway.
  bool finallyCompletes(StmtNode* tryStatement) {
    if (tryStatement == nullptr || inside_.count(tryStatement) == 0) return true;
    TryClause* clause = tryStatement->clause;
    if (clause == nullptr || clause->kind != CLAUSE_FINALLY) return true;
    auto known = finallies_.find(clause);
    if (known != finallies_.end()) return known->second;
    CompletionWalk nested(clause->first, clause->last, clausesBefore_);
    bool completes = nested.canComplete(clause->first);
    finallies_[clause] = completes;
    return completes;
  }

  // The clauses of the trys inside the range follow those listed before it was parsed.
  void enterHandlers(StmtNode* tryStatement) {
    TryClause* from = clausesBefore_ != nullptr ? clausesBefore_->next : global.ctx.firstClause;
    for (TryClause* c = from; c != nullptr; c = c->next) {
      if (c->statement != tryStatement || c->kind != CLAUSE_CATCH || c->first == nullptr) continue;
      addList(c->first, c->last);
      if ((c->flags & CLAUSE_CATCH_ALL) == 0) handlerEnds_[c->last] = c->continueLabel;
      pending_.push_back(c->first);
    }
  }

  // One statement: true when control falls out of the end of the range from it.
  bool step(StmtNode* s) {
    switch (s->kind) {
      case ST_GOTO:
        jumpTo(s->target);
        return false;
      case ST_IF_TRUE: {
        const ExprNode* e = s->expression;
        bool constant = e != nullptr && e->op == O_CONST;
        // A loop's condition decides when it is constant; an if statement's never does.
        if (!(s->loopTarget && constant && e->integerValue == 0)) jumpTo(s->target);
        if (s->loopTarget && constant && e->integerValue != 0) return false;
        break;
      }
      case ST_SWITCH:
        jumpTo(s->target);
        for (CaseEntry* c = s->cases; c != nullptr; c = c->next) jumpTo(c->label);
        return false;
      case ST_THROW:
      case ST_RETURN_FINISH:
        return false;
      case ST_CALL_FINALLY:
        if (!finallyCompletes(s->target)) return false;
        break;
      case ST_TRY:
        enterHandlers(s);
        break;
      default:
        break;
    }
    if (s == last_) return true;
    if (s->next != nullptr && inside_.count(s->next) != 0) {
      pending_.push_back(s->next);
    } else {
      auto end = handlerEnds_.find(s);
      if (end != handlerEnds_.end()) jumpTo(end->second);
    }
    return false;
  }

  StmtNode* last_;
  TryClause* clausesBefore_;
  std::vector<StmtNode*> pending_;
  std::unordered_set<const StmtNode*> inside_;
  std::unordered_set<const StmtNode*> visited_;
  std::unordered_map<const StmtNode*, StmtNode*> handlerEnds_;
  std::unordered_map<const TryClause*, bool> finallies_;
};

}  // namespace

bool statementsCanComplete(StmtNode* first, StmtNode* last, TryClause* clausesBefore) {
  if (first == nullptr) return true;
  CompletionWalk walk(first, last, clausesBefore);
  return walk.canComplete(first);
}
