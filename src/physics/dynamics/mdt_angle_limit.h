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
// The two limited axes, both in world coordinates: (x0, y0, z0) fixed in
// body 0 and (x1, y1, z1) fixed in body 1 (in the world for a missing body),
// each normalised (a zero axis becomes (1, 0, 0)) and stored as the primary
// axis of its frame.  Set the bodies first.
void MdtAngleLimitSetAxes(MdtAngleLimitID limit, MeReal x0, MeReal y0, MeReal z0, MeReal x1, MeReal y1, MeReal z1);
MeReal MdtAngleLimitGetMaxAngle(MdtAngleLimitID limit);
void MdtAngleLimitSetStiffness(MdtAngleLimitID limit, MeReal k);
MeReal MdtAngleLimitGetStiffness(MdtAngleLimitID limit);
void MdtAngleLimitSetDamping(MdtAngleLimitID limit, MeReal d);
MeReal MdtAngleLimitGetDamping(MdtAngleLimitID limit);

// The angle limit's row builder (1 row, inactive inside the limit).
void MdtAngleLimitAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* params);
