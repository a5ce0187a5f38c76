// Row builders of the joint kinds: row counts, zero error in the assembled
// pose, the cases that switch rows on and off, Jacobians against the rates
// of their errors, a pendulum and a limited hinge.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "dynamics_fixture.h"
#include "physics/dynamics/mdt_angle_limit.h"
#include "physics/dynamics/mdt_ball_joint.h"
#include "physics/dynamics/mdt_distance_limit.h"
#include "physics/dynamics/mdt_hinge_joint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_moving_point_joint.h"
#include "physics/dynamics/mdt_orientation_joint.h"
#include "physics/dynamics/mdt_point_in_plane.h"
#include "physics/dynamics/mdt_point_on_line.h"
#include "physics/dynamics/mdt_pose_drive_joint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/dynamics/mdt_slider_joint.h"
#include "physics/dynamics/mdt_universal_joint.h"
#include "physics/dynamics/mdt_weld_joint.h"
#include "physics/dynamics/mdt_wheel_joint.h"
#include "physics/util/me_math.h"

using namespace mdt_test;

namespace {

// Two bodies in a turned pose, the joint frames set at a shared world point.
struct Pair {
  WorldPtr w{MdtWorldCreate(4, 4)};
  MdtBody* a = MdtBodyCreate(w.get());
  MdtBody* b = MdtBodyCreate(w.get());
  Pair() {
    MdtBodySetPosition(a, 0, 1, 0);
    MdtBodySetQuaternion(a, 0.9f, 0.1f, 0.3f, 0.2f);
    MdtBodySetPosition(b, 1, 2, 0.5f);
    MdtBodySetQuaternion(b, 0.7f, -0.2f, 0.4f, 0.1f);
  }
  void Assemble(MdtConstraint* c) {
    MdtConstraintSetBodies(c, a, b);
    MdtConstraintSetPosition(c, 0.5f, 1.5f, 0.25f);
    MdtConstraintSetAxis(c, 0, 1, 0);
  }
};

float MaxAbs(const std::vector<float>& v) {
  float m = 0;
  for (float x : v) m = std::max(m, std::fabs(x));
  return m;
}

}  // namespace

TEST(MdtJointRows, AssembledJointsHaveNoError) {
  Pair p;
  struct Case {
    const char* name;
    MdtConstraint* c;
    int rows;
  } cases[] = {
      {"ball", MdtBallJointCreate(p.w.get()), 3},
      {"hinge", MdtHingeJointCreate(p.w.get()), 5},
      {"slider", MdtSliderJointCreate(p.w.get()), 5},
      {"weld", MdtWeldJointCreate(p.w.get()), 6},
  };
  for (const Case& k : cases) {
    ASSERT_NE(k.c, nullptr) << k.name;
    p.Assemble(k.c);
    if (auto* weld = static_cast<MdtWeldJoint*>(k.c); k.c->type == MdtTypeWeldJoint) {
      // The reference is the vector part of q0 (x) q1* in this pose.
      const float* q0 = p.a->state.qrot;
      const float* q1 = p.b->state.qrot;
      weld->reference[0] = -q0[0] * q1[1] + q1[0] * q0[1] - (q0[2] * q1[3] - q0[3] * q1[2]);
      weld->reference[1] = -q0[0] * q1[2] + q1[0] * q0[2] - (q0[3] * q1[1] - q0[1] * q1[3]);
      weld->reference[2] = -q0[0] * q1[3] + q1[0] * q0[3] - (q0[1] * q1[2] - q0[2] * q1[1]);
    }
    BuiltRows r = BuildRows(k.c);
    EXPECT_EQ(r.rows, k.rows) << k.name;
    EXPECT_LT(MaxAbs(r.xi), 1e-5f) << k.name;
    // Moving body 1 away shows up in the error.
    MdtBodySetPosition(p.b, 1.1f, 2, 0.5f);
    r = BuildRows(k.c);
    if (k.c->type != MdtTypeSliderJoint) {
      EXPECT_GT(MaxAbs(r.xi), 0.05f) << k.name;
    }
    MdtBodySetPosition(p.b, 1, 2, 0.5f);
  }
}

TEST(MdtJointRows, PointRowsCarryTheSeparation) {
  Pair p;
  MdtBallJoint* j = MdtBallJointCreate(p.w.get());
  MdtConstraintSetBodies(j, p.a, nullptr);
  MdtConstraintSetBodyPosition(j, 0, 0, 1, 0);
  MdtConstraintSetBodyPosition(j, 1, 0, 1.25f, 0.5f);
  BuiltRows r = BuildRows(j);
  ASSERT_EQ(r.rows, 3);
  EXPECT_EQ(r.body1, -1);
  EXPECT_NEAR(r.xi[1], -0.25f, 1e-6);
  EXPECT_NEAR(r.xi[2], -0.5f, 1e-6);
  EXPECT_EQ(r.lo[0], -MeInfinity);
  for (float v : r.j1) EXPECT_EQ(v, 0.0f);
}

TEST(MdtJointRows, HingeMotorAddsTheSixthRow) {
  Pair p;
  MdtHingeJoint* h = MdtHingeJointCreate(p.w.get());
  p.Assemble(h);
  EXPECT_EQ(BuildRows(h).rows, 5);
  MdtLimitSetMotor(MdtHingeJointGetLimit(h), 2.5f, 30);
  BuiltRows r = BuildRows(h);
  ASSERT_EQ(r.rows, 6);
  EXPECT_EQ(r.lo[5], -30.0f);
  EXPECT_EQ(r.hi[5], 30.0f);
  EXPECT_EQ(r.c[5], 2.5f);
  // About the hinge axis (world y here), linear parts zero.
  float a1[3];
  MdtConstraintGetAxis(h, a1);
  EXPECT_NEAR(r.j0[5 * 6 + 3], a1[0], 1e-5);
  EXPECT_NEAR(r.j0[5 * 6 + 4], a1[1], 1e-5);
  EXPECT_EQ(r.j0[5 * 6 + 0], 0.0f);
}

TEST(MdtJointRows, OrientationJointTwist) {
  Pair p;
  MdtOrientationJoint* j = MdtOrientationJointCreate(p.w.get());
  p.Assemble(j);
  j->stiffness = 100;
  j->damping = 1;
  BuiltRows r = BuildRows(j, 0.01f);
  ASSERT_EQ(r.rows, 3);
  EXPECT_NEAR(r.softness[0], 1 / (1 + 1.0f), 1e-6);
  EXPECT_NEAR(r.xgamma[2], 0.5f, 1e-6);
  j->freeTwist = 1;
  EXPECT_EQ(BuildRows(j).rows, 2);
}

TEST(MdtJointRows, DistanceLimitDirectionAndActivity) {
  Pair p;
  MdtDistanceLimit* d = MdtDistanceLimitCreate(p.w.get());
  MdtConstraintSetBodies(d, p.a, nullptr);
  EXPECT_EQ(BuildRows(d).rows, 0);  // inactive: nothing at all
  MdtLimit* l = MdtDistanceLimitGetLimit(d);
  EXPECT_EQ(l->firstStep, 0u);
  MdtLimitSetMotor(l, 1, 5);
  // Points coincide: the direction is (1, 0, 0).
  MeVector3Set(d->point1, 0, 1, 0);
  BuiltRows r = BuildRows(d);
  ASSERT_EQ(r.rows, 1);
  EXPECT_EQ(r.j0[0], 1.0f);
  EXPECT_EQ(r.j0[1], 0.0f);
  EXPECT_EQ(l->firstStep, 1u);
}

TEST(MdtJointRows, PoseDriveAlwaysRegistersSixRows) {
  Pair p;
  MdtPoseDriveJoint* j = MdtPoseDriveJointCreate(p.w.get());
  p.Assemble(j);
  for (int i = 0; i < 3; ++i) {
    j->maxForce[i] = 10;
    j->maxTorque[i] = 5;
  }
  j->maxForce[1] = 0;
  j->maxTorque[2] = 0;
  MdtBodySetPosition(p.b, 1.2f, 2, 0.5f);
  BuiltRows r = BuildRows(j);
  ASSERT_EQ(r.rows, 6);
  EXPECT_EQ(r.lo[1], 0.0f);
  EXPECT_EQ(r.hi[1], 0.0f);
  EXPECT_EQ(r.xi[1], 0.0f);
  EXPECT_EQ(r.j0[6 + 1], 0.0f);  // the linear entries of the switched-off point row
  EXPECT_EQ(r.hi[5], 0.0f);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(r.j0[5 * 6 + k], 0.0f);
  EXPECT_EQ(r.hi[0], 10.0f);
  EXPECT_EQ(r.hi[3], 5.0f);
  // Relative orientation equal to the target: no angular error.
  MdtBodySetQuaternion(p.b, 0.9f, 0.1f, 0.3f, 0.2f);
  r = BuildRows(j);
  EXPECT_LT(std::fabs(r.xi[3]) + std::fabs(r.xi[4]), 1e-5f);
}

TEST(MdtJointRows, SmallerKinds) {
  Pair p;
  MdtUniversalJoint* u = MdtUniversalJointCreate(p.w.get());
  p.Assemble(u);
  MeVector3Set(u->axis0, 1, 0, 0);
  MeVector3Set(u->axis1, 1, 0, 0);
  BuiltRows r = BuildRows(u);
  ASSERT_EQ(r.rows, 4);
  float x0[3], x1[3], one[3] = {1, 0, 0};
  MdtConvertFromBody(p.a, one, x0, false);
  MdtConvertFromBody(p.b, one, x1, false);
  EXPECT_NEAR(r.xi[3], MeVector3Dot(x0, x1), 1e-5);

  MdtPointInPlane* pp = MdtPointInPlaneCreate(p.w.get());
  MdtConstraintSetBodies(pp, p.a, nullptr);
  MeVector3Set(pp->normal, 0, 1, 0);
  pp->offset = 0.25f;
  r = BuildRows(pp);
  ASSERT_EQ(r.rows, 1);
  EXPECT_NEAR(r.xi[0], 1 - 0.25f, 1e-6);

  MdtPointOnLine* pl = MdtPointOnLineCreate(p.w.get());
  MdtConstraintSetBodies(pl, p.a, nullptr);
  MeVector3Set(pl->normal0, 1, 0, 0);
  MeVector3Set(pl->normal1, 0, 0, 1);
  MeVector3Set(pl->linePoint, 0.5f, 0, 2);
  r = BuildRows(pl);
  ASSERT_EQ(r.rows, 2);
  EXPECT_NEAR(r.xi[0], -0.5f, 1e-6);
  EXPECT_NEAR(r.xi[1], -2.0f, 1e-6);

  MdtMovingPointJoint* m = MdtMovingPointJointCreate(p.w.get());
  MdtConstraintSetBodies(m, p.a, nullptr);
  MeVector3Set(m->velocity1, 0, 0, 3);
  r = BuildRows(m);
  ASSERT_EQ(r.rows, 3);
  EXPECT_EQ(r.c[2], 3.0f);
}

// Each joint kind's Jacobian is the time derivative of its error: with the
// bodies moving at velocities V, d(xi)/dt = J V, so that the error reduction
// (target velocity -gamma xi / h) drives the error to zero.  Checked by
// central differences of the built error along V; a row whose Jacobian or
// error has the wrong sign misses by twice J V.
namespace {

struct Motion {
  float v0[3], w0[3], v1[3], w1[3];
};

// Moves a body along (v, w) for time t from the pose (p, q): position
// p + v t, orientation turned by |w| t about w (world axes).
void Place(MdtBody* b, const float* p, const float* q, const float* v, const float* w, float t) {
  MdtBodySetPosition(b, p[0] + v[0] * t, p[1] + v[1] * t, p[2] + v[2] * t);
  const float len = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  float dq[4] = {1, 0, 0, 0};
  if (len > 0) {
    const float s = std::sin(0.5f * len * t) / len;
    dq[0] = std::cos(0.5f * len * t);
    for (int k = 0; k < 3; ++k) dq[1 + k] = s * w[k];
  }
  float r[4];
  MdtQuaternionMultiply(r, dq, q);
  MdtBodySetQuaternion(b, r[0], r[1], r[2], r[3]);
}

// Largest miss of d(xi)/dt against J V over the first `rows` rows, relative
// to |J V| + 0.05.
float JacobianMiss(MdtConstraint* c, MdtBody* a, MdtBody* b, const Motion& m, int rows) {
  float pa[3], qa[4], pb[3], qb[4];
  if (a) {
    MdtBodyGetPosition(a, pa);
    MdtBodyGetQuaternion(a, qa);
  }
  if (b) {
    MdtBodyGetPosition(b, pb);
    MdtBodyGetQuaternion(b, qb);
  }
  const BuiltRows here = BuildRows(c);
  const float dt = 1e-3f;
  auto at = [&](float t) {
    if (a) Place(a, pa, qa, m.v0, m.w0, t);
    if (b) Place(b, pb, qb, m.v1, m.w1, t);
    return BuildRows(c);
  };
  const BuiltRows ahead = at(dt), behind = at(-dt);
  at(0);
  EXPECT_GE(here.rows, rows);
  float worst = 0;
  for (int r = 0; r < rows && r < here.rows; ++r) {
    float jv = 0;
    for (int k = 0; k < 3; ++k) {
      if (a) jv += here.j0[6 * r + k] * m.v0[k] + here.j0[6 * r + 3 + k] * m.w0[k];
      if (b) jv += here.j1[6 * r + k] * m.v1[k] + here.j1[6 * r + 3 + k] * m.w1[k];
    }
    const float rate = (ahead.xi[r] - behind.xi[r]) / (2 * dt);
    worst = std::max(worst, std::fabs(rate - jv) / (std::fabs(jv) + 0.05f));
  }
  return worst;
}

}  // namespace

TEST(MdtJointRows, JacobiansAreTheRatesOfTheirErrors) {
  const Motion motions[] = {
      {{0.3f, -0.2f, 0.5f}, {0.4f, 0.7f, -0.3f}, {-0.1f, 0.6f, 0.2f}, {-0.5f, 0.2f, 0.6f}},
      {{0, 0, 0}, {0, 0, 0}, {0.5f, 0, -0.4f}, {0.3f, -0.6f, 0.1f}},
      {{0, 0.4f, 0}, {-0.6f, 0, 0.5f}, {0, 0, 0}, {0, 0, 0}},
  };
  struct Kind {
    const char* name;
    int rows;  // the rows whose error is a function of the pose
    std::function<MdtConstraint*(Pair&)> make;
    // The wheel's rows are the rates of their errors only with the wheel on
    // its suspension line (which rows 1 and 2 keep it on), and only with a
    // wheel.
    bool onLine = false;
  } kinds[] = {
      {"ball", 3, [](Pair& p) { MdtConstraint* c = MdtBallJointCreate(p.w.get()); p.Assemble(c); return c; }},
      {"hinge", 5, [](Pair& p) { MdtConstraint* c = MdtHingeJointCreate(p.w.get()); p.Assemble(c); return c; }},
      {"slider", 5, [](Pair& p) { MdtConstraint* c = MdtSliderJointCreate(p.w.get()); p.Assemble(c); return c; }},
      {"weld", 6, [](Pair& p) { MdtConstraint* c = MdtWeldJointCreate(p.w.get()); p.Assemble(c); return c; }},
      {"universal", 4,
       [](Pair& p) {
         MdtUniversalJoint* u = MdtUniversalJointCreate(p.w.get());
         p.Assemble(u);
         MeVector3Set(u->axis0, 1, 0, 0);
         MeVector3Set(u->axis1, 0, 0, 1);
         return static_cast<MdtConstraint*>(u);
       }},
      {"point in plane", 1,
       [](Pair& p) {
         MdtPointInPlane* j = MdtPointInPlaneCreate(p.w.get());
         p.Assemble(j);
         MeVector3Set(j->normal, 0.6f, 0.8f, 0);
         return static_cast<MdtConstraint*>(j);
       }},
      {"point on line", 2,
       [](Pair& p) {
         MdtPointOnLine* j = MdtPointOnLineCreate(p.w.get());
         p.Assemble(j);
         MeVector3Set(j->point, 0.2f, 0.1f, -0.3f);
         MeVector3Set(j->linePoint, -0.4f, 0.3f, 0.1f);
         MeVector3Set(j->normal0, 1, 0, 0);
         MeVector3Set(j->normal1, 0, 0.6f, 0.8f);
         return static_cast<MdtConstraint*>(j);
       }},
      {"orientation", 3,
       [](Pair& p) {
         MdtOrientationJoint* j = MdtOrientationJointCreate(p.w.get());
         p.Assemble(j);
         j->stiffness = 100;
         j->damping = 1;
         return static_cast<MdtConstraint*>(j);
       }},
      {"pose drive", 6,
       [](Pair& p) {
         MdtPoseDriveJoint* j = MdtPoseDriveJointCreate(p.w.get());
         p.Assemble(j);
         for (int i = 0; i < 3; ++i) j->maxForce[i] = j->maxTorque[i] = 10;
         return static_cast<MdtConstraint*>(j);
       }},
      {"angle limit", 1,
       [](Pair& p) {
         MdtAngleLimit* l = MdtAngleLimitCreate(p.w.get());
         MdtConstraintSetBodies(l, p.a, p.b);
         const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1};
         MdtConstraintSetLocalAxes(l, 0, x, y);
         MdtConstraintSetLocalAxes(l, 1, y, z);
         MdtAngleLimitSetMaxAngle(l, 0.2f);
         return static_cast<MdtConstraint*>(l);
       }},
      {"wheel", 4,
       [](Pair& p) {
         MdtWheelJoint* j = MdtWheelJointCreate(p.w.get());
         MdtConstraintSetBodies(j, p.a, p.b);
         float x[3];
         MdtBodyGetPosition(p.b, x);
         MdtWheelJointSetPosition(j, x[0], x[1], x[2]);  // the wheel on its suspension line
         MdtWheelJointSetSteeringAxis(j, 0, 1, 0);
         MdtWheelJointSetSpinAxis(j, 1, 0, 0);
         MdtWheelJointSetSuspension(j, 8000, 400, 0, -0.2f, 0.2f, 0);
         return static_cast<MdtConstraint*>(j);
       },
       true},
  };
  // Both bodies, body 1 alone (the world in body 0's place) and body 0 alone.
  enum Which { kBoth, kSecondOnly, kFirstOnly };
  for (const Kind& k : kinds) {
    for (Which which : {kBoth, kSecondOnly, kFirstOnly}) {
      if (k.onLine && which == kFirstOnly) continue;
      Pair p;
      MdtConstraint* c = k.make(p);
      // Part-way out of the assembled pose, so that the errors are not zero.
      if (!k.onLine) {
        MdtBodySetPosition(p.b, 1.05f, 1.97f, 0.52f);
        MdtBodySetQuaternion(p.b, 0.69f, -0.22f, 0.41f, 0.12f);
      }
      MdtBody* a = which == kSecondOnly ? nullptr : p.a;
      MdtBody* b = which == kFirstOnly ? nullptr : p.b;
      MdtConstraintSetBodies(c, a, b);
      const char* label = which == kBoth ? "" : (which == kSecondOnly ? " (body 1 alone)" : " (body 0 alone)");
      for (const Motion& m : motions) EXPECT_LT(JacobianMiss(c, a, b, m, k.rows), 0.03f) << k.name << label;
    }
  }
}

TEST(MdtJointScenario, HingePendulumKeepsItsPeriodAndLength) {
  WorldPtr w = EngineWorld(4, 4, false);
  MdtBody* bob = MdtBodyCreate(w.get());
  const float L = 1.0f, I = 0.001f, theta0 = 0.1f;
  MdtBodySetSphericalInertia(bob, I);
  MdtBodySetPosition(bob, L * std::sin(theta0), -L * std::cos(theta0), 0);
  MdtBodyEnable(bob);
  MdtHingeJoint* h = MdtHingeJointCreate(w.get());
  MdtConstraintSetBodies(h, bob, nullptr);
  MdtConstraintSetPosition(h, 0, 0, 0);
  MdtConstraintSetAxis(h, 0, 0, 1);
  MdtConstraintEnable(h);
  const float dt = 1.0f / 600;
  const double expected = 2 * M_PI * std::sqrt((I + L * L) / (9.81 * L));
  double t = 0, lastCross = -1, firstCross = -1;
  int crossings = 0;
  float prevX = bob->transform[12], drift = 0;
  while (crossings < 7) {
    MdtWorldStep(w.get(), dt);
    t += dt;
    const float x = bob->transform[12];
    if (prevX > 0 && x <= 0) {  // crossing the bottom moving left, once per period
      const double tc = t - dt * x / (x - prevX);
      if (firstCross < 0) firstCross = tc;
      lastCross = tc;
      ++crossings;
    }
    prevX = x;
    drift = std::max(drift, std::fabs(std::hypot(bob->transform[12], bob->transform[13]) - L));
    ASSERT_LT(t, 30.0);
  }
  const double period = (lastCross - firstCross) / (crossings - 1);
  EXPECT_NEAR(period, expected, 0.01 * expected);
  EXPECT_LT(drift, 1e-3f);
  EXPECT_LT(std::fabs(bob->transform[14]), 1e-3f);  // stays in its plane
}

// A body spun about a limited hinge is stopped by the stop on the side its
// angle moves to, and the angle the limit measures is the body's turn: the
// turn of body 0 relative to body 1 about the hinge axis, so a hinge that
// holds body 1 alone to the world measures minus the body's turn.  (Once
// stopped the error reduction pushes the body back out of the stop; it then
// drifts away from it, which is why only the furthest turn is checked.)
TEST(MdtJointScenario, HingeLimitStopsTheTurnOnTheSideOfItsAngle) {
  const float lower = -0.3f, upper = 0.5f;
  struct Case {
    const char* name;
    bool bodyIsSecond;
    float spin;      // rad/s about +z
    float sign;      // measured angle per unit of the body's turn
    float furthest;  // the body's turn where the stop holds it
  } cases[] = {
      {"body 0, spun +", false, 2, 1, upper},
      {"body 0, spun -", false, -2, 1, lower},
      {"body 1, spun +", true, 2, -1, -lower},
      {"body 1, spun -", true, -2, -1, -upper},
  };
  for (const Case& k : cases) {
    WorldPtr w = EngineWorld(4, 4, false);
    MdtWorldSetGravity(w.get(), 0, 0, 0);
    MdtBody* body = MdtBodyCreate(w.get());
    MdtBodySetSphericalInertia(body, 0.1f);
    MdtBodySetPosition(body, 1, 0, 0);
    MdtBodyEnable(body);
    MdtHingeJoint* h = MdtHingeJointCreate(w.get());
    if (k.bodyIsSecond) MdtConstraintSetBodies(h, nullptr, body);
    else MdtConstraintSetBodies(h, body, nullptr);
    MdtConstraintSetPosition(h, 0, 0, 0);
    MdtConstraintSetAxis(h, 0, 0, 1);
    MdtLimit* l = MdtHingeJointGetLimit(h);
    MdtLimitStop lo{lower, MeInfinity, 0, 0};  // hard stops that do not bounce
    MdtLimitSetLowerStop(l, &lo);
    *MdtLimitGetUpperStop(l) = MdtLimitStop{upper, MeInfinity, 0, 0};
    MdtLimitSetLimited(l, 1);
    MdtConstraintEnable(h);
    // Turning at k.spin about the hinge at the origin.
    MdtBodySetLinearVelocity(body, 0, k.spin, 0);
    MdtBodySetAngularVelocity(body, 0, 0, k.spin);
    float furthest = 0, worstMismatch = 0, before = 0;
    for (int i = 0; i < 30; ++i) {
      MdtWorldStep(w.get(), 1.0f / 60);
      // The limit measures the pose the step starts from.
      worstMismatch = std::max(worstMismatch, std::fabs(MdtLimitGetPosition(l) - k.sign * before));
      const float turn = std::atan2(body->transform[1], body->transform[0]);  // the body's x axis about z
      if (std::fabs(turn) > std::fabs(furthest)) furthest = turn;
      before = turn;
      // Still on the hinge circle, its x axis pointing away from the hinge.
      ASSERT_NEAR(std::hypot(body->transform[12], body->transform[13]), 1.0f, 0.01f) << k.name;
    }
    // Reaching the stop takes at most 0.25 s; within one step's turn of it.
    EXPECT_NEAR(furthest, k.furthest, 2.0f / 60) << k.name;
    EXPECT_LT(worstMismatch, 1e-3f) << k.name;
    EXPECT_LT(body->state.velrot[2] * k.spin, 0.0f) << k.name << ": turned back by the stop";
  }
}
