// Point in plane: body 0's centre of mass kept in a plane fixed in body 1.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtPointInPlane : MdtConstraint {
  MeReal normal[3];  // body 1 coordinates
  MeReal offset;
};
using MdtPointInPlaneID = MdtPointInPlane*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero); null when the pool is exhausted.
MdtPointInPlaneID MdtPointInPlaneCreate(MdtWorldID world);
// Row builder: 1 row.
void MdtPointInPlaneAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                        const MdtStepParams* params);
