// The generated tables of the Unicode character classes (tools/gen_unicode_classes.py). A
// character's property word is unicodeProperties[unicodeBlocks[unicodeBlockIndex[c >> 6]][c & 0x3F]];
// unicode_classes.h reads it.
#pragma once

#include <cstdint>

extern const uint8_t unicodeBlockIndex[1024];
extern const uint8_t unicodeBlocks[][64];
extern const uint32_t unicodeProperties[];
