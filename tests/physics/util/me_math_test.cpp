#include "physics/util/me_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// A 4x4 transform from a 3x3 rotation (row vectors) and a position.
void MakeTransform(MeReal* m, const MeReal* r, MeReal x, MeReal y, MeReal z) {
  MeMatrix4TMMakeIdentity(m);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[4 * i + j] = r[3 * i + j];
  m[12] = x;
  m[13] = y;
  m[14] = z;
}

// Rotation by angle a about unit axis u, row-vector form (rows are the
// turned local axes): R_ij = cos a δij + (1 − cos a) u_i u_j + sin a ε_ijk u_k.
void AxisAngle(MeReal* r, const MeReal* u, MeReal a) {
  MeReal c = std::cos(a), s = std::sin(a);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      MeReal e = (i == j ? c : 0) + (1 - c) * u[i] * u[j];
      int k = 3 - i - j;
      if (i != j) {
        MeReal sign = ((i + 1) % 3 == j) ? 1 : -1;
        e += sign * s * u[k];
      }
      r[3 * i + j] = e;
    }
  }
}

}  // namespace

TEST(MeMath, MatrixToQuaternionCoversEveryBranch) {
  struct Case {
    MeVector3 axis;
    MeReal angle;
  } cases[] = {
      {{0, 0, 1}, 0.0f},        // identity: trace branch
      {{1, 0, 0}, MePi},        // 180° about x: x largest
      {{0, 1, 0}, MePi},        // y largest
      {{0, 0, 1}, MePi},        // z largest
      {{0.6f, 0.8f, 0}, 2.5f},  // trace negative, mixed axis
      {{0, 0.6f, 0.8f}, 1.0f},  // trace branch, general
  };
  for (const Case& c : cases) {
    MeMatrix3 r;
    AxisAngle(r, c.axis, c.angle);
    MeMatrix4 m;
    MakeTransform(m, r, 0, 0, 0);
    MeVector4 q;
    MeMatrixToQuaternion(q, m);
    // Expected unit quaternion (cos a/2, sin a/2 u), up to an overall sign.
    MeVector4 e = {std::cos(c.angle / 2), std::sin(c.angle / 2) * c.axis[0],
                   std::sin(c.angle / 2) * c.axis[1], std::sin(c.angle / 2) * c.axis[2]};
    MeReal dot = q[0] * e[0] + q[1] * e[1] + q[2] * e[2] + q[3] * e[3];
    EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-5f) << c.angle;
  }
  MeMatrix4 id;
  MeMatrix4TMMakeIdentity(id);
  MeVector4 q;
  MeMatrixToQuaternion(q, id);
  EXPECT_FLOAT_EQ(q[0], 1);
  EXPECT_FLOAT_EQ(q[1], 0);
  MeMatrix3 rx;
  MeMatrix3MakeRotationX(rx, MePi);
  MeMatrix4 m;
  MakeTransform(m, rx, 0, 0, 0);
  MeMatrixToQuaternion(q, m);
  EXPECT_NEAR(q[0], 0, 1e-6f);
  EXPECT_NEAR(q[1], 1, 1e-6f);
}

TEST(MeMath, FiniteRotationSkipsSlowSpinAndTurnsByTheAngle) {
  MeVector4 q = {1, 0, 0, 0};
  MeVector3 slow = {0.00005f, 0, 0};
  MeQuaternionFiniteRotation(q, slow, 1.0f);
  EXPECT_EQ(q[0], 1);
  EXPECT_EQ(q[1], 0);
  // 2 rad/s about z for 0.5 s: a turn of 1 rad, q = (cos 0.5, 0, 0, sin 0.5).
  MeVector3 w = {0, 0, 2};
  MeQuaternionFiniteRotation(q, w, 0.5f);
  EXPECT_NEAR(q[0], std::cos(0.5f), 1e-6f);
  EXPECT_NEAR(q[3], std::sin(0.5f), 1e-6f);
  EXPECT_NEAR(q[1], 0, 1e-6f);
}

// The quaternion of a turn about an axis of any length turns vectors the
// right-handed way: a quarter turn about z takes x to y.
TEST(MeMath, QuaternionFromAxisAngleTurnsRightHanded) {
  struct Case {
    float axis[3], angle, v[3], expected[3];
  } cases[] = {
      {{0, 0, 2}, float(M_PI / 2), {1, 0, 0}, {0, 1, 0}},
      {{1, 0, 0}, float(M_PI / 2), {0, 1, 0}, {0, 0, 1}},
      {{0, -3, 0}, float(M_PI / 2), {1, 0, 0}, {0, 0, 1}},
      {{1, 1, 1}, float(2 * M_PI / 3), {1, 0, 0}, {0, 1, 0}},
      {{0, 0, 0}, 1.0f, {0.3f, 0.4f, 0.5f}, {0.3f, 0.4f, 0.5f}},  // no axis: identity
  };
  for (const Case& k : cases) {
    float q[4];
    MeQuaternionFromAxisAngle(q, k.axis, k.angle);
    EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0f, 1e-6f);
    // v' = v + 2 w (u x v) + 2 u x (u x v), u the vector part.
    const float* u = q + 1;
    float t[3], ut[3], out[3];
    MeVector3Cross(t, u, k.v);
    MeVector3Cross(ut, u, t);
    for (int i = 0; i < 3; ++i) out[i] = k.v[i] + 2 * q[0] * t[i] + 2 * ut[i];
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], k.expected[i], 1e-5f) << k.angle << " " << i;
  }
}

TEST(MeMath, VectorHelpers) {
  MeVector3 a = {2, 0, 0}, b = {0, 3, 0};
  EXPECT_FLOAT_EQ(MeVector3TriangleArea(a, b), 3);
  EXPECT_FLOAT_EQ(MeVector3TriangleArea(a, a), 0);
  MeVector3Swap(a, b);
  EXPECT_EQ(a[1], 3);
  EXPECT_EQ(b[0], 2);
  MeVector3 cases[] = {{0, 0, 0}, {NAN, 0, 0}, {0, 0, -4}};
  MeVector3NormalizeOrX(cases[0]);
  MeVector3NormalizeOrX(cases[1]);
  MeVector3NormalizeOrX(cases[2]);
  EXPECT_EQ(cases[0][0], 1);
  EXPECT_EQ(cases[1][0], 1);
  EXPECT_EQ(cases[1][1], 0);
  EXPECT_FLOAT_EQ(cases[2][2], -1);
}

TEST(MeMath, InversesOfThreeByThree) {
  MeMatrix3 general = {4, 7, 2, 3, 6, 1, 2, 5, 3};
  MeMatrix3 inv;
  std::memcpy(inv, general, sizeof inv);
  ASSERT_EQ(MeMatrix3Invert(inv), 1);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      MeReal s = 0;
      for (int k = 0; k < 3; ++k) s += general[3 * i + k] * inv[3 * k + j];
      EXPECT_NEAR(s, i == j ? 1 : 0, 1e-5f);
    }
  MeMatrix3 singular = {1, 2, 3, 2, 4, 6, 1, 1, 1};
  MeMatrix3 copy;
  std::memcpy(copy, singular, sizeof copy);
  EXPECT_EQ(MeMatrix3Invert(singular), 0);
  EXPECT_EQ(std::memcmp(copy, singular, sizeof copy), 0);

  MeMatrix3 sym = {2, 1, 0, 1, 3, 1, 0, 1, 4};
  MeMatrix3 sinv;
  std::memcpy(sinv, sym, sizeof sinv);
  ASSERT_EQ(MeMatrix3InvertSymmetric(sinv), 1);
  MeVector3 r0, r1, r2;
  ASSERT_EQ(MeMatrix3InvertSymmetricRows(sym, r0, r1, r2), 1);
  for (int j = 0; j < 3; ++j) {
    EXPECT_NEAR(sinv[j], r0[j], 1e-6f);
    EXPECT_NEAR(sinv[6 + j], r2[j], 1e-6f);
  }
  EXPECT_NEAR(sym[0] * sinv[0] + sym[1] * sinv[3] + sym[2] * sinv[6], 1, 1e-5f);
  MeMatrix3 asym = {2, 1, 0, 0, 3, 1, 0, 1, 4};
  EXPECT_EQ(MeMatrix3InvertSymmetric(asym), 0);
}

TEST(MeMath, RotationChecks) {
  MeMatrix3 r;
  MeMatrixFromEulerAngles(r, 0.3f, -0.7f, 1.1f);
  EXPECT_EQ(MeMatrix3IsRotation(r, 1e-5f), 1);
  MeMatrix3 scaled;
  std::memcpy(scaled, r, sizeof r);
  scaled[0] *= 1.1f;
  EXPECT_EQ(MeMatrix3IsRotation(scaled, 1e-5f), 0);
  MeMatrix3 mirror = {-1, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(MeMatrix3IsRotation(mirror, 1e-5f), 0);  // determinant −1
  MeMatrix4 m;
  MakeTransform(m, r, 1, 2, 3);
  EXPECT_EQ(MeMatrix4IsTransform(m, 1e-5f), 1);
  EXPECT_EQ(MeMatrix4IsIdentity(m, 1e-5f), 0);
  m[3] = 0.5f;
  EXPECT_EQ(MeMatrix4IsTransform(m, 1e-5f), 0);
  MeMatrix3 z;
  MeMatrix3MakeRotationZ(z, 0.25f);
  EXPECT_NEAR(MeMatrix3Trace(z), 1 + 2 * std::cos(0.25f), 1e-6f);
}

TEST(MeMath, IntegrateMatchesRodriguesForQuarterTurns) {
  MeVector3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const MeReal* u : axes) {
    MeMatrix4 in;
    MeMatrix3 start;
    MeMatrixFromEulerAngles(start, 0.2f, 0.4f, -0.3f);
    MakeTransform(in, start, 1, 2, 3);
    MeVector3 v = {1, -1, 2};
    MeVector3 w = {u[0] * MePi, u[1] * MePi, u[2] * MePi};  // π rad/s for 0.5 s
    MeMatrix4 out;
    MeMatrix4Integrate(out, 0.0001f, 0.5f, v, w, in);
    MeMatrix3 turn;
    AxisAngle(turn, u, MePi / 2);
    for (int row = 0; row < 3; ++row)
      for (int j = 0; j < 3; ++j) {
        MeReal e = 0;
        for (int k = 0; k < 3; ++k) e += start[3 * row + k] * turn[3 * k + j];
        EXPECT_NEAR(out[4 * row + j], e, 1e-5f);
      }
    EXPECT_NEAR(out[12], 1.5f, 1e-6f);
    EXPECT_NEAR(out[13], 1.5f, 1e-6f);
    EXPECT_NEAR(out[14], 4.0f, 1e-6f);
    EXPECT_EQ(out[15], 1);
  }
  // Below the threshold only the position moves.
  MeMatrix4 in, out;
  MeMatrix4TMMakeIdentity(in);
  MeVector3 v = {1, 0, 0}, w = {0, 0, 0.00001f};
  MeMatrix4Integrate(out, 0.0001f, 1.0f, v, w, in);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[12], 1);
  MeVector3 a = {0, 2, 0};
  MeMatrix4IntegrateAccelerated(out, 0.0001f, 1.0f, v, a, w, in);
  EXPECT_FLOAT_EQ(out[13], 1);  // (0 + 2·1/2)·1
}

TEST(MeMath, RigidProductAndInverse) {
  MeMatrix3 ra, rb;
  MeMatrixFromEulerAngles(ra, 0.1f, 0.2f, 0.3f);
  MeMatrixFromEulerAngles(rb, -0.5f, 0.4f, 0.9f);
  MeMatrix4 a, b, ab;
  MakeTransform(a, ra, 1, 0, 0);
  MakeTransform(b, rb, 0, 2, 0);
  MeMatrix4MultiplyRigid(ab, a, b);
  // A local point taken by a then b equals the product applied once.
  MeVector3 p = {0.3f, -1, 2}, step, once, twice;
  MeMatrix4TMTransform(step, a, p);
  MeMatrix4TMTransform(twice, b, step);
  MeMatrix4TMTransform(once, ab, p);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(once[k], twice[k], 1e-5f);
  MeMatrix4 inv;
  std::memcpy(inv, ab, sizeof inv);
  MeMatrix4InvertRigid(inv);
  MeVector3 back;
  MeMatrix4TMTransform(back, inv, once);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(back[k], p[k], 1e-5f);
}

TEST(MeMath, PrintWritesRowsSeparatedByBlanks) {
  MeReal m[6] = {1, 2, 3, 4.5f, 5, 6};
  FILE* f = tmpfile();
  ASSERT_NE(f, nullptr);
  MeMatrixPrint(f, m, 2, 3);
  rewind(f);
  char buf[64] = {};
  size_t n = fread(buf, 1, sizeof buf - 1, f);
  fclose(f);
  EXPECT_EQ(std::string(buf, n), "1 2 3\n4.5 5 6\n");
}
