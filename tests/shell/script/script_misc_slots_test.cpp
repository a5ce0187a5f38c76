// The slots of the last groups that need no unit, one table or check per
// group: the screen tint's colour word, the game-wide words and the counter
// taken once, the movie version, the front-end question, object questions
// for unknown ids, the letter flags, the name hash, sorting ids, the HUD
// scroll's refused amounts, the clocks as floats and the multiplayer
// queries without a session.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "foundation/system/command_switches.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/debug_output.h"
#include "shell/mission/mission_fixture.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_game_words.h"
#include "shell/script/script_state.h"
#include "world/engine.h"
#include "world/objects/chlo.h"

namespace {

const ScriptFunctionTable& Misc = g_ScriptFunctionTable;

std::vector<std::string> g_miscDebug;
void CaptureMiscDebug(const char* text, void*) { g_miscDebug.push_back(text); }

struct TintCase {
  float r, g, b, a;
  std::uint32_t colour;
};

TEST(MiscSlots, TheTintColourIsAlphaRedGreenBlueWithFractionsCut) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const TintCase cases[] = {
      {1.0f, 0.5f, 0.0f, 1.0f, 0xFFFF7F00u},
      {0.0f, 0.0f, 0.0f, 0.0f, 0x00000000u},
      {0.2f, 0.4f, 0.6f, 0.8f, 0xCC336699u},
      {2.0f, -1.0f, nan, 1.5f, 0xFFFF0000u},
  };
  for (const TintCase& c : cases) {
    Misc.ScreenTintSetColour(c.r, c.g, c.b, c.a);
    EXPECT_EQ(g_ScriptGameWords.tintColour, c.colour) << c.r << " " << c.g << " " << c.b << " " << c.a;
  }
  Misc.ScreenTintOn();
  EXPECT_EQ(g_ScriptGameWords.tintOn, 1);
  Misc.ScreenTintOff();
  EXPECT_EQ(g_ScriptGameWords.tintOn, 0);
}

TEST(MiscSlots, GameWordsAreSetAndTheCounterIsTakenOnce) {
  EXPECT_EQ(Misc.GameSetValueA(11), 11);
  EXPECT_EQ(Misc.GameSetValueB(12), 12);
  EXPECT_EQ(Misc.GameSetScriptFlag(13), 13);
  EXPECT_EQ(Misc.GameSetValueC(14), 14);
  EXPECT_EQ(g_ScriptGameWords.valueA, 11);
  EXPECT_EQ(g_ScriptGameWords.valueB, 12);
  EXPECT_EQ(g_ScriptGameWords.scriptFlag, 13);
  EXPECT_EQ(g_ScriptGameWords.valueC, 14);
  Misc.GameSetFlag();
  EXPECT_EQ(g_ScriptGameWords.flag, 1);
  Misc.GameClearFlag();
  EXPECT_EQ(g_ScriptGameWords.flag, 0);
  g_ScriptGameWords.value = 77;
  EXPECT_EQ(Misc.GameGetValue(), 77);
  AddScriptGameCounter(3);
  AddScriptGameCounter(4);
  EXPECT_EQ(Misc.GameTakeCounter(), 7);
  EXPECT_EQ(Misc.GameTakeCounter(), 0);
  EXPECT_EQ(Misc.ReturnTrueAlt(), 1);
  EXPECT_EQ(Misc.ScriptReturnZero534(), 0);
}

TEST(MiscSlots, TheFirstMovieVersionIsKeptAndADifferentOneWarned) {
  ResetScriptState(640, 480);
  EXPECT_EQ(Misc.MovieGetVersion(), -1);
  g_miscDebug.clear();
  SetDebugOutputHook(CaptureMiscDebug, nullptr);
  EXPECT_EQ(Misc.MovieSetVersion(3), 3);
  EXPECT_EQ(Misc.MovieSetVersion(3), 3);
  EXPECT_TRUE(g_miscDebug.empty());
  EXPECT_EQ(Misc.MovieSetVersion(4), 3);
  SetDebugOutputHook(nullptr, nullptr);
  EXPECT_EQ(Misc.MovieGetVersion(), 3);
  ASSERT_EQ(g_miscDebug.size(), 1u);
  EXPECT_NE(g_miscDebug[0].find("version 4"), std::string::npos) << g_miscDebug[0];
  EXPECT_EQ(Misc.MovieSetIdle(0), 0);
  EXPECT_EQ(g_ScriptState.movieIdle, 0);
  ResetScriptState(640, 480);
  EXPECT_EQ(g_ScriptState.movieIdle, 1);
  EXPECT_EQ(Misc.MovieGetVersion(), -1);
}

TEST(MiscSlots, TheFrontEndIsOpenOnScreenOneOnly) {
  const int saved = ScreenId;
  for (const auto& [screen, answer] : {std::pair{1, 1}, std::pair{47, 0}, std::pair{14, 0}, std::pair{0, 0}}) {
    ScreenId = screen;
    EXPECT_EQ(Misc.FrontEndIsOpen(), answer) << screen;
  }
  ScreenId = saved;
}

TEST(MiscSlots, UnknownIdsGetTheirAnswers) {
  mission_test::ObjectWorld world;
  world.Add(HLO_GRUNT, 0, 5);
  for (int32_t id : {-1, 6, 1000, 0x7FFFFFFF}) {
    EXPECT_EQ(Misc.SoundIsPlayingOnObject(id), 1) << id;
    EXPECT_EQ(Misc.MPQueuePushObject(id, 1), -1) << id;
    EXPECT_EQ(Misc.MPQueueRemoveObject(id), -1) << id;
  }
  EXPECT_EQ(Misc.MPQueuePushObject(5, 0), -1) << "queues are 1-3";
  EXPECT_EQ(Misc.MPQueuePushObject(5, 4), -1);
}

TEST(MiscSlots, LetterFlagsNameHashAndSortedIds) {
  ClearCommandSwitch('U');
  EXPECT_EQ(Misc.IsCommandSwitchSet('u'), 0);
  SetCommandSwitch('U');
  EXPECT_EQ(Misc.IsCommandSwitchSet('u'), 1);
  EXPECT_EQ(Misc.IsCommandSwitchSet('U'), 1);
  EXPECT_EQ(Misc.IsCommandSwitchSet('v'), 0);
  EXPECT_EQ(Misc.IsCommandSwitchSet('@'), 0) << "letter & 31 = 0 names no letter";
  EXPECT_EQ(Misc.IsCommandSwitchSet(0x7F), 0);
  ClearCommandSwitch('U');

  EXPECT_EQ(Misc.NameHashNoCase("Mission1.SBK"), HashStringNoCase("mission1.sbk"));
  EXPECT_EQ(Misc.NameHashNoCase(nullptr), 0u);

  std::int32_t ids[] = {40, -3, 17, 17, 0, 900};
  Misc.ArraySortIds(ids, 6);
  EXPECT_EQ(std::vector<std::int32_t>(ids, ids + 6), (std::vector<std::int32_t>{-3, 0, 17, 17, 40, 900}));
  std::int32_t two[] = {2, 1};
  Misc.ArraySortIds(two, -1);
  Misc.ArraySortIds(nullptr, 5);
  EXPECT_EQ(two[0], 2);
}

TEST(MiscSlots, HudScrollRefusesAmountsBelowTwo) {
  g_ScriptGameWords.hudScrollSpeed = 123.0f;
  for (float bad : {0.0f, 1.0f, 1.99f, -4.0f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity()}) {
    Misc.HudScrollUp(bad);
    Misc.HudScrollDown(bad);
    EXPECT_EQ(g_ScriptGameWords.hudScrollSpeed, 123.0f) << bad;
  }
  Misc.HudScrollUp(4.0f);
  EXPECT_FLOAT_EQ(g_ScriptGameWords.hudScrollSpeed, -500.0f);
  Misc.HudScrollDown(2.0f);
  EXPECT_FLOAT_EQ(g_ScriptGameWords.hudScrollSpeed, 1000.0f);
}

TEST(MiscSlots, ClocksAsFloatsAndMultiplayerQueriesWithoutASession) {
  CTimer game, real;
  CTimer::State s;
  game.SaveState(&s);
  s.gameTime = 12345;
  game.RestoreState(s);
  real.SaveState(&s);
  s.gameTime = 678;
  real.RestoreState(s);
  g_GameClock = &game;
  g_RealClock = &real;
  EXPECT_EQ(Misc.GameGetTimeFloat(), 12345.0f);
  EXPECT_EQ(Misc.RealGetTimeFloat(), 678.0f);
  g_GameClock = g_RealClock = nullptr;
  EXPECT_EQ(Misc.GameGetTimeFloat(), 0.0f);
  EXPECT_EQ(Misc.MPIsNetworkGame(), 0);
  EXPECT_EQ(Misc.MPIsHost(), 0);
  EXPECT_EQ(Misc.MPIsClient(), 0);
  EXPECT_EQ(Misc.MPGetSessionTime(), 0u);
}

}  // namespace
