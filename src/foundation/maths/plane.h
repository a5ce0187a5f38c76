// Planes n.p + d = 0 with a normal n: a point is in front when n.p + d > 0.
// `CPlane` works in floats, `CPlaneD` in doubles; both use the tolerance
// 7.6e-6.
#pragma once

#include "foundation/maths/vector3.h"

template <typename Real, typename Vec>
class CPlaneT {
 public:
  Vec n{};
  Real d{};

  // Plane through three points: n = (b - a) x (c - a), made unit length
  // unless all its components are exactly 0.
  void FromPoints(const Vec& a, const Vec& b, const Vec& c);
  // Plane with the given normal (kept as given) through p.
  void FromNormalAndPoint(const Vec& normal, const Vec& p);
  // 0 when |n.z| is strictly the largest; else 1 when |n.y| > |n.x|; else 2.
  int DominantAxis() const;
  // Signed distance n.p + d.
  Real Distance(const Vec& p) const;
  // n.v.
  Real Dot(const Vec& v) const;

  // Ray meeting the front face: 0 when n.direction >= 0.  An origin on the
  // plane answers itself with t 0.
  int IntersectRayFront(const Vec& origin, const Vec& direction, Vec* point, Real* t) const;
  // Ray meeting the plane from either side: 0 only when parallel.
  int IntersectRay(const Vec& origin, const Vec& direction, Vec* point, Real* t) const;
  // The line through a and b (t 0 at a, 1 at b): 0 only when parallel.
  int IntersectLine(const Vec& a, const Vec& b, Vec* point, Real* t) const;
  // Segment a-b crossing the front face: 0 when n.(b - a) >= 0 or the
  // crossing lies outside the segment (beyond the tolerance); t is clamped
  // into [0, 1].
  int IntersectSegmentFront(const Vec& a, const Vec& b, Vec* point, Real* t) const;
  // Segment crossing from either side: 0 when parallel or outside.
  int IntersectSegment(const Vec& a, const Vec& b, Vec* point, Real* t) const;
  // Cuts the segment at the plane, keeping the part in front: the end
  // behind becomes the crossing point.  0 (unchanged) when a lies on the
  // plane, the segment is parallel, or it does not cross.
  int ClipSegmentToFront(Vec* a, Vec* b) const;

 private:
  int Intersect(const Vec& origin, const Vec& direction, Vec* point, Real* t) const;
  int IntersectSegmentImpl(const Vec& a, const Vec& b, Vec* point, Real* t, bool frontOnly) const;
};

using CPlane = CPlaneT<float, Vector3>;
using CPlaneD = CPlaneT<double, Vector3D>;

extern template class CPlaneT<float, Vector3>;
extern template class CPlaneT<double, Vector3D>;

// True when the n corners form a planar convex polygon: consecutive corner
// normals agree (dot at least 0.99924).  True also for n < 1.
bool IsPlanarConvex(const Vector3* points, int n);
// The same in doubles (dot at least 0.9999924).
bool IsPlanarConvex(const Vector3D* points, int n);
