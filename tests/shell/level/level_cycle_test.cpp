// The level's life: the level change, level initialise and level shut-down
// in their orders, the level chooser's answer, and the failures that close
// the program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/system/command_switches.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/level/level_root_fixture.h"
#include "shell/level/load_environment.h"
#include "shell/program/game_objects.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"
#include "units/base/anim_slot_ids.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/timing/timed_callback_list.h"

namespace {

std::vector<std::string> g_debug;

void CaptureDebug(const char* text, void*) { g_debug.push_back(text); }

class LevelCycle : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    g_debug.clear();
    SetDebugOutputHook(CaptureDebug, nullptr);
  }
  void TearDown() override {
    SetDebugOutputHook(nullptr, nullptr);
    LevelStart::TearDown();
  }
  // The level steps traced since start (prefix "level ").
  static std::vector<std::string> LevelSteps() {
    std::vector<std::string> out;
    for (const std::string& s : TracedSteps())
      if (s.rfind("level ", 0) == 0) out.push_back(s);
    return out;
  }
  static bool Debugged(const std::string& line) {
    for (const std::string& s : g_debug)
      if (s == line) return true;
    return false;
  }
  static bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) && msg.message == WM_CLOSE;
  }
};

// Level initialise's steps for a load list, in their order.
const std::vector<std::string> kLevelSteps = {
    "level saveLoadUpdate",
    "level engine reset into the level pool",
    "level local players: 1",
    "level (HUD level word: not built yet)",
    "level 2 splash 0",
    "level 4 catalog Demo.dat",
    "level 5 script state",
    "level 6 decals, surfaces and templates",
    "level 9 sounds Demo.sch DemoMusic.sbk",
    "level 12 load list bound",
    "level 13 mission 20 started",
    "level (corpse list: not built yet)",
    "level 15 update scheduler",
    "level 17 octree",
    "level 18 stats level steps",
    "level 18 routes, lights and objects",
    "level 19 render effects",
    "level 20 textures",
    "level 28 level pools",
    "level 32 done",
};

TEST_F(LevelCycle, ALoadListLevelLoadsInItsOrderAndShutsDownInItsOwn) {
  ASSERT_TRUE(StartLevel("Demo.loa"));
  EXPECT_EQ(LevelSteps(), kLevelSteps);
  EXPECT_STREQ(LevelName, "");
  EXPECT_EQ(LevelLoaded, 1u);
  EXPECT_EQ(NoMission, 1u);
  EXPECT_STREQ(LevelEnvironmentName(), "DEMO.env");
  EXPECT_NE(g_Environment->InstanceList, nullptr);
  for (const char* line : {"START : levelInitialise\n", "Start : LoadEnvironment\n", "DONE :LoadEnvironment\n",
                           "DONE : levelInitialise\n"})
    EXPECT_TRUE(Debugged(line)) << line;
  ClearTracedSteps();
  LevelShutdown();
  EXPECT_FALSE(LevelRunning());
  EXPECT_EQ(LevelLoaded, 0u);
  EXPECT_STREQ(LevelEnvironmentName(), "");
  EXPECT_TRUE(Debugged("You can't stop the music\n"));
  EXPECT_TRUE(Debugged("nobody can stop the music\n"));
  EXPECT_EQ(TracedSteps(), (std::vector<std::string>{"level shut-down", "level shut-down done"}));
  // A second shut-down has nothing left to do.
  LevelShutdown();
  EXPECT_EQ(TracedSteps().size(), 2u);
}

void NeverCalledAfterShutDown(TimedCallbackEntry*) { ADD_FAILURE() << "a level's timed callback ran after it ended"; }

// Entries a level posted (a plug-in's hold addresses in its library) are
// gone once the level has shut down.
TEST_F(LevelCycle, LevelShutDownEmptiesTheTimedCallbackList) {
  ASSERT_TRUE(StartLevel("Demo.loa"));
  ASSERT_NE(g_TimedCallbacks, nullptr);
  TimedCallbackRequest request;
  request.callback = NeverCalledAfterShutDown;
  request.flags = TCF_ONE_SHOT | TCF_REAL_CLOCK;
  for (int i = 0; i < 3; ++i) ASSERT_NE(g_TimedCallbacks->Post(request), nullptr);
  LevelShutdown();
  for (int i = 0; i < g_TimedCallbacks->GetCapacity(); ++i)
    EXPECT_EQ(g_TimedCallbacks->GetEntry(i)->state, TIMED_CALLBACK_FREE) << i;
  g_TimedCallbacks->Update();
}

// The draws of the level change's first two frames (one for each buffer).
int DrawsOfFirstTwoFrames(IDirect3DDevice8* device) {
  int presents = 0, draws = 0;
  for (const D3D8Call& call : D3D8TestCalls(device)) {
    if (call.method == "Present" && ++presents == 2) break;
    if (call.method.rfind("Draw", 0) == 0) ++draws;
  }
  return presents == 2 ? draws : -1;
}

TEST_F(LevelCycle, TheFirstLoadDrawsTwoBlackFramesAndLaterOnesTheLoadingScreen) {
  for (std::uint32_t first : {1u, 0u}) {
    SCOPED_TRACE(first);
    ASSERT_EQ(Start("Demo.loa"), 1);
    IDirect3DDevice8* device = g_Render->GetDevice();
    D3D8TestRecordCalls(device, true);
    FirstLoad = first;
    RunFrame();
    ASSERT_TRUE(LevelRunning());
    const int draws = DrawsOfFirstTwoFrames(device);
    D3D8TestRecordCalls(device, false);
    // The black frames draw nothing, the loading picture its tiles.
    if (first == 1)
      EXPECT_EQ(draws, 0);
    else
      EXPECT_GT(draws, 0);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
    Stop();
  }
}

TEST_F(LevelCycle, ACancelledChooserKeepsARunningLevelAndClosesTheProgramWithoutOne) {
  // No level running: the program closes rather than run a frame with nothing loaded.
  ASSERT_EQ(Start(""), 1);
  LevelName[0] = '\0';
  RunFrame();
  EXPECT_FALSE(LevelRunning());
  EXPECT_TRUE(QuitPosted());
  EXPECT_EQ(Count(TracedSteps(), "level no level chosen"), 1);
  Stop();
  // A running level goes on.
  ASSERT_TRUE(StartLevel("Demo.loa"));
  LevelName[0] = '\0';
  FrameMode = FRAME_LEVEL_CHANGE;
  RunFrame();
  EXPECT_TRUE(LevelRunning());
  EXPECT_EQ(FrameMode, FRAME_IN_GAME);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(LevelCycle, WithLetterDAndNoOctreeFileTheLevelFailsWithItsMessageAndTheProgramCloses) {
  std::filesystem::rename(LevelTestRoot() / "DEMO.OCT", LevelTestRoot() / "DEMO.OCT.away");
  // Letter D as the octree step reads it (the catalogs stay off: this root is loose).
  ASSERT_EQ(Start("Demo.loa"), 1);
  SetCommandSwitch('d');
  RunFrame();
  std::filesystem::rename(LevelTestRoot() / "DEMO.OCT.away", LevelTestRoot() / "DEMO.OCT");
  EXPECT_FALSE(LevelRunning());
  EXPECT_TRUE(QuitPosted());
  bool shown = false;
  for (const CapturedBox& b : boxes_)
    shown = shown || b.text == "Cannot find level OCTREE data DEMO.env - Ensure Level has been run at least once in DEBUG";
  EXPECT_TRUE(shown);
}

TEST_F(LevelCycle, SplitScreenIsSwitchedOffForTheFrontEndAndOutroLevels) {
  const struct {
    const char* name;
    int split;
    int players;
  } cases[] = {{"FrontEnd.dll", 0, 1}, {"FRONTEND.DLL", 0, 1}, {"outro2.loa", 0, 1}, {"Demo.loa", 1, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Start("-p"), 1);
    std::strcpy(LevelName, c.name);
    RunFrame();
    EXPECT_EQ(g_ViewportConfig.SplitScreen, c.split);
    EXPECT_EQ(Count(TracedSteps(), "level local players: " + std::to_string(c.players)), 1);
    Stop();
    g_ViewportConfig = CViewportConfig{};
  }
}

TEST_F(LevelCycle, ATrainingLevelIsPlayedAsTheUSSide) {
  ASSERT_EQ(Start(""), 1);
  EXPECT_EQ(PlayerNation, 0u);
  std::strcpy(LevelName, "Training1.dll");
  RunFrame();
  EXPECT_EQ(PlayerNation, 1u);
  // The training plug-in is not shipped: the level fails and the program closes.
  EXPECT_TRUE(QuitPosted());
}

TEST_F(LevelCycle, TheFrontEndsNamesDeriveItsCatalogCacheAndMusicWithoutCase) {
  for (const char* name : {"FrontEnd.dll", "FRONTEND.DLL"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Start(""), 1);
    std::strcpy(LevelName, name);
    FirstLoad = 1;
    RunFrame();
    const std::string base = std::string(name).substr(0, 8);
    EXPECT_EQ(Count(TracedSteps(), "level 2 splash 1"), 1);
    EXPECT_EQ(Count(TracedSteps(), "level 4 catalog " + base + ".dat"), 1);
    EXPECT_EQ(Count(TracedSteps(), "level 9 sounds " + base + ".sch " + base + "Music.sbk"), 1);
    Stop();
  }
}

}  // namespace
