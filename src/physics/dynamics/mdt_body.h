// Dynamics bodies: frames, mass properties, velocities, force accumulators
// and their place in the world's lists.
#pragma once

#include "physics/dynamics/mdt_types.h"

// A body from the world's pool, reset and disabled; null when the pool is
// exhausted.
MdtBodyID MdtBodyCreate(MdtWorldID world);
// Destroys the body's constraints, unbinds its collision model, takes it out
// of the world's lists and returns it to the pool (tag -1).
void MdtBodyDestroy(MdtBodyID body);
// Not available: reports a fatal error and answers null without taking a
// body from the pool.
MdtBodyID MdtBodyCopy(MdtBodyID source, MdtWorldID world);
// Disables the body and restores the defaults (mass 1, inertia 0.4, identity
// frames at the origin, nothing moving).
void MdtBodyReset(MdtBodyID body);
void MdtBodyEnable(MdtBodyID body);
void MdtBodyDisable(MdtBodyID body);
// True while the body is enabled.
bool MdtBodyIsEnabled(MdtBodyID body);
// Steps the body has been enabled for (all ones while disabled).
MeU32 MdtBodyGetEnabledSteps(MdtBodyID body);

void MdtBodySetTransform(MdtBodyID body, const MeReal* m4);
void MdtBodySetPosition(MdtBodyID body, MeReal x, MeReal y, MeReal z);
// Rotation from a 3x3 matrix (rows are the local axes in world coordinates).
void MdtBodySetOrientation(MdtBodyID body, const MeReal* m3);
// Rotation from (w, x, y, z), normalised; a quaternion of (nearly) zero
// length is taken as the identity.
void MdtBodySetQuaternion(MdtBodyID body, MeReal w, MeReal x, MeReal y, MeReal z);
void MdtBodySetLinearVelocity(MdtBodyID body, MeReal x, MeReal y, MeReal z);
void MdtBodySetAngularVelocity(MdtBodyID body, MeReal x, MeReal y, MeReal z);
void MdtBodySetLinearVelocityDamping(MdtBodyID body, MeReal d);
void MdtBodySetAngularVelocityDamping(MdtBodyID body, MeReal d);
// Mass m; a mass that is not above 0 (or not finite) is refused with a
// warning and nothing changes.
void MdtBodySetMass(MdtBodyID body, MeReal m);
// Inertia tensor (3x3) and its inverse; a singular tensor is refused with a
// warning.
void MdtBodySetInertiaTensor(MdtBodyID body, const MeReal* m3);
void MdtBodySetSphericalInertia(MdtBodyID body, MeReal i);
// Centre-of-mass frame relative to the reference frame (rigid 4x4); ignored
// while the body has constraints.
void MdtBodySetCenterOfMassRelativeTransform(MdtBodyID body, const MeReal* m4);
void MdtBodyGetCenterOfMassRelativeTransform(MdtBodyID body, MeReal* m4);
void MdtBodySetFastRotationAxis(MdtBodyID body, MeReal x, MeReal y, MeReal z);
void MdtBodyClearFastRotationAxis(MdtBodyID body);
void MdtBodySetSafeTime(MdtBodyID body, MeReal t);
void MdtBodySetUserData(MdtBodyID body, MeUserWord data);

void MdtBodyAddForce(MdtBodyID body, MeReal x, MeReal y, MeReal z);
void MdtBodyAddTorque(MdtBodyID body, MeReal x, MeReal y, MeReal z);
void MdtBodyAddForceAtPosition(MdtBodyID body, MeReal fx, MeReal fy, MeReal fz, MeReal px, MeReal py, MeReal pz);
void MdtBodyAddImpulse(MdtBodyID body, MeReal x, MeReal y, MeReal z);
void MdtBodyAddImpulseAtPosition(MdtBodyID body, MeReal ix, MeReal iy, MeReal iz, MeReal px, MeReal py, MeReal pz);

MeReal* MdtBodyGetTransformPtr(MdtBodyID body);
void MdtBodyGetTransform(MdtBodyID body, MeReal* m4);
void MdtBodyGetInertiaTensor(MdtBodyID body, MeReal* m3);
void MdtBodyGetFastRotationAxis(MdtBodyID body, MeReal* v);
void MdtBodyGetPosition(MdtBodyID body, MeReal* v);
void MdtBodyGetCenterOfMassPosition(MdtBodyID body, MeReal* v);
void MdtBodyGetQuaternion(MdtBodyID body, MeReal* q);
void MdtBodyGetOrientation(MdtBodyID body, MeReal* m3);
void MdtBodyGetLinearVelocity(MdtBodyID body, MeReal* v);
void MdtBodyGetAngularVelocity(MdtBodyID body, MeReal* v);
MeReal* MdtBodyGetLinearVelocityPtr(MdtBodyID body);
MeReal* MdtBodyGetAngularVelocityPtr(MdtBodyID body);
// Velocity of the body's material point at world point p.
void MdtBodyGetVelocityAtPoint(MdtBodyID body, const MeReal* p, MeReal* v);
void MdtBodyGetForce(MdtBodyID body, MeReal* v);
void MdtBodyGetTorque(MdtBodyID body, MeReal* v);
void MdtBodyGetLinearAcceleration(MdtBodyID body, MeReal* v);
void MdtBodyGetAngularAcceleration(MdtBodyID body, MeReal* v);
MeReal MdtBodyGetMass(MdtBodyID body);
MeReal MdtBodyGetLinearVelocityDamping(MdtBodyID body);
MeReal MdtBodyGetAngularVelocityDamping(MdtBodyID body);
MeReal MdtBodyGetSafeTime(MdtBodyID body);
MeUserWord MdtBodyGetUserData(MdtBodyID body);
MdtWorldID MdtBodyGetWorld(MdtBodyID body);
MdtBodyID MdtBodyGetNext(MdtBodyID body);
int MdtBodyGetPartition(MdtBodyID body);
MeReal MdtBodyGetKineticEnergy(MdtBodyID body);

void MdtBodyForAllConstraints(MdtBodyID body, MdtConstraintFn fn, void* argument);
void MdtBodyDisableConstraints(MdtBodyID body);
void MdtBodyDestroyConstraints(MdtBodyID body);

// Solid sphere and box inertia tensors (3x3).
void MdtMakeSphereInertiaTensor(MeReal mass, MeReal radius, MeReal* m3);
void MdtMakeBoxInertiaTensor(MeReal mass, MeReal x, MeReal y, MeReal z, MeReal* m3);

// World step internals: damping, gravity and impulses into the force
// accumulators, step counter; and the reference frame from the
// centre-of-mass frame after integration.
void MdtBodyPreStep(MdtBodyID body, MeReal stepSize);
void MdtBodyUpdateReferenceFromCom(MdtBodyID body);
