// Small geometric and world tests the engine offers the game: distance,
// view cones, steepness and the time-of-day scale.  Degrees, world units,
// y up; the horizontal plane is x, z.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;

// Points of a view fan: the eye and 25 points on the arc.
inline constexpr int kViewFanPoints = 26;

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

// A view cone as a developer overlay: fills the polygon with the eye and 25
// points on the arc of the given range (x = sin, z = cos of the angle, as
// PointInViewCone faces), from yaw + half the cone angle down to yaw - half
// in 24 equal steps.  With a nonzero sway (degrees) every arc point is
// raised by sin(2 pi p / 1000) x tan(sway / 2) x range, p being the game
// clock's phase in a 10-second cycle; with swayBothSides 0 a lowering is
// turned into a raise.  The polygon then goes to the environment's debug
// outline in the colour; answers the outline's answer (0 without an
// environment).
int BuildViewFan(CVector3 polygon[kViewFanPoints], const CVector3& eye, float yaw, float coneAngle, float range,
                 float sway, int swayBothSides, std::uint32_t colour);
// For an instance under a parent (its template not a landscape), a magenta
// line (0xFFFF00FF) between the centres of its and its parent's bounding
// spheres; the world matrix is put back afterwards.  Answers 1 when drawn.
int DrawParentLink(const CEnvInstance* instance);
