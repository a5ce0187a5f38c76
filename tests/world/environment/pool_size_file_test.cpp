#include "world/environment/pool_size_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/memory/fast_allocator.h"

namespace {

struct Record {
  int payload[3] = {1, 2, 3};
};

// Four pools registered in the four slots for the length of a test.
class PoolSizeFileTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
    for (int i = 0; i < kPoolSlotCount; ++i) PoolSizeFileSetPool(static_cast<PoolSizeSlot>(i), &pools_[i]);
    g_EnvLoadProgressTotal = 0;
  }
  void TearDown() override {
    for (int i = 0; i < kPoolSlotCount; ++i) PoolSizeFileSetPool(static_cast<PoolSizeSlot>(i), nullptr);
    FileTest::TearDown();
  }

  // Takes n records from a pool, freeing heap ones at once.
  void Use(int slot, int n) {
    for (int i = 0; i < n; ++i) pools_[slot].Free(pools_[slot].Allocate());
  }

  FastAllocator<Record> pools_[kPoolSlotCount];
};

TEST_F(PoolSizeFileTest, AWrittenFileSizesEveryPoolWhenTheLevelLoadsAgain) {
  for (int i = 0; i < kPoolSlotCount; ++i) ASSERT_TRUE(pools_[i].Resize(kPoolSizeNames[i], 3, 16));
  Use(0, 5);   // 3 from the pool, 2 from the heap
  Use(1, 1);
  Use(2, 3);
  Use(3, 0);
  ASSERT_TRUE(PoolSizeFileWrite("Docks", 41));
  EXPECT_EQ(Read("Docks.FAS"),
            "\"Loading Bar\" 41\n\"UNKNOWN_RELEASE\" 5\n\"UNKNOWN_RELEASE\" 1\n\"UNKNOWN_RELEASE\" 3\n"
            "\"UNKNOWN_RELEASE\" 0\n");

  // The reader upper-cases the name; the file is still found.
  EXPECT_EQ(PoolSizeFileRead("docks"), 41);
  EXPECT_EQ(g_EnvLoadProgressTotal, 41);
  const int expected[kPoolSlotCount] = {5, 1, 3, 0};
  const int categories[kPoolSlotCount] = {16, 16, 11, 11};
  for (int i = 0; i < kPoolSlotCount; ++i) {
    EXPECT_EQ(pools_[i].Capacity(), expected[i]) << kPoolSizeNames[i];
    EXPECT_EQ(pools_[i].Needed(), 0) << "resizing clears the counters";
    EXPECT_EQ(pools_[i].Category(), categories[i]);
    EXPECT_STREQ(pools_[i].Name(), kPoolSizeNames[i]);
  }
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(PoolSizeFileTest, WithoutTheFileThePoolsTakeTheDefaultAndNoTotalIsSet) {
  pools_[0].Resize("EnvInstances", 7, 16);
  EXPECT_EQ(PoolSizeFileRead("Nowhere"), -1);
  EXPECT_EQ(g_EnvLoadProgressTotal, -1);
  for (const auto& pool : pools_) EXPECT_EQ(pool.Capacity(), kPoolSizeDefaultCount);
  EXPECT_TRUE(boxes_.empty()) << "a missing file is not an error";
}

TEST_F(PoolSizeFileTest, ACountOfZeroSendsEveryRecordToTheHeap) {
  Write("EMPTY.FAS", "\"Loading Bar\" 2\n\"UNKNOWN_RELEASE\" 0\n\"UNKNOWN_RELEASE\" 1\n\"UNKNOWN_RELEASE\" 1\n"
                     "\"UNKNOWN_RELEASE\" 1\n");
  PoolSizeFileRead("Empty");
  EXPECT_EQ(pools_[0].Capacity(), 0);
  Use(0, 4);
  EXPECT_EQ(pools_[0].Overflow(), 4);
  ASSERT_TRUE(PoolSizeFileWrite("Empty", 2));
  // The writer reuses the file as it is named on disk.
  EXPECT_NE(Read("EMPTY.FAS").find("\"Loading Bar\" 2\n\"UNKNOWN_RELEASE\" 4\n"), std::string::npos);
}

TEST_F(PoolSizeFileTest, AWriteThatCannotOpenItsFileWritesNothing) {
  EXPECT_FALSE(PoolSizeFileWrite("no_such_folder\\Level", 3));
  EXPECT_FALSE(PoolSizeFileWrite("", 3));
  EXPECT_FALSE(std::filesystem::exists("no_such_folder"));
}

TEST(PoolSizeRecord, ReadingFollowsTheLinesAndChecksEveryValue) {
  struct Case {
    const char* name;
    const char* text;
    int progress;
    int counts[kPoolSlotCount];
    bool warns;
  };
  const Case cases[] = {
      {"written by the program",
       "\"Loading Bar\" 12\n\"UNKNOWN_RELEASE\" 10\n\"UNKNOWN_RELEASE\" 20\n\"UNKNOWN_RELEASE\" 30\n"
       "\"UNKNOWN_RELEASE\" 40\n",
       12, {10, 20, 30, 40}, false},
      {"own pool names, bare words, CR LF",
       "Loading 3\r\nEnvInstances 1\r\nEnvObjects 2\r\nVertexBuffer 3\r\nVBufferObject 4\r\n", 3, {1, 2, 3, 4},
       false},
      // "EnvObjects" on line 2 leaves the first pool alone; its number is then
      // read as the second pool's name, and line 3 goes to the third pool.
      {"a name out of place shifts the reading",
       "\"Loading Bar\" 7\n\"EnvObjects\" 5\n\"UNKNOWN_RELEASE\" 6\n\"UNKNOWN_RELEASE\" 8\n\"UNKNOWN_RELEASE\" 9\n", 7,
       {2000, 2000, 6, 8}, false},
      {"counts below one empty the pool", "\"L\" 0\n\"EnvInstances\" 0\n\"EnvObjects\" -4\n", 0, {0, 0, 2000, 2000},
       false},
      {"a short file keeps the rest at the default", "\"Loading Bar\" 5\n\"UNKNOWN_RELEASE\" 9\n", 5,
       {9, 2000, 2000, 2000}, false},
      {"empty text", "", -1, {2000, 2000, 2000, 2000}, false},
      {"no progress number", "\"Loading Bar\" \"UNKNOWN_RELEASE\" 4", -1, {4, 2000, 2000, 2000}, true},
      // A word where a count should be is left to be read as the next name.
      {"a count that is no number", "\"Loading Bar\" 1\n\"UNKNOWN_RELEASE\" lots\n\"UNKNOWN_RELEASE\" 3\n", 1,
       {2000, 2000, 3, 2000}, true},
      {"huge counts are cut", "\"Loading Bar\" 1\n\"EnvInstances\" 99999999999999\n\"EnvObjects\" 100001\n", 1,
       {kPoolSizeMaxCount, kPoolSizeMaxCount, 2000, 2000}, true},
      {"a huge progress total is not used", "\"Loading Bar\" 4294967296\n\"EnvInstances\" 3\n", -1,
       {3, 2000, 2000, 2000}, true},
      {"a name longer than 30 characters never matches",
       "\"Loading Bar\" 1\n\"UNKNOWN_RELEASE_UNKNOWN_RELEASE_\" 3\n", 1, {2000, 2000, 2000, 2000}, false},
      {"an unclosed quote ends the text", "\"Loading Bar\" 1\n\"UNKNOWN_RELEASE 3\n", 1, {2000, 2000, 2000, 2000},
       false},
  };
  for (const Case& c : cases) {
    PoolSizeRecord record;
    record.load(c.text, std::strlen(c.text), "TEST.FAS");
    EXPECT_EQ(record.progressTotal, c.progress) << c.name;
    for (int i = 0; i < kPoolSlotCount; ++i) EXPECT_EQ(record.counts[i], c.counts[i]) << c.name << " pool " << i;
    EXPECT_EQ(!record.warnings.empty(), c.warns) << c.name << ": " << record.warnings;
    if (c.warns) {
      EXPECT_NE(record.warnings.find("TEST.FAS, line "), std::string::npos) << c.name;
    }
  }
}

TEST(PoolSizeRecord, WhatIsWrittenReadsBack) {
  const int counts[kPoolSlotCount] = {0, 1, 2000, kPoolSizeMaxCount};
  const std::string text = PoolSizeRecord::save(-1, counts);
  PoolSizeRecord record;
  record.load(text.data(), text.size(), "X.FAS");
  EXPECT_EQ(record.progressTotal, -1);
  for (int i = 0; i < kPoolSlotCount; ++i) {
    EXPECT_EQ(record.counts[i], counts[i]);
    EXPECT_TRUE(record.fromFile[i]);
  }
  EXPECT_TRUE(record.warnings.empty());
}

}  // namespace
