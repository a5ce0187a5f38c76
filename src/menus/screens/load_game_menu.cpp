#include "menus/screens/load_game_menu.h"

#include "control/player_camera.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/saved_games_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "net/mp_layer.h"
#include "shell/frame/mission_queries.h"
#include "world/effects/explosions.h"

namespace {

constexpr std::uint16_t kFirstRow = 5101;

void DrawLoadRow(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  auto* screen = static_cast<CLoadGameMenu*>(owner);
  if (screen == nullptr) return;
  const std::uint32_t slot = screen->Menu->GetItemValue(id);
  if (slot >= static_cast<std::uint32_t>(kSaveSlots)) return;
  screen->DrawLoadRowAt(id, x, y, g_SaveSlots.Names[slot]);
}

}  // namespace

bool CLoadGameMenu::Create() { return MakePlainItems(this, kSaveSlots); }

void CLoadGameMenu::Populate() {
  SetUpList();
  ScanSaves();
  int rows = 0;
  for (int slot = 0; slot < kSaveSlots; ++slot) {
    if (g_SaveSlots.Names[slot][0] == '\0') continue;
    CMenuItem* item = Menu->Items[rows];
    item->Set(static_cast<std::uint16_t>(kFirstRow + rows), kMenuNoText, 0, 0, static_cast<std::uint32_t>(slot),
              DrawLoadRow, nullptr);
    Menu->OnItemAdded(item);
    ++rows;
  }
  Menu->SelectFirstEnabled();
}

int CLoadGameMenu::Update() {
  const std::uint16_t id = Menu->Process();
  if (id >= kFirstRow && id < kFirstRow + kSaveSlots) {
    const std::uint32_t slot = Menu->GetItemValue(id);
    if (slot < static_cast<std::uint32_t>(kSaveSlots) && LoadGameFromFile(g_SaveSlots.Names[slot])) {
      SetScreen(14);
      if (MissionRecordResult() != 2) {
        SetPendingLevelName(MissionRecordLevelName());
      } else {
        SetPendingLevelName(MissionRecordNextLevel());
        MissionRecordReset();
      }
      return SCREEN_RESULT_LEVEL_CHANGE;
    }
  }
  if (BackPressed(0) != 0) {
    if (MissionQueryMode() != 0)
      SetScreen(2);
    else
      SetScreen(MissionRecordResult() == 1 ? 17 : 15);
  }
  return 0;
}

void CLoadGameMenu::OnLeave(int) {
  if (MPIsNetworkGame()) return;
  SetGamePaused(0, 0);
  for (CPlayerCamera* camera : g_PlayerCameras)
    if (camera != nullptr) camera->SetOptionWord(0);
}

void CLoadGameMenu::Draw() { DrawPanels(400.0f, kTextLoadGame); }
