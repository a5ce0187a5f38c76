#include "physics/util/me_chunk.h"
#include "physics/util/me_memory.h"
#include "physics/util/message_recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(MeChunk, SameBlockWhileTheSizeFitsAndRegrowsBeyond) {
  MeChunk c;
  MeChunkInit(&c);
  MeChunkSetAuto(&c, 100, 16);
  void* a = MeChunkGetMem(&c, 100);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
  EXPECT_EQ(MeChunkGetMem(&c, 60), a);
  EXPECT_EQ(MeChunkGetMaxUsed(&c), 100u);
  std::memset(a, 0x5A, 100);
  void* b = MeChunkGetMem(&c, 200);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
  EXPECT_GE(c.usableSize, 200u);
  EXPECT_EQ(MeChunkGetMaxUsed(&c), 200u);
  std::memset(b, 0, 200);  // the whole size is usable
  MeChunkTerm(&c);
  EXPECT_EQ(c.raw, nullptr);
}

namespace {
int g_allocations = 0;
void* CountingAlloc(size_t n) {
  ++g_allocations;
  return MeMemoryDefaults.alloc(n);
}
void* RefuseLargeAlloc(size_t n) { return n > 4000 ? nullptr : MeMemoryDefaults.alloc(n); }
}  // namespace

// A size creeping up by a little many times (the solver's rows as contacts
// come and go) regrows the block a logarithmic number of times.
TEST(MeChunk, CreepingSizesRegrowGeometrically) {
  MeChunk c;
  MeChunkInit(&c);
  MeChunkSetAuto(&c, 1024, 16);
  g_allocations = 0;
  MeMemoryTable.alloc = CountingAlloc;
  for (size_t size = 1024; size <= 1024 * 1024; size += 1024) ASSERT_NE(MeChunkGetMem(&c, size), nullptr);
  MeMemoryTable = MeMemoryDefaults;
  // 1.5^n >= 1024 takes 18 regrowths; growing to each exact size would take 1023.
  EXPECT_LE(g_allocations, 20);
  EXPECT_GE(c.usableSize, 1024u * 1024u);
  EXPECT_LT(c.usableSize, 2u * 1024u * 1024u);
  MeChunkTerm(&c);
}

// Refused the larger block, the chunk still gets the exact size asked.
TEST(MeChunk, RefusedGrowthFallsBackToTheExactSize) {
  MeChunk c;
  MeChunkInit(&c);
  MeChunkSetAuto(&c, 3000, 16);
  MeMemoryTable.alloc = RefuseLargeAlloc;
  void* p = MeChunkGetMem(&c, 3200);  // half again would be 4500
  MeMemoryTable = MeMemoryDefaults;
  ASSERT_NE(p, nullptr);
  EXPECT_GE(c.usableSize, 3200u);
  EXPECT_LT(c.usableSize, 4000u);
  std::memset(p, 0, 3200);
  MeChunkTerm(&c);
}

namespace {
unsigned char g_lent[256];
int g_resizeCalls = 0;
size_t g_wanted = 0;
void LendBigger(MeChunk* chunk, void*, size_t, size_t wanted) {
  ++g_resizeCalls;
  g_wanted = wanted;
  MeChunkSetMem(chunk, g_lent, sizeof g_lent, 64);
}
void* FailingAlloc(size_t) { return nullptr; }
}  // namespace

TEST(MeChunk, LentMemoryAsksTheCallbackOrAnswersNull) {
  unsigned char small[64];
  MeChunk c;
  MeChunkInit(&c);
  MeChunkSetMem(&c, small, sizeof small, 16);
  EXPECT_EQ(c.ownsMemory, 0);
  EXPECT_LE(c.usableSize, 64u);
  EXPECT_EQ(MeChunkGetMem(&c, 128), nullptr);  // no callback
  MeChunkSetResizeFn(&c, LendBigger);
  EXPECT_EQ(MeChunkGetResizeFn(&c), &LendBigger);
  void* p = MeChunkGetMem(&c, 128);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(g_resizeCalls, 1);
  EXPECT_EQ(g_wanted, 144u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 64, 0u);
  EXPECT_EQ(MeChunkGetAlignment(&c), 64u);
  EXPECT_EQ(MeChunkGetMem(&c, 1000), nullptr);  // still too small after asking
  MeChunkTerm(&c);
}

TEST(MeChunk, FailedAllocationIsAFatalError) {
  MessageRecorder rec;
  MeChunk c;
  MeChunkInit(&c);
  MeMemoryTable.alloc = FailingAlloc;
  EXPECT_THROW(MeChunkSetAuto(&c, 100, 16), MeFatalErrorThrown);
  EXPECT_EQ(rec.fatals.at(1), "MeChunkSetAuto: Could not allocate memory for MeChunk.\n");
  MeMemoryTable = MeMemoryDefaults;
  MeChunkSetAuto(&c, 16, 16);
  MeMemoryTable.alloc = FailingAlloc;
  EXPECT_THROW(MeChunkGetMem(&c, 4096), MeFatalErrorThrown);
  EXPECT_EQ(rec.fatals.at(3), "MeChunkGetMem: Could not allocate memory to resize MeChunk.\n");
  MeMemoryTable = MeMemoryDefaults;
  MeChunkTerm(&c);
}
