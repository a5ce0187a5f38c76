// Slots 355-358 and 391: a cut-scene's start, skip and end, and the
// subtitle line.  A cut-scene stops the game clock (so game-clock timed
// callbacks wait while the real-clock posts it makes run), locks the screen
// and switches the AI off; its end starts the clock again, releases the
// screen and raises event 18.
#include <cstdint>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "shell/frame/mission_queries.h"
#include "shell/level/mission_plugin.h"
#include "shell/script/script_cutscene.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_state.h"
#include "sound/sound_manager.h"
#include "units/base/unit_world.h"
#include "world/engine.h"
#include "world/timing/timed_callback_list.h"

namespace {

constexpr std::uint32_t kEventCutsceneEnded = 18;
constexpr std::int32_t kSubtitleDefaultMs = 10000;

std::uint32_t GameTime() { return g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0; }

}  // namespace

bool ScriptCutsceneRunning() { return (g_ScriptState.cutsceneState & SCRIPT_CUTSCENE_RUNNING) != 0; }

bool CutsceneSkipPressed() {
  if (g_ControlMapper == nullptr || g_Input == nullptr) return false;
  int players = g_LocalPlayers.Count();
  if (players > g_ControlMapper->Players()) players = g_ControlMapper->Players();
  for (int p = 0; p < players; ++p)
    for (int slot = 0; slot < g_ControlMapper->Slots(); ++slot) {
      const InputBindingCode code = g_ControlMapper->GetBinding(p, slot, MOVIE_CANCEL);
      if (code == kNoBinding) continue;
      const int index = BindingIndex(code);
      if (BindingDevice(code) == BINDING_KEY && g_Input->WasKeyPressed(index)) return true;
      if (BindingDevice(code) == BINDING_MOUSE_BUTTON && g_Input->WasMouseButtonPressed(index)) return true;
    }
  return false;
}

const char* CurrentSubtitle() {
  if (g_ScriptState.subtitleText == nullptr || GameTime() > g_ScriptState.subtitleEndTime) return nullptr;
  return g_ScriptState.subtitleText;
}

namespace script_slot {

// 1 once: while a cut-scene runs and a local player pressed the skip control
// (or the developer letter U is set) the removable timed callbacks are
// cleared, the music stops and the cut-scene counts as skipped.
int32_t CutsceneCheckSkip(void) {
  if ((g_ScriptState.cutsceneState & SCRIPT_CUTSCENE_SKIPPED) != 0 || !ScriptCutsceneRunning()) return 0;
  if (!CutsceneSkipPressed() && !IsCommandSwitchSet('U')) return 0;
  NotBuiltYet("screen fades (the skip's fade in from black)");
  if (g_TimedCallbacks != nullptr) g_TimedCallbacks->ClearRemovable();
  g_ScriptState.cutsceneState |= SCRIPT_CUTSCENE_SKIPPED;
  if (g_SoundManager != nullptr) g_SoundManager->StopMusic();
  return 1;
}

int32_t CutsceneIsSkipRequested(void) { return CutsceneSkipPressed() ? 1 : 0; }

void CutsceneStart(void) {
  if (g_GameClock != nullptr) {
    g_GameClock->SetRunning(0);
    g_ScriptState.cutsceneStartTime = g_GameClock->GetGameTime();
  }
  SetScreenLock(1);
  NotBuiltYet("AI switch of the update scheduler");
  g_ScriptState.cutsceneState = SCRIPT_CUTSCENE_RUNNING;
  SetCutsceneRunning(true);  // the units' copy of the bit
  if (g_ScriptState.movieIdle != 0) NotBuiltYet("cut-scene preparation pass over the world objects");
  g_ScriptState.movieIdle = 0;
}

void CutsceneEnd(void) {
  if (MissionQueryMode() != 1) NotBuiltYet("cut-scene end passes (particles, sounds, soldiers' aim)");
  for (std::int32_t& word : g_ScriptState.messageWords) word = 0;
  g_ScriptState.cutsceneState = SCRIPT_CUTSCENE_IDLE;
  SetCutsceneRunning(false);
  if (g_GameClock != nullptr) g_GameClock->SetRunning(1);
  g_ScriptState.movieIdle = 1;
  // The screen lock the start took goes with the cut-scene, before the
  // mission hears of the end: its answer may ask for a screen (the intro's
  // end shows the briefing), which the lock would refuse, and the menus (the
  // pause screen among them) would never run again.
  SetScreenLock(0);
  std::int32_t block[1] = {0};
  RaiseMissionEvent(kEventCutsceneEnded, block, 1);
  if (!IsCommandSwitchSet('U')) NotBuiltYet("environment settings record");
  NotBuiltYet("players' units and cameras after a cut-scene");
}

// The localised text (null for an unknown id), shown until the game time
// passes now + time (10000 ms for 0) while subtitles are on.
const char* SubtitleShow(uint32_t textId, int32_t timeMs) {
  const char* text = g_Locale != nullptr ? g_Locale->GetString(textId) : nullptr;
  if (text == nullptr || timeMs < 0) return nullptr;
  if (SubtitlesEnabled() != 0) {
    g_ScriptState.subtitleText = text;
    g_ScriptState.subtitleEndTime = GameTime() + static_cast<std::uint32_t>(timeMs == 0 ? kSubtitleDefaultMs : timeMs);
  }
  return text;
}

}  // namespace script_slot
