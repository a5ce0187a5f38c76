// The timed callbacks of a plug-in (slots 279, 321, 322, 326, 344, 361 and
// 362) and the cut-scene slots (355-358, 391) on a game clock and a real
// clock of the test's own, with the test plug-in bound: when posts run,
// which clock they wait for, what slot 344 and the skip clear, a chain of
// 194 posts made at once, and bad delays and ids.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "foundation/system/command_switches.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/library.h"
#include "shell/level/mission_plugin.h"
#include "shell/mission/mission_fixture.h"
#include "shell/script/script_cutscene.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_state.h"
#include "units/base/unit_world.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/engine.h"
#include "world/timing/timed_callback_list.h"

namespace {

const ScriptFunctionTable& Slots = g_ScriptFunctionTable;

using TimerValueFn = std::int32_t (*)(std::int32_t);
using PostChainFn = std::int32_t (*)(std::int32_t, std::int32_t, float);
using ClearLogFn = void (*)();

void SetTimerClock(CTimer& clock, std::uint32_t ms, bool running) {
  CTimer::State s;
  clock.SaveState(&s);
  s.gameTime = ms;
  s.running = running ? 1 : 0;
  clock.RestoreState(s);
}

class TimerSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(list_.CreateEntries(&buffer_));
    list_.SetClocks(&game_, &real_);
    SetTimerClock(game_, 10000, true);
    SetTimerClock(real_, 50000, true);
    g_GameClock = &game_;
    g_RealClock = &real_;
    g_EffectsHooks.GameClock = &game_;
    g_EffectsHooks.RealClock = &real_;
    g_TimedCallbacks = &list_;
    g_TimedCallbackOverflows = g_TimedCallbackOverwrites = 0;
    ResetScriptState(640, 480);
    SetScreenLock(0);
    ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
    log_ = reinterpret_cast<ClearLogFn>(GetProcAddress(MissionLibrary, "TestPluginClearLog"));
    value_ = reinterpret_cast<TimerValueFn>(GetProcAddress(MissionLibrary, "TestPluginValue"));
    chain_ = reinterpret_cast<PostChainFn>(GetProcAddress(MissionLibrary, "TestPluginPostChain"));
    logCallback_ = reinterpret_cast<ScriptTimedCallback>(GetProcAddress(MissionLibrary, "TestPluginLogCallback"));
    ASSERT_TRUE(log_ && value_ && chain_ && logCallback_);
    log_();
  }
  void TearDown() override {
    FreeMissionPlugin();
    SetGamePaused(0, 0x2);
    ClearCommandSwitch('U');
    SetScreenLock(0);
    g_TimedCallbacks = nullptr;
    g_GameClock = g_RealClock = nullptr;
    g_EffectsHooks.GameClock = g_EffectsHooks.RealClock = nullptr;
    list_.ForgetEntries();
  }
  // Advances both clocks by ms (the game clock only while it runs) and runs the list.
  void Frame(std::uint32_t ms) {
    SetTimerClock(game_, game_.GetGameTime() + (game_.IsRunning() ? ms : 0), game_.IsRunning());
    SetTimerClock(real_, real_.GetGameTime() + ms, real_.IsRunning());
    list_.Update();
  }
  std::vector<std::int32_t> Log() const {
    std::vector<std::int32_t> out;
    for (int i = 0; i < value_(7) && i < 256; ++i) out.push_back(value_(100 + i));
    return out;
  }
  TimedCallbackEntry* Entry(ScriptTimer* timer) { return reinterpret_cast<TimedCallbackEntry*>(timer); }
  int Armed() const {
    int n = 0;
    for (int i = 0; i < list_.GetCapacity(); ++i) n += list_.GetEntry(i)->state == TIMED_CALLBACK_ARMED;
    return n;
  }

  CLinearBuffer buffer_{64 * 1024, "timed"};
  CTimedCallbackList list_;
  CTimer game_, real_;
  ClearLogFn log_ = nullptr;
  TimerValueFn value_ = nullptr;
  PostChainFn chain_ = nullptr;
  ScriptTimedCallback logCallback_ = nullptr;
};

TEST_F(TimerSlots, DelayZeroRunsInTheNextFrameInWhichTheClockAdvanced) {
  ScriptTimer* t = Slots.TimerPostCallback(logCallback_, 5, 0, 0.0f);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Entry(t)->flags, 6u) << "one shot, may overwrite";
  Frame(0);
  EXPECT_TRUE(Log().empty()) << "the clock did not advance";
  Frame(1);
  EXPECT_EQ(Log(), (std::vector<std::int32_t>{5}));
  Frame(100);
  EXPECT_EQ(Log().size(), 1u);
  EXPECT_EQ(Armed(), 0);
}

TEST_F(TimerSlots, ACutsceneStopsTheGameClockSoOnlyItsRealClockPostsRun) {
  Slots.TimerPostCallback(logCallback_, 1, 0, 50.0f);  // before the cut-scene: game clock
  Slots.CutsceneStart();
  EXPECT_FALSE(game_.IsRunning());
  EXPECT_EQ(IsScreenLocked(), 1);
  EXPECT_EQ(g_ScriptState.cutsceneState, SCRIPT_CUTSCENE_RUNNING);
  EXPECT_TRUE(CutsceneRunning()) << "the units see the cut-scene";
  EXPECT_EQ(g_ScriptState.movieIdle, 0);
  ScriptTimer* during = Slots.TimerPostCallback(logCallback_, 2, 0, 50.0f);
  ASSERT_NE(during, nullptr);
  EXPECT_EQ(Entry(during)->flags, 30u) << "also removable and on the real clock";
  for (int f = 0; f < 10; ++f) Frame(20);
  EXPECT_EQ(Log(), (std::vector<std::int32_t>{2}));
  Slots.CutsceneEnd();
  EXPECT_TRUE(game_.IsRunning());
  EXPECT_EQ(value_(4), 18) << "the end raises event 18";
  EXPECT_EQ(g_ScriptState.cutsceneState, SCRIPT_CUTSCENE_IDLE);
  EXPECT_FALSE(CutsceneRunning());
  EXPECT_EQ(g_ScriptState.movieIdle, 1);
  Frame(60);
  EXPECT_EQ(Log(), (std::vector<std::int32_t>{2, 1}));
  EXPECT_EQ(Entry(Slots.TimerPostCallback(logCallback_, 3, 0, 0.0f))->flags, 6u);
}

// The intro's end asks for the briefing from its answer to event 18: the
// screen lock the cut-scene took is gone by then, so the switch is made.
TEST_F(TimerSlots, TheCutscenesEndReleasesItsScreenLockBeforeTheMissionHearsOfIt) {
  auto briefing = reinterpret_cast<void (*)(std::int32_t)>(GetProcAddress(MissionLibrary, "TestPluginBriefingAfterCutscene"));
  ASSERT_NE(briefing, nullptr);
  briefing(1);
  SetScreen(14);
  Slots.CutsceneStart();
  EXPECT_EQ(IsScreenLocked(), 1);
  Slots.SetScreen(13);
  EXPECT_EQ(ScreenId, 14) << "the lock holds the screen during the cut-scene";
  Slots.CutsceneEnd();
  briefing(0);
  EXPECT_EQ(IsScreenLocked(), 0);
  EXPECT_EQ(ScreenId, 20) << "the briefing the mission asked for";
}

TEST_F(TimerSlots, GamePauseForResumesOnTheRealClockAndSlot344LeavesItsEntry) {
  Slots.GamePauseFor(500);
  EXPECT_TRUE(IsGamePaused());
  EXPECT_FALSE(game_.IsRunning());
  EXPECT_TRUE(real_.IsRunning());
  ScriptTimer* removable = Slots.TimerPostSimple(logCallback_, 10.0f);
  ASSERT_NE(removable, nullptr);
  EXPECT_EQ(Entry(removable)->flags, 14u);
  ASSERT_EQ(Armed(), 2);
  Slots.TimerClearCallbacks();
  EXPECT_EQ(Armed(), 1) << "the resume entry is not removable";
  Frame(499);
  EXPECT_FALSE(game_.IsRunning());
  Frame(2);
  EXPECT_TRUE(game_.IsRunning());
  EXPECT_FALSE(IsGamePaused());
  EXPECT_EQ(Armed(), 0);
  EXPECT_TRUE(Log().empty());
  // A negative time pauses nothing; 0 pauses with no resume.
  Slots.GamePauseFor(-5);
  EXPECT_FALSE(IsGamePaused());
  Slots.GamePauseFor(0);
  EXPECT_TRUE(IsGamePaused());
  EXPECT_EQ(Armed(), 0);
}

// A cut-scene stage posts 194 callbacks at once into the 200-slot list:
// every one runs, in the order posted, and none replaces another.
TEST_F(TimerSlots, AChainOf194PostsMadeAtOnceRunsWholeAndInOrder) {
  Slots.TimerPostCallback(logCallback_, -1, 0, 0.0f);
  Frame(1);
  log_();
  EXPECT_EQ(chain_(0, 194, 0.0f), 194);
  EXPECT_EQ(g_TimedCallbackOverflows, 0u);
  EXPECT_EQ(g_TimedCallbackOverwrites, 0u);
  Frame(1);
  const std::vector<std::int32_t> log = Log();
  ASSERT_EQ(log.size(), 194u);
  for (int i = 0; i < 194; ++i) ASSERT_EQ(log[static_cast<std::size_t>(i)], i);
  // The list full: plug-in posts replace the oldest entry and are counted.
  EXPECT_EQ(chain_(1000, 200, 1000.0f), 200);
  EXPECT_EQ(g_TimedCallbackOverwrites, 0u);
  EXPECT_EQ(chain_(2000, 3, 1000.0f), 3);
  EXPECT_EQ(g_TimedCallbackOverwrites, 3u);
}

TEST_F(TimerSlots, TheSkipAnswersOnceClearsTheRemovablePostsAndKeepsTheOthers) {
  EXPECT_EQ(Slots.CutsceneCheckSkip(), 0) << "no cut-scene runs";
  Slots.TimerPostCallback(logCallback_, 1, 0, 100.0f);  // before: not removable
  Slots.CutsceneStart();
  Slots.TimerPostCallback(logCallback_, 2, 0, 100.0f);
  Slots.TimerPostCallback(logCallback_, 3, 0, 100.0f);
  EXPECT_EQ(Slots.CutsceneCheckSkip(), 0) << "nobody asked to skip";
  SetCommandSwitch('U');
  EXPECT_EQ(Slots.CutsceneCheckSkip(), 1);
  EXPECT_EQ(Slots.CutsceneCheckSkip(), 0) << "once";
  EXPECT_EQ(Armed(), 1);
  Slots.CutsceneEnd();
  Frame(200);
  EXPECT_EQ(Log(), (std::vector<std::int32_t>{1}));
}

TEST_F(TimerSlots, Event22TimersRaiseTheirParameterAndCanBeCancelledByIt) {
  ASSERT_NE(Slots.TimerRaiseEvent22Later(41, 10.0f), nullptr);
  ASSERT_NE(Slots.TimerRaiseEvent22Later(42, 10.0f), nullptr);
  ASSERT_NE(Slots.TimerPostCallback(logCallback_, 42, 0, 10.0f), nullptr);
  Slots.TimerCancelByParameter(41);
  Slots.TimerCancelByParameter(42);  // the first with 42: the event timer
  Slots.TimerCancelByParameter(99);
  const int events = value_(2);
  Frame(20);
  EXPECT_EQ(value_(2), events);
  EXPECT_EQ(Log(), (std::vector<std::int32_t>{42}));
  ASSERT_NE(Slots.TimerRaiseEvent22Later(-7, 0.0f), nullptr);
  Frame(1);
  EXPECT_EQ(value_(4), 22);
  EXPECT_EQ(value_(10), -7);
}

// Delays that are not numbers refuse the post; negative ones are 0; camera
// numbers outside the table or unused refuse it too.
TEST_F(TimerSlots, BadDelaysAndCamerasAreRefused) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Slots.TimerPostCallback(logCallback_, 1, 0, nan), nullptr);
  EXPECT_EQ(Slots.TimerPostSimple(logCallback_, nan), nullptr);
  EXPECT_EQ(Slots.TimerRaiseEvent22Later(1, nan), nullptr);
  EXPECT_EQ(Slots.TimerPostCallback(nullptr, 1, 0, 5.0f), nullptr);
  EXPECT_EQ(Armed(), 0);
  ScriptTimer* negative = Slots.TimerPostCallback(logCallback_, 1, 0, -300.0f);
  ASSERT_NE(negative, nullptr);
  EXPECT_EQ(Entry(negative)->start, game_.GetGameTime());
  ScriptTimer* huge = Slots.TimerPostCallback(logCallback_, 2, 0, std::numeric_limits<float>::infinity());
  ASSERT_NE(huge, nullptr);
  EXPECT_EQ(Entry(huge)->start, game_.GetGameTime() + 2147483647u);
  for (int32_t camera : {-1, 0, 127, 128, 100000}) EXPECT_EQ(Slots.MovieCameraStartDelayed(camera, 0.0f), nullptr);
  Slots.MovieCameraStop(-1);
  Slots.MovieCameraStop(128);
  EXPECT_EQ(Slots.MovieCameraIsIdle(), 1);
}

TEST_F(TimerSlots, ASubtitleLastsItsTimeOrTenSecondsForZero) {
  mission_test::ScratchFolder folder("subtitles");
  mission_test::TestStrings strings({{0x10, "Move out."}, {0x11, "Hold."}});
  EXPECT_STREQ(Slots.SubtitleShow(0x10, 0), "Move out.");
  EXPECT_EQ(g_ScriptState.subtitleEndTime, game_.GetGameTime() + 10000u);
  Frame(10000);
  EXPECT_STREQ(CurrentSubtitle(), "Move out.");
  Frame(1);
  EXPECT_EQ(CurrentSubtitle(), nullptr);
  EXPECT_STREQ(Slots.SubtitleShow(0x11, 250), "Hold.");
  EXPECT_EQ(g_ScriptState.subtitleEndTime, game_.GetGameTime() + 250u);
  EXPECT_EQ(Slots.SubtitleShow(0x99, 100), nullptr);
  EXPECT_EQ(Slots.SubtitleShow(0x10, -1), nullptr);
  EXPECT_STREQ(CurrentSubtitle(), "Hold.");
}

}  // namespace
