// Big-endian reads at the cursor of the file in memory. Every read and skip is checked against the
// file's length in 64-bit arithmetic; one that would leave the buffer prints its line and ends the
// program with status 1, so no printer ever sees a byte that is not there.
#pragma once

#include <cstdint>

uint32_t dumpReadU1();
// The unsigned value: counts, indexes, flags and lengths of the format are all unsigned.
uint32_t dumpReadU2();
// Branch offsets and sipush operands, sign-extended from 16 bits.
int32_t dumpReadS2();
uint32_t dumpReadU4();
int32_t dumpReadS4();
// Two four-byte words, the high one first.
int64_t dumpReadLong();
double dumpReadDouble();
// A negative count, or one that reaches past the end, is a read past the buffer.
void dumpSkipBytes(int64_t n);

int64_t dumpPosition();
// Moves the cursor to a position taken earlier from dumpPosition; the next read checks it.
void dumpSeek(int64_t position);
