// The DirectInput 8 entry, the interface object and the shared input system.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/dinput8/dinput_impl.h"
#include "platform/win32/window_bridge.h"

const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_ConstantForce = {0x13541C20, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};
const GUID GUID_XAxis = {0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_YAxis = {0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_ZAxis = {0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_RzAxis = {0xA36D02E3, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_Button = {0xA36D02F0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// Property identifiers: the property number in the first word.
const GUID DIPROP_BUFFERSIZE = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID DIPROP_AXISMODE = {2, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID DIPROP_RANGE = {4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID DIPROP_DEADZONE = {5, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDFT_RELAXIS,
                                  sizeof(DIMOUSESTATE), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDFT_ABSAXIS,
                                      sizeof(DIJOYSTATE2), 0, nullptr};

namespace dinput8 {
namespace {

// A controller's instance GUID: this tag, with the SDL instance id in the
// first word.
constexpr WORD kControllerTag2 = 0x4A59;  // "JY"
constexpr WORD kControllerTag3 = 0x5344;  // "SD"

InputSystem* gSystem = nullptr;
int gUsers = 0;

struct Hooks {
  bool logging = false;
  std::vector<std::string> log;
  std::map<std::string, int> failures;
};

Hooks& TestHooks() {
  static Hooks hooks;
  return hooks;
}

void LogCall(const std::string& call) {
  if (TestHooks().logging) TestHooks().log.push_back(call);
}

bool TakeFailure(const char* call) {
  auto it = TestHooks().failures.find(call);
  if (it == TestHooks().failures.end() || it->second <= 0) return false;
  if (--it->second == 0) TestHooks().failures.erase(it);
  return true;
}

class DirectInput final : public Counted<IDirectInput8A> {
 public:
  DirectInput() = default;
  ~DirectInput() override { InputSystem::Release(); }

  HRESULT CreateDevice(const GUID& instance, IDirectInputDevice8A** out, IUnknown*) override {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    LogCall("DirectInput.CreateDevice");
    if (TakeFailure("DirectInput.CreateDevice")) return DIERR_GENERIC;
    if (instance == GUID_SysKeyboard) {
      *out = new KeyboardDevice();
      return DI_OK;
    }
    if (instance == GUID_SysMouse) {
      *out = new MouseDevice();
      return DI_OK;
    }
    SDL_JoystickID id;
    if (!ControllerFromGuid(instance, &id)) return DIERR_DEVICENOTREG;
    const int index = InputSystem::DeviceIndexOf(id);
    if (index < 0) return DIERR_DEVICENOTREG;
    SDL_GameController* controller = SDL_GameControllerOpen(index);
    if (!controller) {
      std::fprintf(stderr, "dinput8: cannot open game controller %d (%s)\n", index, SDL_GetError());
      return DIERR_GENERIC;
    }
    *out = new JoystickDevice(id, controller);
    return DI_OK;
  }

  HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD) override {
    if (!callback) return DIERR_INVALIDPARAM;
    if (deviceClass != DI8DEVCLASS_GAMECTRL && deviceClass != DI8DEVCLASS_ALL) return DI_OK;
    for (SDL_JoystickID id : InputSystem::Current()->Controllers()) {
      const int index = InputSystem::DeviceIndexOf(id);
      if (index < 0) continue;
      DIDEVICEINSTANCEA instance{};
      instance.dwSize = sizeof instance;
      instance.guidInstance = ControllerGuid(id);
      instance.guidProduct = instance.guidInstance;
      instance.dwDevType = DI8DEVTYPE_GAMEPAD;
      const char* name = SDL_GameControllerNameForIndex(index);
      std::snprintf(instance.tszProductName, sizeof instance.tszProductName, "%s", name ? name : "Game controller");
      std::snprintf(instance.tszInstanceName, sizeof instance.tszInstanceName, "%s %d",
                    name ? name : "Game controller", static_cast<int>(id));
      if (callback(&instance, context) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

  HRESULT GetDeviceStatus(const GUID& instance) override {
    if (instance == GUID_SysKeyboard || instance == GUID_SysMouse) return DI_OK;
    SDL_JoystickID id;
    if (!ControllerFromGuid(instance, &id)) return DIERR_DEVICENOTREG;
    return InputSystem::DeviceIndexOf(id) >= 0 ? DI_OK : DI_NOTATTACHED;
  }
};

}  // namespace

InputSystem* InputSystem::Acquire() {
  if (gSystem) {
    ++gUsers;
    return gSystem;
  }
  // Pads are read whether or not an SDL window has the keyboard focus (SDL
  // would otherwise drop their changes): foreground devices follow the focus
  // here, as DirectInput's cooperative levels say.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "dinput8: no game controller support (%s)\n", SDL_GetError());
    return nullptr;
  }
  gSystem = new InputSystem();
  gUsers = 1;
  SDL_AddEventWatch(&InputSystem::Watch, gSystem);
  return gSystem;
}

void InputSystem::Release() {
  if (!gSystem || --gUsers > 0) return;
  SDL_DelEventWatch(&InputSystem::Watch, gSystem);
  delete gSystem;
  gSystem = nullptr;
  SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER);
}

InputSystem* InputSystem::Current() { return gSystem; }

void InputSystem::RemoveMouse(MouseDevice* mouse) {
  mice_.erase(std::remove(mice_.begin(), mice_.end(), mouse), mice_.end());
}

std::vector<SDL_JoystickID> InputSystem::Controllers() const {
  std::vector<SDL_JoystickID> ids;
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i)
    if (SDL_IsGameController(i)) ids.push_back(SDL_JoystickGetDeviceInstanceID(i));
  // Instance ids grow with each attachment: their order is the attach order.
  std::sort(ids.begin(), ids.end());
  if (ids.size() > static_cast<std::size_t>(kMaxControllers)) ids.resize(kMaxControllers);
  return ids;
}

int InputSystem::DeviceIndexOf(SDL_JoystickID instance) {
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) return SDL_IsGameController(i) ? i : -1;
  return -1;
}

void InputSystem::Log(const std::string& call) { LogCall(call); }

bool InputSystem::ShouldFail(const char* call) { return TakeFailure(call); }

int InputSystem::Watch(void* context, SDL_Event* event) {
  static_cast<InputSystem*>(context)->OnEvent(*event);
  return 1;
}

void InputSystem::OnEvent(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT) {
    if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) unfocused_.insert(event.window.windowID);
    if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) unfocused_.erase(event.window.windowID);
    return;
  }
  if (event.type == SDL_MOUSEMOTION && Win32TakeWarpEcho(event.motion.windowID, event.motion.x, event.motion.y))
    return;
  if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEWHEEL || event.type == SDL_MOUSEBUTTONDOWN ||
      event.type == SDL_MOUSEBUTTONUP)
    for (MouseDevice* mouse : mice_) mouse->OnEvent(event);
}

GUID ControllerGuid(SDL_JoystickID instance) {
  GUID guid{};
  guid.Data1 = static_cast<DWORD>(instance);
  guid.Data2 = kControllerTag2;
  guid.Data3 = kControllerTag3;
  return guid;
}

bool ControllerFromGuid(const GUID& guid, SDL_JoystickID* instance) {
  if (guid.Data2 != kControllerTag2 || guid.Data3 != kControllerTag3) return false;
  for (BYTE b : guid.Data4)
    if (b != 0) return false;
  *instance = static_cast<SDL_JoystickID>(guid.Data1);
  return true;
}

}  // namespace dinput8

HRESULT DirectInput8Create(HINSTANCE, DWORD version, const GUID& iid, void** out, IUnknown*) {
  if (!out) return DIERR_INVALIDPARAM;
  *out = nullptr;
  dinput8::LogCall("DirectInput8Create");
  if (dinput8::TakeFailure("DirectInput8Create")) return DIERR_GENERIC;
  if (version != DIRECTINPUT_VERSION || !(iid == IID_IDirectInput8A)) return DIERR_NOINTERFACE;
  if (!dinput8::InputSystem::Acquire()) return DIERR_NOTINITIALIZED;
  *out = static_cast<IDirectInput8A*>(new dinput8::DirectInput());
  return DI_OK;
}

void DInputSetCallLog(bool on) {
  dinput8::TestHooks().logging = on;
  dinput8::TestHooks().log.clear();
}

const std::vector<std::string>& DInputCallLog() { return dinput8::TestHooks().log; }

void DInputFailNext(const char* call, int count) {
  if (!call) return;
  if (count <= 0)
    dinput8::TestHooks().failures.erase(call);
  else
    dinput8::TestHooks().failures[call] = count;
}

void DInputClearFailures() { dinput8::TestHooks().failures.clear(); }
