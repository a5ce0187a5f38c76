// Cylinder against sphere and plane: analytic placements, then placements
// checked against sampled surfaces.
#include <cmath>

#include "physics/collision/mcd_cylinder_pairs.h"
#include "shape_fixture.h"

namespace {

struct SphereCase {
  const char* label;
  Transform cylinder;  // cylinder R 1, height 2 (h 1)
  Vec3 centre;         // sphere r 0.5
  int touch;
  unsigned dims;
  Vec3 normal;         // world, from the sphere toward the cylinder
  float separation;
};

const float kRt2 = std::sqrt(2.0f);

TEST_F(ShapePairTest, CylinderSphereRegionsMatchTheAnalyticAnswer) {
  const Transform upright = MakeTransform({0, 0, 0});
  const Transform lying = MakeTransform({1, 2, 3}, {1, 0, 0}, 1.5707963f);  // axis -> -y
  const SphereCase cases[] = {
      {"resting on the top cap", upright, {0.3f, 0.2f, 1.4f}, 1, 0x0302, {0, 0, -1}, -0.1f},
      {"under the bottom cap", upright, {0, 0, -1.45f}, 1, 0x0302, {0, 0, 1}, -0.05f},
      {"against the side", upright, {1.3f, 0, 0.2f}, 1, 0x0303, {-1, 0, 0}, -0.2f},
      {"against the side, diagonal", upright, {1.2f / kRt2, 1.2f / kRt2, -0.5f}, 1, 0x0303,
       {-1 / kRt2, -1 / kRt2, 0}, -0.3f},
      {"beyond the rim", upright, {1.3f, 0, 1.3f}, 1, 0x0301, {-1 / kRt2, 0, -1 / kRt2},
       0.3f * kRt2 - 0.5f},
      {"above the cap, out of reach", upright, {0, 0, 1.6f}, 0, 0, {0, 0, 0}, 0},
      {"beside the side, out of reach", upright, {0, 1.6f, 0}, 0, 0, {0, 0, 0}, 0},
      {"beyond the rim, out of reach", upright, {1.4f, 0, 1.4f}, 0, 0, {0, 0, 0}, 0},
      {"lying cylinder, sphere on its side", lying, {1, 2, 4.4f}, 1, 0x0303, {0, 0, -1}, -0.1f},
      {"lying cylinder, sphere at its cap", lying, {1, 0.6f, 3}, 1, 0x0302, {0, 1, 0}, -0.1f},
  };
  for (const SphereCase& c : cases) {
    SCOPED_TRACE(c.label);
    McdModel* cyl = AddCylinder(1.0f, 2.0f, c.cylinder);
    McdModel* sphere = AddSphere(0.5f, MakeTransform(c.centre));
    McdModelPair* pair = Open(sphere, cyl);  // the table puts the cylinder first
    ASSERT_EQ(pair->model1, cyl);
    EXPECT_EQ(Intersect(pair), c.touch);
    if (!c.touch) {
      EXPECT_EQ(result_.contactCount, 0);
      continue;
    }
    ASSERT_EQ(result_.contactCount, 1);
    const McdContact& k = result_.contacts[0];
    EXPECT_EQ(k.dims, c.dims);
    EXPECT_NEAR(k.separation, c.separation, 1e-5f);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(k.normal[i], c.normal[i], 1e-5f);
    // The contact is the sphere's point toward the cylinder.
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(k.position[i], c.centre[i] + 0.5f * c.normal[i], 1e-5f);
    ExpectConsistent(pair, 1);
  }
}

TEST_F(ShapePairTest, CylinderSphereRimOnlyWhenItSeparatesMore) {
  // Centre beyond the rim diagonally but nearly over the cap: the rim
  // distance is larger than the cap separation only beyond the disc.
  McdModel* cyl = AddCylinder(1.0f, 2.0f, MakeTransform({0, 0, 0}));
  McdModel* inside = AddSphere(0.5f, MakeTransform({0.99f, 0, 1.3f}));
  McdModelPair* p1 = Open(cyl, inside);
  ASSERT_EQ(Intersect(p1), 1);
  EXPECT_EQ(result_.contacts[0].dims, 0x0302);  // over the disc: the cap
  McdModel* outside = AddSphere(0.5f, MakeTransform({1.01f, 0, 1.3f}));
  McdModelPair* p2 = Open(cyl, outside);
  ASSERT_EQ(Intersect(p2), 1);
  EXPECT_EQ(result_.contacts[0].dims, 0x0301);
  // Deep inside the cylinder the region stays as found.
  McdModel* deep = AddSphere(0.5f, MakeTransform({0.2f, 0, 0.9f}));
  McdModelPair* p3 = Open(cyl, deep);
  ASSERT_EQ(Intersect(p3), 1);
  EXPECT_EQ(result_.contacts[0].dims, 0x0302);
  EXPECT_NEAR(result_.contacts[0].separation, 0.9f - 0.5f - 1.0f, 1e-5f);
}

TEST_F(ShapePairTest, CylinderSphereMarginAndCapacity) {
  McdModel* cyl = AddCylinder(1.0f, 2.0f, MakeTransform({0, 0, 0}), 0.0625f);
  McdModel* sphere = AddSphere(0.5f, MakeTransform({0, 0, 1.625f}), 0.0625f);
  McdModelPair* pair = Open(cyl, sphere);
  EXPECT_EQ(Intersect(pair), 1) << "a separation of exactly the margin touches";
  EXPECT_NEAR(result_.contacts[0].separation, 0.125f, 1e-6f);
  TransformOf(sphere)[14] = 1.626f;
  EXPECT_EQ(Intersect(pair), 0);
  TransformOf(sphere)[14] = 1.625f;
  EXPECT_EQ(Intersect(pair, 0), 1);
  EXPECT_EQ(result_.contactCount, 0) << "no room: touch without contacts";
}

TEST_F(ShapePairTest, CylinderSphereAgreesWithSampledSurfaces) {
  const Transform poses[] = {MakeTransform({0.1f, -0.2f, 0.3f}, {1, 1, 0}, 0.7f),
                             MakeTransform({0, 0, 0}, {0, 1, 1}, 2.1f)};
  const Vec3 centres[] = {{1.2f, 0.1f, 0.9f}, {-0.4f, 1.1f, -1.2f}, {0.3f, 0.3f, 1.55f},
                          {1.0f, -1.0f, 0.0f}, {0.0f, 0.2f, 0.1f}, {2.0f, 2.0f, 0.5f}};
  for (const Transform& pose : poses)
    for (const Vec3& centre : centres) {
      McdModel* cyl = AddCylinder(0.8f, 1.6f, pose);
      McdModel* sphere = AddSphere(0.45f, MakeTransform(centre));
      McdModelPair* pair = Open(cyl, sphere);
      Intersect(pair);
      SCOPED_TRACE(testing::Message() << centre[0] << " " << centre[1] << " " << centre[2]);
      const float d = ExpectConsistent(pair, 1);
      if (result_.touch && d > -0.4f) {
        EXPECT_NEAR(result_.contacts[0].separation, d, 0.01f);
      }
    }
}

TEST_F(ShapePairTest, CylinderPlaneUprightTakesFourPointsOnTheLowerCap) {
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
  McdModel* cyl = AddCylinder(1.0f, 2.0f, MakeTransform({0, 0, 0.95f}));
  McdModelPair* pair = Open(plane, cyl);
  ASSERT_EQ(pair->model1, cyl);
  ASSERT_EQ(Intersect(pair), 1);
  EXPECT_EQ(result_.contactCount, 4);
  for (int i = 0; i < result_.contactCount; ++i) {
    const McdContact& c = result_.contacts[i];
    EXPECT_EQ(c.dims, 0x0202);
    EXPECT_NEAR(c.separation, -0.05f, 1e-5f);
    EXPECT_NEAR(c.position[2], -0.05f, 1e-5f);
    EXPECT_NEAR(std::hypot(c.position[0], c.position[1]), 1.0f, 1e-5f) << "on the rim";
    EXPECT_NEAR(c.normal[2], 1.0f, 1e-6f);
  }
}

TEST_F(ShapePairTest, CylinderPlaneTable) {
  struct Case {
    const char* label;
    Transform cylinder;  // R 0.5, height 2
    int touch;
    int count;
    float separation;
  } cases[] = {
      {"lying on its side", MakeTransform({0, 0, 0.49f}, {1, 0, 0}, 1.5707963f), 1, 2, -0.01f},
      {"tilted on its rim, sunk across the cap", MakeTransform({0, 0, 0.8f}, {1, 0, 0}, 0.5f), 1, 3,
       0.8f - std::cos(0.5f) - 0.5f * std::sin(0.5f)},
      {"tilted, just touching its rim", MakeTransform({0, 0, 1.1f}, {1, 0, 0}, 0.5f), 1, 1,
       1.1f - std::cos(0.5f) - 0.5f * std::sin(0.5f)},
      {"hovering above", MakeTransform({0, 0, 1.2f}), 0, 0, 0},
      {"upside down, sunk", MakeTransform({3, 1, 0.9f}, {0, 1, 0}, 3.1415927f), 1, 4, -0.1f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    McdModel* plane = AddPlane(MakeTransform({0, 0, 0}));
    McdModel* cyl = AddCylinder(0.5f, 2.0f, c.cylinder);
    McdModelPair* pair = Open(cyl, plane);
    EXPECT_EQ(Intersect(pair), c.touch);
    if (!c.touch) continue;
    EXPECT_EQ(result_.contactCount, c.count);
    float deepest = 1e9f;
    for (int i = 0; i < result_.contactCount; ++i) {
      deepest = std::min(deepest, result_.contacts[i].separation);
      EXPECT_NEAR(result_.contacts[i].separation, result_.contacts[i].position[2], 1e-5f);
    }
    EXPECT_NEAR(deepest, c.separation, 1e-5f);
  }
}

TEST_F(ShapePairTest, CylinderPlaneWithinTheMarginKeepsContacts) {
  McdModel* plane = AddPlane(MakeTransform({0, 0, 0}), 0.02f);
  McdModel* cyl = AddCylinder(1.0f, 2.0f, MakeTransform({0, 0, 1.01f}), 0.02f);
  McdModelPair* pair = Open(cyl, plane);
  ASSERT_EQ(Intersect(pair), 1);
  EXPECT_EQ(result_.contactCount, 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(result_.contacts[i].separation, 0.01f, 1e-5f);
}

TEST_F(ShapePairTest, CylinderSafeTimesSweepTheSubstituteBoxes) {
  McdModel* cyl = AddCylinder(1.0f, 2.0f, MakeTransform({0, 0, 0}));
  McdModel* sphere = AddSphere(1.0f, MakeTransform({5, 0, 0}));
  McdModel* cyl2 = AddCylinder(1.0f, 2.0f, MakeTransform({0, 5, 0}));
  McdModel* box = AddBox({1, 1, 1}, MakeTransform({0, 0, 5}));
  MeReal still[3] = {0, 0, 0}, left[3] = {-1, 0, 0}, down[3] = {0, -1, 0}, sink[3] = {0, 0, -1};
  McdModelSetLinearVelocityPtr(cyl, still);
  McdModelSetAngularVelocityPtr(cyl, still);
  McdModelSetLinearVelocityPtr(sphere, left);
  McdModelSetAngularVelocityPtr(sphere, still);
  McdModelSetLinearVelocityPtr(cyl2, down);
  McdModelSetAngularVelocityPtr(cyl2, still);
  McdModelSetLinearVelocityPtr(box, sink);
  McdModelSetAngularVelocityPtr(box, still);
  const float k = 2.0f / (std::sqrt(2.0f) + 1.0f);
  struct Case {
    McdModel* other;
    float expected;
  } cases[] = {{sphere, 5 - 2 * k}, {cyl2, 5 - 2 * k}, {box, 5 - 1 - 1}};
  for (const Case& c : cases) {
    McdModelPair* pair = Open(cyl, c.other);
    McdSafeTimeResult st{};
    EXPECT_EQ(McdSafeTime(pair, 10.0f, &st), 1);
    EXPECT_NEAR(st.time, c.expected, 1e-4f);
    McdSafeTimeResult shortSpan{};
    McdSafeTime(pair, 1.0f, &shortSpan);
    EXPECT_FLOAT_EQ(shortSpan.time, 1.0f) << "no meeting within the span";
  }
}

}  // namespace
