// The scanner's character reader (scanner.cpp), shared by the token scanner and the literal
// scanners. The common case, an ASCII byte that is not a backslash, is inline: no call and no
// runtime lookup per byte; readCharSlow takes escapes, multibyte characters and the end.
#pragma once

#include <cstdint>

#include "syntax/scanner.h"

struct ScannerInput {
  uint16_t pending[4];  // further UTF-16 units of the multibyte character just read
  int32_t pendingIndex;
  int32_t pendingCount;
  int32_t lastCharBytes;  // bytes of the last character read, for unreadChar
  // A character start in `boundaryText`, where the search for a double-byte character's trail
  // byte last ended.
  const char* boundaryText;
  int32_t boundary;
};

extern ScannerInput theInput;

int32_t readCharSlow();

inline int32_t readChar() {
  ScannerState& s = theScanner;
  int32_t position = s.position;
  if (theInput.pendingCount == 0 && position < s.length) {
    unsigned char byte = static_cast<unsigned char>(s.text[position]);
    if (byte < 0x80 && byte != '\\') {
      s.position = position + 1;
      theInput.lastCharBytes = 1;
      return byte;
    }
  }
  return readCharSlow();
}

// The line break just read stood in the text as a CR or LF byte, not as a Unicode escape: only
// such a break ends a line for positions and ends a broken literal.
inline bool isPhysicalLineBreak(int32_t c) {
  return (c == '\n' || c == '\r') && theInput.lastCharBytes == 1;
}

inline bool isAsciiDigit(int32_t c) {
  return c >= '0' && c <= '9';
}

inline bool isHexDigit(int32_t c) {
  return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
