// The local player's two outputs beside its soldier: the input message a
// client sends to the host, and the controller's rumble.
#include <cmath>

#include "control/input/input.h"
#include "control/players/local_player.h"
#include "control/players/rumble_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "net/mp_layer.h"
#include "world/engine.h"

namespace {

// Screens under which the player does not steer.
bool ScreenStopsSteering(int screen) {
  for (int id : {4, 13, 15, 24, 25, 31, 32, 33, 38, 39, 45, 52, 55, 58})
    if (screen == id) return true;
  return false;
}

constexpr int kKeyUp = 328, kKeyDown = 336, kKeyLeft = 331, kKeyRight = 333, kKeyLeftCtrl = 29;
constexpr int kScreenOptions = 4;

bool KeyDown(int key) { return g_Input != nullptr && g_Input->IsKeyDown(key); }

}  // namespace

PlayerInputMsg CLocalPlayer::BuildInputState() {
  PlayerInputMsg m;
  SoldierInputView view;
  if (Soldier != nullptr) ReadSoldierInputView(Soldier, &view);
  m.unitId = view.unitId;
  std::uint32_t bits = 0;
  if (InventoryPopup == 0 && !ScreenStopsSteering(ScreenId)) {
    if (TurnAxis == 0.0f && ForwardAxis == 0.0f) {
      if (KeyDown(kKeyUp)) bits |= INPUT_FORWARD;
      if (KeyDown(kKeyDown)) bits |= INPUT_BACKWARD;
      if (KeyDown(kKeyLeft)) bits |= INPUT_TURN_LEFT;
      if (KeyDown(kKeyRight)) bits |= INPUT_TURN_RIGHT;
    } else {
      if (ForwardAxis < 0.0f) bits |= INPUT_FORWARD;
      if (ForwardAxis > 0.0f) bits |= INPUT_BACKWARD;
      if (TurnAxis < 0.0f) bits |= INPUT_TURN_LEFT;
      if (TurnAxis > 0.0f) bits |= INPUT_TURN_RIGHT;
    }
    if (IsActionDown(STRAFE_LEFT)) bits |= INPUT_STRAFE_LEFT;
    if (IsActionDown(STRAFE_RIGHT)) bits |= INPUT_STRAFE_RIGHT;
    if (Soldier != nullptr) {
      const float strafe = std::fabs(StrafeAxis);
      const bool keyboardWalk = (controllerFlags & CONTROLLER_KEYBOARD_MOUSE) != 0 && KeyDown(kKeyLeftCtrl);
      if ((strafe > 0.0f && strafe < 0.8f) || keyboardWalk || view.holdsAimableWeapon) bits |= INPUT_WALK;
    }
    if (ControlMode == CONTROL_FIRST_PERSON) bits |= INPUT_FIRST_PERSON;
  }
  m.controlBits = bits;
  m.stance = view.stance;
  m.movementState = view.movementState;
  m.yaw = view.yaw;
  for (int i = 0; i < 3; ++i) m.rotation[i] = view.rotation[i];
  m.flag = view.aiming ? 1 : 0;
  return m;
}

void CLocalPlayer::SendInputState() {
  if (!MPIsNetworkGame() || MPIsHost() || MPGetSessionState() != MPS_PLAYING || !IsWorldRunning()) return;
  PlayerInputMsg candidate = BuildInputState();
  if (candidate.SameAs(inputMessage)) return;
  inputMessage = candidate;
  PlayerInputMsg copy = inputMessage;
  MPCurrent()->SendMessage(copy, 0, 1, 0, 0);
}

void CLocalPlayer::StartRumble(int n, float strength) {
  const bool paused = !IsWorldRunning() || (g_GameClock != nullptr && !g_GameClock->IsRunning());
  if (paused && ScreenId != kScreenOptions) return;
  JoystickEffectRequest request;
  if (!MakeRumbleRequest(n, strength, &request)) return;
  if (g_Input != nullptr) g_Input->StartJoystickEffect(request, controllerSlot);
}
