#include "physics/collision/mcd_cylinder.h"

#include <cmath>

#include "physics/collision/mcd_primitive_common.h"
#include "physics/util/me_memory.h"

namespace {

int g_typeId = -1;

McdCylinder* AsCylinder(McdGeometryID g) { return reinterpret_cast<McdCylinder*>(g); }

void RefreshBoundingRadius(McdCylinder* c) {
  c->boundingRadius = std::sqrt(c->radius * c->radius + c->halfHeight * c->halfHeight);
}

// Along world axis i: extent_i = |a_i| h + sqrt(1 − a_i²) r, a the axis (R2).
void Extent(const McdCylinder* c, const MeReal* m, MeReal* extent) {
  for (int i = 0; i < 3; ++i) {
    MeReal a = m[8 + i];
    MeReal q = 1 - a * a;
    extent[i] = std::fabs(a) * c->halfHeight + (q > 0 ? std::sqrt(q) : 0) * c->radius;
  }
}

}  // namespace

McdGeometryID McdCylinderCreate(MeReal radius, MeReal height) {
  McdCylinder* c = static_cast<McdCylinder*>(MeAlloc(sizeof(McdCylinder)));
  if (!c) return nullptr;
  McdGeometryInit(&c->header, g_typeId);
  McdCylinderSetDimensions(&c->header, radius, height);
  return &c->header;
}

void McdCylinderSetDimensions(McdGeometryID g, MeReal radius, MeReal height) {
  McdCylinder* c = AsCylinder(g);
  c->radius = radius;
  c->halfHeight = height / 2;
  RefreshBoundingRadius(c);
}

MeReal McdCylinderGetRadius(McdGeometryID g) { return AsCylinder(g)->radius; }
MeReal McdCylinderGetHeight(McdGeometryID g) { return 2 * AsCylinder(g)->halfHeight; }
MeReal McdCylinderGetHalfHeight(McdGeometryID g) { return AsCylinder(g)->halfHeight; }
MeReal McdCylinderGetBoundingRadius(McdGeometryID g) { return AsCylinder(g)->boundingRadius; }

// The bounding radius follows the changed dimension, so that broad-phase
// spheres never undershoot the shape.
void McdCylinderSetRadius(McdGeometryID g, MeReal radius) {
  AsCylinder(g)->radius = radius;
  RefreshBoundingRadius(AsCylinder(g));
}
void McdCylinderSetHeight(McdGeometryID g, MeReal height) {
  AsCylinder(g)->halfHeight = height / 2;
  RefreshBoundingRadius(AsCylinder(g));
}

int McdCylinderGetTypeId() { return g_typeId; }

int McdCylinderRegisterType() {
  g_typeId = McdGeometryRegisterType("McdCylinder", McdCylinderDestroy, McdCylinderGetAABB,
                                     McdCylinderGetBSphere, McdCylinderMaximumPoint,
                                     McdCylinderGetMassProperties);
  return g_typeId;
}

void McdCylinderDestroy(McdGeometryID g) { MeFree(g); }

void McdCylinderGetAABB(McdGeometryID g, const MeReal* transform, MeReal* min, MeReal* max) {
  MeVector3 extent;
  Extent(AsCylinder(g), transform, extent);
  mcd_detail::StoreExtentAABB(g, transform, extent, min, max);
}

void McdCylinderGetXYAABB(McdGeometryID g, const MeReal* transform, MeReal* bounds) {
  MeVector3 extent;
  Extent(AsCylinder(g), transform, extent);
  mcd_detail::ExtentXYBounds(transform, extent, bounds);
}

void McdCylinderGetBSphere(McdGeometryID g, MeReal* centre, MeReal* radius) {
  MeVector3Set(centre, 0, 0, 0);
  *radius = AsCylinder(g)->boundingRadius;
}

// The cap centre on the side of d, then the rim point: with q = 1 − (d·a)²,
// add (r / sqrt q)((R0·d) R0 + (R1·d) R1).
void McdCylinderMaximumPoint(McdGeometryID g, const MeReal* m, const MeReal* d, MeReal* point) {
  const McdCylinder* c = AsCylinder(g);
  const MeReal* a = m + 8;
  MeReal da = MeVector3Dot(d, a);
  MeVector3Copy(point, m + 12);
  MeVector3MultiplyAdd(point, da >= 0 ? c->halfHeight : -c->halfHeight, a);
  MeReal q = 1 - da * da;
  if (q > 0) {
    MeReal s = c->radius / std::sqrt(q);
    MeVector3MultiplyAdd(point, s * MeVector3Dot(m, d), m);
    MeVector3MultiplyAdd(point, s * MeVector3Dot(m + 4, d), m + 4);
  }
}

void McdCylinderMaximumPointLocal(McdGeometryID g, const MeReal* d, MeReal* point) {
  const McdCylinder* c = AsCylinder(g);
  MeReal h = d[2] >= 0 ? c->halfHeight : -c->halfHeight;
  MeReal rho = std::sqrt(d[0] * d[0] + d[1] * d[1]);
  if (rho <= 0.0001f) {
    MeVector3Set(point, 0, 0, h);
    return;
  }
  MeVector3Set(point, c->radius * d[0] / rho, c->radius * d[1] / rho, h);
}

// Solid cylinder per unit mass: I_xx = I_yy = (2h)²/12 + r²/4, I_zz = r²/2;
// volume 2h π r².
MeI16 McdCylinderGetMassProperties(McdGeometryID g, MeReal* relTransform, MeReal* inertia,
                                   MeReal* volume) {
  const McdCylinder* c = AsCylinder(g);
  MeReal r2 = c->radius * c->radius;
  MeReal l = 2 * c->halfHeight;
  MeReal side = l * l / 12 + r2 / 4;
  MeMatrix4TMMakeIdentity(relTransform);
  mcd_detail::DiagonalInertia(inertia, side, side, r2 / 2);
  if (volume) *volume = l * r2 * MePi;
  return 0;
}
