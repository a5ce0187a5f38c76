#include "physics/dynamics/mdt_distance_limit.h"

#include <cmath>

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

static_assert(sizeof(MdtDistanceLimit) <= MdtConstraintRecordSize, "distance limit fits a constraint record");

MdtDistanceLimitID MdtDistanceLimitCreate(MdtWorldID w) {
  auto* j = static_cast<MdtDistanceLimit*>(MdtConstraintCreateBase(w, MdtTypeDistanceLimit, MdtDistanceLimitAddRows, 1));
  if (j) MdtLimitReset(&j->limit);
  return j;
}

MdtLimit* MdtDistanceLimitGetLimit(MdtDistanceLimitID j) { return &j->limit; }

void MdtDistanceLimitAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                             const MdtStepParams* p) {
  MdtDistanceLimit* j = static_cast<MdtDistanceLimit*>(c);
  MdtLimit* l = &j->limit;
  if (!l->active) return;
  const MdtRowBodies b = MdtRowGetBodies(c, transforms, states);
  const bool two = b.s1 != nullptr;
  const MdtRowArrays a = MdtRowGetArrays(hd);
  MeReal P0[3], P1[3], D[3], n[3], r0[3], r1[3], x1[3] = {0, 0, 0};
  MeMatrix4TMTransform(P0, b.t0, j->point0);
  if (two) {
    MeMatrix4TMTransform(P1, b.t1, j->point1);
    MeVector3Copy(x1, b.t1 + 12);
  } else {
    MeVector3Copy(P1, j->point1);
  }
  MeVector3Subtract(D, P0, P1);
  const MeReal len = std::sqrt(MeVector3Dot(D, D));
  l->position = len;
  if (len > 0) {
    MeVector3Copy(n, D);
    MeVector3Scale(n, 1.0f / len);
  } else {
    MeVector3Set(n, 1, 0, 0);
  }
  MeReal dv[3];
  MeVector3Copy(dv, b.s0->vel);
  if (two) MeVector3Subtract(dv, dv, b.s1->vel);
  l->velocity = MeVector3Dot(dv, n);
  MdtLimitUpdate(l, false);
  MeVector3Subtract(r0, P0, b.t0 + 12);
  MeVector3Subtract(r1, P1, x1);
  MeReal ra0[3], ra1[3];
  MeVector3Cross(ra0, r0, n);
  MeVector3Cross(ra1, r1, n);
  if (MdtLimitAddRow(l, c, n, ra0, ra1, states, a, 0, hd, p)) MdtRowFinish(hd, c, 1);
}
