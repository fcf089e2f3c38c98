// The parser, attribution and scanner state, saved around the parse of another file or body in
// the middle of one, with fresh temporary and generation arenas for the nested work; and the guard
// that bounds how deeply the parse may nest.
#pragma once

#include <cstdint>

#include "support/arena.h"
#include "support/parser_context.h"
#include "syntax/scanner.h"
#include "syntax/scanner_input.h"

struct SourceFile;

struct SavedParseState {
  ParserContext ctx;
  Token token;
  ScannerState scanner;
  ScannerInput input;
  Arena tempArena;
  Arena genArena;
  Arena* currentArena;
  SourceFile* current;
};

// Saves the state, clears the context and gives the temporary and generation arenas fresh,
// empty headers; the main arena becomes current.
void saveParseState(SavedParseState* saved);
// Releases the fresh arenas and puts everything back.
void restoreParseState(const SavedParseState* saved);

// The scanner's whole state, the current token and the current source file, saved on
// construction and put back on destruction (a stop that unwinds through it included): around the
// parse of another initializer in the middle of a body.
struct ScanSnapshot {
  ScannerState scanner;
  Token token;
  ScannerInput input;
  SourceFile* current;
  ScanSnapshot();
  ~ScanSnapshot();
  ScanSnapshot(const ScanSnapshot&) = delete;
  ScanSnapshot& operator=(const ScanSnapshot&) = delete;
};

// Saves on construction and restores on destruction, so a stop that unwinds through the nested
// work still hands back the interrupted work's arenas.
struct NestedParseScope {
  SavedParseState saved;
  NestedParseScope() { saveParseState(&saved); }
  ~NestedParseScope() { restoreParseState(&saved); }
  NestedParseScope(const NestedParseScope&) = delete;
  NestedParseScope& operator=(const NestedParseScope&) = delete;
};

// The parser calls itself once for each level of nesting in the source: classes in classes, and
// blocks in blocks and expressions in expressions once bodies are parsed. Every level takes stack,
// several times more in the sanitizer build, so each holds a ParseNesting while it is parsed, and
// one that would pass MAX_PARSE_NESTING levels is reported and skipped by its caller instead of
// parsed: no input can exhaust the stack. Hand-written code stays far below the limit.
//
// On a thread whose stack is smaller than the console program's (an evaluation on an IDE's
// thread), `global.stackFloor` marks where the stack must not be passed: the level that would
// pass it is reported as too deep as well, with the levels reached as the limit.
//
// The count lives in `global.parseNesting` and is shared by every kind of level. It is kept, not
// cleared, across the parse of another file in the middle of one, since the interrupted parse still
// holds its stack; a stop that unwinds through the parse takes its levels back with it.
constexpr int32_t MAX_PARSE_NESTING = 256;

class ParseNesting {
 public:
  ParseNesting();
  ~ParseNesting();
  ParseNesting(const ParseNesting&) = delete;
  ParseNesting& operator=(const ParseNesting&) = delete;
  // True when this level passes the limit, after "nesting.too.deep" was reported at the position;
  // the caller then skips the construct without parsing what it holds.
  bool tooDeep(int32_t line, int32_t column) const;
};
