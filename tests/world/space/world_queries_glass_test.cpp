// The line tests and the glass panes: an intact pane in the doorway between
// the two rooms blocks a line through it (zone walk and flat test alike),
// a shattered one never does, the skip flags leave panes out, and the nearer
// of a wall and a pane is what the line meets.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/glass/glass_fixture.h"
#include "world/glass/glazier.h"
#include "world/space/world_queries.h"
#include "world/space_world_fixture.h"

namespace {

class WorldQueriesGlass : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { world_ = space_fixture::MakeWorld({}).release(); }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }
  void SetUp() override {
    // A pane filling the doorway between room A and room B (x = 400), its
    // normal towards room A (-x).
    glass_fixture::PaneShape doorway;
    doorway.points = {{400, 0, 150}, {400, 0, 250}, {400, 200, 250}, {400, 200, 150}};
    Env().CreateGlass(20);
    ASSERT_NE(Env().Glass, nullptr);
    ASSERT_TRUE(Env().Glass->MakeShards());
    const std::string text = glass_fixture::SectionText({doorway});
    EnvTextCursor cursor(text.c_str());
    ASSERT_EQ(Env().Glass->ReadText(cursor, kGlassVersionCurrent, GlassModules{}), 1);
    zones_ = Env().UseZones;
  }
  void TearDown() override {
    delete Env().Glass;
    Env().Glass = nullptr;
    Env().UseZones = zones_;
  }
  static CEnvironment& Env() { return *world_->env; }

  static space_fixture::World* world_;
  CWorldQueries queries_;
  std::uint32_t zones_ = 0;
};
space_fixture::World* WorldQueriesGlass::world_ = nullptr;

const CVector3 kInA{200, 100, 200};
const CVector3 kInB{600, 100, 200};

TEST_F(WorldQueriesGlass, AnIntactPaneBlocksTheLineFromEitherSide) {
  for (std::uint32_t zones : {1u, 0u}) {
    SCOPED_TRACE(zones);
    Env().UseZones = zones;
    struct Case {
      CVector3 from, to;
      CEnvInstance* zone;
      std::uint32_t flags;
    };
    const Case cases[] = {{kInA, kInB, world_->roomA, 0x1C800}, {kInB, kInA, world_->roomB, 0xC800}};
    for (const Case& c : cases) {
      WorldHit* hit = nullptr;
      ASSERT_EQ(queries_.LineOfSight(c.zone, c.from, c.to, nullptr, &hit, 0, nullptr), 0);
      ASSERT_NE(hit, nullptr);
      EXPECT_EQ(hit->Flags & 0x1C800u, c.flags);
      EXPECT_EQ(hit->Pane, 0);
      EXPECT_NEAR(hit->Distance, 0.5f, 1e-4f);
      EXPECT_NEAR(hit->GlassPoint.x, 400.0f, 1e-3f);
      EXPECT_NEAR(hit->GlassPoint.y, 100.0f, 1e-3f);
      EXPECT_NEAR(hit->GlassPoint.z, 200.0f, 1e-3f);
      EXPECT_FLOAT_EQ(hit->Plane[0], -1.0f);
      EXPECT_FLOAT_EQ(hit->Plane[3], 400.0f);
    }
    // Once shattered the doorway is clear again.
    Env().Glass->Shatter(0, kGlassSideFront, nullptr);
    EXPECT_EQ(queries_.LineOfSight(world_->roomA, kInA, kInB, nullptr, nullptr, 0, nullptr), 1);
    TearDown();
    SetUp();
  }
}

TEST_F(WorldQueriesGlass, SkipFlagsAndTheOutlineDecideWhatThePaneTestMeets) {
  struct Case {
    CVector3 from, to;
    std::uint32_t flags;
    int hit;
  };
  const Case cases[] = {
      {kInA, kInB, 0, 1},
      {kInA, kInB, WQF_LINE_OF_SIGHT | WQF_SKIP_FLAG64, 1},
      {kInA, kInB, 0x1, 0},
      {kInA, kInB, 0x10, 0},
      {kInA, kInB, 0x100, 0},
      {{200, 100, 300}, {600, 100, 300}, 0, 0},   // through the plane beside the doorway
      {{200, 250, 200}, {600, 250, 200}, 0, 0},   // above it
      {{200, 100, 200}, {390, 100, 200}, 0, 0},   // stops short of it
      {{400, 100, 200}, {600, 100, 200}, 0, 1},   // starts on it: met at once
  };
  for (const Case& c : cases) {
    WorldHit hit;
    EXPECT_EQ(queries_.LineTestGlass(c.from, c.to, &hit, c.flags), c.hit)
        << c.from.x << " " << c.from.y << " " << c.from.z << " flags " << c.flags;
    if (c.hit == 1 && c.from.x == 400.0f) {
      EXPECT_FLOAT_EQ(hit.Distance, 0.0f);
    }
  }
  // Only intact panes are tested.
  Env().Glass->GetPane(0)->State = GLASS_SHATTERED_BACK;
  WorldHit hit;
  EXPECT_EQ(queries_.LineTestGlass(kInA, kInB, &hit, 0), 0);
}

TEST_F(WorldQueriesGlass, TheNearerOfAWallAndAPaneIsMet) {
  for (std::uint32_t zones : {1u, 0u}) {
    SCOPED_TRACE(zones);
    Env().UseZones = zones;
    // From room A through the pane to room B's far wall: the pane comes first.
    WorldHit* hit = nullptr;
    ASSERT_EQ(queries_.LineOfSight(world_->roomA, kInA, {900, 100, 200}, nullptr, &hit, 0, nullptr), 0);
    EXPECT_NE(hit->Flags & WHF_GLASS, 0u);
    // From outside, room A's west wall stands before the pane.
    ASSERT_EQ(queries_.LineOfSight(world_->land, {-100, 100, 200}, kInB, nullptr, &hit, 0, nullptr), 0);
    EXPECT_EQ(hit->Flags & WHF_GLASS, 0u);
    EXPECT_NE(hit->Flags & WHF_POLYGON, 0u);
    EXPECT_LT(hit->Distance, 0.5f);
  }
}

TEST_F(WorldQueriesGlass, LineOfSightWithoutOutputsAgreesWithTheFullWalk) {
  // The walk that stops at its first surface (no record, point or zone asked
  // for) answers as the full one, panes included: lines in and between the
  // rooms, through the doorway pane, and from outside, with and without the
  // flags that leave panes out.
  std::mt19937 rng(41);
  std::uniform_real_distribution<float> u(0, 1);
  auto point = [&](int where) {
    if (where == 0) return CVector3{-300 + 1400 * u(rng), 20 + 300 * u(rng), -300 + 1000 * u(rng)};
    return CVector3{(where == 1 ? 20.0f : 420.0f) + 360 * u(rng), 20 + 260 * u(rng), 20 + 360 * u(rng)};
  };
  CEnvInstance* zones[3] = {world_->land, world_->roomA, world_->roomB};
  int blocked = 0, by_glass = 0;
  for (int q = 0; q < 1500; ++q) {
    const int from = q % 3;
    CVector3 a = point(from), b = point((q / 3) % 3);
    if (q % 4 == 0) b = {from == 2 ? 200 + 150 * u(rng) : 600 + 150 * u(rng), 20 + 170 * u(rng), 160 + 80 * u(rng)};
    const std::uint32_t flags = q % 5 == 0 ? 0x10u : 0u;
    WorldHit* hit = nullptr;
    const int full = queries_.LineOfSight(zones[from], a, b, nullptr, &hit, flags, nullptr);
    by_glass += !full && (hit->Flags & WHF_GLASS) != 0;
    ASSERT_EQ(queries_.LineOfSight(zones[from], a, b, nullptr, nullptr, flags, nullptr), full) << "case " << q;
    blocked += !full;
  }
  EXPECT_GT(blocked, 300);
  EXPECT_GT(by_glass, 30);
}

}  // namespace
