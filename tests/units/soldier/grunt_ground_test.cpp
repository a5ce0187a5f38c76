// The soldier's ground fit, collision shape and step-over lift on the units
// demo level's own ground: its flat floor, the ledge with its sheer drop,
// the steep ramp and the stairs.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "units/base/unit_types.h"
#include "units/soldier/grunt.h"
#include "units/units_level_fixture.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_file.h"
#include "world/environment/environment.h"
#include "world/space/movable_objects.h"
#include "world/space/world_hit.h"

namespace {

class GruntGroundTest : public UnitsLevelTest {
 protected:
  void SetUp() override {
    UnitsLevelTest::SetUp();
    ASSERT_TRUE(loaded_);
    ASSERT_NE(g_Environment, nullptr);
    // The biped boxes, as level initialise loads them.
    for (const char* box : {"BipedStandDynBox", "BipedKneelDynBox", "BipedProneDynBox"})
      ASSERT_NE(EnvFileLoadObjectByKind(g_Environment, -1, box), nullptr) << box;
  }
  // A soldier of the side moved to a point, turned to a heading, in a state.
  CHLOGrunt* Put(int side, const CVector3& at, float heading, int state) {
    CHLOGrunt* s = Soldiers(side).front();
    s->Instance->SetPosition(at, true);
    s->CHLO::SetRotation({0.0f, heading, 0.0f});
    s->SetMovementState(state);
    s->bodyTilt[0] = s->bodyTilt[1] = 0.0f;
    for (int i = 0; i < 3; ++i) {
      s->heightProbes[i].Clear();
      s->segmentProbes[i].Clear();
    }
    return s;
  }
  // The height of the world's first surface below a point (from 1000 above).
  static float GroundBelow(float x, float z, float from = 1000.0f) {
    WorldHit hit{};
    CVector3 at{};
    WorldHit* found = nullptr;
    if (g_Environment->LineOfSight(nullptr, {x, from, z}, {x, -1000.0f, z}, &at, &found, 0, nullptr) != 0)
      return -1e9f;
    (void)hit;
    return at.y;
  }
};

TEST_F(GruntGroundTest, ALyingSoldierIsTiltedToTheGroundUnderItsHeadAndFeet) {
  struct Case {
    const char* name;
    CVector3 at;        // y filled from the ground below
    float heading;
    int result;
    bool level;         // tilt (0, 0)
    bool kneels;
  };
  // The ledge: 300 square, 150 high, centred at (1400, 1400); its north
  // face at z 1550.  Heading 180 puts the head 90 north of the soldier.
  const Case cases[] = {
      {"flat floor", {400.0f, 0.0f, 1000.0f}, 0.0f, 1, true, false},
      {"flat floor turned", {400.0f, 0.0f, 1000.0f}, 37.0f, 1, true, false},
      {"head over the ledge's drop", {1400.0f, 0.0f, 1500.0f}, 180.0f, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CVector3 at = c.at;
    at.y = GroundBelow(at.x, at.z);
    CHLOGrunt* s = Put(0, at, c.heading, MS_PRONE);
    s->SetStance(STANCE_CRAWL, 0);
    s->baseStance = STANCE_CRAWL;
    EXPECT_EQ(s->FitBodyToGround(), c.result);
    if (c.level) {
      EXPECT_NEAR(s->bodyTilt[0], 0.0f, 0.01f);
      EXPECT_NEAR(s->bodyTilt[1], 0.0f, 0.01f);
      // The marker lies at the body's centroid, on the floor.
      EXPECT_NEAR(s->markerPosition.y, at.y, 0.5f);
    } else {
      EXPECT_GT(std::fabs(s->bodyTilt[0]) + std::fabs(s->bodyTilt[1]), 5.0f);
    }
    EXPECT_EQ(s->stance == STANCE_KNEEL, c.kneels);
  }
}

TEST_F(GruntGroundTest, OverTheDropTheHeadIsKeptAtTheFloorLevel) {
  const float top = GroundBelow(1400.0f, 1450.0f);
  ASSERT_NEAR(top, 150.0f, 1.0f) << "the ledge's top";
  CHLOGrunt* s = Put(0, {1400.0f, top, 1500.0f}, 180.0f, MS_PRONE);
  EXPECT_EQ(s->FitBodyToGround(), 0);
  // Head 90 north over the drop (the ground 150 below, past the 75 floor):
  // the fitted points' centroid lies a third of 75 below the top.
  EXPECT_NEAR(s->markerPosition.y, top - 75.0f / 3.0f, 0.5f);
  // The tilt falls towards the head (north): the negated pitch is positive
  // under the rotation convention of the plane angles.
  EXPECT_NE(s->bodyTilt[0], 0.0f);
  EXPECT_NEAR(s->bodyTilt[1], 0.0f, 0.5f);
}

TEST_F(GruntGroundTest, OnTheSteepRampALyingSoldierKneelsAndKeepsKneeling) {
  // Find the ramp's middle: the highest of the heights along its axis that
  // is still on the wedge.
  float bestZ = 0.0f, bestY = -1.0f;
  for (float z = 1000.0f; z <= 1600.0f; z += 10.0f) {
    const float y = GroundBelow(600.0f, z);
    if (y > 60.0f && y < 190.0f && std::fabs(y - 125.0f) < std::fabs(bestY - 125.0f)) {
      bestY = y;
      bestZ = z;
    }
  }
  ASSERT_GT(bestY, 0.0f) << "the ramp is in the level";
  CHLOGrunt* s = Put(0, {600.0f, bestY, bestZ}, 0.0f, MS_PRONE);
  s->SetStance(STANCE_CRAWL, 0);
  s->baseStance = STANCE_CRAWL;
  s->FitBodyToGround();
  EXPECT_GT(std::fabs(s->bodyTilt[0]), 35.0f);
  EXPECT_EQ(s->stance, STANCE_KNEEL);
  EXPECT_EQ(s->baseStance, STANCE_KNEEL);
  EXPECT_EQ(s->stanceChanged, 1u);
}

TEST_F(GruntGroundTest, ADeadBodyTakesTheTiltOnlyWithGroundUnderAllThreePoints) {
  // On the floor: level.
  CHLOGrunt* s = Put(1, {0.0f, GroundBelow(400.0f, 1000.0f), 1000.0f}, 0.0f, MS_STAND);
  s->health = 0.0f;
  s->bodyTilt[0] = 7.0f;
  s->bodyTilt[1] = 3.0f;
  EXPECT_EQ(s->FitBodyToGround(), 0);
  EXPECT_NEAR(s->bodyTilt[0], 0.0f, 0.01f);
  EXPECT_NEAR(s->bodyTilt[1], 0.0f, 0.01f);
  // Held 300 above the floor (no ground within 200 below): the tilt stays.
  s = Put(1, {400.0f, 300.0f, 1000.0f}, 0.0f, MS_STAND);
  s->health = 0.0f;
  s->bodyTilt[0] = 7.0f;
  s->bodyTilt[1] = 3.0f;
  EXPECT_EQ(s->FitBodyToGround(), 0);
  EXPECT_EQ(s->bodyTilt[0], 7.0f);
  EXPECT_EQ(s->bodyTilt[1], 3.0f);
}

TEST_F(GruntGroundTest, OnAMovableObjectTheBodyFindsItsGroundThroughTheObjectsZones) {
  // The ledge stands in for a movable object of the ground's zone.
  CEnvInstance* ledge = g_Environment->FindInstanceByName("Ledge");
  ASSERT_NE(ledge, nullptr);
  CHLOGrunt* s = Put(1, {1400.0f, 150.0f, 1400.0f}, 0.0f, MS_STAND);
  ASSERT_NE(s->GroundRoot, nullptr);
  MovableObject movable;
  movable.Body = ledge;
  AddMovableObject(s->GroundRoot, &movable);
  EXPECT_EQ(s->GroundRoot->FindMovableAt({1400.0f, 100.0f, 1400.0f}), &movable);
  EXPECT_EQ(s->GroundRoot->FindMovableAt({1400.0f, 200.0f, 1400.0f}), nullptr) << "above its volume";
  EXPECT_EQ(s->GroundRoot->FindMovableAt({1000.0f, 100.0f, 1400.0f}), nullptr) << "beside it";
  // A dead body lying across the top (its centroid inside the volume):
  // level, through the object's two zones (the world's own here).
  s->Instance->SetPosition({1400.0f, 150.0f, 1400.0f}, true);
  s->health = 0.0f;
  s->bodyTilt[0] = 5.0f;
  s->bodyTilt[1] = 5.0f;
  CVector3 centre{1400.0f, 150.0f, 1400.0f + (90.0f - 200.0f) / -3.0f};
  EXPECT_EQ(s->GroundRoot->FindMovableAt({centre.x, 149.0f, centre.z}), &movable);
  s->FitBodyToGround();
  RemoveMovableObject(&movable);
  EXPECT_EQ(s->GroundRoot->FindMovableAt({1400.0f, 100.0f, 1400.0f}), nullptr);
  EXPECT_NEAR(s->bodyTilt[0], 0.0f, 0.01f);
  EXPECT_NEAR(s->bodyTilt[1], 0.0f, 0.01f);
}

TEST_F(GruntGroundTest, TheCollisionShapeFollowsThePosture) {
  struct Case {
    int side;           // 0 friendly, 1 enemy of the local side
    int state;
    std::uint32_t spheres;
    const char* box;
  };
  const Case cases[] = {
      {0, MS_STAND, 2, "BipedKneelDynBox"}, {0, MS_KNEEL, 2, "BipedKneelDynBox"}, {0, MS_PRONE, 1, "BipedProneDynBox"},
      {1, MS_STAND, 1, "BipedStandDynBox"}, {1, MS_KNEEL, 1, "BipedKneelDynBox"}, {1, MS_PRONE, 1, "BipedProneDynBox"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.side << " state " << c.state);
    CHLOGrunt* s = Put(c.side, {400.0f, 0.0f, 1000.0f}, 0.0f, c.state);
    s->moveController.ShapeChanged = 0;
    s->UpdateCollisionShape();
    EXPECT_EQ(s->moveController.SphereCount, c.spheres);
    EXPECT_EQ(s->moveController.ShapeChanged, 1u);
    EXPECT_EQ(s->moveController.Spheres[0].Offset.y, 55.0f);
    EXPECT_EQ(s->moveController.Spheres[0].Radius, 35.0f);
    if (c.spheres == 2) {
      EXPECT_EQ(s->moveController.Spheres[1].Offset.y, 125.0f);
      EXPECT_EQ(s->moveController.Spheres[1].Radius, 35.0f);
    }
    ASSERT_NE(s->Instance->DynamicBox, nullptr);
    EXPECT_EQ(s->Instance->DynamicBox, g_Environment->FindObjectByName(c.box));
  }
}

TEST_F(GruntGroundTest, ABlockedWalkerGetsALiftOnlyWhereTheWayIsFreeAtHipHeightAndAtMostEverySecondCall) {
  // In front of the stairs' first step (20 high, its south face at z 980):
  // free at hip height.
  CHLOGrunt* s = Put(0, {1000.0f, 0.0f, 940.0f}, 0.0f, MS_WALK);
  s->moveController.GroundWord = 1;
  s->moveController.Target = {0.0f, 0.0f, 0.0f};
  s->stepOverPending = 0;
  std::vector<std::uint32_t> pending;
  for (int call = 0; call < 6; ++call) {
    s->TryStepOver({0.0f, 0.0f, 1.0f});
    pending.push_back(s->stepOverPending);
    if (s->moveController.Target.y != 0.0f) {
      EXPECT_EQ(s->moveController.Target.y, 400.0f);
      s->moveController.Target.y = 0.0f;  // the ground step spends the lift
    }
  }
  EXPECT_EQ(pending, (std::vector<std::uint32_t>{1, 0, 1, 0, 1, 0}));

  // Against the ledge's south face (150 high, at z 1250): no lift.
  s = Put(0, {1400.0f, 0.0f, 1200.0f}, 0.0f, MS_WALK);
  s->moveController.GroundWord = 1;
  s->moveController.Target = {0.0f, 0.0f, 0.0f};
  s->stepOverPending = 0;
  s->TryStepOver({0.0f, 0.0f, 1.0f});
  EXPECT_EQ(s->stepOverPending, 0u);
  EXPECT_EQ(s->moveController.Target.y, 0.0f);

  // Off the ground (no contact), nothing happens at all.
  s->moveController.GroundWord = 0;
  s->stepOverPending = 1;
  s->TryStepOver({0.0f, 0.0f, 1.0f});
  EXPECT_EQ(s->stepOverPending, 1u);
}

}  // namespace
