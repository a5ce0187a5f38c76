#include "world/dynamics/car_dynamics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_contact.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_wheel_joint.h"
#include "world/dynamics/dynamics_fixture.h"
#include "world/dynamics/physics_state.h"
#include "world/environment/env_instance.h"

namespace {

std::vector<float> g_Hits;
int RecordHit(CEnvInstance*, float strength, CEnvInstance*) {
  g_Hits.push_back(strength);
  return 1;
}

struct CarRig {
  std::unique_ptr<dyn_fixture::Level> level;
  DynCarData record;
  CCarDynamics car;

  CarRig(bool ramp, float x, float z, float yaw, float height = 80, int settle = 50, float frontCompliance = -1,
         float rearCompliance = -1) {
    dyn_fixture::Options o;
    o.flatTerrain = true;
    o.ramp = ramp;
    level = dyn_fixture::MakeLevel(o);
    record = dyn_fixture::CarRecord();
    if (frontCompliance >= 0) record.frontTyreCompliance = frontCompliance;
    if (rearCompliance >= 0) record.rearTyreCompliance = rearCompliance;
    for (int i = 0; i < record.wheelCount; ++i) record.wheels[i].instance = level->Instance({x, height, z});
    const float at[3] = {x, height, z};
    const float angles[3] = {0, yaw, 0};
    EXPECT_TRUE(car.Init(at, angles, level->Instance({x, height, z}), record));
    level->physics->AddObject(&car);
    level->Run(settle, 20);  // settle on the springs
  }
  ~CarRig() { level->physics->RemoveObject(&car); }

  CVector3 Position() const {
    float p[3];
    car.GetPosition(p);
    return {p[0] * 100, p[1] * 100, p[2] * 100};
  }
  float Speed() const {
    float v[3];
    MdtBodyGetLinearVelocity(car.Chassis, v);
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  }
};

// Steady speed of the record's drive on flat ground: the drive's power
// T v / r equals what the damping of every body takes, 0.2 v^2 for each
// body's motion and 0.2 (v / r)^2 for each wheel's spin.  Forward drive
// reaches the unsteered driven wheels at 3/4.
float ExpectedTopSpeed(const DynCarData& r) {
  const float radius = r.wheels[0].radius * 0.01f;
  float torque = 0;
  for (int i = 0; i < r.wheelCount; ++i) {
    const int f = r.wheels[i].flags;
    if (!(f & DYNWHEEL_DRIVEN)) continue;
    torque += (f & DYNWHEEL_STEERED) ? r.driveForce : 0.75f * r.driveForce;
  }
  const float bodies = 1.0f + static_cast<float>(r.wheelCount);
  return torque / (radius * 0.2f * (bodies + static_cast<float>(r.wheelCount) / (radius * radius)));
}

TEST(CarDynamics, FullThrottleOnFlatGroundReachesTheSpeedOfItsDrive) {
  CarRig rig(false, 0, -3000, 0);
  const CVector3 start = rig.Position();
  rig.car.SetThrottle(1.0f);
  rig.level->Run(400, 20);
  const float expected = ExpectedTopSpeed(rig.record);
  EXPECT_NEAR(rig.Speed(), expected, 0.1f * expected);
  const CVector3 end = rig.Position();
  // Straight ahead: along +z (yaw 0), hardly any drift to the side.
  EXPECT_GT(end.z - start.z, 1000.0f);
  EXPECT_LT(std::fabs(end.x - start.x), 0.05f * (end.z - start.z));
  // The wheels turn with the ground speed.
  EXPECT_NEAR(std::fabs(rig.car.GetWheelSpin()), expected / (rig.record.wheels[0].radius * 0.01f), 0.15f * expected / 0.35f);
}

TEST(CarDynamics, SteeredCarDrivesTheCircleItsSteeringAngleGives) {
  CarRig rig(false, 0, 0, 0);
  rig.car.SetThrottle(1.0f);
  rig.car.SetSteering(1.0f);
  rig.level->Run(150, 20);
  // A quarter turn at steady state: the circle through its first, middle
  // and last points (physics units).
  std::vector<CVector3> path;
  const float speed = std::max(rig.Speed(), 0.1f);
  const int steps = static_cast<int>(0.5f * 3.14159f * 8.5f / speed / 0.02f);
  for (int i = 0; i < steps; ++i) {
    rig.level->Run(1, 20);
    path.push_back(rig.Position());
  }
  const CVector3& a = path.front();
  const CVector3& b = path[path.size() / 2];
  const CVector3& c = path.back();
  const float ab = std::hypot(a.x - b.x, a.z - b.z), bc = std::hypot(b.x - c.x, b.z - c.z),
              ca = std::hypot(c.x - a.x, c.z - a.z);
  const float area2 = std::fabs((b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x));
  ASSERT_GT(area2, 1.0f) << "the car drove straight";
  const float radius = ab * bc * ca / (2.0f * area2) * 0.01f;
  // Bicycle model: the rear axle turns about a point L / tan(delta) to its
  // side, the chassis centre L / 2 ahead of it.
  const float steer = 1.0f * rig.record.maxSteerAngle * rig.record.wheels[0].steeringFactor * 0.5f;
  const float wheelbase = (rig.record.wheels[0].attachment.z - rig.record.wheels[2].attachment.z) * 0.01f;
  const float rear = wheelbase / std::tan(steer);
  const float expected = std::sqrt(rear * rear + 0.25f * wheelbase * wheelbase);
  EXPECT_NEAR(std::fabs(MdtWheelJointGetSteeringAngle(rig.car.Wheels[0].Joint)), steer, 0.03f);
  EXPECT_NEAR(radius, expected, 0.15f * expected);
}

// Each tyre's contacts with the ground take the compliance of its own axle:
// the front tyres' (wheels flagged as front tyres) and the rear tyres'.  The
// slip of every tyre contact is read after the car's own handling of it.
struct TyreSlip {
  const CCarDynamics* car = nullptr;
  McdDtBridgePairCallback carCallback = nullptr;
  std::vector<float> front, rear;
};
TyreSlip g_TyreSlip;
int RecordTyreSlip(McdIntersectResult* result, MdtContactID first) {
  const int kept = g_TyreSlip.carCallback(result, first);
  for (MdtContactID c = first; kept && c; c = MdtContactGetNext(c)) {
    const MdtBodyID body = MdtConstraintGetBody(MdtContactGetConstraint(c), 0);
    for (int i = 0; i < g_TyreSlip.car->WheelCount; ++i) {
      const CarWheel& w = g_TyreSlip.car->Wheels[i];
      if (w.Body != body) continue;
      const float slip = MdtContactParamsGetSecondarySlip(MdtContactGetParams(c));
      ((w.Flags & DYNWHEEL_FRONT_TYRE) ? g_TyreSlip.front : g_TyreSlip.rear).push_back(slip);
    }
  }
  return kept;
}

TEST(CarDynamics, FrontAndRearTyresTakeTheirOwnCompliance) {
  CarRig rig(false, 0, 0, 0, 80, 50, 0.001f, 0.003f);
  McdDtBridgeID bridge = g_Physics.Bridge;
  const unsigned tyre = g_Physics.Materials.Tyre, terrain = g_Physics.Materials.Terrain;
  g_TyreSlip = TyreSlip{};
  g_TyreSlip.car = &rig.car;
  g_TyreSlip.carCallback = McdDtBridgeGetPairCallback(bridge, tyre, terrain);
  ASSERT_NE(g_TyreSlip.carCallback, nullptr);
  McdDtBridgeSetPairCallback(bridge, tyre, terrain, &RecordTyreSlip);
  // Driving on flat ground (a car at rest sleeps): full grip, slip = compliance.
  rig.car.SetThrottle(1.0f);
  rig.level->Run(10, 20);
  McdDtBridgeSetPairCallback(bridge, tyre, terrain, g_TyreSlip.carCallback);
  ASSERT_FALSE(g_TyreSlip.front.empty());
  ASSERT_FALSE(g_TyreSlip.rear.empty());
  for (float slip : g_TyreSlip.front) EXPECT_FLOAT_EQ(slip, 0.001f);
  for (float slip : g_TyreSlip.rear) EXPECT_FLOAT_EQ(slip, 0.003f);
}

TEST(CarDynamics, ReleasedThrottleBrakesToAStop) {
  CarRig rig(false, 0, -3000, 0);
  rig.car.SetThrottle(1.0f);
  rig.level->Run(200, 20);
  ASSERT_GT(rig.Speed(), 1.0f);
  rig.car.SetThrottle(0.0f);
  rig.level->Run(1, 20);
  // Fast: the bodies' spin is damped hard; then the wheels are held.
  EXPECT_EQ(MdtBodyGetAngularVelocityDamping(rig.car.Chassis), 3.0f);
  int stoppedAt = -1;
  for (int i = 0; i < 400 && stoppedAt < 0; ++i) {
    rig.level->Run(1, 20);
    if (rig.Speed() < 0.02f) stoppedAt = i;
  }
  ASSERT_GE(stoppedAt, 0) << "still moving at " << rig.Speed();
  EXPECT_EQ(rig.car.BrakeForce, 10.0f);
  const CVector3 stopped = rig.Position();
  rig.level->Run(100, 20);
  const CVector3 later = rig.Position();
  EXPECT_LT(std::hypot(later.x - stopped.x, later.z - stopped.z), 2.0f);
}

TEST(CarDynamics, ClimbsTheRampOntoThePlateau) {
  CarRig rig(true, -600, 0, 90);  // facing +x, towards the ramp
  rig.car.SetThrottle(1.0f);
  rig.level->Run(500, 20);
  const CVector3 p = rig.Position();
  const float top = 400.0f * std::tan(15.0f * 3.14159265f / 180.0f);
  EXPECT_GT(p.x, 1700.0f);
  EXPECT_GT(p.y, top);
  EXPECT_LT(std::fabs(p.z), 400.0f);
}

// Falling for more than a second (after reaching 4 units per second) earns
// a hit of 1000 at the landing; a short drop does not.
TEST(CarDynamics, ALongFallEndsWithAHitOfOneThousand) {
  struct Case {
    float height;
    bool hard;
  };
  for (const Case& c : {Case{300, false}, Case{1800, true}}) {
    CarRig rig(false, 0, 0, 0, c.height, 0);
    rig.car.Instance->SetHitCallback(&RecordHit);
    g_Hits.clear();
    rig.level->Run(150, 20);
    const bool hard = std::find(g_Hits.begin(), g_Hits.end(), 1000.0f) != g_Hits.end();
    EXPECT_EQ(hard, c.hard) << c.height;
    EXPECT_LT(rig.Position().y, 100.0f) << "landed";
  }
}

TEST(CarDynamics, WheelInstancesFollowTheirBodies) {
  CarRig rig(false, 0, -3000, 0);
  rig.car.SetThrottle(1.0f);
  rig.level->Run(60, 20);
  for (int i = 0; i < rig.car.WheelCount; ++i) {
    float p[3];
    MdtBodyGetPosition(rig.car.Wheels[i].Body, p);
    CVector3 at;
    rig.car.Wheels[i].Instance->GetPosition(&at);
    EXPECT_NEAR(at.x, p[0] * 100, 0.01f);
    EXPECT_NEAR(at.y, p[1] * 100, 0.01f);
    EXPECT_NEAR(at.z, p[2] * 100, 0.01f);
  }
  CVector3 chassis;
  rig.car.Instance->GetPosition(&chassis);
  const CVector3 body = rig.Position();
  EXPECT_NEAR(chassis.z, body.z, 0.01f);
}

}  // namespace
