// Three-component vectors of the foundation's maths helpers: x, y, z with y
// up; single precision for the engine, double for the precise plane family.
// Plain records, layout-compatible with any other three-float vector.
#pragma once

struct Vector3 {
  float x;
  float y;
  float z;
};

struct Vector3D {
  double x;
  double y;
  double z;
};

struct Vector2 {
  float x;
  float y;
};
