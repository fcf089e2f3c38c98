// Out of memory leaves at once and silently: the driver prints the note. A failed assertion is
// reported with the compiler state and ends the process during a compile; only the evaluator,
// which runs with abortOnFatal clear, goes on to the fatal stop.
#include "support/fatal_stops.h"

#include <cstdio>
#include <cstdlib>

#include "support/diagnostics.h"
#include "support/global.h"

void abortIfStandalone() {
  if (global.abortOnFatal != 0) std::abort();
}

void outOfMemory() {
  stopCompile(STOP_OUT_OF_MEMORY);
}

static CompileStateHook compileStateHook;

void setCompileStateHook(CompileStateHook hook) {
  compileStateHook = hook;
}

void assertFailed(const char* file, int32_t line, const char* assertion) {
  char text[4096];
  std::snprintf(text, sizeof text, "ASSERT ERROR: In %s at %d, assert(%s) failed. %s",
                file != nullptr ? file : "", line, assertion != nullptr ? assertion : "",
                compileStateHook != nullptr ? compileStateHook() : "");
  global.errorCount++;
  if (global.messageCallback != nullptr) {
    global.messageCallback(text);
  } else {
    printLine(text);
    abortIfStandalone();
  }
  stopCompile(STOP_FATAL);
}

void tracer(const char* file, int32_t line, const char* text) {
  std::printf("TRACER: FILE=\"%s\", LINE=%d: %s\n", file != nullptr ? file : "", line,
              text != nullptr ? text : "");
}
