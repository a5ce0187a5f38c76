// A named trigger volume of a level: an oriented box or a sphere that the
// mission scripts ask about, that switches use as their trigger areas and in
// which emitters pick random points.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "render/volumes/oriented_box.h"
#include "render/volumes/sphere.h"

enum RegionType : std::uint32_t {
  REGION_BOX = 0,
  REGION_SPHERE = 1,
};

class CRegion {
 public:
  // Box: within the box (0.0001 margin on each face); sphere: strictly
  // inside (a point on the surface is outside); any other type: never.
  bool ContainsPoint(const CVector3& point) const;
  // A random point of the box or the sphere; the centre of nothing for
  // another type (the origin).
  void RandomPoint(CVector3* out) const;

  std::uint32_t Type = REGION_BOX;
  std::uint32_t NameHash = 0;
  COrientedBox Box{};
  CSphere Sphere{};
};
