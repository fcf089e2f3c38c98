// Keywords, numeric, character and string literals, and comments: the scanners that scanToken hands
// over to once it has seen a literal's or a comment's first character. Diagnostics are placed at
// the literal's first byte unless a comment's own start is meant.
#include "syntax/literals.h"

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "semantic/java_arithmetic.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/unicode_classes.h"
#include "syntax/scanner_input.h"

const char* const keywordSpellings[LAST_KEYWORD - FIRST_KEYWORD + 1] = {
    "abstract", "boolean",   "break",     "byte",       "case",     "catch",        "char",      "class",
    "const",    "continue",  "default",   "do",         "double",   "else",         "extends",   "false",
    "final",    "finally",   "float",     "for",        "goto",     "if",           "implements", "import",
    "instanceof", "int",     "interface", "long",       "native",   "new",          "null",      "package",
    "private",  "protected", "public",    "return",     "short",    "static",       "strictfp",  "super",
    "switch",   "synchronized", "this",   "throw",      "throws",   "transient",    "true",      "try",
    "void",     "volatile",  "while",     "widefp",
};

void initKeywords() {
  global.lengthName = enterName("length", T_IDENTIFIER);
  global.cloneName = enterName("clone", T_IDENTIFIER);
  for (int32_t kind = FIRST_KEYWORD; kind <= LAST_KEYWORD; kind++) enterName(keywordSpellings[kind - FIRST_KEYWORD], kind);
}

namespace {

bool previousIsPrefixMinus() {
  return token().kind == T_MINUS && (token().flags & TOKEN_PREFIX) != 0;
}

// The kept characters narrowed to bytes, NUL-terminated, in the scratch buffer.
char* keptText() {
  growScratchBuffer(global.nameLength + 1);
  for (int32_t i = 0; i < global.nameLength; i++) global.scratchBuffer[i] = static_cast<char>(global.nameBuffer[i]);
  global.scratchBuffer[global.nameLength] = '\0';
  return global.scratchBuffer;
}

// Exponent digits read saturating, so a huge exponent never wraps into range.
int32_t saturatingExponent(const char* digits) {
  int64_t value = 0;
  for (const char* p = digits; isAsciiDigit(*p); p++) {
    value = value * 10 + (*p - '0');
    if (value > 1000000) return 1000000;
  }
  return static_cast<int32_t>(value);
}

bool mantissaIsZero(const char* text) {
  for (const char* p = text; *p != '\0' && *p != 'e' && *p != 'E'; p++)
    if (*p >= '1' && *p <= '9') return false;
  return true;
}

void convertInteger(int32_t radix, bool isLong) {
  int64_t value = 0;
  scanIntegerDigits(global.nameBuffer, global.nameLength, &value, radix);
  token().integerValue = value;
  token().literalType = isLong ? T_LONG : T_INT;
  if (isLong) {
    if (radix == 10 && static_cast<uint64_t>(value) == 0x8000000000000000u && !previousIsPrefixMinus())
      reportHere("numeric.long.ovfl");
    return;
  }
  // Octal and hexadecimal ints take any value up to 0xFFFFFFFF; decimal ones 2^31 after a minus.
  uint32_t high = longHighWord(value);
  uint32_t low = longLowWord(value);
  if (high != 0)
    reportHere("numeric.int.ovfl");
  else if (radix == 10 && (low > 0x80000000u || (low == 0x80000000u && !previousIsPrefixMinus())))
    reportHere("numeric.int.ovfl");
}

// A decimal literal whose digits make an integer of at most 2^53 (2^24 for a float) and whose
// power of ten lies within +-22 (+-10) is exact as a double (float) times or over an exact power of
// ten: one operation, so one rounding, as strtod's. False for any other, which strtod takes.
bool convertExactly(bool isFloat) {
  const uint16_t* c = global.nameBuffer;
  int32_t n = global.nameLength;
  uint64_t mantissa = 0;
  int32_t digits = 0;
  int32_t scale = 0;  // the power of ten the digits stand over
  bool point = false;
  int32_t i = 0;
  for (; i < n; i++) {
    if (c[i] == '.') {
      if (point) return false;
      point = true;
      continue;
    }
    if (!isAsciiDigit(c[i])) break;
    if (mantissa != 0 || c[i] != '0') {
      if (++digits > 17) return false;
      mantissa = mantissa * 10 + (c[i] - '0');
    }
    if (point) scale--;
  }
  if (i < n) {
    if (c[i] != 'e' && c[i] != 'E') return false;
    bool negative = false;
    if (++i < n && (c[i] == '+' || c[i] == '-')) negative = c[i++] == '-';
    if (i == n) return false;
    int32_t exponent = 0;
    for (; i < n; i++) {
      if (!isAsciiDigit(c[i]) || exponent > 1000) return false;
      exponent = exponent * 10 + (c[i] - '0');
    }
    scale += negative ? -exponent : exponent;
  }
  static const double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (isFloat) {
    if (mantissa > (1u << 24) || scale < -10 || scale > 10) return false;
    auto m = static_cast<float>(mantissa);
    auto p = static_cast<float>(powers[scale < 0 ? -scale : scale]);
    token().floatingValue = scale < 0 ? m / p : m * p;
  } else {
    if (mantissa > (uint64_t{1} << 53) || scale < -22 || scale > 22) return false;
    auto m = static_cast<double>(mantissa);
    token().floatingValue = scale < 0 ? m / powers[-scale] : m * powers[scale];
  }
  return true;
}

void convertFloating(bool isFloat) {
  token().literalType = isFloat ? T_FLOAT : T_DOUBLE;
  if (convertExactly(isFloat)) return;
  char* text = keptText();
  size_t length = std::strlen(text);
  char* end = nullptr;
  token().literalType = isFloat ? T_FLOAT : T_DOUBLE;
  if (isFloat) {
    // Decimal to float in one rounding, as Java does.
    errno = 0;
    float value = std::strtof(text, &end);
    if (end != text + length) {
      token().floatingValue = 0.0;
      reportHere("number.format");
      return;
    }
    if (std::isinf(value))
      reportHere("numeric.float.ovfl");
    else if (value == 0.0f && !mantissaIsZero(text))
      reportHere("numeric.float.unfl");
    token().floatingValue = value;
    return;
  }
  errno = 0;
  double value = std::strtod(text, &end);
  if (errno == ERANGE && value >= DBL_MAX) {
    reportHere("numeric.double.ovfl");
  } else if (errno == ERANGE && value == 0.0 && !std::signbit(value)) {
    errno = 0;
    value = Underflow(text);
    if (errno == ERANGE) reportHere("numeric.double.unfl");
  }
  if (end != text + length) {
    value = 0.0;
    reportHere("number.format");
  }
  token().floatingValue = value;
}

// Hexadecimal literals have no fraction. One with a point is malformed as a whole: its fraction,
// and a binary exponent and suffix as later Java versions write them, are passed over with it,
// so that no part of it scans as a literal of its own.
void skipHexFraction() {
  int32_t c;
  do c = readChar();
  while (isHexDigit(c) || c == '.');
  if (c == 'p' || c == 'P') {
    c = readChar();
    if (c == '+' || c == '-') c = readChar();
    while (isAsciiDigit(c)) c = readChar();
    if (c == 'f' || c == 'F' || c == 'd' || c == 'D') c = readChar();
  }
  unreadChar();
}

}  // namespace

int32_t scanNumber(int32_t first) {
  ScannerState& s = theScanner;
  bool collect = s.collectNames != 0;
  resetNameBuffer();
  auto keep = [collect](int32_t c) {
    if (collect) appendNameChar(static_cast<uint16_t>(c));
  };
  int32_t c = first;
  int32_t radix = 10;
  bool malformed = false;
  if (c == '0') {
    int32_t next = readChar();
    if (next == 'x' || next == 'X') {
      radix = 16;
      c = readChar();
      if (!isHexDigit(c)) {
        reportHere("number.format");
        malformed = true;
        keep('0');
      }
    } else {
      unreadChar();
      radix = 8;
    }
  }
  bool floating = false;
  for (; c != END_OF_TEXT; c = readChar()) {
    if (radix == 16) {
      if (!isHexDigit(c)) break;
      keep(c);
    } else if (c == '.') {
      keep(c);
      floating = true;
      radix = 0;
    } else if (c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'f' || c == 'F') {
      floating = true;
      break;
    } else if (!isAsciiDigit(c)) {
      break;
    } else {
      keep(c);
    }
  }
  if (floating) {
    if (c == 'e' || c == 'E') {
      keep(c);
      c = readChar();
      if (c == '+' || c == '-') {
        keep(c);
        c = readChar();
      }
      if (!isAsciiDigit(c)) {
        reportHere("number.format");
        unreadChar();
        return T_ERROR;
      }
      while (isAsciiDigit(c)) {
        keep(c);
        c = readChar();
      }
    }
    bool isFloat = c == 'f' || c == 'F';
    if (!isFloat && c != 'd' && c != 'D') unreadChar();
    if (!collect) return T_INTEGER;
    convertFloating(isFloat);
    return T_FLOATING;
  }
  if (radix == 16 && c == '.') {
    if (!malformed) reportHere("number.format");
    skipHexFraction();
    if (!collect) return T_INTEGER;
    token().floatingValue = 0.0;
    token().literalType = T_DOUBLE;
    return T_FLOATING;
  }
  bool isLong = c == 'l' || c == 'L';
  if (!isLong) unreadChar();
  if (!collect) return T_INTEGER;
  convertInteger(radix, isLong);
  return T_INTEGER;
}

double Underflow(const char* text) {
  if (global.traceLevel & TRACE_GENERAL) std::printf("Underflow(), cp: %s\n", text);
  warningAt(global.current, token().line, token().column, "warn.subnormal", text);
  const char* minus = std::strrchr(text, '-');
  if (minus == nullptr || minus - text < 2) {
    errno = ERANGE;
    return 0.0;
  }
  int32_t e = -saturatingExponent(minus + 1);
  size_t mantissaLength = minus - 1 - text;
  char mantissaText[64];
  double m;
  errno = 0;
  if (mantissaLength < sizeof mantissaText) {
    std::memcpy(mantissaText, text, mantissaLength);
    mantissaText[mantissaLength] = '\0';
    m = std::strtod(mantissaText, nullptr);
  } else {
    std::string copy(text, mantissaLength);
    m = std::strtod(copy.c_str(), nullptr);
  }
  if (errno != 0 || m == 0.0) {
    errno = ERANGE;
    return 0.0;
  }
  constexpr double smallest = 4.940656458412465;
  while (m < smallest && e > -500) {
    m *= 10;
    e--;
  }
  while (m > smallest && e < -300) {
    m /= 10;
    e++;
  }
  // Below the smallest subnormal double, a literal is not rounded up to it.
  if (e < -324 || (e == -324 && m < smallest)) {
    errno = ERANGE;
    return 0.0;
  }
  for (; e < 0; e++) m /= 10;
  errno = 0;
  return m;
}

int32_t scanEscape(int32_t c) {
  if (c == END_OF_TEXT || c == '\n' || c == '\r') return -1;
  // The backslash of a malformed Unicode escape, reported already, stands for itself.
  if (c != '\\' || atBadUnicodeEscape()) return c;
  c = readChar();
  switch (c) {
    case 'b': return 8;
    case 't': return 9;
    case 'n': return 10;
    case 'f': return 12;
    case 'r': return 13;
    case '"': return 34;
    case '\'': return 39;
    case '\\': return 92;
    case END_OF_TEXT:
      unreadChar();
      return -2;
    case '\n':
    case '\r':
      // The line break ends the literal; it is left for the scanner to count.
      unreadChar();
      return -1;
    default:
      break;
  }
  if (c < '0' || c > '7') return -2;
  int32_t value = c - '0';
  int32_t digits = c <= '3' ? 3 : 2;
  for (int32_t i = 1; i < digits; i++) {
    int32_t next = readChar();
    if (next < '0' || next > '7') {
      unreadChar();
      break;
    }
    value = value * 8 + (next - '0');
  }
  return value;
}

const char* formatBadChar(int32_t c) {
  static char text[16];
  switch (c) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case END_OF_TEXT:
      std::snprintf(text, sizeof text, "\\x%08x", static_cast<unsigned>(END_OF_TEXT));
      return text;
    default:
      return "\\?";
  }
}

void checkNoI18n(int32_t literalKind) {
  ScannerState& s = theScanner;
  if (!s.collectNames || !global.noI18n) return;
  if (!s.noI18nPending && s.noI18nDepth < 1 && s.exemptParenthesisDepth == 0) {
    const char* text = nameBufferToNative(&global.tempArena);
    if (literalKind == T_STRING)
      warningAt(global.current, token().line, token().column, "warn.noi18n.string", text);
    else
      warningAt(global.current, token().line, token().column, "warn.noi18n.char", text);
  }
  s.noI18nPending = 0;
}

namespace {

// A line break ends a broken character literal; a quote right after it is that literal's own
// closing quote, not the start of another literal.
void endCharLiteralAtLineBreak(int32_t c) {
  newLine(c == '\r');
  if (readChar() != '\'') unreadChar();
}

void reportBadCharLiteral() {
  if (!tokenHasLexicalError()) reportHere("invalid.literal.char");
  markLexicalError();
}

}  // namespace

int32_t scanCharLiteral() {
  int32_t c = readChar();
  int32_t value = -1;
  if (c == '\'') {
    reportBadCharLiteral();
  } else if (c == END_OF_TEXT) {
    reportBadCharLiteral();
    unreadChar();
    theScanner.cutShort = 1;
  } else if (isPhysicalLineBreak(c)) {
    reportBadCharLiteral();
    endCharLiteralAtLineBreak(c);
    theScanner.cutShort = 1;
  } else {
    // An escaped line break is reported here like any character a literal cannot hold; it is no
    // line end, so the literal goes on to its quote.
    value = scanEscape(c);
    if (value < 0) reportBadCharLiteral();
    c = readChar();
    if (c != '\'') {
      if (value >= 0) reportBadCharLiteral();
      while (c != '\'') {
        if (c == END_OF_TEXT) {
          unreadChar();
          theScanner.cutShort = 1;
          break;
        }
        if (isPhysicalLineBreak(c)) {
          endCharLiteralAtLineBreak(c);
          theScanner.cutShort = 1;
          break;
        }
        c = readChar();
      }
      value = -1;
    }
  }
  token().integerValue = value;
  token().literalType = T_CHAR;
  if (theScanner.collectNames) {
    resetNameBuffer();
    if (value >= 0) appendNameChar(static_cast<uint16_t>(value));
  }
  checkNoI18n(T_CHAR);
  return T_INTEGER;
}

int32_t scanStringLiteral() {
  ScannerState& s = theScanner;
  bool collect = s.collectNames != 0;
  if (collect) resetNameBuffer();
  for (;;) {
    // Characters that stand for themselves, a run at a time.
    if (theInput.pendingCount == 0) {
      int32_t end = byteRunEnd(s.position, BYTE_STRING);
      if (collect) appendNameAscii(s.text + s.position, end - s.position);
      if (end > s.position) theInput.lastCharBytes = 1;
      s.position = end;
    }
    int32_t c = readChar();
    if (c == '"') break;
    int32_t value = scanEscape(c);
    if (value >= 0) {
      if (collect) appendNameChar(static_cast<uint16_t>(value));
      continue;
    }
    if (!tokenHasLexicalError()) errorAt(token().line, token().column, "invalid.literal.string", formatBadChar(c));
    markLexicalError();
    // A line break in the text or the end of the text ends the literal and stays for the scanner;
    // an escaped line break is no line end, and the literal goes on to its quote.
    if (value == -1 && (c == '\\' || c == END_OF_TEXT || isPhysicalLineBreak(c))) {
      if (c != '\\') {
        unreadChar();
        s.cutShort = 1;
      }
      break;
    }
  }
  checkNoI18n(T_STRING);
  return T_STRING;
}

void skipBlockComment() {
  ScannerState& s = theScanner;
  int32_t line = s.line;
  int32_t column = s.position - s.lineStart - 2;
  for (bool first = true;; first = false) {
    // The comment's text up to a byte that may end it or a line, in one run.
    if (!first) skipByteRun(BYTE_COMMENT);
    int32_t c = readChar();
    if (c == END_OF_TEXT) {
      unreadChar();
      errorAt(line, column, "comment.not.terminated");
      markLexicalError();
      return;
    }
    if (c == '\n') {
      newLine(0);
    } else if (c == '\r') {
      newLine(1);
    } else if (c == '*') {
      if (readChar() == '/') return;
      unreadChar();
      if (first) {
        scanDocComment();
        return;
      }
    }
  }
}

void scanDocComment() {
  ScannerState& s = theScanner;
  int32_t line = s.line;
  int32_t column = s.position - s.lineStart - 3;
  // The comment's first line counts as a line's start too, after "/**".
  bool atLineStart = true;
  for (;;) {
    // A run of blanks and of bytes that are no tag, no white space and end nothing: the tag is not
    // at a line's start after such a byte, and stays there after blanks alone.
    if (theInput.pendingCount == 0) {
      const auto* text = reinterpret_cast<const unsigned char*>(s.text);
      int32_t p = s.position;
      uint8_t seen = 0;
      for (uint8_t c; p < s.length && ((c = byteClasses.classes[text[p]]) & (BYTE_DOC_PLAIN | BYTE_BLANK)) != 0; p++)
        seen |= c;
      if (p != s.position) {
        s.position = p;
        theInput.lastCharBytes = 1;
        if (seen & BYTE_DOC_PLAIN) atLineStart = false;
      }
    }
    int32_t c = readChar();
    if (c == END_OF_TEXT) {
      unreadChar();
      errorAt(line, column, "comment.not.terminated");
      markLexicalError();
      return;
    }
    if (c == '\n' || c == '\r') {
      newLine(c == '\r');
      atLineStart = true;
    } else if (c == '*') {
      if (readChar() == '/') return;
      unreadChar();
    } else if (isWhitespace(c)) {
      // Blanks before the tag keep it at the line's start.
    } else if (c == '@') {
      // The tag counts as the first thing on a line of the comment, before blanks or the end.
      int32_t at = s.position;
      if (atLineStart && at + 10 < s.length && std::memcmp(s.text + at, "deprecated", 10) == 0 &&
          (std::isspace(static_cast<unsigned char>(s.text[at + 10])) || s.text[at + 10] == '*')) {
        s.docDeprecated = 1;
        if (global.traceLevel & TRACE_GENERAL) std::printf("scanDocComment(), key: %s\n", "deprecated");
      }
      atLineStart = false;
    } else {
      atLineStart = false;
    }
  }
}

void skipLineComment() {
  ScannerState& s = theScanner;
  int32_t line = s.line;
  int32_t column = s.position - s.lineStart - 2;
  for (;;) {
    skipByteRun(BYTE_COMMENT);
    int32_t c = readChar();
    if (c == '\n' || c == '\r') {
      newLine(c == '\r');
      return;
    }
    if (c == END_OF_TEXT) {
      unreadChar();
      warningAt(global.current, line, column, "warn.comment.not.terminated");
      return;
    }
  }
}
