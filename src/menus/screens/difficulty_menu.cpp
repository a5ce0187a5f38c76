#include "menus/screens/difficulty_menu.h"

#include "foundation/system/command_switches.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/single_player_menu.h"
#include "world/sky/difficulty.h"

namespace {

constexpr std::uint16_t kFirstRow = 2051;

}  // namespace

bool CDifficultyMenu::Create() { return MakePlainItems(this, 3); }

void CDifficultyMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, false);
  const std::uint32_t texts[3] = {kTextEasy, kTextMedium, kTextHard};
  for (int i = 0; i < 3; ++i) AddButtonRow(this, i, static_cast<std::uint16_t>(kFirstRow + i), texts[i], kRowFlags);
  Menu->SelectIndex(1);
  PlaceMenu(kTextDifficultyTitle, 0, nullptr, 32767);
}

int CDifficultyMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    SetScreen(6);
    return 0;
  }
  const std::uint16_t id = Menu->Process();
  if (id >= kFirstRow && id < kFirstRow + 3) {
    g_Difficulty.SetLevel(id - kFirstRow);
    SetScreen(6);
  }
  if (BackPressed(0) != 0) SetScreen(2);
  return 0;
}

void CDifficultyMenu::Draw() { DrawStandardScreen(this, kTextDifficultyTitle); }
