// Linear sweep of two boxes over a time span.
#include <cmath>

#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_primitive_pairs.h"

// Along each of the 15 separating axes L (world frame, unnormalised: the
// test compares ratios) the centre gap g(t) = (p2 - p1 + (v2 - v1) t) . L
// moves linearly while the summed reach E stays fixed (no rotation).  An
// axis with |g| > E at both ends on the same side keeps the boxes apart for
// the whole span.  An axis apart at the start but not at the end is entered
// at t = (E - g0) T / (gT - g0) (gaps folded to the positive side); the
// boxes cannot meet before the latest such entry.
int McdBoxSweep(const MeReal* a, const MeReal* transform1, const MeReal* velocity1,
                const MeReal* b, const MeReal* transform2, const MeReal* velocity2, MeReal span,
                MeReal* time) {
  const MeReal zero[3] = {0, 0, 0};
  const MeReal* v1 = velocity1 ? velocity1 : zero;
  const MeReal* v2 = velocity2 ? velocity2 : zero;
  MeReal start[3], end[3];
  MeVector3Subtract(start, transform2 + 12, transform1 + 12);
  for (int i = 0; i < 3; ++i) end[i] = start[i] + (v2[i] - v1[i]) * span;

  MeReal axes[15][3];
  for (int i = 0; i < 3; ++i) {
    MeVector3Copy(axes[i], transform1 + 4 * i);
    MeVector3Copy(axes[3 + i], transform2 + 4 * i);
  }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) MeVector3Cross(axes[6 + 3 * i + j], axes[i], axes[3 + j]);

  MeReal latest = 0.0f;
  for (const MeReal* L : axes) {
    MeReal reach = 0.0f;
    for (int k = 0; k < 3; ++k)
      reach += a[k] * std::fabs(MeVector3Dot(transform1 + 4 * k, L)) +
               b[k] * std::fabs(MeVector3Dot(transform2 + 4 * k, L));
    MeReal g0 = MeVector3Dot(start, L);
    MeReal g1 = MeVector3Dot(end, L);
    if (g0 < 0.0f) {
      g0 = -g0;
      g1 = -g1;
    }
    if (g0 <= reach) continue;      // overlapping along L at the start
    if (g1 > reach) return 0;       // apart on the same side at both ends
    const MeReal entry = (reach - g0) * span / (g1 - g0);
    if (entry > latest) latest = entry;
  }
  *time = latest;
  return 1;
}

int McdStandInSafeTime(McdModelPair* pair, const MeReal* a, const MeReal* b, MeReal maxTime,
                       McdSafeTimeResult* result) {
  result->pair = pair;
  result->time = maxTime;
  const McdModel* m1 = pair->model1;
  const McdModel* m2 = pair->model2;
  MeReal time = 0.0f;
  const int hit = McdBoxSweep(a, McdModelTransformOrIdentity(m1), m1->linearVelocity, b,
                              McdModelTransformOrIdentity(m2), m2->linearVelocity, maxTime, &time);
  if (hit) result->time = time;
  return hit;
}
