// The wheel joint: holds a wheel (body 1) to a chassis (body 0) with a
// sprung suspension along the steering axis, a steering motor or lock, free
// spin about the spin axis and an optional drive.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtWheelJoint : MdtConstraint {
  MeReal point[3];      // attachment point, chassis coordinates (from its centre of mass)
  MeReal steering[3];   // steering axis, chassis coordinates
  MeReal spin0[3];      // spin axis, chassis coordinates
  MeReal spin1[3];      // spin axis, wheel coordinates
  MeReal stiffness;
  MeReal damping;
  MeReal steerVelocity;
  MeReal steerForce;
  MeReal driveVelocity;
  MeReal driveForce;
  MeU32 steeringLock;
  MeReal highStop;
  MeReal lowStop;
  MeReal reference;
  MeReal stopSoftness;
};
using MdtWheelJointID = MdtWheelJoint*;

// A wheel joint from the world's pool (disabled, defaults); null when the
// pool is exhausted.
MdtWheelJointID MdtWheelJointCreate(MdtWorldID world);
// Disables it and restores the defaults: steering axis (0, 0, 1), spin axis
// (0, 1, 0), no spring, steering held by a motor of force 1e9, no drive,
// stops at plus and minus 1e9.
void MdtWheelJointReset(MdtWheelJointID joint);
MdtWheelJointID MdtWheelJointDCast(MdtConstraintID c);
MdtConstraintID MdtWheelJointGetConstraint(MdtWheelJointID joint);

// World point, stored in chassis coordinates (set the bodies first).
void MdtWheelJointSetPosition(MdtWheelJointID joint, MeReal x, MeReal y, MeReal z);
// World axes (normalised; zero gives (1, 0, 0)) carried by the chassis, and
// for the spin axis also by the wheel.
void MdtWheelJointSetSteeringAxis(MdtWheelJointID joint, MeReal x, MeReal y, MeReal z);
void MdtWheelJointSetSpinAxis(MdtWheelJointID joint, MeReal x, MeReal y, MeReal z);
// Spring k, damper d, softness at the stops, stops and rest position.
void MdtWheelJointSetSuspension(MdtWheelJointID joint, MeReal k, MeReal d, MeReal stopSoftness, MeReal lowStop,
                                MeReal highStop, MeReal reference);
void MdtWheelJointSetSteeringMotor(MdtWheelJointID joint, MeReal velocity, MeReal maxForce);
// Drive about the spin axis; a force below 0.0001 means no drive row.
void MdtWheelJointSetDrive(MdtWheelJointID joint, MeReal velocity, MeReal maxForce);
void MdtWheelJointSetSteeringLock(MdtWheelJointID joint, unsigned on);

unsigned MdtWheelJointGetSteeringLock(MdtWheelJointID joint);
MeReal MdtWheelJointGetSteeringMotorDesiredVelocity(MdtWheelJointID joint);
MeReal MdtWheelJointGetSteeringMotorMaxForce(MdtWheelJointID joint);
MeReal MdtWheelJointGetDriveDesiredVelocity(MdtWheelJointID joint);
MeReal MdtWheelJointGetDriveMaxForce(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionHighStop(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionLowStop(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionStopSoftness(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionReference(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionStiffness(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionDamping(MdtWheelJointID joint);
// World attachment point and axes.
void MdtWheelJointGetPosition(MdtWheelJointID joint, MeReal* v);
void MdtWheelJointGetSteeringAxis(MdtWheelJointID joint, MeReal* v);
void MdtWheelJointGetSpinAxis(MdtWheelJointID joint, MeReal* v);
// Steering angle about the steering axis (radians).
MeReal MdtWheelJointGetSteeringAngle(MdtWheelJointID joint);
MeReal MdtWheelJointGetSteeringRate(MdtWheelJointID joint);
MeReal MdtWheelJointGetSpinRate(MdtWheelJointID joint);
// Angle between the steering axis carried by the chassis and the same axis
// carried by the wheel.
MeReal MdtWheelJointGetSteeringAxisAngle(MdtWheelJointID joint);
// (chassis position - wheel position) . steering axis, and its rate.
MeReal MdtWheelJointGetSuspensionHeight(MdtWheelJointID joint);
MeReal MdtWheelJointGetSuspensionRate(MdtWheelJointID joint);

// The wheel joint's row builder (5 or 6 rows).
void MdtWheelJointAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* params);
