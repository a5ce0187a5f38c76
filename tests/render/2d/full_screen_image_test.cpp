// Full-screen pictures: the tile layout, the refused pictures and the picture
// as drawn over the render target.
#include "render/asset_fixture.h"
#include "render/2d/full_screen_image.h"
#include "render/textures/texture_manager.h"

namespace {

// Quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
std::uint32_t Quadrants(int x, int y) {
  const bool right = x >= 320, bottom = y >= 240;
  if (!right && !bottom) return 0xFF0000;
  if (right && !bottom) return 0x00FF00;
  if (!right) return 0x0000FF;
  return 0xFFFFFF;
}

std::uint32_t Black(int, int) { return 0; }

}  // namespace

class FullScreenImages : public AssetFolderTest {};

TEST_F(FullScreenImages, PictureIsCutIntoTilesColumnByColumn) {
  Write("splash.bmp", MakeBmp24(640, 480, Quadrants));
  CTextureManager library;
  CFullScreenImage image(g_Render, nullptr, &library);
  ASSERT_EQ(image.Load("splash.bmp", nullptr), 1);
  ASSERT_EQ(image.TileCount, 6u);
  struct Tile {
    float x1, y1, x2, y2, u2, v2;
    std::uint32_t textureWidth, textureHeight;
  };
  const Tile expected[6] = {{0, 0, 255, 255, 1.0f, 1.0f, 256, 256},     {0, 256, 255, 479, 1.0f, 224 / 256.0f, 256, 256},
                            {256, 0, 511, 255, 1.0f, 1.0f, 256, 256},   {256, 256, 511, 479, 1.0f, 224 / 256.0f, 256, 256},
                            {512, 0, 639, 255, 1.0f, 1.0f, 128, 256},   {512, 256, 639, 479, 1.0f, 224 / 256.0f, 128, 256}};
  for (int i = 0; i < 6; ++i) {
    const FullScreenTile& t = image.Tiles[i];
    EXPECT_EQ(t.X1, expected[i].x1) << i;
    EXPECT_EQ(t.Y1, expected[i].y1) << i;
    EXPECT_EQ(t.X2, expected[i].x2) << i;
    EXPECT_EQ(t.Y2, expected[i].y2) << i;
    EXPECT_FLOAT_EQ(t.U2, expected[i].u2) << i;
    EXPECT_FLOAT_EQ(t.V2, expected[i].v2) << i;
    ASSERT_NE(t.Texture->DeviceTexture, nullptr) << i;
    EXPECT_EQ(t.Texture->Width, expected[i].textureWidth) << i;
    EXPECT_EQ(t.Texture->Height, expected[i].textureHeight) << i;
    EXPECT_TRUE(t.Texture->Flags & TEXF_2D);
    EXPECT_EQ(t.Texture->Image, nullptr);  // the image memory is gone after creation
  }
  EXPECT_EQ(image.Bytes24, 640u * 480 * 3);
  EXPECT_EQ(image.Bytes16, 640u * 480 * 2);
  EXPECT_EQ(library.Count, 7);
  image.Release();
  EXPECT_FALSE(image.HasTiles());
  EXPECT_EQ(library.Count, 1);
}

TEST_F(FullScreenImages, RefusedPictures) {
  Write("grey8.bmp", MakeBmp8(16, 16));
  Write("huge.bmp", MakeBmp24(1100, 800, Black));
  WriteText("broken.bmp", "BM not really");
  struct Case {
    const char* name;
    const char* box;
  };
  const Case cases[] = {{"grey8.bmp", "Bitmap \"grey8.bmp\" has an illegal bit depth\n"},
                        {"huge.bmp", "Bitmap \"huge.bmp\" is too large for the screen\n"},
                        {"missing.bmp", "Unable to load bmp file\n\"missing.bmp\"\n"},
                        {"broken.bmp", "Unable to load bmp file\n\"broken.bmp\"\n"}};
  for (const Case& c : cases) {
    boxes_.clear();
    CTextureManager library;
    CFullScreenImage image(g_Render, nullptr, &library);
    EXPECT_EQ(image.Load(c.name, nullptr), 0) << c.name;
    EXPECT_FALSE(image.HasTiles()) << c.name;
    EXPECT_EQ(image.Bitmap, nullptr) << c.name;
    ASSERT_FALSE(boxes_.empty()) << c.name;
    EXPECT_EQ(boxes_.back(), c.box) << c.name;
  }
  CTextureManager library;
  CFullScreenImage png(g_Render, nullptr, &library);
  EXPECT_EQ(png.Load("title.PNG", nullptr), 1);
  EXPECT_FALSE(png.HasTiles());
}

TEST_F(FullScreenImages, DrawnPictureFillsTheTarget) {
  Write("splash.bmp", MakeBmp24(640, 480, Quadrants));
  CTextureManager library;
  CFullScreenImage image(g_Render, nullptr, &library);
  ASSERT_EQ(image.Load("splash.bmp", nullptr), 1);
  const D3DSURFACE_DESC& target = g_Render->GetBackBufferDesc();
  const int w = static_cast<int>(target.Width), h = static_cast<int>(target.Height);
  Begin2DFrame(0xFF000000);
  image.Draw(255);
  struct Probe {
    int x, y;
    DWORD colour;
  };
  const Probe probes[] = {{w / 4, h / 4, 0xFFFF0000}, {w * 3 / 4, h / 4, 0xFF00FF00},
                          {w / 4, h * 3 / 4, 0xFF0000FF}, {w * 3 / 4, h * 3 / 4, 0xFFFFFFFF},
                          {2, 2, 0xFFFF0000},            {w - 3, h - 3, 0xFFFFFFFF}};
  for (const Probe& p : probes) {
    const DWORD got = D3D8TestReadPixel(g_Device, p.x, p.y);
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((p.colour >> shift) & 0xFF), 8)
          << p.x << "," << p.y << " got " << std::hex << got;
  }
  End2DFrame();
  image.Release();
}

TEST_F(FullScreenImages, SameSizeTargetLeavesFilteringOff) {
  const D3DSURFACE_DESC& target = g_Render->GetBackBufferDesc();
  Write("exact.bmp", MakeBmp24(static_cast<int>(target.Width), static_cast<int>(target.Height), Black));
  CTextureManager library;
  CFullScreenImage image(g_Render, nullptr, &library);
  ASSERT_EQ(image.Load("exact.bmp", nullptr), 1);
  g_Render->SetBilinearFilter(0);
  Record();
  image.Draw(255);
  EXPECT_EQ(g_Render->GetBilinearFilter(), 0u);
  EXPECT_EQ(g_Render->GetBlendMode(), 1);
  image.Draw(128);
  EXPECT_EQ(g_Render->GetBlendMode(), 3);
  EXPECT_EQ(Calls("DrawPrimitiveUP").size(), 2u * image.TileCount);
  image.Release();
}
