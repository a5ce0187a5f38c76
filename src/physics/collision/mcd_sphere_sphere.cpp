// Sphere against sphere.
#include <cmath>

#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_sphere.h"

// d = p1 - p2; separation = |d| - (r1 + r2); the contact divides the centres
// in the ratio of the radii: (r2 p1 + r1 p2) / (r1 + r2).
int McdSphereSphereIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  const MeReal* p1 = McdModelTransformOrIdentity(m1) + 12;
  const MeReal* p2 = McdModelTransformOrIdentity(m2) + 12;
  const MeReal r1 = McdSphereGetRadius(m1->geometry);
  const MeReal r2 = McdSphereGetRadius(m2->geometry);

  MeReal normal[3];
  MeVector3Subtract(normal, p1, p2);
  const MeReal dist = McdVec3NormalizeLength(normal);
  if (dist == 0.0f) MeVector3Set(normal, 0, 0, 1);
  const MeReal separation = dist - (r1 + r2);
  const MeReal sum = r1 + r2;
  MeReal position[3];
  for (int i = 0; i < 3; ++i)
    position[i] = sum > 0.0f ? (r2 * p1[i] + r1 * p2[i]) / sum : 0.5f * (p1[i] + p2[i]);
  return McdPairSingleContact(pair, result, position, normal, separation, 0x0303);
}

// Closing speed bound: the centres approach at most |w| = |v2 - v1|, so the
// gap |p| - r1 - r2 cannot close before gap / |w|.
int McdSphereSphereSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  result->pair = pair;
  result->time = maxTime;
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  const MeReal* v1 = McdModelVelocityOrZero(m1);
  const MeReal* v2 = McdModelVelocityOrZero(m2);
  MeReal w[3], p[3];
  MeVector3Subtract(w, v2, v1);
  MeVector3Subtract(p, McdModelTransformOrIdentity(m2) + 12, McdModelTransformOrIdentity(m1) + 12);
  const MeReal speed = std::sqrt(MeVector3Dot(w, w));
  if (speed * maxTime < 0.001f) return 0;
  if (MeVector3Dot(w, p) >= 0.0f) return 0;  // separating: never meet on these velocities
  const MeReal gap = std::sqrt(MeVector3Dot(p, p)) - McdSphereGetRadius(m1->geometry) -
                     McdSphereGetRadius(m2->geometry);
  result->time = gap > 0.0f ? gap / speed : 0.0f;
  return 1;
}
