// The 16 tint and sway variants that every shrub picks one of: one
// program-wide table, all zero when the program starts, drawn anew from the
// random tables each time a shrubbery section is read, and swayed once a
// frame (the sway is computed per variant, not per shrub).  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

constexpr int kShrubVariantCount = 16;

struct ShrubVariant {
  float Phase = 0.0f;      // degrees, 0 .. 360
  float Speed = 0.0f;      // degrees per second
  float Amplitude = 0.0f;
  CVector3 Direction{};    // (r, 0, 1 - r x r)
  CVector3 Offset{};       // the sway of this frame, world units per unit of height
  std::uint32_t Tint = 0;  // opaque ARGB
};

// Draws every variant anew: phase a whole number of degrees 0..359, speed
// 55..65 degrees per second, amplitude 0.4..1.0, direction (r, 0, 1 - r x r)
// with r in 0..1, and a tint whose red, green and blue are 0.96..1.0 of full
// scale.  The offsets start at zero.
void ShrubberyMakeVariants();
// Once a frame while the game clock runs, with its frame time in seconds:
// phase += time x speed (wrapped below 360); w = sin(pi x sin(phase));
// offset = direction x w x amplitude x 0.1.
void ShrubberyUpdateSway(float frameTime);
// The variant of a shrub's flags (bits 0-3).
const ShrubVariant& GetShrubVariant(int i);
// Back to the all-zero table of program start (tests).
void ShrubberyClearVariants();
