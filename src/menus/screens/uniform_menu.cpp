#include "menus/screens/uniform_menu.h"

#include <algorithm>

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "control/viewport_config.h"
#include "foundation/system/command_switches.h"
#include "foundation/text/locale_table.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_choice_item.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "shell/level/loading_screens.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"

namespace {

constexpr std::uint16_t kChoiceRow = 2081;
// The title sheet's cells of each uniform: (first, second).
constexpr int kUniformCells[2][2] = {{11, 12}, {2, 3}};
constexpr std::uint32_t kFadeMs = 250;

float CellHeight(int cell) {
  CSpriteRender* sheet = LoadingLogo();
  return sheet != nullptr ? sheet->GetScaledHeight(cell) : 0.0f;
}

float CellWidth(int cell) {
  CSpriteRender* sheet = LoadingLogo();
  return sheet != nullptr ? sheet->GetScaledWidth(cell) : 0.0f;
}

// The large interface font's top offset of the picture.
float FontTop() {
  const CFont* font = g_LargeFont;
  return font != nullptr ? static_cast<float>(font->GetMaxGlyphBottom() + font->GetBaselineOffset()) : 0.0f;
}

}  // namespace

bool CUniformMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(1)) return false;
  choice_ = new CMenuChoiceItem;
  return Menu->AddItem(choice_);
}

void CUniformMenu::Populate() {
  StandardListSetUp(this, nullptr, true);
  choice_->Set(kChoiceRow, kMenuNoText, kRowFlags, 0, 0, ChoiceItemCallback, nullptr);
  choice_->SetChoices(kTextUniform0, kTextUniform1);
  choice_->Current = static_cast<std::uint8_t>(UniformChoice != 0 ? 1 : 0);
  Menu->OnItemAdded(choice_);
  const float tallest = std::max({CellHeight(11), CellHeight(2), CellHeight(12), CellHeight(3)});
  const PlaceExtra extra{0.0f, static_cast<float>(static_cast<int>(10.0f * InterfaceScaleY() + tallest)), 0.0f, 0.0f};
  PlaceMenu(kTextUniformTitle, 0, &extra, 32767);
  SetStandardArrowBoxes(this);
}

void CUniformMenu::OnEnter() {
  UniformChoice = 0;
  Populate();
  FadeStart = 0;
  ShownUniform = UniformChoice;
}

void CUniformMenu::ComputePictureBox() {
  const float sy = InterfaceScaleY();
  const float width = CellWidth(12) + CellWidth(11);
  box_.x1 = PanelLeft + (PanelRight - PanelLeft) * 0.5f - width * 0.5f;
  box_.x2 = box_.x1 + width;
  box_.y1 = FontTop() * sy + 10.0f * sy + PanelTop;
  box_.y2 = box_.y1 + CellHeight(12);
}

int CUniformMenu::Update() {
  if (IsCommandSwitchSet('u') != 0) {
    MissionRecordReset();
    MissionRecordResetCampaign();
    EnableKeyMap(1);
    return SCREEN_RESULT_LEVEL_CHANGE;
  }
  if (Menu->Process() == kChoiceRow) {
    UniformChoice = choice_->Current;
    if (UniformChoice != ShownUniform) FadeStart = GameNowMs();
  }
  ComputePictureBox();
  bool start = AcceptPressed(0) != 0;
  if (!start && g_Input != nullptr && g_Input->WasMouseButtonPressed(0)) {
    const float x = static_cast<float>(g_Input->GetCursorX()), y = static_cast<float>(g_Input->GetCursorY());
    start = x >= box_.x1 && x <= box_.x2 && y >= box_.y1 && y <= box_.y2;
  }
  if (!start) {
    if (BackPressed(0) != 0) SetScreen(5);
    return SCREEN_RESULT_STAY;
  }
  if (g_ViewportConfig.SplitScreen != 0 && g_ViewportConfig.NoEnemies == 0 &&
      (g_ViewportConfig.ViewCount == 3 || g_ViewportConfig.ViewCount == 4))
    SetPendingLevelName("mission3.dll");
  MissionRecordReset();
  MissionRecordResetCampaign();
  EnableKeyMap(1);
  if ((g_Locale == nullptr || g_Locale->OverrideWord == 0) && g_SoundManager != nullptr)
    g_SoundManager->SetVoiceSet(UniformChoice == 1 ? 6 : 0);
  if (BackPressed(0) != 0) SetScreen(5);
  return SCREEN_RESULT_LEVEL_CHANGE;
}

void CUniformMenu::Draw() {
  DrawPanelFrame(6, 0);
  DrawTitle(kTextUniformTitle, 1);
  Menu->Draw();
  CSpriteRender* sheet = LoadingLogo();
  if (FadeStart != 0) {
    const std::uint32_t a = (GameNowMs() - FadeStart) * 255 / kFadeMs;
    int alpha;
    if (ShownUniform == UniformChoice) {
      alpha = static_cast<int>(a & 0xFF);
      if (a > 255) {
        FadeStart = 0;
        alpha = 255;
      }
    } else {
      alpha = 255 - static_cast<int>(a % 256);
      if (a > 255) {
        alpha = 0;
        FadeStart = GameNowMs();
        ShownUniform = UniformChoice;
      }
    }
    if (sheet != nullptr) sheet->SetAlpha(alpha);
  }
  if (sheet == nullptr || g_Render == nullptr) return;
  const DWORD bilinear = g_Render->SetBilinearFilter(1);
  const float sy = InterfaceScaleY();
  const int x = static_cast<int>(PanelLeft + (PanelRight - PanelLeft) * 0.5f);
  const int y = static_cast<int>(FontTop() * sy + 10.0f * sy + PanelTop);
  const int* cells = kUniformCells[ShownUniform == 1 ? 1 : 0];
  // The two halves meet at the panel's centre line.
  sheet->Draw(cells[0], x, y);
  sheet->Draw(cells[1], x - 1 - static_cast<int>(CellWidth(cells[1])), y);
  g_Render->SetBilinearFilter(bilinear);
  sheet->SetAlpha(255);
}
