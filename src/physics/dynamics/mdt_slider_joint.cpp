#include "physics/dynamics/mdt_slider_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

static_assert(sizeof(MdtSliderJoint) <= MdtConstraintRecordSize, "slider fits a constraint record");

MdtSliderJointID MdtSliderJointCreate(MdtWorldID w) {
  auto* j = static_cast<MdtSliderJoint*>(MdtConstraintCreateBase(w, MdtTypeSliderJoint, MdtSliderJointAddRows, 6));
  if (j) MdtLimitReset(&j->limit);
  return j;
}

MdtLimit* MdtSliderJointGetLimit(MdtSliderJointID j) { return &j->limit; }

void MdtSliderJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                           const MdtStepParams* p) {
  MdtSliderJoint* j = static_cast<MdtSliderJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, false);
  MeReal d[3], r0[3], r1[3];
  MeVector3Subtract(d, f.p1, f.p0);
  MeVector3Subtract(r0, f.p1, f.x0);
  MeVector3Subtract(r1, f.p1, f.x1);
  // Rows 0, 1: no sideways motion along b0 and c0.
  const MeReal* side[2] = {f.b0, f.c0};
  for (int r = 0; r < 2; ++r) {
    MeReal nl[3], u[3], v[3];
    MdtNegate(side[r], nl);
    MeVector3Cross(u, side[r], r0);
    MeVector3Cross(v, r1, side[r]);
    MdtRowSetJacobian(hd, r, nl, u, side[r], v, two);
    a.xi[r] = MeVector3Dot(side[r], d);
  }
  // Rows 2-4: no relative rotation.
  const MeReal* pairs[3][2] = {{f.b0, f.c1}, {f.c0, f.a1}, {f.a0, f.b1}};
  for (int r = 0; r < 3; ++r) {
    MeReal u[3], v[3];
    MeVector3Cross(u, pairs[r][0], pairs[r][1]);
    MdtNegate(u, v);
    MdtRowSetJacobian(hd, 2 + r, nullptr, u, nullptr, v, two);
    a.xi[2 + r] = MeVector3Dot(pairs[r][0], pairs[r][1]);
  }
  for (int r = 0; r < 5; ++r) {
    a.lo[r] = -MeInfinity;
    a.hi[r] = MeInfinity;
  }
  MdtLimit* l = &j->limit;
  MeReal ra0[3], ra1[3];
  MeVector3Cross(ra0, r0, f.a0);
  MeVector3Cross(ra1, r1, f.a0);
  if (l->active) {
    MeReal sep[3];
    MeVector3Subtract(sep, f.p0, f.p1);
    l->position = MeVector3Dot(f.a0, sep);
    MeReal v = MeVector3Dot(f.a0, b.s0->vel) + MeVector3Dot(ra0, b.s0->velrot);
    if (two) v -= MeVector3Dot(f.a0, b.s1->vel) + MeVector3Dot(ra1, b.s1->velrot);
    l->velocity = v;
    MdtLimitUpdate(l, false);
  } else {
    l->overshoot = 0;
  }
  const bool limitRow = MdtLimitAddRow(l, c, f.a0, ra0, ra1, states, a, 5, hd, p);
  MdtRowFinish(hd, c, limitRow ? 6 : 5);
}
