#include "shell/effects/game_effects.h"

#include <cmath>
#include <string>

#include "foundation/files/file_locator.h"
#include "foundation/maths/random_tables.h"
#include "render/bsp/bsp_tree.h"
#include "render/textures/surfaces.h"
#include "sound/sound_manager.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_math.h"
#include "world/effects/explosions.h"
#include "world/effects/particle_pool.h"
#include "world/environment/env_file.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/space/world_hit.h"
#include "world/space/world_queries.h"

const char* const kGibletModelNames[kGibletModelCount] = {
    "giblet_meat_01", "giblet_meat_02", "giblet_meat_03", "giblet_meat_04", "giblet_ribs_01",
    "giblet_hand_01", "giblet_limb_01", "giblet_foot_01", "giblet_foot_02"};

namespace {

using effects::kDegToRad;
using effects::kRadToDeg;

const CSoundBank* g_explosionBank = nullptr;
const CSoundBank* g_impactBank = nullptr;
CEnvObject* g_giblets[kGibletModelCount] = {};

// The flight of a piece of gore: thrown along its heading and pitch, tested
// against the level, and given up after 5 s should it never land.
constexpr float kGoreBaseSpeed = 300.0f;
constexpr std::uint32_t kGoreFlightLimitMs = 5000;
constexpr std::uint32_t kGibletFlightFlags = EFF_BOUNCES | EFF_COLLIDES | EFF_TIMED;
constexpr std::uint32_t kBloodFlightFlags = EFF_COLLIDES | EFF_TIMED;
// A bounce leaves a blood mark and goes on at half speed, at most eight times.
constexpr float kGoOnMinSpeed = 0.5f;
constexpr float kGoOnSpeedFactor = 0.5f;
constexpr std::uint32_t kMostGoreBounces = 8;
constexpr std::uint32_t kBloodSurface = 1;
// The blood mark: 0.8 of the decal's natural half size of 10 units.
constexpr float kBloodDecalSize = 0.8f * 10.0f;

CVector3 HitPoint(const CEffectInstance& effect, const WorldHit& hit) {
  if ((hit.Flags & WHF_POINT) || effects::LengthSq(hit.WorldPoint) > 0.0f) return hit.WorldPoint;
  return effect.Position;
}

CVector3 HitNormal(const WorldHit& hit) {
  CVector3 n{0.0f, 1.0f, 0.0f};
  if (hit.Instance != nullptr) {
    const CVector3 local{hit.Plane[0], hit.Plane[1], hit.Plane[2]};
    hit.Instance->RotateToWorld(-1, local, &n);
  } else if (effects::LengthSq(hit.WorldNormal) > 0.0f) {
    n = hit.WorldNormal;
  }
  const float length = effects::Length(n);
  return length > 0.0f ? effects::Mul(n, 1.0f / length) : CVector3{0.0f, 1.0f, 0.0f};
}

bool StruckBloodSurface(const WorldHit& hit) {
  return hit.Polygon != nullptr && (hit.Polygon->SurfaceId & kSurfaceIndexMask) == kBloodSurface;
}

void PlaceBloodDecal(const WorldHit& hit, const CVector3& at, const CVector3& normal) {
  if (g_Environment == nullptr || hit.Instance == nullptr) return;
  DecalRequest request;
  request.Target = hit.Instance;
  request.Position = at;
  request.Normal = normal;
  request.Size = kBloodDecalSize;
  request.Roll = RandomFloatRange(0.0f, 360.0f);
  request.Colour[0] = 0.55f;
  request.Colour[1] = 0.0f;
  request.Colour[2] = 0.0f;
  request.Colour[3] = 1.0f;
  g_Environment->PlaceDecal(request);
}

// Reflects the flight about the surface and sends it on from the hit point.
void GoOn(CEffectInstance& effect, const CVector3& at, const CVector3& normal) {
  const CVector3 d = effect.GetDirection();
  const CVector3 r = effects::Sub(d, effects::Mul(normal, 2.0f * effects::Dot(d, normal)));
  const float heading = r.x == 0.0f && r.z == 0.0f ? effect.Heading : std::atan2(r.x, r.z) * kRadToDeg;
  const float pitch = std::atan2(r.y, std::sqrt(r.x * r.x + r.z * r.z)) * kRadToDeg;
  ++effect.Bounces;
  effect.Relaunch(at, heading, pitch, kGoOnSpeedFactor);
}

bool SoundManagerPresent() { return g_SoundManager != nullptr; }

}  // namespace

void LoadEffectBanks() {
  g_explosionBank = g_impactBank = nullptr;
  if (SoundManagerPresent()) {
    g_explosionBank = g_SoundManager->LoadBank("Explosion.sbk", 1);
    g_impactBank = g_SoundManager->LoadBank("Impact.sbk", 1);
  }
  if (g_Explosions != nullptr) g_Explosions->SetNotifyCallback(ExplosionSoundCallback);
}

const CSoundBank* GetExplosionBank() { return g_explosionBank; }
const CSoundBank* GetImpactBank() { return g_impactBank; }

void ExplosionSoundCallback(const CVector3& position) {
  if (!SoundManagerPresent()) return;
  g_SoundManager->PlayEvent(g_explosionBank, kExplosionSoundEvent, &position, kExplosionSoundRange, 0);
}

int LoadGibletModels() {
  int found = 0;
  for (int i = 0; i < kGibletModelCount; ++i) {
    g_giblets[i] = nullptr;
    if (g_Environment == nullptr) continue;
    const char* name = kGibletModelNames[i];
    CEnvObject* model = g_Environment->FindObjectByName(name);
    if (model == nullptr && FileExists((std::string(name) + ".evo").c_str()))
      model = EnvFileLoadObjectByKind(g_Environment, -1, name);
    g_giblets[i] = model;
    if (model != nullptr) ++found;
  }
  return found;
}

CEnvObject* GetGibletModel(int i) { return i >= 0 && i < kGibletModelCount ? g_giblets[i] : nullptr; }

CEnvObject* RandomGibletModel() { return g_giblets[RandomIntBelow(kGibletModelCount)]; }

void ForgetEffectLevelState() {
  g_explosionBank = g_impactBank = nullptr;
  for (CEnvObject*& model : g_giblets) model = nullptr;
}

int StartGoreBurst(const CVector3& position) {
  if (g_EffectPool == nullptr || g_ParticlePool == nullptr) return 0;
  int started = 0;
  for (int step = 0; step < kGoreBurstSteps; ++step) {
    const bool giblet = RandomIntBelow(2) == 0;
    CEnvObject* model = giblet ? g_giblets[RandomIntBelow(4)] : nullptr;
    if (giblet && model == nullptr) continue;
    EffectDesc desc;
    desc.Kind = EFFECT_THROWN;
    desc.Start = position;
    desc.Heading = RandomFloatRange(0.0f, 360.0f);
    desc.Pitch = RandomFloatRange(0.0f, 45.0f);
    desc.Speed = kGoreBaseSpeed * RandomFloatRange(0.5f, 2.0f);
    desc.Flags = giblet ? kGibletFlightFlags : kBloodFlightFlags;
    desc.OnFinish = GoreImpactCallback;
    desc.OnFrame = GoreFollowCallback;
    CEffectInstance* effect = g_EffectPool->Spawn(desc);
    if (effect == nullptr) break;  // the clock is stopped or every flight is busy
    effect->SetTimeLimit(kGoreFlightLimitMs);
    CParticle* p = g_ParticlePool->Spawn(position, giblet ? kGibletParticleType : kBloodParticleType, model);
    if (p == nullptr) continue;
    if (giblet) {
      p->AngularVelocity = {RandomFloatRange(0.0f, 100.0f), RandomFloatRange(0.0f, 100.0f),
                            RandomFloatRange(0.0f, 100.0f)};
      p->Flags |= PF_SPINNING;
    } else {
      const float size = RandomFloatRange(20.0f, 50.0f);
      p->SetSize(size);
      // The drop swells by its count factor as it flies.
      p->SetTargetSize(size * RandomFloatRange(1.25f, 2.0f));
      p->Flags |= PF_GROWING;
      p->SetTimeToLive(static_cast<std::uint32_t>(RandomFloatRange(300.0f, 500.0f)));
    }
    effect->Particle = g_ParticlePool->RefOf(p);
    ++started;
  }
  return started;
}

int SpawnParticleSpray(const CVector3& position, int type) {
  if (g_ParticlePool == nullptr) return 0;
  int made = 0;
  for (int i = 0; i < 10; ++i) {
    CParticle* p = g_ParticlePool->Spawn(position, type, nullptr);
    if (p == nullptr) break;
    Vector3 d{};
    RandomUnitDirection(&d);
    const float speed = RandomFloatRange(100.0f, 300.0f);
    p->Velocity = {d.x * speed, d.y * speed, d.z * speed};
    p->Flags |= PF_MOVING;
    ++made;
  }
  return made;
}

int SpawnParticleFountain(const CVector3& position, int count, int type) {
  if (g_ParticlePool == nullptr) return 0;
  int made = 0;
  for (int i = 0; i < count; ++i) {
    const CVector3 at{position.x, position.y + RandomFloatRange(50.0f, 100.0f), position.z};
    CParticle* p = g_ParticlePool->Spawn(at, type, nullptr);
    if (p == nullptr) break;
    CVector3 d{RandomFloatRange(-0.2f, 0.2f), RandomFloatRange(0.5f, 1.0f), RandomFloatRange(-0.2f, 0.2f)};
    d = effects::Mul(d, 1.0f / effects::Length(d));
    p->Velocity = effects::Mul(d, RandomFloatRange(150.0f, 250.0f));
    p->SetSize(0.3f * 100.0f);
    p->SetTimeToLive(2000);
    p->Spin = 60.0f;
    p->Flags |= PF_MOVING | PF_SPINNING;
    ++made;
  }
  return made;
}

void GoreFollowCallback(CEffectInstance* effect) {
  if (effect == nullptr || g_ParticlePool == nullptr) return;
  if (CParticle* p = g_ParticlePool->Resolve(effect->Particle)) p->Position = effect->Position;
}

void GoreImpactCallback(CEffectInstance* effect, const WorldHit* hit) {
  if (effect == nullptr) return;
  if (hit != nullptr && (effect->Flags & EFF_BOUNCES) && effect->Bounces < kMostGoreBounces &&
      (effect->Speed > kGoOnMinSpeed || StruckBloodSurface(*hit))) {
    const CVector3 at = HitPoint(*effect, *hit);
    const CVector3 normal = HitNormal(*hit);
    PlaceBloodDecal(*hit, at, normal);
    GoOn(*effect, at, normal);
    return;
  }
  if (g_ParticlePool != nullptr) {
    if (CParticle* p = g_ParticlePool->Resolve(effect->Particle)) {
      p->Velocity = {};
      p->AngularVelocity = {};
      p->Spin = 0.0f;
      p->Flags &= ~(PF_MOVING | PF_SPINNING | PF_GRAVITY);
      p->Position = effect->Position;
      p->Position.y += 2.0f;
      p->SetTimeToLive(static_cast<std::uint32_t>(RandomFloatRange(5000.0f, 8000.0f)));
    }
  }
  effect->Particle = ParticleRef{};
}
