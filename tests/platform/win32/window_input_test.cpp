// Keyboard, text and mouse input through the window stand-in: SDL events made
// by the injection functions go through the pump and translation and reach
// the window procedure as the messages a Windows window would get.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/clocks.h"
#include "platform/win32/code_page.h"
#include "platform/win32/cursor_position.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/key_codes.h"
#include "platform/win32/window.h"

namespace {

std::vector<MSG> gReceived;

LRESULT Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= WM_KEYDOWN && message <= 0x0108) || (message >= WM_MOUSEMOVE && message <= 0x0209))
    gReceived.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
  return 0;
}

class WindowInput : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA cls{};
      cls.lpfnWndProc = &Record;
      cls.lpszClassName = "InputRecording";
      ASSERT_NE(RegisterClassA(&cls), 0);
      registered = true;
    }
    window_ = CreateWindowExA(0, "InputRecording", "t", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    Pump();
    gReceived.clear();
    Win32ResetInjectedModifiers();
  }
  void TearDown() override {
    DestroyWindow(window_);
    Pump();
  }
  // Delivers every queued message to the window procedure.
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  // The key messages an injected press and release of `key` produce (the
  // character messages of control keys left out).
  std::vector<MSG> PressAndRelease(const char* key) {
    std::vector<MSG> keys;
    for (const MSG& m : AllOfPressAndRelease(key))
      if (m.message != WM_CHAR) keys.push_back(m);
    return keys;
  }
  std::vector<MSG> AllOfPressAndRelease(const char* key) {
    gReceived.clear();
    EXPECT_TRUE(Win32InjectKey(window_, key, true)) << key;
    EXPECT_TRUE(Win32InjectKey(window_, key, false)) << key;
    Pump();
    return gReceived;
  }
  HWND window_ = nullptr;
};

TEST_F(WindowInput, KeyMessagesCarryTheSetOneScanCodeWithTheExtendedBit) {
  struct Case {
    const char* sdlName;
    int code;
    WPARAM vk;
  };
  const Case cases[] = {
      {"Escape", 1, VK_ESCAPE},     {"A", 30, 'A'},           {"0", 11, '0'},
      {"Space", 57, VK_SPACE},      {"Keypad 7", 71, VK_NUMPAD0 + 7}, {"F12", 88, VK_F1 + 11},
      {"Right Ctrl", 285, VK_CONTROL}, {"Keypad Enter", 284, VK_RETURN}, {"Keypad /", 309, VK_DIVIDE},
      {"Home", 327, VK_HOME},       {"Left", 331, VK_LEFT},   {"Delete", 339, VK_DELETE},
  };
  for (const Case& c : cases) {
    std::vector<MSG> got = PressAndRelease(c.sdlName);
    ASSERT_EQ(got.size(), 2u) << c.sdlName;
    EXPECT_EQ(got[0].message, WM_KEYDOWN) << c.sdlName;
    EXPECT_EQ(got[1].message, WM_KEYUP) << c.sdlName;
    for (const MSG& m : got) {
      EXPECT_EQ((static_cast<std::uint32_t>(m.lParam) >> 16) & 0x1FF, static_cast<std::uint32_t>(c.code)) << c.sdlName;
      EXPECT_EQ(m.wParam, c.vk) << c.sdlName;
      EXPECT_EQ(m.lParam & 0xFFFF, 1) << c.sdlName;
    }
    // Transition and previous-state bits of the key-up message.
    EXPECT_NE(static_cast<std::uint32_t>(got[1].lParam) & 0xC0000000u, 0u);
  }
}

TEST_F(WindowInput, ControlKeysAlsoSendTheirCharacterAfterTheKeyDown) {
  struct Case {
    const char* sdlName;
    WPARAM character;  // 0: no character message
  } cases[] = {{"Backspace", 8}, {"Tab", 9}, {"Return", 13}, {"Keypad Enter", 13}, {"Escape", 27}, {"A", 0},
               {"Left", 0}};
  for (const Case& c : cases) {
    const std::vector<MSG> got = AllOfPressAndRelease(c.sdlName);
    ASSERT_EQ(got.size(), c.character != 0 ? 3u : 2u) << c.sdlName;
    EXPECT_EQ(got[0].message, WM_KEYDOWN) << c.sdlName;
    if (c.character == 0) continue;
    EXPECT_EQ(got[1].message, WM_CHAR) << c.sdlName;
    EXPECT_EQ(got[1].wParam, c.character) << c.sdlName;
    EXPECT_EQ(got[1].lParam & 0xFFFF, 1) << c.sdlName;
    EXPECT_EQ(got[2].message, WM_KEYUP) << c.sdlName;
  }
}

TEST_F(WindowInput, AltHeldMakesSystemKeyMessagesAndUnknownKeysSendNothing) {
  ASSERT_TRUE(Win32InjectKey(window_, "Left Alt", true));
  ASSERT_TRUE(Win32InjectKey(window_, "F", true));
  ASSERT_TRUE(Win32InjectKey(window_, "F", false));
  ASSERT_TRUE(Win32InjectKey(window_, "Left Alt", false));
  // A key the game has no code for (a media key).
  ASSERT_TRUE(Win32InjectKey(window_, "AudioMute", true));
  Pump();
  ASSERT_EQ(gReceived.size(), 4u);
  EXPECT_EQ(gReceived[0].message, WM_SYSKEYDOWN);
  EXPECT_EQ(gReceived[1].message, WM_SYSKEYDOWN);
  EXPECT_EQ((gReceived[1].lParam >> 16) & 0x1FF, 33);
  EXPECT_EQ(gReceived[2].message, WM_SYSKEYUP);
  // Alt's own release, with no Alt left held, is a plain key-up.
  EXPECT_EQ(gReceived[3].message, WM_KEYUP);
  EXPECT_FALSE(Win32InjectKey(window_, "NoSuchKeyName", true));
}

TEST_F(WindowInput, TypedTextArrivesAsCodePageBytes) {
  ASSERT_TRUE(Win32InjectText(window_, "a\xC3\xA9\xE2\x82\xAC\xE6\xBC\xA2Z"));  // a é € 漢 Z
  Pump();
  std::vector<WPARAM> chars;
  for (const MSG& m : gReceived)
    if (m.message == WM_CHAR) chars.push_back(m.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 0xE9, 0x80, 'Z'}));
}

TEST(CodePage, Utf8ConvertsToWindows1252AndDropsTheRest) {
  struct Case {
    const char* utf8;
    std::string bytes;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"\xC2\xA3\xC3\xBF", "\xA3\xFF"},               // £ ÿ
      {"\xE2\x80\x9C\xE2\x84\xA2", "\x93\x99"},       // “ ™
      {"\xC5\x92\xC5\xB8", "\x8C\x9F"},               // Œ Ÿ
      {"\xF0\x9F\x98\x80x", "x"},                     // an emoji is dropped
      {"\xC3", ""},                                   // cut sequence
      {"\xC0\xAF", ""},                               // over-long form
      {"\x80\xBF" "b", "b"},                          // stray continuation bytes
      {"\xC2\x81", ""},                               // a control the code page has no byte for
  };
  for (const Case& c : cases) {
    unsigned char out[32];
    const std::size_t n = Utf8ToCodePage1252(c.utf8, out, sizeof out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), n), c.bytes) << c.utf8;
  }
  unsigned char small[2];
  EXPECT_EQ(Utf8ToCodePage1252("abcdef", small, sizeof small), 2u);
}

TEST(KeyNames, FixedEnglishNamesByKeyCode) {
  struct Case {
    int code;
    const char* name;
  };
  const Case cases[] = {{1, "Esc"}, {30, "A"}, {57, "Space"}, {285, "Right Ctrl"}, {309, "Num /"},
                        {328, "Up"}, {284, "Num Enter"}, {86, "\\"}};
  for (const Case& c : cases) {
    char buffer[32];
    EXPECT_EQ(GetKeyNameTextA(static_cast<LONG>(c.code) << 16, buffer, sizeof buffer),
              static_cast<int>(std::string(c.name).size()));
    EXPECT_STREQ(buffer, c.name);
  }
  char buffer[4] = "xyz";
  EXPECT_EQ(GetKeyNameTextA(200 << 16, buffer, sizeof buffer), 0);  // no key
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetKeyNameTextA(57 << 16, buffer, sizeof buffer), 3);  // cut to the buffer
  EXPECT_STREQ(buffer, "Spa");
}

TEST_F(WindowInput, CursorFollowsMouseEventsAndMovesOnRequest) {
  ASSERT_TRUE(Win32InjectMouseMotion(window_, 10, 20, 3, 4));
  Pump();
  POINT p{};
  ASSERT_TRUE(GetCursorPos(&p));
  ASSERT_TRUE(ScreenToClient(window_, &p));
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 20);

  POINT target{5, 6};
  ASSERT_TRUE(ClientToScreen(window_, &target));
  ASSERT_TRUE(SetCursorPos(target.x, target.y));
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, target.x);
  EXPECT_EQ(p.y, target.y);

  // Buttons go down and up where the cursor is.
  ASSERT_TRUE(Win32InjectMouseButton(window_, 1, true));
  ASSERT_TRUE(Win32InjectMouseButton(window_, 1, false));
  gReceived.clear();
  Pump();
  ASSERT_EQ(gReceived.size(), 2u);
  EXPECT_EQ(gReceived[0].message, WM_RBUTTONDOWN);
  EXPECT_EQ(gReceived[1].message, WM_RBUTTONUP);
  EXPECT_EQ(LOWORD(gReceived[0].lParam), 5);
  EXPECT_EQ(HIWORD(gReceived[0].lParam), 6);
  EXPECT_FALSE(Win32InjectMouseButton(window_, 3, true));
}

TEST_F(WindowInput, CaptureIsHeldByOneWindowAtATime) {
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(SetCapture(window_), nullptr);
  EXPECT_EQ(GetCapture(), window_);
  EXPECT_EQ(SetCapture(window_), window_);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_FALSE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  // A destroyed window lets its capture go.
  SetCapture(window_);
  DestroyWindow(window_);
  EXPECT_EQ(GetCapture(), nullptr);
  window_ = CreateWindowExA(0, "InputRecording", "t", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
}

TEST(FakeSleep, SleepIsHandedToTheHook) {
  static DWORD asked = 0;
  SetSleepHook([](DWORD ms, void*) { asked += ms; }, nullptr);
  Sleep(10);
  Sleep(20);
  SetSleepHook(nullptr, nullptr);
  EXPECT_EQ(asked, 30u);
}

}  // namespace
