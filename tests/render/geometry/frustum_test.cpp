#include "render/geometry/frustum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/matrix.h"
#include "render/volumes/oriented_box.h"
#include "render/geometry/polygon_clip.h"
#include "render/volumes/sphere.h"

namespace {

struct PointCase {
  CVector3 point;
  int inside;
};

void ExpectPoints(const CFrustum& frustum, std::initializer_list<PointCase> cases) {
  for (const PointCase& c : cases)
    EXPECT_EQ(frustum.ContainsPoint(c.point), c.inside) << c.point.x << " " << c.point.y << " " << c.point.z;
}

TEST(FrustumTest, BoxFrustumHasInwardPlanes) {
  CFrustum box;
  box.BuildFromBox({0, 0, 0}, {2, 2, 2}, nullptr);
  EXPECT_EQ(box.PlaneCount, 6);
  EXPECT_EQ(box.CornerCount, 8);
  ExpectPoints(box, {{{1, 1, 1}, 1},
                     {{0, 0, 0}, 1},
                     {{2, 2, 2}, 1},
                     {{3, 1, 1}, 0},
                     {{-0.1f, 1, 1}, 0},
                     {{1, 2.1f, 1}, 0},
                     {{1, -0.1f, 1}, 0},
                     {{1, 1, 2.1f}, 0},
                     {{1, 1, -0.1f}, 0}});

  CMatrix move;
  move.SetIdentity();
  move.SetTranslationXYZ(10, 0, 0);
  CFrustum moved;
  moved.BuildFromBox({0, 0, 0}, {2, 2, 2}, &move);
  ExpectPoints(moved, {{{11, 1, 1}, 1}, {{1, 1, 1}, 0}});
}

TEST(FrustumTest, OrientedBoxFrustum) {
  COrientedBox box;
  box.Extent[0] = 1;
  box.Extent[1] = 2;
  box.Extent[2] = 3;
  box.Centre = {5, 0, 0};
  box.Axis[0] = {0, 0, -1};
  box.Axis[1] = {0, 1, 0};
  box.Axis[2] = {1, 0, 0};
  CFrustum frustum;
  frustum.BuildFromOrientedBox(box);
  ExpectPoints(frustum, {{{7.9f, 0, 0}, 1},
                         {{8.1f, 0, 0}, 0},
                         {{2.1f, 0, 0}, 1},
                         {{1.9f, 0, 0}, 0},
                         {{5, 1.9f, 0.9f}, 1},
                         {{5, 0, 1.1f}, 0},
                         {{5, 2.1f, 0}, 0}});
}

TEST(FrustumTest, SweepFrustumAndPlanelessFrustum) {
  // u x v = -dir gives inward normals.
  const CVector3 origin{0, 0, 0}, dir{0, 0, 1}, u{0, 1, 0}, v{1, 0, 0};
  CFrustum corners;
  corners.SetSweepCorners(origin, dir, u, v, 1.0f, 10.0f);
  EXPECT_EQ(corners.PlaneCount, 0);
  EXPECT_EQ(corners.CornerCount, 8);
  ExpectPoints(corners, {{{1e6f, -1e6f, 3}, 1}, {{0, 0, -50}, 1}});
  CSphere far;
  far.Set({0, 0, -1000}, 1);
  EXPECT_EQ(corners.TestSphere(far, nullptr), 1);

  corners.BuildPlanes();
  ExpectPoints(corners, {{{0, 0, 5}, 1}, {{0, 0, 11}, 0}, {{0, 0, -1}, 0}, {{2, 0, 5}, 0}, {{0.9f, -0.9f, 9.9f}, 1}});

  CFrustum sweep;
  sweep.BuildFromSweep(origin, dir, u, v, 1.0f, 10.0f);
  EXPECT_EQ(sweep.PlaneCount, 6);
  EXPECT_EQ(sweep.NearPlane, 4);
  ExpectPoints(sweep, {{{0, 0, 5}, 1}, {{0, 0, 11}, 0}, {{0, 0, -1}, 0}, {{0, 1.5f, 5}, 0}});
}

TEST(FrustumTest, ClassifyPlane) {
  CFrustum box;
  box.BuildFromBox({0, 0, 0}, {2, 2, 2}, nullptr);
  auto plane = [](float a, float b, float c, float d) {
    CPlane p;
    p.n = {a, b, c};
    p.d = d;
    return p;
  };
  EXPECT_EQ(box.ClassifyPlane(plane(1, 0, 0, 1)), 1);     // x = -1, all corners in front
  EXPECT_EQ(box.ClassifyPlane(plane(-1, 0, 0, -5)), -1);  // all behind
  EXPECT_EQ(box.ClassifyPlane(plane(1, 0, 0, -1)), 0);    // x = 1 cuts the box
  EXPECT_EQ(box.ClassifyPlane(plane(1, 0, 0, 0)), 0);     // corners on the plane differ from those in front
}

PositionClipPolygon Square(float x0, float y0, float x1, float y1, float z) {
  PositionClipPolygon p{};
  p.Count = 4;
  p.Positions[0] = {x0, y0, z};
  p.Positions[1] = {x1, y0, z};
  p.Positions[2] = {x1, y1, z};
  p.Positions[3] = {x0, y1, z};
  return p;
}

TEST(FrustumTest, PolygonVisibility) {
  CFrustum box;
  box.BuildFromBox({0, 0, 0}, {2, 2, 2}, nullptr);
  EXPECT_TRUE(box.IsPolygonVisible(Square(0.5f, 0.5f, 1.5f, 1.5f, 1)));
  EXPECT_TRUE(box.IsPolygonVisible(Square(-5, -5, 5, 5, 1)));      // larger than the box
  EXPECT_TRUE(box.IsPolygonVisible(Square(1.5f, 1.5f, 3, 3, 1)));  // straddling
  EXPECT_FALSE(box.IsPolygonVisible(Square(3, 3, 4, 4, 1)));
  EXPECT_FALSE(box.IsPolygonVisible(Square(0.5f, 0.5f, 1.5f, 1.5f, 3)));
}

// A BSP polygon record built in an aligned buffer.
std::vector<float> MakeBspPolygon(const std::vector<CVector3>& vertices) {
  std::vector<float> storage(5 + 3 * vertices.size() + 1, 0.0f);
  auto* polygon = reinterpret_cast<BspPolygon*>(storage.data());
  polygon->VertexCount = static_cast<std::uint16_t>(vertices.size());
  for (unsigned k = 0; k < vertices.size(); ++k) {
    polygon->Vertex(k)[0] = vertices[k].x;
    polygon->Vertex(k)[1] = vertices[k].y;
    polygon->Vertex(k)[2] = vertices[k].z;
  }
  return storage;
}

TEST(FrustumTest, BspPolygonVisibilityChecksTheVertexCount) {
  CFrustum box;
  box.BuildFromBox({0, 0, 0}, {2, 2, 2}, nullptr);
  auto inside = MakeBspPolygon({{0.5f, 0.5f, 1}, {1.5f, 0.5f, 1}, {1.5f, 1.5f, 1}});
  auto outside = MakeBspPolygon({{5, 5, 1}, {6, 5, 1}, {6, 6, 1}});
  EXPECT_TRUE(box.IsBspPolygonVisible(reinterpret_cast<const BspPolygon*>(inside.data())));
  EXPECT_FALSE(box.IsBspPolygonVisible(reinterpret_cast<const BspPolygon*>(outside.data())));
  // More vertices than the clip polygon holds: refused without touching the scratch.
  std::vector<CVector3> many(40, CVector3{1, 1, 1});
  for (int k = 0; k < 40; ++k) many[k] = {1 + 0.5f * std::cos(k * 0.157f), 1 + 0.5f * std::sin(k * 0.157f), 1};
  auto big = MakeBspPolygon(many);
  EXPECT_FALSE(box.IsBspPolygonVisible(reinterpret_cast<const BspPolygon*>(big.data())));
}

}  // namespace
