// The scanner: tokens of one source file or expression string, read on demand.
#pragma once

#include <cstdint>

struct Identifier;

enum TokenKind : int32_t {
  T_EOF = 0,
  T_IDENTIFIER = 1,
  T_INTEGER = 2,
  T_FLOATING = 3,
  T_STRING = 4,
  T_ERROR = 103,
};

// The current token; a record of its own outside `global`, so an in-process release keeps it.
struct Token {
  int32_t kind;
  int32_t line;
  int32_t column;
  int32_t start;
  int32_t flags;
  int64_t integerValue;
  double floatingValue;
  int32_t literalType;
  Identifier* identifier;
};

struct ScannerState {
  const char* text;
  int32_t length;
  int32_t position;
  int32_t line;
  int32_t lineStart;
  int32_t pushedBack;
  int32_t collectNames;
  int32_t deprecatedSeen;
  int32_t parenthesisDepth;
  int32_t noI18nDepth;
  uint8_t noI18nPending;
  int32_t exemptParenthesisDepth;
};

Token* currentToken();
ScannerState* scannerState();

void initScanner();
// Sets the scanner on `text` at the given offset, line and line start.
void setScanSource(const char* text, int32_t length, int32_t offset, int32_t line, int32_t lineStart);
int32_t scanToken();
