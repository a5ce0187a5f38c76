#include "physics/dynamics/mdt_moving_point_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtMovingPointJointID MdtMovingPointJointCreate(MdtWorldID w) {
  return static_cast<MdtMovingPointJoint*>(
      MdtConstraintCreateBase(w, MdtTypeMovingPointJoint, MdtMovingPointJointAddRows, 3));
}

void MdtMovingPointJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                                const MdtStepParams*) {
  MdtMovingPointJoint* j = static_cast<MdtMovingPointJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, true);
  MeReal u0[3] = {0, 0, 0}, u1[3] = {0, 0, 0};
  MeVector3MultiplyAdd(u0, j->velocity0[0], f.a0);
  MeVector3MultiplyAdd(u0, j->velocity0[1], f.b0);
  MeVector3MultiplyAdd(u0, j->velocity0[2], f.c0);
  if (two) {
    MeVector3MultiplyAdd(u1, j->velocity1[0], f.a1);
    MeVector3MultiplyAdd(u1, j->velocity1[1], f.b1);
    MeVector3MultiplyAdd(u1, j->velocity1[2], f.c1);
  } else {
    MeVector3Copy(u1, j->velocity1);
  }
  for (int i = 0; i < 3; ++i) a.c[i] = u1[i] - u0[i];
  MdtRowFinish(hd, c, 3);
}
