#include "physics/dynamics/mdt_hinge_joint.h"

#include <cmath>

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

static_assert(sizeof(MdtHingeJoint) <= MdtConstraintRecordSize, "hinge fits a constraint record");

MdtHingeJointID MdtHingeJointCreate(MdtWorldID w) {
  auto* j = static_cast<MdtHingeJoint*>(MdtConstraintCreateBase(w, MdtTypeHingeJoint, MdtHingeJointAddRows, 6));
  if (j) MdtLimitReset(&j->limit);
  return j;
}

MdtLimit* MdtHingeJointGetLimit(MdtHingeJointID j) { return &j->limit; }

void MdtHingeJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* p) {
  MdtHingeJoint* j = static_cast<MdtHingeJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, true);
  const MeReal* axes[2] = {f.b0, f.c0};
  for (int r = 0; r < 2; ++r) {
    MeReal u[3], v[3];
    MeVector3Cross(u, f.a1, axes[r]);
    MeVector3Cross(v, axes[r], f.a1);
    MdtRowSetJacobian(hd, 3 + r, nullptr, u, nullptr, v, two);
    a.xi[3 + r] = -MeVector3Dot(axes[r], f.a1);
    a.lo[3 + r] = -MeInfinity;
    a.hi[3 + r] = MeInfinity;
  }
  MdtLimit* l = &j->limit;
  if (l->active) {
    l->position = -std::atan2(MeVector3Dot(f.c0, f.b1), MeVector3Dot(f.b0, f.b1));
    MeReal dw[3];
    MeVector3Copy(dw, b.s0->velrot);
    if (two) MeVector3Subtract(dw, dw, b.s1->velrot);
    l->velocity = MeVector3Dot(f.a0, dw);
    MdtLimitUpdate(l, true);
  } else {
    l->overshoot = 0;
  }
  const MeReal zero[3] = {0, 0, 0};
  const bool limitRow = MdtLimitAddRow(l, c, zero, f.a1, f.a1, states, a, 5, hd, p);
  MdtRowFinish(hd, c, limitRow ? 6 : 5);
}
