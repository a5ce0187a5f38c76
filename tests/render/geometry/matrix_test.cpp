// Matrices: flag short cuts, rotations, product, inverse, quaternions, poses and the stack.
#include "render/geometry/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/geometry/matrix_stack.h"

namespace {

constexpr float kEps = 1e-5f;

void ExpectVec(const CVector3& v, float x, float y, float z, float eps = kEps) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

CMatrix Identity() {
  CMatrix m;
  m.SetIdentity();
  return m;
}

TEST(Matrix, FlagsTrackWhatWasApplied) {
  struct Case {
    const char* name;
    void (*build)(CMatrix*);
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"identity", [](CMatrix*) {}, 1},
      {"zero translation keeps identity", [](CMatrix* m) { m->SetTranslationXYZ(0, 0, 0); }, 1},
      {"translation", [](CMatrix* m) { m->SetTranslationXYZ(0, 0, 5); }, 1 | 4},
      {"unit scale", [](CMatrix* m) { m->Scale(1, 1, 1); }, 1},
      {"scale and zero rotation", [](CMatrix* m) { m->Scale(2, 1, 1); m->RotateY(0); }, 1 | 8},
      {"uniform 1 does nothing", [](CMatrix* m) { m->ScaleUniform(1); }, 1},
      {"uniform scale", [](CMatrix* m) { m->ScaleUniform(3); }, 1 | 8},
      {"rotation", [](CMatrix* m) { m->RotateZ(30); }, 1 | 2},
      {"all flags", [](CMatrix* m) { m->SetIdentityAllFlags(); }, 15},
  };
  for (const Case& c : cases) {
    CMatrix m = Identity();
    c.build(&m);
    EXPECT_EQ(m.TypeFlags, c.flags) << c.name;
  }
}

TEST(Matrix, TransformPointTakesThePathTheFlagsSay) {
  // A matrix whose 3x3 part holds a rotation but whose flags say "scale only"
  // must use the diagonal alone: the short cut trusts the flags.
  CMatrix m = Identity();
  m.m[0][1] = 5.0f;  // off-diagonal entry that only the full path reads
  m.m[0][0] = 2.0f;
  m.m[3][0] = 10.0f;
  CVector3 out;

  m.TypeFlags = MATF_IDENTITY;
  m.TransformPoint({1, 2, 3}, &out);
  ExpectVec(out, 1, 2, 3);  // copy

  m.TypeFlags = MATF_IDENTITY | MATF_SCALE;
  m.TransformPoint({1, 2, 3}, &out);
  ExpectVec(out, 12, 2, 3);  // x m00 + m30

  m.TypeFlags = MATF_TRANSLATION;
  m.TransformPoint({1, 2, 3}, &out);
  ExpectVec(out, 11, 2, 3);  // translation only

  m.TypeFlags = MATF_ROTATION;
  m.TransformPoint({1, 2, 3}, &out);
  ExpectVec(out, 12, 7, 3);  // full: y' = x m01 + y m11 + ...
}

TEST(Matrix, RotateXNinetyTurnsYIntoMinusZ) {
  CMatrix m = Identity();
  m.RotateX(90);
  EXPECT_NEAR(m.m[1][0], 0, kEps);
  EXPECT_NEAR(m.m[1][1], 0, kEps);
  EXPECT_NEAR(m.m[1][2], -1, kEps);
  EXPECT_NEAR(m.m[1][3], 0, kEps);
  CVector3 out;
  m.TransformPoint({0, 1, 0}, &out);
  ExpectVec(out, 0, 0, -1);
}

TEST(Matrix, RotationsAboutEachAxis) {
  struct Case {
    void (CMatrix::*rotate)(float);
    CVector3 in;
    CVector3 out;
  };
  // Post-multiplied rotations of 90 degrees, row vectors.
  const Case cases[] = {
      {&CMatrix::RotateY, {1, 0, 0}, {0, 0, 1}},
      {&CMatrix::RotateY, {0, 0, 1}, {-1, 0, 0}},
      {&CMatrix::RotateZ, {1, 0, 0}, {0, -1, 0}},
      {&CMatrix::RotateZ, {0, 1, 0}, {1, 0, 0}},
      {&CMatrix::RotateX, {0, 0, 1}, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    CMatrix m = Identity();
    (m.*c.rotate)(90);
    CVector3 out;
    m.TransformPoint(c.in, &out);
    ExpectVec(out, c.out.x, c.out.y, c.out.z);
  }
}

TEST(Matrix, RotationAlsoTurnsTheTranslationRow) {
  CMatrix m = Identity();
  m.SetTranslationXYZ(0, 10, 0);
  m.RotateX(90);
  EXPECT_NEAR(m.m[3][1], 0, kEps);
  EXPECT_NEAR(m.m[3][2], -10, kEps);
}

TEST(Matrix, RotateVectorIgnoresTranslationAndPureScale) {
  CMatrix m = Identity();
  m.Scale(2, 1, 1);
  m.SetTranslationXYZ(5, 5, 5);
  CVector3 out;
  m.RotateVector({1, 1, 1}, &out);
  ExpectVec(out, 1, 1, 1);  // no rotation bit: copied, scale not applied

  m.RotateZ(90);
  m.RotateVector({0, 1, 0}, &out);
  ExpectVec(out, 1, 0, 0);  // rotation applied, translation not
}

TEST(Matrix, ProductAppliesLeftFactorFirst) {
  CMatrix a = Identity();
  a.SetTranslationXYZ(1, 0, 0);
  CMatrix b = Identity();
  b.RotateZ(90);
  CMatrix ab;
  MatrixMultiply(&ab, a, b);
  ab.TypeFlags = a.TypeFlags | b.TypeFlags;
  CVector3 out;
  ab.TransformPoint({0, 0, 0}, &out);
  // Translate to (1, 0, 0), then rotate about Z by 90: (0, -1, 0).
  ExpectVec(out, 0, -1, 0);
}

TEST(Matrix, InvertGivesInverseAndGeneralFlag) {
  CMatrix m = Identity();
  m.Scale(2, 2, 2);
  m.RotateY(30);
  m.SetTranslationXYZ(3, -4, 5);
  CMatrix inv;
  float det = 0;
  ASSERT_EQ(m.Invert(&inv, &det), 1);
  EXPECT_EQ(inv.TypeFlags, m.TypeFlags | MATF_GENERAL);
  EXPECT_NEAR(det, 8.0f, 1e-4f);
  CMatrix product;
  MatrixMultiply(&product, m, inv);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
}

TEST(Matrix, InvertOfSingularMatrixFailsAndLeavesResult) {
  CMatrix m = Identity();
  m.m[2][2] = 0.0f;  // flattens z
  CMatrix result = Identity();
  result.m[0][3] = 42.0f;
  EXPECT_EQ(m.Invert(&result, nullptr), 0);
  EXPECT_EQ(result.m[0][3], 42.0f);
  EXPECT_EQ(result.TypeFlags, 1u);
}

TEST(Matrix, SetFromDirectionBuildsPitchThenYaw) {
  // Pitch a = asin(y / |(y, z)|) about X, then yaw b = asin(x / |d|) about Y: the
  // z row becomes (-sin b cos a, sin a, cos b cos a).  For (3, 4, 12): sin a = 4/sqrt(160),
  // sin b = 3/13.
  CMatrix m;
  m.SetFromDirection({3, 4, 12});
  const float sa = 4.0f / std::sqrt(160.0f), ca = 12.0f / std::sqrt(160.0f);
  const float sb = 3.0f / 13.0f, cb = std::sqrt(1.0f - sb * sb);
  EXPECT_NEAR(m.m[2][0], -sb * ca, 1e-5f);
  EXPECT_NEAR(m.m[2][1], sa, 1e-5f);
  EXPECT_NEAR(m.m[2][2], cb * ca, 1e-5f);
}

TEST(Matrix, SetFromDirectionAlongXAxisIsAQuarterTurn) {
  // Exactly (1, 0, 0) is a special case; other directions along x have no (y, z)
  // part to divide by and must still give the same valid quarter turn.
  CMatrix exact;
  exact.SetFromDirection({1, 0, 0});
  const CVector3 dirs[] = {{2, 0, 0}, {0.99999f, 0, 0}};
  for (const CVector3& d : dirs) {
    CMatrix m;
    m.SetFromDirection(d);
    ASSERT_EQ(m.IsValid(), 1);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(m.m[r][c], exact.m[r][c], 1e-2f);
  }
  CMatrix back;
  back.SetFromDirection({-3, 0, 0});
  CMatrix exactBack;
  exactBack.SetFromDirection({-1, 0, 0});
  EXPECT_NEAR(back.m[2][0], exactBack.m[2][0], 1e-5f);
}

TEST(Matrix, SetFromZeroDirectionIsIdentity) {
  CMatrix m;
  m.SetFromDirection({0, 0, 0});
  EXPECT_EQ(m.TypeFlags, 1u);
  EXPECT_EQ(m.IsValid(), 1);
}

TEST(Matrix, IsValidFindsNaN) {
  CMatrix m = Identity();
  EXPECT_EQ(m.IsValid(), 1);
  m.m[2][3] = std::nanf("");
  EXPECT_EQ(m.IsValid(), 0);
}

TEST(Matrix, TransposeSwapsTheRotationPart) {
  CMatrix m = Identity();
  m.RotateZ(30);
  m.SetTranslationXYZ(1, 2, 3);
  CMatrix t = m;
  t.Transpose3x3();
  EXPECT_EQ(t.m[0][1], m.m[1][0]);
  EXPECT_EQ(t.m[1][0], m.m[0][1]);
  EXPECT_EQ(t.m[3][0], m.m[3][0]);
}

TEST(Matrix, HomogeneousTransformUsesAllColumns) {
  CMatrix m = Identity();
  m.m[2][3] = 1.0f;  // w = z, as a projection does
  m.m[3][3] = 0.0f;
  m.TypeFlags = MATF_IDENTITY;  // the flags are not consulted
  CVector4 out;
  m.TransformPointHomogeneous({1, 2, 7}, &out);
  EXPECT_NEAR(out.w, 7.0f, kEps);
  EXPECT_NEAR(out.z, 7.0f, kEps);
}

TEST(Matrix, DecomposeGivesAxesPositionAndAngles) {
  CMatrix m;
  m.SetRotationZXY(20, 10, 50);  // roll 20, then pitch and yaw
  m.SetTranslationXYZ(1, 2, 3);
  CVector3 pos, angles, fwd, up, right;
  m.Decompose(&pos, &angles, &fwd, &up, &right);
  ExpectVec(pos, 1, 2, 3);
  // Forward of RotateX(10), RotateY(50) has pitch -10 and yaw -50, wrapped into [0, 360).
  EXPECT_NEAR(angles.x, 350, 1e-3f);
  EXPECT_NEAR(angles.y, 310, 1e-3f);
  EXPECT_NEAR(angles.z, 20, 1e-3f);
  m.Decompose(nullptr, nullptr, nullptr, nullptr, nullptr);  // every output may be null
}

TEST(Quaternion, SlerpTakesTheShortArc) {
  const CVector4 q{0.0f, 0.38268343f, 0.0f, 0.92387953f};  // 45 degrees about Y
  const CVector4 minusQ{-q.x, -q.y, -q.z, -q.w};
  for (float t : {0.0f, 0.3f, 1.0f}) {
    CVector4 out;
    QuaternionSlerp(q, minusQ, t, &out);
    EXPECT_NEAR(out.x, q.x, kEps);
    EXPECT_NEAR(out.y, q.y, kEps);
    EXPECT_NEAR(out.w, q.w, kEps);
  }
}

TEST(Quaternion, SlerpHalfwayBetweenIdentityAndNinety) {
  const CVector4 a{0, 0, 0, 1};
  const CVector4 b{0, 0.70710678f, 0, 0.70710678f};  // 90 degrees about Y
  CVector4 out;
  QuaternionSlerp(a, b, 0.5f, &out);
  EXPECT_NEAR(out.y, 0.38268343f, kEps);  // 45 degrees
  EXPECT_NEAR(out.w, 0.92387953f, kEps);
}

TEST(Quaternion, SlerpOfNearlyEqualUsesLinearWeights) {
  const CVector4 a{0, 0, 0, 1};
  const CVector4 b{0, 1e-4f, 0, 1};
  CVector4 out;
  QuaternionSlerp(a, b, 0.25f, &out);
  EXPECT_FLOAT_EQ(out.y, 0.25f * 1e-4f);
  EXPECT_FLOAT_EQ(out.w, 1.0f);
}

TEST(Quaternion, ToMatrixMatchesRotateY) {
  CMatrix fromQ;
  QuaternionToMatrix(&fromQ, {0, 0.70710678f, 0, 0.70710678f});
  EXPECT_EQ(fromQ.TypeFlags, 3u);
  CVector3 out;
  fromQ.TransformPoint({1, 0, 0}, &out);
  // Row 0 = (x^2 - y^2 - z^2 + w^2, 2(xy - wz), 2(xz + wy)) = (0, 0, 1), as RotateY(90) gives.
  ExpectVec(out, 0, 0, 1);
  CMatrix rotated = Identity();
  rotated.RotateY(90);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(fromQ.m[r][c], rotated.m[r][c], kEps);
  EXPECT_NEAR(fromQ.m[3][3], 1.0f, kEps);
}

TEST(Pose, PoseToMatrixScalesRotatesTranslates) {
  Pose pose{};
  pose.translation = {10, 0, 0};
  pose.scale = {2, 2, 2};
  pose.rotation = {0, 0, 0, 1};
  CMatrix m;
  PoseToMatrix(pose, &m);
  EXPECT_EQ(m.TypeFlags, 1u | 2u | 4u | 8u);
  CVector3 out;
  m.TransformPoint({1, 1, 1}, &out);
  ExpectVec(out, 12, 2, 2);
}

TEST(Pose, InterpolateLerpsTranslationAndKeepsFirstScale) {
  Pose a{}, b{};
  a.translation = {0, 0, 0};
  b.translation = {10, 20, 30};
  a.scale = {1, 1, 1};
  b.scale = {5, 5, 5};
  a.rotation = b.rotation = {0, 0, 0, 1};
  CMatrix m;
  Pose out{};
  InterpolatePose(a, b, 0.5f, &m, &out);
  ExpectVec(out.translation, 5, 10, 15);
  ExpectVec(out.scale, 1, 1, 1);
  EXPECT_EQ(m.TypeFlags & MATF_SCALE, 0u);
  InterpolatePose(a, b, 1.0f, &m, nullptr);
  EXPECT_NEAR(m.m[3][2], 30, kEps);
}

TEST(Angles, AnglesToDirectionAndWrap) {
  CVector3 d;
  AnglesToDirection({0, 90, 0}, &d);
  ExpectVec(d, 1, 0, 0);
  AnglesToDirection({90, 0, 0}, &d);
  ExpectVec(d, 0, -1, 0);
  CVector3 a{-30, 720, 359.5f};
  WrapAngles(&a, 360);
  ExpectVec(a, 330, 0, 359.5f);
}

TEST(MatrixStack, PushPopRestoresAndRefusesOverflow) {
  ResetMatrixStack();
  CMatrix m = Identity();
  for (int i = 0; i < kMatrixStackSlots; ++i) {
    m.m[3][0] = static_cast<float>(i);
    EXPECT_TRUE(PushMatrix(m));
  }
  EXPECT_FALSE(PushMatrix(m));
  EXPECT_EQ(GetMatrixStackDepth(), kMatrixStackSlots);
  CMatrix out;
  for (int i = kMatrixStackSlots - 1; i >= 0; --i) {
    ASSERT_TRUE(PopMatrix(&out));
    EXPECT_EQ(out.m[3][0], static_cast<float>(i));
  }
  out.m[3][0] = -1;
  EXPECT_FALSE(PopMatrix(&out));
  EXPECT_EQ(out.m[3][0], -1);
}

TEST(MatrixStack, CurrentWorldPosition) {
  CMatrix m = Identity();
  m.SetTranslationXYZ(4, 5, 6);
  SetCurrentWorldMatrix(&m);
  CVector3 p;
  GetCurrentWorldPosition(&p);
  ExpectVec(p, 4, 5, 6);
  SetCurrentWorldMatrix(nullptr);
  GetCurrentWorldPosition(&p);
  ExpectVec(p, 0, 0, 0);
}

}  // namespace
