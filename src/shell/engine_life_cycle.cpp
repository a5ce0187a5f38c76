#include "shell/engine_life_cycle.h"

#include "foundation/time/timer.h"
#include "world/cameras/movie_camera.h"
#include "world/dynamics/dynamics_world.h"
#include "world/effects/effects_world.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/shrubbery/shrub_variants.h"
#include "world/sky/sky.h"
#include "world/glass/glazier.h"
#include "world/switches/switch_table.h"

void EngineRunClocks(int running) {
  for (CTimer* clock : {g_GameClock, g_RealClock})
    if (clock != nullptr) clock->SetRunning(running ? 1u : 0u);
}

void EngineFrameStep() {
  if (g_RealClock != nullptr) g_RealClock->Update();
  if (g_GameClock != nullptr) g_GameClock->Update();
  if (g_GameClock != nullptr && g_GameClock->IsRunning()) {
    if (g_Switches != nullptr) g_Switches->Update();
    if (g_Glazier != nullptr) g_Glazier->Update(g_GameClock->GetFrameTime());
    if (g_DynamicsWorld != nullptr) g_DynamicsWorld->Step();
    if (g_HLOManager != nullptr) g_HLOManager->UpdatePass();
    UpdateEffectsWorld();
    ShrubberyUpdateSway(g_GameClock->GetFrameTime());
    if (g_Environment != nullptr) g_Environment->UpdateAnimated();
  }
  if (g_MovieCamera != nullptr) g_MovieCamera->Update();
  if (g_Environment != nullptr && g_Environment->Sky != nullptr) g_Environment->Sky->Step();
}

bool EngineApplyView(int viewport) {
  if (g_MovieCamera == nullptr || g_MovieCamera->GetViewportCamera(viewport) < 0) return false;
  g_MovieCamera->ApplyViewport(viewport);
  return true;
}
