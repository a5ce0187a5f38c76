// Box-box pair test and its separating-axis helper on a table of placements.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "pair_fixture.h"
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"

namespace {

class BoxBoxPair : public PairFixture {};

TEST_F(BoxBoxPair, PlacementTable) {
  const float r2 = std::sqrt(2.0f), r3 = std::sqrt(3.0f);
  struct Case {
    const char* name;
    Vec3 sides1;
    std::array<float, 16> t1;
    Vec3 sides2;
    std::array<float, 16> t2;
    int touch;
    int minCount, maxCount;
    MeU16 dims;
    float separation;
    Vec3 normal;
  };
  const Case cases[] = {
      {"small on big", {1, 1, 1}, MakeTransform({0.3f, -0.2f, 2.45f}), {4, 4, 4}, MakeTransform({0, 0, 0}),
       1, 4, 4, 0x0202, -0.05f, {0, 0, 1}},
      {"big under small", {4, 4, 4}, MakeTransform({0, 0, 0}), {1, 1, 1}, MakeTransform({0.3f, -0.2f, 2.45f}),
       1, 4, 4, 0x0202, -0.05f, {0, 0, -1}},
      {"equal boxes stacked", {2, 2, 2}, MakeTransform({0, 0, 1.9f}), {2, 2, 2}, MakeTransform({0, 0, 0}),
       1, 4, 4, 0x0202, -0.1f, {0, 0, 1}},
      {"faces exactly touching", {1, 1, 1}, MakeTransform({0, 0, 2.5f}), {4, 4, 4}, MakeTransform({0, 0, 0}),
       1, 4, 4, 0x0202, 0.0f, {0, 0, 1}},
      {"apart", {1, 1, 1}, MakeTransform({0, 0, 2.52f}), {4, 4, 4}, MakeTransform({0, 0, 0}), 0, 0, 0, 0, 0,
       {0, 0, 0}},
      {"resting within the margin", {1, 1, 1}, MakeTransform({0.3f, -0.2f, 2.503f}), {4, 4, 4},
       MakeTransform({0, 0, 0}), 1, 4, 4, 0x0202, 0.003f, {0, 0, 1}},
      {"big under small within the margin", {4, 4, 4}, MakeTransform({0, 0, 0}), {1, 1, 1},
       MakeTransform({0.3f, -0.2f, 2.503f}), 1, 4, 4, 0x0202, 0.003f, {0, 0, -1}},
      {"turned box within the margin", {2, 2, 2}, MakeTransform({0, 0, 2.004f}, {0, 0, 1}, 0.6f), {2, 2, 2},
       MakeTransform({0, 0, 0}), 1, 4, 4, 0x0202, 0.004f, {0, 0, 1}},
      {"vertex into a face", {4, 4, 2}, MakeTransform({0, 0, -1}), {2, 2, 2},
       MakeTransform2({0, 0, r3 - 0.05f}, {1, 0, 0}, 0.785398f, {0, 1, 0}, 0.615480f), 1, 3, 3, 0x0002, -0.05f,
       {0, 0, -1}},
      {"edge across edge", {2, 2, 2}, MakeTransform({0, 0, 2 * r2 - 0.02f}, {1, 0, 0}, 0.785398f), {2, 2, 2},
       MakeTransform({0, 0, 0}, {0, 1, 0}, 0.785398f), 1, 1, 4, 0x0101, -0.02f, {0, 0, 1}},
      {"turned box on a face", {2, 2, 2}, MakeTransform({0, 0, 1.95f}, {0, 0, 1}, 0.6f), {2, 2, 2},
       MakeTransform({0, 0, 0}), 1, 4, 4, 0x0202, -0.05f, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    McdModel* b1 = AddBox(c.sides1, c.t1, 0.005f);
    McdModel* b2 = AddBox(c.sides2, c.t2, 0.005f);
    McdModelPair* pair = Open(b1, b2);
    pair->request = nullptr;  // the test's own {4, 0}
    ASSERT_EQ(Intersect(pair), c.touch);
    if (!c.touch) {
      EXPECT_EQ(result_.contactCount, 0);
      continue;
    }
    EXPECT_GE(result_.contactCount, c.minCount);
    EXPECT_LE(result_.contactCount, c.maxCount);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(result_.normal[j], c.normal[j], 1e-5f);
    const float* h1 = McdBoxGetRadii(b1->geometry);
    const float* h2 = McdBoxGetRadii(b2->geometry);
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& k = contacts_[i];
      EXPECT_EQ(k.dims, c.dims);
      EXPECT_NEAR(k.separation, c.separation, 1e-4f);
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(k.normal[j], c.normal[j], 1e-5f);
      // The points belong to both boxes, up to the penetration depth.
      const float tol = std::fabs(c.separation) + 1e-4f;
      const float gap = c.separation > 0 ? c.separation : 0.0f;
      EXPECT_LE(DistanceToBox(k.position, c.t1.data(), h1), gap + 1e-4f);
      EXPECT_LE(DistanceToBox(k.position, c.t2.data(), h2), gap + 1e-4f);
      EXPECT_LE(DepthInBox(k.position, c.t1.data(), h1), tol);
      EXPECT_LE(DepthInBox(k.position, c.t2.data(), h2), tol);
    }
  }
}

TEST_F(BoxBoxPair, ParallelEdgesNeverGiveAnEdgeAxis) {
  // Aligned cubes overlapping at a vertical edge: every e_i x e_i axis has
  // length 0 and must not be chosen; a face axis is.
  const float a[3] = {1, 1, 1};
  for (float d : {1.95f, 1.99f, 1.999f}) {
    auto rel = MakeTransform({d, d, 0.3f});
    McdBoxBoxAxis axis{};
    ASSERT_EQ(McdBoxBoxSeparatingAxis(a, a, rel.data(), 0.0f, &axis), 1);
    EXPECT_NE(axis.dims, 0x0101) << d;
    EXPECT_NEAR(axis.separation, d - 2, 1e-5f);
  }
}

TEST_F(BoxBoxPair, SeparatingAxisAgreesWithSampledDistance) {
  // For separated boxes the reported separation can only underestimate the
  // true gap (the best separating axis), and is positive.
  const float a[3] = {1, 0.5f, 0.25f}, b[3] = {0.5f, 0.75f, 1};
  for (int k = 0; k < 20; ++k) {
    auto rel = MakeTransform2({2.5f + 0.05f * k, 0.3f * k - 3, 0.1f * k}, {1, 2, 3}, 0.3f * k, {0, 1, 0},
                              0.2f * k);
    McdBoxBoxAxis axis{};
    if (!McdBoxBoxSeparatingAxis(a, b, rel.data(), 100.0f, &axis)) continue;
    // Sample box 2's surface: no point of it is nearer box 1 than the separation.
    auto id = MakeTransform({0, 0, 0});
    float nearest = 1e30f;
    for (int i = 0; i <= 10; ++i)
      for (int j = 0; j <= 10; ++j)
        for (int f = 0; f < 6; ++f) {
          float l[3];
          l[f % 3] = (f < 3 ? -1 : 1) * b[f % 3];
          l[(f + 1) % 3] = (-1 + 0.2f * i) * b[(f + 1) % 3];
          l[(f + 2) % 3] = (-1 + 0.2f * j) * b[(f + 2) % 3];
          float w[3];
          for (int q = 0; q < 3; ++q)
            w[q] = rel[12 + q] + l[0] * rel[q] + l[1] * rel[4 + q] + l[2] * rel[8 + q];
          nearest = std::fmin(nearest, DistanceToBox(w, id.data(), a));
        }
    if (nearest > 0.0f) {
      EXPECT_LE(axis.separation, nearest + 1e-4f) << k;
    }
    // The normal points from box 2 toward box 1.
    EXPECT_LE(Dot(axis.normal, rel.data() + 12), 0.0f) << k;
    EXPECT_NEAR(Length(axis.normal), 1.0f, 1e-5f);
  }
}

}  // namespace

namespace {

class BoxBoxRandom : public PairFixture {};

// Random overlapping poses: every contact lies on both boxes (within the
// penetration depth), carries the unit result normal, and the budget holds.
TEST_F(BoxBoxRandom, ContactsLieOnBothBoxes) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-1, 1);
  int touching = 0;
  for (int trial = 0; trial < 300; ++trial) {
    Vec3 s1 = {1 + std::fabs(u(rng)), 1 + std::fabs(u(rng)), 0.5f + std::fabs(u(rng))};
    Vec3 s2 = {1 + std::fabs(u(rng)), 0.5f + std::fabs(u(rng)), 1 + std::fabs(u(rng))};
    auto t1 = MakeTransform({u(rng), u(rng), u(rng)}, {u(rng), u(rng), u(rng) + 2}, 3 * u(rng));
    auto t2 = MakeTransform({u(rng) * 2, u(rng) * 2, u(rng) * 2}, {u(rng) + 2, u(rng), u(rng)}, 3 * u(rng));
    McdModel* b1 = AddBox(s1, t1);
    McdModel* b2 = AddBox(s2, t2);
    McdModelPair* pair = Open(b1, b2);
    if (!Intersect(pair)) continue;
    ++touching;
    ASSERT_GE(result_.contactCount, 1);
    ASSERT_LE(result_.contactCount, 4);
    EXPECT_NEAR(Length(result_.normal), 1.0f, 1e-4f);
    const float* h1 = McdBoxGetRadii(b1->geometry);
    const float* h2 = McdBoxGetRadii(b2->geometry);
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& k = contacts_[i];
      EXPECT_LE(k.separation, 1e-4f) << trial;
      const float tol = std::fabs(k.separation) + 1e-3f;
      EXPECT_LE(DistanceToBox(k.position, t1.data(), h1), 1e-3f) << trial;
      EXPECT_LE(DistanceToBox(k.position, t2.data(), h2), 1e-3f) << trial;
      EXPECT_LE(std::fmin(DepthInBox(k.position, t1.data(), h1), DepthInBox(k.position, t2.data(), h2)), tol)
          << trial;
    }
  }
  EXPECT_GT(touching, 100);
}

}  // namespace
