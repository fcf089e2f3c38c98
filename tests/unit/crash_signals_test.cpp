// The crash handlers armed inside a host process: they take only the faults of the arming thread
// in this program's own code, catch a second fault as the first, give every other signal to the
// handler that was there before, and put it back when disarmed.
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csetjmp>
#include <cstring>

#include "platform/crash_signals.h"
#include "test_support.h"

namespace {

thread_local sigjmp_buf landing;
volatile sig_atomic_t ownCatches;
volatile sig_atomic_t hostCatches;

void ownHandler(int) {
  ownCatches = ownCatches + 1;
  siglongjmp(landing, 1);
}

// Stands for the host's handler (a virtual machine's), installed before the arming.
void hostHandler(int, siginfo_t*, void*) {
  hostCatches = hostCatches + 1;
  siglongjmp(landing, 1);
}

class ArmedCrashHandlersTest : public testing::Test {
 protected:
  struct sigaction saved[2];
  volatile int* forbidden;

  void SetUp() override {
    ownCatches = 0;
    hostCatches = 0;
    struct sigaction host{};
    host.sa_sigaction = hostHandler;
    host.sa_flags = SA_SIGINFO;
    sigemptyset(&host.sa_mask);
    sigaction(SIGSEGV, &host, &saved[0]);
    sigaction(SIGFPE, &host, &saved[1]);
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    forbidden = static_cast<volatile int*>(page);
  }

  void TearDown() override {
    munmap(const_cast<int*>(forbidden), 4096);
    sigaction(SIGSEGV, &saved[0], nullptr);
    sigaction(SIGFPE, &saved[1], nullptr);
  }
};

// A fault in this program's code: a store to a page that may not be touched.
void touch(volatile int* address) {
  *address = 1;
}

// A fault in the C library's code.
void touchInLibrary(volatile int* address) {
  void* (*volatile fill)(void*, int, size_t) = std::memset;
  fill(const_cast<int*>(address), 0, 64);
}

TEST_F(ArmedCrashHandlersTest, TakeOwnFaultsOfTheArmingThreadAgainAndAgain) {
  {
    ArmedCrashHandlers armed(ownHandler);
    for (int i = 0; i < 3; i++)
      if (sigsetjmp(landing, 1) == 0) touch(forbidden);
  }
  EXPECT_EQ(ownCatches, 3);
  EXPECT_EQ(hostCatches, 0);
}

TEST_F(ArmedCrashHandlersTest, GiveFaultsOutsideOwnCodeToTheHost) {
  {
    ArmedCrashHandlers armed(ownHandler);
    if (sigsetjmp(landing, 1) == 0) touchInLibrary(forbidden);
    // A signal sent rather than raised by a fault: its instruction is the C library's too.
    if (sigsetjmp(landing, 1) == 0) raise(SIGFPE);
  }
  EXPECT_EQ(ownCatches, 0);
  EXPECT_EQ(hostCatches, 2);
}

TEST_F(ArmedCrashHandlersTest, GiveFaultsOfOtherThreadsToTheHost) {
  ArmedCrashHandlers armed(ownHandler);
  pthread_t other;
  auto faultOnce = [](void* address) -> void* {
    if (sigsetjmp(landing, 1) == 0) touch(static_cast<volatile int*>(address));
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&other, nullptr, faultOnce, const_cast<int*>(forbidden)), 0);
  pthread_join(other, nullptr);
  EXPECT_EQ(ownCatches, 0);
  EXPECT_EQ(hostCatches, 1);
}

TEST_F(ArmedCrashHandlersTest, DisarmingPutsTheHostsHandlersAndStackBack) {
  stack_t before;
  sigaltstack(nullptr, &before);
  {
    ArmedCrashHandlers armed(ownHandler);
    struct sigaction during;
    sigaction(SIGSEGV, nullptr, &during);
    EXPECT_NE(during.sa_sigaction, hostHandler);
  }
  struct sigaction after;
  for (int signalNumber : {SIGSEGV, SIGFPE}) {
    sigaction(signalNumber, nullptr, &after);
    EXPECT_EQ(after.sa_sigaction, hostHandler);
  }
  stack_t now;
  sigaltstack(nullptr, &now);
  EXPECT_EQ(now.ss_flags & SS_DISABLE, before.ss_flags & SS_DISABLE);
  EXPECT_EQ(now.ss_sp, before.ss_sp);
  if (sigsetjmp(landing, 1) == 0) touch(forbidden);
  EXPECT_EQ(hostCatches, 1);
  EXPECT_EQ(ownCatches, 0);
}

}  // namespace
