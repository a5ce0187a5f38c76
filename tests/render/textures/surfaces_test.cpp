// Surface properties: the ".spl" list in both versions and damaged, ids,
// deleting with its remap table, packing, the ".sdl" table and the impact spray.
#include <string>

#include "render/asset_fixture.h"
#include "render/bsp_fixture.h"
#include "foundation/files/buffered_file.h"
#include "render/bsp/bsp_query.h"
#include "foundation/maths/random_tables.h"
#include "render/textures/surfaces.h"
#include "render/textures/texture_manager.h"
#include "foundation/memory/linear_buffer.h"
#include "world/effects/particle_pool.h"

namespace {

const SurfaceImageName kImages[] = {{7, "IMAGE_DIRT0"}, {9, "IMAGE_ROCK"}, {0, nullptr}};

const char kVersion4[] =
    "Version 4\r\n3\r\n"
    "\"Mud bank\" 00000000 FF112233 FF445566 80AABBCC FF000000 FF000001 0.25 16 1088 1 2 3 4 5 6 7 8 9 10\r\n"
    "  2 image_dirt0 -1 IMAGE_GRASS 255 1 3 3 100.0 20.0 8.0 4.0\r\n"
    "Stone 0 FFFFFFFF 0 0 0 0 1.5 0 0 0 0 0 0 0 0 0 0 0 -7\r\n"
    "Dust 0 1 2 00FFFFFF 3 4 0 0 64 0 0 0 0 0 0 0 0 0 0\r\n";

const char kVersion3[] =
    "Version 3 2\r\n"
    "Mud 00000000 FF112233 0.75 32 1024 1 2 3 4 5 6 7 8 9 10\r\n"
    "Rock 0 FF000000 0.5 0 2 0 0 0 0 0 0 0 0 0 0\r\n";

int ReadList(CSurfaces& surfaces, const char* text) {
  const char* cursor = text;
  return surfaces.ReadPropertyList(&cursor);
}

}  // namespace

class Surfaces : public AssetFolderTest {};

TEST_F(Surfaces, DefaultRecordAndIds) {
  CSurfaces surfaces;
  ASSERT_EQ(surfaces.Count, 1);
  const CSurface* s = surfaces.GetSurface(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Colour[0], 0xFFFFFFFFu);
  EXPECT_EQ(s->QueryBits, 1u);
  EXPECT_FLOAT_EQ(s->Factor, 0.5f);
  CSurface extra;
  for (int i = 0; i < 5; ++i) surfaces.AddSurface(extra);
  EXPECT_EQ(surfaces.GetSurface(0x0405), surfaces.GetSurface(0x0005));
  EXPECT_NE(surfaces.GetSurface(5), nullptr);
  EXPECT_EQ(surfaces.GetSurface(6), nullptr);
  EXPECT_EQ(SwapRedBlueHalveAlpha(0x80112233u), 0x40332211u);
}

TEST_F(Surfaces, VersionFourList) {
  CSurfaces surfaces;
  surfaces.SetImageNames(kImages);
  ASSERT_EQ(ReadList(surfaces, kVersion4), 1);
  ASSERT_EQ(surfaces.Count, 3);
  const CSurface* mud = surfaces.GetSurface(0);
  EXPECT_EQ(mud->Colour[0], 0xFF112233u);
  EXPECT_EQ(mud->Colour[2], 0x80AABBCCu);
  EXPECT_EQ(mud->Colour[4], 0xFF000001u);
  EXPECT_FLOAT_EQ(mud->Factor, 0.25f);
  EXPECT_EQ(mud->QueryBits, 16u);
  EXPECT_EQ(mud->Flags, 0x440u);
  EXPECT_EQ(mud->ContextValues[0], 1);
  EXPECT_EQ(mud->ContextValues[9], 10);
  EXPECT_EQ(mud->ImpactChoiceCount, 2);
  EXPECT_EQ(mud->ImpactImage[0], 7u);           // found in any case
  EXPECT_EQ(mud->ImpactImage[1], 0xFFFFFFFFu);  // not in the table
  EXPECT_EQ(mud->ImpactColour[0], 0xFFFFFFFFu);
  EXPECT_EQ(mud->ImpactColour[1], 255u);
  EXPECT_EQ(mud->ImpactFlags, 1u);
  EXPECT_EQ(mud->ImpactCountMax, 3);
  EXPECT_EQ(mud->ImpactCountMin, 3);
  EXPECT_FLOAT_EQ(mud->ImpactSpeedAxis, 100.0f);
  EXPECT_FLOAT_EQ(mud->ImpactSpeedEdge, 20.0f);
  EXPECT_FLOAT_EQ(mud->ImpactSizeMax, 8.0f);
  EXPECT_FLOAT_EQ(mud->ImpactSizeMin, 4.0f);
  EXPECT_EQ(surfaces.GetSurface(1)->ContextValues[9], -7);
  EXPECT_EQ(surfaces.GetSurface(2)->Flags, 64u);
  EXPECT_EQ(surfaces.Changed, 0u);
  EXPECT_EQ(surfaces.ArrayCurrent, 0u);
}

TEST_F(Surfaces, VersionThreeListHasWhiteColoursAndNoImpacts) {
  CSurfaces surfaces;
  ASSERT_EQ(ReadList(surfaces, kVersion3), 1);
  ASSERT_EQ(surfaces.Count, 2);
  const CSurface* mud = surfaces.GetSurface(0);
  EXPECT_EQ(mud->Colour[0], 0xFF112233u);
  for (int k = 1; k < 5; ++k) EXPECT_EQ(mud->Colour[k], 0xFFFFFFFFu) << k;
  EXPECT_EQ(mud->Flags, 1024u);
  EXPECT_EQ(mud->ImpactChoiceCount, 0);
  EXPECT_FLOAT_EQ(mud->Factor, 0.75f);
  EXPECT_EQ(surfaces.GetSurface(1)->Flags, 2u);
}

TEST_F(Surfaces, DamagedListsAreRefused) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"count beyond the text", "Version 4 1000000\r\nStone 0 FFFFFFFF 0 0 0 0 1.5 0 0 0 0 0 0 0 0 0 0 0 0\r\n"},
      {"five impact choices", "Version 4 1\r\nX 0 0 0 0 0 0 0 0 1024 0 0 0 0 0 0 0 0 0 0 5 a 1 b 1 c 1 d 1 e 1 0 1 1 1 1 1 1\r\n"},
      {"negative count", "Version 4 -3\r\n"},
  };
  for (const Case& c : cases) {
    boxes_.clear();
    CSurfaces surfaces;
    EXPECT_EQ(ReadList(surfaces, c.text.c_str()), 0) << c.what;
    EXPECT_EQ(surfaces.Count, 0) << c.what;
    EXPECT_EQ(surfaces.GetSurface(0), nullptr) << c.what;
    ASSERT_EQ(boxes_.size(), 1u) << c.what;
    EXPECT_EQ(boxes_[0], "Surface property list is damaged\n") << c.what;
  }
}

TEST_F(Surfaces, DeleteBuildsTheRemapTable) {
  CSurfaces surfaces;
  for (int i = 1; i < 5; ++i) {
    CSurface s;
    s.ContextValues[0] = i;
    surfaces.AddSurface(s);
  }
  EXPECT_EQ(surfaces.DeleteSurface(0), 0);
  EXPECT_EQ(surfaces.DeleteSurface(5), 0);
  ASSERT_EQ(surfaces.DeleteSurface(0x402), 1);
  EXPECT_EQ(surfaces.Count, 4);
  const int expected[5] = {0, 1, -1, 2, 3};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(surfaces.RemapId(static_cast<std::uint32_t>(i)), expected[i]) << i;
  EXPECT_EQ(surfaces.GetSurface(2)->ContextValues[0], 3);
  EXPECT_EQ(surfaces.Changed, 1u);

  surfaces.Pack(1);
  EXPECT_EQ(surfaces.ArrayCurrent, 1u);
  EXPECT_EQ(surfaces.GetSurface(1), nullptr);  // the list is gone
  ASSERT_NE(surfaces.Array, nullptr);
  EXPECT_EQ(surfaces.Array[3].ContextValues[0], 4);
  surfaces.Unpack(1);
  EXPECT_EQ(surfaces.Count, 4);
  EXPECT_EQ(surfaces.Array, nullptr);
  EXPECT_EQ(surfaces.GetSurface(3)->ContextValues[0], 4);
}

TEST_F(Surfaces, TextureTable) {
  CSurfaces surfaces;
  surfaces.AddSurface(CSurface{});
  WriteText("Default.sdl", "1 2 2\r\n decals\\mud 0.5 \"\" 1.0\r\n rock 2.5 \"decals\\Mud.bmp\" 3\r\n");
  WriteText("short.sdl", "1 2 2\r\n decals\\mud 0.5\r\n");
  WriteText("wide.sdl", "1 2 100000000\r\n");
  CTextureManager library;
  ASSERT_EQ(surfaces.LoadTextureTable("Default.sdl", &library, 15, nullptr), 1);
  EXPECT_EQ(surfaces.Columns, 2);
  const SurfaceTextureEntry* e = surfaces.GetTextureEntry(0, 0);
  ASSERT_NE(e, nullptr);
  ASSERT_NE(e->Texture, nullptr);
  EXPECT_STREQ(e->Texture->Name, "decals\\mud");
  EXPECT_FLOAT_EQ(e->Number, 0.5f);
  EXPECT_EQ(surfaces.GetTextureEntry(0, 1)->Texture, nullptr);
  EXPECT_EQ(surfaces.GetTextureEntry(1, 1)->Texture, e->Texture);
  EXPECT_EQ(e->Texture->RefCount, 2u);
  EXPECT_FLOAT_EQ(surfaces.GetTextureEntry(1, 1)->Number, 3.0f);
  EXPECT_EQ(surfaces.GetTextureEntry(0, 2), nullptr);
  EXPECT_EQ(surfaces.GetTextureEntry(2, 0), nullptr);

  for (const char* bad : {"missing.sdl", "short.sdl", "wide.sdl"}) {
    boxes_.clear();
    EXPECT_EQ(surfaces.LoadTextureTable(bad, &library, 15, nullptr), 0) << bad;
    EXPECT_EQ(surfaces.GetTextureEntry(0, 0), e) << bad;  // the old table stays
    EXPECT_EQ(boxes_.size(), 1u) << bad;
  }
}

TEST_F(Surfaces, ImpactSpray) {
  CSurface mud;
  mud.Flags = SURF_IMPACT_DATA;
  mud.ImpactChoiceCount = 2;
  mud.ImpactImage[0] = mud.ImpactImage[1] = 7;
  mud.ImpactColour[0] = mud.ImpactColour[1] = 0x80102030;
  mud.ImpactCountMin = mud.ImpactCountMax = 3;
  mud.ImpactSpeedAxis = mud.ImpactSpeedEdge = 50.0f;
  mud.ImpactSizeMin = 4.0f;
  mud.ImpactSizeMax = 8.0f;
  CSurface dusty = mud;
  dusty.Flags |= SURF_DUST_ON_IMPACT;
  dusty.Colour[2] = 0x40FFFFFF;

  // free: the slots left unprotected in a ring of 16 (the rest hold protected
  // particles): a small ring is overwritten by the spray itself, a ring
  // with no free slot refuses it at once.
  struct Case {
    const CSurface* hit;
    int free, fragments, puffs;
  };
  const Case cases[] = {{nullptr, 16, 6, 0}, {&mud, 16, 6, 0}, {&dusty, 16, 6, 6}, {&dusty, 3, 2, 1}, {&dusty, 0, 0, 0}};
  for (const Case& c : cases) {
    CLinearBuffer buffer(64 * 1024, "particles");
    CParticlePool pool(nullptr, 16 * kParticleBudgetBytes, nullptr);
    ASSERT_TRUE(pool.CreatePools(&buffer));
    for (int i = c.free; i < 16; ++i) pool.GetParticle(i)->Flags = PF_PROTECTED;
    g_ParticlePool = &pool;
    SeedRandomTables(5);
    mud.SpawnImpactEffect(CVector3{1, 2, 3}, CVector3{0, 0, 1}, c.hit);
    g_ParticlePool = nullptr;
    int fragments = 0, puffs = 0;
    for (int i = 0; i < pool.GetCapacity(); ++i) {
      const CParticle* p = pool.GetParticle(i);
      if (p->State != PARTICLE_ALIVE) continue;
      if (p->Type == 13) {
        ++fragments;
        EXPECT_FLOAT_EQ(p->Frame, 7.0f);
        EXPECT_EQ(p->Flags & 0x26022u, 0x6020u);
        EXPECT_NEAR(p->Velocity.x * p->Velocity.x + p->Velocity.y * p->Velocity.y + p->Velocity.z * p->Velocity.z,
                    2500.0f, 1.0f);
        EXPECT_GT(p->Velocity.z, 0.0f);  // within 45 degrees of the direction, about each angle
        EXPECT_GE(p->Size, 4.0f);
        EXPECT_LE(p->Size, 8.0f);
        EXPECT_NEAR(p->AlphaScale, 0x80 / 255.0f, 1e-6f);
      } else {
        ++puffs;
        EXPECT_EQ(p->Type, 9u);
        EXPECT_EQ(p->Colour, 0x337F7F7Fu);
        EXPECT_FLOAT_EQ(p->SpeedScale, 3.0f);
        EXPECT_EQ(p->Lifetime, 200u);
        EXPECT_EQ(p->Flags & 0x22024u, 0x22024u);
        EXPECT_GE(p->Velocity.y, 5.0f);
      }
    }
    EXPECT_EQ(fragments, c.fragments);
    EXPECT_EQ(puffs, c.puffs);
  }
}

TEST_F(Surfaces, ListReadThroughTheFileHandle) {
  WriteText("Default.spl", kVersion3);
  CSurfaces surfaces;
  BufferedFile* file = FileOpen("Default.spl", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(surfaces.ReadPropertyList(file), 1);
  FileClose(file);
  ASSERT_EQ(surfaces.Count, 2);
  EXPECT_EQ(surfaces.GetSurface(1)->Flags, 2u);
}

TEST_F(Surfaces, BspQueriesSkipSurfacesByTheirQueryBits) {
  BspTreePtr room = bsp_fixture::CompileTree(bsp_fixture::Room(100.0f, 1));
  ASSERT_TRUE(room);
  struct Case {
    std::uint32_t queryBits;
    std::uint32_t filter;
    bool hit;
  };
  const Case cases[] = {{0x10, BSPF_SKIP_QUERY_10, false}, {0x10, 0, true}, {0x20, BSPF_SKIP_QUERY_10, true}};
  for (const Case& c : cases) {
    CSurfaces surfaces;
    CSurface wall;
    wall.QueryBits = c.queryBits;
    wall.Factor = 1.0f;
    surfaces.AddSurface(wall);
    surfaces.InstallBspLookup();
    const BspPolygon* hit = BspSegmentQuery(room.get(), CVector3{0, 0, 0}, CVector3{500, 0, 0}, c.filter);
    EXPECT_EQ(hit != nullptr, c.hit) << c.queryBits << " " << c.filter;
  }
  // The object uninstalls itself when it goes.
  const BspPolygon* hit = BspSegmentQuery(room.get(), CVector3{0, 0, 0}, CVector3{500, 0, 0}, BSPF_SKIP_QUERY_10);
  EXPECT_NE(hit, nullptr);
}
