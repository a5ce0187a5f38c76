// The input object end to end: SDL events pushed into the window stand-in
// reach it through the pump and the window procedure; pads are SDL virtual
// game controllers read through the DirectInput stand-in.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "control/bindings/key_names.h"
#include "control/input/input.h"
#include "control/input/input_window_fixture.h"
#include "platform/dinput8/dinput8_test_hooks.h"
#include "platform/dinput8/virtual_controller.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/clocks.h"
#include "platform/win32/message_box.h"

namespace {

using InputEvents = InputWindowTest;

void PressKey(const char* key) { ASSERT_TRUE(Win32InjectKey(nullptr, key, true)) << key; }
void ReleaseKey(const char* key) { ASSERT_TRUE(Win32InjectKey(nullptr, key, false)) << key; }

TEST_F(InputEvents, KeyPressedAndReleasedBetweenFramesReadsBothThenUp) {
  PressKey("Space");
  ReleaseKey("Space");
  BeginFrame();
  EXPECT_EQ(g_Input->GetKeyState(57), KEY_STATE_TAPPED);
  EXPECT_TRUE(IsKeyDown(57));
  EXPECT_TRUE(WasKeyPressed(57));
  EXPECT_TRUE(WasKeyReleased(57));
  EndFrame();
  BeginFrame();
  EXPECT_EQ(g_Input->GetKeyState(57), KEY_STATE_UP);
  EXPECT_FALSE(IsKeyDown(57));
  EXPECT_FALSE(WasKeyReleased(57));
}

TEST_F(InputEvents, KeyReleasedAndPressedAgainGoesHeldReleasedPressed) {
  PressKey("W");
  BeginFrame();
  EndFrame();
  EXPECT_EQ(g_Input->GetKeyState(17), KEY_STATE_HELD);
  ReleaseKey("W");
  Pump();
  EXPECT_EQ(g_Input->GetKeyState(17), KEY_STATE_RELEASED);
  PressKey("W");
  Pump();
  EXPECT_EQ(g_Input->GetKeyState(17), KEY_STATE_PRESSED);
  // KEY_NONE is never down and always released; codes outside the table are nothing.
  EXPECT_FALSE(IsKeyDown(KEY_NONE));
  EXPECT_FALSE(WasKeyPressed(KEY_NONE));
  EXPECT_TRUE(WasKeyReleased(KEY_NONE));
  EXPECT_FALSE(IsKeyDown(-1));
  EXPECT_FALSE(IsKeyDown(600));
}

TEST_F(InputEvents, EveryBindingKeyNameArrivesAtItsCode) {
  // The SDL key of each name of the binding files.
  struct Key {
    const char* binding;
    const char* sdl;  // null: the extra key of ISO keyboards, which SDL gives no name
  };
  constexpr int kIsoExtraKeyScancode = 100;
  const Key keys[] = {
      {"ESC", "Escape"},       {"1", "1"},           {"2", "2"},          {"3", "3"},
      {"4", "4"},              {"5", "5"},           {"6", "6"},          {"7", "7"},
      {"8", "8"},              {"9", "9"},           {"0", "0"},          {"MINUS", "-"},
      {"EQUALS", "="},         {"BACKSPACE", "Backspace"}, {"TAB", "Tab"}, {"Q", "Q"},
      {"W", "W"},              {"E", "E"},           {"R", "R"},          {"T", "T"},
      {"Y", "Y"},              {"U", "U"},           {"I", "I"},          {"O", "O"},
      {"P", "P"},              {"LBRACE", "["},      {"RBRACE", "]"},     {"RETURN", "Return"},
      {"LCTRL", "Left Ctrl"},  {"A", "A"},           {"S", "S"},          {"D", "D"},
      {"F", "F"},              {"G", "G"},           {"H", "H"},          {"J", "J"},
      {"K", "K"},              {"L", "L"},           {"SEMICOLON", ";"},  {"QUOTE", "'"},
      {"BACKQUOTE", "`"},      {"LSHIFT", "Left Shift"}, {"BACKSLASH", "\\"}, {"Z", "Z"},
      {"X", "X"},              {"C", "C"},           {"V", "V"},          {"B", "B"},
      {"N", "N"},              {"M", "M"},           {"COMMA", ","},      {"FULLSTOP", "."},
      {"FORWARDSLASH", "/"},   {"RSHIFT", "Right Shift"}, {"KP_STAR", "Keypad *"}, {"LALT", "Left Alt"},
      {"SPACE", "Space"},      {"CAPSLOCK", "CapsLock"}, {"F1", "F1"},    {"F2", "F2"},
      {"F3", "F3"},            {"F4", "F4"},         {"F5", "F5"},        {"F6", "F6"},
      {"F7", "F7"},            {"F8", "F8"},         {"F9", "F9"},        {"F10", "F10"},
      {"NUMLOCK", "Numlock"},  {"SCROLLLOCK", "ScrollLock"}, {"KP_7", "Keypad 7"}, {"KP_8", "Keypad 8"},
      {"KP_9", "Keypad 9"},    {"KP_MINUS", "Keypad -"}, {"KP_4", "Keypad 4"}, {"KP_5", "Keypad 5"},
      {"KP_6", "Keypad 6"},    {"KP_PLUS", "Keypad +"}, {"KP_1", "Keypad 1"}, {"KP_2", "Keypad 2"},
      {"KP_3", "Keypad 3"},    {"KP_0", "Keypad 0"}, {"KP_FULLSTOP", "Keypad ."}, {"SLASH", nullptr},
      {"F11", "F11"},          {"F12", "F12"},       {"RCTRL", "Right Ctrl"}, {"KP_BACKSLASH", "Keypad /"},
      {"RALT", "Right Alt"},   {"HOME", "Home"},     {"UPARROW", "Up"},   {"PAGEUP", "PageUp"},
      {"LEFTARROW", "Left"},   {"RIGHTARROW", "Right"}, {"END", "End"},   {"DOWNARROW", "Down"},
      {"PAGEDOWN", "PageDown"}, {"INSERT", "Insert"}, {"DELETE", "Delete"}, {"KPENTER", "Keypad Enter"},
  };
  // Every name of the table but the no-key one is covered.
  int covered = 0;
  for (const KeyNameEntry& entry : KeyNameTable) {
    if (entry.code == KEY_NONE) continue;
    bool found = false;
    for (const Key& k : keys) found = found || std::string(k.binding) == entry.name;
    EXPECT_TRUE(found) << entry.name;
    covered += found ? 1 : 0;
  }
  EXPECT_EQ(covered, kKeyNameCount - 1);
  for (const Key& k : keys) {
    const int code = KeyCodeFromName(k.binding);
    ASSERT_GT(code, 0) << k.binding;
    if (k.sdl) PressKey(k.sdl);
    else ASSERT_TRUE(Win32InjectScancode(nullptr, kIsoExtraKeyScancode, true));
    BeginFrame();
    EXPECT_TRUE(WasKeyPressed(code)) << k.binding;
    if (k.sdl) ReleaseKey(k.sdl);
    else ASSERT_TRUE(Win32InjectScancode(nullptr, kIsoExtraKeyScancode, false));
    EndFrame();
    BeginFrame();
    EXPECT_TRUE(WasKeyReleased(code)) << k.binding;
    EndFrame();
  }
}

TEST_F(InputEvents, TypedTextAndEditingKeysFillTheQueue) {
  // Off: nothing is queued.
  ASSERT_TRUE(Win32InjectText(nullptr, "ignored"));
  Pump();
  EXPECT_EQ(g_Input->PopTypedChar(), 0u);

  FlushTextInput();
  ASSERT_TRUE(Win32InjectText(nullptr, "\xC3\xA9\xE2\x82\xAC"));  // é €
  for (const char* key : {"Left", "Home", "PageDown", "Delete", "Insert", "Keypad 5"}) {
    PressKey(key);
    ReleaseKey(key);
  }
  Pump();
  const std::vector<std::uint32_t> expected = {0xE9, 0x80, TYPED_LEFT, TYPED_HOME, TYPED_PAGE_DOWN, TYPED_DELETE,
                                               TYPED_INSERT};
  for (std::uint32_t e : expected) EXPECT_EQ(g_Input->PopTypedChar(), e);
  EXPECT_EQ(g_Input->PopTypedChar(), 0u);

  // The ring keeps at most 511 entries.
  ASSERT_TRUE(Win32InjectText(nullptr, std::string(600, 'x').c_str()));
  Pump();
  int count = 0;
  while (g_Input->PopTypedChar() == 'x') ++count;
  EXPECT_EQ(count, 511);
  g_Input->StopTextInput();
  EXPECT_FALSE(g_Input->IsTextInputOn());
}

TEST_F(InputEvents, RepeatCountsPushTheirFullCount) {
  FlushTextInput();
  // A character message repeated 17 times (the count is 16 bits wide).
  HandleInputMessage(0x0102, 'k', 17);
  // An arrow key held down with a repeat count of 3.
  HandleInputMessage(0x0100, 0x25, 3 | (331 << 16));
  int ks = 0, lefts = 0;
  for (std::uint32_t e; (e = g_Input->PopTypedChar()) != 0;) {
    ks += e == 'k';
    lefts += e == TYPED_LEFT;
  }
  EXPECT_EQ(ks, 17);
  EXPECT_EQ(lefts, 3);
}

TEST_F(InputEvents, LosingTheFocusReleasesHeldKeysAndButtons) {
  PressKey("W");
  ASSERT_TRUE(Win32InjectMouseButton(nullptr, 0, true));
  BeginFrame();
  EndFrame();
  ASSERT_TRUE(IsKeyDown(17));
  ASSERT_TRUE(g_Input->IsMouseButtonDown(0));
  // Alt+Tab away: the key-up of W is never seen by the window.
  ASSERT_TRUE(Win32InjectFocus(nullptr, false));
  BeginFrame();
  EXPECT_TRUE(WasKeyReleased(17));
  EXPECT_TRUE(g_Input->WasMouseButtonReleased(0));
  EndFrame();
  BeginFrame();
  EXPECT_FALSE(IsKeyDown(17));
  EXPECT_FALSE(g_Input->IsMouseButtonDown(0));
  EndFrame();
}

TEST_F(InputEvents, MouseButtonsFollowTheKeyRules) {
  ASSERT_TRUE(Win32InjectMouseButton(nullptr, 2, true));
  ASSERT_TRUE(Win32InjectMouseButton(nullptr, 2, false));
  BeginFrame();
  EXPECT_TRUE(g_Input->WasMouseButtonPressed(2));
  EXPECT_TRUE(g_Input->WasMouseButtonReleased(2));
  EndFrame();
  ASSERT_TRUE(Win32InjectMouseButton(nullptr, 1, true));
  BeginFrame();
  EndFrame();
  EXPECT_TRUE(g_Input->IsMouseButtonDown(1));
  EXPECT_FALSE(g_Input->WasMouseButtonPressed(1));
  g_Input->ClearMouseButton(1);
  EXPECT_FALSE(g_Input->IsMouseButtonDown(1));
  EXPECT_FALSE(g_Input->IsMouseButtonDown(3));
}

TEST_F(InputEvents, MouseMotionIsSmoothedPerThirtiethOfASecond) {
  ASSERT_TRUE(Win32InjectMouseMotion(nullptr, 100, 50, 6, -3));
  BeginFrame(50);  // 0.05 s: weight 1.5
  float dx = 0, dy = 0;
  g_Input->GetSmoothedMouse(&dx, &dy);
  EXPECT_FLOAT_EQ(dx, 2.0f * 6 / 1.5f);
  EXPECT_FLOAT_EQ(dy, 2.0f * -3 / 1.5f);
  EXPECT_EQ(g_Input->GetMouseDeltaX(), 6);
  EXPECT_EQ(g_Input->GetCursorX(), 100);
  EXPECT_EQ(g_Input->GetCursorY(), 50);
  EndFrame();
  // A frame of 20 ms: weight 0.6.
  ASSERT_TRUE(Win32InjectMouseMotion(nullptr, 103, 50, 3, 0));
  BeginFrame(20);
  g_Input->GetSmoothedMouse(&dx, &dy);
  EXPECT_NEAR(dx, 2.0f * 3 / 0.6f, 1e-4);
  EndFrame();
  // A stopped clock gives a frame time of 0: no motion, and no NaN.
  gameClock_->SetRunning(0);
  ASSERT_TRUE(Win32InjectMouseMotion(nullptr, 110, 50, 7, 7));
  BeginFrame(20);
  g_Input->GetSmoothedMouse(&dx, &dy);
  EXPECT_EQ(dx, 0.0f);
  EXPECT_EQ(dy, 0.0f);
  // The cursor is kept on the back buffer.
  ASSERT_TRUE(Win32InjectMouseMotion(nullptr, 5000, -20, 0, 0));
  BeginFrame();
  EXPECT_EQ(g_Input->GetCursorX(), 319);
  EXPECT_EQ(g_Input->GetCursorY(), 0);
}

TEST_F(InputEvents, WaitingForInputSilencesQueriesAndCapturesTheNextKey) {
  PressKey("Return");  // still held from the menu that started the capture
  BeginFrame();
  EndFrame();
  g_Input->StartWaitForInput(WAIT_KEYBOARD | WAIT_MOUSE);
  EXPECT_FALSE(IsKeyDown(28));
  BeginFrame();
  EXPECT_EQ(g_Input->GetWaitState(), 1);  // Return still held
  EndFrame();
  ReleaseKey("Return");
  BeginFrame();
  EndFrame();
  BeginFrame();
  EXPECT_EQ(g_Input->GetWaitState(), 2);
  EndFrame();
  PressKey("G");
  BeginFrame();
  EndFrame();
  BeginFrame();  // G held: seen and captured
  EXPECT_EQ(g_Input->GetWaitState(), 3);
  EXPECT_FALSE(IsKeyDown(34));
  EndFrame();
  ReleaseKey("G");
  BeginFrame();
  EndFrame();
  BeginFrame();
  EXPECT_FALSE(g_Input->IsWaitingForInput());
  EXPECT_EQ(g_Input->GetCapturedKey(), 34);
  EXPECT_EQ(g_Input->GetCapturedMouseButton(), kNoCapture);
  EXPECT_EQ(g_Input->GetCapturedJoystickButton(), kNoCapture);
}

TEST_F(InputEvents, BlockingWaitEndsOnTimeoutOrInputWithoutRealSleeps) {
  const unsigned before = NowMs();
  WaitForAnyInput(500);
  // 10 ms passes a round until more than 500 ms went by, then 20 ms.
  EXPECT_GE(NowMs() - before, 500u);
  EXPECT_LE(NowMs() - before, 540u);

  // A key pressed before the wait is forgotten; one pressed during it (here
  // on the third pause) ends it.
  PressKey("Q");
  static int pauses = 0;
  pauses = 0;
  SetSleepHook(
      [](DWORD ms, void*) {
        Advance(ms);
        if (++pauses == 3) Win32InjectKey(nullptr, "E", true);
      },
      nullptr);
  WaitForAnyInput(0);
  EXPECT_EQ(pauses, 4);  // three rounds, then the closing pause

  // A pad button pressed during the wait ends it too.
  const int pad = AttachVirtualController();
  BeginFrame();
  static int padHandle = 0;
  padHandle = pad;
  pauses = 0;
  SetSleepHook(
      [](DWORD ms, void*) {
        Advance(ms);
        if (++pauses == 2) SetVirtualControllerButton(padHandle, 0, true);
      },
      nullptr);
  WaitForAnyInput(0);
  EXPECT_EQ(pauses, 3);
  SetSleepHook([](DWORD ms, void*) { Advance(ms); }, nullptr);
}

TEST_F(InputEvents, IdleClockRestartsOnAKey) {
  BeginFrame(400);
  EndFrame();
  BeginFrame(400);
  EXPECT_NEAR(g_Input->GetIdleTime(), 0.8f, 0.01f);
  EndFrame();
  PressKey("A");
  BeginFrame(100);
  EndFrame();  // the key went down in this frame
  BeginFrame(100);
  EXPECT_NEAR(g_Input->GetIdleTime(), 0.0f, 0.01f);
  EndFrame();
  BeginFrame(100);
  EXPECT_NEAR(g_Input->GetIdleTime(), 0.1f, 0.01f);
  g_Input->SetIdleOffsetToMax();
  EXPECT_GT(g_Input->GetIdleTime(), 1e30f);
}

TEST_F(InputEvents, WithoutDirectInputAnErrorBoxAndKeysStillWork) {
  ShutdownInput();
  static int boxes = 0;
  static std::string text;
  SetMessageBoxHook(
      [](HWND, const char* t, const char*, UINT, void*) {
        ++boxes;
        text = t;
        return 1;
      },
      nullptr);
  DInputFailNext("DirectInput8Create");
  EXPECT_FALSE(InitInput(nullptr, window_));
  SetMessageBoxHook(nullptr, nullptr);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(text, "DirectInput8Create : Failed");
  g_Input->SetClocks(gameClock_.get(), realClock_.get());
  PressKey("K");
  ASSERT_TRUE(Win32InjectMouseMotion(nullptr, 1, 1, 9, 9));
  BeginFrame();
  EXPECT_TRUE(WasKeyPressed(37));
  EXPECT_EQ(g_Input->GetMouseDeltaX(), 0);
  EXPECT_EQ(g_Input->GetJoystickCount(), 0);
}

// ---- Pads -------------------------------------------------------------------

// The stick position (before the 40 % dead zone) that reads as `whole`.
float StickFor(float whole) {
  const float magnitude = 0.4f + 0.6f * std::fabs(whole);
  return whole < 0 ? -magnitude : magnitude;
}

constexpr int kYNeg = 16, kYPos = 17, kYWhole = 18, kXNeg = 19, kXPos = 20, kXWhole = 21;

TEST_F(InputEvents, PadStickGivesWholeAndHalfAxisInputs) {
  const int pad = AttachVirtualController();
  ASSERT_NE(pad, 0);
  BeginFrame();
  ASSERT_EQ(g_Input->GetJoystickCount(), 1);
  // X at 0.25: the whole axis is down, neither half (X's threshold is 0.3).
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::X, StickFor(0.25f)));
  BeginFrame();
  EXPECT_FLOAT_EQ(g_Input->GetJoystickInput(0, kXWhole).value, 0.25f);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXWhole).flags, JOY_INPUT_PRESSED | JOY_INPUT_DOWN);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXPos).flags, JOY_INPUT_UP);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXNeg).flags, JOY_INPUT_UP);
  // X at -0.5: the negative half is down with 0.5.
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::X, StickFor(-0.5f)));
  BeginFrame();
  EXPECT_FLOAT_EQ(g_Input->GetJoystickInput(0, kXNeg).value, 0.5f);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXNeg).flags, JOY_INPUT_PRESSED | JOY_INPUT_DOWN);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXWhole).flags, JOY_INPUT_DOWN);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXWhole).holdCount, 2u);
  // Y has threshold 0: any push forward is the negative half.
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::Y, StickFor(-1.0f)));
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::X, 0.0f));
  BeginFrame();
  EXPECT_FLOAT_EQ(g_Input->GetJoystickInput(0, kYNeg).value, 1.0f);
  EXPECT_FLOAT_EQ(g_Input->GetJoystickInput(0, kYWhole).value, -1.0f);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kYPos).flags, JOY_INPUT_UP);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXWhole).flags, JOY_INPUT_RELEASED | JOY_INPUT_UP);
  EXPECT_EQ(g_Input->GetJoystickInput(0, kXWhole).holdCount, 0u);
}

TEST_F(InputEvents, PadButtonGoesThroughItsFlagSequence) {
  const int pad = AttachVirtualController();
  BeginFrame();
  const std::uint32_t expected[] = {6, 4, 4, 9, 1, 1};
  const bool down[] = {true, true, true, false, false, false};
  for (int f = 0; f < 6; ++f) {
    ASSERT_TRUE(SetVirtualControllerButton(pad, 3, down[f]));
    BeginFrame();
    EXPECT_EQ(g_Input->GetJoystickInput(0, 3).flags, expected[f]) << "frame " << f;
    EXPECT_FLOAT_EQ(g_Input->GetJoystickInput(0, 3).value, down[f] ? 1.0f : 0.0f);
    EndFrame();
  }
}

TEST_F(InputEvents, PadsComeAndGoBetweenFramesAndANinthIsIgnored) {
  std::vector<int> pads;
  for (int i = 0; i < 9; ++i) pads.push_back(AttachVirtualController());
  BeginFrame();
  EXPECT_EQ(g_Input->GetJoystickCount(), 8);
  // Pad 2 holds a button and is pulled out mid-frame.
  ASSERT_TRUE(SetVirtualControllerButton(pads[2], 0, true));
  BeginFrame();
  ASSERT_EQ(g_Input->GetJoystickInput(2, 0).flags, JOY_INPUT_PRESSED | JOY_INPUT_DOWN);
  ASSERT_TRUE(DetachVirtualController(pads[2]));
  BeginFrame();
  // Gone: released, then up and still; the ninth pad takes the free slot.
  EXPECT_EQ(g_Input->GetJoystickInput(2, 0).flags & JOY_INPUT_DOWN, 0u);
  EXPECT_EQ(g_Input->GetJoystickCount(), 8);
  EXPECT_TRUE(g_Input->HasJoystick(2));
  BeginFrame();
  EXPECT_EQ(g_Input->GetJoystickInput(2, 0).flags, JOY_INPUT_UP);
  // Attach and remove every frame: no stuck input, no NaN.
  for (int f = 0; f < 6; ++f) {
    const int extra = AttachVirtualController();
    SetVirtualControllerAxis(extra, VirtualAxis::Y, -1.0f);
    BeginFrame();
    DetachVirtualController(pads[f % 2 == 0 ? 0 : 1]);
    pads[f % 2 == 0 ? 0 : 1] = extra;
    BeginFrame();
    for (int slot = 0; slot < kMaxJoysticks; ++slot)
      for (int i = 0; i < kJoystickInputs; ++i) EXPECT_FALSE(std::isnan(g_Input->GetJoystickInput(slot, i).value));
  }
  DetachAllVirtualControllers();
  BeginFrame();
  BeginFrame();
  EXPECT_EQ(g_Input->GetJoystickCount(), 0);
  for (int slot = 0; slot < kMaxJoysticks; ++slot)
    for (int i = 0; i < kJoystickInputs; ++i) EXPECT_EQ(g_Input->GetJoystickInput(slot, i).flags, JOY_INPUT_UP);
}

TEST_F(InputEvents, PadThatFailsItsSetUpIsSkippedWithItsMessage) {
  static std::vector<std::string> lines;
  lines.clear();
  SetDebugOutputHook([](const char* text, void*) { lines.push_back(text); }, nullptr);
  DInputFailNext("Joystick.SetDataFormat");
  AttachVirtualController("first");
  AttachVirtualController("second");
  BeginFrame();
  SetDebugOutputHook(nullptr, nullptr);
  EXPECT_EQ(g_Input->GetJoystickCount(), 1);
  int failures = 0, found = 0;
  for (const std::string& l : lines) {
    failures += l == "IDirectInputDevice8::SetDataFormat FAILED\n";
    found += l.rfind("Found joystick \"", 0) == 0;
  }
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(found, 2);
}

TEST_F(InputEvents, PadWaitCapturesTheFirstMovedAxisAndTheButton) {
  const int pad = AttachVirtualController();
  BeginFrame();
  g_Input->StartWaitForInput(WAIT_JOYSTICK);
  BeginFrame();  // nothing held: 1 -> 2
  ASSERT_EQ(g_Input->GetWaitState(), 2);
  // Rz and Z both moved: Rz comes first (captured as 2); button 5 down.
  SetVirtualControllerAxis(pad, VirtualAxis::Z, 1.0f);
  SetVirtualControllerAxis(pad, VirtualAxis::Rz, 1.0f);
  SetVirtualControllerButton(pad, 5, true);
  BeginFrame();
  EXPECT_EQ(g_Input->GetWaitState(), 3);
  // While waiting the pad's inputs are not stepped.
  EXPECT_EQ(g_Input->GetJoystickInput(0, 5).flags, JOY_INPUT_UP);
  SetVirtualControllerAxis(pad, VirtualAxis::Z, 0.0f);
  SetVirtualControllerAxis(pad, VirtualAxis::Rz, 0.0f);
  SetVirtualControllerButton(pad, 5, false);
  BeginFrame();
  EXPECT_EQ(g_Input->GetWaitState(), 0);
  EXPECT_EQ(g_Input->GetCapturedJoystickAxis(), 2);
  EXPECT_EQ(g_Input->GetCapturedJoystickButton(), 5);
  EXPECT_EQ(g_Input->GetCapturedKey(), kNoCapture);
}

// The strength the pad's motors get for a force (the stand-in scales the
// force's size to 0..65535).
std::uint16_t Strength(long force) {
  return static_cast<std::uint16_t>(std::lround(std::fabs(static_cast<double>(force)) / 10000.0 * 65535.0));
}

TEST_F(InputEvents, RumblePatternReachesThePadEachPollAndStops) {
  const int pad = AttachVirtualController();
  BeginFrame();
  JoystickEffectRequest steady;
  steady.left = 16384;  // half: force trunc(0.5 x 5000) + 5050 = 7550
  steady.duration = 300;
  steady.priority = 1;
  g_Input->StartJoystickEffect(steady, 0);
  BeginFrame(100);
  EXPECT_EQ(GetVirtualControllerRumble(pad).low, Strength(7550));
  EXPECT_EQ(GetVirtualControllerRumble(pad).high, Strength(7550));
  BeginFrame(100);
  EXPECT_EQ(GetVirtualControllerRumble(pad).low, Strength(7550));
  // A lower priority does not cut it.
  JoystickEffectRequest weak;
  weak.right = -32768;  // force trunc(-1 x 5000) = -5000
  weak.priority = 0;
  g_Input->StartJoystickEffect(weak, 0);
  BeginFrame(50);
  EXPECT_EQ(GetVirtualControllerRumble(pad).low, Strength(7550));
  // Past its duration the pattern stops and the motors with it.
  BeginFrame(200);
  EXPECT_EQ(GetVirtualControllerRumble(pad).low, 0);
  // Now the weak one is allowed; endless, it keeps going.
  g_Input->StartJoystickEffect(weak, 0);
  BeginFrame(5000);
  EXPECT_EQ(GetVirtualControllerRumble(pad).high, Strength(5000));
  // A full left magnitude stays within the largest force.
  JoystickEffectRequest full;
  full.left = 32767;
  full.priority = 9;
  g_Input->StartJoystickEffect(full, 0);
  BeginFrame();
  EXPECT_EQ(GetVirtualControllerRumble(pad).low, 65535);
}

TEST_F(InputEvents, RumbleEnvelopesFadeAndPulse) {
  const int pad = AttachVirtualController();
  BeginFrame();
  JoystickEffectRequest fade;
  fade.right = 32767;
  fade.duration = 1000;
  fade.envelope = 1;
  g_Input->StartJoystickEffect(fade, 0);
  BeginFrame(250);
  // 1 - 250/1000 of the magnitude.
  EXPECT_EQ(GetVirtualControllerRumble(pad).high, Strength(static_cast<long>(32767 / 32768.0f * 0.75f * 5000)));
  JoystickEffectRequest pulse;
  pulse.right = 32767;
  pulse.period = 200;
  pulse.envelope = 2;
  pulse.priority = 5;
  g_Input->StartJoystickEffect(pulse, 0);
  BeginFrame(100);  // half way through a period: the peak of the half sine
  EXPECT_NEAR(GetVirtualControllerRumble(pad).high, Strength(4999), 20);
  // A pulse with no period and a fade with no duration stay steady.
  JoystickEffectRequest odd;
  odd.right = 32767;
  odd.envelope = 2;
  odd.priority = 6;
  g_Input->StartJoystickEffect(odd, 0);
  BeginFrame(30);
  EXPECT_EQ(GetVirtualControllerRumble(pad).high, Strength(4999));
}

}  // namespace
