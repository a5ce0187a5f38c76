// The unit base: its start by side, the range of its level record, damage
// under the network roles and the switches that make a unit invulnerable,
// healing and its event, waypoints, the base step's timers, the state-send
// question and the head limits.
#include "units/base/unit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "net/mp_layer.h"
#include "shell/mission/mission.h"
#include "shell/stats/stats_tables.h"
#include "sound/sound_manager.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/units_test_world.h"
#include "world/environment/env_waypoints.h"
#include "world/objects/chlo_manager.h"

namespace {

// A unit of the base alone (a soldier or a vehicle makes one otherwise).
class PlainUnit : public CUnit {
 public:
  PlainUnit(const HLOSpawnRecord& record, const void* stats) : CUnit(record, stats) {}
};

class UnitTest : public UnitsTestWorld {
 protected:
  void SetUp() override {
    UnitsTestWorld::SetUp();
    ASSERT_TRUE(LoadStats());
  }
  PlainUnit Make(int side, const char* kind = "SquadRifleman", int statsKind = 1) {
    HLOSpawnRecord r = SoldierRecord(kind, side);
    return PlainUnit(r, FindStats(kind, static_cast<std::uint32_t>(statsKind)));
  }
};

TEST_F(UnitTest, FriendsStartAlarmedLookingForTargetsAndOthersAsleepOnTheirWaypoints) {
  PlainUnit friendly = Make(0);
  EXPECT_EQ(friendly.order, HOLD_POSITION_AND_LOOK_FOR_TARGETS);
  EXPECT_EQ(friendly.previousOrder, HOLD_POSITION_AND_LOOK_FOR_TARGETS);
  EXPECT_EQ(friendly.alertness, ALARMED);
  EXPECT_EQ(friendly.spawnBaseAlertness, ALARMED);
  PlainUnit enemy = Make(1);
  EXPECT_EQ(enemy.order, FOLLOW_WAYPOINTS);
  EXPECT_EQ(enemy.alertness, SLEEPING);
  EXPECT_EQ(enemy.spawnAlertness, SLEEPING);
  EXPECT_EQ(enemy.action, ACTION_HOLD_POSITION);
  EXPECT_EQ(enemy.health, 100.0f) << "the base soldier's health word";
  EXPECT_TRUE(enemy.unitFlags & UNITF_CONSTRUCTED);
}

TEST_F(UnitTest, TheRecordsRangeIsInMetresAndUnsetAtMinusOneThousand) {
  for (auto [value, expected] : {std::pair{-1000.0f, 0.0f}, {5.0f, 500.0f}, {0.0f, 0.0f}, {-999.0f, -99900.0f}}) {
    HLOSpawnRecord r = SoldierRecord("SquadRifleman", 1);
    r.bounds[SPAWN_RANGE] = value;
    PlainUnit u(r, FindStats("SquadRifleman", 1));
    EXPECT_EQ(u.rangeOverride, expected) << value;
    EXPECT_EQ(u.engageRange, expected) << value;
  }
}

TEST_F(UnitTest, DamageKillsByTheRulesOfTheNetworkRole) {
  RecordEvents();
  CHLO source(SoldierRecord("SquadRifleman", 0), nullptr);
  const struct {
    int role;  // 0 single player, 1 host, 2 client
    float health, amount;
    bool withSource;
    float after;
  } cases[] = {
      {0, 1.0f, 1.0f, false, 0.0f},      // offline: dead at 0
      {0, 0.5f, 0.4f, false, 0.1f},      // offline: alive above 0
      {1, 0.5f, 0.001f, false, 0.0f},    // host: 1.0 or less dies, whatever the amount
      {1, 2.0f, 0.5f, false, 1.5f},      // host: above 1.0 lives
      {2, 0.5f, 10.0f, true, -9.5f},     // client with a source: only subtracts
      {2, 0.5f, 0.001f, false, 0.0f},    // client without a source: the network's death rule
  };
  for (const auto& c : cases) {
    MPSetTestRole(c.role);
    PlainUnit u = Make(1);
    u.health = c.health;
    events_.clear();
    u.TakeDamage(c.amount, c.withSource ? &source : nullptr);
    EXPECT_FLOAT_EQ(u.health, c.after) << "role " << c.role << " health " << c.health;
    const bool raised = !events_.empty() && events_[0].code == MEV_UNIT_DAMAGED;
    EXPECT_EQ(raised, !(c.role == 2 && c.withSource)) << "role " << c.role;
  }
}

TEST_F(UnitTest, TheDeadTakeNoMoreDamage) {
  PlainUnit u = Make(1);
  u.health = 3.0f;
  u.TakeDamage(5.0f, nullptr);
  EXPECT_EQ(u.health, 0.0f);
  u.TakeDamage(5.0f, nullptr);
  EXPECT_EQ(u.health, 0.0f);
}

TEST_F(UnitTest, InvulnerableUnitsAndFriendsOfASucceededMissionTakeNoDamage) {
  SetPlayerDamageSwitch(0);
  PlainUnit own = Make(0);
  PlainUnit enemy = Make(1);
  EXPECT_FALSE(own.IsDamageable());
  EXPECT_TRUE(enemy.IsDamageable()) << "sides 0 and 1 are hostile";
  own.TakeDamage(10.0f, nullptr);
  enemy.TakeDamage(10.0f, nullptr);
  EXPECT_EQ(own.health, 100.0f);
  EXPECT_EQ(enemy.health, 90.0f);
  SetPlayerDamageSwitch(1);
  PlainUnit friendNow = Make(0);
  g_Mission->SetResult(MISSION_SUCCEEDED);
  friendNow.TakeDamage(10.0f, nullptr);
  EXPECT_EQ(friendNow.health, 100.0f);
}

TEST_F(UnitTest, HealingRaisesItsEventOnlyForAPositiveAmountAndStopsAtTheMaximum) {
  RecordEvents();
  PlainUnit u = Make(1);
  u.health = 50.0f;
  u.AddHealth(0.0f);
  EXPECT_TRUE(events_.empty());
  u.AddHealth(10.0f);
  EXPECT_EQ(u.health, 60.0f);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].code, MEV_UNIT_HEALED);
  EXPECT_EQ(static_cast<std::int32_t>(events_[0].firstWord), u.Id);
  u.AddHealth(1000.0f);
  EXPECT_EQ(u.health, 100.0f);
  // A unit without a maximum (a record that is no soldier or vehicle) heals to 0.
  HLOSpawnRecord r = SoldierRecord("", 1);
  PlainUnit none(r, nullptr);
  none.health = 5.0f;
  none.AddHealth(1.0f);
  EXPECT_EQ(none.health, 0.0f);
}

TEST_F(UnitTest, ATargetsMaximumIsItsConstructionHealth) {
  HLOSpawnRecord r = SoldierRecord("PopUpTarget", 1);
  r.statsTable = 21;
  const void* target = FindStats("PopUpTarget", 21);
  ASSERT_NE(target, nullptr);
  PlainUnit u(r, target);
  EXPECT_EQ(u.health, 100.0f);
  EXPECT_EQ(u.GetMaxHealth(), 100.0f);
  u.health = 40.0f;
  u.AddHealth(25.0f);
  EXPECT_EQ(u.health, 65.0f) << "healing a target must not drop it to 0";
}

TEST_F(UnitTest, AWaypointSetWhileFollowingARouteChangesNothing) {
  EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  const CVector3 w{300.0f, 0.0f, 400.0f};
  waypoints.Add(w, nullptr);
  PlainUnit u = Make(1);
  for (int action : {ACTION_FOLLOW_ROUTE, ACTION_ROUTE_SCANNING, ACTION_WAITING_FOR_ROUTER}) {
    u.action = action;
    u.waypoint = 7;
    u.destinationMode = 2;
    u.SetWaypoint(0);
    EXPECT_EQ(u.waypoint, 7);
    EXPECT_EQ(u.destinationMode, 2);
  }
  u.action = ACTION_HOLD_POSITION;
  u.SetWaypoint(0);
  EXPECT_EQ(u.waypoint, 0);
  EXPECT_EQ(u.destinationMode, 1);
  EXPECT_EQ(u.destination.x, w.x);
  EXPECT_EQ(u.destination.z, w.z);
  u.SetWaypoint(-1);
  EXPECT_EQ(u.destinationMode, 0);
  g_EnvWaypoints = nullptr;
}

TEST_F(UnitTest, TheBaseStepClearsItsTimersOnceTheirTimeIsPast) {
  PlainUnit u = Make(1);
  u.recentFlag = 1;
  u.recentFlagTime = 5000;
  u.holdUntil = 8000;
  SetTime(8000);
  u.Update();
  EXPECT_EQ(u.holdUntil, 8000u) << "not yet past";
  SetTime(65000);
  u.Update();
  EXPECT_EQ(u.holdUntil, 0u);
  EXPECT_EQ(u.recentFlag, 1u) << "60000 ms exactly keeps it";
  SetTime(65001);
  u.Update();
  EXPECT_EQ(u.recentFlag, 0u);
  EXPECT_EQ(u.recentFlagTime, 0u);
}

TEST_F(UnitTest, StatesAreSentByTheMachineThatRunsTheUnit) {
  const struct {
    int role, side, sends;
  } cases[] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 1}, {1, 1, 0}, {2, 0, 1}, {2, 1, 1}};
  for (const auto& c : cases) {
    MPSetTestRole(c.role);
    PlainUnit u = Make(c.side);
    EXPECT_EQ(u.SendsNetState(), c.sends) << "role " << c.role << " side " << c.side;
  }
}

TEST_F(UnitTest, HeadTurnsStayInsideTheirLimits) {
  PlainUnit u = Make(1);
  CVector3 r{80.0f, 0.0f, 0.0f};
  u.ClampHeadPitch(&r, 0.5f);
  EXPECT_EQ(r.x, 25.0f);
  u.SetHeadRotation({-90.0f, 60.0f, 10.0f});
  EXPECT_EQ(u.desiredHeadRotation.x, -50.0f);
  EXPECT_EQ(u.desiredHeadRotation.y, 45.0f);
  u.AddHeadRotation({0.0f, -100.0f, 60.0f});
  EXPECT_EQ(u.headRotationOffset.y, -45.0f);
  EXPECT_EQ(u.headRotationOffset.z, 40.0f);
}

TEST_F(UnitTest, ASquadSoldiersKillEarnsTheVictimsScoreCountsAndIsSpoken) {
  CHLOGrunt* killer = MakeSoldier("SquadRifleman", 0);
  CHLOGrunt* victim = MakeSoldier("SquadSniper", 1);
  ASSERT_NE(killer, nullptr);
  ASSERT_NE(victim, nullptr);
  victim->health = 1.0f;
  victim->TakeDamage(5.0f, killer);
  EXPECT_EQ(victim->health, 0.0f);
  EXPECT_EQ(killer->experiencePoints, 2) << "the sniper kind's score";
  EXPECT_EQ(killer->killCounts[0], 1u);
  EXPECT_EQ(killer->killCounts[1], 1u);
  bool spoke = false;
  for (const SoundPlayRecord& r : sound_->PlayLog()) spoke |= r.kind == SPK_EVENT && r.event == 1902;
  EXPECT_TRUE(spoke);
}

}  // namespace
