// The window procedure and the message loop, against scripted message
// queues, on a started game.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control/input/input.h"
#include "platform/dinput8/dinput8_test_hooks.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/clocks.h"
#include "platform/win32/cursor.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "shell/program/cursor_control.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/main_window.h"
#include "shell/program/program_entry.h"
#include "shell/program/select_device.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"

namespace {

class WindowAndLoop : public GameStart {
 protected:
  void SetUp() override {
    GameStart::SetUp();
    ASSERT_EQ(Start(), 1);
    ASSERT_TRUE(boxes_.empty());
  }
  void TearDown() override {
    SetLoopFrameHook(nullptr, nullptr);
    SetSleepHook(nullptr, nullptr);
    SetWaitMessageHook(nullptr, nullptr);
    GameStart::TearDown();
  }
};

// The system cursor's display count (negative: hidden), left as it was.
int DisplayCount() {
  const int count = ShowCursor(FALSE) + 1;
  ShowCursor(TRUE);
  return count;
}

LPARAM KeyCodeParam(int code) { return (static_cast<LPARAM>(code & 0xFF) << 16) | (code >= 256 ? kKeyExtendedBit : 0); }

TEST_F(WindowAndLoop, KeyAndMouseMessagesReachInputUnlessTheirWParamIs255) {
  struct Case {
    UINT message;
    int key;  // key code, or -1 - button for a mouse button
  } cases[] = {{WM_KEYDOWN, 30}, {WM_SYSKEYDOWN, 56}, {WM_KEYDOWN, 256 + 28}, {WM_LBUTTONDOWN, -1},
               {WM_RBUTTONDOWN, -2}, {WM_MBUTTONDOWN, -3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    FlushInput();
    auto down = [&] { return c.key >= 0 ? IsKeyDown(c.key) : IsMouseButtonDown(-1 - c.key); };
    EXPECT_EQ(SendMessageA(MainWindow, c.message, 255, c.key >= 0 ? KeyCodeParam(c.key) : 0), 0);
    EXPECT_FALSE(down());
    EXPECT_EQ(SendMessageA(MainWindow, c.message, 'A', c.key >= 0 ? KeyCodeParam(c.key) : 0), 0);
    EXPECT_TRUE(down());
  }
}

TEST_F(WindowAndLoop, ActivationSetsTheActiveWordTellsInputAndAnswersOne) {
  ASSERT_NE(g_Input, nullptr);
  DInputSetCallLog(true);
  EXPECT_EQ(SendMessageA(MainWindow, WM_ACTIVATE, WA_INACTIVE, 0), 1);
  EXPECT_EQ(WindowActive, 0u);
  EXPECT_FALSE(g_Input->IsActive());
  EXPECT_EQ(SendMessageA(MainWindow, WM_ACTIVATE, WA_ACTIVE, 0), 1);
  EXPECT_EQ(WindowActive, 1u);
  EXPECT_TRUE(g_Input->IsActive());
  // Active, then the re-acquire step: the mouse is acquired twice.
  const std::vector<std::string>& calls = DInputCallLog();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Mouse.Acquire"), 2);
  DInputSetCallLog(false);
}

TEST_F(WindowAndLoop, TheClipIsTheWindowRectangleInsetFourPixelsLeftRightAndBottom) {
  for (UINT message : {WM_MOVE, WM_SIZE, WM_SETFOCUS}) {
    SCOPED_TRACE(message);
    SendMessageA(MainWindow, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(Win32CursorIsClipped());
    SendMessageA(MainWindow, message, 0, 0);
    RECT window{}, clip{};
    GetWindowRect(MainWindow, &window);
    ASSERT_TRUE(Win32CursorIsClipped());
    GetClipCursor(&clip);
    EXPECT_EQ(clip.left, window.left + 4);
    EXPECT_EQ(clip.right, window.right - 4);
    EXPECT_EQ(clip.bottom, window.bottom - 4);
    EXPECT_EQ(clip.top, window.top);
  }
}

struct LoopRecord {
  int frames = 0;
  int waits = 0;
  std::vector<DWORD> sleeps;
  int quitAfterFrames = 1;
  int allowResetAfterSleeps = 0;
  IDirect3DDevice8* device = nullptr;
  bool clippedWhileLost = false;
};

void CountFrame(void* context) {
  auto* r = static_cast<LoopRecord*>(context);
  if (++r->frames >= r->quitAfterFrames) PostQuitMessage(7);
}

BOOL CountWait(void* context) {
  ++static_cast<LoopRecord*>(context)->waits;
  return FALSE;
}

void RecordSleep(DWORD ms, void* context) {
  auto* r = static_cast<LoopRecord*>(context);
  r->sleeps.push_back(ms);
  r->clippedWhileLost = r->clippedWhileLost || Win32CursorIsClipped();
  if (static_cast<int>(r->sleeps.size()) == r->allowResetAfterSleeps) D3D8TestAllowReset(r->device);
}

TEST_F(WindowAndLoop, AnInactiveWindowOnlyWaits) {
  LoopRecord r;
  SetLoopFrameHook(CountFrame, &r);
  SetWaitMessageHook(CountWait, &r);
  SendMessageA(MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(r.waits, 1);
  EXPECT_EQ(r.frames, 0);
}

TEST_F(WindowAndLoop, TheQuitMessageEndsTheLoopWithItsCode) {
  LoopRecord r;
  r.quitAfterFrames = 3;
  SetLoopFrameHook(CountFrame, &r);
  EXPECT_EQ(RunMessageLoop(), 7);
  EXPECT_EQ(r.frames, 3);
  PostQuitMessage(42);
  EXPECT_EQ(RunMessageLoop(), 42);
  EXPECT_EQ(r.frames, 3);
}

TEST_F(WindowAndLoop, ALostDeviceReleasesTheClipAndSleepsThenTheFrameRunsInTheGameStyle) {
  LoopRecord r;
  r.device = g_Render->GetDevice();
  r.allowResetAfterSleeps = 2;
  SetLoopFrameHook(CountFrame, &r);
  SetSleepHook(RecordSleep, &r);
  // The window lost its style meanwhile, and the system cursor shows.
  SetWindowLongA(MainWindow, GWL_STYLE, static_cast<LONG>(kCreateWindowStyle | WS_VISIBLE));
  ShowGameCursor(1);
  ClipCursorToWindow();
  D3D8TestLoseDevice(r.device);
  EXPECT_EQ(RunMessageLoop(), 7);
  EXPECT_EQ(r.sleeps, (std::vector<DWORD>{100, 100}));
  EXPECT_FALSE(r.clippedWhileLost);
  EXPECT_EQ(r.frames, 1);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(MainWindow, GWL_STYLE)), kGameWindowStyle);
  EXPECT_EQ(CursorShown, 0u);
  EXPECT_LT(DisplayCount(), 0);
  // After the frame the clip is back.
  EXPECT_TRUE(Win32CursorIsClipped());
}

// The first frame shows the cursor again: a style check that ran on every
// pass would hide it before the second.
void ShowCursorInFirstFrame(void* context) {
  auto* r = static_cast<LoopRecord*>(context);
  if (r->frames == 0) ShowGameCursor(1);
  CountFrame(context);
}

TEST_F(WindowAndLoop, TheStyleIsSetOnceAndTheFrameIsFollowedByTheInputStep) {
  LoopRecord r;
  r.quitAfterFrames = 2;
  SetLoopFrameHook(ShowCursorInFirstFrame, &r);
  SetWindowLongA(MainWindow, GWL_STYLE, static_cast<LONG>(kCreateWindowStyle | WS_VISIBLE));
  SendMessageA(MainWindow, WM_KEYDOWN, 'A', KeyCodeParam(30));
  EXPECT_TRUE(WasKeyPressed(30));
  EXPECT_EQ(RunMessageLoop(), 7);
  // The key pressed before the frames is held after them.
  EXPECT_TRUE(IsKeyDown(30));
  EXPECT_FALSE(WasKeyPressed(30));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(MainWindow, GWL_STYLE)), kGameWindowStyle);
  EXPECT_EQ(r.frames, 2);
  EXPECT_EQ(CursorShown, 1u);
  EXPECT_GE(DisplayCount(), 0);
}

TEST_F(WindowAndLoop, DestroyingTheWindowShutsTheGameDownOnceAndPostsQuitZero) {
  const HWND window = MainWindow;
  EXPECT_EQ(Stop(), 0);
  EXPECT_EQ(Count(TracedSteps(), "WM_DESTROY"), 1);
  EXPECT_EQ(Count(TracedSteps(), "-engine"), 1);
  // A second WM_DESTROY reaching the procedure runs nothing again.
  MainWindowProc(window, WM_DESTROY, 0, 0);
  EXPECT_EQ(Count(TracedSteps(), "WM_DESTROY"), 1);
  EXPECT_EQ(Count(TracedSteps(), "-engine"), 1);
  EXPECT_FALSE(Win32CursorIsClipped());
}

}  // namespace
