#include "world/effects/breakable_instance.h"

#include "effects_fixture.h"
#include "world/effects/effect_pool.h"
#include "world/effects/explosions.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_pool.h"
#include "world/effects/trails.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

namespace effects_test {
namespace {

class BreakableTest : public BlastModulesTest {
 protected:
  void SetUp() override {
    BlastModulesTest::SetUp();
    if (HasFatalFailure()) return;
    crate_ = NewBoxTemplate("crate", 40.0f);
  }
  CEnvInstance* Crate(const char* name, CVector3 at, bool breakable = true) {
    CEnvInstance* i = Place(name, crate_, at);
    if (breakable) i->MakeBreakable();
    return i;
  }
  CEnvObject* crate_ = nullptr;
};

TEST_F(BreakableTest, HealthMustFallBelowZeroToBreak) {
  CEnvInstance* c = Crate("c", {0, 0, 0});
  EXPECT_FLOAT_EQ(c->GetHealth(), 10.0f);
  EXPECT_FALSE(c->Damage(4.0f));
  EXPECT_FALSE(c->Damage(6.0f));
  EXPECT_FLOAT_EQ(c->GetHealth(), 0.0f);  // exactly 0 holds
  EXPECT_EQ(c->Flags & INSTF_DISABLED, 0u);
  EXPECT_TRUE(c->Damage(0.001f));
  EXPECT_NE(c->Flags & INSTF_DISABLED, 0u);
  EXPECT_EQ(c->HitCallback, nullptr);
  EXPECT_FALSE(c->Damage(5.0f));  // broken stays broken
  CEnvInstance* plain = Crate("plain", {0, 0, 0}, false);
  EXPECT_FALSE(plain->Damage(100.0f));
  EXPECT_EQ(CEnvInstance::DefaultHitCallback(plain, 100.0f, nullptr), 1);
  EXPECT_EQ(plain->Flags & INSTF_DISABLED, 0u);
  plain->MakeBreakable();
  plain->MakeUnbreakable();
  EXPECT_FALSE(plain->Damage(100.0f));
}

TEST_F(BreakableTest, BreakingSwitchesLightAndSoundsThrowsDebrisAndRemovesDecals) {
  CEnvInstance* c = Crate("c", {0, 100, 0});
  InstanceDamage d;
  d.Health = 5.0f;
  d.DebrisCount = 4;
  d.Light = 17;
  d.SoundOff = 3;
  d.SoundOn = 4;
  SetInstanceDamage(c, d);
  // Through the hit callback, as weapons and physics deliver hits.
  EXPECT_EQ(c->HitCallback(c, 6.0f, nullptr), 1);
  EXPECT_NE(c->Flags & INSTF_DISABLED, 0u);
  ASSERT_EQ(g_recorded.lightsOff.size(), 1u);
  EXPECT_EQ(g_recorded.lightsOff[0], 17);
  ASSERT_EQ(g_recorded.sounds.size(), 2u);
  EXPECT_EQ(g_recorded.sounds[0], std::make_pair(3, false));
  EXPECT_EQ(g_recorded.sounds[1], std::make_pair(4, true));
  ASSERT_EQ(g_recorded.decalsRemoved.size(), 1u);
  EXPECT_EQ(g_recorded.decalsRemoved[0], c);
  EXPECT_EQ(pieces_.GetInUse(), 4);
  EXPECT_EQ(effects_.GetLiveCount(), 4);
  // No explosion without an explosion size.
  for (int i = 0; i < blasts_.GetCapacity(); ++i) EXPECT_EQ(blasts_.Get(i)->Flags, 0u);
}

TEST_F(BreakableTest, AnExplosiveCrateStartsABlastAboveItself) {
  CEnvInstance* c = Crate("barrel", {10, 20, 30});
  InstanceDamage d;
  d.ExplosionSize = 500.0f;
  d.ExplosionStrength = 60.0f;
  d.DebrisCount = 2;
  d.Debris = NewBoxTemplate("splinter", 5.0f);
  env_->AddObject(d.Debris);
  SetInstanceDamage(c, d);
  ASSERT_TRUE(c->Damage(11.0f));
  const Blast* b = blasts_.Get(0);
  ASSERT_NE(b->Flags & BLAST_ACTIVE, 0u);
  EXPECT_FLOAT_EQ(b->Centre.y, 20.0f + kBreakBlastHeight);
  EXPECT_FLOAT_EQ(b->Size, 500.0f);
  EXPECT_FLOAT_EQ(b->Power, 60.0f);
  EXPECT_EQ(b->Owner, nullptr);  // the crate belongs to no world object
  // Ground debris (type 11) and the record's own pieces (type 14 of the debris template).
  int ground = 0, pieces = 0;
  for (int i = 0; i < particles_->GetCapacity(); ++i) {
    const CParticle* p = particles_->GetParticle(i);
    if (p->State != PARTICLE_ALIVE) continue;
    if (p->Type == 11) ++ground;
    if (p->Type == 14) {
      ++pieces;
      EXPECT_EQ(p->Mesh, d.Debris);
    }
  }
  EXPECT_GT(ground, 0);
  EXPECT_EQ(pieces, 2);
}

TEST_F(BreakableTest, ChildrenFollowTheirParent) {
  CEnvInstance* stack = Crate("bottom", {0, 0, 0});
  CEnvInstance* tough = Crate("tough", {0, 80, 0});
  tough->SetHealth(50.0f);
  CEnvInstance* lid = Crate("lid", {0, 160, 0}, false);
  CEnvInstance* onLid = Crate("on lid", {0, 200, 0}, false);
  CEnvInstance* onTough = Crate("on tough", {0, 240, 0});
  stack->AttachChild(tough);
  stack->AttachChild(lid);
  lid->AttachChild(onLid);
  tough->AttachChild(onTough);
  ASSERT_TRUE(stack->Damage(20.0f));
  // The breakable child got its health + 1 and broke, taking its own breakable child with it.
  EXPECT_LT(tough->GetHealth(), 0.0f);
  EXPECT_NE(tough->Flags & INSTF_DISABLED, 0u);
  EXPECT_LT(onTough->GetHealth(), 0.0f);
  // The plain child and its subtree are disabled and detached.
  EXPECT_NE(lid->Flags & INSTF_DISABLED, 0u);
  EXPECT_NE(onLid->Flags & INSTF_DISABLED, 0u);
  EXPECT_EQ(lid->Parent, nullptr);
  EXPECT_EQ(stack->FirstChild, nullptr);
  EXPECT_EQ(onLid->Parent, lid);  // the subtree stays together
}

}  // namespace
}  // namespace effects_test
