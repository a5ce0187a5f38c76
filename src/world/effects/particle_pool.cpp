#include "world/effects/particle_pool.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "foundation/byte_reader.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"
#include "world/effects/effects_hooks.h"
#include "world/regions/region.h"
#include "world/effects/effects_math.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/timing/timed_callback_list.h"

using effects::kPi;

CParticlePool* g_ParticlePool = nullptr;

namespace {

constexpr float kGravity = 980.0f;

std::uint32_t ChannelByte(float v) {
  if (!(v > 0.0f)) return 0;
  return v >= 255.0f ? 255u : static_cast<std::uint32_t>(v);
}

// Age as a fraction of the lifetime, at most 1; 1 for a lifetime of 0.
float AgeFraction(const CParticle& p, std::uint32_t now) {
  if (p.Lifetime == 0) return 1.0f;
  const float t = static_cast<float>(now - p.SpawnTime) / static_cast<float>(p.Lifetime);
  return std::min(1.0f, t);
}

std::uint32_t MeshId(const CEnvObject* mesh) {
  if (mesh == nullptr) return 0;
  return mesh->ObjectNameHash != 0 ? mesh->ObjectNameHash : mesh->NameHash;
}

}  // namespace

// --- particle setters ------------------------------------------------------------

void CParticle::SetSize(float size) {
  Size = size;
  if (size != 100.0f) Flags |= PF_SCALED;
  if (Pool != nullptr) Size *= Pool->GetSizeScale();
}

void CParticle::SetTargetSize(float size) { TargetSize = size * (Pool != nullptr ? Pool->GetSizeScale() : 1.0f); }

void CParticle::SetTimeToLive(std::uint32_t ms) {
  Lifetime = ms;
  if (ms != 0) Flags |= PF_TIMED;
  SpawnTime = Pool != nullptr ? Pool->ClockNow() : EffectsNow();
}

// --- pool -------------------------------------------------------------------------

CParticlePool::CParticlePool(const ParticleType* types, std::uint32_t bytes, const CTimer* clock)
    : types_(types != nullptr ? types : g_ParticleTypes),
      clock_(clock),
      capacity_(static_cast<int>(bytes / kParticleBudgetBytes)) {}

std::uint32_t CParticlePool::ClockNow() const { return Now(); }
std::uint32_t CParticlePool::Now() const { return clock_ != nullptr ? clock_->GetGameTime() : 0u; }
float CParticlePool::FrameTime() const { return clock_ != nullptr ? clock_->GetFrameTime() : 0.0f; }
bool CParticlePool::ClockStopped() const { return clock_ == nullptr || !clock_->IsRunning(); }

bool CParticlePool::CreatePools(CLinearBuffer* buffer) {
  particles_ = nullptr;
  if (buffer == nullptr || capacity_ <= 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(capacity_) * sizeof(CParticle), 4);
  if (memory == nullptr) return false;
  particles_ = static_cast<CParticle*>(memory);
  for (int i = 0; i < capacity_; ++i) new (&particles_[i]) CParticle();
  ResetAll();
  return true;
}

void CParticlePool::FreePools() { particles_ = nullptr; }

void CParticlePool::ResetAll() {
  if (particles_ != nullptr) {
    for (int i = 0; i < capacity_; ++i) {
      CParticle& p = particles_[i];
      p.State = PARTICLE_FREE;
      p.Flags = 0;
      p.Pool = this;
      ++p.Generation;
    }
  }
  next_ = 0;
  live_ = 0;
  inUse_ = 0;
  sizeScale_ = 1.0f;
}

int CParticlePool::IndexOf(const CParticle* particle) const {
  if (particle == nullptr || particles_ == nullptr) return -1;
  if (particle < particles_ || particle >= particles_ + capacity_) return -1;
  return static_cast<int>(particle - particles_);
}

ParticleRef CParticlePool::RefOf(const CParticle* particle) const {
  ParticleRef ref;
  const int i = IndexOf(particle);
  if (i < 0) return ref;
  ref.Index = i;
  ref.Generation = particle->Generation;
  return ref;
}

CParticle* CParticlePool::Resolve(const ParticleRef& ref) {
  CParticle* p = GetParticle(ref.Index);
  if (p == nullptr || p->Generation != ref.Generation || p->State == PARTICLE_FREE) return nullptr;
  return p;
}

void CParticlePool::Free(CParticle& p) {
  p.State = PARTICLE_FREE;
  p.Flags = 0;
  ++p.Generation;
}

void CParticlePool::ApplyTypeDefaults(CParticle& p, int type) {
  const ParticleType& t = types_[type];
  p.Flags = t.Flags;
  if (p.Flags & 0x80) return;
  p.Colour = effects::PackArgb(t.Alpha, t.Red, t.Green, t.Blue);
  p.Velocity = {0.0f, 0.0f, 0.0f};
  p.Rotation = {0.0f, 0.0f, 0.0f};
  p.AngularVelocity = {0.0f, 0.0f, 0.0f};
  p.SpeedScale = 1.0f;
  p.Deceleration = 1.0f;
  p.AlphaScale = t.Alpha;
  p.AlphaStart = t.AlphaStart;
  p.SetSize(t.Size);
  p.SetTargetSize(t.Size);
  p.SizeRate = t.SizeRate;
  p.Flags |= PF_GROWING;
  p.RenderMode = t.RenderMode;
  p.Lifetime = t.Lifetime;
  if (t.Lifetime != 0) p.Flags |= PF_TIMED;
  p.Angle = (p.Flags & PF_RANDOM_ANGLE) ? static_cast<float>(RandomIntBelow(360)) : 0.0f;
  if (p.Flags & PF_RANDOM_SPIN) p.Spin = RandomFloatRange(-30.0f, 30.0f);
}

CParticle* CParticlePool::Spawn(const CVector3& position, int type, CEnvObject* mesh) {
  if (particles_ == nullptr) return nullptr;
  if (type < 0 || type >= kParticleTypeCount) return nullptr;
  const std::uint32_t now = Now();
  // A full pool is searched once per frame: later spawns of that frame are refused at once.
  if (refusedStamp_ >= 0 && static_cast<std::uint32_t>(refusedStamp_) == now) {
    ++refusedCount_;
    return nullptr;
  }
  int index = next_;
  int steps = 0;
  while (particles_[index].Flags & PF_PROTECTED) {
    if (++steps >= capacity_) {
      refusedStamp_ = now;
      ++refusedCount_;
      return nullptr;
    }
    // Slot 0 is only ever a start index; the search cycles through 1 .. capacity - 1.
    index = capacity_ > 1 ? index % (capacity_ - 1) + 1 : index;
  }
  refusedStamp_ = -1;
  refusedCount_ = 0;

  CParticle& p = particles_[index];
  const bool wasFree = p.State == PARTICLE_FREE;
  ++p.Generation;
  p.Pool = this;
  p.Type = static_cast<std::uint32_t>(type);
  p.Position = position;
  p.PreviousPosition = position;
  p.Spin = 0.0f;
  ApplyTypeDefaults(p, type);
  p.Mesh = mesh;
  if (wasFree) ++live_;
  p.State = PARTICLE_ALIVE;
  p.Drawn = 0;
  if (p.RenderMode == PARTICLE_BILLBOARD) {
    const ParticleType& t = types_[type];
    p.Frame = 0.0f;
    if (p.Flags & PF_ANIMATED) {
      p.FrameRate = 30;
      p.FrameCount = t.LastFrame - t.FirstFrame + 1;
    } else {
      p.FrameCount = 1;
    }
  }
  next_ = index + 1 >= capacity_ ? 0 : index + 1;
  p.SpawnTime = now;
  return &p;
}

CParticle* CParticlePool::SpawnSmoke(const CVector3& position, float size, std::uint32_t ms) {
  CParticle* p = Spawn(position, 2, nullptr);
  if (p == nullptr) return nullptr;
  p->SetSize(size);
  p->SetTargetSize(size);
  p->Lifetime = ms;
  if (ms != 0) p->Flags |= PF_TIMED;
  p->Colour = 0;
  p->AlphaScale = 0.0f;
  p->Flags |= PF_COLOURED;
  return p;
}

int CParticlePool::SpawnBurstCube(const CVector3& centre, float half, int count, int type) {
  return SpawnBurstBox(centre, half, half, half, count, type);
}

int CParticlePool::SpawnBurstBox(const CVector3& centre, float hx, float hy, float hz, int count, int type) {
  burstCentre_ = centre;
  burstRadius_ = std::max(hx, std::max(hy, hz));
  if (g_EffectsHooks.SphereVisible != nullptr && !g_EffectsHooks.SphereVisible(centre, burstRadius_)) return 0;
  if (count == 1) {
    Spawn(centre, type, nullptr);
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    const CVector3 at{centre.x + RandomFloatRange(-hx, hx), centre.y + RandomFloatRange(-hy, hy),
                      centre.z + RandomFloatRange(-hz, hz)};
    Spawn(at, type, nullptr);
  }
  return 0;
}

int CParticlePool::SpawnBurstSphere(const CVector3& centre, float radius, int count, int type) {
  burstCentre_ = centre;
  burstRadius_ = radius;
  if (g_EffectsHooks.SphereVisible != nullptr && !g_EffectsHooks.SphereVisible(centre, radius)) return 0;
  if (count == 1) {
    Spawn(centre, type, nullptr);
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    // A height h in [-r0, r0] and an angle a on the circle of radius sqrt(r0² - h²).
    const float r0 = RandomFloat(radius);
    const float h = r0 - RandomFloat(2.0f * r0);
    const float a = RandomFloat(2.0f * kPi);
    const float rho = std::sqrt(std::max(0.0f, r0 * r0 - h * h));
    Spawn(CVector3{centre.x + std::cos(a) * rho, centre.y + std::sin(a) * rho, centre.z + h}, type, nullptr);
  }
  return 0;
}

namespace {

// Timed callback of a rain: params[0] type, params[1] region id.
void RainCallback(TimedCallbackEntry* entry) {
  if (g_ParticlePool == nullptr || g_EffectsHooks.FindRegionById == nullptr) return;
  CRegion* region = g_EffectsHooks.FindRegionById(static_cast<int>(entry->params[1]));
  CVector3 at{};
  if (region == nullptr) return;
  if (g_EffectsHooks.RegionRandomPoint != nullptr) {
    if (!g_EffectsHooks.RegionRandomPoint(region, &at)) return;
  } else {
    region->RandomPoint(&at);
  }
  g_ParticlePool->Spawn(at, static_cast<int>(entry->params[0]), nullptr);
}

}  // namespace

bool CParticlePool::RainInRegion(CRegion* region, std::uint32_t duration, int interval, int type, bool repeat,
                                 std::uint32_t start) {
  if (duration < 200 || interval <= 0 || region == nullptr || g_EffectsHooks.TimedCallbacks == nullptr ||
      g_EffectsHooks.RegionId == nullptr || type < 0 || type >= kParticleTypeCount)
    return false;
  float n = static_cast<float>(duration) / static_cast<float>(interval);
  if (n < 1.0f) n = 1.0f;
  TimedCallbackRequest request;
  request.callback = &RainCallback;
  request.interval = static_cast<std::uint32_t>(interval);
  request.lifetime = duration;
  request.delay = start;
  request.flags = repeat ? (TCF_EXPIRES | TCF_OVERWRITE_WHEN_FULL) : TCF_EXPIRES;
  request.params[0] = static_cast<std::uint32_t>(type);
  request.params[1] = static_cast<std::uint32_t>(g_EffectsHooks.RegionId(region));
  const int repeatCount = static_cast<int>(n);
  // Sparse rain is thickened with copies started at random delays.
  const int copies = n < 33.333f ? static_cast<int>(33.333f / n) : 1;
  for (int i = 0; i < copies; ++i) {
    TimedCallbackRequest copy = request;
    if (copies > 1 && repeatCount > 0) copy.delay = start + static_cast<std::uint32_t>(RandomIntBelow(repeatCount));
    g_EffectsHooks.TimedCallbacks->Post(copy);
  }
  return true;
}

void CParticlePool::RunTypeBehaviour(CParticle& p, float dt, std::uint32_t now) {
  switch (p.Type) {
    case 0: {  // flash: yellow fading to nothing
      const float t = AgeFraction(p, now);
      const std::uint32_t v = ChannelByte((1.0f - t) * 0.3f * 255.0f);
      p.Colour = g_EffectsHooks.NightVision ? 0xFFFFFFFFu : (0xFFu << 24) | (v << 16) | (v << 8) | 0x4Cu;
      break;
    }
    case 2: {  // grey pulse
      const float t = AgeFraction(p, now);
      const std::uint32_t v = ChannelByte(std::sin(t * kPi) * 0.66f * 255.0f);
      p.Colour = (v << 24) | (v << 16) | (v << 8) | v;
      break;
    }
    case 3: {  // red glow
      const float t = AgeFraction(p, now);
      const float s = std::sin(t * kPi) * 0.5f;
      if (g_EffectsHooks.NightVision) {
        const std::uint32_t g = ChannelByte(s * 255.0f);
        p.Colour = (g << 24) | (g << 16) | (g << 8) | g;
      } else {
        const std::uint32_t a = ChannelByte(s * 255.0f);
        const std::uint32_t q = ChannelByte(s * 0.25f * 255.0f);
        p.Colour = (a << 24) | (a << 16) | (q << 8) | q;
      }
      break;
    }
    case 5:  // slows to a stop
      if (p.SpeedScale > 0.0f) {
        p.SpeedScale -= 150.0f * dt;
        if (p.SpeedScale < 0.0f) {
          p.SpeedScale = 0.0f;
          p.Velocity = {0.0f, 0.0f, 0.0f};
        }
      }
      break;
    case 11:
    case 12: {  // smoke trail: uneven animation, and now and then a shrinking child puff
      p.Frame -= 25.0f * dt;
      p.Frame += RandomFloatRange(1.0f, 1.25f) * 25.0f * dt;
      if (p.Type == 11) {
        p.Size += RandomFloatRange(-1.0f, 1.0f) * 500.0f * dt;
        if (p.Size < 100.0f) p.Size = 100.0f;
      }
      if (p.Flags & PF_TRAIL_CHILD) break;
      if ((RandomInt() & 31) != 0) break;
      const std::uint32_t age = now - p.SpawnTime;
      if (p.Lifetime <= age || p.Lifetime - age <= 400) break;
      const std::uint32_t rest = std::min<std::uint32_t>(p.Lifetime - age, 1000);
      const std::uint32_t life = static_cast<std::uint32_t>(
          RandomIntRange(static_cast<int>(rest / 2), static_cast<int>(rest)));
      // Copy what the child takes first: the ring may hand out this very slot.
      const CVector3 at = p.Position;
      const float size = p.Size;
      const std::uint32_t colour = p.Colour;
      const int type = static_cast<int>(p.Type);
      CParticle* child = Spawn(at, type, nullptr);
      if (child == nullptr || life == 0) break;
      child->Lifetime = life;
      child->Flags |= PF_TIMED;
      child->Size = size;
      child->TargetSize = size * 0.1f;
      child->SizeRate = (child->TargetSize - size) * 1000.0f / static_cast<float>(life);
      child->Colour = colour;
      child->AlphaScale = static_cast<float>(colour >> 24) / 255.0f;
      child->Flags |= 0x202000u;
      break;
    }
    default:
      break;
  }
}

void CParticlePool::Update() {
  frameTime_ = FrameTime();
  if (particles_ == nullptr) return;
  const float dt = frameTime_;
  const std::uint32_t now = Now();
  const int toSee = live_;
  int seen = 0;
  int inUse = 0;
  for (int i = 0; i < capacity_ && seen < toSee; ++i) {
    CParticle& p = particles_[i];
    if (p.State == PARTICLE_FREE) continue;
    ++seen;
    ++inUse;
    if (p.State == PARTICLE_DYING) {
      Free(p);
      --live_;
      continue;
    }
    if (p.State != PARTICLE_ALIVE) continue;

    if (p.Flags & PF_GRAVITY) {
      p.Velocity.y -= kGravity * dt;
    } else if (p.Flags & PF_JITTER) {
      const float jy = RandomFloatRange(-1.0f, 0.9f);
      const float jx = RandomFloatRange(-0.4f, 0.4f);
      const float jz = RandomFloatRange(-0.4f, 0.4f);
      p.Velocity.x += jx * 50.0f * dt;
      p.Velocity.y += jy * 50.0f * dt;
      p.Velocity.z += jz * 50.0f * dt;
    }
    if (p.Flags & PF_MOVING) {
      p.PreviousPosition = p.Position;
      const float k = p.SpeedScale * dt;
      p.Position.x += p.Velocity.x * k;
      p.Position.y += p.Velocity.y * k;
      p.Position.z += p.Velocity.z * k;
      if (p.Flags & PF_DECELERATES) p.SpeedScale = std::max(0.0f, p.SpeedScale - p.Deceleration * dt);
    }
    if (p.Flags & PF_SPINNING) {
      p.Rotation.x += p.AngularVelocity.x * dt;
      p.Rotation.y += p.AngularVelocity.y * dt;
      p.Rotation.z += p.AngularVelocity.z * dt;
    }
    const std::uint32_t age = now - p.SpawnTime;
    // A lifetime of 0 sets no limit of its own; the age limit still holds.
    if ((p.Flags & PF_TIMED) && ((p.Lifetime != 0 && age >= p.Lifetime) || age > kParticleMaxAgeMs))
      p.State = PARTICLE_DYING;
    RunTypeBehaviour(p, dt, now);
    if (p.State != PARTICLE_ALIVE || p.RenderMode != PARTICLE_BILLBOARD) continue;

    if (p.Flags & PF_RANDOM_SPIN) {
      float spin = p.Spin + RandomFloatRange(-180.0f, 180.0f) * dt;
      if ((p.Flags & PF_TIMED) && p.Lifetime != 0)
        spin *= 1.0f - std::min(1.0f, static_cast<float>(age) / static_cast<float>(p.Lifetime));
      p.Spin = spin;
      p.Angle += p.Spin * dt;
    }
    if (p.Flags & PF_ANIMATED) {
      p.Frame += ((p.Flags & PF_SLOW_ANIMATION) ? 10.0f : 25.0f) * dt;
      if (p.Frame >= static_cast<float>(p.FrameCount)) {
        if (p.Flags & PF_LOOPING) {
          p.Frame = 0.0f;
        } else {
          if (p.Frame != 0.0f) p.Frame -= 1.0f;
          p.State = PARTICLE_DYING;
        }
      }
    }
    if ((p.Flags & PF_FADING) && p.Lifetime != 0) {
      const float f = p.AlphaStart - static_cast<float>(age) * p.AlphaStart / static_cast<float>(p.Lifetime);
      const std::uint32_t alpha = ChannelByte(std::clamp(f, 0.0f, 1.0f) * p.AlphaScale * 255.0f);
      p.Colour = (p.Colour & 0x00FFFFFFu) | (alpha << 24);
    }
    if (p.Flags & PF_GROWING) {
      p.Size += p.SizeRate * dt;
      const bool reached = p.SizeRate == 0.0f || (p.SizeRate > 0.0f && p.Size >= p.TargetSize) ||
                           (p.SizeRate < 0.0f && p.Size <= p.TargetSize);
      if (reached) {
        p.Size = p.TargetSize;
        p.Flags &= ~PF_GROWING;
      }
    }
  }
  inUse_ = inUse;
}

void CParticlePool::Render() {
  if (particles_ == nullptr) return;
  const EffectsHooks& h = g_EffectsHooks;
  const bool stopped = ClockStopped();
  const std::uint32_t now = Now();
  int seen = 0;
  for (int i = 0; i < capacity_ && seen < live_; ++i) {
    CParticle& p = particles_[i];
    if (p.State == PARTICLE_FREE) continue;
    ++seen;
    if (!(p.State == PARTICLE_ALIVE || (p.State == PARTICLE_DYING && stopped))) continue;
    if ((p.Flags & PF_NIGHT_HIDDEN) && h.NightVision) continue;
    const ParticleType& type = types_[p.Type];
    if (p.RenderMode == PARTICLE_BILLBOARD) {
      const int bucket = h.BucketOf != nullptr ? h.BucketOf(p.Position) : 0;
      if (bucket < 0 || bucket >= h.BucketCount) continue;
      ParticleSprite s;
      s.Bucket = bucket;
      s.Position = p.Position;
      s.Size = p.Size;
      s.Angle = p.Angle;
      s.Frame = static_cast<int>(type.FirstFrame) + static_cast<int>(p.Frame);
      s.BlendMode = static_cast<int>(type.BlendMode);
      std::uint32_t colour = p.Colour;
      if (p.Flags & PF_LIT) {
        const float r = static_cast<float>((colour >> 16) & 0xFF) * h.Ambient[0];
        const float g = static_cast<float>((colour >> 8) & 0xFF) * h.Ambient[1];
        const float b = static_cast<float>(colour & 0xFF) * h.Ambient[2];
        const float a = static_cast<float>(colour >> 24) * h.Ambient[3];
        if (h.NightVision) {
          // Lit particles in night vision: green of their own brightness.
          const std::uint32_t l = ChannelByte((r + g + b) / 3.0f);
          colour = (ChannelByte(a) << 24) | ((l / 2) << 16) | (l << 8) | (l / 2);
        } else {
          colour = (ChannelByte(a) << 24) | (ChannelByte(r) << 16) | (ChannelByte(g) << 8) | ChannelByte(b);
        }
      }
      if ((p.Flags & PF_NIGHT_SILHOUETTE) && (h.NightVision || h.ThermalView)) {
        const float l = 0.299f * static_cast<float>((colour >> 16) & 0xFF) +
                        0.587f * static_cast<float>((colour >> 8) & 0xFF) + 0.114f * static_cast<float>(colour & 0xFF);
        const std::uint32_t L = ChannelByte(l);
        colour = (colour & 0xFF000000u) | ((L / 2) << 16) | (L << 8) | (L / 2);
        s.BlendMode = 13;
      }
      if ((p.Flags & PF_FOG_FADE) && h.FogFade != nullptr) colour = h.FogFade(colour, bucket);
      s.Colour = colour;
      s.Kind = (p.Flags & (PF_SPINNING | PF_RANDOM_ANGLE)) ? 2 : 1;
      if (h.QueueSprite != nullptr) h.QueueSprite(s);
    } else {
      if (p.Mesh == nullptr) continue;
      MeshParticleDraw d;
      d.Particle = &p;
      d.BlendMode = static_cast<int>(type.BlendMode);
      if (!(p.Flags & PF_OWN_MATRIX)) {
        // World = scale (size / 100) x rotations about x, y, z x translation (row vectors).
        CMatrix m;
        m.SetIdentity();
        if (p.Flags & PF_SCALED) m.ScaleUniform(p.Size / 100.0f);
        m.RotateX(p.Rotation.x);
        m.RotateY(p.Rotation.y);
        m.RotateZ(p.Rotation.z);
        m.SetTranslation(p.Position);
        p.Matrix = m;
      }
      d.World = p.Matrix;
      d.Lit = (p.Flags & PF_LIT) != 0;
      if (p.Flags & PF_COLOURED) {
        d.ColourMode = type.BlendMode == 4 ? 25 : 24;
        d.Colour = p.Colour;
      } else if ((p.Flags & PF_FADING) && (p.Flags & PF_TIMED)) {
        float a = 1.0f;
        if (p.Lifetime != 0) a = std::max(0.0f, 1.0f - static_cast<float>(now - p.SpawnTime) / p.Lifetime);
        d.ColourMode = 24;
        d.Colour = (ChannelByte(a * 255.0f) << 24) | 0x00FFFFFFu;
      }
      if (h.DrawMeshParticle != nullptr) h.DrawMeshParticle(d);
    }
    p.Drawn = 1;
  }
}

// --- saved game -----------------------------------------------------------------------

std::uint32_t CParticlePool::SaveAll(ByteWriter& out) const {
  for (int i = 0; i < capacity_; ++i) {
    const CParticle& p = particles_[i];
    const std::size_t start = out.Size();
    if (p.State != PARTICLE_ALIVE) {
      // Only the state of a slot that is not alive is kept.
      for (std::uint32_t k = 0; k < 108; ++k) out.U8(0);
      out.U32(p.State & 0xFF);
      while (out.Size() - start < kParticleRecordBytes) out.U8(0);
      continue;
    }
    for (const CVector3* v : {&p.Position, &p.PreviousPosition, &p.Velocity, &p.Rotation, &p.AngularVelocity}) {
      out.F32(v->x);
      out.F32(v->y);
      out.F32(v->z);
    }
    out.F32(p.SpeedScale);
    out.F32(p.Deceleration);
    out.F32(p.Size);
    out.F32(p.TargetSize);
    out.F32(p.SizeRate);
    out.U32(p.Unused1);
    out.F32(p.AlphaStart);
    out.F32(p.AlphaScale);
    out.U32(p.SpawnTime);
    out.U32(p.Lifetime);
    out.U32(p.RenderMode);
    out.U32(p.Type);
    out.U32(p.State & 0xFF);
    out.U32(p.Flags);
    out.U32(p.Colour);
    out.U32(MeshId(p.Mesh));
    if (p.Flags & PF_OWN_MATRIX) {
      for (int k = 0; k < 5; ++k) out.U32(0);
    } else {
      out.F32(p.Angle);
      out.F32(p.Spin);
      out.F32(p.Frame);
      out.U32(p.FrameRate);
      out.U32(p.FrameCount);
    }
    out.U32(p.Drawn);
  }
  return static_cast<std::uint32_t>(capacity_);
}

bool CParticlePool::LoadAll(ByteReader& in, std::uint32_t count) {
  ResetAll();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* record = in.View(kParticleRecordBytes);
    if (record == nullptr) return false;
    if (particles_ == nullptr || i >= static_cast<std::uint32_t>(capacity_)) continue;
    ByteReader r(record, kParticleRecordBytes);
    r.Seek(100);
    const std::uint32_t mode = r.U32();
    const std::uint32_t type = r.U32();
    const std::uint32_t state = r.U32() & 0xFF;
    // Slots not alive stay free, and so does a record of an unknown type or mode.
    if (state != PARTICLE_ALIVE || type >= static_cast<std::uint32_t>(kParticleTypeCount) || mode > 1) continue;
    CParticle& p = particles_[i];
    r.Seek(0);
    for (CVector3* v : {&p.Position, &p.PreviousPosition, &p.Velocity, &p.Rotation, &p.AngularVelocity}) {
      v->x = r.F32();
      v->y = r.F32();
      v->z = r.F32();
    }
    p.SpeedScale = r.F32();
    p.Deceleration = r.F32();
    p.Size = r.F32();
    p.TargetSize = r.F32();
    p.SizeRate = r.F32();
    p.Unused1 = r.U32();
    p.AlphaStart = r.F32();
    p.AlphaScale = r.F32();
    p.SpawnTime = r.U32();
    p.Lifetime = r.U32();
    p.RenderMode = r.U32();
    p.Type = r.U32();
    r.U32();
    p.State = PARTICLE_ALIVE;
    p.Flags = r.U32();
    p.Colour = r.U32();
    const std::uint32_t meshId = r.U32();
    p.Mesh = meshId != 0 && g_Environment != nullptr ? g_Environment->FindObjectByHash(meshId) : nullptr;
    if (p.Flags & PF_OWN_MATRIX) {
      r.Skip(20);
    } else {
      p.Angle = r.F32();
      p.Spin = r.F32();
      p.Frame = r.F32();
      p.FrameRate = r.U32();
      p.FrameCount = r.U32();
    }
    p.Drawn = r.U32();
    ++p.Generation;
    ++live_;
  }
  inUse_ = live_;
  return true;
}
