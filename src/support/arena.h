// Memory arenas: blocks from which zeroed compiler records are carved and never freed singly,
// plus the growable work buffers and the pair that opens and closes the memory of one compile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct ZipFile;

struct Arena {
  void* retired;   // most recently retired block; each block's first word links the one before
  void* retiredLarge;  // the blocks of single large requests, linked alike
  char* block;     // current block
  int32_t free;    // bytes still free at the end of the current block
  int32_t taken;   // bytes of all blocks held, headers included
  int32_t peak;    // largest `taken` seen at a reset
};

constexpr int32_t ARENA_BLOCK_SIZE = 16384;
// A block begins with its link word; what follows is handed out.
constexpr int32_t ARENA_HEADER_SIZE = 8;
// Requests above this that do not fit in the current block get a block of their own.
constexpr int32_t ARENA_LARGE_REQUEST = 8184;

void initArena(Arena* arena);
void newArenaBlock(Arena* arena);
// The request that the current block cannot serve: a new block, or a block of its own.
void* arenaAllocFromNewBlock(Arena* arena, size_t n);

// n bytes, rounded up to eight, whose contents are left as they are: for a buffer that is written
// before it is read.
inline void* arenaAllocUncleared(Arena* arena, size_t n) {
  // The room left is a multiple of eight, so a request that fits still fits rounded.
  if (n <= static_cast<size_t>(arena->free) && arena->block != nullptr) {
    char* piece = arena->block + (ARENA_BLOCK_SIZE - arena->free);
    arena->free -= static_cast<int32_t>((n + 7) & ~size_t{7});
    return piece;
  }
  return arenaAllocFromNewBlock(arena, n);
}

// n zeroed bytes, rounded up to eight. A record's size is known where it is made, so its clearing
// is a few stores there.
inline void* arenaAlloc(Arena* arena, size_t n) {
  void* piece = arenaAllocUncleared(arena, n);
  std::memset(piece, 0, (n + 7) & ~size_t{7});
  return piece;
}

void resetArena(Arena* arena);
void releaseArena(Arena* arena);

// Allocates n zeroed bytes from the arena that node, type and scope constructors use
// (global.currentArena); currentNew, beside global, makes one record there.
void* currentAlloc(size_t n);

// Typed allocation, zeroed as arenaAlloc gives it: one record, an array of `count`, or a record
// followed by `tailBytes` of its own (a name or string stored after its header). Records are
// built through these and their constructors only, never through a cast of arenaAlloc.
template <class T>
T* arenaNew(Arena* arena) {
  return static_cast<T*>(arenaAlloc(arena, sizeof(T)));
}

template <class T>
T* arenaNewArray(Arena* arena, size_t count) {
  // An overflowing size asks for more than any arena gives, which stops as out of memory.
  return static_cast<T*>(arenaAlloc(arena, count <= SIZE_MAX / sizeof(T) ? sizeof(T) * count : SIZE_MAX));
}

template <class T>
T* arenaNewWithTail(Arena* arena, size_t tailBytes) {
  return static_cast<T*>(arenaAlloc(arena, tailBytes <= SIZE_MAX - sizeof(T) ? sizeof(T) + tailBytes : SIZE_MAX));
}

// Doubles the buckets of a chained hash table kept in the arena (to `initialSize` the first time)
// and moves every node to its new bucket: hashOf(node) masked by the new size; `link` chains a
// bucket. The old buckets stay behind in the arena, at most as much again in all.
template <class Node, class HashOf>
void growArenaBuckets(Arena* arena, Node*** buckets, uint32_t* size, uint32_t initialSize, Node* Node::*link,
                      HashOf hashOf) {
  uint32_t oldSize = *size;
  Node** old = *buckets;
  uint32_t newSize = oldSize > 0 ? oldSize * 2 : initialSize;
  Node** grown = arenaNewArray<Node*>(arena, newSize);
  for (uint32_t i = 0; i < oldSize; i++) {
    for (Node* node = old[i]; node != nullptr;) {
      Node* next = node->*link;
      Node** bucket = &grown[hashOf(node) & (newSize - 1)];
      node->*link = *bucket;
      *bucket = node;
      node = next;
    }
  }
  *buckets = grown;
  *size = newSize;
}

// Copies bytes into the arena.
void* arenaCopy(Arena* arena, const void* bytes, size_t size);
// Copies a C string into the main arena.
char* mainArenaCopy(const char* text);

void growScratchBuffer(int32_t n);
void growCharBuffer(int32_t n);
void growClassFileBuffer(int32_t n);

// The C heap, for the blocks the compiler frees itself: malloc, calloc and realloc, null when the
// host has no memory left or the test limit refuses the request. The arenas take their blocks
// through the same limit: with _QV_ALLOCATIONS=n in the environment, the first n allocations of
// the process succeed and every later one fails, as on a host out of memory, so that tests can
// run out of memory at every point of a compile.
void* heapAllocate(size_t size);
void* heapAllocateZeroed(size_t count, size_t size);
void* heapReallocate(void* block, size_t size);

// Opens the arenas and work buffers of a compile; releaseMemory gives back what is held (nothing
// after a release, or before the first opening), closes the archives on the search paths and
// zeroes global.
void initMemory();
void releaseMemory();
// How releaseMemory closes an archive: the zip reader installs it with the first archive it
// opens, so no archive is open without it.
using ArchiveCloser = void (*)(ZipFile* archive);
void setArchiveCloser(ArchiveCloser closer);
