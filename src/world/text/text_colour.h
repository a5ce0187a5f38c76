// Float colours as the text facilities keep them: packed A8R8G8B8 words with
// each component times 255 (truncated and held to 0..255).
#pragma once

#include <cstdint>

#include "render/colour/colour.h"

// Red, green and blue with an opaque alpha.
inline std::uint32_t PackTextColour(float r, float g, float b) {
  CColour c;
  c.r = r, c.g = g, c.b = b, c.a = 1.0f;
  return c.ToARGB();
}
inline std::uint32_t PackTextColour(float r, float g, float b, float a) {
  CColour c;
  c.r = r, c.g = g, c.b = b, c.a = a;
  return c.ToARGB();
}
// Each of the four bytes scaled by f (held to 0..1).
inline std::uint32_t ScaleTextColour(std::uint32_t argb, float f) {
  const float k = f > 0.0f ? (f < 1.0f ? f : 1.0f) : 0.0f;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= static_cast<std::uint32_t>(static_cast<float>((argb >> shift) & 0xFF) * k) << shift;
  return out;
}
