#include "menus/screens/screen_script_functions.h"

#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/objective_view_screen.h"
#include "render/2d/sprite_render.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"

void SpriteSheetLoad(const char* file) {
  if (g_ScriptSprites == nullptr || file == nullptr) return;
  if (g_ScriptSprites->Load(file, TEXF_32BIT | TEXF_ALPHA, 0, 0, 0) == 0) return;
  if (CSpriteRender::s_Textures != nullptr) CSpriteRender::s_Textures->LoadTextures(nullptr);
  g_ScriptSprites->RecomputeUVs();
}

void ObjectiveMenuSetObjective(int cell) { CObjectiveViewScreen::SetMapPicture(cell); }

void ObjectiveMenuSetMapBox(const CVector3* cornerA, const CVector3* cornerB) {
  if (cornerA == nullptr || cornerB == nullptr) return;
  CObjectiveViewScreen::SetMapWorldBox(*cornerA, *cornerB);
}
