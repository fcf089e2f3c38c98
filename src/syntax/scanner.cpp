// The scanner's records and entry points. Still lacks the scanner itself and the keyword table:
// scanToken reports the end of the text at once.
#include "syntax/scanner.h"

namespace {
Token token;
ScannerState scanner;
}  // namespace

Token* currentToken() {
  return &token;
}

ScannerState* scannerState() {
  return &scanner;
}

void initScanner() {}

void setScanSource(const char* text, int32_t length, int32_t offset, int32_t line, int32_t lineStart) {
  scanner = ScannerState{};
  scanner.text = text;
  scanner.length = length;
  scanner.position = offset;
  scanner.line = line;
  scanner.lineStart = lineStart;
  scanner.collectNames = 1;
  token = Token{};
  token.line = line;
}

int32_t scanToken() {
  token.kind = T_EOF;
  token.line = scanner.line;
  token.start = scanner.position;
  token.column = scanner.position - scanner.lineStart;
  return token.kind;
}
