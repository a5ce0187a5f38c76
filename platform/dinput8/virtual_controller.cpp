#include "platform/dinput8/virtual_controller.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace {

struct Pad {
  SDL_JoystickID instance = -1;
  SDL_Joystick* joystick = nullptr;  // opened to set its inputs
  VirtualRumble rumble;
};

std::map<int, std::unique_ptr<Pad>>& Pads() {
  static std::map<int, std::unique_ptr<Pad>> pads;
  return pads;
}
int gNextHandle = 1;

int SDLCALL OnRumble(void* userdata, Uint16 low, Uint16 high) {
  Pad* pad = static_cast<Pad*>(userdata);
  ++pad->rumble.calls;
  pad->rumble.low = low;
  pad->rumble.high = high;
  return 0;
}

Pad* Find(int handle) {
  auto it = Pads().find(handle);
  return it == Pads().end() ? nullptr : it->second.get();
}

int DeviceIndexOf(SDL_JoystickID instance) {
  for (int i = 0, n = SDL_NumJoysticks(); i < n; ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) return i;
  return -1;
}

// The SDL controller button of joystick buttons 0..13 (the stand-in's layout).
constexpr SDL_GameControllerButton kButtons[14] = {
    SDL_CONTROLLER_BUTTON_A,          SDL_CONTROLLER_BUTTON_B,           SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,          SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_START,       SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_DPAD_UP,     SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT,  SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
constexpr SDL_GameControllerAxis kAxes[6] = {SDL_CONTROLLER_AXIS_LEFTX,  SDL_CONTROLLER_AXIS_LEFTY,
                                             SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY,
                                             SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT};

}  // namespace

int AttachVirtualController(const char* name) {
  // The pad keeps SDL's game controller support up while it is attached; its
  // inputs count whether or not a window has the focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "virtual controller: no game controller support (%s)\n", SDL_GetError());
    return 0;
  }
  auto pad = std::make_unique<Pad>();
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = name ? name : "Virtual pad";
  desc.userdata = pad.get();
  desc.Rumble = &OnRumble;
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) {
    std::fprintf(stderr, "virtual controller: cannot attach (%s)\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER);
    return 0;
  }
  pad->instance = SDL_JoystickGetDeviceInstanceID(index);
  pad->joystick = SDL_JoystickOpen(index);
  // Sticks at rest in the middle, triggers released.
  const int handle = gNextHandle++;
  Pads()[handle] = std::move(pad);
  return handle;
}

bool DetachVirtualController(int handle) {
  Pad* pad = Find(handle);
  if (!pad) return false;
  if (pad->joystick) SDL_JoystickClose(pad->joystick);
  const int index = DeviceIndexOf(pad->instance);
  if (index >= 0) SDL_JoystickDetachVirtual(index);
  Pads().erase(handle);
  SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER);
  return true;
}

void DetachAllVirtualControllers() {
  while (!Pads().empty()) DetachVirtualController(Pads().begin()->first);
}

bool SetVirtualControllerAxis(int handle, VirtualAxis axis, float value) {
  Pad* pad = Find(handle);
  const int a = static_cast<int>(axis);
  if (!pad || !pad->joystick || a < 0 || a > 5 || std::isnan(value)) return false;
  const bool trigger = a >= 4;
  const float low = trigger ? 0.0f : -1.0f;
  if (value < low) value = low;
  if (value > 1.0f) value = 1.0f;
  const long raw = std::lround(value * 32767.0f);
  return SDL_JoystickSetVirtualAxis(pad->joystick, kAxes[a], static_cast<Sint16>(raw)) == 0;
}

bool SetVirtualControllerButton(int handle, int button, bool down) {
  Pad* pad = Find(handle);
  if (!pad || !pad->joystick || button < 0 || button > 15) return false;
  if (button >= 14)
    return SetVirtualControllerAxis(handle, button == 14 ? VirtualAxis::LeftTrigger : VirtualAxis::RightTrigger,
                                    down ? 1.0f : 0.0f);
  return SDL_JoystickSetVirtualButton(pad->joystick, kButtons[button], down ? 1 : 0) == 0;
}

VirtualRumble GetVirtualControllerRumble(int handle) {
  Pad* pad = Find(handle);
  return pad ? pad->rumble : VirtualRumble{};
}
