#include "world/effects/impact_debris.h"

#include "effects_fixture.h"
#include "foundation/byte_reader.h"
#include "world/effects/effect_pool.h"
#include "world/effects/particle_pool.h"
#include "world/effects/trails.h"
#include "world/environment/env_instance.h"

namespace effects_test {
namespace {

// A floor at y = 0.
int Floor(CEnvInstance*, const CVector3& a, const CVector3& b, std::uint32_t, WorldHit* hit, CVector3* point) {
  if (!(a.y >= 0.0f && b.y < 0.0f)) return 1;
  const float s = a.y / (a.y - b.y);
  const CVector3 at{a.x + (b.x - a.x) * s, 0.0f, a.z + (b.z - a.z) * s};
  *hit = WorldHit{};
  hit->Hit = 1;
  hit->Flags = WHF_POINT;
  hit->WorldPoint = at;
  hit->WorldNormal = {0, 1, 0};
  if (point != nullptr) *point = at;
  return 0;
}

struct CountingLink : ImpactPieceLink {
  int gone = 0;
  CountingLink() {
    OnPieceGone = [](ImpactPieceLink* l) { ++static_cast<CountingLink*>(l)->gone; };
  }
};

class ImpactPiecesTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    ASSERT_TRUE(pieces_.CreatePools(buffer_.get()));
    ASSERT_TRUE(effects_.CreatePools(buffer_.get()));
    ASSERT_TRUE(trails_.CreatePools(buffer_.get()));
    particles_ = std::make_unique<CParticlePool>(g_ParticleTypes, 50000, &clock_);
    ASSERT_TRUE(particles_->CreatePools(buffer_.get()));
    g_ImpactPieces = &pieces_;
    g_EffectPool = &effects_;
    g_Trails = &trails_;
    g_ParticlePool = particles_.get();
    g_EffectsHooks.LineOfSight = &Floor;
    crate_ = Place("Crate", NewBoxTemplate("crate", 30.0f), CVector3{0, 100, 0});
    ASSERT_NE(crate_, nullptr);
  }
  void TearDown() override {
    g_ImpactPieces = nullptr;
    g_EffectPool = nullptr;
    g_Trails = nullptr;
    g_ParticlePool = nullptr;
    EffectsTest::TearDown();
  }
  void Frames(int n, std::uint32_t ms = 10) {
    for (int i = 0; i < n; ++i) {
      Step(ms);
      effects_.Update();
      effects_.RunCallbacks();
      particles_->Update();
    }
  }
  ImpactPieces pieces_;
  CEffectPool effects_;
  Trails trails_;
  std::unique_ptr<CParticlePool> particles_;
  CEnvInstance* crate_ = nullptr;
};

TEST_F(ImpactPiecesTest, AFullPoolEvictsOnlyLowerPrioritiesOfOtherThrows) {
  CountingLink link;
  for (int i = 0; i < 15; ++i) {
    std::uint32_t p = 5;
    ASSERT_NE(pieces_.Take(&p, &link), nullptr);
  }
  pieces_.NextThrow();
  std::uint32_t p = 5;
  EXPECT_EQ(pieces_.Take(&p, nullptr), nullptr);
  EXPECT_EQ(p, 6u);
  ImpactPieceSlot* s = pieces_.Take(&p, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(pieces_.IndexOf(s), 14);  // ties keep the higher index
  EXPECT_EQ(s->Priority, 6u);
  EXPECT_EQ(link.gone, 1);
  EXPECT_EQ(pieces_.GetInUse(), 15);
}

TEST_F(ImpactPiecesTest, PiecesOfOneThrowNeverEvictEachOther) {
  int taken = 0;
  for (int i = 0; i < 20; ++i) {
    std::uint32_t p = 9;
    if (pieces_.Take(&p, nullptr) != nullptr) ++taken;
    EXPECT_EQ(p, 9u);
  }
  EXPECT_EQ(taken, 15);
  // A throw of 20 pieces flies 15.
  pieces_.Reset();
  EXPECT_EQ(pieces_.Throw(crate_, nullptr, 20, 0, false), 15);
}

TEST_F(ImpactPiecesTest, ANinthBouncingPieceStopsTheLowestOneBouncing) {
  ASSERT_EQ(pieces_.Throw(crate_, nullptr, 8, 0, false, 5), 8);
  EXPECT_EQ(pieces_.GetBouncing(), 8);
  ASSERT_EQ(pieces_.Throw(crate_, nullptr, 1, 0, false, 7), 1);
  EXPECT_EQ(pieces_.GetBouncing(), 8);
  ImpactPieceSlot* stopped = pieces_.SlotAt(7);
  EXPECT_EQ(stopped->Bouncing, 0u);
  EXPECT_EQ(stopped->Effect->Flags & EFF_BOUNCES, 0u);
  EXPECT_NE(pieces_.SlotAt(8)->Effect->Flags & EFF_BOUNCES, 0u);
}

TEST_F(ImpactPiecesTest, ThrownPiecesBounceAFewTimesThenLieFlatOnTheFloor) {
  ASSERT_EQ(pieces_.Throw(crate_, nullptr, 6, 0, false), 6);
  std::vector<CEffectInstance*> flights;
  std::vector<ParticleRef> meshes;
  for (int i = 0; i < 6; ++i) {
    flights.push_back(pieces_.SlotAt(i)->Effect);
    meshes.push_back(flights.back()->Particle);
    ASSERT_NE(particles_->Resolve(meshes.back()), nullptr);
    EXPECT_EQ(particles_->Resolve(meshes.back())->Mesh, crate_->Template);
  }
  std::uint32_t mostBounces = 0;
  for (int f = 0; f < 240; ++f) {
    Frames(1);
    for (CEffectInstance* e : flights)
      if (e->State != EFFECT_FREE) mostBounces = std::max(mostBounces, e->Bounces);
  }
  EXPECT_GT(mostBounces, 0u);
  EXPECT_LE(mostBounces, kImpactMaxBounces);
  int lying = 0;
  for (const ParticleRef& r : meshes) {
    CParticle* p = particles_->Resolve(r);
    if (p == nullptr) continue;
    ++lying;
    EXPECT_EQ(p->Flags & PF_SPINNING, 0u);
    EXPECT_EQ(p->Rotation.x, 0.0f);
    EXPECT_EQ(p->Rotation.z, 0.0f);
    EXPECT_GE(p->Position.y, 2.0f);
    EXPECT_LT(p->Position.y, 12.0f);
  }
  EXPECT_EQ(lying, 6);
  EXPECT_EQ(pieces_.GetInUse(), 0);  // every flight ended, every slot went back
  EXPECT_EQ(effects_.GetLiveCount(), 0);
}

TEST_F(ImpactPiecesTest, SavedSlotsReadBack) {
  ASSERT_EQ(pieces_.Throw(crate_, nullptr, 3, 2, false, 4), 3);
  // Piece 1 lands without bouncing: it settles and stops counting as bouncing.
  CEffectInstance* settled = pieces_.SlotAt(1)->Effect;
  settled->Flags &= ~EFF_BOUNCES;
  WorldHit floor{};
  floor.Hit = 1;
  ImpactPieces::OnPieceLanded(settled, &floor);
  ByteWriter out;
  pieces_.SaveAll(out);
  EXPECT_EQ(out.Size(), 15u * kImpactPieceRecordBytes);
  ImpactPieces copy;
  ASSERT_TRUE(copy.CreatePools(buffer_.get()));
  ByteReader in(out.Data().data(), out.Size());
  ASSERT_TRUE(copy.LoadAll(in));
  EXPECT_EQ(copy.GetInUse(), 3);
  EXPECT_EQ(copy.GetBouncing(), 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(copy.SlotAt(i)->Priority, 4u);
    EXPECT_EQ(copy.SlotAt(i)->Owner, 2u);
    EXPECT_EQ(copy.SlotAt(i)->Effect, pieces_.SlotAt(i)->Effect);
  }
  EXPECT_EQ(copy.SlotAt(3)->InUse, 0u);
  ByteReader cut(out.Data().data(), 20);
  EXPECT_FALSE(copy.LoadAll(cut));
}

}  // namespace
}  // namespace effects_test
