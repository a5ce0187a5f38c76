// The ground test through zones against the flat nearest-to-target test
// over the same generated world: both must find the same surface.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/world_queries.h"
#include "world/space_world_fixture.h"

namespace {

class LandscapeLineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    space_fixture::Options o;
    o.terrainTiles = 4;
    o.outdoorCrates = 12;
    o.trees = 4;
    world_ = space_fixture::MakeWorld(o).release();
  }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }
  static space_fixture::World* world_;
  CWorldQueries q_;
};
space_fixture::World* LandscapeLineTest::world_ = nullptr;

TEST_F(LandscapeLineTest, FindsTheSurfaceNearestTheTargetAsTheFlatTestDoes) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> xz(-1800, 1800), inRoom(20, 780), rz(20, 380), height(10, 290);
  const float top = world_->env->WorldBounds[4], bottom = world_->env->WorldBounds[1];
  int compared = 0, floors = 0;
  for (int k = 0; k < 300; ++k) {
    // Half the points in the rooms (between floor and ceiling), half outside.
    const bool room = k % 2 == 0;
    const CVector3 p{room ? inRoom(rng) : xz(rng), room ? height(rng) : 50.0f, room ? rz(rng) : xz(rng)};
    if (room && std::fabs(p.x - 400) < 15) continue;  // inside the shared wall
    const float target = (top - p.y) / (top - bottom);
    const CVector3 a{p.x, top, p.z}, b{p.x, bottom, p.z};
    WorldHit zones, flat;
    const int z = q_.LineTestLandscape(a, b, target, &zones, 0);
    const int f = q_.LineTestFlatNearest(a, b, target, &flat, 0);
    ASSERT_EQ(z != 0, f != 0) << p.x << " " << p.y << " " << p.z;
    if (!z) continue;
    ++compared;
    EXPECT_NEAR(zones.Distance, flat.Distance, 1e-3f);
    EXPECT_NEAR(zones.WorldPoint.y, flat.WorldPoint.y, 0.05f);
    EXPECT_EQ(zones.Flags & 0xA83u, 0xA83u);
    if (room && zones.WorldPoint.y < 1.0f && zones.WorldPoint.y > -1.0f) ++floors;
  }
  EXPECT_GT(compared, 250);
  EXPECT_GT(floors, 40) << "points in the rooms find the floor below them, not the roof";
}

TEST_F(LandscapeLineTest, FlagSixteenLeavesOutTemplatesMarkedNotGround) {
  // Just above the rooms' roof: the roof is the surface nearest the point.
  const float top = world_->env->WorldBounds[4], bottom = world_->env->WorldBounds[1];
  const CVector3 p{200, 310, 200};
  const float target = (top - p.y) / (top - bottom);
  const CVector3 a{p.x, top, p.z}, b{p.x, bottom, p.z};
  WorldHit first;
  ASSERT_TRUE(q_.LineTestLandscape(a, b, target, &first, WQF_SKIP_BIT29));
  CEnvInstance* roof = first.Instance;
  ASSERT_NE(roof, nullptr);
  EXPECT_NEAR(first.WorldPoint.y, 300.0f, 0.05f);
  roof->Template->Flags |= 0x100;
  WorldHit skipped, kept;
  const int again = q_.LineTestLandscape(a, b, target, &skipped, WQF_SKIP_BIT29);
  const int without = q_.LineTestLandscape(a, b, target, &kept, 0);
  roof->Template->Flags &= ~0x100u;
  ASSERT_TRUE(again);
  EXPECT_NE(skipped.Instance, roof);
  EXPECT_LT(skipped.WorldPoint.y, 300.0f);
  ASSERT_TRUE(without);
  EXPECT_EQ(kept.Instance, roof) << "without the flag the marked template is still ground";
}

TEST_F(LandscapeLineTest, OnlyZonesNearTheStartAreWalked) {
  // Far outside every zone's reach nothing is found, even over ground.
  const float top = world_->env->WorldBounds[4], bottom = world_->env->WorldBounds[1];
  WorldHit hit;
  EXPECT_FALSE(q_.LineTestLandscape({90000, top, 90000}, {90000, bottom, 90000}, 0.5f, &hit, 0));
  EXPECT_EQ(hit.Hit, 0u);
}

}  // namespace
