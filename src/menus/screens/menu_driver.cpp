#include "menus/screens/menu_driver.h"

#include <cstring>

#include "control/input/input.h"
#include "foundation/system/not_built_yet.h"
#include "menus/screens/exit_splash.h"
#include "menus/screens/screen_manager.h"

namespace {

constexpr int kEscapeKey = 1;
constexpr int kEnterKey = 28;
constexpr const char* kFrontEndLevel = "FrontEnd.dll";

int g_menuVisible = 0;

}  // namespace

int RunMenuDriver(const MenuLevelRequest& request) {
  NotBuiltYet("menu screens' driver (Escape and Enter only)");
  if (ScreenId == kFrontEndScreen) {
    if (WasKeyPressed(kEscapeKey)) return MENU_RESULT_QUIT;
    if (WasKeyPressed(kEnterKey)) return MENU_RESULT_LEVEL_CHANGE;
    return MENU_RESULT_NONE;
  }
  if (!WasKeyPressed(kEscapeKey)) return MENU_RESULT_NONE;
  if (request.levelName != nullptr && request.levelNameSize > static_cast<int>(std::strlen(kFrontEndLevel)))
    std::strcpy(request.levelName, kFrontEndLevel);
  if (request.toFrontEnd != nullptr) *request.toFrontEnd = 1;
  return MENU_RESULT_LEVEL_CHANGE;
}

void SetMenuLayerVisible(int visible) { g_menuVisible = visible != 0; }
int IsMenuLayerVisible() { return g_menuVisible; }

int RunSplashStep() {
  UpdateSplash();
  return 0;
}
