// The code of one method (or class initializer) while it is generated. Instruction bytes are staged
// in a small fixed area; every jump, switch operand and label breaks the code into a chain of
// pieces, so that jump offsets are settled only once the whole method is known: resolveJumps
// lays the chain out and shrinks every jump that fits its short form, then the class-file writer
// writes the bytes (writeCode), the line and local-variable tables and the exception table from
// the lists kept here. All records live in the generation arena; the state is part of
// ClassGenState (classGen.code).
//
// Use, per method: initMethodCode; any number of emit, label, line, local and region calls;
// resolveJumps once; then the writer reads the results. Labels are StmtNodes of kind ST_LABEL:
// placeLabel records the piece at which a label stands (StmtNode::codePiece), and each jump to
// it sets StmtNode::targeted. Positions are taken where the next byte will go.
#pragma once

#include <cstdint>

struct ClassDef;
struct Member;
struct Scope;
struct StmtNode;

// Piece kinds. Conditional branches come in pairs of opposite conditions (3/4, 5/6, 7/10, 8/9,
// 11/12, 13/14, 15/18, 16/17): invertedBranch gives the other of a pair.
enum PieceKind : int32_t {
  PIECE_GOTO = 0,
  PIECE_JSR = 1,
  PIECE_BYTES = 2,
  PIECE_IFNULL = 3,
  PIECE_IFNONNULL = 4,
  PIECE_IFNE = 5,
  PIECE_IFEQ = 6,
  PIECE_IFGE = 7,
  PIECE_IFGT = 8,
  PIECE_IFLE = 9,
  PIECE_IFLT = 10,
  PIECE_IF_ACMPNE = 11,
  PIECE_IF_ACMPEQ = 12,
  PIECE_IF_ICMPNE = 13,
  PIECE_IF_ICMPEQ = 14,
  PIECE_IF_ICMPGE = 15,
  PIECE_IF_ICMPGT = 16,
  PIECE_IF_ICMPLE = 17,
  PIECE_IF_ICMPLT = 18,
  PIECE_SWITCH_PAD = 19,
  PIECE_SWITCH_OFFSET = 20,
  PIECE_OPEN = 21,  // where the staged bytes will go
};

constexpr int32_t FIRST_BRANCH_KIND = PIECE_IFNULL;
constexpr int32_t LAST_BRANCH_KIND = PIECE_IF_ICMPLT;

// Sizes of a jump: goto and jsr short 3, long 5 (goto_w, jsr_w); a conditional branch short 3,
// long 8 (the inverted branch over a goto_w).
constexpr int32_t JUMP_SHORT_SIZE = 3;
constexpr int32_t JUMP_LONG_SIZE = 5;
constexpr int32_t BRANCH_LONG_SIZE = 8;

constexpr int32_t CODE_STAGING_SIZE = 256;

struct CodePiece {
  CodePiece* next;
  CodePiece* previous;
  int32_t shortSize;
  int32_t currentSize;
  int32_t codeOffset;  // set by resolveJumps
  uint8_t* bytes;      // PIECE_BYTES
  StmtNode* label;     // jumps and switch offsets: the target
  CodePiece* base;     // PIECE_SWITCH_OFFSET: the switch's padding piece
  int32_t kind;
  uint8_t keptLong;  // a jump that was short once and did not fit after a later layout
};

struct LineNumberEntry {
  LineNumberEntry* next;
  CodePiece* piece;
  int32_t offset;  // within the piece
  int32_t line;
};

struct LocalVariableEntry {
  LocalVariableEntry* next;
  CodePiece* startPiece;
  CodePiece* endPiece;  // null while open; an entry never ended runs to the end of the code
  int32_t startOffset;
  int32_t endOffset;
  Member* variable;  // null for `this`
};

// One protected range of the exception table: code from `start` up to `end` (labels) handled at
// `handler`, for exceptions of `catchClass` (null: any, as for a finally handler). A range that
// covers no code is left out of the table.
struct ExceptionRegion {
  ExceptionRegion* next;
  StmtNode* start;
  StmtNode* end;
  StmtNode* handler;
  ClassDef* catchClass;
};

struct MethodCode {
  uint8_t staging[CODE_STAGING_SIZE];
  int32_t staged;  // bytes in the staging area
  CodePiece* firstPiece;
  CodePiece* currentPiece;
  LineNumberEntry* firstLine;
  LineNumberEntry* lastLine;
  int32_t lineCount;
  LocalVariableEntry* firstLocal;
  LocalVariableEntry* lastLocal;
  ExceptionRegion* firstRegion;
  ExceptionRegion* lastRegion;
  int32_t regionCount;
  int32_t length;         // set by resolveJumps
  uint8_t* laidOut;       // the laid-out bytes, made by laidOutCode
  uint8_t recordLines;    // line numbers are kept for this method
  uint8_t unplacedLabel;  // a jump named a label that was never placed (reported once)
};

// Starts the code of the current method (global.ctx.currentMethod; none for the class
// initializer) whose outermost scope is `scope`. With -g the receiver of an instance method and
// the named parameters of `scope` get open local-variable entries; a method whose body comes
// from source records its declaration line first, with -g on a nop of its own.
void initMethodCode(Scope* scope);

void emitByte(uint32_t byte);
void emitShort(uint32_t value);
void emitInt(uint32_t value);
// Moves the staged bytes into a piece of their own; a no-op when nothing is staged.
void flushCode();

void placeLabel(StmtNode* label);
void emitGoto(StmtNode* label);
void emitJsr(StmtNode* label);
// kind: FIRST_BRANCH_KIND to LAST_BRANCH_KIND.
void emitBranch(int32_t kind, StmtNode* label);
int32_t invertedBranch(int32_t kind);
// The opcode of a conditional branch kind.
uint8_t branchOpcode(int32_t kind);

// Right after the tableswitch or lookupswitch opcode byte: the padding to the next multiple of
// four, settled at layout. Each offset of the switch then goes through emitSwitchOffset, and is
// written as the distance from the switch opcode to the label.
CodePiece* emitSwitchPad();
void emitSwitchOffset(CodePiece* padPiece, StmtNode* label);

// Line numbers: kept only when the method's body comes from source and line numbers are on
// (not -g:nodebug). The same line twice in a row gives one entry; two lines at one position keep
// the larger.
void addLineNumber(int32_t line);
// Local variables (null for `this`): an entry opens here; a variable with an entry is linked to it
// (Member::localEntry), and endLocalVariable closes that entry here.
void addLocalVariable(Member* variable);
void endLocalVariable(Member* variable);
void addExceptionRegion(StmtNode* start, StmtNode* end, StmtNode* handler, ClassDef* catchClass);

// Lays the code out and returns its length in bytes. Every jump starts long; each pass shrinks
// those that fit in their short form, and a short jump that a later layout (switch padding grown
// by the shrinking before it) puts out of range goes back to its long form for good; passes repeat
// until nothing changes.
int32_t resolveJumps();

// After resolveJumps: a label's code offset; a piece position's code offset.
int32_t labelOffset(const StmtNode* label);
int32_t codePosition(const CodePiece* piece, int32_t offset);

// After resolveJumps: the laid-out bytes, copied into `destination` (length bytes), made once in
// the generation arena, and appended to the class body buffer.
void copyCode(uint8_t* destination);
const uint8_t* laidOutCode();
void writeCode();
