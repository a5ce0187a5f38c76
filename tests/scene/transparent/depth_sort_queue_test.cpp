// The transparent queue: buckets by distance, far-to-near drawing read back
// in pixels, alpha-tested items, a full frame block, empty frames and trail
// strips.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "render/textures/material_list.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/scene_draw_fixture.h"

namespace {

using Queue = DrawScene;

// A square polygon of half-size s at depth z (world space).
struct Square {
  explicit Square(float z, float s = 1000.0f)
      : points{CVector3{-s, -s, z}, CVector3{-s, s, z}, CVector3{s, s, z}, CVector3{s, -s, z}}, polygon{4, points} {}
  CVector3 points[4];
  FlatPolygon polygon;
};

TEST_F(Queue, BucketIsTheDistanceOverTheFarDistance) {
  // The fast inverse square root stays within one bucket of the exact distance.
  const CVector3 points[] = {{0, 0, 0.5f}, {0, 0, 100}, {30, 40, 0}, {-123.4f, 56.7f, 890.1f}, {0, 999.5f, 0},
                             {0, 0, 1000}, {700, 700, 700}, {0, -1e6f, 0}};
  for (const CVector3& p : points) {
    const float exact = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z) / 1000.0f * 1000.0f;
    const std::uint32_t bucket = queue_.BucketOf(p);
    // One Newton step leaves under 0.2 % of error.
    EXPECT_NEAR(static_cast<double>(bucket), std::floor(exact), 1.0 + 0.002 * exact) << p.x << " " << p.y << " " << p.z;
  }
  // The camera's own position is bucket 0; the result follows the camera.
  EXPECT_EQ(queue_.BucketOf({0, 0, 0}), 0u);
  camera_->SetView({0, 0, 500}, {0, 0, 0});
  EXPECT_EQ(queue_.BucketOf({0, 0, 500}), 0u);
  EXPECT_NEAR(static_cast<double>(queue_.BucketOf({0, 0, 0})), 500.0, 1.0);
}

TEST_F(Queue, InsertClampsAndKeepsTheUsedRange) {
  DepthSortItem a{DSK_SHADOW_VOLUME, nullptr}, b{DSK_SHADOW_VOLUME, nullptr}, c{DSK_SHADOW_VOLUME, nullptr};
  EXPECT_EQ(queue_.Insert(5, &a), 5u);
  EXPECT_EQ(queue_.Insert(5000, &b), 999u);
  EXPECT_EQ(queue_.Insert(static_cast<std::uint32_t>(-3), &c), 999u) << "a negative index lands in the last bucket";
  EXPECT_EQ(queue_.Lowest, 5u);
  EXPECT_EQ(queue_.Highest, 999u);
  EXPECT_EQ(queue_.Buckets[999], &c);
  EXPECT_EQ(c.Next, &b);
  queue_.Clear();
  EXPECT_EQ(queue_.Buckets[5], nullptr);
  EXPECT_EQ(queue_.Buckets[999], nullptr);
  EXPECT_EQ(queue_.Lowest, 1000u);
  EXPECT_EQ(queue_.Highest, 0u);
  EXPECT_EQ(queue_.Cursor, queue_.Base);
}

TEST_F(Queue, OverlappingBlendedQuadsDrawFarToNearWhateverTheOrderQueued) {
  // Red, green and blue at half alpha, near to far: far to near gives
  // blue, then green over it, then red: (1/2, 1/4, 1/8) of full.
  const auto white = Texture(0xFFFFFFFF, false);
  CMaterial material;
  Square squares[3] = {Square(100.0f), Square(200.0f), Square(300.0f)};
  const std::uint32_t colours[3] = {0x80FF0000, 0x8000FF00, 0x800000FF};
  std::array<int, 3> order = {0, 1, 2};
  do {
    queue_.Clear();
    for (int k : order) {
      auto* item = queue_.AllocItem<FlatPolygonItem>(DSK_FLAT_POLYGON);
      ASSERT_NE(item, nullptr);
      item->BlendMode = 3;
      item->Polygon = &squares[k].polygon;
      item->Material = &material;
      item->Texture = white.get();
      item->Colour = colours[k];
      item->CullMode = D3DCULL_NONE;
      queue_.Insert(queue_.BucketOf({0, 0, squares[k].points[0].z}), item);
    }
    ClearScreen(0xFF000000);
    s_Render->BeginScene();
    s_Render->SetZWrite(0);
    queue_.Draw();
    s_Render->EndScene();
    s_Render->SetZWrite(1);
    const D3DCOLOR c = Centre();
    const std::string trace = std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]);
    EXPECT_NEAR(Channel(c, 16), 128, 3) << trace;
    EXPECT_NEAR(Channel(c, 8), 64, 3) << trace;
    EXPECT_NEAR(Channel(c, 0), 32, 3) << trace;
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Queue, SameBucketDrawsTheLastInsertedFirst) {
  // Two opaque quads in one bucket: the one drawn last covers the other.
  const auto white = Texture(0xFFFFFFFF, false);
  CMaterial material;
  Square square(150.0f);
  for (const bool redFirst : {true, false}) {
    queue_.Clear();
    for (int k = 0; k < 2; ++k) {
      auto* item = queue_.AllocItem<FlatPolygonItem>(DSK_FLAT_POLYGON);
      item->BlendMode = 3;
      item->Polygon = &square.polygon;
      item->Material = &material;
      item->Texture = white.get();
      item->Colour = (k == 0) == redFirst ? 0xFFFF0000 : 0xFF00FF00;
      item->CullMode = D3DCULL_NONE;
      queue_.Insert(150, item);
    }
    ClearScreen(0xFF000000);
    s_Render->BeginScene();
    queue_.Draw();
    s_Render->EndScene();
    // Inserted first is drawn last and shows.
    EXPECT_EQ(Channel(Centre(), 16), redFirst ? 255 : 0);
    EXPECT_EQ(Channel(Centre(), 8), redFirst ? 0 : 255);
  }
}

TEST_F(Queue, AlphaTestedMeshItemsRejectTexelsInsteadOfBlendingThem) {
  // A transparent part is queued; drawn by the queue, a texel below the
  // alpha reference leaves the background exactly as it was, while one
  // above it is blended by its alpha.
  // The part sits at the origin of its instance, placed 200 in front of the eye.
  CVertexBuffer part;
  MakeQuadPart(part, 100.0f, 0.0f);
  CMatrix world;
  world.SetIdentity();
  world.SetTranslationXYZ(0.0f, 0.0f, 200.0f);
  for (const DWORD alpha : {10u, 200u}) {
    s_Render->SetWorldMatrix(world);
    const auto texture = Texture((alpha << 24) | 0xFF0000, true);
    part.Texture = texture.get();
    queue_.Clear();
    part.Draw(nullptr, nullptr);
    ASSERT_NE(queue_.Buckets[200], nullptr) << "a part whose texture has alpha is queued";
    ClearScreen(0xFF00FF00);
    s_Render->BeginScene();
    Record();
    queue_.Draw();
    s_Render->EndScene();
    const D3DCOLOR c = Centre();
    if (alpha < kMeshAlphaRef) {
      EXPECT_EQ(c & 0xFFFFFF, 0x00FF00u) << "rejected by the alpha test, not blended";
    } else {
      EXPECT_NEAR(Channel(c, 16), 200, 3);
      EXPECT_NEAR(Channel(c, 8), 55, 3);
    }
    EXPECT_EQ(DeviceState(D3DRS_ALPHATESTENABLE), 0u) << "alpha test off after the item";
    EXPECT_EQ(DeviceState(D3DRS_ZWRITEENABLE), 0u) << "depth writes off after the item";
    part.Texture = nullptr;
  }
}

class SmallBlockQueue : public DrawScene {
 protected:
  std::uint32_t BlockBytes() const override { return 3 * sizeof(FlatPolygonItem) + 4; }
};

TEST_F(SmallBlockQueue, AFullBlockDropsLaterItemsAndDrawsTheEarlierOnes) {
  const auto white = Texture(0xFFFFFFFF, false);
  CMaterial material;
  Square squares[4] = {Square(100.0f, 50.0f), Square(200.0f, 1000.0f), Square(300.0f, 1000.0f),
                       Square(400.0f, 1000.0f)};
  int made = 0;
  for (Square& s : squares) {
    auto* item = queue_.AllocItem<FlatPolygonItem>(DSK_FLAT_POLYGON);
    if (item == nullptr) continue;
    ++made;
    item->BlendMode = 3;
    item->Polygon = &s.polygon;
    item->Material = &material;
    item->Texture = white.get();
    item->Colour = 0xFF0000FF;
    item->CullMode = D3DCULL_NONE;
    queue_.Insert(queue_.BucketOf({0, 0, s.points[0].z}), item);
  }
  EXPECT_EQ(made, 3);
  EXPECT_EQ(queue_.Dropped, 1u);
  Record();
  s_Render->BeginScene();
  queue_.Draw();
  s_Render->EndScene();
  EXPECT_EQ(Calls("DrawPrimitiveUP").size(), 3u);
  // The next frame has the whole block again.
  queue_.Clear();
  EXPECT_NE(queue_.Alloc(sizeof(FlatPolygonItem)), nullptr);
  EXPECT_EQ(queue_.Dropped, 0u);
}

// The frame block of a level holds at least 65,536 / n items of each kind,
// n being the kind's item size in the 32-bit layout the block was sized for
// (1092 mesh parts, 2340 shadow volumes, ...).
TEST_F(Queue, TheFrameBlockHoldsTheItemsOfEveryKindItWasSizedFor) {
  struct Case {
    const char* kind;
    std::uint32_t referenceBytes;
    std::uint32_t itemBytes;
  } cases[] = {
      {"glow sprite", 40, sizeof(GlowSpriteItem)},
      {"billboard", 40, sizeof(BillboardItem)},
      {"rotated billboard", 44, sizeof(RotatedBillboardItem)},
      {"flat polygon", 36, sizeof(FlatPolygonItem)},
      {"mesh part with its light selection", 60, sizeof(MeshPartItem) + sizeof(PixelLightSelection)},
      {"trail point", 44, sizeof(TrailPointItem)},
      {"shrub batch", 24, sizeof(ShrubBatchItem)},
      {"shadow volume", 28, sizeof(ShadowVolumeItem)},
      {"vertex-animated mesh", 40, sizeof(VertexAnimItem)},
  };
  EXPECT_EQ(queue_.BlockBytes, kDepthSortBlockBytes);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    queue_.Clear();
    std::uint32_t held = 0;
    while (queue_.Alloc(c.itemBytes) != nullptr) ++held;
    EXPECT_GE(held, 65536u / c.referenceBytes);
    EXPECT_EQ(queue_.Dropped, 1u);
  }
  // The level's pools take the block from the level buffer.
  EXPECT_EQ(static_cast<std::uint32_t>(queue_.End - queue_.Base), kDepthSortBlockBytes);
}

// An item that fits the block exactly is taken; the next one is refused.
class ExactBlockQueue : public DrawScene {
 protected:
  std::uint32_t BlockBytes() const override { return 3 * sizeof(GlowSpriteItem); }
};

TEST_F(ExactBlockQueue, AnItemThatFillsTheBlockExactlyIsTaken) {
  for (int k = 0; k < 3; ++k) EXPECT_NE(queue_.AllocItem<GlowSpriteItem>(DSK_GLOW_SPRITE), nullptr) << k;
  EXPECT_EQ(queue_.Cursor, queue_.End);
  EXPECT_EQ(queue_.AllocItem<GlowSpriteItem>(DSK_GLOW_SPRITE), nullptr);
  EXPECT_EQ(queue_.Dropped, 1u);
}

// Trail points beyond the fog start fade by the fog's ramp; nearer ones and
// points pinned to the far plane keep their alpha.
TEST_F(Queue, TrailPointsBeyondTheFogStartFade) {
  DWORD colour;
  float start, end, density;
  s_Render->GetFog(&colour, &start, &end, &density);
  s_Render->SetFogValues(colour, 500.0f, 1000.0f, density);  // start ratio 0.5, scale 2
  struct Case {
    float depth;
    std::uint32_t flags;
    int alpha;
  } cases[] = {{300.0f, 0, 255}, {800.0f, 0, 102}, {800.0f, kTrailFarPlane, 255}, {950.0f, 0, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.depth << " flags " << c.flags);
    queue_.Clear();
    TrailPointItem* points[2];
    for (int k = 0; k < 2; ++k) {
      points[k] = queue_.AllocItem<TrailPointItem>(DSK_TRAIL_POINT);
      ASSERT_NE(points[k], nullptr);
      points[k]->Flags = c.flags;
      points[k]->Colour = 0xFFFFFFFF;
      points[k]->Position = CVector3{-50.0f + 100.0f * k, 0.0f, c.depth};
      points[k]->HalfWidth = 10.0f;
      points[k]->NextPoint = nullptr;
    }
    points[0]->NextPoint = points[1];
    queue_.InsertChain(points[0]);
    // The depth comes from one Newton step: the bucket within 2 %, the alpha with it.
    EXPECT_NEAR(static_cast<int>(points[0]->Colour >> 24), c.alpha, 8);
    EXPECT_EQ(points[0]->Colour & 0xFFFFFF, 0xFFFFFFu) << "only the alpha fades";
  }
  s_Render->SetFogValues(colour, start, end, density);
}

TEST_F(Queue, AnEmptyFrameDrawsNothingAndLeavesTheStatesAlone) {
  queue_.Clear();
  Record();
  queue_.Draw();
  EXPECT_TRUE(CallNames().empty());
  // Without pools (before a level) nothing is drawn or cleared either.
  queue_.FreePools();
  DepthSortItem item{DSK_SHADOW_VOLUME, nullptr};
  queue_.Insert(3, &item);
  queue_.Clear();
  queue_.Draw();
  EXPECT_TRUE(CallNames().empty());
  EXPECT_EQ(queue_.Alloc(4), nullptr);
}

TEST_F(Queue, TrailStripsTaperToNothingAtBothEnds) {
  for (const int points : {2, 3, 4}) {
    queue_.Clear();
    TrailPointItem* first = nullptr;
    TrailPointItem* last = nullptr;
    for (int k = 0; k < points; ++k) {
      auto* p = queue_.AllocItem<TrailPointItem>(DSK_TRAIL_POINT);
      ASSERT_NE(p, nullptr);
      p->Flags = 0;
      p->Colour = 0xFFFFFFFF;
      p->Position = CVector3{-100.0f + 60.0f * k, 10.0f * k, 300.0f};
      p->HalfWidth = 20.0f;
      p->NextPoint = nullptr;
      (last != nullptr ? last->NextPoint : first) = p;
      last = p;
    }
    queue_.InsertChain(first);
    int k = 0;
    for (TrailPointItem* p = first; p != nullptr; p = p->NextPoint, ++k) {
      const float width = std::hypot(p->OffsetX, p->OffsetY);
      if (k == 0 || k == points - 1)
        EXPECT_EQ(width, 0.0f) << points << " points, end " << k;
      else
        EXPECT_GT(width, 0.0f) << points << " points, point " << k;
      // Screen coordinates run 0..2; the reciprocal depth is about 1 / 300.
      EXPECT_GT(p->Position.x, 0.0f);
      EXPECT_LT(p->Position.x, 2.0f);
      EXPECT_NEAR(p->HalfWidth, 1.0f / 300.0f, 1e-4f);
    }
    // Depth from one Newton step of the reciprocal: within 2 %.
    EXPECT_NEAR(static_cast<double>(queue_.Lowest), 300.0, 6.0);
    // Drawn: one quad per point that has a successor.
    Record();
    s_Render->BeginScene();
    queue_.Draw();
    s_Render->EndScene();
    EXPECT_EQ(Calls("DrawPrimitiveUP").size(), static_cast<std::size_t>(points - 1));
  }
}

}  // namespace
