// The passes over the source files that come before the class passes: the parse of every file,
// and the scan-only mode, which runs the scanner over every file and nothing else.
#include "driver/source_passes.h"

#include <cstdio>

#include "support/global.h"
#include "support/source_file.h"
#include "syntax/compilation_unit.h"
#include "syntax/scanner.h"

void parseAllFiles() {
  for (SourceFile* file = global.sources; file != nullptr; file = file->next) parseCompilationUnit(file);
}

// Whether a token can end an operand, so that a minus after it is a binary one.
static bool endsOperand(int32_t kind) {
  switch (kind) {
    case T_IDENTIFIER:
    case T_INTEGER:
    case T_FLOATING:
    case T_STRING:
    case T_RPAREN:
    case T_RBRACKET:
    case T_INCREMENT:
    case T_DECREMENT:
    case T_THIS:
    case T_SUPER:
    case T_TRUE:
    case T_FALSE:
    case T_NULL:
      return true;
    default:
      return false;
  }
}

// Where the echo of the tokens stands in the file being echoed: set at its beginning, since a
// stop may have ended the last one anywhere.
static int32_t echoLine;
static int32_t echoPosition;

void scanOnlyFiles() {
  for (SourceFile* file = global.sources; file != nullptr; file = file->next) {
    setScanSource(file, 0, 1, 0);
    echoLine = 1;
    echoPosition = 0;
    int32_t previous = T_EOF;
    int32_t kind;
    do {
      kind = scanToken();
      // With no parser to say so, a minus where no operand ends is taken as a prefix minus, as the
      // parser would, so that -2147483648 scans as it compiles.
      if (kind == T_MINUS && !endsOperand(previous)) token().flags |= TOKEN_PREFIX;
      if (global.echoTokens) echoToken(&token());
      previous = kind;
    } while (kind != T_EOF);
  }
}

void echoToken(const Token* token) {
  const ScannerState* scanner = scannerState();
  const char* text = scanner->text;
  // The end of the text takes the last token's line for messages; the echo goes on to the real end.
  int32_t line = token->kind == T_EOF ? scanner->line : token->line;
  while (echoLine < line) {
    std::putchar('\n');
    echoLine++;
    echoPosition = scanner->lineStart;
  }
  for (int32_t i = echoPosition; i < token->start; i++) std::putchar(text[i] == '\t' ? '\t' : ' ');
  std::printf("%.*s", scanner->position - token->start, text + token->start);
  echoPosition = scanner->position;
}
