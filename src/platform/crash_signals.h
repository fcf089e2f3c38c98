// Crash signals (segmentation fault, illegal instruction, floating-point trap) routed to one
// handler that runs on an alternate stack, so a stack overflow still reaches it.
#pragma once

// The console program: the handler takes every crash signal of the process.
void installCrashHandlers(void (*handler)(int signalNumber));

// Inside a host process that uses these signals itself (a Java virtual machine takes its own
// null checks, divisions and safepoint polls as SIGSEGV and SIGFPE): while armed, the handler
// takes only a signal raised on the arming thread whose faulting instruction lies in this
// program's own code; every other signal goes to the handler that was installed before. Disarming
// puts the previous handlers and the thread's alternate stack back. One thread arms at a time.
void armCrashHandlers(void (*handler)(int signalNumber));
void disarmCrashHandlers();

// Armed for the lifetime of the scope. A handler may leave by siglongjmp to a point inside the
// scope (a trap armed with the signal mask saved), so a second fault is caught as the first.
class ArmedCrashHandlers {
 public:
  explicit ArmedCrashHandlers(void (*handler)(int signalNumber)) { armCrashHandlers(handler); }
  ~ArmedCrashHandlers() { disarmCrashHandlers(); }
  ArmedCrashHandlers(const ArmedCrashHandlers&) = delete;
  ArmedCrashHandlers& operator=(const ArmedCrashHandlers&) = delete;
};

// Writes text to standard error with no buffering and no allocation, as a handler may.
void writeToStandardError(const char* text);
