// Saving the parse state around a nested parse, and the count of nested levels.
#include "syntax/parser_state.h"

#include "platform/thread_stack.h"
#include "support/diagnostics.h"
#include "support/global.h"

void saveParseState(SavedParseState* saved) {
  saved->ctx = global.ctx;
  saved->token = token();
  saved->scanner = theScanner;
  saved->input = theInput;
  saved->tempArena = global.tempArena;
  saved->genArena = global.genArena;
  saved->currentArena = global.currentArena;
  saved->current = global.current;
  global.ctx = ParserContext{};
  initArena(&global.tempArena);
  initArena(&global.genArena);
  global.currentArena = &global.mainArena;
}

void restoreParseState(const SavedParseState* saved) {
  releaseArena(&global.tempArena);
  releaseArena(&global.genArena);
  global.tempArena = saved->tempArena;
  global.genArena = saved->genArena;
  global.currentArena = saved->currentArena;
  global.ctx = saved->ctx;
  token() = saved->token;
  theScanner = saved->scanner;
  theInput = saved->input;
  global.current = saved->current;
}

ScanSnapshot::ScanSnapshot() : scanner(theScanner), token(::token()), input(theInput), current(global.current) {}

ScanSnapshot::~ScanSnapshot() {
  theScanner = scanner;
  ::token() = token;
  theInput = input;
  global.current = current;
}

ParseNesting::ParseNesting() {
  global.parseNesting++;
}

static int32_t parseNestingLimit() {
  return global.parseNestingLimit != 0 ? global.parseNestingLimit : MAX_PARSE_NESTING;
}

ParseNesting::~ParseNesting() {
  global.parseNesting--;
  // Back out of the level that held the skipped construct: a later one is a fault of its own.
  if (global.parseNesting < parseNestingLimit()) global.parseNestingReported = 0;
}

// Reported once for the construct skipped: what follows it at the same level (the finally part
// of a skipped try, the rest of the block) is skipped without a report of its own. A level that
// would take the stack below its floor ends the levels of this parse there.
bool ParseNesting::tooDeep(int32_t line, int32_t column) const {
  int32_t limit = parseNestingLimit();
  if (global.parseNesting <= limit) {
    if (global.stackFloor == 0 || stackAddress() >= global.stackFloor) return false;
    // The calling thread's stack gives out before the levels do: this parse allows the levels
    // reached so far and no more (none is -1, since 0 means no limit of its own).
    limit = global.parseNesting - 1;
    global.parseNestingLimit = limit > 0 ? limit : -1;
  }
  if (!global.parseNestingReported) errorAt(line, column, "nesting.too.deep", intToString(limit > 0 ? limit : 0));
  global.parseNestingReported = 1;
  return true;
}
