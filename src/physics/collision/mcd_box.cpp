#include "physics/collision/mcd_box.h"

#include "physics/collision/mcd_primitive_common.h"
#include "physics/util/me_memory.h"

namespace {

int g_typeId = -1;

McdBox* AsBox(McdGeometryID g) { return reinterpret_cast<McdBox*>(g); }

}  // namespace

McdGeometryID McdBoxCreate(MeReal x, MeReal y, MeReal z) {
  McdBox* b = static_cast<McdBox*>(MeAlloc(sizeof(McdBox)));
  if (!b) return nullptr;
  McdGeometryInit(&b->header, g_typeId);
  McdBoxSetDimensions(&b->header, x, y, z);
  return &b->header;
}

void McdBoxSetDimensions(McdGeometryID g, MeReal x, MeReal y, MeReal z) {
  McdBox* b = AsBox(g);
  MeVector3Set(b->radii, 0.5f * x, 0.5f * y, 0.5f * z);
  b->radius = MeVector3Magnitude(b->radii);
}

void McdBoxGetDimensions(McdGeometryID g, MeReal* x, MeReal* y, MeReal* z) {
  McdBox* b = AsBox(g);
  *x = 2 * b->radii[0];
  *y = 2 * b->radii[1];
  *z = 2 * b->radii[2];
}

MeReal* McdBoxGetRadii(McdGeometryID g) { return AsBox(g)->radii; }
MeReal McdBoxGetRadius(McdGeometryID g) { return AsBox(g)->radius; }
int McdBoxGetTypeId() { return g_typeId; }

int McdBoxRegisterType() {
  g_typeId = McdGeometryRegisterType("McdBox", McdBoxDestroy, McdBoxGetAABB, McdBoxGetBSphere,
                                     McdBoxMaximumPoint, McdBoxGetMassProperties);
  return g_typeId;
}

void McdBoxDestroy(McdGeometryID g) { MeFree(g); }

void McdBoxGetAABB(McdGeometryID g, const MeReal* transform, MeReal* min, MeReal* max) {
  mcd_detail::StoreOrientedBoxAABB(g, transform, AsBox(g)->radii, min, max);
}

void McdBoxGetXYAABB(McdGeometryID g, const MeReal* transform, MeReal* bounds) {
  mcd_detail::OrientedBoxXYBounds(transform, AsBox(g)->radii, bounds);
}

void McdBoxGetBSphere(McdGeometryID g, MeReal* centre, MeReal* radius) {
  MeVector3Set(centre, 0, 0, 0);
  *radius = AsBox(g)->radius;
}

void McdBoxMaximumPoint(McdGeometryID g, const MeReal* transform, const MeReal* direction,
                        MeReal* point) {
  mcd_detail::OrientedBoxSupport(transform, AsBox(g)->radii, direction, point);
}

void McdBoxMaximumPointLocal(McdGeometryID g, const MeReal* d, MeReal* point) {
  const MeReal* e = AsBox(g)->radii;
  for (int k = 0; k < 3; ++k) point[k] = mcd_detail::Sign0(d[k]) * e[k];
}

// Solid box per unit mass: I_xx = (hy² + hz²)/3 ...; volume 8 hx hy hz.
MeI16 McdBoxGetMassProperties(McdGeometryID g, MeReal* relTransform, MeReal* inertia,
                              MeReal* volume) {
  const MeReal* e = AsBox(g)->radii;
  const MeReal third = 0.33333334f;
  MeMatrix4TMMakeIdentity(relTransform);
  mcd_detail::DiagonalInertia(inertia, (e[1] * e[1] + e[2] * e[2]) * third,
                              (e[0] * e[0] + e[2] * e[2]) * third,
                              (e[0] * e[0] + e[1] * e[1]) * third);
  if (volume) *volume = 8 * e[0] * e[1] * e[2];
  return 0;
}
