#include "render/volumes/sphere.h"

#include <cmath>

#include "foundation/maths/random_tables.h"
#include "render/geometry/geometry_ops.h"
#include "render/bsp/point_in_polygon.h"

using namespace geom;

void CSphere::Set(const CVector3& centre, float radius) {
  Centre = centre;
  Radius = radius;
}

void CSphere::FromTriangle(const CVector3& a, const CVector3& b, const CVector3& c) {
  Centre = (a + b + c) * 0.33333334f;
  float largest = LengthSq(a - Centre);
  float db = LengthSq(b - Centre), dc = LengthSq(c - Centre);
  if (db > largest) largest = db;
  if (dc > largest) largest = dc;
  Radius = std::sqrt(largest);
}

CVector3 CSphere::PointOnSurface(const CVector3& direction) const { return Centre + Unit(direction) * Radius; }

CVector3 CSphere::RandomPoint() const {
  // Each component is drawn in turn (x, then y, then z) so that a seeded run repeats.
  CVector3 d;
  d.x = RandomFloatRange(0, 2) - 1;
  d.y = RandomFloatRange(0, 2) - 1;
  d.z = RandomFloatRange(0, 2) - 1;
  d = Unit(d);
  return Centre + d * (Radius * RandomFloatRange(0, 1));
}

bool CSphere::SegmentTouches(const CVector3& a, const CVector3& b) const {
  float r2 = Radius * Radius;
  if (LengthSq(a - Centre) < r2 || LengthSq(b - Centre) < r2) return true;
  CVector3 u = Unit(b - a);
  float s = Dot(u, Centre - a);
  if (s < 0 || s > Length(b - a)) return false;
  return LengthSq(a + u * s - Centre) < r2;
}

bool CSphere::TouchesTriangle(const float* triangle, const float* plane) const {
  return TouchesTriangleVerts(V(triangle), V(triangle + 3), V(triangle + 6), plane);
}

bool CSphere::TouchesTriangleVerts(const CVector3& a, const CVector3& b, const CVector3& c, const float* plane) const {
  float r2 = Radius * Radius;
  if (std::fabs(Distance(plane, Centre)) >= Radius) return false;
  const CVector3 corners[3] = {a, b, c};
  for (const CVector3& v : corners)
    if (LengthSq(v - Centre) < r2) return true;
  for (int k = 0; k < 3; ++k) {
    CVector3 start = corners[k], edge = corners[(k + 1) % 3] - start;
    CVector3 u = Unit(edge);
    float s = Dot(u, Centre - start);
    if (s >= 0 && s <= Length(edge) && LengthSq(start + u * s - Centre) < r2) return true;
  }
  // Neither a corner nor an edge is inside: touching means the centre's foot lies inside.
  CVector3 foot;
  float t;
  if (!IntersectRay(plane, Centre, -Normal(plane), &foot, &t)) return false;
  return PointInTriangleVerts(plane, foot, a, b, c);
}

bool CSphere::TouchesPolygon(const float* plane, const BspPolygon* polygon) const {
  if (std::fabs(Distance(plane, Centre)) >= Radius) return false;
  unsigned n = polygon->VertexCount;
  for (unsigned k = 0; k < n; ++k)
    if (SegmentTouches(V(polygon->Vertex(k)), V(polygon->Vertex((k + 1) % n)))) return true;
  CVector3 foot;
  float t;
  if (!IntersectRay(plane, Centre, -Normal(plane), &foot, &t)) return false;
  return PointInPolygon(plane, foot, polygon);
}

bool CSphere::RayHit(const CVector3& origin, const CVector3& target, CVector3* point) const {
  CVector3 u = Unit(target - origin);
  CVector3 w = Centre - origin;
  float s = Dot(u, w);
  float disc = Radius * Radius - (LengthSq(w) - s * s);
  if (disc < -kBspEpsilon) return false;
  *point = origin + u * (s - std::sqrt(disc > 0 ? disc : 0.0f));
  return true;
}

void MergeSpheresInto(const CSphere& a, const CSphere& b, CSphere* out) {
  CVector3 between = b.Centre - a.Centre;
  float gap = Length(between);
  // When one sphere already holds the other, the larger one is the answer.
  if (gap + b.Radius <= a.Radius) {
    *out = a;
    return;
  }
  if (gap + a.Radius <= b.Radius) {
    *out = b;
    return;
  }
  // Otherwise span from the far side of a to the far side of b along the line of centres.
  CVector3 u = Unit(between);
  CVector3 far_a = a.Centre - u * a.Radius, far_b = b.Centre + u * b.Radius;
  CSphere merged;
  merged.Centre = far_a + (far_b - far_a) * 0.5f;
  merged.Radius = Length(far_b - far_a) * 0.5f;
  *out = merged;
}

void MergeSpheres(CSphere* a, const CSphere& b) { MergeSpheresInto(*a, b, a); }
