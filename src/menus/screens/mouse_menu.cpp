#include "menus/screens/mouse_menu.h"

#include <cmath>

#include "control/players/local_player_table.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/options_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/settings_rows.h"

namespace {

constexpr int kSliderMax = 100;
constexpr float kDefaultDivisor = 200.0f;

}  // namespace

// Rounded, so that a divisor set from a position shows that position again.
int MouseDivisorToSlider(float divisor) {
  return static_cast<int>(std::lround((1.0 - (divisor - 100.0) * 0.005) * 100.0));
}

float SliderToMouseDivisor(int value) { return (1.0f - static_cast<float>(value) / 100.0f) * 200.0f + 100.0f; }

bool CMouseMenu::Create() {
  const SettingsRowKind kinds[] = {SETTINGS_SLIDER, SETTINGS_SLIDER, SETTINGS_CHOICE, SETTINGS_CHOICE};
  return MakeSettingsItems(this, kinds, 4);
}

void CMouseMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, true);
  const CLocalPlayer* player = g_LocalPlayers.Get(0);
  const float xDivisor = player != nullptr ? player->mouseXDivisor : kDefaultDivisor;
  const float yDivisor = player != nullptr ? player->mouseYDivisor : kDefaultDivisor;
  AddSliderRow(this, 0, kSpeedXRow, kTextMouseSpeedX, kSliderMax, MouseDivisorToSlider(xDivisor));
  AddSliderRow(this, 1, kSpeedYRow, kTextMouseSpeedY, kSliderMax, MouseDivisorToSlider(yDivisor));
  AddOffOnRow(this, 2, kInvertRow, kMenuNoText, kTextInvertMouse, player != nullptr ? player->invertMouse : 0);
  AddOffOnRow(this, 3, kSquaredRow, kMenuNoText, kTextSquaredMouse,
              player != nullptr ? player->mouseSquaredResponse : 1);
  PlaceMenu(kTextMouseRow, 0, nullptr, 32767);
  Menu->SelectFirstEnabled();
  SetStandardArrowBoxes(this);
}

int CMouseMenu::Update() {
  const std::uint16_t id = Menu->Process();
  CLocalPlayer* player = g_LocalPlayers.Get(0);
  if (player != nullptr) {
    switch (id) {
      case kSpeedXRow: player->mouseXDivisor = SliderToMouseDivisor(RowValue(this, id)); break;
      case kSpeedYRow: player->mouseYDivisor = SliderToMouseDivisor(RowValue(this, id)); break;
      case kInvertRow: player->invertMouse = RowValue(this, id) > 0 ? 1 : 0; break;
      case kSquaredRow: player->mouseSquaredResponse = RowValue(this, id) > 0 ? 1 : 0; break;
      default: break;
    }
  }
  if (BackPressed(0) != 0) SetScreen(31);
  return 0;
}

void CMouseMenu::Draw() { DrawSettingsScreen(this, kTextMouseRow); }
