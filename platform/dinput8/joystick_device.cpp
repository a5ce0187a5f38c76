// Game controllers as DirectInput joysticks, and the constant-force effect as
// controller rumble.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/dinput8/dinput_impl.h"

namespace dinput8 {

namespace {

// The SDL axis behind each DirectInput axis X, Y, Z, Rx, Ry, Rz.
constexpr SDL_GameControllerAxis kAxisSource[6] = {
    SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,        SDL_CONTROLLER_AXIS_RIGHTX,
    SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_CONTROLLER_AXIS_RIGHTY};
const GUID* const kAxisGuids[6] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_XAxis, &GUID_YAxis, &GUID_RzAxis};
const char* const kAxisNames[6] = {"X Axis", "Y Axis", "Z Axis", "X Rotation", "Y Rotation", "Z Rotation"};

// The SDL button behind joystick buttons 0..13; 14 and 15 are the triggers.
constexpr SDL_GameControllerButton kButtonSource[14] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,      SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_DPAD_UP,  SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
constexpr int kButtons = 16;
// A trigger pulled past half counts as a pressed button.
constexpr Sint16 kTriggerButtonThreshold = 16384;
// How long one rumble request lasts unless renewed: the game renews it every
// poll, so a game that stops polling does not leave the pad shaking.
constexpr Uint32 kRumbleHoldMs = 1000;

// Axis index 0..5 of a state offset, or -1.
int AxisOfOffset(DWORD offset) {
  return offset <= DIJOFS_RZ && offset % 4 == 0 ? static_cast<int>(offset / 4) : -1;
}

}  // namespace

JoystickDevice::JoystickDevice(SDL_JoystickID instance, SDL_GameController* controller)
    : DeviceBase("Joystick"), instance_(instance), controller_(controller) {}

JoystickDevice::~JoystickDevice() {
  if (controller_) SDL_GameControllerClose(controller_);
}

bool JoystickDevice::Attached() const { return controller_ && SDL_GameControllerGetAttached(controller_); }

HRESULT JoystickDevice::CanAcquire() const { return Attached() ? DI_OK : DIERR_UNPLUGGED; }

HRESULT JoystickDevice::GetCapabilities(DIDEVCAPS* caps) {
  if (const HRESULT hr = DeviceBase::GetCapabilities(caps); hr != DI_OK) return hr;
  if (!Attached()) caps->dwFlags = 0;
  caps->dwFlags |= DIDC_POLLEDDEVICE;
  if (Attached() && SDL_GameControllerHasRumble(controller_)) caps->dwFlags |= DIDC_FORCEFEEDBACK;
  caps->dwDevType = DI8DEVTYPE_GAMEPAD;
  caps->dwAxes = 6;
  caps->dwButtons = kButtons;
  return DI_OK;
}

HRESULT JoystickDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) {
  if (!callback) return DIERR_INVALIDPARAM;
  const bool rumble = Attached() && SDL_GameControllerHasRumble(controller_);
  const bool wantAxes = flags == DIDFT_ALL || (flags & DIDFT_AXIS) != 0 || (flags & DIDFT_FFACTUATOR) != 0;
  const bool wantButtons = flags == DIDFT_ALL || (flags & DIDFT_BUTTON) != 0;
  const bool actuatorsOnly = (flags & DIDFT_FFACTUATOR) != 0;
  if (wantAxes) {
    for (int a = 0; a < 6; ++a) {
      // The two motors act along X and Y.
      const bool actuator = rumble && a < 2;
      if (actuatorsOnly && !actuator) continue;
      DIDEVICEOBJECTINSTANCEA object{};
      object.dwSize = sizeof object;
      object.guidType = *kAxisGuids[a];
      object.dwOfs = static_cast<DWORD>(a) * 4;
      object.dwType = DIDFT_ABSAXIS | (static_cast<DWORD>(a) << 8) | (actuator ? DIDFT_FFACTUATOR : 0);
      object.dwFlags = actuator ? DIDOI_FFACTUATOR : 0;
      object.dwFFMaxForce = actuator ? DI_FFNOMINALMAX : 0;
      std::snprintf(object.tszName, sizeof object.tszName, "%s", kAxisNames[a]);
      if (callback(&object, context) == DIENUM_STOP) return DI_OK;
    }
  }
  if (wantButtons && !actuatorsOnly) {
    for (int b = 0; b < kButtons; ++b) {
      DIDEVICEOBJECTINSTANCEA object{};
      object.dwSize = sizeof object;
      object.guidType = GUID_Button;
      object.dwOfs = DIJOFS_BUTTON(b);
      object.dwType = DIDFT_PSHBUTTON | (static_cast<DWORD>(b) << 8);
      std::snprintf(object.tszName, sizeof object.tszName, "Button %d", b);
      if (callback(&object, context) == DIENUM_STOP) return DI_OK;
    }
  }
  return DI_OK;
}

HRESULT JoystickDevice::SetProperty(const GUID& property, const DIPROPHEADER* header) {
  if (!header) return DIERR_INVALIDPARAM;
  const bool range = property == DIPROP_RANGE;
  const bool deadZone = property == DIPROP_DEADZONE;
  if (!range && !deadZone) return DeviceBase::SetProperty(property, header);
  // The axes it applies to: one by offset, or all of them.
  int first = 0, last = 5;
  if (header->dwHow == DIPH_BYOFFSET) {
    first = last = AxisOfOffset(header->dwObj);
    if (first < 0) return DIERR_INVALIDPARAM;
  } else if (header->dwHow != DIPH_DEVICE) {
    return DIERR_UNSUPPORTED;
  }
  if (range) {
    const auto* p = reinterpret_cast<const DIPROPRANGE*>(header);
    InputSystem::Current()->Log(Call("SetProperty") + " range " + std::to_string(header->dwObj) + " " +
                                std::to_string(p->lMin) + " " + std::to_string(p->lMax));
    if (p->lMin >= p->lMax) return DIERR_INVALIDPARAM;
    for (int a = first; a <= last; ++a) {
      axes_[a].min = p->lMin;
      axes_[a].max = p->lMax;
    }
  } else {
    const DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    InputSystem::Current()->Log(Call("SetProperty") + " deadzone " + std::to_string(header->dwObj) + " " +
                                std::to_string(value));
    if (value > 10000) return DIERR_INVALIDPARAM;
    for (int a = first; a <= last; ++a) axes_[a].deadZone = value;
  }
  return DI_OK;
}

HRESULT JoystickDevice::Poll() {
  if (!Attached()) {
    acquired_ = false;
    return DIERR_UNPLUGGED;
  }
  if (!acquired_) return DIERR_NOTACQUIRED;
  // Brings every controller's state up to date (SDL reads devices here).
  SDL_GameControllerUpdate();
  return DI_OK;
}

LONG JoystickDevice::Scale(int a, Sint16 raw) const {
  // Position n in -1..1 (a trigger rests at -1, the low end of its range).
  double n = raw / 32767.0;
  if (a == 3 || a == 4) n = 2.0 * n - 1.0;
  if (n > 1.0) n = 1.0;
  if (n < -1.0) n = -1.0;
  // Inside the dead zone the axis reads its centre; outside, the rest of the
  // travel is stretched over the whole half range.
  const double zone = axes_[a].deadZone / 10000.0;
  const double magnitude = std::fabs(n);
  n = magnitude <= zone ? 0.0 : (n < 0 ? -1.0 : 1.0) * (magnitude - zone) / (1.0 - zone);
  const double centre = (static_cast<double>(axes_[a].min) + axes_[a].max) / 2.0;
  const double half = (static_cast<double>(axes_[a].max) - axes_[a].min) / 2.0;
  return static_cast<LONG>(std::lround(centre + n * half));
}

HRESULT JoystickDevice::GetDeviceState(DWORD size, void* data) {
  if (!Attached()) {
    acquired_ = false;
    return DIERR_UNPLUGGED;
  }
  if (const HRESULT hr = CheckRead(size, data); hr != DI_OK) return hr;
  DIJOYSTATE2 state{};
  LONG* axes[6] = {&state.lX, &state.lY, &state.lZ, &state.lRx, &state.lRy, &state.lRz};
  for (int a = 0; a < 6; ++a) *axes[a] = Scale(a, SDL_GameControllerGetAxis(controller_, kAxisSource[a]));
  for (DWORD& pov : state.rgdwPOV) pov = 0xFFFFFFFFu;
  for (int b = 0; b < 14; ++b)
    state.rgbButtons[b] = SDL_GameControllerGetButton(controller_, kButtonSource[b]) ? 0x80 : 0;
  state.rgbButtons[14] =
      SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kTriggerButtonThreshold ? 0x80 : 0;
  state.rgbButtons[15] =
      SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kTriggerButtonThreshold ? 0x80 : 0;
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

HRESULT JoystickDevice::CreateEffect(const GUID& kind, const DIEFFECT* effect, IDirectInputEffect** out,
                                     IUnknown*) {
  if (!out) return DIERR_INVALIDPARAM;
  *out = nullptr;
  InputSystem* system = InputSystem::Current();
  system->Log(Call("CreateEffect"));
  if (system->ShouldFail(Call("CreateEffect").c_str())) return DIERR_GENERIC;
  if (!(kind == GUID_ConstantForce)) return DIERR_UNSUPPORTED;
  if (!Attached() || !SDL_GameControllerHasRumble(controller_)) return DIERR_UNSUPPORTED;
  auto* made = new ConstantForceEffect(this);
  if (effect) {
    const HRESULT hr = made->SetParameters(effect, DIEP_TYPESPECIFICPARAMS | DIEP_GAIN);
    if (FAILED(hr)) {
      made->Release();
      return hr;
    }
  }
  *out = made;
  return DI_OK;
}

void JoystickDevice::Rumble(std::uint16_t strength) {
  if (!Attached()) return;
  SDL_GameControllerRumble(controller_, strength, strength, strength ? kRumbleHoldMs : 0);
}

ConstantForceEffect::ConstantForceEffect(JoystickDevice* device) : device_(device) { device_->AddRef(); }

ConstantForceEffect::~ConstantForceEffect() {
  if (playing_) device_->Rumble(0);
  device_->Release();
}

HRESULT ConstantForceEffect::SetParameters(const DIEFFECT* effect, DWORD flags) {
  InputSystem* system = InputSystem::Current();
  if (!effect) return DIERR_INVALIDPARAM;
  if (system->ShouldFail("Effect.SetParameters")) return DIERR_GENERIC;
  if (flags & DIEP_TYPESPECIFICPARAMS) {
    if (!effect->lpvTypeSpecificParams || effect->cbTypeSpecificParams < sizeof(DICONSTANTFORCE))
      return DIERR_INVALIDPARAM;
    magnitude_ = static_cast<const DICONSTANTFORCE*>(effect->lpvTypeSpecificParams)->lMagnitude;
  }
  if (flags & DIEP_GAIN) {
    if (effect->dwGain > static_cast<DWORD>(DI_FFNOMINALMAX)) return DIERR_INVALIDPARAM;
    gain_ = effect->dwGain;
  }
  system->Log("Effect.SetParameters " + std::to_string(magnitude_));
  if ((flags & DIEP_START) && !(flags & DIEP_NORESTART)) playing_ = true;
  if (playing_) Send();
  return DI_OK;
}

HRESULT ConstantForceEffect::Start(DWORD, DWORD) {
  playing_ = true;
  Send();
  return DI_OK;
}

HRESULT ConstantForceEffect::Stop() {
  playing_ = false;
  device_->Rumble(0);
  return DI_OK;
}

void ConstantForceEffect::Send() {
  // Strength of both motors: the force's size against the nominal maximum,
  // times the gain, over SDL's 0..65535.
  double size = std::fabs(static_cast<double>(magnitude_)) / DI_FFNOMINALMAX;
  if (size > 1.0) size = 1.0;
  size *= static_cast<double>(gain_) / DI_FFNOMINALMAX;
  device_->Rumble(static_cast<std::uint16_t>(std::lround(size * 65535.0)));
}

}  // namespace dinput8
