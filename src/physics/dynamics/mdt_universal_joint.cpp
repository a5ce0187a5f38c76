#include "physics/dynamics/mdt_universal_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtUniversalJointID MdtUniversalJointCreate(MdtWorldID w) {
  return static_cast<MdtUniversalJoint*>(
      MdtConstraintCreateBase(w, MdtTypeUniversalJoint, MdtUniversalJointAddRows, 4));
}

void MdtUniversalJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                              const MdtStepParams*) {
  MdtUniversalJoint* j = static_cast<MdtUniversalJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, true);
  MeReal u0[3], u1[3], x[3], nx[3];
  MeMatrix4TMRotate(u0, b.t0, j->axis0);
  if (two) MeMatrix4TMRotate(u1, b.t1, j->axis1);
  else MeVector3Copy(u1, j->axis1);
  MeVector3Cross(x, u0, u1);
  MdtNegate(x, nx);
  MdtRowSetJacobian(hd, 3, nullptr, x, nullptr, nx, two);
  a.xi[3] = MeVector3Dot(u0, u1) - j->referenceDot;
  a.lo[3] = -MeInfinity;
  a.hi[3] = MeInfinity;
  MdtRowFinish(hd, c, 4);
}
