#include "menus/screens/front_end_shared.h"

#include <cstring>

#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/standard_items.h"
#include "shell/program/shell_state.h"

std::uint32_t UniformChoice = 0;
std::uint32_t OptionsInGame = 0;
int OptionsReturnScreen = 1;

void SetPendingLevelName(const char* name) {
  if (name == nullptr) return;
  std::strncpy(LevelName, name, kLevelNameSize - 1);
  LevelName[kLevelNameSize - 1] = '\0';
}

void StandardListSetUp(CMenuScreen* screen, MenuInputCheck accept, bool sideChecks) {
  CScreenMenu* menu = screen->Menu;
  menu->Reset();
  menu->SetLayout(MENU_VERTICAL, 1);
  menu->SetItemSprites(-1, -1);
  menu->SetRect(0, 0, ScreenWidth(), ScreenHeight());
  menu->SetState(MENU_STATE_ACTIVE);
  menu->SetKeepActive(1);
  menu->SetInputHandlers(accept, UpPressed, DownPressed, sideChecks ? LeftPressed : nullptr,
                         sideChecks ? RightPressed : nullptr, 0, 0, 0, 0, 0);
  menu->SetItemWidth(static_cast<int>(620.0f * InterfaceScaleX() + 0.5f));
  menu->SetItemHeight(GetMenuItemHeight());
  menu->SoundBank = InterfaceSoundBank();
  menu->MoveSound = kMenuMoveSound;
  menu->Owner = screen;
}

void AddButtonRow(CMenuScreen* screen, int index, std::uint16_t id, std::uint32_t textId, std::uint16_t flags) {
  CMenuItem* item = screen->Menu->Items[index];
  item->Set(id, textId, flags, 0, 0, ButtonItemCallback, nullptr);
  screen->Menu->OnItemAdded(item);
}

void SetStandardArrowBoxes(CMenuScreen* screen) {
  const MenuArrowBox box{8, 0, static_cast<std::int32_t>(40.0f * InterfaceScaleX()), screen->Menu->ItemHeight};
  screen->Menu->SetArrowBoxes(box, box);
}
