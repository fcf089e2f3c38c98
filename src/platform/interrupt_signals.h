// Interruption of the console program (SIGINT, SIGTERM, SIGHUP): a cleanup runs, then the signal
// ends the process as it would have without a handler, with the usual status. Inside a host
// process (a Java virtual machine) nothing is installed: the host keeps its own handling.
#pragma once

#include <signal.h>

// Installs the handler for each of the three signals that is not ignored (a compile started with
// nohup or in the background keeps ignoring it). The cleanup runs inside the handler: it may only
// read what the main program has finished writing and make async-signal-safe calls (unlink).
void installInterruptHandlers(void (*cleanup)());

// Holds the three signals back for the lifetime of the scope, so that the cleanup never sees a
// list half changed: a signal that arrives meanwhile is handled when the scope ends, which puts
// the thread's signal mask back as it found it. Does nothing when no handler is installed.
class HeldInterrupts {
 public:
  HeldInterrupts();
  ~HeldInterrupts();
  HeldInterrupts(const HeldInterrupts&) = delete;
  HeldInterrupts& operator=(const HeldInterrupts&) = delete;

 private:
  bool held_;
  sigset_t previous_;
};
