#include "shell/multiplayer/mp_game_services.h"

#include <cstring>

#include "control/bindings/input_action.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/players/player_input_msg.h"
#include "foundation/files/catalog.h"
#include "foundation/text/locale_table.h"
#include "menus/screens/screen_manager.h"
#include "net/mp/mp_game_hooks.h"
#include "shell/frame/mission_queries.h"
#include "shell/level/mission_plugin.h"
#include "shell/program/shell_state.h"
#include "sound/sound_manager.h"
#include "world/text/message_list.h"

namespace {

constexpr std::uint32_t kMessageMs = 5000;

void StartLevelChange(const char* plugin) {
  std::strncpy(LevelName, plugin, kLevelNameSize - 1);
  LevelName[kLevelNameSize - 1] = '\0';
  FrameMode = FRAME_LEVEL_CHANGE;
  CloseCatalog();
  OpenCatalog(0, nullptr, 0, 0);
}

const char* GetText(std::uint32_t id) {
  const char* text = g_Locale != nullptr ? g_Locale->GetString(id) : nullptr;
  return text != nullptr ? text : "";
}

void ShowLine(const char* text) {
  if (g_MessageList != nullptr) g_MessageList->MessageAdd(text, kMessageMs);
}

bool LoadBank(const char* name) { return g_SoundManager != nullptr && g_SoundManager->LoadBank(name, 0) != nullptr; }

void SendLocalInput() {
  for (int i = 0; i < g_LocalPlayers.Count(); ++i)
    if (CLocalPlayer* p = g_LocalPlayers.Get(i)) p->SendInputState();
}

}  // namespace

void InstallMultiplayerServices() {
  MPGameHooks& h = MPHooks();
  h.setScreen = SetScreen;
  h.currentScreen = [] { return ScreenId; };
  h.startLevelChange = StartLevelChange;
  h.levelChangePending = [] { return FrameMode == FRAME_LEVEL_CHANGE; };
  h.worldRunning = IsWorldRunning;
  h.raiseEvent = [](std::uint32_t code, std::int32_t* block, int words) {
    return RaiseMissionEvent(code, block, words);
  };
  h.queryMode = MissionQueryMode;
  h.getString = GetText;
  h.showMessage = ShowLine;
  h.showChat = ShowLine;
  h.loadBank = LoadBank;
  h.sendLocalInput = SendLocalInput;
  h.fireAction = [] {
    CLocalPlayer* first = g_LocalPlayers.Count() > 0 ? g_LocalPlayers.Get(0) : nullptr;
    return first != nullptr && first->IsActionPressed(FIRE);
  };
  h.playerInput = ReceivePlayerInput;
}
