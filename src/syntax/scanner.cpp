// The token scanner. Positions are byte offsets: a column is the offset of a token's first byte
// from the start of its line, and CR, LF and CR LF bytes each end one line (an escaped line break
// ends none).
#include "syntax/scanner.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "semantic/element_names.h"
#include "support/arena.h"
#include "support/diagnostics.h"
#include "support/encodings.h"
#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/identifiers.h"
#include "support/source_file.h"
#include "support/unicode_classes.h"
#include "syntax/literals.h"
#include "syntax/scanner_input.h"

Token theToken;  // read through token()
ScannerState theScanner;
ScannerInput theInput;

namespace {

constexpr ByteClassTable makeByteClasses() {
  ByteClassTable table{};
  uint8_t* classes = table.classes;
  for (int c = 0; c < 0x80; c++) {
    bool name = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
    bool blank = c == ' ' || c == '\t';
    bool white = blank || c == '\f' || c == 0x0B || (c >= 0x1C && c <= 0x1F);
    bool comment = c != '*' && c != '\n' && c != '\r' && c != '\\';
    // The ASCII characters that are parts of names although no letters: the ignorable controls.
    bool ignorable = c <= 0x08 || (c >= 0x0E && c <= 0x1B) || c == 0x7F;
    bool endsName = !name && !ignorable && c != '\\';
    bool inString = (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') || c == '\t';
    bool lineSpace = blank || c == '\n' || c == '\r';
    classes[c] = static_cast<uint8_t>((name ? BYTE_NAME : 0) | (blank ? BYTE_BLANK : 0) | (comment ? BYTE_COMMENT : 0) |
                                      (comment && !white && c != '@' ? BYTE_DOC_PLAIN : 0) |
                                      (endsName ? BYTE_ENDS_NAME : 0) | (inString ? BYTE_STRING : 0) |
                                      (lineSpace ? BYTE_WHITE_SPACE : 0));
  }
  return table;
}

}  // namespace

constexpr ByteClassTable byteClasses = makeByteClasses();

namespace {

// The "-i18napi" names, interned on first use in a compile; null-terminated.
Identifier** i18nNames;
bool i18nNamesMade;

void dropPendingUnits() {
  theInput.pendingIndex = 0;
  theInput.pendingCount = 0;
}

// An undecodable sequence is one bad character: its lead byte and, under UTF-8, the continuation
// bytes that follow it.
int32_t badSequenceLength(const char* text, int32_t available) {
  int32_t n = 1;
  if (theScanner.utf8Text || codesetIsUtf8())
    while (n < available && n < 4 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) n++;
  return n;
}

void traceDecoding(const char* bytes, int32_t byteCount, const char16_t* units, int32_t unitCount) {
  std::printf("nextUnicode(): %d bytes (", byteCount);
  for (int32_t i = 0; i < byteCount; i++) std::printf("0x%02x ", static_cast<unsigned char>(bytes[i]));
  std::printf(") converted to %d Unicodes (", unitCount);
  for (int32_t i = 0; i < unitCount; i++) std::printf("\\u%04x ", static_cast<unsigned>(units[i]));
  std::printf(")\n");
}

// Whether the byte at `at` lies inside a character that starts before it. The walk decodes forward
// from a known character start: the current line's, or the one the last walk in this text reached,
// so a scan that meets many such bytes walks each line about once.
bool isInsideCharacter(int32_t at) {
  ScannerState& s = theScanner;
  int32_t p = s.lineStart > 0 ? s.lineStart : 0;
  if (theInput.boundaryText == s.text && theInput.boundary > p && theInput.boundary <= at)
    p = theInput.boundary;
  while (p < at) {
    char16_t units[2];
    int32_t unitCount = 0;
    int32_t taken = decodeNativeCharacter(s.text + p, s.length - p, units, &unitCount);
    p += taken > 0 ? taken : 1;
  }
  theInput.boundaryText = s.text;
  theInput.boundary = p;
  return p > at;
}

// A backslash starts a Unicode escape only behind an even number of backslashes. Under a
// double-byte codeset the first 0x5C byte of the run before it may be the trail byte of a
// character (Big5, Shift-JIS, GBK), which is no backslash; no UTF-8 trail byte is ASCII.
bool escapeMayStartAt(int32_t position) {
  const char* text = theScanner.text;
  int32_t run = position;
  while (run > 0 && text[run - 1] == '\\') run--;
  int32_t backslashes = position - run;
  if (backslashes > 0 && run > 0 && static_cast<unsigned char>(text[run - 1]) >= 0x80 && global.maxCharBytes > 1 &&
      !theScanner.utf8Text && isInsideCharacter(run))
    backslashes--;
  return backslashes % 2 == 0;
}

void markI18nCall(Identifier* id) {
  if (!i18nNamesMade) {
    i18nNamesMade = true;
    const char* list = global.i18nApi;
    int32_t slots = 1;
    for (const char* p = list; *p != '\0'; p++)
      if (*p == ',') slots++;
    i18nNames = arenaNewArray<Identifier*>(&global.mainArena, slots + 1);
    int32_t count = 0;
    for (const char* p = list; *p != '\0';) {
      const char* end = std::strchr(p, ',');
      if (end == nullptr) end = p + std::strlen(p);
      if (end > p) {
        resetNameBuffer();
        for (const char* q = p; q < end; q++) appendNameChar(static_cast<unsigned char>(*q));
        i18nNames[count++] = lookupName(global.nameBuffer, global.nameLength, T_IDENTIFIER);
      }
      p = *end == ',' ? end + 1 : end;
    }
    i18nNames[count] = nullptr;
  }
  for (Identifier** name = i18nNames; *name != nullptr; name++)
    if (*name == id) theScanner.noI18nPending = 1;
}

int32_t finish(int32_t kind) {
  ScannerState& s = theScanner;
  if (kind != T_EOF) {
    s.tokenEndLine = s.line;
    s.tokenEndColumn = s.position - s.lineStart;
    s.tokenCutShort = s.cutShort;
  }
  s.cutShort = 0;
  s.tokenCount++;
  token().kind = kind;
  token().flags = 0;
  theScanner.deprecatedSeen = theScanner.docDeprecated;
  theScanner.docDeprecated = 0;
  return kind;
}

// Longest match of an operator whose first character has been read: `next` continues it to
// `longer`, `assign` ("=") to `assigned`.
int32_t operatorOf(int32_t single, int32_t next, int32_t longer, int32_t assigned) {
  int32_t c = readChar();
  if (next != 0 && c == next) return longer;
  if (assigned != 0 && c == '=') return assigned;
  unreadChar();
  return single;
}

bool isNoI18nComment(int32_t start) {
  int32_t length = theScanner.position - start;
  return (length == 10 || length == 11) && std::memcmp(theScanner.text + start, "/*NOI18N", 8) == 0;
}

}  // namespace

int32_t readCharSlow() {
  ScannerState& s = theScanner;
  if (theInput.pendingIndex < theInput.pendingCount) {
    theInput.lastCharBytes = 0;
    int32_t unit = theInput.pending[theInput.pendingIndex++];
    if (theInput.pendingIndex == theInput.pendingCount) dropPendingUnits();
    return unit;
  }
  for (;;) {
    int32_t position = s.position;
    if (position >= s.length) {
      s.position = position + 1;
      theInput.lastCharBytes = 1;
      return END_OF_TEXT;
    }
    unsigned char byte = static_cast<unsigned char>(s.text[position]);
    if (byte == '\\') {
      s.position = position + 1;
      theInput.lastCharBytes = 1;
      if (!escapeMayStartAt(position) || position + 1 >= s.length || s.text[position + 1] != 'u') return '\\';
      int32_t value = scanUnicodeEscape();
      if (value < 0) {
        // At the "u" that four hexadecimal digits must follow; once, however often it is read.
        if (s.badEscapeText != s.text || s.badEscapePosition != position) {
          errorAt(s.line, position + 1 - s.lineStart, "unknown.unicode");
          s.badEscapeText = s.text;
          s.badEscapePosition = position;
        }
        markLexicalError();
        return '\\';
      }
      theInput.lastCharBytes = s.position - position;
      return value;
    }
    if (byte < 0x80) {
      s.position = position + 1;
      theInput.lastCharBytes = 1;
      return byte;
    }
    char16_t units[2];
    int32_t unitCount = 0;
    int32_t available = s.length - position;
    int32_t taken = s.utf8Text ? decodeUtf8Character(s.text + position, available, units, &unitCount)
                               : decodeNativeCharacter(s.text + position, available, units, &unitCount);
    if (taken <= 0) {
      // Reported once and skipped; the scan goes on with the next character.
      if (s.utf8Text)
        errorAt(s.line, position - s.lineStart, "unmappable.character", global.sourceEncoding);
      else
        errorAt(s.line, position - s.lineStart, "unknown.multibyte");
      s.position = position + badSequenceLength(s.text + position, available);
      continue;
    }
    if (global.traceLevel & TRACE_GENERAL) traceDecoding(s.text + position, taken, units, unitCount);
    s.position = position + taken;
    theInput.lastCharBytes = taken;
    if (unitCount > 1) {
      theInput.pending[0] = units[1];
      theInput.pendingIndex = 0;
      theInput.pendingCount = 1;
    }
    return units[0];
  }
}

int32_t nextUnicode() {
  return readChar();
}

void unreadChar() {
  if (theInput.lastCharBytes == 0) {
    // The unit came from the pending buffer: it is pending again.
    if (theInput.pendingCount == 0) theInput.pendingCount = theInput.pendingIndex = 1;
    theInput.pendingIndex--;
    return;
  }
  theScanner.position -= theInput.lastCharBytes;
  dropPendingUnits();
}

int32_t scanUnicodeEscape() {
  ScannerState& s = theScanner;
  int32_t start = s.position;
  int32_t p = start;
  while (p < s.length && s.text[p] == 'u') p++;
  int32_t value = 0;
  for (int32_t i = 0; i < 4; i++, p++) {
    int32_t c = p < s.length ? static_cast<unsigned char>(s.text[p]) : END_OF_TEXT;
    if (!isHexDigit(c)) {
      s.position = start;
      return -1;
    }
    value = value * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  s.position = p;
  return value;
}

// Called with the CR or LF just read. An escaped one (\u000a) still ends a line comment, but lines
// and columns count bytes of the text, so that a diagnostic quotes the line its bytes are on.
void newLine(int32_t carriageReturn) {
  ScannerState& s = theScanner;
  if (theInput.lastCharBytes != 1) return;
  s.line++;
  if (carriageReturn) {
    int32_t c = readChar();
    if (c != '\n' || theInput.lastCharBytes != 1) unreadChar();
  }
  s.lineStart = s.position;
}

namespace {

// A name's token: its identifier, marked when it is an i18n call; its kind a keyword's or T_IDENTIFIER.
int32_t nameToken(Identifier* id) {
  token().identifier = id;
  if (global.noI18n && global.i18nApi != nullptr) markI18nCall(id);
  return id->kind;
}

// The plain ASCII name that stands in the text from `start` to `end`.
int32_t internInPlace(int32_t start, int32_t end) {
  return nameToken(lookupAsciiName(theScanner.text + start, end - start, T_IDENTIFIER));
}

}  // namespace

int32_t scanIdentifier(int32_t first) {
  ScannerState& s = theScanner;
  bool collect = s.collectNames != 0;
  resetNameBuffer();
  // The ASCII run that nearly every name is, straight from the text; the character reader goes on
  // from the first byte that may be anything else. A name that starts with a byte of the text and
  // ends at a byte that can be no part of one, or at the end, is interned where it stands.
  bool ended = false;
  if (theInput.pendingCount == 0) {
    bool fromText = theInput.lastCharBytes == 1 && first < 0x80;
    int32_t start = fromText ? s.position - 1 : s.position;
    int32_t end = byteRunEnd(s.position, BYTE_NAME);
    s.position = end;
    ended = end >= s.length || (byteClasses.classes[static_cast<unsigned char>(s.text[end])] & BYTE_ENDS_NAME) != 0;
    if (fromText && ended) {
      return collect ? internInPlace(start, end) : T_IDENTIFIER;
    }
    if (collect) {
      if (!fromText) appendNameChar(static_cast<uint16_t>(first));
      appendNameAscii(s.text + start, end - start);
    }
    // At the end of the text the reader below meets it at once.
    ended = ended && end < s.length;
  } else if (collect) {
    appendNameChar(static_cast<uint16_t>(first));
  }
  // Most names end at a byte that can be no part of one: nothing to read and put back.
  if (!ended) {
    for (;;) {
      int32_t c = readChar();
      if (c == END_OF_TEXT || !isJavaIdentifierPart(c)) break;
      // Ignorable characters stand in a name but are no part of it.
      if (collect && !isIdentifierIgnorable(c)) appendNameChar(static_cast<uint16_t>(c));
    }
    unreadChar();
  }
  if (!collect) return T_IDENTIFIER;
  return nameToken(lookupName(global.nameBuffer, global.nameLength, T_IDENTIFIER));
}

namespace {

// The position the conversion warnings of the support layer take.
ScanPosition tokenPosition(const SourceFile* file) {
  return ScanPosition{token().line, file != nullptr && token().kind != T_EOF && theScanner.text == file->content};
}

// The support layer learns from here where the compile stands; the scanner is set up before any
// compile or evaluation reads a token, and set on every text it reads.
void installPositionHooks() {
  setScanPositionHook(tokenPosition);
  setCompileStateHook(dumpGlobalContext);
}

}  // namespace

void reportHere(const char* key) {
  if (token().kind == T_EOF && afterLexicalError()) return;
  errorAt(token().line, token().column, key);
}

void markLexicalError() {
  theScanner.lexicalErrorToken = theScanner.tokenCount + 1;
}

bool tokenHasLexicalError() {
  return theScanner.lexicalErrorToken == theScanner.tokenCount + 1;
}

bool atBadUnicodeEscape() {
  const ScannerState& s = theScanner;
  return s.badEscapeText == s.text && s.badEscapePosition == s.position - 1;
}

bool afterLexicalError() {
  const ScannerState& s = theScanner;
  return s.lexicalErrorToken != 0 && s.tokenCount - s.lexicalErrorToken <= 1;
}

void initScanner() {
  installPositionHooks();
  initKeywords();
  token() = Token{};
  theScanner = ScannerState{};
  theInput = ScannerInput{};
  i18nNames = nullptr;
  i18nNamesMade = false;
}

void setScanString(const char* text) {
  initScanner();
  global.current = nullptr;
  theScanner = ScannerState{};
  theScanner.text = text;
  theScanner.length = static_cast<int32_t>(std::strlen(text));
  theScanner.collectNames = 1;
}

void setScanSource(SourceFile* file, int32_t offset, int32_t line, int32_t column) {
  installPositionHooks();
  ScannerState& s = theScanner;
  global.current = file;
  s.text = file->content;
  s.length = file->contentLength;
  s.position = offset < s.length ? offset : s.length;
  s.line = line;
  s.lineStart = s.position - column;
  s.pushedBack = 0;
  s.previousEndLine = line;
  s.previousEndColumn = column;
  s.tokenEndLine = line;
  s.tokenEndColumn = column;
  s.tokenCutShort = 0;
  s.semicolonTakenBefore = 0;
  s.cutShort = 0;
  s.previousCutShort = 0;
  s.parenthesisDepth = 0;
  s.noI18nPending = 0;
  s.noI18nDepth = 0;
  s.deprecatedSeen = 0;
  s.docDeprecated = 0;
  s.exemptParenthesisDepth = 0;
  s.lexicalErrorToken = 0;
  s.collectNames = 1;
  s.utf8Text = (file->flags & SOURCE_UTF8) != 0;
  dropPendingUnits();
  theInput.boundaryText = nullptr;
}

void pushBackToken() {
  theScanner.pushedBack = 1;
}

void rescanToken() {
  ScannerState& s = theScanner;
  ScannerState kept = s;
  s.position = theToken.start;
  s.line = theToken.line;
  s.lineStart = theToken.start - theToken.column;
  s.pushedBack = 0;
  dropPendingUnits();
  scanToken();
  // The token keeps what its first scan saw before it.
  s.previousEndLine = kept.previousEndLine;
  s.previousEndColumn = kept.previousEndColumn;
  s.previousCutShort = kept.previousCutShort;
  s.deprecatedSeen = kept.deprecatedSeen;
}

void setNameCollection(int32_t collect) {
  theScanner.collectNames = collect;
}

namespace {

// White space between tokens straight from the text: blanks, and line breaks that stand there as
// CR and LF bytes (newLine's rule); anything else, escaped breaks too, is left to the reader.
void skipWhiteSpaceRun(int32_t p);

// Between most tokens stands one blank or nothing, seen here; longer runs and line breaks take
// the loop.
inline void skipPlainWhiteSpace() {
  ScannerState& s = theScanner;
  if (theInput.pendingCount != 0) return;
  int32_t p = s.position;
  if (p < s.length && s.text[p] == ' ') p++;
  if (p < s.length && (byteClasses.classes[static_cast<unsigned char>(s.text[p])] & BYTE_WHITE_SPACE) != 0) {
    skipWhiteSpaceRun(p);
    return;
  }
  if (p != s.position) {
    s.position = p;
    theInput.lastCharBytes = 1;
  }
}

void skipWhiteSpaceRun(int32_t p) {
  ScannerState& s = theScanner;
  const char* text = s.text;
  int32_t n = s.length;
  while (p < n) {
    char b = text[p];
    if (b == ' ' || b == '\t') {
      p++;
    } else if (b == '\n') {
      s.line++;
      s.lineStart = ++p;
      p = byteRunEnd(p, BYTE_BLANK);
    } else if (b == '\r') {
      s.line++;
      if (++p < n && text[p] == '\n') p++;
      s.lineStart = p;
      p = byteRunEnd(p, BYTE_BLANK);
    } else {
      break;
    }
  }
  if (p != s.position) {
    s.position = p;
    theInput.lastCharBytes = 1;
  }
}

// The tokens of one byte that begin no longer token: what the full scan below makes of them,
// made straight from the text.
constexpr std::array<uint8_t, 128> makeSingleByteTokens() {
  std::array<uint8_t, 128> kinds{};
  kinds['~'] = T_TILDE;
  kinds['?'] = T_QUESTION;
  kinds[','] = T_COMMA;
  kinds[':'] = T_COLON;
  kinds[';'] = T_SEMICOLON;
  kinds['{'] = T_LBRACE;
  kinds['}'] = T_RBRACE;
  kinds['['] = T_LBRACKET;
  kinds[']'] = T_RBRACKET;
  kinds['('] = T_LPAREN;
  kinds[')'] = T_RPAREN;
  return kinds;
}

constexpr std::array<uint8_t, 128> singleByteTokens = makeSingleByteTokens();

// A byte after the digits of a decimal that the full scan would go on with: a digit, a point, an
// exponent, a suffix, or what may be an escape or a multibyte character.
bool continuesDecimal(unsigned char b) {
  switch (b) {
    case '.': case 'e': case 'E': case 'd': case 'D': case 'f': case 'F': case 'l': case 'L': case '\\':
      return true;
    default:
      return b >= 0x80 || isAsciiDigit(b);
  }
}

// After a point: no digit (which would make a number), nor what may be an escape or a multibyte
// character.
bool plainNonDigit(unsigned char b) {
  return b < 0x80 && b != '\\' && !isAsciiDigit(b);
}

bool startsAsciiName(unsigned char b) {
  return static_cast<unsigned>((b | 0x20) - 'a') < 26 || b == '_' || b == '$';
}

int32_t scanTokenSlow();

// A token of the bytes from `start` to `end`, taken in place, as the full scan leaves its state.
void takeInPlace(int32_t start, int32_t end) {
  token().line = theScanner.line;
  token().column = start - theScanner.lineStart;
  token().start = start;
  theScanner.position = end;
  theInput.lastCharBytes = 1;
}

}  // namespace

namespace {

// An operator's token from its bytes at `p`, the first of them one of = ! + - * % ^ & | < > /;
// the length taken goes to *length. 0 when the scan must read on as characters: a byte it looks
// at may be an escape or a multibyte character, or "/" begins a comment.
int32_t operatorInPlace(const char* text, int32_t p, int32_t length, int32_t* taken) {
  // The byte at `at` as the character reader would give it, 0 at the end; -1 when it may be more.
  auto byteAt = [&](int32_t at) -> int32_t {
    if (at >= length) return 0;
    auto b = static_cast<unsigned char>(text[at]);
    return b < 0x80 && b != '\\' ? b : -1;
  };
  int32_t c = static_cast<unsigned char>(text[p]);
  int32_t n = byteAt(p + 1);
  if (n < 0) return 0;
  *taken = 1;
  auto pair = [&](int32_t single, int32_t doubled, int32_t longer, int32_t assigned) {
    if (doubled != 0 && n == c) {
      *taken = 2;
      return longer;
    }
    if (assigned != 0 && n == '=') {
      *taken = 2;
      return assigned;
    }
    return single;
  };
  switch (c) {
    case '=': return pair(T_ASSIGN, '=', T_EQ, 0);
    case '!': return pair(T_NOT, 0, 0, T_NE);
    case '+': return pair(T_PLUS, '+', T_INCREMENT, T_PLUS_ASSIGN);
    case '-': return pair(T_MINUS, '-', T_DECREMENT, T_MINUS_ASSIGN);
    case '*': return pair(T_STAR, 0, 0, T_STAR_ASSIGN);
    case '%': return pair(T_REM, 0, 0, T_REM_ASSIGN);
    case '^': return pair(T_XOR, 0, 0, T_XOR_ASSIGN);
    case '&': return pair(T_AND, '&', T_ANDAND, T_AND_ASSIGN);
    case '|': return pair(T_OR, '|', T_OROR, T_OR_ASSIGN);
    case '/':
      if (n == '/' || n == '*') return 0;
      return pair(T_DIV, 0, 0, T_DIV_ASSIGN);
    case '<': {
      if (n != '<') return pair(T_LT, 0, 0, T_LE);
      int32_t third = byteAt(p + 2);
      if (third < 0) return 0;
      *taken = third == '=' ? 3 : 2;
      return third == '=' ? T_SHL_ASSIGN : T_SHL;
    }
    case '>': {
      if (n != '>') return pair(T_GT, 0, 0, T_GE);
      int32_t third = byteAt(p + 2);
      if (third < 0) return 0;
      if (third == '=') {
        *taken = 3;
        return T_SHR_ASSIGN;
      }
      if (third != '>') {
        *taken = 2;
        return T_SHR;
      }
      int32_t fourth = byteAt(p + 3);
      if (fourth < 0) return 0;
      *taken = fourth == '=' ? 4 : 3;
      return fourth == '=' ? T_USHR_ASSIGN : T_USHR;
    }
    default:
      return 0;
  }
}

}  // namespace

// The common tokens first, with nothing pending and the bytes plain: a name that ends at a byte no
// name goes on with, a short decimal int, a point before no digit, the one-byte separators and the
// operators. Everything else, and every case with a backslash, a byte of a multibyte character or
// the end of the text after it, takes the full scan. The scanner's place is kept in locals here and
// stored once: the stores of a token would otherwise make every access read it again.
int32_t scanToken() {
  ScannerState& s = theScanner;
  Token& t = token();
  if (s.pushedBack) {
    s.pushedBack = 0;
    return t.kind;
  }
  s.previousEndLine = s.tokenEndLine;
  s.previousEndColumn = s.tokenEndColumn;
  s.previousCutShort = s.tokenCutShort;
  if (theInput.pendingCount != 0) return scanTokenSlow();
  const char* text = s.text;
  const int32_t length = s.length;
  int32_t p = s.position;
  // White space straight from the text: blanks, and line breaks that stand there as CR and LF
  // bytes (newLine's rule); anything else, escaped breaks too, is left to the full scan. Between
  // most tokens stands one blank or nothing, taken first; longer runs and line breaks take the loop.
  if (p < length && text[p] == ' ') {
    p++;
    s.position = p;
    theInput.lastCharBytes = 1;
  }
  if (p < length && (byteClasses.classes[static_cast<unsigned char>(text[p])] & BYTE_WHITE_SPACE) != 0) {
    int32_t line = s.line;
    int32_t lineStart = s.lineStart;
    while (p < length) {
      char b = text[p];
      if (b == ' ' || b == '\t') {
        p = byteRunEnd(p + 1, BYTE_BLANK);
      } else if (b == '\n') {
        line++;
        lineStart = ++p;
      } else if (b == '\r') {
        line++;
        if (++p < length && text[p] == '\n') p++;
        lineStart = p;
      } else {
        break;
      }
    }
    s.position = p;
    s.line = line;
    s.lineStart = lineStart;
    theInput.lastCharBytes = 1;
  }
  if (p >= length) return scanTokenSlow();
  auto b = static_cast<unsigned char>(text[p]);
  int32_t end = p + 1;
  int32_t kind;
  if (startsAsciiName(b)) {
    end = byteRunEnd(p + 1, BYTE_NAME);
    if (end < length && (byteClasses.classes[static_cast<unsigned char>(text[end])] & BYTE_ENDS_NAME) == 0)
      return scanTokenSlow();
    takeInPlace(p, end);
    // A scan that collects no names makes no keywords either.
    return finish(s.collectNames ? internInPlace(p, end) : T_IDENTIFIER);
  }
  if (b >= '1' && b <= '9' && s.collectNames) {
    // A decimal int of up to nine digits, which no overflow check can refuse, ended by a byte
    // that neither continues a number nor may be an escape.
    int64_t value = b - '0';
    while (end < length && end - p < 9 && isAsciiDigit(text[end])) value = value * 10 + (text[end++] - '0');
    // A tenth digit continues the number, and the full scan takes it.
    if (end >= length || continuesDecimal(static_cast<unsigned char>(text[end]))) return scanTokenSlow();
    takeInPlace(p, end);
    resetNameBuffer();
    t.integerValue = value;
    t.literalType = T_INT;
    return finish(T_INTEGER);
  }
  if (b == '.') {
    if (p + 1 >= length || !plainNonDigit(static_cast<unsigned char>(text[p + 1]))) return scanTokenSlow();
    kind = T_DOT;
  } else if (b < 0x80 && singleByteTokens[b] != 0) {
    if (global.noI18n && (b == '(' || b == ')')) return scanTokenSlow();
    if (b == '(') s.parenthesisDepth++;
    if (b == ')') s.parenthesisDepth--;
    kind = singleByteTokens[b];
  } else {
    int32_t taken = 0;
    kind = operatorInPlace(text, p, length, &taken);
    if (kind == 0) return scanTokenSlow();
    end = p + taken;
  }
  takeInPlace(p, end);
  return finish(kind);
}

namespace {

int32_t scanTokenSlow() {
  ScannerState& s = theScanner;
  Token& t = token();
  for (;;) {
    skipPlainWhiteSpace();
    int32_t start = s.position;
    int32_t c = readChar();
    switch (c) {
      case ' ':
      case '\t':
        continue;
      case '\n':
        newLine(0);
        continue;
      case '\r':
        newLine(1);
        continue;
      default:
        break;
    }
    t.line = s.line;
    t.column = start - s.lineStart;
    t.start = start;
    switch (c) {
      case '~': return finish(T_TILDE);
      case '?': return finish(T_QUESTION);
      case ',': return finish(T_COMMA);
      case ':': return finish(T_COLON);
      case ';': return finish(T_SEMICOLON);
      case '{': return finish(T_LBRACE);
      case '}': return finish(T_RBRACE);
      case '[': return finish(T_LBRACKET);
      case ']': return finish(T_RBRACKET);
      case '(':
        s.parenthesisDepth++;
        if (global.noI18n && s.noI18nPending) {
          s.exemptParenthesisDepth = s.parenthesisDepth;
          s.noI18nPending = 0;
        }
        return finish(T_LPAREN);
      case ')':
        if (global.noI18n && s.exemptParenthesisDepth == s.parenthesisDepth) s.exemptParenthesisDepth = 0;
        s.parenthesisDepth--;
        return finish(T_RPAREN);
      case '=': return finish(operatorOf(T_ASSIGN, '=', T_EQ, 0));
      case '!': return finish(operatorOf(T_NOT, 0, 0, T_NE));
      case '+': return finish(operatorOf(T_PLUS, '+', T_INCREMENT, T_PLUS_ASSIGN));
      case '-': return finish(operatorOf(T_MINUS, '-', T_DECREMENT, T_MINUS_ASSIGN));
      case '*': return finish(operatorOf(T_STAR, 0, 0, T_STAR_ASSIGN));
      case '%': return finish(operatorOf(T_REM, 0, 0, T_REM_ASSIGN));
      case '^': return finish(operatorOf(T_XOR, 0, 0, T_XOR_ASSIGN));
      case '&': return finish(operatorOf(T_AND, '&', T_ANDAND, T_AND_ASSIGN));
      case '|': return finish(operatorOf(T_OR, '|', T_OROR, T_OR_ASSIGN));
      case '<': {
        int32_t kind = operatorOf(T_LT, '<', T_SHL, T_LE);
        if (kind == T_SHL) kind = operatorOf(T_SHL, 0, 0, T_SHL_ASSIGN);
        return finish(kind);
      }
      case '>': {
        int32_t kind = operatorOf(T_GT, '>', T_SHR, T_GE);
        if (kind == T_SHR) kind = operatorOf(T_SHR, '>', T_USHR, T_SHR_ASSIGN);
        if (kind == T_USHR) kind = operatorOf(T_USHR, 0, 0, T_USHR_ASSIGN);
        return finish(kind);
      }
      case '/': {
        int32_t next = readChar();
        if (next == '*') {
          skipBlockComment();
          if (global.noI18n && isNoI18nComment(start)) {
            char mark = s.text[start + 8];
            if (mark == '*') {
              s.noI18nPending = 1;
              s.exemptParenthesisDepth = 0;
            } else if (mark == '+') {
              s.noI18nDepth++;
            } else if (mark == '-') {
              s.noI18nDepth--;
            }
          }
          continue;
        }
        if (next == '/') {
          skipLineComment();
          continue;
        }
        if (next == '=') return finish(T_DIV_ASSIGN);
        unreadChar();
        return finish(T_DIV);
      }
      case '.': {
        int32_t next = readChar();
        unreadChar();
        return finish(isAsciiDigit(next) ? scanNumber('.') : T_DOT);
      }
      case '"': return finish(scanStringLiteral());
      case '\'': return finish(scanCharLiteral());
      case END_OF_TEXT:
        // What is missing at the end of the file is missing just past its last token, on that
        // token's line, not on a line after the last.
        unreadChar();
        t.line = s.tokenEndLine;
        t.column = s.tokenEndColumn;
        return finish(T_EOF);
      default:
        break;
    }
    if (isAsciiDigit(c)) return finish(scanNumber(c));
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '$' || c == '_') return finish(scanIdentifier(c));
    if (isJavaIdentifierStart(c)) return finish(scanIdentifier(c));
    // The language's white space is only blanks, tabs, form feeds and line breaks; a Ctrl-Z is
    // dropped as the very last character of a file.
    if (c == '\f') continue;
    if (c == CONTROL_Z && theInput.pendingCount == 0 && s.position >= s.length) continue;
    // The backslash of a malformed Unicode escape is reported with the escape.
    // At the character's first byte (its escape's backslash).
    if (c != '\\' || !atBadUnicodeEscape())
      errorAt(s.line, s.position - theInput.lastCharBytes - s.lineStart, "unknown.char", printableChar(static_cast<uint16_t>(c)), intToString(c));
    markLexicalError();
    return finish(T_ERROR);
  }
}

// The bytes of operators, which the skip below takes as runs: none begins a comment, a literal or
// a group, and no operator goes on past a byte outside this set.
constexpr std::array<bool, 128> makeOperatorBytes() {
  std::array<bool, 128> bytes{};
  for (char c : {'=', '!', '+', '-', '*', '%', '^', '&', '|', '<', '>', '~', '?', ',', ':', ';'})
    bytes[static_cast<unsigned char>(c)] = true;
  return bytes;
}

constexpr std::array<bool, 128> operatorBytes = makeOperatorBytes();

// A byte after a token that the token's scan may read on into: a backslash (a Unicode escape may
// continue the token) or a byte of a multibyte character.
bool mayContinueToken(const char* text, int32_t at, int32_t length) {
  if (at >= length) return false;
  auto b = static_cast<unsigned char>(text[at]);
  return b == '\\' || b >= 0x80;
}

// The end of a number that starts at `p` (a digit, or a point before one), as scanNumber takes it;
// -1 for one that it would report or that goes on past plain bytes.
int32_t plainNumberEnd(const char* text, int32_t p, int32_t length) {
  auto at = [&](int32_t i) { return i < length ? static_cast<unsigned char>(text[i]) : 0; };
  bool floating = false;
  if (at(p) == '0' && (at(p + 1) | 0x20) == 'x') {
    p += 2;
    if (!isHexDigit(at(p))) return -1;
    while (isHexDigit(at(p))) p++;
    if (at(p) == '.') return -1;
  } else {
    for (;; p++) {
      if (at(p) == '.') {
        floating = true;
      } else if (!isAsciiDigit(at(p))) {
        break;
      }
    }
    int32_t c = at(p) | 0x20;
    if (c == 'e' || c == 'd' || c == 'f') floating = true;
    if (floating) {
      if (c == 'e') {
        p++;
        if (at(p) == '+' || at(p) == '-') p++;
        if (!isAsciiDigit(at(p))) return -1;
        while (isAsciiDigit(at(p))) p++;
        c = at(p) | 0x20;
      }
      if (c == 'f' || c == 'd') p++;
      return mayContinueToken(text, p, length) ? -1 : p;
    }
  }
  if ((at(p) | 0x20) == 'l') p++;
  return mayContinueToken(text, p, length) ? -1 : p;
}

// The end of a string or character literal whose quote is at `p`, when every character between the
// quotes stands for itself or is a plain escape; -1 otherwise (a line break, a Unicode escape, an
// octal escape past its digits is fine, anything odd is the literal scan's to report).
int32_t plainLiteralEnd(const char* text, int32_t p, int32_t length) {
  char quote = text[p];
  int32_t characters = 0;
  for (int32_t i = p + 1; i < length; characters++) {
    auto b = static_cast<unsigned char>(text[i]);
    if (b == static_cast<unsigned char>(quote)) {
      // A character literal holds exactly one character.
      return quote == '"' || characters == 1 ? i + 1 : -1;
    }
    if (b == '\\') {
      if (i + 1 >= length) return -1;
      auto e = static_cast<unsigned char>(text[i + 1]);
      if (e == 'b' || e == 't' || e == 'n' || e == 'f' || e == 'r' || e == '"' || e == '\'' || e == '\\') {
        i += 2;
      } else if (e >= '0' && e <= '7') {
        int32_t digits = e <= '3' ? 3 : 2;
        i += 2;
        for (int32_t d = 1; d < digits && i < length && text[i] >= '0' && text[i] <= '7'; d++) i++;
      } else {
        return -1;
      }
      continue;
    }
    if ((byteClasses.classes[b] & BYTE_STRING) == 0 && b != '"' && b != '\'') return -1;
    i++;
  }
  return -1;
}

// The end of a line comment at p (its line break), or -1 where the token scan must take it: a
// backslash may be an escaped line break, and the end of the text a warning.
int32_t plainLineCommentEnd(const char* text, int32_t p, int32_t length) {
  int32_t end = p + 2;
  while (end < length) {
    auto c = static_cast<unsigned char>(text[end]);
    if (c == '\n' || c == '\r' || c == '\\' || c >= 0x80) break;
    end++;
  }
  if (end >= length || (text[end] != '\n' && text[end] != '\r')) return -1;
  return end;
}

// The end of a block comment at p, counting its line breaks into *line and *lineStart, or -1
// (nothing counted) where the token scan must take it: "/**/" is an empty comment, any other "/**"
// a doc comment, whose scan notes its tags; an escape or a byte past ASCII, or no end.
int32_t plainBlockCommentEnd(const char* text, int32_t p, int32_t length, int32_t* line, int32_t* lineStart) {
  if (p + 2 < length && text[p + 2] == '*' && !(p + 3 < length && text[p + 3] == '/')) return -1;
  int32_t end = p + 2;
  int32_t endLine = *line;
  int32_t endLineStart = *lineStart;
  for (;;) {
    while (end < length && (byteClasses.classes[static_cast<unsigned char>(text[end])] & BYTE_COMMENT) != 0) end++;
    if (end >= length) return -1;
    char c = text[end];
    if (c == '*') {
      end++;
      if (end < length && text[end] == '/') break;
    } else if (c == '\n' || c == '\r') {
      end += c == '\r' && end + 1 < length && text[end + 1] == '\n' ? 2 : 1;
      endLine++;
      endLineStart = end;
    } else {
      return -1;
    }
  }
  *line = endLine;
  *lineStart = endLineStart;
  return end + 1;
}

}  // namespace

bool skipGroupsInPlace(CloserStack* closers) {
  ScannerState& s = theScanner;
  if (s.pushedBack || theInput.pendingCount != 0 || s.collectNames || global.noI18n) return false;
  const char* text = s.text;
  int32_t length = s.length;
  int32_t p = s.position;
  int32_t line = s.line;
  int32_t lineStart = s.lineStart;
  int32_t parentheses = 0;
  // The end of the last token taken, as the token scan would leave it.
  int32_t tokenEnd = -1;
  int32_t tokenLine = line;
  int32_t tokenLineStart = lineStart;
  auto took = [&](int32_t end) {
    tokenEnd = end;
    tokenLine = line;
    tokenLineStart = lineStart;
  };
  // Leaves the scanner at `at`, the start of a token (or of white space before one).
  auto stop = [&](int32_t at) {
    s.position = at;
    s.line = line;
    s.lineStart = lineStart;
    s.parenthesisDepth += parentheses;
    theInput.lastCharBytes = 1;
    if (tokenEnd >= 0) {
      s.tokenEndLine = tokenLine;
      s.tokenEndColumn = tokenEnd - tokenLineStart;
      s.tokenCutShort = 0;
    }
    return false;
  };
  while (p < length) {
    auto b = static_cast<unsigned char>(text[p]);
    if (b == ' ' || b == '\t') {
      // A longer run (indentation) at a time.
      if (++p < length && (text[p] == ' ' || text[p] == '\t')) p = byteRunEnd(p, BYTE_BLANK);
    } else if (b == '\n' || b == '\r') {
      p += b == '\r' && p + 1 < length && text[p + 1] == '\n' ? 2 : 1;
      line++;
      lineStart = p;
    } else if (b < 0x80 && (byteClasses.classes[b] & BYTE_NAME) != 0 && !isAsciiDigit(b)) {
      int32_t end = byteRunEnd(p + 1, BYTE_NAME);
      if (end < length && (byteClasses.classes[static_cast<unsigned char>(text[end])] & BYTE_ENDS_NAME) == 0)
        return stop(p);
      p = end;
      took(p);
    } else if (isAsciiDigit(b) || (b == '.' && p + 1 < length && isAsciiDigit(text[p + 1]))) {
      int32_t end = plainNumberEnd(text, p, length);
      if (end < 0) return stop(p);
      p = end;
      took(p);
    } else if (b == '.') {
      if (mayContinueToken(text, p + 1, length)) return stop(p);
      took(++p);
    } else if (b == '"' || b == '\'') {
      int32_t end = plainLiteralEnd(text, p, length);
      if (end < 0) return stop(p);
      p = end;
      took(p);
    } else if (b == '/') {
      if (p + 1 >= length) return stop(p);
      char next = text[p + 1];
      if (next == '/') {
        int32_t end = plainLineCommentEnd(text, p, length);
        if (end < 0) return stop(p);
        p = end;
      } else if (next == '*') {
        int32_t end = plainBlockCommentEnd(text, p, length, &line, &lineStart);
        if (end < 0) return stop(p);
        p = end;
      } else {
        if (mayContinueToken(text, p + 1, length)) return stop(p);
        took(++p);
      }
    } else if (b < 0x80 && operatorBytes[b]) {
      int32_t end = p + 1;
      while (end < length && static_cast<unsigned char>(text[end]) < 0x80 && operatorBytes[static_cast<unsigned char>(text[end])])
        end++;
      if (mayContinueToken(text, end, length)) return stop(p);
      p = end;
      took(p);
    } else if (b == '{' || b == '(' || b == '[') {
      closers->push(b == '{' ? T_RBRACE : b == '(' ? T_RPAREN : T_RBRACKET);
      if (b == '(') parentheses++;
      took(++p);
    } else if (b == '}' || b == ')' || b == ']') {
      int32_t kind = b == '}' ? T_RBRACE : b == ')' ? T_RPAREN : T_RBRACKET;
      // A brace closes the parentheses and brackets open inside its braces too; one that finds no
      // braces open is the token scan's to put back.
      if (kind == T_RBRACE) {
        while (closers->top() != T_RBRACE && closers->size() > 1) closers->pop();
        if (closers->top() != T_RBRACE) return stop(p);
      }
      if (b == ')') parentheses--;
      if (closers->top() == kind) {
        closers->pop();
        if (closers->empty()) {
          stop(p + 1);
          takeInPlace(p, p + 1);
          finish(kind);
          return true;
        }
      }
      took(++p);
    } else {
      return stop(p);
    }
  }
  return stop(p);
}

namespace {

const char* const operatorSpellings[] = {
    ".",   "~",  "=",  "==", "<",  "<=", "<<", "<<=", ">",  ">=", ">>", ">>=", ">>>", ">>>=", "/",  "/=",
    "%",   "%=", "&",  "&&", "&=", "-",  "-=", "!=",  "|",  "|=", "||", "+",   "+=",  "*",    "*=", "^",
    "?",   "^=", ",",  "--", "!",  "++", ":",  ";",   "{",  "}",  "(",  ")",   "[",   "]",
};

}  // namespace

const char* tokenName(int32_t kind) {
  static const char* const literals[] = {"<EOF>", "<identifier>", "<integer>", "<floating>", "<string>"};
  if (kind >= T_EOF && kind <= T_STRING) return literals[kind];
  if (kind >= T_DOT && kind <= T_RBRACKET) return operatorSpellings[kind - T_DOT];
  if (kind >= FIRST_KEYWORD && kind <= LAST_KEYWORD) return keywordSpellings[kind - FIRST_KEYWORD];
  if (kind == T_ERROR) return "<error>";
  return "<unknown>";
}
