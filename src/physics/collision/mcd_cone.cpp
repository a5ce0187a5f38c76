#include "physics/collision/mcd_cone.h"

#include <cmath>

#include "physics/collision/mcd_primitive_common.h"
#include "physics/util/me_memory.h"

namespace {

int g_typeId = -1;

McdCone* AsCone(McdGeometryID g) { return reinterpret_cast<McdCone*>(g); }

// Support in the cone's frame for a local direction d: the apex when d
// points up the cone more steeply than its side, else the rim point (the base
// centre for a direction along the axis).
void LocalSupport(const McdCone* c, const MeReal* d, MeReal* out) {
  if (d[2] > c->sinHalfAngle) {
    MeVector3Set(out, 0, 0, c->apexDistance);
    return;
  }
  if (std::fabs(d[0]) < 0.000001f && std::fabs(d[1]) < 0.000001f) {
    MeVector3Set(out, 0, 0, -c->baseDistance);
    return;
  }
  MeReal l = std::sqrt(d[0] * d[0] + d[1] * d[1]);
  MeVector3Set(out, c->radius * d[0] / l, c->radius * d[1] / l, -c->baseDistance);
}

}  // namespace

// The height must be positive: a flat cone has no apex above its base and
// its bounding sphere would divide by zero.
McdGeometryID McdConeCreate(MeReal height, MeReal radius, MeUserWord spare) {
  if (!(height > 0)) return nullptr;
  McdCone* c = static_cast<McdCone*>(MeAlloc(sizeof(McdCone)));
  if (!c) return nullptr;
  McdGeometryInit(&c->header, g_typeId);
  c->apexDistance = 0.75f * height;
  c->baseDistance = 0.25f * height;
  c->radius = radius;
  c->spare = spare;
  c->sinHalfAngle = radius / std::sqrt(height * height + radius * radius);
  return &c->header;
}

McdGeometryID McdConeCreateSimple(MeReal height, MeReal radius) {
  return McdConeCreate(height, radius, 0);
}

MeReal McdConeGetApexDistance(McdGeometryID g) { return AsCone(g)->apexDistance; }
MeReal McdConeGetBaseDistance(McdGeometryID g) { return AsCone(g)->baseDistance; }
MeReal McdConeGetHeight(McdGeometryID g) { return AsCone(g)->apexDistance + AsCone(g)->baseDistance; }
MeReal McdConeGetQuarterHeight(McdGeometryID g) { return 0.25f * McdConeGetHeight(g); }
MeReal McdConeGetRadius(McdGeometryID g) { return AsCone(g)->radius; }
int McdConeGetTypeId() { return g_typeId; }

int McdConeRegisterType() {
  g_typeId = McdGeometryRegisterType("McdCone", McdConeDestroy, McdConeGetAABB, McdConeGetBSphere,
                                     McdConeMaximumPoint, McdConeGetMassProperties);
  return g_typeId;
}

void McdConeDestroy(McdGeometryID g) { MeFree(g); }

void McdConeMaximumPoint(McdGeometryID g, const MeReal* m, const MeReal* d, MeReal* point) {
  MeVector3 local, p;
  MeMatrix4TMInverseRotate(local, m, d);
  LocalSupport(AsCone(g), local, p);
  MeMatrix4TMTransform(point, m, p);
}

// Six support queries along ±x, ±y, ±z.
void McdConeGetAABB(McdGeometryID g, const MeReal* m, MeReal* min, MeReal* max) {
  MeVector3 lo, hi;
  for (int k = 0; k < 3; ++k) {
    MeVector3 d = {0, 0, 0}, p;
    d[k] = -1;
    McdConeMaximumPoint(g, m, d, p);
    lo[k] = p[k];
    d[k] = 1;
    McdConeMaximumPoint(g, m, d, p);
    hi[k] = p[k];
  }
  mcd_detail::StoreAABB(g, lo, hi, min, max);
}

// Smallest sphere through the apex and the base circle: centre (0, 0, c),
// c = (A² − B² − R²) / (2 (A + B)), radius A − c.
void McdConeGetBSphere(McdGeometryID g, MeReal* centre, MeReal* radius) {
  const McdCone* c = AsCone(g);
  MeReal a = c->apexDistance, b = c->baseDistance, r = c->radius;
  MeReal z = (a * a - b * b - r * r) / (2 * (a + b));
  MeVector3Set(centre, 0, 0, z);
  *radius = a - z;
}

// Per unit mass about the centre of mass: I_xx = I_yy = (H² + 4R²)·0.0375,
// I_zz = 0.3 R²; volume π R² H / 3.
MeI16 McdConeGetMassProperties(McdGeometryID g, MeReal* relTransform, MeReal* inertia,
                               MeReal* volume) {
  const McdCone* c = AsCone(g);
  MeReal h = c->apexDistance + c->baseDistance;
  MeReal r2 = c->radius * c->radius;
  MeMatrix4TMMakeIdentity(relTransform);
  MeReal side = (h * h + 4 * r2) * 0.0375f;
  mcd_detail::DiagonalInertia(inertia, side, side, 0.3f * r2);
  if (volume) *volume = MePi * r2 * h / 3;
  return 0;
}
