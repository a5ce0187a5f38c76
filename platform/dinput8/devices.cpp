// What every device shares, the system keyboard and the system mouse.
#include <cstdio>
#include <cstring>

#include "platform/dinput8/dinput_impl.h"
#include "platform/win32/window.h"
#include "platform/win32/window_bridge.h"

namespace dinput8 {

namespace {
// Says once per kind and reason why a call cannot be served.
void SayOnce(const std::string& what) {
  static std::vector<std::string> said;
  for (const std::string& s : said)
    if (s == what) return;
  said.push_back(what);
  std::fprintf(stderr, "dinput8: %s\n", what.c_str());
}
}  // namespace

HRESULT DeviceBase::GetCapabilities(DIDEVCAPS* caps) {
  if (!caps) return DIERR_INVALIDPARAM;
  const DWORD size = caps->dwSize;
  std::memset(caps, 0, sizeof *caps);
  caps->dwSize = size;
  caps->dwFlags = DIDC_ATTACHED;
  return DI_OK;
}

HRESULT DeviceBase::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void*, DWORD) {
  return callback ? DI_OK : DIERR_INVALIDPARAM;
}

HRESULT DeviceBase::SetProperty(const GUID& property, const DIPROPHEADER* header) {
  if (!header) return DIERR_INVALIDPARAM;
  InputSystem::Current()->Log(Call("SetProperty") + " " + std::to_string(property.Data1));
  return DIERR_UNSUPPORTED;
}

HRESULT DeviceBase::Acquire() {
  InputSystem* system = InputSystem::Current();
  system->Log(Call("Acquire"));
  if (system->ShouldFail(Call("Acquire").c_str())) return DIERR_GENERIC;
  if (!formatSet_) return DIERR_INVALIDPARAM;
  if (const HRESULT hr = CanAcquire(); hr != DI_OK) return hr;
  // A foreground device needs its window to have the focus.
  if ((cooperation_.flags & DISCL_FOREGROUND) && !system->HasFocus(cooperation_.windowId))
    return DIERR_OTHERAPPHASPRIO;
  const bool already = acquired_;
  acquired_ = true;
  lost_ = false;
  return already ? DI_NOEFFECT : DI_OK;
}

HRESULT DeviceBase::Unacquire() {
  InputSystem::Current()->Log(Call("Unacquire"));
  const bool was = acquired_;
  acquired_ = false;
  lost_ = false;
  return was ? DI_OK : DI_NOEFFECT;
}

HRESULT DeviceBase::SetDataFormat(const DIDATAFORMAT* format) {
  InputSystem* system = InputSystem::Current();
  system->Log(Call("SetDataFormat"));
  if (system->ShouldFail(Call("SetDataFormat").c_str())) return DIERR_GENERIC;
  if (!format || format->dwDataSize != FormatSize()) return DIERR_INVALIDPARAM;
  formatSet_ = true;
  return DI_OK;
}

HRESULT DeviceBase::SetCooperativeLevel(HWND window, DWORD flags) {
  InputSystem* system = InputSystem::Current();
  system->Log(Call("SetCooperativeLevel") + " " + std::to_string(flags));
  if (system->ShouldFail(Call("SetCooperativeLevel").c_str())) return DIERR_GENERIC;
  // Exactly one of exclusive and non-exclusive, one of foreground and
  // background; foreground needs a window.
  const bool oneShare = ((flags & DISCL_EXCLUSIVE) != 0) != ((flags & DISCL_NONEXCLUSIVE) != 0);
  const bool oneGround = ((flags & DISCL_FOREGROUND) != 0) != ((flags & DISCL_BACKGROUND) != 0);
  if (!oneShare || !oneGround) return DIERR_INVALIDPARAM;
  const std::uint32_t id = Win32SdlWindowId(window);
  if ((flags & DISCL_FOREGROUND) && id == 0) return DIERR_INVALIDPARAM;
  cooperation_ = Cooperation{flags, id, true};
  return DI_OK;
}

HRESULT DeviceBase::CreateEffect(const GUID&, const DIEFFECT*, IDirectInputEffect** out, IUnknown*) {
  if (out) *out = nullptr;
  return DIERR_UNSUPPORTED;
}

HRESULT DeviceBase::Poll() { return acquired_ ? DI_NOEFFECT : DIERR_NOTACQUIRED; }

void DeviceBase::LoseIfInBackground() {
  if (acquired_ && (cooperation_.flags & DISCL_FOREGROUND) &&
      !InputSystem::Current()->HasFocus(cooperation_.windowId)) {
    acquired_ = false;
    lost_ = true;
  }
}

HRESULT DeviceBase::CheckRead(DWORD size, const void* data) {
  if (!data || !formatSet_ || size != FormatSize()) return DIERR_INVALIDPARAM;
  LoseIfInBackground();
  if (lost_) {
    lost_ = false;
    return DIERR_INPUTLOST;
  }
  return acquired_ ? DI_OK : DIERR_NOTACQUIRED;
}

HRESULT KeyboardDevice::GetDeviceState(DWORD size, void* data) {
  if (const HRESULT hr = CheckRead(size, data); hr != DI_OK) return hr;
  // The game takes its keys from window messages; the key table of this
  // device is not kept.
  SayOnce("the keyboard's state table is not served (keys come from window messages)");
  return DIERR_UNSUPPORTED;
}

MouseDevice::MouseDevice() : DeviceBase("Mouse") { InputSystem::Current()->AddMouse(this); }

MouseDevice::~MouseDevice() { InputSystem::Current()->RemoveMouse(this); }

HRESULT MouseDevice::SetProperty(const GUID& property, const DIPROPHEADER* header) {
  if (!header) return DIERR_INVALIDPARAM;
  if (property == DIPROP_AXISMODE && header->dwHow == DIPH_DEVICE) {
    const DWORD mode = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    InputSystem::Current()->Log(Call("SetProperty") + " axismode " + std::to_string(mode));
    if (mode != DIPROPAXISMODE_REL && mode != DIPROPAXISMODE_ABS) return DIERR_INVALIDPARAM;
    relative_ = mode == DIPROPAXISMODE_REL;
    return DI_OK;
  }
  return DeviceBase::SetProperty(property, header);
}

void MouseDevice::OnEvent(const SDL_Event& e) {
  if (!acquired_) return;
  switch (e.type) {
    case SDL_MOUSEMOTION:
      dx_ += e.motion.xrel;
      dy_ += e.motion.yrel;
      break;
    case SDL_MOUSEWHEEL:
      // One notch is one wheel delta (120).
      wheel_ += e.wheel.y * (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -WHEEL_DELTA : WHEEL_DELTA);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int index = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_RIGHT ? 1
                       : e.button.button == SDL_BUTTON_MIDDLE ? 2 : e.button.button == SDL_BUTTON_X1 ? 3 : -1;
      if (index >= 0) buttons_[index] = e.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
      break;
    }
    default:
      break;
  }
}

HRESULT MouseDevice::GetDeviceState(DWORD size, void* data) {
  if (const HRESULT hr = CheckRead(size, data); hr != DI_OK) {
    dx_ = dy_ = wheel_ = 0;
    return hr;
  }
  // Relative mode: the motion since the last read; absolute mode is not
  // served (the game asks for relative motion), so it reads no motion.
  DIMOUSESTATE state{};
  if (relative_) {
    state.lX = dx_;
    state.lY = dy_;
    state.lZ = wheel_;
  }
  std::memcpy(state.rgbButtons, buttons_, sizeof buttons_);
  dx_ = dy_ = wheel_ = 0;
  std::memcpy(data, &state, sizeof state);
  return DI_OK;
}

}  // namespace dinput8
