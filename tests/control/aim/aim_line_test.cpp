// The aim line against the generated world of two walled rooms: its hit is
// the world's own line query, the player's soldier is left out, and nothing
// in the line reads 99900.
#include "control/aim/aim_line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/space/world_hit.h"
#include "world/space_world_fixture.h"

namespace {

class AimLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    space_fixture::Options o;
    o.terrainTiles = 2;
    o.outdoorCrates = 0;
    o.trees = 0;
    o.cratesPerRoom = 1;
    world_ = space_fixture::MakeWorld(o).release();
  }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }
  static space_fixture::World* world_;
};
space_fixture::World* AimLine::world_ = nullptr;

TEST_F(AimLine, TheHitOnAWallIsTheWorldsOwnLineQuery) {
  const struct {
    CVector3 from, direction;
  } cases[] = {{{200, 150, 200}, {0, 0, -1}}, {{100, 100, 300}, {-1, 0.2f, 0.5f}}, {{300, 250, 100}, {0.3f, 1, 0}}};
  for (const auto& c : cases) {
    AimLineResult r;
    CastAimLine(c.from, c.direction, nullptr, world_->roomA, c.from, true, &r);
    ASSERT_TRUE(r.Hit);
    CVector3 expected{};
    // The same segment through the world's query.
    const float n = std::sqrt(c.direction.x * c.direction.x + c.direction.y * c.direction.y +
                              c.direction.z * c.direction.z);
    const CVector3 far{c.from.x + c.direction.x / n * kAimLineLength, c.from.y + c.direction.y / n * kAimLineLength,
                       c.from.z + c.direction.z / n * kAimLineLength};
    ASSERT_EQ(g_Environment->LineOfSight(world_->roomA, c.from, far, &expected, nullptr, 0, nullptr), 0);
    EXPECT_FLOAT_EQ(r.HitPoint.x, expected.x);
    EXPECT_FLOAT_EQ(r.HitPoint.y, expected.y);
    EXPECT_FLOAT_EQ(r.HitPoint.z, expected.z);
    EXPECT_GT(r.Distance, 0.0f);
    EXPECT_LT(r.Distance, 500.0f);
    EXPECT_TRUE(r.CloseAim) << "seen from where it is cast";
  }
}

TEST_F(AimLine, TheOwnSoldierIsLeftOutAndNothingReads99900) {
  CEnvInstance* crate = world_->crateInB;
  ASSERT_NE(crate, nullptr);
  CVector3 centre{};
  crate->GetPosition(&centre);
  centre.y += 10.0f;
  ASSERT_GT(centre.z, 40.0f);
  const CVector3 from{centre.x, centre.y, 10.0f};  // inside room B, before the crate
  // Through the crate towards the far wall: the crate when it is someone else's...
  AimLineResult seen;
  CastAimLine(from, {0, 0, 1}, nullptr, world_->roomB, from, true, &seen);
  ASSERT_TRUE(seen.Hit);
  EXPECT_LT(seen.HitPoint.z, centre.z);
  // ...the wall behind it when it is the player's own, and it stays collidable.
  AimLineResult own;
  CastAimLine(from, {0, 0, 1}, crate, world_->roomB, from, true, &own);
  ASSERT_TRUE(own.Hit);
  EXPECT_GT(own.HitPoint.z, centre.z);
  EXPECT_EQ(crate->Flags & INSTF_DISABLED, 0u) << "given back to the line checks";
  // Up into the open sky from outside: nothing.
  AimLineResult none;
  CastAimLine({-500, 100, -500}, {0, 1, 0}, nullptr, nullptr, {-500, 100, -500}, true, &none);
  EXPECT_FALSE(none.Hit);
  EXPECT_EQ(none.Distance, kNoAimDistance);
  EXPECT_FLOAT_EQ(none.HitPoint.y, 100 + kAimLineLength);
  EXPECT_EQ(none.Instance, nullptr);
  // A zero direction casts nothing.
  CastAimLine(from, {0, 0, 0}, nullptr, nullptr, from, true, &none);
  EXPECT_FALSE(none.Hit);
}

TEST_F(AimLine, CloseAimNeedsTheHitWithin45DegreesOfTheEyeAndASoldierOnFoot) {
  const CVector3 camera{200, 150, 350};
  struct Case {
    CVector3 eye;
    bool onFoot, close;
  } cases[] = {
      {{200, 150, 300}, true, true},   // the eye on the view axis
      {{380, 150, 20}, true, false},   // the eye off to the side: the hit is at a wide angle
      {{200, 150, 300}, false, false}, // in a vehicle
  };
  for (const Case& c : cases) {
    AimLineResult r;
    CastAimLine(camera, {0, 0, -1}, nullptr, world_->roomA, c.eye, c.onFoot, &r);
    ASSERT_TRUE(r.Hit);
    EXPECT_EQ(r.CloseAim, c.close) << c.eye.x << " " << c.onFoot;
  }
}

}  // namespace
