// Conversions between the engine's frames and a body's.  A body's frame is
// the model's turned by 90 degrees about the vertical: record sizes and
// offsets (x, y, z) become (z, y, x) x 0.01; a start orientation comes from
// the Euler angles (a0, a1 - 90, a2) in degrees; the instance's rotation is
// the body's rotation times the axis-turn matrix.  4x4 matrices are rows x,
// y, z axes then the position (row vectors).
#pragma once

#include "foundation/maths/vector3.h"
#include "physics/dynamics/mdt_types.h"

class CEnvInstance;

// (x, y, z) -> (z, y, x) x 0.01 into out[3].
void RecordToBody(const Vector3& v, float* out);
// The body orientation of engine angles (degrees): Euler (a0, a1 - 90,
// rollSign x a2) in radians, as a quaternion (w, x, y, z).
void BodyQuaternionFromAngles(const float* angles, float rollSign, float* q);
// v x R: a body-frame vector carried to the world by the rotation rows.
void RotateByBody(const float* transform, const float* v, float* out);
// Writes the body back to the instance: rotation = body rotation x axis
// turn (mode 6), position = (body position - rotated offset) x 100.
void PlaceInstanceAtBody(CEnvInstance* instance, MdtBodyID body, const float* comOffset);
// The same from a 4x4 body transform.
void PlaceInstanceAtTransform(CEnvInstance* instance, const float* transform, const float* comOffset);
