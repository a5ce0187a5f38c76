// The mission record: reset and squad reset, texts, objectives and their
// markers, saves, save names, the campaign tables, the end test, level start
// and the squad's storing, the statistics, and the 4980-byte block.
#include "shell/mission/mission.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "mission_fixture.h"
#include "platform/win32/library.h"
#include "shell/level/mission_plugin.h"
#include "shell/mission/mission_block.h"
#include "shell/stats/stats_fixture.h"
#include "world/engine.h"
#include "world/sky/difficulty.h"

namespace {

using mission_test::FakeUnits;
using mission_test::ObjectWorld;
using mission_test::PatternSlot;
using mission_test::ScratchFolder;
using mission_test::TestStrings;
using stats_test::BoxRecorder;

// A record and the game-wide words it reads, set back after each test.
class MissionRecordTest : public ::testing::Test {
 protected:
  MissionRecordTest() {
    mission = std::make_unique<CMission>();
    ScreenId = 14;
    g_MissionTraining = g_CampaignBranchFlag = g_CampaignBranchValue = g_LoadingSavedGame = 0;
  }
  ~MissionRecordTest() override {
    FreeMissionPlugin();
    g_MissionTraining = g_CampaignBranchFlag = g_CampaignBranchValue = g_LoadingSavedGame = 0;
    g_Difficulty.SetLevel(1);
    ScreenId = 14;
  }
  // Binds the tests' plug-in, its handler answering `answer` to event 83.
  void BindPlugin(std::int32_t answer) {
    BoxRecorder boxes;
    ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1) << boxes.Joined();
    using SetAnswer = void (*)(std::uint32_t, std::int32_t);
    auto set = reinterpret_cast<SetAnswer>(GetProcAddress(MissionLibrary, "TestPluginSetEventAnswer"));
    ASSERT_NE(set, nullptr);
    set(83, answer);
  }

  std::unique_ptr<CMission> mission;
};

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

float F32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  const std::uint32_t bits = U32At(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

bool SameSlot(const MissionSquadSlot& a, const MissionSquadSlot& b) {
  bool same = a.templateId == b.templateId && a.valueA == b.valueA && a.skin == b.skin && a.rank == b.rank &&
              a.valueC == b.valueC && a.health == b.health && a.selectedItem == b.selectedItem &&
              a.missionsSurvived == b.missionsSurvived &&
              std::memcmp(a.skills, b.skills, sizeof a.skills) == 0 &&
              std::memcmp(a.statistics, b.statistics, sizeof a.statistics) == 0;
  for (int i = 0; i < kSquadItems; ++i) {
    const MissionInventoryEntry &x = a.inventory[i], &y = b.inventory[i];
    same = same && x.nameHash == y.nameHash && x.quantity == y.quantity && x.flags == y.flags &&
           std::memcmp(x.weaponWords, y.weaponWords, sizeof x.weaponWords) == 0;
  }
  return same;
}

// A record with a distinct value in every field the block keeps.
void FillRecord(CMission& m) {
  m.MissionId = 7;
  m.MissionResult = MISSION_FAILED;
  m.StartTime = 0x01020304;
  m.SavesMade = 3;
  ASSERT_TRUE(m.SetNextLevel("Mission8.dll"));
  m.Score = 0xA1B2C3D4;
  for (int s = 0; s < kSquadSlots; ++s) m.Slot(s) = PatternSlot(static_cast<std::uint32_t>(s + 1));
}

// --- reset --------------------------------------------------------------------------------

TEST_F(MissionRecordTest, ResetLeavesTheSquadAloneAndSquadResetClearsIt) {
  mission->MissionId = 4;
  mission->MissionResult = MISSION_SUCCEEDED;
  mission->NameTextA = 11;
  mission->NameTextB = 12;
  mission->StartTime = 999;
  mission->Score = 50;
  mission->SavesMade = 2;
  mission->SavesAllowed[1] = 5;
  mission->PromoteBest = 1;
  mission->PromotionThreshold = 8;
  mission->RankStep = 9;
  mission->SetNextLevel("Next.dll");
  mission->SetAwardThreshold(30, 6);
  mission->SetText(77, 0);
  mission->SetText(78, 3);
  ASSERT_EQ(mission->AddObjective(5), 0);
  g_MissionEndFlag = 1;
  for (int s = 0; s < kSquadSlots; ++s) mission->Slot(s) = PatternSlot(static_cast<std::uint32_t>(s + 1));

  mission->Reset();
  EXPECT_EQ(mission->MissionId, -1);
  EXPECT_EQ(mission->MissionResult, MISSION_RUNNING);
  EXPECT_EQ(mission->NameTextA, 0u);
  EXPECT_EQ(mission->NameTextB, 0u);
  EXPECT_EQ(mission->StartTime, 0u);
  EXPECT_EQ(mission->Score, 0u);
  EXPECT_EQ(mission->SavesMade, 0);
  EXPECT_EQ(mission->SavesAllowed[1], 5) << "the allowances are set once, at construction";
  EXPECT_EQ(mission->PromoteBest + mission->PromotionThreshold + mission->RankStep, 0u);
  EXPECT_STREQ(mission->GetNextLevel(), "");
  EXPECT_STREQ(mission->GetLevelName(), "");
  EXPECT_EQ(mission->GetAwardThreshold(6), 0u);
  for (int t = 0; t < kMissionTexts; ++t) EXPECT_EQ(mission->GetTextId(t), -1) << t;
  EXPECT_EQ(mission->ObjectiveCount(), 0);
  EXPECT_EQ(mission->FindObjective(0), nullptr);
  EXPECT_EQ(g_MissionEndFlag, 0u);
  for (int s = 0; s < kSquadSlots; ++s)
    EXPECT_TRUE(SameSlot(mission->Slot(s), PatternSlot(static_cast<std::uint32_t>(s + 1)))) << "slot " << s;

  mission->ResetCampaignRecords();
  for (int s = 0; s < kSquadSlots; ++s) {
    const MissionSquadSlot& slot = mission->Slot(s);
    EXPECT_EQ(slot.templateId, 0u);
    EXPECT_EQ(slot.rank, 1u);
    EXPECT_EQ(slot.health, -1.0f);
    EXPECT_EQ(slot.selectedItem, -1);
    EXPECT_EQ(slot.valueA + slot.valueC + slot.skin + slot.missionsSurvived, 0u);
    for (int i = 0; i < kSquadItems; ++i) EXPECT_EQ(slot.inventory[i].nameHash + slot.inventory[i].weaponWords[5], 0u);
    for (std::uint32_t statistic : slot.statistics) EXPECT_EQ(statistic, 0u);
    for (std::uint8_t skill : slot.skills) EXPECT_EQ(skill, 0);
  }
}

TEST_F(MissionRecordTest, ConstructionAllowsTwoSavesAtEachDifficulty) {
  for (std::uint8_t allowed : mission->SavesAllowed) EXPECT_EQ(allowed, 2);
  EXPECT_EQ(mission->MissionId, -1);
  EXPECT_EQ(mission->Slot(4).health, -1.0f);
}

// --- names and texts ---------------------------------------------------------------------

TEST_F(MissionRecordTest, NamesThatDoNotFitTheirFieldsAreRefused) {
  const std::string fits(34, 'a'), tooLong(35, 'b');
  EXPECT_TRUE(mission->SetNextLevel(fits.c_str()));
  EXPECT_EQ(mission->GetNextLevel(), fits);
  EXPECT_FALSE(mission->SetNextLevel(tooLong.c_str()));
  EXPECT_EQ(mission->GetNextLevel(), fits) << "a refused name leaves the field as it was";
  mission->MissionId = 20;
  mission->Start(tooLong.c_str());
  EXPECT_STREQ(mission->GetLevelName(), "");
  mission->Start("Demo.loa");
  EXPECT_STREQ(mission->GetLevelName(), "Demo.loa");
}

TEST_F(MissionRecordTest, MissionTextsByKindAndTheSeventhExtraTextIsDropped) {
  ScratchFolder folder("texts");
  TestStrings strings({{100, "Title"}, {101, "Subtitle"}, {103, "Para 3"}, {108, "Para 8"}, {109, "Para 9"}});
  mission->SetText(100, 0);
  mission->SetText(101, 1);
  mission->SetText(555, 4);   // no such kind: ignored
  mission->SetText(556, -1);  // nor this
  for (std::int32_t id = 103; id <= 109; ++id) mission->SetText(id, 3);
  EXPECT_EQ(mission->GetTextId(2), -1);
  for (int entry = 3; entry < 9; ++entry) EXPECT_EQ(mission->GetTextId(entry), 100 + entry) << entry;
  struct Case {
    std::int32_t kind, index;
    const char* text;
  } cases[] = {
      {0, 0, "Title"}, {0, 7, "Title"},  {1, 0, "Subtitle"}, {2, 0, nullptr},  // unset
      {3, 3, "Para 3"}, {3, 8, "Para 8"}, {3, 2, nullptr},    {3, 9, nullptr}, {4, 3, nullptr}, {-1, 0, nullptr},
  };
  for (const Case& c : cases) {
    const char* text = mission->GetText(c.kind, c.index);
    if (c.text == nullptr)
      EXPECT_EQ(text, nullptr) << c.kind << "/" << c.index;
    else
      EXPECT_STREQ(text, c.text) << c.kind << "/" << c.index;
  }
}

TEST_F(MissionRecordTest, AwardThresholdsTakeIndicesZeroToSixOnly) {
  for (std::int32_t index : {-1, 0, 6, 7}) mission->SetAwardThreshold(static_cast<std::uint32_t>(40 + index), index);
  EXPECT_EQ(mission->GetAwardThreshold(0), 40u);
  EXPECT_EQ(mission->GetAwardThreshold(6), 46u);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(mission->GetAwardThreshold(i), 0u);
}

// --- objectives ---------------------------------------------------------------------------

TEST_F(MissionRecordTest, ObjectivesAreNumberedInOrderAndASeventhIsRefusedWithItsMessage) {
  BoxRecorder boxes;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(mission->AddObjective(100 + i), i);
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_EQ(mission->AddObjective(200), -1);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_NE(boxes.texts[0].find("Add Mission Objective:Too many objectives"), std::string::npos) << boxes.texts[0];
  EXPECT_EQ(mission->ObjectiveCount(), 6);
  EXPECT_EQ(mission->FindObjective(-1), nullptr);
  EXPECT_EQ(mission->FindObjective(6), nullptr);
  MissionObjective* third = mission->FindObjective(2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->GetTarget(0), 102);
  EXPECT_EQ(third->Status(), OBJECTIVE_CREATED);
  for (std::int32_t id : {7, 8, 9, 10}) third->AddTarget(id);  // the fourth finds no room
  EXPECT_EQ(third->GetTarget(1), 7);
  EXPECT_EQ(third->GetTarget(3), 9);
  EXPECT_EQ(third->GetTarget(4), -1);
  EXPECT_EQ(third->GetTarget(-1), -1);
}

TEST_F(MissionRecordTest, NextAndPreviousMarkerSkipEmptySlotsAndDeadMarkerObjects) {
  FakeUnits units;
  ObjectWorld world;
  CHLO* living = world.Add(HLO_GRUNT, 1, 40);
  CHLO* dead = world.Add(HLO_GRUNT, 1, 41);
  units.Of(living).health = 50.0f;
  units.Of(dead).health = 0.0f;
  ASSERT_EQ(mission->AddObjective(1), 0);
  MissionObjective* o = mission->FindObjective(0);
  const CVector3 a{100, 0, 0}, b{0, 0, 300};
  o->AddMarkerPosition(a);     // slot 0
  o->AddMarkerObject(dead);    // slot 1
  o->AddMarkerObject(living);  // slot 2
  // A position goes to the first slot whose position is empty: slot 1,
  // beside the dead object.
  o->AddMarkerPosition(b);
  EXPECT_FALSE(o->MarkerPositionEmpty(1));
  o->RemoveMarkerAt(b);
  EXPECT_TRUE(o->MarkerPositionEmpty(1));
  EXPECT_EQ(o->MarkerObjectId(1), -1) << "removing a marker empties its object too";
  o->AddMarkerObject(dead);  // slot 1 again
  ASSERT_EQ(o->MarkerObjectId(1), 41);
  ASSERT_EQ(o->MarkerObjectId(2), 40);

  struct Step {
    bool forward;
    int answer, current;
  } steps[] = {{true, 1, 2}, {true, 1, 0}, {false, 1, 2}, {false, 1, 0}, {false, 1, 2}};
  for (const Step& s : steps) {
    EXPECT_EQ(s.forward ? o->NextMarker() : o->PreviousMarker(), s.answer);
    EXPECT_EQ(o->CurrentMarker(), s.current);
  }
  CVector3 at{};
  EXPECT_TRUE(o->GetCurrentMarker(&at)) << "a living marker object gives its position";
  EXPECT_FALSE(o->GetMarker(1, &at)) << "a dead one none";
  EXPECT_FALSE(o->GetMarker(12, &at));

  // The living object dies: only slot 0 is left, and from it nothing else.
  units.Of(living).health = 0.0f;
  o->RemoveMarker(0);  // slot 0 was not current: the current (2) stays
  EXPECT_EQ(o->CurrentMarker(), 2);
  EXPECT_EQ(o->NextMarker(), 0);
  EXPECT_EQ(o->PreviousMarker(), 0);
  EXPECT_EQ(o->CurrentMarker(), 2) << "with nothing left the current marker is kept";
  EXPECT_FALSE(mission->GetObjectiveMarker(0, &at));
  EXPECT_FALSE(mission->GetObjectiveMarker(5, &at)) << "no such objective";

  // A deleted marker object is no object at all, whatever its last health.
  units.Of(dead).health = 10.0f;
  EXPECT_EQ(o->NextMarker(), 1);
  world.manager.DeleteObject(dead);
  EXPECT_EQ(o->NextMarker(), 0);
  EXPECT_FALSE(o->GetMarker(1, &at));
}

TEST_F(MissionRecordTest, AnObjectiveWithoutMarkersKeepsItsCurrentMarker) {
  ASSERT_EQ(mission->AddObjective(1), 0);
  MissionObjective* o = mission->FindObjective(0);
  EXPECT_EQ(o->NextMarker(), 0);
  EXPECT_EQ(o->PreviousMarker(), 0);
  EXPECT_EQ(o->CurrentMarker(), 0);
  for (int i = 0; i < 13; ++i) o->AddMarkerPosition(CVector3{1.0f + i, 0, 0});  // the thirteenth is ignored
  CVector3 last{};
  EXPECT_TRUE(o->GetMarker(11, &last));
  EXPECT_EQ(last.x, 12.0f);
  o->RemoveMarker(0);  // the current one: the next becomes current
  EXPECT_EQ(o->CurrentMarker(), 1);
}

// --- saves ------------------------------------------------------------------------------

TEST_F(MissionRecordTest, SavesRemainingByDifficulty) {
  EXPECT_EQ(mission->GetSavesRemaining(), 1) << "with no plug-in bound";
  BindPlugin(0);
  mission->SavesAllowed[0] = 3;
  struct Case {
    std::uint32_t difficulty;
    std::uint8_t made;
    int remaining;
  } cases[] = {{0, 0, 3}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {1, 5, 0}, {2, 1, 1}, {3, 0, 0}, {7, 0, 0}};
  for (const Case& c : cases) {
    g_Difficulty.SetLevel(c.difficulty);
    mission->SavesMade = c.made;
    EXPECT_EQ(mission->GetSavesRemaining(), c.remaining) << c.difficulty << "/" << int(c.made);
  }
}

TEST_F(MissionRecordTest, SaveNamesStepPastExistingFilesAndGiveUpAfterFortyFive) {
  ScratchFolder folder("save_names");
  TestStrings strings({{10, "Bridge"}, {11, "Bridge taken"}, {kSaveNameFinishedWord, " (done)"}});
  mission->NameTextA = 10;
  mission->NameTextB = 11;
  mission->SavesMade = 2;
  char name[64];
  ASSERT_TRUE(mission->MakeDefaultSaveName(name, sizeof name));
  EXPECT_STREQ(name, "Bridge 3.sav");
  folder.Touch("Bridge 3.sav");
  folder.Touch("Bridge 1.sav");
  ASSERT_TRUE(mission->MakeDefaultSaveName(name, sizeof name));
  EXPECT_STREQ(name, "Bridge 2.sav") << "a taken name gives way to the first free counter";

  mission->MissionResult = MISSION_SUCCEEDED;
  ASSERT_TRUE(mission->MakeDefaultSaveName(name, sizeof name));
  EXPECT_STREQ(name, "Bridge taken (done).sav");
  folder.Touch("Bridge taken (done).sav");
  for (int n = 2; n <= 44; ++n) folder.Touch("Bridge " + std::to_string(n) + ".sav");
  ASSERT_TRUE(mission->MakeDefaultSaveName(name, sizeof name));
  EXPECT_STREQ(name, "Bridge 45.sav");
  folder.Touch("Bridge 45.sav");
  EXPECT_FALSE(mission->MakeDefaultSaveName(name, sizeof name)) << "45 taken names: no name rather than a taken one";
  EXPECT_STREQ(name, "");
  char small[8];
  mission->MissionResult = MISSION_RUNNING;
  mission->SavesMade = 50;
  EXPECT_FALSE(mission->MakeDefaultSaveName(small, sizeof small)) << "a name that does not fit the buffer";
}

// --- the campaign ----------------------------------------------------------------------------

TEST_F(MissionRecordTest, NextMissionAndAvailabilityTables) {
  struct Next {
    std::uint32_t branch, value;
    std::int32_t id, result, next;
  } next[] = {
      {0, 0, 3, MISSION_SUCCEEDED, 4}, {0, 0, 3, MISSION_FAILED, 3}, {0, 0, 3, MISSION_RUNNING, 3},
      {0, 9, 10, MISSION_SUCCEEDED, 11}, {1, 3, 10, MISSION_SUCCEEDED, 11}, {1, 4, 10, MISSION_SUCCEEDED, 13},
      {1, 4, 10, MISSION_FAILED, 10}, {1, 4, 9, MISSION_SUCCEEDED, 10},
  };
  for (const Next& c : next) {
    g_CampaignBranchFlag = c.branch;
    g_CampaignBranchValue = c.value;
    mission->MissionId = c.id;
    mission->MissionResult = c.result;
    EXPECT_EQ(mission->GetNextMissionId(), c.next) << c.branch << "/" << c.value << "/" << c.id << "/" << c.result;
  }
  mission->MissionResult = MISSION_RUNNING;
  struct Available {
    std::uint32_t branch, value;
    std::int32_t number;
    int available;
  } available[] = {
      {0, 9, 0, 1},  {0, 9, 99, 1}, {1, 2, 0, 1},  {1, 3, 1, 0},  {1, 9, 5, 1},  {1, 9, 13, 1}, {1, 9, 14, 1},
      {1, 3, 11, 1}, {1, 4, 12, 0}, {1, 0, 15, 0}, {1, 0, -1, 0},
  };
  for (const Available& c : available) {
    g_CampaignBranchFlag = c.branch;
    g_CampaignBranchValue = c.value;
    EXPECT_EQ(mission->IsMissionAvailable(c.number), c.available) << c.branch << "/" << c.value << "/" << c.number;
  }
}

// --- the end test ----------------------------------------------------------------------------

TEST_F(MissionRecordTest, EndTestScreens) {
  struct Case {
    const char* label;
    std::int32_t result, id;
    int screen;
    int plugin;  // -1 none, else the answer to event 83
    int expected;
  } cases[] = {
      {"running", MISSION_RUNNING, 3, 14, -1, 14},
      {"failed", MISSION_FAILED, 3, 14, -1, 17},
      {"succeeded, campaign", MISSION_SUCCEEDED, 3, 14, -1, 18},
      {"succeeded, standalone, no plug-in", MISSION_SUCCEEDED, 20, 14, -1, 28},
      {"succeeded, standalone, plug-in says on", MISSION_SUCCEEDED, 15, 14, 1, 18},
      {"succeeded, standalone, plug-in says no", MISSION_SUCCEEDED, 15, 14, 0, 28},
      {"succeeded, campaign, plug-in not asked", MISSION_SUCCEEDED, 14, 14, 0, 18},
      {"failed over screen 9", MISSION_FAILED, 3, 9, -1, 9},
      {"failed over screen 10", MISSION_FAILED, 3, 10, -1, 10},
      {"failed over screen 20", MISSION_FAILED, 3, 20, -1, 17},
      {"failed over screen 29", MISSION_FAILED, 3, 29, -1, 17},
      {"failed over screen 61", MISSION_FAILED, 3, 61, -1, 17},
  };
  for (const Case& c : cases) {
    if (c.plugin >= 0) BindPlugin(c.plugin);
    mission->MissionResult = c.result;
    mission->MissionId = c.id;
    ScreenId = c.screen;
    mission->EndTest();
    EXPECT_EQ(ScreenId, c.expected) << c.label;
    FreeMissionPlugin();
  }
  // Every screen that holds the test back.
  for (int screen : {9, 10, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26, 27, 28, 59, 60, 62}) {
    mission->MissionResult = MISSION_SUCCEEDED;
    mission->MissionId = 2;
    ScreenId = screen;
    mission->EndTest();
    EXPECT_EQ(ScreenId, screen) << screen;
  }
  // Training keeps a standalone id on the campaign's way.
  g_MissionTraining = 1;
  mission->MissionId = 30;
  ScreenId = 14;
  mission->EndTest();
  EXPECT_EQ(ScreenId, 18);
}

// --- level start and the squad's storing ----------------------------------------------------------

class MissionSquadTest : public MissionRecordTest {
 protected:
  MissionSquadTest() {
    g_HLOLocalSide = 0;
    previousClock = g_GameClock;
    g_GameClock = &clock;
  }
  ~MissionSquadTest() override { g_GameClock = previousClock; }
  CHLO* Soldier(int id, std::uint32_t templateId, float health = 100.0f) {
    CHLO* o = world.Add(HLO_GRUNT, 0, id);
    units.Of(o).templateId = templateId;
    units.Of(o).health = health;
    return o;
  }
  FakeUnits units;
  ObjectWorld world;
  CTimer clock;
  CTimer* previousClock = nullptr;
};

TEST_F(MissionSquadTest, LevelStartGivesTheLevelsSoldiersTheirStoredState) {
  CHLO* a = Soldier(1, 501);
  CHLO* b = Soldier(2, 502);
  CHLO* stranger = Soldier(3, 999);
  CHLO* enemy = world.Add(HLO_GRUNT, 1, 4);
  units.Of(enemy).templateId = 501;
  mission->Slot(0) = PatternSlot(1);
  mission->Slot(0).templateId = 501;
  mission->Slot(0).health = 80.0f;
  mission->Slot(1) = PatternSlot(2);
  mission->Slot(1).templateId = 502;
  mission->Slot(1).health = -1.0f;  // nothing stored
  mission->MissionId = 3;
  units.sideLevel = 7;
  mission->Start("Mission4.dll");
  EXPECT_EQ(units.Of(a).applied, 2) << "once by the unit pass, once by the slot pass";
  EXPECT_EQ(units.Of(a).appliedSlot.skills[3], PatternSlot(1).skills[3]);
  EXPECT_EQ(units.Of(a).appliedSlot.inventory[24].weaponWords[5], PatternSlot(1).inventory[24].weaponWords[5]);
  EXPECT_EQ(units.Of(a).appliedSlot.selectedItem, PatternSlot(1).selectedItem);
  EXPECT_FALSE(units.Of(a).appliedWithHealth) << "health only for missions 5, 12 and 14";
  EXPECT_EQ(units.Of(a).level, 3) << "the side's level 7 less 4";
  EXPECT_EQ(mission->Slot(0).valueA, 0u);
  EXPECT_EQ(mission->Slot(0).valueC, 0u);
  EXPECT_EQ(mission->Slot(0).missionsSurvived, 0);
  EXPECT_EQ(units.Of(b).applied, 0) << "its slot holds nothing";
  EXPECT_EQ(units.Of(stranger).applied, 0);
  EXPECT_EQ(units.Of(enemy).applied, 0) << "only the local side";
  EXPECT_TRUE(stranger->Flags & HLOF_ACTIVE) << "units without a slot stay in campaign missions";
  EXPECT_STREQ(mission->GetLevelName(), "Mission4.dll");

  // Missions 5, 12 and 14 bring their own squad: health is given, and units
  // without a slot leave.
  units.Of(a).applied = 0;
  mission->MissionId = 12;
  mission->Start("Mission13.dll");
  EXPECT_EQ(units.Of(a).applied, 1);
  EXPECT_TRUE(units.Of(a).appliedWithHealth);
  EXPECT_EQ(units.Of(a).health, 80.0f);
  EXPECT_FALSE(stranger->Flags & HLOF_ACTIVE);
  EXPECT_FALSE(b->Flags & HLOF_ACTIVE);
}

TEST_F(MissionSquadTest, LevelStartOfAStandaloneMissionOrASavedGameLeavesTheSoldiersAlone) {
  CHLO* a = Soldier(1, 501);
  mission->Slot(0).templateId = 501;
  mission->Slot(0).health = 50.0f;
  mission->MissionId = 20;
  mission->Start("Demo.loa");
  EXPECT_EQ(units.Of(a).applied, 0);
  g_MissionTraining = 1;
  mission->Start("Training1.dll");
  EXPECT_EQ(units.Of(a).applied, 2) << "training carries the squad";
  g_LoadingSavedGame = 1;
  mission->Start("Training1.dll");
  EXPECT_EQ(units.Of(a).applied, 2);
  EXPECT_EQ(mission->Slot(0).templateId, 0u) << "a saved game brings its own squad: the table is reset";
  // Behind the success screen only the start time moves.
  ScreenId = 18;
  mission->Start("Other.dll");
  EXPECT_STREQ(mission->GetLevelName(), "Training1.dll");
}

TEST_F(MissionSquadTest, StoringTheSquadAwardsPromotesAndFillsSlotsByTemplateId) {
  CHLO* veteran = Soldier(1, 501);
  CHLO* recruit = Soldier(2, 502);
  CHLO* fallen = Soldier(3, 503, 0.0f);
  CHLO* hidden = Soldier(4, 504);
  CHLO* extra[3] = {Soldier(5, 505), Soldier(6, 506), Soldier(7, 507)};
  units.Of(hidden).hidden = true;
  units.Of(veteran).awardScore = 25;
  units.Of(veteran).awardBits = 1u << 2;
  units.Of(recruit).awardScore = 5;
  units.Of(veteran).points = 40;
  units.Of(veteran).rank = 11;  // at the top: never promoted
  units.Of(recruit).points = 30;
  units.Of(recruit).rank = 3;
  units.Of(extra[0]).points = 30;
  units.Of(extra[0]).second = 1;
  units.Of(extra[0]).rank = 4;
  units.Of(extra[1]).points = 30;
  units.Of(extra[1]).second = 0;  // ties on points, but its second score is lower
  units.Of(recruit).state = PatternSlot(9);
  units.Of(recruit).statistics[MSTAT_SHOTS] = 12;
  units.Of(recruit).statistics[MSTAT_KILLS_B] = 2;
  units.Of(fallen).statistics[MSTAT_SHOTS] = 99;

  // Slot 3 already holds the recruit from an earlier mission.
  mission->Slot(3).templateId = 502;
  mission->Slot(3).statistics[MSTAT_SHOTS] = 100;
  mission->Slot(3).statistics[MSTAT_TIME] = 1000;
  mission->Slot(3).missionsSurvived = 4;
  mission->MissionId = 3;
  mission->SetAwardThreshold(20, 0);
  mission->SetAwardThreshold(10, 1);
  mission->SetAwardThreshold(20, 2);
  mission->PromoteBest = 1;
  mission->PromotionThreshold = 30;
  mission->Score = 77;
  mission->RankStep = 5;
  mission->StartTime = 0;
  CTimer::State time;
  clock.SaveState(&time);
  time.gameTime = 2500;
  clock.RestoreState(time);
  mission->SetResult(MISSION_SUCCEEDED);

  EXPECT_EQ(units.Of(veteran).awardBits, 0b111u) << "bits 0 and 1 set, bit 2 already there";
  EXPECT_EQ(units.Of(recruit).awardBits, 0u);
  EXPECT_EQ(units.Of(veteran).rank, 11u);
  EXPECT_EQ(units.Of(extra[0]).rank, 5u) << "the best below rank 11: the later of equal points with a second score "
                                            "at least as high";
  EXPECT_EQ(units.Of(recruit).rank, 3u);
  EXPECT_EQ(units.Of(extra[1]).rank, 1u);

  // Slots, in the manager's order (the newest of equal order keys first):
  // the recruit keeps slot 3, the others fill the free slots, the hidden
  // soldier is left out, and the veteran, sixth, finds no slot.
  const MissionSquadSlot& r = mission->Slot(3);
  EXPECT_EQ(r.templateId, 502u);
  EXPECT_EQ(r.statistics[MSTAT_SHOTS], 112u);
  EXPECT_EQ(r.statistics[MSTAT_KILLS_B], 2u);
  EXPECT_EQ(r.statistics[MSTAT_TIME], 3500u) << "1000 ms before, 2500 ms of this mission";
  EXPECT_EQ(r.missionsSurvived, 5);
  EXPECT_EQ(r.skills[10], PatternSlot(9).skills[10]);
  EXPECT_EQ(r.inventory[7].flags, PatternSlot(9).inventory[7].flags);
  EXPECT_EQ(r.selectedItem, PatternSlot(9).selectedItem);
  EXPECT_EQ(units.Of(recruit).scoreGiven, 77u);
  EXPECT_EQ(units.Of(recruit).rankStepGiven, 5u);
  std::vector<std::uint32_t> ids;
  for (int s = 0; s < kSquadSlots; ++s) ids.push_back(mission->Slot(s).templateId);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{507, 506, 505, 502, 503}));
  const MissionSquadSlot& f = mission->Slot(4);
  EXPECT_EQ(f.health, 0.0f);
  EXPECT_EQ(f.statistics[MSTAT_SHOTS], 0u) << "a fallen soldier adds no statistics";
  EXPECT_EQ(f.missionsSurvived, 0);
  EXPECT_EQ(units.Of(fallen).scoresGiven, 0);
  EXPECT_EQ(units.Of(extra[2]).scoresGiven, 1);
  EXPECT_EQ(units.Of(veteran).scoresGiven, 0) << "no slot left for the sixth";
}

TEST_F(MissionSquadTest, AStandaloneMissionsSuccessResetsTheSquad) {
  Soldier(1, 501);
  mission->Slot(2) = PatternSlot(3);
  mission->MissionId = 15;
  mission->SetResult(MISSION_SUCCEEDED);
  EXPECT_EQ(mission->Slot(2).templateId, 0u);
  EXPECT_EQ(mission->Slot(0).templateId, 0u);
  g_LoadingSavedGame = 1;
  mission->SetResult(MISSION_FAILED);
  EXPECT_EQ(g_LoadingSavedGame, 1u);
  mission->SetResult(MISSION_SUCCEEDED);
  EXPECT_EQ(g_LoadingSavedGame, 0u);
}

TEST_F(MissionSquadTest, StatisticsBySquadSlot) {
  CHLO* soldier = Soldier(1, 501);
  CHLO* vehicle = world.Add(HLO_VEHICLE, 0, 2);
  units.Of(vehicle).templateId = 502;
  CHLO* building = world.Add(HLO_BUILDING, 0, 3);
  units.Of(building).templateId = 501;
  CHLO* unslotted = Soldier(4, 777);
  mission->Slot(1).templateId = 501;
  std::uint32_t* s = mission->Slot(1).statistics;
  s[MSTAT_SHOTS] = 40;
  s[MSTAT_HITS] = 10;
  s[MSTAT_COUNT_A] = 3;
  s[MSTAT_COUNT_B] = 2;
  s[MSTAT_KILLS_A] = 4;
  s[MSTAT_KILLS_B] = 5;
  s[MSTAT_MORE_A] = 6;
  mission->Slot(1).missionsSurvived = 2;
  mission->Slot(4).templateId = 502;
  EXPECT_EQ(mission->GetStatistic(soldier, MSTAT_SHOTS), 40u);
  EXPECT_EQ(mission->GetStatistic(soldier, MSTAT_MORE_A), 6u);
  EXPECT_EQ(mission->GetMisses(soldier), 5);
  EXPECT_FLOAT_EQ(mission->GetAccuracy(soldier), 0.25f);
  EXPECT_EQ(mission->GetTotalKills(soldier), 9u);
  EXPECT_EQ(mission->GetMissionsSurvived(soldier), 2u);
  mission->AddTime(soldier, 700);
  mission->AddTime(soldier, 300);
  EXPECT_EQ(mission->GetStatistic(soldier, MSTAT_TIME), 1000u);
  EXPECT_EQ(mission->FindSlot(vehicle), 4);
  EXPECT_FLOAT_EQ(mission->GetAccuracy(vehicle), 0.0f) << "no shots";
  for (CHLO* none : {building, unslotted, static_cast<CHLO*>(nullptr)}) {
    EXPECT_EQ(mission->GetStatistic(none, MSTAT_SHOTS), 0u);
    EXPECT_EQ(mission->GetTotalKills(none), 0u);
    EXPECT_EQ(mission->GetMisses(none), 0);
    mission->AddTime(none, 5);
  }
  EXPECT_EQ(mission->GetStatistic(soldier, MSTAT_TIME), 1000u);
}

TEST(MissionRecordWithoutUnits, SquadPassesReportTheUnitsNotBuilt) {
  ClearNotBuiltYet();
  ObjectWorld world;
  world.Add(HLO_GRUNT, 0, 1);
  CMission mission;
  mission.MissionId = 2;
  mission.Start("Mission3.dll");
  EXPECT_TRUE(WasReportedNotBuiltYet("units' squad state for the mission record"));
  ClearNotBuiltYet();
}

// --- the block -------------------------------------------------------------------------------------

TEST_F(MissionRecordTest, TheBlockIsByteExactAtEveryOffset) {
  FillRecord(*mission);
  mission->MissionId = 20;  // a standalone mission: the start touches no soldier
  mission->Start("Mission7.dll");
  mission->MissionId = 7;
  mission->StartTime = 0x01020304;
  ASSERT_EQ(mission->AddObjective(1), 0);
  ASSERT_EQ(mission->AddObjective(2), 1);
  mission->FindObjective(1)->SetBits(OBJECTIVE_COMPLETED | OBJECTIVE_SHOWN);
  ByteWriter out;
  out.U8(0xEE);  // the block starts wherever the writer stands
  MissionBlock::Write(*mission, out);
  ASSERT_EQ(out.Size(), 1u + MissionBlock::kSize);
  std::vector<std::uint8_t> b(out.Data().begin() + 1, out.Data().end());

  EXPECT_EQ(U32At(b, 0), 7u);
  EXPECT_EQ(U32At(b, 4), 1u);
  EXPECT_EQ(U32At(b, 8), 0x01020304u);
  EXPECT_EQ(b[12], 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[13])), "Mission7.dll");
  for (std::size_t i = 13 + 12; i < 48; ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[48])), "Mission8.dll");
  for (std::size_t i = 48 + 12; i < 84; ++i) EXPECT_EQ(b[i], 0) << i;
  for (int m = 0; m < kSquadSlots; ++m) {
    const MissionSquadSlot s = PatternSlot(static_cast<std::uint32_t>(m + 1));
    const std::size_t w = 4 * static_cast<std::size_t>(m);
    EXPECT_EQ(U32At(b, 84 + w), s.templateId);
    EXPECT_EQ(U32At(b, 104 + w), s.valueA);
    EXPECT_EQ(U32At(b, 124 + w), s.skin);
    EXPECT_EQ(U32At(b, 144 + w), s.rank);
    for (int k = 0; k < kSquadSkills; ++k) EXPECT_EQ(b[164 + 11 * m + k], s.skills[k]);
    EXPECT_EQ(U32At(b, 220 + w), s.valueC);
    EXPECT_EQ(F32At(b, 240 + w), s.health);
    for (int i = 0; i < kSquadItems; ++i) {
      const std::size_t at = 4 * static_cast<std::size_t>(i * 5 + m);
      const MissionInventoryEntry& e = s.inventory[i];
      EXPECT_EQ(U32At(b, 260 + at), e.nameHash);
      EXPECT_EQ(U32At(b, 760 + at), e.quantity);
      EXPECT_EQ(U32At(b, 1260 + at), e.flags);
      for (int k = 0; k < kItemWeaponWords; ++k) EXPECT_EQ(U32At(b, 1760 + 500 * k + at), e.weaponWords[k]);
    }
    EXPECT_EQ(U32At(b, 4760 + w), static_cast<std::uint32_t>(s.selectedItem));
    for (int c = 0; c < kSlotStatistics; ++c) EXPECT_EQ(U32At(b, 4792 + 20 * c + w), s.statistics[c]);
    EXPECT_EQ(b[4972 + m], s.missionsSurvived);
  }
  EXPECT_EQ(U32At(b, 4780), 0xA1B2C3D4u);
  EXPECT_EQ(b[4784], OBJECTIVE_CREATED);
  EXPECT_EQ(b[4785], OBJECTIVE_CREATED | OBJECTIVE_COMPLETED | OBJECTIVE_SHOWN);
  for (std::size_t i : {219, 4786, 4787, 4788, 4789, 4790, 4791, 4977, 4978, 4979}) EXPECT_EQ(b[i], 0) << i;
}

TEST_F(MissionRecordTest, TheBlockRoundTripsWithAndWithoutTheReset) {
  FillRecord(*mission);
  for (int i = 0; i < 6; ++i) ASSERT_EQ(mission->AddObjective(i), i);
  const std::uint8_t statuses[6] = {1, 3, 5, 9, 11, 15};
  int k = 0;
  for (MissionObjective* o = mission->FirstObjective(); o != nullptr; o = o->Next) o->SetStatus(statuses[k++]);
  ByteWriter out;
  MissionBlock::Write(*mission, out);
  out.U8(0x5A);  // what follows the block

  for (bool reset : {true, false}) {
    CMission copy;
    copy.SetText(42, 0);
    for (int i = 0; i < 7 && copy.ObjectiveCount() < 6; ++i) copy.AddObjective(100 + i);
    ByteReader in(out.Data().data(), out.Size());
    ASSERT_TRUE(MissionBlock::Read(copy, in, reset));
    EXPECT_EQ(in.Position(), MissionBlock::kSize) << "the reader ends just behind the block";
    EXPECT_EQ(copy.MissionId, 7);
    EXPECT_EQ(copy.MissionResult, MISSION_FAILED);
    EXPECT_EQ(copy.StartTime, 0x01020304u);
    EXPECT_EQ(copy.SavesMade, 3);
    EXPECT_STREQ(copy.GetNextLevel(), "Mission8.dll");
    EXPECT_EQ(copy.Score, 0xA1B2C3D4u);
    for (int s = 0; s < kSquadSlots; ++s) EXPECT_TRUE(SameSlot(copy.Slot(s), mission->Slot(s))) << s;
    if (reset) {
      EXPECT_EQ(copy.ObjectiveCount(), 0) << "the reset frees the objectives";
      EXPECT_EQ(copy.GetTextId(0), -1);
    } else {
      EXPECT_EQ(copy.GetTextId(0), 42) << "over the live record the texts stay";
      ASSERT_EQ(copy.ObjectiveCount(), 6);
      int n = 0;
      for (MissionObjective* o = copy.FirstObjective(); o != nullptr; o = o->Next, ++n)
        EXPECT_EQ(o->Status(), statuses[n]) << n;
      EXPECT_EQ(copy.FindObjective(0)->GetTarget(0), 100);
    }
    ByteWriter again;
    MissionBlock::Write(copy, again);
    if (!reset) {
      EXPECT_TRUE(std::equal(again.Data().begin(), again.Data().end(), out.Data().begin()));
    }
  }
}

TEST_F(MissionRecordTest, ReadingTheBlockOverTheLiveRecordDropsDeadMarkerObjects) {
  FakeUnits units;
  ObjectWorld world;
  CHLO* dead = world.Add(HLO_GRUNT, 1, 30);
  CHLO* living = world.Add(HLO_GRUNT, 1, 31);
  units.Of(living).health = 5.0f;
  ASSERT_EQ(mission->AddObjective(1), 0);
  MissionObjective* o = mission->FindObjective(0);
  o->AddMarkerObject(dead);
  o->AddMarkerObject(living);
  ByteWriter out;
  MissionBlock::Write(*mission, out);
  units.Of(dead).health = 0.0f;
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(MissionBlock::Read(*mission, in, false));
  EXPECT_EQ(o->MarkerObjectId(0), -1);
  EXPECT_EQ(o->MarkerObjectId(1), 31);
  EXPECT_EQ(o->CurrentMarker(), 1) << "the empty current marker moved on";
}

TEST_F(MissionRecordTest, DamagedBlocksAreRefusedAndChangeNothing) {
  FillRecord(*mission);
  ByteWriter out;
  MissionBlock::Write(*mission, out);
  const std::vector<std::uint8_t> good = out.Data();
  struct Case {
    const char* label;
    std::size_t size;
    std::size_t at;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"cut short", MissionBlock::kSize - 1, 0, {}},
      {"empty", 0, 0, {}},
      {"level name without its NUL", MissionBlock::kSize, 13, std::vector<std::uint8_t>(35, 'x')},
      {"next level without a NUL in its first 35 bytes", MissionBlock::kSize, 48, std::vector<std::uint8_t>(35, 'y')},
      {"control character in a name", MissionBlock::kSize, 48, {'a', 0x07, 'b', 0}},
      {"result 3", MissionBlock::kSize, 4, {3, 0, 0, 0}},
      {"result -1", MissionBlock::kSize, 4, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"selected item 25", MissionBlock::kSize, 4760 + 8, {25, 0, 0, 0}},
      {"selected item -2", MissionBlock::kSize, 4760, {0xFE, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = good;
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
    CMission target;
    target.MissionId = 33;
    target.Slot(0).templateId = 44;
    target.SetText(5, 1);
    ByteReader in(bytes.data(), c.size);
    EXPECT_FALSE(MissionBlock::Read(target, in, true)) << c.label;
    EXPECT_EQ(in.Position(), 0u) << c.label;
    EXPECT_EQ(target.MissionId, 33) << c.label;
    EXPECT_EQ(target.Slot(0).templateId, 44u) << c.label;
    EXPECT_EQ(target.GetTextId(1), 5) << c.label;
  }
  // A name of 35 characters in the 36-byte next-level field: no NUL within
  // the record's 35 bytes, though the block's own last byte is 0.
  std::vector<std::uint8_t> bytes = good;
  std::fill(bytes.begin() + 48, bytes.begin() + 83, 'z');
  bytes[83] = 0;
  CMission target;
  ByteReader in(bytes.data(), bytes.size());
  EXPECT_FALSE(MissionBlock::Read(target, in, true));
}

}  // namespace
