#include "render/bsp/point_in_polygon.h"

#include "render/geometry/geometry_ops.h"

namespace {

// The two coordinates a polygon is projected on: the dominant normal
// component z gives (x, y), y gives (x, z), x gives (y, z).
struct Projection {
  int u, v;
};
Projection ProjectionFor(const float* plane) {
  switch (geom::DominantAxis(plane)) {
    case 0:
      return {0, 1};
    case 1:
      return {0, 2};
    default:
      return {1, 2};
  }
}

float Coord(const float* v, int axis) { return v[axis]; }
float Coord(const CVector3& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// Sums the edge crossings of the closed vertex loop (k, k + 1 mod n).
template <typename VertexAt>
bool CrossingCountInside(Projection p, const CVector3& point, unsigned n, VertexAt vertex) {
  float px = Coord(point, p.u), py = Coord(point, p.v);
  int crossings = 0;
  for (unsigned k = 0; k < n; ++k) {
    const auto& a = vertex(k);
    const auto& b = vertex((k + 1) % n);
    crossings += EdgeCrossesRay(Coord(a, p.u), Coord(a, p.v), Coord(b, p.u), Coord(b, p.v), px, py);
  }
  return (crossings & 1) != 0;
}

}  // namespace

int EdgeCrossesRay(float x1, float y1, float x2, float y2, float px, float py) {
  if (y1 == y2) return 0;
  if ((y1 < py) == (y2 < py)) return 0;
  bool left1 = x1 < px, left2 = x2 < px;
  if (left1 && left2) return 1;
  if (!left1 && !left2) return 0;
  if (x2 == x1) return 0;
  // The edge meets the line y = py at x = x2 - (y2 - py) / m; it counts when that lies left of px.
  float m = (y2 - y1) / (x2 - x1);
  return ((y2 - py) - (x2 - px) * m) / m > 0 ? 1 : 0;
}

bool PointInPolygon(const float* plane, const CVector3& point, const BspPolygon* polygon) {
  return CrossingCountInside(ProjectionFor(plane), point, polygon->VertexCount,
                             [&](unsigned k) { return polygon->Vertex(k); });
}

bool PointInPolygonXZ(const CVector3& point, const BspPolygon* polygon) {
  return CrossingCountInside({0, 2}, point, polygon->VertexCount, [&](unsigned k) { return polygon->Vertex(k); });
}

bool PointInTriangle(const float* plane, const CVector3& point, const float* triangle) {
  return CrossingCountInside(ProjectionFor(plane), point, 3, [&](unsigned k) { return triangle + 3 * k; });
}

bool PointInTriangleVerts(const float* plane, const CVector3& point, const CVector3& a, const CVector3& b,
                          const CVector3& c) {
  const CVector3* corners[3] = {&a, &b, &c};
  return CrossingCountInside(ProjectionFor(plane), point, 3, [&](unsigned k) -> const CVector3& { return *corners[k]; });
}

const BspPolygon* FindPolygonContaining(const float* plane, const BspPolygon* list, const CVector3& point) {
  for (const BspPolygon* p = list; p; p = NextBspPolygon(p))
    if (PointInPolygon(plane, point, p)) return p;
  return nullptr;
}

bool PointInPlanarPolygon(const CVector3& point, const float* plane, std::uint32_t count, const CVector3* positions) {
  return CrossingCountInside(ProjectionFor(plane), point, count,
                             [&](unsigned k) -> const CVector3& { return positions[k]; });
}
