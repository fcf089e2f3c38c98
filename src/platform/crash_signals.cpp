// POSIX signal set-up for the crash handler: process-wide for the console program, and armed per
// call, chained to the host's own handlers, inside a virtual machine.
#include "platform/crash_signals.h"

#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr int CRASH_SIGNALS[] = {SIGSEGV, SIGFPE, SIGILL};
constexpr int CRASH_SIGNAL_COUNT = sizeof CRASH_SIGNALS / sizeof CRASH_SIGNALS[0];
constexpr size_t ALTERNATE_STACK_SIZE = 64 * 1024;

alignas(16) char alternateStack[ALTERNATE_STACK_SIZE];

// The state of an arming; written before the handlers are installed and read only by them.
void (*armedHandler)(int signalNumber);
volatile sig_atomic_t armed;
pid_t armedThread;
struct sigaction previousActions[CRASH_SIGNAL_COUNT];
stack_t previousStack;
bool stackReplaced;

}  // namespace

// The first and the last address of this program's own code, from the symbols the linker puts
// around the text of every executable and shared object.
extern "C" const char __ehdr_start[];
extern "C" const char etext[];

void installCrashHandlers(void (*handler)(int signalNumber)) {
#ifdef QUORVELIX_FUZZING
  // Under the fuzzer the sanitizers handle crashes, with the stack of the fault.
  (void)handler;
  return;
#endif
  static bool stackReady;
  if (!stackReady) {
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    stackReady = sigaltstack(&stack, nullptr) == 0;
  }
  struct sigaction action{};
  action.sa_handler = handler;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : CRASH_SIGNALS) sigaction(signalNumber, &action, nullptr);
}

static uintptr_t faultingInstruction(void* context) {
  const ucontext_t* machine = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
  return static_cast<uintptr_t>(machine->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  return static_cast<uintptr_t>(machine->uc_mcontext.pc);
#else
  (void)machine;
  return 0;
#endif
}

static bool raisedInOwnCode(void* context) {
  uintptr_t pc = faultingInstruction(context);
  return pc >= reinterpret_cast<uintptr_t>(__ehdr_start) && pc < reinterpret_cast<uintptr_t>(etext);
}

static int signalSlot(int signalNumber) {
  for (int i = 0; i < CRASH_SIGNAL_COUNT; i++)
    if (CRASH_SIGNALS[i] == signalNumber) return i;
  return 0;
}

// The signal as the previous handler would have had it. A default or ignored crash signal is
// given its default action and the faulting instruction runs again, which ends the process.
static void forwardSignal(int signalNumber, siginfo_t* info, void* context) {
  const struct sigaction& previous = previousActions[signalSlot(signalNumber)];
  if ((previous.sa_flags & SA_SIGINFO) != 0) {
    if (previous.sa_sigaction != nullptr) previous.sa_sigaction(signalNumber, info, context);
    return;
  }
  if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
    struct sigaction fallback{};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    return;
  }
  previous.sa_handler(signalNumber);
}

static void armedDispatch(int signalNumber, siginfo_t* info, void* context) {
  if (armed != 0 && gettid() == armedThread && raisedInOwnCode(context)) {
    armedHandler(signalNumber);
    return;
  }
  forwardSignal(signalNumber, info, context);
}

void armCrashHandlers(void (*handler)(int signalNumber)) {
#ifdef QUORVELIX_FUZZING
  (void)handler;
  return;
#endif
  armedHandler = handler;
  armedThread = gettid();
  // A thread of the host usually has no alternate stack; this one gets one for the call, so that
  // a stack overflow in the compiler still reaches the handler.
  stackReplaced = false;
  if (sigaltstack(nullptr, &previousStack) == 0 && (previousStack.ss_flags & SS_DISABLE) != 0) {
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    stackReplaced = sigaltstack(&stack, nullptr) == 0;
  }
  for (int i = 0; i < CRASH_SIGNAL_COUNT; i++) {
    struct sigaction action{};
    action.sa_sigaction = armedDispatch;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(CRASH_SIGNALS[i], nullptr, &previousActions[i]);
    // The host's handler runs as it expects, with the signals it blocks blocked.
    action.sa_mask = previousActions[i].sa_mask;
    sigaction(CRASH_SIGNALS[i], &action, &previousActions[i]);
  }
  armed = 1;
}

void disarmCrashHandlers() {
#ifdef QUORVELIX_FUZZING
  return;
#endif
  if (armed == 0) return;
  armed = 0;
  for (int i = 0; i < CRASH_SIGNAL_COUNT; i++) sigaction(CRASH_SIGNALS[i], &previousActions[i], nullptr);
  if (stackReplaced) {
    stack_t disabled{};
    disabled.ss_flags = SS_DISABLE;
    sigaltstack(&disabled, nullptr);
    stackReplaced = false;
  }
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
