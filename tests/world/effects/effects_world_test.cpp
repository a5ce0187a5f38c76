#include "world/effects/effects_world.h"

#include "effects_fixture.h"
#include "world/effects/effect_pool.h"
#include "world/effects/explosions.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/particle_pool.h"
#include "world/effects/sphere_events.h"
#include "world/effects/tracer_batteries.h"
#include "world/effects/trails.h"

namespace effects_test {
namespace {

using EffectsWorldTest = EffectsTest;

TEST_F(EffectsWorldTest, ModulesLiveForTheGameAndPoolsForTheLevel) {
  CTimer real;
  ASSERT_TRUE(CreateEffectModules(&clock_, &real));
  ASSERT_NE(g_ParticlePool, nullptr);
  EXPECT_EQ(g_ParticlePool->GetCapacity(), 250);
  EXPECT_EQ(g_EffectPool->GetCapacity(), 50);
  EXPECT_EQ(g_Trails->GetCount(), 32);
  EXPECT_EQ(g_Explosions->GetCapacity(), 20);
  EXPECT_EQ(g_SphereEvents->GetCapacity(), 50);
  EXPECT_EQ(g_ImpactPieces->GetCapacity(), 15);
  EXPECT_EQ(g_ParticleEmitters->GetCount(), 40);
  EXPECT_NE(g_TracerBatteries, nullptr);
  EXPECT_EQ(g_SideHostility[0][1], 1u);
  for (int level = 0; level < 2; ++level) {
    CLinearBuffer buffer(1u << 20, "level");
    ASSERT_TRUE(CreateEffectPools(&buffer));
    g_Explosions->Create(CVector3{0, 0, 0}, nullptr, 800.0f, 10.0f, nullptr, 0,
                         BLAST_FIREBALL | BLAST_FIRE | BLAST_BURNING_DEBRIS, nullptr);
    for (int f = 0; f < 30; ++f) {
      Step(16);
      UpdateEffectsWorld();
      DrawEffects();
      AdvanceEffectsAfterViews();
    }
    EXPECT_GT(g_ParticlePool->GetLiveCount(), 0);
    EXPECT_FALSE(g_recorded.sprites.empty());
    ResetEffectModules();
    EXPECT_EQ(g_ParticlePool->Spawn(CVector3{0, 0, 0}, 6, nullptr), nullptr);  // no memory between levels
  }
  CLinearBuffer tiny(64, "tiny");
  EXPECT_FALSE(CreateEffectPools(&tiny));
  ResetEffectModules();
  DestroyEffectModules();
  EXPECT_EQ(g_ParticlePool, nullptr);
  EXPECT_EQ(g_SphereEvents, nullptr);
}

}  // namespace
}  // namespace effects_test

#include "render/geometry/camera.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"

namespace effects_test {
namespace {

TEST_F(EffectsWorldTest, EngineHooksFindRegionsByNumberAndFollowTheViews) {
  CRegionList regions;
  CRegion a, b;
  a.NameHash = 11;
  b.NameHash = 22;
  regions.Add(a);
  regions.Add(b);
  CRegionList* saved = g_Regions;
  g_Regions = &regions;
  InstallEffectsEngineHooks();
  EXPECT_EQ(g_EffectsHooks.FindRegionById(0), nullptr);  // 0 names no region
  CRegion* second = g_EffectsHooks.FindRegionById(1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->NameHash, 22u);
  EXPECT_EQ(g_EffectsHooks.RegionId(second), 1);
  EXPECT_EQ(g_EffectsHooks.FindRegionById(2), nullptr);
  // The environment's views become the emitters' views once a frame.
  CEnvironment* env = MakeEnvironment();
  CCamera view;
  view.SetView(CVector3{5, 6, 7}, CVector3{0, 0, 0});
  env->SetViewCount(1);
  env->SetView(0, view);
  AdvanceEffectsAfterViews();
  EXPECT_EQ(g_EffectsHooks.ViewCount, 1);
  EXPECT_FLOAT_EQ(g_EffectsHooks.ViewPositions[0].y, 6.0f);
  g_Regions = saved;
}

}  // namespace
}  // namespace effects_test
