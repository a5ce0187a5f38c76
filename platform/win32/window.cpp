#include "platform/win32/window.h"

#include "platform/win32/dialog.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <deque>
#include <map>
#include <string>

#include "platform/win32/code_page.h"
#include "platform/win32/key_codes.h"
#include "platform/win32/keyboard_layout.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window_bridge.h"

namespace {

struct WindowRecord {
  SDL_Window* sdl = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  bool visible = false;
};

struct WindowSystem {
  std::map<std::string, WNDCLASSA> classes;
  std::map<HWND, WindowRecord> windows;
  std::deque<MSG> posted;
  std::uintptr_t nextHandle = 0x10;
  bool videoUp = false;
  // The cursor as last reported: the window it was over and its client point.
  HWND cursorWindow = nullptr;
  POINT cursor{0, 0};
  HWND capture = nullptr;
  // A pointer warp whose motion event is still to come (see window_bridge.h).
  bool warpPending = false;
  Uint32 warpWindowId = 0;
  int warpX = 0, warpY = 0;
  WaitMessageHook waitHook = nullptr;
  void* waitContext = nullptr;
};

WindowSystem& System() {
  static WindowSystem system;
  return system;
}

WindowRecord* Find(HWND window) {
  auto it = System().windows.find(window);
  return it == System().windows.end() ? nullptr : &it->second;
}

HWND FromSdl(Uint32 id) {
  for (auto& [handle, record] : System().windows)
    if (record.sdl && SDL_GetWindowID(record.sdl) == id) return handle;
  return nullptr;
}

// The frame model: side border and title bar heights of a style.
void Frame(DWORD style, int* side, int* title) {
  *side = (style & WS_THICKFRAME) ? 4 : ((style & WS_BORDER) ? 1 : 0);
  *title = ((style & WS_CAPTION) == WS_CAPTION) ? 18 : 0;
}

bool EnsureVideo() {
  if (System().videoUp) return true;
  // No display and no driver asked for: draw offscreen, and say so.
  const bool driverNamed = SDL_getenv("SDL_VIDEODRIVER") != nullptr;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "window: no video system (%s)\n", SDL_GetError());
    if (driverNamed || SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen") == SDL_FALSE ||
        SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
      return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driverNamed && driver != nullptr && SDL_strcmp(driver, "offscreen") == 0)
    std::fprintf(stderr, "window: no display, drawing offscreen\n");
  // Every window may carry the device's OpenGL context.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The GL library stays loaded for the life of the process, rather than
  // coming and going with the last window: unloading the driver would only
  // strand what it keeps.
  if (SDL_GL_LoadLibrary(nullptr) != 0) std::fprintf(stderr, "window: no OpenGL library (%s)\n", SDL_GetError());
  System().videoUp = true;
  return true;
}

WPARAM MouseKeys(Uint32 buttons) {
  WPARAM w = 0;
  if (buttons & SDL_BUTTON_LMASK) w |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) w |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) w |= MK_MBUTTON;
  SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) w |= MK_SHIFT;
  if (mod & KMOD_CTRL) w |= MK_CONTROL;
  return w;
}

LPARAM Point(int x, int y) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))); }

// Turns one SDL event into zero or more window messages at the queue's end.
void Translate(const SDL_Event& e) {
  auto post = [](HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (w) System().posted.push_back(MSG{w, m, wp, lp, SDL_GetTicks(), {0, 0}});
  };
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      HWND w = FromSdl(e.key.windowID);
      // The key code from the physical key: set-1 scan code in bits 16..23,
      // the extended flag in bit 24.  Keys without a code are not reported.
      const int code = Win32KeyCodeFromSdlScancode(e.key.keysym.scancode);
      if (code == 0) break;
      const bool down = e.type == SDL_KEYDOWN;
      const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      // Alt held, or F10 on its own, makes the system key messages.
      const bool system = alt || code == 68;
      UINT msg = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
      // lParam: repeat count 1, the key code, context (Alt), previous-state
      // and transition bits.
      LPARAM lp = 1 | (static_cast<LPARAM>(code) << 16);
      if (alt) lp |= 1 << 29;
      if (e.key.repeat || !down) lp |= 1 << 30;
      if (!down) lp |= static_cast<LPARAM>(1u << 31);
      Win32NoteKeyState(Win32VirtualKeyFromKeyCode(code), down);
      post(w, msg, Win32VirtualKeyFromKeyCode(code), lp);
      // The keys whose translation is a control character (Backspace, Tab,
      // Enter on either block, Escape) also give their WM_CHAR, as the
      // system's message translation does; SDL's text input has none of them.
      if (down && !alt) {
        const WPARAM control = code == 14 ? 8 : code == 15 ? 9 : (code == 28 || code == 284) ? 13 : code == 1 ? 27 : 0;
        if (control != 0) post(w, WM_CHAR, control, lp);
      }
      break;
    }
    case SDL_TEXTINPUT: {
      // One WM_CHAR per character of the game's code page; others are dropped.
      HWND w = FromSdl(e.text.windowID);
      unsigned char bytes[sizeof e.text.text];
      const std::size_t n = Utf8ToCodePage1252(e.text.text, bytes, sizeof bytes);
      for (std::size_t i = 0; i < n; ++i) post(w, WM_CHAR, bytes[i], 1);
      break;
    }
    case SDL_MOUSEMOTION: {
      HWND w = FromSdl(e.motion.windowID);
      if (w) {
        System().cursorWindow = w;
        System().cursor = POINT{e.motion.x, e.motion.y};
      }
      post(w, WM_MOUSEMOVE, MouseKeys(e.motion.state), Point(e.motion.x, e.motion.y));
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool down = e.type == SDL_MOUSEBUTTONDOWN;
      UINT msg = 0;
      if (e.button.button == SDL_BUTTON_LEFT) msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      if (e.button.button == SDL_BUTTON_RIGHT) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      if (e.button.button == SDL_BUTTON_MIDDLE) msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      HWND w = FromSdl(e.button.windowID);
      if (w) {
        System().cursorWindow = w;
        System().cursor = POINT{e.button.x, e.button.y};
      }
      if (msg) post(w, msg, MouseKeys(SDL_GetMouseState(nullptr, nullptr)),
                    Point(e.button.x, e.button.y));
      break;
    }
    case SDL_MOUSEWHEEL: {
      WPARAM wp = (static_cast<WPARAM>(static_cast<WORD>(e.wheel.y * WHEEL_DELTA)) << 16) |
                  MouseKeys(SDL_GetMouseState(nullptr, nullptr));
      post(FromSdl(e.wheel.windowID), WM_MOUSEWHEEL, wp, 0);
      break;
    }
    case SDL_WINDOWEVENT: {
      HWND w = FromSdl(e.window.windowID);
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          post(w, WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          post(w, WM_SIZE, SIZE_RESTORED, MAKELONG(e.window.data1, e.window.data2));
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          post(w, WM_SIZE, SIZE_MINIMIZED, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          post(w, WM_ACTIVATEAPP, 1, 0);
          post(w, WM_ACTIVATE, WA_ACTIVE, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          post(w, WM_ACTIVATE, WA_INACTIVE, 0);
          post(w, WM_ACTIVATEAPP, 0, 0);
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          post(w, WM_PAINT, 0, 0);
          break;
        default:
          break;
      }
      break;
    }
    case SDL_QUIT:
      if (!System().windows.empty()) post(System().windows.begin()->first, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

bool Matches(const MSG& m, HWND window, UINT lo, UINT hi) {
  if (window && m.hwnd != window) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

}  // namespace

WORD RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
  auto& classes = System().classes;
  if (classes.count(windowClass->lpszClassName)) return 0;
  classes[windowClass->lpszClassName] = *windowClass;
  return static_cast<WORD>(0xC000 + classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
  if (!className) return nullptr;
  auto cls = System().classes.find(className);
  if (cls == System().classes.end()) return nullptr;
  if (!EnsureVideo()) return nullptr;
  if (width == CW_USEDEFAULT || width <= 0) width = 640;
  if (height == CW_USEDEFAULT || height <= 0) height = 480;
  if (x == CW_USEDEFAULT) x = SDL_WINDOWPOS_UNDEFINED;
  if (y == CW_USEDEFAULT) y = SDL_WINDOWPOS_UNDEFINED;
  int side, bar;
  Frame(style, &side, &bar);
  int cw = width - 2 * side > 0 ? width - 2 * side : 1;
  int ch = height - 2 * side - bar > 0 ? height - 2 * side - bar : 1;
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if (!(style & (WS_BORDER | WS_THICKFRAME))) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* sdl = SDL_CreateWindow(title ? title : "", x, y, cw, ch, flags);
  if (!sdl) {
    std::fprintf(stderr, "window: cannot create a window (%s)\n", SDL_GetError());
    return nullptr;
  }
  HWND handle = reinterpret_cast<HWND>(System().nextHandle);
  System().nextHandle += 0x10;
  WindowRecord record;
  record.sdl = sdl;
  record.proc = cls->second.lpfnWndProc;
  record.style = style & ~WS_VISIBLE;
  record.exStyle = exStyle;
  System().windows[handle] = record;
  record.proc(handle, WM_CREATE, 0, 0);
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  WindowRecord* w = Find(window);
  if (!w) return FALSE;
  WNDPROC proc = w->proc;
  proc(window, WM_DESTROY, 0, 0);
  w = Find(window);
  if (!w) return TRUE;
  SDL_DestroyWindow(w->sdl);
  System().windows.erase(window);
  if (GetActiveWindow() == window) SetActiveWindowForBoxes(nullptr);
  if (System().cursorWindow == window) System().cursorWindow = nullptr;
  if (System().capture == window) System().capture = nullptr;
  std::deque<MSG>& q = System().posted;
  for (auto it = q.begin(); it != q.end();) it = it->hwnd == window ? q.erase(it) : it + 1;
  return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
  WindowRecord* w = Find(window);
  if (!w) return FALSE;
  BOOL was = w->visible ? TRUE : FALSE;
  bool activate = false;
  switch (command) {
    case SW_HIDE:
      SDL_HideWindow(w->sdl);
      w->visible = false;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      SDL_MinimizeWindow(w->sdl);
      break;
    default:
      SDL_ShowWindow(w->sdl);
      if (command == SW_SHOWMAXIMIZED) SDL_MaximizeWindow(w->sdl);
      if (command == SW_RESTORE) SDL_RestoreWindow(w->sdl);
      activate = !w->visible;
      w->visible = true;
      SetActiveWindowForBoxes(window);
      break;
  }
  if (activate) SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
  return was;
}

BOOL UpdateWindow(HWND window) { return Find(window) ? TRUE : FALSE; }

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  WindowRecord* w = Find(window);
  if (!w) return Win32SetDialogTitle(window, text) ? TRUE : FALSE;
  SDL_SetWindowTitle(w->sdl, text ? text : "");
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
  WindowRecord* w = Find(window);
  if (!w) return FALSE;
  int side, bar;
  Frame(w->style, &side, &bar);
  if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(w->sdl, x + side, y + side + bar);
  if (!(flags & SWP_NOSIZE)) {
    int cw = width - 2 * side, ch = height - 2 * side - bar;
    SDL_SetWindowSize(w->sdl, cw > 0 ? cw : 1, ch > 0 ? ch : 1);
  }
  if (flags & SWP_FRAMECHANGED)
    SDL_SetWindowBordered(w->sdl, (w->style & (WS_BORDER | WS_THICKFRAME)) ? SDL_TRUE : SDL_FALSE);
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL) {
  if (!rect) return FALSE;
  int side, bar;
  Frame(style, &side, &bar);
  rect->left -= side;
  rect->right += side;
  rect->top -= side + bar;
  rect->bottom += side;
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  WindowRecord* w = Find(window);
  if (!w || !rect) return FALSE;
  int cw, ch;
  SDL_GetWindowSize(w->sdl, &cw, &ch);
  *rect = RECT{0, 0, cw, ch};
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  WindowRecord* w = Find(window);
  if (!w || !rect) return FALSE;
  int x, y, cw, ch;
  SDL_GetWindowPosition(w->sdl, &x, &y);
  SDL_GetWindowSize(w->sdl, &cw, &ch);
  *rect = RECT{x, y, x + cw, y + ch};
  return AdjustWindowRect(rect, w->style, FALSE);
}

LONG GetWindowLongA(HWND window, int index) {
  WindowRecord* w = Find(window);
  if (!w) return 0;
  DWORD style = w->style | (w->visible ? WS_VISIBLE : 0);
  if (index == GWL_STYLE) return static_cast<LONG>(style);
  if (index == GWL_EXSTYLE) return static_cast<LONG>(w->exStyle);
  return 0;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  WindowRecord* w = Find(window);
  if (!w) return 0;
  LONG old = GetWindowLongA(window, index);
  if (index == GWL_STYLE) {
    w->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
    if ((static_cast<DWORD>(value) & WS_VISIBLE) && !w->visible) ShowWindow(window, SW_SHOW);
  } else if (index == GWL_EXSTYLE) {
    w->exStyle = static_cast<DWORD>(value);
  } else {
    return 0;
  }
  return old;
}

BOOL IsWindow(HWND window) { return Find(window) ? TRUE : FALSE; }

namespace {

// Takes the first message of the queue that the filter lets through.
bool TakeQueued(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  std::deque<MSG>& q = System().posted;
  for (auto it = q.begin(); it != q.end(); ++it) {
    // WM_QUIT is not bound to a window: it matches every filter window.
    if (it->message == WM_QUIT || Matches(*it, window, filterMin, filterMax)) {
      *msg = *it;
      if (remove & PM_REMOVE) q.erase(it);
      return true;
    }
  }
  return false;
}

// Reads the window system once and translates everything it had.
void PumpSdlEvents() {
  SDL_PumpEvents();
  SDL_Event events[32];
  for (;;) {
    const int n = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    if (n <= 0) break;
    for (int i = 0; i < n; ++i) Translate(events[i]);
  }
}

}  // namespace

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (!msg) return FALSE;
  // What is queued already goes first; the window system is read only when
  // nothing queued is wanted.
  if (TakeQueued(msg, window, filterMin, filterMax, remove)) return TRUE;
  if (!System().videoUp) return FALSE;
  PumpSdlEvents();
  return TakeQueued(msg, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  MSG peeked;
  if (PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
  WindowSystem& system = System();
  if (system.waitHook != nullptr) return system.waitHook(system.waitContext);
  // Nothing can arrive without a real display: answer rather than wait for ever.
  if (!system.videoUp || Win32WindowsAreOffscreen()) return FALSE;
  while (!PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) SDL_WaitEventTimeout(nullptr, 100);
  return TRUE;
}

void SetWaitMessageHook(WaitMessageHook hook, void* context) {
  System().waitHook = hook;
  System().waitContext = context;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return FALSE;
  while (!PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) {
    if (!System().videoUp && System().posted.empty()) {
      // Nothing can ever arrive: answer a quit rather than wait for ever.
      *msg = MSG{nullptr, WM_QUIT, 0, 0, 0, {0, 0}};
      return 0;
    }
    SDL_WaitEventTimeout(nullptr, 10);
  }
  return msg->message == WM_QUIT ? 0 : 1;
}

BOOL TranslateMessage(const MSG* msg) { return msg ? TRUE : FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = Find(window);
  if (!w) return 0;
  return w->proc(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !Find(window)) return FALSE;
  System().posted.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  System().posted.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {0, 0}});
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (paint == nullptr || !Find(window)) return nullptr;
  *paint = PAINTSTRUCT{};
  GetClientRect(window, &paint->rcPaint);
  // A device context is never drawn through here: the window's handle stands for it.
  paint->hdc = reinterpret_cast<HDC>(window);
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) { return paint != nullptr && Find(window) ? TRUE : FALSE; }

HGDIOBJ GetStockObject(int object) {
  static int stockObjects[16];
  return object >= 0 && object < 16 ? &stockObjects[object] : nullptr;
}

std::vector<HWND> Win32Windows() {
  std::vector<HWND> handles;
  for (const auto& [handle, record] : System().windows) handles.push_back(handle);
  return handles;
}

void* Win32SdlWindow(HWND window) {
  WindowRecord* w = Find(window);
  return w ? w->sdl : nullptr;
}

bool Win32WindowsAreOffscreen() {
  if (!System().videoUp) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && SDL_strcmp(driver, "offscreen") == 0;
}

HWND Win32CursorWindow() { return Find(System().cursorWindow) ? System().cursorWindow : nullptr; }

POINT Win32CursorClientPoint() { return System().cursor; }

void Win32SetCursorClientPoint(HWND window, POINT client) {
  System().cursorWindow = window;
  System().cursor = client;
}

HWND Win32CaptureWindow() { return Find(System().capture) ? System().capture : nullptr; }

void Win32SetCaptureWindow(HWND window) { System().capture = window; }

HWND Win32FirstWindow() { return System().windows.empty() ? nullptr : System().windows.begin()->first; }

std::uint32_t Win32SdlWindowId(HWND window) {
  WindowRecord* w = Find(window);
  return w ? SDL_GetWindowID(w->sdl) : 0;
}

void Win32NoteWarp(std::uint32_t sdlWindowId, int x, int y) {
  System().warpPending = true;
  System().warpWindowId = sdlWindowId;
  System().warpX = x;
  System().warpY = y;
}

bool Win32TakeWarpEcho(std::uint32_t sdlWindowId, int x, int y) {
  WindowSystem& s = System();
  if (!s.warpPending || s.warpWindowId != sdlWindowId || s.warpX != x || s.warpY != y) return false;
  s.warpPending = false;
  return true;
}
