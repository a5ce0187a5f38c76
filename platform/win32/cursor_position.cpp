#include "platform/win32/cursor_position.h"

#include <SDL2/SDL.h>

#include "platform/win32/window.h"
#include "platform/win32/window_bridge.h"

namespace {

// The window's client origin in screen coordinates; false for an unknown handle.
bool ClientOrigin(HWND window, POINT* origin) {
  SDL_Window* sdl = static_cast<SDL_Window*>(Win32SdlWindow(window));
  if (!sdl) return false;
  SDL_GetWindowPosition(sdl, &origin->x, &origin->y);
  return true;
}

HWND CursorWindow() {
  HWND w = Win32CursorWindow();
  return w ? w : Win32FirstWindow();
}

}  // namespace

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  POINT p = Win32CursorClientPoint();
  HWND w = CursorWindow();
  if (w) ClientToScreen(w, &p);
  *point = p;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  HWND w = CursorWindow();
  if (!w) return FALSE;
  POINT p{x, y};
  ScreenToClient(w, &p);
  Win32SetCursorClientPoint(w, p);
  // Offscreen there is no pointer to move.
  if (!Win32WindowsAreOffscreen()) {
    SDL_Window* sdl = static_cast<SDL_Window*>(Win32SdlWindow(w));
    Win32NoteWarp(SDL_GetWindowID(sdl), p.x, p.y);
    SDL_WarpMouseInWindow(sdl, p.x, p.y);
  }
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  POINT origin;
  if (!point || !ClientOrigin(window, &origin)) return FALSE;
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  POINT origin;
  if (!point || !ClientOrigin(window, &origin)) return FALSE;
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

HWND SetCapture(HWND window) {
  HWND previous = Win32CaptureWindow();
  if (!IsWindow(window)) return previous;
  Win32SetCaptureWindow(window);
  // Not every video driver can capture (the offscreen one cannot); the
  // window keeps its mouse messages either way.
  SDL_CaptureMouse(SDL_TRUE);
  return previous;
}

BOOL ReleaseCapture() {
  if (!Win32CaptureWindow()) return FALSE;
  Win32SetCaptureWindow(nullptr);
  SDL_CaptureMouse(SDL_FALSE);
  return TRUE;
}

HWND GetCapture() { return Win32CaptureWindow(); }
