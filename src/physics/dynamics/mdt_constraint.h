// The constraint base shared by contacts and joints: life cycle, bodies,
// attachment frames and the results of the last step.
#pragma once

#include "physics/dynamics/mdt_types.h"

// Takes a record from the world's pool and fills the base (world set, links
// and results zero, frames identity, partition indices -1, type, builder,
// maximum rows, the default set-bodies and set-axis operations); null when
// the pool is exhausted.  Used by each kind's create function.
MdtConstraint* MdtConstraintCreateBase(MdtWorldID world, int type, MdtRowBuilderFn builder, unsigned maxRows);
// Force and torque results zero.
void MdtConstraintClearResults(MdtConstraintID c);
// Results zero, both frames identity, visited flag 0.
void MdtConstraintResetBase(MdtConstraintID c);

// Links the constraint into the world's and its bodies' lists; nothing when
// it is enabled already or has no body.  A world without free link nodes
// refuses with a warning.
void MdtConstraintEnable(MdtConstraintID c);
void MdtConstraintDisable(MdtConstraintID c);
bool MdtConstraintIsEnabled(MdtConstraintID c);
// Disables the constraint and returns it to the pool (type -1).
void MdtConstraintDestroy(MdtConstraintID c);
// Sets both bodies (body1 null for the world); refused while enabled.
void MdtConstraintSetBodies(MdtConstraintID c, MdtBodyID body0, MdtBodyID body1);
MdtBodyID MdtConstraintGetBody(MdtConstraintID c, unsigned which);
void MdtConstraintSetUserData(MdtConstraintID c, MeUserWord data);
MeUserWord MdtConstraintGetUserData(MdtConstraintID c);
// Force or torque the constraint put on body 0 or 1 in the last step.
void MdtConstraintGetForce(MdtConstraintID c, unsigned which, MeReal* v);
void MdtConstraintGetTorque(MdtConstraintID c, unsigned which, MeReal* v);

// Primary axis (world), with a second and third axis made perpendicular.
void MdtConstraintSetAxis(MdtConstraintID c, MeReal x, MeReal y, MeReal z);
// World point stored in both frames.
void MdtConstraintSetPosition(MdtConstraintID c, MeReal x, MeReal y, MeReal z);
void MdtConstraintSetBodyPosition(MdtConstraintID c, unsigned which, MeReal x, MeReal y, MeReal z);
// Primary and second world axes (normalised; zero gives (1, 0, 0)), third
// their product, stored in both frames.
void MdtConstraintSetBothAxes(MdtConstraintID c, MeReal px, MeReal py, MeReal pz, MeReal sx, MeReal sy, MeReal sz);
// The same in one body's own coordinates.
void MdtConstraintSetLocalAxes(MdtConstraintID c, unsigned which, const MeReal* primary, const MeReal* second);
// World values of frame 0 (through body 0).
void MdtConstraintGetPosition(MdtConstraintID c, MeReal* v);
void MdtConstraintGetAxis(MdtConstraintID c, MeReal* v);
void MdtConstraintGetAxes(MdtConstraintID c, MeReal* primary, MeReal* second);
// Values of frame `which` in that body's coordinates.
void MdtConstraintGetLocalPosition(MdtConstraintID c, unsigned which, MeReal* v);
void MdtConstraintGetLocalAxis(MdtConstraintID c, unsigned which, MeReal* v);
void MdtConstraintGetLocalAxes(MdtConstraintID c, unsigned which, MeReal* primary, MeReal* second);

// The default operations each kind installs.
void MdtConstraintDefaultSetBodies(MdtConstraint* c, MdtBody* body0, MdtBody* body1);
void MdtConstraintDefaultSetAxis(MdtConstraint* c, MeReal x, MeReal y, MeReal z);

// Helpers of the kinds: a world vector or point into a body's coordinates
// (the world's when the body is null), and back.
void MdtConvertToBody(const MdtBody* b, const MeReal* world, MeReal* local, bool point);
void MdtConvertFromBody(const MdtBody* b, const MeReal* local, MeReal* world, bool point);
// Normalises v (kept when within 0.001 of unit length); zero gives (1, 0, 0).
void MdtNormalizeOrX(MeReal* v);
// A unit vector perpendicular to unit a: (0, -a.z, a.y) scaled when |a.y| >=
// |a.x|, else (a.z, 0, -a.x) scaled.
void MdtPerpendicular(const MeReal* a, MeReal* b);
