// An axis-aligned bounding box: octree cells, route markers, environment
// instances.  Every builder applies the box rule: half = (max - min) / 2,
// centre = min + half, then each half size below 1 is raised to 1 (min, max and
// centre keep their values), so a thin box overlaps others as if it were at
// least 2 units thick while point tests still use min and max.
#pragma once

#include "foundation/maths/plane.h"
#include "render/geometry/matrix.h"
#include "render/volumes/sphere.h"
#include "render/geometry/vector3.h"

class COrientedBox;

class CBoundingBox {
 public:
  CVector3 Min;
  CVector3 Max;
  CVector3 Half;
  CVector3 Centre;
  // Face planes, all facing into the box: +z through min, -z through max,
  // +x through min, -x through max, +y through min, -y through max.
  CPlane Planes[6];

  CBoundingBox() = default;
  CBoundingBox(const CVector3& min, const CVector3& max);

  // Sets min and max, then the box rule and the face planes.
  void Set(const CVector3& min, const CVector3& max);
  // The box around the eight corners of an oriented box.
  void SetFromOrientedBox(const COrientedBox& box);
  // The oriented box in its own frame (-e, +e); a matrix, when given, becomes
  // its local-to-world transform (rows the axes, translation the centre).
  void SetLocalFromOrientedBox(const COrientedBox& box, CMatrix* matrix);
  // Grows this box to enclose the other.
  void Merge(const CBoundingBox& other);

  // Whether the boxes overlap on every axis (centre distance within the summed half sizes).
  bool Overlaps(const CBoundingBox& other) const;
  // Whether min - margin <= p <= max + margin on every axis.
  bool ContainsPoint(const CVector3& p, float margin) const;
  // Whether the sphere's centre lies within the box grown by its radius.
  bool TouchesSphere(const CSphere& sphere) const;
  // Distance along the ray (origin + t·direction, t >= 0) to where it enters
  // the box; 0 from inside; false when it misses.
  bool RayEntry(const CVector3& origin, const CVector3& direction, float* distance) const;
  // Where segment a-b first enters the box and its factor in [0, 1]; false when it does not.
  bool SegmentHit(const CVector3& a, const CVector3& b, CVector3* point, float* factor) const;
  // The first face (in plane order) the segment crosses within 0.01 of the
  // box, its crossing point and the face normal; false when none.
  bool SegmentHitFace(const CVector3& a, const CVector3& b, CVector3* point, CVector3* normal) const;
  // Cuts the segment by each face plane in turn, keeping the part in front;
  // true when any plane cut it.
  bool ClipSegment(CVector3* a, CVector3* b) const;
};
