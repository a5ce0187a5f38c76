#include "foundation/maths/quadratic.h"

#include <cmath>

int SolveQuadratic(float a, float b, float c, float* r1, float* r2) {
  if (a == 0.0f) return 0;
  float disc = b * b - 4.0f * a * c;
  if (!(disc > 0.0f)) return 0;
  float root = std::sqrt(disc);
  if (r1) *r1 = (-b - root) / (2.0f * a);
  if (r2) *r2 = (root - b) / (2.0f * a);
  return 1;
}
