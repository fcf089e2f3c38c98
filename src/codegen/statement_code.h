// Bytecode of a lowered statement list that reachability has marked: unreachable-code reports,
// line numbers and local-variable ranges, gotos left out where control falls to their target
// anyway, conditional jumps, table and lookup switches, monitors, catch handlers and finally
// subroutines (jsr/ret), returns through a finally, and the operand-stack bookkeeping of a method.
#pragma once

#include <cstdint>

struct StmtNode;

// Generates `first` up to and including `last` (null: to the end of the list). True when control
// can fall out of the end: the last statement is reachable and no dead end, or a handler's code
// can complete.
bool genStatements(StmtNode* first, StmtNode* last);
void genSwitch(StmtNode* statement);
void genConditionalJump(StmtNode* statement);
// An ST_GOTO (or a constant-true ST_IF_TRUE), left out when the code that follows it is the code
// at its target.
void genGoto(StmtNode* statement);

// Operand-stack bookkeeping (classGen.stackDepth and maxStack): the depth grows by `slots` and
// the maximum follows it; foldStackDepth brings the maximum up to the current depth.
void raiseStackDepth(int32_t slots);
void foldStackDepth();
