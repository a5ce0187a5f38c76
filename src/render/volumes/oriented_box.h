// An oriented box: box regions, switches, solid instances.  Half extents
// below 1 are raised to 1 by every builder, so a flat box still has thickness.
#pragma once

#include "render/geometry/matrix.h"
#include "render/volumes/sphere.h"
#include "render/geometry/vector3.h"

class COrientedBox {
 public:
  float Extent[3];   // half extents e0, e1, e2
  CVector3 Centre;
  CVector3 Axis[3];  // unit axes in world space

  COrientedBox() = default;
  // SetFromBoxAndPose.
  COrientedBox(const CVector3& min, const CVector3& max, const CVector3& position, const CVector3& angles);

  // The box min-max in its own frame, turned by -angle x about X, -angle y
  // about Y, -angle z about Z (degrees) and moved to position.
  void SetFromBoxAndPose(const CVector3& min, const CVector3& max, const CVector3& position, const CVector3& angles);
  // The box min-max placed by the matrix (its rotation turns the axes, the
  // whole matrix moves the centre); no matrix keeps the unit axes.
  void Set(const CVector3& min, const CVector3& max, const CMatrix* matrix);
  // The same with the box as six floats: min x, y, z, max x, y, z.
  void SetFromBox(const float* box, const CMatrix* matrix);

  // Separating-axis test over 15 axes; touching boxes overlap.
  bool Overlaps(const COrientedBox& other) const;
  // Whether the point lies within the box (0.0001 margin).
  bool ContainsPoint(const CVector3& p) const;
  // Whether the sphere's centre lies within the box grown by its radius along each axis.
  bool TouchesSphere(const CSphere& sphere) const;
  // centre + x·e0·a0 + y·e1·a1 + z·e2·a2 (coordinates in half-extent units).
  CVector3 LocalToWorld(float x, float y, float z) const;
  // A random point inside the box, from the engine's random tables.
  CVector3 RandomPoint() const;
};
