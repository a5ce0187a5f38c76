#include "render/colour/colour.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kByteToUnit = 0.003921569f;
}  // namespace

std::uint32_t ColourChannelByte(float unit) {
  const float value = unit * 255.0f;
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<std::uint32_t>(value);
}

void CColour::FromARGB(std::uint32_t argb) {
  a = static_cast<float>((argb >> 24) & 0xFF) * kByteToUnit;
  r = static_cast<float>((argb >> 16) & 0xFF) * kByteToUnit;
  g = static_cast<float>((argb >> 8) & 0xFF) * kByteToUnit;
  b = static_cast<float>(argb & 0xFF) * kByteToUnit;
}

std::uint32_t CColour::ToARGB() const {
  return (ColourChannelByte(a) << 24) | (ColourChannelByte(r) << 16) | (ColourChannelByte(g) << 8) | ColourChannelByte(b);
}

CColour* CColour::Lerp(const CColour& other, CColour* out, float t) const {
  out->r = r + (other.r - r) * t;
  out->g = g + (other.g - g) * t;
  out->b = b + (other.b - b) * t;
  out->a = a + (other.a - a) * t;
  return out;
}

float CColour::MinComponent() const { return std::min(r, std::min(g, b)); }

float CColour::MaxComponent() const { return std::max(r, std::max(g, b)); }

void CColour::ToHSV(float* hue, float* saturation, float* value) const {
  const float min = MinComponent(), max = MaxComponent();
  *value = max;
  if (max == 0.0f) {
    *saturation = 0.0f;
    *hue = -1.0f;
    return;
  }
  const float delta = max - min;
  *saturation = delta / max;
  if (delta == 0.0f) {  // grey: no hue to speak of
    *hue = 0.0f;
    return;
  }
  float h;
  if (r == max)
    h = (g - b) / delta;
  else if (g == max)
    h = 2.0f + (b - r) / delta;
  else
    h = 4.0f + (r - g) / delta;
  h *= 60.0f;
  if (h < 0.0f) h += 360.0f;
  // Components that are not finite give no hue to speak of either.
  *hue = std::isfinite(h) ? h : 0.0f;
}

void CColour::FromHSV(float hue, float saturation, float value) {
  if (saturation == 0.0f) {
    r = g = b = value;
    return;
  }
  // Six sectors of 60 degrees; a hue of 360 (or any further turn) is the same as 0.
  hue = std::fmod(hue, 360.0f);
  if (hue < 0.0f) hue += 360.0f;
  // A hue that is not finite (fmod makes those "not a number") is taken as 0,
  // so that the sector below is always one of the six.
  if (!(hue >= 0.0f && hue < 360.0f)) hue = 0.0f;
  const float h = hue * 0.016666668f;
  const float i = std::floor(h);
  const float f = h - i;
  const float p = value * (1.0f - saturation);
  const float q = value * (1.0f - saturation * f);
  const float t = value * (1.0f - saturation * (1.0f - f));
  switch (static_cast<int>(i)) {
    case 0: r = value, g = t, b = p; break;
    case 1: r = q, g = value, b = p; break;
    case 2: r = p, g = value, b = t; break;
    case 3: r = p, g = q, b = value; break;
    case 4: r = t, g = p, b = value; break;
    default: r = value, g = p, b = q; break;
  }
}

void CColour::ClampBrightness(float low, float high) {
  float h, s, v;
  ToHSV(&h, &s, &v);
  if (v < low)
    v = low;
  else if (v > high)
    v = high;
  FromHSV(h, s, v);
}
