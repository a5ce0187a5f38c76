#include "world/environment/env_load_finish_hooks.h"

#include "scene/lights/light_table.h"
#include "world/environment/env_file.h"
#include "world/environment/environment.h"

void PrepareLevelLights(CEnvironment* environment) {
  if (environment == nullptr || environment->LightTable == nullptr) return;
  CLightTable& lights = *environment->LightTable;
  // The table is reset for each level; its special lights are made after the
  // level's own lights, so that those keep the indices the file gave them.
  if (lights.NightVisionIndex != kNoLight) return;
  lights.CreateSpecialLights();
}

void InstallEnvLoadFinishHooks() { AddEnvLoadFinishHook(&PrepareLevelLights); }
