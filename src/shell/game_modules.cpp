#include "shell/game_modules.h"

#include <string>

#include "foundation/memory/memory_manager.h"
#include "render/2d/sprite_render.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_effects_hooks.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/transparent/queue_effects_hooks.h"
#include "shell/demo_vehicle.h"
#include "world/effects/effects_world.h"
#include "world/engine.h"
#include "world/environment/env_waypoints.h"
#include "world/objects/chlo_manager.h"

#ifndef HALBERD_DEMO_DATA_DIR
#define HALBERD_DEMO_DATA_DIR "data/"
#endif

namespace {

constexpr int kObjectSides = 4;
constexpr int kObjectKinds = 10;
// The particle frame every trail quad is drawn with.
constexpr int kTrailFrame = 27;

CSpriteRender* g_ParticleSheet = nullptr;
bool g_EffectsMade = false;

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

// The particle frames from the demo data, as persistent textures (they
// outlive every level).
void LoadParticleSheet() {
  if (g_PersistentTextures == nullptr || !Make(g_ParticleSheet, g_Render, g_MainCamera, g_PersistentTextures)) return;
  const std::string path = std::string(HALBERD_DEMO_DATA_DIR) + "particles.spr";
  if (!g_ParticleSheet->Load(path.c_str(), TEXF_32BIT, 0, 0, 0)) {
    Free(g_ParticleSheet);
    return;
  }
  g_PersistentTextures->LoadTextures(nullptr);
  g_ParticleSheet->RecomputeUVs();
}

}  // namespace

bool StartGameModules() {
  if (!Make(g_EnvWaypoints)) return false;
  if (!Make(g_HLOManager, static_cast<std::uint8_t>(kObjectSides), static_cast<std::uint8_t>(kObjectKinds))) {
    StopGameModules();
    return false;
  }
  g_HLOManager->SetFactory(DemoObjectFactory);
  g_HLOManager->SetDeleteCallback(DeleteDemoObject);
  if (!CreateEffectModules(g_GameClock, g_RealClock)) {
    StopGameModules();
    return false;
  }
  g_EffectsMade = true;
  InstallEffectsEngineHooks();
  InstallLightEffectsHooks(g_Lights);
  LoadParticleSheet();
  InstallQueueEffectsHooks(g_DepthSortQueue, g_ParticleSheet, kTrailFrame);
  return true;
}

void StopGameModules() {
  InstallQueueEffectsHooks(nullptr, nullptr, -1);
  InstallLightEffectsHooks(nullptr);
  if (g_DepthSortQueue != nullptr) g_DepthSortQueue->ParticleSprites = nullptr;
  if (g_ParticleSheet != nullptr) g_ParticleSheet->Free();
  Free(g_ParticleSheet);
  if (g_EffectsMade) DestroyEffectModules();
  g_EffectsMade = false;
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  Free(g_HLOManager);
  Free(g_EnvWaypoints);
}

CSpriteRender* GameParticleSprites() { return g_ParticleSheet; }
