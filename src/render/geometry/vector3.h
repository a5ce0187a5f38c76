// Three-float vector of the renderer's transforms: x, y, z in world units
// (centimetres), y up.  A plain record so that arrays of it can be handed to
// the device and to file readers as they are.
#pragma once

#include "foundation/maths/vector3.h"

// The renderer uses the foundation's three-float vector under its own name.
using CVector3 = Vector3;

// Four-float vector (x, y, z, w) for homogeneous points and quaternions.
struct CVector4 {
  float x;
  float y;
  float z;
  float w;
};
