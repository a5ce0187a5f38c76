#include "shell/program/main_window.h"

#include "control/input/input.h"
#include "platform/win32/cursor.h"
#include "platform/win32/window.h"
#include "shell/level/level_cycle.h"
#include "shell/program/cursor_control.h"
#include "shell/program/game_initialise.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"

namespace {

// The window procedure's answer for a WM_DESTROY seen before: the shut-down
// runs once.
bool g_destroyed = false;

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

int CreateMainWindow(HINSTANCE instance, int showCommand) {
  GameCursor = LoadCursorA(instance, MAKEINTRESOURCEA(kCursorResource));
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  wc.hCursor = GameCursor;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kWindowClassName;
  // The class stays registered for the process: a second start (tests) uses it again.
  RegisterClassA(&wc);
  RECT rect{0, 0, kCreateClientWidth, kCreateClientHeight};
  AdjustWindowRect(&rect, kCreateWindowStyle, FALSE);
  g_destroyed = false;
  MainWindow = CreateWindowExA(0, kWindowClassName, kWindowTitle, kCreateWindowStyle, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
  if (MainWindow == nullptr) return 0;
  ShowWindow(MainWindow, showCommand);
  return 1;
}

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsInputMessage(message)) {
    if (wParam != 255) HandleInputMessage(message, wParam, lParam);
    return 0;
  }
  switch (message) {
    case WM_DESTROY:
      if (!g_destroyed) {
        g_destroyed = true;
        TraceStep("WM_DESTROY");
        LevelShutdown();
        GameShutdown();
        ReleaseCursorClip();
        PostQuitMessage(0);
      }
      if (window == MainWindow) MainWindow = nullptr;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_MOVE:
    case WM_SIZE:
    case WM_SETFOCUS:
      ClipCursorToWindow();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATE:
      SetInputActive(wParam != 0 ? 1 : 0);
      WindowActive = wParam != 0 ? 1 : 0;
      AcquireMouse();
      return 1;
    case WM_KILLFOCUS:
      ReleaseCursorClip();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 1;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void QuitGame() { PostMessageA(MainWindow, WM_CLOSE, 0, 0); }
