// The protected parts of a body: catch, finally and compiler-made catch-all clauses, each with a
// statement list of its own, the exceptions each try body may throw, and the checked-exception
// rules (caught, declared or reported).
#pragma once

#include <cstdint>

struct ClassDef;
struct ClassRef;
struct Identifier;
struct Member;
struct StmtNode;
struct ThrowsEntry;
struct Type;

// TryClause kinds.
constexpr int32_t CLAUSE_CATCH = 1;
constexpr int32_t CLAUSE_FINALLY = 3;

// TryClause flags.
constexpr uint32_t CLAUSE_CATCH_ALL = 0x1;        // made by the compiler; rethrows what it caught
constexpr uint32_t CLAUSE_SAVED_NESTED = 0x2;     // the enclosing list's nested-clause bit
constexpr uint32_t CLAUSE_LAST_CATCH = 0x4;       // the last catch clause of its statement
constexpr uint32_t CLAUSE_UNREACHED = 0x8;        // reported as never reached; its class is checked no further

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

// How an exception that is neither caught nor declared is reported: where a throw statement
// throws it, by its class ("throw.not.caught"); where a call throws it, by the class its throws
// clause names and the method's name ("throws.not.caught"); after it escaped a try body, by the
// body it is in.
constexpr int32_t THROWN_ESCAPED = 0;
constexpr int32_t THROWN_BY_THROW = 1;
constexpr int32_t THROWN_BY_CALL = 2;

struct ThrownReport {
  int32_t kind;
  ClassRef* declared;
  Identifier* method;
};

// One exception class noted in a try body or its catch clauses; newest first in the ST_TRY's
// list.
struct ThrownEntry {
  ThrownEntry* next;
  ClassRef* exception;
  int32_t line;
  int32_t column;
  ThrownReport report;
};

TryClause* beginCatchClause(StmtNode* statement, StmtNode* startLabel, StmtNode* endLabel, Type* catchType,
                            Member* parameter, int32_t line, int32_t column);
void endCatchClause(TryClause* clause);
TryClause* beginFinallyClause(StmtNode* tryStatement, int32_t line, int32_t column);
void endFinallyClause(TryClause* clause);
// A clause that throws again what it caught: a compiler-made catch-all (a finally's) or the one
// that leaves a synchronized statement's monitor.
bool clauseRethrows(const TryClause* clause);
// finallyCompletes: the statement has no finally part, or one that can complete normally; one
// that cannot discards what the body and the catch clauses throw.
void finishTryStatement(StmtNode* tryStatement, TryClause* first, TryClause* last, TryClause* finallyClause,
                        bool finallyCompletes = true);
// Whether control can fall out of the end of the statements first..last (a finally part), as the
// language judges it: a loop condition that is a constant decides, an if's does not, and a jump
// out of them or a finally call that cannot complete ends the path. clausesBefore: the last
// clause of the method's list before the statements were parsed (null: none).
bool statementsCanComplete(StmtNode* first, StmtNode* last, TryClause* clausesBefore);

// The class is the ancestor or extends it (through resolved superclasses).
bool reachesClass(const ClassDef* cls, const ClassDef* ancestor);
bool isCheckedException(ClassDef* cls);
// Notes the exception in the innermost open try (or, while its catch clauses are parsed, among
// what they throw); outside every try, a checked one that the method does not declare is reported
// as `report` says, or, in the initializers of an anonymous class, kept for the class's creation
// (null: escaped).
void noteThrownException(ClassDef* cls, int32_t line, int32_t column, const ThrownReport* report);
// The exceptions that the initializers of the anonymous class threw and did not catch, noted
// where the class is created, as if thrown there.
void noteInitializerExceptions(ClassDef* anonymous);
void checkCatchClauses(StmtNode* tryStatement, TryClause* first, TryClause* last, bool passOn);
// The innermost try whose body or catch clauses are being parsed; with a try given, the
// innermost one outside it.
StmtNode* findOpenTry(StmtNode* tryStatement);
void addThrown(StmtNode* tryStatement, ClassDef* cls, int32_t line, int32_t column, const ThrownReport* report);
bool isDeclaredOrUnchecked(ThrowsEntry* throwsList, ClassDef* cls);
// Error, RuntimeException and their superclasses (Throwable, Exception, Object): any body may
// throw them, so a catch of them is never unreached.
bool isAlwaysCatchable(ClassDef* cls);
// Some exception of the list is the class, a subclass or a superclass of it.
bool thrownListOverlaps(ThrownEntry* list, ClassDef* cls);
// The first clause of first..last that catches the class (its class or a superclass); the scan
// ends at a catch-all or a clause whose class was not found, and passes over one whose type is
// no Throwable.
TryClause* clausesCatch(ClassDef* cls, TryClause* first, TryClause* last);
