#include "shell/script/script_interface_sound.h"

#include "shell/script/script_function_table.h"
#include "sound/sound_manager.h"

namespace {

constexpr const char* kInterfaceBank = "Interface.sbk";

int g_lastTrack = -1;

}  // namespace

void PlayInterfaceSound(int event) {
  if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(g_SoundManager->LoadBank(kInterfaceBank, 0), event);
}

void PlayInterfaceMusic(int track) {
  g_lastTrack = track;
  g_ScriptFunctionTable.MusicPlayInterfaceTrack(track);
}

int LastInterfaceMusicTrack() { return g_lastTrack; }

void ClearInterfaceMusicTrack() { g_lastTrack = -1; }
