#include "menus/screens/objective_menu.h"

#include <algorithm>

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "foundation/system/not_built_yet.h"
#include "menus/draw_quad_2d.h"
#include "menus/screens/briefing_menu.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "net/mp_layer.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/mission/mission.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"
#include "world/effects/explosions.h"

namespace {

PlayerSoldierPositionReader g_playerSoldier = nullptr;

int Int16(float v) { return static_cast<std::int16_t>(static_cast<int>(v)); }
bool DetailMode() { return ObjectiveDetailActive() != 0; }
bool Empty(const CVector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

}  // namespace

void SetPlayerSoldierPositionReader(PlayerSoldierPositionReader reader) { g_playerSoldier = reader; }

CMenuScreen* MakeObjectiveMenu() { return new CObjectiveMenu; }

bool CObjectiveMenu::Create() {
  ResetMapView();
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(kObjectiveRows)) {
    FreeMenu();
    return false;
  }
  for (int i = 0; i < kObjectiveRows; ++i) Menu->AddItem(new CMenuItem);
  Menu->Clear();
  return true;
}

MissionObjective* CObjectiveMenu::ObjectiveOfValue(std::uint32_t value) {
  if (value == 0 || g_Mission == nullptr) return nullptr;
  return g_Mission->FindObjective(static_cast<std::int32_t>(value - 1));
}

MissionObjective* CObjectiveMenu::SelectedObjective() const {
  if (Menu == nullptr) return nullptr;
  const CMenuItem* item = Menu->SelectedItem();
  return item != nullptr ? ObjectiveOfValue(item->Value) : nullptr;
}

void CObjectiveMenu::Populate() {
  if (Menu == nullptr) return;
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const float w = static_cast<float>(ScreenWidth()), h = static_cast<float>(ScreenHeight());
  Menu->Reset();
  Menu->SetLayout(1, 1);
  Menu->SetRect(0, 0, ScreenWidth(), ScreenHeight());
  Menu->SetState(MENU_STATE_ACTIVE);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(nullptr, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  Menu->SoundBank = InterfaceSoundBank();
  Menu->MoveSound = kPageTurnSound;
  Menu->SetItemHeight(GetMenuItemHeight());
  Menu->Owner = this;

  const float mh = std::max(static_cast<float>(Int16(340.0f * sy)), ObjectiveMapView.mapHeight);
  const float pw = static_cast<float>(Int16(static_cast<float>(static_cast<int>(620.0f * sx + 0.5f))));
  PanelLeft = (w - pw) * 0.5f;
  PanelRight = pw + PanelLeft;
  const float header =
      g_LargeFont != nullptr ? static_cast<float>(g_LargeFont->GetMaxGlyphBottom() + g_LargeFont->GetBaselineOffset()) * sy
                             : 0.0f;
  PanelTop = (h - (header + 10.0f * sy + mh)) * 0.5f;
  PanelBottom = header + 10.0f * sy + PanelTop + mh;
  LayoutPanel(true);

  Menu->SetItemWidth(static_cast<int>(2.0f * (20.0f * sx) + (TextRight - TextLeft)));
  Menu->SetRect(static_cast<int>(TextLeft - 20.0f * sx), static_cast<int>(TextTop - 30.0f * sy),
                static_cast<int>(TextRight - TextLeft + 40.0f * sx), static_cast<int>(TextBottom - TextTop + 60.0f * sy));
  TextTop += 10.0f * sy + static_cast<float>(Menu->ItemHeight);

  if (g_Mission == nullptr) return;
  int rows = 0, firstOpen = -1;
  for (MissionObjective* o = g_Mission->FirstObjective(); o != nullptr && rows < kObjectiveRows; o = o->Next) {
    if ((o->Status() & OBJECTIVE_SHOWN) == 0) continue;
    const bool done = (o->Status() & OBJECTIVE_COMPLETED) != 0;
    CMenuItem* item = Menu->Items[rows];
    const std::uint16_t flags = done ? (MENU_ITEM_NO_BOX | MENU_ITEM_CENTRED | MENU_ITEM_DISABLED)
                                     : (MENU_ITEM_NO_BOX | MENU_ITEM_CENTRED);
    item->Set(static_cast<std::uint16_t>(kObjectiveRowFirstId + rows), static_cast<std::uint32_t>(o->GetTarget(0)),
              flags, 0, static_cast<std::uint32_t>(o->Number()) + 1, DrawObjectiveRow, ObjectiveRowHitCheck);
    Menu->OnItemAdded(item);
    if (!done && firstOpen < 0) firstOpen = rows;
    ++rows;
  }
  if (firstOpen >= 0) {
    Menu->SelectedId = static_cast<std::uint16_t>(kObjectiveRowFirstId + firstOpen);
    Menu->Selection = static_cast<std::int16_t>(firstOpen);
  }
}

void CObjectiveMenu::OnEnter() {
  if (!MPIsNetworkGame()) SetGamePaused(1, 6);
  ComputeMapScale();
  Populate();
  ObjectiveTextPage = 0;
  SetObjectiveDetail(0);
  EnableKeyMap(0);
}

void CObjectiveMenu::OnLeave(int /*nextId*/) {
  if (!MPIsNetworkGame()) SetGamePaused(0, 0);
  EnableKeyMap(1);
}

int CObjectiveMenu::Update() {
  if (!DetailMode() && Menu != nullptr) Menu->Process();
  UpdateMarkerCycling();
  return SCREEN_RESULT_STAY;
}

std::uint32_t CObjectiveMenu::GetLeftHintTextId() { return DetailMode() ? 0 : kTextObjectivesLeftHint; }

std::uint32_t CObjectiveMenu::GetRightHintTextId() {
  return DetailMode() ? g_MenuScreenDefaults.rightHint : kTextObjectivesRightHint;
}

bool CObjectiveMenu::PreviousTextPage() {
  if (ObjectiveTextPage == 0) return false;
  --ObjectiveTextPage;
  if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kPageTurnSound);
  return true;
}

bool CObjectiveMenu::NextTextPage() {
  if (!DrawTextPages(static_cast<int>(TextLeft), static_cast<int>(TextTop), static_cast<int>(TextRight),
                     static_cast<int>(TextBottom), ObjectiveTextPage, false))
    return false;
  ++ObjectiveTextPage;
  if (g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kPageTurnSound);
  return true;
}

const char* CObjectiveMenu::GetParagraphText(int n) {
  const MissionObjective* o = SelectedObjective();
  if (o == nullptr || n < 0 || n + 1 >= kObjectiveTargets) return nullptr;
  const std::int32_t id = o->GetTarget(n + 1);
  return id == -1 ? nullptr : CMenu::TextOf(static_cast<std::uint32_t>(id));
}

bool CObjectiveMenu::StepSelectedObjectiveMarker(bool next, CVector3* marker) {
  MissionObjective* o = SelectedObjective();
  if (o == nullptr) return false;
  if ((next ? o->NextMarker() : o->PreviousMarker()) == 0) return false;
  o->GetCurrentMarker(marker);
  return true;
}

void CObjectiveMenu::CentreOnSelectedObjective() const {
  CVector3 p{};
  const MissionObjective* o = SelectedObjective();
  if (o != nullptr) o->GetCurrentMarker(&p);
  if (Empty(p)) {
    p = CVector3{};
    if (g_playerSoldier == nullptr)
      NotBuiltYet("objectives screen: the position of the player's soldier");
    else if (!g_playerSoldier(&p))
      p = CVector3{};
  }
  CentreMapOn(p);
}

void CObjectiveMenu::DrawObjectiveRow(std::uint16_t id, int x, int y, int /*menuWidth*/, int /*menuHeight*/,
                                      std::uint16_t /*flags*/, void* owner) {
  if (owner != nullptr) static_cast<CObjectiveMenu*>(owner)->DrawRow(id, x, y);
}

void CObjectiveMenu::DrawRow(std::uint16_t id, int x, int y) {
  CMenuItem* item = Menu != nullptr ? Menu->FindItem(id) : nullptr;
  if (item == nullptr) return;
  const MissionObjective* o = ObjectiveOfValue(item->Value);
  if (o == nullptr || (o->Status() & OBJECTIVE_SHOWN) == 0) return;
  const bool done = (o->Status() & OBJECTIVE_COMPLETED) != 0;
  const float itemWidth = static_cast<float>(Menu->ItemWidth);
  const float tickWidth = g_InterfaceSprites != nullptr ? g_InterfaceSprites->GetScaledWidth(kObjectiveTick) : 0.0f;
  if (DetailMode()) {
    if (RecentrePending) {
      RecentrePending = false;
      CentreOnSelectedObjective();
    }
    if (id != Menu->SelectedId) return;
    const float top = static_cast<float>(Menu->Y);
    DrawItemBackground(static_cast<float>(x), top, itemWidth, 1, 0);
    if (o->GetTarget(0) != -1)
      DrawItemText(item, ScreenRect{static_cast<float>(x), top, x + itemWidth, top + Menu->ItemHeight}, Menu->Font,
                   1);
    if (done && g_InterfaceSprites != nullptr)
      g_InterfaceSprites->Draw(kObjectiveTick, static_cast<int>(x + itemWidth - tickWidth), static_cast<int>(top));
    DrawTextFrame();
    const bool more = DrawTextPages(static_cast<int>(TextLeft), static_cast<int>(TextTop), static_cast<int>(TextRight),
                                    static_cast<int>(TextBottom), ObjectiveTextPage, true);
    DrawPageArrows(ObjectiveTextPage > 0, more);
    return;
  }
  RecentrePending = true;
  const int highlighted = id == Menu->SelectedId ? 1 : 0;
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), itemWidth, highlighted, 0);
  if (o->GetTarget(0) != -1)
    DrawItemText(item, ScreenRect{static_cast<float>(x), static_cast<float>(y), x + itemWidth,
                                  static_cast<float>(y + Menu->ItemHeight)},
                 Menu->Font, highlighted);
  if (done && g_InterfaceSprites != nullptr)
    g_InterfaceSprites->Draw(kObjectiveTick, static_cast<int>(x + itemWidth - tickWidth), y);
}

int CObjectiveMenu::ObjectiveRowHitCheck(CMenu* menu, std::uint16_t id) {
  if (menu == nullptr || g_Input == nullptr) return 0;
  const int mx = g_Input->GetCursorX(), my = g_Input->GetCursorY();
  int top = menu->Y;
  if (DetailMode()) {
    if (id != menu->SelectedId) return 0;
  } else {
    top += (id - kObjectiveRowFirstId) * menu->PitchY;
  }
  return mx >= menu->X && mx <= menu->X + menu->ItemWidth && my >= top && my <= top + menu->ItemHeight ? 1 : 0;
}

void CObjectiveMenu::DrawObjectiveMarker() const {
  const MissionObjective* o = SelectedObjective();
  if (o == nullptr) return;
  CVector3 p{};
  o->GetCurrentMarker(&p);
  if (Empty(p)) return;
  CVector3 m{};
  if (WorldToMap(p, false, &m) && IsOnVisibleMap(m)) DrawMapSprite(kMarkerObjective, m.x, m.z, 1.0f, 0.0f);
}

void CObjectiveMenu::Draw() {
  DrawQuad2D(0, 0, ScreenWidth(), ScreenHeight(), 0, 0, 0, 127, 1, 0);
  DrawPanelFrame(6, 0);
  if (Menu != nullptr) Menu->Draw();
  DrawMap();
  DrawObjectiveMarker();
  DrawUnitMarkers();
  DrawTitle(kTextObjectivesTitle, 1);
}
