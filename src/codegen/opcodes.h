// The instruction set of class files version 45.3 as the code generator sees it: the opcodes and
// their lengths of the shared table, and what each takes from and leaves on the operand stack.
// Statement and expression generation emit these names; the stack-depth pass reads the tables.
#pragma once

#include <array>
#include <cstdint>

#include "support/instruction_set.h"

// Length in bytes, the opcode included, of the instructions the generator emits; 0 for an opcode
// whose length depends on its operands (tableswitch, lookupswitch, wide) and for the numbers that
// are no instruction of a class file.
inline constexpr std::array<int8_t, 256> instructionLengths = [] {
  std::array<int8_t, 256> lengths{};
  for (int32_t op = 0; op <= LAST_OPCODE; op++) lengths[op] = opcodeTable[op].length;
  return lengths;
}();

// Stack words taken and left by each instruction; -1 where the operands decide (field and invoke
// instructions by their descriptor, multianewarray by its dimension count, wide by the
// instruction it widens). Numbers that are no instruction have -1 in both.
extern const int8_t opcodePops[256];
extern const int8_t opcodePushes[256];

// The array load and store instructions for an element of the type kind (TK_*): boolean shares
// byte's, every reference type aaload and aastore.
uint8_t arrayLoadOpcode(int32_t kind);
uint8_t arrayStoreOpcode(int32_t kind);
