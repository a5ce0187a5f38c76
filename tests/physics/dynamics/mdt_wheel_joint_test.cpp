// Wheel joint and angle limit: row counts and values, getters in known
// poses, and the defaults that must not feed NaN to the solver.
#include <gtest/gtest.h>

#include <cmath>

#include "dynamics_fixture.h"
#include "physics/dynamics/mdt_angle_limit.h"
#include "physics/dynamics/mdt_wheel_joint.h"

using namespace mdt_test;

namespace {

// A chassis at the origin and a wheel at (1, -0.5, 0) joined with y as the
// steering axis and x as the spin axis.
struct Rig {
  WorldPtr w{MdtWorldCreate(4, 4)};
  MdtBody* chassis = MdtBodyCreate(w.get());
  MdtBody* wheel = MdtBodyCreate(w.get());
  MdtWheelJoint* j = MdtWheelJointCreate(w.get());
  Rig() {
    MdtBodySetPosition(wheel, 1, -0.5f, 0);
    MdtConstraintSetBodies(j, chassis, wheel);
    MdtWheelJointSetPosition(j, 1, -0.5f, 0);
    MdtWheelJointSetSteeringAxis(j, 0, 1, 0);
    MdtWheelJointSetSpinAxis(j, 1, 0, 0);
  }
};

bool AllFinite(const std::vector<float>& v) {
  for (float x : v)
    if (!std::isfinite(x) && std::fabs(x) != MeInfinity) return false;
  return true;
}

}  // namespace

TEST(MdtWheelJoint, DefaultsAndRowCounts) {
  Rig r;
  EXPECT_EQ(r.j->type, MdtTypeWheelJoint);
  EXPECT_EQ(MdtWheelJointDCast(r.j), r.j);
  EXPECT_FLOAT_EQ(MdtWheelJointGetSteeringMotorMaxForce(r.j), 1e9f);
  EXPECT_FLOAT_EQ(MdtWheelJointGetSuspensionHighStop(r.j), 1e9f);
  EXPECT_FLOAT_EQ(MdtWheelJointGetSuspensionLowStop(r.j), -1e9f);
  MdtWheelJointSetSuspension(r.j, 100, 10, 0, -1, 1, 0);
  struct Case {
    float driveForce;
    int rows;
  } cases[] = {{0, 5}, {0.00005f, 5}, {0.0001f, 6}, {10, 6}};
  for (const Case& k : cases) {
    MdtWheelJointSetDrive(r.j, 3, k.driveForce);
    BuiltRows b = BuildRows(r.j);
    EXPECT_EQ(b.rows, k.rows) << k.driveForce;
    if (k.rows == 6) {
      EXPECT_FLOAT_EQ(b.c[5], -3.0f);
      EXPECT_FLOAT_EQ(b.hi[5], k.driveForce);
      EXPECT_FLOAT_EQ(b.j0[5 * 6 + 3], 1.0f);  // about the spin axis
      EXPECT_FLOAT_EQ(b.j1[5 * 6 + 3], -1.0f);
    }
  }
  // Between the stops the spring sets softness and error reduction.
  BuiltRows b = BuildRows(r.j, 0.02f);
  EXPECT_NEAR(b.softness[0], 1 / (0.02f * 100 + 10), 1e-6);
  EXPECT_NEAR(b.xgamma[0], 2.0f / 12.0f, 1e-6);
  EXPECT_FLOAT_EQ(b.lo[4], -1e9f);  // steering held by the motor
  EXPECT_FLOAT_EQ(b.c[4], 0.0f);
}

TEST(MdtWheelJoint, DefaultSuspensionIsFreeInsteadOfNaN) {
  Rig r;
  MdtBodySetPosition(r.wheel, 1, -0.6f, 0);  // 10 cm off the rest position
  BuiltRows b = BuildRows(r.j);
  ASSERT_EQ(b.rows, 5);
  EXPECT_TRUE(AllFinite(b.softness));
  EXPECT_TRUE(AllFinite(b.xgamma));
  EXPECT_TRUE(AllFinite(b.xi));
  EXPECT_EQ(b.lo[0], 0.0f);
  EXPECT_EQ(b.hi[0], 0.0f);
}

TEST(MdtWheelJoint, SuspensionStopsBoundTheRow) {
  Rig r;
  MdtWheelJointSetSuspension(r.j, 50, 5, 0.01f, -0.1f, 0.1f, 0);
  // u is the wheel's offset along h from the attachment point: -c with
  // c = h . (attachment - wheel).
  MdtBodySetPosition(r.wheel, 1, -0.3f, 0);  // u = 0.2: above the high stop
  BuiltRows b = BuildRows(r.j);
  EXPECT_EQ(b.lo[0], 0.0f);
  EXPECT_EQ(b.hi[0], MeInfinity);
  EXPECT_NEAR(b.xi[0], -0.2f + 0.1f, 1e-6);
  EXPECT_FLOAT_EQ(b.softness[0], 0.01f);
  // The spring force at the stop goes on the bodies: k (stop - reference) h.
  EXPECT_NEAR(b.states[0].force[1], 50 * 0.1f, 1e-5);
  EXPECT_NEAR(b.states[1].force[1], -50 * 0.1f, 1e-5);
  MdtBodySetPosition(r.wheel, 1, -0.8f, 0);  // u = -0.3: below the low stop
  b = BuildRows(r.j);
  EXPECT_EQ(b.lo[0], -MeInfinity);
  EXPECT_EQ(b.hi[0], 0.0f);
  EXPECT_NEAR(b.xi[0], 0.3f - 0.1f, 1e-6);
}

TEST(MdtWheelJoint, GettersInKnownPoses) {
  Rig r;
  const float a = 0.5f;
  MdtBodySetQuaternion(r.wheel, std::cos(a / 2), 0, std::sin(a / 2), 0);  // steered by a about y
  MdtBodySetAngularVelocity(r.wheel, 4, 0, 0);
  MdtBodySetAngularVelocity(r.chassis, 0, 1, 0);
  EXPECT_NEAR(std::fabs(MdtWheelJointGetSteeringAngle(r.j)), a, 1e-5);
  EXPECT_NEAR(MdtWheelJointGetSteeringRate(r.j), -1.0f, 1e-6);
  float w[3];
  MdtWheelJointGetSpinAxis(r.j, w);
  EXPECT_NEAR(MdtWheelJointGetSpinRate(r.j), 4 * w[0] - w[1], 1e-5);
  EXPECT_NEAR(MdtWheelJointGetSuspensionHeight(r.j), 0.5f, 1e-6);
  EXPECT_NEAR(MdtWheelJointGetSteeringAxisAngle(r.j), 0.0f, 1e-3);
  MdtBodySetLinearVelocity(r.wheel, 0, 2, 0);
  EXPECT_NEAR(MdtWheelJointGetSuspensionRate(r.j), -2.0f, 1e-5);
  float p[3];
  MdtWheelJointGetPosition(r.j, p);
  EXPECT_NEAR(p[0], 1, 1e-6);
  EXPECT_NEAR(p[1], -0.5f, 1e-6);
  // Same orientation on both: the axis angle is 0, never NaN from rounding.
  MdtBodySetQuaternion(r.wheel, 0.99999994f, 0, 0, 0.0003f);
  MdtBodySetQuaternion(r.chassis, 0.99999994f, 0, 0, 0.0003f);
  EXPECT_FALSE(std::isnan(MdtWheelJointGetSteeringAxisAngle(r.j)));
}

TEST(MdtWheelJoint, SteeringLockHoldsTheAngleAtZero) {
  Rig r;
  const float a = 0.2f;
  MdtBodySetQuaternion(r.wheel, std::cos(a / 2), 0, std::sin(a / 2), 0);
  MdtWheelJointSetSteeringLock(r.j, 1);
  BuiltRows b = BuildRows(r.j);
  EXPECT_NEAR(std::fabs(b.xi[4]), std::sin(a), 1e-5);
  MdtWheelJointSetSteeringLock(r.j, 0);
  EXPECT_EQ(BuildRows(r.j).xi[4], 0.0f);
}

TEST(MdtAngleLimit, InactiveInsideTheLimitAndPushingBeyond) {
  WorldPtr w(MdtWorldCreate(4, 4));
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  MdtAngleLimit* l = MdtAngleLimitCreate(w.get());
  EXPECT_FLOAT_EQ(MdtAngleLimitGetMaxAngle(l), MePi);
  EXPECT_EQ(MdtAngleLimitGetStiffness(l), MeInfinity);
  MdtConstraintSetBodies(l, a, b);
  MdtAngleLimitSetMaxAngle(l, 0.3f);
  BuiltRows r = BuildRows(l);
  ASSERT_EQ(r.rows, 1);
  for (float v : r.j0) EXPECT_EQ(v, 0.0f);  // parallel axes: inactive
  EXPECT_EQ(r.lo[0], -MeInfinity);
  const float t = 0.5f;
  MdtBodySetQuaternion(b, std::cos(t / 2), 0, 0, std::sin(t / 2));  // x turned by 0.5 about z
  r = BuildRows(l);
  EXPECT_NEAR(r.xi[0], 0.3f - 0.5f, 1e-5);
  EXPECT_NEAR(r.j0[5], 1.0f, 1e-5);  // about +z for body 0
  EXPECT_NEAR(r.j1[5], -1.0f, 1e-5);
  EXPECT_EQ(r.lo[0], 0.0f);
  EXPECT_EQ(r.softness[0], 0.0f);  // rigid by default, no NaN
  EXPECT_EQ(r.xgamma[0], 0.0f);
  MdtAngleLimitSetStiffness(l, 100);
  MdtAngleLimitSetDamping(l, 0);
  r = BuildRows(l, 0.01f);
  EXPECT_NEAR(r.softness[0], 1.0f, 1e-5);
  EXPECT_NEAR(r.xgamma[0], 1.0f, 1e-6);
}

// Two different axes, set in world coordinates and carried by their bodies:
// x fixed in body 0 and y fixed in body 1, a right angle apart, then body 1
// turned by -pi/2 + 0.2 about z so that its axis comes within 0.2 of body 0's.
TEST(MdtAngleLimit, SetAxesFixesOneAxisInEachBody) {
  WorldPtr w(MdtWorldCreate(4, 4));
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  const float t = 0.7f;
  MdtBodySetQuaternion(a, std::cos(t / 2), std::sin(t / 2), 0, 0);  // turned about x: x stays
  MdtAngleLimit* l = MdtAngleLimitCreate(w.get());
  MdtConstraintSetBodies(l, a, b);
  MdtAngleLimitSetMaxAngle(l, 0.5f);
  MdtAngleLimitSetAxes(l, 2, 0, 0, 0, 3, 0);
  float local[3];
  MdtConstraintGetLocalAxis(l, 0, local);
  EXPECT_NEAR(local[0], 1.0f, 1e-6f);  // normalised, in body 0's coordinates
  MdtConstraintGetLocalAxis(l, 1, local);
  EXPECT_NEAR(local[1], 1.0f, 1e-6f);
  BuiltRows r = BuildRows(l);
  ASSERT_EQ(r.rows, 1);
  EXPECT_NEAR(r.xi[0], 0.5f - float(M_PI / 2), 1e-5f);  // beyond the limit
  EXPECT_NEAR(r.j0[5], 1.0f, 1e-5f);                    // about x cross y = +z
  const float u = float(-M_PI / 2) + 0.2f;
  MdtBodySetQuaternion(b, std::cos(u / 2), 0, 0, std::sin(u / 2));
  r = BuildRows(l);
  for (float v : r.j0) EXPECT_EQ(v, 0.0f);  // within 0.5: inactive
  // A zero axis becomes x.
  MdtAngleLimitSetAxes(l, 0, 0, 0, 0, 0, 1);
  MdtConstraintGetLocalAxis(l, 0, local);
  EXPECT_NEAR(local[0], 1.0f, 1e-6f);
}
