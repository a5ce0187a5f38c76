// Cylinder against plane.
#include <cmath>

#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_cylinder_common.h"
#include "physics/collision/mcd_cylinder_pairs.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_segment_clip.h"

// In the plane's frame (plane z = 0, normal +z) the cylinder has centre c,
// axis a, radius R and half-height h.  u is its radial direction nearest to
// the normal (the frame's x axis of the cylinder when it stands upright) and
// w = a x u; its lowest point lies on the lower rim along -u, at height
// s = c_z - h |a_z| - R |u_z|.  Candidates: the four side lines through
// c +- R u and c +- R w with both clipped ends, and the crossings of the two
// cap diameters along w, all clipped to the region below the keep level.
int McdCylinderPlaneIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* cyl = pair->model1;
  const MeReal* tc = McdModelTransformOrIdentity(cyl);
  const MeReal* tp = McdModelTransformOrIdentity(pair->model2);
  const MeReal R = McdCylinderGetRadius(cyl->geometry);
  const MeReal h = McdCylinderGetHalfHeight(cyl->geometry);
  result->contactCount = 0;
  MeVector3Copy(result->normal, tp + 8);

  MeReal rel[16];
  McdRelativeTransform(rel, tp, tc);
  const MeReal* a = rel + 8;
  const MeReal* c = rel + 12;
  MeReal u[3], w[3];
  const bool upright = a[0] * a[0] + a[1] * a[1] < 1e-15f;
  if (upright) {
    MeVector3Copy(u, rel);
    MeVector3Copy(w, rel + 4);
  } else {
    const MeReal n[3] = {0, 0, 1};
    MeReal axn[3];
    MeVector3Cross(axn, a, n);
    MeVector3Cross(u, axn, a);
    McdVec3NormalizeLength(u);
    MeVector3Cross(w, a, u);
  }
  const MeReal axial = a[2] > 0.0f ? 1.0f : -1.0f;
  const MeReal radial = upright ? 0.0f : R;
  const MeReal s = c[2] - h * std::fabs(a[2]) - radial * std::fabs(u[2]);
  if (s > McdPairMargin(pair)) return 0;

  MeU16 dims = 0x0201;
  if (upright) dims = 0x0202;
  else if (std::fabs(a[2]) < 0.0001f) dims = 0x0203;

  const MeReal band = 0.01f * s > 0.0001f ? 0.01f * s : 0.0001f;
  const MeReal level = s < 0.0f ? 0.0f : s + 2.0f * band;
  MeReal points[mcd_cylinder::kMaxCandidates * 3];
  MeReal* cursor = points;
  int n = 0;
  MeReal half[3];
  McdVec3ScaleTo(half, a, h);
  const MeReal* radials[2] = {u, w};
  for (const MeReal* dir : radials)
    for (int side = -1; side <= 1; side += 2) {
      MeReal centre[3];
      for (int i = 0; i < 3; ++i) centre[i] = c[i] + side * R * dir[i];
      centre[2] -= level;
      n += McdClipHalfSpaceBothEnds(centre, half, &cursor);
    }
  MeReal diameter[3];
  McdVec3ScaleTo(diameter, w, R);
  for (int side = -1; side <= 1; side += 2) {
    MeReal centre[3];
    for (int i = 0; i < 3; ++i) centre[i] = c[i] + side * h * a[i];
    centre[2] -= level;
    n += McdClipHalfSpaceMoved(centre, diameter, &cursor);
  }
  MeReal depths[mcd_cylinder::kMaxCandidates];
  for (int i = 0; i < n; ++i) {
    points[3 * i + 2] += level;
    depths[i] = points[3 * i + 2];
  }
  if (n == 0) {
    // The lowest point alone: the lower cap's centre for an upright cylinder,
    // else moved out to the lower rim toward the plane.
    for (int i = 0; i < 3; ++i) points[i] = c[i] - axial * h * a[i] - radial * u[i];
    depths[0] = s;
    n = 1;
  }
  const MeReal normal[3] = {0, 0, 1};
  return mcd_cylinder::Finish(pair, result, tp, normal, points, depths, n, s, dims,
                              &McdCylinderPlaneDefaultRequest);
}
