// Arena allocation: a rounding, a comparison and a subtraction in the common case. Blocks come
// zero-filled from calloc and are zeroed again by a reset, so constructors never clear records.
#include "support/arena.h"

#include <cstdlib>
#include <cstring>

#include "support/fatal_stops.h"
#include "support/global.h"
#include "support/message_file.h"
#include "support/path_cache.h"

static_assert(sizeof(void*) <= ARENA_HEADER_SIZE, "the link word must fit the block header");

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

void newArenaBlock(Arena* arena) {
  char* block = static_cast<char*>(std::calloc(1, ARENA_BLOCK_SIZE));
  if (block == nullptr) outOfMemory();
  arena->taken += ARENA_BLOCK_SIZE;
  arena->block = block;
  arena->free = ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE;
}

void* arenaAlloc(Arena* arena, size_t n) {
  if (n > static_cast<size_t>(INT32_MAX - ARENA_BLOCK_SIZE)) outOfMemory();
  int32_t rounded = static_cast<int32_t>((n + 7) & ~static_cast<size_t>(7));
  if (arena->block == nullptr) newArenaBlock(arena);
  if (rounded > arena->free) {
    if (rounded > ARENA_LARGE_REQUEST) {
      // A block of its own; the current block keeps serving small requests.
      char* large = static_cast<char*>(std::calloc(1, rounded + ARENA_HEADER_SIZE));
      if (large == nullptr) outOfMemory();
      linkBlock(large, arena->retired);
      arena->retired = large;
      arena->taken += rounded + ARENA_HEADER_SIZE;
      return large + ARENA_HEADER_SIZE;
    }
    linkBlock(arena->block, arena->retired);
    arena->retired = arena->block;
    newArenaBlock(arena);
  }
  void* piece = arena->block + (ARENA_BLOCK_SIZE - arena->free);
  arena->free -= rounded;
  return piece;
}

void resetArena(Arena* arena) {
  for (void* block = arena->retired; block != nullptr;) {
    void* previous = blockLink(block);
    std::free(block);
    block = previous;
  }
  arena->retired = nullptr;
  if (arena->taken > arena->peak) arena->peak = arena->taken;
  if (arena->block == nullptr) {
    // Never initialised, or already released: nothing is held.
    arena->taken = 0;
    arena->free = 0;
    return;
  }
  std::memset(arena->block, 0, ARENA_BLOCK_SIZE - arena->free);
  arena->taken = ARENA_BLOCK_SIZE;
  arena->free = ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE;
}

void releaseArena(Arena* arena) {
  resetArena(arena);
  std::free(arena->block);
  arena->block = nullptr;
  arena->taken = 0;
  arena->free = 0;
}

void* currentAlloc(size_t n) {
  return arenaAlloc(global.currentArena, n);
}

void* arenaCopy(Arena* arena, const void* bytes, size_t size) {
  void* copy = arenaAlloc(arena, size);
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
  char* grown = static_cast<char*>(std::realloc(*buffer, wanted > 0 ? wanted : 1));
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
  char* buffer = static_cast<char*>(std::malloc(size));
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
