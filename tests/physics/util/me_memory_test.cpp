#include "physics/util/me_block_pool.h"
#include "physics/util/me_memory.h"
#include "physics/util/message_recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

uint32_t StoredPadding(void* p) {
  uint32_t padding;
  std::memcpy(&padding, static_cast<unsigned char*>(p) - 4, 4);
  return padding;
}

}  // namespace

TEST(MeMemory, AlignedBlocksAreAlignedWithPaddingInFront) {
  MessageRecorder rec;
  for (size_t alignment : {4u, 8u, 16u, 64u}) {
    for (int i = 0; i < 8; ++i) {
      void* p = MallocCreateAligned(100 + i, alignment);
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignment, 0u) << alignment;
      uint32_t padding = StoredPadding(p);
      EXPECT_GE(padding, 4u);
      EXPECT_LE(padding, alignment + 3);
      std::memset(p, 0xAB, 100 + i);  // the whole block is usable
      MeFreeAligned(p);               // LeakSanitizer checks the base is freed
    }
  }
  EXPECT_TRUE(rec.warnings.empty());
}

TEST(MeMemory, AlignmentNotAMultipleOfFourWarnsAndStillServes) {
  MessageRecorder rec;
  void* p = MallocCreateAligned(32, 6);
  ASSERT_NE(p, nullptr);
  EXPECT_GE(StoredPadding(p), 4u);
  MeFreeAligned(p);
  ASSERT_EQ(rec.warnings.size(), 2u);
  EXPECT_EQ(rec.warnings[0], "MeWarning{0}: ");
  EXPECT_EQ(rec.warnings[1],
            "MallocCreateAligned: Alignment must be a multiple of sizeof(unsigned int).\n");
}

namespace {
void* NoMemoryAlloc(size_t) { return nullptr; }
}  // namespace

TEST(MeMemory, TableEntriesCanBeReplaced) {
  MeMemoryTable.alloc = NoMemoryAlloc;
  EXPECT_EQ(MeAlloc(10), nullptr);
  EXPECT_EQ(MallocCreateAligned(10, 16), nullptr);
  MeMemoryTable = MeMemoryDefaults;
  void* p = MeAlloc(10);
  EXPECT_NE(p, nullptr);
  MeFree(p);
}

TEST(MeBlockPool, HandsOutInOrderAndReturnsLastGivenFirst) {
  for (int alignment : {0, 16}) {
    MeBlockPool pool;
    ASSERT_EQ(MeBlockPoolCreate(&pool, 3, 20, alignment), 1);
    int stride = alignment ? 32 : 20;
    EXPECT_EQ(pool.stride, stride);
    auto* a = static_cast<unsigned char*>(MeBlockPoolTake(&pool));
    auto* b = static_cast<unsigned char*>(MeBlockPoolTake(&pool));
    auto* c = static_cast<unsigned char*>(MeBlockPoolTake(&pool));
    EXPECT_EQ(b - a, stride);
    EXPECT_EQ(c - b, stride);
    if (alignment) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    }
    EXPECT_EQ(MeBlockPoolTake(&pool), nullptr);
    EXPECT_EQ(MeBlockPoolUsedCount(&pool), 3);
    EXPECT_EQ(MeBlockPoolFreeCount(&pool), 0);
    MeBlockPoolGive(&pool, a);
    MeBlockPoolGive(&pool, c);
    EXPECT_EQ(MeBlockPoolTake(&pool), c);
    EXPECT_EQ(MeBlockPoolTake(&pool), a);
    MeBlockPoolDestroy(&pool);
  }
}

TEST(MeBlockPool, GiveOnEmptyPoolIsIgnoredAndEmptyCountAllocatesNothing) {
  MeBlockPool pool;
  ASSERT_EQ(MeBlockPoolCreate(&pool, 2, 8, 0), 1);
  int dummy;
  MeBlockPoolGive(&pool, &dummy);
  EXPECT_EQ(MeBlockPoolUsedCount(&pool), 0);
  EXPECT_NE(MeBlockPoolTake(&pool), &dummy);
  MeBlockPoolDestroy(&pool);

  MeBlockPool none;
  ASSERT_EQ(MeBlockPoolCreate(&none, 0, 8, 0), 1);
  EXPECT_EQ(none.memory, nullptr);
  EXPECT_EQ(none.stride, 8);
  EXPECT_EQ(MeBlockPoolTake(&none), nullptr);
  MeBlockPoolDestroy(&none);
}

TEST(MeBlockPool, PointerSizedRecordsFillTheWholePool) {
  // A pool of many small records: the free list holds full addresses.
  MeBlockPool pool;
  ASSERT_EQ(MeBlockPoolCreate(&pool, 1000, 4, 0), 1);
  void* last = nullptr;
  for (int i = 0; i < 1000; ++i) last = MeBlockPoolTake(&pool);
  EXPECT_EQ(static_cast<unsigned char*>(last) - static_cast<unsigned char*>(pool.memory), 999 * 4);
  MeBlockPoolDestroy(&pool);
}
