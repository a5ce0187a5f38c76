#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/linear_buffer_ref.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/memory/ring_buffer.h"

namespace {

std::vector<std::uint32_t> gEvicted;
void RecordEviction(void* payload, std::uint32_t size) {
  gEvicted.push_back(size);
  EXPECT_NE(payload, nullptr);
}

std::vector<std::uint32_t> LiveSizes(const CRingBuffer& ring) {
  std::vector<std::uint32_t> sizes;
  ring.ForEach([](void*, std::uint32_t size, void* ctx) { static_cast<std::vector<std::uint32_t>*>(ctx)->push_back(size); },
               &sizes);
  return sizes;
}

TEST(RingBuffer, RecordsAreRoundedToSixteenWithTheirHeader) {
  struct Case {
    std::uint32_t request;
    std::int32_t taken;
  };
  const Case cases[] = {{1, 16}, {8, 16}, {9, 32}, {24, 32}, {25, 48}};
  for (const Case& c : cases) {
    CRingBuffer ring(256);
    auto* a = static_cast<unsigned char*>(ring.Alloc(c.request));
    auto* b = static_cast<unsigned char*>(ring.Alloc(1));
    EXPECT_EQ(b - a, c.taken) << c.request;
    EXPECT_EQ(ring.OffsetOf(a), 8);
    EXPECT_EQ(std::memcmp(a - 8, "AREC", 4), 0);
  }
}

TEST(RingBuffer, EvictsOldestFirstAndNeverWrapsARecord) {
  CRingBuffer ring(128);
  gEvicted.clear();
  ring.SetEvictCallback(RecordEviction);
  // Records of 32, 48 and 32 bytes take 112 of 128 bytes.
  void* r1 = ring.Alloc(20);
  void* r2 = ring.Alloc(30);
  void* r3 = ring.Alloc(20);
  ASSERT_TRUE(r1 && r2 && r3);
  EXPECT_EQ(ring.GetRecordCount(), 3);
  EXPECT_TRUE(gEvicted.empty());
  // The next 32-byte record needs 40 free bytes (with the free header after
  // it): the 16 bytes at the end are not enough, so the space restarts at
  // offset 0 and the two oldest records go, oldest first.
  void* r4 = ring.Alloc(10);
  ASSERT_NE(r4, nullptr);
  EXPECT_EQ(ring.OffsetOf(r4), 8);
  EXPECT_EQ(gEvicted, (std::vector<std::uint32_t>{24, 40}));
  EXPECT_EQ(LiveSizes(ring), (std::vector<std::uint32_t>{24, 24}));  // r3, then r4
  // An 80-byte record takes r3 and the free tail at the end.
  void* r5 = ring.Alloc(60);
  ASSERT_NE(r5, nullptr);
  EXPECT_EQ(ring.OffsetOf(r5), 40);
  EXPECT_EQ(gEvicted, (std::vector<std::uint32_t>{24, 40, 24}));
  EXPECT_EQ(LiveSizes(ring), (std::vector<std::uint32_t>{24, 72}));
  EXPECT_EQ(ring.DebugDumpText(), "2 - 32 80  : Used 87%\n");
}

TEST(RingBuffer, ARequestThatCanNeverFitIsRefused) {
  CRingBuffer ring(64);
  gEvicted.clear();
  ring.SetEvictCallback(RecordEviction);
  ASSERT_NE(ring.Alloc(8), nullptr);
  EXPECT_EQ(ring.Alloc(64), nullptr);
  EXPECT_EQ(ring.Alloc(41), nullptr);  // 64-byte record plus free header
  EXPECT_TRUE(gEvicted.empty());
  EXPECT_EQ(ring.GetRecordCount(), 1);
  EXPECT_NE(ring.Alloc(40), nullptr);  // 48 + 8 < 64 fits after evicting
}

TEST(RingBuffer, ManyAllocationsKeepTheBufferConsistent) {
  CRingBuffer ring(1000);
  gEvicted.clear();
  ring.SetEvictCallback(RecordEviction);
  std::uint32_t made = 0;
  for (std::uint32_t i = 0; i < 500; ++i) {
    auto* p = static_cast<unsigned char*>(ring.Alloc(1 + (i * 37) % 200));
    ASSERT_NE(p, nullptr);
    std::int32_t off = ring.OffsetOf(p);
    std::uint32_t len = ((1 + (i * 37) % 200) + 23) & ~15u;
    ASSERT_LE(off - 8 + static_cast<std::int32_t>(len), 1000);
    std::memset(p, 0x5A, len - 8);
    ++made;
  }
  EXPECT_EQ(made, gEvicted.size() + static_cast<std::size_t>(ring.GetRecordCount()));
  ring.Reset();
  EXPECT_EQ(ring.GetRecordCount(), 0);
  EXPECT_TRUE(LiveSizes(ring).empty());
}

TEST(RingBuffer, CarvedFromALinearBufferIsNotOwned) {
  CLinearBuffer linear(512, "decals");
  {
    CRingBuffer ring(&linear, 256);
    EXPECT_EQ(linear.GetUsed() % 4, 0u);
    EXPECT_GE(linear.GetUsed(), 260u);
    EXPECT_NE(ring.Alloc(10), nullptr);
  }
  CRingBuffer tooBig(&linear, 1024);
  EXPECT_EQ(tooBig.Alloc(1), nullptr);
}

TEST(LinearBuffer, AllocationAlignsAndRefusesWithoutChange) {
  CLinearBuffer buffer(100, "scratch");
  EXPECT_STREQ(buffer.GetName(), "scratch");
  auto* base = static_cast<unsigned char*>(buffer.GetMemory());
  EXPECT_EQ(base[0], 0xFA);
  EXPECT_EQ(base[99], 0xFA);
  EXPECT_EQ(std::memcmp(base + 100, "LBUF", 4), 0);
  ASSERT_EQ(reinterpret_cast<std::uintptr_t>(base) % 16, 0u);
  EXPECT_EQ(buffer.Alloc(60, 16), base);
  EXPECT_EQ(buffer.GetUsed(), 60u);
  EXPECT_EQ(buffer.Alloc(60, 16), nullptr);
  EXPECT_EQ(buffer.GetUsed(), 60u);
  EXPECT_EQ(buffer.GetFree(), 40u);
  // 60 -> 64 at 16-byte alignment: 4 bytes of padding.
  EXPECT_EQ(buffer.Alloc16(10), base + 64);
  EXPECT_EQ(buffer.GetUsed(), 74u);
  EXPECT_EQ(buffer.GetFree() + buffer.GetUsed(), 100u);
}

TEST(LinearBuffer, MarksAndFreeTop) {
  CLinearBuffer buffer(256, nullptr);
  EXPECT_STREQ(buffer.GetName(), "");
  buffer.Alloc(10, 1);
  buffer.SetMark(0);
  buffer.Alloc(20, 4);
  buffer.Alloc(30, 8);
  buffer.RestoreMark(0);
  EXPECT_EQ(buffer.GetUsed(), 10u);
  EXPECT_EQ(buffer.GetFree(), 246u);
  buffer.Alloc(50, 1);
  buffer.FreeTop(20);
  EXPECT_EQ(buffer.GetUsed(), 40u);
  buffer.FreeTop(1000);
  EXPECT_EQ(buffer.GetUsed(), 0u);
  EXPECT_EQ(buffer.GetFree(), 256u);
}

TEST(LinearBuffer, NamesOfThirtyTwoOrMoreAreNotKept) {
  CLinearBuffer a(8, std::string(31, 'n').c_str());
  CLinearBuffer b(8, std::string(32, 'n').c_str());
  EXPECT_EQ(std::strlen(a.GetName()), 31u);
  EXPECT_STREQ(b.GetName(), "");
}

TEST(LinearBuffer, ChildAndCallerMemory) {
  CLinearBuffer parent(64, "parent");
  parent.Alloc(1, 1);
  CLinearBuffer child(&parent, 20, "child");
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(child.GetMemory()) % 4, 0u);
  EXPECT_EQ(parent.GetUsed(), 4u + 24u);
  EXPECT_NE(child.Alloc(20, 1), nullptr);
  CLinearBuffer starved(&parent, 100, "starved");
  EXPECT_EQ(starved.Alloc(1, 1), nullptr);

  unsigned char memory[36];
  CLinearBuffer over(memory, 32, nullptr);
  EXPECT_EQ(memory[31], 0xFA);
  EXPECT_EQ(std::memcmp(memory + 32, "LBUF", 4), 0);
  EXPECT_EQ(over.Alloc(32, 1), memory);
}

TEST(LinearBuffer, OwnedMemoryIsTrackedUnderItsSource) {
  CLinearBuffer buffer(40, nullptr);
  MemAllocUnitInfo info{};
  ASSERT_TRUE(MemFindUnit(buffer.GetMemory(), &info));
  EXPECT_EQ(info.reportedSize, 44u);
  EXPECT_STREQ(info.sourceFile, "MemBuffers");
  EXPECT_EQ(info.allocationType, MEM_ALLOC_NEW_ARRAY);
}

TEST(HeapBlocks, HeaderTagsAndReleasedCount) {
  CLinearBufferRef ref(256);
  EXPECT_EQ(CLinearBufferRef::GetReleasedBlockBytes(), 0u);
  EXPECT_EQ(ref.IsActive(), 1u);
  auto* a = static_cast<unsigned char*>(ref.AllocBlock(40));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % 16, 0u);
  EXPECT_EQ(std::memcmp(a - 16, "HEAP", 4), 0);
  std::uint32_t total;
  std::memcpy(&total, a - 12, 4);
  EXPECT_EQ(total, 56u);
  void* self;
  std::memcpy(&self, a - 8, sizeof self);
  EXPECT_EQ(self, a);
  EXPECT_EQ(ref.AllocBlock(1000), nullptr);
  EXPECT_EQ(CLinearBufferRef::FreeBlock(a), 56u);
  EXPECT_EQ(CLinearBufferRef::FreeBlock(nullptr), 0u);
  EXPECT_EQ(CLinearBufferRef::GetReleasedBlockBytes(), 56u);
  ref.SetActive(0);
  EXPECT_EQ(ref.IsActive(), 0u);
  CLinearBufferRef other(16);
  EXPECT_EQ(CLinearBufferRef::GetReleasedBlockBytes(), 0u);
}

}  // namespace
