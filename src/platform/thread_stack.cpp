// POSIX threads for the stacks: a joinable thread with a stack of the asked size, and the bounds of
// the calling thread's stack as the thread library knows them.
#include "platform/thread_stack.h"

#include <pthread.h>
#include <sys/resource.h>

namespace {

constexpr size_t USUAL_STACK = 8u << 20;
constexpr size_t LARGEST_STACK = 1u << 30;

struct Work {
  void (*run)(void*);
  void* argument;
};

void* runWork(void* work) {
  const Work* w = static_cast<const Work*>(work);
  w->run(w->argument);
  return nullptr;
}

}  // namespace

size_t consoleStackSize() {
  struct rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur <= USUAL_STACK)
    return USUAL_STACK;
  return limit.rlim_cur < LARGEST_STACK ? static_cast<size_t>(limit.rlim_cur) : LARGEST_STACK;
}

bool runOnOwnStack(void (*work)(void* argument), void* argument, size_t stackBytes) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  Work w{work, argument};
  pthread_t thread;
  bool made = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
              pthread_create(&thread, &attributes, runWork, &w) == 0;
  pthread_attr_destroy(&attributes);
  if (made) pthread_join(thread, nullptr);
  return made;
}

uintptr_t callingThreadStackFloor(size_t reserve) {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  void* low = nullptr;
  size_t size = 0;
  int got = pthread_attr_getstack(&attributes, &low, &size);
  pthread_attr_destroy(&attributes);
  if (got != 0 || low == nullptr) return 0;
  return reinterpret_cast<uintptr_t>(low) + reserve;
}
