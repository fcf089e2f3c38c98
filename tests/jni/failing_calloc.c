/* Test-only, preloaded into a virtual machine: calloc fails for the one element count that
   QV_FAIL_CALLOC_COUNT names, so that a test reaches the library's own out-of-memory path. */
#include <stdlib.h>

extern void* __libc_calloc(size_t count, size_t size);

void* calloc(size_t count, size_t size) {
  static long failing = -2;
  if (failing == -2) {
    const char* value = getenv("QV_FAIL_CALLOC_COUNT");
    failing = value != NULL ? atol(value) : -1;
  }
  if (failing >= 0 && count == (size_t)failing) return NULL;
  return __libc_calloc(count, size);
}
