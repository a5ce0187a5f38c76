// Joysticks: set-up, attachment and removal between frames, the per-frame
// poll into the 28 inputs, and rumble.
#include <cmath>

#include "control/input/input.h"
#include "control/input/input_joystick.h"
#include "foundation/system/debug_output.h"
#include "platform/win32/clocks.h"

namespace {

constexpr float kPi = 3.14159265358979f;
// Axis ranges and the dead zone (40 %) every joystick is given.
constexpr LONG kAxisMin = -128;
constexpr LONG kAxisMax = 128;
constexpr DWORD kDeadZone = 4000;
constexpr DWORD kAxisOffsets[4] = {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ};

// An input read as fully released: released this frame when it was down.
void Release(JoystickInput& input) {
  input.flags = (input.flags & JOY_INPUT_DOWN) ? (JOY_INPUT_RELEASED | JOY_INPUT_UP) : JOY_INPUT_UP;
  input.value = 0.0f;
  input.holdCount = 0;
}

// The down/up step of an axis input: value non-zero is down.
void StepAxisInput(JoystickInput& input, float value) {
  input.value = value;
  if (value != 0.0f) {
    input.flags = (input.flags & JOY_INPUT_DOWN) ? JOY_INPUT_DOWN : (JOY_INPUT_PRESSED | JOY_INPUT_DOWN);
    ++input.holdCount;
  } else {
    input.flags = (input.flags & JOY_INPUT_DOWN) ? (JOY_INPUT_RELEASED | JOY_INPUT_UP) : JOY_INPUT_UP;
    input.holdCount = 0;
  }
}

BOOL CountActuator(const DIDEVICEOBJECTINSTANCEA*, void* context) {
  ++*static_cast<int*>(context);
  return DIENUM_CONTINUE;
}

struct Enumeration {
  const DIDEVICEINSTANCEA* found[16];
  DIDEVICEINSTANCEA copies[16];
  int count = 0;
};

BOOL CollectDevice(const DIDEVICEINSTANCEA* instance, void* context) {
  auto* e = static_cast<Enumeration*>(context);
  if (e->count >= 16) return DIENUM_STOP;
  e->copies[e->count] = *instance;
  e->found[e->count] = &e->copies[e->count];
  ++e->count;
  return DIENUM_CONTINUE;
}

}  // namespace

void CInput::EnumerateJoysticks() { RefreshJoysticks(); }

void CInput::RefreshJoysticks() {
  if (!directInput_) return;
  // Let go of joysticks that are no longer attached.
  for (int slot = 0; slot < kMaxJoysticks; ++slot)
    if (joysticks_[slot].device && directInput_->GetDeviceStatus(joysticks_[slot].instance) != DI_OK)
      ReleaseJoystick(slot);
  Enumeration e;
  directInput_->EnumDevices(DI8DEVCLASS_GAMECTRL, &CollectDevice, &e, DIEDFL_ATTACHEDONLY);
  for (int i = 0; i < e.count; ++i) {
    bool known = false;
    for (int slot = 0; slot < kMaxJoysticks && !known; ++slot)
      known = joysticks_[slot].device && joysticks_[slot].instance == e.found[i]->guidInstance;
    if (!known) SetUpJoystick(e.found[i]);
  }
}

void CInput::SetUpJoystick(const void* instanceRecord) {
  const auto* instance = static_cast<const DIDEVICEINSTANCEA*>(instanceRecord);
  int slot = 0;
  while (slot < kMaxJoysticks && joysticks_[slot].device) ++slot;
  if (slot == kMaxJoysticks) return;  // the table holds eight
  IDirectInputDevice8A* device = nullptr;
  if (FAILED(directInput_->CreateDevice(instance->guidInstance, &device, nullptr)) || !device) {
    DebugTrace("IDirectInput8::CreateDeviceEx FAILED\n");
    return;
  }
  DebugTrace("Found joystick \"%s\" - \"%s\"\n", instance->tszProductName, instance->tszInstanceName);
  if (FAILED(device->SetDataFormat(&c_dfDIJoystick2))) {
    DebugTrace("IDirectInputDevice8::SetDataFormat FAILED\n");
    device->Release();
    return;
  }
  if (FAILED(device->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_FOREGROUND))) {
    DebugTrace("IDirectInputDevice8::SetCooperativeLevel FAILED\n");
    device->Release();
    return;
  }
  Joystick& joystick = joysticks_[slot];
  joystick.device = device;
  joystick.instance = instance->guidInstance;
  for (JoystickInput& input : joystick.inputs) input = JoystickInput{};
  for (DWORD offset : kAxisOffsets) {
    DIPROPRANGE range{};
    range.diph = DIPROPHEADER{sizeof range, sizeof range.diph, offset, DIPH_BYOFFSET};
    range.lMin = kAxisMin;
    range.lMax = kAxisMax;
    device->SetProperty(DIPROP_RANGE, &range.diph);
    DIPROPDWORD zone{};
    zone.diph = DIPROPHEADER{sizeof zone, sizeof zone.diph, offset, DIPH_BYOFFSET};
    zone.dwData = kDeadZone;
    device->SetProperty(DIPROP_DEADZONE, &zone.diph);
  }
  joystick.rumble = Rumble{};
  device->Acquire();
  // Force feedback: a constant force on one actuator axis, endless, full
  // gain, no trigger button, no envelope, magnitude 0.
  DIDEVCAPS caps{};
  caps.dwSize = sizeof caps;
  if (SUCCEEDED(device->GetCapabilities(&caps)) && (caps.dwFlags & DIDC_FORCEFEEDBACK)) {
    int actuators = 0;
    device->EnumObjects(&CountActuator, &actuators, DIDFT_AXIS | DIDFT_FFACTUATOR);
    if (actuators >= 1) {
      DWORD axes[1] = {DIJOFS_X};
      LONG direction[1] = {0};
      DICONSTANTFORCE force{0};
      DIEFFECT effect{};
      effect.dwSize = sizeof effect;
      effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
      effect.dwDuration = INFINITE;
      effect.dwGain = DI_FFNOMINALMAX;
      effect.dwTriggerButton = DIEB_NOTRIGGER;
      effect.cAxes = 1;
      effect.rgdwAxes = axes;
      effect.rglDirection = direction;
      effect.cbTypeSpecificParams = sizeof force;
      effect.lpvTypeSpecificParams = &force;
      if (FAILED(device->CreateEffect(GUID_ConstantForce, &effect, &joystick.effect, nullptr)))
        joystick.effect = nullptr;
    }
  }
}

void CInput::ReleaseJoystick(int slot) {
  Joystick& joystick = joysticks_[slot];
  if (joystick.effect) {
    joystick.effect->Stop();
    joystick.effect->Release();
    joystick.effect = nullptr;
  }
  if (joystick.device) {
    joystick.device->Unacquire();
    joystick.device->Release();
    joystick.device = nullptr;
  }
  joystick.rumble = Rumble{};
  // A joystick that is gone reads as no input.
  for (JoystickInput& input : joystick.inputs) Release(input);
}

int CInput::GetJoystickCount() const {
  int count = 0;
  for (int slot = 0; slot < kMaxJoysticks; ++slot) count += joysticks_[slot].device ? 1 : 0;
  return count;
}

bool CInput::HasJoystick(int slot) const { return slot >= 0 && slot < kMaxJoysticks && joysticks_[slot].device; }

const JoystickInput& CInput::GetJoystickInput(int slot, int input) const {
  static const JoystickInput kNone{};
  if (slot < 0 || slot >= kMaxJoysticks || input < 0 || input >= kJoystickInputs) return kNone;
  return joysticks_[slot].inputs[input];
}

void CInput::SetHalfAxisThresholds(float x, float y, float z, float rz) {
  halfThreshold_[0] = x;
  halfThreshold_[1] = y;
  halfThreshold_[2] = z;
  halfThreshold_[3] = rz;
}

void CInput::PollJoysticks() {
  joystickButtonPressed_ = false;
  if (waitState_ != 0) seen_[1] = 0;
  RefreshJoysticks();
  for (int slot = 0; slot < kMaxJoysticks; ++slot) {
    if (joysticks_[slot].device) {
      PollJoystick(slot);
    } else {
      // An empty slot settles to up after the frame its joystick left.
      for (JoystickInput& input : joysticks_[slot].inputs) input = JoystickInput{};
    }
  }
}

void CInput::PollJoystick(int slot) {
  Joystick& joystick = joysticks_[slot];
  HRESULT hr = joystick.device->Poll();
  DIJOYSTATE2 state{};
  if (SUCCEEDED(hr)) hr = joystick.device->GetDeviceState(sizeof state, &state);
  if (hr == DIERR_UNPLUGGED) {
    ReleaseJoystick(slot);
    return;
  }
  if (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED) {
    joystick.device->Acquire();
    return;
  }
  if (FAILED(hr)) return;
  if (waitState_ != 0) {
    // Capture check only: an axis moved (Y, X, Rz, Z first) or a button down.
    if (waitMask_ & WAIT_JOYSTICK) {
      const LONG axes[4] = {state.lY, state.lX, state.lRz, state.lZ};
      for (int a = 0; a < 4; ++a) {
        if (axes[a] != 0) {
          seen_[1] = 1;
          if (waitState_ == 2) captured_[1] = static_cast<std::uint16_t>(a);
          break;
        }
      }
      for (int b = 0; b < kJoystickButtons; ++b) {
        if (state.rgbButtons[b] & 0x80) {
          seen_[1] = 1;
          if (waitState_ == 2) captured_[2] = static_cast<std::uint16_t>(b);
        }
      }
    }
  } else {
    StepJoystickInputs(slot, &state);
  }
  StepRumble(slot);
}

void CInput::StepJoystickInputs(int slot, const void* rawState) {
  const auto& state = *static_cast<const DIJOYSTATE2*>(rawState);
  Joystick& joystick = joysticks_[slot];
  // Axes in input order Y, X, Rz, Z; thresholds are kept as X, Y, Z, Rz.
  const LONG raw[4] = {state.lY, state.lX, state.lRz, state.lZ};
  const int threshold[4] = {1, 0, 3, 2};
  for (int a = 0; a < 4; ++a) {
    const float value = static_cast<float>(raw[a]) / 128.0f;
    const float t = halfThreshold_[threshold[a]];
    JoystickInput* inputs = &joystick.inputs[kFirstAxisInput + 3 * a];
    StepAxisInput(inputs[2], value);
    StepAxisInput(inputs[0], -t > value ? -value : 0.0f);
    StepAxisInput(inputs[1], value > t ? value : 0.0f);
  }
  for (int b = 0; b < kJoystickButtons; ++b) {
    JoystickInput& input = joystick.inputs[b];
    if (state.rgbButtons[b] & 0x80) {
      if (input.flags & JOY_INPUT_UP) {
        input.flags = JOY_INPUT_PRESSED | JOY_INPUT_DOWN;
        joystickButtonPressed_ = true;
      } else if (input.flags & JOY_INPUT_PRESSED) {
        input.flags = JOY_INPUT_DOWN;
      } else {
        continue;
      }
      input.value = 1.0f;
      ++input.holdCount;
    } else {
      if (input.flags & JOY_INPUT_DOWN) input.flags = JOY_INPUT_RELEASED | JOY_INPUT_UP;
      else if (input.flags & JOY_INPUT_RELEASED) input.flags = JOY_INPUT_UP;
      else continue;
      input.value = 0.0f;
      input.holdCount = 0;
    }
  }
}

void CInput::StartJoystickEffect(const JoystickEffectRequest& request, int slot) {
  if (slot < 0 || slot >= kMaxJoysticks || !joysticks_[slot].device) return;
  Rumble& rumble = joysticks_[slot].rumble;
  if (rumble.active && rumble.request.priority > request.priority) return;
  rumble.active = true;
  rumble.start = timeGetTime();
  rumble.request = request;
}

void CInput::StepRumble(int slot) {
  Joystick& joystick = joysticks_[slot];
  Rumble& rumble = joystick.rumble;
  if (!joystick.effect || !rumble.active) return;
  const std::uint32_t elapsed = timeGetTime() - rumble.start;
  const JoystickEffectRequest& r = rumble.request;
  LONG force = 0;
  if (r.duration != 0 && elapsed > r.duration) {
    rumble = Rumble{};
  } else {
    float left = r.left / 32768.0f;
    float right = r.right / 32768.0f;
    // The fade needs a duration and the pulses a period to divide by; without
    // them the pattern stays steady.
    if (r.envelope == 1 && r.duration != 0) {
      const float f = 1.0f - static_cast<float>(elapsed) / r.duration;
      left *= f;
      right *= f;
    } else if (r.envelope == 2 && r.period != 0) {
      const float f = std::sin(static_cast<float>(elapsed % r.period) * kPi / r.period);
      left *= f;
      right *= f;
    }
    if (left != 0.0f) {
      // The left motor is told apart by a force moved 5050 away from zero.
      const LONG t = static_cast<LONG>(left * 5000.0f);
      force = t >= 0 ? t + 5050 : t - 5050;
    } else {
      force = static_cast<LONG>(right * 5000.0f);
    }
    // A full left magnitude would come to 10050: keep within the largest force.
    if (force > DI_FFNOMINALMAX) force = DI_FFNOMINALMAX;
    if (force < -DI_FFNOMINALMAX) force = -DI_FFNOMINALMAX;
  }
  DWORD axes[1] = {DIJOFS_X};
  LONG direction[1] = {0};
  DICONSTANTFORCE constant{force};
  DIEFFECT effect{};
  effect.dwSize = sizeof effect;
  effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  effect.cAxes = 1;
  effect.rgdwAxes = axes;
  effect.rglDirection = direction;
  effect.cbTypeSpecificParams = sizeof constant;
  effect.lpvTypeSpecificParams = &constant;
  joystick.effect->SetParameters(&effect, DIEP_TYPESPECIFICPARAMS | DIEP_DIRECTION | DIEP_START);
}
