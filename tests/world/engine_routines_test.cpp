// The engine's small geometric tests, by tables of cases, and its developer
// overlays (the view fan and the parent link) on the device.
#include "world/engine_routines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/overlay_fixture.h"
#include "world/text/text_fixture.h"

namespace {

TEST(EngineRoutines, DistanceAndViewCone) {
  EXPECT_TRUE(VecWithinDistance({0, 0, 0}, {3, 4, 0}, 5.01f));
  EXPECT_FALSE(VecWithinDistance({0, 0, 0}, {3, 4, 0}, 5.0f)) << "at the distance is not within";
  struct Case {
    float yaw;
    CVector3 target;
    float cone;
    bool inside;
  } cases[] = {
      {0, {0, 0, 100}, 10, true},     // straight ahead along +z
      {0, {0, 0, -100}, 361, true},   // straight behind is 180 degrees off
      {0, {0, 0, -100}, 359, false},
      {90, {100, 0, 0}, 10, true},    // yaw 90 faces +x
      {90, {0, 0, 100}, 170, false},  // 90 degrees off needs more than 180
      {90, {0, 0, 100}, 181, true},
      {0, {0, 500, 0}, 179, false},   // straight above: 90 degrees off
      {0, {0, 500, 0}, 181, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PointInViewCone({0, 0, 0}, c.yaw, c.target, c.cone), c.inside) << c.yaw << " " << c.cone;
}

TEST(EngineRoutines, VerticalConeMeasuresTheElevationAngle) {
  struct Case {
    CVector3 target;
    float cone;
    int acceptBelow;
    bool inside;
  } cases[] = {
      {{100, 100, 0}, 91, 0, true},    // 45 degrees up
      {{100, 100, 0}, 89, 0, false},
      {{10, 1, 0}, 12, 0, true},       // 5.7 degrees up
      {{10, 1, 0}, 11, 0, false},
      {{100, -100, 0}, 91, 0, false},  // below, not accepted
      {{100, -100, 0}, 91, 1, true},
      {{0, 10, 0}, 179, 1, false},     // straight up: 90 degrees
  };
  for (const Case& c : cases)
    EXPECT_EQ(PointInVerticalCone({0, 0, 0}, c.target, c.cone, c.acceptBelow), c.inside)
        << c.target.x << "," << c.target.y << " cone " << c.cone;
}

TEST(EngineRoutines, SteepnessAndTimeOfDay) {
  EXPECT_TRUE(IsSteepOrShort({1, 0, 0}, 2, 0.5f));      // short
  EXPECT_FALSE(IsSteepOrShort({100, 10, 0}, 50, 0.5f)); // long and flat
  EXPECT_TRUE(IsSteepOrShort({30, 60, 0}, 40, 0.5f));   // 67 less 60 is below 40; y share 0.89
  EXPECT_FALSE(IsSteepOrShort({30, 60, 0}, 40, 0.95f));
  // Set here rather than at its first use, so that a repeated run starts at noon too.
  static float hour;
  hour = 12.0f;
  SetTimeOfDaySource([] { return hour; });
  EXPECT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 10.0f);
  hour = 16.0f;
  EXPECT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 10.0f);
  hour = 18.0f;  // 1 - (6 - 4) / 4 = 0.5
  EXPECT_FLOAT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 5.0f);
  hour = 0.0f;  // 1 - 8 / 4 = -1: the floor
  EXPECT_FLOAT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 2.0f);
  SetTimeOfDaySource(nullptr);
  EXPECT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 10.0f);
}

}  // namespace

// --- the developer overlays of the engine's routines, on the device ---------------------

namespace {

using overlay_test::Near;

class EngineOverlays : public overlay_test::OverlayDeviceTest {
 protected:
  void SetUp() override {
    OverlayDeviceTest::SetUp();
    previousClock_ = g_GameClock;
    previousEnvironment_ = g_Environment;
    g_GameClock = &clock_;
    env_ = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock_, nullptr);
  }
  void TearDown() override {
    g_Environment = previousEnvironment_;
    g_GameClock = previousClock_;
    env_.reset();
    OverlayDeviceTest::TearDown();
  }
  CEnvObject* Template(const char* name, int kind) {
    auto* t = new CEnvObject;
    t->TemplateKind = kind;
    t->Bounds.Min = {-1, -1, -1};
    t->Bounds.Max = {1, 1, 1};
    t->Sphere.Radius = 1.0f;
    t->ObjectNameHash = HashStringNoCase(name);
    return env_->AddObject(t);
  }

  CTimer clock_;
  CTimer* previousClock_ = nullptr;
  CEnvironment* previousEnvironment_ = nullptr;
  std::unique_ptr<CEnvironment> env_;
};

TEST_F(EngineOverlays, ViewFanIsTheEyeAndTwentyFiveArcPoints) {
  const CVector3 eye{10, 50, -20};
  const float tan10 = std::tan(10.0f * 0.017453292f);
  struct Case {
    float yaw, cone, range, sway;
    int bothSides;
    std::uint32_t gameTime;  // the sway's phase: 2500 ms a quarter, 7500 three quarters of 10 s
    float raise;
  } cases[] = {
      {0, 90, 100, 0, 1, 2500, 0},                // no sway: flat
      {90, 48, 200, 20, 1, 2500, tan10 * 200},    // raised fully at a quarter
      {90, 48, 200, 20, 1, 7500, -tan10 * 200},   // lowered at three quarters, both sides
      {90, 48, 200, 20, 0, 7500, tan10 * 200},    // one side only: the lowering turns up
      {200, 120, 50, 20, 1, 10000, 0},            // the cycle's start: no raise
      {-30, 360, 80, 40, 0, 2500, std::tan(20.0f * 0.017453292f) * 80},
  };
  for (const Case& c : cases) {
    text_test::SetClock(clock_, c.gameTime, 0.0f);
    CVector3 fan[kViewFanPoints];
    g_Environment = nullptr;
    EXPECT_EQ(BuildViewFan(fan, eye, c.yaw, c.cone, c.range, c.sway, c.bothSides, 0xFFFF0000), 0)
        << "no environment, no outline";
    EXPECT_EQ(fan[0].x, eye.x);
    EXPECT_EQ(fan[0].y, eye.y);
    EXPECT_EQ(fan[0].z, eye.z);
    for (int k = 0; k <= 24; ++k) {
      const float angle = (c.yaw + c.cone / 2 - k * c.cone / 24) * 0.017453292f;
      const CVector3& p = fan[k + 1];
      EXPECT_NEAR(p.x, eye.x + std::sin(angle) * c.range, 0.01f) << c.yaw << " point " << k;
      EXPECT_NEAR(p.z, eye.z + std::cos(angle) * c.range, 0.01f) << c.yaw << " point " << k;
      EXPECT_NEAR(p.y, eye.y + c.raise, 0.01f) << c.yaw << " time " << c.gameTime << " point " << k;
    }
  }

  // With an environment the fan's outline is drawn: 26 edges in the colour given.
  g_Environment = env_.get();
  text_test::SetClock(clock_, 0, 0.0f);
  CVector3 fan[kViewFanPoints];
  Record();
  EXPECT_EQ(BuildViewFan(fan, eye, 0, 90, 100, 0, 1, 0x33FF0000), kViewFanPoints);
  const auto lines = WorldLines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kViewFanPoints));
  for (int k = 0; k < kViewFanPoints; ++k) {
    EXPECT_TRUE(Near(lines[k].vertices[0], fan[k])) << k;
    EXPECT_TRUE(Near(lines[k].vertices[1], fan[(k + 1) % kViewFanPoints])) << k;
    EXPECT_EQ(lines[k].vertices[0].Colour, 0x33FF0000u);
  }
}

TEST_F(EngineOverlays, ParentLinkJoinsTheSphereCentresInMagenta) {
  CEnvObject* box = Template("box", OTYPE_ENV);
  CEnvObject* ground = Template("ground", OTYPE_LANDSCAPE);
  CEnvInstance* parent = env_->CreateInstance("parent", box, {0, 0, 500}, {}, nullptr, 0, 0);
  CEnvInstance* child = env_->CreateInstance("child", box, {100, 20, 600}, {}, nullptr, 0, 0);
  CEnvInstance* landscape = env_->CreateInstance("land", ground, {0, 0, 0}, {}, nullptr, 0, 0);
  CMatrix world;
  world.SetIdentity();
  world.SetTranslationXYZ(7, 8, 9);
  s_Render->SetWorldMatrix(world);

  Record();
  EXPECT_EQ(DrawParentLink(child), 0) << "no parent yet";
  EXPECT_EQ(DrawParentLink(nullptr), 0);
  parent->AttachChild(landscape);
  EXPECT_EQ(DrawParentLink(landscape), 0) << "a landscape is never linked";
  EXPECT_TRUE(Draws().empty());

  parent->AttachChild(child);
  child->UpdateBoundingSphere();
  parent->UpdateBoundingSphere();
  Record();
  EXPECT_EQ(DrawParentLink(child), 1);
  const auto lines = WorldLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(Near(lines[0].vertices[0], child->GetWorldSphere().Centre));
  EXPECT_TRUE(Near(lines[0].vertices[1], parent->GetWorldSphere().Centre));
  EXPECT_FALSE(Near(lines[0].vertices[0], parent->GetWorldSphere().Centre));
  EXPECT_EQ(lines[0].vertices[0].Colour, 0xFFFF00FFu);
  EXPECT_EQ(lines[0].vertices[1].Colour, 0xFFFF00FFu);
  EXPECT_EQ(s_Render->GetWorldMatrix().m[3][0], 7.0f) << "the world matrix is put back";
}

}  // namespace
