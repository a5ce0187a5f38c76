// Orientation joint: the two frames held parallel by springs (optionally free to twist).
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtOrientationJoint : MdtConstraint {
  MeU32 freeTwist;  // leave the twist about the primary axis free
  MeReal stiffness;
  MeReal damping;
};
using MdtOrientationJointID = MdtOrientationJoint*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero); null when the pool is exhausted.
MdtOrientationJointID MdtOrientationJointCreate(MdtWorldID world);
// Row builder: 2 rows, 3 without free twist.
void MdtOrientationJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                            const MdtStepParams* params);
