// Which 16-bit characters may start or continue a Java name and which are white space, as the
// scanner asks for every character past ASCII. A generated three-level table holds the general
// category and identifier class of all 65536 values; anything outside that range is in no class.
#pragma once

#include <cstdint>

// Identifier class of each character: 1 ignorable, 3 continues a name, 4 white space,
// 5 connector, 6 currency sign, 7 letter; 0 is none of these (2 is unused by the data).
int32_t unicodeIdentifierClass(int32_t c);
// Character.getType() numbering (0 for unassigned values and values past 0xFFFF).
int32_t unicodeCategory(int32_t c);

bool isJavaIdentifierStart(int32_t c);
bool isJavaIdentifierPart(int32_t c);
bool isWhitespace(int32_t c);
bool isIdentifierIgnorable(int32_t c);
