// The units demo level as the program loads it: the squad, the prisoner and
// the guards are made by the game's factory from their stats records, stand
// on the ground in their uniforms, and breathe through their idle
// animations frame after frame, with no message box.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "render/textures/texture.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_assets.h"
#include "shell/stats/stats_tables.h"
#include "units/base/anim_slot_ids.h"
#include "foundation/time/timer.h"
#include "world/engine.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"
#include "units/base/hlo_scheduler.h"
#include "units/soldier/grunt.h"
#include "units/units_level_fixture.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "world/environment/env_instance.h"
#include "world/animation/anim_object.h"
#include "world/animation/anim_set.h"

namespace {

TEST_F(UnitsLevelTest, TheSquadThePrisonerAndTheGuardsStandInTheirUniformsWithoutAMessageBox) {
  ASSERT_TRUE(loaded_);
  EXPECT_EQ(levelBoxes_, 0);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
  EXPECT_EQ(slotsFilled_, 218);
  EXPECT_EQ(Soldiers(0).size(), 4u);
  EXPECT_EQ(Soldiers(1).size(), 6u);
  EXPECT_EQ(Soldiers(2).size(), 1u);
  std::map<int, const char*> uniform = {{0, "UniformSquad"}, {1, "UniformGuard"}, {2, "UniformPrisoner"}};
  for (CHLOGrunt* s : Soldiers()) {
    SCOPED_TRACE(s->Id);
    CAnimObject* anim = s->GetAnimObject();
    ASSERT_NE(anim, nullptr);
    EXPECT_TRUE(s->Flags & HLOF_ACTIVE);
    // On the ground: the level is flat where they stand (the houses' floors 2 up).
    EXPECT_NEAR(s->GetPosition().y, s->referencePosition.y, 0.01f);
    EXPECT_LT(std::fabs(s->GetPosition().y), 3.0f);
    ASSERT_NE(anim->SkinTexture, nullptr);
    EXPECT_STRCASEEQ(anim->SkinTexture->Name, uniform[s->Side]);
    EXPECT_NE(anim->GetChannelSet(0), nullptr) << "an idle animation plays";
    EXPECT_EQ(anim->GetChannel(0).RepeatCount, kAnimRepeatLoop);
  }
}

TEST_F(UnitsLevelTest, SoldiersBreatheThroughTheirIdlesFrameAfterFrame) {
  ASSERT_TRUE(loaded_);
  const std::vector<CHLOGrunt*> soldiers = Soldiers();
  ASSERT_FALSE(soldiers.empty());
  std::vector<CVector3> before;
  for (CHLOGrunt* s : soldiers) {
    s->GetAnimObject()->EvaluatePose();
    CVector3 p{};
    ASSERT_TRUE(s->GetAnimObject()->GetJointPosition(JOINT_HEAD, &p));
    before.push_back(p);
  }
  RunFrames(15);
  int moved = 0;
  for (std::size_t i = 0; i < soldiers.size(); ++i) {
    CAnimObject* anim = soldiers[i]->GetAnimObject();
    anim->EvaluatePose();
    CVector3 p{};
    ASSERT_TRUE(anim->GetJointPosition(JOINT_HEAD, &p));
    moved += std::fabs(p.x - before[i].x) + std::fabs(p.y - before[i].y) + std::fabs(p.z - before[i].z) > 0.05f;
    EXPECT_GT(p.y, before[i].y - 20.0f) << "still standing";
  }
  EXPECT_EQ(moved, static_cast<int>(soldiers.size()));
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(UnitsLevelTest, TheSchedulerCountsTheSoldiersOfOtherSidesNearThePlayersSoldier) {
  ASSERT_TRUE(loaded_);
  ASSERT_NE(g_HLOScheduler, nullptr);
  const std::vector<CHLOGrunt*> squad = Soldiers(0);
  const std::vector<CHLOGrunt*> guards = Soldiers(1);
  const std::vector<CHLOGrunt*> prisoner = Soldiers(2);
  ASSERT_EQ(guards.size(), 6u);
  ASSERT_EQ(prisoner.size(), 1u);
  CHLOGrunt* player = squad[0];
  const CVector3 at = player->GetPosition();
  auto place = [&](CHLOGrunt* s, float x, float y, float z) {
    s->Instance->SetPosition(CVector3{at.x + x, at.y + y, at.z + z}, false);
  };
  for (std::size_t i = 1; i < squad.size(); ++i) place(squad[i], 100.0f * i, 0, 0);  // the own side: never counted
  place(guards[0], 900, 0, 0);
  place(guards[1], 0, 0, 6990);
  place(guards[2], 0, 600, 6990);  // 7015.8 away
  place(guards[3], -4000, 0, -5000);
  place(guards[4], 20000, 0, 0);
  place(guards[5], 0, 0, -30000);
  place(prisoner[0], 500, 0, 500);  // another side: counted
  g_HLOScheduler->Update();
  EXPECT_EQ(g_HLOScheduler->enemiesNearPlayer, 0u) << "no local player has a soldier";
  g_LocalPlayers.Get(0)->Soldier = player;
  g_HLOScheduler->Update();
  EXPECT_EQ(g_HLOScheduler->enemiesNearPlayer, 2u) << "within the first radius of 1000";
  g_HLOScheduler->nearRadius = 7000.0f;  // as the frame sets it
  g_HLOScheduler->Update();
  EXPECT_EQ(g_HLOScheduler->enemiesNearPlayer, 4u);
  g_LocalPlayers.Get(0)->Soldier = nullptr;
}

// Sets the game clock's time (ms), keeping it running.
void SetGameTime(std::uint32_t ms) {
  CTimer::State state;
  g_GameClock->SaveState(&state);
  state.gameTime = ms;
  state.running = 1;
  g_GameClock->RestoreState(state);
}

TEST_F(UnitsLevelTest, CalmSquadSoldiersVaryTheirIdlesEveryTenToFifteenSecondsAfterThirtyCalmSeconds) {
  ASSERT_TRUE(loaded_);
  CHLOGrunt* own = Soldiers(0)[0];
  CHLOGrunt* guard = Soldiers(1)[0];
  ASSERT_EQ(own->movementState, MS_STAND);
  ASSERT_TRUE(own->unitFlags & UNITF_HOLDING_FIRE);
  CAnimObject* anim = own->GetAnimObject();
  AnimSet* idle = anim->GetChannelSet(0);
  ASSERT_NE(idle, nullptr);
  std::set<AnimSet*> variations;
  for (int i = 0; i < 4; ++i) variations.insert(GetAnimSlot(kAnimationSets[own->animSet][MA_STANDING_IDLE_VARIATION + i]));
  ASSERT_EQ(variations.count(nullptr), 0u) << "the level fills the variation slots";

  const std::uint32_t t0 = 100000;
  SetGameTime(t0);
  for (CHLOGrunt* s : {own, guard}) s->calmSince = t0 - 30000;
  own->PlayMovementAnim(own->movementState, 0);
  EXPECT_EQ(own->nextCalmVariationTime, 0u) << "calm for exactly 30 s: not yet";
  SetGameTime(t0 + 1);
  own->PlayMovementAnim(own->movementState, 0);
  const std::uint32_t due = own->nextCalmVariationTime;
  EXPECT_GE(due, t0 + 1 + 10000);
  EXPECT_LE(due, t0 + 1 + 15000);
  EXPECT_EQ(anim->GetChannelSet(0), idle) << "the first time only sets the clock";
  SetGameTime(due);
  own->PlayMovementAnim(own->movementState, 0);
  EXPECT_EQ(anim->GetChannelSet(0), idle);
  SetGameTime(due + 1);
  own->PlayMovementAnim(own->movementState, 0);
  EXPECT_EQ(variations.count(anim->GetChannelSet(0)), 1u) << "one of the four variations plays";
  EXPECT_EQ(own->calmVariation, anim->GetChannelSet(0));
  EXPECT_GE(own->nextCalmVariationTime, due + 1 + 10000);
  EXPECT_LE(own->nextCalmVariationTime, due + 1 + 15000);
  // It plays out: asked again, the variation is kept.
  SetGameTime(due + 200);
  own->PlayMovementAnim(own->movementState, 0);
  EXPECT_EQ(own->calmVariation, anim->GetChannelSet(0));
  // A target ends the calm.
  own->currentTarget = guard;
  own->PlayMovementAnim(own->movementState, 0);
  EXPECT_EQ(own->calmSince, due + 200);
  own->currentTarget = nullptr;
  // Guards are not friends: they never vary this way.
  AnimSet* guardIdle = guard->GetAnimObject()->GetChannelSet(0);
  for (std::uint32_t t = t0; t < t0 + 60000; t += 1000) {
    SetGameTime(t);
    guard->PlayMovementAnim(guard->movementState, 0);
  }
  EXPECT_EQ(guard->GetAnimObject()->GetChannelSet(0), guardIdle);
  EXPECT_EQ(guard->nextCalmVariationTime, 0u);
}

TEST_F(UnitsLevelTest, EachRecordsAssetsAreResolvedOncePerLevel) {
  ASSERT_TRUE(loaded_);
  auto* guardKind = static_cast<HumanStats*>(FindStats("EnemyGuard", 1));
  auto* squadKind = static_cast<HumanStats*>(FindStats("SquadRifleman", 1));
  ASSERT_NE(guardKind, nullptr);
  ASSERT_NE(squadKind, nullptr);
  ASSERT_NE(guardKind->Model, nullptr);
  EXPECT_NE(guardKind->SecondModel, nullptr) << "the guard's helmet";
  EXPECT_EQ(squadKind->SecondModel, nullptr) << "no name, nothing resolved and no box";
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
  void* model = guardKind->Model;
  // Another guard of the same record resolves nothing again.
  guardKind->SecondModel = reinterpret_cast<void*>(0x1);  // a marker a second resolution would replace
  HLOSpawnRecord r;
  r.Init();
  std::snprintf(r.statsName, sizeof r.statsName, "EnemyGuard");
  std::snprintf(r.objectName, sizeof r.objectName, "GruntBoxMan");
  std::snprintf(r.templateName, sizeof r.templateName, "GruntBoxMan");
  r.templateKind = -1;  // the template's own type: an animated figure
  r.statsTable = 1;
  r.side = 1;
  r.objectFlags = HLOF_ACTIVE;
  CHLO* another = g_HLOManager->CreateObject(r);
  ASSERT_NE(another, nullptr);
  ASSERT_NE(static_cast<CHLOGrunt*>(another)->GetAnimObject(), nullptr);
  EXPECT_NE(static_cast<CHLOGrunt*>(another)->GetAnimObject()->GetChannelSet(0), nullptr) << "made idling";
  EXPECT_EQ(guardKind->SecondModel, reinterpret_cast<void*>(0x1));
  EXPECT_EQ(guardKind->Model, model);
  // A new level starts from nothing.
  ClearResolvedAssets();
  EXPECT_EQ(guardKind->Model, nullptr);
  EXPECT_EQ(guardKind->SecondModel, nullptr);
  CHLO* third = g_HLOManager->CreateObject(r);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(guardKind->Model, model) << "the same template of this level";
  EXPECT_NE(guardKind->SecondModel, nullptr);
  EXPECT_NE(guardKind->SecondModel, reinterpret_cast<void*>(0x1));
  EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

}  // namespace
