// The units demo level as the program loads it: the squad, the prisoner and
// the guards are made by the game's factory from their stats records, stand
// on the ground in their uniforms, and breathe through their idle
// animations frame after frame, with no message box.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "render/textures/texture.h"
#include "shell/stats/soldier_stats.h"
#include "units/base/hlo_scheduler.h"
#include "units/soldier/grunt.h"
#include "units/units_level_fixture.h"
#include "control/local_player.h"
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

}  // namespace
