// The menus driven by injected keyboard and mouse events through the whole
// path: the window's messages, the input object, the local player's action
// states from the key bindings, the menu input checks with their
// auto-repeat, the screen manager and a test screen drawn by the device.
#include "menus/screens/menu_input_checks.h"

#include <filesystem>

#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/screens/test_screen_fixture.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/menu_slider_item.h"
#include "platform/win32/event_injection.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

namespace {

constexpr int kScreen = 2;

class MenuControls : public ScreenWalkTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    MouseTo(799, 599);
    screen_.withEdit = true;
    screen_.SetChecks(AcceptPressed, UpPressed, DownPressed, LeftPressed, RightPressed);
    ASSERT_TRUE(screen_.Create());
    screen_.Populate();
    SetScreenObject(kScreen, &screen_);
    ResetScreenTransitions();
    SetScreenLock(0);
    SetScreen(kScreen);
    // The screen grows in over 330 ms before it takes input.
    for (int i = 0; i < 20; ++i) Frame();
    ASSERT_FALSE(GetScreenTransition().zoomingIn);
    screen_.calls.clear();
  }
  void TearDown() override {
    SetScreenObject(kScreen, nullptr);
    ScreenId = PreviousScreenId = 0;
    ScreenWalkTest::TearDown();
  }
  void Key(const char* name, bool down) {
    ASSERT_TRUE(Win32InjectKey(s_Window, name, down));
    Pump();
  }
  PixelBox Row(int i) const {
    const CMenu* m = screen_.Menu;
    return {m->X, m->Y + i * m->PitchY, m->X + m->ItemWidth - 1, m->Y + i * m->PitchY + m->ItemHeight - 1};
  }
  // Which row shows the highlight bar.
  int HighlightedRow() const {
    const std::uint32_t highlight = CellColour("8060.img", 15);
    int row = -1;
    for (int i = 0; i < screen_.Menu->Count; ++i)
      if (CountOf(highlight, 2, Row(i)) > 100) row = row == -1 ? i : -2;
    return row;
  }
  CTestScreen screen_;
};

TEST_F(MenuControls, DownRepeatsAfter349MsThenEvery125MsAndARelesaseRestartsTheWait) {
  EXPECT_EQ(HighlightedRow(), 0);
  Key("Down", true);
  Frame(20);  // fires at once
  EXPECT_EQ(screen_.Menu->Selection, 1);
  EXPECT_EQ(HighlightedRow(), 1);
  // Held: nothing until more than 349 ms have passed.
  for (int t = 0; t < 340; t += 20) Frame(20);  // 340 ms after the first
  EXPECT_EQ(screen_.Menu->Selection, 1);
  Frame(9);  // 349: not more than 349
  EXPECT_EQ(screen_.Menu->Selection, 1);
  Frame(1);  // 350
  EXPECT_EQ(screen_.Menu->Selection, 2);
  Frame(125);  // exactly 125 later: not yet
  EXPECT_EQ(screen_.Menu->Selection, 2);
  Frame(1);
  EXPECT_EQ(screen_.Menu->Selection, 3);
  Frame(126);
  EXPECT_EQ(screen_.Menu->Selection, 4);
  EXPECT_EQ(HighlightedRow(), 4);
  // Released for one frame, then held again: at once, then the 349 ms wait again.
  Key("Down", false);
  Frame(20);
  Frame(20);
  Key("Down", true);
  Frame(20);
  EXPECT_EQ(screen_.Menu->Selection, 0);  // wrapped from the last row
  Frame(200);
  EXPECT_EQ(screen_.Menu->Selection, 0);
  Frame(150);
  EXPECT_EQ(screen_.Menu->Selection, 1);
  Key("Down", false);
  Frame();
}

TEST_F(MenuControls, TheMouseSelectsAndAcceptsAndHoldsTheSlidersArrow) {
  // Hovering row 2 selects it; a click accepts it (the screen sees its id).
  MouseTo(Row(2).x1 + 100, Row(2).y1 + 5);
  Frame();
  EXPECT_EQ(screen_.Menu->Selection, 2);
  EXPECT_EQ(HighlightedRow(), 2);
  MouseButton(true);
  Frame();
  EXPECT_EQ(screen_.lastId, 103);
  MouseButton(false);
  Frame();
  // Held on the slider's left arrow it steps down every frame.
  MouseTo(Row(3).x1 + 20, Row(3).y1 + 5);
  Frame();
  ASSERT_EQ(screen_.Menu->Selection, 3);
  MouseButton(true);
  for (int i = 0; i < 4; ++i) Frame();
  EXPECT_EQ(screen_.slider->SliderValue, 1);
  MouseButton(false);
  Frame();
  MouseTo(799, 599);
  Frame();
}

TEST_F(MenuControls, AcceptAnswersTheIdAndBackGoesBackward) {
  Key("Down", true);
  Frame();
  Key("Down", false);
  Frame();
  Key("Return", true);
  Frame();
  EXPECT_EQ(screen_.lastId, 102);
  Key("Return", false);
  Frame();
  // Right steps the slider with the same auto-repeat.
  screen_.Menu->SelectIndex(3);
  Key("Right", true);
  Frame();
  EXPECT_EQ(screen_.slider->SliderValue, 6);
  Key("Right", false);
  Frame();
  // Escape: BackPressed answers and the next transition shrinks.
  EXPECT_TRUE(GetScreenTransition().forward);
  Key("Escape", true);
  BeginFrame();
  g_LocalPlayers.UpdateAll();
  EXPECT_EQ(BackPressed(0), 1);
  EndFrame();
  EXPECT_FALSE(GetScreenTransition().forward);
  Key("Escape", false);
  Frame();
}

TEST_F(MenuControls, TypingIntoTheTextEntryShowsTheCharactersUntilEnter) {
  screen_.edit->Filter = MENU_EDIT_LETTERS;
  // Onto the text entry (the last row): text entry goes on.
  Key("Up", true);
  Frame();
  Key("Up", false);
  Frame();
  ASSERT_EQ(screen_.Menu->SelectedId, 105);
  ASSERT_TRUE(g_Input->IsTextInputOn());
  ASSERT_TRUE(Win32InjectText(s_Window, "cd1e"));  // the digit is refused
  Frame();
  EXPECT_STREQ(screen_.text, "ABcde");
  // The typed characters show in the row: its ink grows by their width.
  const int inkWidth = InkBounds({Row(4).x1 + 10, Row(4).y1, Row(4).x2 - 10, Row(4).y2}).Width();
  EXPECT_GE(inkWidth, g_MainFont->GetStringWidth("ABCDE") - 2);
  Key("Return", true);
  Frame();
  Key("Return", false);
  EXPECT_FALSE(g_Input->IsTextInputOn());
  ASSERT_TRUE(Win32InjectText(s_Window, "x"));
  Frame();
  EXPECT_STREQ(screen_.text, "ABcde");
}

TEST_F(MenuControls, MovementKeysSteerMenusExceptOnTheTypingScreens) {
  // W (FORWARD) works as up here; the repeat bytes of the four directions
  // share one next-repeat time.
  Key("W", true);
  Frame();
  EXPECT_EQ(screen_.Menu->Selection, 4);
  Key("W", false);
  Frame();  // the frame the key comes up in
  Frame();
  CLocalPlayer* p = g_LocalPlayers.Get(0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->menuRepeat[0], 0);
  // On screen 10 FORWARD is not a menu direction.
  ScreenId = 10;
  Key("W", true);
  BeginFrame();
  g_LocalPlayers.UpdateAll();
  EXPECT_EQ(UpPressed(0), 0);
  EndFrame();
  Key("W", false);
  ScreenId = kScreen;
  Frame();
  // A player that does not exist never fires.
  EXPECT_EQ(DownPressed(3), 0);
  EXPECT_EQ(SubtitlesEnabled(), 1);
}

}  // namespace
