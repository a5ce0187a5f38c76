// The local player record: its state, its bindings evaluated each frame, and
// the fixed order of its frame's control.
#include "control/players/local_player.h"

#include "control/bindings/control_mapper.h"
#include "control/input/input.h"
#include "control/player_camera.h"
#include "control/players/local_player_table.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/cursor_position.h"
#include "platform/win32/window.h"
#include "shell/program/command_line.h"
#include "shell/program/shell_state.h"
#include "world/effects/explosions.h"
#include "world/engine.h"
#include "world/environment/environment.h"

namespace {

// Reports a step whose work comes with a later piece, once.
#define LATER(what)                                           \
  do {                                                        \
    static const bool said = (NotBuiltYet(what), true);       \
    (void)said;                                               \
  } while (false)

std::uint32_t GameNow() { return g_GameClock ? g_GameClock->GetGameTime() : 0; }

void SetWorldMouseControl(bool on) {
  if (!g_Environment) return;
  if (on) g_Environment->Flags |= kEnvFlagMouseControl;
  else g_Environment->Flags &= ~kEnvFlagMouseControl;
}

// Actions whose use gives a soldier left to its AI back to the player.
bool EndsAIControl(int action) {
  switch (action) {
    case FIRE:
    case ACTION:
    case STANCE:
    case HEAD_TOGGLE:
    case ORDER:
    case INVENTORY:
    case PEEK_LEFT:
    case PEEK_RIGHT:
      return true;
    default:
      return action >= STRAFE_LEFT && action <= WALK;
  }
}

}  // namespace

CLocalPlayer::CLocalPlayer() {
  for (std::uint32_t& s : actionStates) s = ACTION_STATE_UP;
  for (std::uint32_t& t : actionDownTimes) t = 0;
}

void CLocalPlayer::Reset() {
  TurnAxis = ForwardAxis = previousTurn = previousForward = StrafeAxis = 0.0f;
  AimYawAxis = AimPitchAxis = previousAimYaw = previousAimPitch = 0.0f;
  InventoryPopup = GiveTakePopup = VehiclePopup = OrderPopup = 0;
  headView = objectivesShown = paused = 0;
  cameraHold = savedHeadView = squadFollowState = 0;
  contextAction = 0;
  zoomStepTime = 0;
  zoomFogOffsets[0] = zoomFogOffsets[1] = 0.0f;
  hitMarkerExpiry = 0;
  hitMarkerSource = CVector3{};
  UseButtons = 0;
  RadioWord = 0;
  PointedObject = nullptr;
  PointedDistance = 0.0f;
  ObjectLink = nullptr;
  Soldier = nullptr;
  camera = nullptr;
  inputEnabled = 1;
  ControlMode = CONTROL_STEER;
  firstPersonStartTime = 0;
  mousePitch = mousePitchDelta = 0.0f;
  mouseMoved = mouseAimActive = 0;
  keyUsed = 0;
  switchDeadline = 0;
  controllerFlags |= CONTROLLER_KEYBOARD_MOUSE;
  SetWorldMouseControl(true);
  if (g_Input && g_Input->GetJoystickCount() > 0) controllerFlags |= CONTROLLER_JOYSTICK;
}

void CLocalPlayer::SetControllerType(int keyboard) {
  if (keyboard == 1) {
    controllerFlags = (controllerFlags | CONTROLLER_KEYBOARD_MOUSE) & ~CONTROLLER_JOYSTICK;
    SetWorldMouseControl(true);
  } else {
    controllerFlags = (controllerFlags | CONTROLLER_JOYSTICK) & ~CONTROLLER_KEYBOARD_MOUSE;
    SetWorldMouseControl(false);
  }
}

bool CLocalPlayer::TestAction(int action, std::uint32_t mode) {
  if (controllerSlot == -1 || !g_ControlMapper || !g_Input) return false;
  for (int slot = 0; slot < kBindingSlots; ++slot) {
    const InputBindingCode code = g_ControlMapper->GetBinding(bindingRow, slot, action);
    if (code == kNoBinding) continue;
    const int device = BindingDevice(code);
    const int index = BindingIndex(code);
    const bool joystick = device == BINDING_JOY_AXIS || device == BINDING_JOY_BUTTON;
    // The key-binding screen takes its keys from the keyboard alone.
    if (joystick && ScreenId == kScreenKeyBinding) continue;
    switch (device) {
      case BINDING_KEY:
        if (!(controllerFlags & CONTROLLER_KEYBOARD_MOUSE)) break;
        if ((mode == ACTION_STATE_PRESSED && g_Input->WasKeyPressed(index)) ||
            (mode == ACTION_STATE_DOWN && g_Input->IsKeyDown(index)) ||
            (mode == ACTION_STATE_RELEASED && g_Input->WasKeyReleased(index)))
          return true;
        break;
      case BINDING_JOY_AXIS:
      case BINDING_JOY_BUTTON: {
        if (!(controllerFlags & CONTROLLER_JOYSTICK)) break;
        const int input = device == BINDING_JOY_AXIS ? kFirstAxisInput + index : index;
        if (g_Input->GetJoystickInput(controllerSlot, input).flags & mode) return true;
        break;
      }
      case BINDING_MOUSE_BUTTON:
        // Down answers every mode.
        if ((controllerFlags & CONTROLLER_KEYBOARD_MOUSE) && g_Input->IsMouseButtonDown(index)) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

float CLocalPlayer::AxisBindingValue(int action, bool* found) {
  float v = 0.0f;
  *found = false;
  // Pad axes count only while this player's joystick bindings are live.
  if (!(controllerFlags & CONTROLLER_JOYSTICK)) return v;
  for (int slot = 0; slot < kBindingSlots; ++slot) {
    const InputBindingCode code = g_ControlMapper->GetBinding(bindingRow, slot, action);
    if (code == kNoBinding || BindingDevice(code) != BINDING_JOY_AXIS) continue;
    v = g_Input->GetJoystickInput(controllerSlot, kFirstAxisInput + BindingIndex(code)).value;
    *found = true;
    if (v != 0.0f) mouseAimActive = 0;
  }
  return v;
}

bool CLocalPlayer::ActionKeyDown(int action) {
  // Keys count only while this player's keyboard bindings are live.
  if (!(controllerFlags & CONTROLLER_KEYBOARD_MOUSE)) return false;
  bool down = false;
  for (int slot = 0; slot < kBindingSlots; ++slot) {
    const InputBindingCode code = g_ControlMapper->GetBinding(bindingRow, slot, action);
    if (code == kNoBinding || BindingDevice(code) != BINDING_KEY) continue;
    if (g_Input->IsKeyDown(BindingIndex(code))) {
      down = true;
      keyUsed = 1;
    }
  }
  return down;
}

float CLocalPlayer::GetAxisValue(int negativeAction, int positiveAction) {
  if (controllerSlot == -1 || !g_ControlMapper || !g_Input) return 0.0f;
  const bool pair = positiveAction != kNoAction;
  bool found = false;
  float v = AxisBindingValue(negativeAction, &found);
  if (pair) {
    // The negative action's axis reads negated; without it, the positive's.
    v = v != 0.0f ? -v : AxisBindingValue(positiveAction, &found);
  }
  if (v != 0.0f) return v;
  // At rest the keys give -1 and +1.
  if (ActionKeyDown(negativeAction)) v = 1.0f;
  if (!pair) return v;
  if (v != 0.0f) return -v;
  if (ActionKeyDown(positiveAction)) v = 1.0f;
  return v;
}

void CLocalPlayer::UpdateActionStates(bool sampling) {
  const std::uint32_t now = GameNow();
  for (int a = 0; a < kInputActionCount; ++a) {
    std::uint32_t& state = actionStates[a];
    if (IsActionDown(a)) {
      if (state & ACTION_STATE_UP) {
        state = ACTION_STATE_PRESSED | ACTION_STATE_DOWN;
        actionDownTimes[a] = now;
      } else if (state & ACTION_STATE_PRESSED) {
        state = ACTION_STATE_DOWN;
      }
      if (sampling && !IsGamePaused() && ControlMode == CONTROL_AI && EndsAIControl(a))
        SetControlMode(CONTROL_STEER);
    } else {
      if (state & ACTION_STATE_DOWN) state = ACTION_STATE_RELEASED | ACTION_STATE_UP;
      else if (state & ACTION_STATE_RELEASED) state = ACTION_STATE_UP;
    }
  }
}

void CLocalPlayer::ResetActionStates() {
  for (std::uint32_t& s : actionStates) s = ACTION_STATE_UP;
}

void CLocalPlayer::SampleMouse() {
  // The mouse belongs to the player whose keyboard and mouse bindings are live.
  if (!(controllerFlags & CONTROLLER_KEYBOARD_MOUSE) || !g_Input) return;
  if (keyUsed) {
    mouseMoved = mouseAimActive = 0;
    mousePitch = 0.0f;
    return;
  }
  mouseMoved = 0;
  if (!mouseAimActive) mousePitch = 0.0f;
  float dx = 0.0f, dy = 0.0f;
  g_Input->GetSmoothedMouse(&dx, &dy);
  if (TurnAxis == 0.0f && dx != 0.0f) {
    TurnAxis = dx / mouseXDivisor;
    mouseMoved = 1;
  }
  mousePitchDelta = dy / mouseYDivisor;
  if (invertMouse) mousePitchDelta = -mousePitchDelta;
  mousePitch += 0.2f * mousePitchDelta;
  if (mousePitch > 1.0f) mousePitch = 1.0f;
  if (mousePitch < -1.0f) mousePitch = -1.0f;
  if (AimPitchAxis == 0.0f) {
    AimPitchAxis = mousePitch;
    if (AimPitchAxis != 0.0f) mouseMoved = 1;
  } else {
    // A joystick pitch this frame overrides the mouse.
    mousePitch = 0.0f;
  }
  mouseAimActive = mouseMoved;
}

void CLocalPlayer::SampleInput() {
  if (!inputEnabled) {
    if (Soldier) LATER("aiming step of the local player");
    return;
  }
  if (!g_Input || g_Input->GetJoystickCount() == 0) controllerFlags &= ~CONTROLLER_JOYSTICK;
  previousTurn = TurnAxis;
  previousForward = ForwardAxis;
  previousAimYaw = AimYawAxis;
  previousAimPitch = AimPitchAxis;
  TurnAxis = ForwardAxis = StrafeAxis = AimYawAxis = AimPitchAxis = 0.0f;
  keyUsed = 0;

  TurnAxis = GetAxisValue(TURN_LEFT, TURN_RIGHT);
  ForwardAxis = GetAxisValue(FORWARD, BACKWARD);
  AimYawAxis = GetAxisValue(AIM_YAW_AXIS, kNoAction);
  AimPitchAxis = GetAxisValue(AIM_PITCH_AXIS, kNoAction);
  StrafeAxis = GetAxisValue(STRAFE_LEFT, STRAFE_RIGHT);
  if (invertJoystickPitch) AimPitchAxis = -AimPitchAxis;

  UpdateActionStates(true);

  // The mouse, while the game clock runs and local player 0's camera is not
  // the free camera.
  CLocalPlayer* first = g_LocalPlayers.Record(0);
  const bool freeCamera = first && first->camera && first->camera->GetMode() == 3;
  if (g_GameClock && g_GameClock->IsRunning() && !freeCamera) SampleMouse();

  // The cursor goes back to the middle of the game window while the mouse
  // steers on the game screen.
  if (mouseMoved && !CheatMode && ScreenId == kScreenInGame) {
    RECT client{};
    if (MainWindow && GetClientRect(MainWindow, &client)) {
      POINT middle{client.right / 2, client.bottom / 2};
      ClientToScreen(MainWindow, &middle);
      SetCursorPos(middle.x, middle.y);
    }
  }

  if (!IsGamePaused() && ControlMode == CONTROL_AI) {
    const bool steered = TurnAxis != 0.0f || ForwardAxis != 0.0f ||
                         (!(controllerFlags & CONTROLLER_KEYBOARD_MOUSE) && (AimYawAxis != 0.0f || AimPitchAxis != 0.0f));
    if (steered) SetControlMode(CONTROL_STEER);
  }

  ProcessControl();
  LATER("network screen keys of the local player");
}

void CLocalPlayer::SetHitMarker(const CVector3& source) {
  hitMarkerExpiry = GameNow() + 1000;
  hitMarkerSource = source;
}

