// Box-sphere pair test on a table of placed shapes.
#include <gtest/gtest.h>

#include <cmath>

#include "pair_fixture.h"
#include "physics/collision/mcd_box.h"

namespace {

class BoxSpherePair : public PairFixture {};

TEST_F(BoxSpherePair, PlacementTable) {
  const float s = std::sqrt(0.5f), t = 1 / std::sqrt(3.0f);
  struct Case {
    const char* name;
    Vec3 sides;
    std::array<float, 16> box;
    Vec3 centre;
    float radius, padding;
    int touch;
    MeU16 dims;
    float separation;
    Vec3 normal;  // world, from the sphere toward the box
  };
  const Case cases[] = {
      {"face", {2, 4, 6}, MakeTransform({0, 0, 0}), {0, 0, 3.25f}, 0.5f, 0, 1, 0x0302, -0.25f, {0, 0, -1}},
      {"edge", {2, 4, 6}, MakeTransform({0, 0, 0}), {1.2f, 2.2f, 0}, 0.5f, 0, 1, 0x0301,
       0.2f * std::sqrt(2.0f) - 0.5f, {-s, -s, 0}},
      {"vertex", {2, 4, 6}, MakeTransform({0, 0, 0}), {1.1f, 2.1f, 3.1f}, 0.5f, 0, 1, 0x0300,
       0.1f * std::sqrt(3.0f) - 0.5f, {-t, -t, -t}},
      {"out of reach", {2, 4, 6}, MakeTransform({0, 0, 0}), {0, 0, 3.6f}, 0.5f, 0, 0, 0, 0, {0, 0, 0}},
      {"reach by padding", {2, 4, 6}, MakeTransform({0, 0, 0}), {0, 0, 3.6f}, 0.5f, 0.05f, 1, 0x0302,
       0.1f, {0, 0, -1}},
      {"centre inside", {2, 4, 6}, MakeTransform({0, 0, 0}), {0.9f, 0, 0}, 0.5f, 0, 1, 0x0302, -0.6f, {-1, 0, 0}},
      {"centre inside, -x side", {2, 4, 6}, MakeTransform({0, 0, 0}), {-0.7f, 0, 0}, 0.5f, 0, 1, 0x0302,
       -0.8f, {1, 0, 0}},
      {"centre at the middle: axis 0, -1 side", {2, 2, 2}, MakeTransform({0, 0, 0}), {0, 0, 0}, 0.5f, 0, 1,
       0x0302, -1.5f, {-1, 0, 0}},
      {"tie between x and y", {2, 2, 2}, MakeTransform({0, 0, 0}), {0.5f, 0.5f, 0}, 0.5f, 0, 1, 0x0302,
       -1.0f, {-1, 0, 0}},
      {"turned box", {2, 4, 6}, MakeTransform({5, 0, 0}, {0, 0, 1}, 1.570796f), {5, 1.25f, 0}, 0.5f, 0, 1,
       0x0302, -0.25f, {0, -1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    McdModel* box = AddBox(c.sides, c.box, c.padding);
    McdModel* sphere = AddSphere(c.radius, MakeTransform(c.centre), c.padding);
    McdModelPair* pair = Open(sphere, box);  // registered as (box, sphere)
    ASSERT_EQ(pair->model1, box);
    ASSERT_EQ(Intersect(pair), c.touch);
    if (!c.touch) {
      EXPECT_EQ(result_.contactCount, 0);
      continue;
    }
    ASSERT_EQ(result_.contactCount, 1);
    const McdContact& k = contacts_[0];
    EXPECT_EQ(k.dims, c.dims);
    EXPECT_NEAR(k.separation, c.separation, 1e-5f);
    float back[3], fromCentre[3];
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(k.normal[i], c.normal[i], 1e-5f);
      EXPECT_NEAR(result_.normal[i], c.normal[i], 1e-5f);
      back[i] = k.position[i] + k.separation * k.normal[i];
      fromCentre[i] = k.position[i] - c.centre[i];
    }
    // The point is on the sphere; moved by the separation along the normal it
    // reaches the box's surface.
    EXPECT_NEAR(Length(fromCentre), c.radius, 1e-5f);
    const float* h = McdBoxGetRadii(box->geometry);
    EXPECT_NEAR(DistanceToBox(back, c.box.data(), h), 0.0f, 1e-5f);
    EXPECT_NEAR(DepthInBox(back, c.box.data(), h), 0.0f, 1e-5f);
  }
}

}  // namespace
