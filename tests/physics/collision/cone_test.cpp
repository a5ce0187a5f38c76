// Cone pair tests and the convex distance iteration.
#include <cmath>
#include <random>

#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cone_pairs.h"
#include "physics/util/me_math.h"
#include "shape_fixture.h"

namespace {

const float kPi = 3.14159265f;

TEST_F(ShapePairTest, ConeOnItsBaseGivesThreeContactsAroundTheRim) {
  // Height 2 (apex 1.5 above the centre, base 0.5 below), radius 1.
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
  McdModel* cone = AddCone(2.0f, 1.0f, MakeTransform({0.5f, -0.5f, 0.49f}, {0, 0, 1}, 0.3f));
  McdModelPair* pair = Open(plane, cone);
  ASSERT_EQ(pair->model1, cone);
  ASSERT_EQ(Intersect(pair), 1);
  ASSERT_EQ(result_.contactCount, 3);
  for (int i = 0; i < 3; ++i) {
    const McdContact& c = result_.contacts[i];
    EXPECT_EQ(c.dims, 0x0202);
    EXPECT_NEAR(c.separation, -0.01f, 1e-5f);
    EXPECT_NEAR(c.position[2], -0.01f, 1e-5f);
    EXPECT_NEAR(std::hypot(c.position[0] - 0.5f, c.position[1] + 0.5f), 1.0f, 1e-5f);
    // 120 degrees from the next one.
    const McdContact& d = result_.contacts[(i + 1) % 3];
    const float ax = c.position[0] - 0.5f, ay = c.position[1] + 0.5f;
    const float bx = d.position[0] - 0.5f, by = d.position[1] + 0.5f;
    EXPECT_NEAR(ax * bx + ay * by, -0.5f, 1e-5f);
  }
  // A result with room for two gets two.
  EXPECT_EQ(Intersect(pair, 2), 1);
  EXPECT_EQ(result_.contactCount, 2);
  EXPECT_EQ(Intersect(pair, 0), 1);
  EXPECT_EQ(result_.contactCount, 0);
}

TEST_F(ShapePairTest, ConeOnItsSideGivesTheRimPointAndTheApex) {
  const float R = 1.0f, A = 1.5f, B = 0.5f;
  const float slant = std::sqrt(R * R + (A + B) * (A + B));
  const float theta = std::atan2(R, A + B) + 0.5f * kPi;
  // Lowest point (the rim point (R, 0, -B)) ends 0.01 below the plane.
  const float rimZ = -R * std::sin(theta) - B * std::cos(theta);
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
  McdModel* cone = AddCone(2.0f, 1.0f, MakeTransform({0, 0, -0.01f - rimZ}, {0, 1, 0}, theta));
  McdModelPair* pair = Open(cone, plane);
  ASSERT_EQ(Intersect(pair), 1);
  ASSERT_EQ(result_.contactCount, 2);
  EXPECT_EQ(result_.contacts[0].dims, 0x0201);
  EXPECT_EQ(result_.contacts[1].dims, 0x0200);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(result_.contacts[i].position[2], -0.01f, 1e-4f);
    EXPECT_NEAR(result_.contacts[i].separation, -0.01f, 1e-5f);
  }
  float d[3];
  MeVector3Subtract(d, result_.contacts[0].position, result_.contacts[1].position);
  EXPECT_NEAR(Length(d), slant, 1e-4f) << "the whole side line";
  // Tilted a little further it rests on the rim point alone.
  TransformOf(cone) = MakeTransform({0, 0, -0.01f - rimZ}, {0, 1, 0}, theta - 0.2f);
  ASSERT_EQ(Intersect(pair), 1);
  EXPECT_EQ(result_.contactCount, 1);
  // Lifted clear it does not touch.
  TransformOf(cone)[14] += 2.0f;
  EXPECT_EQ(Intersect(pair), 0);
}

TEST_F(ShapePairTest, ConeSphereMatchesTheExactDistance) {
  struct Case {
    const char* label;
    Vec3 centre;
    unsigned dims;
  } cases[] = {
      {"over the apex", {0, 0, 1.8f}, 0x0300},
      {"beside the side", {0.9f, 0.3f, 0.4f}, 0x0303},
      {"under the base", {0.2f, -0.1f, -0.8f}, 0x0302},
      {"beyond the rim", {1.2f, 0, -0.7f}, 0x0301},
      {"centre inside, nearer the base", {0.1f, 0, -0.4f}, 0x0302},
      {"centre inside, nearer the side", {0.5f, 0, 0.1f}, 0x0303},
      {"far away", {3, 3, 3}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    McdModel* cone = AddCone(2.0f, 1.0f, MakeTransform({0, 0, 0}));
    McdModel* sphere = AddSphere(0.35f, MakeTransform(c.centre));
    McdModelPair* pair = Open(sphere, cone);
    ASSERT_EQ(pair->model1, cone);
    const int touch = Intersect(pair);
    const float exact = SignedDistance(Ref(cone), c.centre.data()) - 0.35f;
    EXPECT_EQ(touch, exact <= 0.0f ? 1 : 0);
    if (!touch) continue;
    ASSERT_EQ(result_.contactCount, 1);
    EXPECT_EQ(result_.contacts[0].dims, c.dims);
    EXPECT_NEAR(result_.contacts[0].separation, exact, 1e-4f);
    ExpectConsistent(pair, 1);
  }
  // No room in the result: touching, nothing written.
  McdModel* cone = AddCone(2.0f, 1.0f, MakeTransform({0, 0, 0}));
  McdModel* sphere = AddSphere(0.35f, MakeTransform({0, 0, 1.7f}));
  McdModelPair* pair = Open(cone, sphere);
  EXPECT_EQ(Intersect(pair, 0), 1);
  EXPECT_EQ(result_.contactCount, 0);
  // Turned cones, checked against the sampled surfaces.
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  for (int trial = 0; trial < 20; ++trial) {
    McdModel* cone = AddCone(1.6f, 0.7f, MakeTransform({0, 0, 0}, {u(rng), u(rng), 1}, 3 * u(rng)));
    const Vec3 centre = {1.2f * u(rng), 1.2f * u(rng), 1.2f * u(rng)};
    McdModel* sphere = AddSphere(0.4f, MakeTransform(centre));
    McdModelPair* pair = Open(cone, sphere);
    Intersect(pair);
    SCOPED_TRACE(trial);
    const float exact = SignedDistance(Ref(cone), centre.data()) - 0.4f;
    EXPECT_EQ(result_.touch, exact <= 0.0f ? 1 : 0);
    // Deep overlaps put the sphere's point across a thin part of the cone.
    if (exact > -0.2f) ExpectConsistent(pair, 1);
    if (result_.touch) {
      EXPECT_NEAR(result_.contacts[0].separation, SignedDistance(Ref(cone), centre.data()) - 0.4f, 1e-4f);
    }
  }
}

TEST_F(ShapePairTest, ConeConvexPairsReportTouchOnly) {
  McdModel* cone = AddCone(2.0f, 1.0f, MakeTransform({0, 0, 0}));
  McdModel* twin = AddCone(2.0f, 1.0f, MakeTransform({0, 0, 0}));
  McdModel* box = AddBox({0.5f, 0.5f, 0.5f}, MakeTransform({0, 0, -0.9f}));
  McdModel* farBox = AddBox({0.5f, 0.5f, 0.5f}, MakeTransform({3, 0, 0}));
  McdModel* cyl = AddCylinder(0.5f, 1.0f, MakeTransform({1.4f, 0, -0.2f}));
  struct Case {
    McdModel* other;
    int touch;
  } cases[] = {{twin, 1}, {box, 1}, {farBox, 0}, {cyl, 1}};
  for (const Case& c : cases) {
    McdModelPair* pair = Open(c.other, cone);
    if (c.other != twin) {
      EXPECT_EQ(pair->model1, cone);
    }
    EXPECT_EQ(Intersect(pair), c.touch);
    EXPECT_EQ(result_.contactCount, 0);
  }
}

TEST_F(ShapePairTest, ConvexDistanceAgreesWithSampledSurfaces) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  int apart = 0;
  for (int trial = 0; trial < 30; ++trial) {
    McdModel* cone = AddCone(1.5f, 0.6f, MakeTransform({0, 0, 0}, {u(rng), u(rng), 1}, 3 * u(rng)));
    McdModel* other = trial % 2 ? AddBox({0.4f, 0.3f, 0.5f}, MakeTransform({2 * u(rng), 2 * u(rng), 2 * u(rng)}, {1, u(rng), u(rng)}, 3 * u(rng)))
                                : AddCylinder(0.4f, 1.0f, MakeTransform({2 * u(rng), 2 * u(rng), 2 * u(rng)}, {1, u(rng), u(rng)}, 3 * u(rng)));
    MeReal p1[3], p2[3], d2 = -1;
    const int touching = McdConvexDistance(cone, other, p1, p2, &d2);
    const float sampled = SampledDistance(Ref(cone), Ref(other));
    SCOPED_TRACE(trial);
    if (sampled > 0.03f) {
      EXPECT_EQ(touching, 0);
      EXPECT_NEAR(std::sqrt(d2), sampled, 0.02f);
      // The closest points lie on their shapes, that far apart.
      EXPECT_NEAR(SignedDistance(Ref(cone), p1), 0.0f, 0.01f);
      EXPECT_NEAR(SignedDistance(Ref(other), p2), 0.0f, 0.01f);
      float d[3];
      MeVector3Subtract(d, p1, p2);
      EXPECT_NEAR(Length(d), std::sqrt(d2), 0.01f);
      MeReal last1[3], last2[3];
      McdConvexDistanceGetLastPoints(last1, last2);
      for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(last1[i], p1[i]);
      ++apart;
      // Without a distance asked for, the verdict alone.
      EXPECT_EQ(McdConvexDistance(cone, other, nullptr, nullptr, nullptr), 0);
    } else if (sampled < -0.03f) {
      EXPECT_EQ(touching, 1);
      EXPECT_EQ(McdConvexDistance(cone, other, nullptr, nullptr, nullptr), 1);
    }
  }
  EXPECT_GT(apart, 5);
}

}  // namespace
