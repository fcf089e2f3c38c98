// The code generator and the dumper read one table of the instruction set. Every instruction the
// generator may emit, given operands of its kind, is listed under its name and ends where the
// generator's length says: the return after it is the next line of the listing.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "class_builder.h"
#include "codegen/opcodes.h"
#include "gorblet_process.h"
#include "support/instruction_set.h"

namespace {

constexpr uint8_t RETURN_BYTE = OP_RETURN;

// The instruction at pc 0 with operands of its kind; a branch or switch names the return after it.
Bytes instructionWithOperands(ClassBuilder& c, uint8_t op) {
  Bytes code;
  code.u1(op);
  switch (opcodeTable[op].operands) {
    case OPERANDS_SIGNED_BYTE:
    case OPERANDS_LOCAL_LOAD:
    case OPERANDS_LOCAL_STORE:
      code.u1(1);
      break;
    case OPERANDS_NEWARRAY:
      code.u1(10);  // int
      break;
    case OPERANDS_SIGNED_SHORT:
      code.u2(300);
      break;
    case OPERANDS_CONSTANT_INDEX1:
      code.u1(c.integer(7));
      break;
    case OPERANDS_CONSTANT_INDEX2:
      code.u2(c.methodRef("A", "m", "()V"));
      break;
    case OPERANDS_IINC:
      code.u1(1).u1(2);
      break;
    case OPERANDS_BRANCH2:
      code.u2(3);
      break;
    case OPERANDS_BRANCH4:
      code.u4(5);
      break;
    case OPERANDS_TABLESWITCH:
      code.u1(0).u1(0).u1(0).u4(20).u4(1).u4(1).u4(20);  // padded to pc 4; one entry
      break;
    case OPERANDS_LOOKUPSWITCH:
      code.u1(0).u1(0).u1(0).u4(20).u4(1).u4(9).u4(20);  // one pair
      break;
    case OPERANDS_INVOKEINTERFACE:
      code.u2(c.interfaceMethodRef("java/lang/Runnable", "run", "()V")).u1(1).u1(0);
      break;
    case OPERANDS_MULTIANEWARRAY:
      code.u2(c.classRef("[[I")).u1(2);
      break;
    case OPERANDS_WIDE:
      code.u1(OP_IINC).u2(300).u2(2);
      break;
    default:
      break;
  }
  return code;
}

// The mnemonics of a listing block: its instruction lines, indented six places or by a target's pc
// and mark.
std::vector<std::string> mnemonics(const std::string& block) {
  std::vector<std::string> names;
  static const std::regex line(R"(^\t(?: {6}|\s*\d+@)([a-z_0-9?]+))");
  std::istringstream lines(block);
  std::string text;
  std::smatch match;
  while (std::getline(lines, text))
    if (std::regex_search(text, match, line)) names.push_back(match[1]);
  return names;
}

TEST(InstructionSet, EveryInstructionOfTheGeneratorIsListedByNameAndLength) {
  ClassBuilder c;
  std::vector<uint8_t> opcodes;
  for (int32_t op = 0; op <= LAST_OPCODE; op++) {
    OperandKind kind = opcodeTable[op].operands;
    if (kind == OPERANDS_NO_INSTRUCTION) continue;
    // The generator's own length: fixed, or decided by the operands.
    bool variable = kind == OPERANDS_TABLESWITCH || kind == OPERANDS_LOOKUPSWITCH || kind == OPERANDS_WIDE;
    ASSERT_EQ(instructionLengths[op] == 0, variable) << opcodeTable[op].name;
    Bytes code = instructionWithOperands(c, static_cast<uint8_t>(op));
    if (!variable) {
      ASSERT_EQ(code.size(), static_cast<size_t>(instructionLengths[op])) << opcodeTable[op].name;
    }
    code.u1(RETURN_BYTE);
    c.method(0x8, "m" + std::to_string(op), "()V", {c.code(4, 4, code)});
    opcodes.push_back(static_cast<uint8_t>(op));
  }
  std::string directory = freshDirectory("instruction_set");
  writeFile(directory + "/A.class", c.build());
  ProcessResult result = runGorblet({"A.class"}, directory);
  ASSERT_EQ(result.status, 0) << result.err;

  // One block per method, in order, each from its "Max stack" line to the next.
  std::vector<std::string> blocks;
  for (size_t at = result.out.find("\t\tMax stack"); at != std::string::npos;) {
    size_t next = result.out.find("\t\tMax stack", at + 1);
    blocks.push_back(result.out.substr(at, next == std::string::npos ? std::string::npos : next - at));
    at = next;
  }
  ASSERT_EQ(blocks.size(), opcodes.size());
  for (size_t i = 0; i < opcodes.size(); i++) {
    uint8_t op = opcodes[i];
    std::string name = opcodeTable[op].name;
    if (op == OP_WIDE) name = "iinc_w";
    std::vector<std::string> expected{name, "return"};
    EXPECT_EQ(mnemonics(blocks[i]), expected) << blocks[i];
  }
}

// A few names as javap and the Java virtual machine spell them, so that a row of the table that
// slipped by one shows.
TEST(InstructionSet, NamesAreTheStandardOnesAtTheirNumbers) {
  struct Case {
    int opcode;
    const char* name;
  };
  const Case cases[] = {{0x00, "nop"},        {0x12, "ldc"},           {0x2a, "aload_0"},      {0x4e, "astore_3"},
                        {0x5f, "swap"},       {0x84, "iinc"},          {0x94, "lcmp"},         {0xa6, "if_acmpne"},
                        {0xaa, "tableswitch"}, {0xb9, "invokeinterface"}, {0xbb, "new"},       {0xc5, "multianewarray"},
                        {0xc9, "jsr_w"}};
  for (const Case& c : cases) EXPECT_STREQ(opcodeTable[c.opcode].name, c.name) << c.opcode;
}

}  // namespace
