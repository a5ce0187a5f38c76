// Pose drive: drives the relative position and orientation of two joint frames with bounded forces and torques.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtPoseDriveJoint : MdtConstraint {
  MeReal offset0[4];  // joint frame 0 relative to body 0 (quaternion)
  MeU32 useOffset0;
  MeReal offset1[4];
  MeU32 useOffset1;
  MeReal targetOrientation[4];      // wanted orientation of frame 0 relative to frame 1
  MeReal targetAngularVelocity[3];  // in joint frame 1's axes
  MeReal maxTorque[3];
  MeReal maxForce[3];
};
using MdtPoseDriveJointID = MdtPoseDriveJoint*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero, target orientation the identity); null when the pool is exhausted.
MdtPoseDriveJointID MdtPoseDriveJointCreate(MdtWorldID world);
// Row builder: 3 point rows and 3 angular rows, always 6.
void MdtPoseDriveJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* params);
