// Game initialise and game shut-down: the order of their steps, the failure
// cases of start-up, and what each start-up letter and display mode gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "control/input/input.h"
#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/text/locale_table.h"
#include "platform/win32/library.h"
#include "platform/win32/message_box.h"
#include "platform/win32/system_parameters.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "shell/program/game_initialise.h"
#include "shell/program/game_objects.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/main_window.h"
#include "shell/program/select_device.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"
#include "shell/program/system_settings.h"
#include "sound/sound_manager.h"
#include "world/engine.h"
#include "world/text/terminal.h"

namespace {

// Game initialise's steps in their order; "(x: not built yet)" marks a step
// whose object comes with a later piece of work.
const std::vector<std::string> kStartUpSteps = {
      "1 system settings saved and switched off",
      "+Global Heap",
      "3 random tables seeded",
      "4 input started",
      "5 work directory and search folders",
      "+locale table",
      "select device: catalog 0 and localisation",
      "select device: launch dialog not shown (no display, no scripted answer): stored settings",
      "select device: accepted",
      "7 engine started",
      "+control mapper",
      "10 cursor clipped, player camera slots cleared",
      "+game record",
      "+difficulty record",
      "+cheat registry",
      "+load-list context",
      "(combat statistics record: not built yet)",
      "+sound manager",
      "+repulsion pool",
      "(strike list: not built yet)",
      "+object table and repulsion controller",
      "+world text",
      "+screen text",
      "+message list",
      "+event spheres",
      "+explosions",
      "+trails",
      "+effect pool",
      "+particle pool",
      "+timed callback list",
      "+impact pieces",
      "13 callback-code converters",
      "(switch handler: not built yet)",
      "14 camera projection 70, 8, 6400",
      "+main overlay",
      "+player overlay",
      "+player overlay",
      "+player overlay",
      "+player overlay",
      "+main terminal",
      "+second terminal",
      "16 local players: 1",
      "+waypoint list",
      "+object manager",
      "+emitter list",
      "+trail list",
      "(world-text renderers: not built yet)",
      "+end-of-level object",
      "18 key map: 0 developer keys",
      "(default render-effects name: not built yet)",
      "+state-rule tables",
      "+font sprite set",
      "+main font",
      "+large font",
      "+interface sprite set",
      "+panel sprite set",
      "21 panel sprites 8060.img",
      "+effects sprite set",
      "22 shader lists",
      "23 object pools reset",
      "24 device textures",
      "25 menu screens and multiplayer screens",
      "25 object factory callbacks",
      "+mission record",
      "27 cheat words plum and crimson",
      "28 stats tables",
      "(environment game-started word: not built yet)",
      "29 clocks started",
      "30 multiplayer layer started",
      "31 nation 0",
      "32 trail frame 27",
};

// Game shut-down's steps in their order, after level shut-down.
const std::vector<std::string> kShutDownSteps = {
      "-stats tables",
      "-multiplayer layer",
      "-menu screens",
      "-multiplayer screens",
      "-object manager",
      "-mission record",
      "-sound manager",
      "-object table and repulsion controller",
      "-main terminal",
      "-second terminal",
      "-timed callback list",
      "-end-of-level object",
      "-world text",
      "-effect pool",
      "-main overlay",
      "-player overlay",
      "-player overlay",
      "-player overlay",
      "-player overlay",
      "-particle pool",
      "-event spheres",
      "-explosions",
      "-trails",
      "-repulsion pool",
      "-state-rule tables",
      "-difficulty record",
      "-locale table",
      "-cheat registry",
      "-emitter list",
      "-trail list",
      "-impact pieces",
      "-screen text",
      "-message list",
      "-waypoint list",
      "-load-list context",
      "-interface sprite set",
      "-panel sprite set",
      "-main font",
      "-large font",
      "-font sprite set",
      "-effects sprite set",
      "-control mapper",
      "-engine",
      "-input",
      "-game record",
      "-Global Heap",
      "system settings restored",
};

std::vector<std::string> Between(const std::vector<std::string>& steps, const std::string& from, bool after) {
  std::vector<std::string> out;
  bool inside = !after;
  for (const std::string& s : steps) {
    if (s == from) {
      if (!after) break;
      inside = true;
      continue;
    }
    if (inside) out.push_back(s);
  }
  return out;
}

TEST_F(GameStart, InitialiseAndShutDownRunTheirStepsInOrderWithoutAMessageBox) {
  ASSERT_EQ(Start(), 1);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
  EXPECT_EQ(TracedSteps(), kStartUpSteps);
  EXPECT_EQ(Stop(), 0);
  const std::vector<std::string> steps = TracedSteps();
  EXPECT_EQ(Count(steps, "WM_DESTROY"), 1);
  EXPECT_EQ(Between(steps, "WM_DESTROY", true), kShutDownSteps);
  EXPECT_TRUE(boxes_.empty());
}

// Every object start-up made is freed exactly once, however far it came.
void ExpectEachMadeObjectFreedOnce(const std::vector<std::string>& steps) {
  std::map<std::string, int> balance;
  for (const std::string& s : steps) {
    if (s.size() > 1 && s[0] == '+') ++balance[s.substr(1)];
    if (s.size() > 1 && s[0] == '-' && s != "-engine" && s != "-input" && s != "-stats tables" &&
        s != "-multiplayer layer" && s != "-menu screens" && s != "-multiplayer screens")
      --balance[s.substr(1)];
  }
  for (const auto& [name, left] : balance) EXPECT_EQ(left, 0) << name;
}

TEST_F(GameStart, TheLooseTreeStartsTheGameAsTheCatalogsDo) {
  // "-f" without "d": every file from the loose data tree under the data root.
  ASSERT_EQ(Start("-f"), 1);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
  EXPECT_EQ(TracedSteps(), kStartUpSteps);
}

TEST_F(GameStart, AFailedAllocationEndsStartUpWithAMessageAndFreesWhatWasMadeOnce) {
  // One run per long-lived allocation of start-up: the n-th is refused.
  int made = 0;
  // (The control mapper, the difficulty record and the rule tables are not made by that allocation.)
  for (const std::string& s : kStartUpSteps)
    made += s[0] == '+' && s != "+control mapper" && s != "+difficulty record" && s != "+state-rule tables" ? 1 : 0;
  ASSERT_GT(made, 30);
  for (int n = 1; n <= made; ++n) {
    SCOPED_TRACE(n);
    GameFailObjectAllocation(n);
    EXPECT_EQ(Start(), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text.rfind("Out of memory: the ", 0), 0u) << boxes_[0].text;
    EXPECT_EQ(Stop(), 0);
    ExpectEachMadeObjectFreedOnce(TracedSteps());
    EXPECT_EQ(g_Render, nullptr);
    EXPECT_EQ(g_Input, nullptr);
    EXPECT_FALSE(SystemSettingsSaved());
    GameFailObjectAllocation(0);
  }
}

TEST_F(GameStart, AFailingStatsLoadEndsStartUpAndFreesWhatWasMadeOnce) {
  // A loose copy of the data whose "MPSkins.txt" has three lines instead of four.
  const std::filesystem::path home = std::filesystem::current_path();
  const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                     ("halberd_stats_fail_" + std::to_string(std::random_device{}()));
  std::filesystem::remove_all(root);
  std::filesystem::copy(std::filesystem::current_path(), root, std::filesystem::copy_options::recursive);
  const std::filesystem::path skins = root / "data" / "stats" / "MPSkins.txt";
  std::string text;
  {
    std::ifstream in(skins, std::ios::binary);
    std::getline(in, text, '\0');
  }
  ASSERT_GE(std::count(text.begin(), text.end(), '\n'), 4);
  text.resize(text.find('\n', text.find('\n', text.find('\n') + 1) + 1) + 1);
  std::ofstream(skins, std::ios::binary) << text;
  std::filesystem::current_path(root);
  EXPECT_EQ(Start("-f"), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].text.find("MP Character records"), std::string::npos) << boxes_[0].text;
  Stop();
  const std::vector<std::string>& steps = TracedSteps();
  EXPECT_EQ(Count(steps, "28 stats tables failed"), 1);
  ExpectEachMadeObjectFreedOnce(steps);
  EXPECT_EQ(Count(steps, "-engine"), 1);
  EXPECT_EQ(Count(steps, "-input"), 1);
  std::filesystem::current_path(home);
  std::filesystem::remove_all(root);
}

TEST_F(GameStart, ANetworkComponentMissingShowsItsLocalisedTextAndEndsSilently) {
  Win32SetLibraryPresent("dpnhpast.dll", false);
  EXPECT_EQ(Start(), 0);
  EXPECT_EQ(StartupCancelled, 1u);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "A network component the game needs is missing. Please reinstall the game.");
  EXPECT_EQ(boxes_[0].type & MB_TYPEMASK, MB_OK);
  EXPECT_EQ(boxes_[0].type & MB_ICONMASK, 0u);
  Stop();
  const std::vector<std::string> steps = TracedSteps();
  EXPECT_EQ(Count(steps, "7 engine failed"), 1);
  // Input was shut down by the failed step; the shut-down does not do it again.
  EXPECT_EQ(Count(steps, "-input"), 0);
  EXPECT_EQ(Count(steps, "-engine"), 0);
  ExpectEachMadeObjectFreedOnce(steps);
  EXPECT_EQ(Win32LoadedLibraryCount(), 0);
}

TEST_F(GameStart, AnEngineFailureShowsItsMessageUnlessStartUpWasCancelled) {
  EngineFailModuleAllocation(1);
  EXPECT_EQ(Start(), 0);
  EXPECT_EQ(StartupCancelled, 0u);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Failed to initialise Tarn");
  EXPECT_EQ(boxes_[0].caption, "Error");
  Stop();
  ExpectEachMadeObjectFreedOnce(TracedSteps());
}

TEST_F(GameStart, AFailingSoundManagerIsReportedAndStartUpGoesOn) {
  SoundManagerFailInitialise(true);
  EXPECT_EQ(Start(), 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Failed to initialise SoundManager!");
  ASSERT_NE(g_SoundManager, nullptr);
  EXPECT_FALSE(g_SoundManager->IsInitialised());
  EXPECT_EQ(TracedSteps().back(), "32 trail frame 27");
}

TEST_F(GameStart, ADisplayOf640By480TakesTheSmallPanelsAndTheShortSecondTerminal) {
  // The index of the 640 x 480 mode in the device list, from a first start.
  ASSERT_EQ(Start(), 1);
  const unsigned adapterIndex = g_Render->m_CurrentAdapter;
  const AdapterInfo& adapter = g_Render->m_Adapters[adapterIndex];
  const DeviceInfo& device = adapter.Devices[adapter.CurrentDevice];
  int small = -1;
  for (DWORD m = 0; m < device.ModeCount; ++m)
    if (device.Modes[m].Width == 640 && device.Modes[m].Height == 480) small = static_cast<int>(m);
  EXPECT_EQ(Count(TracedSteps(), "21 panel sprites 8060.img"), 1);
  EXPECT_EQ(g_SecondTerminal->GetLineCount(), 12);
  Stop();
  ASSERT_GE(small, 0);
  // The stored mode is taken only with its adapter.
  StoreDeviceSetting("AdapterIndex", adapterIndex);
  StoreDeviceSetting("ResolutionIndex", static_cast<unsigned>(small));
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(g_Render->GetModeWidth(), 640u);
  EXPECT_EQ(Count(TracedSteps(), "21 panel sprites 6448.img"), 1);
  EXPECT_EQ(g_SecondTerminal->GetLineCount(), 9);
  EXPECT_EQ(g_MainTerminal->GetLineCount(), 10);
  // The window's client area is the mode's size in the style it runs in.
  RECT client{};
  GetClientRect(MainWindow, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(MainWindow, GWL_STYLE)), kGameWindowStyle);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(GameStart, StoredDeviceSettingsOutOfRangeFallBackToTheDefaults) {
  ASSERT_EQ(Start(), 1);
  const DWORD width = g_Render->GetModeWidth(), height = g_Render->GetModeHeight();
  Stop();
  StoreDeviceSetting("AdapterIndex", 7);
  StoreDeviceSetting("ResolutionIndex", 100000);
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(g_Render->GetModeWidth(), width);
  EXPECT_EQ(g_Render->GetModeHeight(), height);
  EXPECT_EQ(g_Render->m_CurrentAdapter, 0u);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(GameStart, LetterPGivesTwoLocalPlayersAndLetterSTheUSVoices) {
  struct Case {
    const char* line;
    int players;
    std::uint32_t nation;
    int voiceSet;
  } cases[] = {{"-f -d", 1, 0, 0}, {"-f -d -p", 2, 0, 0}, {"-f -d -s", 1, 1, 6}, {"-fdps", 2, 1, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(Start(c.line), 1);
    EXPECT_EQ(g_LocalPlayers.Count(), c.players);
    EXPECT_EQ(PlayerNation, c.nation);
    EXPECT_EQ(g_SoundManager->GetVoiceSet(), c.voiceSet);
    Stop();
    g_ViewportConfig = CViewportConfig{};
  }
}

TEST_F(GameStart, TheLocaleOverrideWordKeepsTheVoiceSet) {
  ASSERT_EQ(Start("-f -d -s"), 1);
  EXPECT_EQ(g_SoundManager->GetVoiceSet(), 6);
  g_Locale->OverrideWord = 1;
  SetPlayerNation(0);
  EXPECT_EQ(PlayerNation, 0u);
  EXPECT_EQ(g_SoundManager->GetVoiceSet(), 6);
  g_Locale->OverrideWord = 0;
  SetPlayerNation(0);
  EXPECT_EQ(g_SoundManager->GetVoiceSet(), 0);
}

TEST_F(GameStart, TheScreenSaverAndPowerSettingsAreOffWhileTheGameRunsAndRestoredAfter) {
  const struct {
    UINT get, set;
    BOOL value;
  } settings[] = {{SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE, TRUE},
                  {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE, FALSE},
                  {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE, TRUE}};
  for (const auto& s : settings) SystemParametersInfoA(s.set, s.value, nullptr, 0);
  ASSERT_EQ(Start(), 1);
  for (const auto& s : settings) {
    BOOL now = -1;
    SystemParametersInfoA(s.get, 0, &now, 0);
    EXPECT_EQ(now, FALSE);
  }
  Stop();
  for (const auto& s : settings) {
    BOOL now = -1;
    SystemParametersInfoA(s.get, 0, &now, 0);
    EXPECT_EQ(now, s.value);
  }
}

}  // namespace
