/* A plug-in for the dispatch benchmark: calls built script slots through
   the table it was given. */
#include "mission_abi.h"

static const ScriptFunctionTable* g_table;

static void Nothing(void) {}
static int32_t HandleEvent(uint32_t code, MissionEventWord* words) {
  (void)code;
  (void)words;
  return 0;
}
static uint8_t* Save(uint8_t* out) { return out; }
static const uint8_t* Load(const uint8_t* in) { return in; }
static uint32_t Size(void) { return 0; }
static const MissionCallbackTable kCallbacks = {Nothing, Nothing, HandleEvent, Save, Load, Size};

__attribute__((visibility("default"))) const MissionCallbackTable* LevelSetup(const ScriptFunctionTable* table) {
  g_table = table;
  return &kCallbacks;
}

/* n calls of slot 0 and n of slot 6 (with no name); answers their sum. */
__attribute__((visibility("default"))) int64_t BenchCallSlots(int32_t n) {
  int64_t sum = 0;
  int32_t i;
  for (i = 0; i < n; ++i) {
    sum += g_table->ScriptCheckVersion(SCRIPT_VERSION_MAJOR, SCRIPT_VERSION_MINOR, SCRIPT_VERSION_BUILD);
    sum += (int64_t)g_table->SoundCacheLoad(0);
  }
  return sum;
}
