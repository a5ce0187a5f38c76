#include "foundation/maths/plane.h"

#include <cmath>

#include "foundation/maths/float_compare.h"

namespace {

template <typename Vec>
Vec Sub(const Vec& a, const Vec& b) {
  return Vec{a.x - b.x, a.y - b.y, a.z - b.z};
}

template <typename Vec>
Vec Cross(const Vec& a, const Vec& b) {
  return Vec{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <typename Real, typename Vec>
Real Dot3(const Vec& a, const Vec& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

template <typename Real, typename Vec>
Vec NormaliseUnlessZero(Vec v) {
  if (v.x == 0 && v.y == 0 && v.z == 0) return v;
  Real length = std::sqrt(Dot3<Real>(v, v));
  return Vec{v.x / length, v.y / length, v.z / length};
}

template <typename Real>
constexpr Real kTol = static_cast<Real>(7.6e-6);

}  // namespace

template <typename Real, typename Vec>
void CPlaneT<Real, Vec>::FromPoints(const Vec& a, const Vec& b, const Vec& c) {
  n = NormaliseUnlessZero<Real>(Cross(Sub(b, a), Sub(c, a)));
  d = -Dot3<Real>(n, a);
}

template <typename Real, typename Vec>
void CPlaneT<Real, Vec>::FromNormalAndPoint(const Vec& normal, const Vec& p) {
  n = normal;
  d = -Dot3<Real>(n, p);
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::DominantAxis() const {
  Real ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  if (az > ax && az > ay) return 0;
  return ay > ax ? 1 : 2;
}

template <typename Real, typename Vec>
Real CPlaneT<Real, Vec>::Distance(const Vec& p) const {
  return Dot3<Real>(n, p) + d;
}

template <typename Real, typename Vec>
Real CPlaneT<Real, Vec>::Dot(const Vec& v) const {
  return Dot3<Real>(n, v);
}

// t = -distance(origin) / (n.direction); an origin on the plane is its own
// crossing.
template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::Intersect(const Vec& origin, const Vec& direction, Vec* point, Real* t) const {
  Real denom = Dot3<Real>(n, direction);
  if (denom == 0) return 0;
  Real dist = Distance(origin);
  Real tt;
  Vec hit;
  if (std::fabs(dist) <= kTol<Real>) {
    tt = 0;
    hit = origin;
  } else {
    tt = -dist / denom;
    hit = Vec{origin.x + tt * direction.x, origin.y + tt * direction.y, origin.z + tt * direction.z};
  }
  if (point) *point = hit;
  if (t) *t = tt;
  return 1;
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::IntersectRayFront(const Vec& origin, const Vec& direction, Vec* point, Real* t) const {
  if (Dot3<Real>(n, direction) >= 0) return 0;
  return Intersect(origin, direction, point, t);
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::IntersectRay(const Vec& origin, const Vec& direction, Vec* point, Real* t) const {
  return Intersect(origin, direction, point, t);
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::IntersectLine(const Vec& a, const Vec& b, Vec* point, Real* t) const {
  return Intersect(a, Sub(b, a), point, t);
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::IntersectSegmentImpl(const Vec& a, const Vec& b, Vec* point, Real* t, bool frontOnly) const {
  Vec dir = Sub(b, a);
  Real denom = Dot3<Real>(n, dir);
  if (frontOnly ? denom >= 0 : denom == 0) return 0;
  Real tt;
  Vec hit;
  if (!Intersect(a, dir, &hit, &tt)) return 0;
  if (tt < -kTol<Real> || tt > 1 + kTol<Real>) return 0;
  if (tt < 0) tt = 0;
  if (tt > 1) tt = 1;
  if (point) *point = hit;
  if (t) *t = tt;
  return 1;
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::IntersectSegmentFront(const Vec& a, const Vec& b, Vec* point, Real* t) const {
  return IntersectSegmentImpl(a, b, point, t, true);
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::IntersectSegment(const Vec& a, const Vec& b, Vec* point, Real* t) const {
  return IntersectSegmentImpl(a, b, point, t, false);
}

template <typename Real, typename Vec>
int CPlaneT<Real, Vec>::ClipSegmentToFront(Vec* a, Vec* b) const {
  int side = SignWithTolerance(Distance(*a), kTol<Real>);
  if (side == 0) return 0;
  Vec dir = Sub(*b, *a);
  Real denom = Dot3<Real>(n, dir);
  if (denom == 0) return 0;
  Real tt = -Distance(*a) / denom;
  if (tt < 0 || tt > 1) return 0;
  Vec hit{a->x + tt * dir.x, a->y + tt * dir.y, a->z + tt * dir.z};
  if (side > 0) {
    *b = hit;
  } else {
    *a = hit;
  }
  return 1;
}

template class CPlaneT<float, Vector3>;
template class CPlaneT<double, Vector3D>;

namespace {

template <typename Real, typename Vec>
bool PlanarConvex(const Vec* p, int count, Real limit) {
  if (count < 1) return true;
  Vec previous{};
  for (int i = 1; i <= count; ++i) {
    const Vec& a = p[(i - 1) % count];
    const Vec& b = p[i % count];
    const Vec& c = p[(i + 1) % count];
    Vec normal = NormaliseUnlessZero<Real>(Cross(Sub(b, a), Sub(c, b)));
    if (i > 1 && Dot3<Real>(normal, previous) < limit) return false;
    previous = normal;
  }
  return true;
}

}  // namespace

bool IsPlanarConvex(const Vector3* points, int n) { return PlanarConvex<float>(points, n, 0.99924f); }
bool IsPlanarConvex(const Vector3D* points, int n) { return PlanarConvex<double>(points, n, 0.9999924); }
