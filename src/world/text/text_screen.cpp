#include "world/text/text_screen.h"

#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"

TextScreenSize GetTextScreenSize(const CRender* render) {
  TextScreenSize size;
  const D3DVIEWPORT8* viewport = render != nullptr ? render->GetViewport() : nullptr;
  if (viewport != nullptr && viewport->Width > 0 && viewport->Height > 0) {
    size.Width = static_cast<int>(viewport->Width);
    size.Height = static_cast<int>(viewport->Height);
  }
  return size;
}

float TextRowHeight(const CFont* font) {
  if (font == nullptr) return 0.0f;
  const float scale = font->Sprites != nullptr ? font->Sprites->XScale : 1.0f;
  return static_cast<float>(font->GetLineHeight()) * scale;
}
