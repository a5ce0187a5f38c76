#include "world/effects/trails.h"

#include "effects_fixture.h"
#include "foundation/byte_reader.h"

namespace effects_test {
namespace {

class TrailsTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    ASSERT_TRUE(trails_.CreatePools(buffer_.get()));
    g_Trails = &trails_;
  }
  void TearDown() override {
    g_Trails = nullptr;
    EffectsTest::TearDown();
  }
  // A trail fed n points (x = 1 .. n), one per frame of 10 ms.
  CTrail* Fed(int n, std::uint32_t flags = 0) {
    const CVector3 first{1, 0, 0};
    CTrail* t = trails_.Add(flags, 1.0f, 0.5f, 0.25f, 1.0f, &first);
    for (int i = 2; i <= n; ++i) {
      Step(10);
      t->AddPoint(CVector3{static_cast<float>(i), 0, 0});
    }
    return t;
  }
  Trails trails_;
};

TEST_F(TrailsTest, RingLengthsStayWithinTheRing) {
  struct Case {
    std::uint32_t flags;
    std::uint32_t low, high;
  };
  const Case cases[] = {{0, 32, 32}, {TRAILF_DOUBLE_RING, 64, 64}, {TRAILF_RANDOM_RING, 16, 63},
                        {TRAILF_RANDOM_RING | TRAILF_DOUBLE_RING, 32, 64}};
  for (const Case& c : cases) {
    for (int i = 0; i < 40; ++i) {
      trails_.Clear();
      CTrail* t = trails_.Add(c.flags, 1, 1, 1, 1, nullptr);
      ASSERT_NE(t, nullptr);
      EXPECT_GE(t->RingLength, c.low) << c.flags;
      EXPECT_LE(t->RingLength, c.high) << c.flags;
      EXPECT_EQ(t->Count, 0u);
    }
  }
}

TEST_F(TrailsTest, AFullPoolRefusesAndAFreedRecordIsTakenAgain) {
  std::vector<CTrail*> all;
  for (int i = 0; i < 32; ++i) all.push_back(trails_.Add(0, 1, 1, 1, 1, nullptr));
  for (CTrail* t : all) ASSERT_NE(t, nullptr);
  EXPECT_EQ(trails_.Add(0, 1, 1, 1, 1, nullptr), nullptr);
  all[5]->State = TRAIL_FREE;
  EXPECT_EQ(trails_.Add(0, 1, 1, 1, 1, nullptr), all[5]);
}

TEST_F(TrailsTest, PointsAreTakenOncePerFrameAtFirstAndNotWhileHeld) {
  const CVector3 first{0, 0, 0};
  CTrail* t = trails_.Add(TRAILF_HOLD, 1, 1, 1, 1, &first);
  t->AddPoint(CVector3{1, 0, 0});  // same clock time, one point: not taken
  EXPECT_EQ(t->Count, 1u);
  Step(10);
  t->AddPoint(CVector3{1, 0, 0});
  t->AddPoint(CVector3{2, 0, 0});  // later points of one frame are taken
  EXPECT_EQ(t->Count, 3u);
  SetClock(clock_, now_ + 10, 0.0f, false);
  t->AddPoint(CVector3{3, 0, 0});
  EXPECT_EQ(t->Count, 3u);
}

TEST_F(TrailsTest, StripsGrowFromTheTailToTheHead) {
  Fed(2);
  trails_.Render();
  EXPECT_TRUE(g_recorded.strips.empty());  // two points are not drawn
  trails_.Clear();
  CTrail* t = Fed(3, TRAILF_ADDITIVE);
  t->Width = 30.0f;
  trails_.Render();
  ASSERT_EQ(g_recorded.strips.size(), 1u);
  const auto& s = g_recorded.strips[0];
  ASSERT_EQ(s.size(), 3u);
  EXPECT_FLOAT_EQ(s[0].Position.x, 1.0f);
  EXPECT_FLOAT_EQ(s[2].Position.x, 3.0f);
  EXPECT_FLOAT_EQ(s[0].HalfWidth, 10.0f);
  EXPECT_FLOAT_EQ(s[2].HalfWidth, 30.0f);
  EXPECT_EQ(s[0].Colour >> 24, 85u);
  EXPECT_EQ(s[2].Colour, 0xFFFF7F3Fu);
  EXPECT_EQ(s[1].Flags, 1u);
}

TEST_F(TrailsTest, AFullRingDrawsItsLastPointsOldestFirst) {
  CTrail* t = Fed(40);
  EXPECT_EQ(t->Count, 32u);
  EXPECT_EQ(t->Dropped, 8u);
  trails_.Render();
  ASSERT_EQ(g_recorded.strips.size(), 1u);
  const auto& s = g_recorded.strips[0];
  ASSERT_EQ(s.size(), 32u);
  for (int i = 0; i < 32; ++i) EXPECT_FLOAT_EQ(s[i].Position.x, 9.0f + i) << i;
}

TEST_F(TrailsTest, AReleasedTrailLosesAPointEveryNineMillisecondsThenIsFree) {
  CTrail* t = Fed(10);
  t->Release();
  std::vector<std::size_t> drawn;
  for (int frame = 0; frame < 40 && t->State != TRAIL_FREE; ++frame) {
    Step(5);
    trails_.Update();
    g_recorded.strips.clear();
    trails_.Render();
    drawn.push_back(g_recorded.strips.empty() ? 0 : g_recorded.strips[0].size());
  }
  EXPECT_EQ(t->State, TRAIL_FREE);
  // One point lost at the first update, then one every 9 ms: every other 5 ms frame.
  ASSERT_GE(drawn.size(), 4u);
  EXPECT_EQ(drawn[0], 9u);
  EXPECT_EQ(drawn[1], 9u);
  EXPECT_EQ(drawn[2], 8u);
  EXPECT_EQ(drawn[3], 8u);
  // Nine steps to lose nine points: free at the 17th frame.
  EXPECT_EQ(drawn.size(), 17u);
}

TEST_F(TrailsTest, SavedTrailsReadBackAndDamagedOnesAreRefused) {
  CTrail* a = Fed(40);
  a->Width = 12.0f;
  CTrail* b = Fed(5, TRAILF_DOUBLE_RING);
  b->Release();
  ByteWriter out;
  EXPECT_EQ(trails_.SaveAll(out), 32u);
  EXPECT_EQ(out.Size(), 2u * kTrailRecordBytes + 30u * 4u);
  Trails copy;
  ASSERT_TRUE(copy.CreatePools(buffer_.get()));
  {
    ByteReader in(out.Data().data(), out.Size());
    ASSERT_TRUE(copy.LoadAll(in, 32));
  }
  for (int i = 0; i < 2; ++i) {
    const CTrail& x = *trails_.Get(i);
    const CTrail& y = *copy.Get(i);
    EXPECT_EQ(x.State, y.State);
    EXPECT_EQ(x.Count, y.Count);
    EXPECT_EQ(x.Dropped, y.Dropped);
    EXPECT_EQ(x.RingLength, y.RingLength);
    EXPECT_EQ(x.FirstVisible, y.FirstVisible);
    EXPECT_EQ(x.Width, y.Width);
    for (int k = 0; k < kTrailRingPoints; ++k) EXPECT_EQ(x.Points[k].x, y.Points[k].x);
  }
  EXPECT_EQ(copy.Get(2)->State, TRAIL_FREE);
  struct Bad {
    std::size_t offset;
    std::uint32_t value;
  };
  // 4 + 768 bytes in: count, ring length.
  const Bad bads[] = {{0, 7}, {4 + 768 + 8, 100}, {4 + 768 + 8, 0}, {4 + 768 + 4, 40}};
  for (const Bad& bad : bads) {
    ByteWriter damaged = out;
    damaged.PatchU32(bad.offset, bad.value);
    ByteReader in(damaged.Data().data(), damaged.Size());
    EXPECT_FALSE(copy.LoadAll(in, 32)) << bad.offset << " " << bad.value;
  }
  ByteReader cut(out.Data().data(), 100);
  EXPECT_FALSE(copy.LoadAll(cut, 32));
}

}  // namespace
}  // namespace effects_test
