// The parser, attribution and scanner state, saved around the parse of another file or body in
// the middle of one, with fresh temporary and generation arenas for the nested work.
#pragma once

#include "support/arena.h"
#include "syntax/parser_context.h"
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

// Saves on construction and restores on destruction, so a stop that unwinds through the nested
// work still hands back the interrupted work's arenas.
struct NestedParseScope {
  SavedParseState saved;
  NestedParseScope() { saveParseState(&saved); }
  ~NestedParseScope() { restoreParseState(&saved); }
  NestedParseScope(const NestedParseScope&) = delete;
  NestedParseScope& operator=(const NestedParseScope&) = delete;
};
