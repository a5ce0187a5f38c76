// Three-float vector of the renderer's transforms: x, y, z in world units
// (centimetres), y up.  A plain record so that arrays of it can be handed to
// the device and to file readers as they are.
#pragma once

struct CVector3 {
  float x;
  float y;
  float z;
};

// Four-float vector (x, y, z, w) for homogeneous points and quaternions.
struct CVector4 {
  float x;
  float y;
  float z;
  float w;
};
