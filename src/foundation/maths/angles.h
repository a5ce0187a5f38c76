// Angle arithmetic in degrees (y up, yaw about y, pitch about x).
#pragma once

#include "foundation/maths/vector3.h"

// a + b brought once into [0, 360].
float AddAngles(float a, float b);
// Signed shortest turn from current to target, in [-180, 180].
float AngleDifference(float current, float target);
// Turns current toward target by at most step: current when within
// tolerance, target when closer than step; with wrap the result is brought
// into [0, 360).
float TurnAngleTowards(float current, float target, float step, float tolerance, bool wrap);
// Moves value toward target by step; target once the step would reach it.
float MoveValueTowards(float value, float target, float step);
// Pitch (x), yaw (y) and roll 0 (z) of the direction a - b, each in [0, 360].
void AnglesBetweenPoints(const Vector3& a, const Vector3& b, Vector3* out);
// Pitch (x), yaw (y) and roll 0 (z) of a direction, each in [0, 360].
void DirectionToAngles(const Vector3& direction, Vector3* out);
// Adds length x (sin yaw cos pitch, -sin pitch, cos yaw cos pitch).
void AddDirection(Vector3* v, float pitch, float yaw, float length);
// Rotates n 2D points by `angle` degrees and adds the offset (may be null):
// x' = cos a x + sin a y + ox, y' = cos a y - sin a x + oy.
void RotatePoints2D(const Vector2* in, Vector2* out, const Vector2* offset, float angle, int n);
// Elevation of the segment s-e (90 - acos of its unit direction's y) and tilt
// of p about its middle (acos of unit(p - middle).y - 90), in degrees.  A
// zero-length direction counts as level.
void SegmentAngles(const Vector3& p, const Vector3& s, const Vector3& e, float* elevation, float* tilt);
// The x rotation (pitch) and z rotation (roll), in degrees, that tilt the up
// vector onto the upward normal of the plane through a, b and c: x =
// atan2(n.z, n.y), z = atan2(-n.x, n.y).  A level plane gives 0 and 0; three
// points on a line give 0 and 0.
void PlaneAnglesFromPoints(const Vector3& a, const Vector3& b, const Vector3& c, float* xRotation, float* zRotation);
