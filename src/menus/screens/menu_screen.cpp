#include "menus/screens/menu_screen.h"

#include <algorithm>
#include <cmath>

#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_choice_item.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"
#include "foundation/time/timer.h"
#include "world/engine.h"

MenuScreenDefaults g_MenuScreenDefaults;

namespace {

// The pulse of highlighted item text: int(sin(phase x 0.005 x 2 pi) x 96 +
// 159) with the real clock's phase over 1000 ms in 0..200.
int ItemTextPulse() {
  const float phase = g_RealClock != nullptr ? static_cast<float>(g_RealClock->GetCyclePhase(1000, 200)) : 0.0f;
  return std::clamp(static_cast<int>(std::sin(phase * 0.005f * 6.2831855f) * 96.0f + 159.0f), 0, 255);
}

CFont* FontFor(int large) { return large != 0 ? g_LargeFont : g_MainFont; }

}  // namespace

CMenuScreen::~CMenuScreen() { FreeMenu(); }

void CMenuScreen::FreeMenu() {
  if (Menu == nullptr) return;
  Menu->FreeItems();
  delete Menu;
  Menu = nullptr;
}

void CMenuScreen::SetMenuStyle(CFont* font, CSpriteRender* sprites, const CSoundBank* bank) {
  if (Menu == nullptr) return;
  Menu->Font = font;
  Menu->Sprites = sprites;
  Menu->SoundBank = bank;
}

CFont* CMenuScreen::TitleFont() const { return FontFor(LargeTitle != 0 ? 1 : 0); }

float GetFontTextOffset(const CFont* font) {
  return font != nullptr && font == g_LargeFont ? 19.0f : 10.0f;
}

void CMenuScreen::DrawItemText(CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted) {
  if (item == nullptr || font == nullptr || font->Sprites == nullptr || Menu == nullptr) return;
  std::uint32_t textId = kMenuNoText;
  if (item->Kind == MENU_ITEM_PLAIN) textId = item->TextId;
  if (item->Kind == MENU_ITEM_CHOICE) textId = static_cast<CMenuChoiceItem*>(item)->CurrentTextId();
  const char* text = CMenu::TextOf(textId);
  if (text == nullptr) return;
  const float width = static_cast<float>(font->GetStringWidth(text));
  float x = rect.x1 + 6.0f;
  if (item->Flags & MENU_ITEM_CENTRED)
    x = rect.x1 + (rect.x2 - rect.x1 - width) / 2.0f;
  else if (item->Flags & MENU_ITEM_RIGHT)
    x = rect.x2 - width - 6.0f;
  const float o = GetFontTextOffset(font);
  const int y = static_cast<int>(o + ((rect.y2 - rect.y1) - o) * 0.5f + rect.y1);
  std::uint32_t colour = item->IsDisabled() ? Menu->DisabledColour
                         : highlighted != 0 ? Menu->HighlightColour
                                            : Menu->TextColour;
  if (highlighted != 0 && !item->IsDisabled())
    colour = (colour & 0x00FFFFFFu) | (static_cast<std::uint32_t>(ItemTextPulse()) << 24);
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t savedColour = glyphs->Colour, savedDraw = glyphs->DrawColour;
  font->SetColour(colour);
  font->DrawString(text, static_cast<int>(x), y, 0);
  glyphs->Colour = savedColour;
  glyphs->DrawColour = savedDraw;
}

float CMenuScreen::GetTitleHeight(float width) {
  if (TitleTextId == kMenuNoText || TitleTextId == 0) return 0.0f;
  const char* text = CMenu::TextOf(TitleTextId);
  CFont* font = TitleFont();
  if (text == nullptr || font == nullptr) return 0.0f;
  const FontRect rect = {0, 0, static_cast<std::int32_t>(width), 800};
  return font->DrawStringInRect(text, &rect, 1, 0, 0) + InterfaceScaleY() * 10.0f;
}

void CMenuScreen::PlaceMenu(std::uint32_t titleId, int largeMargin, const PlaceExtra* extra, int maxRows) {
  TitleTextId = titleId;
  if (Menu == nullptr) return;
  const float sy = InterfaceScaleY();
  const float margin = largeMargin != 0 ? sy * 216.0f : sy * 40.0f;
  const float available = static_cast<float>(ScreenHeight()) - margin - sy * 60.0f;
  const int n = std::min<int>(Menu->Count, maxRows);
  const float pitchX = Menu->PitchX, pitchY = Menu->PitchY;
  const float itemW = Menu->ItemWidth, itemH = Menu->ItemHeight;
  float menuW = 0, menuH = 0, titleH = 0, blockW = 0, blockH = 0;
  if (Menu->Orientation != MENU_HORIZONTAL) {
    menuW = itemW;
    menuH = static_cast<float>(n) * pitchY;
    titleH = GetTitleHeight(itemW);
    blockH = static_cast<float>(n) * pitchY + titleH - (pitchY - itemH);
    blockW = itemW;
  } else {
    menuW = static_cast<float>(n) * pitchX;
    menuH = itemH;
    titleH = GetTitleHeight(static_cast<float>(n) * pitchX);
    blockW = static_cast<float>(n) * pitchX - (pitchX - itemW);
    blockH = itemH + titleH;
  }
  float ex = 0, ey = 0;
  if (extra != nullptr) {
    ex = extra->x;
    ey = extra->y;
    blockW += extra->x + extra->w;
    blockH += extra->y + extra->h;
  }
  PanelLeft = (static_cast<float>(ScreenWidth()) - blockW) * 0.5f;
  PanelRight = PanelLeft + blockW;
  PanelTop = (available - blockH) * 0.5f + margin;
  PanelBottom = PanelTop + blockH;
  Menu->SetRect(static_cast<int>(PanelLeft + ex), static_cast<int>(PanelTop + titleH + ey), static_cast<int>(menuW),
                static_cast<int>(menuH));
}

void CMenuScreen::DrawPanelFrame(int fadeStep, int small) {
  if (g_PanelSprites == nullptr) return;
  float mx = InterfaceScaleX() * 40.0f, my = InterfaceScaleY() * 30.0f;
  if (small != 0) {
    mx *= 0.5f;
    my *= 0.5f;
  }
  g_PanelSprites->SetAlpha(fadeStep * 25);
  DrawFrameA(PanelLeft - mx, PanelTop - my, PanelRight + mx, PanelBottom + my);
  g_PanelSprites->SetAlpha(255);
}

float DrawStringCentred(const char* text, float left, float right, float top, int large) {
  CFont* font = FontFor(large);
  if (text == nullptr || font == nullptr || font->Sprites == nullptr) return 0.0f;
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t savedColour = glyphs->Colour, savedDraw = glyphs->DrawColour;
  font->SetColour(0xFFFFFFFF);
  const float y = top + static_cast<float>(font->GetBaselineOffset());
  const FontRect rect = {static_cast<std::int32_t>(left), static_cast<std::int32_t>(y), static_cast<std::int32_t>(right),
                         static_cast<std::int32_t>(y + 600.0f)};
  const float used = font->DrawStringInRect(text, &rect, 1, 1, 1);
  glyphs->Colour = savedColour;
  glyphs->DrawColour = savedDraw;
  return used;
}

float DrawTextIdCentred(std::uint32_t textId, float left, float right, float top, int large) {
  if (textId == 0) return 0.0f;
  return DrawStringCentred(CMenu::TextOf(textId), left, right, top, large);
}

void CMenuScreen::DrawTitle(std::uint32_t textId, int large) {
  DrawTextIdCentred(textId, PanelLeft, PanelRight, PanelTop, large);
}

void CMenuScreen::DrawTitleString(const char* text, int large) {
  DrawStringCentred(text, PanelLeft, PanelRight, PanelTop, large);
}
