#include "menus/screens/mission_menu.h"

#include <algorithm>
#include <cstdio>

#include "control/input/input.h"
#include "control/player_camera.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "menus/records/review_soldier.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/screen_menu.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"

namespace {

constexpr int kStepSound = 20;
// The mission whose review starts the next level at once.
constexpr std::int32_t kDirectNextMission = 14;

int Int16(float v) { return static_cast<std::int16_t>(static_cast<int>(v)); }
float Reference() { return static_cast<float>(std::max(ScreenWidth(), 800)); }

bool Inside(const float box[4], float x, float y) { return box[0] < x && x < box[1] && box[2] < y && y < box[3]; }

bool ClickedIn(const float box[4]) {
  if (g_Input == nullptr || !g_Input->WasMouseButtonPressed(0)) return false;
  return Inside(box, static_cast<float>(g_Input->GetCursorX()), static_cast<float>(g_Input->GetCursorY()));
}

// The soldier's name as the bar shows it.
char g_nameText[128];

}  // namespace

bool CMissionMenu::Create() {
  Menu = new CScreenMenu(g_LargeFont, g_InterfaceSprites, 1);
  return Menu != nullptr;
}

void CMissionMenu::Populate() {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const float m = Reference();
  Menu->Reset();
  Menu->SetLayout(0, 1);
  Menu->SetItemSprites(-1, -1);
  Menu->SetRect(static_cast<int>(static_cast<int>(m * 435.0f / 800.0f) * sx),
                static_cast<int>(static_cast<int>(m * 500.0f / 800.0f) * sy), static_cast<int>(sx * 600.0f),
                static_cast<int>(sy * 44.0f));
  Menu->SetState(1);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(AcceptPressed, LeftPressed, RightPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  Menu->SetItemWidth(static_cast<int>(sx * 160.0f));
  Menu->SetItemHeight(GetMenuItemHeight());
  Menu->SoundBank = InterfaceSoundBank();
  Menu->MoveSound = kStepSound;
  Menu->Owner = this;
}

void CMissionMenu::OnEnter() {
  for (CPlayerCamera* camera : g_PlayerCameras)
    if (camera != nullptr) camera->SetOptionWord(0);
  Menu->SetState(Menu->KeepActive);
  Populate();
}

void CMissionMenu::StepSoldier(bool backwards) {
  CReviewSoldierAccess& squad = ReviewSoldiers();
  CHLOGrunt* before = squad.PlayerSoldier();
  CHLOGrunt* next = nullptr;
  if (before != nullptr) {
    // The same soldier when no other member lives.
    next = squad.StepSquad(before, backwards);
    if (next == nullptr) next = before;
  } else {
    next = squad.FirstActiveSoldier();
  }
  if (next == nullptr) return;
  squad.AttachPlayer(next);
  if (next != before && g_SoundManager != nullptr) g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kStepSound);
}

int CMissionMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    SetScreen(14);
    SetPendingLevelName(MissionRecordNextLevel());
    MissionRecordReset();
    return SCREEN_RESULT_LEVEL_CHANGE;
  }
  if (RightPressed(0) != 0 || ClickedIn(rightArrow_)) StepSoldier(false);
  if (LeftPressed(0) != 0 || ClickedIn(leftArrow_)) StepSoldier(true);
  statistics_.Update();
  if (BackPressed(0) != 0) {
    NotBuiltYet("review: the mission message text boxes cleared on leaving");
    if (MissionRecordId() == kDirectNextMission) {
      SetScreen(14);
      SetPendingLevelName(MissionRecordNextLevel());
      MissionRecordReset();
      return SCREEN_RESULT_LEVEL_CHANGE;
    }
    SetScreen(19);
    return 0;
  }
  return 0;
}

void CMissionMenu::Draw() {
  statistics_.Draw();
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const float m = Reference();
  DrawNameBar(static_cast<int>(static_cast<int>(m * 58.0f / 800.0f) * sx),
              static_cast<int>(static_cast<int>(m * 44.0f / 800.0f) * sy));
  Menu->Draw();
}

void CMissionMenu::DrawNameBar(int x, int y) {
  const float sx = InterfaceScaleX();
  const float m = Reference();
  const int bw = Int16(static_cast<float>(static_cast<int>(m * 686.0f / 800.0f)) * sx);
  const int h = Int16(static_cast<float>(GetMenuItemHeight()));
  DrawItemBackground(static_cast<float>(x), static_cast<float>(y), static_cast<float>(bw), 1, 0);
  for (float* box : {leftArrow_, rightArrow_}) box[0] = box[1] = box[2] = box[3] = 0.0f;
  CReviewSoldierAccess& squad = ReviewSoldiers();
  CHLOGrunt* soldier = squad.PlayerSoldier();
  if (soldier == nullptr) return;
  const char *first = "", *second = "";
  squad.GetNames(soldier, &first, &second);
  std::snprintf(g_nameText, sizeof g_nameText, "%s %s", first, second);
  const float centreX = static_cast<float>(x) + static_cast<float>(bw) / 2.0f;
  const float centreY = static_cast<float>(y) + static_cast<float>(h) / 2.0f;
  if (CFont* font = g_LargeFont) {
    int width = 0, height = 0;
    font->MeasureStringExtent(g_nameText, &width, &height);
    font->SetColour(0xFFFFFFFF);
    const int textX = static_cast<int>(centreX) - width / 2;
    font->DrawString(g_nameText, textX, static_cast<int>(centreY) - height / 2, 0);
    const int badge = squad.GetRankBadgeCell(soldier);
    if (badge >= 0 && g_InterfaceSprites != nullptr) {
      // The badge on both sides of the name, half the gap away from it.
      const int gap = static_cast<int>(25.0f * sx) / 2;
      const int bwCell = static_cast<int>(g_InterfaceSprites->GetScaledWidth(badge));
      const int bhCell = static_cast<int>(g_InterfaceSprites->GetScaledHeight(badge));
      g_InterfaceSprites->Draw(badge, textX - gap - bwCell, static_cast<int>(centreY) - bhCell / 2);
      g_InterfaceSprites->Draw(badge, textX + width + gap, static_cast<int>(centreY) - bhCell / 2);
    }
  }
  if (g_InterfaceSprites == nullptr) return;
  const float halfH = g_InterfaceSprites->GetScaledHeight(0) * 0.5f, halfW = g_InterfaceSprites->GetScaledWidth(0) * 0.5f;
  const auto place = [&](float* box, float ax, int code) {
    box[0] = ax - halfH;
    box[1] = ax + halfH;
    box[2] = centreY - halfW;
    box[3] = centreY + halfW;
    DrawArrow(ax, centreY, code);
  };
  if (squad.StepSquad(soldier, true) != nullptr) place(leftArrow_, centreX - static_cast<float>(static_cast<int>(325.0f * sx)), 3);
  if (squad.StepSquad(soldier, false) != nullptr) place(rightArrow_, centreX + static_cast<float>(static_cast<int>(325.0f * sx)), 1);
}
