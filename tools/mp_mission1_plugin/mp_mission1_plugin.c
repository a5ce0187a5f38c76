/* The multiplayer level's stand-in mission plug-in, built as MP_Mission1.so
   and loaded as "MP_Mission1.dll".  Its set-up checks the version and loads
   the arena; its handler names the level point of the session's default
   items (event 81: the arena's middle) and leaves every other answer at the
   game's preset. */
#include <string.h>

#include "mission_abi.h"

static const ScriptFunctionTable* g_table;

static void Setup(void) {}
static void Update(void) {}

static int32_t HandleEvent(uint32_t code, MissionEventWord* words) {
  if (code == MEV_MP_GAME_MESSAGE && words != 0) {
    const float point[3] = {0.0f, 0.0f, -600.0f};
    memcpy(words, point, sizeof point);
    words[3] = 1;
    return 1;
  }
  return 0;
}

static uint8_t* Save(uint8_t* out) { return out; }
static const uint8_t* Load(const uint8_t* in) { return in; }
static uint32_t GetStateSize(void) { return 0; }

static const MissionCallbackTable kCallbacks = {Setup, Update, HandleEvent, Save, Load, GetStateSize};

__attribute__((visibility("default"))) const MissionCallbackTable* LevelSetup(const ScriptFunctionTable* table) {
  g_table = table;
  g_table->ScriptCheckVersion(SCRIPT_VERSION_MAJOR, SCRIPT_VERSION_MINOR, SCRIPT_VERSION_BUILD);
  g_table->LoadEnvironment("MP_Mission1.env");
  return &kCallbacks;
}
