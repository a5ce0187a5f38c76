#include "menus/screens/interface_scale.h"

#include <initializer_list>

#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

bool g_fitted = true;  // the state last applied; the first toggle applies full scale

void ScaleSheets(float xPercent, float yPercent) {
  for (CSpriteRender* set : {g_InterfaceSprites, g_ScriptSprites, g_BackdropSprites})
    if (set != nullptr) set->SetScalePercent(xPercent, yPercent, 1);
}

}  // namespace

void ResetInterfaceScale() { g_fitted = true; }

void ToggleInterfaceScale() {
  g_fitted = !g_fitted;
  const int width = ScreenWidth(), height = ScreenHeight();
  if (!g_fitted) {
    ScaleSheets(100.0f, 100.0f);
    if (g_FontSprites != nullptr) g_FontSprites->SetScale(100.0f);
  } else {
    if (width < 800)
      ScaleSheets(static_cast<float>(width * 100 / 800), static_cast<float>(height * 100 / 600));
    if (width != 800 && g_FontSprites != nullptr) g_FontSprites->SetScale(static_cast<float>(width * 100 / 800));
  }
  RefreshInventoryMenus();
}
