#include "world/effects/explosions.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/effects_math.h"
#include "world/effects/particle_pool.h"
#include "world/effects/sphere_events.h"
#include "world/effects/trails.h"
#include "world/environment/env_instance.h"
#include "world/glass/glazier.h"
#include "world/objects/chlo.h"

using effects::kDegToRad;
using effects::kPi;

CExplosionManager* g_Explosions = nullptr;
std::uint32_t g_SideHostility[kSides][kSides] = {};

namespace {

constexpr float kBlastGrowth = 1500.0f;         // units per second
constexpr float kFlashSeconds = 1.5f;
constexpr float kFlashRange = 7000.0f;
constexpr std::uint32_t kFlashColour = 0xFFFFC080u;
constexpr std::uint32_t kLineOfSightMask = 0x1D48;
constexpr float kBlockedFactor = 0.2f;
constexpr float kLethalShare = 0.75f;
constexpr std::uint32_t kLateSmokeMs = 900;

bool g_paused = false;
bool g_overlayWasUp = false;

std::uint32_t Grey(int lo, int hi, std::uint32_t alpha) {
  const std::uint32_t v = static_cast<std::uint32_t>(RandomIntRange(lo, hi + 1));
  return (alpha << 24) | (v << 16) | (v << 8) | v;
}

CVector3 RandomOffset(float scale) {
  CVector3 v;
  RandomVector(&v);
  return effects::Mul(v, scale);
}

// The per-frame callback of burning debris: the fire particle rides on the chunk.
void CarryParticle(CEffectInstance* effect) {
  if (g_ParticlePool == nullptr) return;
  if (CParticle* p = g_ParticlePool->Resolve(effect->Particle)) p->Position = effect->Position;
}

bool SameRoot(CEnvInstance* a, CEnvInstance* b) {
  return a != nullptr && b != nullptr && a->GetRoot() == b->GetRoot();
}

}  // namespace

bool CExplosionManager::CreatePools(CLinearBuffer* buffer) {
  blasts_ = nullptr;
  if (buffer == nullptr || capacity_ <= 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(capacity_ * sizeof(Blast)), 4);
  if (memory == nullptr) return false;
  blasts_ = static_cast<Blast*>(memory);
  for (int i = 0; i < capacity_; ++i) new (&blasts_[i]) Blast();
  Reset();
  return true;
}

void CExplosionManager::Reset() {
  if (blasts_ != nullptr)
    for (int i = 0; i < capacity_; ++i) blasts_[i] = Blast{};
  next_ = 0;
  smokeCount_ = 0;
  flashTime_ = -1.0f;
  flashBlast_ = -1;
  if (flashLit_ && g_EffectsHooks.SetFlashLight != nullptr) g_EffectsHooks.SetFlashLight(false, {}, 0.0f, 0);
  flashLit_ = false;
  dust_ = BlastDust{};
}

Blast* CExplosionManager::Create(const CVector3& centre, CEnvInstance* zone, float size, float power, CHLO* owner,
                                 int alert, std::uint32_t flags, CHLO* source) {
  if (blasts_ == nullptr) return nullptr;
  int index = next_;
  for (int step = 0; step < capacity_ && (blasts_[index].Flags & BLAST_ACTIVE); ++step)
    index = (index + 1) % capacity_;
  Blast& b = blasts_[index];
  if ((b.Flags & BLAST_ACTIVE) && (b.Flags & BLAST_SMOKE_SCREEN) && smokeCount_ > 0) --smokeCount_;
  b = Blast{};
  b.Centre = centre;
  b.Size = size;
  b.Radius = 0.0f;
  b.Power = power;
  b.Owner = owner;
  b.Source = source;
  b.Zone = zone;
  b.Serial = serial_++;
  if (serial_ == 0) serial_ = 1;  // 0 is an object's "none yet"
  b.Flags = flags | BLAST_ACTIVE;
  // Duration: size × 0.667 ms, at least a second (25 times that for smoke), plus a second.
  const float scaled = size * 0.00066666666f * 1000.0f;
  std::uint32_t duration = std::max<std::uint32_t>(scaled > 0.0f ? static_cast<std::uint32_t>(scaled) : 0u, 1000);
  if (flags & BLAST_SMOKE_SCREEN) duration *= 25;
  b.EndTime = EffectsNow() + duration + 1000;
  if (owner != nullptr && alert == 1) {
    SphereEventDesc e;
    e.Centre = centre;
    e.Kind = 0;
    e.Duration = 1000;
    e.MaxRadius = size * 5.0f;
    e.Source = owner;
    e.Priority = kSphereEventUrgent;
    SphereEventAdd(e);
  }
  if (flags & BLAST_FIREBALL) {
    flashBlast_ = index;
    flashTime_ = kFlashSeconds;
  }
  if (flags & BLAST_DUST) dust_ = BlastDust{true, centre, size, 2500};
  if ((flags & BLAST_NOTIFY) && notify_ != nullptr) notify_(centre);
  next_ = (index + 1) % capacity_;
  if (flags & BLAST_SMOKE_SCREEN) ++smokeCount_;
  return &b;
}

namespace {

struct DamageStep {
  Blast* blast;
};

void DamageVisited(CEnvInstance* instance, void* context) {
  Blast& b = *static_cast<DamageStep*>(context)->blast;
  if (!(instance->Flags & INSTF_BREAKABLE)) return;
  if ((b.Flags & BLAST_SPARE_OWNER) && b.Owner != nullptr && SameRoot(instance, b.Owner->Instance)) return;
  instance->UpdateBoundingSphere();
  const CSphere& s = instance->GetWorldSphere();
  // Fall-off: (1 - d / (r + size)) × power, d from the instance's centre.
  const float d = effects::Distance(s.Centre, b.Centre);
  const float amount = (1.0f - d / (s.Radius + b.Size)) * b.Power;
  if (amount > 0.0f) instance->Damage(amount);
}

}  // namespace

void CExplosionManager::DamageInstances(Blast& b) {
  DamageStep step{&b};
  EffectsForEachInstanceInSphere(b.Zone, b.Centre, b.Radius, &DamageVisited, &step);
  if (g_EffectsHooks.ShatterGlassInSphere != nullptr)
    g_EffectsHooks.ShatterGlassInSphere(b.Centre, b.Radius);
  else if (g_Glazier != nullptr)
    g_Glazier->ExplosionHit(b.Centre, b.Radius);
}

void CExplosionManager::ThrowSmoke(const Blast& b, std::uint32_t colour, float lifeMs) {
  if (g_ParticlePool == nullptr) return;
  const bool large = (b.Flags & BLAST_LARGE) != 0;
  CVector3 at = effects::Add(b.Centre, RandomOffset((large ? 0.2f : 0.1f) * b.Radius));
  if (large) at.y = b.Centre.y;
  CParticle* p = g_ParticlePool->Spawn(at, 6, nullptr);
  if (p == nullptr) return;
  CVector3 dir;
  RandomUnitDirection(&dir);
  p->Velocity = dir;
  p->SpeedScale = (2.0f * dir.y + 0.5f) * 100.0f * 1.2f * ((b.Flags & BLAST_SMOKE_SCREEN) ? 0.3f : 1.0f);
  float size = RandomFloatRange(300.0f, 1000.0f) * 1.25f;
  float target = RandomFloatRange(1700.0f, 2400.0f);
  size = std::min(size, 2.0f * b.Size);
  target = std::min(target, 2.0f * b.Size);
  p->SetSize(size);
  p->SetTargetSize(target);
  p->SizeRate = (p->TargetSize - p->Size) * 1000.0f / lifeMs;
  p->SetTimeToLive(static_cast<std::uint32_t>(lifeMs));
  p->Deceleration = 0.5f;
  p->Colour = colour;
  p->AlphaScale = static_cast<float>(colour >> 24) / 255.0f;
  p->Flags |= PF_MOVING | PF_GROWING | PF_DECELERATES | PF_COLOURED;
}

void CExplosionManager::ThrowBurningDebris(const Blast& b) {
  if (g_EffectPool == nullptr) return;
  EffectDesc d;
  d.Kind = EFFECT_THROWN;
  d.Start = effects::Add(b.Centre, RandomOffset(20.0f));
  d.Heading = RandomFloatRange(0.0f, 359.0f);
  d.Pitch = RandomFloatRange(10.0f, 50.0f);
  d.Speed = RandomFloatRange(10.0f, 30.0f) * 100.0f;
  d.Flags = EFF_TRAIL;
  const float v = RandomFloat(1.0f);
  d.TrailColour[0] = v;
  d.TrailColour[1] = v;
  d.TrailColour[2] = RandomFloat(0.25f);
  d.TrailColour[3] = 0.5f;
  d.OnFrame = &CarryParticle;
  CEffectInstance* e = g_EffectPool->Spawn(d);
  if (e == nullptr) return;
  e->SetTimeLimit(static_cast<std::uint32_t>(RandomFloatRange(0.5f, 1.25f) * 1000.0f));
  if (e->Trail != nullptr) {
    e->Trail->Flags |= TRAILF_ADDITIVE;
    e->Trail->Width = RandomFloatRange(5.0f, 15.0f);
  }
  if (g_ParticlePool != nullptr)
    if (CParticle* fire = g_ParticlePool->Spawn(e->Position, 10, nullptr)) {
      fire->SetTimeToLive(e->TimeLimit);
      e->Particle = g_ParticlePool->RefOf(fire);
    }
}

void CExplosionManager::ThrowParticles(Blast& b, float dt) {
  const bool smoke = (b.Flags & BLAST_SMOKE_SCREEN) != 0;
  const bool early = b.Radius < 0.7f * b.Size;
  if (!early && !smoke) return;
  const int passes = (static_cast<int>(30.0f * dt) & 1) ? 4 : 2;
  const float smokeLife = smoke ? 8000.0f : 3000.0f;
  for (int pass = 0; pass < passes; ++pass) {
    if ((b.Flags & BLAST_FIREBALL) && b.Radius < 0.6f * b.Size && (pass & 1) == 0) {
      if (g_ParticlePool == nullptr) continue;
      CParticle* p = g_ParticlePool->Spawn(effects::Add(b.Centre, RandomOffset(0.1f * b.Radius)), 4, nullptr);
      if (p == nullptr) continue;
      // Upward within 20 to 70 degrees of the horizontal, any yaw.
      const float pitch = RandomFloatRange(20.0f, 70.0f) * kDegToRad;
      const float yaw = RandomFloatRange(0.0f, 360.0f) * kDegToRad;
      p->Velocity = {std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw)};
      p->SpeedScale = 200.0f;
      p->Deceleration = 300.0f;
      p->Flags |= PF_MOVING | PF_GROWING | PF_DECELERATES;
      continue;
    }
    if (smoke) {
      if (early || (b.FrameCount & 31) == 0) ThrowSmoke(b, Grey(108, 117, 0xC0u - 10u + RandomIntBelow(21)), smokeLife);
    } else if (b.Flags & BLAST_FIRE) {
      if (b.Flags & BLAST_BLACK_SMOKE) {
        ThrowSmoke(b, Grey(10, 19, 0xC0u), smokeLife);
      } else {
        const std::uint32_t r = static_cast<std::uint32_t>(RandomIntRange(139, 149));
        const std::uint32_t g = static_cast<std::uint32_t>(RandomIntRange(130, 140));
        const std::uint32_t bl = static_cast<std::uint32_t>(RandomIntRange(104, 114));
        ThrowSmoke(b, (0xC0u << 24) | (r << 16) | (g << 8) | bl, smokeLife);
      }
    } else if (b.Flags & BLAST_GREY_SMOKE) {
      ThrowSmoke(b, Grey(120, 129, 0xC0u), smokeLife);
    }
  }
  if (early && (b.Flags & BLAST_BURNING_DEBRIS)) ThrowBurningDebris(b);
}

void CExplosionManager::Update() {
  if (blasts_ == nullptr) return;
  const float dt = EffectsFrameTime();
  const std::uint32_t now = EffectsNow();
  // The flash: range sin(f π) × f × 7000 with f the share of its 1.5 s left.
  if (flashTime_ >= 0.0f) {
    flashTime_ -= dt;
    const Blast* fb = flashBlast_ >= 0 ? &blasts_[flashBlast_] : nullptr;
    if (flashTime_ >= 0.0f && fb != nullptr) {
      const float f = flashTime_ / kFlashSeconds;
      if (g_EffectsHooks.SetFlashLight != nullptr)
        g_EffectsHooks.SetFlashLight(true, fb->Centre, std::sin(f * kPi) * f * kFlashRange, kFlashColour);
      flashLit_ = true;
    }
  }
  if (flashTime_ < 0.0f && flashLit_) {
    if (g_EffectsHooks.SetFlashLight != nullptr) g_EffectsHooks.SetFlashLight(false, {}, 0.0f, 0);
    flashLit_ = false;
  }
  bool large = false;
  for (int i = 0; i < capacity_; ++i) {
    Blast& b = blasts_[i];
    if (!(b.Flags & BLAST_ACTIVE)) continue;
    if (now > b.EndTime) {
      if ((b.Flags & BLAST_SMOKE_SCREEN) && smokeCount_ > 0) --smokeCount_;
      if (flashBlast_ == i) flashBlast_ = -1;
      b = Blast{};
      continue;
    }
    ++b.FrameCount;
    if (b.Radius < b.Size) {
      b.Radius += kBlastGrowth * dt;
      if (b.Radius <= b.Size) {
        if (b.Flags & BLAST_DAMAGING) DamageInstances(b);
      } else {
        b.Radius = b.Size;
      }
    }
    if (b.Flags & BLAST_LARGE) large = true;
    ThrowParticles(b, dt);
    if ((b.Flags & BLAST_LATE_SMOKE) && b.EndTime - now < kLateSmokeMs)
      ThrowSmoke(b, Grey(108, 117, 0xC0u), 3000.0f);
  }
  if (g_ParticlePool != nullptr) g_ParticlePool->SetSizeScale(large ? 1.75f : 1.0f);
}

void CExplosionManager::GetBlastEffect(CHLO* object, const CVector3* eye) {
  if (blasts_ == nullptr || object == nullptr || object->Instance == nullptr) return;
  CVector3 at;
  object->Instance->GetPosition(&at);
  // Serials compare by their difference, so that the count may wrap.
  const auto newer = [](std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) > 0; };
  const std::uint32_t need = BLAST_ACTIVE | BLAST_DAMAGING | BLAST_HITS_OBJECTS;
  // The blasts newer than the last one applied, oldest first: each pass takes
  // the oldest blast newer than the one before it.
  std::uint32_t after = object->LastBlastSerial;
  bool bounded = after != 0;
  for (;;) {
    Blast* next = nullptr;
    for (int i = 0; i < capacity_; ++i) {
      Blast& b = blasts_[i];
      if ((b.Flags & need) != need || b.Source == object) continue;
      if (bounded && !newer(b.Serial, after)) continue;
      if (next == nullptr || newer(next->Serial, b.Serial)) next = &b;
    }
    if (next == nullptr) return;
    Blast& b = *next;
    after = b.Serial;
    bounded = true;
    const float d = effects::Distance(at, b.Centre);
    if (!(d < b.Size)) continue;
    object->Instance->UpdateBoundingSphere();
    const CSphere& s = object->Instance->GetWorldSphere();
    const float reach = b.Size + s.Radius;
    const float centres = effects::Distance(s.Centre, b.Centre);
    if (centres * centres > reach * reach + 0.0001f) continue;
    float factor = 1.0f;
    if (eye != nullptr && !EffectsLineOfSight(b.Zone, b.Centre, *eye, kLineOfSightMask, nullptr, nullptr))
      factor = kBlockedFactor;
    const float damage = (1.0f - centres / reach) * b.Power * factor;
    // Remembered before the object reacts, so that a hit that ends in a
    // lethal one is not repeated on the next frame either.
    object->LastBlastSerial = b.Serial;
    if (damage > kLethalShare * b.Power && object->LethalHit(damage, 0, b.Owner)) continue;
    CVector3 dir = effects::Sub(at, b.Centre);
    const float len = effects::Length(dir);
    dir = len > 0.0f ? effects::Mul(dir, 1.0f / len) : CVector3{0.0f, 1.0f, 0.0f};
    object->Hit(dir, damage, b.Owner);
  }
}

int CExplosionManager::SmokeBlocksLine(const CVector3& from, const CVector3& to) const {
  if (blasts_ == nullptr) return 1;
  for (int i = 0; i < capacity_; ++i) {
    const Blast& b = blasts_[i];
    if ((b.Flags & (BLAST_ACTIVE | BLAST_SMOKE_SCREEN)) != (BLAST_ACTIVE | BLAST_SMOKE_SCREEN)) continue;
    const float r = 0.7f * b.Radius;
    const CVector3 ab = effects::Sub(to, from);
    const float len2 = effects::LengthSq(ab);
    float s = 0.0f;
    if (len2 > 0.0f) s = std::clamp(effects::Dot(effects::Sub(b.Centre, from), ab) / len2, 0.0f, 1.0f);
    if (effects::DistanceSq(effects::Add(from, effects::Mul(ab, s)), b.Centre) < r * r) return 0;
  }
  return 1;
}

void SpawnDebris(const CVector3& centre, float radius, float density) {
  if (g_ParticlePool == nullptr) return;
  float n = radius * radius * 0.00031415926f * density * 0.1f;
  while (n > 0.0f) {
    n -= 1.0f;
    const float a = RandomFloatRange(-kPi, kPi);
    const float r = RandomFloat(radius);
    g_ParticlePool->Spawn(CVector3{centre.x + std::sin(a) * r, centre.y - 0.1f * r, centre.z + std::cos(a) * r}, 11,
                          nullptr);
  }
}

// --- world pause -------------------------------------------------------------------------

void SetGamePaused(int pause, std::uint32_t flags) {
  CTimer* game = g_EffectsHooks.GameClock;
  CTimer* real = g_EffectsHooks.RealClock;
  if (game == nullptr) return;
  const bool want = pause != 0;
  if (want && !g_paused) {
    if (!(flags & 0x1) && game->IsRunning()) game->SetRunning(0);
    if (!(flags & 0x2) && real != nullptr && real->IsRunning()) real->SetRunning(0);
    if (flags & 0x4) {
      const int state = g_EffectsHooks.OverlayState != nullptr ? g_EffectsHooks.OverlayState() : 0;
      g_overlayWasUp = state == 1 || state == 2;
      if (!g_overlayWasUp && g_EffectsHooks.OverlayToggle != nullptr) g_EffectsHooks.OverlayToggle();
    } else {
      g_overlayWasUp = true;  // not ours to take away on resuming
    }
    if (g_EffectsHooks.SetSoundPaused != nullptr) g_EffectsHooks.SetSoundPaused(true);
  } else if (!want && g_paused) {
    if (!g_overlayWasUp && g_EffectsHooks.OverlayState != nullptr) {
      const int state = g_EffectsHooks.OverlayState();
      if ((state == 1 || state == 2) && g_EffectsHooks.OverlayToggle != nullptr) g_EffectsHooks.OverlayToggle();
    }
    if (g_EffectsHooks.SetSoundPaused != nullptr) g_EffectsHooks.SetSoundPaused(false);
    if (!(flags & 0x1)) game->SetRunning(1);
    if (!(flags & 0x2) && real != nullptr) real->SetRunning(1);
  }
  g_paused = want;
}

bool IsGamePaused() { return g_paused; }

void ResetSideHostility() {
  for (int a = 0; a < kSides; ++a)
    for (int b = 0; b < kSides; ++b) g_SideHostility[a][b] = a != b ? 1u : 0u;
}

const char* GetHitRegionName(int i) {
  static const char* const kNames[12] = {
      "#HR_BODYFRONT",       "#HR_BODYBACK",       "#HR_BODYLEFT",       "#HR_BODYRIGHT",
      "#HR_PROPULSIONFRONT", "#HR_PROPULSIONBACK", "#HR_PROPULSIONLEFT", "#HR_PROPULSIONRIGHT",
      "#HR_WEAPONFRONT",     "#HR_WEAPONBACK",     "#HR_WEAPONLEFT",     "#HR_WEAPONRIGHT"};
  return i >= 0 && i < 12 ? kNames[i] : nullptr;
}
