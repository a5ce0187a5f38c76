// Inner classes of the DirectInput 8 stand-in: the shared input system (SDL
// start-up, the event watch, focus and mouse sums, the controller list), the
// devices and the effect.  Platform-internal.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/dinput8/dinput8.h"
#include "platform/dinput8/dinput8_test_hooks.h"

namespace dinput8 {

// Reference counting shared by every object handed out.
template <class Interface>
class Counted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG r = --refs_;
    if (r == 0) delete this;
    return r;
  }

 protected:
  ULONG refs_ = 1;
};

class MouseDevice;

// The state every interface object shares; it lives while at least one
// interface object does.
class InputSystem {
 public:
  // The system, starting SDL's events and game controllers on first use;
  // null when SDL cannot start them.
  static InputSystem* Acquire();
  static void Release();
  static InputSystem* Current();

  // Whether the SDL window of this id has the keyboard focus (true until a
  // focus loss was seen).
  bool HasFocus(std::uint32_t windowId) const { return unfocused_.count(windowId) == 0; }

  void AddMouse(MouseDevice* mouse) { mice_.push_back(mouse); }
  void RemoveMouse(MouseDevice* mouse);

  // The attached game controllers in attach order (SDL instance ids), at
  // most kMaxControllers.
  static constexpr int kMaxControllers = 8;
  std::vector<SDL_JoystickID> Controllers() const;
  // The SDL device index of an attached controller instance, or -1.
  static int DeviceIndexOf(SDL_JoystickID instance);

  // The call log and failure injection of the test hooks.
  void Log(const std::string& call);
  bool ShouldFail(const char* call);

 private:
  InputSystem() = default;
  static int Watch(void* context, SDL_Event* event);
  void OnEvent(const SDL_Event& event);

  std::set<std::uint32_t> unfocused_;
  std::vector<MouseDevice*> mice_;
};

// A device's foreground binding: the SDL window whose focus it follows.
struct Cooperation {
  DWORD flags = 0;
  std::uint32_t windowId = 0;
  bool set = false;
};

// What every device shares: data format, cooperative level, acquisition and
// the loss of a foreground device when its window loses the focus.
class DeviceBase : public Counted<IDirectInputDevice8A> {
 public:
  // Each device keeps the input system alive while it exists.
  explicit DeviceBase(const char* kind) : kind_(kind) { InputSystem::Acquire(); }
  ~DeviceBase() override { InputSystem::Release(); }
  HRESULT GetCapabilities(DIDEVCAPS* caps) override;
  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) override;
  HRESULT SetProperty(const GUID& property, const DIPROPHEADER* header) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT SetDataFormat(const DIDATAFORMAT* format) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT CreateEffect(const GUID& kind, const DIEFFECT* effect, IDirectInputEffect** out, IUnknown* outer) override;
  HRESULT Poll() override;

  // A foreground device whose window lost the focus: DIERR_INPUTLOST once.
  void LoseIfInBackground();
  bool Acquired() const { return acquired_; }

 protected:
  // Checks shared by every GetDeviceState: format set, size right, acquired
  // (a lost device answers DIERR_INPUTLOST the first time).
  HRESULT CheckRead(DWORD size, const void* data);
  // The data size the device's format must have.
  virtual DWORD FormatSize() const = 0;
  // A further reason to refuse Acquire (a removed controller); DI_OK when none.
  virtual HRESULT CanAcquire() const { return DI_OK; }
  std::string Call(const char* method) const { return kind_ + "." + method; }

  std::string kind_;
  bool formatSet_ = false;
  bool acquired_ = false;
  bool lost_ = false;
  Cooperation cooperation_;
};

class KeyboardDevice final : public DeviceBase {
 public:
  KeyboardDevice() : DeviceBase("Keyboard") {}
  HRESULT GetDeviceState(DWORD size, void* data) override;

 private:
  DWORD FormatSize() const override { return 256; }
};

class MouseDevice final : public DeviceBase {
 public:
  MouseDevice();
  ~MouseDevice() override;
  HRESULT SetProperty(const GUID& property, const DIPROPHEADER* header) override;
  HRESULT GetDeviceState(DWORD size, void* data) override;
  // Adds a watched event's motion, wheel or button while acquired.
  void OnEvent(const SDL_Event& event);

 private:
  DWORD FormatSize() const override { return sizeof(DIMOUSESTATE); }
  LONG dx_ = 0, dy_ = 0, wheel_ = 0;
  BYTE buttons_[4] = {};
  bool relative_ = true;
};

class JoystickDevice final : public DeviceBase {
 public:
  JoystickDevice(SDL_JoystickID instance, SDL_GameController* controller);
  ~JoystickDevice() override;
  HRESULT GetCapabilities(DIDEVCAPS* caps) override;
  HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) override;
  HRESULT SetProperty(const GUID& property, const DIPROPHEADER* header) override;
  HRESULT GetDeviceState(DWORD size, void* data) override;
  HRESULT CreateEffect(const GUID& kind, const DIEFFECT* effect, IDirectInputEffect** out, IUnknown* outer) override;
  HRESULT Poll() override;

  bool Attached() const;
  // Sends a rumble strength (0..65535) to both motors; 0 stops it.
  void Rumble(std::uint16_t strength);

 private:
  DWORD FormatSize() const override { return sizeof(DIJOYSTATE2); }
  HRESULT CanAcquire() const override;
  // An SDL axis value scaled to axis `a`'s range and dead zone.
  LONG Scale(int a, Sint16 raw) const;

  SDL_JoystickID instance_;
  SDL_GameController* controller_;
  // Per DirectInput axis X, Y, Z, Rx, Ry, Rz: range and dead zone (0..10000).
  struct Axis {
    LONG min = 0, max = 65535;
    DWORD deadZone = 0;
  } axes_[6];
  int effects_ = 0;
};

class ConstantForceEffect final : public Counted<IDirectInputEffect> {
 public:
  explicit ConstantForceEffect(JoystickDevice* device);
  ~ConstantForceEffect() override;
  HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) override;
  HRESULT Start(DWORD iterations, DWORD flags) override;
  HRESULT Stop() override;

 private:
  void Send();
  JoystickDevice* device_;
  LONG magnitude_ = 0;
  DWORD gain_ = DI_FFNOMINALMAX;
  bool playing_ = false;
};

// The instance GUID of a controller and back (false when the GUID names none).
GUID ControllerGuid(SDL_JoystickID instance);
bool ControllerFromGuid(const GUID& guid, SDL_JoystickID* instance);

}  // namespace dinput8
