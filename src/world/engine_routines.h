// Small geometric and world tests the engine offers the game: distance,
// view cones, steepness and the time-of-day scale.  Degrees, world units,
// y up; the horizontal plane is x, z.
#pragma once

#include "render/geometry/vector3.h"

// True when the squared distance between a and b is below distance².
bool VecWithinDistance(const CVector3& a, const CVector3& b, float distance);
// True when the horizontal direction from the eye to the target lies within
// half the cone angle of the facing (x = sin yaw, z = cos yaw).  A target
// straight above or below the eye counts as 90 degrees off.
bool PointInViewCone(const CVector3& eye, float yaw, const CVector3& target, float coneAngle);
// False when the target is lower than the eye and acceptBelow is 0;
// otherwise true when half the cone angle exceeds the target's elevation
// angle atan2(|dy|, horizontal distance), in degrees.
bool PointInVerticalCone(const CVector3& eye, const CVector3& target, float coneAngle, int acceptBelow);
// True when the vector is shorter than length; false when its length less
// |y| is not below length; otherwise true when |y| / its length exceeds fraction.
bool IsSteepOrShort(const CVector3& v, float length, float fraction);
// The value itself by day (hours 8 to 16); else the value times the larger
// of floor and 1 - (|hour - 12| - 4) / width.
float TimeOfDayScale(float value, float floor, float width);
// Where the time of day (hours, 0 to 24) comes from; noon until the sky sets one.
void SetTimeOfDaySource(float (*hours)());
