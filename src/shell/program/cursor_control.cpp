#include "shell/program/cursor_control.h"

#include "platform/win32/cursor.h"
#include "platform/win32/window.h"
#include "shell/program/shell_state.h"

void ShowGameCursor(std::uint32_t show) {
  CursorWanted = show;
  if (show == 0) {
    while (ShowCursor(FALSE) >= 0) {
    }
    CursorShown = 0;
    return;
  }
  while (ShowCursor(TRUE) < 0) {
  }
  SetCursor(GameCursor);
  CursorShown = 1;
}

void SetMenuMode(std::uint32_t value) {
  CursorWanted = value;
  CursorShown = value != 0 ? 1 : 0;
}

void ClipCursorToWindow() {
  RECT r{};
  if (!GetWindowRect(MainWindow, &r)) return;
  r.left += kCursorClipInset;
  r.right -= kCursorClipInset;
  r.bottom -= kCursorClipInset;
  ClipRect = r;
  ClipCursor(&ClipRect);
}

void ReleaseCursorClip() { ClipCursor(nullptr); }
