// Characters of the host's multibyte text as the C runtime's current locale decodes them. In the
// double-byte codesets (Big5, Shift-JIS, GBK) a trail byte may be an ASCII value such as "\", so
// text is stepped character by character wherever a byte is taken for a separator.
#pragma once

#include <cstdint>

// Bytes of the character at p: 1 for an ASCII byte or when a character has at most one byte
// (`maxBytes` 1), else what the runtime decodes from at most `maxBytes` bytes; below 1 for an
// invalid or incomplete sequence.
int32_t hostCharacterLength(const char* p, int32_t maxBytes);

// As hostCharacterLength in the current locale, with a byte that does not decode counted as one
// character: for text that is only searched for ASCII bytes, never decoded.
int32_t hostStepLength(const char* p);
