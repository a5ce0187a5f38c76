// The world's particle pool: a fixed number of particles that effects take,
// place and let the pool move until their lifetime runs out.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

// Particle flag bits that effects set.
enum ParticleFlags : std::uint32_t {
  PARTICLE_SMALL = 0x2,
  PARTICLE_VELOCITY_SCALE = 0x20,  // velocity multiplied by the scale each step
  PARTICLE_SCALE_DECAYS = 0x10000, // the scale decays
  PARTICLE_IN_USE = 0x80000000,
};

class CParticle {
 public:
  // Sets the size; below 100 the particle is also marked small.
  void SetSize(float size);
  // Sets the lifetime, scaled by the world time factor.
  void SetLifetime(float lifetime);

  CVector3 Position;
  std::int32_t Kind;
  float Size;
  float Lifetime;
  float ImageNumber;
  float VelocityX, VelocityY, VelocityZ;
  float VelocityScale;
  std::uint32_t Flags;
  std::uint32_t Colour;  // ARGB
  float Alpha;           // 0 to 1
};

using Particle = CParticle;

class CParticlePool {
 public:
  // A pool of capacity particles, all free.
  explicit CParticlePool(int capacity);
  ~CParticlePool();
  CParticlePool(const CParticlePool&) = delete;
  CParticlePool& operator=(const CParticlePool&) = delete;

  // Takes a free particle, placed at the position with the kind; null when the pool is full.
  CParticle* Spawn(const CVector3& position, int kind, int unused);
  // Gives every particle back.
  void Clear();
  int GetCapacity() const { return m_Capacity; }
  int GetUsedCount() const { return m_Used; }
  CParticle* GetParticle(int i) { return i >= 0 && i < m_Capacity ? &m_Particles[i] : nullptr; }

 private:
  CParticle* m_Particles;
  int m_Capacity;
  int m_Used;
};

// The world's one particle pool (null when the world has none).
extern CParticlePool* g_ParticlePool;
// The world time factor that lifetimes are scaled by (1 normally).
extern float g_WorldTimeFactor;
