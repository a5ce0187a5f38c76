// Catmull-Rom splines and damped springs.
#pragma once

#include "foundation/maths/vector3.h"

// Point at t (0..1) between p1 and p2 of the Catmull-Rom curve through
// p0..p3; t 0 gives p1 and t 1 gives p2 exactly.
void CatmullRomInterpolate(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, float t,
                           Vector3* out);
// One spring step of dt seconds toward target: acceleration = (target -
// position) x stiffness - velocity x damping; velocity += acceleration dt;
// position += velocity dt.
void SpringStep3D(float dt, const Vector3& target, Vector3* position, Vector3* acceleration, Vector3* velocity,
                  float stiffness, float damping);
// The same on x and y.
void SpringStep2D(float dt, const Vector2& target, Vector2* position, Vector2* acceleration, Vector2* velocity,
                  float stiffness, float damping);
