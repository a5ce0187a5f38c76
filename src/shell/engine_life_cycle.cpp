#include "shell/engine_life_cycle.h"

#include "foundation/time/timer.h"
#include "world/cameras/movie_camera.h"
#include "world/engine.h"
#include "world/shrubbery/shrub_variants.h"
#include "world/environment/environment.h"
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
  if (g_GameClock != nullptr && g_GameClock->IsRunning() && g_Switches != nullptr) g_Switches->Update();
  if (g_GameClock != nullptr && g_GameClock->IsRunning() && g_Glazier != nullptr)
    g_Glazier->Update(g_GameClock->GetFrameTime());
  if (g_GameClock != nullptr && g_GameClock->IsRunning()) ShrubberyUpdateSway(g_GameClock->GetFrameTime());
  if (g_Environment != nullptr && g_Environment->Sky != nullptr) g_Environment->Sky->Step();
  if (g_MovieCamera != nullptr) g_MovieCamera->Update();
}

bool EngineApplyView(int viewport) {
  if (g_MovieCamera == nullptr || g_MovieCamera->GetViewportCamera(viewport) < 0) return false;
  g_MovieCamera->ApplyViewport(viewport);
  return true;
}
