// Sphere and box against one triangle.
#include <gtest/gtest.h>

#include <cmath>

#include "pair_fixture.h"
#include "physics/collision/mcd_triangle_tests.h"

namespace {

// Triangle (vertices given in world) seen from a sphere centre c.
McdTriangle Relative(Vec3 c, Vec3 a, Vec3 b, Vec3 d) {
  McdTriangle tri;
  Vec3 v[3] = {a, b, d};
  float r[3][3];
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) r[i][k] = v[i][k] - c[k];
  McdTriangleMake(&tri, r[0], r[1], r[2], nullptr);
  return tri;
}

TEST(SphereTriangle, FaceEdgeAndVertexRegions) {
  // Triangle (0,0,0) (4,0,0) (0,4,0), normal +z; radius 1, margin 0.
  struct Case {
    Vec3 centre;
    int touch;
    MeU16 dims;
    float separation;
    Vec3 normal;
  };
  const float s = std::sqrt(0.5f);
  const Case cases[] = {
      {{1, 1, 0.5f}, 1, 0x0203, -0.5f, {0, 0, 1}},        // over the face
      {{1, 1, -0.75f}, 1, 0x0203, -0.25f, {0, 0, -1}},    // under the face
      {{1, 1, 1.5f}, 0, 0, 0, {0, 0, 0}},                 // above, out of reach
      {{2, -0.5f, 0}, 1, 0x0103, -0.5f, {0, -1, 0}},      // beside edge 0
      {{-0.5f, -0.5f, 0}, 1, 0x0003, s - 1, {-s, -s, 0}}, // beyond vertex 0
      {{2.5f, 2.5f, 0.0f}, 1, 0x0103, s - 1, {s, s, 0}},  // beside the long edge
      {{6, 0, 0}, 0, 0, 0, {0, 0, 0}},                    // beyond vertex 1, too far
  };
  for (const Case& c : cases) {
    McdTriangle tri = Relative(c.centre, {0, 0, 0}, {4, 0, 0}, {0, 4, 0});
    McdTriangleHit hit{};
    ASSERT_EQ(McdSphereTriangleIntersect(&tri, 1.0f, 0.0f, &hit), c.touch) << c.centre[0];
    if (!c.touch) continue;
    EXPECT_EQ(hit.dims, c.dims);
    EXPECT_NEAR(hit.separation, c.separation, 1e-5f);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(hit.normal[k], c.normal[k], 1e-5f);
      EXPECT_NEAR(hit.position[k], -c.normal[k], 1e-5f);  // on the sphere, toward the triangle
    }
  }
}

TEST(SphereTriangle, ObtuseCornerTakesTheNearestEdgeSegment) {
  // The corner at the origin opens 150 degrees (edges along 0 and 150
  // degrees).  A centre at 300 degrees, distance 2, lies outside both edges;
  // the line of the 150-degree edge is nearer (1) but its segment is not: the
  // nearest point is on the other edge, at distance 2 sin 60 = 1.732.
  const float c150 = std::cos(2.61799f), s150 = std::sin(2.61799f);
  const Vec3 centre = {2 * 0.5f, 2 * -0.866025f, 0};
  McdTriangle tri = Relative(centre, {0, 0, 0}, {10, 0, 0}, {10 * c150, 10 * s150, 0});
  McdTriangleHit hit{};
  ASSERT_EQ(McdSphereTriangleIntersect(&tri, 1.9f, 0.0f, &hit), 1);
  EXPECT_NEAR(hit.separation, 1.732051f - 1.9f, 1e-4f);
  EXPECT_EQ(hit.dims, 0x0103);
  EXPECT_NEAR(hit.normal[1], -1.0f, 1e-5f);
}

TEST(BoxTriangle, BoxFlatOnALargeTriangle) {
  const float h[3] = {1, 1, 1};
  McdTriangle tri;
  const float a[3] = {-10, -10, -0.99f}, b[3] = {10, -10, -0.99f}, c[3] = {0, 10, -0.99f};
  McdTriangleMake(&tri, a, b, c, nullptr);
  McdTriangleHit hit{};
  float pts[McdBoxTriangleMaxPoints * 3];
  float* cursor = pts;
  ASSERT_EQ(McdBoxTriangleIntersect(h, &tri, 0.0f, &hit, &cursor), 1);
  EXPECT_EQ(hit.dims, 0x0202);
  EXPECT_NEAR(hit.separation, -0.01f, 1e-5f);
  EXPECT_NEAR(hit.normal[2], 1.0f, 1e-6f);
  ASSERT_EQ((cursor - pts) / 3, 4);  // the four vertical box edges pierce it
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(std::fabs(pts[3 * i]), 1.0f);
    EXPECT_FLOAT_EQ(std::fabs(pts[3 * i + 1]), 1.0f);
    EXPECT_NEAR(pts[3 * i + 2], -0.99f, 1e-6f);
    // Points on the triangle's plane are at the reported separation.
    EXPECT_NEAR(Dot(pts + 3 * i, hit.normal) - hit.planeOffset, hit.separation, 1e-5f);
  }
}

TEST(BoxTriangle, TriangleEdgeAgainstABoxFace) {
  // A tilted triangle beside the +x face: two vertices 0.05 inside it.
  const float h[3] = {1, 1, 1};
  McdTriangle tri;
  const float a[3] = {1.2f, 0, 0.5f}, b[3] = {0.95f, 0.3f, -0.2f}, c[3] = {0.95f, -0.3f, -0.2f};
  McdTriangleMake(&tri, a, b, c, nullptr);
  McdTriangleHit hit{};
  float pts[McdBoxTriangleMaxPoints * 3];
  float* cursor = pts;
  ASSERT_EQ(McdBoxTriangleIntersect(h, &tri, 0.0f, &hit, &cursor), 1);
  EXPECT_EQ(hit.dims, 0x0102);  // box face, triangle edge
  EXPECT_NEAR(hit.separation, -0.05f, 1e-5f);
  EXPECT_FLOAT_EQ(hit.normal[0], -1.0f);
  // The box's deepest point along the normal (its +x face) is at the separation.
  const float face[3] = {1, 0, 0};
  EXPECT_NEAR(Dot(face, hit.normal) - hit.planeOffset, hit.separation, 1e-6f);
  int n = static_cast<int>((cursor - pts) / 3);
  ASSERT_GE(n, 2);
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_LE(std::fabs(pts[3 * i + k]), h[k] + 1e-5f);
  }
}

TEST(BoxTriangle, SeparatedBeyondTheMarginHasNoContact) {
  const float h[3] = {1, 1, 1};
  McdTriangle tri;
  const float a[3] = {-10, -10, -1.2f}, b[3] = {10, -10, -1.2f}, c[3] = {0, 10, -1.2f};
  McdTriangleMake(&tri, a, b, c, nullptr);
  McdTriangleHit hit{};
  float pts[McdBoxTriangleMaxPoints * 3];
  float* cursor = pts;
  EXPECT_EQ(McdBoxTriangleIntersect(h, &tri, 0.1f, &hit, &cursor), 0);
  EXPECT_EQ(cursor, pts);
  // Within a margin of 0.25 it touches, with a positive separation, and the
  // box edges' crossings with the triangle's plane are its contact points.
  EXPECT_EQ(McdBoxTriangleIntersect(h, &tri, 0.25f, &hit, &cursor), 1);
  EXPECT_NEAR(hit.separation, 0.2f, 1e-5f);
  ASSERT_EQ((cursor - pts) / 3, 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(Dot(pts + 3 * i, hit.normal) - hit.planeOffset, 0.2f, 1e-5f);
}

TEST(BoxTriangle, EdgeAcrossEdgeTakesTheEdgeAxis) {
  // A box turned 45 degrees about x presents its edge (along x) downward; a
  // triangle edge along y lies under it, the triangle leaning away so that no
  // face axis is the axis of least penetration.
  const float h[3] = {1, 1, 1};
  const float r2 = std::sqrt(2.0f);
  // In the box's frame the world "down" direction is (0, -1, -1)/sqrt 2 for
  // a box turned 45 degrees; here the triangle is written in the box frame.
  const float down[3] = {0, -1 / r2, -1 / r2};
  const float side[3] = {0, 1 / r2, -1 / r2};  // world y, in box frame
  const float depth = r2 - 0.02f;               // 0.02 into the edge
  float a[3], b[3], c[3];
  for (int k = 0; k < 3; ++k) {
    a[k] = down[k] * depth + side[k] * 3;
    b[k] = down[k] * depth - side[k] * 3;
    c[k] = down[k] * (depth + 2) + (k == 0 ? 2.0f : 0.0f);
  }
  McdTriangle tri;
  McdTriangleMake(&tri, a, b, c, nullptr);
  McdTriangleHit hit{};
  float pts[McdBoxTriangleMaxPoints * 3];
  float* cursor = pts;
  ASSERT_EQ(McdBoxTriangleIntersect(h, &tri, 0.0f, &hit, &cursor), 1);
  EXPECT_EQ(hit.dims, 0x0101);
  EXPECT_NEAR(hit.separation, -0.02f, 1e-4f);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(hit.normal[k], -down[k], 1e-4f);
}

TEST(TriangleTests, TriangleWithoutAreaNeverTouches) {
  // Three points on a line: no normal, so no side to push toward.
  const float a[3] = {-1, 0, 0}, b[3] = {0, 0, 0}, c[3] = {1, 0, 0};
  McdTriangle tri;
  McdTriangleMake(&tri, a, b, c, nullptr);
  McdTriangleHit hit{};
  EXPECT_EQ(McdSphereTriangleIntersect(&tri, 1.0f, 0.0f, &hit), 0);
  const float h[3] = {1, 1, 1};
  float pts[McdBoxTriangleMaxPoints * 3];
  float* cursor = pts;
  EXPECT_EQ(McdBoxTriangleIntersect(h, &tri, 0.0f, &hit, &cursor), 0);
  EXPECT_EQ(cursor, pts);
}

}  // namespace
