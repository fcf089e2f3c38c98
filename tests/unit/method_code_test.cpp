// The staged method code, built by hand through its interface and checked by decoding the laid-out
// bytes: jumps around the edges of the short range forward and back, conditional branches in
// their long form, switch padding in every alignment and grown by relaxation, line and local
// entries, the stack depth of finished code, and the tables of a Code attribute.
#include <cstring>
#include <string>
#include <vector>

#include "codegen/class_file_writer.h"
#include "codegen/class_gen_state.h"
#include "codegen/constant_pool.h"
#include "codegen/expression_depth.h"
#include "codegen/method_code.h"
#include "codegen/opcodes.h"
#include "codegen/output_buffers.h"
#include "codegen/stack_depth.h"
#include "support/source_file.h"
#include "semantic/class_records.h"
#include "semantic/class_table.h"
#include "semantic/expression_nodes.h"
#include "semantic/statement_lists.h"
#include "semantic/type_records.h"
#include "support/arena.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/message_file.h"
#include "syntax/scanner.h"
#include "support/parser_context.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

int32_t s2(const uint8_t* at) {
  return static_cast<int16_t>((at[0] << 8) | at[1]);
}

int32_t s4(const uint8_t* at) {
  return static_cast<int32_t>((static_cast<uint32_t>(at[0]) << 24) | (at[1] << 16) | (at[2] << 8) | at[3]);
}

class MethodCodeTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    global.ctx = ParserContext{};
    beginClassGenState(nullptr);
    initMethodCode(nullptr);
  }

  StmtNode* label() {
    auto* node = arenaNew<StmtNode>(&global.tempArena);
    node->kind = ST_LABEL;
    return node;
  }

  void filler(int32_t count) {
    for (int32_t i = 0; i < count; i++) emitByte(OP_NOP);
  }

  Bytes layOut() {
    int32_t length = resolveJumps();
    const uint8_t* code = laidOutCode();
    return Bytes(code, code + length);
  }

  // Where the jump at `at` (goto, jsr, a conditional branch or its long form) lands.
  static int32_t jumpTarget(const Bytes& code, int32_t at) {
    uint8_t op = code[at];
    if (op == OP_GOTO_W || op == OP_JSR_W) return at + s4(&code[at + 1]);
    if (s2(&code[at + 1]) == BRANCH_LONG_SIZE && code[at + 3] == OP_GOTO_W) return at + 3 + s4(&code[at + 4]);
    return at + s2(&code[at + 1]);
  }
};

TEST_F(MethodCodeTest, JumpsShrinkWhenTheyFitInTheLayoutThatMeasuresThem) {
  // A forward jump is measured while it is still long, so its target lies two bytes (five for a
  // conditional branch) further than in the short form; a backward one is measured exactly.
  struct Case {
    const char* name;
    int32_t kind;  // PIECE_GOTO, PIECE_JSR or a branch kind
    bool forward;
    int32_t fillerBytes;
    uint8_t expectedOpcode;
    int32_t expectedSize;
  };
  const Case cases[] = {
      {"goto 32767 ahead while long", PIECE_GOTO, true, 32762, OP_GOTO, 3},
      {"goto 32768 ahead while long", PIECE_GOTO, true, 32763, OP_GOTO_W, 5},
      {"goto 32768 back", PIECE_GOTO, false, 32768, OP_GOTO, 3},
      {"goto 32769 back", PIECE_GOTO, false, 32769, OP_GOTO_W, 5},
      {"jsr 32768 ahead while long", PIECE_JSR, true, 32763, OP_JSR_W, 5},
      {"jsr 32768 back", PIECE_JSR, false, 32768, OP_JSR, 3},
      {"ifeq 32767 ahead while long", PIECE_IFEQ, true, 32759, OP_IFEQ, 3},
      {"ifeq 32768 ahead while long", PIECE_IFEQ, true, 32760, OP_IFNE, 8},
      {"if_icmplt 32768 back", PIECE_IF_ICMPLT, false, 32768, OP_IF_ICMPLT, 3},
      {"if_icmplt 32769 back", PIECE_IF_ICMPLT, false, 32769, OP_IF_ICMPGE, 8},
      {"ifnull 40000 ahead", PIECE_IFNULL, true, 40000, OP_IFNONNULL, 8},
      {"if_acmpeq 70000 back", PIECE_IF_ACMPEQ, false, 70000, OP_IF_ACMPNE, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    StmtNode* target = label();
    auto jump = [&] {
      if (c.kind == PIECE_GOTO)
        emitGoto(target);
      else if (c.kind == PIECE_JSR)
        emitJsr(target);
      else
        emitBranch(c.kind, target);
    };
    int32_t jumpAt = 0;
    if (c.forward) {
      jump();
      filler(c.fillerBytes);
      placeLabel(target);
    } else {
      placeLabel(target);
      filler(c.fillerBytes);
      jumpAt = c.fillerBytes;
      jump();
    }
    emitByte(OP_RETURN);
    Bytes code = layOut();
    ASSERT_EQ(static_cast<int32_t>(code.size()), c.fillerBytes + c.expectedSize + 1);
    EXPECT_EQ(code[jumpAt], c.expectedOpcode);
    EXPECT_EQ(jumpTarget(code, jumpAt), labelOffset(target));
    EXPECT_EQ(labelOffset(target), c.forward ? c.expectedSize + c.fillerBytes : 0);
    EXPECT_TRUE(target->targeted);
  }
}

TEST_F(MethodCodeTest, SwitchPaddingFollowsTheOpcodesAlignment) {
  for (int32_t before = 0; before < 8; before++) {
    SCOPED_TRACE("switch opcode at " + std::to_string(before));
    SetUp();
    StmtNode* defaultLabel = label();
    StmtNode* caseLabel = label();
    filler(before);
    emitByte(OP_TABLESWITCH);
    CodePiece* pad = emitSwitchPad();
    emitSwitchOffset(pad, defaultLabel);
    emitInt(5);
    emitInt(5);
    emitSwitchOffset(pad, caseLabel);
    placeLabel(caseLabel);
    emitByte(OP_NOP);
    placeLabel(defaultLabel);
    emitByte(OP_RETURN);
    Bytes code = layOut();
    int32_t padding = (4 - (before + 1) % 4) % 4;
    int32_t operands = before + 1 + padding;
    EXPECT_EQ(operands % 4, 0);
    for (int32_t i = before + 1; i < operands; i++) EXPECT_EQ(code[i], 0);
    ASSERT_EQ(static_cast<int32_t>(code.size()), operands + 16 + 2);
    EXPECT_EQ(before + s4(&code[operands]), labelOffset(defaultLabel));
    EXPECT_EQ(s4(&code[operands + 4]), 5);
    EXPECT_EQ(before + s4(&code[operands + 12]), labelOffset(caseLabel));
    EXPECT_EQ(labelOffset(caseLabel), operands + 16);
  }
}

TEST_F(MethodCodeTest, AShortJumpThatGrownPaddingPutsOutOfRangeGoesLongAgain) {
  // Pass one: every jump long; the ifeq and the goto both fit and shrink. That moves the switch
  // back by seven bytes, its padding grows from 0 to 3, and the goto's target, behind the switch,
  // ends one byte past the short range.
  StmtNode* near = label();
  StmtNode* far = label();
  emitBranch(PIECE_IFEQ, near);
  placeLabel(near);
  emitGoto(far);
  filler(32742);
  emitByte(OP_TABLESWITCH);
  CodePiece* pad = emitSwitchPad();
  emitSwitchOffset(pad, far);
  emitInt(0);
  emitInt(0);
  emitSwitchOffset(pad, far);
  filler(3);
  placeLabel(far);
  emitByte(OP_RETURN);
  Bytes code = layOut();
  EXPECT_EQ(code[0], OP_IFEQ);
  EXPECT_EQ(jumpTarget(code, 0), labelOffset(near));
  EXPECT_EQ(code[3], OP_GOTO_W);
  EXPECT_EQ(jumpTarget(code, 3), labelOffset(far));
  int32_t switchAt = 8 + 32742;
  EXPECT_EQ(code[switchAt], OP_TABLESWITCH);
  int32_t operands = switchAt + 1 + (4 - (switchAt + 1) % 4) % 4;
  EXPECT_EQ(switchAt + s4(&code[operands]), labelOffset(far));
  EXPECT_EQ(switchAt + s4(&code[operands + 12]), labelOffset(far));
}

TEST_F(MethodCodeTest, StagedBytesSpanManyPiecesUnchanged) {
  Bytes expected;
  StmtNode* start = label();
  placeLabel(start);
  for (int32_t i = 0; i < 1000; i++) {
    emitByte(OP_ICONST_0 + i % 5);
    expected.push_back(static_cast<uint8_t>(OP_ICONST_0 + i % 5));
  }
  emitShort(0x1234);
  emitInt(0x56789ABC);
  for (uint8_t b : {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}) expected.push_back(b);
  Bytes code = layOut();
  EXPECT_EQ(code, expected);
  EXPECT_EQ(resolveJumps(), 1006);
}

TEST_F(MethodCodeTest, LinesKeepOneEntryPerPositionAndPerRun) {
  global.lineNumbers = 1;
  initMethodCode(nullptr);
  addLineNumber(10);
  addLineNumber(10);
  emitByte(OP_NOP);
  addLineNumber(11);
  addLineNumber(12);  // same position: the larger line stays
  emitByte(OP_NOP);
  addLineNumber(12);  // same line as the last entry
  emitByte(OP_NOP);
  addLineNumber(13);
  emitByte(OP_RETURN);
  resolveJumps();
  std::vector<std::pair<int32_t, int32_t>> lines;
  for (const LineNumberEntry* e = classGen.code.firstLine; e != nullptr; e = e->next)
    lines.emplace_back(codePosition(e->piece, e->offset), e->line);
  EXPECT_EQ(lines, (std::vector<std::pair<int32_t, int32_t>>{{0, 10}, {1, 12}, {3, 13}}));

  global.lineNumbers = 0;
  initMethodCode(nullptr);
  addLineNumber(5);
  EXPECT_EQ(classGen.code.lineCount, 0) << "-g:nodebug keeps no line";
}

TEST_F(MethodCodeTest, AnInstanceMethodsReceiverCoversTheWholeCodeWithDebugTables) {
  global.lineNumbers = 1;
  global.localVariableTables = 1;
  Member* method = newMemberOfKind(&global.mainArena, MK_METHOD);
  method->line = 7;
  global.ctx.currentMethod = method;
  initMethodCode(nullptr);
  emitByte(OP_RETURN);
  Bytes code = layOut();
  EXPECT_EQ(code, (Bytes{OP_NOP, OP_RETURN})) << "the declaration line has an instruction of its own";
  const LocalVariableEntry* self = classGen.code.firstLocal;
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->variable, nullptr);
  EXPECT_EQ(codePosition(self->startPiece, self->startOffset), 0);
  EXPECT_EQ(self->endPiece, nullptr) << "never ended: runs to the end of the code";
  ASSERT_NE(classGen.code.firstLine, nullptr);
  EXPECT_EQ(classGen.code.firstLine->line, 7);

  method->modifiers = M_STATIC;
  initMethodCode(nullptr);
  EXPECT_EQ(classGen.code.firstLocal, nullptr) << "a static method has no receiver";
}

// The Code attribute after its length, read back: max_stack, max_locals, the code, the exception
// table and the names of the attributes with their entry counts.
struct CodeAttribute {
  int32_t maxStack;
  int32_t maxLocals;
  Bytes code;
  std::vector<std::vector<int32_t>> exceptions;
  std::vector<int32_t> lineStarts;
  std::vector<int32_t> localStarts;
  std::vector<int32_t> localLengths;
};

CodeAttribute readCodeAttribute(const Bytes& b) {
  auto u2 = [&](size_t at) { return (b[at] << 8) | b[at + 1]; };
  auto u4 = [&](size_t at) { return static_cast<int32_t>((u2(at) << 16) | u2(at + 2)); };
  CodeAttribute a;
  a.maxStack = u2(0);
  a.maxLocals = u2(2);
  int32_t length = u4(4);
  a.code.assign(b.begin() + 8, b.begin() + 8 + length);
  size_t at = 8 + length;
  int32_t exceptions = u2(at);
  at += 2;
  for (int32_t i = 0; i < exceptions; i++, at += 8) a.exceptions.push_back({u2(at), u2(at + 2), u2(at + 4), u2(at + 6)});
  int32_t attributes = u2(at);
  at += 2;
  for (int32_t i = 0; i < attributes; i++) {
    const Utf8Entry* name = poolSlot(u2(at)).utf8;
    std::string text;
    if (name != nullptr) text.assign(reinterpret_cast<const char*>(utf8EntryBytes(name)), name->length);
    int32_t size = u4(at + 2);
    int32_t count = u2(at + 6);
    for (int32_t e = 0; e < count; e++) {
      size_t entry = at + 8 + static_cast<size_t>(e) * (text == "LineNumberTable" ? 4 : 10);
      if (text == "LineNumberTable") a.lineStarts.push_back(u2(entry));
      if (text == "LocalVariableTable") {
        a.localStarts.push_back(u2(entry));
        a.localLengths.push_back(u2(entry + 2));
      }
    }
    at += 6 + size;
  }
  EXPECT_EQ(at, b.size()) << "the attribute ends where its parts end";
  return a;
}

TEST_F(MethodCodeTest, TheCodeTablesLeaveOutWhatStartsAtTheEndOfTheCode) {
  global.lineNumbers = 1;
  global.localVariableTables = 1;
  initMethodCode(nullptr);
  auto variable = [](const char* name, int16_t slot) {
    Member* v = newMemberOfKind(&global.tempArena, MK_VARIABLE);
    v->name = enterName(name, T_IDENTIFIER);
    v->type = &intType;
    v->slot = slot;
    return v;
  };
  Member* early = variable("early", 1);
  Member* late = variable("late", 2);
  StmtNode* start = label();
  StmtNode* end = label();
  StmtNode* handler = label();
  StmtNode* empty = label();
  addLineNumber(3);
  addLocalVariable(early);
  placeLabel(start);
  placeLabel(empty);
  emitByte(OP_ACONST_NULL);
  emitByte(OP_ATHROW);
  placeLabel(end);
  placeLabel(handler);
  addLineNumber(4);
  emitByte(OP_ASTORE_1);
  emitByte(OP_RETURN);
  // Past the last instruction: a line and a variable with nothing to start at.
  addLineNumber(5);
  addLocalVariable(late);
  addExceptionRegion(start, end, handler, nullptr);
  addExceptionRegion(empty, empty, handler, nullptr);
  int32_t length = resolveJumps();
  classGen.maxLocals = 3;
  writeCodeAttributeBody(nullptr, length);
  Bytes written(static_cast<size_t>(bufferLength(&classGen.body)));
  int32_t offset = 0;
  copyBuffer(&classGen.body, written.data(), &offset);
  CodeAttribute a = readCodeAttribute(written);
  EXPECT_EQ(a.maxStack, 1);
  EXPECT_EQ(a.maxLocals, 3);
  EXPECT_EQ(a.code, (Bytes{OP_ACONST_NULL, OP_ATHROW, OP_ASTORE_1, OP_RETURN}));
  EXPECT_EQ(a.exceptions, (std::vector<std::vector<int32_t>>{{0, 2, 2, 0}})) << "the empty region has no entry";
  EXPECT_EQ(a.lineStarts, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(a.localStarts, (std::vector<int32_t>{0}));
  EXPECT_EQ(a.localLengths, (std::vector<int32_t>{4}));
}

TEST_F(MethodCodeTest, CodeOrLocalsPastTheirLimitAreErrorsOfTheClassSourceFile) {
  // A class whose method has more code than the virtual machine loads is not written: the error
  // marks its source file, which the writer checks before it makes a file.
  initMessageTable(1);
  sortMessages();
  auto* source = arenaNew<SourceFile>(&global.mainArena);
  source->name = mainArenaCopy("A.java");
  ClassDef* cls = newClassDef(CLASS_KIND_CLASS, nullptr);
  cls->sourceFile = source;
  beginClassGenState(cls);
  initMethodCode(nullptr);
  filler(MAX_CODE_LENGTH);
  emitByte(OP_RETURN);
  int32_t length = resolveJumps();
  classGen.maxLocals = 70000;
  testing::internal::CaptureStderr();
  writeCodeAttributeBody(nullptr, length);
  std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed,
            "quorvelix: A.java: exceeded.max.locals\n"
            "quorvelix: A.java: exceeded.max.code\n");
  EXPECT_EQ(global.errorCount, 2);
  EXPECT_NE(source->flags & SOURCE_HAS_ERRORS, 0u);
}

class StackDepthTest : public MethodCodeTest {
 protected:
  int32_t depthOf(const Bytes& code, const ExceptionRegion* regions = nullptr) {
    return codeStackDepth(code.data(), static_cast<int32_t>(code.size()), regions);
  }

  uint16_t reference(uint8_t tag, const char* descriptor) {
    uint16_t owner = addMemberRefIndexes(CONSTANT_CLASS, addUtf8("Owner"), 0);
    return addMemberRefIndexes(tag, owner, addNameAndTypeIndexes(addUtf8("m"), addUtf8(descriptor)));
  }
};

TEST_F(StackDepthTest, TheDepthOfStraightCodeBranchesAndSubroutines) {
  uint16_t call = reference(CONSTANT_METHOD, "(J[ILjava/lang/String;)D");
  uint16_t wideField = reference(CONSTANT_FIELD, "J");
  uint8_t callHigh = static_cast<uint8_t>(call >> 8);
  uint8_t callLow = static_cast<uint8_t>(call);
  uint8_t fieldHigh = static_cast<uint8_t>(wideField >> 8);
  uint8_t fieldLow = static_cast<uint8_t>(wideField);
  struct Case {
    const char* name;
    Bytes code;
    int32_t depth;
  };
  const std::vector<Case> cases = {
      {"empty-handed return", {OP_RETURN}, 0},
      {"dup_x2 under three words", {OP_ICONST_0, OP_ICONST_0, OP_ICONST_0, OP_DUP_X2, OP_POP2, OP_POP2, OP_RETURN}, 4},
      {"dup2_x2 under four words",
       {OP_LCONST_0, OP_LCONST_0, OP_DUP2_X2, OP_POP2, OP_POP2, OP_POP2, OP_RETURN}, 6},
      {"a static call takes its arguments and leaves a double",
       {OP_LCONST_0, OP_ACONST_NULL, OP_ACONST_NULL, OP_INVOKESTATIC, callHigh, callLow, OP_DUP2, OP_POP2, OP_POP2,
        OP_RETURN},
       4},
      {"a virtual call takes its receiver too",
       {OP_ACONST_NULL, OP_LCONST_0, OP_ACONST_NULL, OP_ACONST_NULL, OP_INVOKEVIRTUAL, callHigh, callLow, OP_POP2,
        OP_RETURN},
       5},
      {"getstatic of a long", {OP_GETSTATIC, fieldHigh, fieldLow, OP_ICONST_0, OP_POP, OP_POP2, OP_RETURN}, 3},
      {"putfield takes the object and the value",
       {OP_ACONST_NULL, OP_LCONST_0, OP_PUTFIELD, fieldHigh, fieldLow, OP_ICONST_0, OP_POP, OP_RETURN}, 3},
      {"only the taken branch is deep",
       {OP_ICONST_0, OP_IFEQ, 0, 5, OP_ICONST_0, OP_RETURN, OP_LCONST_0, OP_LCONST_0, OP_POP2, OP_POP2, OP_RETURN}, 4},
      {"a subroutine starts with its return address",
       {OP_JSR, 0, 4, OP_RETURN, OP_ICONST_0, OP_POP, OP_ASTORE_1, OP_RET, 1}, 2},
      {"code after a goto that nothing reaches",
       {OP_GOTO, 0, 4, OP_LCONST_0, OP_RETURN}, 0},
      {"a tableswitch reaches every target",
       {OP_ICONST_0, OP_TABLESWITCH, 0, 0, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 23, 0, 0, 0, 25,
        OP_RETURN, OP_RETURN, OP_DCONST_0, OP_DCONST_0, OP_DCONST_0, OP_RETURN},
       6},
      {"multianewarray takes its dimensions",
       {OP_ICONST_0, OP_ICONST_0, OP_ICONST_0, OP_MULTIANEWARRAY, 0, 1, 3, OP_ICONST_0, OP_POP2, OP_RETURN}, 3},
      {"wide loads and iinc", {OP_WIDE, OP_DLOAD, 1, 0, OP_WIDE, OP_IINC, 1, 0, 0, 1, OP_POP2, OP_RETURN}, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(depthOf(c.code), c.depth) << c.name;
}

TEST_F(StackDepthTest, AHandlerIsEnteredHoldingItsException) {
  // try { } catch (x) { ... } over a region that covers code, and a synchronized body's
  // catch-all, which keeps the monitor object while it rethrows.
  StmtNode* start = label();
  StmtNode* end = label();
  StmtNode* handler = label();
  placeLabel(start);
  emitByte(OP_ALOAD_0);
  emitByte(OP_MONITOREXIT);
  emitByte(OP_RETURN);
  placeLabel(end);
  placeLabel(handler);
  emitByte(OP_ALOAD_0);  // the monitor object above the exception
  emitByte(OP_MONITOREXIT);
  emitByte(OP_ATHROW);
  addExceptionRegion(start, end, handler, nullptr);
  Bytes code = layOut();
  EXPECT_EQ(depthOf(code, classGen.code.firstRegion), 2);
  EXPECT_EQ(depthOf(code), 1) << "unreached, the handler adds nothing";

  SetUp();
  StmtNode* none = label();
  placeLabel(none);
  emitByte(OP_RETURN);
  StmtNode* unused = label();
  placeLabel(unused);
  emitByte(OP_ACONST_NULL);
  emitByte(OP_ATHROW);
  addExceptionRegion(none, none, unused, nullptr);
  Bytes empty = layOut();
  EXPECT_EQ(depthOf(empty, classGen.code.firstRegion), 0) << "a region over no code has no handler";
}

TEST_F(StackDepthTest, BadCodeEndsItsPathWithoutReadingPastTheEnd) {
  const Bytes cases[] = {
      {OP_GOTO, 0x7F},
      {OP_TABLESWITCH, 0, 0},
      {OP_LOOKUPSWITCH, 0, 0, 0, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF},
      {OP_ICONST_0, OP_GOTO, 0xFF, 0xFF},
      {OP_INVOKESTATIC, 0x7F, 0x7F, OP_RETURN},
      {186, OP_RETURN},
      {OP_WIDE},
  };
  for (const Bytes& code : cases) EXPECT_GE(depthOf(code), 0);
}

// The depth check counts the levels the walks recurse through: a left operand of a chain
// operator is no level however long the chain, any other operand is one. The parser cannot build
// trees deep enough to meet the limit any more, so they are built here.
TEST_F(MethodCodeTest, ExpressionDepthCountsNestingNotChains) {
  initMessageTable(1);
  sortMessages();
  auto leaf = [] { return newExprNode(O_ID, 1, 0); };
  // `links` nodes of `op`, each holding the tree so far as its left operand (or, for a unary
  // operator, its only one) beside a leaf.
  auto chain = [&](int32_t op, int32_t links, ExprNode* first) {
    ExprNode* tree = first;
    for (int32_t i = 0; i < links; i++) {
      ExprNode* node = newExprNode(op, 1, 0);
      node->left = tree;
      if (op != O_NEG) node->right = leaf();
      tree = node;
    }
    return tree;
  };
  struct Case {
    const char* name;
    ExprNode* tree;
    bool tooDeep;
  } cases[] = {
      {"a chain of 100,000 additions", chain(O_ADD, 100000, leaf()), false},
      {"100,000 arguments", chain(O_ARG, 100000, leaf()), false},
      {"100,000 comparisons", chain(O_EQ, 100000, leaf()), false},
      {"8,191 levels and their leaf", chain(O_NEG, MAX_EXPRESSION_DEPTH - 1, leaf()), false},
      {"8,192 levels and their leaf", chain(O_NEG, MAX_EXPRESSION_DEPTH, leaf()), true},
      {"a long chain below 8,191 levels", chain(O_ADD, 50000, chain(O_NEG, MAX_EXPRESSION_DEPTH - 1, leaf())), false},
      {"8,192 levels below a long chain", chain(O_NEG, 1, chain(O_SUB, 50000, chain(O_NEG, MAX_EXPRESSION_DEPTH - 1, leaf()))),
       true},
  };
  for (const Case& c : cases) {
    auto* statement = arenaNew<StmtNode>(&global.tempArena);
    statement->expression = c.tree;
    testing::internal::CaptureStderr();
    EXPECT_EQ(hasTooDeepExpression(statement, nullptr), c.tooDeep) << c.name;
    testing::internal::GetCapturedStderr();
  }
}

}  // namespace
