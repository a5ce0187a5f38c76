// Slots 3-6: the sound banks and the sound cache entries a plug-in loads.
// Slots 10 and 14: the music channel.  Slots 187-189: the level's
// environment sounds, by their index in the level's list.  Slots 190 and
// 191: an event played at a point.
#include <algorithm>

#include "foundation/system/debug_output.h"
#include "foundation/time/timer.h"
#include "shell/script/script_function_table.h"
#include "sound/sound_manager.h"
#include "world/engine.h"

namespace script_slot {

namespace {

ScriptSoundBank* LoadBank(const char* name, int flag) {
  if (g_SoundManager == nullptr || name == nullptr || *name == 0) return nullptr;
  return reinterpret_cast<ScriptSoundBank*>(g_SoundManager->LoadBank(name, flag));
}

ScriptSampleHandle FindSample(const char* name) {
  if (g_SoundManager == nullptr || name == nullptr || *name == 0) return 0;
  return g_SoundManager->FindSample(name);
}

// The longest stall a music start may take off the clocks.
constexpr std::uint32_t kMostLostTime = 5000;

// The events of the game's interface bank (the one the menus load).
constexpr const char* kInterfaceBank = "Interface.sbk";

// The range of an event played at a point.
constexpr float kPointRange = 1000.0f;

void PlayAtPoint(const ScriptVec3* position, int32_t eventId, const CSoundBank* bank) {
  if (g_SoundManager == nullptr || position == nullptr) return;
  const CVector3 at{position->x, position->y, position->z};
  g_SoundManager->PlayEvent(bank, eventId, &at, kPointRange, 0);
}

}  // namespace

// The level's mission bank (load flag 1).
ScriptSoundBank* SoundLoadBank(const char* bankName) { return LoadBank(bankName, 1); }

// A bank shared with the game (load flag 0).
ScriptSoundBank* SoundLoadBankShared(const char* bankName) { return LoadBank(bankName, 0); }

// A sample of the level's cache by name; 0 for a null or empty name.
ScriptSampleHandle SoundCacheLoadMission(const char* name) { return FindSample(name); }

ScriptSampleHandle SoundCacheLoad(const char* name) { return FindSample(name); }

// Starts a sample of the cache on the music channel.  Finding and starting
// the sample may stall the frame: the stall is reported and taken off both
// clocks (at most 5 s), so the game does not see it as time passed.
void MusicPlay(ScriptSampleHandle sample) {
  if (g_SoundManager == nullptr) return;
  const std::uint32_t start = CTimer::ReadMilliseconds();
  g_SoundManager->MusicPlay(sample);
  const std::uint32_t lost = CTimer::ReadMilliseconds() - start;
  DebugTrace("Lost time = %d\n", static_cast<int>(lost));
  const std::uint32_t taken = std::min(lost, kMostLostTime);
  if (g_GameClock != nullptr) g_GameClock->AddToStartTime(taken);
  if (g_RealClock != nullptr) g_RealClock->AddToStartTime(taken);
}

// An event of the interface bank played as the music (looping, on the music
// channel).
void MusicPlayInterfaceTrack(int32_t track) {
  if (g_SoundManager == nullptr) return;
  g_SoundManager->PlayMusicEvent(g_SoundManager->LoadBank(kInterfaceBank, 0), track);
}

// Environment sound n on (it plays again at once) or off; numbers outside
// the level's list do nothing.
void SoundChannelEnable(int32_t channel) {
  if (g_SoundManager != nullptr) g_SoundManager->SetEnvironmentSoundEnabled(channel, 1);
}

void SoundChannelDisable(int32_t channel) {
  if (g_SoundManager != nullptr) g_SoundManager->SetEnvironmentSoundEnabled(channel, 0);
}

// The level (volume factor) of environment sound n, taken only while it is on.
void SoundChannelSetParam(int32_t channel, float value) {
  if (g_SoundManager != nullptr) g_SoundManager->SetEnvironmentSoundLevel(channel, value);
}

// An event at a point, heard to 1000 units.  Without a bank the manager has
// no entry to pick: the request is logged and nothing plays.
void SoundPlayAt(const ScriptVec3* vector, int32_t eventId) { PlayAtPoint(vector, eventId, nullptr); }

// The same with the bank whose event it is.
void SoundPlayAtWithValue(const ScriptVec3* position, int32_t eventId, ScriptSoundBank* bank) {
  PlayAtPoint(position, eventId, reinterpret_cast<const CSoundBank*>(bank));
}

}  // namespace script_slot
