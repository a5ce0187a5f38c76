// Ball-and-socket joint: the two attachment points held together.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtBallJoint : MdtConstraint {};
using MdtBallJointID = MdtBallJoint*;

// A ball joint from the world's pool (disabled); null when it is exhausted.
MdtBallJointID MdtBallJointCreate(MdtWorldID world);
// Row builder: 3 point rows.
void MdtBallJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                         const MdtStepParams* params);
