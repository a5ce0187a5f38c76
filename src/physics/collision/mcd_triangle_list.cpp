#include "physics/collision/mcd_triangle_list.h"

#include "physics/collision/mcd_primitive_common.h"
#include "physics/util/me_memory.h"

namespace {

int g_typeId = -1;

McdTriangleList* AsList(McdGeometryID g) { return reinterpret_cast<McdTriangleList*>(g); }

}  // namespace

McdGeometryID McdTriangleListCreate(MeReal x, MeReal y, MeReal z,
                                    McdTriangleListGenerator generator) {
  if (!generator) return nullptr;
  McdTriangleList* t = static_cast<McdTriangleList*>(MeAllocZeroed(sizeof(McdTriangleList)));
  if (!t) return nullptr;
  McdGeometryInit(&t->header, g_typeId);
  McdTriangleListSetDimensions(&t->header, x, y, z);
  t->generator = generator;
  return &t->header;
}

void McdTriangleListSetDimensions(McdGeometryID g, MeReal x, MeReal y, MeReal z) {
  McdTriangleList* t = AsList(g);
  MeVector3Set(t->radii, 0.5f * x, 0.5f * y, 0.5f * z);
  t->radius = MeVector3Magnitude(t->radii);
}

void McdTriangleListGetDimensions(McdGeometryID g, MeReal* x, MeReal* y, MeReal* z) {
  McdTriangleList* t = AsList(g);
  *x = 2 * t->radii[0];
  *y = 2 * t->radii[1];
  *z = 2 * t->radii[2];
}

MeReal McdTriangleListGetBoundingRadius(McdGeometryID g) { return AsList(g)->radius; }
MeReal* McdTriangleListGetHalfExtents(McdGeometryID g) { return AsList(g)->radii; }
void McdTriangleListSetUserData(McdGeometryID g, MeUserWord d) { AsList(g)->userData = d; }
MeUserWord McdTriangleListGetUserData(McdGeometryID g) { return AsList(g)->userData; }

void McdTriangleListSetTriangles(McdGeometryID g, McdUserTriangle* triangles, int capacity) {
  McdTriangleList* t = AsList(g);
  t->triangles = triangles;
  t->triangleCapacity = triangles && capacity > 0 ? capacity : 0;
  t->triangleCount = 0;
}

int McdTriangleListGetTypeId() { return g_typeId; }

int McdTriangleListRegisterType() {
  g_typeId = McdGeometryRegisterType("McdTriangleList", McdTriangleListDestroy,
                                     McdTriangleListGetAABB, McdTriangleListGetBSphere,
                                     McdTriangleListMaximumPoint,
                                     McdTriangleListGetMassProperties);
  return g_typeId;
}

void McdTriangleListDestroy(McdGeometryID g) { MeFree(g); }

void McdTriangleListGetAABB(McdGeometryID g, const MeReal* m, MeReal* min, MeReal* max) {
  mcd_detail::StoreOrientedBoxAABB(g, m, AsList(g)->radii, min, max);
}

void McdTriangleListGetXYAABB(McdGeometryID g, const MeReal* m, MeReal* bounds) {
  mcd_detail::OrientedBoxXYBounds(m, AsList(g)->radii, bounds);
}

void McdTriangleListGetBSphere(McdGeometryID g, MeReal* centre, MeReal* radius) {
  MeVector3Set(centre, 0, 0, 0);
  *radius = AsList(g)->radius;
}

void McdTriangleListMaximumPoint(McdGeometryID g, const MeReal* m, const MeReal* d, MeReal* point) {
  mcd_detail::OrientedBoxSupport(m, AsList(g)->radii, d, point);
}

// As a box of the half-extents, but the volume is e0·e1·e2 as the list
// has always reported it.
MeI16 McdTriangleListGetMassProperties(McdGeometryID g, MeReal* relTransform, MeReal* inertia,
                                       MeReal* volume) {
  const MeReal* e = AsList(g)->radii;
  MeMatrix4TMMakeIdentity(relTransform);
  mcd_detail::DiagonalInertia(inertia, (e[1] * e[1] + e[2] * e[2]) / 3,
                              (e[0] * e[0] + e[2] * e[2]) / 3, (e[0] * e[0] + e[1] * e[1]) / 3);
  if (volume) *volume = e[0] * e[1] * e[2];
  return 0;
}
