#include "world/dynamics/drive_dynamics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "world/dynamics/dynamics_fixture.h"
#include "world/dynamics/ground_drive_dynamics.h"
#include "world/environment/env_instance.h"

namespace {

float HeadingError(float want, float have) {
  float d = std::fmod(want - have, 360.0f);
  if (d > 180.0f) d -= 360.0f;
  if (d < -180.0f) d += 360.0f;
  return d;
}

// Flown by a small pilot: turn towards the target, go as fast as its
// distance allows, no climb.
TEST(DriveDynamics, FlyingDriveHoldsItsHeightAndReachesItsTarget) {
  dyn_fixture::Options o;
  o.flatTerrain = true;
  auto level = dyn_fixture::MakeLevel(o);
  DynDriveData record;
  record.blank();
  record.speedLimits[0] = 1500.0f;
  record.speedLimits[1] = 400.0f;
  record.rateLimits[0] = 30.0f;
  record.rateLimits[1] = 30.0f;
  const CVector3 start{-2000, 1000, -2000}, target{1500, 1000, 1000};
  CEnvInstance* model = level->Instance(start);
  CDriveDynamics drive;
  drive.Init(start, {0, 0, 0}, model, &record, -1, -1);
  level->physics->AddObject(&drive);
  float nearest = 1e9f;
  for (int i = 0; i < 600; ++i) {
    const float dx = target.x - drive.Position.x, dz = target.z - drive.Position.z;
    const float distance = std::hypot(dx, dz);
    const float want = std::atan2(dx, dz) * 57.29578f;
    drive.SetScaledDrive(std::clamp(HeadingError(want, drive.Angles.y) / 45.0f, -1.0f, 1.0f));
    drive.SetPrimaryDrive(std::clamp(distance / 1500.0f, 0.0f, 1.0f) *
                          (std::fabs(HeadingError(want, drive.Angles.y)) < 60.0f ? 1.0f : 0.2f));
    drive.SetSecondaryDrive(0.0f);
    level->Run(1, 20);
    nearest = std::min(nearest, distance);
    ASSERT_EQ(drive.Position.y, start.y);
    CVector3 at;
    model->GetPosition(&at);
    ASSERT_NEAR(at.y, start.y, 40.0f) << "hover wobble within its 40 units";
    ASSERT_LE(std::fabs(drive.Angles.x), record.rateLimits[0] + 1e-3f);
  }
  EXPECT_LT(std::hypot(target.x - drive.Position.x, target.z - drive.Position.z), 100.0f);
  EXPECT_LT(nearest, 100.0f);
}

TEST(DriveDynamics, ArrivingModesLevelThePitchAtEightDegreesASecond) {
  for (int mode : {CDriveDynamics::kModeArriveHorizontal, CDriveDynamics::kModeArriveHeight}) {
    CDriveDynamics drive;
    drive.Init({0, 0, 0}, {30, 0, 0}, nullptr, nullptr, -1, -1);
    drive.SetMode(mode);
    for (int i = 0; i < 50; ++i) drive.ApplyControls(0.02f);
    EXPECT_NEAR(drive.Angles.x, 22.0f, 1e-3f) << mode;
  }
  // Flying, the pitch follows the speed, at most its limit.
  CDriveDynamics drive;
  drive.Init({0, 0, 0}, {0, 0, 0}, nullptr, nullptr, -1, -1);
  drive.SetPrimaryDrive(1.0f);
  for (int i = 0; i < 200; ++i) drive.ApplyControls(0.02f);
  EXPECT_NEAR(drive.Angles.x, drive.MaxPitch, 1e-3f);
  EXPECT_TRUE(drive.IsMoving());
  EXPECT_NEAR(drive.GetVelocity().z, drive.MaxForwardSpeed, 1e-2f);
}

TEST(GroundDriveDynamics, FollowsTheGroundUpTheRamp) {
  dyn_fixture::Options o;
  o.ramp = true;
  auto level = dyn_fixture::MakeLevel(o);
  const CVector3 start{0, 50, 0};
  CEnvInstance* instance = level->Instance(start);
  CGroundDriveDynamics drive;
  drive.Init(start, {0, 90, 0}, instance, nullptr);  // facing +x
  drive.SetGroundFollow(50.0f);
  level->physics->AddObject(&drive);
  drive.SetPrimaryDrive(0.5f);
  float highest = 0;
  for (int i = 0; i < 125; ++i) {  // up the ramp and onto the plateau (x 1600 .. 2400)
    level->Run(1, 20);
    CVector3 at;
    instance->GetPosition(&at);
    const float ground = level->GroundBelow(at.x, at.y, at.z);
    ASSERT_NEAR(at.y - ground, 50.0f, 1.0f) << "at x " << at.x;
    highest = std::max(highest, at.y);
  }
  CVector3 end;
  instance->GetPosition(&end);
  EXPECT_GT(end.x, 1700.0f);
  EXPECT_NEAR(end.z, 0.0f, 1.0f);
  EXPECT_GT(highest, 100.0f);
}

TEST(GroundDriveDynamics, TurnsTowardsAPointAndRollsIntoTheTurn) {
  CGroundDriveDynamics drive;
  drive.Init({0, 0, 0}, {0, 0, 0}, nullptr, nullptr);
  struct Case {
    CVector3 point;
    float turn;
  };
  for (const Case& c : {Case{{0, 0, 100}, 0}, Case{{100, 0, 0}, 90}, Case{{0, 0, -100}, 180}, Case{{-100, 0, 0}, 270}})
    EXPECT_NEAR(drive.TurnTowards(c.point), c.turn, 1e-3f);
  drive.SetDrive(1.0f);
  for (int i = 0; i < 200; ++i) drive.ApplyControls(0.02f);
  EXPECT_NEAR(drive.TurnRate, 90.0f, 1e-3f);
  EXPECT_NEAR(drive.Angles.z, -drive.RollLimit, 1e-3f);
  drive.ClearTurn();
  drive.ApplyControls(0.02f);
  EXPECT_EQ(drive.Angles.z, 0.0f);
}

}  // namespace
