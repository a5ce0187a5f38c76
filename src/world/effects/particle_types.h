// The table of particle types: the defaults each new particle takes from its
// type (render mode, sprite frames, size and growth, colour, blend mode,
// lifetime and flags).
#pragma once

#include <cstdint>

struct ParticleType {
  std::uint32_t RenderMode;  // 0 billboard, 1 mesh
  std::uint32_t FirstFrame;
  std::uint32_t LastFrame;
  float Size;                // percent
  float SizeRate;            // percent per second
  float Unused;              // kept from the table, not read
  float Red, Green, Blue, Alpha;
  float AlphaStart;
  std::uint32_t BlendMode;   // as CRender::SetBlendMode takes it
  std::uint32_t Lifetime;    // ms, 0 = not timed
  std::uint32_t Flags;       // PF_*
};

constexpr int kParticleTypeCount = 19;

// The program's table of the 19 types.
extern const ParticleType g_ParticleTypes[kParticleTypeCount];
