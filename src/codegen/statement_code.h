// Bytecode of a lowered statement list that reachability has marked: unreachable-code reports,
// line numbers and local-variable ranges, gotos left out where control falls to their target
// anyway, conditional jumps, table and lookup switches, monitors, catch handlers and finally
// subroutines (jsr/ret), returns through a finally, and the operand-stack bookkeeping of a method.
#pragma once

#include <cstdint>

struct ExceptionRegion;
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

// The exception regions of the current method by the statement (ST_TRY or ST_MON_ENTER) whose
// clause made them, registered before the statements are generated. Code that leaves such a
// statement through a finally call or a monitor exit is cut out of the statement's open regions:
// past that code the locals a finally block writes may stand where a handler expects others.
// Beginning them also clears what the statement code of an earlier method left behind.
void beginStatementRegions();
void registerStatementRegion(StmtNode* statement, ExceptionRegion* region);
// At the end of the method: resumes still pending are placed there.
void finishStatementRegions();

