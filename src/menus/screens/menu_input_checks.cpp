#include "menus/screens/menu_input_checks.h"

#include "control/bindings/input_action.h"
#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "menus/screens/objective_view_screen.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "net/mp_layer.h"

namespace {

enum RepeatByte { REPEAT_UP = 0, REPEAT_DOWN = 1, REPEAT_LEFT = 2, REPEAT_RIGHT = 3 };

int g_objectiveDetail = 0;

bool Down(const CLocalPlayer* p, int action) { return (p->GetActionState(action) & ACTION_STATE_DOWN) != 0; }
bool WentDown(const CLocalPlayer* p, int action) { return (p->GetActionState(action) & ACTION_STATE_PRESSED) != 0; }

// The movement actions count as menu directions except on the screens that
// type text or list sessions with them.
bool MovementSteers() { return ScreenId != 10 && ScreenId != 50 && ScreenId != 58; }

// The auto-repeat of one direction of one player: at once, after 349 ms,
// then every 125 ms while held.
int Repeat(CLocalPlayer* p, int byte, bool down) {
  if (!down) {
    p->menuRepeat[byte] = 0;
    return 0;
  }
  const std::uint32_t now = RealNowMs();
  if (p->menuRepeat[byte] == 0) {
    p->menuRepeat[byte] = 1;
    p->menuRepeatTime = now + kMenuFirstRepeatMs;
    return 1;
  }
  if (static_cast<std::int32_t>(now - p->menuRepeatTime) <= 0) return 0;
  p->menuRepeatTime = now + kMenuRepeatMs;
  return 1;
}

bool AnyPlayerWentDown(int action) {
  for (int i = 0; i < g_LocalPlayers.Count(); ++i)
    if (const CLocalPlayer* p = g_LocalPlayers.Get(i); p != nullptr && WentDown(p, action)) return true;
  return false;
}

int Direction(std::uint32_t player, int byte, int menuAction, int turnAction, int moveAction) {
  CLocalPlayer* p = g_LocalPlayers.Get(static_cast<int>(player));
  if (p == nullptr) return 0;
  const bool down = Down(p, menuAction) || (turnAction >= 0 && Down(p, turnAction)) ||
                    (MovementSteers() && Down(p, moveAction));
  return Repeat(p, byte, down);
}

}  // namespace

int BackPressed(std::uint32_t) {
  if (MPIsNetworkGame() && g_Input != nullptr && g_Input->IsMouseButtonDown(1) &&
      (ScreenId == 42 || ScreenId == 55 || ScreenId == 58))
    return 0;
  if (!AnyPlayerWentDown(MENU_BACK)) return 0;
  SetTransitionBackward();
  return 1;
}

int AcceptPressed(std::uint32_t) { return AnyPlayerWentDown(MENU_FORWARD) ? 1 : 0; }

int AcceptPressedInMenu(std::uint32_t word) { return AcceptPressed(word); }

int UpPressed(std::uint32_t player) { return Direction(player, REPEAT_UP, MENU_UP, -1, FORWARD); }
int DownPressed(std::uint32_t player) { return Direction(player, REPEAT_DOWN, MENU_DOWN, -1, BACKWARD); }
int LeftPressed(std::uint32_t player) { return Direction(player, REPEAT_LEFT, MENU_LEFT, TURN_LEFT, STRAFE_LEFT); }
int RightPressed(std::uint32_t player) {
  return Direction(player, REPEAT_RIGHT, MENU_RIGHT, TURN_RIGHT, STRAFE_RIGHT);
}

int InventoryUpPressed(std::uint32_t player) {
  CLocalPlayer* p = g_LocalPlayers.Get(static_cast<int>(player));
  if (p == nullptr) return 0;
  const int wheel = g_Input != nullptr ? g_Input->GetMouseWheel() : 0;
  return Repeat(p, REPEAT_UP, Down(p, INVENTORY_UP) || wheel >= 1);
}

int InventoryDownPressed(std::uint32_t player) {
  CLocalPlayer* p = g_LocalPlayers.Get(static_cast<int>(player));
  if (p == nullptr) return 0;
  const int wheel = g_Input != nullptr ? g_Input->GetMouseWheel() : 0;
  return Repeat(p, REPEAT_DOWN, Down(p, INVENTORY_DOWN) || wheel < 0);
}

int ObjectiveDetailActive() { return g_objectiveDetail != 0 ? 1 : 0; }
void SetObjectiveDetail(int on) { g_objectiveDetail = on; }

void ClearObjectiveTextPage() { ObjectiveTextPage = 0; }

int SubtitlesEnabled() { return 1; }
