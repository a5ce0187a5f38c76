// The solver pool: sizes, the end of the pool, marks, and a pool without memory.
#include <gtest/gtest.h>

#include "kea_fixture.h"
#include "physics/solver/kea_pool.h"

using namespace kea_test;

namespace {

TEST(KeaPool, HandsOutConsecutiveBlocksUpToTheExactEnd) {
  alignas(16) unsigned char memory[64];
  keaPoolInit(memory, 64);
  EXPECT_EQ(keaPoolAlloc(16, "a"), memory);
  EXPECT_EQ(keaPoolAlloc(48, "b"), memory + 16);  // ends exactly at the pool end
}

struct BadRequest {
  int poolSize, size;
  const char* expectText;
};

class KeaPoolFatal : public ::testing::TestWithParam<BadRequest> {};

// Sizes that are not multiples of 16 are fatal even with room; so are
// requests beyond the end.  Should the handler return, nothing is taken.
TEST_P(KeaPoolFatal, ReportsAndTakesNothing) {
  const BadRequest& c = GetParam();
  alignas(16) unsigned char memory[128];
  keaPoolInit(memory, c.poolSize);
  {
    FatalCatcher catcher;
    EXPECT_THROW(keaPoolAlloc(c.size, "A"), FatalError);
    EXPECT_NE(FatalCatcher::last.find(c.expectText), std::string::npos) << FatalCatcher::last;
    EXPECT_NE(FatalCatcher::last.find("A"), std::string::npos);
  }
  EXPECT_EQ(keaPoolAlloc(16, "next"), memory);
}

INSTANTIATE_TEST_SUITE_P(Requests, KeaPoolFatal,
                         ::testing::Values(BadRequest{128, 24, "Size must be a multiple of 16 bytes."},
                                           BadRequest{128, 8, "Size must be a multiple of 16 bytes."},
                                           BadRequest{64, 80, "Memory pool size exceeded when allocating A of size 80"},
                                           BadRequest{32, 48, "Memory pool size exceeded"}));

// A pool given no memory (a scratch chunk that could not grow) reports a
// fatal error instead of handing out offsets from null.
TEST(KeaPool, NoMemoryIsFatalNotANullOffset) {
  keaPoolInit(nullptr, 4096);
  FatalCatcher catcher;
  EXPECT_THROW(keaPoolAlloc(16, "rhs"), FatalError);
  EXPECT_NE(FatalCatcher::last.find("No solver memory"), std::string::npos);
}

TEST(KeaPool, PoppingAMarkReleasesEverythingSince) {
  alignas(16) unsigned char memory[256];
  keaPoolInit(memory, 256);
  keaPoolAlloc(32, "a");
  keaPoolPushMark();
  keaPoolAlloc(64, "b");
  keaPoolPushMark();
  keaPoolAlloc(64, "c");
  keaPoolPopMark();
  EXPECT_EQ(keaPoolAlloc(16, "d"), memory + 96);
  keaPoolPopMark();
  EXPECT_EQ(keaPoolAlloc(16, "e"), memory + 32);
  keaPoolPopMark();  // no mark left: nothing happens
  EXPECT_EQ(keaPoolAlloc(16, "f"), memory + 48);
}

TEST(KeaPool, AFourthNestedMarkIsFatal) {
  alignas(16) unsigned char memory[64];
  keaPoolInit(memory, 64);
  for (int i = 0; i < keaPoolMaxMarks; ++i) keaPoolPushMark();
  FatalCatcher catcher;
  EXPECT_THROW(keaPoolPushMark(), FatalError);
}

}  // namespace
