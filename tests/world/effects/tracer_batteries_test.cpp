#include "world/effects/tracer_batteries.h"

#include <cmath>

#include "effects_fixture.h"
#include "world/effects/effect_pool.h"
#include "world/effects/trails.h"
#include "world/environment/env_text_cursor.h"

namespace effects_test {
namespace {

class TracerBatteriesTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    ASSERT_TRUE(effects_.CreatePools(buffer_.get()));
    ASSERT_TRUE(trails_.CreatePools(buffer_.get()));
    g_EffectPool = &effects_;
    g_Trails = &trails_;
  }
  void TearDown() override {
    g_EffectPool = nullptr;
    g_Trails = nullptr;
    EffectsTest::TearDown();
  }
  CEffectPool effects_;
  Trails trails_;
  TracerBatteries batteries_;
};

TEST_F(TracerBatteriesTest, SectionReadsBackWhatIsWritten) {
  std::string text;
  TracerBatteries::Write(&text, {{100, 0, 200}, {-50, 10, 5}});
  text += "NEXT";
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(batteries_.Read(cursor, 61));
  ASSERT_EQ(batteries_.GetCount(), 2);
  EXPECT_FLOAT_EQ(batteries_.Get(1)->Position.x, -50.0f);
  const TracerBattery& b = *batteries_.Get(0);
  EXPECT_GE(b.BurstTimer, 1.5f);
  EXPECT_LE(b.BurstTimer, 4.0f);
  EXPECT_GE(b.ShotsLeft, 2);
  EXPECT_LT(b.ShotsLeft, 10);
  EXPECT_FLOAT_EQ(b.AimOffset.y, 100000.0f);
  char next[8];
  ASSERT_TRUE(cursor.Token(next));
  EXPECT_STREQ(next, "NEXT");
}

TEST_F(TracerBatteriesTest, DamagedSectionsKeepNoBatteries) {
  for (const char* bad : {"TRACERS -1", "TRACERS 2 1 2 3 4 5", "TRACERS 100000 1 2 3", "TRACERS", "TRACERS x"}) {
    EnvTextCursor good("TRACERS 1 0 0 0");
    ASSERT_TRUE(batteries_.Read(good, 61));
    EnvTextCursor cursor(bad);
    EXPECT_FALSE(batteries_.Read(cursor, 61)) << bad;
    EXPECT_EQ(batteries_.GetCount(), 0) << bad;
  }
}

TEST_F(TracerBatteriesTest, BurstsFireTracersWithTrailsAndAimsStayInBounds) {
  EnvTextCursor cursor("TRACERS 1 0 0 0");
  ASSERT_TRUE(batteries_.Read(cursor, 61));
  TracerBattery& b = *batteries_.Get(0);
  b.BurstTimer = 0.05f;
  b.ShotsLeft = 2;
  b.AimVelocity = {40000.0f, 0.0f, -40000.0f};
  int fired = 0;
  for (int i = 0; i < 100; ++i) {
    Step(10);
    const int before = effects_.GetLiveCount();
    batteries_.Update(0.01f);
    if (effects_.GetLiveCount() > before) {
      ++fired;
      const CEffectInstance* e = effects_.Get(effects_.GetLiveCount() - 1);
      EXPECT_EQ(e->Kind, EFFECT_TO_TARGET);
      EXPECT_FLOAT_EQ(e->Speed, 3000.0f);
      EXPECT_EQ(e->TimeLimit, 2000u);
      ASSERT_NE(e->Trail, nullptr);
      EXPECT_FLOAT_EQ(e->Trail->Width, 25.0f);
      EXPECT_EQ(e->Trail->Flags, 0x28u);
      EXPECT_LE(e->Trail->RingLength, 12u);
      EXPECT_FLOAT_EQ(e->TrailColour[1], 0.694f);
    }
    EXPECT_LE(std::fabs(b.AimOffset.x), 50000.0f);
    EXPECT_LE(std::fabs(b.AimOffset.z), 50000.0f);
    EXPECT_LE(std::fabs(b.AimVelocity.x), 40000.0f);
  }
  // Three shots in the burst (0.05 s, then 0.4 s apart) within the second.
  EXPECT_EQ(fired, 3);
}

}  // namespace
}  // namespace effects_test
