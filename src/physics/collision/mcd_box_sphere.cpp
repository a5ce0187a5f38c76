// Box against sphere.
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_sphere.h"

// In the box's frame (half-extents e, sphere centre c): v = clamp(c) - c
// points from the centre to the nearest box point.  Outside the box by more
// than the margin the normal is v / |v| and the separation |v| - r; otherwise
// the nearest face decides (ties: lowest axis, then its -1 side).
int McdBoxSphereIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* box = pair->model1;
  const McdModel* sphere = pair->model2;
  const MeReal* tb = McdModelTransformOrIdentity(box);
  const MeReal* ts = McdModelTransformOrIdentity(sphere);
  const MeReal* e = McdBoxGetRadii(box->geometry);
  const MeReal r = McdSphereGetRadius(sphere->geometry);
  const MeReal margin = McdPairMargin(pair);

  MeReal d[3], c[3];
  MeVector3Subtract(d, ts + 12, tb + 12);
  MeMatrix4TMInverseRotate(c, tb, d);
  MeReal v[3] = {0, 0, 0};
  int outside = 0;
  for (int i = 0; i < 3; ++i) {
    if (c[i] > e[i]) {
      v[i] = e[i] - c[i];
      ++outside;
    } else if (c[i] < -e[i]) {
      v[i] = -e[i] - c[i];
      ++outside;
    }
  }
  const MeReal dist2 = MeVector3Dot(v, v);
  const MeReal reach = margin + r;
  if (dist2 > reach * reach && reach >= 0.0f) {
    result->contactCount = 0;
    return 0;
  }
  MeReal normal[3] = {0, 0, 0};
  MeReal separation;
  MeU16 dims;
  if (dist2 > margin * margin) {
    const MeReal len = std::sqrt(dist2);
    McdVec3ScaleTo(normal, v, 1.0f / len);
    separation = len - r;
    dims = static_cast<MeU16>(0x0300 | (3 - outside));
  } else {
    int axis = 0;
    MeReal side = -1.0f;
    MeReal nearest = std::fabs(e[0] - c[0]);
    for (int i = 0; i < 3; ++i) {
      const MeReal up = std::fabs(e[i] - c[i]);
      const MeReal down = std::fabs(c[i] + e[i]);
      if (up < nearest) { nearest = up; axis = i; side = -1.0f; }
      if (down < nearest) { nearest = down; axis = i; side = 1.0f; }
    }
    normal[axis] = side;
    separation = std::fabs(c[axis]) - e[axis] - r;
    dims = 0x0302;
  }
  // Beyond the margin here is reachable only with a negative radius.
  MeReal local[3], position[3], worldNormal[3];
  for (int i = 0; i < 3; ++i) local[i] = c[i] + r * normal[i];
  MeMatrix4TMTransform(position, tb, local);
  MeMatrix4TMRotate(worldNormal, tb, normal);
  return McdPairSingleContact(pair, result, position, worldNormal, separation, dims);
}

// The sphere is replaced by a cube of half-extent r * 2 / (sqrt 2 + 1),
// turned with the sphere's transform, and swept linearly against the box.
int McdBoxSphereSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  const McdModel* box = pair->model1;
  const McdModel* sphere = pair->model2;
  const MeReal k = McdSphereGetRadius(sphere->geometry) * 2.0f / (std::sqrt(2.0f) + 1.0f);
  const MeReal cube[3] = {k, k, k};
  return McdStandInSafeTime(pair, McdBoxGetRadii(box->geometry), cube, maxTime, result);
}
