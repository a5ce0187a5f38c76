// The glass set at play: a shattered pane becomes a fan of shards plus its
// splits (as many as the pool allows) that cover the pane; shards fly off to
// the side they were pushed to, fall and are freed at a slow bounce; blasts
// shatter the panes within their radius; the set queues what is to be seen.
#include "world/glass/glazier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "render/geometry/geometry_ops.h"
#include "render/textures/texture.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_text_cursor.h"
#include "world/glass/glass_fixture.h"

namespace {

using glass_fixture::PaneShape;

// A glazier of `shards` shards holding the panes.
std::unique_ptr<CGlazier> Glazier(const std::vector<PaneShape>& panes, int shards = kGlassLevelShards) {
  auto glass = std::make_unique<CGlazier>(shards);
  EXPECT_TRUE(glass->MakeShards());
  const std::string text = glass_fixture::SectionText(panes);
  EnvTextCursor cursor(text.c_str());
  EXPECT_EQ(glass->ReadText(cursor, kGlassVersionCurrent, GlassModules{}), 1);
  return glass;
}

PaneShape WithSplits(PaneShape entry, int splits) {
  entry.splits[1] = splits;
  return entry;
}

// Area of the shard's triangle in plane coordinates.
float Area(const GlassShard& s) {
  const float* a = s.Corners[0];
  const float* b = s.Corners[1];
  const float* c = s.Corners[2];
  return 0.5f * std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]));
}

TEST(Glazier, AShatteredPaneBecomesItsFanAndItsSplitsAsFarAsThePoolGoes) {
  struct Case {
    PaneShape pane;
    int splits;
    int pool;
    int shards;
  };
  const Case cases[] = {
      {glass_fixture::Triangle(), 0, 400, 3}, {glass_fixture::Triangle(), 5, 400, 8},
      {glass_fixture::Window(), 2, 400, 6},   {glass_fixture::Window(), 0, 3, 3},
      {glass_fixture::Window(), 9, 6, 6},     {glass_fixture::Triangle(), -4, 400, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pane.points.size() << " points, " << c.splits << " splits, pool " << c.pool);
    SeedRandomTables(1);
    auto glass = Glazier({WithSplits(c.pane, c.splits)}, c.pool);
    glass->Shatter(0, kGlassSideFront, nullptr);
    EXPECT_EQ(glass->GetPane(0)->State, GLASS_SHATTERED_FRONT);
    EXPECT_EQ(glass->LiveShards(), c.shards);
    // With the pool large enough the shards cover the pane exactly.
    if (c.pool == 400) {
      const float paneArea = c.pane.points.size() == 3 ? 5000.0f : 10000.0f;
      float area = 0.0f;
      for (int i = 0; i < glass->GetShardCount(); ++i)
        if (glass->GetShard(i)->Owner == 0) area += Area(*glass->GetShard(i));
      EXPECT_NEAR(area, paneArea, 0.5f);
    }
  }
}

TEST(Glazier, ShardsStartWhereTheirPieceOfThePaneWas) {
  SeedRandomTables(3);
  auto glass = Glazier({WithSplits(glass_fixture::Window(), 4)});
  const GlassPane& pane = *glass->GetPane(0);
  const CVector3 impact{30, 170, 25};  // off the plane: brought onto it
  glass->Shatter(0, kGlassSideBack, &impact);
  EXPECT_EQ(pane.State, GLASS_SHATTERED_BACK);
  int fanCorners = 0;
  for (int i = 0; i < glass->GetShardCount(); ++i) {
    const GlassShard& s = *glass->GetShard(i);
    if (s.Owner != 0) continue;
    CVector3 corners[3];
    s.WorldCorners(corners);
    for (const CVector3& p : corners) {
      EXPECT_NEAR(p.z, 0.0f, 1e-3f);
      EXPECT_GE(p.x, -1e-3f);
      EXPECT_LE(p.x, 100.001f);
      EXPECT_GE(p.y, 99.999f);
      EXPECT_LE(p.y, 200.001f);
      fanCorners += std::fabs(p.x - 30.0f) < 1e-3f && std::fabs(p.y - 170.0f) < 1e-3f ? 1 : 0;
    }
    // The origin is the corners' average.
    EXPECT_NEAR(s.Corners[0][0] + s.Corners[1][0] + s.Corners[2][0], 0.0f, 1e-3f);
    EXPECT_NEAR(s.Corners[0][1] + s.Corners[1][1] + s.Corners[2][1], 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(s.FallSpeed, 0.0f);
    for (float spin : s.Spin) {
      EXPECT_GE(spin, -180.0f);
      EXPECT_LE(spin, 180.0f);
    }
    // Pushed to the back: against the normal, by up to the back push speed.
    EXPECT_LE(s.PushFactor, 0.0f);
    EXPECT_GE(s.PushFactor, -120.0f);
  }
  // Every piece keeps the impact point as its first corner.
  EXPECT_EQ(fanCorners, glass->LiveShards());
}

TEST(Glazier, AShardMeshIsEighteenVerticesOfThePaneColourAndThickness) {
  auto glass = Glazier({glass_fixture::Triangle()});
  glass->Shatter(0, kGlassSideFront, nullptr);
  GlassShard& s = const_cast<GlassShard&>(*glass->GetShard(0));
  ASSERT_EQ(s.Owner, 0);
  EXPECT_EQ(s.Mesh.VertexCount, 18u);
  EXPECT_EQ(s.Mesh.PrimitiveCount, 8u);
  std::uint16_t* indices = s.Mesh.LockIndices();
  ASSERT_NE(indices, nullptr);
  const std::vector<std::uint16_t> got(indices, indices + 24);
  s.Mesh.UnlockIndices();
  EXPECT_EQ(got, std::vector<std::uint16_t>(kGlassShardIndices, kGlassShardIndices + 24));
  const RenderVertex* v = s.Mesh.LockVertices();
  ASSERT_NE(v, nullptr);
  const std::uint32_t colour = glass->GetPane(0)->ColourWord();
  EXPECT_EQ(colour, 0x3F7FBFFFu);  // alpha 0.25, red 0.5, green 0.75, blue 1
  for (int k = 0; k < 18; ++k) EXPECT_EQ(v[k].Colour, colour) << k;
  for (int k = 0; k < 3; ++k) {
    EXPECT_FLOAT_EQ(v[k].x, s.Corners[k][0]);
    EXPECT_FLOAT_EQ(v[k].z, 0.0f);
    EXPECT_FLOAT_EQ(v[3 + k].z, 2.0f);  // the back face at the thickness
  }
  // Each side quad's normal lies in the plane and points away from the middle.
  for (int side = 0; side < 3; ++side) {
    const RenderVertex& q = v[6 + 4 * side];
    EXPECT_FLOAT_EQ(q.nz, 0.0f);
    EXPECT_GT(q.nx * (v[6 + 4 * side].x + v[7 + 4 * side].x) + q.ny * (v[6 + 4 * side].y + v[7 + 4 * side].y), 0.0f);
  }
  s.Mesh.UnlockVertices();
}

TEST(Glazier, WithEveryShardFlyingAHitRemovesThePaneButMakesNoShards) {
  auto glass = Glazier({glass_fixture::Window(), glass_fixture::Window()}, 4);
  glass->Shatter(0, kGlassSideFront, nullptr);
  EXPECT_EQ(glass->LiveShards(), 4);
  glass->Shatter(1, kGlassSideFront, nullptr);
  EXPECT_EQ(glass->GetPane(1)->State, GLASS_SHATTERED_FRONT);
  EXPECT_EQ(glass->LiveShards(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(glass->GetShard(i)->Owner, 0);
  // A pane no longer intact, an empty slot or a bad index shatters no more.
  glass->Shatter(0, kGlassSideBack, nullptr);
  EXPECT_EQ(glass->GetPane(0)->State, GLASS_SHATTERED_FRONT);
  glass->Shatter(5, kGlassSideFront, nullptr);
  glass->Shatter(-1, kGlassSideFront, nullptr);
  glass->Shatter(kGlassMaxPanes, kGlassSideFront, nullptr);
  EXPECT_EQ(glass->GetPane(5)->State, GLASS_EMPTY);
}

TEST(Glazier, ShardsFlyToTheirSideFallAndAreFreedOnTheFloor) {
  for (int side : {kGlassSideFront, kGlassSideBack}) {
    SCOPED_TRACE(side);
    SeedRandomTables(7);
    auto glass = Glazier({WithSplits(glass_fixture::Window(), 12)});
    glass->Shatter(0, side, nullptr);
    const int made = glass->LiveShards();
    ASSERT_EQ(made, 16);
    const float floor = side == kGlassSideFront ? 0.0f : -50.0f;
    const float dt = 1.0f / 30.0f;
    float lowestSeen = 1e9f;
    int steps = 0;
    for (; steps < 30 * 20 && glass->LiveShards() > 0; ++steps) {
      glass->Update(dt);
      for (int i = 0; i < glass->GetShardCount(); ++i) {
        const GlassShard& s = *glass->GetShard(i);
        if (s.Owner < 0) continue;
        CVector3 corners[3];
        s.WorldCorners(corners);
        for (const CVector3& p : corners) lowestSeen = std::min(lowestSeen, p.y);
        if (steps == 15) {
          // Half a second on: pushed along the normal to their side, and falling.
          EXPECT_LT(s.Position.y, 200.0f);
          if (side == kGlassSideFront)
            EXPECT_GE(s.Position.z, 0.0f);
          else
            EXPECT_LE(s.Position.z, 0.0f);
        }
      }
    }
    // All freed within 20 seconds; none sank further than a step's fall below the floor.
    EXPECT_EQ(glass->LiveShards(), 0);
    EXPECT_LT(steps, 30 * 20);
    EXPECT_GT(steps, 10);
    EXPECT_GT(lowestSeen, floor - 700.0f * dt - 100.0f);
  }
}

TEST(Glazier, ABounceSlowerThanFiftyFreesTheShard) {
  // A shard lying 10 units below its floor, falling at v: the bounce is
  // -r v with r the next table value in 0..0.5.
  ResetRandomFloatIndex();
  const float r = RandomFloat(0.5f);
  struct Case {
    float fall;
    bool survives;
  };
  const Case cases[] = {{99.0f, false}, {49.0f / r, false}, {51.0f / r, true}, {-20.0f, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fall);
    GlassShard s;
    s.Orientation.SetIdentity();
    s.Orientation.TypeFlags = MATF_ROTATION;
    s.Corners[0][0] = 0, s.Corners[0][1] = -10;
    s.Corners[1][0] = 5, s.Corners[1][1] = 5;
    s.Corners[2][0] = -5, s.Corners[2][1] = 5;
    s.Position = {0, 0, 0};
    s.Owner = 2;
    s.FallSpeed = c.fall;
    s.Spin[0] = 90.0f;
    ResetRandomFloatIndex();
    EXPECT_EQ(s.Step(0.01f, CVector3{0, 0, 1}, 0.0f), c.survives);
    EXPECT_EQ(s.Owner, c.survives ? 2 : -1);
    if (c.survives) {
      // Lifted onto the floor first, then the step's rise; the spin turned back.
      EXPECT_NEAR(s.Position.y, 10.0f + 0.01f * r * c.fall, 1e-3f);
      EXPECT_LE(s.Spin[0], 0.0f);
    }
  }
}

TEST(Glazier, ABlastShattersThePanesWithinItsRadiusAwayFromItself) {
  // Panes centred at (50, 150, 0) facing +z, and one further off.
  PaneShape far = glass_fixture::Window();
  for (CVector3& p : far.points) p.x += 1000.0f;
  auto glass = Glazier({glass_fixture::Window(), far});
  struct Case {
    CVector3 blast;
    float radius;
    int state;
  };
  const Case cases[] = {
      {{50, 150, 100}, 100.0f, GLASS_SHATTERED_BACK},     // exactly at the radius, in front
      {{50, 150, -100}, 100.0f, GLASS_SHATTERED_FRONT},   // behind
      {{50, 150, 100}, 99.99f, GLASS_INTACT},
      {{50, 250, 0}, 100.0f, GLASS_SHATTERED_BACK},       // in the plane: d = 0
  };
  for (const Case& c : cases) {
    auto fresh = Glazier({glass_fixture::Window(), far});
    fresh->ExplosionHit(c.blast, c.radius);
    EXPECT_EQ(fresh->GetPane(0)->State, c.state);
    EXPECT_EQ(fresh->GetPane(1)->State, GLASS_INTACT);
    EXPECT_EQ(fresh->LiveShards(), c.state == GLASS_INTACT ? 0 : 4);
  }
  // A shattered pane is not hit again.
  glass->ExplosionHit({50, 150, 100}, 500.0f);
  const int shards = glass->LiveShards();
  glass->ExplosionHit({50, 150, -100}, 500.0f);
  EXPECT_EQ(glass->GetPane(0)->State, GLASS_SHATTERED_BACK);
  EXPECT_EQ(glass->LiveShards(), shards);
}

TEST(Glazier, CountingShardsInABoxTakesWidthAcrossAndHeightUp) {
  auto glass = Glazier({glass_fixture::Window()});
  EXPECT_EQ(glass->CountShardsIn({50, 150, 0}, 1000, 1000), 0);
  glass->Shatter(0, kGlassSideFront, nullptr);
  const int live = glass->LiveShards();
  struct Case {
    CVector3 centre;
    float width, height;
    int count;
  };
  const Case cases[] = {
      {{50, 150, 0}, 1000, 1000, live},
      {{50, 150, 0}, 1000, 5, live},   // every fan piece has its corner at the centre
      {{50, 300, 0}, 1000, 50, 0},     // a thin box above the window: the height is along y
      {{50, 300, 0}, 1000, 250, 3},    // the three pieces that reach the top edge
      {{50, 150, 300}, 1000, 400, live},  // the width is along z too
      {{50, 150, 600}, 1000, 400, 0},
      {{-100, 150, 0}, 200, 400, 0},   // corners on the box's face are not strictly inside
  };
  for (const Case& c : cases)
    EXPECT_EQ(glass->CountShardsIn(c.centre, c.width, c.height), c.count)
        << c.centre.x << " " << c.centre.y << " " << c.centre.z << " " << c.width << " " << c.height;
}

TEST(Glazier, DrawQueuesShardsAndIntactPanesWithThePanesEffects) {
  PaneShape lit = glass_fixture::Window();
  lit.effects = {3, 7};
  PaneShape other = glass_fixture::Window();
  for (CVector3& p : other.points) p.x += 500.0f;
  auto glass = Glazier({lit, other});
  CLinearBuffer level(1u << 20, "level");
  DepthSortQueue queue;
  queue.Create(nullptr, nullptr, nullptr);
  ASSERT_TRUE(queue.CreatePools(&level));
  EXPECT_EQ(glass->Draw(&queue), 2);
  glass->Shatter(0, kGlassSideFront, nullptr);
  glass->Update(0.1f);
  queue.Clear();
  const int live = glass->LiveShards();
  EXPECT_EQ(glass->Draw(&queue), live + 1);
  int shards = 0, panes = 0;
  for (DepthSortItem* item = queue.Buckets[0]; item != nullptr; item = item->Next) {
    ASSERT_EQ(item->Kind, DSK_MESH);
    const auto& mesh = *static_cast<MeshPartItem*>(item);
    if (mesh.Part == glass->GetPane(1)->Mesh) {
      ++panes;
      EXPECT_EQ(mesh.World.TypeFlags, static_cast<std::uint32_t>(MATF_IDENTITY));
      EXPECT_EQ(mesh.Lights.Count, 0);
      continue;
    }
    ++shards;
    EXPECT_EQ(mesh.Lights.Count, 2);
    EXPECT_EQ(mesh.Lights.Index[0], 3);
    EXPECT_EQ(mesh.Lights.Index[1], 7);
    // The item's matrix carries the shard's position.
    bool found = false;
    for (int i = 0; i < glass->GetShardCount(); ++i) {
      const GlassShard& s = *glass->GetShard(i);
      if (&s.Mesh != mesh.Part) continue;
      found = true;
      EXPECT_FLOAT_EQ(mesh.World.m[3][1], s.Position.y);
    }
    EXPECT_TRUE(found);
  }
  EXPECT_EQ(shards, live);
  EXPECT_EQ(panes, 1);
  queue.FreePools();
}

TEST(Glazier, TheDefaultReflectionGoesToPanesWithoutOne) {
  auto glass = Glazier({glass_fixture::Window(), glass_fixture::Window()});
  CTexture own, fallback;
  glass->GetPane(1)->ReflectionTexture = &own;
  glass->SetDefaultReflection(&fallback, 0.8f);
  EXPECT_EQ(glass->GetPane(0)->ReflectionTexture, &fallback);
  EXPECT_FLOAT_EQ(glass->GetPane(0)->ReflectionStrength, 0.8f);
  EXPECT_EQ(glass->GetPane(1)->ReflectionTexture, &own);
  EXPECT_FLOAT_EQ(glass->GetPane(1)->ReflectionStrength, 0.5f);
  EXPECT_EQ(glass->GetPane(2)->ReflectionTexture, nullptr);  // an empty slot
  EXPECT_EQ(glass->PaneIndex(glass->GetPane(1)), 1);
  GlassPane stray;
  EXPECT_EQ(glass->PaneIndex(&stray), -1);
  EXPECT_EQ(glass->AddPane(), 2);
}

}  // namespace
