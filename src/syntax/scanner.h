// The scanner: tokens of one source file or expression string, read on demand. Characters come
// from nextUnicode, which decodes the host's multibyte text and Unicode escapes into UTF-16.
#pragma once

#include <cstdint>

#include "support/frame_stack.h"

struct Identifier;
struct SourceFile;

enum TokenKind : int32_t {
  T_EOF = 0,
  T_IDENTIFIER = 1,
  T_INTEGER = 2,  // also character literals
  T_FLOATING = 3,
  T_STRING = 4,
  T_DOT = 5,
  T_TILDE = 6,
  T_ASSIGN = 7,
  T_EQ = 8,
  T_LT = 9,
  T_LE = 10,
  T_SHL = 11,
  T_SHL_ASSIGN = 12,
  T_GT = 13,
  T_GE = 14,
  T_SHR = 15,
  T_SHR_ASSIGN = 16,
  T_USHR = 17,
  T_USHR_ASSIGN = 18,
  T_DIV = 19,
  T_DIV_ASSIGN = 20,
  T_REM = 21,
  T_REM_ASSIGN = 22,
  T_AND = 23,
  T_ANDAND = 24,
  T_AND_ASSIGN = 25,
  T_MINUS = 26,
  T_MINUS_ASSIGN = 27,
  T_NE = 28,
  T_OR = 29,
  T_OR_ASSIGN = 30,
  T_OROR = 31,
  T_PLUS = 32,
  T_PLUS_ASSIGN = 33,
  T_STAR = 34,
  T_STAR_ASSIGN = 35,
  T_XOR = 36,
  T_QUESTION = 37,
  T_XOR_ASSIGN = 38,
  T_COMMA = 39,
  T_DECREMENT = 40,
  T_NOT = 41,
  T_INCREMENT = 42,
  T_COLON = 43,
  T_SEMICOLON = 44,
  T_LBRACE = 45,
  T_RBRACE = 46,
  T_LPAREN = 47,
  T_RPAREN = 48,
  T_LBRACKET = 49,
  T_RBRACKET = 50,
  T_ABSTRACT = 51,
  T_BOOLEAN = 52,
  T_BREAK = 53,
  T_BYTE = 54,
  T_CASE = 55,
  T_CATCH = 56,
  T_CHAR = 57,
  T_CLASS = 58,
  T_CONST = 59,
  T_CONTINUE = 60,
  T_DEFAULT = 61,
  T_DO = 62,
  T_DOUBLE = 63,
  T_ELSE = 64,
  T_EXTENDS = 65,
  T_FALSE = 66,
  T_FINAL = 67,
  T_FINALLY = 68,
  T_FLOAT = 69,
  T_FOR = 70,
  T_GOTO = 71,
  T_IF = 72,
  T_IMPLEMENTS = 73,
  T_IMPORT = 74,
  T_INSTANCEOF = 75,
  T_INT = 76,
  T_INTERFACE = 77,
  T_LONG = 78,
  T_NATIVE = 79,
  T_NEW = 80,
  T_NULL = 81,
  T_PACKAGE = 82,
  T_PRIVATE = 83,
  T_PROTECTED = 84,
  T_PUBLIC = 85,
  T_RETURN = 86,
  T_SHORT = 87,
  T_STATIC = 88,
  T_STRICTFP = 89,
  T_SUPER = 90,
  T_SWITCH = 91,
  T_SYNCHRONIZED = 92,
  T_THIS = 93,
  T_THROW = 94,
  T_THROWS = 95,
  T_TRANSIENT = 96,
  T_TRUE = 97,
  T_TRY = 98,
  T_VOID = 99,
  T_VOLATILE = 100,
  T_WHILE = 101,
  T_WIDEFP = 102,
  T_ERROR = 103,
};

constexpr int32_t FIRST_KEYWORD = T_ABSTRACT;
constexpr int32_t LAST_KEYWORD = T_WIDEFP;

// The end of the text: outside the 16-bit range, so no character is mistaken for it.
constexpr int32_t END_OF_TEXT = 0x77777777;
constexpr int32_t CONTROL_Z = 0x1A;

// Token flag: the parser took this operator as a prefix operator.
constexpr int32_t TOKEN_PREFIX = 1;

// The current token; a record of its own outside `global`, so an in-process release keeps it.
struct Token {
  int32_t kind;
  int32_t line;
  int32_t column;
  int32_t start;
  int32_t flags;
  int64_t integerValue;
  double floatingValue;
  int32_t literalType;  // T_CHAR, T_DOUBLE, T_FLOAT, T_INT or T_LONG
  Identifier* identifier;
};

// The scanner's place in its text; the parser saves and restores it with the token around the
// parse of another body.
struct ScannerState {
  const char* text;
  int32_t length;
  int32_t position;
  int32_t line;
  int32_t lineStart;
  int32_t pushedBack;
  int32_t collectNames;
  // A deprecated tag in a doc comment before the current token; docDeprecated holds one seen
  // since the last token, which the next token takes.
  int32_t deprecatedSeen;
  int32_t docDeprecated;
  int32_t parenthesisDepth;
  int32_t noI18nDepth;
  uint8_t noI18nPending;
  int32_t exemptParenthesisDepth;
  uint8_t utf8Text;  // the text is UTF-8 whatever the locale (a source converted from its encoding)
  // Where the token before the current one ended (its line, and the column just past it): a ";"
  // missing at the end of a line belongs there, not at the next line's first token.
  int32_t previousEndLine;
  int32_t previousEndColumn;
  // One more than the start of the token before which a missing ";" was last taken as written.
  int32_t semicolonTakenBefore;
  // Where the last token other than the end of the text ended, whatever was skipped after it in
  // place: the end of the token before the next one, and the place of the end of the text.
  int32_t tokenEndLine;
  int32_t tokenEndColumn;
  // A string or character literal that a line break or the end of the text cut short (reported),
  // as it is being scanned, as the last token, and as the token before the current one: the ";"
  // it took in is no fault of its own.
  uint8_t cutShort;
  uint8_t tokenCutShort;
  uint8_t previousCutShort;
  // Tokens finished so far, and the number of the last one that held a lexical error (0 for
  // none): the parser does not report a syntax error at that token or the next, which the
  // lexical error has already explained.
  int32_t tokenCount;
  int32_t lexicalErrorToken;
  // The backslash of the last Unicode escape reported as malformed, so that a body scanned again
  // does not report it twice.
  const char* badEscapeText;
  int32_t badEscapePosition;
};

extern Token theToken;
extern ScannerState theScanner;

// The current token, which scanner, parser and attribution alike read and write through here
// (theToken is only where it is kept).
inline Token& token() {
  return theToken;
}

// An error at the current token; none at the end of the text when a lexical error there (a
// comment left open) has explained it.
void reportHere(const char* key);
// Marks the token being scanned as one that holds a lexical error.
void markLexicalError();
// Whether the token being scanned holds a lexical error already reported (one is enough).
bool tokenHasLexicalError();
// Whether the backslash just read is that of a Unicode escape already reported as malformed.
bool atBadUnicodeEscape();
// Whether the current token holds a lexical error or follows one.
bool afterLexicalError();

inline ScannerState* scannerState() {
  return &theScanner;
}

// The current token stands on a later line than the token before it, or is the end of the text:
// a ";" missing after the token before it is missing at the end of that token's line.
inline bool lineEndsBeforeToken() {
  return theToken.kind == T_EOF || theToken.line > theScanner.previousEndLine;
}

// The keywords entered, and the token, the scanner's place and its pending input back to their
// zero state: every compile and evaluation begins with it.
void initScanner();
void setScanString(const char* text);
void setScanSource(SourceFile* file, int32_t offset, int32_t line, int32_t column);
int32_t scanToken();
void pushBackToken();
// The current token read again from its start, as the scanner now reads (names collected); what
// came before it stays as its first scan saw it.
void rescanToken();
void setNameCollection(int32_t collect);

// The skip of a body by the declaration pass, straight from the text: `closers` holds the closing
// kinds of the groups open, innermost last, and is kept as the token scan keeps it (a "}" also
// closes the parentheses and brackets open inside its braces). It stops at the first thing whose
// scan needs more than its bytes (a backslash, a byte of a multibyte character, a doc comment,
// anything that would be reported, the end of the text) with the scanner at that token's start,
// for scanToken to go on. True when the last group closed: its closer is then the current token,
// as scanToken would have left it. Only for a scan that collects no names, outside -noi18n.
using CloserStack = FrameStack<int32_t, 64>;
bool skipGroupsInPlace(CloserStack* closers);

int32_t nextUnicode();
void unreadChar();
int32_t scanUnicodeEscape();
int32_t scanIdentifier(int32_t first);
void newLine(int32_t carriageReturn);

// The text of a token kind as messages show it: "<EOF>", "<identifier>", "+=", "class" ...
const char* tokenName(int32_t kind);
