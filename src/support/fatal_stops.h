// The two stops every subsystem may take: out of memory and a failed internal assertion, with the
// compiler-state text that an assertion prints and the trace line of debugging builds.
#pragma once

#include <cstdint>

[[noreturn]] void outOfMemory();
[[noreturn]] void assertFailed(const char* file, int32_t line, const char* assertion);
// The compiler-state text a failed assertion prints (file, token, class, method): the layers that
// know that state install it; until then the assertion prints none.
using CompileStateHook = const char* (*)();
void setCompileStateHook(CompileStateHook hook);
// Ends the process when a crash or a failed assertion must not be survived (during a compile).
void abortIfStandalone();
void tracer(const char* file, int32_t line, const char* text);

#define QV_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : assertFailed(__FILE__, __LINE__, #condition))
