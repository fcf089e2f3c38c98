// The code driver of one method: reachability over its lowered statement list, then definite
// assignment and unassignment (definite_assignment.h), then its bytecode (statement_code.h) and
// the closing return, laid out by the method code. The walk of the statement graph that both
// analyses and the report marking of statement generation share lives here.
#pragma once

#include <cstdint>

struct Member;
struct Scope;
struct StmtNode;
struct TryClause;

// What a walk does at each statement. visit (statement, predecessor or null) answers true to end
// the branch. The two hooks are optional: afterFinallyCall runs when the walk goes on behind a
// call of a finally block whose last statement `exit` completes; handlerEntry gives the
// predecessor of a handler's first statement (by default the clause's ST_TRY or ST_MON_ENTER).
struct FlowVisitor {
  bool (*visit)(StmtNode* statement, StmtNode* predecessor);
  void (*afterFinallyCall)(StmtNode* call, StmtNode* exit);
  StmtNode* (*handlerEntry)(TryClause* clause);
};

// How a walk reads conditions. FOLLOW_NONE takes every branch. The other two are follow-modes,
// in which a statement not reached yet does not lead on through its jump, and constant tests
// decide their branch: every one (FOLLOW_CONSTANTS, the code that runs), or only a loop's test
// of a constant expression (FOLLOW_LOOP_CONSTANTS, reachability as the language reads it).
enum FollowMode : int32_t { FOLLOW_NONE, FOLLOW_CONSTANTS, FOLLOW_LOOP_CONSTANTS };

// Walks the statement graph from `first` (predecessor `from`) along successors, jumps, switch
// labels, finally calls and the handlers of each try, stopping a path at dead ends, at `stop`,
// or where the visitor says.
void walkStatementFlow(StmtNode* from, StmtNode* first, StmtNode* stop, const FlowVisitor* visitor, FollowMode mode);
// The handlers of `tryStatement` (null: those whose statement is no ST_TRY, as a synchronized
// statement's), each walked from its clause statement, and what follows the handlers.
void walkHandlers(StmtNode* tryStatement, const FlowVisitor* visitor, FollowMode mode);

// The trace numbers that flow traces give statements start again from 1.
void resetTraceNumbers();
// A statement after which control never goes on to the next one.
bool isDeadEndStatement(const StmtNode* statement);
// A statement whose jump the walk in follow-mode does not take yet.
bool skipsBranch(const StmtNode* statement);
// The finally clause that an ST_CALL_FINALLY runs, or null when its try has no finally.
TryClause* calledFinally(const StmtNode* callFinally);
// The last statement of a finally clause that can complete it, stepping back over the ends of
// scopes; null when there is none.
StmtNode* finallyExit(const TryClause* finallyClause);

// Generates the code of the current method (global.ctx.currentMethod; none for the class
// initializer) from the statement list in global.ctx, `scope` being its outermost scope, and
// returns the code length (resolveJumps). The definite-assignment sets at the method's normal
// exits go to the class being generated (ClassDef::blankFinalResult).
int32_t emitCode(Scope* scope);

// A final field of the class being generated declared without an initializer; instance or static.
bool isBlankFinalField(const Member* field);
bool isBlankFinalInstanceField(const Member* field);
bool isBlankFinalStaticField(const Member* field);
// Whether the constructor's body begins by calling another constructor of its class, this(...).
// Reads the constructor's parsed statement list (global.ctx).
bool constructorCallsThis(const Member* constructor);
