// The lowered statement list of a body: structured statements become labels, conditional jumps
// and gotos as the parser goes, with the jump contexts that give break, continue and return their
// targets, the checks made on the way, and the constructor prologue (implicit super() and the
// instance initializers).
#pragma once

#include <cstdint>

struct AssignSets;
struct CaseEntry;
struct CaseSet;
struct ClassDef;
struct CodePiece;
struct ExprNode;
struct Identifier;
struct Member;
struct Scope;
struct ThrownEntry;
struct TryClause;

enum StmtKind : int32_t {
  ST_EXPR = 0,
  ST_RETURN = 1,
  ST_THROW = 2,
  ST_LABEL = 3,
  ST_GOTO = 4,
  ST_IF = 5,  // never made
  ST_IF_TRUE = 6,
  ST_SWITCH = 7,
  ST_MON_ENTER = 8,
  ST_MON_EXIT = 9,
  ST_CALL_FINALLY = 10,
  ST_ENTER_FINALLY = 11,
  ST_ENTER_CATCH = 12,
  ST_RETURN_FINISH = 13,
  ST_LEAVE_SCOPE = 14,
  ST_TRY = 15,
  ST_CATCH = 16,
  ST_FINALLY = 17,
  ST_BEGIN_SCOPE = 18,
  ST_NULL = 19,
  ST_DECLARATION = 20,
};

constexpr int32_t STMT_KIND_COUNT = 21;

// StmtNode flags. Flow analysis adds STMT_REACHABLE and the trace number in bits 5-24.
constexpr uint32_t STMT_REACHABLE = 0x1;
constexpr uint32_t STMT_NO_REPORT = 0x2;       // never reported as unreachable: a report stands for it
constexpr uint32_t STMT_TRY_BODY_DONE = 0x8;   // an ST_TRY whose body is finished
constexpr uint32_t STMT_WARN_ONLY = 0x10;      // unreachable code here is only a warning
constexpr uint32_t STMT_TRY_IN_HANDLERS = 0x20000000;  // an ST_TRY whose catch clauses are being parsed
// No statement of the language: a loop's update or do-while test, or the labels around them,
// which the body may never reach; never reported, while a report's spread passes through.
constexpr uint32_t STMT_LOOP_TAIL = 0x10000000;
// Made from an instance initializer in a constructor after the first whose code was checked: its
// faults were reported there, and are not again.
constexpr uint32_t STMT_REPEATED = 0x08000000;
// An ST_IF_TRUE that tests a loop's condition which is a constant expression: the only constant
// test that decides reachability as the language reads it.
constexpr uint32_t STMT_LOOP_CONSTANT = 0x40000000;
// Reachable as the language reads it (flow analysis): only loops' constant conditions decide,
// never an if's condition nor a constant part of a condition.
constexpr uint32_t STMT_LANGUAGE_REACHABLE = 0x80000000;

// One statement of the list, in the temporary arena. The operand fields used depend on the kind:
//   ST_EXPR, ST_THROW: expression
//   ST_RETURN: expression (converted to the result type), variable (the saved result of the
//     innermost try left, if any); ST_RETURN_FINISH: variable (the same)
//   ST_LABEL: loopLink (the continue label, or the body's last statement for while (true));
//     codePiece and targeted are filled by code generation
//   ST_GOTO: target (a label), loopTarget (the target carries a loop link)
//   ST_IF_TRUE: expression (a boolean condition), target, loopTarget
//   ST_SWITCH: expression (the test), target (the default label), cases (ascending by value)
//   ST_MON_ENTER: expression (the lock), variable (the local holding the lock object)
//   ST_MON_EXIT: target (its ST_MON_ENTER); ST_CALL_FINALLY: target (the ST_TRY)
//   ST_ENTER_FINALLY, ST_ENTER_CATCH, ST_LEAVE_SCOPE, ST_BEGIN_SCOPE: variable
//   ST_TRY: clause (the finally clause once the finally part begins), thrown, handlerThrown,
//     variable (saved result, when the method returns a value), catchAllVariable
//   ST_CATCH, ST_FINALLY: clause
//   ST_NULL: variable (the initializer block whose end it marks, or the local class it declares;
//     none for an empty statement or block)
struct StmtNode {
  StmtNode* previous;
  StmtNode* next;
  AssignSets* in;   // definite-assignment sets at entry and exit (flow analysis)
  AssignSets* out;
  int32_t line;
  int32_t column;
  int32_t kind;
  uint32_t flags;
  ExprNode* expression;
  StmtNode* target;
  Member* variable;
  TryClause* clause;
  ThrownEntry* thrown;
  ThrownEntry* handlerThrown;  // what its catch clauses throw, held until its finally is known
  CaseEntry* cases;
  Member* catchAllVariable;
  StmtNode* loopLink;
  uint8_t loopTarget;
  CodePiece* codePiece;  // a label's code position
  uint8_t targeted;      // a label some jump names
};

// One case of a switch: its label and value.
struct CaseEntry {
  CaseEntry* next;
  StmtNode* label;
  int32_t value;
};

// One open labelled statement, loop, switch, try or synchronized statement; lives in the parsing
// function's frame while its statement is parsed. `global.ctx.jumps` is the innermost.
struct JumpContext {
  JumpContext* outer;
  JumpContext* loop;    // a label context: the loop the label names
  Identifier* label;    // a label context: its name
  StmtNode* statement;  // the label's start label, or the ST_SWITCH, ST_TRY or ST_MON_ENTER
  StmtNode* breakLabel;
  StmtNode* continueLabel;  // loops only
  Scope* switchBody;        // a switch: the scope of its body, whose statements may be case labels
  CaseSet* caseSet;         // a switch: its case values so far
  bool labelsLoop;          // a label context whose statement is a while, do or for statement
};

// Lists and labels.
void appendStatement(StmtNode* node);
StmtNode* newLabel();
StmtNode* newStatement(int32_t kind, int32_t line, int32_t column);
void appendCatchStatement(TryClause* clause);
void appendFinallyStatement(TryClause* clause);
void appendGotoStatement(StmtNode* label, int32_t line, int32_t column);
void appendMonitorExit(StmtNode* monitorEnter);
void appendCallFinally(StmtNode* tryStatement);
void appendLeaveScope(Member* variable);
void appendNullStatement(int32_t line, int32_t column);
// The end of an initializer block's statements, which must be reachable.
void appendInitializerEnd(Member* initializer);
void appendDeclarationStatement(int32_t line, int32_t column);
// Where a local's scope begins, before its initializer: an ST_DECLARATION without a position
// that names it, from which definite assignment takes it as unassigned.
void appendLocalDeclaration(Member* variable);
void appendPositionLabel(int32_t line, int32_t column);
void linkLoopStart(StmtNode* startLabel, StmtNode* link);
void markLoopTail(StmtNode* label);

// Checking statements. bodyKind is the MemberKind of the body being parsed (0 outside a body).
void checkReturnStatement(ExprNode* value, int32_t line, int32_t column);
void checkThrowStatement(ExprNode* value, int32_t line, int32_t column);
void appendExpressionStatement(int32_t bodyKind, ExprNode* expression, int32_t line, int32_t column);
bool isStatementExpression(const ExprNode* expression);

// Conditions.
void appendJumpIfFalse(ExprNode* condition, StmtNode* label, int32_t line, int32_t column);
void appendJumpIfTrue(ExprNode* condition, StmtNode* label, int32_t line, int32_t column);
// A loop's test, jumping back to its start while the condition holds; a condition that is a
// constant expression marks it STMT_LOOP_CONSTANT.
void appendLoopTest(ExprNode* condition, StmtNode* start, int32_t line, int32_t column);
void appendIfTrue(ExprNode* condition, StmtNode* label, int32_t line, int32_t column);
int32_t invertComparison(int32_t op);

// Jump contexts. Every context pushed is popped on every exit of its statement.
void pushLabelContext(JumpContext* context, Identifier* name);
void pushLoopContext(JumpContext* context);
void beginSwitch(JumpContext* context, ExprNode* test, int32_t line, int32_t column);
void beginTryContext(JumpContext* context, int32_t line, int32_t column);
void beginSynchronized(JumpContext* context, ExprNode* lock, int32_t line, int32_t column);
void popJumpContext();
JumpContext* findJumpContextByLabel(Identifier* name);
Member* unwindJumpContexts(JumpContext* target);

// Switch labels.
void addCaseLabel(ExprNode* value, int32_t line, int32_t column);
void addDefaultLabel();
// The switch's body is done: its cases in ascending order, and the break label as its default
// target when it has no default label.
void endSwitch(JumpContext* context);

void beginScopesForLocals(ExprNode* expression);
// The prologue of a body, run before its first statement is appended (and for an empty body):
// records global.ctx.bodyLine and gives a constructor without an explicit constructor call its
// implicit super() and the instance initializers.
void beginMethodBody();
// After the superclass constructor call of a constructor: the stores of its captured values and
// outer instance into their synthetic fields, then the instance field initializers and instance
// initializer blocks in declaration order.
void emitInstanceInitializers(Member* method);
// The stores field = parameter for the constructor's synthetic parameters whose fields this
// constructor does not store yet.
void assignCapturedFields(Member* constructor);
