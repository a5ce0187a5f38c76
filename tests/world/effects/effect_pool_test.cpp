#include "world/effects/effect_pool.h"

#include <cmath>

#include "effects_fixture.h"
#include "world/objects/hlo_test_world_fixture.h"
#include "foundation/byte_reader.h"
#include "world/effects/impact_debris.h"
#include "world/effects/trails.h"

namespace effects_test {
namespace {

constexpr float kG = 981.0f;

// The world of these tests: a floor at y = 0 and, when wallX is set, a wall
// at that x.  Hits report the crossing point and the surface's normal.
float g_wallX = 0.0f;
bool g_wall = false;
CEnvInstance* g_wallInstance = nullptr;

int PlaneWorld(CEnvInstance*, const CVector3& a, const CVector3& b, std::uint32_t, WorldHit* hit, CVector3* point) {
  float s = 2.0f;
  CVector3 normal{0, 1, 0};
  CEnvInstance* what = nullptr;
  if (a.y >= 0.0f && b.y < 0.0f) s = a.y / (a.y - b.y);
  if (g_wall && (a.x - g_wallX) * (b.x - g_wallX) < 0.0f) {
    const float w = (g_wallX - a.x) / (b.x - a.x);
    if (w < s) {
      s = w;
      normal = {a.x < g_wallX ? -1.0f : 1.0f, 0, 0};
      what = g_wallInstance;
    }
  }
  if (s > 1.0f) return 1;
  const CVector3 at{a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, a.z + (b.z - a.z) * s};
  if (hit != nullptr) {
    *hit = WorldHit{};
    hit->Hit = 1;
    hit->Instance = what;
    hit->WorldNormal = normal;
    hit->WorldPoint = at;
    hit->Distance = s;
  }
  if (point != nullptr) *point = at;
  return 0;
}

struct Finished {
  int calls = 0;
  bool hit = false;
  CVector3 where{};
};
Finished g_finished;

void RecordFinish(CEffectInstance* e, const WorldHit* hit) {
  ++g_finished.calls;
  g_finished.hit = hit != nullptr;
  g_finished.where = e->Position;
}

class EffectPoolTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    g_finished = Finished{};
    g_wall = false;
    g_wallInstance = nullptr;
    ASSERT_TRUE(pool_.CreatePools(buffer_.get()));
    ASSERT_TRUE(trails_.CreatePools(buffer_.get()));
    particles_ = std::make_unique<CParticlePool>(g_ParticleTypes, 50000, &clock_);
    ASSERT_TRUE(particles_->CreatePools(buffer_.get()));
    g_EffectPool = &pool_;
    g_Trails = &trails_;
    g_ParticlePool = particles_.get();
    g_EffectsHooks.LineOfSight = &PlaneWorld;
  }
  void TearDown() override {
    g_EffectPool = nullptr;
    g_Trails = nullptr;
    g_ParticlePool = nullptr;
    EffectsTest::TearDown();
  }
  EffectDesc Desc(std::uint32_t kind, CVector3 start, CVector3 target, float speed) {
    EffectDesc d;
    d.Kind = kind;
    d.Start = start;
    d.Target = target;
    d.Speed = speed;
    d.OnFinish = &RecordFinish;
    return d;
  }
  // Updates in steps of ms until the instance is no longer flying; answers the time taken.
  std::uint32_t FlyOut(CEffectInstance* e, std::uint32_t ms = 10, std::uint32_t limit = 20000) {
    std::uint32_t t = 0;
    while (e->State == EFFECT_FLYING && t < limit) {
      Step(ms);
      t += ms;
      pool_.Update();
    }
    return t;
  }
  CEffectPool pool_;
  Trails trails_;
  std::unique_ptr<CParticlePool> particles_;
};

TEST_F(EffectPoolTest, StraightShotsArriveEvenWhenVerticalOrAtTheirOwnTarget) {
  struct Case {
    CVector3 start, target;
    std::uint32_t atMost;  // ms
  };
  const Case cases[] = {
      {{0, 10, 0}, {0, 10, 0}, 10},        // its own target: the first update
      {{0, 10, 0}, {0, 3010, 0}, 1010},    // straight up
      {{0, 100, 0}, {3000, 100, 0}, 1010},
      {{0, 100, 0}, {1000, 2100, 2000}, 1010},
  };
  for (const Case& c : cases) {
    g_finished = Finished{};
    CEffectInstance* e = pool_.Spawn(Desc(EFFECT_TO_TARGET, c.start, c.target, 3000.0f));
    ASSERT_NE(e, nullptr);
    const std::uint32_t t = FlyOut(e);
    EXPECT_LE(t, c.atMost);
    EXPECT_EQ(g_finished.calls, 1);
    EXPECT_FALSE(g_finished.hit);
    EXPECT_NEAR(g_finished.where.y, c.target.y, 1.0f);
    Step(10);
    pool_.Update();
    EXPECT_EQ(e->State, EFFECT_FREE);
  }
  EXPECT_EQ(pool_.GetLiveCount(), 0);
}

TEST_F(EffectPoolTest, ShotsAlongAHeadingKeepTheirSpeedAtAnyPitch) {
  for (float pitch : {0.0f, 30.0f, 60.0f, 89.0f, -45.0f}) {
    EffectDesc d = Desc(EFFECT_ALONG_HEADING, {0, 5000, 0}, {}, 500.0f);
    d.Heading = 30.0f;
    d.Pitch = pitch;
    CEffectInstance* e = pool_.Spawn(d);
    for (int i = 0; i < 10; ++i) {
      Step(100);
      pool_.Update();
    }
    const float dx = e->Position.x, dy = e->Position.y - 5000.0f, dz = e->Position.z;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 500.0f, 0.5f) << pitch;
    EXPECT_NEAR(dy, 500.0f * std::sin(pitch * 3.14159265f / 180.0f), 0.5f) << pitch;
    EXPECT_NEAR(std::atan2(dx, dz) * 180.0f / 3.14159265f, 30.0f, 0.01f) << pitch;
    pool_.ForceFree(e);
  }
}

TEST_F(EffectPoolTest, LobbedShotsLandOnTheirTargetInOrOutOfReach) {
  struct Case {
    CVector3 target;
    float speed;
    std::uint32_t highArc;
  };
  const Case cases[] = {
      {{1000, 0, 0}, 2000.0f, 0}, {{1000, 0, 0}, 2000.0f, 1}, {{0, 300, 800}, 1500.0f, 1},
      {{-600, -200, 600}, 1200.0f, 1},
      {{5000, 0, 0}, 100.0f, 0},   // far out of reach: raised speed
      {{3000, 800, 0}, 500.0f, 0},  // out of reach uphill
  };
  for (const Case& c : cases) {
    g_finished = Finished{};
    EffectDesc d = Desc(EFFECT_LOBBED, {0, 0, 0}, c.target, c.speed);
    d.HighArc = c.highArc;
    CEffectInstance* e = pool_.Spawn(d);
    FlyOut(e, 1, 60000);
    ASSERT_EQ(g_finished.calls, 1);
    EXPECT_NEAR(g_finished.where.x, c.target.x, 25.0f) << c.target.x << " " << c.speed;
    EXPECT_NEAR(g_finished.where.z, c.target.z, 25.0f) << c.target.z << " " << c.speed;
    EXPECT_NEAR(g_finished.where.y, c.target.y, 25.0f) << c.target.y << " " << c.speed;
    Step(1);
    pool_.Update();
  }
}

TEST_F(EffectPoolTest, ThrownArcFollowsItsClosedFormAndAnUncollidingOneVanishesAt300ms) {
  EffectDesc d = Desc(EFFECT_THROWN, {0, 1000, 0}, {}, 400.0f);
  d.Heading = 90.0f;
  d.Pitch = 30.0f;
  CEffectInstance* e = pool_.Spawn(d);
  for (int n = 1; n <= 31; ++n) {
    Step(10);
    pool_.Update();
    if (e->State != EFFECT_FLYING) break;
    const float t = n * 0.01f;
    EXPECT_NEAR(e->Position.x, 400.0f * std::cos(30.0f * 3.14159265f / 180.0f) * t, 0.01f);
    EXPECT_NEAR(e->Position.y, 1000.0f + (200.0f - 0.5f * kG * t) * t, 0.01f);
  }
  EXPECT_EQ(e->State, EFFECT_FINISHED);
  EXPECT_EQ(g_finished.calls, 0);  // the time-out drops the finish callback of a non-colliding throw
  EXPECT_GT(now_ - e->StartTime, 300u);
  EXPECT_LE(now_ - e->StartTime, 310u);
}

TEST_F(EffectPoolTest, CollidingShotsStopAtWhatTheLineTestFinds) {
  EffectDesc d = Desc(EFFECT_THROWN, {0, 100, 0}, {}, 300.0f);
  d.Flags = EFF_COLLIDES;
  d.Pitch = 10.0f;
  CEffectInstance* e = pool_.Spawn(d);
  FlyOut(e);
  EXPECT_EQ(g_finished.calls, 1);
  EXPECT_TRUE(g_finished.hit);
  EXPECT_GE(g_finished.where.y, 0.0f);  // back at the last point before the floor
  EXPECT_EQ(e->LastHitInstance, nullptr);
}

TEST_F(EffectPoolTest, HitsOnTheOwnerOrTheLastObjectHitAreIgnored) {
  TestWorld world;
  static TestObject* wallObject;
  TestObject guard(TestRecord(HLO_BUILDING, 1, 0, 5, true, 200.0f));
  wallObject = &guard;
  g_wall = true;
  g_wallX = 200.0f;
  g_wallInstance = Place("Wall", NewBoxTemplate("wall", 10.0f), CVector3{200, 0, 0});
  // The wall is the visual of a world object, which may own the shot.
  g_EffectsHooks.ObjectOfInstance = [](CEnvInstance* i) {
    return i == g_wallInstance ? static_cast<CHLO*>(wallObject) : nullptr;
  };
  struct Case {
    std::uint32_t flags;
    bool ownerIsWall;
    bool lastHitIsWall;
    bool stopsAtWall;
  };
  const Case cases[] = {
      {EFF_COLLIDES, false, false, true},
      {EFF_COLLIDES | EFF_IGNORES_OWNER, true, false, false},
      {EFF_COLLIDES | EFF_IGNORES_OWNER, false, false, true},
      {EFF_COLLIDES | EFF_IGNORES_LAST_HIT, false, true, false},
  };
  for (const Case& c : cases) {
    g_finished = Finished{};
    EffectDesc d = Desc(EFFECT_ALONG_HEADING, {0, 100, 0}, {}, 1000.0f);
    d.Heading = 90.0f;
    d.Pitch = -5.0f;
    d.Flags = c.flags;
    d.Owner = c.ownerIsWall ? wallObject : nullptr;
    CEffectInstance* e = pool_.Spawn(d);
    if (c.lastHitIsWall) e->LastHitInstance = g_wallInstance;
    FlyOut(e);
    ASSERT_TRUE(g_finished.hit);
    if (c.stopsAtWall) {
      EXPECT_LT(g_finished.where.x, 200.0f) << c.flags;
    } else {
      EXPECT_GT(g_finished.where.x, 200.0f) << c.flags;  // through the wall, down on the floor
    }
    Step(10);
    pool_.Update();
  }
}

TEST_F(EffectPoolTest, SpawnIsRefusedWhileStoppedOrFull) {
  SetClock(clock_, now_, 0.0f, false);
  EXPECT_EQ(pool_.Spawn(Desc(EFFECT_TO_TARGET, {0, 10, 0}, {100, 10, 0}, 100.0f)), nullptr);
  SetClock(clock_, now_, 0.0f, true);
  for (int i = 0; i < 50; ++i) ASSERT_NE(pool_.Spawn(Desc(EFFECT_TO_TARGET, {0, 10, 0}, {100, 10, 0}, 1.0f)), nullptr);
  EXPECT_EQ(pool_.Spawn(Desc(EFFECT_TO_TARGET, {0, 10, 0}, {100, 10, 0}, 1.0f)), nullptr);
  EXPECT_EQ(pool_.GetLiveCount(), 50);
  EffectDesc bad = Desc(7, {0, 10, 0}, {}, 1.0f);
  pool_.Clear();
  EXPECT_EQ(pool_.Spawn(bad), nullptr);
}

TEST_F(EffectPoolTest, TrailsAreFedWhileFlyingAndReleasedWhenFreed) {
  EffectDesc d = Desc(EFFECT_TO_TARGET, {0, 10, 0}, {1000, 10, 0}, 1000.0f);
  d.Flags = EFF_TRAIL;
  d.TrailColour[0] = 1.0f;
  d.TrailColour[3] = 0.5f;
  CEffectInstance* e = pool_.Spawn(d);
  ASSERT_NE(e->Trail, nullptr);
  CTrail* t = e->Trail;
  EXPECT_NE(t->Flags & TRAILF_AMBIENT, 0u);
  for (int i = 0; i < 5; ++i) {
    Step(10);
    pool_.Update();
  }
  EXPECT_EQ(t->Count, 6u);
  FlyOut(e);
  Step(10);
  pool_.Update();
  EXPECT_EQ(t->State, TRAIL_FADING);
}

TEST_F(EffectPoolTest, RelaunchStartsHalfAUnitBackAlongTheWayIn) {
  EffectDesc d = Desc(EFFECT_THROWN, {0, 100, 0}, {}, 300.0f);
  d.Flags = EFF_COLLIDES;
  CEffectInstance* e = pool_.Spawn(d);
  e->PreviousPosition = {-10, 100, 0};
  e->Relaunch(CVector3{0, 100, 0}, 45.0f, 370.0f, 0.5f);
  EXPECT_FLOAT_EQ(e->Start.x, -0.5f);
  EXPECT_FLOAT_EQ(e->Speed, 150.0f);
  EXPECT_FLOAT_EQ(e->Pitch, 10.0f);
  EXPECT_NEAR(e->HorizontalSpeed, 150.0f * std::cos(10.0f * 3.14159265f / 180.0f), 1e-3f);
  EXPECT_EQ(e->StartTime, now_);
}

TEST_F(EffectPoolTest, TestHitsFindsPathsThroughASphere) {
  static int owner, asker;
  EffectDesc d = Desc(EFFECT_ALONG_HEADING, {0, 10, 0}, {}, 1000.0f);
  d.Heading = 90.0f;
  d.Owner = reinterpret_cast<CHLO*>(&owner);
  CEffectInstance* e = pool_.Spawn(d);
  Step(100);
  pool_.Update();  // segment x 0 .. 100
  CSphere s;
  s.Set(CVector3{50, 15, 0}, 10.0f);
  EXPECT_EQ(pool_.TestHits(s, reinterpret_cast<CHLO*>(&asker)), e);
  EXPECT_EQ(pool_.TestHits(s, reinterpret_cast<CHLO*>(&owner)), nullptr);
  s.Set(CVector3{50, 30, 0}, 10.0f);
  EXPECT_EQ(pool_.TestHits(s, reinterpret_cast<CHLO*>(&asker)), nullptr);
}

TEST_F(EffectPoolTest, SavedInstancesReadBackToTheSameFlight) {
  EffectDesc d = Desc(EFFECT_THROWN, {0, 500, 0}, {}, 400.0f);
  d.Flags = EFF_TRAIL | EFF_COLLIDES;
  d.Pitch = 20.0f;
  d.Heading = 10.0f;
  CEffectInstance* e = pool_.Spawn(d);
  e->Particle = particles_->RefOf(particles_->Spawn(CVector3{}, 14, nullptr));
  pool_.Spawn(Desc(EFFECT_TO_TARGET, {0, 10, 0}, {900, 10, 0}, 100.0f));
  for (int i = 0; i < 5; ++i) {
    Step(10);
    pool_.Update();
  }
  // Callbacks are saved as codes: the finish callback of these tests is code 1.
  EffectSaveResolver resolver;
  resolver.CallbackCode = [](EffectAnyCallback f) {
    return f == reinterpret_cast<EffectAnyCallback>(&RecordFinish) ? 1 : -1;
  };
  resolver.CallbackByCode = [](std::int32_t code) {
    return code == 1 ? reinterpret_cast<EffectAnyCallback>(&RecordFinish) : nullptr;
  };
  pool_.SetResolver(resolver);
  ByteWriter out;
  EXPECT_EQ(pool_.SaveAll(out), 50u);
  CEffectPool copy;
  copy.SetResolver(resolver);
  ASSERT_TRUE(copy.CreatePools(buffer_.get()));
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(copy.LoadAll(in, 50));
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_EQ(copy.GetLiveCount(), 2);
  const CEffectInstance& c = *copy.Get(0);
  EXPECT_EQ(c.Trail, e->Trail);
  EXPECT_EQ(c.Particle.Index, e->Particle.Index);
  EXPECT_EQ(c.Flags, e->Flags);
  EXPECT_EQ(c.OnFinish, &RecordFinish);
  EXPECT_EQ(copy.Get(1)->OnFinish, &RecordFinish);
  // Both fly on to the same place.
  g_EffectPool = &copy;
  Step(50);
  copy.Update();
  g_EffectPool = &pool_;
  pool_.Update();
  EXPECT_FLOAT_EQ(copy.Get(0)->Position.x, e->Position.x);
  EXPECT_FLOAT_EQ(copy.Get(0)->Position.y, e->Position.y);
  EXPECT_FLOAT_EQ(copy.Get(1)->Position.x, pool_.Get(1)->Position.x);

  ByteWriter damaged = out;
  damaged.Data()[1] = 7;  // kind 7
  ByteReader bad(damaged.Data().data(), damaged.Size());
  EXPECT_FALSE(copy.LoadAll(bad, 50));
  ByteReader cut(out.Data().data(), 30);
  EXPECT_FALSE(copy.LoadAll(cut, 50));
}

}  // namespace
}  // namespace effects_test
