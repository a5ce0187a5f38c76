#include "menus/screens/pause_menu.h"

#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "net/mp_layer.h"
#include "sound/sound_manager.h"
#include "world/effects/explosions.h"

namespace {

enum : std::uint16_t { kOptionsRow = 1043, kQuitRow = 1044 };

}  // namespace

void EndScreenListSetUp(CMenuScreen* screen, MenuInputCheck accept) { StandardListSetUp(screen, accept, false); }

bool CPauseMenu::Create() {
  if (!MakePlainItems(this, 7)) return false;
  return true;
}

void CPauseMenu::Populate() {
  EndScreenListSetUp(this, AcceptPressedInMenu);
  AddButtonRow(this, 0, kOptionsRow, kTextOptions, kRowFlags);
  AddButtonRow(this, 1, kQuitRow, kTextQuitMission, kRowFlags);
  PlaceMenu(kTextPauseTitle, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
}

void CPauseMenu::OnEnter() {
  Populate();
  if (!MPIsNetworkGame()) SetGamePaused(1, 6);
  Menu->SetState(Menu->KeepActive);
  if (g_SoundManager != nullptr) g_SoundManager->SetPaused(true);
}

void CPauseMenu::OnLeave(int nextId) {
  if (nextId != 14) return;
  if (!MPIsNetworkGame()) SetGamePaused(0, 0);
  if (g_SoundManager != nullptr) g_SoundManager->SetPaused(false);
}

std::uint32_t CPauseMenu::GetRightHintTextId() { return kTextPauseHint; }

int CPauseMenu::Update() {
  switch (Menu->Process()) {
    case kOptionsRow:
      OptionsInGame = 1;
      OptionsReturnScreen = 15;
      SetScreen(4);
      break;
    case kQuitRow: SetScreen(27); break;
    default: break;
  }
  return 0;
}

void CPauseMenu::Draw() { DrawStandardScreen(this, kTextPauseTitle); }
