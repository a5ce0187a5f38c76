// Box against cylinder.
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_cylinder_common.h"
#include "physics/collision/mcd_cylinder_pairs.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_segment_clip.h"

namespace {

MeReal BoxReach(const MeReal* e, const MeReal* n) {
  return std::fabs(n[0]) * e[0] + std::fabs(n[1]) * e[1] + std::fabs(n[2]) * e[2];
}

// Feature of the box along a direction of its frame: face when two
// components vanish, edge when one does, else vertex.
int BoxFeature(const MeReal* n) {
  int flat = 0;
  for (int i = 0; i < 3; ++i) flat += std::fabs(n[i]) < 0.0001f;
  return flat >= 2 ? 2 : flat;
}

// Feature of a cylinder of axis a along n: cap, side, or rim between.
int CylinderFeature(const MeReal* a, const MeReal* n) {
  const MeReal an = std::fabs(MeVector3Dot(a, n));
  if (an > 0.9999f) return 2;
  if (an < 0.0001f) return 3;
  return 1;
}

void ReciprocalsOf(const MeReal* d, MeReal* inv) {
  for (int k = 0; k < 3; ++k) inv[k] = (d[k] > 1e-6f || d[k] < -1e-6f) ? 1.0f / d[k] : 0.0f;
}

}  // namespace

// In the box's frame: the cylinder has centre t, unit axis a, radius R and
// half-height h; the box half-extents e.  Each direction n gets the gap
// |t.n| - (box reach + cylinder reach); the largest gap is the separation.
// Candidates are measured along the normal N (from the cylinder toward the
// box): the cylinder's points by their height below the box's face plane
// (min over the box of x.N), the box's points by their height above the
// cylinder's (max over the cylinder of y.N).
int McdBoxCylinderIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* box = pair->model1;
  const McdModel* cyl = pair->model2;
  const MeReal* tb = McdModelTransformOrIdentity(box);
  const MeReal* tc = McdModelTransformOrIdentity(cyl);
  const MeReal* e = McdBoxGetRadii(box->geometry);
  const MeReal R = McdCylinderGetRadius(cyl->geometry);
  const MeReal h = McdCylinderGetHalfHeight(cyl->geometry);
  const MeReal margin = McdPairMargin(pair);
  result->contactCount = 0;

  MeReal rel[16];
  McdRelativeTransform(rel, tb, tc);
  const MeReal* a = rel + 8;
  const MeReal* t = rel + 12;

  MeReal best = -MeInfinity;
  MeReal bestDir[3] = {0, 0, 1};
  auto consider = [&](const MeReal* n) {
    const MeReal s = std::fabs(MeVector3Dot(t, n)) - (BoxReach(e, n) + mcd_cylinder::Reach(a, R, h, n));
    if (s > best) {
      best = s;
      MeVector3Copy(bestDir, n);
    }
    return s <= margin;
  };
  for (int i = 0; i < 3; ++i) {
    MeReal n[3] = {0, 0, 0};
    n[i] = 1.0f;
    if (!consider(n)) return 0;
  }
  if (!consider(a)) return 0;
  for (int i = 0; i < 3; ++i) {
    MeReal n[3];
    McdCrossAxis(n, a, i);
    if (McdVec3NormalizeLength(n) <= 1e-15f) continue;
    if (!consider(n)) return 0;
  }
  {
    const MeReal ta = MeVector3Dot(t, a);
    MeReal n[3];
    for (int i = 0; i < 3; ++i) n[i] = -t[i] + ta * a[i];
    if (McdVec3NormalizeLength(n) > 1e-15f && !consider(n)) return 0;
  }

  MeReal N[3];
  McdVec3ScaleTo(N, bestDir, MeVector3Dot(t, bestDir) > 0.0f ? -1.0f : 1.0f);
  const MeU16 dims =
      static_cast<MeU16>(BoxFeature(N) | (CylinderFeature(a, N) << 8));
  const MeReal boxFace = -BoxReach(e, N);                            // min over the box of x.N
  const MeReal cylFace = MeVector3Dot(t, N) + mcd_cylinder::Reach(a, R, h, N);  // max over the cylinder

  const MeReal m = margin > 0.0f ? margin : 0.0f;
  const MeReal grown[3] = {e[0] + m, e[1] + m, e[2] + m};
  MeReal points[mcd_cylinder::kMaxCandidates * 3];
  MeReal depths[mcd_cylinder::kMaxCandidates];
  MeReal* cursor = points;
  int n = 0;

  // Cylinder points inside the (grown) box.
  MeReal u[3], w[3];
  mcd_cylinder::RadialPair(a, N, u, w);
  MeReal half[3], inv[3];
  McdVec3ScaleTo(half, a, h);
  ReciprocalsOf(half, inv);
  const MeReal* radials[2] = {u, w};
  for (const MeReal* dir : radials)
    for (int side = -1; side <= 1; side += 2) {
      MeReal centre[3];
      for (int i = 0; i < 3; ++i) centre[i] = t[i] + side * R * dir[i];
      n += McdClipBoxBothEnds(centre, half, inv, grown, &cursor);
    }
  const MeReal toward = MeVector3Dot(a, N) >= 0.0f ? 1.0f : -1.0f;
  MeReal capCentre[3], diameter[3];
  for (int i = 0; i < 3; ++i) capCentre[i] = t[i] + toward * h * a[i];
  McdVec3ScaleTo(diameter, w, R);
  ReciprocalsOf(diameter, inv);
  n += McdClipBoxBothEnds(capCentre, diameter, inv, grown, &cursor);
  for (int side = -1; side <= 1; side += 2) {
    MeReal p[3];
    for (int i = 0; i < 3; ++i) p[i] = t[i] + side * h * a[i];
    if (std::fabs(p[0]) <= grown[0] && std::fabs(p[1]) <= grown[1] && std::fabs(p[2]) <= grown[2]) {
      MeVector3Copy(cursor, p);
      cursor += 3;
      ++n;
    }
  }
  for (int i = 0; i < n; ++i) depths[i] = boxFace - MeVector3Dot(points + 3 * i, N);

  // Box edges clipped by the (grown) cylinder, in the cylinder's frame: the
  // edges along axis 2 with both ends (each vertex inside once), the others
  // with their crossings only.
  MeReal back[16];
  McdRelativeTransform(back, tc, tb);
  MeReal* firstBox = cursor;
  int nb = 0;
  MeReal axis[3][3];
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 3; ++i) axis[k][i] = e[k] * back[4 * k + i];
  for (int k = 0; k < 3; ++k) {
    const int j = (k + 1) % 3, l = (k + 2) % 3;
    for (int s1 = -1; s1 <= 1; s1 += 2)
      for (int s2 = -1; s2 <= 1; s2 += 2) {
        MeReal centre[3];
        for (int i = 0; i < 3; ++i) centre[i] = back[12 + i] + s1 * axis[j][i] + s2 * axis[l][i];
        nb += k < 2 ? McdClipCylinderMoved(centre, axis[k], R + m, h + m, &cursor)
                    : McdClipCylinderBothEnds(centre, axis[k], R + m, h + m, &cursor);
      }
  }
  mcd_cylinder::BackWithDepths(firstBox, nb, rel, N, cylFace, depths + n);
  n += nb;
  return mcd_cylinder::Finish(pair, result, tb, N, points, depths, n, best, dims,
                              &McdBoxCylinderDefaultRequest);
}

int McdBoxCylinderSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  const McdModel* box = pair->model1;
  const McdModel* cyl = pair->model2;
  const MeReal kR = mcd_cylinder::Substitute(McdCylinderGetRadius(cyl->geometry));
  const MeReal b[3] = {kR, kR, McdCylinderGetHalfHeight(cyl->geometry)};
  return McdStandInSafeTime(pair, McdBoxGetRadii(box->geometry), b, maxTime, result);
}
