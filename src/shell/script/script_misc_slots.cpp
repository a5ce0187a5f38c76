// Slots of the last groups that need no unit: the multiplayer queries, the
// clocks as floats, the local player count, the movie version and movie-idle
// word, the screen tint, the name hash, sorting ids, the cut-scene's clock
// pause and resume, the game-wide words, the HUD scroll, the front-end
// question, a movie camera's start, and the slots that do nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "control/players/local_player_table.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "net/mp_layer.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_game_words.h"
#include "shell/script/script_state.h"
#include "world/cameras/movie_camera.h"
#include "world/engine.h"
#include "world/objects/chlo_manager.h"

ScriptGameWords g_ScriptGameWords;

void AddScriptGameCounter(std::int32_t amount) { g_ScriptGameWords.counter += amount; }

namespace {

constexpr int kBriefingScreen = 20;
constexpr int kFrontEndScreen = 1;
// The HUD scroll: 1000 units a second over half the amount; amounts below 2
// (and values that are not numbers) are refused.
constexpr float kHudScrollRate = 1000.0f;

// A float 0-1 as a byte: scaled by 255 and cut (outside 0-1 held at the ends).
std::uint32_t ColourByte(float f) {
  if (!(f > 0.0f)) return 0;
  if (f >= 1.0f) return 255;
  return static_cast<std::uint32_t>(f * 255.0f);
}

void SetHudScroll(float amount, float sign) {
  if (!(amount >= 2.0f) || !std::isfinite(amount)) return;
  g_ScriptGameWords.hudScrollSpeed = sign * kHudScrollRate / (amount / 2.0f);
  NotBuiltYet("HUD element scroll");
}

}  // namespace

namespace script_slot {

void ScriptNop429(void) {}
void ScriptNop452(void) {}
void ScriptNop498(void) {}
void ScriptNop533(void) {}
int32_t ScriptReturnZero534(void) { return 0; }
void ScriptNop545(void) {}
void ScriptNop547(void) {}
void ScriptNop549(void) {}
int32_t ReturnTrueAlt(void) { return 1; }

int32_t MPIsNetworkGame(void) { return ::MPIsNetworkGame() ? 1 : 0; }
int32_t MPIsHost(void) { return ::MPIsHost() ? 1 : 0; }
int32_t MPIsClient(void) { return ::MPIsClient() ? 1 : 0; }

// The session clock, 0 without a session.
uint32_t MPGetSessionTime(void) {
  const int32_t t = ::MPGetSessionTime();
  return t < 0 ? 0u : static_cast<uint32_t>(t);
}

float GameGetTimeFloat(void) { return g_GameClock != nullptr ? static_cast<float>(g_GameClock->GetGameTime()) : 0.0f; }
float RealGetTimeFloat(void) { return g_RealClock != nullptr ? static_cast<float>(g_RealClock->GetGameTime()) : 0.0f; }

int32_t PlayersGetCount(void) { return g_LocalPlayers.Count(); }

// Records the first version given; a later, different one is warned about
// and the first kept.  Answers the recorded version.
int32_t MovieSetVersion(int32_t version) {
  if (g_ScriptState.movieVersion == -1) {
    g_ScriptState.movieVersion = version;
  } else if (version != g_ScriptState.movieVersion) {
    DebugTrace("MovieSetVersion: version %d asked, the movie is version %d\n", version, g_ScriptState.movieVersion);
  }
  return g_ScriptState.movieVersion;
}

int32_t MovieGetVersion(void) { return g_ScriptState.movieVersion; }

int32_t ScreenShowBriefing(void) {
  ::SetScreen(kBriefingScreen);
  return kBriefingScreen;
}

int32_t MovieSetIdle(int32_t value) {
  g_ScriptState.movieIdle = value;
  return value;
}

// 1 for an id that no object bears (nothing plays there).
int32_t SoundIsPlayingOnObject(int32_t id) {
  if (g_HLOManager == nullptr || g_HLOManager->GetObjectById(id) == nullptr) return 1;
  NotBuiltYet("object sound sources");
  return 0;
}

void ScreenTintSetColour(float r, float g, float b, float a) {
  g_ScriptGameWords.tintColour = ColourByte(a) << 24 | ColourByte(r) << 16 | ColourByte(g) << 8 | ColourByte(b);
}

void ScreenTintOn(void) { g_ScriptGameWords.tintOn = 1; }
void ScreenTintOff(void) { g_ScriptGameWords.tintOn = 0; }

// 0 for a null name.
uint32_t NameHashNoCase(const char* name) { return name != nullptr ? HashStringNoCase(name) : 0; }

// Sorts count ids upward in place; nothing for a null array or a count below 2.
void ArraySortIds(int32_t* array, int32_t count) {
  if (array == nullptr || count < 2) return;
  std::sort(array, array + count);
}

// Starts the game clock again and the movie cameras back on the real
// clock's pace; the objects' resume step comes with the units.
void CutsceneResume(int32_t rerun) {
  if (g_GameClock != nullptr) g_GameClock->SetRunning(1);
  if (g_MovieCamera != nullptr) g_MovieCamera->SetClock(g_RealClock);
  if (rerun == 1) NotBuiltYet("objects' cut-scene resume step");
}

void CutscenePause(void) {
  if (g_GameClock != nullptr) g_GameClock->SetRunning(0);
  if (g_MovieCamera != nullptr) g_MovieCamera->SetClock(g_GameClock);
  NotBuiltYet("objects' cut-scene pause step");
}

int32_t GameGetValue(void) { return g_ScriptGameWords.value; }

// The letter's flag (letter & 31, so both cases name it).
int32_t IsCommandSwitchSet(int32_t letter) {
  const int32_t n = letter & 31;
  if (n < 1 || n > 26) return 0;
  return ::IsCommandSwitchSet(static_cast<char>('A' + n - 1)) != 0 ? 1 : 0;
}

int32_t GameSetValueA(int32_t value) { return g_ScriptGameWords.valueA = value; }
int32_t GameSetValueB(int32_t value) { return g_ScriptGameWords.valueB = value; }
int32_t GameSetScriptFlag(int32_t value) { return g_ScriptGameWords.scriptFlag = value; }
int32_t GameSetValueC(int32_t value) { return g_ScriptGameWords.valueC = value; }
void GameClearFlag(void) { g_ScriptGameWords.flag = 0; }
void GameSetFlag(void) { g_ScriptGameWords.flag = 1; }

int32_t GameTakeCounter(void) {
  const int32_t value = g_ScriptGameWords.counter;
  g_ScriptGameWords.counter = 0;
  return value;
}

void HudScrollUp(float amount) { SetHudScroll(amount, -1.0f); }
void HudScrollDown(float amount) { SetHudScroll(amount, 1.0f); }

// 1 on the front end's screen without a multiplayer session.
int32_t FrontEndIsOpen(void) { return ScreenId == kFrontEndScreen && !::MPIsSessionRunning() ? 1 : 0; }

// Shows camera n in the first viewport as the current camera; the ramp of
// the game's time scale comes with the player cameras.
void MovieCameraStart(int32_t ramp, int32_t camera) {
  if (g_MovieCamera == nullptr || camera < 0 || camera >= kMaxMovieCameras || !g_MovieCamera->IsUsed(camera)) return;
  g_MovieCamera->SetActiveCamera(camera);
  g_MovieCamera->StartCamera(0, camera);
  if (ramp != 0) NotBuiltYet("game time scale ramp");
}

// -1 for an id that no object bears; the interface queues come with the
// multiplayer layer, so nothing is queued yet.
int32_t MPQueuePushObject(int32_t id, int32_t queue13) {
  if (g_HLOManager == nullptr || g_HLOManager->GetObjectById(id) == nullptr || queue13 < 1 || queue13 > 3) return -1;
  NotBuiltYet("multiplayer interface queues");
  return -1;
}

int32_t MPQueueRemoveObject(int32_t id) {
  if (g_HLOManager == nullptr || g_HLOManager->GetObjectById(id) == nullptr) return -1;
  NotBuiltYet("multiplayer interface queues");
  return -1;
}

}  // namespace script_slot
