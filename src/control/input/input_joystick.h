// The input module's record of one joystick slot.  Inside the input module only.
#pragma once

#include "control/input/input.h"
#include "platform/dinput8/dinput8.h"

struct CInput::Joystick {
  IDirectInputDevice8A* device = nullptr;  // null: the slot is empty
  IDirectInputEffect* effect = nullptr;    // null: no force feedback
  GUID instance{};
  JoystickInput inputs[kJoystickInputs];
  Rumble rumble;
};
