// One shrub of a garden: a small record drawn through the transparent queue
// with its variant's tint and sway, never an instance.  Positions are world
// units in the owning instance's space, y up; angles are degrees.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvObject;

// Shrub flag bits.
constexpr std::uint32_t kShrubVariantMask = 0xF;           // tint and sway variant, 0..15
constexpr std::uint32_t kShrubAlternativeState = 0x40000000;  // drawn with the renderer's own lights
constexpr std::uint32_t kShrubSways = 0x80000000;

struct Shrub {
  CVector3 Position{};
  // Rotation about Z, X and Y, in this order of fields.
  float AngleZ = 0.0f, AngleX = 0.0f, AngleY = 0.0f;
  float Size = 0.0f;  // stored with the shrub, not used for drawing
  std::uint32_t Flags = kShrubSways;
  CEnvObject* Template = nullptr;  // null: the shrub draws nothing

  int Variant() const { return static_cast<int>(Flags & kShrubVariantMask); }
};

// A garden: the shrubs of one landscape or scenery instance.
struct Garden {
  Shrub* Shrubs = nullptr;
  int Count = 0;
};
