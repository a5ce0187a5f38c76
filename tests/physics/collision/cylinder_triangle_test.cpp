// The cylinder-triangle test and the spare geometry helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "physics/collision/mcd_cylinder_triangle.h"
#include "physics/collision/mcd_geometry_helpers.h"
#include "physics/util/me_math.h"

namespace {

struct Tri {
  MeReal v[3][3];
  McdCylinderTriangle t;
  Tri(std::initializer_list<float> a, std::initializer_list<float> b, std::initializer_list<float> c) {
    const std::initializer_list<float>* src[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
      int i = 0;
      for (float x : *src[k]) v[k][i++] = x;
      t.vertex[k] = v[k];
    }
    for (int i = 0; i < 3; ++i) MeVector3Subtract(t.edge[i], v[(i + 1) % 3], v[i]);
    MeVector3Cross(t.normal, t.edge[0], t.edge[1]);
    MeVector3Scale(t.normal, 1.0f / MeVector3Magnitude(t.normal));
  }
};

struct Outcome {
  int result = -1;
  MeReal separation = 99, offset = 99;
  MeReal normal[3] = {99, 99, 99};
  MeU16 dims = 0xffff;
  std::vector<std::array<float, 3>> points;
};

Outcome Collide(const Tri& tri, float margin, float R = 1.0f, float h = 1.0f) {
  Outcome o;
  MeReal buffer[3 * McdCylinderTriangleMaxPoints];
  MeReal* cursor = buffer;
  o.result = McdCylinderTriangleIntersect(&o.separation, o.normal, &o.offset, &cursor, &o.dims,
                                          margin, R, h, &tri.t);
  for (MeReal* p = buffer; p < cursor; p += 3) o.points.push_back({p[0], p[1], p[2]});
  return o;
}

TEST(CylinderTriangle, FeatureTable) {
  struct Case {
    const char* label;
    Tri tri;
    float margin;
    int result;  // 1 only when points were appended
    float separation;
    unsigned dims;
    std::array<float, 3> normal;
  } cases[] = {
      {"flat across the middle: normal along the axis", Tri({-3, -3, 0.2f}, {3, -3, 0.2f}, {0, 3, 0.2f}),
       0.0f, 1, -0.8f, 0x0202, {0, 0, -1}},
      {"face below the lower cap, within the margin", Tri({-3, -3, -1.1f}, {3, -3, -1.1f}, {0, 3, -1.1f}),
       0.125f, 0, 0.1f, 0x0202, {0, 0, 1}},
      {"face below the lower cap, out of reach", Tri({-3, -3, -1.2f}, {3, -3, -1.2f}, {0, 3, -1.2f}),
       0.1f, 0, 0.2f, 0, {0, 0, 0}},
      {"vertical wall beside the side: n_z = 0", Tri({1.5f, -3, -3}, {1.5f, 3, -3}, {1.5f, 0, 3}),
       0.0f, 0, 0.5f, 0, {0, 0, 0}},
      {"vertical wall cutting the side", Tri({0.5f, -3, -3}, {0.5f, 3, -3}, {0.5f, 0, 3}), 0.0f, 1,
       -0.5f, 0x0203, {-1, 0, 0}},
      {"small triangle above the cap: the axis", Tri({0, 0, 1.05f}, {0.2f, 0, 1.5f}, {0, 0.2f, 1.5f}),
       0.1f, 0, 0.05f, 0x0002, {0, 0, -1}},
      {"two vertices level above the cap: the axis", Tri({0, 0, 1.05f}, {0.2f, 0, 1.05f}, {0, 0.2f, 1.5f}),
       0.1f, 0, 0.05f, 0x0102, {0, 0, -1}},
      {"standing triangle beside the side: an edge", Tri({1.2f, -0.5f, -0.5f}, {1.2f, 0.5f, -0.5f}, {3, 0, 0.5f}),
       0.0f, 0, 0.2f, 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Outcome o = Collide(c.tri, c.margin);
    EXPECT_NEAR(o.separation, c.separation, 1e-5f) << "the separation is written in every case";
    EXPECT_EQ(o.result, c.result);
    if (c.dims == 0 && c.result == 0) {
      EXPECT_EQ(o.dims, 0xffff) << "nothing else written";
      EXPECT_EQ(o.normal[0], 99);
      EXPECT_TRUE(o.points.empty());
      continue;
    }
    EXPECT_EQ(o.dims, c.dims);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(o.normal[i], c.normal[i], 1e-5f);
  }
}

TEST(CylinderTriangle, SeparationEqualToTheMarginTouchesWithoutPoints) {
  // Face 0.25 below the lower cap, margin 0.25: touching, but the triangle
  // lies wholly outside the cylinder, so no point and result 0.
  Tri tri({-3, -3, -1.25f}, {3, -3, -1.25f}, {0, 3, -1.25f});
  Outcome o = Collide(tri, 0.25f);
  EXPECT_EQ(o.result, 0);
  EXPECT_FLOAT_EQ(o.separation, 0.25f);
  EXPECT_EQ(o.dims, 0x0202);
  EXPECT_FLOAT_EQ(o.normal[2], 1.0f);
  EXPECT_TRUE(o.points.empty());
  // Its offset puts the triangle's plane at the separation.
  EXPECT_NEAR(-1.25f * o.normal[2] - o.offset, 0.25f, 1e-6f);
}

TEST(CylinderTriangle, FlatTriangleAcrossTheCylinderGivesSideLinesAndCrossings) {
  Tri tri({-3, -3, 0.2f}, {3, -3, 0.2f}, {0, 3, 0.2f});
  Outcome o = Collide(tri, 0.0f);
  ASSERT_EQ(o.result, 1);
  // Four side-line points (+-x, +-y at z 0.2); no vertex inside, the edges
  // cross the side.
  int sideLines = 0;
  for (const auto& p : o.points) {
    EXPECT_NEAR(p[2], 0.2f, 1e-5f);
    EXPECT_LE(std::hypot(p[0], p[1]), 1.0f + 1e-4f);
    const bool onAxis = (std::fabs(std::fabs(p[0]) - 1) < 1e-5f && std::fabs(p[1]) < 1e-5f) ||
                        (std::fabs(std::fabs(p[1]) - 1) < 1e-5f && std::fabs(p[0]) < 1e-5f);
    sideLines += onAxis;
  }
  EXPECT_EQ(sideLines, 4);
}

TEST(CylinderTriangle, EdgeAxisRulesAndAnEdgeAlongTheAxis) {
  // A sliver standing along the axis direction beside the cylinder: its
  // vertical edge (L^2 <= m^2) is skipped; the wall's normal decides.
  Tri wall({1.5f, 0, -0.5f}, {1.5f, 0, 0.5f}, {1.6f, 0.5f, 0});
  Outcome o = Collide(wall, 0.01f);
  EXPECT_NE(o.dims, 0x0103);
  // An edge axis that separates a little more than the face normal but not
  // by more than the margin is not taken.
  Tri slanted({1.2f, -1, -0.2f}, {1.2f, 1, -0.2f}, {1.6f, 0, 0.8f});
  Outcome small = Collide(slanted, 0.5f);
  Outcome none = Collide(slanted, 0.0f);
  EXPECT_NE(small.dims, 0x0103);
  EXPECT_EQ(none.dims, 0xffff);  // with no margin the edge separates: no touch
  EXPECT_EQ(none.result, 0);
}

// Distance from p to the triangle (brute force over a fine barycentric grid).
float TriangleDistanceToCylinder(const Tri& tri, float R, float h) {
  float best = 1e30f;
  const int n = 120;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; i + j <= n; ++j) {
      const float a = float(i) / n, b = float(j) / n;
      float p[3];
      for (int k = 0; k < 3; ++k)
        p[k] = tri.v[0][k] + a * (tri.v[1][k] - tri.v[0][k]) + b * (tri.v[2][k] - tri.v[0][k]);
      const float dx = std::hypot(p[0], p[1]) - R, dz = std::fabs(p[2]) - h;
      const float ox = std::max(dx, 0.0f), oz = std::max(dz, 0.0f);
      best = std::min(best, std::min(std::max(dx, dz), 0.0f) + std::hypot(ox, oz));
    }
  return best;
}

TEST(CylinderTriangle, RandomTrianglesAgreeWithSampledDistance) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(-2.0f, 2.0f);
  int touching = 0;
  std::map<unsigned, int> features;
  for (int trial = 0; trial < 60; ++trial) {
    Tri tri({u(rng), u(rng), u(rng)}, {u(rng), u(rng), u(rng)}, {u(rng), u(rng), u(rng)});
    Outcome o = Collide(tri, 0.0f, 0.8f, 0.6f);
    const float d = TriangleDistanceToCylinder(tri, 0.8f, 0.6f);
    SCOPED_TRACE(trial);
    EXPECT_LE(o.separation, d + 0.02f) << "a separating axis never overstates the distance";
    if (d > 0.02f) {
      EXPECT_EQ(o.result, 0);
    }
    if (d < -0.02f) {
      EXPECT_EQ(o.result, 1);
    }
    if (o.dims != 0xffff && o.separation > -0.2f) {
      // A shallow contact's normal points from the triangle toward the
      // cylinder's centre.
      float centroid[3];
      for (int k = 0; k < 3; ++k) centroid[k] = (tri.v[0][k] + tri.v[1][k] + tri.v[2][k]) / 3;
      EXPECT_LT(MeVector3Dot(o.normal, centroid), 0.0f);
      EXPECT_NEAR(MeVector3Magnitude(o.normal), 1.0f, 1e-5f);
    }
    for (const auto& p : o.points) {
      // Every point lies on the triangle and inside the cylinder.
      const float plane = MeVector3Dot(p.data(), tri.t.normal) - MeVector3Dot(tri.v[0], tri.t.normal);
      EXPECT_NEAR(plane, 0.0f, 1e-4f);
      EXPECT_LE(std::hypot(p[0], p[1]), 0.8f + 1e-4f);
      EXPECT_LE(std::fabs(p[2]), 0.6f + 1e-4f);
    }
    touching += o.result;
    if (o.dims != 0xffff) ++features[o.dims];
  }
  EXPECT_GT(touching, 5);
  // Each kind of axis was the best at least once: the triangle normal, the
  // cylinder axis (one or two vertices at the near level) and an edge.
  EXPECT_GT(features[0x0201] + features[0x0202] + features[0x0203], 0) << "triangle normal";
  EXPECT_GT(features[0x0002] + features[0x0102], 0) << "cylinder axis";
  EXPECT_GT(features[0x0103], 0) << "edge";
}

TEST(GeometryHelpers, SpheresProjectionAndClosestPoints) {
  const MeReal a[4] = {0, 0, 0, 1}, touching[4] = {3, 0, 0, 2}, overlapping[4] = {2.9f, 0, 0, 2};
  EXPECT_EQ(McdSpheresOverlap(a, touching), 0);
  EXPECT_EQ(McdSpheresOverlap(a, overlapping), 1);

  const MeReal A[3] = {1, 2, 3}, D[3] = {0, 0, 2};
  MeReal out[3];
  const MeReal perpendicular[3] = {4, -1, 0};
  McdProjectOnLine(out, A, D, perpendicular);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(out[i], A[i]);
  const MeReal along[3] = {4, -1, 5};
  McdProjectOnLine(out, A, D, along);
  EXPECT_FLOAT_EQ(out[2], 8.0f);

  const MeReal x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, b[3] = {5, 0, 1};
  for (float start : {0.0f, -7.0f, 3.5f}) {
    const MeReal origin[3] = {start, 0, 0};
    McdLineLineClosestPoint(out, origin, x, b, y);
    EXPECT_NEAR(out[0], 5.0f, 1e-5f);
    EXPECT_NEAR(out[1], 0.0f, 1e-6f);
    EXPECT_NEAR(out[2], 0.0f, 1e-6f);
  }
  const MeReal parallelB[3] = {0, 4, 4};
  McdLineLineClosestPoint(out, A, x, parallelB, x);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(out[i], A[i]);
}

}  // namespace
