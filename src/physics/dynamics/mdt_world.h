// The dynamics world: pools of bodies and constraints, world parameters and
// the step that partitions, solves, integrates and unpacks.
#pragma once

#include "physics/dynamics/mdt_types.h"

// A world for up to maxBodies bodies and maxConstraints constraints (contacts
// and joints together); null when maxBodies is 0 or memory runs out.
MdtWorldID MdtWorldCreate(unsigned maxBodies, unsigned maxConstraints);
// Frees the pools (with every body and constraint still in them), the arrays
// and the record.
void MdtWorldDestroy(MdtWorldID world);
// Epsilon 0.01, gamma 0.2, no gravity, automatic disabling off with its
// default thresholds.
void MdtWorldSetDefaults(MdtWorldID world);

void MdtWorldSetEpsilon(MdtWorldID world, MeReal epsilon);
MeReal MdtWorldGetEpsilon(MdtWorldID world);
void MdtWorldSetGamma(MdtWorldID world, MeReal gamma);
MeReal MdtWorldGetGamma(MdtWorldID world);
// gamma = a * c / b.
void MdtWorldSetGammaFromSpring(MdtWorldID world, MeReal a, MeReal b, MeReal c);
void MdtWorldSetGravity(MdtWorldID world, MeReal x, MeReal y, MeReal z);
void MdtWorldGetGravity(MdtWorldID world, MeReal* out);

void MdtWorldSetAutoDisable(MdtWorldID world, unsigned on);
unsigned MdtWorldGetAutoDisable(MdtWorldID world);
void MdtWorldSetAutoDisableVelocityThreshold(MdtWorldID world, MeReal value);
void MdtWorldSetAutoDisableAngularVelocityThreshold(MdtWorldID world, MeReal value);
void MdtWorldSetAutoDisableAccelerationThreshold(MdtWorldID world, MeReal value);
void MdtWorldSetAutoDisableAngularAccelerationThreshold(MdtWorldID world, MeReal value);
void MdtWorldSetAutoDisableAliveSteps(MdtWorldID world, unsigned steps);
// The third of the world's automatic-disabling thresholds, the squared
// linear acceleration (0.5 at creation): the same value as
// MdtWorldSetAutoDisableAccelerationThreshold sets, under the name the
// world library's binding uses.
void MdtWorldSetAutoDisableThreshold3(MdtWorldID world, MeReal value);
MeReal MdtWorldGetAutoDisableVelocityThreshold(MdtWorldID world);
MeReal MdtWorldGetAutoDisableAngularVelocityThreshold(MdtWorldID world);
MeReal MdtWorldGetAutoDisableAccelerationThreshold(MdtWorldID world);
MeReal MdtWorldGetAutoDisableAngularAccelerationThreshold(MdtWorldID world);
unsigned MdtWorldGetAutoDisableAliveSteps(MdtWorldID world);

unsigned MdtWorldGetMaxBodies(MdtWorldID world);
unsigned MdtWorldGetMaxConstraints(MdtWorldID world);
unsigned MdtWorldGetNumBodies(MdtWorldID world);
unsigned MdtWorldGetNumEnabledBodies(MdtWorldID world);
// Constraints taken from the pool (enabled or not).
unsigned MdtWorldGetConstraintCount(MdtWorldID world);

// Callbacks run when a body is enabled or disabled (null for none).
void MdtWorldSetBodyEnabledCallback(MdtWorldID world, MdtBodyCallbackFn fn);
void MdtWorldSetBodyDisabledCallback(MdtWorldID world, MdtBodyCallbackFn fn);

// The largest solver scratch size asked for so far.
size_t MdtWorldGetChunkMaxUsed(MdtWorldID world);
// Lends the scratch chunk a caller-owned block (alignment 64).  A block too
// small for a step, with no resize callback that lends more, is a fatal
// error; should the handler return, the partition is left unsolved.
void MdtWorldSetChunkMemory(MdtWorldID world, void* memory, size_t size);
void MdtWorldSetChunkResizeFn(MdtWorldID world, MeChunkResizeFn fn);

// Calls fn(constraint, argument) for every enabled constraint.
void MdtWorldForAllConstraints(MdtWorldID world, MdtConstraintFn fn, void* argument);
// Clears force and torque of every body.
void MdtWorldResetForces(MdtWorldID world);
// Smallest safe time among the bodies of partition p; MeInfinity when empty.
MeReal MdtPartitionGetSafeTime(const MdtPartitionOutput* partitions, int p);
// Partitions the enabled bodies into islands joined by constraints, waking
// disabled bodies reached through one; with `check` given, partitions that
// came to rest are put to sleep and dropped.
void MdtPartition(MdtWorldID world, MdtPartitionOutput* out, const MdtAutoDisableParams* check);
// One step of h seconds.
void MdtWorldStep(MdtWorldID world, MeReal stepSize);
