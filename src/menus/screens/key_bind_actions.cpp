#include "menus/screens/key_bind_actions.h"

#include "control/bindings/input_action.h"
#include "control/input/input.h"

namespace {

constexpr std::uint32_t kKeys = WAIT_KEYBOARD;
constexpr std::uint32_t kKeysPad = WAIT_KEYBOARD | WAIT_JOYSTICK;
constexpr std::uint32_t kAll = WAIT_KEYBOARD | WAIT_JOYSTICK | WAIT_MOUSE;

// Key codes of the screen's own keys.
constexpr int kKeyEscape = 1;
constexpr int kKeyTab = 15;
constexpr int kKeyF1 = 59;
constexpr int kKeyUp = 328;
constexpr int kKeyLeft = 331;
constexpr int kKeyRight = 333;
constexpr int kKeyDown = 336;

}  // namespace

const BindableAction kBindableActions[kBindableActionCount + 1] = {
    {FORWARD, 0, 0xD09CB3A8, kNoAction, 1, kKeysPad},
    {BACKWARD, 0, 0x6A952543, kNoAction, 1, kKeysPad},
    {TURN_LEFT, 0, 0x8DB9DFB1, kNoAction, 2, kKeysPad},
    {TURN_RIGHT, 0, 0x2268D45F, kNoAction, 2, kKeysPad},
    {STRAFE_LEFT, 0, 0xA53A09C2, kNoAction, 3, kKeysPad},
    {STRAFE_RIGHT, 0, 0xA1BEA700, kNoAction, 3, kKeysPad},
    {WALK, 0, 0x3E05983F, kNoAction, 0, kKeys},
    {STANCE, 0, 0x09947817, kNoAction, 0, kAll},
    {FIRE, 1, 0x0F0AED7A, kNoAction, 0, kAll},
    {ACTION, 1, 0xDD18E3F6, kNoAction, 0, kAll},
    {HEAD_TOGGLE, 1, 0xB0BC00E4, kNoAction, 0, kAll},
    {INVENTORY, 1, 0xF92AB4C8, kNoAction, 0, kAll},
    {INVENTORY_UP, 1, 0x41357D1A, INVENTORY, 0, kKeysPad},
    {INVENTORY_DOWN, 1, 0x242B633F, INVENTORY, 0, kKeysPad},
    {INVENTORY_USE, 1, 0x29FD45C7, INVENTORY, 0, kAll},
    {GIVE_TAKE_WEAPON_AMMO, 1, 0x947C9E66, INVENTORY, 0, kKeysPad},
    {GIVE_TAKE_AMMO, 1, 0x9A0037A1, INVENTORY, 0, kKeysPad},
    {GRUNT_1, 2, 0x392675D4, kNoAction, 0, kKeysPad},
    {GRUNT_2, 2, 0x39267562, kNoAction, 0, kKeysPad},
    {GRUNT_3, 2, 0x392675B9, kNoAction, 0, kKeysPad},
    {GRUNT_4, 2, 0x39267539, kNoAction, 0, kKeysPad},
    {ORDER, 2, 0xC8DF2C1E, kNoAction, 0, kAll},
    {ORDER_UP, 2, 0xB4FED974, ORDER, 4, kKeysPad},
    {ORDER_DOWN, 2, 0x9EC1F311, ORDER, 4, kKeysPad},
    {ORDER_ADVANCE, 2, 0x84AEC20A, ORDER, 0, kAll},
    {ORDER_ALL_FOLLOW_TOGGLE, 2, 0x5835A232, ORDER, 0, kAll},
    {ORDER_ALL_PRONE, 2, 0x8F6230F6, ORDER, 0, kAll},
    {GRUNT_FOLLOW_HALT_1, 2, 0x1780833B, ORDER, 0, kKeysPad},
    {GRUNT_FOLLOW_HALT_2, 2, 0xE5536D88, ORDER, 0, kKeysPad},
    {GRUNT_FOLLOW_HALT_3, 2, 0xB9CE26AA, ORDER, 0, kKeysPad},
    {GRUNT_FOLLOW_HALT_4, 2, 0x1C3A9AD1, ORDER, 0, kKeysPad},
    {GO, 2, 0x983E28AA, kNoAction, 0, kAll},
    {SEND_GLOBAL_MSG, 3, 0x6C37751E, kNoAction, 0, kKeys},
    {SEND_TEAM_MSG, 3, 0x6EFD9992, kNoAction, 0, kKeys},
    {kNoAction, 0, 0, kNoAction, 0, 0},
};

InputBindingCode CapturedKeyCode(int key) { return MakeBinding(BINDING_KEY, key); }
InputBindingCode CapturedJoystickAxisCode(int axis) { return MakeBinding(BINDING_JOY_AXIS, 3 * axis + 2); }
InputBindingCode CapturedJoystickButtonCode(int button) { return MakeBinding(BINDING_JOY_BUTTON, button); }
InputBindingCode CapturedMouseButtonCode(int button) { return MakeBinding(BINDING_MOUSE_BUTTON, button); }

bool IsRefusedCaptureCode(InputBindingCode code) {
  switch (code) {
    case kKeyUp: case kKeyDown: case kKeyLeft: case kKeyRight: case kKeyTab: case kKeyF1: case kKeyEscape:
      return true;
    default:
      return false;
  }
}

bool IsCancelCaptureCode(InputBindingCode code) { return code == kKeyEscape; }

void RemoveFromContext(CControlMapper& mapper, int player, int row, InputBindingCode code) {
  if (row < 0 || row >= kBindableActionCount) return;
  const int context = kBindableActions[row].context;
  for (int r = 0; r < kBindableActionCount; ++r) {
    const BindableAction& a = kBindableActions[r];
    if (a.context != context && a.action != context) continue;
    for (int s = 0; s < mapper.Slots(); ++s)
      if (mapper.GetBinding(player, s, a.action) == code) mapper.SetBinding(player, s, a.action, kNoBinding);
  }
}

void AssignBinding(CControlMapper& mapper, int player, int action, InputBindingCode code) {
  for (int s = 0; s < mapper.Slots(); ++s) {
    const InputBindingCode b = mapper.GetBinding(player, s, action);
    if (b != kNoBinding && BindingDevice(b) == BindingDevice(code)) {
      mapper.SetBinding(player, s, action, code);
      return;
    }
  }
  for (int s = 0; s < mapper.Slots(); ++s)
    if (mapper.GetBinding(player, s, action) == kNoBinding) {
      mapper.SetBinding(player, s, action, code);
      return;
    }
}

void ApplyCapturedCode(CControlMapper& mapper, int player, int row, InputBindingCode code) {
  if (row < 0 || row >= kBindableActionCount || code == kNoBinding) return;
  const int group = kBindableActions[row].pairGroup;
  if (group == 0 || BindingDevice(code) != BINDING_JOY_AXIS) {
    RemoveFromContext(mapper, player, row, code);
    AssignBinding(mapper, player, kBindableActions[row].action, code);
    return;
  }
  // The pair's rows in table order take the negative and the positive half.
  int taken = 0;
  for (int r = 0; r < kBindableActionCount && taken < 2; ++r) {
    if (kBindableActions[r].pairGroup != group) continue;
    AssignBinding(mapper, player, kBindableActions[r].action, code - 2 + taken);
    ++taken;
  }
}
