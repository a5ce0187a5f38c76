// The update scheduler: who thinks in which frame (the soldier batch and its
// adaptive size, the local side's every-frame step, vehicles, the plain
// kinds), the cursors as objects come and go, the AI switches, the count of
// enemies near the player and the overlays.
#include "units/base/hlo_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "shell/mission/mission.h"
#include "units/base/unit.h"
#include "units/soldier/grunt.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"

namespace {

using Log = std::vector<std::string>;

// A unit that writes each scheduler step it is given into a log as its name
// and a letter: E every-frame, P pre-think, O order, S target search, A AI
// think, T think, V vehicle AI.
class LoggingUnit : public CUnit {
 public:
  LoggingUnit(const HLOSpawnRecord& r, const std::string& name, Log* log) : CUnit(r, nullptr), name_(name), log_(log) {
    health = 100.0f;
  }
  void EveryFrameStep() override { Note('E'); }
  void PreThink() override { Note('P'); }
  bool SkipsThinking() override { return skips; }
  void OrderStep() override { Note('O'); }
  bool TargetSearchDue() override { return searchDue; }
  void TargetSearch() override { Note('S'); }
  void AIThink() override { Note('A'); }
  void Think() override { Note('T'); }
  bool IsBusy() override { return busy; }
  bool IsAirVehicle() override { return air; }
  void VehicleAIStep() override { Note('V'); }

  bool skips = false, searchDue = false, busy = false, air = false;

 private:
  void Note(char step) { log_->push_back(name_ + step); }
  std::string name_;
  Log* log_;
};

// A world object of a plain kind (feature, door ...) that logs its think.
class LoggingObject : public CHLO {
 public:
  LoggingObject(const HLOSpawnRecord& r, const std::string& name, Log* log) : CHLO(r, nullptr), name_(name), log_(log) {}
  void Think() override { log_->push_back(name_ + 'T'); }

 private:
  std::string name_;
  Log* log_;
};

class SchedulerTest : public UnitsTestWorld {
 protected:
  void TearDown() override {
    g_LocalPlayers.RemoveAll();
    g_HLOScheduler = nullptr;
    UnitsTestWorld::TearDown();
  }

  static HLOSpawnRecord Record(int kind, int side, bool active) {
    HLOSpawnRecord r;
    r.Init();
    r.kind = kind;
    r.side = static_cast<std::uint8_t>(side);
    r.objectFlags = active ? static_cast<std::uint32_t>(HLOF_ACTIVE) : 0u;
    return r;
  }
  // Objects are filed in front of their list: add them last first.
  LoggingUnit* Unit(const std::string& name, int side, int kind = HLO_GRUNT, bool active = true) {
    auto* u = new LoggingUnit(Record(kind, side, active), name, &log_);
    manager_->InsertObject(u);
    return u;
  }
  LoggingObject* Object(const std::string& name, int kind, int side = 0, bool active = true) {
    auto* o = new LoggingObject(Record(kind, side, active), name, &log_);
    manager_->InsertObject(o);
    return o;
  }
  // Both AI switches on, as level initialise does once the objects exist.
  static void SwitchOn(HLOScheduler& s) {
    s.SetEnemyAI(1);
    s.SetFriendlyAI(1);
  }
  // The frame's log, cleared for the next.
  Log Frame(HLOScheduler& s) {
    log_.clear();
    s.Update();
    return log_;
  }

  Log log_;
};

TEST_F(SchedulerTest, ALoneSoldierThinksInEveryFrame) {
  Unit("a", 2);
  HLOScheduler s;
  SwitchOn(s);
  ASSERT_NE(s.cursor[CURSOR_SOLDIER], nullptr);
  EXPECT_EQ(s.cursorSide[CURSOR_SOLDIER], 2u);
  s.nextAdaptTime = 0xFFFFFFFFu;  // one soldier a frame
  for (int frame = 0; frame < 4; ++frame) {
    EXPECT_EQ(Frame(s), (Log{"aP", "aO", "aA"})) << "frame " << frame;
    // Alone, the advance finds the soldier itself and the cursor becomes
    // null; the next batch puts it back on the soldier.
    EXPECT_EQ(s.cursor[CURSOR_SOLDIER], nullptr);
  }
}

TEST_F(SchedulerTest, SoldiersThinkOneOrTwoAFrameAcrossTheSidesInTurn) {
  Unit("b", 1);
  Unit("a", 1);
  Unit("c", 3);
  HLOScheduler s;
  SwitchOn(s);
  ASSERT_EQ(s.soldiersPerFrame, 1u);
  std::string order;
  for (int frame = 0; frame < 6; ++frame) {
    const Log log = Frame(s);
    ASSERT_EQ(log.size(), 3u) << "one soldier a frame";
    order += log[0][0];
  }
  EXPECT_EQ(order, "abcabc");
  s.soldiersPerFrame = 2;
  order.clear();
  for (int frame = 0; frame < 3; ++frame) {
    const Log log = Frame(s);
    ASSERT_EQ(log.size(), 6u) << "two soldiers a frame";
    order += std::string(1, log[0][0]) + log[3][0];
  }
  EXPECT_EQ(order, "abcabc");
}

TEST_F(SchedulerTest, ASoldierThatSkipsThinkingIsNotCountedAndTheDeadAndTheAIlessThinkLess) {
  LoggingUnit* c = Unit("c", 1);
  LoggingUnit* b = Unit("b", 1);
  LoggingUnit* a = Unit("a", 1);
  HLOScheduler s;
  SwitchOn(s);
  a->skips = true;
  b->health = 0.0f;
  c->unitFlags &= ~UNITF_AI_ON;
  c->searchDue = true;
  EXPECT_EQ(Frame(s), (Log{"aP", "bP"})) << "a skips (not counted), b counts but is dead";
  EXPECT_EQ(Frame(s), (Log{"cP", "cO"})) << "no AI: order step only";
  c->unitFlags |= UNITF_AI_ON;
  EXPECT_EQ(Frame(s), (Log{"aP", "bP"}));
  EXPECT_EQ(Frame(s), (Log{"cP", "cO", "cS", "cA"})) << "a search that is due runs before the AI think";
}

TEST_F(SchedulerTest, TheLocalSideStepsEveryFrameAndNothingRunsOnceTheMissionIsOverOrTheClockStops) {
  Unit("e", 1);
  Unit("m", 0);
  HLOScheduler s;
  SwitchOn(s);
  const Log first = Frame(s);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0], "mE");
  const Log second = Frame(s);
  EXPECT_EQ(second[0], "mE");
  int everyFrame = 0;
  for (const std::string& step : second) everyFrame += step[1] == 'E';
  EXPECT_EQ(everyFrame, 1) << "only the local side's soldier";
  for (int result : {static_cast<int>(MISSION_SUCCEEDED), 1}) {
    g_Mission->SetResult(result);
    EXPECT_TRUE(Frame(s).empty()) << "result " << result;
  }
  g_Mission->SetResult(MISSION_RUNNING);
  clock_.SetRunning(0);
  EXPECT_TRUE(Frame(s).empty()) << "stopped clock";
}

TEST_F(SchedulerTest, TheSoldierCountFollowsTheSweepTimeWithinOneAndTwo) {
  const struct {
    std::uint32_t sweep, before, after;
  } cases[] = {
      {349, 2, 1}, {350, 2, 2}, {500, 2, 2}, {649, 1, 1}, {650, 1, 2}, {349, 1, 1}, {650, 2, 2}, {0, 2, 1},
  };
  std::uint32_t now = 10000;
  for (const auto& c : cases) {
    HLOScheduler s;
    s.soldiersPerFrame = c.before;
    s.sweepDuration = c.sweep;
    SetTime(now += 5000);
    s.Update();
    EXPECT_EQ(s.soldiersPerFrame, c.after) << "sweep " << c.sweep << " from " << c.before;
    EXPECT_EQ(s.nextAdaptTime, now + 1000);
    // Not again until the game time is past the next adaptation.
    s.sweepDuration = 5000;
    SetTime(now + 1000);
    s.Update();
    EXPECT_EQ(s.soldiersPerFrame, c.after);
  }
}

TEST_F(SchedulerTest, ASweepIsTimedFromOneWrapOfTheSoldierCursorToTheNext) {
  Unit("b", 3);
  Unit("a", 1);
  HLOScheduler s;
  SwitchOn(s);
  s.nextAdaptTime = 0xFFFFFFFFu;  // keep one soldier a frame
  std::uint32_t now = 1000;
  for (int frame = 0; frame < 5; ++frame) {
    SetTime(now += 120);
    s.Update();
  }
  // Frames at 1120 (a), 1240 (b, wraps), 1360 (a), 1480 (b, wraps) ...
  EXPECT_EQ(s.sweepDuration, 240u);
  EXPECT_EQ(s.sweepStart, 1480u);
}

TEST_F(SchedulerTest, VehiclesThinkTwoAFrameAndAnInactiveOneUnderTheCursorIsSteppedPast) {
  LoggingUnit* c = Unit("c", 1, HLO_VEHICLE);
  Unit("b", 1, HLO_VEHICLE);
  LoggingUnit* a = Unit("a", 1, HLO_VEHICLE);
  c->air = true;
  c->unitFlags |= UNITF_TARGET_SEARCH;
  HLOScheduler s;
  SwitchOn(s);
  EXPECT_EQ(Frame(s), (Log{"aT", "aV", "bT", "bV"}));
  EXPECT_EQ(Frame(s), (Log{"cT", "cS", "cV", "aT", "aV"})) << "an air vehicle searches for targets";
  // The cursor stands on b; b leaves the active list without the scheduler
  // being told.  The batch goes past it rather than stalling every frame.
  ASSERT_EQ(s.cursor[CURSOR_VEHICLE], static_cast<CHLO*>(manager_->FirstActive(1, HLO_VEHICLE)->Next));
  manager_->DeactivateObject(s.cursor[CURSOR_VEHICLE]);
  EXPECT_EQ(Frame(s), (Log{"aT", "aV", "cT", "cS", "cV"}));
  EXPECT_EQ(Frame(s), (Log{"aT", "aV", "cT", "cS", "cV"}));
  a->busy = true;
  EXPECT_EQ(Frame(s), (Log{"aT", "cT", "cS", "cV"})) << "a busy vehicle thinks but runs no AI step";
}

TEST_F(SchedulerTest, EachPlainKindThinksItsCountAFrame) {
  Object("f2", HLO_FEATURE);
  Object("f1", HLO_FEATURE);
  Object("w3", HLO_WEAPON);
  Object("w2", HLO_WEAPON);
  Object("w1", HLO_WEAPON);
  Object("d1", HLO_DOOR, 2);
  Object("x1", HLO_CORPSE);
  HLOScheduler s;
  SwitchOn(s);
  EXPECT_EQ(Frame(s), (Log{"f1T", "w1T", "w2T", "d1T"}));
  EXPECT_EQ(Frame(s), (Log{"f2T", "w3T", "w1T", "d1T"})) << "a lone door thinks every frame";
  EXPECT_EQ(Frame(s), (Log{"f1T", "w2T", "w3T", "d1T"}));
}

TEST_F(SchedulerTest, CursorsFollowObjectsIntoAndOutOfTheActiveLists) {
  LoggingObject* door = Object("d", HLO_DOOR, 1, false);
  HLOScheduler s;
  SwitchOn(s);
  EXPECT_EQ(s.cursor[CURSOR_DOOR], nullptr);
  EXPECT_EQ(s.cursorSide[CURSOR_DOOR], 4u) << "no active door";
  s.OnActivation(door);
  manager_->ActivateObject(door);
  EXPECT_EQ(s.cursor[CURSOR_DOOR], door);
  EXPECT_EQ(s.cursorSide[CURSOR_DOOR], 1u);
  LoggingObject* second = Object("e", HLO_DOOR, 1, false);
  s.OnActivation(second);
  EXPECT_EQ(s.cursor[CURSOR_DOOR], door) << "a door cursor already stands";
  manager_->ActivateObject(second);
  // Deactivating the door under the cursor moves the cursor on first.
  s.OnActivation(door);
  manager_->DeactivateObject(door);
  EXPECT_EQ(s.cursor[CURSOR_DOOR], second);
  s.OnActivation(second);
  manager_->DeactivateObject(second);
  EXPECT_EQ(s.cursor[CURSOR_DOOR], nullptr);
  // A unit that changes its active flag tells the scheduler itself.
  g_HLOScheduler = &s;
  LoggingUnit* soldier = Unit("s", 2, HLO_GRUNT, false);
  soldier->SetActive(1);
  EXPECT_EQ(s.cursor[CURSOR_SOLDIER], soldier);
  soldier->SetActive(0);
  EXPECT_EQ(s.cursor[CURSOR_SOLDIER], nullptr);
  // Kinds it does not walk are left alone.
  LoggingObject* corpse = Object("x", HLO_CORPSE, 0, false);
  s.OnActivation(corpse);
  for (CHLO* c : s.cursor) EXPECT_NE(c, corpse);
}

TEST_F(SchedulerTest, TheAISwitchesSetTheFlagOfEveryEnemyOrFriendActiveOrNot) {
  LoggingUnit* friendActive = Unit("f", 0);
  LoggingUnit* friendAsleep = Unit("g", 0, HLO_GRUNT, false);
  LoggingUnit* enemyActive = Unit("e", 1);
  LoggingUnit* enemyAsleep = Unit("h", 3, HLO_VEHICLE, false);
  HLOScheduler s;
  for (CUnit* u : std::vector<CUnit*>{friendActive, friendAsleep, enemyActive, enemyAsleep})
    EXPECT_FALSE(u->unitFlags & UNITF_AI_ON) << "made before the level's scheduler";
  SwitchOn(s);
  for (CUnit* u : std::vector<CUnit*>{friendActive, friendAsleep, enemyActive, enemyAsleep})
    EXPECT_TRUE(u->unitFlags & UNITF_AI_ON);
  s.SetEnemyAI(0);
  EXPECT_EQ(s.enemyAI, 0u);
  EXPECT_FALSE(enemyActive->unitFlags & UNITF_AI_ON);
  EXPECT_FALSE(enemyAsleep->unitFlags & UNITF_AI_ON);
  EXPECT_TRUE(friendActive->unitFlags & UNITF_AI_ON);
  EXPECT_TRUE(friendAsleep->unitFlags & UNITF_AI_ON);
  s.SetFriendlyAI(0);
  EXPECT_FALSE(friendActive->unitFlags & UNITF_AI_ON);
  EXPECT_FALSE(friendAsleep->unitFlags & UNITF_AI_ON);
  s.SetEnemyAI(1);
  EXPECT_TRUE(enemyAsleep->unitFlags & UNITF_AI_ON);
  EXPECT_FALSE(friendAsleep->unitFlags & UNITF_AI_ON);
  // A unit made while a switch is off starts with its flag clear.
  g_HLOScheduler = &s;
  EXPECT_FALSE(Unit("n", 0)->unitFlags & UNITF_AI_ON);
  EXPECT_TRUE(Unit("m", 2)->unitFlags & UNITF_AI_ON);
}

TEST_F(SchedulerTest, ViewConesAreDrawnForTheSidesAskedWithTheirColours) {
  LoggingUnit* enemy = Unit("e", 1);
  Unit("m", 0);
  enemy->visionValues[2] = 4200.0f;
  enemy->viewAngle = 75.0f;
  HLOScheduler s;
  SwitchOn(s);
  std::vector<SchedulerViewCone> cones;
  SchedulerOverlaySink sink;
  sink.Cone = [](const SchedulerViewCone& c, void* context) {
    static_cast<std::vector<SchedulerViewCone>*>(context)->push_back(c);
  };
  sink.Context = &cones;
  s.DrawViewCones(sink);
  EXPECT_TRUE(cones.empty()) << "both sides' switches are off";
  s.debugOtherSides = 1;
  s.DrawViewCones(sink);
  ASSERT_EQ(cones.size(), 1u);
  EXPECT_EQ(cones[0].Length, 4200.0f);
  EXPECT_EQ(cones[0].Angle, 75.0f);
  EXPECT_EQ(cones[0].Apex.y, enemy->GetPosition().y + 100.0f) << "not a soldier: its position raised";
  EXPECT_EQ(cones[0].Colour, 0x3300FF00u) << "green without a target";
  s.debugOwnSide = 1;
  enemy->health = 0.0f;
  cones.clear();
  s.DrawViewCones(sink);
  ASSERT_EQ(cones.size(), 1u) << "the dead have no cone; the own side's soldier has";
}

}  // namespace
