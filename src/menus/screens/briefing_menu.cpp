#include "menus/screens/briefing_menu.h"

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "menus/draw_quad_2d.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/level/mission_plugin.h"
#include "shell/mission/mission.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"
#include "world/effects/explosions.h"

std::uint32_t g_BriefingSeen = 0;

namespace {

// The mission event the end of the briefing raises.
constexpr std::uint32_t kEventBriefingDone = 59;
// The key code of Enter.
constexpr int kKeyEnter = 28;
// The mission text kinds: the title, the subtitle, and the extra texts
// (indices 3 .. 8 the briefing paragraphs).
constexpr std::int32_t kTextKindTitle = 0, kTextKindSubtitle = 1, kTextKindExtra = 3;
constexpr int kFirstParagraphIndex = 3;

int Int16(float v) { return static_cast<std::int16_t>(static_cast<int>(v)); }

void PlayPageSound() {
  if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kPageTurnSound);
}

}  // namespace

CMenuScreen* MakeBriefingMenu() { return new CBriefingMenu; }

bool CBriefingMenu::Create() {
  ResetMapView();
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(1) || !Menu->AddItem(new CMenuItem)) {
    FreeMenu();
    return false;
  }
  return true;
}

void CBriefingMenu::Populate() {
  const float w = static_cast<float>(ScreenWidth()), h = static_cast<float>(ScreenHeight());
  const float pw = static_cast<float>(Int16(static_cast<float>(static_cast<int>(620.0f * InterfaceScaleX() + 0.5f))));
  PanelLeft = (w - pw) * 0.5f;
  PanelRight = pw + PanelLeft;
  const float ph = static_cast<float>(Int16(static_cast<float>(static_cast<int>(340.0f * InterfaceScaleY()))));
  PanelTop = (h - ph) * 0.5f;
  PanelBottom = ph + PanelTop;
  ParagraphTop = static_cast<int>(PanelTop);
  LayoutPanel(false);
}

void CBriefingMenu::OnEnter() {
  ComputeMapScale();
  Populate();
  if (!MPIsNetworkGame()) SetGamePaused(1, 6);
  ObjectiveTextPage = 0;
}

void CBriefingMenu::OnLeave(int /*nextId*/) {
  if (!MPIsNetworkGame()) SetGamePaused(0, 0);
  EnableKeyMap(1);
  g_BriefingSeen = 1;
}

int CBriefingMenu::Update() {
  if (BackPressed(0) != 0 || (g_Input != nullptr && g_Input->WasKeyPressed(kKeyEnter))) SetScreen(SCREEN_IN_GAME);
  if (g_Input != nullptr && g_Input->WasMouseButtonPressed(0)) {
    const float mx = static_cast<float>(g_Input->GetCursorX()), my = static_cast<float>(g_Input->GetCursorY());
    if (PreviousArrowBox.Contains(mx, my)) PreviousTextPage();
    if (NextArrowBox.Contains(mx, my)) NextTextPage();
  }
  if (IsCommandSwitchSet('u') != 0) SetScreen(SCREEN_IN_GAME);
  // A switch the screen lock refused leaves the briefing up and raises nothing.
  if (ScreenId == SCREEN_IN_GAME && MissionPluginBound()) RaiseMissionEvent(kEventBriefingDone, nullptr, 0);
  return SCREEN_RESULT_STAY;
}

bool CBriefingMenu::PreviousTextPage() {
  if (ObjectiveTextPage == 0) return false;
  --ObjectiveTextPage;
  PlayPageSound();
  return true;
}

bool CBriefingMenu::NextTextPage() {
  if (!DrawTextPages(static_cast<int>(TextLeft), ParagraphTop, static_cast<int>(TextRight),
                     static_cast<int>(TextBottom), ObjectiveTextPage, false))
    return false;
  ++ObjectiveTextPage;
  PlayPageSound();
  return true;
}

const char* CBriefingMenu::GetParagraphText(int n) {
  if (g_Mission == nullptr || n < 0) return nullptr;
  return g_Mission->GetText(kTextKindExtra, n + kFirstParagraphIndex);
}

void CBriefingMenu::Draw() {
  DrawQuad2D(0, 0, ScreenWidth(), ScreenHeight(), 0, 0, 0, 127, 1, 0);
  DrawPanelFrame(6, 0);
  DrawMap();
  DrawUnitMarkers();
  DrawBriefingText();
}

ArrowBox CBriefingMenu::ArrowBoxAt(float x, float y) {
  const float hh = g_PanelSprites != nullptr ? g_PanelSprites->GetScaledHeight(0) * 0.5f : 0.0f;
  const float hw = g_PanelSprites != nullptr ? g_PanelSprites->GetScaledWidth(0) * 0.5f : 0.0f;
  return ArrowBox{x - hh, x + hh, y - hw, y + hw};
}

void CBriefingMenu::DrawBriefingText() {
  DrawTextFrame();
  CFont* font = g_MainFont;
  if (font != nullptr) font->SetColour(0xFFFFFFFF);
  float y = TextTop;
  if (g_Mission != nullptr) {
    const std::int32_t titleId = g_Mission->GetTextId(kTextKindTitle);
    if (titleId != -1) y += DrawTextIdCentred(static_cast<std::uint32_t>(titleId), TextLeft, TextRight, TextTop, 1);
    const char* subtitle = g_Mission->GetText(kTextKindSubtitle, 0);
    if (subtitle != nullptr && font != nullptr) {
      const int w = static_cast<int>(TextRight - TextLeft);
      const int width = font->GetStringWidth(subtitle);
      const int x = w > width ? static_cast<int>(TextLeft) + (w - width) / 2 : static_cast<int>(TextLeft);
      font->DrawString(subtitle, x, static_cast<int>(y), 0);
      y += static_cast<float>(ParagraphGap() + font->GetMaxGlyphBottom() + font->GetBaselineOffset());
    }
  }
  ParagraphTop = static_cast<int>(y);
  PreviousArrowBox = NextArrowBox = ArrowBox{};
  const float q = static_cast<float>(static_cast<int>((TextRight - TextLeft) * 0.25f));
  const bool previous = ObjectiveTextPage > 0;
  if (previous) PreviousArrowBox = ArrowBoxAt(TextLeft + q, TextBottom);
  const bool more = DrawTextPages(static_cast<int>(TextLeft), ParagraphTop, static_cast<int>(TextRight),
                                  static_cast<int>(TextBottom), ObjectiveTextPage, true);
  if (more) NextArrowBox = ArrowBoxAt(TextLeft + 3.0f * q, TextBottom);
  DrawPageArrows(previous, more);
}
