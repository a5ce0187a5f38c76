// What every pair test of the narrow phase shares: the default requests of
// the multi-contact tests, the contact budget, model access with the plane's
// missing-transform rule, and the small vector helpers.
//
// Frames: transforms are 4x4 row-major with the local axes as rows 0-2 and
// the position as row 3 (points are row vectors).  Normals point from model 2
// toward model 1; a negative separation is a penetration.  Units are metres.
#pragma once

#include <cstdio>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/util/me_math.h"

// Own requests of the multi-contact tests, used when a pair has none.
inline constexpr McdIntersectRequest McdBoxBoxDefaultRequest = {4, 0};
inline constexpr McdIntersectRequest McdBoxPlaneDefaultRequest = {4, 0};

// Local candidate buffers of the multi-contact tests.
inline constexpr int McdBoxBoxMaxCandidates = 48;
// Four edges clipped with both ends plus eight with their moved ends.
inline constexpr int McdBoxPlaneMaxCandidates = 24;

// The request that applies to a pair: its own, or the test's default.
inline const McdIntersectRequest* McdPairRequest(const McdModelPair* pair,
                                                 const McdIntersectRequest* fallback) {
  return pair->request ? pair->request : fallback;
}

// The contact budget: the smaller of the result's capacity and the request's
// maximum.  May be 0 or negative; the reduction then keeps nothing.
inline int McdPairBudget(const McdIntersectResult* result, const McdIntersectRequest* request) {
  return result->contactMaxCount < request->contactMaxCount ? result->contactMaxCount
                                                            : request->contactMaxCount;
}

// Margin of a pair: the two models' paddings.
inline MeReal McdPairMargin(const McdModelPair* pair) {
  return pair->model1->padding + pair->model2->padding;
}

// The model's transform, or the identity (a plane without a transform is the
// world plane z = 0).
const MeReal* McdModelTransformOrIdentity(const McdModel* model);

// The model's linear velocity, or zero when it has none.
const MeReal* McdModelVelocityOrZero(const McdModel* model);

// Ends a test that finds at most one contact (world position and normal):
// beyond the pair's margin no contact and 0; with no room in the result the
// count 0 and 1 (touching); otherwise the one contact, its normal also as
// the result's normal, and 1.
int McdPairSingleContact(const McdModelPair* pair, McdIntersectResult* result, const MeReal* position,
                         const MeReal* normal, MeReal separation, int dims);

// Ends a single-contact test worked in frame t once the pair is known to
// touch: the result's normal is the local normal taken to the world; with
// room in the result, the one contact at the local point `local` (taken to
// the world) and the count 1.  Answers 1.
int McdPairLocalContact(McdIntersectResult* result, const MeReal* t, const MeReal* local,
                        const MeReal* normal, MeReal separation, int dims);

// Relative transform of transform b in a's frame: rows 0-2 are b's axes in
// a's frame (R_b R_a^T with axis rows), row 3 is (p_b - p_a) in a's frame.
void McdRelativeTransform(MeReal* out, const MeReal* a, const MeReal* b);

inline void McdVec3Negate(MeReal* out, const MeReal* a) {
  out[0] = -a[0]; out[1] = -a[1]; out[2] = -a[2];
}
inline void McdVec3ScaleTo(MeReal* out, const MeReal* a, MeReal s) {
  out[0] = a[0] * s; out[1] = a[1] * s; out[2] = a[2] * s;
}
// Division as a multiplication by the reciprocal.
inline void McdVec3Divide(MeReal* out, const MeReal* a, MeReal s) {
  McdVec3ScaleTo(out, a, 1.0f / s);
}
// Normalises in place and answers the old length; a zero vector is left as
// it is and 0 answered.
MeReal McdVec3NormalizeLength(MeReal* v);
// Next axis index: 0 -> 1, 1 -> 2, 2 -> 0.
inline int McdNextAxis(int i) { return (i + (i >> 1) + 1) & 3; }
// e_i x v.
inline void McdAxisCross(MeReal* out, int i, const MeReal* v) {
  int j = McdNextAxis(i), k = McdNextAxis(j);
  out[i] = 0.0f;
  out[j] = -v[k];
  out[k] = v[j];
}
// v x e_i.
inline void McdCrossAxis(MeReal* out, const MeReal* v, int i) {
  int j = McdNextAxis(i), k = McdNextAxis(j);
  out[i] = 0.0f;
  out[j] = v[k];
  out[k] = -v[j];
}
// +1, -1, or 0 for 0.
inline MeReal McdSign(MeReal x) { return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f); }
// Debugging print of a labelled vector to standard output.
void McdVec3Print(const char* label, const MeReal* v);
