// Sprite sets: sprite files of both formats, damaged files, scaling and
// offsets, colours, and a sprite as drawn.
#include <cstring>

#include "render/asset_fixture.h"
#include "foundation/time/timer.h"
#include "render/geometry/camera.h"
#include "render/2d/sprite_render.h"
#include "render/textures/texture_manager.h"

namespace {

// The page: blue, with a red square at (16, 16)-(47, 47) and a green one at (64, 16)-(95, 47).
std::uint32_t Page(int x, int y) {
  if (y >= 16 && y < 48 && x >= 16 && x < 48) return 0xFF0000;
  if (y >= 16 && y < 48 && x >= 64 && x < 96) return 0x00FF00;
  return 0x0000FF;
}

// The screen vertices of the n-th recorded 2D draw.
std::vector<ScreenVertex> QuadOf(const D3D8Call& call) {
  std::vector<ScreenVertex> v(4);
  if (call.data.size() >= sizeof(ScreenVertex) * 4) std::memcpy(v.data(), call.data.data(), sizeof(ScreenVertex) * 4);
  return v;
}

}  // namespace

class Sprites : public AssetFolderTest {};

TEST_F(Sprites, LoadsBothFormats) {
  const std::vector<TestSprite> sprites = {{0, 7, 16, 16, 32, 32, -4, -6}, {1, 9, 64, 16, 32, 32, 0, 0}};
  for (std::uint16_t format : {1, 2}) {
    const auto bytes = MakeSpriteFile(format, {"pageA.bmp", "pageB.bmp"}, sprites);
    EXPECT_EQ(bytes.size(), 284 + (format == 2 ? 272u : 16u) * 2) << format;
    Write("ui/set.spr", bytes);
    CTextureManager library;
    CSpriteRender set(g_Render, nullptr, &library);
    ASSERT_EQ(set.Load("ui/set.spr", TEXF_ALPHA, 128, 64, 21), 1) << format;
    ASSERT_EQ(set.GetSpriteCount(), 2);
    EXPECT_EQ(set.Sprites[0].Value, 7);
    EXPECT_EQ(set.GetWidth(1), 32);
    EXPECT_EQ(set.GetHotX(0), -4);
    EXPECT_EQ(set.GetHotY(0), -6);
    EXPECT_FLOAT_EQ(set.SpriteUVs[0].U1, 16.0f / (1.0f / 256 + 256) + 1.0f / 512);
    EXPECT_FLOAT_EQ(set.SpriteUVs[0].V2, 48.0f / (1.0f / 256 + 256) + 1.0f / 512);
    ASSERT_NE(set.Pages, nullptr);
    EXPECT_STREQ(set.Pages[1]->Name, "ui/pageB");
    EXPECT_EQ(set.Pages[0]->Flags, static_cast<std::uint32_t>(TEXF_ALPHA | TEXF_2D));
    EXPECT_EQ(set.Pages[0]->RequestedWidth, 128u);
    EXPECT_EQ(set.Pages[0]->ExplicitSize, 1u);
    EXPECT_EQ(library.Count, 3);
  }
}

TEST_F(Sprites, DamagedOrMissingFilesLeaveTheSetEmpty) {
  auto cut = MakeSpriteFile(2, {"p.bmp"}, {{0, 0, 0, 0, 8, 8, 0, 0}, {0, 0, 0, 0, 8, 8, 0, 0}});
  cut.resize(cut.size() - 1);
  auto pages = MakeSpriteFile(1, {"p.bmp"}, {});
  pages[10] = 18;  // more pages than the header holds
  auto header = MakeSpriteFile(1, {}, {});
  header.resize(200);
  Write("cut.spr", cut);
  Write("pages.spr", pages);
  Write("header.spr", header);
  struct Case {
    const char* name;
    const char* box;
  };
  const Case cases[] = {{"cut.spr", "Sprite file \"cut.spr\" is damaged\n"},
                        {"pages.spr", "Sprite file \"pages.spr\" is damaged\n"},
                        {"header.spr", "Sprite file \"header.spr\" is damaged\n"},
                        {"none.spr", "none.spr"}};
  for (const Case& c : cases) {
    boxes_.clear();
    CTextureManager library;
    CSpriteRender set(g_Render, nullptr, &library);
    EXPECT_EQ(set.Load(c.name, 0, 0, 0, 0), 0) << c.name;
    EXPECT_EQ(set.GetSpriteCount(), 0) << c.name;
    EXPECT_EQ(library.Count, 1) << c.name;
    ASSERT_EQ(boxes_.size(), 1u) << c.name;
    EXPECT_EQ(boxes_[0], c.box) << c.name;
  }
}

TEST_F(Sprites, ScaleSwitchAndMeasures) {
  Write("s.spr", MakeSpriteFile(1, {"p.bmp"}, {{0, 0, 0, 0, 20, 10, -4, 6}}));
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  ASSERT_EQ(set.Load("s.spr", 0, 0, 0, 0), 1);
  set.SetScale(100.0f);
  EXPECT_EQ(set.ScaleMode, 0u);
  EXPECT_FLOAT_EQ(set.GetScaledWidth(0), 20.0f);
  set.SetScale(100.5f);
  EXPECT_EQ(set.ScaleMode, 1u);
  set.SetScalePercent(200.0f, 50.0f, 3);
  EXPECT_EQ(set.ScaleMode, 3u);
  EXPECT_FLOAT_EQ(set.GetScaledHotY(0), 3.0f);
  EXPECT_FLOAT_EQ(set.GetScaledHotX(0), -8.0f);
  set.SetScaleFactors(1.0f, 1.0f, 2);
  EXPECT_EQ(set.ScaleMode, 0u);
  EXPECT_EQ(set.FindSprite("anything"), -1);
}

TEST_F(Sprites, OffsetAndScaledPositionPlaceTheLeftEdge) {
  Write("s.spr", MakeSpriteFile(1, {"p.bmp"}, {{0, 0, 0, 0, 20, 10, -4, 6}}));
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  ASSERT_EQ(set.Load("s.spr", 0, 0, 0, 0), 1);
  set.SetOffset(3.0f, 1.0f, 0.0f);
  set.SetScaleFactors(1.5f, 2.0f, 3);
  Record();
  set.Draw(0, 10, 20);
  const auto draws = Calls("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 1u);
  const auto quad = QuadOf(draws[0]);
  EXPECT_FLOAT_EQ(quad[0].x, 15.0f + (-4.0f + 3.0f) * 1.5f);  // trunc(10 x 1.5) + (HotX + OffsetX) x XScale
  EXPECT_FLOAT_EQ(quad[1].x, 15.0f + (16.0f + 3.0f) * 1.5f);
  EXPECT_FLOAT_EQ(quad[0].y, 40.0f + (6.0f + 1.0f) * 2.0f);
  EXPECT_FLOAT_EQ(quad[2].y, 40.0f + (16.0f + 1.0f) * 2.0f);
  EXPECT_FLOAT_EQ(quad[0].rhw, 0.5f);
}

TEST_F(Sprites, ColourTintAndPush) {
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  set.SetTint(0.5f, 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(set.DrawColour, 0xFF7FFFFFu);
  set.SetColour(0x80FF0000, 1);
  EXPECT_EQ(set.SavedColour, 0xFF7FFFFFu);
  EXPECT_EQ(set.DrawColour, 0x807F0000u);
  EXPECT_EQ(set.PushCount, 1u);
  set.SetAlpha(0x40);  // tinted once more
  EXPECT_EQ(set.DrawColour, 0x403F0000u);
  set.PopColour();
  EXPECT_EQ(set.DrawColour, 0xFF7FFFFFu);
  EXPECT_EQ(set.PushCount, 0u);
}

TEST_F(Sprites, SpriteIsDrawnFromItsPageRectangle) {
  Write("page.bmp", MakeBmp24(256, 256, Page));
  Write("s.spr", MakeSpriteFile(1, {"page.bmp"}, {{0, 0, 16, 16, 32, 32, 0, 0}, {0, 0, 64, 16, 32, 32, 0, 0}}));
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  ASSERT_EQ(set.Load("s.spr", TEXF_32BIT, 0, 0, 0), 1);
  library.LoadTextures(nullptr);
  ASSERT_NE(set.Pages[0]->DeviceTexture, nullptr);
  set.RecomputeUVs();
  Begin2DFrame(0xFF000000);
  set.SetBlendMode(3);
  set.Draw(0, 100, 100);
  set.DrawToRectMirrored(1, 200.0f, 100.0f, 264.0f, 164.0f, 1);
  struct Probe {
    int x, y;
    DWORD colour;
  };
  const Probe probes[] = {{101, 101, 0xFFFF0000}, {130, 130, 0xFFFF0000}, {134, 134, 0xFF000000},
                          {99, 99, 0xFF000000},   {232, 132, 0xFF00FF00}, {265, 132, 0xFF000000}};
  for (const Probe& p : probes)
    EXPECT_EQ(D3D8TestReadPixel(g_Device, p.x, p.y), p.colour) << p.x << "," << p.y;
  End2DFrame();
}

TEST_F(Sprites, RotatedSpritesTurnAsTheEngineRotatesPoints) {
  // A 48 x 32 sprite, red | blue | green from left to right, hot spot at its
  // top-left corner.  Turned by 90 degrees about (100, 100), (x, y) goes to
  // (y, -x): the sprite stands above the position, red at the bottom, green at
  // the top.  Turned the other way it would lie below and to the left.
  Write("page.bmp", MakeBmp24(256, 256, Page));
  Write("s.spr", MakeSpriteFile(1, {"page.bmp"}, {{0, 0, 32, 16, 48, 32, 0, 0}}));
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  ASSERT_EQ(set.Load("s.spr", TEXF_32BIT, 0, 0, 0), 1);
  library.LoadTextures(nullptr);
  set.RecomputeUVs();
  Begin2DFrame(0xFF000000);
  set.SetBlendMode(3);
  set.DrawRotated(0, 100, 100, 90.0f);
  struct Probe {
    int x, y;
    DWORD colour;
  };
  const Probe probes[] = {{116, 92, 0xFFFF0000}, {116, 76, 0xFF0000FF}, {116, 60, 0xFF00FF00},
                          {128, 56, 0xFF00FF00}, {116, 104, 0xFF000000}, {92, 116, 0xFF000000},
                          {84, 76, 0xFF000000}};
  for (const Probe& p : probes)
    EXPECT_EQ(D3D8TestReadPixel(g_Device, p.x, p.y), p.colour) << p.x << "," << p.y;
  End2DFrame();
}

TEST_F(Sprites, RotatedBillboardsTurnTheirCornersAsTheEngineRotatesPoints) {
  Write("s.spr", MakeSpriteFile(1, {"p.bmp"}, {{0, 0, 0, 0, 20, 10, -4, 6}}));
  CCamera camera;
  CTextureManager library;
  CSpriteRender set(g_Render, &camera, &library);
  ASSERT_EQ(set.Load("s.spr", 0, 0, 0, 0), 1);
  Record();
  set.DrawBillboardRotated(0, CVector3{0, 0, 0}, 90.0f, 100.0f);
  const auto draws = Calls("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 1u);
  struct Corner {
    float x, y, z;
    DWORD colour;
    float u, v;
  } corners[4];
  ASSERT_EQ(draws[0].data.size(), sizeof corners);
  std::memcpy(corners, draws[0].data.data(), sizeof corners);
  // Unturned: (l, t) = (-4, -6), (r, b) = (16, -16), y up; (x, y) -> (y, -x).
  const float expected[4][2] = {{-6, 4}, {-6, -16}, {-16, -16}, {-16, 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(corners[i].x, expected[i][0], 1e-4f) << i;
    EXPECT_NEAR(corners[i].y, expected[i][1], 1e-4f) << i;
  }
}

TEST_F(Sprites, TiledCopiesAreCutAtTheRectangle) {
  Write("s.spr", MakeSpriteFile(1, {"p.bmp"}, {{0, 0, 16, 32, 20, 10, 0, 0}}));
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  ASSERT_EQ(set.Load("s.spr", 0, 0, 0, 0), 1);
  Record();
  set.DrawTiled(0, 100, 50, 150, 65, 0);  // 2.5 columns, 1.5 rows
  const auto draws = Calls("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 6u);
  const auto last = QuadOf(draws[5]);
  EXPECT_FLOAT_EQ(last[0].x, 140.0f);
  EXPECT_FLOAT_EQ(last[2].x, 150.0f);
  EXPECT_FLOAT_EQ(last[2].y, 65.0f);
  EXPECT_FLOAT_EQ(last[0].u, set.SpriteUVs[0].U1);
  EXPECT_FLOAT_EQ(last[2].u, SpritePixelToU(26.0f, 256.0f));  // ten of twenty columns
  EXPECT_FLOAT_EQ(last[2].v, SpritePixelToU(37.0f, 256.0f));  // five of ten rows
  const auto full = QuadOf(draws[0]);
  EXPECT_FLOAT_EQ(full[2].u, set.SpriteUVs[0].U2);
  EXPECT_FLOAT_EQ(full[2].v, set.SpriteUVs[0].V2);
}

TEST_F(Sprites, BillboardsStandUnderTheFacingMatrix) {
  Write("s.spr", MakeSpriteFile(1, {"p.bmp"}, {{0, 0, 0, 0, 20, 10, -4, 6}}));
  CCamera camera;
  CTextureManager library;
  CSpriteRender set(g_Render, &camera, &library);
  ASSERT_EQ(set.Load("s.spr", 0, 0, 0, 0), 1);
  Record();
  set.DrawBillboard(0, CVector3{10, 20, 30}, 200.0f);
  const auto transforms = Calls("SetTransform");
  ASSERT_FALSE(transforms.empty());
  float world[16];
  ASSERT_GE(transforms.back().data.size(), sizeof world);
  std::memcpy(world, transforms.back().data.data(), sizeof world);
  EXPECT_FLOAT_EQ(world[12], 10.0f);  // placed at the position
  EXPECT_FLOAT_EQ(world[13], 20.0f);
  EXPECT_FLOAT_EQ(world[14], 30.0f);
  const auto draws = Calls("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 1u);
  struct Corner {
    float x, y, z;
    DWORD colour;
    float u, v;
  } corners[4];
  ASSERT_EQ(draws[0].data.size(), sizeof corners);  // four 24-byte vertices
  std::memcpy(corners, draws[0].data.data(), sizeof corners);
  // Twice the size: left = HotX x 2, top = -HotY x 2, then width and height x 2 (y up).
  EXPECT_FLOAT_EQ(corners[0].x, -8.0f);
  EXPECT_FLOAT_EQ(corners[0].y, -12.0f);
  EXPECT_FLOAT_EQ(corners[2].x, 32.0f);
  EXPECT_FLOAT_EQ(corners[2].y, -32.0f);
  EXPECT_FLOAT_EQ(corners[1].z, 0.0f);
  EXPECT_EQ(corners[3].colour, 0xFFFFFFFFu);
}

TEST_F(Sprites, PulsingAlphaFollowsTheGameClock) {
  Write("s.spr", MakeSpriteFile(1, {"p.bmp"}, {{0, 0, 0, 0, 8, 8, 0, 0}}));
  CTextureManager library;
  CSpriteRender set(g_Render, nullptr, &library);
  ASSERT_EQ(set.Load("s.spr", 0, 0, 0, 0), 1);
  set.SetColour(0x80FF0000, 0);
  CTimer clock;
  CSpriteRender::s_GameTimer = &clock;
  struct Case {
    std::uint32_t ms;
    DWORD alpha;
  };
  // phase = (ms mod 3000) x 200 / 3000; alpha = trunc(0x80 x |sin(phase x 0.005 x 2 pi)| + 0.5).
  const Case cases[] = {{0, 0x00}, {750, 0x80}, {3750, 0x80}, {1500, 0x00}, {250, 0x40}};
  for (const Case& c : cases) {
    CTimer::State state;
    clock.SaveState(&state);
    state.gameTime = c.ms;
    clock.RestoreState(state);
    Record();
    set.DrawPulsing(0, 10, 10);
    const auto draws = Calls("DrawPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    const DWORD got = QuadOf(draws[0])[0].Diffuse;
    EXPECT_NEAR(static_cast<int>(got >> 24), static_cast<int>(c.alpha), 1) << c.ms;
    EXPECT_EQ(got & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(set.DrawColour, 0x80FF0000u);  // restored afterwards
  }
  CSpriteRender::s_GameTimer = nullptr;
}
