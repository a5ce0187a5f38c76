#include "world/effects/particle_pool.h"

#include <cmath>

#include "effects_fixture.h"
#include "foundation/byte_reader.h"
#include "foundation/maths/random_tables.h"
#include "world/timing/timed_callback_list.h"

namespace effects_test {
namespace {

class ParticlePoolTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    pool_ = std::make_unique<CParticlePool>(g_ParticleTypes, 50000, &clock_);
    ASSERT_TRUE(pool_->CreatePools(buffer_.get()));
  }
  // Runs updates of `ms` each until the particle is no longer alive or
  // `limit` ms have passed; answers its age when it stopped being alive (0: never).
  std::uint32_t AgeAtDeath(CParticle* p, std::uint32_t ms, std::uint32_t limit) {
    const std::uint32_t born = p->SpawnTime;
    for (std::uint32_t t = 0; t < limit; t += ms) {
      Step(ms);
      pool_->Update();
      if (p->State != PARTICLE_ALIVE) return now_ - born;
    }
    return 0;
  }
  std::unique_ptr<CParticlePool> pool_;
};

TEST_F(ParticlePoolTest, CapacityComesFromTheByteBudget) {
  EXPECT_EQ(pool_->GetCapacity(), 250);
  CParticlePool none(g_ParticleTypes, 199, &clock_);
  EXPECT_FALSE(none.CreatePools(buffer_.get()));
  EXPECT_EQ(none.Spawn(CVector3{0, 0, 0}, 6, nullptr), nullptr);
  CLinearBuffer tiny(1000, "tiny");
  CParticlePool big(g_ParticleTypes, 50000, &clock_);
  EXPECT_FALSE(big.CreatePools(&tiny));
  EXPECT_EQ(big.Spawn(CVector3{0, 0, 0}, 6, nullptr), nullptr);
}

TEST_F(ParticlePoolTest, BallisticParticleFollowsTheClosedForm) {
  // Velocity first, then position (semi-implicit): after n frames of dt,
  //   y = y0 + vy n dt - 980 dt² n (n + 1) / 2,  x = x0 + vx n dt.
  const CVector3 start{10.0f, 200.0f, -5.0f};
  CParticle* p = pool_->Spawn(start, 16, nullptr);  // a mesh type: no growth or fading in the way
  ASSERT_NE(p, nullptr);
  p->Velocity = CVector3{30.0f, 400.0f, -60.0f};
  p->Flags |= PF_GRAVITY | PF_MOVING;
  const float dt = 0.02f;
  for (int n = 1; n <= 40; ++n) {
    Step(20);
    pool_->Update();
    const float t = n * dt;
    EXPECT_NEAR(p->Position.x, start.x + 30.0f * t, 1e-3f) << n;
    EXPECT_NEAR(p->Position.y, start.y + 400.0f * t - 980.0f * dt * dt * n * (n + 1) / 2.0f, 2e-3f) << n;
    EXPECT_NEAR(p->Position.z, start.z - 60.0f * t, 1e-3f) << n;
  }
  // Previous position is the last frame's.
  EXPECT_NEAR(p->Position.x - p->PreviousPosition.x, 30.0f * dt, 1e-4f);
}

TEST_F(ParticlePoolTest, DecelerationScalesTheStepDownToNothing) {
  CParticle* p = pool_->Spawn(CVector3{0, 0, 0}, 16, nullptr);
  p->Velocity = CVector3{100.0f, 0.0f, 0.0f};
  p->Flags |= PF_MOVING | PF_DECELERATES;
  p->Deceleration = 2.0f;  // the speed scale falls from 1 to 0 in 0.5 s
  // x = 100 Σ (1 - 2 k dt) dt over k = 0 .. while positive: 0.1 s steps: 10 + 8 + 6 + 4 + 2 = 30.
  for (int i = 0; i < 10; ++i) {
    Step(100);
    pool_->Update();
  }
  EXPECT_NEAR(p->Position.x, 30.0f, 1e-3f);
  EXPECT_EQ(p->SpeedScale, 0.0f);
}

TEST_F(ParticlePoolTest, EachTypeLivesAsItsTableSays) {
  struct Case {
    int type;
    std::uint32_t death;  // age (ms) at which it stops being alive; 0: still alive after 20 s
    const char* why;
  };
  const Case cases[] = {
      {0, 250, "timed"},          {1, 0, "untimed"},          {2, 0, "untimed"},
      {3, 0, "untimed"},          {4, 1600, "16 frames at 10 per second"},
      {5, 240, "6 frames at 25 per second, not looping"},     {6, 2000, "looping, timed"},
      {7, 1500, "timed"},         {8, 750, "timed"},          {9, 1500, "timed"},
      {10, 2000, "timed"},        {11, 5000, "timed"},        {12, 5000, "timed"},
      {13, 660, "timed"},         {14, 0, "mesh"},            {15, 0, "mesh"},
      {16, 0, "mesh"},            {17, 0, "mesh"},            {18, 2000, "timed"},
  };
  for (const Case& c : cases) {
    pool_->ResetAll();
    CParticle* p = pool_->Spawn(CVector3{0, 0, 0}, c.type, nullptr);
    ASSERT_NE(p, nullptr) << c.type;
    EXPECT_EQ(p->RenderMode, g_ParticleTypes[c.type].RenderMode);
    const std::uint32_t age = AgeAtDeath(p, 10, 20000);
    if (c.death == 0) {
      EXPECT_EQ(age, 0u) << c.type << " " << c.why;
    } else {
      EXPECT_NEAR(static_cast<double>(age), c.death, 10.0) << c.type << " " << c.why;
      // Dying at one update, free at the next.
      EXPECT_EQ(p->State, PARTICLE_DYING) << c.type;
      Step(10);
      pool_->Update();
      EXPECT_EQ(p->State, PARTICLE_FREE) << c.type;
      if (c.type != 11 && c.type != 12) {
        EXPECT_EQ(pool_->GetLiveCount(), 0) << c.type;
      }
    }
  }
}

TEST_F(ParticlePoolTest, FadingFollowsAlphaStartAndLifetime) {
  // alpha byte = clamp(alpha start × (1 - age / lifetime), 0, 1) × alpha scale × 255.
  struct Case {
    int type;
    std::uint32_t age;
    std::uint32_t alpha;
  };
  const Case cases[] = {
      {9, 750, 38},     // 1 × 0.5 × 0.3 × 255
      {9, 1200, 15},    // 0.2 × 0.3 × 255
      {6, 1000, 38},    // 0.5 × 0.3 × 255
      {7, 1125, 12},    // 0.25 × 0.2 × 255
      {11, 2500, 255},  // 4 × 0.5 = 2, held at 1
      {11, 4000, 204},  // 4 × 0.2 = 0.8
  };
  for (const Case& c : cases) {
    pool_->ResetAll();
    CParticle* p = pool_->Spawn(CVector3{0, 0, 0}, c.type, nullptr);
    for (std::uint32_t t = 0; t < c.age; t += 10) {
      Step(10);
      pool_->Update();
    }
    EXPECT_NEAR(static_cast<double>(p->Colour >> 24), c.alpha, 1.0) << c.type << " at " << c.age;
  }
}

TEST_F(ParticlePoolTest, FlashAndPulseColoursFollowTheirAge) {
  CParticle* flash = pool_->Spawn(CVector3{0, 0, 0}, 0, nullptr);
  CParticle* pulse = pool_->Spawn(CVector3{0, 0, 0}, 2, nullptr);
  pulse->SetTimeToLive(1000);
  for (int i = 0; i < 10; ++i) {
    Step(10);
    pool_->Update();
  }
  // Flash at t = 0.4: v = trunc(0.6 × 0.3 × 255) = 45, blue 0x4C, alpha 255.
  EXPECT_EQ(flash->Colour, 0xFF2D2D4Cu);
  // Pulse at t = 0.1: v = trunc(sin(0.1 π) × 0.66 × 255) = 52 in all four bytes.
  EXPECT_EQ(pulse->Colour, 0x34343434u);
}

TEST_F(ParticlePoolTest, GrowthSnapsAtTheTargetAndRateZeroSnapsAtOnce) {
  CParticle* p = pool_->Spawn(CVector3{0, 0, 0}, 16, nullptr);
  p->SetSize(100.0f);
  p->SetTargetSize(150.0f);
  p->SizeRate = 100.0f;
  p->Flags |= PF_GROWING;
  p->RenderMode = PARTICLE_BILLBOARD;
  Step(200);
  pool_->Update();
  EXPECT_FLOAT_EQ(p->Size, 120.0f);
  Step(400);
  pool_->Update();
  EXPECT_FLOAT_EQ(p->Size, 150.0f);
  EXPECT_EQ(p->Flags & PF_GROWING, 0u);

  CParticle* q = pool_->Spawn(CVector3{0, 0, 0}, 1, nullptr);  // rate 0
  q->SetTargetSize(500.0f);
  Step(10);
  pool_->Update();
  EXPECT_FLOAT_EQ(q->Size, 500.0f);
  EXPECT_EQ(q->Flags & PF_GROWING, 0u);
}

TEST_F(ParticlePoolTest, TimedParticleWithoutLifetimeDiesAfterFifteenSeconds) {
  CParticle* p = pool_->Spawn(CVector3{0, 0, 0}, 1, nullptr);
  p->Flags |= PF_TIMED;
  Step(15000);
  pool_->Update();
  EXPECT_EQ(p->State, PARTICLE_ALIVE);
  Step(10);
  pool_->Update();
  EXPECT_EQ(p->State, PARTICLE_DYING);
}

TEST_F(ParticlePoolTest, SizeScaleAppliesOnce) {
  pool_->SetSizeScale(1.75f);
  CParticle* p = pool_->Spawn(CVector3{0, 0, 0}, 6, nullptr);  // type size 75
  EXPECT_FLOAT_EQ(p->Size, 75.0f * 1.75f);
  EXPECT_FLOAT_EQ(p->TargetSize, 75.0f * 1.75f);
  EXPECT_NE(p->Flags & PF_SCALED, 0u);
  p->SetSize(100.0f);
  EXPECT_FLOAT_EQ(p->Size, 175.0f);
  pool_->ResetAll();
  EXPECT_FLOAT_EQ(pool_->GetSizeScale(), 1.0f);
}

TEST_F(ParticlePoolTest, RingOverwritesTheOldestUnprotectedSlot) {
  std::vector<CParticle*> first;
  for (int i = 0; i < 250; ++i) first.push_back(pool_->Spawn(CVector3{float(i), 0, 0}, 9, nullptr));
  EXPECT_EQ(pool_->GetLiveCount(), 250);
  CParticle* p251 = pool_->Spawn(CVector3{-1, 0, 0}, 13, nullptr);
  EXPECT_EQ(p251, first[0]);
  EXPECT_EQ(p251->Type, 13u);
  EXPECT_EQ(pool_->GetLiveCount(), 250);  // an overwrite does not add a particle

  // Protected slots are stepped over; the search cycles through 1 .. capacity - 1.
  first[1]->Flags |= PF_PROTECTED;
  first[2]->Flags |= PF_PROTECTED;
  EXPECT_EQ(pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr), first[3]);
  for (int i = 4; i < 250; ++i) first[i]->Flags |= PF_PROTECTED;
  // Cursor at 4: every slot up to 249 is protected, then 1 and 2 too, then 3 is free.
  EXPECT_EQ(pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr), first[3]);
}

TEST_F(ParticlePoolTest, AFullyProtectedPoolRefusesForTheRestOfTheFrame) {
  for (int i = 0; i < 250; ++i) pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr)->Flags |= PF_PROTECTED;
  EXPECT_EQ(pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr), nullptr);
  EXPECT_EQ(pool_->GetRefusedInARow(), 1u);
  pool_->GetParticle(7)->Flags &= ~PF_PROTECTED;
  // Same frame: refused without a search, even though a slot came free.
  EXPECT_EQ(pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr), nullptr);
  EXPECT_EQ(pool_->GetRefusedInARow(), 2u);
  Step(16);
  EXPECT_EQ(pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr), pool_->GetParticle(7));
  EXPECT_EQ(pool_->GetRefusedInARow(), 0u);
}

TEST_F(ParticlePoolTest, PoolOfOneSlotWorks) {
  CParticlePool one(g_ParticleTypes, 200, &clock_);
  ASSERT_TRUE(one.CreatePools(buffer_.get()));
  CParticle* a = one.Spawn(CVector3{0, 0, 0}, 9, nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(one.Spawn(CVector3{0, 0, 0}, 9, nullptr), a);
  a->Flags |= PF_PROTECTED;
  EXPECT_EQ(one.Spawn(CVector3{0, 0, 0}, 9, nullptr), nullptr);
}

TEST_F(ParticlePoolTest, UnknownTypesAreRefused) {
  for (int type : {-1, 19, 1000}) EXPECT_EQ(pool_->Spawn(CVector3{0, 0, 0}, type, nullptr), nullptr) << type;
  EXPECT_EQ(pool_->GetLiveCount(), 0);
}

TEST_F(ParticlePoolTest, AHolderNeverResolvesSomeoneElsesParticle) {
  CParticle* mine = pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr);
  const ParticleRef ref = pool_->RefOf(mine);
  EXPECT_EQ(pool_->Resolve(ref), mine);
  // The ring comes round and gives the slot to another spawner.
  for (int i = 0; i < 250; ++i) pool_->Spawn(CVector3{0, 0, 0}, 13, nullptr);
  EXPECT_EQ(mine->Type, 13u);
  EXPECT_EQ(pool_->Resolve(ref), nullptr);

  // A particle that died and whose slot is free resolves to nothing either.
  pool_->ResetAll();
  CParticle* timed = pool_->Spawn(CVector3{0, 0, 0}, 13, nullptr);
  const ParticleRef r2 = pool_->RefOf(timed);
  for (int i = 0; i < 80; ++i) {
    Step(10);
    pool_->Update();
  }
  EXPECT_EQ(pool_->Resolve(r2), nullptr);
  CParticle stranger;
  EXPECT_FALSE(pool_->RefOf(&stranger).IsSet());
  EXPECT_EQ(pool_->IndexOf(&stranger), -1);
  EXPECT_EQ(pool_->IndexOf(nullptr), -1);
}

TEST_F(ParticlePoolTest, SmokeTrailChildrenShrinkAndHaveNoChildren) {
  SeedRandomTables(3);
  CParticle* parent = pool_->Spawn(CVector3{5, 6, 7}, 11, nullptr);
  parent->Colour = 0x80FF0000u;
  int children = 0;
  for (int i = 0; i < 200; ++i) {
    Step(10);
    pool_->Update();
  }
  for (int i = 0; i < pool_->GetCapacity(); ++i) {
    CParticle* c = pool_->GetParticle(i);
    if (c == parent || c->State == PARTICLE_FREE || !(c->Flags & PF_TRAIL_CHILD)) continue;
    ++children;
    EXPECT_EQ(c->Type, 11u);
    EXPECT_LE(c->Lifetime, 1000u);
    EXPECT_EQ(c->Flags & 0x202000u, 0x202000u);
  }
  EXPECT_GT(children, 0);
  // No child spawned a child: every trail child's position is the parent's track, and all children are marked.
  int unmarked = 0;
  for (int i = 0; i < pool_->GetCapacity(); ++i) {
    CParticle* c = pool_->GetParticle(i);
    if (c != parent && c->State != PARTICLE_FREE && !(c->Flags & PF_TRAIL_CHILD)) ++unmarked;
  }
  EXPECT_EQ(unmarked, 0);
}

TEST_F(ParticlePoolTest, RenderQueuesBillboardsAndDrawsMeshes) {
  CParticle* plain = pool_->Spawn(CVector3{1, 2, 3}, 9, nullptr);  // random angle: rotated
  plain->Flags &= ~PF_RANDOM_ANGLE;
  CParticle* rotated = pool_->Spawn(CVector3{1, 2, 3}, 18, nullptr);
  rotated->Frame = 3.7f;
  CParticle* hidden = pool_->Spawn(CVector3{1, 2, 3}, 9, nullptr);
  hidden->Flags |= PF_NIGHT_HIDDEN;
  CEnvObject* fakeMesh = reinterpret_cast<CEnvObject*>(&g_recorded);  // never dereferenced by the pool
  CParticle* mesh = pool_->Spawn(CVector3{10, 20, 30}, 16, fakeMesh);
  mesh->SetSize(50.0f);
  pool_->Spawn(CVector3{0, 0, 0}, 16, nullptr);  // a mesh particle without a mesh draws nothing
  g_EffectsHooks.NightVision = true;
  g_EffectsHooks.Ambient[0] = 0.5f;
  pool_->Render();
  ASSERT_EQ(g_recorded.sprites.size(), 2u);
  EXPECT_EQ(g_recorded.sprites[0].Kind, 1);
  EXPECT_EQ(g_recorded.sprites[0].Frame, 33);
  EXPECT_EQ(g_recorded.sprites[1].Kind, 2);
  EXPECT_EQ(g_recorded.sprites[1].Frame, 6 + 3);
  EXPECT_EQ(g_recorded.sprites[1].BlendMode, 13);  // night silhouette
  ASSERT_EQ(g_recorded.meshes.size(), 1u);
  EXPECT_FLOAT_EQ(g_recorded.meshes[0].World.m[0][0], 0.5f);
  EXPECT_FLOAT_EQ(g_recorded.meshes[0].World.m[3][1], 20.0f);
  EXPECT_EQ(plain->Drawn, 1u);
  EXPECT_EQ(hidden->Drawn, 0u);

  // Out of the queue's buckets: nothing queued.
  g_recorded.sprites.clear();
  g_EffectsHooks.BucketOf = [](const CVector3&) { return 1000; };
  pool_->Render();
  EXPECT_TRUE(g_recorded.sprites.empty());
}

TEST_F(ParticlePoolTest, BurstsLandInsideTheirShapeAndOnlyWhenSeen) {
  pool_->SpawnBurstSphere(CVector3{100, 0, 0}, 50.0f, 40, 9);
  int n = 0;
  for (int i = 0; i < pool_->GetCapacity(); ++i) {
    CParticle* p = pool_->GetParticle(i);
    if (p->State != PARTICLE_ALIVE) continue;
    ++n;
    const float dx = p->Position.x - 100.0f;
    EXPECT_LE(std::sqrt(dx * dx + p->Position.y * p->Position.y + p->Position.z * p->Position.z), 50.001f);
  }
  EXPECT_EQ(n, 40);
  pool_->ResetAll();
  pool_->SpawnBurstBox(CVector3{0, 0, 0}, 10.0f, 20.0f, 30.0f, 30, 9);
  for (int i = 0; i < 30; ++i) {
    CParticle* p = pool_->GetParticle(i);
    EXPECT_LE(std::fabs(p->Position.x), 10.0f);
    EXPECT_LE(std::fabs(p->Position.y), 20.0f);
    EXPECT_LE(std::fabs(p->Position.z), 30.0f);
  }
  CVector3 c;
  float r;
  pool_->GetBurstSphere(&c, &r);
  EXPECT_EQ(r, 30.0f);
  pool_->ResetAll();
  pool_->SpawnBurstCube(CVector3{4, 5, 6}, 10.0f, 1, 9);
  EXPECT_EQ(pool_->GetParticle(0)->Position.y, 5.0f);
  pool_->ResetAll();
  g_EffectsHooks.SphereVisible = [](const CVector3&, float) { return false; };
  pool_->SpawnBurstSphere(CVector3{0, 0, 0}, 50.0f, 40, 9);
  EXPECT_EQ(pool_->GetLiveCount(), 0);
}

TEST_F(ParticlePoolTest, RainPostsTimedCallbacks) {
  CTimedCallbackList list(20);
  ASSERT_TRUE(list.CreateEntries(buffer_.get()));
  list.SetClocks(&clock_, &clock_);
  g_EffectsHooks.TimedCallbacks = &list;
  static int region = 0;
  g_EffectsHooks.RegionId = [](const CRegion*) { return 7; };
  g_EffectsHooks.FindRegionById = [](int id) { return id == 7 ? reinterpret_cast<CRegion*>(&region) : nullptr; };
  g_EffectsHooks.RegionRandomPoint = [](const CRegion*, CVector3* out) {
    *out = CVector3{1, 2, 3};
    return true;
  };
  auto* r = reinterpret_cast<CRegion*>(&region);
  g_ParticlePool = pool_.get();
  EXPECT_FALSE(pool_->RainInRegion(r, 199, 10, 9, false, 0));
  EXPECT_FALSE(pool_->RainInRegion(r, 1000, 0, 9, false, 0));
  EXPECT_FALSE(pool_->RainInRegion(r, 1000, -5, 9, false, 0));
  // n = 1000 / 100 = 10 firings: thickened to trunc(33.333 / 10) = 3 copies.
  EXPECT_TRUE(pool_->RainInRegion(r, 1000, 100, 9, true, 0));
  int posted = 0;
  for (int i = 0; i < list.GetCapacity(); ++i)
    if (list.GetEntry(i)->state == TIMED_CALLBACK_ARMED) ++posted;
  EXPECT_EQ(posted, 3);
  // An interval longer than the duration still makes one firing a copy (no division by 0).
  EXPECT_TRUE(pool_->RainInRegion(r, 300, 5000, 9, false, 0));
  for (int i = 0; i < 30; ++i) {
    Step(20);
    list.Update();
  }
  EXPECT_GT(pool_->GetLiveCount(), 0);
  EXPECT_EQ(pool_->GetParticle(0)->Position.y, 2.0f);
  g_ParticlePool = nullptr;
}

TEST_F(ParticlePoolTest, SavedParticlesReadBackToTheSameState) {
  SeedRandomTables(9);
  for (int type : {0, 4, 6, 9, 10, 13, 14, 7, 2}) {
    CParticle* p = pool_->Spawn(CVector3{float(type), 1, 2}, type, nullptr);
    p->Velocity = CVector3{float(type) * 3.0f, 50.0f, -1.0f};
    p->Flags |= PF_MOVING;
  }
  for (int i = 0; i < 30; ++i) {
    Step(16);
    pool_->Update();
  }
  ByteWriter out;
  EXPECT_EQ(pool_->SaveAll(out), 250u);
  EXPECT_EQ(out.Size(), 250u * kParticleRecordBytes);

  CParticlePool copy(g_ParticleTypes, 50000, &clock_);
  ASSERT_TRUE(copy.CreatePools(buffer_.get()));
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(copy.LoadAll(in, 250));
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_EQ(copy.GetLiveCount(), pool_->GetLiveCount());
  auto same = [&](const char* when) {
    for (int i = 0; i < 250; ++i) {
      const CParticle& a = *pool_->GetParticle(i);
      const CParticle& b = *copy.GetParticle(i);
      ASSERT_EQ(a.State == PARTICLE_ALIVE, b.State == PARTICLE_ALIVE) << when << i;
      if (a.State != PARTICLE_ALIVE) continue;
      EXPECT_EQ(a.Type, b.Type) << when << i;
      EXPECT_EQ(a.Flags, b.Flags) << when << i;
      EXPECT_EQ(a.Colour, b.Colour) << when << i;
      EXPECT_EQ(a.Position.x, b.Position.x) << when << i;
      EXPECT_EQ(a.Position.y, b.Position.y) << when << i;
      EXPECT_EQ(a.Size, b.Size) << when << i;
      EXPECT_EQ(a.Frame, b.Frame) << when << i;
      EXPECT_EQ(a.Angle, b.Angle) << when << i;
      EXPECT_EQ(a.SpawnTime, b.SpawnTime) << when << i;
      EXPECT_EQ(a.Lifetime, b.Lifetime) << when << i;
      EXPECT_EQ(a.AlphaScale, b.AlphaScale) << when << i;
    }
  };
  same("loaded ");
  // Both move on alike from the same random draws.
  for (int i = 0; i < 20; ++i) {
    Step(16);
    SeedRandomTables(40 + i);
    pool_->Update();
    SeedRandomTables(40 + i);
    copy.Update();
  }
  same("moved on ");
}

TEST_F(ParticlePoolTest, DamagedSavedRecordsLeaveTheirSlotsFree) {
  pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr);
  pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr);
  pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr);
  pool_->Spawn(CVector3{0, 0, 0}, 9, nullptr);
  ByteWriter out;
  pool_->SaveAll(out);
  out.PatchU32(0 * kParticleRecordBytes + 104, 19);      // type past the table
  out.PatchU32(1 * kParticleRecordBytes + 104, 0xFFFFFFFFu);
  out.PatchU32(2 * kParticleRecordBytes + 108, 7);       // unknown state
  CParticlePool copy(g_ParticleTypes, 50000, &clock_);
  ASSERT_TRUE(copy.CreatePools(buffer_.get()));
  {
    ByteReader in(out.Data().data(), out.Size());
    ASSERT_TRUE(copy.LoadAll(in, 250));
    EXPECT_EQ(copy.GetParticle(0)->State, PARTICLE_FREE);
    EXPECT_EQ(copy.GetParticle(1)->State, PARTICLE_FREE);
    EXPECT_EQ(copy.GetParticle(2)->State, PARTICLE_FREE);
    EXPECT_EQ(copy.GetParticle(3)->State, PARTICLE_ALIVE);
    EXPECT_EQ(copy.GetLiveCount(), 1);
  }
  {
    // Cut short: what was whole is kept, the load reports the damage.
    ByteReader in(out.Data().data(), 4 * kParticleRecordBytes + 10);
    EXPECT_FALSE(copy.LoadAll(in, 250));
    EXPECT_EQ(copy.GetParticle(3)->State, PARTICLE_ALIVE);
  }
  {
    // More records than slots: the rest are read past.
    CParticlePool small(g_ParticleTypes, 2 * 200, &clock_);
    ASSERT_TRUE(small.CreatePools(buffer_.get()));
    ByteReader in(out.Data().data(), out.Size());
    EXPECT_TRUE(small.LoadAll(in, 250));
    EXPECT_EQ(in.Remaining(), 0u);
  }
}

}  // namespace
}  // namespace effects_test
