// A colour as four floats r, g, b, a (nominally 0..1), with conversions to
// and from the device's ARGB colour word (alpha in bits 24-31, red 16-23,
// green 8-15, blue 0-7) and to and from hue, saturation and value.
#pragma once

#include <cstdint>

// One channel of 0..1 as a byte of a colour word, truncated and held to
// 0..255 (a channel out of range or not a number never spills into the next;
// not a number gives 0).
std::uint32_t ColourChannelByte(float unit);

class CColour {
 public:
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;

  // Each byte of the word times 0.003921569.
  void FromARGB(std::uint32_t argb);
  void SetARGB(std::uint32_t argb) { FromARGB(argb); }
  // Each component times 255, truncated toward zero and held to 0..255, packed A, R, G, B.
  std::uint32_t ToARGB() const;
  // out = this + (other - this)·t for all four components; answers out.
  CColour* Lerp(const CColour& other, CColour* out, float t) const;
  // Smallest and largest of r, g, b.
  float MinComponent() const;
  float MaxComponent() const;
  // Hue in degrees 0..360 (-1 for black, 0 for grey or for components that
  // are not finite), saturation and value 0..1.
  void ToHSV(float* hue, float* saturation, float* value) const;
  // Sets r, g, b from hue (degrees, any turn; one that is not finite is 0),
  // saturation and value; alpha unchanged.
  void FromHSV(float hue, float saturation, float value);
  // Holds the value (brightness) within low..high, keeping hue and saturation.
  void ClampBrightness(float low, float high);
};
