#include "render/geometry/polygon_clip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/geometry/frustum.h"

namespace {

CPlane MakePlane(float a, float b, float c, float d) {
  CPlane p;
  p.n = {a, b, c};
  p.d = d;
  return p;
}

RenderVertex Vertex(float x, float y, float z, std::uint32_t colour, float u = 0, float v = 0) {
  return {x, y, z, 0, 0, 1, colour, u, v};
}

// Unit square in z = 0 with a different colour and u per corner.
ClipPolygon UnitSquare() {
  ClipPolygon p{};
  p.Count = 4;
  p.Vertices[0] = Vertex(0, 0, 0, 0xFF000000, 0, 0);
  p.Vertices[1] = Vertex(1, 0, 0, 0xFFFFFFFF, 1, 0);
  p.Vertices[2] = Vertex(1, 1, 0, 0xFF00FF00, 1, 1);
  p.Vertices[3] = Vertex(0, 1, 0, 0xFF0000FF, 0, 1);
  return p;
}

// A regular polygon of n vertices of radius 1 about the origin in z = 0.
ClipPolygon RegularPolygon(int n) {
  ClipPolygon p{};
  p.Count = n;
  for (int k = 0; k < n; ++k) {
    const float a = 6.2831853f * k / n;
    p.Vertices[k] = Vertex(std::cos(a), std::sin(a), 0, 0xFFFFFFFF);
  }
  return p;
}

TEST(PolygonClipTest, OnePlaneKeepsThePositiveSide) {
  ClipPolygon out{};
  // Keep x < 0.5: the start vertex's colour goes to each new vertex, even when that vertex is cut away.
  ASSERT_EQ(ClipPolygonByPlane(UnitSquare(), &out, MakePlane(-1, 0, 0, 0.5f)), 4);
  const struct {
    float x, y, u;
    std::uint32_t colour;
  } expected[] = {
      {0, 0, 0, 0xFF000000}, {0.5f, 0, 0.5f, 0xFF000000}, {0.5f, 1, 0.5f, 0xFF00FF00}, {0, 1, 0, 0xFF0000FF}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(out.Vertices[k].x, expected[k].x, 1e-6f) << k;
    EXPECT_NEAR(out.Vertices[k].y, expected[k].y, 1e-6f) << k;
    EXPECT_NEAR(out.Vertices[k].u, expected[k].u, 1e-6f) << k;
    EXPECT_EQ(out.Vertices[k].Colour, expected[k].colour) << k;
  }
  // Wholly in front, wholly behind, and a corner cut off.
  EXPECT_EQ(ClipPolygonByPlane(UnitSquare(), &out, MakePlane(1, 0, 0, 5)), 4);
  EXPECT_EQ(ClipPolygonByPlane(UnitSquare(), &out, MakePlane(1, 0, 0, -5)), 0);
  EXPECT_EQ(ClipPolygonByPlane(UnitSquare(), &out, MakePlane(-1, -1, 0, 1.5f)), 5);
}

TEST(PolygonClipTest, VertexLimitsAreKept) {
  ClipPolygon out{};
  // 16 vertices, one cut off: 17 would result.
  const CPlane cut = MakePlane(-1, 0, 0, 0.95f);
  out.Count = 99;
  EXPECT_EQ(ClipPolygonByPlane(RegularPolygon(16), &out, cut), 0);
  EXPECT_EQ(out.Count, 0);
  EXPECT_EQ(ClipPolygonByPlane(RegularPolygon(15), &out, cut), 16);
  ClipPolygon bad = RegularPolygon(16);
  bad.Count = 17;
  EXPECT_EQ(ClipPolygonByPlane(bad, &out, MakePlane(1, 0, 0, 5)), 0);
  bad.Count = -1;
  EXPECT_EQ(ClipPolygonByPlanes(bad, &out, &cut, 1), 0);

  PositionClipPolygon positions{};
  positions.Count = 32;
  for (int k = 0; k < 32; ++k) {
    const float a = 6.2831853f * k / 32;
    positions.Positions[k] = {std::cos(a), std::sin(a), 0};
  }
  PositionClipPolygon posOut{};
  EXPECT_EQ(ClipPositionsByPlane(positions, &posOut, MakePlane(-1, 0, 0, 0.99f)), 0);
  positions.Count = 31;
  EXPECT_EQ(ClipPositionsByPlane(positions, &posOut, MakePlane(-1, 0, 0, 0.99f)), 32);
  positions.Count = 40;
  EXPECT_EQ(ClipPositionsByPlanes(positions, &posOut, nullptr, 0), 0);
}

TEST(PolygonClipTest, PlaneLists) {
  CFrustum box;
  box.BuildFromBox({0.25f, 0.25f, -1}, {2, 2, 1}, nullptr);
  ClipPolygon out{};
  // The square loses its corner strips below x and y = 0.25.
  ASSERT_EQ(ClipPolygonByPlanes(UnitSquare(), &out, box.Planes, box.PlaneCount), 4);
  float minX = 1, minY = 1;
  for (int k = 0; k < 4; ++k) {
    minX = std::fmin(minX, out.Vertices[k].x);
    minY = std::fmin(minY, out.Vertices[k].y);
  }
  EXPECT_NEAR(minX, 0.25f, 1e-6f);
  EXPECT_NEAR(minY, 0.25f, 1e-6f);
  // No planes: copied through unchanged; one plane: a single clip.
  EXPECT_EQ(ClipPolygonByPlanes(UnitSquare(), &out, box.Planes, 0), 4);
  EXPECT_EQ(out.Vertices[2].Colour, 0xFF00FF00u);
  const CPlane half = MakePlane(-1, 0, 0, 0.5f);
  EXPECT_EQ(ClipPolygonByPlanes(UnitSquare(), &out, &half, 1), 4);
  EXPECT_NEAR(out.Vertices[1].x, 0.5f, 1e-6f);
  // An early stage leaving fewer than 3 vertices ends the clip.
  CFrustum away;
  away.BuildFromBox({5, 5, -1}, {6, 6, 1}, nullptr);
  EXPECT_EQ(ClipPolygonByPlanes(UnitSquare(), &out, away.Planes, away.PlaneCount), 0);
}

// The three single-plane clippers behind one signature, so that the cases
// below check each of them alike.
using ClipFn = int (*)(const std::vector<CVector3>&, const CPlane&, std::vector<CVector3>*);

int ClipFull(const std::vector<CVector3>& in, const CPlane& plane, std::vector<CVector3>* out) {
  ClipPolygon p{}, o{};
  p.Count = static_cast<int>(in.size());
  for (std::size_t k = 0; k < in.size(); ++k) p.Vertices[k] = Vertex(in[k].x, in[k].y, in[k].z, 0xFFFFFFFF);
  const int n = ClipPolygonByPlane(p, &o, plane);
  for (int k = 0; k < n; ++k) out->push_back({o.Vertices[k].x, o.Vertices[k].y, o.Vertices[k].z});
  return n;
}

int ClipPositions(const std::vector<CVector3>& in, const CPlane& plane, std::vector<CVector3>* out) {
  PositionClipPolygon p{}, o{};
  p.Count = static_cast<std::uint32_t>(in.size());
  for (std::size_t k = 0; k < in.size(); ++k) p.Positions[k] = in[k];
  const int n = ClipPositionsByPlane(p, &o, plane);
  for (int k = 0; k < n; ++k) out->push_back(o.Positions[k]);
  return n;
}

int ClipVertices(const std::vector<CVector3>& in, const CPlane& plane, std::vector<CVector3>* out) {
  RenderVertex p[16], o[16];
  for (std::size_t k = 0; k < in.size(); ++k) p[k] = Vertex(in[k].x, in[k].y, in[k].z, 0xFFFFFFFF);
  const int n = ClipVertexPolygonByPlane(p, static_cast<int>(in.size()), o, 16, plane);
  for (int k = 0; k < n; ++k) out->push_back({o[k].x, o[k].y, o[k].z});
  return n;
}

TEST(PolygonClipTest, VerticesOnThePlaneOrWithinItsToleranceAreKept) {
  // A tilted parallelogram, and its own plane as the engine makes it (its
  // fourth corner lies on it only within rounding).
  const std::vector<CVector3> quad = {{0.3f, 0.1f, 0.7f}, {2.9f, 0.4f, 1.3f}, {3.1f, 2.6f, 2.2f}, {0.5f, 2.3f, 1.6f}};
  CPlane own;
  own.FromPoints(quad[0], quad[1], quad[2]);
  CPlane reversed = own;
  reversed.n = {-own.n.x, -own.n.y, -own.n.z};
  reversed.d = -own.d;
  // A triangle with its corner (1, 0, 0) on the plane x = 1, kept side x < 1;
  // and the same corner moved just past the plane, inside and outside the
  // 7.6e-6 tolerance.
  const CPlane xIsOne = MakePlane(-1, 0, 0, 1);
  const std::vector<CVector3> onPlane = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  const std::vector<CVector3> withinTolerance = {{0, 0, 0}, {1.000005f, 0, 0}, {0, 1, 0}};
  const std::vector<CVector3> pastTolerance = {{0, 0, 0}, {1.00002f, 0, 0}, {0, 1, 0}};
  struct Case {
    const char* what;
    const std::vector<CVector3>& polygon;
    CPlane plane;
    int count;  // vertices out; the polygon comes back unchanged when equal to its own count
  } cases[] = {
      {"by its own plane", quad, own, 4},
      {"by its own plane reversed", quad, reversed, 4},
      {"a corner on the plane", onPlane, xIsOne, 3},
      {"a corner behind within the tolerance", withinTolerance, xIsOne, 3},
      {"a corner behind past the tolerance", pastTolerance, xIsOne, 4},
  };
  const struct {
    const char* name;
    ClipFn clip;
  } clippers[] = {{"full vertices", ClipFull}, {"positions", ClipPositions}, {"vertex array", ClipVertices}};
  for (const auto& clipper : clippers) {
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(clipper.name) + ", " + k.what);
      std::vector<CVector3> out;
      ASSERT_EQ(clipper.clip(k.polygon, k.plane, &out), k.count);
      if (k.count == static_cast<int>(k.polygon.size())) {
        for (std::size_t i = 0; i < out.size(); ++i) {
          EXPECT_EQ(out[i].x, k.polygon[i].x) << i;
          EXPECT_EQ(out[i].y, k.polygon[i].y) << i;
          EXPECT_EQ(out[i].z, k.polygon[i].z) << i;
        }
      } else {
        // The corner past the tolerance is replaced by two crossings on x = 1.
        EXPECT_NEAR(out[1].x, 1.0f, 1e-6f);
        EXPECT_NEAR(out[2].x, 1.0f, 1e-6f);
        EXPECT_NEAR(out[2].y, 0.0f, 1e-4f);
      }
    }
  }
}

TEST(PolygonClipTest, VertexPolygonInterpolatesColourBytes) {
  const RenderVertex in[3] = {Vertex(0, 0, 0, 0xFF000000), Vertex(1, 0, 0, 0xFFFFFFFF), Vertex(0, 1, 0, 0xFF000000)};
  RenderVertex out[8];
  ASSERT_EQ(ClipVertexPolygonByPlane(in, 3, out, 8, MakePlane(-1, 0, 0, 0.5f)), 4);
  EXPECT_NEAR(out[1].x, 0.5f, 1e-6f);
  EXPECT_EQ(out[1].Colour, 0xFF7F7F7Fu);
  EXPECT_EQ(ClipVertexPolygonByPlane(in, 3, out, 3, MakePlane(-1, 0, 0, 0.5f)), 0);
}

class ClipMeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frustum.BuildFromBox({0, 0, 0}, {10, 10, 10}, nullptr);
    source = {0, 0, vertices, indices};
    output = {0, 0, outVertices, outIndices};
    job = {0, {0, 0, 0}, 0.0f, 64, 64, &source, &output};
  }
  // Adds a triangle facing +z (towards the box's near face) unless reversed.
  void AddTriangle(RenderVertex a, RenderVertex b, RenderVertex c, bool reversed = false) {
    const int base = source.VertexCount;
    vertices[base] = a;
    vertices[base + 1] = reversed ? c : b;
    vertices[base + 2] = reversed ? b : c;
    for (int k = 0; k < 3; ++k) indices[source.IndexCount++] = static_cast<std::uint16_t>(base + k);
    source.VertexCount += 3;
  }
  void AddInside(float x, std::uint32_t colour = 0xFFFFFFFF, bool reversed = false) {
    AddTriangle(Vertex(x, 1, 5, colour), Vertex(x + 3, 1, 5, colour), Vertex(x, 4, 5, colour), reversed);
  }

  CFrustum frustum;
  RenderVertex vertices[32];
  std::uint16_t indices[32];
  RenderVertex outVertices[64];
  std::uint16_t outIndices[64];
  ClipMesh source, output;
  ClipMeshJob job;
};

TEST_F(ClipMeshTest, KeepsVisibleFacingTrianglesAndSharesVertices) {
  AddInside(1);
  AddInside(1, 0x00FFFFFF);        // transparent: skipped
  AddInside(1, 0xFFFFFFFF, true);  // facing away: skipped
  // A second triangle sharing the first one's edge (4,1)-(1,4).
  AddTriangle(Vertex(4, 1, 5, 0xFFFFFFFF), Vertex(4, 4, 5, 0xFFFFFFFF), Vertex(1, 4, 5, 0xFFFFFFFF));
  AddTriangle(Vertex(8, 1, 5, 0xFFFFFFFF), Vertex(12, 1, 5, 0xFFFFFFFF), Vertex(8, 5, 5, 0xFFFFFFFF));  // cut at x 10
  indices[source.IndexCount++] = 0;  // a triangle naming a vertex beyond the source: skipped
  indices[source.IndexCount++] = 1;
  indices[source.IndexCount++] = 200;
  ClipMeshToFrustum(frustum, &job);
  EXPECT_EQ(output.VertexCount, 4 + 4);
  EXPECT_EQ(output.IndexCount, 3 + 3 + 6);
  for (int i = 0; i < output.IndexCount; ++i) ASSERT_LT(outIndices[i], output.VertexCount);
  for (int v = 0; v < output.VertexCount; ++v) EXPECT_LE(outVertices[v].x, 10.0f + 1e-5f);
}

TEST_F(ClipMeshTest, FacingFlagFiltersByDirection) {
  AddInside(1);
  job.Flags = kClipMeshFacingTest;
  job.Direction = {1, 0, 0};
  job.Threshold = 0.5f;
  ClipMeshToFrustum(frustum, &job);
  EXPECT_EQ(output.IndexCount, 0);
  job.Direction = {0, 0, -1};
  ClipMeshToFrustum(frustum, &job);
  EXPECT_EQ(output.IndexCount, 3);
}

TEST_F(ClipMeshTest, StopsAtTheLimits) {
  AddInside(1);
  AddInside(5);
  struct Case {
    int vertexLimit, indexLimit, vertices, indices;
  } cases[] = {{6, 6, 6, 6}, {5, 64, 3, 3}, {3, 64, 3, 3}, {64, 5, 3, 3}, {2, 64, 0, 0}};
  for (const Case& c : cases) {
    output.VertexCount = output.IndexCount = 0;
    job.VertexLimit = c.vertexLimit;
    job.IndexLimit = c.indexLimit;
    ClipMeshToFrustum(frustum, &job);
    EXPECT_EQ(output.VertexCount, c.vertices) << c.vertexLimit << " " << c.indexLimit;
    EXPECT_EQ(output.IndexCount, c.indices) << c.vertexLimit << " " << c.indexLimit;
  }
}

}  // namespace
