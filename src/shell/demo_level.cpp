#include "shell/demo_level.h"

#include <cstdio>
#include <vector>

#include "render/textures/texture_manager.h"
#include "scene/lights/light_table.h"
#include "shell/demo_actors.h"
#include "shell/demo_sound.h"
#include "shell/game_modules.h"
#include "shell/level_pools.h"
#include "world/effects/particle_pool.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/sky/sky.h"

namespace {

// The light table's night-vision defaults every level starts with.
constexpr float kNightVisionInner = 10.0f;
constexpr float kNightVisionOuter = 90.0f;
constexpr float kNightVisionAttenuation[3] = {1.0f, 0.0f, 4.0f};
constexpr float kNightVisionRange = 1.0f;
// The demo level's day runs on towards dusk while it plays: game hours a
// game hour (30: half an hour of the day a minute).
constexpr float kDemoSkyRate = 30.0f;

// The sky's sun is light 0 of the light table.
constexpr int kSunLight = 0;

// Instances that cast a shadow (the level's flag, or a world object's) cast
// it from the sun unless they name a light of their own.
void CastShadowsFromTheSun() {
  if (g_Environment == nullptr) return;
  for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink)
    if ((i->Flags & INSTF_QUEUED_SHADOW) && i->ShadowIndex < 0) i->ShadowIndex = kSunLight;
}

// The level's active world objects take their places: made hidden, they are
// now enabled and shown (the list is copied first, since activating refiles).
void ActivateLevelObjects() {
  if (g_HLOManager == nullptr) return;
  std::vector<CHLO*> active;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind)
      for (CHLO* o = g_HLOManager->FirstActive(side, kind); o != nullptr; o = o->Next) active.push_back(o);
  for (CHLO* o : active) g_HLOManager->ActivateObject(o);
}

}  // namespace

bool StartDemoLevel(LevelLoadReport* report) {
  LevelLoadReport local;
  LevelLoadReport& r = report != nullptr ? *report : local;
  if (!CreateLevelPools()) {
    r = LevelLoadReport{};
    std::printf("  demo level: the level's pools cannot be had\n");
    return false;
  }
  if (g_Lights != nullptr)
    g_Lights->SetNightVision(kNightVisionInner, kNightVisionOuter, kNightVisionAttenuation, kNightVisionRange);
  // The level's sound first: its environment sounds name the cache's samples.
  StartDemoSound();
  const bool whole = LoadDemoLevel(g_Environment, CreateObjectFromRecord, &r);
  if (!r.textRead) {
    std::printf("  demo level: not found in %s\n", DemoLevelFolder());
    return false;
  }
  ActivateLevelObjects();
  // The level's start: the environment draws the particles in its
  // transparent pass and its lights' flares from the flare sheet.
  if (g_Environment != nullptr) {
    g_Environment->SetParticleSystem(g_ParticlePool);
    g_Environment->SetFlareMaterial(GameFlareSprites());
  }
  CastShadowsFromTheSun();
  if (g_Environment != nullptr && g_Environment->Sky != nullptr) g_Environment->Sky->Rate = kDemoSkyRate;
  // Every texture the level named, on the device now rather than at first use.
  if (g_LevelTextures != nullptr) g_LevelTextures->LoadTextures(nullptr);
  PrintLevelLoadReport("DEMO.env", r);
  const int figures = StartDemoActors();
  std::printf("    %d walking figure%s, level pools %u bytes\n", figures, figures == 1 ? "" : "s",
              LevelPoolBytesUsed());
  return whole;
}

void EndDemoLevel() {
  StopDemoActors();
  EndDemoSound();
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  FreeLevelPools();
}

void SetDemoTimeOfDay(float hours) {
  if (g_Environment != nullptr && g_Environment->Sky != nullptr) g_Environment->Sky->SetTimeOfDay(hours);
}
