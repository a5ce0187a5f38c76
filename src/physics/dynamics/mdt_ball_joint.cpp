#include "physics/dynamics/mdt_ball_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"

MdtBallJointID MdtBallJointCreate(MdtWorldID w) {
  return static_cast<MdtBallJoint*>(MdtConstraintCreateBase(w, MdtTypeBallJoint, MdtBallJointAddRows, 3));
}

void MdtBallJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                         const MdtStepParams*) {
  const MdtRowBodies b = MdtRowGetBodies(c, transforms, states);
  MdtJointFrames f;
  MdtRowGetFrames(c, b, &f);
  MdtPointRows(hd, f.x0, f.x1, f.p0, f.p1, b.s1 != nullptr);
  MdtRowFinish(hd, c, 3);
}
