#include "physics/dynamics/mdt_ball_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"

MdtBallJointID MdtBallJointCreate(MdtWorldID w) {
  return static_cast<MdtBallJoint*>(MdtConstraintCreateBase(w, MdtTypeBallJoint, MdtBallJointAddRows, 3));
}

void MdtBallJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                         const MdtStepParams*) {
  MdtJointRowsBegin(hd, c, transforms, states, true);
  MdtRowFinish(hd, c, 3);
}
