// Point on line: a point of body 0 kept on a line fixed in body 1.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtPointOnLine : MdtConstraint {
  MeReal point[3];      // body 0 coordinates
  MeReal linePoint[3];  // body 1 coordinates
  MeReal normal0[3];    // body 1 coordinates, perpendicular to the line
  MeReal normal1[3];    // body 1 coordinates, perpendicular to the line and normal0
};
using MdtPointOnLineID = MdtPointOnLine*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero); null when the pool is exhausted.
MdtPointOnLineID MdtPointOnLineCreate(MdtWorldID world);
// Row builder: 2 rows.
void MdtPointOnLineAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                       const MdtStepParams* params);
