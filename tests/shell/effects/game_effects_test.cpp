// The game's hit and death effects through the real effect and particle
// pools: gore bursts, their two flight callbacks (with their saved-game
// codes), the blood marks they leave on a real floor, the particle spawners
// and the explosions' sound.
#include "shell/effects/game_effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "effects_fixture.h"
#include "foundation/files/file_locator.h"
#include "foundation/maths/random_tables.h"
#include "render/bsp/bsp_tree.h"
#include "scene/decals/decals.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "shell/game/callback_code_table.h"
#include "sound/sound_manager.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

namespace {

using effects_test::BlastModulesTest;
using effects_test::NewBoxTemplate;

// A floor quad of half size s at y = 0 facing up, with a mesh decals can be clipped to.
CEnvObject* GoreFloorTemplate(float s) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Sphere.Radius = s * 1.5f;
  auto* mesh = new CVBufferObject;
  auto* part = new CVertexBuffer;
  const RenderVertex v[4] = {{-s, 0, -s, 0, 1, 0, 0xFFFFFFFF, 0, 0},
                             {-s, 0, s, 0, 1, 0, 0xFFFFFFFF, 0, 1},
                             {s, 0, s, 0, 1, 0, 0xFFFFFFFF, 1, 1},
                             {s, 0, -s, 0, 1, 0, 0xFFFFFFFF, 1, 0}};
  for (int i : {0, 1, 2, 0, 2, 3}) part->PushIndex(static_cast<std::uint16_t>(part->AddVertex(v[i])));
  EXPECT_TRUE(part->Finish(false));
  mesh->FirstPart = part;
  mesh->PartCount = 1;
  t->Mesh = mesh;
  return t;
}

CEnvInstance* g_goreFloor = nullptr;

// The line test: the floor instance at y = 0.
int GoreFloorHit(CEnvInstance*, const CVector3& a, const CVector3& b, std::uint32_t, WorldHit* hit,
                 CVector3* point) {
  if (!(a.y >= 0.0f && b.y < 0.0f)) return 1;
  const float s = a.y / (a.y - b.y);
  const CVector3 at{a.x + (b.x - a.x) * s, 0.0f, a.z + (b.z - a.z) * s};
  *hit = WorldHit{};
  hit->Hit = 1;
  hit->Flags = WHF_POINT;
  hit->WorldPoint = at;
  hit->WorldNormal = {0, 1, 0};
  hit->Plane[1] = 1.0f;
  hit->Instance = g_goreFloor;
  if (point != nullptr) *point = at;
  return 0;
}

class GameEffects : public BlastModulesTest {
 protected:
  void SetUp() override {
    BlastModulesTest::SetUp();
    SeedRandomTables(7);
    g_Environment = MakeEnvironment();
    ASSERT_TRUE(decals_.CreatePools(nullptr));
    g_Decals = &decals_;
    g_goreFloor = Place("Floor", GoreFloorTemplate(2000.0f), CVector3{0, 0, 0});
    ASSERT_NE(g_goreFloor, nullptr);
    g_EffectsHooks.LineOfSight = &GoreFloorHit;
  }
  void TearDown() override {
    ForgetEffectLevelState();
    g_Decals = nullptr;
    g_Environment = nullptr;
    g_goreFloor = nullptr;
    BlastModulesTest::TearDown();
  }
  void AddGiblets() {
    for (const char* name : kGibletModelNames) MakeEnvironment()->AddObject(NewBoxTemplate(name, 5.0f));
    ASSERT_EQ(LoadGibletModels(), kGibletModelCount);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      Step(20);
      effects_.Update();
      effects_.RunCallbacks();
      particles_->Update();
    }
  }
  std::vector<CEffectInstance*> Flying() {
    std::vector<CEffectInstance*> out;
    for (int i = 0; i < effects_.GetCapacity(); ++i)
      if (effects_.Get(i)->State == EFFECT_FLYING) out.push_back(effects_.Get(i));
    return out;
  }
  CDecals decals_{&clock_, false};
};

TEST_F(GameEffects, AGoreBurstThrowsNineParticlesEachOnAFlightCarryingCodes100And106) {
  AddGiblets();
  ASSERT_EQ(StartGoreBurst(CVector3{0, 100, 0}), kGoreBurstSteps);
  const std::vector<CEffectInstance*> flights = Flying();
  ASSERT_EQ(flights.size(), 9u);
  std::set<int> kinds;
  for (CEffectInstance* e : flights) {
    EXPECT_EQ(GetCallbackCodeOf(e->OnFinish), 100);
    EXPECT_EQ(GetCallbackCodeOf(e->OnFrame), 106);
    EXPECT_EQ(e->Kind, EFFECT_THROWN);
    EXPECT_GE(e->Pitch, 0.0f);
    EXPECT_LE(e->Pitch, 45.0f);
    EXPECT_GE(e->Speed, 150.0f);
    EXPECT_LE(e->Speed, 600.0f);
    CParticle* p = particles_->Resolve(e->Particle);
    ASSERT_NE(p, nullptr);
    kinds.insert(static_cast<int>(p->Type));
    if (p->Type == kGibletParticleType) {
      // One of the first four models, spinning, on a flight that bounces.
      EXPECT_TRUE(p->Mesh == GetGibletModel(0) || p->Mesh == GetGibletModel(1) || p->Mesh == GetGibletModel(2) ||
                  p->Mesh == GetGibletModel(3));
      EXPECT_TRUE(p->Flags & PF_SPINNING);
      EXPECT_TRUE(e->Flags & EFF_BOUNCES);
    } else {
      ASSERT_EQ(p->Type, static_cast<std::uint32_t>(kBloodParticleType));
      EXPECT_GE(p->Size, 20.0f);
      EXPECT_LE(p->Size, 50.0f);
      EXPECT_GE(p->Lifetime, 300u);
      EXPECT_LE(p->Lifetime, 500u);
      EXPECT_FALSE(e->Flags & EFF_BOUNCES);
    }
  }
  EXPECT_EQ(kinds.size(), 2u) << "seed 7 draws both giblets and blood";
  // The follow callback keeps each particle on its flight.
  Frames(3);
  for (CEffectInstance* e : Flying()) {
    if (CParticle* p = particles_->Resolve(e->Particle)) {
      EXPECT_FLOAT_EQ(p->Position.x, e->Position.x);
      EXPECT_FLOAT_EQ(p->Position.y, e->Position.y);
    }
  }
}

TEST_F(GameEffects, ALandedBurstLeavesBloodMarksAndEveryPieceLyingJustAboveTheFloor) {
  AddGiblets();
  ASSERT_EQ(StartGoreBurst(CVector3{0, 100, 0}), kGoreBurstSteps);
  std::vector<ParticleRef> refs;
  for (CEffectInstance* e : Flying()) refs.push_back(e->Particle);
  Frames(400);
  EXPECT_TRUE(Flying().empty());
  EXPECT_GT(decals_.DecalCount(), 0) << "the giblets' bounces mark the floor";
  int lying = 0;
  for (const ParticleRef& ref : refs) {
    CParticle* p = particles_->Resolve(ref);
    if (p == nullptr || p->Type != kGibletParticleType) continue;  // drops of blood may have run out
    EXPECT_NEAR(p->Position.y, 2.0f, 1.0f);
    EXPECT_FALSE(p->Flags & PF_SPINNING);
    EXPECT_TRUE(p->Flags & PF_TIMED);
    ++lying;
  }
  EXPECT_GT(lying, 0);
}

TEST_F(GameEffects, ALevelWithoutGibletModelsBurstsBloodOnly) {
  SetWorkDirectory();  // the models are looked for in the (scratch) working folder
  EXPECT_EQ(LoadGibletModels(), 0);
  EXPECT_EQ(RandomGibletModel(), nullptr);
  const int started = StartGoreBurst(CVector3{0, 100, 0});
  EXPECT_GT(started, 0);
  EXPECT_LT(started, kGoreBurstSteps);
  for (CEffectInstance* e : Flying()) {
    CParticle* p = particles_->Resolve(e->Particle);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Type, static_cast<std::uint32_t>(kBloodParticleType));
  }
  Frames(400);
  EXPECT_TRUE(Flying().empty());
}

TEST_F(GameEffects, TheImpactCallbackMarksAndSendsOnOrLetsTheParticleGo) {
  BspPolygon stone{};
  stone.SurfaceId = 1;
  BspPolygon earth{};
  earth.SurfaceId = 4;
  struct Case {
    const char* what;
    std::uint32_t flags;
    float speed;
    const BspPolygon* polygon;
    bool hit;
    bool goesOn;
  };
  const Case cases[] = {
      {"bouncing, fast", EFF_BOUNCES | EFF_COLLIDES, 200.0f, &earth, true, true},
      {"bouncing, slow, on surface 1", EFF_BOUNCES | EFF_COLLIDES, 0.25f, &stone, true, true},
      {"bouncing, slow, elsewhere", EFF_BOUNCES | EFF_COLLIDES, 0.25f, &earth, true, false},
      {"not bouncing, fast", EFF_COLLIDES, 200.0f, &stone, true, false},
      {"bouncing, out of time", EFF_BOUNCES | EFF_COLLIDES, 200.0f, nullptr, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EffectDesc d;
    d.Kind = EFFECT_THROWN;
    d.Start = {10, 50, 10};
    d.Speed = c.speed;
    d.Pitch = -30.0f;
    d.Flags = c.flags;
    CEffectInstance* e = effects_.Spawn(d);
    ASSERT_NE(e, nullptr);
    CParticle* p = particles_->Spawn(d.Start, kBloodParticleType, nullptr);
    ASSERT_NE(p, nullptr);
    p->Velocity = {5, 5, 5};
    p->Flags |= PF_MOVING | PF_SPINNING;
    e->Particle = particles_->RefOf(p);
    e->Position = {10, 0, 10};
    WorldHit hit{};
    hit.Hit = 1;
    hit.Flags = WHF_POINT;
    hit.WorldPoint = {10, 0, 10};
    hit.Plane[1] = 1.0f;
    hit.Instance = g_goreFloor;
    hit.Polygon = c.polygon;
    const int decalsBefore = decals_.DecalCount();
    e->State = EFFECT_FINISHED;
    GoreImpactCallback(e, c.hit ? &hit : nullptr);
    if (c.goesOn) {
      EXPECT_EQ(decals_.DecalCount(), decalsBefore + 1);
      EXPECT_EQ(e->State, static_cast<std::uint32_t>(EFFECT_FLYING));
      EXPECT_FLOAT_EQ(e->Speed, c.speed * 0.5f);
      EXPECT_GT(e->Pitch, 0.0f) << "reflected upwards";
      EXPECT_EQ(particles_->Resolve(e->Particle), p);
    } else {
      EXPECT_EQ(decals_.DecalCount(), decalsBefore);
      EXPECT_FALSE(e->Particle.IsSet());
      EXPECT_EQ(p->Velocity.x, 0.0f);
      EXPECT_FALSE(p->Flags & (PF_MOVING | PF_SPINNING));
      EXPECT_FLOAT_EQ(p->Position.y, 2.0f);
      EXPECT_TRUE(p->Flags & PF_TIMED);
      EXPECT_GE(p->Lifetime, 5000u);
      EXPECT_LE(p->Lifetime, 8000u);
    }
    effects_.ForceFree(e);
  }
}

TEST_F(GameEffects, CallbackCodesMapBothWaysAndUnknownFunctionsHaveNone) {
  EXPECT_EQ(GetCallbackFromCode(100), reinterpret_cast<EffectAnyCallback>(&GoreImpactCallback));
  EXPECT_EQ(GetCallbackFromCode(106), reinterpret_cast<EffectAnyCallback>(&GoreFollowCallback));
  for (std::int32_t code = kFirstCallbackCode; code <= kLastCallbackCode; ++code) {
    EffectAnyCallback fn = GetCallbackFromCode(code);
    if (fn != nullptr) {
      EXPECT_EQ(GetCallbackCode(fn), code);
    }
  }
  EXPECT_EQ(GetCallbackFromCode(99), nullptr);
  EXPECT_EQ(GetCallbackFromCode(112), nullptr);
  EXPECT_EQ(GetCallbackFromCode(255), nullptr);
  EXPECT_EQ(GetCallbackCode(nullptr), kNoCallbackCode);
  EXPECT_EQ(GetCallbackCodeOf(&StartGoreBurst), kNoCallbackCode);
}

TEST_F(GameEffects, TheSpawnersMakeTheirParticlesAsAsked) {
  const CVector3 at{0, 100, 0};
  ASSERT_EQ(SpawnParticleSpray(at, 9), 10);
  ASSERT_EQ(SpawnParticleFountain(at, 5, 9), 5);
  int spray = 0, fountain = 0;
  for (int i = 0; i < particles_->GetCapacity(); ++i) {
    const CParticle* p = particles_->GetParticle(i);
    if (p->State != PARTICLE_ALIVE) continue;
    const float speed = std::sqrt(p->Velocity.x * p->Velocity.x + p->Velocity.y * p->Velocity.y +
                                  p->Velocity.z * p->Velocity.z);
    if (p->Lifetime == 2000u && p->Spin == 60.0f) {
      ++fountain;
      EXPECT_GE(p->Position.y, 150.0f);
      EXPECT_LE(p->Position.y, 200.0f);
      EXPECT_GE(speed, 149.0f);
      EXPECT_LE(speed, 251.0f);
      EXPECT_GT(p->Velocity.y, 0.0f);
      EXPECT_NEAR(p->Size, 30.0f * particles_->GetSizeScale(), 1e-3f);
    } else {
      ++spray;
      EXPECT_FLOAT_EQ(p->Position.y, 100.0f);
      EXPECT_GE(speed, 99.0f);
      EXPECT_LE(speed, 301.0f);
    }
  }
  EXPECT_EQ(spray, 10);
  EXPECT_EQ(fountain, 5);
}

TEST_F(GameEffects, ABlastThatTellsTheGamePlaysEvent2030AtItsCentreHeardTo3000) {
  CSoundManager sound;
  sound.SetPlayLog(true);
  g_SoundManager = &sound;
  LoadEffectBanks();
  blasts_.Create(CVector3{100, 20, -50}, nullptr, 300.0f, 1.0f, nullptr, 0, BLAST_ACTIVE | BLAST_NOTIFY, nullptr);
  g_SoundManager = nullptr;
  ASSERT_EQ(sound.PlayLog().size(), 1u);
  const SoundPlayRecord& r = sound.PlayLog()[0];
  EXPECT_EQ(r.event, kExplosionSoundEvent);
  EXPECT_FLOAT_EQ(r.range, 3000.0f);
  EXPECT_TRUE(r.positional);
  EXPECT_FLOAT_EQ(r.position.x, 100.0f);
  EXPECT_FLOAT_EQ(r.position.z, -50.0f);
  EXPECT_EQ(r.bank, GetExplosionBank());
}

}  // namespace
