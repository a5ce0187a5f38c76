#include "world/shrubbery/shrub_variants.h"

#include <cmath>

#include "foundation/maths/random_tables.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegreesToRadians = kPi / 180.0f;
// The sway offset is a tenth of the amplitude at its widest.
constexpr float kSwayScale = 0.1f;

ShrubVariant g_Variants[kShrubVariantCount];

// A tint channel: 0.96 .. 1.0 of full scale.
std::uint32_t TintChannel() { return static_cast<std::uint32_t>(RandomFloatRange(0.96f, 1.0f) * 255.0f) & 0xFF; }

}  // namespace

void ShrubberyMakeVariants() {
  for (ShrubVariant& v : g_Variants) {
    v.Phase = static_cast<float>(RandomIntBelow(360));
    v.Speed = RandomFloatRange(55.0f, 65.0f);
    v.Amplitude = RandomFloatRange(0.4f, 1.0f);
    const float r = RandomFloat(1.0f);
    v.Direction = {r, 0.0f, 1.0f - r * r};
    v.Offset = {};
    const std::uint32_t red = TintChannel(), green = TintChannel(), blue = TintChannel();
    v.Tint = 0xFF000000u | red << 16 | green << 8 | blue;
  }
}

void ShrubberyUpdateSway(float frameTime) {
  for (ShrubVariant& v : g_Variants) {
    v.Phase += frameTime * v.Speed;
    if (!(v.Phase >= 0.0f && v.Phase < 360.0f)) {
      v.Phase = std::fmod(v.Phase, 360.0f);
      if (v.Phase < 0.0f) v.Phase += 360.0f;
      if (!(v.Phase >= 0.0f && v.Phase < 360.0f)) v.Phase = 0.0f;  // not a number, or rounded up to 360
    }
    // w swings between -1 and 1 with a pause at each end: sin(pi sin(phase)).
    const float w = std::sin(kPi * std::sin(v.Phase * kDegreesToRadians));
    const float k = w * v.Amplitude * kSwayScale;
    v.Offset = {v.Direction.x * k, v.Direction.y * k, v.Direction.z * k};
  }
}

const ShrubVariant& GetShrubVariant(int i) { return g_Variants[static_cast<unsigned>(i) % kShrubVariantCount]; }

void ShrubberyClearVariants() {
  for (ShrubVariant& v : g_Variants) v = ShrubVariant{};
}
