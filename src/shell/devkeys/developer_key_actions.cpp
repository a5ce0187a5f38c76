#include "shell/devkeys/developer_key_actions.h"

#include <algorithm>

#include "control/keymap/developer_keys.h"
#include "control/players/local_player_table.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "net/mp_layer.h"
#include "shell/cheats/cheat_registry.h"
#include "shell/cheats/cheat_settings.h"
#include "shell/level/mission_plugin.h"
#include "shell/script/script_cutscene.h"
#include "world/effects/explosions.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/text/terminal.h"

namespace {

constexpr std::uint32_t kLightingFlag = 128;
constexpr int kBriefingScreen = 20;
constexpr std::uint32_t kMissionSucceededEvent = 17;

int gDebugPlayer = 0;

void Nothing() {}

void ToggleLighting() {
  if (g_Environment) g_Environment->SetRenderFlags(g_Environment->GetRenderFlags() ^ kLightingFlag);
}

void TogglePlayerDamage() {
  const std::uint32_t was = GetPlayerDamage();
  SetPlayerDamage(was ? 0 : 1);
  if (g_MainTerminal) g_MainTerminal->TerminalPrint(was ? "Toggle Player Damage OFF" : "Toggle Player Damage ON");
}

void ToggleEnemyAI() {
  if (EnemyAI) {
    EnemyAI = 0;
    // Every active unit passes through its reset step: the units' own.
    NotBuiltYet("unit reset when enemy AI goes off");
  } else {
    EnemyAI = 1;
  }
}

void ToggleTime() {
  if (MPIsSessionRunning() || !g_GameClock) return;
  if (IsGamePaused()) {
    SetGamePaused(0, 2);
  } else if (!ScriptCutsceneRunning()) {  // never paused during a cut-scene
    SetGamePaused(1, 2);
  }
}

// Half of the real clock's frame time per frame while held.
void StepTimeScale(float sign) {
  if (!g_GameClock || !g_RealClock) return;
  const float step = g_RealClock->GetFrameTime() * 0.5f;
  g_GameClock->SetTimeScale(std::clamp(g_GameClock->GetTimeScale() + sign * step, kMinTimeScale, kMaxTimeScale));
}
void SpeedUpTime() { StepTimeScale(1.0f); }
void SlowDownTime() { StepTimeScale(-1.0f); }

void ToggleTerminal() {
  if (g_MainTerminal) g_MainTerminal->TerminalToggleVisible();
}

void BriefingScreen() { SetScreen(kBriefingScreen); }

void NextLocalPlayer() {
  const int count = g_LocalPlayers.Count();
  gDebugPlayer = count > 0 ? (gDebugPlayer + 1) % count : 0;
  if (g_MainTerminal) g_MainTerminal->TerminalPrintf("Now controling local player %d", gDebugPlayer);
}

void KillSelectedGrunt() {
  CLocalPlayer* player = g_LocalPlayers.Get(gDebugPlayer);
  if (player == nullptr || player->Soldier == nullptr) return;
  NotBuiltYet("developer key kill of a soldier");
}

void MissionSucceeded() {
  if (MissionPluginBound()) {
    std::int32_t block[16] = {};
    RaiseMissionEvent(kMissionSucceededEvent, block, 16);
    return;
  }
  NotBuiltYet("mission record result");
}

void CheatInputOn() {
  if (g_CheatRegistry) g_CheatRegistry->SetTyping(1);
}

struct Action {
  const char* description;
  KeyMapHandler handler;
};

constexpr Action kActions[] = {
    {"Toggle Lighting", ToggleLighting},
    {"Toggle Player damage", TogglePlayerDamage},
    {"Toggle EnemyAI", ToggleEnemyAI},
    {"Toggle Time", ToggleTime},
    {"Speed up time", SpeedUpTime},
    {"Slow down time", SlowDownTime},
    {"Toggle Terminal", ToggleTerminal},
    {"Set Screen Mode to Briefing", BriefingScreen},
    {"Jump to next local player", NextLocalPlayer},
    {"Kill the selected Grunt", KillSelectedGrunt},
    {"Successful completion of mission", MissionSucceeded},
    {"Toggle Cheat Input On", CheatInputOn},
    // The rows whose action does nothing.
    {"Toggle Rendering", Nothing},
    {"Write player state", Nothing},
    {"Read player state", Nothing},
    {"Change Skin Texture", Nothing},
    {"graphic flag", Nothing},
    {"Toggle Filter for Interface", Nothing},
    {"Toggle server debug output", Nothing},
    {"Toggle client debug output", Nothing},
    {"Toggle multiplayer ghost highlight", Nothing},
    {"Toggle multiplayer ghost trail", Nothing},
    {"Toggle freeze on ghost trail", Nothing},
    {"Toggle grunt switching mode", Nothing},
    {"Toggles MP Logging", Nothing},
};
constexpr int kActionCount = static_cast<int>(sizeof kActions / sizeof kActions[0]);

}  // namespace

void InstallDeveloperKeyActions() {
  for (const Action& a : kActions) SetDeveloperKeyHandler(a.description, a.handler);
}

const char* const* InstalledDeveloperKeyActions(int* count) {
  static const char* names[kActionCount];
  for (int i = 0; i < kActionCount; ++i) names[i] = kActions[i].description;
  if (count) *count = kActionCount;
  return names;
}

int DebugLocalPlayer() { return gDebugPlayer; }
void ResetDeveloperKeyState() { gDebugPlayer = 0; }
