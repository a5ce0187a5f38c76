// Sphere against plane.
#include <cmath>

#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_sphere.h"

// The plane passes through its model's position with normal n = row 2 of
// its transform (the world plane z = 0 without a transform).
// separation = n . (centre - plane point) - r.
int McdSpherePlaneIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* sphere = pair->model1;
  const MeReal* ts = McdModelTransformOrIdentity(sphere);
  const MeReal* tp = McdModelTransformOrIdentity(pair->model2);
  const MeReal* n = tp + 8;
  const MeReal r = McdSphereGetRadius(sphere->geometry);
  MeReal d[3];
  MeVector3Subtract(d, ts + 12, tp + 12);
  const MeReal separation = MeVector3Dot(n, d) - r;
  MeReal position[3];
  for (int i = 0; i < 3; ++i) position[i] = ts[12 + i] - r * n[i];
  return McdPairSingleContact(pair, result, position, n, separation, 0x0203);
}

// The sphere closes on the plane at most at the speed of the relative
// velocity's component along the normal.
int McdSpherePlaneSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  result->pair = pair;
  result->time = maxTime;
  const McdModel* sphere = pair->model1;
  const McdModel* plane = pair->model2;
  const MeReal* vs = McdModelVelocityOrZero(sphere);
  const MeReal* vp = McdModelVelocityOrZero(plane);
  const MeReal* ts = McdModelTransformOrIdentity(sphere);
  const MeReal* tp = McdModelTransformOrIdentity(plane);
  const MeReal* n = tp + 8;
  MeReal w[3], d[3];
  MeVector3Subtract(w, vs, vp);
  const MeReal speed = std::fabs(MeVector3Dot(w, n));
  if (speed * maxTime < 0.001f) return 0;
  MeVector3Subtract(d, ts + 12, tp + 12);
  const MeReal gap = MeVector3Dot(n, d) - McdSphereGetRadius(sphere->geometry);
  result->time = gap > 0.0f ? gap / speed : 0.0f;
  return 1;
}
