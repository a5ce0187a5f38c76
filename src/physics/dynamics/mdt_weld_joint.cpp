#include "physics/dynamics/mdt_weld_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtWeldJointID MdtWeldJointCreate(MdtWorldID w) {
  return static_cast<MdtWeldJoint*>(MdtConstraintCreateBase(w, MdtTypeWeldJoint, MdtWeldJointAddRows, 6));
}

void MdtWeldJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                         const MdtStepParams*) {
  MdtWeldJoint* j = static_cast<MdtWeldJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, true);
  const MeReal identity[4] = {1, 0, 0, 0};
  const MeReal* q0 = b.s0->qrot;
  const MeReal* q1 = two ? b.s1->qrot : identity;
  MeReal E0[12], E1[12], A[9], B[9];
  MdtQuaternionE(q0, E0);
  MdtQuaternionE(q1, E1);
  MdtMultiplyABt(E1, E0, 0.5f, A);
  MdtMultiplyABt(E0, E1, 0.5f, B);
  for (int i = 0; i < 3; ++i) {
    MeReal nb[3];
    MdtNegate(B + 3 * i, nb);
    MdtRowSetJacobian(hd, 3 + i, nullptr, A + 3 * i, nullptr, nb, two);
    MeReal e = 0;
    for (int k = 0; k < 4; ++k) e += E1[4 * i + k] * q0[k];
    a.xi[3 + i] = e - j->reference[i];
  }
  for (int r = 0; r < 6; ++r) {
    a.lo[r] = -MeInfinity;
    a.hi[r] = MeInfinity;
  }
  MdtRowFinish(hd, c, 6);
}
