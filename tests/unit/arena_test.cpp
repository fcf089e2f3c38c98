// Arena sizes and the work buffers' growth, as the records carved from them rely on.
#include <cstring>

#include "support/arena.h"
#include "support/global.h"
#include "test_support.h"

namespace {

class ArenaTest : public CompilerTest {};

char* take(Arena* arena, size_t n) {
  return static_cast<char*>(arenaAlloc(arena, n));
}

TEST_F(ArenaTest, RoundsRequestsToEightBytes) {
  Arena* arena = &global.tempArena;
  char* first = take(arena, 1);
  char* second = take(arena, 1);
  EXPECT_EQ(second - first, 8);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 8, 0u);
  EXPECT_EQ(arena->free, ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE - 16);
  char* empty = take(arena, 0);
  EXPECT_EQ(empty, second + 8);
  EXPECT_EQ(take(arena, 8), empty);
}

TEST_F(ArenaTest, FreshBlockServesItsWholeRoom) {
  Arena* arena = &global.tempArena;
  take(arena, ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE);
  EXPECT_EQ(arena->free, 0);
  EXPECT_EQ(arena->taken, ARENA_BLOCK_SIZE);
}

TEST_F(ArenaTest, OneByteMoreThanTheRoomGetsABlockOfItsOwn) {
  Arena* arena = &global.tempArena;
  take(arena, 0);  // the first request takes the first block
  char* block = arena->block;
  take(arena, ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE + 1);
  EXPECT_EQ(arena->block, block);
  EXPECT_EQ(arena->taken, ARENA_BLOCK_SIZE + ARENA_BLOCK_SIZE + ARENA_HEADER_SIZE);
}

struct LargeCase {
  size_t request;
  bool ownBlock;
  int32_t extraTaken;
};

class NearlyFullBlock : public ArenaTest, public testing::WithParamInterface<LargeCase> {};

TEST_P(NearlyFullBlock, LargeRequests) {
  Arena* arena = &global.tempArena;
  take(arena, ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE - 64);  // 64 bytes left
  char* block = arena->block;
  char* piece = take(arena, GetParam().request);
  EXPECT_EQ(arena->taken, ARENA_BLOCK_SIZE + GetParam().extraTaken);
  if (GetParam().ownBlock) {
    // The current block keeps serving small requests.
    EXPECT_EQ(arena->block, block);
    EXPECT_EQ(take(arena, 8), block + ARENA_BLOCK_SIZE - 64);
  } else {
    EXPECT_NE(arena->block, block);
    EXPECT_EQ(piece, arena->block + ARENA_HEADER_SIZE);
  }
}

INSTANTIATE_TEST_SUITE_P(Requests, NearlyFullBlock,
                         testing::Values(LargeCase{8184, false, ARENA_BLOCK_SIZE},
                                         LargeCase{8185, true, 8200},
                                         LargeCase{20000, true, 20008}));

TEST_F(ArenaTest, ResetKeepsOneCleanBlockAndThePeak) {
  Arena* arena = &global.tempArena;
  for (int i = 0; i < 5; i++) std::memset(take(arena, 5000), 0xAB, 5000);
  std::memset(take(arena, 9000), 0xCD, 9000);
  int32_t taken = arena->taken;
  resetArena(arena);
  EXPECT_EQ(arena->taken, ARENA_BLOCK_SIZE);
  EXPECT_EQ(arena->peak, taken);
  EXPECT_EQ(arena->retired, nullptr);
  char* again = take(arena, ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE);
  for (int32_t i = 0; i < ARENA_BLOCK_SIZE - ARENA_HEADER_SIZE; i++) ASSERT_EQ(again[i], 0) << i;
}

TEST_F(ArenaTest, AnUnusedArenaHoldsNothingThroughAReset) {
  Arena arena;
  initArena(&arena);
  resetArena(&arena);
  EXPECT_EQ(arena.block, nullptr);
  EXPECT_EQ(arena.taken, 0);
  char* first = take(&arena, 24);
  EXPECT_EQ(first, arena.block + ARENA_HEADER_SIZE);
  EXPECT_EQ(arena.taken, ARENA_BLOCK_SIZE);
  releaseArena(&arena);
}

TEST_F(ArenaTest, ReleasingTwiceDoesNothingMore) {
  releaseArena(&global.genArena);
  releaseArena(&global.genArena);
  EXPECT_EQ(global.genArena.block, nullptr);
  releaseMemory();
  releaseMemory();
  EXPECT_EQ(global.mainArena.block, nullptr);
  EXPECT_EQ(global.scratchBuffer, nullptr);
  initMemory();
}

// What an entry finds after a release, or before anything was opened: global may hold what an
// earlier call left in it (an error count, a callback, pointers into released memory), and a
// release then frees nothing and only clears it.
TEST_F(ArenaTest, AReleaseWithNothingHeldOnlyClearsGlobal) {
  releaseMemory();
  static char notHeld[8];
  global.scratchBuffer = notHeld;
  global.messageDirectory = notHeld;
  global.mainArena.block = notHeld;
  global.errorCount = 3;
  global.messageCallback = [](const char*) {};
  releaseMemory();
  EXPECT_EQ(global.scratchBuffer, nullptr);
  EXPECT_EQ(global.mainArena.block, nullptr);
  EXPECT_EQ(global.errorCount, 0);
  EXPECT_EQ(global.messageCallback, nullptr);
  initMemory();
  EXPECT_NE(global.scratchBuffer, nullptr);
}

TEST_F(ArenaTest, WorkBuffersGrow) {
  EXPECT_EQ(global.scratchSize, 512);
  growScratchBuffer(511);
  EXPECT_EQ(global.scratchSize, 512);
  growScratchBuffer(512);
  EXPECT_EQ(global.scratchSize, 528);
  growCharBuffer(1000);
  EXPECT_EQ(global.charSize, 1016);
  EXPECT_EQ(global.classFileSize, 16384);
  growClassFileBuffer(20000);
  EXPECT_EQ(global.classFileSize, 20000);
  global.scratchBuffer[527] = 'x';
  growScratchBuffer(4000);
  EXPECT_EQ(global.scratchBuffer[527], 'x');
}

TEST_F(ArenaTest, OutOfMemoryStopsWithItsCode) {
  try {
    take(&global.tempArena, static_cast<size_t>(1) << 40);
    FAIL() << "no stop";
  } catch (const CompileStop& stop) {
    EXPECT_EQ(stop.code, STOP_OUT_OF_MEMORY);
  }
}

}  // namespace
