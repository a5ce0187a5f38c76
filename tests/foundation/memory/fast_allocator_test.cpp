#include "foundation/memory/fast_allocator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Counts constructions and destructions so that the pool's record lifetimes
// can be checked.
struct Tracked {
  static int live;
  static int constructed;
  int value = 7;
  Tracked() {
    ++live;
    ++constructed;
  }
  explicit Tracked(int v) : value(v) {
    ++live;
    ++constructed;
  }
  ~Tracked() { --live; }
};
int Tracked::live = 0;
int Tracked::constructed = 0;

class FastAllocatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Tracked::live = 0;
    Tracked::constructed = 0;
  }
};

TEST_F(FastAllocatorTest, HandsOutArrayRecordsInOrderThenFallsBackToTheHeap) {
  FastAllocator<Tracked> pool;
  ASSERT_TRUE(pool.Resize("EnvInstances", 3, 16));
  EXPECT_EQ(Tracked::live, 3);  // every record is built when the pool is sized
  EXPECT_STREQ(pool.Name(), "EnvInstances");
  EXPECT_EQ(pool.Category(), 16);

  std::vector<Tracked*> got;
  for (int i = 0; i < 5; ++i) got.push_back(pool.Allocate());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(got[i], pool.Records() + i);
    EXPECT_TRUE(pool.Owns(got[i]));
  }
  for (int i = 3; i < 5; ++i) {
    ASSERT_NE(got[i], nullptr);
    EXPECT_FALSE(pool.Owns(got[i]));
    EXPECT_EQ(got[i]->value, 7);
  }
  EXPECT_EQ(pool.Used(), 3);
  EXPECT_EQ(pool.Overflow(), 2);
  EXPECT_EQ(pool.Needed(), 5);
  EXPECT_EQ(Tracked::live, 5);

  // Pool records are not freed singly; heap records are.
  pool.Free(got[0]);
  EXPECT_EQ(Tracked::live, 5);
  pool.Free(got[3]);
  pool.Free(got[4]);
  pool.Free(nullptr);
  EXPECT_EQ(Tracked::live, 3);
}

TEST_F(FastAllocatorTest, ReleaseRunsEveryDestructorAndClearsTheCounters) {
  {
    FastAllocator<Tracked> pool;
    ASSERT_TRUE(pool.Resize("EnvObjects", 4, 16));
    pool.Allocate();
    pool.Allocate();
    pool.Release();
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_EQ(pool.Capacity(), 0);
    EXPECT_EQ(pool.Used(), 0);
    EXPECT_EQ(pool.Overflow(), 0);
    EXPECT_EQ(pool.Records(), nullptr);

    // Resizing releases the old array first.
    ASSERT_TRUE(pool.Resize("EnvObjects", 2, 16));
    EXPECT_EQ(Tracked::live, 2);
    ASSERT_TRUE(pool.Resize("EnvObjects", 6, 11));
    EXPECT_EQ(Tracked::live, 6);
    EXPECT_EQ(pool.Category(), 11);
  }
  EXPECT_EQ(Tracked::live, 0);  // the destructor releases too
}

TEST_F(FastAllocatorTest, CountBelowOneSendsEveryRequestToTheHeap) {
  for (int count : {0, -5}) {
    FastAllocator<Tracked> pool;
    ASSERT_TRUE(pool.Resize("VertexBuffer", count, 11));
    EXPECT_EQ(pool.Capacity(), 0);
    EXPECT_EQ(pool.Records(), nullptr);
    Tracked* a = pool.Allocate();
    Tracked* b = pool.Allocate();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(pool.Owns(a));
    EXPECT_EQ(pool.Used(), 0);
    EXPECT_EQ(pool.Overflow(), 2);
    pool.Free(a);
    pool.Free(b);
    EXPECT_EQ(Tracked::live, 0) << count;
  }
}

TEST_F(FastAllocatorTest, ConstructRebuildsAPoolRecordWithItsArguments) {
  FastAllocator<Tracked> pool;
  ASSERT_TRUE(pool.Resize("VBufferObject", 1, 11));
  Tracked* a = pool.Construct(41);
  Tracked* b = pool.Construct(42);
  EXPECT_TRUE(pool.Owns(a));
  EXPECT_FALSE(pool.Owns(b));
  EXPECT_EQ(a->value, 41);
  EXPECT_EQ(b->value, 42);
  EXPECT_EQ(pool.Overflow(), 1);
  EXPECT_EQ(Tracked::live, 2);  // the default record was destroyed before the rebuild
  pool.Free(b);
  pool.Release();
  EXPECT_EQ(Tracked::live, 0);
}

TEST_F(FastAllocatorTest, OwnsRejectsAddressesJustOutsideTheArray) {
  FastAllocator<Tracked> pool;
  ASSERT_TRUE(pool.Resize("EnvInstances", 2, 16));
  EXPECT_TRUE(pool.Owns(pool.Records() + 1));
  EXPECT_FALSE(pool.Owns(pool.Records() + 2));
  Tracked local;
  EXPECT_FALSE(pool.Owns(&local));
}

}  // namespace
