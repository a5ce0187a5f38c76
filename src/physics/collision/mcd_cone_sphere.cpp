// Cone against sphere.
#include <cmath>

#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cone_pairs.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_sphere.h"

// In the half plane of the axis through the sphere's centre (radial
// coordinate rho, height z) the cone is the triangle apex (0, A), rim
// (R, -B), base centre (0, -B).  Outside it, the nearest point of the base
// segment or the side segment gives the feature (an end of the side segment
// is the rim or the apex); inside, the nearer of the base and the side.
int McdConeSphereIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* coneModel = pair->model1;
  const McdModel* sphere = pair->model2;
  const McdCone* cone = reinterpret_cast<const McdCone*>(coneModel->geometry);
  const MeReal* tc = McdModelTransformOrIdentity(coneModel);
  const MeReal* ts = McdModelTransformOrIdentity(sphere);
  const MeReal r = McdSphereGetRadius(sphere->geometry);
  const MeReal A = cone->apexDistance, B = cone->baseDistance, R = cone->radius;
  result->contactCount = 0;

  MeReal offset[3], c[3];
  MeVector3Subtract(offset, ts + 12, tc + 12);
  MeMatrix4TMInverseRotate(c, tc, offset);
  const MeReal rho = std::sqrt(c[0] * c[0] + c[1] * c[1]);
  const MeReal z = c[2];
  MeReal radial[2] = {1.0f, 0.0f};
  if (rho > 0.0f) {
    radial[0] = c[0] / rho;
    radial[1] = c[1] / rho;
  }

  // Side segment from the rim (R, -B) to the apex (0, A); its outward normal.
  const MeReal sx = -R, sz = A + B;
  const MeReal slant = std::sqrt(sx * sx + sz * sz);
  const MeReal outX = sz / slant, outZ = R / slant;  // perpendicular, pointing outward
  const MeReal sideDist = (rho - R) * outX + (z + B) * outZ;  // signed, from the side's line
  const MeReal baseDist = -B - z;                              // signed, below the base
  const bool inside = sideDist <= 0.0f && baseDist <= 0.0f;

  MeReal nearRho, nearZ;  // nearest profile point
  MeReal separation;
  MeReal outward[2];       // (rho, z) unit vector from the cone toward the centre
  MeU16 dims;
  if (inside) {
    if (baseDist >= sideDist) {
      separation = baseDist - r;
      outward[0] = 0;
      outward[1] = -1;
      dims = 0x0302;
    } else {
      separation = sideDist - r;
      outward[0] = outX;
      outward[1] = outZ;
      dims = 0x0303;
    }
  } else {
    // Base segment (0..R, -B).
    const MeReal baseRho = rho < R ? rho : R;
    MeReal dr = rho - baseRho, dz = z + B;
    MeReal baseD2 = dr * dr + dz * dz;
    // Side segment, parameter u from the rim (0) to the apex (1).
    MeReal u = ((rho - R) * sx + (z + B) * sz) / (slant * slant);
    u = u < 0.0f ? 0.0f : (u > 1.0f ? 1.0f : u);
    const MeReal sideRho = R + u * sx, sideZ = -B + u * sz;
    const MeReal er = rho - sideRho, ez = z - sideZ;
    const MeReal sideD2 = er * er + ez * ez;
    if (baseD2 <= sideD2 && baseDist > 0.0f) {
      nearRho = baseRho;
      nearZ = -B;
      dims = baseRho < R ? 0x0302 : 0x0301;
    } else {
      nearRho = sideRho;
      nearZ = sideZ;
      dims = u <= 0.0f ? 0x0301 : (u >= 1.0f ? 0x0300 : 0x0303);
    }
    dr = rho - nearRho;
    dz = z - nearZ;
    const MeReal dist = std::sqrt(dr * dr + dz * dz);
    separation = dist - r;
    if (dist > 0.0f) {
      outward[0] = dr / dist;
      outward[1] = dz / dist;
    } else {
      outward[0] = outX;
      outward[1] = outZ;
    }
  }
  if (separation > McdPairMargin(pair)) return 0;

  // Normal from the sphere toward the cone: minus the outward direction.
  MeReal normal[3] = {-outward[0] * radial[0], -outward[0] * radial[1], -outward[1]};
  // The sphere's point toward the cone; for a centre inside the cone, the
  // point of the nearest face instead (the sphere's point along the normal
  // would lie across the cone, perhaps outside it).
  MeReal local[3];
  const MeReal reach = inside ? separation + r : r;
  for (int i = 0; i < 3; ++i) local[i] = c[i] + reach * normal[i];
  return McdPairLocalContact(result, tc, local, normal, separation, dims);
}
