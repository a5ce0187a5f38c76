// Universal joint: the attachment points held together and the angle between one axis of each body held.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtUniversalJoint : MdtConstraint {
  MeReal axis0[3];      // body 0 coordinates
  MeReal axis1[3];      // body 1 coordinates
  MeReal referenceDot;  // axis0 . axis1 to hold
};
using MdtUniversalJointID = MdtUniversalJoint*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero); null when the pool is exhausted.
MdtUniversalJointID MdtUniversalJointCreate(MdtWorldID world);
// Row builder: 3 point rows and 1 angular row.
void MdtUniversalJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* params);
