#include "menus/screens/yes_no_menu.h"

#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/saved_games_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "menus/screens/standard_items.h"
#include "net/mp_layer.h"
#include "shell/frame/mission_queries.h"
#include "shell/level/loading_screens.h"
#include "sound/sound_manager.h"
#include "world/effects/explosions.h"

namespace {

enum : std::uint16_t { kYes = 5301, kNo = 5302 };

std::uint32_t TitleOf(int id) {
  switch (id) {
    case 23: return kTextOverwriteTitle;
    case 24:
    case 25: return kTextQuitTitle;
    case 27: return kTextAbandonTitle;
    default: return 0;
  }
}

}  // namespace

void RunQuitSequence() {
  if (g_SoundManager != nullptr) {
    g_SoundManager->StopMusic();
    g_SoundManager->StopAllSounds();
  }
  ShowPromoPicture();
}

bool CYesNoMenu::Create() { return MakePlainItems(this, 3); }

void CYesNoMenu::Populate() {
  Menu->Reset();
  Menu->SetLayout(MENU_HORIZONTAL, 1);
  Menu->SetItemSprites(-1, -1);
  Menu->SetRect(0, 0, ScreenWidth(), ScreenHeight());
  Menu->SetState(MENU_STATE_ACTIVE);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(AcceptPressed, LeftPressed, RightPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  Menu->SetItemWidth(static_cast<int>(250.0f * InterfaceScaleX() + 0.5f));
  Menu->SetItemHeight(GetMenuItemHeight());
  Menu->SoundBank = InterfaceSoundBank();
  Menu->MoveSound = kMenuMoveSound;
  Menu->Owner = this;
  Menu->Items[0]->Set(kYes, kTextYes, 0x24, 0, 0, ButtonItemCallback, nullptr);
  Menu->OnItemAdded(Menu->Items[0]);
  Menu->Items[1]->Set(kNo, kTextNo, 0x24, 0, 0, ButtonItemCallback, nullptr);
  Menu->OnItemAdded(Menu->Items[1]);
  const std::uint32_t title = TitleOf(ScreenId);
  if (title != 0) PlaceMenu(title, 0, nullptr, 32767);
}

void CYesNoMenu::OnEnter() {
  if (!MPIsNetworkGame() && MissionQueryMode() == 0) SetGamePaused(1, 6);
  Populate();
  Menu->SelectIndex(1);
}

int CYesNoMenu::Yes() {
  switch (ScreenId) {
    case 21: SetScreen(10); return 0;
    case 22: SetScreen(9); return 0;
    case 23:
      if (!SaveGameToFile(SelectedSaveName(), 0)) return 0;  // the dialog stays
      if (MissionRecordResult() != 0) {
        SetScreen(19);
      } else {
        MissionRecordCountSave();
        SetScreen(15);
      }
      return 0;
    case 24:
      // The quit sequence, then the exit splash, which closes the program.
      RunQuitSequence();
      return SCREEN_RESULT_SPLASH;
    case 25:
    case 27: return QuitToFrontEnd();
    default: return 0;
  }
}

int CYesNoMenu::No() {
  switch (ScreenId) {
    case 21:
    case 23: SetScreen(10); break;
    case 22:
    case 26: SetScreen(9); break;
    case 24: SetScreen(PreviousScreenId); break;
    case 25: SetScreen(MissionRecordResult() == 1 ? 17 : MissionRecordResult() == 2 ? 18 : 15); break;
    case 27: SetScreen(MissionRecordResult() == 1 ? 17 : 15); break;
    default: break;
  }
  return 0;
}

int CYesNoMenu::Update() {
  switch (Menu->Process()) {
    case kYes: return Yes();
    case kNo: return No();
    default: return 0;
  }
}

void CYesNoMenu::Draw() {
  DrawPanelFrame(6, 0);
  Menu->Draw();
  const std::uint32_t title = TitleOf(ScreenId);
  if (title != 0) DrawTitle(title, 1);
}
