// The one-axis limit: stops, motor and lock of a joint coordinate, and the
// row it adds to its joint.
#pragma once

#include "physics/dynamics/mdt_rows.h"
#include "physics/dynamics/mdt_types.h"

// Not limited, no motor or lock; stops at 0 with stiffness MeInfinity,
// damping 0 and restitution 1; hard-stop threshold MeInfinity.
void MdtLimitReset(MdtLimit* limit);
// Copies the stop (stiffness and damping as magnitudes, restitution clamped
// to 0..1) and raises the upper stop to it when the upper lies below.
void MdtLimitSetLowerStop(MdtLimit* limit, const MdtLimitStop* stop);
MdtLimitStop* MdtLimitGetLowerStop(MdtLimit* limit);
// The upper stop, to be changed in place.
MdtLimitStop* MdtLimitGetUpperStop(MdtLimit* limit);
void MdtLimitSetLimited(MdtLimit* limit, unsigned on);
unsigned MdtLimitIsLimited(const MdtLimit* limit);
unsigned MdtLimitIsActive(const MdtLimit* limit);
// Motor on while the force is not 0 (lock off).
void MdtLimitSetMotor(MdtLimit* limit, MeReal velocity, MeReal maxForce);
// Lock at a position while the force is not 0 (motor off).
void MdtLimitSetLock(MdtLimit* limit, MeReal position, MeReal maxForce);
void MdtLimitSetMotorOn(MdtLimit* limit, unsigned on);
void MdtLimitSetLockOn(MdtLimit* limit, unsigned on);
unsigned MdtLimitIsMotorOn(const MdtLimit* limit);
unsigned MdtLimitIsLockOn(const MdtLimit* limit);
// Runs the motor toward `target`: full speed outside the band, in
// proportion inside it; a band of 0 or less switches at the target.
void MdtLimitDriveToPosition(MdtLimit* limit, MeReal target, MeReal band, MeReal speed, MeReal maxForce);
// Offset plus measured coordinate.
MeReal MdtLimitGetPosition(const MdtLimit* limit);
MeReal MdtLimitGetVelocity(const MdtLimit* limit);
MeReal MdtLimitGetOvershoot(const MdtLimit* limit);
MeReal MdtLimitGetDesiredVelocity(const MdtLimit* limit);
MeReal MdtLimitGetMaxForce(const MdtLimit* limit);
void MdtLimitSetHardStopThreshold(MdtLimit* limit, MeReal stiffness);

// Per-step update after the joint stored the measured coordinate and its
// velocity: first-step offset, angle unwrapping, overshoot past the stops.
void MdtLimitUpdate(MdtLimit* limit, bool angular);
// Writes the limit row at `row` of the constraint being built (Jacobian
// (linear, angular0 | -linear, -angular1)); true when a row was written.
bool MdtLimitAddRow(MdtLimit* limit, const MdtConstraint* c, const MeReal* linear, const MeReal* angular0,
                    const MeReal* angular1, keaBody* states, const MdtRowArrays& arrays, int row,
                    keaConstraints* header, const MdtStepParams* params);

// Softness 1 / (h k + d) and error reduction h k / (h k + d) of a spring
// row; false (nothing written) when h k + d is not above 0.  Infinite
// stiffness or damping gives a rigid row (0 and 0).
bool MdtSpringRow(MeReal h, MeReal k, MeReal d, MeReal* softness, MeReal* errorReduction);
