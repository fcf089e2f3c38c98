// The listing of one method's Code attribute: header, bytecode with every branch target and
// exception-range boundary marked, exception table, line numbers and local variables.
#pragma once

#include <cstdint>

// Prints the Code attribute whose length field is at `attributePosition`, for the method named by
// the Utf8 constant `nameIndex`. Keeps the cursor.
void printCode(uint32_t nameIndex, int64_t attributePosition);
// Prints " " and the name of the first local in the LocalVariableTable at `tablePosition` that
// lives in `slot` at `pc`, both ends of its range included; nothing when there is none.
void printLocalName(int64_t pc, uint32_t slot, int64_t tablePosition);
