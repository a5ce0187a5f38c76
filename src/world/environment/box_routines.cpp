#include "world/environment/box_routines.h"

#include <cmath>

bool BoxNearestCorner(const CVector3& min, const CVector3& max, const CVector3& point, CVector3* corner,
                      float* distanceSquared) {
  float best = 1e8f;
  bool found = false;
  for (int i = 0; i < 8; ++i) {
    const CVector3 c{(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
    const float dx = c.x - point.x, dy = c.y - point.y, dz = c.z - point.z;
    const float d = dx * dx + dy * dy + dz * dz;
    if (d < best) {
      best = d;
      *corner = c;
      found = true;
    }
  }
  if (found) *distanceSquared = best;
  return found;
}

bool SphereInsideBox(const CSphere& s, const CVector3& min, const CVector3& max) {
  const float r = s.Radius;
  return s.Centre.x - r >= min.x && s.Centre.x + r <= max.x && s.Centre.y - r >= min.y && s.Centre.y + r <= max.y &&
         s.Centre.z - r >= min.z && s.Centre.z + r <= max.z;
}

namespace {

// The box point nearest to p (p clamped into the box on each axis) and the
// number of axes on which p lay outside.
int ClampToBox(const CVector3& p, const CVector3& min, const CVector3& max, CVector3* out) {
  int outside = 0;
  auto clamp = [&outside](float v, float lo, float hi) {
    if (v < lo) {
      ++outside;
      return lo;
    }
    if (v > hi) {
      ++outside;
      return hi;
    }
    return v;
  };
  *out = {clamp(p.x, min.x, max.x), clamp(p.y, min.y, max.y), clamp(p.z, min.z, max.z)};
  return outside;
}

}  // namespace

bool SphereTouchesBox(const CSphere& s, const CVector3& min, const CVector3& max) {
  CVector3 q;
  ClampToBox(s.Centre, min, max, &q);
  const float dx = q.x - s.Centre.x, dy = q.y - s.Centre.y, dz = q.z - s.Centre.z;
  return dx * dx + dy * dy + dz * dz <= s.Radius * s.Radius;
}

// Outside the box the nearest surface point is the centre clamped into it: one
// axis out of range means a face, two an edge, three a corner.
BoxContact SphereBoxContact(const CSphere& s, const CVector3& min, const CVector3& max) {
  BoxContact contact{BOXCONTACT_NONE, {}, 9999999.0f};
  CVector3 q;
  const int outside = ClampToBox(s.Centre, min, max, &q);
  if (outside == 0) {
    contact.Kind = BOXCONTACT_INSIDE;
    contact.Point = s.Centre;
    contact.Distance = 0.0f;
    return contact;
  }
  const float dx = q.x - s.Centre.x, dy = q.y - s.Centre.y, dz = q.z - s.Centre.z;
  const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (d > s.Radius) return contact;
  contact.Kind = outside == 1 ? BOXCONTACT_FACE : outside == 2 ? BOXCONTACT_EDGE : BOXCONTACT_CORNER;
  contact.Point = q;
  contact.Distance = d;
  return contact;
}
