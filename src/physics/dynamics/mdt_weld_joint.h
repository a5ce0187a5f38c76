// Weld joint: the attachment points held together and the relative orientation held at a reference.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtWeldJoint : MdtConstraint {
  MeReal reference[3];  // vector part of q0 (x) q1* in the pose to hold
};
using MdtWeldJointID = MdtWeldJoint*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero); null when the pool is exhausted.
MdtWeldJointID MdtWeldJointCreate(MdtWorldID world);
// Row builder: 3 point rows and 3 orientation rows.
void MdtWeldJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                     const MdtStepParams* params);
