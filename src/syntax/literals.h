// Keywords, numeric, character and string literals, and comments: the scanners that scanToken hands
// over to once it has seen a literal's or a comment's first character. Each leaves the token it
// scanned in token() and returns its kind.
#pragma once

#include <cstdint>

#include "syntax/scanner.h"

extern const char* const keywordSpellings[LAST_KEYWORD - FIRST_KEYWORD + 1];

// Enters the keywords, and "length" and "clone", into the identifier table.
void initKeywords();
// A number whose first character was `first`: an integer or floating literal, or an error.
int32_t scanNumber(int32_t first);
// The value of a decimal floating literal that strtod gives as zero with ERANGE ("warn.subnormal").
double Underflow(const char* text);
int32_t scanCharLiteral();
int32_t scanStringLiteral();
// The character that a literal's next character `c` stands for, an escape read when `c` is a
// backslash: -1 at a line break or the end of the text, -2 for a bad escape.
int32_t scanEscape(int32_t c);
// The text of a character that may not stand in a literal, as messages show it.
const char* formatBadChar(int32_t c);
// -noi18n: the string or character literal just scanned is warned about unless a /*NOI18N*/
// mark or an exempt call covers it.
void checkNoI18n(int32_t literalKind);
void skipBlockComment();
// A documentation comment; a deprecated tag in it marks the next declaration deprecated.
void scanDocComment();
void skipLineComment();
