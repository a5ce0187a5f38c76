#include "menus/screens/mission_list_menu.h"

#include "control/keymap/key_map.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/single_player_menu.h"
#include "menus/widgets/screen_menu.h"
#include "render/2d/font.h"
#include "shell/program/shell_state.h"

namespace {

constexpr std::uint16_t kFirstRow = 4101;
constexpr std::uint32_t kTitle = 0x90F21D08;

const char* const kLevelPlugins[19] = {
    "Training1.dll", "Training2.dll", "Training3.dll", "Mission1.dll",   "Mission2.dll",
    "Mission3.dll",  "Mission4.dll",  "Mission5A.dll", "Mission5B.dll",  "Mission6.dll",
    "Mission7.dll",  "Mission8.dll",  "Mission9.dll",  "Mission10.dll",  "Mission11A.dll",
    "Mission11B.dll", "Mission12A.dll", "Mission12B.dll", "Outro.dll"};

// A row: the highlight bar under the selected one, the mission's name.
void DrawMissionRow(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  auto* screen = static_cast<CMenuScreen*>(owner);
  CScreenMenu* menu = screen != nullptr ? screen->Menu : nullptr;
  if (menu == nullptr || menu->Font == nullptr) return;
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  std::uint32_t colour = menu->TextColour;
  if (id == menu->SelectedId) {
    DrawBarD(static_cast<float>(x), static_cast<float>(y),
             static_cast<float>(x) + static_cast<float>(menu->ItemWidth) - 2.0f * 40.0f * sx);
    colour = menu->HighlightColour;
  }
  const int row = id - kFirstRow;
  if (row < 0 || row >= kMissionListRows) return;
  const char* name = CMenu::TextOf(kMissionList[row].nameId);
  if (name == nullptr) return;
  menu->Font->SetColour(colour);
  menu->Font->DrawString(name, x + static_cast<int>(40.0f * sx), y + static_cast<int>(18.0f * sy + 0.5f), 0);
}

}  // namespace

const MissionListRow kMissionList[kMissionListRows] = {
    {3, 0, 0xA90BE3A7},  {4, 1, 0xD01FBB72},  {5, 2, 0x81F82BEB},  {6, 3, 0xEC959718},
    {7, 4, 0xBD720781},  {9, 6, 0xC4665F54},  {10, 7, 0x9581CFCD}, {11, 8, 0x72D0812D},
    {12, 9, 0x233711B4}, {13, 10, 0xBCE4C9B0}, {14, 11, 0xED035929}, {16, 12, 0x941701FC},
};

const char* LevelPluginName(int index) { return index >= 0 && index < 19 ? kLevelPlugins[index] : nullptr; }

bool CMissionListMenu::Create() { return MakePlainItems(this, kMissionListRows); }

void CMissionListMenu::Populate() {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  StandardListSetUp(this, AcceptPressed, false);
  Menu->ArrowCell = 14;
  Menu->SideArrows = 1;
  Menu->AlwaysArrows = 1;
  Menu->SetItemWidth(static_cast<int>(static_cast<std::int16_t>(static_cast<int>(620.0f * sx + 0.5f)) - 160.0f * sx));
  Menu->SetItemHeight(static_cast<int>(sy * 20.0f + 0.5f));
  Menu->Wrap = 0;
  for (int i = 0; i < kMissionListRows; ++i) {
    CMenuItem* item = Menu->Items[i];
    item->Set(static_cast<std::uint16_t>(kFirstRow + i), kMenuNoText, 0, 0, static_cast<std::uint32_t>(i),
              DrawMissionRow, nullptr);
    Menu->OnItemAdded(item);
  }
  const PlaceExtra extra{static_cast<float>(static_cast<int>(80.0f * sx)), static_cast<float>(static_cast<int>(60.0f * sy)),
                         static_cast<float>(static_cast<int>(GetSmallMenuItemHeight() * 0.25f + 80.0f * sx)),
                         static_cast<float>(static_cast<int>(60.0f * sy))};
  PlaceMenu(kTitle, 0, &extra, 8);
}

int CMissionListMenu::Update() {
  int result = 0;
  const std::uint16_t id = Menu->Process();
  if (id >= kFirstRow && id < kFirstRow + kMissionListRows) {
    const std::uint32_t row = Menu->GetItemValue(id);
    if (row < kMissionListRows) {
      SetPendingLevelName(LevelPluginName(kMissionList[row].plugin));
      DirectStart = 1;
      MissionRecordReset();
      EnableKeyMap(1);
      result = SCREEN_RESULT_LEVEL_CHANGE;
    }
  }
  if (BackPressed(0) != 0) SetScreen(7);
  return result;
}

void CMissionListMenu::Draw() {
  DrawPanelFrame(6, 0);
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const float t = GetTitleHeight(PanelRight - PanelLeft);
  DrawFrameB(PanelLeft, PanelTop + t, PanelRight, PanelBottom);
  DrawFrameF(PanelLeft + 40.0f * sx, PanelTop + t + 30.0f * sy, PanelRight - 40.0f * sx, PanelBottom - 30.0f * sy, 1);
  Menu->Draw();
  DrawTitle(kTitle, 1);
}
