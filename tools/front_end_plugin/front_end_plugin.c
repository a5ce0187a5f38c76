/* The front end's stand-in mission plug-in, built as FrontEnd.so and loaded
   as "FrontEnd.dll".  Its set-up checks the version and loads the front-end
   level; its handler answers the game's two questions (the mode and the
   skip prompt) with 1 and leaves every other answer at the game's preset.
   The campaign starts with the first mission: its name is the mission
   record's next level, which the single-player screen's campaign row reads. */
#include "mission_abi.h"

static const ScriptFunctionTable* g_table;

static void Setup(void) {}
static void Update(void) {}

static int32_t HandleEvent(uint32_t code, MissionEventWord* words) {
  if ((code == MEV_MODE_QUERY || code == MEV_SKIP_PROMPT_QUERY) && words != 0) {
    words[0] = 1;
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
  g_table->MissionSetNextLevel("Mission1.dll");
  g_table->LoadEnvironment("FrontEnd.env");
  return &kCallbacks;
}
