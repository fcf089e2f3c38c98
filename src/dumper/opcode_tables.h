// Mnemonics and lengths of the 256 opcodes, and the opcodes the disassembler treats apart.
#pragma once

#include <cstdint>

extern const char* const opcodeNames[256];
// Lengths in bytes, the opcode included.
extern const int16_t opcodeLengths[256];

constexpr uint32_t OP_BIPUSH = 16;
constexpr uint32_t OP_SIPUSH = 17;
constexpr uint32_t OP_LDC = 18;
constexpr uint32_t OP_LDC_W = 19;
constexpr uint32_t OP_LDC2_W = 20;
constexpr uint32_t OP_ILOAD = 21;
constexpr uint32_t OP_ALOAD = 25;
constexpr uint32_t OP_ILOAD_0 = 26;
constexpr uint32_t OP_ALOAD_3 = 45;
constexpr uint32_t OP_ISTORE = 54;
constexpr uint32_t OP_ASTORE = 58;
constexpr uint32_t OP_ISTORE_0 = 59;
constexpr uint32_t OP_ASTORE_3 = 78;
constexpr uint32_t OP_IINC = 132;
constexpr uint32_t OP_IFEQ = 153;
constexpr uint32_t OP_JSR = 168;
constexpr uint32_t OP_RET = 169;
constexpr uint32_t OP_TABLESWITCH = 170;
constexpr uint32_t OP_LOOKUPSWITCH = 171;
constexpr uint32_t OP_GETSTATIC = 178;
constexpr uint32_t OP_INVOKESTATIC = 184;
constexpr uint32_t OP_INVOKEINTERFACE = 185;
constexpr uint32_t OP_XXXUNUSEDXXX = 186;
constexpr uint32_t OP_NEW = 187;
constexpr uint32_t OP_NEWARRAY = 188;
constexpr uint32_t OP_ANEWARRAY = 189;
constexpr uint32_t OP_CHECKCAST = 192;
constexpr uint32_t OP_INSTANCEOF = 193;
constexpr uint32_t OP_WIDE = 196;
constexpr uint32_t OP_MULTIANEWARRAY = 197;
constexpr uint32_t OP_IFNULL = 198;
constexpr uint32_t OP_IFNONNULL = 199;
constexpr uint32_t OP_GOTO_W = 200;
constexpr uint32_t OP_JSR_W = 201;
