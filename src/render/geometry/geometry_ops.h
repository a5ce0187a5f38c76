// Small vector and plane arithmetic shared by the BSP queries, the swept-sphere
// tests and the bounding volumes (internal to the renderer's geometry code).
// Vectors are CVector3 (world units, y up); a plane is four floats a, b, c, d
// with signed distance a·x + b·y + c·z + d, positive in front, laid out as the
// foundation's CPlane, whose ray and segment rules the helpers below use.
#pragma once

#include <cmath>

#include "foundation/maths/plane.h"
#include "render/geometry/vector3.h"

namespace geom {

// Comparison tolerance of the engine's float tests.
inline constexpr float kTolerance = 7.6e-6f;
// Tolerance of BSP classification, bounding-sphere culling and box margins.
inline constexpr float kBspEpsilon = 0.0001f;

inline CVector3 V(const float* p) { return {p[0], p[1], p[2]}; }
inline CVector3 operator+(CVector3 a, CVector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline CVector3 operator-(CVector3 a, CVector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline CVector3 operator-(CVector3 a) { return {-a.x, -a.y, -a.z}; }
inline CVector3 operator*(CVector3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(CVector3 a, CVector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline CVector3 Cross(CVector3 a, CVector3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float LengthSq(CVector3 a) { return Dot(a, a); }
inline float Length(CVector3 a) { return std::sqrt(Dot(a, a)); }
// a / |a|; the zero vector stays zero.
inline CVector3 Unit(CVector3 a) {
  float l = Length(a);
  return l > 0 ? a * (1.0f / l) : a;
}

inline CVector3 Normal(const float* plane) { return {plane[0], plane[1], plane[2]}; }
inline float Distance(const float* plane, CVector3 p) {
  return plane[0] * p.x + plane[1] * p.y + plane[2] * p.z + plane[3];
}

// The engine's plane record for four floats a, b, c, d.
inline CPlane AsPlane(const float* plane) {
  CPlane p;
  p.n = {plane[0], plane[1], plane[2]};
  p.d = plane[3];
  return p;
}

// Ray (origin + t·direction, any t) against a plane; fails only when the
// direction is parallel.  An origin within the tolerance of the plane gives t = 0.
inline bool IntersectRay(const float* plane, CVector3 origin, CVector3 direction, CVector3* point, float* t) {
  Vector3 hit;
  if (!AsPlane(plane).IntersectRay(origin, direction, &hit, t)) return false;
  *point = hit;
  return true;
}

// Segment a→b against a plane: fails when parallel or when the crossing lies
// outside the segment (beyond the tolerance); the factor is clamped to [0, 1].
inline bool IntersectSegment(const float* plane, CVector3 a, CVector3 b, CVector3* point, float* t) {
  Vector3 hit;
  if (!AsPlane(plane).IntersectSegment(a, b, &hit, t)) return false;
  *point = hit;
  return true;
}

// 0 when |n.z| is strictly the largest component; else 1 when |n.y| > |n.x|; else 2.
inline int DominantAxis(const float* plane) { return AsPlane(plane).DominantAxis(); }

}  // namespace geom
