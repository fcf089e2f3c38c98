// The stack effects of the instruction set, one row per sixteen opcodes, and the array access
// opcodes by element kind.
#include "codegen/opcodes.h"

#include "semantic/type_records.h"

const int8_t opcodePops[256] = {
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 0-15
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 16-31
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  2,  2,  // 32-47
     2,  2,  2,  2,  2,  2,  1,  2,  1,  2,  1,  1,  1,  1,  1,  2,  // 48-63
     2,  2,  2,  1,  1,  1,  1,  2,  2,  2,  2,  1,  1,  1,  1,  3,  // 64-79
     4,  3,  4,  3,  3,  3,  3,  1,  2,  1,  2,  3,  2,  3,  4,  2,  // 80-95
     2,  4,  2,  4,  2,  4,  2,  4,  2,  4,  2,  4,  2,  4,  2,  4,  // 96-111
     2,  4,  2,  4,  1,  2,  1,  2,  2,  3,  2,  3,  2,  3,  2,  4,  // 112-127
     2,  4,  2,  4,  0,  1,  1,  1,  2,  2,  2,  1,  1,  1,  2,  2,  // 128-143
     2,  1,  1,  1,  4,  2,  2,  4,  4,  1,  1,  1,  1,  1,  1,  2,  // 144-159
     2,  2,  2,  2,  2,  2,  2,  0,  0,  0,  1,  1,  1,  2,  1,  2,  // 160-175
     1,  0, -1, -1, -1, -1, -1, -1, -1, -1, -1,  0,  1,  1,  1,  1,  // 176-191
     1,  1,  1,  1, -1, -1,  1,  1,  0,  0, -1, -1, -1, -1, -1, -1,  // 192-207
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 208-223
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 224-239
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 240-255
};

const int8_t opcodePushes[256] = {
     0,  1,  1,  1,  1,  1,  1,  1,  1,  2,  2,  1,  1,  1,  2,  2,  // 0-15
     1,  1,  1,  1,  2,  1,  2,  1,  2,  1,  1,  1,  1,  1,  2,  2,  // 16-31
     2,  2,  1,  1,  1,  1,  2,  2,  2,  2,  1,  1,  1,  1,  1,  2,  // 32-47
     1,  2,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 48-63
     0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  // 64-79
     0,  0,  0,  0,  0,  0,  0,  0,  0,  2,  3,  4,  4,  5,  6,  2,  // 80-95
     1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  // 96-111
     1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  1,  2,  // 112-127
     1,  2,  1,  2,  0,  2,  1,  2,  1,  1,  2,  1,  2,  2,  1,  2,  // 128-143
     1,  1,  1,  1,  1,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0,  0,  // 144-159
     0,  0,  0,  0,  0,  0,  0,  0,  1,  0,  0,  0,  0,  0,  0,  0,  // 160-175
     0,  0, -1, -1, -1, -1, -1, -1, -1, -1, -1,  1,  1,  1,  1,  0,  // 176-191
     1,  1,  0,  0, -1,  1,  0,  0,  0,  1, -1, -1, -1, -1, -1, -1,  // 192-207
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 208-223
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 224-239
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 240-255
};

uint8_t arrayLoadOpcode(int32_t kind) {
  switch (kind) {
    case TK_BOOLEAN:
    case TK_BYTE:
      return OP_BALOAD;
    case TK_CHAR:
      return OP_CALOAD;
    case TK_SHORT:
      return OP_SALOAD;
    case TK_INT:
      return OP_IALOAD;
    case TK_LONG:
      return OP_LALOAD;
    case TK_FLOAT:
      return OP_FALOAD;
    case TK_DOUBLE:
      return OP_DALOAD;
    default:
      return OP_AALOAD;
  }
}

uint8_t arrayStoreOpcode(int32_t kind) {
  switch (kind) {
    case TK_BOOLEAN:
    case TK_BYTE:
      return OP_BASTORE;
    case TK_CHAR:
      return OP_CASTORE;
    case TK_SHORT:
      return OP_SASTORE;
    case TK_INT:
      return OP_IASTORE;
    case TK_LONG:
      return OP_LASTORE;
    case TK_FLOAT:
      return OP_FASTORE;
    case TK_DOUBLE:
      return OP_DASTORE;
    default:
      return OP_AASTORE;
  }
}
