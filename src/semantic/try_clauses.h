// The protected parts of a body: catch, finally and compiler-made catch-all clauses, each with a
// statement list of its own, the exceptions each try body may throw, and the checked-exception
// rules (caught, declared or reported).
// Placeholder: the records and the calls are declared; no clause is made and every exception
// counts as caught.
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct Member;
struct StmtNode;
struct ThrowsEntry;
struct Type;

// TryClause kinds.
constexpr int32_t CLAUSE_CATCH = 1;
constexpr int32_t CLAUSE_FINALLY = 3;
constexpr int32_t CLAUSE_TRY_BODY = 4;

// TryClause flags.
constexpr uint32_t CLAUSE_CATCH_ALL = 0x1;        // made by the compiler; rethrows what it caught
constexpr uint32_t CLAUSE_SAVED_NESTED = 0x2;     // the enclosing list's nested-clause bit
constexpr uint32_t CLAUSE_LAST_CATCH = 0x4;       // the last catch clause of its statement

// One catch, finally or catch-all clause, or a protected body made by the code generator; in
// the temporary arena. While open, `first`/`last` hold the enclosing list; once closed, its own.
struct TryClause {
  TryClause* next;
  int32_t kind;
  StmtNode* statement;      // the ST_TRY or ST_MON_ENTER
  StmtNode* startLabel;     // the protected range
  StmtNode* endLabel;
  StmtNode* continueLabel;  // after the handlers (a user catch), else the end label
  StmtNode* first;
  StmtNode* last;
  Type* catchType;          // none for a catch-all
  Member* variable;         // the catch parameter or the finally part's variable
  int32_t line;
  int32_t column;
  uint32_t flags;
};

// One exception class noted in a try body; newest first in the ST_TRY's list.
struct ThrownEntry {
  ThrownEntry* next;
  ClassRef* exception;
  int32_t line;
  int32_t column;
};

TryClause* beginCatchClause(StmtNode* statement, StmtNode* startLabel, StmtNode* endLabel, Type* catchType,
                            Member* parameter, int32_t line, int32_t column);
void endCatchClause(TryClause* clause);
TryClause* beginFinallyClause(StmtNode* tryStatement, int32_t line, int32_t column);
void endFinallyClause(TryClause* clause);
TryClause* beginTryBody();
void endTryBody(TryClause* clause);
void finishTryStatement(StmtNode* tryStatement, TryClause* first, TryClause* last, TryClause* finallyClause);

bool isCheckedException(ClassDef* cls);
// 1 when the caller must report the exception as neither caught nor declared.
int32_t noteThrownException(ClassDef* cls, int32_t line, int32_t column);
void checkCatchClauses(StmtNode* tryStatement, TryClause* first, TryClause* last);
bool isDeclaredOrUnchecked(ThrowsEntry* throwsList, ClassDef* cls);
bool isAlwaysCatchable(ClassDef* cls);
