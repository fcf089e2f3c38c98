// The current method's line-number table, for the source line shown beside each instruction with -l
// and for the range of lines that -s lists.
#pragma once

#include <cstdint>

#include "dump_state.h"

// Rebuilds the table from the Code attribute whose length field is at `attributePosition`; empty
// unless -l. Keeps the cursor.
void loadLineNumbers(int64_t attributePosition);
// The line of the last entry at or before `pc`, the first entry's line before every entry, 0
// without a table.
int32_t lineForPc(int64_t pc);
// Ascending by pc; equal pcs compare equal, so that sorting keeps their file order.
int comparePc(const LineEntry& a, const LineEntry& b);
