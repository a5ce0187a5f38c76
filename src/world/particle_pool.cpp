#include "world/particle_pool.h"

#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"

CParticlePool* g_ParticlePool = nullptr;
float g_WorldTimeFactor = 1.0f;

void CParticle::SetSize(float size) {
  Size = size;
  if (size < 100.0f) Flags |= PARTICLE_SMALL;
}

void CParticle::SetLifetime(float lifetime) { Lifetime = lifetime * g_WorldTimeFactor; }

CParticlePool::CParticlePool(int capacity)
    : m_Particles(nullptr), m_Capacity(capacity > 0 ? capacity : 0), m_Used(0) {
  if (m_Capacity > 0) m_Particles = MEM_NEW(MEMCAT_WORLD_OBJECT) CParticle[m_Capacity]{};
}

CParticlePool::~CParticlePool() { MEM_DELETE_ARRAY m_Particles; }

CParticle* CParticlePool::Spawn(const CVector3& position, int kind, int /*unused*/) {
  for (int i = 0; i < m_Capacity; ++i) {
    CParticle& p = m_Particles[i];
    if (p.Flags & PARTICLE_IN_USE) continue;
    p = CParticle{};
    p.Position = position;
    p.Kind = kind;
    p.Flags = PARTICLE_IN_USE;
    p.VelocityScale = 1.0f;
    p.Alpha = 1.0f;
    ++m_Used;
    return &p;
  }
  return nullptr;
}

void CParticlePool::Clear() {
  for (int i = 0; i < m_Capacity; ++i) m_Particles[i].Flags = 0;
  m_Used = 0;
}
