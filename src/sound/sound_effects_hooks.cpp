#include "sound/sound_effects_hooks.h"

#include "sound/sound_manager.h"
#include "world/effects/effects_hooks.h"

namespace {

CSoundManager* g_connected = nullptr;

void SetEnvironmentSound(int id, bool on) {
  if (g_connected != nullptr) g_connected->SetEnvironmentSoundEnabled(id, on ? 1 : 0);
}

void SetSoundPaused(bool paused) {
  if (g_connected != nullptr) g_connected->SetPaused(paused);
}

}  // namespace

void ConnectSoundToEffects(CSoundManager* manager) {
  g_connected = manager;
  g_EffectsHooks.SetEnvironmentSound = manager != nullptr ? SetEnvironmentSound : nullptr;
  g_EffectsHooks.SetSoundPaused = manager != nullptr ? SetSoundPaused : nullptr;
}
