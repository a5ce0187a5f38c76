#include "physics/collision/mcd_plane.h"

#include "physics/collision/mcd_primitive_common.h"
#include "physics/util/me_memory.h"

namespace {

int g_typeId = -1;
// Within this of a world axis, the normal counts as axis-aligned.
constexpr MeReal kAxisThreshold = 0.9999995f;

}  // namespace

McdGeometryID McdPlaneCreate() {
  McdPlane* p = static_cast<McdPlane*>(MeAlloc(sizeof(McdPlane)));
  if (!p) return nullptr;
  McdGeometryInit(&p->header, g_typeId);
  return &p->header;
}

int McdPlaneGetTypeId() { return g_typeId; }

int McdPlaneRegisterType() {
  g_typeId = McdGeometryRegisterType("McdPlane", McdPlaneDestroy, McdPlaneGetAABB,
                                     McdPlaneGetBSphere, McdPlaneMaximumPoint,
                                     McdPlaneGetMassProperties);
  return g_typeId;
}

void McdPlaneGetNormal(McdGeometryID, const MeReal* transform, MeReal* normal) {
  if (!transform) {
    MeVector3Set(normal, 0, 0, 1);
    return;
  }
  MeVector3Copy(normal, transform + 8);
}

MeReal McdPlaneGetDistance(McdGeometryID, const MeReal* transform, const MeReal* point) {
  if (!transform) return point[2];
  MeVector3 d;
  MeVector3Subtract(d, point, transform + 12);
  return MeVector3Dot(d, transform + 8);
}

void McdPlaneDestroy(McdGeometryID geometry) { MeFree(geometry); }

// The solid lies below the plane.  Only a normal along a world axis bounds
// the box, on that one side; every other bound is infinite.
void McdPlaneGetAABB(McdGeometryID geometry, const MeReal* transform, MeReal* min, MeReal* max) {
  MeVector3 lo = {-MeInfinity, -MeInfinity, -MeInfinity};
  MeVector3 hi = {MeInfinity, MeInfinity, MeInfinity};
  if (!transform) {
    hi[2] = 0;
  } else {
    const MeReal* n = transform + 8;
    const MeReal* p = transform + 12;
    for (int k = 0; k < 3; ++k) {
      if (n[k] >= kAxisThreshold) {
        hi[k] = p[k];
        break;
      }
      if (n[k] < -kAxisThreshold) {
        lo[k] = p[k];
        break;
      }
    }
  }
  mcd_detail::StoreAABB(geometry, lo, hi, min, max);
}

void McdPlaneGetBSphere(McdGeometryID, MeReal* centre, MeReal* radius) {
  MeVector3Set(centre, 0, 0, 0);
  *radius = MeInfinity;
}

void McdPlaneMaximumPoint(McdGeometryID, const MeReal* transform, const MeReal* direction,
                          MeReal* point) {
  MeVector3 n = {0, 0, 1};
  MeVector3 p = {0, 0, 0};
  if (transform) {
    MeVector3Copy(n, transform + 8);
    MeVector3Copy(p, transform + 12);
  }
  if (MeVector3Dot(direction, n) >= kAxisThreshold) {
    MeVector3Copy(point, p);
    return;
  }
  for (int k = 0; k < 3; ++k) point[k] = direction[k] * MeInfinity;
}

// A plane has no finite volume: the volume is reported as 0 so that no
// caller computes a mass from an unset value.
MeI16 McdPlaneGetMassProperties(McdGeometryID, MeReal* relTransform, MeReal* inertia,
                                MeReal* volume) {
  MeMatrix4TMMakeIdentity(relTransform);
  mcd_detail::DiagonalInertia(inertia, 1, 1, 1);
  if (volume) *volume = 0;
  return 0;
}
