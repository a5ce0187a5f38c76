// The screen manager: the lock, SetScreen's deferred steps and its
// zoom-and-fade transition read back as pixels, the frame's results of the
// current screen and of the pseudo screens, the quit to the front end, the
// world and menu queries over every id, the hint lines, and the squad-name
// editor's columns.
#include "menus/screens/screen_manager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/name_editor.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/screens/test_screen_fixture.h"
#include "menus/widgets/screen_menu.h"
#include "platform/win32/event_injection.h"
#include "render/2d/font.h"
#include "render/device/render.h"
#include "shell/level/mission_plugin.h"
#include "shell/program/cursor_control.h"
#include "shell/program/game_objects.h"
#include "shell/program/shell_state.h"
#include "shell/program/sound_mode.h"

namespace {

class ScreenManagerTest : public MenuFrameTest {
 protected:
  void SetUp() override {
    MenuFrameTest::SetUp();
    for (CTestScreen* s : {&a_, &b_}) {
      ASSERT_TRUE(s->Create());
      s->Populate();
    }
    SetScreenObject(2, &a_);
    SetScreenObject(5, &b_);
    g_MenuScreenDefaults = MenuScreenDefaults{184, kTextHintSelect, 0, 0, 182, kTextHintBack};
    SetScreenLock(0);
    ResetScreenTransitions();
    ScreenId = PreviousScreenId = 0;
    a_.calls.clear();
    b_.calls.clear();
  }
  void TearDown() override {
    SetScreenObject(2, nullptr);
    SetScreenObject(5, nullptr);
    SetScreenLock(0);
    ResetScreenTransitions();
    ClearCommandSwitch('u');
    ScreenId = PreviousScreenId = 0;
    MenuFrameTest::TearDown();
  }
  // One drawn frame ms after the last.
  void Draw(unsigned ms) {
    BeginFrame(ms);
    DrawMenus();
    EndFrame();
  }
  // Brings screen 2 up and lets its grow-in end.
  void Settle(int id) {
    SetScreen(id);
    for (int i = 0; i < 20; ++i) Draw(40);
    a_.calls.clear();
    b_.calls.clear();
  }
  // The panels' ink above the hint lines.
  PixelBox Panel() const { return InkBounds({0, 0, s_Width - 1, 530}); }
  // The brightest red of the panel's frame pixels.
  int MaxRed() const {
    int red = 0;
    for (int y = 0; y < 530; y += 2)
      for (int x = 0; x < s_Width; x += 2) red = std::max(red, static_cast<int>((At(x, y) >> 16) & 0xFF));
    return red;
  }
  CTestScreen a_, b_;
};

TEST_F(ScreenManagerTest, WhileLockedSetScreenChangesNothing) {
  Settle(2);
  SetScreenLock(1);
  EXPECT_EQ(IsScreenLocked(), 1);
  EXPECT_EQ(CursorWanted, 0u);  // locking sets the menu mode word 0
  SetScreen(5);
  EXPECT_EQ(ScreenId, 2);
  EXPECT_EQ(PreviousScreenId, 0);
  EXPECT_TRUE(a_.calls.empty());
  EXPECT_EQ(UpdateCurrentScreen(), 0);
  EXPECT_TRUE(a_.calls.empty()) << "not updated while locked";
  Draw(20);
  EXPECT_TRUE(InkBounds().Empty()) << "nothing drawn while locked";
  SetScreenLock(1);  // the same state: no toggle
  EXPECT_EQ(IsScreenLocked(), 1);
  SetScreenLock(0);
  SetScreen(5);
  EXPECT_EQ(ScreenId, 5);
  EXPECT_EQ(PreviousScreenId, 2);
}

TEST_F(ScreenManagerTest, TheZoomOutHoldsTheStepsAndTheLeavingPanelGrowsAndFades) {
  Settle(2);
  Draw(20);
  const PixelBox still = Panel();
  const int stillRed = MaxRed();
  SetScreen(5);
  EXPECT_EQ(ScreenId, 5);
  EXPECT_TRUE(a_.calls.empty()) << "OnLeave waits for the zoom-out";
  EXPECT_TRUE(b_.calls.empty()) << "OnEnter too";
  EXPECT_EQ(UpdateCurrentScreen(), 0) << "no updates while zooming";
  Draw(0);  // t = 0: the leaving panel as it was
  EXPECT_EQ(Panel().Width(), still.Width());
  Draw(165);  // t = 0.5: 2 - cos(45 degrees) = 1.29 times as high, half faded
  const double grown = 2.0 - std::cos(0.5 * 1.57079);
  EXPECT_NEAR(Panel().Height(), still.Height() * grown, 4);
  EXPECT_LT(MaxRed(), stillRed * 0.6);
  EXPECT_TRUE(a_.calls.empty());
  Draw(164);  // 329 ms: still zooming, almost gone
  EXPECT_TRUE(a_.calls.empty());
  Draw(2);  // past 330 ms: the held steps run, and the new panel grows in
  ASSERT_EQ(a_.calls.size(), 1u);
  EXPECT_EQ(a_.calls[0], "leave 5");
  ASSERT_EQ(b_.calls.size(), 1u);
  EXPECT_EQ(b_.calls[0], "enter");
  Draw(165);  // half-way in: cos(45) / 2 + 1/2 = 0.85 of its size
  EXPECT_NEAR(Panel().Height(), still.Height() * (std::cos(0.5 * 1.57079) * 0.5 + 0.5), 4);
  for (int i = 0; i < 10; ++i) Draw(40);
  EXPECT_FALSE(GetScreenTransition().zoomingIn);
  EXPECT_EQ(Panel().Width(), still.Width());
  EXPECT_EQ(g_Render->Get2DScale(), 1.0f) << "the scales are neutral after the menus";
}

TEST_F(ScreenManagerTest, GoingBackTheLeavingPanelShrinksAndDims) {
  a_.dimRed = true;
  Settle(2);
  Draw(20);
  const PixelBox still = Panel();
  SetTransitionBackward();
  SetScreen(5);
  Draw(165);
  const double shrunk = std::cos(0.5 * 1.57079) * 0.5 + 0.5;
  EXPECT_NEAR(Panel().Width(), still.Width() * shrunk, 4);
  // Red dimmed by 1 - t on top of the fade: the frame's reds well below its greens.
  int red = 0, green = 0;
  for (int y = 0; y < 530; ++y)
    for (int x = 0; x < s_Width; ++x) {
      red = std::max(red, static_cast<int>((At(x, y) >> 16) & 0xFF));
      green = std::max(green, static_cast<int>((At(x, y) >> 8) & 0xFF));
    }
  EXPECT_LT(red, green * 0.7) << red << " " << green;
  // Coming in after a backward leave, the new panel shrinks into place from twice its size.
  Draw(170);
  Draw(165);
  EXPECT_NEAR(Panel().Height(), still.Height() * (2.0 - std::cos(0.5 * 1.57079)), 4);
}

TEST_F(ScreenManagerTest, ScreensThatDoNotZoomRunTheirStepsAtOnceAndSwitchURunsThemOnce) {
  Settle(2);
  a_.zoomsOut = false;
  SetScreen(5);
  ASSERT_EQ(a_.calls.size(), 1u);
  EXPECT_EQ(a_.calls[0], "leave 5");
  EXPECT_EQ(b_.calls.size(), 1u);
  // Switch u: no transitions, and the steps run once whether or not the
  // leaving screen wanted a zoom-out.
  SetCommandSwitch('u');
  for (bool zooms : {true, false}) {
    a_.calls.clear();
    b_.calls.clear();
    b_.zoomsOut = zooms;
    SetScreen(2);
    EXPECT_EQ(b_.calls, std::vector<std::string>{"leave 2"}) << zooms;
    EXPECT_EQ(a_.calls, std::vector<std::string>{"enter"}) << zooms;
    EXPECT_FALSE(GetScreenTransition().zoomingOut);
    EXPECT_FALSE(GetScreenTransition().zoomingIn);
    SetScreen(5);
  }
}

TEST_F(ScreenManagerTest, TheSquadNameColumnsSwitchWithoutAZoom) {
  SetScreen(11);
  ResetScreenTransitions();
  SetScreen(12);
  EXPECT_FALSE(GetScreenTransition().zoomingOut);
  EXPECT_FALSE(GetScreenTransition().zoomingIn);
  SetScreen(11);
  EXPECT_FALSE(GetScreenTransition().zoomingIn);
  SetScreen(5);
  EXPECT_TRUE(GetScreenTransition().zoomingOut);
  EXPECT_EQ(IsKeyMapEnabled(), 0) << "not yet: the leave step waits";
}

TEST_F(ScreenManagerTest, TheFrameGetsTheScreensResults) {
  Settle(2);
  for (int result : {1, 3, 4, 0}) {
    a_.updateResult = result;
    EXPECT_EQ(UpdateCurrentScreen(), result);
  }
  // Pseudo 28 prepares a level change.
  ScreenId = 28;
  EXPECT_EQ(UpdateCurrentScreen(), 3);
}

TEST_F(ScreenManagerTest, QuitToFrontEndInSinglePlayer) {
  SetSoundMode(1);
  EnableKeyMap(0);
  ReturnToFrontEnd = 0;
  std::strcpy(LevelName, "Mission1.dll");
  EXPECT_EQ(QuitToFrontEnd(), 3);
  EXPECT_STREQ(LevelName, "FrontEnd.dll");
  EXPECT_EQ(ReturnToFrontEnd, 1u);
  EXPECT_EQ(GetSoundMode(), 0u);
  EXPECT_EQ(IsKeyMapEnabled(), 1);
  ReturnToFrontEnd = 0;
}

TEST_F(ScreenManagerTest, AnInstalledScreenPutsTheMadeOneAsideUntilItIsRemoved) {
  ASSERT_EQ(CreateScreens(), 1);
  CMenuScreen* made = ScreenFromId(16);
  ASSERT_NE(made, nullptr);
  SetScreenObject(16, &a_);
  EXPECT_EQ(ScreenFromId(16), &a_);
  SetScreenObject(16, nullptr);
  EXPECT_EQ(ScreenFromId(16), made) << "the made screen comes back";
  // Still installed at the end: the made one is freed with the others (the
  // leak checker would report it otherwise), the installed one is let go.
  SetScreenObject(16, &a_);
  DestroyScreens();
  EXPECT_EQ(ScreenFromId(16), nullptr);
}

TEST(ScreenQueries, WorldRunningAndMenuOpenForEveryId) {
  // The lists as given: the full menus, the overlays (which in single
  // player, without a session, stop the world too), the menus open over the
  // game and those open only without a plug-in's query mode (none here).
  const std::vector<int> fullMenus = {1,  2,  3,  5,  6,  7,  8,  9,  10, 11, 16, 17, 18, 19, 21, 22, 23, 26, 27, 30, 34,
                                      35, 36, 37, 38, 39, 40, 41, 43, 44, 46, 47, 48, 49, 50, 51, 53, 54, 59, 60, 62};
  const std::vector<int> overlays = {4, 24, 25, 31, 32, 33, 42, 45, 52, 55, 56, 57, 58};
  const std::vector<int> openMenus = {4, 7, 8, 11, 12, 13, 15, 20, 31, 32, 33};
  const std::vector<int> openWithoutQuery = {9, 10, 21, 22, 23, 24, 25, 26, 27, 60};
  auto in = [](const std::vector<int>& list, int id) { return std::find(list.begin(), list.end(), id) != list.end(); };
  for (int id = 0; id < 64; ++id) {
    EXPECT_EQ(IsWorldRunningUnder(id), !in(fullMenus, id) && !in(overlays, id)) << id;
    EXPECT_EQ(IsMenuScreenOpenFor(id), in(openMenus, id) || in(openWithoutQuery, id)) << id;
  }
  EXPECT_TRUE(IsWorldRunningUnder(-1));
  EXPECT_TRUE(IsWorldRunningUnder(63));
}

TEST_F(ScreenManagerTest, TheHintLinesStandInTheirRectangleAtTheFoot) {
  Settle(2);
  Draw(20);
  // (50, 550) to (750, 550 + 10 lines of 18): the left hint from its left
  // edge, the right hint up to its right edge.
  const PixelBox hints = InkBounds({0, 540, s_Width - 1, s_Height - 1});
  ASSERT_FALSE(hints.Empty());
  EXPECT_NEAR(hints.x1, 50, 1);
  EXPECT_NEAR(hints.x2, 749, 2);
  EXPECT_GE(hints.y1, 550);
  EXPECT_LE(hints.y2, 550 + 10 * 18);
  const PixelBox left = InkBounds({0, 540, 400, s_Height - 1});
  EXPECT_NEAR(left.Width(), g_MainFont->GetStringWidth(CMenu::TextOf(kTextHintSelect)), 3);
  const PixelBox right = InkBounds({401, 540, s_Width - 1, s_Height - 1});
  EXPECT_NEAR(right.Width(), g_MainFont->GetStringWidth(CMenu::TextOf(kTextHintBack)), 3);
}

TEST_F(ScreenManagerTest, TheSquadNameEditorTabsBetweenColumnsAndAcceptReturnsToOptions) {
  // A local player whose keys the editor's menus read.
  ASSERT_NO_FATAL_FAILURE(AddKeyPlayer());
  ASSERT_EQ(CreateScreens(), 1);
  PopulateGameScreens();
  char names[4][16] = {"ALPHA", "BRAVO", "CHARLIE", "DELTA"};
  char seconds[4][9] = {"A", "B", "C", "D"};
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(AddSquadNameRow(names[i], seconds[i], static_cast<std::uint32_t>(i)));
  char extra[16] = "ECHO", extraSecond[9] = "E";
  EXPECT_FALSE(AddSquadNameRow(extra, extraSecond, 5)) << "four rows at most";
  SquadNameMenu(0)->SelectIndex(2);
  SetScreen(11);
  ResetScreenTransitions();
  EXPECT_TRUE(g_Input->IsTextInputOn());
  EXPECT_EQ(IsKeyMapEnabled(), 0);
  ASSERT_TRUE(Win32InjectKey(s_Window, "Tab", true));
  Pump();
  BeginFrame();
  g_LocalPlayers.UpdateAll();
  UpdateCurrentScreen();
  EndFrame();
  ASSERT_TRUE(Win32InjectKey(s_Window, "Tab", false));
  EXPECT_EQ(ScreenId, 12);
  EXPECT_EQ(SquadNameMenu(1)->SelectedId, kSquadSecondNameFirstId + 2);
  // Typing goes into the second field of that row; Enter accepts it: back to options.
  ResetScreenTransitions();
  ASSERT_TRUE(Win32InjectText(s_Window, "X"));
  ASSERT_TRUE(Win32InjectKey(s_Window, "Return", true));
  Pump();
  BeginFrame();
  g_LocalPlayers.UpdateAll();
  UpdateCurrentScreen();
  EndFrame();
  ASSERT_TRUE(Win32InjectKey(s_Window, "Return", false));
  EXPECT_STREQ(seconds[2], "CX");
  EXPECT_EQ(ScreenId, 4);
  // The editor draws its framed box and both columns.
  ScreenId = 11;
  ResetScreenTransitions();
  Draw(20);
  const PixelBox box = InkBounds({0, 0, s_Width - 1, 530});
  EXPECT_NEAR(box.x1, 25, 1);
  EXPECT_NEAR(box.y1, 75, 1);
  EXPECT_NEAR(box.x2, 25 + 600 - 1, 1);
  DestroyScreens();
  // DestroyScreens must not have freed the test's own screens.
  SetScreenObject(2, &a_);
  EXPECT_EQ(ScreenFromId(2), &a_);
  RemoveKeyPlayer();
}

}  // namespace
