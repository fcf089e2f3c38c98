// Arena allocation: a rounding, a comparison and a subtraction in the common case, and the piece
// cleared. Only what is handed out is zeroed, once, as it is handed out: a block is never cleared
// whole, so a reset or a block taken again costs nothing for the bytes no request reaches.
#include "support/arena.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/path_cache.h"

static_assert(sizeof(void*) <= ARENA_HEADER_SIZE, "the link word must fit the block header");

namespace {

// The test limit: -2 until the environment is read, -1 for none, else the allocations still granted.
int64_t allocationsLeft = -2;

bool allocationAllowed() {
  if (allocationsLeft == -2) {
    const char* limit = std::getenv("_QV_ALLOCATIONS");
    char* end = nullptr;
    long long n = limit != nullptr ? std::strtoll(limit, &end, 10) : -1;
    allocationsLeft = limit != nullptr && end != limit && *end == '\0' && n >= 0 ? n : -1;
  }
  if (allocationsLeft < 0) return true;
  if (allocationsLeft == 0) return false;
  allocationsLeft--;
  return true;
}

}  // namespace

void* heapAllocate(size_t size) {
  return allocationAllowed() ? std::malloc(size) : nullptr;
}

void* heapAllocateZeroed(size_t count, size_t size) {
  return allocationAllowed() ? std::calloc(count, size) : nullptr;
}

void* heapReallocate(void* block, size_t size) {
  return allocationAllowed() ? std::realloc(block, size) : nullptr;
}

static void linkBlock(void* block, void* previous) {
  std::memcpy(block, &previous, sizeof previous);
}

static void* blockLink(void* block) {
  void* previous;
  std::memcpy(&previous, block, sizeof previous);
  return previous;
}

// The first block is taken at the first request: the fresh arenas made around every nested
// parse often stay unused.
void initArena(Arena* arena) {
  std::memset(arena, 0, sizeof *arena);
}

namespace {

// Blocks of the standard size are carved from slabs mapped from the system, with all their pages
// made in one call rather than a fault each.
// The pool serves every arena of the process and gives its slabs back once no arena holds a block
// of them (the end of an in-process compile). Under the address sanitizer each block is a heap
// block of its own, so that a run past its end is caught and what it points to is seen.
constexpr int32_t SLAB_BLOCKS = 64;
constexpr size_t SLAB_SIZE = static_cast<size_t>(SLAB_BLOCKS) * ARENA_BLOCK_SIZE;

struct BlockPool {
  void* givenBack;  // linked through each block's first word
  char* fresh;      // the next block never taken, in the newest slab
  int32_t freshLeft;
  int64_t held;     // blocks out in arenas
  void** slabs;
  int32_t slabCount;
  int32_t slabCapacity;
};

BlockPool pool;

#if defined(__SANITIZE_ADDRESS__)
#define ARENA_HEAP_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ARENA_HEAP_BLOCKS 1
#endif
#endif

#if defined(ARENA_HEAP_BLOCKS)
char* takeBlock() {
  return static_cast<char*>(heapAllocate(ARENA_BLOCK_SIZE));
}

void giveBackBlock(void* block) {
  std::free(block);
}
#else
char* takeBlock() {
  if (!allocationAllowed()) return nullptr;
  if (pool.givenBack != nullptr) {
    char* block = static_cast<char*>(pool.givenBack);
    pool.givenBack = blockLink(block);
    pool.held++;
    return block;
  }
  if (pool.freshLeft == 0) {
    if (pool.slabCount == pool.slabCapacity) {
      int32_t capacity = pool.slabCapacity > 0 ? pool.slabCapacity * 2 : 16;
      auto* grown = static_cast<void**>(std::realloc(pool.slabs, sizeof(void*) * capacity));
      if (grown == nullptr) return nullptr;
      pool.slabs = grown;
      pool.slabCapacity = capacity;
    }
    void* slab = mmap(nullptr, SLAB_SIZE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (slab == MAP_FAILED) return nullptr;
    pool.slabs[pool.slabCount++] = slab;
    pool.fresh = static_cast<char*>(slab);
    pool.freshLeft = SLAB_BLOCKS;
  }
  char* block = pool.fresh;
  pool.fresh += ARENA_BLOCK_SIZE;
  pool.freshLeft--;
  pool.held++;
  return block;
}

void giveBackBlock(void* block) {
  linkBlock(block, pool.givenBack);
  pool.givenBack = block;
  if (--pool.held > 0) return;
  for (int32_t i = 0; i < pool.slabCount; i++) munmap(pool.slabs[i], SLAB_SIZE);
  std::free(pool.slabs);
  pool = BlockPool{};
}
#endif

}  // namespace

void newArenaBlock(Arena* arena) {
  char* block = takeBlock();
  if (block == nullptr) outOfMemory();
  arena->taken += ARENA_BLOCK_SIZE;
  arena->block = block;
  arena->free = ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE;
}

void* arenaAllocFromNewBlock(Arena* arena, size_t n) {
  if (n > static_cast<size_t>(INT32_MAX - ARENA_BLOCK_SIZE)) outOfMemory();
  int32_t rounded = static_cast<int32_t>((n + 7) & ~static_cast<size_t>(7));
  if (arena->block == nullptr) newArenaBlock(arena);
  if (rounded > arena->free) {
    if (rounded > ARENA_LARGE_REQUEST) {
      // A block of its own; the current block keeps serving small requests.
      char* large = static_cast<char*>(heapAllocate(rounded + ARENA_HEADER_SIZE));
      if (large == nullptr) outOfMemory();
      linkBlock(large, arena->retiredLarge);
      arena->retiredLarge = large;
      arena->taken += rounded + ARENA_HEADER_SIZE;
      return large + ARENA_HEADER_SIZE;
    }
    // The new block first: when there is none, the arena stays as it was for its release.
    char* previous = arena->block;
    newArenaBlock(arena);
    linkBlock(previous, arena->retired);
    arena->retired = previous;
  }
  void* piece = arena->block + (ARENA_BLOCK_SIZE - arena->free);
  arena->free -= rounded;
  return piece;
}

void resetArena(Arena* arena) {
  for (void* block = arena->retired; block != nullptr;) {
    void* previous = blockLink(block);
    giveBackBlock(block);
    block = previous;
  }
  arena->retired = nullptr;
  for (void* block = arena->retiredLarge; block != nullptr;) {
    void* previous = blockLink(block);
    std::free(block);
    block = previous;
  }
  arena->retiredLarge = nullptr;
  if (arena->taken > arena->peak) arena->peak = arena->taken;
  if (arena->block == nullptr) {
    // Never initialised, or already released: nothing is held.
    arena->taken = 0;
    arena->free = 0;
    return;
  }
  arena->taken = ARENA_BLOCK_SIZE;
  arena->free = ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE;
}

void releaseArena(Arena* arena) {
  resetArena(arena);
  if (arena->block != nullptr) giveBackBlock(arena->block);
  arena->block = nullptr;
  arena->taken = 0;
  arena->free = 0;
}

void* currentAlloc(size_t n) {
  return arenaAlloc(global.currentArena, n);
}

void* arenaCopy(Arena* arena, const void* bytes, size_t size) {
  void* copy = arenaAllocUncleared(arena, size);
  if (size > 0) std::memcpy(copy, bytes, size);
  return copy;
}

char* mainArenaCopy(const char* text) {
  size_t length = std::strlen(text);
  return static_cast<char*>(arenaCopy(&global.mainArena, text, length + 1));
}

// The scratch and char buffers grow with 16 bytes of slack; the class-file buffer to the exact size.
static void growBuffer(char** buffer, int32_t* size, int32_t n, int32_t slack) {
  if (*buffer != nullptr && *size > n) return;
  if (n < 0 || n > INT32_MAX - slack) outOfMemory();
  int32_t wanted = n + slack;
  char* grown = static_cast<char*>(heapReallocate(*buffer, wanted > 0 ? wanted : 1));
  if (grown == nullptr) outOfMemory();
  *buffer = grown;
  *size = wanted;
}

void growScratchBuffer(int32_t n) {
  growBuffer(&global.scratchBuffer, &global.scratchSize, n, 16);
}

void growCharBuffer(int32_t n) {
  growBuffer(&global.charBuffer, &global.charSize, n, 16);
}

void growClassFileBuffer(int32_t n) {
  growBuffer(&global.classFileBuffer, &global.classFileSize, n, 0);
}

constexpr int32_t NAME_BUFFER_START = 256;
constexpr int32_t WORK_BUFFER_START = 512;

static char* heapBuffer(size_t size) {
  char* buffer = static_cast<char*>(heapAllocate(size));
  if (buffer == nullptr) outOfMemory();
  return buffer;
}

// Kept outside global, which a release zeroes: a second release, or one before any compile or
// evaluation, finds nothing held and only clears global.
static bool memoryHeld;

void initMemory() {
  memoryHeld = true;
  initArena(&global.mainArena);
  initArena(&global.tempArena);
  initArena(&global.genArena);
  global.nameBuffer = reinterpret_cast<uint16_t*>(heapBuffer(NAME_BUFFER_START * sizeof(uint16_t)));
  global.nameCapacity = NAME_BUFFER_START;
  global.nameLength = 0;
  global.scratchBuffer = heapBuffer(WORK_BUFFER_START);
  global.scratchSize = WORK_BUFFER_START;
  global.charBuffer = heapBuffer(WORK_BUFFER_START);
  global.charSize = WORK_BUFFER_START;
  global.classFileBuffer = heapBuffer(ARENA_BLOCK_SIZE);
  global.classFileSize = ARENA_BLOCK_SIZE;
}

static ArchiveCloser archiveCloser;

void setArchiveCloser(ArchiveCloser closer) {
  archiveCloser = closer;
}

static void closePathArchives(char** entries, ZipFile** archives) {
  if (entries == nullptr) return;
  for (int32_t i = 0; entries[i] != nullptr; i++) {
    if (archives != nullptr && archives[i] != nullptr) {
      archiveCloser(archives[i]);
      archives[i] = nullptr;
    }
    entries[i] = nullptr;
  }
}

void releaseMemory() {
  if (memoryHeld) {
    memoryHeld = false;
    bool separateSourcePath = global.sourcePathEntries != global.classPathEntries;
    closePathArchives(global.classPathEntries, global.classPathArchives);
    if (separateSourcePath) closePathArchives(global.sourcePathEntries, global.sourcePathArchives);
    std::free(global.messageDirectory);
    std::free(global.localeDirectory);
    std::free(global.nameBuffer);
    std::free(global.scratchBuffer);
    std::free(global.charBuffer);
    std::free(global.classFileBuffer);
    releaseArena(&global.mainArena);
    releaseArena(&global.tempArena);
    releaseArena(&global.genArena);
  }
  clearPathCache();
  forgetMessageTable();
  std::memset(static_cast<void*>(&global), 0, sizeof global);
}
