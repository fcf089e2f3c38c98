// The scanner's character reader (scanner.cpp), shared by the token scanner and the literal
// scanners. The common case, an ASCII byte that is not a backslash, is inline: no call and no
// runtime lookup per byte; readCharSlow takes escapes, multibyte characters and the end.
#pragma once

#include <emmintrin.h>

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

// Byte classes of the runs the scanner takes straight from the text, past the character reader:
// only ASCII bytes that the reader would return as themselves are in any class, so a run stops at
// a backslash (a Unicode escape may follow), at a byte of a multibyte character and at the end.
enum : uint8_t {
  BYTE_NAME = 1,        // a letter, digit, "_" or "$": continues a name
  BYTE_BLANK = 2,       // a blank or a tab between tokens
  BYTE_COMMENT = 4,     // ends no comment and counts no line: not "*", CR or LF
  BYTE_DOC_PLAIN = 8,   // as BYTE_COMMENT, nor "@" nor white space: a doc comment's tag looks at these
  BYTE_ENDS_NAME = 16,  // can be no part of a name: white space, an operator, a separator, a quote
  BYTE_STRING = 32,     // stands for itself in a string literal: not a quote, CR or LF
  BYTE_WHITE_SPACE = 64,  // a blank, a tab, CR or LF: white space the scanner skips in place
};

struct ByteClassTable {
  uint8_t classes[256];
};

extern const ByteClassTable byteClasses;

// The end of the run of bytes of the class from the position: never past the text's length.
// Blanks (indentation) and comment text come in long runs, which are looked at sixteen bytes at
// a time.
inline int32_t byteRunEnd(int32_t position, uint8_t byteClass) {
  const auto* text = reinterpret_cast<const unsigned char*>(theScanner.text);
  int32_t length = theScanner.length;
  if (byteClass == BYTE_BLANK || byteClass == BYTE_COMMENT) {
    for (; position + 16 <= length; position += 16) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + position));
      uint32_t stops;
      if (byteClass == BYTE_BLANK) {
        __m128i blanks = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
        stops = ~static_cast<uint32_t>(_mm_movemask_epi8(blanks)) & 0xFFFF;
      } else {
        __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('*')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                                    _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
        // The high bit marks a byte of a multibyte character.
        stops = static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(ends, bytes)));
      }
      if (stops != 0) return position + __builtin_ctz(stops);
    }
  }
  while (position < length && (byteClasses.classes[text[position]] & byteClass) != 0) position++;
  return position;
}

// Moves past a run of bytes of the class, when no decoded unit is pending; whether it moved.
inline bool skipByteRun(uint8_t byteClass) {
  if (theInput.pendingCount != 0) return false;
  int32_t end = byteRunEnd(theScanner.position, byteClass);
  if (end == theScanner.position) return false;
  theScanner.position = end;
  theInput.lastCharBytes = 1;
  return true;
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
