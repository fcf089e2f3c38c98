// POSIX handlers for the interrupting signals, with SA_RESETHAND: the handler runs once, and the
// signal it raises again once the cleanup is done takes the default action when it returns.
#include "platform/interrupt_signals.h"

#include <signal.h>

#include <csignal>

namespace {

constexpr int INTERRUPT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

void (*interruptCleanup)();
volatile sig_atomic_t interruptsInstalled;

sigset_t interruptSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signalNumber : INTERRUPT_SIGNALS) sigaddset(&set, signalNumber);
  return set;
}

void onInterrupt(int signalNumber) {
  if (interruptCleanup != nullptr) interruptCleanup();
  // Blocked while the handler runs: delivered with the default action as it returns.
  raise(signalNumber);
}

}  // namespace

void installInterruptHandlers(void (*cleanup)()) {
  interruptCleanup = cleanup;
  struct sigaction action{};
  action.sa_handler = onInterrupt;
  action.sa_flags = SA_RESETHAND;
  // One cleanup at a time: the other two wait until the first has ended the process.
  action.sa_mask = interruptSet();
  for (int signalNumber : INTERRUPT_SIGNALS) {
    struct sigaction previous{};
    if (sigaction(signalNumber, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    sigaction(signalNumber, &action, nullptr);
  }
  interruptsInstalled = 1;
}

HeldInterrupts::HeldInterrupts() : held_(interruptsInstalled != 0) {
  if (!held_) return;
  sigset_t set = interruptSet();
  sigprocmask(SIG_BLOCK, &set, &previous_);
}

HeldInterrupts::~HeldInterrupts() {
  if (held_) sigprocmask(SIG_SETMASK, &previous_, nullptr);
}
