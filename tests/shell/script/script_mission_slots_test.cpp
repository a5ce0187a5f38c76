// Slots 279-316 through the program's script function table: the mission
// record's flow words, the objectives' status bits and markers, the debug
// line, and bad input (unknown numbers, kinds and indices, null and
// non-finite vectors, over-long names) changing nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "foundation/system/not_built_yet.h"
#include "shell/mission/mission.h"
#include "shell/mission/mission_fixture.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_interface_sound.h"
#include "sound/sound_manager.h"
#include "world/objects/chlo.h"

void FormatScriptDebugLine(char* out, std::size_t size, const char* format, ...);

namespace {

const ScriptFunctionTable& T = g_ScriptFunctionTable;

// A fresh mission record and a sound manager that logs its play requests.
class MissionSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Mission = &mission_;
    sound_.SetPlayLog(true);
    g_SoundManager = &sound_;
    ClearInterfaceMusicTrack();
  }
  void TearDown() override {
    g_Mission = nullptr;
    g_SoundManager = nullptr;
    g_MissionEndFlag = 0;
  }
  int SoundsPlayed(int event) const {
    int n = 0;
    for (const SoundPlayRecord& r : sound_.PlayLog()) n += r.kind == SPK_SINGLE && r.event == event;
    return n;
  }
  CMission mission_;
  CSoundManager sound_;
};

enum ObjectiveCall { ADD, SHOW, HIDE, COMPLETE, RESET, FAIL, CLEAR_FAILED };

struct ObjectiveCase {
  std::vector<ObjectiveCall> calls;
  std::uint8_t bits;
  int failSounds;
};

// Decision 3: the record's own bits (1 created, 2 completed, 4 failed, 8 shown).
TEST_F(MissionSlots, ObjectiveCallSequencesGiveTheirStatusBits) {
  const ObjectiveCase cases[] = {
      {{ADD}, OBJECTIVE_CREATED, 0},
      {{ADD, SHOW}, OBJECTIVE_CREATED | OBJECTIVE_SHOWN, 0},
      {{ADD, SHOW, COMPLETE}, OBJECTIVE_CREATED | OBJECTIVE_COMPLETED | OBJECTIVE_SHOWN, 0},
      {{ADD, COMPLETE}, OBJECTIVE_CREATED | OBJECTIVE_COMPLETED | OBJECTIVE_SHOWN, 0},
      {{ADD, SHOW, FAIL}, OBJECTIVE_CREATED | OBJECTIVE_FAILED, 1},
      {{ADD, SHOW, FAIL, COMPLETE}, OBJECTIVE_CREATED | OBJECTIVE_COMPLETED | OBJECTIVE_FAILED | OBJECTIVE_SHOWN, 1},
      {{ADD, COMPLETE, RESET}, OBJECTIVE_CREATED, 0},
      {{ADD, FAIL, CLEAR_FAILED}, OBJECTIVE_CREATED, 1},
      {{ADD, SHOW, HIDE}, OBJECTIVE_CREATED, 0},
      {{ADD, FAIL, FAIL}, OBJECTIVE_CREATED | OBJECTIVE_FAILED, 2},
  };
  for (const ObjectiveCase& c : cases) {
    mission_.Reset();
    sound_.SetPlayLog(true);
    int32_t n = -1;
    for (ObjectiveCall call : c.calls) switch (call) {
        case ADD: n = T.ObjectiveAdd(0x1234); break;
        case SHOW: T.ObjectiveSetShown(n, 1); break;
        case HIDE: T.ObjectiveSetShown(n, 0); break;
        case COMPLETE: T.ObjectiveComplete(n); break;
        case RESET: T.ObjectiveReset(n); break;
        case FAIL: T.ObjectiveFail(n); break;
        case CLEAR_FAILED: T.ObjectiveClearFailed(n); break;
      }
    const std::size_t index = static_cast<std::size_t>(&c - cases);
    ASSERT_EQ(n, 0) << "case " << index;
    ASSERT_NE(mission_.FindObjective(n), nullptr);
    EXPECT_EQ(mission_.FindObjective(n)->Status(), c.bits) << "case " << index;
    EXPECT_EQ(SoundsPlayed(3284), c.failSounds) << "case " << index;
    int32_t completed = -1, failed = -1;
    T.ObjectiveGetState(n, &completed, &failed);
    EXPECT_EQ(completed, (c.bits & OBJECTIVE_COMPLETED) ? 1 : 0) << "case " << index;
    EXPECT_EQ(failed, (c.bits & OBJECTIVE_FAILED) ? 1 : 0) << "case " << index;
  }
}

TEST_F(MissionSlots, ASeventhObjectiveIsRefusedAndTargetsGoToTheirObjective) {
  for (int32_t i = 0; i < kMissionObjectiveLimit; ++i) EXPECT_EQ(T.ObjectiveAdd(100 + i), i);
  EXPECT_EQ(T.ObjectiveAdd(999), -1);
  EXPECT_EQ(mission_.ObjectiveCount(), kMissionObjectiveLimit);
  T.ObjectiveAddTarget(2, 77);
  T.ObjectiveAddTarget(2, 78);
  EXPECT_EQ(mission_.FindObjective(2)->GetTarget(0), 102);
  EXPECT_EQ(mission_.FindObjective(2)->GetTarget(1), 77);
  EXPECT_EQ(mission_.FindObjective(2)->GetTarget(2), 78);
  EXPECT_EQ(mission_.FindObjective(3)->GetTarget(1), -1);
}

TEST_F(MissionSlots, MarkersAreAddedAndRemovedByPositionAndOnlyUnitsBecomeMarkerObjects) {
  mission_test::ObjectWorld world;
  world.Add(HLO_GRUNT, 0, 5);
  world.Add(HLO_FEATURE, 0, 6);
  const int32_t n = T.ObjectiveAdd(1);
  const ScriptVec3 a{100.0f, 0.0f, 50.0f}, b{-20.0f, 5.0f, 7.0f};
  T.ObjectiveAddMarkerPosition(n, &a);
  T.ObjectiveAddMarkerPosition(n, &b);
  T.ObjectiveAddMarkerObject(n, 6);   // a feature: refused
  T.ObjectiveAddMarkerObject(n, 5);   // a soldier
  T.ObjectiveAddMarkerObject(n, 42);  // no such object
  const MissionObjective* o = mission_.FindObjective(n);
  EXPECT_EQ(o->MarkerObjectId(2), 5);
  EXPECT_EQ(o->MarkerObjectId(3), -1);
  T.ObjectiveRemoveMarkerAt(n, &a);
  EXPECT_TRUE(o->MarkerPositionEmpty(0));
  EXPECT_FALSE(o->MarkerPositionEmpty(1));
  T.ObjectiveRemoveMarker(n, 1);
  EXPECT_TRUE(o->MarkerPositionEmpty(1));
}

TEST_F(MissionSlots, FlowWordsTextsAndAwardValuesReachTheRecord) {
  EXPECT_EQ(T.MissionSetId(7), 7);
  T.MissionSetInfo(0xAAAA, 0xBBBB);
  T.MissionAddScore(40);
  T.MissionAddScore(2);
  T.MissionSetEndValues(1, 300);
  for (int32_t i = 0; i < kMissionAwardThresholds; ++i) T.MissionSetEntry(10 * (i + 1), i);
  T.MissionSetEntry(999, 7);
  T.MissionSetEntry(999, -1);
  EXPECT_EQ(T.MissionSetEndValue(12), 12);
  T.MissionSetSlot(0x51, 0);
  T.MissionSetSlot(0x52, 3);
  T.MissionSetSlot(0x53, 4);  // no such kind
  T.MissionSetNextLevel("Mission2.dll");
  T.GameSetEndFlag();
  EXPECT_EQ(mission_.MissionId, 7);
  EXPECT_EQ(mission_.NameTextA, 0xAAAAu);
  EXPECT_EQ(mission_.NameTextB, 0xBBBBu);
  EXPECT_EQ(mission_.Score, 42u);
  EXPECT_EQ(mission_.PromoteBest, 1u);
  EXPECT_EQ(mission_.PromotionThreshold, 300u);
  for (int i = 0; i < kMissionAwardThresholds; ++i)
    EXPECT_EQ(mission_.GetAwardThreshold(i), static_cast<std::uint32_t>(10 * (i + 1))) << i;
  EXPECT_EQ(mission_.RankStep, 12u);
  EXPECT_EQ(mission_.GetTextId(0), 0x51);
  EXPECT_EQ(mission_.GetTextId(3), 0x52);
  for (int i = 4; i < kMissionTexts; ++i) EXPECT_EQ(mission_.GetTextId(i), -1) << i;
  EXPECT_STREQ(mission_.GetNextLevel(), "Mission2.dll");
  EXPECT_EQ(g_MissionEndFlag, 1u);
}

TEST_F(MissionSlots, ResultsOutsideZeroToTwoChangeNothingAndTheEndsPlayTheirTracks) {
  for (int32_t bad : {-1, 3, 1000}) {
    T.MissionSetResult(bad);
    EXPECT_EQ(T.MissionGetResult(), MISSION_RUNNING) << bad;
  }
  EXPECT_EQ(LastInterfaceMusicTrack(), -1);
  T.MissionSetResult(MISSION_FAILED);
  EXPECT_EQ(T.MissionGetResult(), MISSION_FAILED);
  EXPECT_EQ(LastInterfaceMusicTrack(), 25);
  T.MissionSetResult(MISSION_SUCCEEDED);
  EXPECT_EQ(T.MissionGetResult(), MISSION_SUCCEEDED);
  EXPECT_EQ(LastInterfaceMusicTrack(), 24);
}

// Unknown objective numbers, null and non-finite vectors, over-long names:
// nothing changes.
TEST_F(MissionSlots, BadArgumentsChangeNothing) {
  const int32_t n = T.ObjectiveAdd(1);
  T.ObjectiveSetShown(n, 1);
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  for (int32_t bad : {-1, 1, 6, 255, 256, 0x7FFFFFFF}) {
    T.ObjectiveComplete(bad);
    T.ObjectiveFail(bad);
    T.ObjectiveReset(bad);
    T.ObjectiveClearFailed(bad);
    T.ObjectiveSetShown(bad, 0);
    T.ObjectiveAddTarget(bad, 5);
    T.ObjectiveAddMarkerObject(bad, 5);
    const ScriptVec3 p{1.0f, 2.0f, 3.0f};
    T.ObjectiveAddMarkerPosition(bad, &p);
    T.ObjectiveRemoveMarker(bad, 0);
    T.ObjectiveRemoveMarkerAt(bad, &p);
    int32_t completed = 77, failed = 78;
    T.ObjectiveGetState(bad, &completed, &failed);
    EXPECT_EQ(completed, 77);
    EXPECT_EQ(failed, 78);
  }
  T.ObjectiveGetState(n, nullptr, nullptr);
  T.ObjectiveAddMarkerPosition(n, nullptr);
  T.ObjectiveRemoveMarkerAt(n, nullptr);
  for (const ScriptVec3& v : {ScriptVec3{nan, 0, 0}, ScriptVec3{0, inf, 0}, ScriptVec3{0, 0, -inf}})
    T.ObjectiveAddMarkerPosition(n, &v);
  for (int marker : {-1, 12, 1000}) T.ObjectiveRemoveMarker(n, marker);
  const MissionObjective* o = mission_.FindObjective(n);
  EXPECT_EQ(o->Status(), OBJECTIVE_CREATED | OBJECTIVE_SHOWN);
  for (int i = 0; i < kObjectiveMarkers; ++i) EXPECT_TRUE(o->MarkerPositionEmpty(i)) << i;
  EXPECT_EQ(SoundsPlayed(3284), 0);

  T.MissionSetNextLevel("Mission2.dll");
  T.MissionSetNextLevel(std::string(kMissionNameField, 'x').c_str());  // no room for its NUL
  T.MissionSetNextLevel(nullptr);
  EXPECT_STREQ(mission_.GetNextLevel(), "Mission2.dll");
}

// Without a record every slot of the group answers its failure value.
TEST(MissionSlotsWithoutRecord, AnswerTheirFailureValues) {
  ASSERT_EQ(g_Mission, nullptr);
  EXPECT_EQ(T.MissionGetResult(), 0);
  EXPECT_EQ(T.MissionSetId(5), 0);
  EXPECT_EQ(T.MissionSetEndValue(5), 0);
  EXPECT_EQ(T.ObjectiveAdd(1), -1);
  T.ObjectiveComplete(0);
  T.MissionSetResult(2);
  T.MissionSetNextLevel("x.dll");
  int32_t completed = 3;
  T.ObjectiveGetState(0, &completed, nullptr);
  EXPECT_EQ(completed, 3);
}

// The debug line: numbers are formatted, text and pointer conversions and a
// lone "%" are written as they stand (a C argument list does not tell how
// many arguments it holds), and the line is cut to its buffer.
TEST(ScriptDebugLine, FormatsNumbersAndNeverFollowsAPointer) {
  char line[1024];
  FormatScriptDebugLine(line, sizeof line, "unit %d at %5.1f hp %x%%", 12, 99.5, 255);
  EXPECT_STREQ(line, "unit 12 at  99.5 hp ff%");
  FormatScriptDebugLine(line, sizeof line, "%s and %p and %n end %");
  EXPECT_STREQ(line, "%s and %p and %n end %");
  FormatScriptDebugLine(line, sizeof line, "%ld %lld %c", 5L, 6LL, 'z');
  EXPECT_STREQ(line, "5 6 z");
  char small[8];
  FormatScriptDebugLine(small, sizeof small, "%d%d%d", 1234, 5678, 9);
  EXPECT_STREQ(small, "1234567");
  const std::string longFormat(3000, 'a');
  FormatScriptDebugLine(line, sizeof line, longFormat.c_str());
  EXPECT_EQ(std::strlen(line), sizeof line - 1);
  T.DebugPrintf(nullptr);
  T.DebugPrintf("%s%s%s%s%s%s%s%s%s%s%s%s%n%n");
}

}  // namespace
