// Box against box.
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_contact_simplify.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_segment_clip.h"
#include "physics/util/me_math.h"

namespace {

// Candidate separations d = p . normal - offset measure a point against box
// 2's supporting plane.  Of the clipped points, those below 0.01 s (s the
// axis separation, negative) are kept; points that merely graze box 2's
// boundary are dropped.
bool Keeps(MeReal d, MeReal s) { return d < 0.01f * s; }

}  // namespace

int McdBoxBoxIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  const MeReal* t1 = McdModelTransformOrIdentity(m1);
  const MeReal* t2 = McdModelTransformOrIdentity(m2);
  const MeReal* a = McdBoxGetRadii(m1->geometry);
  const MeReal* b = McdBoxGetRadii(m2->geometry);

  MeReal rel[16];
  McdRelativeTransform(rel, t1, t2);
  McdBoxBoxAxis axis;
  if (!McdBoxBoxSeparatingAxis(a, b, rel, McdPairMargin(pair), &axis)) {
    result->contactCount = 0;
    return 0;
  }

  // Boxes that touch or lie apart within the margin have nothing to clip:
  // box 2 is moved toward box 1 along the normal until they overlap by a
  // sliver (eps), the contacts are found there, and the move is added back
  // to their separations.
  MeReal lift = 0.0f;
  MeReal separation = axis.separation;
  if (separation >= 0.0f) {
    MeReal smallest = a[0];
    for (int k = 0; k < 3; ++k) {
      smallest = a[k] < smallest ? a[k] : smallest;
      smallest = b[k] < smallest ? b[k] : smallest;
    }
    const MeReal eps = smallest > 0.0f ? 0.001f * smallest : 1e-6f;
    lift = separation + eps;
    separation = -eps;
    MeVector3MultiplyAdd(rel + 12, lift, axis.normal);
  }

  // Candidates in box 1's frame: box 2's edges clipped by box 1, then box
  // 1's edges clipped by box 2 (in box 2's frame) and carried back.
  MeReal points[McdBoxBoxMaxCandidates * 3];
  MeReal* cursor = points;
  int n = McdClipBoxEdgesAgainstBox(a, rel, b, &cursor);
  MeReal back[16];
  for (int i = 0; i < 16; ++i) back[i] = rel[i];
  MeMatrix4InvertRigid(back);
  MeReal* second = cursor;
  const int n2 = McdClipBoxEdgesAgainstBox(b, back, a, &cursor);
  for (int i = 0; i < n2; ++i) {
    MeReal local[3];
    MeVector3Copy(local, second + 3 * i);
    MeMatrix4TMTransform(second + 3 * i, rel, local);
  }
  n += n2;

  MeMatrix4TMRotate(result->normal, t1, axis.normal);
  McdContact candidates[McdBoxBoxMaxCandidates];
  int kept = 0;
  for (int i = 0; i < n && kept < McdBoxBoxMaxCandidates; ++i) {
    const MeReal* p = points + 3 * i;
    const MeReal d = MeVector3Dot(p, axis.normal) - (axis.planeOffset + lift);
    if (!Keeps(d, separation)) continue;
    McdContact* c = &candidates[kept++];
    MeMatrix4TMTransform(c->position, t1, p);
    MeVector3Copy(c->normal, result->normal);
    c->separation = d + lift;
    c->dims = axis.dims;
    c->element1 = c->element2 = 0;
  }
  const McdIntersectRequest* request = McdPairRequest(pair, &McdBoxBoxDefaultRequest);
  result->contactCount = McdContactSimplify(result->normal, candidates, kept, result->contacts,
                                            McdPairBudget(result, request),
                                            request->faceNormalsFirst);
  return result->contactCount > 0;
}

namespace {

void QuaternionToRotationRows(MeReal* m, const MeReal* q) {
  const MeReal w = q[0], x = q[1], y = q[2], z = q[3];
  // Row k is the image of local axis k (the transpose of the usual
  // column-vector rotation matrix of q).
  m[0] = 1 - 2 * (y * y + z * z); m[1] = 2 * (x * y + w * z);     m[2] = 2 * (x * z - w * y);
  m[4] = 2 * (x * y - w * z);     m[5] = 1 - 2 * (x * x + z * z); m[6] = 2 * (y * z + w * x);
  m[8] = 2 * (x * z + w * y);     m[9] = 2 * (y * z - w * x);     m[10] = 1 - 2 * (x * x + y * y);
}

// One explicit step of dq/dt = 0.5 (0, w) q, renormalised, rebuilt into the
// rotation rows; the position moves by v dt.
void Advance(MeReal* m, const MeReal* v, const MeReal* w, MeReal dt) {
  MeReal q[4];
  MeMatrixToQuaternion(q, m);
  const MeReal h = 0.5f * dt;
  MeReal dq[4];
  dq[0] = -(w[0] * q[1] + w[1] * q[2] + w[2] * q[3]);
  dq[1] = w[0] * q[0] + w[1] * q[3] - w[2] * q[2];
  dq[2] = w[1] * q[0] + w[2] * q[1] - w[0] * q[3];
  dq[3] = w[2] * q[0] + w[0] * q[2] - w[1] * q[1];
  MeReal len2 = 0.0f;
  for (int i = 0; i < 4; ++i) {
    q[i] += h * dq[i];
    len2 += q[i] * q[i];
  }
  const MeReal inv = 1.0f / std::sqrt(len2);
  for (int i = 0; i < 4; ++i) q[i] *= inv;
  QuaternionToRotationRows(m, q);
  for (int i = 0; i < 3; ++i) m[12 + i] += v[i] * dt;
}

}  // namespace

// Rotation is handled by stepping: N = floor((|w1| + |w2|) T / 0.2) + 1 steps
// of dt = T / N, so neither box turns more than 0.2 radians in one linear
// sweep.
int McdBoxBoxSafeTime(McdModelPair* pair, MeReal maxTime, McdSafeTimeResult* result) {
  result->pair = pair;
  result->time = maxTime;
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  if (!m1->linearVelocity || !m1->angularVelocity || !m2->linearVelocity ||
      !m2->angularVelocity)
    return 0;
  const MeReal turn =
      (MeVector3Magnitude(m1->angularVelocity) + MeVector3Magnitude(m2->angularVelocity)) *
      maxTime;
  const int steps = static_cast<int>(std::floor(turn / 0.2f)) + 1;
  const MeReal dt = maxTime / steps;
  MeReal pose1[16], pose2[16];
  const MeReal* t1 = McdModelTransformOrIdentity(m1);
  const MeReal* t2 = McdModelTransformOrIdentity(m2);
  for (int i = 0; i < 16; ++i) {
    pose1[i] = t1[i];
    pose2[i] = t2[i];
  }
  const MeReal* a = McdBoxGetRadii(m1->geometry);
  const MeReal* b = McdBoxGetRadii(m2->geometry);
  for (int k = 0; k < steps; ++k) {
    MeReal time = 0.0f;
    if (McdBoxSweep(a, pose1, m1->linearVelocity, b, pose2, m2->linearVelocity, dt, &time)) {
      result->time = k * dt + time + 1e-6f;
      return 1;
    }
    Advance(pose1, m1->linearVelocity, m1->angularVelocity, dt);
    Advance(pose2, m2->linearVelocity, m2->angularVelocity, dt);
  }
  return 0;
}
