#include "render/device/render_utils.h"

#include <cmath>

GlossMapState g_GlossMapState = {nullptr, 0.0f, 0.0f};

void GlossMapState::Clear() {
  Texture = nullptr;
  A = 0.0f;
  B = 0.0f;
}

void GlossMapState::SetParameters(float a, float b) {
  A = a;
  B = b;
}

bool FloatsNearlyEqual(float a, float b) { return std::fabs(a - b) <= 7.6e-06f; }

bool Vector4NearlyEqual(const float* p, const float* q) {
  for (int k = 0; k < 4; ++k)
    if (!FloatsNearlyEqual(p[k], q[k])) return false;
  return true;
}

bool FloatsExactlyEqual(float a, float b) { return a == b; }

bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
