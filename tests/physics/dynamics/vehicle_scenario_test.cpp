// A four-wheeled car: it settles on its suspension, drives straight, steers
// and climbs a ramp of triangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "car_fixture.h"
#include "physics/dynamics/mdt_contact_params.h"

using namespace mdt_test;

namespace {

constexpr float kStep = 1.0f / 60;

void CarGrip(Scene& s) {
  MdtContactParams* p = s.Params();
  MdtContactParamsSetType(p, 2);
  MdtContactParamsSetFriction(p, 1500);
}

// Largest distance of a wheel centre from its suspension line: the line
// through the joint's attachment point on the chassis along the steering
// axis, both in world coordinates (metres).
float WorstSuspensionOffset(const Car& car) {
  float worst = 0;
  for (int i = 0; i < 4; ++i) {
    float p[3], h[3];
    MdtWheelJointGetPosition(car.joints[i], p);
    MdtWheelJointGetSteeringAxis(car.joints[i], h);
    const float* w = McdModelGetBody(car.wheels[i])->transform + 12;
    float d[3] = {w[0] - p[0], w[1] - p[1], w[2] - p[2]};
    const float along = d[0] * h[0] + d[1] * h[1] + d[2] * h[2];
    for (int k = 0; k < 3; ++k) d[k] -= along * h[k];
    worst = std::max(worst, std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]));
  }
  return worst;
}

}  // namespace

TEST(VehicleScenario, SettlesThenDrivesStraight) {
  Scene s(16, 64, 2, false);
  CarGrip(s);
  s.Ground();
  Car car(s, 0, 0.95f, 0);
  for (int i = 0; i < 60; ++i) car.Step(s, kStep);
  // At rest on its springs: the wheels sit on the ground, the chassis level.
  const float settled = car.Body()->transform[13];
  for (McdModel* w : car.wheels) EXPECT_NEAR(McdModelGetBody(w)->transform[13], car.wheelRadius, 0.02f);
  EXPECT_GT(settled, 0.8f);
  EXPECT_GT(car.Body()->transform[5], 0.999f);
  for (MdtWheelJoint* j : car.joints) EXPECT_LT(std::fabs(MdtWheelJointGetSuspensionRate(j)), 0.05f);

  car.Drive(5, 300);
  for (int i = 0; i < 5 * 60; ++i) {
    car.SteerTo(0);
    car.Step(s, kStep);
  }
  const float* p = car.Body()->transform + 12;
  EXPECT_GT(p[2], 15.0f);                  // about 5 m/s once up to speed
  EXPECT_NEAR(car.Body()->state.vel[2], 5.0f, 0.5f);
  EXPECT_LT(std::fabs(p[0]), 0.2f);        // straight
  float f[3];
  car.Forward(f);
  EXPECT_GT(f[2], 0.999f);
  EXPECT_NEAR(p[1], settled, 0.05f);
}

TEST(VehicleScenario, SteersToTheSideItsWheelsPoint) {
  Scene s(16, 64, 2, false);
  CarGrip(s);
  s.Ground();
  Car car(s, 0, 0.95f, 0);
  for (int i = 0; i < 30; ++i) car.Step(s, kStep);
  // The steering motor holds a rate, not an angle: like a vehicle's
  // steering, a small controller sets each wheel's rate from its angle.
  const float target = 0.3f;
  auto steer = [&] { car.SteerTo(target); };
  for (int i = 0; i < 60; ++i) {
    steer();
    car.Step(s, kStep);
  }
  EXPECT_NEAR(-MdtWheelJointGetSteeringAngle(car.joints[0]), target, 0.01f);
  EXPECT_NEAR(-MdtWheelJointGetSteeringAngle(car.joints[1]), target, 0.01f);
  car.Drive(4, 300);
  // Through the turn the wheels stay on their suspension lines.
  float offset = 0;
  for (int i = 0; i < 4 * 60; ++i) {
    steer();
    car.Step(s, kStep);
    offset = std::max(offset, WorstSuspensionOffset(car));
  }
  EXPECT_LT(offset, 0.02f);
  EXPECT_NEAR(-MdtWheelJointGetSteeringAngle(car.joints[0]), target, 0.02f);
  EXPECT_NEAR(-MdtWheelJointGetSteeringAngle(car.joints[1]), target, 0.02f);
  float f[3];
  car.Forward(f);
  // Wheels turned about +y toward +x: the car now heads partly along +x.
  EXPECT_GT(f[0], 0.5f);
  EXPECT_GT(car.Body()->transform[12], 3.0f);
  EXPECT_GT(car.Body()->transform[5], 0.99f);  // it did not roll over
}

TEST(VehicleScenario, ClimbsATriangleListRamp) {
  Scene s(16, 96, 2, false);
  CarGrip(s);
  Terrain terrain(10, 5, 25);
  s.Static(terrain.geometry, terrain.transform);
  Car car(s, 0, 0.95f, 0);
  for (int i = 0; i < 30; ++i) car.Step(s, kStep);
  car.Drive(5, 600);
  for (int i = 0; i < 12 * 60 && car.Body()->transform[14] < 35; ++i) {
    car.SteerTo(0);
    car.Step(s, kStep);
  }
  const float* p = car.Body()->transform + 12;
  EXPECT_GT(p[2], 30.0f);  // over the top of the ramp
  const float top = terrain.Height(p[2]);
  EXPECT_NEAR(p[1] - top, 0.9f, 0.15f);  // riding on it, not sunk through it
  EXPECT_LT(std::fabs(p[0]), 0.5f);
}
