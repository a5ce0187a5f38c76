// Body integration against closed-form motion.
#include <gtest/gtest.h>

#include <cmath>

#include "kea_fixture.h"
#include "physics/solver/kea_integrate.h"

using namespace kea_test;

namespace {

// Quaternion (w, x, y, z) of a turn by `angle` about unit axis a.
void axisAngle(double* q, const double* a, double angle) {
  q[0] = std::cos(angle / 2);
  for (int k = 0; k < 3; ++k) q[1 + k] = a[k] * std::sin(angle / 2);
}

// Checks the transform's rows 0-2 against the rotation of q, row 3's fourth element.
void expectRowsMatch(const float* tm, const double* q, double tol) {
  const double w = q[0], x = q[1], y = q[2], z = q[3];
  // Row i is the body's axis i in world coordinates (points are row vectors).
  const double R[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)},
                          {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)},
                          {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(tm[4 * r + c], R[r][c], tol) << r << "," << c;
    EXPECT_EQ(tm[4 * r + 3], 0.0f);
  }
  EXPECT_EQ(tm[15], 1.0f);
}

double quaternionDistance(const float* q, const double* expect) {
  double plus = 0, minus = 0;
  for (int k = 0; k < 4; ++k) {
    plus = std::max(plus, std::fabs(q[k] - expect[k]));
    minus = std::max(minus, std::fabs(q[k] + expect[k]));
  }
  return std::min(plus, minus);
}

struct Motion {
  const char* name;
  float v[3], w[3];
  bool fastAxis;
  double tolerance;  // orientation error allowed after the run
};

void PrintTo(const Motion& m, std::ostream* os) { *os << m.name; }

class KeaIntegrateMotion : public ::testing::TestWithParam<Motion> {};

// Constant velocity and spin (no acceleration): the position follows p0 + v t
// and the orientation the exact turn by |w| t about w; the quaternion stays
// normalised every step.  The first-order update turns by 2 atan(|w| h / 2)
// a step, so it trails the exact angle by about (|w| h)^3 / 12 a step; the
// fast-rotation axis turns exactly.
TEST_P(KeaIntegrateMotion, FollowsTheClosedFormPath) {
  const Motion& m = GetParam();
  Bodies bodies(1);
  keaBody& b = bodies.list[0];
  const float p0[3] = {1.0f, -2.0f, 0.5f};
  for (int k = 0; k < 3; ++k) {
    b.vel[k] = m.v[k];
    b.velrot[k] = m.w[k];
    bodies.transforms[12 + k] = p0[k];
  }
  const double speed = std::sqrt(double(m.w[0]) * m.w[0] + double(m.w[1]) * m.w[1] + double(m.w[2]) * m.w[2]);
  double axis[3] = {1, 0, 0};
  if (speed > 0)
    for (int k = 0; k < 3; ++k) axis[k] = m.w[k] / speed;
  if (m.fastAxis) {
    b.flags |= keaBodyFlagFastRotation;
    for (int k = 0; k < 3; ++k) b.fastRotAxis[k] = static_cast<float>(axis[k]);
  }
  keaParameters params{};
  params.stepSize = 0.01f;
  const int steps = 200;
  for (int s = 1; s <= steps; ++s) {
    keaIntegrate(bodies.list.data(), bodies.transforms.data(), 1, &params);
    const float* q = b.qrot;
    EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0f, 2e-6f) << "step " << s;
  }
  const double t = steps * 0.01;
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(bodies.transforms[12 + k], p0[k] + m.v[k] * t, 1e-4);
  double expect[4];
  axisAngle(expect, axis, speed * t);
  EXPECT_LE(quaternionDistance(b.qrot, expect), m.tolerance);
  expectRowsMatch(bodies.transforms.data(), expect, 3 * m.tolerance + 1e-5);
  for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(b.velrot[k], m.w[k]);  // integration leaves the spin
}

INSTANTIATE_TEST_SUITE_P(Paths, KeaIntegrateMotion,
                         ::testing::Values(Motion{"Still", {0, 0, 0}, {0, 0, 0}, false, 1e-7},
                                           Motion{"DriftOnly", {3, -1, 2}, {0, 0, 0}, false, 1e-7},
                                           Motion{"SpinAboutY", {0, 0, 0}, {0, 2, 0}, false, 1e-4},
                                           Motion{"SpinAndDrift", {1, 0.5f, -2}, {0.6f, -0.8f, 1.2f}, false, 2e-4},
                                           Motion{"FastAxisSpin", {0, 0, 0}, {0, 0, 40}, true, 2e-5},
                                           Motion{"FastAxisOblique", {1, 1, 0}, {12, -16, 0}, true, 2e-5}));

// Accelerations add to the velocities before the positions move (so after N
// steps of h the body has gone v0 t + a h^2 N (N + 1) / 2).
TEST(KeaIntegrate, AccelerationChangesVelocityBeforePosition) {
  Bodies bodies(1);
  keaBody& b = bodies.list[0];
  b.accel[1] = -9.81f;
  b.accelrot[2] = 2.0f;
  keaParameters params{};
  params.stepSize = 0.02f;
  const int n = 50;
  for (int s = 0; s < n; ++s) keaIntegrate(bodies.list.data(), bodies.transforms.data(), 1, &params);
  EXPECT_NEAR(b.vel[1], -9.81 * n * 0.02, 1e-4);
  EXPECT_NEAR(b.velrot[2], 2.0 * n * 0.02, 1e-5);
  EXPECT_NEAR(bodies.transforms[13], -9.81 * 0.02 * 0.02 * n * (n + 1) / 2, 1e-4);
}

// With no spin the orientation is kept, but the quaternion is normalised and
// the rotation rows are rebuilt from it.
TEST(KeaIntegrate, RestingBodyIsRenormalisedAndRowsRebuilt) {
  Bodies bodies(1);
  keaBody& b = bodies.list[0];
  const float q[4] = {2.0f, 0.0f, 2.0f, 0.0f};  // 90 degrees about y, length 2.83
  for (int k = 0; k < 4; ++k) b.qrot[k] = q[k];
  for (int k = 0; k < 12; ++k) bodies.transforms[k] = 7.0f;  // stale rows
  keaParameters params{};
  params.stepSize = 0.01f;
  keaIntegrate(bodies.list.data(), bodies.transforms.data(), 1, &params);
  const double s = 1 / std::sqrt(2.0);
  const double expect[4] = {s, 0, s, 0};
  EXPECT_LE(quaternionDistance(b.qrot, expect), 1e-6);
  expectRowsMatch(bodies.transforms.data(), expect, 1e-6);
}

TEST(KeaIntegrate, CountZeroTouchesNothing) {
  Bodies bodies(1);
  bodies.list[0].vel[0] = 1;
  bodies.list[0].accel[0] = 1;
  bodies.transforms[0] = 5;
  keaParameters params{};
  params.stepSize = 0.1f;
  keaIntegrate(bodies.list.data(), bodies.transforms.data(), 0, &params);
  EXPECT_EQ(bodies.list[0].vel[0], 1.0f);
  EXPECT_EQ(bodies.transforms[0], 5.0f);
  EXPECT_EQ(bodies.transforms[12], 0.0f);
}

}  // namespace
