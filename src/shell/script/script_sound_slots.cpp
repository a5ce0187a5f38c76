// Slots 3-6: the sound banks and the sound cache entries a plug-in loads.
#include "shell/script/script_function_table.h"
#include "sound/sound_manager.h"

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

}  // namespace

// The level's mission bank (load flag 1).
ScriptSoundBank* SoundLoadBank(const char* bankName) { return LoadBank(bankName, 1); }

// A bank shared with the game (load flag 0).
ScriptSoundBank* SoundLoadBankShared(const char* bankName) { return LoadBank(bankName, 0); }

// A sample of the level's cache by name; 0 for a null or empty name.
ScriptSampleHandle SoundCacheLoadMission(const char* name) { return FindSample(name); }

ScriptSampleHandle SoundCacheLoad(const char* name) { return FindSample(name); }

}  // namespace script_slot
