// Distance limit: stops, motor or lock on the distance between a point of each body.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtDistanceLimit : MdtConstraint {
  MeReal point0[3];  // body 0 coordinates
  MeReal point1[3];  // body 1 coordinates
  MdtLimit limit;
};
using MdtDistanceLimitID = MdtDistanceLimit*;

// A constraint of this kind from the world's pool (disabled, its own fields
// zero, limit reset); null when the pool is exhausted.
MdtDistanceLimitID MdtDistanceLimitCreate(MdtWorldID world);
MdtLimit* MdtDistanceLimitGetLimit(MdtDistanceLimitID joint);
// Row builder: 1 row while the limit acts, else none.
void MdtDistanceLimitAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                         const MdtStepParams* params);
