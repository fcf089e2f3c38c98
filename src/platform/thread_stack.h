// Stacks of threads: work run on a thread of its own with the stack the console program has, and
// the depth below which the calling thread's stack runs out. A host's thread (an IDE's Java
// thread) may have a stack of 256 KB, far less than a compile that nests deeply needs.
#pragma once

#include <cstddef>
#include <cstdint>

// The stack the console program's main thread gets under the usual limit: the soft stack limit
// when it is set and larger, else 8 MiB; never more than 1 GiB.
size_t consoleStackSize();

// Runs work(argument) on a new thread with a stack of `stackBytes` and waits for it to end;
// false, with nothing run, when no such thread can be made.
bool runOnOwnStack(void (*work)(void* argument), void* argument, size_t stackBytes);

// The address below which the calling thread's stack has fewer than `reserve` bytes left (stacks
// grow down); 0 when the thread's stack is not known.
uintptr_t callingThreadStackFloor(size_t reserve);

// The current depth of the calling thread's stack, as callingThreadStackFloor compares it.
inline uintptr_t stackAddress() {
  return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
}
