// The sets of screens a level uses: their styles and the interface sound
// bank, each screen populated, and the name-editor menus of a mission level.
#include "foundation/system/not_built_yet.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"

namespace {

constexpr const char* kInterfaceBank = "Interface.sbk";

// The screens of each set, with the large interface font or the interface font.
constexpr int kFrontEndLarge[] = {1, 2, 5, 6, 15, 16, 17, 18, 31, 33, 62};
constexpr int kFrontEndSmall[] = {4, 7, 8, 9, 10, 13, 14, 21, 32};
constexpr int kFrontEndPopulated[] = {1, 2, 4, 5, 31, 32, 33, 21};
constexpr int kGamePopulated[] = {14, 17, 18};

void Style(int id, CFont* font) {
  if (CMenuScreen* screen = ScreenFromId(id)) screen->SetMenuStyle(font, g_InterfaceSprites, Screens().interfaceBank);
}

void StyleAll() {
  for (int id : kFrontEndLarge) Style(id, g_LargeFont);
  for (int id : kFrontEndSmall) Style(id, g_MainFont);
}

void LoadInterfaceBank() {
  Screens().interfaceBank = g_SoundManager != nullptr ? g_SoundManager->LoadBank(kInterfaceBank, 0) : nullptr;
}

void Populate(int id) {
  if (CMenuScreen* screen = ScreenFromId(id)) screen->Populate();
}

}  // namespace

void ApplyFrontEndMenuStyles() { StyleAll(); }

void ApplyGameMenuStyles() {
  StyleAll();
  for (CScreenMenu* menu : Screens().nameMenus)
    if (menu != nullptr) {
      menu->Font = g_MainFont;
      menu->Sprites = g_InterfaceSprites;
      menu->SoundBank = Screens().interfaceBank;
    }
  NotBuiltYet("local players' pop-up menu styles");
}

void PopulateFrontEndScreens() {
  LoadInterfaceBank();
  ApplyFrontEndMenuStyles();
  for (int id : kFrontEndPopulated) Populate(id);
  LayoutMultiplayerMenus();
  // The front end shows the backdrop (its screen's own entry does it once
  // that screen is built).
  ShowMenuBackdrop(1);
}

void PopulateGameScreens() {
  LoadInterfaceBank();
  ApplyGameMenuStyles();
  for (int id : kGamePopulated) Populate(id);
  if (ScreenId != 16) LayoutMultiplayerMenus();
  NotBuiltYet("local players' pop-up menu layout");
  SetUpSquadNameMenus();
  ShowMenuBackdrop(0);
}
