// Cylinder against sphere.
#include <cmath>

#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_cylinder_common.h"
#include "physics/collision/mcd_cylinder_pairs.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_sphere.h"

// In the cylinder's frame (sphere centre c): the cap candidate first, then
// the side when it separates more, then the rim when the centre lies beyond
// both the cap disc and the side's height and the rim separates more still.
int McdCylinderSphereIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* cyl = pair->model1;
  const McdModel* sphere = pair->model2;
  const MeReal* tc = McdModelTransformOrIdentity(cyl);
  const MeReal* ts = McdModelTransformOrIdentity(sphere);
  const MeReal R = McdCylinderGetRadius(cyl->geometry);
  const MeReal h = McdCylinderGetHalfHeight(cyl->geometry);
  const MeReal r = McdSphereGetRadius(sphere->geometry);
  const MeReal margin = McdPairMargin(pair);
  result->contactCount = 0;

  MeReal d[3], c[3];
  MeVector3Subtract(d, ts + 12, tc + 12);
  MeMatrix4TMInverseRotate(c, tc, d);

  enum { kCap, kSide, kRim } region = kCap;
  MeReal s = std::fabs(c[2]) - r - h;
  if (s > margin) return 0;
  const MeReal rho = std::sqrt(c[0] * c[0] + c[1] * c[1]);
  const MeReal sSide = rho - R - r;
  if (sSide > s) {
    region = kSide;
    s = sSide;
    if (s > margin) return 0;
  }
  MeReal w[3] = {0, 0, 0};
  MeReal wLen = 0.0f;
  if (!(-r > s) && !(rho < R) && !(std::fabs(c[2]) < h)) {
    // rho >= R > 0 here unless R <= 0; guard the division all the same.
    const MeReal k = rho > 0.0f ? R / rho : 0.0f;
    const MeReal q[3] = {k * c[0], k * c[1], c[2] <= 0.0f ? -h : h};
    MeVector3Subtract(w, q, c);
    wLen = MeVector3Magnitude(w);
    const MeReal sRim = wLen - r;
    if (sRim > s) {
      region = kRim;
      s = sRim;
      if (s > margin) return 0;
    }
  }

  MeReal normal[3];
  MeU16 dims;
  if (region == kCap) {
    MeVector3Set(normal, 0, 0, c[2] <= 0.0f ? 1.0f : -1.0f);
    dims = 0x0302;
  } else if (region == kSide) {
    if (rho > 0.0f) {
      MeVector3Set(normal, -c[0] / rho, -c[1] / rho, 0);
    } else {
      MeVector3Set(normal, -1, 0, 0);  // centre on the axis: any radial direction
    }
    dims = 0x0303;
  } else {
    McdVec3ScaleTo(normal, w, 1.0f / wLen);
    dims = 0x0301;
  }

  MeReal local[3];
  for (int i = 0; i < 3; ++i) local[i] = c[i] + r * normal[i];
  return McdPairLocalContact(result, tc, local, normal, s, dims);
}

int McdCylinderSphereSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  const McdModel* cyl = pair->model1;
  const McdModel* sphere = pair->model2;
  const MeReal kR = mcd_cylinder::Substitute(McdCylinderGetRadius(cyl->geometry));
  const MeReal a[3] = {kR, kR, McdCylinderGetHalfHeight(cyl->geometry)};
  const MeReal kr = mcd_cylinder::Substitute(McdSphereGetRadius(sphere->geometry));
  const MeReal b[3] = {kr, kr, kr};
  return McdStandInSafeTime(pair, a, b, maxTime, result);
}
