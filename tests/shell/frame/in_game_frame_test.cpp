// The in-game frame: its order, what the stopped game clock leaves out, the
// screen change's sound word, the menu driver's answers and the views drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "foundation/time/timer.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/objective_view_screen.h"
#include "menus/screens/screen_manager.h"
#include "menus/widgets/screen_menu.h"
#include "platform/win32/library.h"
#include "render/2d/sprite_render.h"
#include "platform/win32/window.h"
#include "shell/frame/frame_trace.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/level/mission_plugin.h"
#include "shell/level/level_root_fixture.h"
#include "shell/program/shell_state.h"
#include "shell/script/script_function_table.h"
#include "sound/sound_manager.h"
#include "world/effects/explosions.h"
#include "world/engine.h"

namespace {

class Frame : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    ASSERT_TRUE(StartLevel("Demo.loa"));
    ClearFrameSteps();
    SetFrameTraceEnabled(true);
  }
  void TearDown() override {
    SetFrameTraceEnabled(false);
    ClearFrameSteps();
    LevelStart::TearDown();
  }
  static LPARAM Key(int code) { return static_cast<LPARAM>(code) << 16; }
  static void Press(int code) { HandleInputMessage(WM_KEYDOWN, 'A', Key(code)); }
  static int CountStep(const std::string& step) {
    int n = 0;
    for (const std::string& s : FrameSteps()) n += s == step ? 1 : 0;
    return n;
  }
};

// The in-game frame's steps in their order while the game clock runs and no
// plug-in is bound (step 8 calls none; 12.6 needs a network game).
const std::vector<std::string> kFrameSteps = {
    "1 reflection transform",
    "2 screen change",
    "3 clocks",
    "4 fog distance",
    "5 debug statistics",
    "6 input",
    "7 network update",
    "9 HUD",
    "10 controls",
    "11 timed callbacks",
    "12.1 switches",
    "12.2 glass",
    "12.3 projectile hits",
    "12.4 corpses",
    "12.5 near misses",
    "12.7 physics",
    "12.8 objects, effects, shrubbery and animated objects",
    "13 network post-frame",
    "14 terminals and overlays",
    "15 Alt+F4",
    "17 mission end check",
    "18 menu driver",
    "19 sound",
    "20 viewport cameras",
    "21 movie camera, environment and sky",
    "draw viewport",
    "render",
    "22 render",
    "23 frame rate",
};

TEST_F(Frame, TheInGameFrameRunsItsStepsInOrder) {
  RunFrame();
  EXPECT_EQ(FrameSteps(), kFrameSteps);
}

TEST_F(Frame, WithTheGameClockStoppedTheWorldStepsAreLeftOutAndTheRestRuns) {
  g_GameClock->SetRunning(0);
  RunFrame();
  for (const std::string& s : FrameSteps()) EXPECT_NE(s.rfind("12.", 0), 0u) << s;
  for (const char* step : {"18 menu driver", "19 sound", "21 movie camera, environment and sky", "22 render"})
    EXPECT_EQ(CountStep(step), 1) << step;
}

TEST_F(Frame, TheSoundFollowsTheGameClockOnlyOnThePlayScreen) {
  SetScreen(14);
  RunFrame();
  EXPECT_EQ(g_SoundManager->GetFollowsGameTime(), 1);
  SetScreen(13);
  RunFrame();
  EXPECT_EQ(g_SoundManager->GetFollowsGameTime(), 0);
  SetScreen(14);
  RunFrame();
  EXPECT_EQ(g_SoundManager->GetFollowsGameTime(), 1);
}

TEST_F(Frame, EscapeInALevelReturnsToTheFrontEndThroughALevelChange) {
  ASSERT_EQ(ScreenId, 14);
  Press(1);
  RunFrame();
  EXPECT_EQ(FrameMode, FRAME_LEVEL_CHANGE);
  EXPECT_STREQ(LevelName, "FrontEnd.dll");
  EXPECT_EQ(ScreenId, 1);
  EXPECT_EQ(ReturnToFrontEnd, 0u);
  EXPECT_FALSE(IsKeyDown(1));  // input flushed
  EXPECT_EQ(CountStep("22 render"), 1);
}

// The menus' own checks read the local players' actions (their tests drive
// them by keys); here the screens' answers are forced, and the frame acts on
// what the real screens do with them.
int Accepted(std::uint32_t) { return 1; }

TEST_F(Frame, AcceptOnTheFrontScreenOpensTheSinglePlayerScreen) {
  SetScreen(1);
  ResetScreenTransitions();  // as a level load leaves it: no zoom running
  ScreenFromId(1)->Menu->AcceptCheck = Accepted;
  RunFrame();
  EXPECT_EQ(ScreenId, 2);
  EXPECT_EQ(FrameMode, FRAME_IN_GAME);
  EXPECT_EQ(CountStep("22 render"), 1);
}

TEST_F(Frame, TheQuitConfirmationsYesStartsTheExitSplashAndItsNoGoesBack) {
  SetScreen(1);
  ResetScreenTransitions();
  SetScreen(24);
  ResetScreenTransitions();
  // The entry waited for the front screen's zoom, which was cut short.
  ScreenFromId(24)->OnEnter();
  // "No" is preselected: accepting goes back to the front screen.
  CScreenMenu* dialog = ScreenFromId(24)->Menu;
  dialog->AcceptCheck = Accepted;
  RunFrame();
  EXPECT_EQ(ScreenId, 1);
  EXPECT_EQ(FrameMode, FRAME_IN_GAME);
  SetScreen(24);
  ResetScreenTransitions();
  ScreenFromId(24)->OnEnter();
  dialog->AcceptCheck = Accepted;
  dialog->SelectIndex(0);
  RunFrame();
  EXPECT_EQ(FrameMode, FRAME_SPLASH);
}

TEST_F(Frame, AltF4InPlayGoesToScreen24) {
  HandleInputMessage(WM_SYSKEYDOWN, 0, Key(56));
  AdvanceKeyStates();
  Press(62);
  RunFrame();
  EXPECT_EQ(ScreenId, 24);
}

TEST_F(Frame, SomeScreensAreDrawnAsOneFullScreenViewWithTwoLocalPlayers) {
  g_LocalPlayers.Add();
  ASSERT_EQ(g_LocalPlayers.Count(), 2);
  for (int screen : {14, 16, 20, 29, 59}) {
    SCOPED_TRACE(screen);
    SetScreen(screen);
    RunFrame();
    EXPECT_EQ(LastFrameViews(), screen == 14 ? 2 : 1);
  }
}

TEST_F(Frame, NothingIsDrawnWhileTheLevelChanges) {
  const int presented = FramesPresented();
  FrameMode = FRAME_LEVEL_CHANGE;
  RenderFrame(1);
  EXPECT_EQ(FramesPresented(), presented);
  FrameMode = FRAME_IN_GAME;
  RenderFrame(1);
  EXPECT_EQ(FramesPresented(), presented + 1);
}

// A screen object whose update answers what the test sets.
class AnsweringScreen : public CMenuScreen {
 public:
  int answer = 0;
  bool Create() override { return true; }
  void Populate() override {}
  int Update() override { return answer; }
  void Draw() override {}
  bool ZoomsIn(int) override { return false; }
  bool ZoomsOut(int) override { return false; }
};

TEST_F(Frame, TheScreensResultsCloseTheProgramOrStartTheSplash) {
  AnsweringScreen screen;
  SetScreenObject(16, &screen);
  SetScreen(16);
  ResetScreenTransitions();
  screen.answer = 0;
  RunFrame();
  EXPECT_EQ(FrameMode, FRAME_IN_GAME) << "0 stays";
  screen.answer = 4;
  RunFrame();
  EXPECT_EQ(FrameMode, FRAME_SPLASH);
  FrameMode = FRAME_IN_GAME;
  screen.answer = 1;
  RunFrame();
  EXPECT_EQ(CountStep("22 render"), 2) << "the closing frame draws nothing";
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  SetScreenObject(16, nullptr);
  SetScreen(14);
  ResetScreenTransitions();
}

TEST_F(Frame, TheBriefingsEndIsToldToThePluginAndThePlayScreenFollows) {
  ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
  auto value = reinterpret_cast<std::int32_t (*)(std::int32_t)>(GetProcAddress(MissionLibrary, "TestPluginValue"));
  ASSERT_NE(value, nullptr);
  // A frame of play raises the frame's own questions; the briefing's end
  // adds its one event.
  std::int32_t events = value(2);
  RunFrame();
  const std::int32_t perFrame = value(2) - events;
  events = value(2);
  SetScreen(61);
  ResetScreenTransitions();
  RunFrame();
  EXPECT_EQ(value(2), events + perFrame + 1);
  EXPECT_EQ(value(4), 59) << "the briefing-ended event";
  EXPECT_EQ(ScreenId, 14);
  FreeMissionPlugin();
  // Unbound, the screen still goes on to play.
  SetScreen(61);
  ResetScreenTransitions();
  RunFrame();
  EXPECT_EQ(ScreenId, 14);
}

TEST_F(Frame, TheMissionRunsEachFrameUnlessTheWorldIsPaused) {
  ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
  struct Case {
    const char* what;
    int gameClockRuns;
    int worldPaused;
    int missionUpdates;
  };
  // A cut-scene stops the game clock but not the world: the mission goes on
  // (it watches for the skip); the pause screen pauses the world.
  const Case cases[] = {
      {"play", 1, 0, 1},
      {"cut-scene", 0, 0, 1},
      {"pause screen", 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.worldPaused != 0) SetGamePaused(1, 0);
    g_GameClock->SetRunning(c.gameClockRuns);
    ClearFrameSteps();
    RunFrame();
    EXPECT_EQ(CountStep("8 mission update"), c.missionUpdates);
    EXPECT_EQ(CountStep("12.1 switches"), c.gameClockRuns);
    if (c.worldPaused != 0) SetGamePaused(0, 0);
  }
  FreeMissionPlugin();
}

TEST_F(Frame, TheScreenSlotsOfTheScriptTable) {
  // 284 and 285: the lock holds the screen; 285 answers the current id.
  EXPECT_EQ(g_ScriptFunctionTable.SetScreen(16), 16);
  g_ScriptFunctionTable.SetScreenLock(1);
  EXPECT_EQ(IsScreenLocked(), 1);
  EXPECT_EQ(g_ScriptFunctionTable.SetScreen(14), 16) << "locked: nothing changes";
  g_ScriptFunctionTable.SetScreenLock(0);
  EXPECT_EQ(IsScreenLocked(), 0);
  EXPECT_EQ(g_ScriptFunctionTable.SetScreen(14), 14);
  ResetScreenTransitions();
  // 19 loads a sprite file into the script set; a missing file changes
  // nothing.
  ASSERT_NE(g_ScriptSprites, nullptr);
  g_ScriptFunctionTable.SpriteSheetLoad("no_such_sheet.img");
  EXPECT_EQ(g_ScriptSprites->GetSpriteCount(), 0);
  g_ScriptFunctionTable.SpriteSheetLoad("Effects.img");
  EXPECT_GT(g_ScriptSprites->GetSpriteCount(), 82) << "the effects sheet with its cursor cell";
  g_ScriptFunctionTable.SpriteSheetLoad(nullptr);
  EXPECT_GT(g_ScriptSprites->GetSpriteCount(), 82);
  // 20 answers the cell it was given; 21 takes two corners (nothing without).
  EXPECT_EQ(g_ScriptFunctionTable.ObjectiveMenuSetObjective(3), 3);
  EXPECT_EQ(ObjectiveMapView.pictureCell, 3) << "the objective screens' map picture";
  const ScriptVec3 a{0, 0, 0}, b{10, 0, 10};
  g_ScriptFunctionTable.ObjectiveMenuSetView(&a, &b);
  g_ScriptFunctionTable.ObjectiveMenuSetView(nullptr, &b);
  // The box is a - b from b.
  EXPECT_EQ(ObjectiveMapView.worldSizeX, -10.0f);
  EXPECT_EQ(ObjectiveMapView.worldSizeZ, -10.0f);
  EXPECT_EQ(ObjectiveMapView.worldMinX, 10.0f);
  EXPECT_EQ(ObjectiveMapView.worldMinZ, 10.0f);
}

}  // namespace
