#include "world/regions/region.h"

#include "render/geometry/geometry_ops.h"

using namespace geom;

bool CRegion::ContainsPoint(const CVector3& point) const {
  switch (Type) {
    case REGION_BOX:
      return Box.ContainsPoint(point);
    case REGION_SPHERE:
      return Sphere.Radius * Sphere.Radius > LengthSq(point - Sphere.Centre);
    default:
      return false;
  }
}

void CRegion::RandomPoint(CVector3* out) const {
  switch (Type) {
    case REGION_BOX:
      *out = Box.RandomPoint();
      break;
    case REGION_SPHERE:
      *out = Sphere.RandomPoint();
      break;
    default:
      *out = CVector3{0.0f, 0.0f, 0.0f};
      break;
  }
}
