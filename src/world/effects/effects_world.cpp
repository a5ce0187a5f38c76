#include "world/effects/effects_world.h"

#include "foundation/memory/memory_category.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/volumes/sphere.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"
#include "foundation/memory/memory_manager.h"
#include "world/effects/breakable_instance.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/particle_pool.h"
#include "world/effects/sphere_events.h"
#include "world/effects/tracer_batteries.h"
#include "world/effects/trails.h"

namespace {

bool g_syncViews = false;

// The player views the emitters look for, copied from the environment.
void SyncViews() {
  if (!g_syncViews || g_Environment == nullptr) return;
  EffectsHooks& h = g_EffectsHooks;
  h.ViewCount = 0;
  for (std::uint32_t i = 0; i < g_Environment->ViewCount && i < 5; ++i)
    if (const CCamera* view = g_Environment->ViewSlots[i]) h.ViewPositions[h.ViewCount++] = view->GetPosition();
  if (h.ViewCount == 0 && CCamera::GetCurrentCamera() != nullptr)
    h.ViewPositions[h.ViewCount++] = CCamera::GetCurrentCamera()->GetPosition();
  if (g_Render != nullptr) {
    float end = 0.0f;
    g_Render->GetFog(nullptr, nullptr, &end, nullptr);
    if (end > 0.0f) h.FogEnd = end;
  }
}

template <class T, class... Args>
bool Make(T*& global, Args&&... args) {
  MEM_OWNER();
  global = MEM_NEW(MEMCAT_GAME) T(static_cast<Args&&>(args)...);
  return global != nullptr;
}

template <class T>
void Free(T*& global) {
  if (global == nullptr) return;
  MEM_DELETE global;
  global = nullptr;
}

}  // namespace

bool CreateEffectModules(CTimer* gameClock, CTimer* realClock) {
  g_EffectsHooks.GameClock = gameClock;
  g_EffectsHooks.RealClock = realClock;
  const bool ok = Make(g_SphereEvents) && Make(g_Explosions) && Make(g_Trails) && Make(g_EffectPool) &&
                  Make(g_ParticlePool, g_ParticleTypes, kGameParticleBytes, static_cast<const CTimer*>(gameClock)) &&
                  Make(g_ImpactPieces) && Make(g_ParticleEmitters) && Make(g_TracerBatteries);
  if (!ok) DestroyEffectModules();
  else ResetSideHostility();
  return ok;
}

void DestroyEffectModules() {
  Free(g_TracerBatteries);
  Free(g_ParticleEmitters);
  Free(g_ImpactPieces);
  Free(g_ParticlePool);
  Free(g_EffectPool);
  Free(g_Trails);
  Free(g_Explosions);
  Free(g_SphereEvents);
  FreeInstanceDamageRecords();
}

bool CreateEffectPools(CLinearBuffer* level) {
  // The last level's instances are gone by now: so can their damage records.
  FreeInstanceDamageRecords();
  bool ok = true;
  if (g_SphereEvents != nullptr) ok = g_SphereEvents->CreatePools(level) && ok;
  if (g_Explosions != nullptr) ok = g_Explosions->CreatePools(level) && ok;
  if (g_Trails != nullptr) ok = g_Trails->CreatePools(level) && ok;
  if (g_ImpactPieces != nullptr) ok = g_ImpactPieces->CreatePools(level) && ok;
  if (g_EffectPool != nullptr) ok = g_EffectPool->CreatePools(level) && ok;
  if (g_ParticlePool != nullptr) ok = g_ParticlePool->CreatePools(level) && ok;
  return ok;
}

void ResetEffectModules() {
  if (g_ParticlePool != nullptr) {
    g_ParticlePool->ResetAll();
    g_ParticlePool->FreePools();
  }
  if (g_EffectPool != nullptr) {
    g_EffectPool->Clear();
    g_EffectPool->FreePools();
  }
  if (g_ImpactPieces != nullptr) {
    g_ImpactPieces->Reset();
    g_ImpactPieces->FreePools();
  }
  if (g_SphereEvents != nullptr) {
    g_SphereEvents->Reset();
    g_SphereEvents->FreePools();
  }
  if (g_Explosions != nullptr) {
    g_Explosions->Reset();
    g_Explosions->FreePools();
  }
  if (g_Trails != nullptr) {
    g_Trails->Clear();
    g_Trails->FreePools();
  }
  if (g_ParticleEmitters != nullptr) g_ParticleEmitters->ResetAll();
  if (g_TracerBatteries != nullptr) g_TracerBatteries->Free();
}

void InstallEffectsEngineHooks() {
  EffectsHooks& h = g_EffectsHooks;
  h.FindRegionById = [](int id) -> CRegion* {
    return g_Regions != nullptr && id > 0 ? g_Regions->GetRegion(id) : nullptr;
  };
  h.RegionId = [](const CRegion* region) {
    return g_Regions != nullptr && region != nullptr ? g_Regions->IndexOfHash(region->NameHash) : 0;
  };
  h.SphereVisible = [](const CVector3& centre, float radius) {
    const CCamera* camera = CCamera::GetCurrentCamera();
    if (camera == nullptr) return true;
    CSphere sphere;
    sphere.Set(centre, radius);
    return camera->IsSphereVisible(sphere, nullptr);
  };
  g_syncViews = true;
}

void UpdateEffectsWorld() {
  if (g_EffectPool != nullptr) g_EffectPool->Update();
  if (g_SphereEvents != nullptr) g_SphereEvents->Update();
  if (g_Explosions != nullptr) g_Explosions->Update();
  if (g_Trails != nullptr) g_Trails->Update();
  if (g_EffectPool != nullptr) g_EffectPool->RunCallbacks();
}

void DrawEffects() {
  if (g_Trails != nullptr) g_Trails->Render();
  if (g_ParticlePool != nullptr) g_ParticlePool->Render();
}

void AdvanceEffectsAfterViews() {
  SyncViews();
  if (g_TracerBatteries != nullptr) g_TracerBatteries->Update(EffectsFrameTime());
  if (g_ParticleEmitters != nullptr) g_ParticleEmitters->Update();
  if (g_ParticlePool != nullptr) g_ParticlePool->Update();
}
