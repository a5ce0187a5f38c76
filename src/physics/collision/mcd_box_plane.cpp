// Box against plane.
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_contact_simplify.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_segment_clip.h"

namespace {

// Which candidate heights z (plane frame) become contacts, given the lowest
// box point s.  A penetrating box keeps the points below 0.01 s: the corners
// and crossings that are really inside, not those grazing the surface.  A box
// resting within the margin (s >= 0) has no point below 0.01 s, so it keeps
// the points within a small band above its lowest point instead.
// The clip region reaches above the keep level (to z = 0, or twice the band)
// so that the crossings of its boundary, which merely graze the region, are
// never kept: the contacts are the box's corners in the region.
struct KeepRule {
  MeReal level;
  MeReal clipLevel;
  bool strict;
  bool Keeps(MeReal z) const { return strict ? z < level : z <= level; }
};

KeepRule MakeKeepRule(MeReal s) {
  if (s < 0.0f) return {0.01f * s, 0.0f, true};
  const MeReal band = 0.01f * s > 0.0001f ? 0.01f * s : 0.0001f;
  return {s + band, s + 2.0f * band, false};
}

}  // namespace

// In the plane's frame the plane is z = 0 and the box has centre c, axes R_k
// and half-extents e_k.  Its lowest point lies at s = c_z - sum |R_kz| e_k.
// The box's edges are clipped to the region z <= H (H = 0 for a penetrating
// box, twice the keep band above s otherwise): the four edges along axis 2 with both
// ends, so each corner in the region is written once, the eight others with
// their crossings of z = H only.
int McdBoxPlaneIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* box = pair->model1;
  const MeReal* tb = McdModelTransformOrIdentity(box);
  const MeReal* tp = McdModelTransformOrIdentity(pair->model2);
  const MeReal* e = McdBoxGetRadii(box->geometry);

  MeReal rel[16];
  McdRelativeTransform(rel, tp, tb);
  const MeReal* c = rel + 12;
  MeReal s = c[2];
  int flat = 0;
  for (int k = 0; k < 3; ++k) {
    const MeReal rz = rel[4 * k + 2];
    s -= std::fabs(rz) * e[k];
    flat += std::fabs(rz) < 0.0001f;
  }
  const MeU16 dims = static_cast<MeU16>(0x0200 | flat);
  MeVector3Copy(result->normal, tp + 8);
  if (s > McdPairMargin(pair)) {
    result->contactCount = 0;
    return 0;
  }

  const KeepRule keep = MakeKeepRule(s);
  const MeReal level = keep.clipLevel;
  MeReal axis[3][3];
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 3; ++i) axis[k][i] = e[k] * rel[4 * k + i];

  MeReal points[McdBoxPlaneMaxCandidates * 3];
  MeReal* cursor = points;
  int n = 0;
  for (int k = 0; k < 3; ++k) {
    const int j = (k + 1) % 3, l = (k + 2) % 3;
    for (int s1 = -1; s1 <= 1; s1 += 2)
      for (int s2 = -1; s2 <= 1; s2 += 2) {
        // Shifted down by H so that the region is z <= 0.
        MeReal centre[3];
        for (int i = 0; i < 3; ++i) centre[i] = c[i] + s1 * axis[j][i] + s2 * axis[l][i];
        centre[2] -= level;
        n += k < 2 ? McdClipHalfSpaceMoved(centre, axis[k], &cursor)
                   : McdClipHalfSpaceBothEnds(centre, axis[k], &cursor);
      }
  }

  McdContact candidates[McdBoxPlaneMaxCandidates];
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    MeReal* p = points + 3 * i;
    p[2] += level;
    if (!keep.Keeps(p[2])) continue;
    McdContact* contact = &candidates[kept++];
    MeMatrix4TMTransform(contact->position, tp, p);
    MeVector3Copy(contact->normal, tp + 8);
    contact->separation = p[2];
    contact->dims = dims;
    contact->element1 = contact->element2 = 0;
  }
  if (kept == 0) {
    result->contactCount = 0;
    return 0;
  }
  const McdIntersectRequest* request = McdPairRequest(pair, &McdBoxPlaneDefaultRequest);
  result->contactCount = McdContactSimplify(result->normal, candidates, kept, result->contacts,
                                            McdPairBudget(result, request),
                                            request->faceNormalsFirst);
  return 1;
}

// The box's support point along -n approaches the plane at (-n) . w, w the
// box's velocity relative to the plane's.
int McdBoxPlaneSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  result->pair = pair;
  result->time = maxTime;
  const McdModel* box = pair->model1;
  const McdModel* plane = pair->model2;
  const MeReal* vb = McdModelVelocityOrZero(box);
  const MeReal* vp = McdModelVelocityOrZero(plane);
  MeReal w[3];
  MeVector3Subtract(w, vb, vp);
  if (std::sqrt(MeVector3Dot(w, w)) * maxTime < 0.0001f) return 0;
  const MeReal* tb = McdModelTransformOrIdentity(box);
  const MeReal* tp = McdModelTransformOrIdentity(plane);
  MeReal down[3], support[3], d[3];
  McdVec3Negate(down, tp + 8);
  const MeReal closing = MeVector3Dot(down, w);
  if (closing <= 0.0f) return 0;  // sliding along or moving away
  McdBoxMaximumPoint(box->geometry, tb, down, support);
  MeVector3Subtract(d, support, tp + 12);
  const MeReal height = MeVector3Dot(d, tp + 8);
  result->time = height > 0.0f ? height / closing : 0.0f;
  return 1;
}
