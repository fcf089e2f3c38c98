// POSIX signal set-up for the crash handler.
#include "platform/crash_signals.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

void installCrashHandlers(void (*handler)(int signalNumber)) {
#ifdef QUORVELIX_FUZZING
  // Under the fuzzer the sanitizers handle crashes, with the stack of the fault.
  (void)handler;
  return;
#endif
  static bool stackReady;
  if (!stackReady) {
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    stackReady = sigaltstack(&stack, nullptr) == 0;
  }
  struct sigaction action{};
  action.sa_handler = handler;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, nullptr);
  sigaction(SIGFPE, &action, nullptr);
  sigaction(SIGILL, &action, nullptr);
}

void writeToStandardError(const char* text) {
  size_t length = std::strlen(text);
  while (length > 0) {
    ssize_t n = write(STDERR_FILENO, text, length);
    if (n <= 0) return;
    text += n;
    length -= n;
  }
}
