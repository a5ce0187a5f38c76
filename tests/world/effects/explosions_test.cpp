#include "world/effects/explosions.h"

#include <cmath>

#include "effects_fixture.h"
#include "world/effects/breakable_instance.h"
#include "world/effects/effect_pool.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_pool.h"
#include "world/effects/sphere_events.h"
#include "world/effects/trails.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_text_cursor.h"
#include "world/glass/glass_fixture.h"
#include "world/glass/glazier.h"
#include "world/objects/hlo_test_world_fixture.h"
#include "world/space_world_fixture.h"

namespace effects_test {
namespace {

// A world object that records the blasts' hits.
class Target : public TestObject {
 public:
  explicit Target(int id) : TestObject(TestRecord(HLO_GRUNT, 1, 0, id, true)) {}
  void Hit(const CVector3& direction, float amount, CHLO* source) override {
    hits.push_back(amount);
    lastDirection = direction;
    lastSource = source;
  }
  bool LethalHit(float amount, int, CHLO*) override {
    lethal.push_back(amount);
    return lethalAnswer;
  }
  std::vector<float> hits, lethal;
  CVector3 lastDirection{};
  CHLO* lastSource = nullptr;
  bool lethalAnswer = true;
};

// The instances a sphere touches: every listed one whose world sphere meets it.
std::vector<CEnvInstance*> g_instances;
void TouchedInstances(CEnvInstance*, const CVector3& c, float r, void (*visit)(CEnvInstance*, void*), void* ctx) {
  for (CEnvInstance* i : g_instances) {
    i->UpdateBoundingSphere();
    const CSphere& s = i->GetWorldSphere();
    const float dx = s.Centre.x - c.x, dy = s.Centre.y - c.y, dz = s.Centre.z - c.z;
    if (dx * dx + dy * dy + dz * dz <= (r + s.Radius) * (r + s.Radius)) visit(i, ctx);
  }
}

class ExplosionsTest : public BlastModulesTest {
 protected:
  void SetUp() override {
    BlastModulesTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(events_.CreatePools(buffer_.get()));
    g_SphereEvents = &events_;
    g_instances.clear();
    g_EffectsHooks.ForEachInstanceInSphere = &TouchedInstances;
    g_EffectsHooks.RealClock = &real_;
    SetClock(real_, 5000, 0.016f);
  }
  void TearDown() override {
    g_SphereEvents = nullptr;
    if (IsGamePaused()) SetGamePaused(0, 0);
    BlastModulesTest::TearDown();
  }
  // A target standing with its visual (a sphere of radius r) at x.
  std::unique_ptr<Target> MakeTarget(int id, float x, float r) {
    auto t = std::make_unique<Target>(id);
    t->Instance = Place(("target" + std::to_string(id)).c_str(), NewBoxTemplate("target", r), CVector3{x, 0, 0});
    return t;
  }
  void Frames(int n, std::uint32_t ms = 16) {
    for (int i = 0; i < n; ++i) {
      Step(ms);
      blasts_.Update();
    }
  }
  TestWorld world_;
  CTimer real_;
  SphereEvents events_;
};

TEST_F(ExplosionsTest, BlastsLastBySizeAndGrowAtTheirRate) {
  struct Case {
    float size;
    std::uint32_t flags;
    std::uint32_t lasts;
  };
  const Case cases[] = {{300, 0, 2000}, {3000, 0, 3000}, {300, BLAST_SMOKE_SCREEN, 26000}, {4500, 0, 4000}};
  for (const Case& c : cases) {
    Blast* b = blasts_.Create(CVector3{0, 0, 0}, nullptr, c.size, 10.0f, nullptr, 0, c.flags, nullptr);
    EXPECT_EQ(b->EndTime - now_, c.lasts) << c.size;
  }
  EXPECT_EQ(blasts_.GetSmokeCount(), 1);
  blasts_.Reset();
  Blast* b = blasts_.Create(CVector3{0, 0, 0}, nullptr, 300.0f, 10.0f, nullptr, 0, 0, nullptr);
  Frames(5, 20);  // 1500 units/s × 0.1 s
  EXPECT_NEAR(b->Radius, 150.0f, 0.01f);
  Frames(10, 20);
  EXPECT_FLOAT_EQ(b->Radius, 300.0f);
  Frames(90, 20);
  EXPECT_EQ(b->Flags, 0u);  // cleared after its end time
}

TEST_F(ExplosionsTest, AFullManagerOverwritesAndSmokeIsCountedOnce) {
  for (int i = 0; i < 20; ++i)
    blasts_.Create(CVector3{float(i), 0, 0}, nullptr, 100.0f, 1.0f, nullptr, 0, BLAST_SMOKE_SCREEN, nullptr);
  EXPECT_EQ(blasts_.GetSmokeCount(), 20);
  Blast* b = blasts_.Create(CVector3{99, 0, 0}, nullptr, 100.0f, 1.0f, nullptr, 0, 0, nullptr);
  EXPECT_EQ(b, blasts_.Get(0));
  EXPECT_EQ(blasts_.GetSmokeCount(), 19);
}

TEST_F(ExplosionsTest, ObjectsTakeFallOffDamageOncePerBlast) {
  struct Case {
    float x;          // object position (the blast is at the origin, size 1000, power 100)
    bool blocked;
    float hit;        // expected Hit amount, or -1 for none
    float lethal;     // expected LethalHit amount, or -1 for none
  };
  // Sphere radius 50: damage = (1 - x / 1050) × 100 × (0.2 when blocked).
  const Case cases[] = {
      {525.0f, false, 50.0f, -1.0f},
      {525.0f, true, 10.0f, -1.0f},
      {105.0f, false, -1.0f, 90.0f},  // over three quarters of the power: lethal
      {999.0f, false, (1.0f - 999.0f / 1050.0f) * 100.0f, -1.0f},
      {1000.0f, false, -1.0f, -1.0f},  // not closer than the size
      {1050.0f, false, -1.0f, -1.0f},  // at the very edge
  };
  int id = 1;
  for (const Case& c : cases) {
    blasts_.Reset();
    if (c.blocked) {
      g_EffectsHooks.LineOfSight = [](CEnvInstance*, const CVector3&, const CVector3&, std::uint32_t, WorldHit*,
                                      CVector3*) { return 0; };
    } else {
      g_EffectsHooks.LineOfSight = [](CEnvInstance*, const CVector3&, const CVector3&, std::uint32_t, WorldHit*,
                                      CVector3*) { return 1; };
    }
    auto t = MakeTarget(id++, c.x, 50.0f);
    blasts_.Create(CVector3{0, 0, 0}, nullptr, 1000.0f, 100.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS,
                   nullptr);
    const CVector3 eye{c.x, 50.0f, 0.0f};
    for (int f = 0; f < 10; ++f) {
      Frames(1);
      blasts_.GetBlastEffect(t.get(), &eye);
    }
    if (c.hit < 0.0f) {
      EXPECT_TRUE(t->hits.empty()) << c.x;
    } else {
      ASSERT_EQ(t->hits.size(), 1u) << c.x;
      EXPECT_NEAR(t->hits[0], c.hit, 0.01f) << c.x;
      EXPECT_NEAR(t->lastDirection.x, 1.0f, 1e-5f);
    }
    if (c.lethal < 0.0f) {
      EXPECT_TRUE(t->lethal.empty()) << c.x;
    } else {
      ASSERT_EQ(t->lethal.size(), 1u) << c.x;
      EXPECT_NEAR(t->lethal[0], c.lethal, 0.01f) << c.x;
    }
  }
}

TEST_F(ExplosionsTest, OverlappingBlastsEachHitAnObjectOnce) {
  auto t = MakeTarget(1, 300.0f, 50.0f);
  blasts_.Create(CVector3{0, 0, 0}, nullptr, 1000.0f, 40.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS, nullptr);
  blasts_.Create(CVector3{600, 0, 0}, nullptr, 1000.0f, 40.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS,
                 nullptr);
  blasts_.Create(CVector3{600, 0, 0}, nullptr, 1000.0f, 40.0f, nullptr, 0, BLAST_DAMAGING, nullptr);  // not for objects
  blasts_.Create(CVector3{600, 0, 0}, nullptr, 1000.0f, 40.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS,
                 t.get());  // its own
  for (int f = 0; f < 20; ++f) {
    Frames(1);
    blasts_.GetBlastEffect(t.get(), nullptr);
  }
  EXPECT_EQ(t->hits.size(), 2u);
}

// However many objects one blast reaches, each is hit once in its life.
TEST_F(ExplosionsTest, ABlastHitsEveryOneOfManyObjectsOnce) {
  std::vector<std::unique_ptr<Target>> targets;
  for (int i = 0; i < 300; ++i) targets.push_back(MakeTarget(i + 1, 100.0f + static_cast<float>(i), 10.0f));
  blasts_.Create(CVector3{0, 0, 0}, nullptr, 1000.0f, 40.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS, nullptr);
  for (int f = 0; f < 5; ++f) {
    Frames(1);
    for (auto& t : targets) blasts_.GetBlastEffect(t.get(), nullptr);
  }
  for (const auto& t : targets) EXPECT_EQ(t->hits.size() + t->lethal.size(), 1u) << "target " << t->Id;
  // A later blast is a new one for all of them.
  blasts_.Create(CVector3{0, 0, 0}, nullptr, 1000.0f, 40.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS, nullptr);
  Frames(1);
  for (auto& t : targets) blasts_.GetBlastEffect(t.get(), nullptr);
  for (const auto& t : targets) EXPECT_EQ(t->hits.size() + t->lethal.size(), 2u) << "target " << t->Id;
}

TEST_F(ExplosionsTest, GrowingBlastsBreakBreakableScenerySparingTheOwners) {
  CEnvInstance* nearCrate = Place("near", NewBoxTemplate("crate", 40.0f), CVector3{200, 0, 0});
  CEnvInstance* farCrate = Place("far", NewBoxTemplate("crate", 40.0f), CVector3{2000, 0, 0});
  CEnvInstance* ownCrate = Place("own", NewBoxTemplate("crate", 40.0f), CVector3{-200, 0, 0});
  CEnvInstance* wall = Place("wall", NewBoxTemplate("wall", 40.0f), CVector3{0, 0, 200});
  for (CEnvInstance* i : {nearCrate, farCrate, ownCrate}) i->MakeBreakable();
  g_instances = {nearCrate, farCrate, ownCrate, wall};
  Target owner(9);
  owner.Instance = ownCrate;
  blasts_.Create(CVector3{0, 0, 0}, nullptr, 600.0f, 8.0f, &owner, 0, BLAST_DAMAGING | BLAST_SPARE_OWNER, nullptr);
  Frames(40);
  EXPECT_NE(nearCrate->Flags & INSTF_DISABLED, 0u);
  EXPECT_EQ(farCrate->Flags & INSTF_DISABLED, 0u);
  EXPECT_FLOAT_EQ(farCrate->GetHealth(), 10.0f);
  EXPECT_EQ(ownCrate->Flags & INSTF_DISABLED, 0u);
  EXPECT_FLOAT_EQ(ownCrate->GetHealth(), 10.0f);
  EXPECT_EQ(wall->Flags & INSTF_DISABLED, 0u);
}

TEST_F(ExplosionsTest, CreateRaisesAlertFlashDustAndNotice) {
  static CVector3 noticed{};
  static int notices = 0;
  notices = 0;
  blasts_.SetNotifyCallback([](const CVector3& c) {
    noticed = c;
    ++notices;
  });
  blasts_.SetNotifyCallback(nullptr);  // ignored
  Target owner(3);
  blasts_.Create(CVector3{1, 2, 3}, nullptr, 400.0f, 5.0f, &owner, 1,
                 BLAST_FIREBALL | BLAST_DUST | BLAST_NOTIFY, nullptr);
  EXPECT_EQ(notices, 1);
  EXPECT_FLOAT_EQ(noticed.z, 3.0f);
  EXPECT_TRUE(blasts_.GetDust().On);
  EXPECT_EQ(blasts_.GetDust().Time, 2500u);
  const SphereEvent* e = events_.Get(0);
  EXPECT_EQ(e->State, SPHERE_EVENT_ACTIVE);
  EXPECT_EQ(e->Source, &owner);
  EXPECT_EQ(e->Priority, 3);
  EXPECT_FLOAT_EQ(e->MaxRadius, 2000.0f);
  // The flash lights up and goes out within 1.5 s: range sin(f π) f 7000.
  Frames(1, 500);
  EXPECT_EQ(g_recorded.flashOn, 1);
  const float f = 1.0f / 1.5f;
  EXPECT_NEAR(g_recorded.lastFlashRange, std::sin(f * 3.14159265f) * f * 7000.0f, 1.0f);
  Frames(3, 500);
  EXPECT_EQ(g_recorded.flashOff, 1);
  EXPECT_LT(blasts_.GetFlashTimeLeft(), 0.0f);
  // Fireballs and burning debris make particles and flying chunks.
  blasts_.Create(CVector3{0, 0, 0}, nullptr, 1000.0f, 5.0f, nullptr, 0,
                 BLAST_FIREBALL | BLAST_FIRE | BLAST_BURNING_DEBRIS | BLAST_LARGE, nullptr);
  Frames(3);
  EXPECT_GT(particles_->GetLiveCount(), 0);
  EXPECT_GT(effects_.GetLiveCount(), 0);
  EXPECT_FLOAT_EQ(particles_->GetSizeScale(), 1.75f);
}

TEST_F(ExplosionsTest, SmokeBlocksLinesThroughIt) {
  blasts_.Create(CVector3{0, 0, 0}, nullptr, 1000.0f, 0.0f, nullptr, 0, BLAST_SMOKE_SCREEN, nullptr);
  Frames(40);  // fully grown: smoke radius 700
  EXPECT_EQ(blasts_.SmokeBlocksLine(CVector3{-2000, 0, 0}, CVector3{2000, 0, 0}), 0);
  EXPECT_EQ(blasts_.SmokeBlocksLine(CVector3{-2000, 800, 0}, CVector3{2000, 800, 0}), 1);
  EXPECT_EQ(blasts_.SmokeBlocksLine(CVector3{-2000, 0, 0}, CVector3{-900, 0, 0}), 1);
}

TEST_F(ExplosionsTest, DebrisCountFollowsAreaAndDensity) {
  SpawnDebris(CVector3{0, 0, 0}, 1000.0f, 1.0f);  // 1000² × 0.000314 × 0.1 = 31.4 → 32 particles
  EXPECT_EQ(particles_->GetLiveCount(), 32);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(particles_->GetParticle(i)->Type, 11u);
}

TEST_F(ExplosionsTest, PauseStopsTheClocksAndWhatRunsOnThem) {
  struct Case {
    std::uint32_t flags;
    bool gameStops, realStops;
  };
  const Case cases[] = {{0, true, true}, {0x1, false, true}, {0x2, true, false}};
  for (const Case& c : cases) {
    SetGamePaused(1, c.flags);
    EXPECT_TRUE(IsGamePaused());
    EXPECT_EQ(clock_.IsRunning(), !c.gameStops) << c.flags;
    EXPECT_EQ(real_.IsRunning(), !c.realStops) << c.flags;
    SetGamePaused(1, c.flags);  // already paused: nothing more
    ASSERT_EQ(g_recorded.soundPaused.size(), 1u);
    EXPECT_TRUE(g_recorded.soundPaused[0]);
    if (c.gameStops) {
      EffectDesc d;
      d.Kind = EFFECT_TO_TARGET;
      d.Target = {100, 0, 0};
      d.Speed = 10.0f;
      EXPECT_EQ(effects_.Spawn(d), nullptr);  // nothing new flies while the game is paused
    }
    SetGamePaused(0, c.flags);
    EXPECT_FALSE(IsGamePaused());
    EXPECT_TRUE(clock_.IsRunning());
    EXPECT_TRUE(real_.IsRunning());
    ASSERT_EQ(g_recorded.soundPaused.size(), 2u);
    EXPECT_FALSE(g_recorded.soundPaused[1]);
    g_recorded.soundPaused.clear();
  }
  // The overlay comes up with 0x4 and goes on resuming, unless it was up already.
  g_recorded.overlayState = 0;
  SetGamePaused(1, 0x4);
  EXPECT_EQ(g_recorded.overlayState, 1);
  SetGamePaused(0, 0x4);
  EXPECT_EQ(g_recorded.overlayState, 3);
  g_recorded.overlayState = 2;
  g_recorded.overlayToggles = 0;
  SetGamePaused(1, 0x4);
  SetGamePaused(0, 0x4);
  EXPECT_EQ(g_recorded.overlayToggles, 0);
  // Without a game clock nothing happens.
  g_EffectsHooks.GameClock = nullptr;
  SetGamePaused(1, 0);
  EXPECT_FALSE(IsGamePaused());
}

TEST_F(ExplosionsTest, SideHostilityAndHitRegionNames) {
  g_SideHostility[2][3] = 0;
  ResetSideHostility();
  for (int a = 0; a < kSides; ++a)
    for (int b = 0; b < kSides; ++b) EXPECT_EQ(g_SideHostility[a][b], a == b ? 0u : 1u);
  EXPECT_STREQ(GetHitRegionName(0), "#HR_BODYFRONT");
  EXPECT_STREQ(GetHitRegionName(7), "#HR_PROPULSIONRIGHT");
  EXPECT_STREQ(GetHitRegionName(11), "#HR_WEAPONRIGHT");
  EXPECT_EQ(GetHitRegionName(12), nullptr);
  EXPECT_EQ(GetHitRegionName(-1), nullptr);
}

}  // namespace
}  // namespace effects_test

namespace effects_test {
namespace {

// Through the world's own polygon query: a blast in room B of the generated
// world breaks the crate standing there and leaves the rooms' walls alone.
TEST_F(ExplosionsTest, ABlastInTheGeneratedWorldBreaksTheCrateItReaches) {
  g_EffectsHooks.ForEachInstanceInSphere = nullptr;
  space_fixture::Options options;
  options.terrainTiles = 2;
  options.outdoorCrates = 4;
  options.trees = 0;
  std::unique_ptr<space_fixture::World> world = space_fixture::MakeWorld(options);
  CEnvInstance* crate = world->crateInB;
  ASSERT_NE(crate, nullptr);
  crate->MakeBreakable();
  world->roomB->MakeBreakable();  // a breakable room: too far from the centre to break
  world->roomB->SetHealth(1000.0f);
  crate->UpdateBoundingSphere();
  const CVector3 at = crate->GetWorldSphere().Centre;
  blasts_.Create(CVector3{at.x + 60.0f, at.y, at.z}, world->roomB, 150.0f, 30.0f, nullptr, 0, BLAST_DAMAGING,
                 nullptr);
  Frames(10);
  EXPECT_NE(crate->Flags & INSTF_DISABLED, 0u);
  EXPECT_LT(crate->GetHealth(), 0.0f);
  EXPECT_EQ(world->roomB->Flags & INSTF_DISABLED, 0u);
  EXPECT_GE(pieces_.GetInUse(), 1);  // its debris flies
}


TEST_F(ExplosionsTest, DamagingBlastsShatterTheGlassTheyReach) {
  struct Case {
    std::uint32_t flags;
    CVector3 centre;
    int state;
  };
  // The window's centre is (50, 150, 0), its normal +z.
  const Case cases[] = {{BLAST_DAMAGING, {50, 150, 100}, GLASS_SHATTERED_BACK},
                        {BLAST_DAMAGING, {50, 150, -250}, GLASS_SHATTERED_FRONT},
                        {BLAST_DAMAGING, {50, 150, 350}, GLASS_INTACT},  // beyond the blast's size
                        {0, {50, 150, 100}, GLASS_INTACT}};
  for (const Case& c : cases) {
    CGlazier glass(20);
    ASSERT_TRUE(glass.MakeShards());
    const std::string text = glass_fixture::SectionText({glass_fixture::Window()});
    EnvTextCursor cursor(text.c_str());
    ASSERT_EQ(glass.ReadText(cursor, kGlassVersionCurrent, GlassModules{}), 1);
    g_Glazier = &glass;
    blasts_.Reset();
    blasts_.Create(c.centre, nullptr, 300.0f, 10.0f, nullptr, 0, c.flags, nullptr);
    Frames(20, 20);
    EXPECT_EQ(glass.GetPane(0)->State, c.state) << c.flags << " at z " << c.centre.z;
    EXPECT_EQ(glass.LiveShards() > 0, c.state != GLASS_INTACT);
    g_Glazier = nullptr;
  }
}

}  // namespace
}  // namespace effects_test
