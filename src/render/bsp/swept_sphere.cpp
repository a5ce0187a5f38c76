#include "render/bsp/swept_sphere.h"

#include <cmath>
#include <cstring>

#include "render/geometry/closest_point.h"
#include "render/geometry/geometry_ops.h"
#include "render/bsp/point_in_polygon.h"

using namespace geom;

namespace {

// What a test puts back when its candidate is refused.
struct SavedHit {
  float distance;
  CVector3 contact;
  float plane[4];
  std::uint32_t has_plane;
  std::uint32_t kind;
  std::uint32_t hit;

  explicit SavedHit(const CSweptSphere& r)
      : distance(r.HitDistance), contact(r.ContactPoint), has_plane(r.HasHitPlane), kind(r.HitKind), hit(r.Hit) {
    std::memcpy(plane, r.HitPlane, sizeof plane);
  }
  void Restore(CSweptSphere* r) const {
    r->HitDistance = distance;
    r->ContactPoint = contact;
    std::memcpy(r->HitPlane, plane, sizeof plane);
    r->HasHitPlane = has_plane;
    r->HitKind = kind;
    r->Hit = hit;
  }
};

// The shared core of the polygon and box-face sweeps: the plane sweep gives a
// contact in the plane; a contact outside the polygon moves to the nearest
// point of its outline; the travel t after which the moving sphere touches that
// point is found by casting back from it along -direction onto the start
// sphere.  A sphere that already overlaps the point may report t down to -radius.
bool SweepPolygonContact(const CSphere& sphere, CSweptSphere* record, const float* plane, const BspPolygon* polygon,
                         CVector3* contact, float* travel, bool* inside, float* lower) {
  if (!SweptSphereVsPlane(sphere, record, plane, 0)) return false;
  *contact = record->ContactPoint;
  if (!PointInPolygon(plane, *contact, polygon)) {
    CVector3 in_plane = *contact;
    ClosestPointOnPolygonEdge(contact, polygon, in_plane);
  }
  if (!DistanceBackToSphere(sphere, *contact, -record->Direction, travel)) return false;
  *inside = sphere.Radius * sphere.Radius > LengthSq(*contact - sphere.Centre);
  *lower = *inside ? -sphere.Radius : 0.0f;
  return true;
}

// A face of an oriented box as a 4-vertex BSP polygon record.
struct FacePolygon {
  alignas(BspPolygon) std::uint8_t bytes[sizeof(BspPolygon) + 4 * 12];
  BspPolygon* Get() { return reinterpret_cast<BspPolygon*>(bytes); }
};

}  // namespace

int SweptSphereVsPlane(const CSphere& sphere, CSweptSphere* record, const float* plane, int keep_nearest) {
  CVector3 n = Normal(plane);
  if (Dot(n, record->Direction) >= 0) return 0;  // moving away or parallel
  float dist = Distance(plane, sphere.Centre);
  CVector3 contact;
  float candidate;
  if (std::fabs(dist) <= sphere.Radius) {
    // Already touching: the contact is the centre's foot on the plane.
    contact = sphere.Centre - n * dist;
    candidate = dist;
  } else {
    // The leading point of the sphere meets the plane first.
    CVector3 leading = sphere.Centre - n * sphere.Radius;
    if (!IntersectRay(plane, leading, record->Direction, &contact, &candidate)) return 0;
  }
  if (keep_nearest && record->HasHitPlane && candidate >= record->HitDistance) return 0;
  record->HitDistance = candidate;
  record->ContactPoint = contact;
  std::memcpy(record->HitPlane, plane, sizeof record->HitPlane);
  record->HasHitPlane = 1;
  record->Hit = 1;
  record->HitKind = SWEPT_HIT_PLANE;
  return 1;
}

int SweptSphereVsPolygon(const CSphere& sphere, CSweptSphere* record, const float* plane, const BspPolygon* polygon,
                         int keep_nearest) {
  if (!keep_nearest) {
    record->Hit = 0;
    record->HitKind = SWEPT_HIT_NONE;
    record->HitPolygon = nullptr;
  }
  // Cull when the sweep's bounding sphere and the polygon's bounding sphere are apart.
  float reach = record->Bounds.Radius + std::sqrt(polygon->RadiusSq);
  if (reach * reach + kBspEpsilon < LengthSq(record->Bounds.Centre - V(polygon->Centre))) return 0;

  SavedHit saved(*record);
  CVector3 contact;
  float t, lower;
  bool inside;
  if (SweepPolygonContact(sphere, record, plane, polygon, &contact, &t, &inside, &lower) && lower <= t &&
      t <= record->Length && (t < saved.distance || !saved.hit || !keep_nearest)) {
    record->ContactPoint = contact;
    record->ContactAtStart = contact - record->Direction * t;
    record->HitKind = SWEPT_HIT_POLYGON;
    record->StartedInside = inside ? 1 : 0;
    record->HitPolygon = polygon;
    record->Hit = 1;
    record->HitDistance = t;
    return 1;
  }
  saved.Restore(record);
  return 0;
}

int SweptSphereVsBox(const CSphere& sphere, CSweptSphere* record, const float* box, int keep_previous) {
  COrientedBox oriented;
  oriented.SetFromBox(box, nullptr);
  return SweptSphereVsOrientedBox(sphere, record, oriented, keep_previous);
}

int SweptSphereVsOrientedBox(const CSphere& sphere, CSweptSphere* record, const COrientedBox& box,
                             int keep_previous) {
  if (!keep_previous) {
    record->Hit = 0;
    record->HitKind = SWEPT_HIT_NONE;
  }
  for (int face = 0; face < 6; ++face) {
    int k = face / 2, i = (k + 1) % 3, j = (k + 2) % 3;
    CVector3 n = face % 2 == 0 ? box.Axis[k] : -box.Axis[k];
    CVector3 centre = box.Centre + n * box.Extent[k];
    CVector3 u = box.Axis[i] * box.Extent[i], v = box.Axis[j] * box.Extent[j];
    FacePolygon face_polygon{};
    BspPolygon* polygon = face_polygon.Get();
    polygon->VertexCount = 4;
    const CVector3 corners[4] = {centre - u - v, centre + u - v, centre + u + v, centre - u + v};
    for (int c = 0; c < 4; ++c) {
      polygon->Vertex(c)[0] = corners[c].x;
      polygon->Vertex(c)[1] = corners[c].y;
      polygon->Vertex(c)[2] = corners[c].z;
    }
    // Outward face plane through a point of the face: n·x - n·centre.
    const float plane[4] = {n.x, n.y, n.z, -Dot(n, centre)};

    SavedHit saved(*record);
    CVector3 contact;
    float t, lower;
    bool inside;
    if (SweepPolygonContact(sphere, record, plane, polygon, &contact, &t, &inside, &lower) && lower <= t &&
        t <= record->Length && (t < saved.distance || !saved.hit)) {
      record->ContactPoint = contact;
      record->ContactAtStart = contact - record->Direction * t;
      record->HitKind = SWEPT_HIT_BOX_FACE;
      record->StartedInside = inside ? 1 : 0;
      record->Hit = 1;
      record->HitDistance = t;
    } else {
      saved.Restore(record);
    }
  }
  return static_cast<int>(record->Hit);
}

int SweptSphereVsSphere(const CSphere& sphere, CSweptSphere* record, const CSphere& target, int keep_nearest) {
  if (!keep_nearest) {
    record->Hit = 0;
    record->HitKind = SWEPT_HIT_NONE;
  }
  CVector3 w = target.Centre - sphere.Centre;
  float reach = target.Radius + sphere.Radius;
  if (LengthSq(w) <= reach * reach || record->Length == 0) return 0;
  // |start + motion·t - target|² = reach²  →  |m|²t² - 2(m·w)t + |w|² - reach² = 0, t in [0, 1].
  float r1, r2;
  if (!SolveSweepQuadratic(LengthSq(record->Motion), -2.0f * Dot(record->Motion, w), LengthSq(w) - reach * reach,
                           &r1, &r2))
    return 0;
  float t = r1 < r2 ? r1 : r2;
  if (t < 0 || t > 1) return 0;
  float dist = t * record->Length;
  if (keep_nearest && record->Hit && dist >= record->HitDistance) return 0;
  CVector3 centre_at_contact = sphere.Centre + record->Direction * dist;
  CVector3 towards = Unit(target.Centre - centre_at_contact);
  record->ContactPoint = centre_at_contact + towards * sphere.Radius;
  record->ContactAtStart = record->ContactPoint - record->Direction * dist;
  record->HitKind = SWEPT_HIT_SPHERE;
  record->HitDistance = dist;
  record->Hit = 1;
  return 1;
}

int SolveSweepQuadratic(float a, float b, float c, float* root1, float* root2) {
  float disc = b * b - 4 * a * c;
  if (disc < 0) return 0;
  float s = std::sqrt(disc);
  *root1 = (s - b) / (2 * a);
  *root2 = (-b - s) / (2 * a);
  return 1;
}

int DistanceBackToSphere(const CSphere& sphere, const CVector3& p, const CVector3& u, float* distance) {
  CVector3 w = sphere.Centre - p;
  float s = Dot(w, u);
  float disc = sphere.Radius * sphere.Radius - (LengthSq(w) - s * s);
  if (disc < -kBspEpsilon) return 0;
  // A grazing line within the tolerance counts as touching (disc taken as 0).
  *distance = s - std::sqrt(disc > 0 ? disc : 0.0f);
  return 1;
}
