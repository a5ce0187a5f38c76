#include "platform/win32/event_injection.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/win32/window.h"
#include "platform/win32/window_bridge.h"

namespace {

// Modifier keys injected so far and not released.
Uint16 gModifiers = KMOD_NONE;

Uint16 ModifierOf(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_LCTRL: return KMOD_LCTRL;
    case SDL_SCANCODE_RCTRL: return KMOD_RCTRL;
    case SDL_SCANCODE_LSHIFT: return KMOD_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return KMOD_RSHIFT;
    case SDL_SCANCODE_LALT: return KMOD_LALT;
    case SDL_SCANCODE_RALT: return KMOD_RALT;
    default: return KMOD_NONE;
  }
}

// The SDL window id events for `window` carry (null: the first window); 0
// when there is none.
Uint32 TargetId(HWND window) {
  if (!window) window = Win32FirstWindow();
  return window ? Win32SdlWindowId(window) : 0;
}

bool Push(SDL_Event& e) {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
  return SDL_PushEvent(&e) == 1;
}

// The button number SDL gives mouse button 0 left, 1 right, 2 middle.
Uint8 SdlButton(int button) {
  static constexpr Uint8 kButtons[3] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE};
  return kButtons[button];
}

}  // namespace

bool Win32InjectScancode(HWND window, int sdlScancode, bool down, bool repeat) {
  const Uint32 id = TargetId(window);
  if (id == 0 || sdlScancode <= SDL_SCANCODE_UNKNOWN || sdlScancode >= SDL_NUM_SCANCODES) return false;
  const SDL_Scancode code = static_cast<SDL_Scancode>(sdlScancode);
  const Uint16 mod = ModifierOf(code);
  if (down) gModifiers |= mod;
  else gModifiers &= static_cast<Uint16>(~mod);
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = id;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.scancode = code;
  e.key.keysym.sym = SDL_GetKeyFromScancode(code);
  e.key.keysym.mod = gModifiers;
  return Push(e);
}

bool Win32InjectKey(HWND window, const char* sdlKeyName, bool down, bool repeat) {
  if (!sdlKeyName) return false;
  const SDL_Scancode code = SDL_GetScancodeFromName(sdlKeyName);
  if (code == SDL_SCANCODE_UNKNOWN) return false;
  return Win32InjectScancode(window, code, down, repeat);
}

bool Win32InjectText(HWND window, const char* utf8) {
  const Uint32 id = TargetId(window);
  if (id == 0 || !utf8) return false;
  // SDL delivers long text in pieces of at most 31 bytes, cut between characters.
  const std::size_t length = std::strlen(utf8);
  std::size_t at = 0;
  while (at < length) {
    std::size_t n = length - at;
    if (n > SDL_TEXTINPUTEVENT_TEXT_SIZE - 1) {
      n = SDL_TEXTINPUTEVENT_TEXT_SIZE - 1;
      while (n > 0 && (static_cast<unsigned char>(utf8[at + n]) & 0xC0) == 0x80) --n;
      if (n == 0) n = SDL_TEXTINPUTEVENT_TEXT_SIZE - 1;
    }
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = id;
    std::memcpy(e.text.text, utf8 + at, n);
    e.text.text[n] = 0;
    if (!Push(e)) return false;
    at += n;
  }
  return true;
}

bool Win32InjectMouseMotion(HWND window, int x, int y, int dx, int dy) {
  const Uint32 id = TargetId(window);
  if (id == 0) return false;
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = id;
  e.motion.x = x;
  e.motion.y = y;
  e.motion.xrel = dx;
  e.motion.yrel = dy;
  return Push(e);
}

bool Win32InjectMouseButton(HWND window, int button, bool down) {
  const Uint32 id = TargetId(window);
  if (id == 0 || button < 0 || button > 2) return false;
  const POINT at = Win32CursorClientPoint();
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.windowID = id;
  e.button.button = SdlButton(button);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = at.x;
  e.button.y = at.y;
  return Push(e);
}

bool Win32InjectMouseWheel(HWND window, int notches) {
  const Uint32 id = TargetId(window);
  if (id == 0) return false;
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = id;
  e.wheel.y = notches;
  e.wheel.preciseY = static_cast<float>(notches);
  e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  return Push(e);
}

bool Win32InjectFocus(HWND window, bool gained) {
  const Uint32 id = TargetId(window);
  if (id == 0) return false;
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = id;
  e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
  return Push(e);
}

void Win32ResetInjectedModifiers() { gModifiers = KMOD_NONE; }
