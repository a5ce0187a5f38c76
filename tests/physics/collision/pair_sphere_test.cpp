// Sphere-sphere and sphere-plane pair tests on tables of placed shapes.
#include <gtest/gtest.h>

#include <cmath>

#include "pair_fixture.h"

namespace {

class SpherePairs : public PairFixture {};

TEST_F(SpherePairs, SphereSphereTable) {
  struct Case {
    float r1, r2;
    Vec3 p1, p2;
    float pad1, pad2;
    int touch;
    float separation;
    Vec3 normal;
  };
  const Case cases[] = {
      {1, 1, {0, 0, 0}, {3, 0, 0}, 0, 0, 0, 0, {0, 0, 0}},               // apart
      {1, 1, {0, 0, 0}, {1.5f, 0, 0}, 0, 0, 1, -0.5f, {-1, 0, 0}},       // overlap
      {1, 2, {0, 4, 0}, {0, 0, 0}, 0, 0, 0, 0, {0, 0, 0}},               // gap 1 ...
      {1, 2, {0, 4, 0}, {0, 0, 0}, 0.5f, 0.25f, 0, 0, {0, 0, 0}},        // ... margin 0.75
      {1, 2, {0, 4, 0}, {0, 0, 0}, 0.5f, 0.5f, 1, 1.0f, {0, 1, 0}},      // ... margin 1
      {1, 1, {0, 0, 2.5f}, {0, 0, 0}, 0.25f, 0.25f, 1, 0.5f, {0, 0, 1}}, // gap == margin
      {0.5f, 2, {3, 4, 0}, {0, 0, 0}, 0, 0, 0, 0, {0, 0, 0}},            // 5 apart, gap 2.5
      {0.5f, 2, {1.2f, 1.6f, 0}, {0, 0, 0}, 0, 0, 1, -0.5f, {0.6f, 0.8f, 0}},
      {1, 3, {2, 2, 2}, {2, 2, 2}, 0, 0, 1, -4.0f, {0, 0, 1}},           // same centre
  };
  for (const Case& c : cases) {
    McdModel* a = AddSphere(c.r1, MakeTransform(c.p1), c.pad1);
    McdModel* b = AddSphere(c.r2, MakeTransform(c.p2), c.pad2);
    McdModelPair* pair = Open(a, b);
    ASSERT_EQ(Intersect(pair), c.touch) << c.p1[0] << "," << c.p1[1] << "," << c.p1[2];
    if (!c.touch) {
      EXPECT_EQ(result_.contactCount, 0);
      continue;
    }
    ASSERT_EQ(result_.contactCount, 1);
    const McdContact& k = contacts_[0];
    EXPECT_NEAR(k.separation, c.separation, 1e-5f);
    EXPECT_EQ(k.dims, 0x0303);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(k.normal[i], c.normal[i], 1e-5f);
      EXPECT_NEAR(result_.normal[i], c.normal[i], 1e-5f);
    }
    // The point divides the centres in the ratio of the radii: it lies the
    // same fraction of each radius inside (or outside) each sphere.
    float d1[3], d2[3];
    for (int i = 0; i < 3; ++i) {
      d1[i] = k.position[i] - c.p1[i];
      d2[i] = k.position[i] - c.p2[i];
    }
    if (c.p1 != c.p2) {
      EXPECT_NEAR(Length(d1) / c.r1, Length(d2) / c.r2, 1e-5f);
    }
  }
}

TEST_F(SpherePairs, SingleContactTestsReportTouchWithoutRoom) {
  McdModel* a = AddSphere(1, MakeTransform({0, 0, 0}));
  McdModel* b = AddSphere(1, MakeTransform({1, 0, 0}));
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
  for (McdModelPair* pair : {Open(a, b), Open(a, plane)}) {
    EXPECT_EQ(Intersect(pair, 0), 1);
    EXPECT_EQ(result_.contactCount, 0);
  }
}

TEST_F(SpherePairs, SingleContactTestsIgnoreTheRequest) {
  McdModel* a = AddSphere(1, MakeTransform({0, 0, 0}));
  McdModel* b = AddSphere(1, MakeTransform({1, 0, 0}));
  McdModelPair* pair = Open(a, b);
  McdIntersectRequest none = {0, 0};
  pair->request = &none;
  EXPECT_EQ(Intersect(pair), 1);
  EXPECT_EQ(result_.contactCount, 1);
}

TEST_F(SpherePairs, SpherePlaneTable) {
  const float s = std::sqrt(0.5f);
  struct Case {
    std::array<float, 16> plane;
    bool noTransform;
    Vec3 centre;
    float radius;
    int touch;
    float separation;
    Vec3 normal;
  };
  const Case cases[] = {
      {MakeTransform({0, 0, 0}), false, {3, 4, 0.5f}, 1, 1, -0.5f, {0, 0, 1}},
      {MakeTransform({0, 0, 0}), false, {3, 4, 1.5f}, 1, 0, 0, {0, 0, 0}},
      {MakeTransform({0, 0, 0}), true, {0, 0, 0.25f}, 1, 1, -0.75f, {0, 0, 1}},  // world z = 0
      {MakeTransform({0, 0, 2}), false, {0, 0, 2.25f}, 1, 1, -0.75f, {0, 0, 1}},
      // Turned 45 degrees about x: normal (0, -s, s).
      {MakeTransform({0, 0, 0}, {1, 0, 0}, 0.785398f), false, {0, -1, 1}, 1.5f, 1, 2 * s - 1.5f, {0, -s, s}},
      // Turned upside down: normal -z; a centre below it is on its free side.
      {MakeTransform({0, 0, 0}, {1, 0, 0}, 3.141593f), false, {0, 0, -0.5f}, 1, 1, -0.5f, {0, 0, -1}},
      // Deep below the plane: separation keeps growing negative.
      {MakeTransform({0, 0, 0}), false, {0, 0, -5}, 1, 1, -6.0f, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    McdModel* sphere = AddSphere(c.radius, MakeTransform(c.centre));
    McdModel* plane = AddPlane(c.plane, 0.0f, c.noTransform);
    ASSERT_EQ(Intersect(Open(sphere, plane)), c.touch) << c.centre[2];
    if (!c.touch) continue;
    ASSERT_EQ(result_.contactCount, 1);
    const McdContact& k = contacts_[0];
    EXPECT_EQ(k.dims, 0x0203);
    EXPECT_NEAR(k.separation, c.separation, 1e-5f);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(k.normal[i], c.normal[i], 1e-5f);
      // The sphere's point deepest along -n.
      EXPECT_NEAR(k.position[i], c.centre[i] - c.radius * c.normal[i], 1e-5f);
    }
  }
}

TEST_F(SpherePairs, PlaneFirstPairIsSwappedAndNormalStillLeavesThePlane) {
  McdModel* sphere = AddSphere(1, MakeTransform({0, 0, 0.5f}));
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
  McdModelPair* pair = Open(plane, sphere);
  EXPECT_EQ(pair->model1, sphere);
  EXPECT_EQ(pair->model2, plane);
  ASSERT_EQ(Intersect(pair), 1);
  EXPECT_FLOAT_EQ(contacts_[0].normal[2], 1.0f);
}

}  // namespace
