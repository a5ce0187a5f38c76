// Slider joint: body 1 slides along the primary axis of frame 0 without
// turning, with a limit on the displacement.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtSliderJoint : MdtConstraint {
  MdtLimit limit;
};
using MdtSliderJointID = MdtSliderJoint*;

// A slider from the world's pool (disabled, limit reset); null when it is
// exhausted.
MdtSliderJointID MdtSliderJointCreate(MdtWorldID world);
MdtLimit* MdtSliderJointGetLimit(MdtSliderJointID joint);
// Row builder: 5 rows, 6 with the limit row.
void MdtSliderJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                           const MdtStepParams* params);
