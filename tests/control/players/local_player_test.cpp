// Local players without soldiers: bindings evaluated against keys, mouse and
// virtual pads pushed through the game window, action states, the mouse
// step, and the split-screen share-out of keyboard, mouse and pads.
#include <gtest/gtest.h>

#include <cmath>

#include "control/bindings/control_mapper.h"
#include "control/input/input.h"
#include "control/input/input_window_fixture.h"
#include "control/players/local_player_table.h"
#include "menus/screens/screen_manager.h"
#include "platform/dinput8/virtual_controller.h"
#include "platform/win32/cursor_position.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/window.h"
#include "shell/program/command_line.h"
#include "shell/program/shell_state.h"
#include "world/engine.h"

namespace {

class LocalPlayers : public InputWindowTest {
 protected:
  void SetUp() override {
    InputWindowTest::SetUp();
    g_GameClock = gameClock_.get();
    g_ControlMapper = new CControlMapper();
    g_ControlMapper->Init(kBindingRows, kBindingSlots, kInputActionCount);
    for (int row = 0; row < kBindingRows; ++row) ASSERT_TRUE(g_ControlMapper->LoadBindings(DEMO_KEY_FILE, row));
    ScreenId = kScreenInGame;
    MainWindow = window_;
    g_LocalPlayers.RemoveAll();
  }
  void TearDown() override {
    g_LocalPlayers.RemoveAll();
    delete g_ControlMapper;
    g_ControlMapper = nullptr;
    g_GameClock = nullptr;
    MainWindow = nullptr;
    ScreenId = 0;
    CheatMode = 0;
    InputWindowTest::TearDown();
  }
  // One frame as the game runs it: input, the players' sampling, the end.
  void Frame(unsigned ms = 20) {
    BeginFrame(ms);
    g_LocalPlayers.UpdateAll();
    EndFrame();
  }
  static float StickFor(float whole) {
    const float magnitude = 0.4f + 0.6f * std::fabs(whole);
    return whole < 0 ? -magnitude : magnitude;
  }
};

TEST_F(LocalPlayers, KeyHeldGivesPressedThenDownAndReleaseGivesReleasedThenUp) {
  CLocalPlayer* p = g_LocalPlayers.Add();
  ASSERT_NE(p, nullptr);
  const std::uint32_t kPressed = ACTION_STATE_PRESSED | ACTION_STATE_DOWN;
  const std::uint32_t kReleased = ACTION_STATE_RELEASED | ACTION_STATE_UP;
  Win32InjectKey(nullptr, "C", true);  // STANCE
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), kPressed);
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), ACTION_STATE_DOWN);
  // A key in its released frame still counts as down: the action follows a
  // frame later.
  Win32InjectKey(nullptr, "C", false);
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), ACTION_STATE_DOWN);
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), kReleased);
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), ACTION_STATE_UP);
  // Pressed and released within one frame: one frame pressed, then released.
  Win32InjectKey(nullptr, "C", true);
  Win32InjectKey(nullptr, "C", false);
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), kPressed);
  Frame();
  EXPECT_EQ(p->GetActionState(STANCE), kReleased);
  // No soldier: the states are kept all the same (the menus read them).
  EXPECT_EQ(p->Soldier, nullptr);
}

TEST_F(LocalPlayers, BindingChecksByDeviceAndControllerFlags) {
  CLocalPlayer* p = g_LocalPlayers.Add();
  const int pad = AttachVirtualController();
  Frame();
  // One player: keyboard, mouse and pad 0 all live.
  EXPECT_EQ(p->controllerFlags, CONTROLLER_KEYBOARD_MOUSE | CONTROLLER_JOYSTICK);
  Win32InjectMouseButton(nullptr, 0, true);  // FIRE slot 0
  SetVirtualControllerButton(pad, 3, true);  // INVENTORY slot 1
  BeginFrame();
  // A mouse button answers every mode while down; a key never answers "up".
  EXPECT_TRUE(p->IsActionDown(FIRE));
  EXPECT_TRUE(p->IsActionUp(FIRE));
  EXPECT_TRUE(p->IsActionPressed(INVENTORY));
  EXPECT_FALSE(p->IsActionUp(ORDER_FOLLOW));  // bound to a key only
  EXPECT_TRUE(p->IsActionUp(GO));             // its pad button is up
  // The key-binding screen leaves out the pad.
  ScreenId = kScreenKeyBinding;
  EXPECT_FALSE(p->IsActionPressed(INVENTORY));
  ScreenId = kScreenInGame;
  // Keyboard and mouse only: the pad is not read.
  p->SetControllerType(1);
  EXPECT_FALSE(p->IsActionPressed(INVENTORY));
  EXPECT_TRUE(p->IsActionDown(FIRE));
  // Pad only: the mouse is not read.
  p->SetControllerType(0);
  EXPECT_FALSE(p->IsActionDown(FIRE));
  EXPECT_TRUE(p->IsActionPressed(INVENTORY));
  // No controller slot: nothing at all.
  p->controllerSlot = -1;
  EXPECT_FALSE(p->IsActionPressed(INVENTORY));
  EXPECT_EQ(p->GetAxisValue(FORWARD, BACKWARD), 0.0f);
  EndFrame();
}

TEST_F(LocalPlayers, AxisWinsWhileMovedAndKeysGiveOneAtRest) {
  CLocalPlayer* p = g_LocalPlayers.Add();
  const int pad = AttachVirtualController();
  Frame();
  struct Case {
    float stickY;      // the pad's Y (FORWARD: negative half, BACKWARD: positive half)
    const char* key;   // held key, or null
    float forward;     // FORWARD negative
  };
  const Case cases[] = {
      {0.0f, nullptr, 0.0f},  {StickFor(-0.5f), nullptr, -0.5f}, {StickFor(0.25f), nullptr, 0.25f},
      {0.0f, "W", -1.0f},     {0.0f, "S", 1.0f},                  {StickFor(0.5f), "W", 0.5f},
  };
  for (const Case& c : cases) {
    SetVirtualControllerAxis(pad, VirtualAxis::Y, c.stickY);
    if (c.key) Win32InjectKey(nullptr, c.key, true);
    Frame();
    EXPECT_NEAR(p->ForwardAxis, c.forward, 1e-6) << (c.key ? c.key : "-") << " " << c.stickY;
    EXPECT_EQ(p->keyUsed != 0, c.key != nullptr && c.stickY == 0.0f);
    if (c.key) Win32InjectKey(nullptr, c.key, false);
    Frame();
    Frame();
  }
  // A whole axis bound to a single action reads as it stands.
  SetVirtualControllerAxis(pad, VirtualAxis::Z, StickFor(-0.5f));
  Frame();
  EXPECT_NEAR(p->AimYawAxis, -0.5f, 1e-6);
}

TEST_F(LocalPlayers, MousePitchAccumulatesAndSaturatesAndAPadOverridesIt) {
  CLocalPlayer* p = g_LocalPlayers.Add();
  // 0.05 s frames: the smoothed step is 2 x d / 1.5.
  Win32InjectMouseMotion(nullptr, 10, 10, 30, 150);
  Frame(50);
  EXPECT_NEAR(p->TurnAxis, 40.0f / 200.0f, 1e-6);
  EXPECT_NEAR(p->mousePitch, 0.2f * 200.0f / 200.0f, 1e-6);
  EXPECT_EQ(p->AimPitchAxis, p->mousePitch);
  EXPECT_EQ(p->mouseMoved, 1);
  for (int i = 0; i < 10; ++i) {
    Win32InjectMouseMotion(nullptr, 10, 10, 0, 300);
    Frame(50);
  }
  EXPECT_EQ(p->mousePitch, 1.0f);
  p->invertMouse = 1;
  Win32InjectMouseMotion(nullptr, 10, 10, 0, 150);
  Frame(50);
  EXPECT_NEAR(p->mousePitch, 0.8f, 1e-6);
  // A pad pitch this frame wins and the mouse's is dropped.
  const int pad = AttachVirtualController();
  Frame(50);
  SetVirtualControllerAxis(pad, VirtualAxis::Rz, StickFor(0.5f));
  Win32InjectMouseMotion(nullptr, 10, 10, 0, 150);
  Frame(50);
  EXPECT_NEAR(p->AimPitchAxis, 0.5f, 1e-6);
  EXPECT_EQ(p->mousePitch, 0.0f);
  // A key that drove an axis clears the mouse words.
  SetVirtualControllerAxis(pad, VirtualAxis::Rz, 0.0f);
  Win32InjectKey(nullptr, "Left", true);
  Win32InjectMouseMotion(nullptr, 10, 10, 50, 50);
  Frame(50);
  EXPECT_EQ(p->TurnAxis, -1.0f);
  EXPECT_EQ(p->mouseMoved, 0);
  EXPECT_EQ(p->mouseAimActive, 0);
}

TEST_F(LocalPlayers, CursorGoesBackToTheMiddleOnlyOnTheGameScreenWithoutCheats) {
  g_LocalPlayers.Add();
  POINT middle{160, 120};
  struct Case {
    int screen;
    unsigned cheat;
    bool recentred;
  };
  const Case cases[] = {{kScreenInGame, 0, true}, {kScreenInGame, 1, false}, {1, 0, false}};
  for (const Case& c : cases) {
    ScreenId = c.screen;
    CheatMode = c.cheat;
    Win32InjectMouseMotion(nullptr, 7, 9, 20, 0);
    Frame(50);
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(window_, &at);
    EXPECT_EQ(at.x == middle.x && at.y == middle.y, c.recentred) << c.screen << " " << c.cheat;
  }
}

TEST_F(LocalPlayers, TwoPlayersShareKeyboardAndPadsByTheSplitScreenRule) {
  struct Case {
    int pads;
    int secondSlot;  // the pad player 1 reads
  };
  for (const Case& c : {Case{1, 0}, Case{2, 1}}) {
    std::vector<int> pads;
    for (int i = 0; i < c.pads; ++i) pads.push_back(AttachVirtualController());
    Frame();
    CLocalPlayer* p0 = g_LocalPlayers.Add();
    CLocalPlayer* p1 = g_LocalPlayers.Add();
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p0->controllerFlags, CONTROLLER_KEYBOARD_MOUSE);
    EXPECT_EQ(p1->controllerFlags, CONTROLLER_JOYSTICK);
    EXPECT_EQ(p1->controllerSlot, c.secondSlot);
    // The keyboard turns player 0 only.
    Win32InjectKey(nullptr, "Right", true);
    Win32InjectMouseMotion(nullptr, 1, 1, 40, 0);
    Frame(50);
    EXPECT_EQ(p0->TurnAxis, 1.0f);
    EXPECT_EQ(p1->TurnAxis, 0.0f);
    Win32InjectKey(nullptr, "Right", false);
    Frame(50);
    // Player 1's pad moves player 1 only; any other pad moves nobody.
    SetVirtualControllerAxis(pads[c.secondSlot], VirtualAxis::Y, StickFor(-1.0f));
    if (c.pads == 2) SetVirtualControllerAxis(pads[0], VirtualAxis::X, StickFor(1.0f));
    Win32InjectMouseMotion(nullptr, 1, 1, 0, 0);
    Frame(50);
    EXPECT_EQ(p1->ForwardAxis, -1.0f);
    EXPECT_EQ(p0->ForwardAxis, 0.0f);
    EXPECT_EQ(p0->TurnAxis, 0.0f);
    EXPECT_EQ(p1->TurnAxis, 0.0f);
    g_LocalPlayers.RemoveAll();
    DetachAllVirtualControllers();
    Frame();
  }
}

TEST_F(LocalPlayers, PadsThatComeLaterAreSharedOutAgain) {
  g_LocalPlayers.Add();
  CLocalPlayer* p1 = g_LocalPlayers.Add();
  Frame();
  EXPECT_EQ(p1->controllerSlot, 0);  // no pad yet: the one to come
  AttachVirtualController();
  AttachVirtualController();
  Frame();
  EXPECT_EQ(p1->controllerSlot, 1);
}

TEST_F(LocalPlayers, AFifthPlayerIsRefusedAndRowsFollowTheIndex) {
  for (int i = 0; i < kLocalPlayerCount; ++i) {
    CLocalPlayer* p = g_LocalPlayers.Add();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->bindingRow, i);
  }
  EXPECT_EQ(g_LocalPlayers.Add(), nullptr);
  EXPECT_EQ(g_LocalPlayers.Count(), kLocalPlayerCount);
  g_LocalPlayers.SuppressStanceUntilRelease();
  EXPECT_EQ(g_LocalPlayers.Get(3)->waitForStanceRelease, 1);
  g_LocalPlayers.RemoveAll();
  EXPECT_EQ(g_LocalPlayers.Get(0), nullptr);
}

}  // namespace
