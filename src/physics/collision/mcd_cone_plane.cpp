// Cone against plane.
#include <cmath>

#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cone_pairs.h"
#include "physics/collision/mcd_narrow_phase.h"

namespace {

const MeReal kSqrt3 = std::sqrt(3.0f);
constexpr MeReal kFeatureTolerance = 0.001f;

// Support of the cone for the unit direction d of its frame, with the
// feature: 2 the base faces d (base centre), 0 the apex or a rim point, 1
// the side lies flat (rim point and apex).  Writes the point(s).
int SupportWithFeature(const McdCone* c, const MeReal* d, MeReal* point, MeReal* second) {
  if (std::fabs(d[2] + 1.0f) < kFeatureTolerance) {
    MeVector3Set(point, 0, 0, -c->baseDistance);
    return 2;
  }
  if (d[2] > c->sinHalfAngle) {
    MeVector3Set(point, 0, 0, c->apexDistance);
    return 0;
  }
  const MeReal l = std::sqrt(d[0] * d[0] + d[1] * d[1]);
  const MeReal k = l > 0.0f ? c->radius / l : 0.0f;
  MeVector3Set(point, k * d[0], k * d[1], -c->baseDistance);
  if (std::fabs(d[2] - c->sinHalfAngle) < kFeatureTolerance) {
    MeVector3Set(second, 0, 0, c->apexDistance);
    return 1;
  }
  return 0;
}

}  // namespace

// The cone's support opposite the plane normal decides the feature; every
// contact gets the plane normal and the support's height above the plane.
int McdConePlaneIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* coneModel = pair->model1;
  const McdCone* cone = reinterpret_cast<const McdCone*>(coneModel->geometry);
  const MeReal* tc = McdModelTransformOrIdentity(coneModel);
  const MeReal* tp = McdModelTransformOrIdentity(pair->model2);
  const MeReal* n = tp + 8;
  result->contactCount = 0;
  MeVector3Copy(result->normal, n);

  MeReal down[3], d[3];
  McdVec3Negate(down, n);
  MeMatrix4TMInverseRotate(d, tc, down);
  MeReal local[3][3];
  const int feature = SupportWithFeature(cone, d, local[0], local[1]);
  MeReal support[3], gap[3];
  MeMatrix4TMTransform(support, tc, local[0]);
  MeVector3Subtract(gap, support, tp + 12);
  const MeReal separation = MeVector3Dot(gap, n);
  if (separation > McdPairMargin(pair)) return 0;

  int count = 1;
  MeU16 dims = 0x0200;
  if (feature == 1) {
    count = 2;
    dims = 0x0201;
  } else if (feature == 2) {
    count = 3;
    dims = 0x0202;
    const MeReal R = cone->radius, B = -cone->baseDistance;
    MeVector3Set(local[0], R, 0, B);
    MeVector3Set(local[1], -0.5f * R, 0.5f * kSqrt3 * R, B);
    MeVector3Set(local[2], -0.5f * R, -0.5f * kSqrt3 * R, B);
  } else if (local[0][2] < cone->apexDistance) {
    dims = 0x0201;  // a rim point
  }
  if (count > result->contactMaxCount) count = result->contactMaxCount > 0 ? result->contactMaxCount : 0;
  for (int i = 0; i < count; ++i) {
    McdContact* c = &result->contacts[i];
    MeMatrix4TMTransform(c->position, tc, local[i]);
    MeVector3Copy(c->normal, n);
    c->separation = separation;
    c->dims = (feature == 1 && i == 1) ? MeU16(0x0200) : dims;
    c->element1 = c->element2 = 0;
  }
  result->contactCount = count;
  return 1;
}
