#include "shell/program/program_entry.h"

#include "control/input/input.h"
#include "foundation/memory/memory_category.h"
#include "platform/win32/clocks.h"
#include "platform/win32/cursor.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "shell/frame/run_frame.h"
#include "shell/program/command_line.h"
#include "shell/program/cursor_control.h"
#include "shell/program/game_initialise.h"
#include "shell/program/main_window.h"
#include "shell/program/select_device.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"

namespace {
LoopFrameHook g_frameHook = nullptr;
void* g_frameContext = nullptr;

bool DeviceCanDraw() { return g_Render == nullptr || g_Render->CheckDevice(); }

void Frame() {
  if (g_frameHook != nullptr)
    g_frameHook(g_frameContext);
  else
    RunFrame();
}
}  // namespace

void SetLoopFrameHook(LoopFrameHook hook, void* context) {
  g_frameHook = hook;
  g_frameContext = context;
}

int RunMessageLoop() {
  for (;;) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (WindowActive == 0) {
      // Nothing can ever arrive (an offscreen run): the program ends.
      if (!WaitMessage()) return 0;
    } else if (DeviceCanDraw()) {
      if (static_cast<DWORD>(GetWindowLongA(MainWindow, GWL_STYLE)) != kGameWindowStyle) {
        SetWindowLongA(MainWindow, GWL_STYLE, static_cast<LONG>(kGameWindowStyle));
        ShowGameCursor(0);
      }
      Frame();
      ClipCursorToWindow();
      AdvanceKeyStates();
    } else {
      ReleaseCursorClip();
      Sleep(kLostDeviceSleepMs);
    }
    if (QuitRequested != 0) return 0;
  }
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  AppInstance = instance;
  QuitRequested = 0;
  if (!CreateMainWindow(instance, 0)) return 0;
  ClearMemoryCategoryUsage();
  DirectStart = 0;
  ParseCommandLine(GameCommandLine());
  if (!GameInitialise()) {
    TraceStep("game initialise failed");
    DestroyWindow(MainWindow);
    DestroyCursor(GameCursor);
    GameCursor = nullptr;
    // The quit message the window's end posted belongs to this start.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return 0;
  }
  ShowGameCursor(0);
  if (QuitRequested != 0) return 0;
  return RunMessageLoop();
}
