#include "world/dynamics/tank_dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "physics/dynamics/mdt_body.h"
#include "world/dynamics/dynamics_fixture.h"
#include "world/environment/env_instance.h"

namespace {

struct TankRig {
  std::unique_ptr<dyn_fixture::Level> level;
  DynTankData record;
  CTankDynamics tank;

  TankRig() {
    dyn_fixture::Options o;
    o.flatTerrain = true;
    level = dyn_fixture::MakeLevel(o);
    record = dyn_fixture::TankRecord();
    for (int i = 0; i < record.wheelCount; ++i) record.wheels[i].instance = level->Instance({0, 30, 0});
    for (CEnvInstance*& t : record.trackInstances) t = level->Instance({0, 30, 0});
    const float at[3] = {0, 60, -2000};
    const float angles[3] = {0, 0, 0};
    EXPECT_TRUE(tank.Init(at, angles, level->Instance({0, 60, -2000}), record));
    level->physics->AddObject(&tank);
    level->Run(40, 20);
  }
  ~TankRig() { level->physics->RemoveObject(&tank); }

  CVector3 Position() const {
    float p[3];
    MdtBodyGetPosition(tank.Hull, p);
    return {p[0] * 100, p[1] * 100, p[2] * 100};
  }
  // Heading of the hull's forward axis (body x) in the ground plane, radians.
  float Heading() const {
    float t[16];
    MdtBodyGetTransform(tank.Hull, t);
    return std::atan2(t[0], t[2]);
  }
};

float AngleBetween(float a, float b) {
  float d = std::fmod(a - b, 2 * 3.14159265f);
  if (d > 3.14159265f) d -= 2 * 3.14159265f;
  if (d < -3.14159265f) d += 2 * 3.14159265f;
  return d;
}

TEST(TankDynamics, EqualTrackSpeedsDriveStraightAtTheTrackSpeed) {
  TankRig rig;
  const CVector3 start = rig.Position();
  const float heading = rig.Heading();
  rig.tank.SetTrackDrive(1.0f, 1.0f);
  rig.level->Run(150, 20);
  const CVector3 a = rig.Position();
  rig.level->Run(50, 20);
  const CVector3 b = rig.Position();
  // One second at full track speed: the hull moves as fast as the tracks.
  const float speed = std::hypot(b.x - a.x, b.z - a.z) * 0.01f;
  EXPECT_NEAR(speed, rig.record.trackForce, 0.1f * rig.record.trackForce);
  EXPECT_GT(b.z - start.z, 300.0f);  // forward: +z at yaw 0
  EXPECT_LT(std::fabs(AngleBetween(rig.Heading(), heading)), 0.05f);
  EXPECT_LT(std::fabs(b.x - start.x), 0.05f * (b.z - start.z));
}

TEST(TankDynamics, OppositeTrackSpeedsTurnOnTheSpot) {
  TankRig rig;
  const CVector3 start = rig.Position();
  const float heading = rig.Heading();
  rig.tank.SetTrackDrive(1.0f, -1.0f);
  rig.level->Run(100, 20);
  const float turned = AngleBetween(rig.Heading(), heading);
  EXPECT_GT(std::fabs(turned), 0.5f);
  const CVector3 end = rig.Position();
  EXPECT_LT(std::hypot(end.x - start.x, end.z - start.z), 50.0f);
  // The other way round turns the other way.
  const float before = rig.Heading();
  rig.tank.SetTrackDrive(-1.0f, 1.0f);
  rig.level->Run(100, 20);
  const float back = AngleBetween(rig.Heading(), before);
  EXPECT_LT(back * turned, 0.0f);
}

TEST(TankDynamics, TrackFramesAdvanceWithTheTrackSpeed) {
  TankRig rig;
  const float frames = static_cast<float>(std::max(1, rig.tank.Tracks[0]->GetVertexAnimFrameCount()));
  rig.tank.SetTrackDrive(0.5f, 1.0f);
  rig.level->Run(150, 20);  // the tracks reach their targets
  ASSERT_EQ(rig.tank.TrackSpeeds[0], 0.5f * rig.record.trackForce);
  ASSERT_EQ(rig.tank.TrackSpeeds[1], rig.record.trackForce);
  for (int k = 0; k < 2; ++k) {
    const float before = rig.tank.GetTrackFrame(k);
    rig.level->Run(1, 20);
    const float after = rig.tank.GetTrackFrame(k);
    // Frames per second: speed (engine units) over the cycle per frame.
    const float expected = rig.tank.TrackSpeeds[k] * 100.0f / (rig.record.trackCycleLength / frames) * 0.02f;
    EXPECT_NEAR(std::fmod(after - before + frames, frames), std::fmod(expected, frames), 1e-3f) << k;
    EXPECT_EQ(rig.tank.Tracks[k]->GetVertexAnimFrame(), after);
  }
}

TEST(TankDynamics, TrackSpeedsReachTheirTargetsExactly) {
  TankRig rig;
  rig.tank.SetTrackDrive(1.0f, -0.5f);
  for (int i = 0; i < 200 && rig.tank.TrackSpeeds[0] != rig.tank.TrackTargets[0]; ++i) {
    const float gap = rig.tank.TrackTargets[0] - rig.tank.TrackSpeeds[0];
    rig.level->Run(1, 20);
    const float now = rig.tank.TrackTargets[0] - rig.tank.TrackSpeeds[0];
    if (now != 0.0f) {
      EXPECT_NEAR(now, gap * (1 - 0.02f * 3), 1e-4f);
    }
  }
  EXPECT_EQ(rig.tank.TrackSpeeds[0], rig.tank.TrackTargets[0]);
  EXPECT_EQ(rig.tank.TrackTargets[1], -0.5f * rig.record.trackForce);
}

TEST(TankDynamics, InstancesFollowTheHull) {
  TankRig rig;
  rig.tank.SetTrackDrive(1.0f, 0.8f);
  rig.level->Run(50, 20);
  float t[16];
  MdtBodyGetTransform(rig.tank.Hull, t);
  CVector3 at;
  rig.tank.Instance->GetPosition(&at);
  EXPECT_NEAR(at.x, t[12] * 100, 0.01f);
  EXPECT_NEAR(at.z, t[14] * 100, 0.01f);
  for (CEnvInstance* track : rig.tank.Tracks) {
    track->GetPosition(&at);
    EXPECT_NEAR(at.x, t[12] * 100, 0.01f);
  }
  // A road wheel sits at its attachment point on the hull.
  const TankWheel& w = rig.tank.Wheels[0];
  w.Instance->GetPosition(&at);
  const float ex = t[12] + w.Attachment[0] * t[0] + w.Attachment[1] * t[4] + w.Attachment[2] * t[8];
  EXPECT_NEAR(at.x, ex * 100, 0.01f);
}

}  // namespace
