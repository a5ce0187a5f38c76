#include "shell/script/script_interface_sound.h"

#include "foundation/system/not_built_yet.h"
#include "sound/sound_manager.h"

namespace {

int g_lastTrack = -1;

}  // namespace

void PlayInterfaceSound(int event) {
  NotBuiltYet("interface sound bank");
  if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(nullptr, event);
}

void PlayInterfaceMusic(int track) {
  NotBuiltYet("interface music tracks");
  g_lastTrack = track;
}

int LastInterfaceMusicTrack() { return g_lastTrack; }

void ClearInterfaceMusicTrack() { g_lastTrack = -1; }
