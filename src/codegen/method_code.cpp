// The staged method code: bytes collect in the staging area and move into a piece of their own
// only when a jump, a switch operand or a label needs a break in the chain, so most instructions
// cost a store. Layout and relaxation run once per method, over the chain.
#include "codegen/method_code.h"

#include <cstring>

#include "codegen/class_gen_state.h"
#include "codegen/opcodes.h"
#include "semantic/class_records.h"
#include "semantic/statement_lists.h"
#include "support/diagnostics.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/linked_lists.h"
#include "support/parser_context.h"

static MethodCode& code() {
  return classGen.code;
}

static void linkPiece(int32_t kind) {
  MethodCode& c = code();
  auto* piece = arenaNew<CodePiece>(&global.genArena);
  piece->kind = kind;
  piece->previous = c.currentPiece;
  if (c.currentPiece != nullptr) c.currentPiece->next = piece;
  c.currentPiece = piece;
}

// Compiler-made methods other than constructors (access methods) have no source lines.
static bool bodyFromSource(const Member* method) {
  return method == nullptr || (method->modifiers & M_SYNTHETIC) == 0 ||
         (method->methodFlags & METHOD_DEFAULT_CONSTRUCTOR) != 0;
}

void initMethodCode(Scope* scope) {
  MethodCode& c = code();
  std::memset(static_cast<void*>(&c), 0, sizeof c);
  linkPiece(PIECE_OPEN);
  c.firstPiece = c.currentPiece;
  Member* method = global.ctx.currentMethod;
  c.recordLines = global.lineNumbers && bodyFromSource(method);
  if (global.localVariableTables) {
    if (method != nullptr && (method->modifiers & M_STATIC) == 0) addLocalVariable(nullptr);
    for (Member* v = scope != nullptr ? scope->first : nullptr; v != nullptr; v = v->next)
      if (v->name != nullptr && (v->kind == MK_VARIABLE || v->kind == MK_PARAMETER)) addLocalVariable(v);
  }
  if (method != nullptr && bodyFromSource(method)) {
    addLineNumber(method->line);
    // The declaration line gets an instruction of its own, for a breakpoint on it.
    if (global.localVariableTables) emitByte(OP_NOP);
  }
}

void flushCode() {
  MethodCode& c = code();
  if (c.currentPiece->kind != PIECE_OPEN) {
    // After a switch pad or offset: the bytes staged since then follow it.
    if (c.staged == 0) {
      linkPiece(PIECE_OPEN);
      return;
    }
    linkPiece(PIECE_OPEN);
  } else if (c.staged == 0) {
    return;
  }
  CodePiece* piece = c.currentPiece;
  piece->kind = PIECE_BYTES;
  piece->shortSize = c.staged;
  piece->currentSize = c.staged;
  piece->bytes = static_cast<uint8_t*>(arenaCopy(&global.genArena, c.staging, c.staged));
  c.staged = 0;
  linkPiece(PIECE_OPEN);
}

void emitByte(uint32_t byte) {
  MethodCode& c = code();
  if (c.staged == CODE_STAGING_SIZE) flushCode();
  c.staging[c.staged++] = static_cast<uint8_t>(byte);
}

void emitShort(uint32_t value) {
  emitByte(value >> 8);
  emitByte(value);
}

void emitInt(uint32_t value) {
  emitByte(value >> 24);
  emitByte(value >> 16);
  emitByte(value >> 8);
  emitByte(value);
}

void placeLabel(StmtNode* label) {
  flushCode();
  label->codePiece = code().currentPiece;
}

static int32_t longSize(int32_t kind) {
  return kind == PIECE_GOTO || kind == PIECE_JSR ? JUMP_LONG_SIZE : BRANCH_LONG_SIZE;
}

static bool isJump(int32_t kind) {
  return kind == PIECE_GOTO || kind == PIECE_JSR || (kind >= FIRST_BRANCH_KIND && kind <= LAST_BRANCH_KIND);
}

static void emitJump(int32_t kind, StmtNode* label) {
  label->targeted = 1;
  flushCode();
  CodePiece* piece = code().currentPiece;
  piece->kind = kind;
  piece->label = label;
  piece->shortSize = JUMP_SHORT_SIZE;
  piece->currentSize = longSize(kind);
  flushCode();
}

void emitGoto(StmtNode* label) {
  emitJump(PIECE_GOTO, label);
}

void emitJsr(StmtNode* label) {
  emitJump(PIECE_JSR, label);
}

void emitBranch(int32_t kind, StmtNode* label) {
  emitJump(kind, label);
}

// Opcodes of the branch kinds, from FIRST_BRANCH_KIND on.
static const uint8_t branchOpcodes[] = {
    OP_IFNULL,    OP_IFNONNULL, OP_IFNE,      OP_IFEQ,      OP_IFGE,      OP_IFGT,      OP_IFLE,      OP_IFLT,
    OP_IF_ACMPNE, OP_IF_ACMPEQ, OP_IF_ICMPNE, OP_IF_ICMPEQ, OP_IF_ICMPGE, OP_IF_ICMPGT, OP_IF_ICMPLE, OP_IF_ICMPLT,
};

static const uint8_t invertedKinds[] = {
    PIECE_IFNONNULL,    PIECE_IFNULL,       PIECE_IFEQ,         PIECE_IFNE,
    PIECE_IFLT,         PIECE_IFLE,         PIECE_IFGT,         PIECE_IFGE,
    PIECE_IF_ACMPEQ,    PIECE_IF_ACMPNE,    PIECE_IF_ICMPEQ,    PIECE_IF_ICMPNE,
    PIECE_IF_ICMPLT,    PIECE_IF_ICMPLE,    PIECE_IF_ICMPGT,    PIECE_IF_ICMPGE,
};

int32_t invertedBranch(int32_t kind) {
  return invertedKinds[kind - FIRST_BRANCH_KIND];
}

uint8_t branchOpcode(int32_t kind) {
  return branchOpcodes[kind - FIRST_BRANCH_KIND];
}

CodePiece* emitSwitchPad() {
  flushCode();
  CodePiece* piece = code().currentPiece;
  piece->kind = PIECE_SWITCH_PAD;
  piece->shortSize = 4;
  piece->currentSize = 4;
  return piece;
}

void emitSwitchOffset(CodePiece* padPiece, StmtNode* label) {
  label->targeted = 1;
  flushCode();
  CodePiece* piece = code().currentPiece;
  piece->kind = PIECE_SWITCH_OFFSET;
  piece->shortSize = 4;
  piece->currentSize = 4;
  piece->label = label;
  piece->base = padPiece;
}

// Where the next byte goes, as a place in an open piece: the staged bytes after a switch pad or
// offset go into a piece of their own, so a place taken there must not be counted from the
// switch piece.
static void currentSpot(CodePiece** piece, int32_t* offset) {
  MethodCode& c = code();
  if (c.currentPiece->kind != PIECE_OPEN) flushCode();
  *piece = c.currentPiece;
  *offset = c.staged;
}

void addLineNumber(int32_t line) {
  MethodCode& c = code();
  if (!c.recordLines) return;
  CodePiece* piece;
  int32_t offset;
  currentSpot(&piece, &offset);
  LineNumberEntry* last = c.lastLine;
  if (last != nullptr && last->line == line) return;
  if (last != nullptr && last->piece == piece && last->offset == offset) {
    if (line > last->line) last->line = line;
    return;
  }
  auto* entry = arenaNew<LineNumberEntry>(&global.genArena);
  entry->piece = piece;
  entry->offset = offset;
  entry->line = line;
  appendAtTail(&c.firstLine, &c.lastLine, entry);
  c.lineCount++;
}

void addLocalVariable(Member* variable) {
  MethodCode& c = code();
  auto* entry = arenaNew<LocalVariableEntry>(&global.genArena);
  currentSpot(&entry->startPiece, &entry->startOffset);
  entry->variable = variable;
  if (variable != nullptr) variable->localEntry = entry;
  appendAtTail(&c.firstLocal, &c.lastLocal, entry);
}

void endLocalVariable(Member* variable) {
  if (variable == nullptr || variable->localEntry == nullptr) return;
  LocalVariableEntry* entry = variable->localEntry;
  currentSpot(&entry->endPiece, &entry->endOffset);
}

void addExceptionRegion(StmtNode* start, StmtNode* end, StmtNode* handler, ClassDef* catchClass) {
  MethodCode& c = code();
  auto* region = arenaNew<ExceptionRegion>(&global.genArena);
  region->start = start;
  region->end = end;
  region->handler = handler;
  region->catchClass = catchClass;
  appendAtTail(&c.firstRegion, &c.lastRegion, region);
  c.regionCount++;
}

int32_t labelOffset(const StmtNode* label) {
  if (label != nullptr && label->codePiece != nullptr) return label->codePiece->codeOffset;
  MethodCode& c = code();
  if (!c.unplacedLabel) {
    c.unplacedLabel = 1;
    SourceFile* file = classGen.cls != nullptr ? classGen.cls->sourceFile : global.current;
    errorInFile(file, 0, 0, "internal.codegen.error", "jump to a label never placed");
  }
  return 0;
}

int32_t codePosition(const CodePiece* piece, int32_t offset) {
  return piece->codeOffset + offset;
}

static int32_t layOut() {
  int32_t offset = 0;
  for (CodePiece* p = code().firstPiece; p != nullptr; p = p->next) {
    p->codeOffset = offset;
    if (p->kind == PIECE_SWITCH_PAD) {
      p->shortSize = (4 - offset % 4) % 4;
      p->currentSize = p->shortSize;
    }
    offset += p->currentSize;
  }
  return offset;
}

int32_t resolveJumps() {
  MethodCode& c = code();
  flushCode();
  for (CodePiece* p = c.firstPiece; p != nullptr; p = p->next) {
    if (!isJump(p->kind)) continue;
    p->currentSize = longSize(p->kind);
    p->keptLong = 0;
  }
  for (;;) {
    c.length = layOut();
    bool changed = false;
    for (CodePiece* p = c.firstPiece; p != nullptr; p = p->next) {
      if (!isJump(p->kind)) continue;
      int32_t distance = labelOffset(p->label) - p->codeOffset;
      bool fits = distance >= -32768 && distance <= 32767;
      if (p->currentSize != p->shortSize) {
        if (fits && !p->keptLong) {
          p->currentSize = p->shortSize;
          changed = true;
        }
      } else if (!fits) {
        // Padding of a switch between the jump and its target grew when jumps before the switch
        // shrank: the distance went past the short range. Long for good, so the passes end.
        p->currentSize = longSize(p->kind);
        p->keptLong = 1;
        changed = true;
      }
    }
    if (!changed) break;
  }
  c.laidOut = nullptr;
  return c.length;
}

static uint8_t* putU2(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
  return at + 2;
}

static uint8_t* putU4(uint8_t* at, uint32_t value) {
  at = putU2(at, value >> 16);
  return putU2(at, value);
}

void copyCode(uint8_t* destination) {
  for (const CodePiece* p = code().firstPiece; p != nullptr; p = p->next) {
    uint8_t* at = destination + p->codeOffset;
    switch (p->kind) {
      case PIECE_BYTES:
        std::memcpy(at, p->bytes, p->currentSize);
        break;
      case PIECE_GOTO:
      case PIECE_JSR: {
        auto distance = static_cast<uint32_t>(labelOffset(p->label) - p->codeOffset);
        bool isGoto = p->kind == PIECE_GOTO;
        if (p->currentSize == JUMP_SHORT_SIZE) {
          *at = isGoto ? OP_GOTO : OP_JSR;
          putU2(at + 1, distance);
        } else {
          *at = isGoto ? OP_GOTO_W : OP_JSR_W;
          putU4(at + 1, distance);
        }
        break;
      }
      case PIECE_SWITCH_PAD:
        std::memset(at, 0, p->currentSize);
        break;
      case PIECE_SWITCH_OFFSET:
        putU4(at, static_cast<uint32_t>(labelOffset(p->label) - p->base->codeOffset + 1));
        break;
      case PIECE_OPEN:
        break;
      default: {  // a conditional branch
        int32_t distance = labelOffset(p->label) - p->codeOffset;
        if (p->currentSize == JUMP_SHORT_SIZE) {
          *at = branchOpcode(p->kind);
          putU2(at + 1, static_cast<uint32_t>(distance));
        } else {
          // The opposite condition jumps over a goto_w that starts three bytes further on.
          *at = branchOpcode(invertedBranch(p->kind));
          putU2(at + 1, BRANCH_LONG_SIZE);
          at[3] = OP_GOTO_W;
          putU4(at + 4, static_cast<uint32_t>(distance - 3));
        }
        break;
      }
    }
  }
}

const uint8_t* laidOutCode() {
  MethodCode& c = code();
  if (c.laidOut == nullptr) {
    c.laidOut = arenaNewArray<uint8_t>(&global.genArena, static_cast<size_t>(c.length > 0 ? c.length : 1));
    copyCode(c.laidOut);
  }
  return c.laidOut;
}

void writeCode() {
  putBytes(laidOutCode(), code().length, &classGen.body);
}
