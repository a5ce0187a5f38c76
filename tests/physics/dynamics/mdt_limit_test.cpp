// The one-axis limit: setters, the per-step update and the limit row.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics/dynamics/mdt_limit.h"

namespace {

// Row arrays and a header for one limit row at row 0 of a lone constraint.
struct RowRig {
  std::vector<float> xi = std::vector<float>(8), c = xi, lo = xi, hi = xi, soft = xi, xg = xi;
  alignas(16) float jacobian[256] = {};
  float lambda[8] = {}, force[32] = {};
  int groupRows[2] = {}, groupJ[2] = {}, groupC[2] = {}, rowsPer[2] = {}, first[2] = {}, bodies[4] = {};
  keaConstraints set{};
  keaBody states[2] = {};
  MdtConstraint con{};
  RowRig() {
    set.groupRows = groupRows;
    set.groupJacobianRows = groupJ;
    set.groupConstraints = groupC;
    set.jacobian = jacobian;
    set.xi = xi.data();
    set.c = c.data();
    set.lo = lo.data();
    set.hi = hi.data();
    set.lambda = lambda;
    set.force = force;
    set.softness = soft.data();
    set.xgamma = xg.data();
    set.rowsPerConstraint = rowsPer;
    set.firstRow = first;
    set.bodies = bodies;
    keaConstraintsReset(&set);
    con.bodyIndex[0] = 0;
    con.bodyIndex[1] = 1;
  }
  bool Add(MdtLimit* l, MdtStepParams p = {0.01f, 0.001f, 0.2f}) {
    const float lin[3] = {1, 0, 0}, ang[3] = {0, 0, 1};
    MdtRowArrays a{xi.data(), c.data(), lo.data(), hi.data(), soft.data(), xg.data()};
    return MdtLimitAddRow(l, &con, lin, ang, ang, states, a, 0, &set, &p);
  }
};

}  // namespace

TEST(MdtLimit, ResetAndStopSetters) {
  MdtLimit l;
  MdtLimitReset(&l);
  EXPECT_EQ(l.hardStopThreshold, MeInfinity);
  EXPECT_EQ(l.upper.stiffness, MeInfinity);
  EXPECT_EQ(l.lower.restitution, 1.0f);
  EXPECT_EQ(l.active, 0u);
  MdtLimitStop s{0.5f, -20, -3, 7};
  MdtLimitSetLowerStop(&l, &s);
  EXPECT_EQ(l.lower.stiffness, 20.0f);
  EXPECT_EQ(l.lower.damping, 3.0f);
  EXPECT_EQ(l.lower.restitution, 1.0f);
  EXPECT_EQ(MdtLimitGetUpperStop(&l)->position, 0.5f);  // raised to the lower stop
  MdtLimitGetUpperStop(&l)->position = 2;
  s.position = 1;
  s.restitution = -1;
  MdtLimitSetLowerStop(&l, &s);
  EXPECT_EQ(l.upper.position, 2.0f);
  EXPECT_EQ(l.lower.restitution, 0.0f);
  MdtLimitSetMotor(&l, 2, -5);
  EXPECT_TRUE(MdtLimitIsMotorOn(&l));
  EXPECT_EQ(MdtLimitGetMaxForce(&l), 5.0f);
  EXPECT_TRUE(MdtLimitIsActive(&l));
  MdtLimitSetLock(&l, 0.3f, 4);
  EXPECT_FALSE(MdtLimitIsMotorOn(&l));
  EXPECT_TRUE(MdtLimitIsLockOn(&l));
  EXPECT_EQ(MdtLimitGetDesiredVelocity(&l), 0.0f);
  MdtLimitSetMotorOn(&l, 1);
  EXPECT_FALSE(MdtLimitIsLockOn(&l));
  MdtLimitSetMotorOn(&l, 0);
  EXPECT_FALSE(MdtLimitIsActive(&l));
}

TEST(MdtLimit, DriveToPositionWithAndWithoutBand) {
  struct Case {
    float position, target, band, expect;
  } cases[] = {
      {0, 1, 0.5f, 2}, {2, 1, 0.5f, -2}, {1.25f, 1, 0.5f, -1}, {1, 1, 0, 0}, {0.9f, 1, 0, 2}, {1.1f, 1, -1, -2},
  };
  for (const Case& k : cases) {
    MdtLimit l;
    MdtLimitReset(&l);
    l.position = k.position;
    MdtLimitDriveToPosition(&l, k.target, k.band, 2, 10);
    EXPECT_FALSE(std::isnan(l.desiredVelocity));
    EXPECT_NEAR(l.desiredVelocity, k.expect, 1e-6) << k.position << " " << k.band;
    EXPECT_TRUE(MdtLimitIsActive(&l));
  }
}

TEST(MdtLimit, UpdateOffsetsUnwrapsAndMeasuresOvershoot) {
  MdtLimit l;
  MdtLimitReset(&l);
  l.offset = 0.7f;  // the position to report at the first step
  l.position = 2.5f;
  l.velocity = 1;
  MdtLimitUpdate(&l, true);
  EXPECT_NEAR(MdtLimitGetPosition(&l), 0.7f, 1e-6);
  // An angle crossing pi is unwrapped.
  l.position = 3.1f;
  MdtLimitUpdate(&l, true);
  l.position = -3.1f;
  MdtLimitUpdate(&l, true);
  EXPECT_NEAR(l.position, -3.1f + 2 * MePi, 1e-5);
  // Too slow to trust: the previous value is kept.
  l.velocity = 5e-7f;
  l.position = 1.0f;
  MdtLimitUpdate(&l, true);
  EXPECT_NEAR(l.position, -3.1f + 2 * MePi, 1e-5);
  // Overshoot past the stops while limited.
  MdtLimit m;
  MdtLimitReset(&m);
  MdtLimitStop lower{-1, MeInfinity, 0, 0};
  MdtLimitSetLowerStop(&m, &lower);
  MdtLimitGetUpperStop(&m)->position = 1;
  MdtLimitSetLimited(&m, 1);
  m.velocity = 1;
  for (float pos : {0.0f, 1.5f, -1.25f, 0.5f}) {
    m.position = pos;
    MdtLimitUpdate(&m, false);
    const float expect = pos > 1 ? pos - 1 : (pos < -1 ? pos + 1 : 0);
    EXPECT_NEAR(MdtLimitGetOvershoot(&m), expect, 1e-6) << pos;
  }
}

TEST(MdtLimit, StopRows) {
  // A soft stop with damping 0: extra error reduction 1 - gamma.
  {
    RowRig r;
    MdtLimit l;
    MdtLimitReset(&l);
    MdtLimitSetHardStopThreshold(&l, 1000);
    MdtLimitStop s{0, 100, 0, 0};
    MdtLimitSetLowerStop(&l, &s);
    l.overshoot = -0.1f;
    ASSERT_TRUE(r.Add(&l));
    EXPECT_NEAR(r.xg[0], 1 - 0.2f, 1e-6);
    EXPECT_NEAR(r.soft[0], 1 / (0.01f * 100) - 0.001f, 1e-5);
    EXPECT_NEAR(r.xi[0], -0.1f, 1e-7);
    EXPECT_EQ(r.lo[0], 0.0f);
    EXPECT_EQ(r.hi[0], MeInfinity);
  }
  // A hard stop with restitution 0 that the joint moves into.
  {
    RowRig r;
    MdtLimit l;
    MdtLimitReset(&l);
    MdtLimitGetUpperStop(&l)->restitution = 0;
    l.overshoot = 0.05f;
    l.velocity = 0.5f;
    ASSERT_TRUE(r.Add(&l));
    EXPECT_EQ(r.c[0], 0.0f);
    EXPECT_NEAR(r.xi[0], 0.05f, 1e-7);
    EXPECT_EQ(r.lo[0], -MeInfinity);
    EXPECT_EQ(r.hi[0], 0.0f);
  }
  // A bouncing hard stop: target -e v while the bounce outweighs the correction.
  {
    RowRig r;
    MdtLimit l;
    MdtLimitReset(&l);
    MdtLimitGetUpperStop(&l)->restitution = 0.5f;
    l.overshoot = 0.001f;
    l.velocity = 4;
    ASSERT_TRUE(r.Add(&l));
    EXPECT_FLOAT_EQ(r.c[0], -2.0f);
    // Leaving the stop quickly: no row.
    l.velocity = -4;
    RowRig r2;
    EXPECT_FALSE(r2.Add(&l));
  }
  // Nothing to do: no row.
  {
    RowRig r;
    MdtLimit l;
    MdtLimitReset(&l);
    EXPECT_FALSE(r.Add(&l));
  }
}

TEST(MdtLimit, MotorRowsBetweenAndAtTheStops) {
  RowRig r;
  MdtLimit l;
  MdtLimitReset(&l);
  MdtLimitSetMotor(&l, 1.5f, 8);
  ASSERT_TRUE(r.Add(&l));
  EXPECT_EQ(r.lo[0], -8.0f);
  EXPECT_EQ(r.hi[0], 8.0f);
  EXPECT_EQ(r.c[0], 1.5f);
  EXPECT_EQ(r.jacobian[0], 1.0f);      // linear x of body 0
  EXPECT_EQ(r.jacobian[24], -1.0f);    // of body 1
  // At a stop the motor's full force goes on the bodies; the row is the stop.
  RowRig s;
  l.overshoot = 0.2f;
  l.velocity = 0;
  ASSERT_TRUE(s.Add(&l));
  EXPECT_EQ(s.states[0].force[0], 8.0f);
  EXPECT_EQ(s.states[0].torque[2], 8.0f);
  EXPECT_EQ(s.states[1].force[0], -8.0f);
  EXPECT_EQ(s.hi[0], 0.0f);
  // A lock between the stops: error from the measured coordinate.
  RowRig t;
  MdtLimitSetLock(&l, 0.25f, 3);
  l.overshoot = 0;
  l.position = 1;
  l.offset = 5;  // not part of the lock error
  ASSERT_TRUE(t.Add(&l));
  EXPECT_FLOAT_EQ(t.xi[0], 0.75f);
}
