#include "world/text/screen_text.h"

#include <cstdio>

#include "menus/draw_quad_2d.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "world/text/text_screen.h"

namespace {

// The box reaches this far beyond the text, left, right and below (pixels).
constexpr int kBoxMargin = 5;

}  // namespace

CScreenText::CScreenText(int capacity) : capacity_(capacity > 0 ? capacity : 0) {
  entries_ = capacity_ > 0 ? new ScreenTextEntry[static_cast<std::size_t>(capacity_)] : nullptr;
}

CScreenText::~CScreenText() { delete[] entries_; }

bool CScreenText::ScreenTextAdd(const char* text, float x, float y, int alignment, float scale, std::uint32_t colour,
                                int style, std::uint32_t boxColour) {
  if (text == nullptr || count_ >= capacity_) return false;
  ScreenTextEntry& e = entries_[count_++];
  std::snprintf(e.Text, sizeof e.Text, "%s", text);
  e.X = x;
  e.Y = y;
  e.Alignment = alignment;
  e.Scale = scale;
  e.Colour = colour;
  e.Style = style;
  e.BoxAlpha = static_cast<std::uint8_t>(boxColour >> 24);
  e.BoxRed = static_cast<std::uint8_t>(boxColour >> 16);
  e.BoxGreen = static_cast<std::uint8_t>(boxColour >> 8);
  e.BoxBlue = static_cast<std::uint8_t>(boxColour);
  return true;
}

void CScreenText::ScreenTextDraw() {
  CSpriteRender* sprites = font_ != nullptr ? font_->Sprites : nullptr;
  if (sprites == nullptr) {
    count_ = 0;
    return;
  }
  // The font's state, put back afterwards.
  const std::uint32_t colour = sprites->Colour, drawColour = sprites->DrawColour;
  const float xScale = sprites->XScale, yScale = sprites->YScale;
  const std::uint32_t scaleMode = sprites->ScaleMode;
  // The screen of the device the font draws through.
  const TextScreenSize screen = GetTextScreenSize(CSpriteRender::s_Render);
  for (int i = 0; i < count_; ++i) {
    const ScreenTextEntry& e = entries_[i];
    font_->SetColour(e.Colour);
    sprites->SetScale(e.Scale);
    const int width = font_->GetStringWidth(e.Text), height = font_->GetStringHeight(e.Text);
    int x = static_cast<int>(static_cast<float>(screen.Width) * e.X);
    int y = static_cast<int>(static_cast<float>(screen.Height) * e.Y);
    if (e.Alignment == SCREENTEXT_CENTRED_ACROSS) x = (screen.Width - width) / 2;
    if (e.Alignment == SCREENTEXT_CENTRED_DOWN) y = (screen.Height - height) / 2;
    // The text stands on its baseline: the box rises the text's height above it.
    if (e.BoxAlpha != 0)
      DrawQuad2D(x - kBoxMargin, y - height, width + 2 * kBoxMargin, height + kBoxMargin, e.BoxRed, e.BoxGreen,
                 e.BoxBlue, e.BoxAlpha, 1, 0);
    font_->DrawString(e.Text, x, y, e.Style);
  }
  sprites->Colour = colour;
  sprites->DrawColour = drawColour;
  sprites->XScale = xScale;
  sprites->YScale = yScale;
  sprites->ScaleMode = scaleMode;
  count_ = 0;
}

CScreenText* g_ScreenText = nullptr;
