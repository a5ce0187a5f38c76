#include "shell/game_modules.h"

#include <string>

#include "foundation/memory/memory_manager.h"
#include "render/2d/sprite_render.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_effects_hooks.h"
#include "scene/lights/light_table.h"
#include "scene/shadows/shadow_hooks.h"
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
CSpriteRender* g_FlareSheet = nullptr;
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

// A sprite sheet of the demo data, as persistent textures (they outlive
// every level); the sheet stays null when the file is missing.
void LoadSheet(CSpriteRender*& sheet, const char* file) {
  if (g_PersistentTextures == nullptr || !Make(sheet, g_Render, g_MainCamera, g_PersistentTextures)) return;
  const std::string path = std::string(HALBERD_DEMO_DATA_DIR) + file;
  if (!sheet->Load(path.c_str(), TEXF_32BIT, 0, 0, 0)) {
    Free(sheet);
    return;
  }
  g_PersistentTextures->LoadTextures(nullptr);
  sheet->RecomputeUVs();
}

// The particle frames the effects draw.
void LoadParticleSheet() { LoadSheet(g_ParticleSheet, "particles.spr"); }

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
  LoadSheet(g_FlareSheet, "flares.spr");
  InstallQueueEffectsHooks(g_DepthSortQueue, g_ParticleSheet, kTrailFrame);
  // Queued rigid shadows are drawn as stencil volumes.
  InstallShadowQueueHook(g_DepthSortQueue);
  return true;
}

void StopGameModules() {
  RemoveShadowQueueHook(g_DepthSortQueue);
  InstallQueueEffectsHooks(nullptr, nullptr, -1);
  InstallLightEffectsHooks(nullptr);
  if (g_DepthSortQueue != nullptr) g_DepthSortQueue->ParticleSprites = nullptr;
  if (g_ParticleSheet != nullptr) g_ParticleSheet->Free();
  Free(g_ParticleSheet);
  if (g_FlareSheet != nullptr) g_FlareSheet->Free();
  Free(g_FlareSheet);
  if (g_EffectsMade) DestroyEffectModules();
  g_EffectsMade = false;
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  Free(g_HLOManager);
  Free(g_EnvWaypoints);
}

CSpriteRender* GameParticleSprites() { return g_ParticleSheet; }

CSpriteRender* GameFlareSprites() { return g_FlareSheet; }
