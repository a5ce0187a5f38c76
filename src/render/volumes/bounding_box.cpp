#include "render/volumes/bounding_box.h"

#include <algorithm>
#include <cmath>

#include "render/geometry/geometry_ops.h"
#include "render/volumes/oriented_box.h"

using namespace geom;

namespace {
void SetPlane(CPlane* plane, float a, float b, float c, float d) {
  plane->n = {a, b, c};
  plane->d = d;
}
CVector3 Min3(const CVector3& a, const CVector3& b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
CVector3 Max3(const CVector3& a, const CVector3& b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }
}  // namespace

CBoundingBox::CBoundingBox(const CVector3& min, const CVector3& max) { Set(min, max); }

void CBoundingBox::Set(const CVector3& min, const CVector3& max) {
  Min = min;
  Max = max;
  Half = (max - min) * 0.5f;
  Centre = min + Half;
  if (Half.x < 1.0f) Half.x = 1.0f;
  if (Half.y < 1.0f) Half.y = 1.0f;
  if (Half.z < 1.0f) Half.z = 1.0f;
  // n·p + d with d = -n·(point on the face); every normal points into the box.
  SetPlane(&Planes[0], 0, 0, 1, -min.z);
  SetPlane(&Planes[1], 0, 0, -1, max.z);
  SetPlane(&Planes[2], 1, 0, 0, -min.x);
  SetPlane(&Planes[3], -1, 0, 0, max.x);
  SetPlane(&Planes[4], 0, 1, 0, -min.y);
  SetPlane(&Planes[5], 0, -1, 0, max.y);
}

void CBoundingBox::SetFromOrientedBox(const COrientedBox& box) {
  CVector3 lo{}, hi{};
  for (int corner = 0; corner < 8; ++corner) {
    CVector3 p = box.LocalToWorld(corner & 1 ? 1.0f : -1.0f, corner & 2 ? 1.0f : -1.0f, corner & 4 ? 1.0f : -1.0f);
    lo = corner ? Min3(lo, p) : p;
    hi = corner ? Max3(hi, p) : p;
  }
  Set(lo, hi);
}

void CBoundingBox::SetLocalFromOrientedBox(const COrientedBox& box, CMatrix* matrix) {
  CVector3 e{box.Extent[0], box.Extent[1], box.Extent[2]};
  Set(-e, e);
  if (!matrix) return;
  matrix->SetIdentity();
  for (int k = 0; k < 3; ++k) {
    matrix->m[k][0] = box.Axis[k].x;
    matrix->m[k][1] = box.Axis[k].y;
    matrix->m[k][2] = box.Axis[k].z;
  }
  matrix->TypeFlags = MATF_ROTATION;
  matrix->SetTranslation(box.Centre);
}

void CBoundingBox::Merge(const CBoundingBox& other) { Set(Min3(Min, other.Min), Max3(Max, other.Max)); }

bool CBoundingBox::Overlaps(const CBoundingBox& o) const {
  return std::fabs(Centre.x - o.Centre.x) <= Half.x + o.Half.x && std::fabs(Centre.y - o.Centre.y) <= Half.y + o.Half.y &&
         std::fabs(Centre.z - o.Centre.z) <= Half.z + o.Half.z;
}

bool CBoundingBox::ContainsPoint(const CVector3& p, float m) const {
  return Min.x - m <= p.x && p.x <= Max.x + m && Min.y - m <= p.y && p.y <= Max.y + m && Min.z - m <= p.z &&
         p.z <= Max.z + m;
}

bool CBoundingBox::TouchesSphere(const CSphere& s) const {
  // The same +0.0001 on both bounds, as the stored behaviour has it.
  const float r = s.Radius, e = kBspEpsilon;
  const CVector3& c = s.Centre;
  return Min.x - r + e <= c.x && c.x <= Max.x + r + e && Min.y - r + e <= c.y && c.y <= Max.y + r + e &&
         Min.z - r + e <= c.z && c.z <= Max.z + r + e;
}

bool CBoundingBox::RayEntry(const CVector3& origin, const CVector3& direction, float* distance) const {
  if (ContainsPoint(origin, kBspEpsilon)) {
    *distance = 0;
    return true;
  }
  float best = 1e8f;
  int hits = 0;
  for (const CPlane& plane : Planes) {
    Vector3 point;
    float t;
    // Only faces ahead of the origin count: a box behind the ray is not entered.
    if (!plane.IntersectRay(origin, direction, &point, &t) || t < 0) continue;
    if (!ContainsPoint(point, kBspEpsilon) || t >= best) continue;
    best = *distance = t;
    if (++hits == 2) break;
  }
  return hits > 0;
}

bool CBoundingBox::SegmentHit(const CVector3& a, const CVector3& b, CVector3* point, float* factor) const {
  float best = 1e8f;
  int hits = 0;
  for (const CPlane& plane : Planes) {
    Vector3 p;
    float t;
    if (!plane.IntersectSegment(a, b, &p, &t)) continue;
    if (!ContainsPoint(p, kBspEpsilon) || t >= best) continue;
    best = *factor = t;
    *point = p;
    if (++hits == 2) break;
  }
  return hits > 0;
}

bool CBoundingBox::SegmentHitFace(const CVector3& a, const CVector3& b, CVector3* point, CVector3* normal) const {
  for (const CPlane& plane : Planes) {
    Vector3 p;
    float t;
    if (!plane.IntersectSegment(a, b, &p, &t) || !ContainsPoint(p, 0.01f))
      continue;
    *point = p;
    *normal = plane.n;
    return true;
  }
  return false;
}

bool CBoundingBox::ClipSegment(CVector3* a, CVector3* b) const {
  bool cut = false;
  for (const CPlane& plane : Planes) {
    float da = plane.Distance(*a);
    int side = da < -kTolerance ? -1 : (da > kTolerance ? 1 : 0);
    float nd = plane.Dot(*b - *a);
    if (nd == 0 || side == 0) continue;
    float t = -da / nd;
    if (t < 0 || t > 1) continue;
    CVector3 crossing = *a + (*b - *a) * t;
    (side > 0 ? *b : *a) = crossing;
    cut = true;
  }
  return cut;
}
