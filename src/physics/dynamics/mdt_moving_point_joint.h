// Moving-point joint: the attachment points held together while each moves along its own frame at a given velocity.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtMovingPointJoint : MdtConstraint {
  MeReal velocity0[3];  // along frame 0's axes
  MeReal velocity1[3];  // along frame 1's axes (a world vector for the world)
};
using MdtMovingPointJointID = MdtMovingPointJoint*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero); null when the pool is exhausted.
MdtMovingPointJointID MdtMovingPointJointCreate(MdtWorldID world);
// Row builder: 3 point rows with target velocities.
void MdtMovingPointJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                            const MdtStepParams* params);
