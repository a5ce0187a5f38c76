// Decals: projection and clipping onto mesh parts, projected texture
// coordinates, the ring of finished decals and fading.
#include "scene/decals/decals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/time/timer.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"

using namespace geom;

namespace {

// A quad of two triangles from corner a along edges e1 and e2, normal n.
struct Quad {
  RenderVertex v[4];
  std::uint16_t i[6] = {0, 1, 2, 0, 2, 3};
  Quad(CVector3 a, CVector3 e1, CVector3 e2, CVector3 n) {
    const CVector3 p[4] = {a, a + e1, a + e1 + e2, a + e2};
    for (int k = 0; k < 4; ++k) v[k] = {p[k].x, p[k].y, p[k].z, n.x, n.y, n.z, 0xFFFFFFFF, 0, 0};
  }
  DecalMeshSource Source() const { return {v, 4, i, 6}; }
};

CMatrix Identity() {
  CMatrix m;
  m.SetIdentity();
  return m;
}

const float kWhite[4] = {1, 1, 1, 1};

class Decals : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTime(0);
    ASSERT_TRUE(decals_.CreatePools(nullptr));
  }
  void SetTime(std::uint32_t ms) {
    CTimer::State s{};
    clock_.SaveState(&s);
    s.gameTime = ms;
    clock_.RestoreState(s);
  }
  CTimer clock_;
  CDecals decals_{&clock_, false};
};

// Every vertex of the part, carried into world space by its matrix.
std::vector<CVector3> WorldPoints(const DecalPart& p) {
  std::vector<CVector3> out;
  for (int i = 0; i < p.VertexCount; ++i) {
    CVector3 w;
    p.World.TransformPoint({p.Vertices[i].x, p.Vertices[i].y, p.Vertices[i].z}, &w);
    out.push_back(w);
  }
  return out;
}

TEST_F(Decals, ADecalOnACornerIsClippedToBothWalls) {
  // Two walls meeting along the y axis: one in the plane x = 0 facing +x,
  // one in the plane z = 0 facing +z, each 400 x 200.
  const Quad wallX({0, 0, 0}, {0, 200, 0}, {0, 0, 400}, {1, 0, 0});
  const Quad wallZ({0, 0, 0}, {400, 0, 0}, {0, 200, 0}, {0, 0, 1});
  DecalProjector projector;
  projector.Set({15, 100, 15}, {-1, 0, -1}, 40.0f, 60.0f, 0.0f);
  decals_.Begin(projector, 40.0f, 0.0f, 1.0f);
  ASSERT_TRUE(decals_.AddPart(wallX.Source(), Identity(), nullptr, nullptr, nullptr, kWhite, false));
  ASSERT_TRUE(decals_.AddPart(wallZ.Source(), Identity(), nullptr, nullptr, nullptr, kWhite, false));
  Decal* decal = decals_.Finish();
  ASSERT_NE(decal, nullptr);
  ASSERT_NE(decal->Parts, nullptr);
  ASSERT_NE(decal->Parts->Next, nullptr);
  EXPECT_EQ(decal->Parts->Next->Next, nullptr);

  const DecalPart* parts[2] = {decal->Parts, decal->Parts->Next};
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    const DecalPart& p = *parts[k];
    EXPECT_GE(p.IndexCount, 3);
    EXPECT_EQ(p.IndexCount % 3, 0);
    float lowY = 1e9f, highY = -1e9f, far = 0.0f;
    for (const CVector3& w : WorldPoints(p)) {
      // On its own wall, inside the projector's square.
      EXPECT_NEAR(k == 0 ? w.x : w.z, 0.0f, 1e-3f);
      EXPECT_LE(std::fabs(Dot(w - projector.Position(), projector.Right())), 40.0f + 1e-2f);
      EXPECT_LE(std::fabs(Dot(w - projector.Position(), projector.Up())), 40.0f + 1e-2f);
      lowY = std::fmin(lowY, w.y);
      highY = std::fmax(highY, w.y);
      far = std::fmax(far, k == 0 ? w.z : w.x);
    }
    // Clipped out of a wall 200 high and 400 wide.
    EXPECT_NEAR(lowY, 60.0f, 0.05f);
    EXPECT_NEAR(highY, 140.0f, 0.05f);
    EXPECT_LT(far, 80.0f);
    EXPECT_GT(far, 20.0f);
    for (int i = 0; i < p.IndexCount; ++i) EXPECT_LT(p.Indices[i], p.VertexCount);
  }
}

TEST_F(Decals, TextureCoordinatesFollowTheProjector) {
  // A floor under a projector looking straight down, the part owned by an
  // instance moved by its world matrix: UVs come from world positions.
  const Quad floor({-50, 0, -50}, {0, 0, 100}, {100, 0, 0}, {0, 1, 0});
  CMatrix world = Identity();
  world.SetTranslationXYZ(1000, 0, 0);
  DecalProjector projector;
  projector.Set({1005, 10, 3}, {0, -1, 0}, 10.0f, 20.0f, 30.0f);
  decals_.Begin(projector, 10.0f, 0.0f, 1.0f);
  ASSERT_TRUE(decals_.AddPart(floor.Source(), world, nullptr, nullptr, nullptr, kWhite, true));
  Decal* decal = decals_.Finish();
  ASSERT_NE(decal, nullptr);
  const DecalPart& p = *decal->Parts;
  int corners = 0;
  const std::vector<CVector3> points = WorldPoints(p);
  for (int i = 0; i < p.VertexCount; ++i) {
    const CVector3& w = points[static_cast<std::size_t>(i)];
    EXPECT_NEAR(w.y, 0.0f, 1e-3f);
    const CVector3 d = w - projector.Position();
    const float x = Dot(d, projector.Right()), y = Dot(d, projector.Up());
    const float u = ((x + 10.0f) / 20.0f - 0.5f) * 0.9f + 0.5f;
    const float v = ((1.0f - (y + 10.0f) / 20.0f) - 0.5f) * 0.9f + 0.5f;
    EXPECT_NEAR(p.Vertices[i].u, u, 1e-4f);
    EXPECT_NEAR(p.Vertices[i].v, v, 1e-4f);
    EXPECT_GE(p.Vertices[i].u, 0.05f - 1e-4f);
    EXPECT_LE(p.Vertices[i].u, 0.95f + 1e-4f);
    corners += std::fabs(std::fabs(p.Vertices[i].u - 0.5f) - 0.45f) < 1e-3f &&
               std::fabs(std::fabs(p.Vertices[i].v - 0.5f) - 0.45f) < 1e-3f;
    EXPECT_EQ(p.Vertices[i].Colour, 0xFFFFFFFFu);
  }
  EXPECT_EQ(corners, 4) << "the floor is cut exactly to the projector's square";
  // The roll turns the square: its right axis is no longer along x or z.
  EXPECT_GT(std::fabs(projector.Right().x), 0.1f);
  EXPECT_GT(std::fabs(projector.Right().z), 0.1f);
}

TEST_F(Decals, NothingInTheVolumeLeavesNothingInTheRing) {
  const Quad farWall({500, 0, 0}, {0, 100, 0}, {0, 0, 100}, {1, 0, 0});
  const Quad backFacing({0, -50, 10}, {0, 100, 0}, {0, 0, -20}, {-1, 0, 0});
  DecalProjector projector;
  projector.Set({0, 0, 0}, {-1, 0, 0}, 20.0f, 20.0f, 0.0f);
  decals_.Begin(projector, 20.0f, 0.0f, 1.0f);
  EXPECT_FALSE(decals_.AddPart(farWall.Source(), Identity(), nullptr, nullptr, nullptr, kWhite, false));
  EXPECT_EQ(decals_.Finish(), nullptr);
  EXPECT_EQ(decals_.DecalCount(), 0);
  // Switched off by the detail setting: nothing is made.
  const Quad wall({-5, -50, -50}, {0, 100, 0}, {0, 0, 100}, {1, 0, 0});
  decals_.SetDecalsOn(false);
  decals_.Begin(projector, 20.0f, 0.0f, 1.0f);
  EXPECT_FALSE(decals_.AddPart(wall.Source(), Identity(), nullptr, nullptr, nullptr, kWhite, false));
  decals_.SetDecalsOn(true);
  decals_.Begin(projector, 20.0f, 0.0f, 1.0f);
  EXPECT_TRUE(decals_.AddPart(wall.Source(), Identity(), nullptr, nullptr, nullptr, kWhite, false));
  EXPECT_NE(decals_.Finish(), nullptr);
  EXPECT_EQ(decals_.DecalCount(), 1);
  decals_.Clear();
  EXPECT_EQ(decals_.DecalCount(), 0);
}

TEST_F(Decals, OldDecalsLeaveTheRingInOrder) {
  // A finely divided wall makes each decal a few kilobytes.
  std::vector<RenderVertex> vertices;
  std::vector<std::uint16_t> indices;
  for (int y = 0; y <= 10; ++y)
    for (int z = 0; z <= 10; ++z)
      vertices.push_back({0, y * 10.0f, z * 10.0f, 1, 0, 0, 0xFFFFFFFF, 0, 0});
  for (int y = 0; y < 10; ++y)
    for (int z = 0; z < 10; ++z) {
      const std::uint16_t a = static_cast<std::uint16_t>(y * 11 + z), b = static_cast<std::uint16_t>(a + 1),
                          c = static_cast<std::uint16_t>(a + 12), d = static_cast<std::uint16_t>(a + 11);
      for (std::uint16_t k : {a, d, c, a, c, b}) indices.push_back(k);  // facing +x
    }
  const DecalMeshSource wall{vertices.data(), static_cast<int>(vertices.size()), indices.data(),
                             static_cast<int>(indices.size())};
  DecalProjector projector;
  projector.Set({10, 50, 50}, {-1, 0, 0}, 45.0f, 20.0f, 0.0f);
  std::vector<float> made;
  for (int k = 1; k <= 60; ++k) {
    decals_.Begin(projector, static_cast<float>(k), 0.0f, 1.0f);
    ASSERT_TRUE(decals_.AddPart(wall, Identity(), nullptr, nullptr, nullptr, kWhite, false));
    ASSERT_NE(decals_.Finish(), nullptr);
    made.push_back(static_cast<float>(k));
  }
  const int kept = decals_.DecalCount();
  ASSERT_GT(kept, 1);
  ASSERT_LT(kept, 60) << "the ring is full long before 60 decals";
  // What is left is the newest, oldest first, with no gap.
  for (int i = 0; i < kept; ++i) EXPECT_EQ(decals_.GetDecal(i)->Size, made[static_cast<std::size_t>(60 - kept + i)]);
}

TEST_F(Decals, FadingDecalsDimAfterTheirDelayAndGoOff) {
  const Quad wall({0, -50, -50}, {0, 100, 0}, {0, 0, 100}, {1, 0, 0});
  DecalProjector projector;
  projector.Set({5, 0, 0}, {-1, 0, 0}, 10.0f, 10.0f, 0.0f);
  SetTime(1000);
  const float red[4] = {1, 0, 0, 0.8f};
  decals_.Begin(projector, 10.0f, 0.0f, 1.0f);
  ASSERT_TRUE(decals_.AddPart(wall.Source(), Identity(), nullptr, nullptr, nullptr, red, false));
  Decal* decal = decals_.Finish();
  ASSERT_NE(decal, nullptr);
  EXPECT_FLOAT_EQ(decal->CreationTime, 1.0f);
  decals_.SetFade(decal, 5.0f, 2.0f);
  auto alpha = [&] { return decal->Parts->Vertices[0].Colour >> 24; };
  const std::uint32_t full = alpha();
  EXPECT_EQ(full, static_cast<std::uint32_t>(0.8f * 255.0f));
  decals_.Advance(1.0f + 4.9f, 0.1f);
  EXPECT_EQ(alpha(), full) << "fully visible until the delay is over";
  decals_.Advance(1.0f + 6.0f, 0.1f);
  EXPECT_EQ(alpha(), static_cast<std::uint32_t>(0.5f * 0.8f * 255.0f)) << "half transparent half-way";
  EXPECT_EQ(decal->Parts->Vertices[0].Colour & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(decal->InUse, 1u);
  decals_.Advance(1.0f + 7.0f, 0.1f);
  EXPECT_EQ(decal->InUse, 0u) << "off from the end of the fade";
  EXPECT_EQ(decals_.DecalCount(), 1) << "an off decal stays in the ring";
}

TEST_F(Decals, PartsOnARemovedInstanceAreSwitchedOff) {
  const Quad wall({0, -50, -50}, {0, 100, 0}, {0, 0, 100}, {1, 0, 0});
  CEnvInstance a, b;
  DecalProjector projector;
  projector.Set({5, 0, 0}, {-1, 0, 0}, 10.0f, 10.0f, 0.0f);
  decals_.Begin(projector, 10.0f, 0.0f, 1.0f);
  ASSERT_TRUE(decals_.AddPart(wall.Source(), Identity(), &a, nullptr, nullptr, kWhite, false));
  ASSERT_TRUE(decals_.AddPart(wall.Source(), Identity(), &b, nullptr, nullptr, kWhite, false));
  Decal* decal = decals_.Finish();
  ASSERT_NE(decal, nullptr);
  decals_.ForgetInstance(&a);
  EXPECT_EQ(decal->Parts->Enabled, 0);
  EXPECT_EQ(decal->Parts->Next->Enabled, 1);
  decals_.SetEnabled(decal, false);
  EXPECT_EQ(decal->Parts->Next->Enabled, 0);
  EXPECT_EQ(decal->InUse, 0u);
}

}  // namespace
