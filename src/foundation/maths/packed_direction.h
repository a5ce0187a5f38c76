// Unit directions packed into 32 bits: byte 0 x, byte 1 y, byte 2 z, each
// the component x 127 truncated as a signed byte; byte 3 is 0.
#pragma once

#include <cstdint>

#include "foundation/maths/vector3.h"

// Packs a direction with components in [-1, 1] (others are clamped).
std::uint32_t PackDirection(float x, float y, float z);
// Unpacks: each signed byte x (1/127).
Vector3 UnpackDirection(std::uint32_t packed);
