// The constant pool: its offset index, its listing, and the texts that stand for references into
// it. A bad reference never stops a dump; it yields a bracketed text and sets the error flag.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t CONSTANT_UTF8 = 1;
constexpr uint32_t CONSTANT_INTEGER = 3;
constexpr uint32_t CONSTANT_FLOAT = 4;
constexpr uint32_t CONSTANT_LONG = 5;
constexpr uint32_t CONSTANT_DOUBLE = 6;
constexpr uint32_t CONSTANT_CLASS = 7;
constexpr uint32_t CONSTANT_STRING = 8;
constexpr uint32_t CONSTANT_FIELD = 9;
constexpr uint32_t CONSTANT_METHOD = 10;
constexpr uint32_t CONSTANT_INTERFACE_METHOD = 11;
constexpr uint32_t CONSTANT_NAME_AND_TYPE = 12;

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
