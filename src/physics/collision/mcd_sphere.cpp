#include "physics/collision/mcd_sphere.h"

#include "physics/collision/mcd_primitive_common.h"
#include "physics/util/me_memory.h"

namespace {
int g_typeId = -1;
}

McdGeometryID McdSphereCreate(MeReal radius) {
  McdSphere* s = static_cast<McdSphere*>(MeAlloc(sizeof(McdSphere)));
  if (!s) return nullptr;
  McdGeometryInit(&s->header, g_typeId);
  s->radius = radius;
  return &s->header;
}

void McdSphereSetRadius(McdGeometryID g, MeReal radius) {
  reinterpret_cast<McdSphere*>(g)->radius = radius;
}
MeReal McdSphereGetRadius(McdGeometryID g) { return reinterpret_cast<McdSphere*>(g)->radius; }
int McdSphereGetTypeId() { return g_typeId; }

int McdSphereRegisterType() {
  g_typeId = McdGeometryRegisterType("McdSphere", McdSphereDestroy, McdSphereGetAABB,
                                     McdSphereGetBSphere, McdSphereMaximumPoint,
                                     McdSphereGetMassProperties);
  return g_typeId;
}

void McdSphereDestroy(McdGeometryID g) { MeFree(g); }

void McdSphereGetAABB(McdGeometryID g, const MeReal* transform, MeReal* min, MeReal* max) {
  MeReal r = McdSphereGetRadius(g);
  const MeReal* p = transform + 12;
  MeVector3 lo = {p[0] - r, p[1] - r, p[2] - r};
  MeVector3 hi = {p[0] + r, p[1] + r, p[2] + r};
  mcd_detail::StoreAABB(g, lo, hi, min, max);
}

void McdSphereGetBSphere(McdGeometryID g, MeReal* centre, MeReal* radius) {
  MeVector3Set(centre, 0, 0, 0);
  *radius = McdSphereGetRadius(g);
}

void McdSphereMaximumPoint(McdGeometryID g, const MeReal* transform, const MeReal* direction,
                           MeReal* point) {
  MeVector3Copy(point, transform + 12);
  MeVector3MultiplyAdd(point, McdSphereGetRadius(g), direction);
}

// Solid sphere per unit mass: I = 0.4 r²; volume 4/3 π r³.
MeI16 McdSphereGetMassProperties(McdGeometryID g, MeReal* relTransform, MeReal* inertia,
                                 MeReal* volume) {
  MeReal r = McdSphereGetRadius(g);
  MeMatrix4TMMakeIdentity(relTransform);
  MeReal i = 0.4f * r * r;
  mcd_detail::DiagonalInertia(inertia, i, i, i);
  if (volume) *volume = 4.1887903f * r * r * r;
  return 0;
}
