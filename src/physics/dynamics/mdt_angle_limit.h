// The angle limit: keeps the angle between an axis fixed in body 0 and an
// axis fixed in body 1 (the primary axes of the two frames) below a maximum.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtAngleLimit : MdtConstraint {
  MeReal maxAngle;
  MeReal cosMaxAngle;
  MeReal stiffness;
  MeReal damping;
};
using MdtAngleLimitID = MdtAngleLimit*;

// An angle limit from the world's pool; null when the pool is exhausted.
MdtAngleLimitID MdtAngleLimitCreate(MdtWorldID world);
// Maximum angle pi, rigid (stiffness and damping MeInfinity), frames identity.
void MdtAngleLimitReset(MdtAngleLimitID limit);
MdtConstraintID MdtAngleLimitGetConstraint(MdtAngleLimitID limit);
MdtAngleLimitID MdtAngleLimitDCast(MdtConstraintID c);
void MdtAngleLimitSetMaxAngle(MdtAngleLimitID limit, MeReal radians);
MeReal MdtAngleLimitGetMaxAngle(MdtAngleLimitID limit);
void MdtAngleLimitSetStiffness(MdtAngleLimitID limit, MeReal k);
MeReal MdtAngleLimitGetStiffness(MdtAngleLimitID limit);
void MdtAngleLimitSetDamping(MdtAngleLimitID limit, MeReal d);
MeReal MdtAngleLimitGetDamping(MdtAngleLimitID limit);

// The angle limit's row builder (1 row, inactive inside the limit).
void MdtAngleLimitAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* params);
