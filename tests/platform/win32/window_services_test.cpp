// The window stand-in's services for the game's start-up and loop: the
// cursor, the system settings, built-in libraries, waiting for messages,
// activation on show and the scan codes of key messages.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/win32/clocks.h"
#include "platform/win32/cursor.h"
#include "platform/win32/library.h"
#include "platform/win32/system_parameters.h"
#include "platform/win32/window.h"

namespace {

std::vector<UINT> g_seen;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(DWORD style) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "HalberdWindowServicesTest";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "HalberdWindowServicesTest", "services", style, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                         nullptr);
}

void Drain() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(Cursor, TheDisplayCountShowsAndHidesAndCursorsAreMadeAndDestroyed) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  const int live = Win32LiveCursorCount();
  HCURSOR c = LoadCursorA(nullptr, MAKEINTRESOURCEA(104));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, nullptr), nullptr);
  EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(101)), nullptr);
  SetCursor(c);
  EXPECT_EQ(GetCursor(), c);
  EXPECT_EQ(Win32LiveCursorCount(), live + 1);
  EXPECT_TRUE(DestroyCursor(c));
  EXPECT_FALSE(DestroyCursor(c));
  EXPECT_EQ(GetCursor(), nullptr);
  EXPECT_EQ(Win32LiveCursorCount(), live);
}

TEST(Cursor, TheClipIsKeptUntilItIsFreed) {
  HWND w = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(w, nullptr);
  RECT r{10, 20, 200, 150}, got{};
  EXPECT_TRUE(ClipCursor(&r));
  EXPECT_TRUE(Win32CursorIsClipped());
  GetClipCursor(&got);
  EXPECT_EQ(got.left, 10);
  EXPECT_EQ(got.bottom, 150);
  EXPECT_TRUE(ClipCursor(nullptr));
  EXPECT_FALSE(Win32CursorIsClipped());
  GetClipCursor(&got);
  EXPECT_LT(got.left, -100000);
  DestroyWindow(w);
  Drain();
}

TEST(SystemParameters, TheThreeActiveSettingsReadBackWhatWasWritten) {
  const UINT pairs[][2] = {{SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE},
                           {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE},
                           {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE}};
  for (const auto& p : pairs) {
    for (UINT value : {0u, 1u}) {
      EXPECT_TRUE(SystemParametersInfoA(p[1], value, nullptr, SPIF_SENDCHANGE));
      BOOL got = -1;
      EXPECT_TRUE(SystemParametersInfoA(p[0], 0, &got, 0));
      EXPECT_EQ(got, static_cast<BOOL>(value));
    }
    EXPECT_FALSE(SystemParametersInfoA(p[0], 0, nullptr, 0));
  }
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, nullptr, 0));
}

TEST(Libraries, TheNetworkHelperIsBuiltInAndCanBeMadeAbsent) {
  HMODULE helper = LoadLibraryA("DPNHPAST.DLL");
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(Win32LoadedLibraryCount(), 1);
  EXPECT_TRUE(FreeLibrary(helper));
  EXPECT_FALSE(FreeLibrary(helper));
  Win32SetLibraryPresent("dpnhpast.dll", false);
  EXPECT_EQ(LoadLibraryA("dpnhpast.dll"), nullptr);
  Win32SetLibraryPresent("dpnhpast.dll", true);
  EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(Win32LoadedLibraryCount(), 0);
}

TEST(Clocks, SleepGoesToTheHookWhenOneIsInstalled) {
  static std::vector<DWORD> slept;
  SetSleepHook([](DWORD ms, void*) { slept.push_back(ms); }, nullptr);
  Sleep(100);
  Sleep(7);
  SetSleepHook(nullptr, nullptr);
  EXPECT_EQ(slept, (std::vector<DWORD>{100, 7}));
  EXPECT_EQ(GetTickCount(), timeGetTime());
}

TEST(Messages, WaitingReturnsForAPostedMessageAndNeverBlocksOffscreen) {
  HWND w = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(w, nullptr);
  Drain();
  PostMessageA(w, WM_USER, 0, 0);
  EXPECT_TRUE(WaitMessage());
  Drain();
  // Offscreen nothing can arrive: the wait answers at once.
  EXPECT_FALSE(WaitMessage());
  static int hooked = 0;
  SetWaitMessageHook(
      [](void*) -> BOOL {
        ++hooked;
        return TRUE;
      },
      nullptr);
  EXPECT_TRUE(WaitMessage());
  SetWaitMessageHook(nullptr, nullptr);
  EXPECT_EQ(hooked, 1);
  DestroyWindow(w);
  Drain();
}

TEST(Messages, ShowingAHiddenWindowActivatesIt) {
  g_seen.clear();
  HWND w = MakeWindow(WS_OVERLAPPEDWINDOW);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), WM_ACTIVATE), 0);
  ShowWindow(w, SW_SHOW);
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), WM_ACTIVATE), 1);
  ShowWindow(w, SW_SHOW);  // already shown: no second activation
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), WM_ACTIVATE), 1);
  DestroyWindow(w);
  Drain();
}

TEST(Messages, KeyMessagesCarryTheScanCodeAndTheExtendedBit) {
  HWND w = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(w, nullptr);
  Drain();
  const struct {
    SDL_Scancode scancode;
    SDL_Keycode key;
    int code;
  } cases[] = {{SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 1},   {SDL_SCANCODE_A, SDLK_a, 30},
               {SDL_SCANCODE_F4, SDLK_F4, 62},         {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 256 + 28},
               {SDL_SCANCODE_UP, SDLK_UP, 256 + 72},   {SDL_SCANCODE_RALT, SDLK_RALT, 256 + 56}};
  for (const auto& c : cases) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(Win32SdlWindow(w)));
    e.key.keysym.scancode = c.scancode;
    e.key.keysym.sym = c.key;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    MSG msg{};
    bool found = false;
    while (!found && PeekMessageA(&msg, w, 0, 0, PM_REMOVE))
      found = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    ASSERT_TRUE(found) << c.code;
    EXPECT_EQ(static_cast<int>((static_cast<std::uint64_t>(msg.lParam) >> 16) & 0x1FF), c.code);
  }
  DestroyWindow(w);
  Drain();
}

}  // namespace
