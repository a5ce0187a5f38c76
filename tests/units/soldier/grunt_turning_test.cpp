// The soldier's torso and head turn rates, the aim-pitch clamp, and the
// small operations: target visibility, side walks, squad numbers in split
// screen, whether the soldier may fire.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/time/timer.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_tables.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"

namespace {

class GruntTurningTest : public UnitsTestWorld {
 protected:
  void SetUp() override {
    UnitsTestWorld::SetUp();
    ASSERT_TRUE(LoadStats());
    ASSERT_TRUE(LoadRules());
  }
  void TearDown() override {
    g_LocalPlayers.RemoveAll();
    g_ViewportConfig.SplitScreen = 0;
    UnitsTestWorld::TearDown();
  }
  void SetFrameTime(float seconds) {
    CTimer::State s;
    clock_.SaveState(&s);
    s.frameTime = seconds;
    clock_.RestoreState(s);
  }
  CLocalPlayer* Control(CHLOGrunt* s) {
    g_LocalPlayers.RemoveAll();
    g_LocalPlayers.Add();
    s->player = g_LocalPlayers.Get(0);
    s->player->aimLock = s->player->fastAim = 0;
    s->player->AimYawAxis = s->player->AimPitchAxis = 0.0f;
    return s->player;
  }
};

TEST_F(GruntTurningTest, TheTorsoTurnsAtTheRateOfItsController) {
  struct Case {
    const char* name;
    int side;
    std::function<void(CLocalPlayer*)> player;  // null: no player
    float wanted;                               // yaw asked, degrees
    float turned;                               // after 0.1 s
  };
  const Case cases[] = {
      {"friendly AI", 0, nullptr, 60.0f, 9.0f},
      {"enemy AI: half as fast", 1, nullptr, 60.0f, 4.5f},
      {"player holding the aim lock: at once", 0, [](CLocalPlayer* p) { p->aimLock = 1; }, 60.0f, 60.0f},
      {"player, sticks still", 0, [](CLocalPlayer*) {}, 60.0f, 9.0f},
      {"player aiming", 0, [](CLocalPlayer* p) { p->AimYawAxis = 0.5f; }, 60.0f, 5.0f},
      {"player in fast aim", 0, [](CLocalPlayer* p) { p->AimYawAxis = 0.5f; p->fastAim = 1; }, 60.0f, 13.5f},
      // Below 8 degrees left: the rest times 0.0625 times 50 a second.
      {"player, the last degrees", 0, [](CLocalPlayer* p) { p->AimPitchAxis = 0.2f; }, 4.0f, 4.0f * 0.0625f * 50.0f * 0.1f},
      {"AI, the last degrees: never past the goal", 0, nullptr, 4.0f, 4.0f},
  };
  SetFrameTime(0.1f);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CHLOGrunt* s = MakeSoldier(c.side == 0 ? "SquadRifleman" : "EnemyGuard", c.side);
    ASSERT_NE(s, nullptr);
    if (c.player) c.player(Control(s));
    s->SetDesiredTorsoRotation({0.0f, c.wanted, 0.0f});
    s->TurnTorsoAndHead();
    EXPECT_NEAR(s->torsoRotation.y, c.turned, 1e-4f);
    EXPECT_NEAR(s->GetRemainingTorsoTurn(), c.wanted - c.turned, 1e-4f);
    EXPECT_EQ(s->networkTurnFlags & 0x20u, 0u);
    s->player = nullptr;
  }
}

TEST_F(GruntTurningTest, TheTorsoMovesAlongTheDifferenceAndItsMatrixFollows) {
  SetFrameTime(0.1f);
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  s->SetDesiredTorsoRotation({30.0f, 40.0f, 20.0f});  // 50 in the plane of the first two
  s->TurnTorsoAndHead();
  // 9 degrees along (0.6, 0.8); the roll approaches by the same 9.
  EXPECT_NEAR(s->torsoRotation.x, 5.4f, 1e-4f);
  EXPECT_NEAR(s->torsoRotation.y, 7.2f, 1e-4f);
  EXPECT_NEAR(s->torsoRotation.z, 9.0f, 1e-4f);
  CMatrix expected;
  expected.SetIdentity();
  expected.RotateX(5.4f);
  expected.RotateY(-7.2f);
  expected.RotateZ(9.0f);
  CVector3 a, b;
  expected.RotateVector({0.0f, 0.0f, 1.0f}, &a);
  s->jointControls[1].Matrix.RotateVector({0.0f, 0.0f, 1.0f}, &b);
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
  EXPECT_NEAR(a.z, b.z, 1e-5f);
  // A network update forces a turn step without a difference.
  s->torsoRotation = s->desiredTorsoRotation = {0.0f, 0.0f, 0.0f};
  s->jointControls[1].Matrix.RotateX(10.0f);
  s->networkTurnFlags |= 0x20;
  s->TurnTorsoAndHead();
  s->jointControls[1].Matrix.RotateVector({0.0f, 0.0f, 1.0f}, &b);
  EXPECT_NEAR(b.z, 1.0f, 1e-5f) << "the matrix was rebuilt from zero angles";
}

TEST_F(GruntTurningTest, TheHeadTurnsAtOneHundredAndTwentyAndAtAQuarterWhenCalm) {
  struct Case {
    const char* name;
    std::uint32_t sinceAlert;  // ms
    float wanted;
    float turned;              // after 0.1 s
  };
  const Case cases[] = {
      {"alert", 0, 40.0f, 12.0f},
      {"alert ten seconds ago", 10000, 40.0f, 12.0f},
      {"calm for more than ten seconds", 10001, 40.0f, 3.0f},
      // Below 8 degrees left (4 and -4: 5.66): the rest times 0.125 times
      // 120 a second, here at a quarter.
      {"the last degrees, calm", 20000, 4.0f, 4.0f * std::sqrt(2.0f) * 0.125f * 120.0f * 0.1f * 0.25f},
  };
  SetFrameTime(0.1f);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetTime(50000);
    CHLOGrunt* s = MakeSoldier("EnemyGuard", 1);
    s->alertTime = 50000 - c.sinceAlert;
    s->SetLookRotation({c.wanted, -c.wanted, 0.0f});
    s->TurnTorsoAndHead();
    EXPECT_NEAR(s->headRotation.x, c.turned, 1e-4f);
    EXPECT_NEAR(s->headRotation.y, -c.turned, 1e-4f);
    EXPECT_EQ(s->headRotation.z, 0.0f);
  }
}

TEST_F(GruntTurningTest, TheAimPitchIsBoundByFiftyAndByTheTorsoOfALowAimingSoldier) {
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  EXPECT_EQ(s->ClampAimPitch(70.0f, 1.0f), 50.0f);
  EXPECT_EQ(s->ClampAimPitch(-70.0f, 0.5f), -25.0f);
  s->torsoRotation.x = 10.0f;
  EXPECT_EQ(s->ClampAimPitch(30.0f, 1.0f), 30.0f) << "a free aim elevation";
  s->aimElevation = 15.0f;
  EXPECT_EQ(s->ClampAimPitch(30.0f, 1.0f), 10.0f) << "the torso's pitch is the upper end";
  EXPECT_EQ(s->ClampAimPitch(-70.0f, 1.0f), -50.0f);
  s->torsoRotation.x = -10.0f;
  EXPECT_EQ(s->ClampAimPitch(-30.0f, 1.0f), -10.0f) << "the lower end";
  CVector3 r{-40.0f, 5.0f, 0.0f};
  s->ClampHeadPitch(&r, 1.0f);  // slot 46
  EXPECT_EQ(r.x, -10.0f);
  EXPECT_EQ(r.y, 5.0f);
}

TEST_F(GruntTurningTest, TargetVisibilityIsTheVisibleJointsOverTwentyOne) {
  CHLOGrunt* s = MakeSoldier("EnemyGuard", 1);
  CHLOGrunt* target = MakeSoldier("SquadRifleman", 0);
  EXPECT_EQ(s->GetTargetVisibility(), 1.0f) << "no target";
  s->currentTarget = target;
  s->visibleJoints = 0;
  EXPECT_EQ(s->GetTargetVisibility(), 0.0f);
  EXPECT_FALSE(s->AnyTargetJointVisible());
  s->visibleJoints = 0xFFFFFFFFu;  // joint 0 and those above 19 do not count
  EXPECT_EQ(s->CountVisibleTargetJoints(), 19);
  EXPECT_FLOAT_EQ(s->GetTargetVisibility(), 19.0f / 21.0f);
  s->visibleJoints = 1u << 19;
  EXPECT_EQ(s->CountVisibleTargetJoints(), 1);
  EXPECT_TRUE(s->AnyTargetJointVisible());
}

TEST_F(GruntTurningTest, ASidesListIsWalkedWithAndWithoutWrap) {
  CHLOGrunt* a = MakeSoldier("EnemyGuard", 1);
  CHLOGrunt* b = MakeSoldier("EnemyGuard", 1);
  a->SetActive(1);
  b->SetActive(1);
  CHLOGrunt* first = static_cast<CHLOGrunt*>(manager_->FirstActive(1, HLO_GRUNT));
  ASSERT_NE(first, nullptr);
  CHLOGrunt* second = first->GetNextOnSide(false);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetNextOnSide(false), nullptr) << "after the last, without wrap";
  EXPECT_EQ(second->GetNextOnSide(true), first);
  EXPECT_EQ(second->GetPreviousOnSide(), first);
  EXPECT_EQ(first->GetPreviousOnSide(), nullptr);
}

TEST_F(GruntTurningTest, SplitScreenSquadsFollowCapabilityThenRole) {
  // Roles: SquadRifleman 0, SquadSniper 1, SquadHeavy 2, SquadEngineer 3;
  // EnemyGuard has none.
  struct Case {
    const char* kind;
    std::uint32_t squads[4];  // 2, 3, 4 players, another count (5)
  };
  const Case cases[] = {
      {"SquadRifleman", {0, 1, 0, 0}}, {"SquadSniper", {1, 0, 1, 0}},   {"SquadHeavy", {0, 2, 2, 0}},
      {"SquadEngineer", {1, 0, 3, 0}}, {"EnemyGuard", {1, 0, 0, 0}},
  };
  const int counts[4] = {2, 3, 4, 5};
  for (const Case& c : cases) {
    CHLOGrunt* s = MakeSoldier(c.kind, 0);
    ASSERT_NE(s, nullptr) << c.kind;
    const HumanStats* kind = s->GetHumanStats();
    ASSERT_NE(kind, nullptr);
    if (s->Can(7) || s->Can(8)) continue;  // the capability rows are checked below
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(testing::Message() << c.kind << " with " << counts[i] << " players");
      g_ViewportConfig.SplitScreen = 1;
      g_ViewportConfig.PlayerCount = counts[i];
      s->AssignSquadId();
      EXPECT_EQ(s->squadId, c.squads[i]);
      g_ViewportConfig.SplitScreen = 0;
      s->AssignSquadId();
      EXPECT_EQ(s->squadId, 0u) << "split screen off";
    }
  }
}

TEST_F(GruntTurningTest, MayFireNowFollowsTheUpperBodyStateLadderAndReload) {
  CHLOGrunt* s = MakeSoldier("SquadRifleman", 0);
  ASSERT_TRUE(s->StateAllowsWeapon());
  struct Case {
    int upperBody;
    bool may;
  };
  const Case cases[] = {{0, true}, {4, true}, {5, false}, {9, false}, {10, true}, {13, true}, {14, false},
                        {15, true}, {20, true}, {21, false}, {25, false}, {26, true}, {29, true}, {30, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upperBody);
    s->upperBodyState = c.upperBody;
    EXPECT_EQ(s->MayFireNow(), c.may);
  }
}

}  // namespace
