#include "menus/screens/screen_size.h"

#include <algorithm>

#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "shell/program/game_objects.h"

int ScreenWidth() {
  if (g_Render == nullptr) return 0;
  const D3DVIEWPORT8* full = g_Render->GetViewportRecord(0);
  const UINT w = g_Render->GetBackBufferDesc().Width;
  return static_cast<int>(w != 0 ? w : full != nullptr ? full->Width : 0);
}

int ScreenHeight() {
  if (g_Render == nullptr) return 0;
  const D3DVIEWPORT8* full = g_Render->GetViewportRecord(0);
  const UINT h = g_Render->GetBackBufferDesc().Height;
  return static_cast<int>(h != 0 ? h : full != nullptr ? full->Height : 0);
}

float InterfaceScaleX() { return g_InterfaceSprites != nullptr ? g_InterfaceSprites->XScale : 1.0f; }
float InterfaceScaleY() { return g_InterfaceSprites != nullptr ? g_InterfaceSprites->YScale : 1.0f; }

int RefX(float v) {
  return static_cast<int>(v * static_cast<float>(std::max(ScreenWidth(), 800)) / 800.0f * InterfaceScaleX());
}

int RefY(float v) {
  return static_cast<int>(v * static_cast<float>(std::max(ScreenWidth(), 800)) / 800.0f * InterfaceScaleY());
}
