#include "platform/win32/cursor.h"

#include <SDL2/SDL.h>

#include <climits>
#include <set>

#include "platform/win32/window.h"

namespace {

struct CursorState {
  int displayCount = 0;
  HCURSOR current = nullptr;
  std::set<HCURSOR> made;
  std::uintptr_t nextHandle = 0xC0;
  bool clipped = false;
  RECT clip{};
};

CursorState& State() {
  static CursorState state;
  return state;
}

// The built-in arrow and icon are handles only: SDL draws its own arrow.
HCURSOR NewCursorHandle() {
  CursorState& s = State();
  HCURSOR handle = reinterpret_cast<HCURSOR>(s.nextHandle);
  s.nextHandle += 0x10;
  s.made.insert(handle);
  return handle;
}

// Applies the clip to every window of the program: the part of the
// rectangle over a window, in that window's client coordinates.
void ApplyClip() {
  const CursorState& s = State();
  for (HWND window : Win32Windows()) {
    SDL_Window* sdl = static_cast<SDL_Window*>(Win32SdlWindow(window));
    if (sdl == nullptr) continue;
    if (!s.clipped) {
      SDL_SetWindowMouseRect(sdl, nullptr);
      continue;
    }
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &w, &h);
    SDL_Rect r{s.clip.left - x, s.clip.top - y, s.clip.right - s.clip.left, s.clip.bottom - s.clip.top};
    if (r.x < 0) r.w += r.x, r.x = 0;
    if (r.y < 0) r.h += r.y, r.y = 0;
    if (r.x + r.w > w) r.w = w - r.x;
    if (r.y + r.h > h) r.h = h - r.y;
    SDL_SetWindowMouseRect(sdl, r.w > 0 && r.h > 0 ? &r : nullptr);
  }
}

}  // namespace

int ShowCursor(BOOL show) {
  CursorState& s = State();
  s.displayCount += show ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(s.displayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return s.displayCount;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = State().current;
  State().current = cursor;
  return previous;
}

HCURSOR GetCursor() { return State().current; }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) { return name != nullptr ? NewCursorHandle() : nullptr; }

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  // Icons are never drawn here; one fixed handle stands for the built-in icon.
  static int builtInIcon;
  return name != nullptr ? reinterpret_cast<HICON>(&builtInIcon) : nullptr;
}

BOOL DestroyCursor(HCURSOR cursor) {
  CursorState& s = State();
  if (cursor == nullptr || s.made.erase(cursor) == 0) return FALSE;
  if (s.current == cursor) s.current = nullptr;
  return TRUE;
}

BOOL ClipCursor(const RECT* rect) {
  CursorState& s = State();
  s.clipped = rect != nullptr;
  if (rect != nullptr) s.clip = *rect;
  ApplyClip();
  return TRUE;
}

BOOL GetClipCursor(RECT* rect) {
  if (rect == nullptr) return FALSE;
  const CursorState& s = State();
  *rect = s.clipped ? s.clip : RECT{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
  return TRUE;
}

bool Win32CursorIsClipped() { return State().clipped; }

int Win32LiveCursorCount() { return static_cast<int>(State().made.size()); }
