// Hinge joint: the attachment points held together and the primary axes kept
// parallel, with a limit on the hinge angle (stops, motor, lock).
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtHingeJoint : MdtConstraint {
  MdtLimit limit;
};
using MdtHingeJointID = MdtHingeJoint*;

// A hinge from the world's pool (disabled, limit reset); null when it is
// exhausted.
MdtHingeJointID MdtHingeJointCreate(MdtWorldID world);
MdtLimit* MdtHingeJointGetLimit(MdtHingeJointID joint);
// Row builder: 5 rows, 6 with the limit row.
void MdtHingeJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* params);
