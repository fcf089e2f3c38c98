// Two passes over a method's code: the first marks every pc that a branch, a switch or the
// exception table names, the second lists the instructions with their operands and those marks.
// Both decode through one function, and no instruction is read beyond the end of its code.
#include "disassembler.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "bounded_reader.h"
#include "constant_pool.h"
#include "dump_state.h"
#include "line_numbers.h"
#include "support/instruction_set.h"

namespace {

constexpr char MARK_NONE = ' ';
constexpr char MARK_TARGET = '@';

struct LocalEntry {
  int64_t start;
  int64_t length;
  uint32_t name;
  uint32_t slot;
};

struct Code {
  int64_t start;          // file position of pc 0
  int64_t length;
  int64_t localTable;     // position of the LocalVariableTable's count, or -1
  std::vector<char> marks;
  // The table's entries that lie inside the file, read once for the listing; `localsCut` when
  // its count reaches past the end.
  std::vector<LocalEntry> locals;
  bool localsCut;
};

struct Instruction {
  int64_t pc;        // of the opcode, after a wide prefix
  uint32_t opcode;
  bool wide;
  int64_t length;    // from `pc` to the next instruction, at least 1
  bool complete;     // every byte of it lies inside the code
};

OperandKind operandsOf(uint32_t opcode) {
  return opcodeTable[opcode].operands;
}

bool isLocalAccess(uint32_t opcode) {
  return operandsOf(opcode) == OPERANDS_LOCAL_LOAD || operandsOf(opcode) == OPERANDS_LOCAL_STORE;
}

// Where a switch's table begins: its operands are aligned on a multiple of 4 from pc 0.
int64_t switchTable(const Code& code, int64_t pc) {
  return code.start + pc + 1 + (3 - pc % 4);
}

// Decodes the instruction that begins at `pc`. A switch's entry count comes from the file, so it is
// computed in 64 bits and a negative one counts as none; a table that would pass the end of the
// code makes the instruction incomplete instead of moving the pc anywhere.
Instruction decode(const Code& code, int64_t pc) {
  Instruction insn{pc, 0, false, 1, true};
  dumpSeek(code.start + pc);
  insn.opcode = dumpReadU1();
  if (insn.opcode == OP_WIDE && pc + 1 < code.length) {
    insn.wide = true;
    insn.pc = pc + 1;
    insn.opcode = dumpReadU1();
  }
  int64_t tableLength = opcodeTable[insn.opcode].length;
  if (insn.opcode == OP_TABLESWITCH || insn.opcode == OP_LOOKUPSWITCH) {
    int64_t header = insn.opcode == OP_TABLESWITCH ? 12 : 8;
    int64_t table = switchTable(code, insn.pc);
    if (table + header > code.start + code.length) {
      insn.length = code.length - insn.pc;
      insn.complete = false;
      return insn;
    }
    dumpSeek(table);
    dumpReadS4();  // default
    int64_t entries;
    if (insn.opcode == OP_TABLESWITCH) {
      int64_t low = dumpReadS4();
      int64_t high = dumpReadS4();
      entries = std::max<int64_t>(0, high - low + 1) * 4;
    } else {
      entries = std::max<int64_t>(0, dumpReadS4()) * 8;
    }
    tableLength = table - (code.start + insn.pc) + header + entries;
  } else if (insn.wide && insn.opcode == OP_IINC) {
    tableLength += 2;
  } else if (insn.wide && isLocalAccess(insn.opcode)) {
    tableLength += 1;
  } else if (insn.wide && insn.opcode == OP_WIDE) {
    tableLength = 1;
  }
  insn.length = std::max<int64_t>(1, tableLength);
  // The zero and negative lengths belong to no real instruction: it shows as "??" and the listing
  // moves on by one byte.
  insn.complete = tableLength > 0 && insn.pc + insn.length <= code.length;
  return insn;
}

void mark(Code& code, int64_t pc) {
  if (pc >= 0 && pc < code.length) code.marks[pc] = MARK_TARGET;
}

void markTargets(Code& code, int64_t exceptionTable, uint32_t exceptionCount) {
  for (int64_t pc = 0; pc < code.length;) {
    Instruction insn = decode(code, pc);
    if (!insn.complete) break;
    dumpSeek(code.start + insn.pc + 1);
    if (operandsOf(insn.opcode) == OPERANDS_BRANCH2) {
      mark(code, insn.pc + dumpReadS2());
    } else if (operandsOf(insn.opcode) == OPERANDS_BRANCH4) {
      mark(code, insn.pc + dumpReadS4());
    } else if (insn.opcode == OP_TABLESWITCH || insn.opcode == OP_LOOKUPSWITCH) {
      dumpSeek(switchTable(code, insn.pc));
      mark(code, insn.pc + dumpReadS4());
      int64_t count;
      if (insn.opcode == OP_TABLESWITCH) {
        int64_t low = dumpReadS4();
        count = int64_t{dumpReadS4()} - low + 1;
      } else {
        count = dumpReadS4();
      }
      for (int64_t i = 0; i < count; i++) {
        if (insn.opcode == OP_LOOKUPSWITCH) dumpReadS4();  // match
        mark(code, insn.pc + dumpReadS4());
      }
    }
    pc = insn.pc + insn.length;
  }
  dumpSeek(exceptionTable);
  for (uint32_t i = 0; i < exceptionCount; i++) {
    mark(code, dumpReadU2());  // start
    mark(code, dumpReadU2());  // end
    mark(code, dumpReadU2());  // handler
    dumpReadU2();              // catch type
  }
}

uint32_t bufferU2(int64_t position) {
  return (uint32_t{dump.buffer[position]} << 8) | dump.buffer[position + 1];
}

void readLocals(Code& code) {
  code.locals.clear();
  code.localsCut = false;
  if (code.localTable < 0) return;
  int64_t position = code.localTable;
  if (position > dump.length - 2) {
    code.localsCut = true;
    return;
  }
  uint32_t count = bufferU2(position);
  position += 2;
  for (uint32_t i = 0; i < count; i++, position += 10) {
    if (position > dump.length - 10) {
      code.localsCut = true;
      return;
    }
    code.locals.push_back({bufferU2(position), bufferU2(position + 2), bufferU2(position + 4), bufferU2(position + 8)});
  }
}

// As printLocalName, from the entries read once; where they give out, the reading scan meets the
// end of the file as it would have.
void printSlot(const Code& code, uint32_t slot, int64_t namePc) {
  std::printf("Slot %u", slot);
  if (code.localTable < 0) return;
  for (const LocalEntry& entry : code.locals)
    if (entry.slot == slot && entry.start <= namePc && namePc <= entry.start + entry.length) {
      int64_t saved = dumpPosition();
      std::printf(" ");
      printConstant(entry.name);
      dumpSeek(saved);
      return;
    }
  if (code.localsCut) printLocalName(namePc, slot, code.localTable);
}

const char* const arrayTypeNames[] = {"boolean", "char", "float", "double", "byte", "short", "int", "long"};

void printOperands(const Code& code, const Instruction& insn) {
  uint32_t op = insn.opcode;
  int64_t pc = insn.pc;
  dumpSeek(code.start + pc + 1);
  switch (operandsOf(op)) {
    case OPERANDS_NONE:
      break;
    case OPERANDS_SIGNED_BYTE:
      std::printf("%d", static_cast<int8_t>(dumpReadU1()));
      break;
    case OPERANDS_SIGNED_SHORT:
      std::printf("%d", dumpReadS2());
      break;
    case OPERANDS_CONSTANT_INDEX1:
      printConstant(dumpReadU1());
      break;
    case OPERANDS_CONSTANT_INDEX2:
      printConstant(dumpReadU2());
      break;
    case OPERANDS_LOCAL_LOAD:
      printSlot(code, insn.wide ? dumpReadU2() : dumpReadU1(), pc);
      break;
    case OPERANDS_LOCAL_STORE:
      // A local's range begins after the store that gives it its first value: where the
      // instruction ends, two bytes on, or three after a wide prefix.
      printSlot(code, insn.wide ? dumpReadU2() : dumpReadU1(), pc + insn.length);
      break;
    case OPERANDS_IMPLICIT_LOAD:
      printSlot(code, (op - OP_ILOAD_0) % 4, pc);
      break;
    case OPERANDS_IMPLICIT_STORE:
      printSlot(code, (op - OP_ISTORE_0) % 4, pc + insn.length);
      break;
    case OPERANDS_IINC: {
      uint32_t slot = insn.wide ? dumpReadU2() : dumpReadU1();
      int32_t increment = insn.wide ? dumpReadS2() : static_cast<int8_t>(dumpReadU1());
      printSlot(code, slot, pc);
      std::printf(",%d", increment);
      break;
    }
    case OPERANDS_BRANCH2:
      std::printf("%" PRId64 "@", pc + dumpReadS2());
      break;
    case OPERANDS_BRANCH4:
      std::printf("%" PRId64 "@", pc + dumpReadS4());
      break;
    case OPERANDS_TABLESWITCH: {
      dumpSeek(switchTable(code, pc));
      int64_t defaultTarget = pc + dumpReadS4();
      int64_t low = dumpReadS4();
      int64_t high = dumpReadS4();
      std::printf("default %" PRId64 "@: [%" PRId64 "-%" PRId64 "]", defaultTarget, low, high);
      for (int64_t value = low; value <= high; value++) {
        std::printf("\n\t\t\t%6" PRId64 ": %" PRId64 "@", value, pc + dumpReadS4());
      }
      break;
    }
    case OPERANDS_LOOKUPSWITCH: {
      dumpSeek(switchTable(code, pc));
      std::printf("default %" PRId64 "@", pc + dumpReadS4());
      int64_t pairs = dumpReadS4();
      for (int64_t i = 0; i < pairs; i++) {
        int32_t match = dumpReadS4();
        std::printf("\n\t\t\t%6" PRId32 ": %" PRId64 "@", match, pc + dumpReadS4());
      }
      break;
    }
    case OPERANDS_INVOKEINTERFACE: {
      uint32_t index = dumpReadU2();
      std::printf("%u args ", dumpReadU1());
      printConstant(index);
      break;
    }
    case OPERANDS_NEWARRAY: {
      uint32_t type = dumpReadU1();
      if (type >= 4 && type <= 11) {
        std::printf("%s", arrayTypeNames[type - 4]);
      } else {
        std::printf("unknown type: %u", type);
      }
      break;
    }
    case OPERANDS_MULTIANEWARRAY: {
      uint32_t index = dumpReadU2();
      std::printf("dimensions %u ", dumpReadU1());
      printConstant(index);
      break;
    }
    case OPERANDS_WIDE:
      // wide after wide: a one-byte instruction of its own.
      break;
    case OPERANDS_UNDECODED:
    case OPERANDS_NO_INSTRUCTION:
      std::printf("??");
      break;
  }
}

void listCode(Code& code) {
  if (dump.lineNumbers) {
    std::printf("Offset Line\t      ByteCode\n");
    std::printf("------ ----\t      --------\n");
  }
  for (int64_t pc = 0; pc < code.length;) {
    if (dump.lineNumbers) {
      int32_t line = lineForPc(pc);
      if (line != 0) std::printf("%5" PRId64 "@ %4" PRId32, pc, line);
    }
    Instruction insn = decode(code, pc);
    std::string name = opcodeTable[insn.opcode].name;
    if (insn.wide) name += "_w";
    char mark = code.marks[insn.pc];
    if (mark == MARK_NONE) {
      std::printf("\t      %-18s", name.c_str());
    } else {
      std::printf("\t%5" PRId64 "%c%-18s", insn.pc, mark, name.c_str());
    }
    if (insn.complete) {
      printOperands(code, insn);
    } else {
      std::printf("??");
    }
    std::printf("\n");
    pc = insn.pc + insn.length;
  }
  std::printf("\n");
}

void printExceptionTable(int64_t position, uint32_t count) {
  if (count == 0) return;
  std::printf("\t\tException Table (%u)\n\t\t\tStart  End  Handle  Type\n", count);
  dumpSeek(position);
  for (uint32_t i = 0; i < count; i++) {
    uint32_t start = dumpReadU2();
    uint32_t end = dumpReadU2();
    uint32_t handler = dumpReadU2();
    uint32_t type = dumpReadU2();
    std::printf("\t\t\t%5u %5u %5u ", start, end, handler);
    if (type == 0) {
      std::printf("any\n");
    } else {
      std::printf("%s\n", getClassName(type).c_str());
    }
  }
}

void printLineNumberTable(int64_t position) {
  std::printf("\t\tSource Lines\n\t\t\t   pc   line\n");
  dumpSeek(position);
  uint32_t count = dumpReadU2();
  for (uint32_t i = 0; i < count; i++) {
    uint32_t pc = dumpReadU2();
    uint32_t line = dumpReadU2();
    std::printf("\t\t\t%5u %6u\n", pc, line);
  }
}

void printLocalVariableTable(int64_t position) {
  std::printf("\t\tLocal Variables\n\t\t\t   pc range   slot\n");
  dumpSeek(position);
  uint32_t count = dumpReadU2();
  for (uint32_t i = 0; i < count; i++) {
    int64_t start = dumpReadU2();
    int64_t length = dumpReadU2();
    uint32_t name = dumpReadU2();
    uint32_t descriptor = dumpReadU2();
    uint32_t slot = dumpReadU2();
    std::printf("\t\t\t%5" PRId64 "-%-5" PRId64 "  %4u ", start, start + length - 1, slot);
    printConstant(name);
    std::printf("[");
    printConstant(descriptor);
    std::printf("]\n");
  }
}

}  // namespace

void printCode(uint32_t nameIndex, int64_t attributePosition) {
  int64_t saved = dumpPosition();
  loadLineNumbers(attributePosition);
  dumpSeek(attributePosition);
  dumpReadU4();  // attribute length
  uint32_t maxStack = dumpReadU2();
  uint32_t maxLocals = dumpReadU2();
  Code code;
  code.length = dumpReadU4();
  std::printf("\t\tMax stack %u max locals %u %s code len %" PRId64 "\n", maxStack, maxLocals,
              getUtf8(nameIndex).c_str(), code.length);
  code.start = dumpPosition();
  dumpSkipBytes(code.length);
  uint32_t exceptionCount = dumpReadU2();
  int64_t exceptionTable = dumpPosition();
  dumpSkipBytes(int64_t{exceptionCount} * 8);

  uint32_t attributeCount = dumpReadU2();
  int64_t lineTable = -1;
  code.localTable = -1;
  bool listed = false;
  for (uint32_t i = 0; i < attributeCount; i++) {
    std::string name = getUtf8(dumpReadU2());
    uint32_t length = dumpReadU4();
    if (name == "LineNumberTable") {
      lineTable = dumpPosition();
    } else if (name == "LocalVariableTable") {
      code.localTable = dumpPosition();
    } else {
      std::printf("%s '%s'", listed ? "" : "\t\tAttributes", name.c_str());
      listed = true;
    }
    dumpSkipBytes(length);
  }
  std::printf("\n");

  // The skip over the code has shown that all of it is inside the file.
  code.marks.assign(static_cast<size_t>(code.length), MARK_NONE);
  readLocals(code);
  markTargets(code, exceptionTable, exceptionCount);
  listCode(code);
  printExceptionTable(exceptionTable, exceptionCount);
  if (lineTable >= 0) printLineNumberTable(lineTable);
  if (code.localTable >= 0) printLocalVariableTable(code.localTable);
  std::printf("\n");
  dumpSeek(saved);
}

void printLocalName(int64_t pc, uint32_t slot, int64_t tablePosition) {
  int64_t saved = dumpPosition();
  dumpSeek(tablePosition);
  uint32_t count = dumpReadU2();
  for (uint32_t i = 0; i < count; i++) {
    int64_t start = dumpReadU2();
    int64_t length = dumpReadU2();
    uint32_t name = dumpReadU2();
    dumpReadU2();  // descriptor
    uint32_t entrySlot = dumpReadU2();
    if (entrySlot == slot && start <= pc && pc <= start + length) {
      std::printf(" ");
      printConstant(name);
      break;
    }
  }
  dumpSeek(saved);
}
