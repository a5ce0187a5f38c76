// Box against cylinder and cylinder against cylinder: analytic poses, the
// rim-to-rim search against a brute-force angle sweep, and seeded random
// placements checked against sampled surfaces.
#include <cmath>
#include <random>

#include "physics/collision/mcd_cylinder_pairs.h"
#include "shape_fixture.h"

namespace {

const float kHalfPi = 1.5707963f;

struct AnalyticCase {
  const char* label;
  Transform first, second;
  int touch;
  Vec3 normal;
  float separation;
  unsigned dims;
  int minContacts;
};

void ExpectCase(const McdIntersectResult& r, const AnalyticCase& c) {
  EXPECT_EQ(r.touch, c.touch);
  if (!c.touch) return;
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.normal[i], c.normal[i], 1e-5f);
  EXPECT_GE(r.contactCount, c.minContacts);
  float deepest = 1e9f;
  for (int i = 0; i < r.contactCount; ++i) {
    deepest = std::min(deepest, r.contacts[i].separation);
    EXPECT_EQ(r.contacts[i].dims, c.dims);
  }
  EXPECT_NEAR(deepest, c.separation, 1e-4f);
}

TEST_F(ShapePairTest, CylinderCylinderAnalyticPoses) {
  const Transform origin = MakeTransform({0, 0, 0});
  const AnalyticCase cases[] = {
      {"parallel side by side", origin, MakeTransform({0.95f, 0, 0.3f}), 1, {-1, 0, 0}, -0.05f,
       0x0303, 2},
      {"coaxial, stacked", origin, MakeTransform({0, 0, 1.95f}), 1, {0, 0, -1}, -0.05f, 0x0202, 4},
      {"crossed at right angles", origin, MakeTransform({0, 0.95f, 0}, {0, 1, 0}, kHalfPi), 1,
       {0, -1, 0}, -0.05f, 0x0303, 1},
      {"standing on a lying one", MakeTransform({0, 0, 0}, {1, 0, 0}, kHalfPi),
       MakeTransform({0, 0, 1.45f}), 1, {0, 0, -1}, -0.05f, 0x0203, 1},
      {"parallel, apart", origin, MakeTransform({1.2f, 0, 0}), 0, {0, 0, 0}, 0, 0, 0},
      {"stacked, apart", origin, MakeTransform({0.2f, 0, 2.1f}), 0, {0, 0, 0}, 0, 0, 0},
  };
  for (const AnalyticCase& c : cases) {
    SCOPED_TRACE(c.label);
    McdModel* a = AddCylinder(0.5f, 2.0f, c.first);
    McdModel* b = AddCylinder(0.5f, 2.0f, c.second);
    McdModelPair* pair = Open(a, b);
    ASSERT_EQ(pair->model1, a);
    Intersect(pair);
    ExpectCase(result_, c);
    ExpectConsistent(pair, 4);
  }
}

TEST_F(ShapePairTest, BoxCylinderAnalyticPoses) {
  const Transform origin = MakeTransform({0, 0, 0});
  const AnalyticCase cases[] = {
      {"standing on the box", origin, MakeTransform({0.3f, 0.2f, 1.45f}), 1, {0, 0, -1}, -0.05f,
       0x0202, 4},
      {"lying on the box", origin, MakeTransform({0, 0, 0.95f}, {0, 1, 0}, kHalfPi), 1, {0, 0, -1},
       -0.05f, 0x0302, 2},
      {"beside the box, axis upright", origin, MakeTransform({2.45f, 0, 0}), 1, {-1, 0, 0}, -0.05f,
       0x0302, 2},
      {"above the box, apart", origin, MakeTransform({0, 0, 1.6f}), 0, {0, 0, 0}, 0, 0, 0},
  };
  for (const AnalyticCase& c : cases) {
    SCOPED_TRACE(c.label);
    McdModel* box = AddBox({2, 2, 0.5f}, c.first);
    McdModel* cyl = AddCylinder(0.5f, 2.0f, c.second);
    McdModelPair* pair = Open(cyl, box);
    ASSERT_EQ(pair->model1, box);
    Intersect(pair);
    ExpectCase(result_, c);
    ExpectConsistent(pair, 4);
  }
}

TEST_F(ShapePairTest, CylinderPairsWithinTheMarginKeepContacts) {
  McdModel* box = AddBox({2, 2, 0.5f}, MakeTransform({0, 0, 0}), 0.02f);
  McdModel* cyl = AddCylinder(0.5f, 2.0f, MakeTransform({0, 0, 1.51f}), 0.02f);
  McdModel* top = AddCylinder(0.5f, 2.0f, MakeTransform({0, 0, 3.52f}), 0.02f);
  McdModelPair* onBox = Open(box, cyl);
  ASSERT_EQ(Intersect(onBox), 1);
  EXPECT_EQ(result_.contactCount, 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(result_.contacts[i].separation, 0.01f, 1e-4f);
  McdModelPair* stacked = Open(cyl, top);
  ASSERT_EQ(Intersect(stacked), 1);
  EXPECT_EQ(result_.contactCount, 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(result_.contacts[i].separation, 0.01f, 1e-4f);
}

// Distance of two rim points at (theta, phi).
float RimDistance(const float* c1, const float* u1, const float* v1, float r1, const float* c2,
                  const float* u2, const float* v2, float r2, double t, double p) {
  float d[3];
  for (int i = 0; i < 3; ++i)
    d[i] = c1[i] + r1 * float(std::cos(t) * u1[i] + std::sin(t) * v1[i]) - c2[i] -
           r2 * float(std::cos(p) * u2[i] + std::sin(p) * v2[i]);
  return Length(d);
}

TEST(CylinderRimSearch, ConvergesToTheBruteForceMinimum) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int trial = 0; trial < 12; ++trial) {
    const Transform a = MakeTransform({unit(rng), unit(rng), unit(rng)}, {unit(rng), unit(rng), 1}, 3 * unit(rng));
    const Transform b = MakeTransform({1.5f + unit(rng), unit(rng), unit(rng)},
                                      {1, unit(rng), unit(rng)}, 3 * unit(rng));
    const float r1 = 0.6f + 0.3f * unit(rng), r2 = 0.6f + 0.3f * unit(rng);
    float theta = 0, phi = 0;
    const float d2 = McdCylinderRimRimMinimise(a.data() + 12, a.data(), a.data() + 4, r1,
                                               b.data() + 12, b.data(), b.data() + 4, r2, &theta, &phi);
    float brute = 1e30f;
    for (int i = 0; i < 360; ++i)
      for (int j = 0; j < 360; ++j)
        brute = std::min(brute, RimDistance(a.data() + 12, a.data(), a.data() + 4, r1,
                                            b.data() + 12, b.data(), b.data() + 4, r2,
                                            i * 3.14159265 / 180, j * 3.14159265 / 180));
    const float found = RimDistance(a.data() + 12, a.data(), a.data() + 4, r1, b.data() + 12,
                                    b.data(), b.data() + 4, r2, theta, phi);
    SCOPED_TRACE(trial);
    EXPECT_NEAR(std::sqrt(d2), found, 1e-4f);
    EXPECT_LE(found, brute + 1e-4f);
    EXPECT_GE(found, brute - 2e-3f);  // the sweep's 1-degree grid is coarser than the search
  }
}

class RandomCylinderPlacements : public ShapePairTest {
 protected:
  std::mt19937 rng_{12345};
  Transform Random(float spread) {
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    return MakeTransform({spread * u(rng_), spread * u(rng_), spread * u(rng_)},
                         {u(rng_), u(rng_), u(rng_) + 0.01f}, 3.1415927f * u(rng_));
  }
};

TEST_F(RandomCylinderPlacements, CylinderCylinderAgreesWithSampledSurfaces) {
  int touching = 0, apart = 0;
  for (int trial = 0; trial < 40; ++trial) {
    McdModel* a = AddCylinder(0.5f, 1.6f, Random(0.2f));
    McdModel* b = AddCylinder(0.4f, 1.2f, Random(1.1f));
    McdModelPair* pair = Open(a, b);
    Intersect(pair);
    SCOPED_TRACE(trial);
    ExpectConsistent(pair, 4, 0.015f);
    (result_.touch ? touching : apart)++;
  }
  EXPECT_GT(touching, 5);
  EXPECT_GT(apart, 5);
}

TEST_F(RandomCylinderPlacements, BoxCylinderAgreesWithSampledSurfaces) {
  int touching = 0, apart = 0;
  for (int trial = 0; trial < 40; ++trial) {
    McdModel* box = AddBox({0.6f, 0.4f, 0.3f}, Random(0.2f));
    McdModel* cyl = AddCylinder(0.4f, 1.2f, Random(1.1f));
    McdModelPair* pair = Open(box, cyl);
    Intersect(pair);
    SCOPED_TRACE(trial);
    ExpectConsistent(pair, 4, 0.015f);
    (result_.touch ? touching : apart)++;
  }
  EXPECT_GT(touching, 5);
  EXPECT_GT(apart, 5);
}

}  // namespace
