// The constant pool: its offset index, its listing, and the texts that stand for references into
// it. A bad reference never stops a dump; it yields a bracketed text and sets the error flag.
#pragma once

#include <cstdint>
#include <string>

#include "support/class_file_format.h"

// Walks `count` - 1 constants from the cursor and records where each begins. An unknown tag prints
// its line and the pool as far as it was read, sets the error flag and returns false.
bool indexConstantPool(uint32_t count);

// Each keeps the cursor where it was.
void printConstantPool();
void printConstant(uint32_t index);
std::string getUtf8(uint32_t index);
std::string getClassName(uint32_t index);
std::string getNameAndType(uint32_t index);
// True when `index` names a Utf8 constant, so that getUtf8 gives its text and not a complaint.
bool isUtf8(uint32_t index);
