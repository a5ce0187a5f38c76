#include "make_objects/texture_maker.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/d3dx8/image_decoder.h"

namespace {

TextureSource Texture(const std::string& pattern, int w, int h, std::vector<std::uint32_t> colours) {
  TextureSource t;
  t.Name = pattern;
  t.Width = w;
  t.Height = h;
  t.Pattern = pattern;
  t.Colours = std::move(colours);
  return t;
}

TEST(TextureMaker, PatternsUseTheirColoursAndOnlyLeavesAreTransparent) {
  struct Case {
    TextureSource texture;
    bool transparent;
  };
  const Case cases[] = {
      {Texture("solid", 4, 4, {0x123456}), false},
      {Texture("checker", 16, 16, {0xFF0000, 0x0000FF}), false},
      {Texture("noise", 32, 32, {0x202020, 0xE0E0E0}), false},
      {Texture("planks", 64, 32, {0xA07040, 0x302010}), false},
      {Texture("bricks", 64, 64, {0xA04030, 0xD0D0C0}), false},
      {Texture("bark", 32, 64, {0x604030, 0x302018}), false},
      {Texture("leaves", 64, 64, {0x30A030}), true},
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> px = MakeTexturePixels(c.texture);
    ASSERT_EQ(px.size(), static_cast<std::size_t>(c.texture.Width * c.texture.Height)) << c.texture.Pattern;
    EXPECT_EQ(px, MakeTexturePixels(c.texture)) << c.texture.Pattern << ": the same text gives the same picture";
    std::size_t clear = 0, opaque = 0;
    std::set<std::uint32_t> distinct;
    for (std::uint32_t p : px) {
      clear += (p >> 24) == 0;
      opaque += (p >> 24) == 0xFF;
      distinct.insert(p);
    }
    EXPECT_EQ(clear + opaque, px.size()) << c.texture.Pattern;
    if (c.transparent) {
      // Leaves cover a fair part of the picture, and leave a fair part clear.
      EXPECT_GT(clear, px.size() / 5) << c.texture.Pattern;
      EXPECT_GT(opaque, px.size() / 5) << c.texture.Pattern;
    } else {
      EXPECT_EQ(opaque, px.size()) << c.texture.Pattern;
    }
    if (c.texture.Pattern == "solid") {
      EXPECT_EQ(distinct, std::set<std::uint32_t>{0xFF123456u});
    } else if (c.texture.Pattern == "checker") {
      EXPECT_EQ(distinct, (std::set<std::uint32_t>{0xFFFF0000u, 0xFF0000FFu}));
    } else {
      EXPECT_GT(distinct.size(), 4u) << c.texture.Pattern << " has some texture to it";
    }
  }
  // Planks and bricks draw their seams and mortar in the second colour.
  std::vector<std::uint32_t> bricks = MakeTexturePixels(Texture("bricks", 64, 64, {0xA04030, 0xD0D0C0}));
  EXPECT_EQ(bricks[0], 0xFFD0D0C0u);
  EXPECT_EQ(bricks[64 * 8 + 5], 0xFFD0D0C0u);  // the mortar line above the second row
}

TEST(TextureMaker, TgaReadsBackThroughTheImageReader) {
  TextureSource t = Texture("leaves", 24, 16, {0x30A030});
  std::vector<std::uint32_t> px = MakeTexturePixels(t);
  std::vector<std::uint8_t> tga = EncodeTga(t.Width, t.Height, px);
  EXPECT_EQ(tga.size(), 18u + 24 * 16 * 4);
  d3dx8::DecodedImage image;
  ASSERT_TRUE(d3dx8::DecodeTga(tga.data(), tga.size(), &image));
  EXPECT_EQ(image.width, 24u);
  EXPECT_EQ(image.height, 16u);
  EXPECT_EQ(image.argb, px);  // rows top first, alpha kept
}

// The texels of level 0: decoded ARGB, or those a DDS keeps in its input
// (A8R8G8B8: one little-endian word each).
std::vector<std::uint32_t> DecodedTexels(const d3dx8::DecodedImage& image) {
  if (!image.argb.empty() || image.levelData.empty()) return image.argb;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(image.width) * image.height);
  const std::uint8_t* p = image.levelData[0];
  for (std::uint32_t& t : out) {
    t = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    p += 4;
  }
  return out;
}

TEST(TextureMaker, ATransparentPictureIsWrittenAsADdsThatKeepsItsAlpha) {
  const TextureSource leaves = Texture("leaves", 24, 16, {0x30A030});
  const TextureSource bricks = Texture("bricks", 16, 16, {0xA04030, 0xD0D0C0});
  EXPECT_EQ(TextureFileName(leaves), "leaves.dds");
  EXPECT_EQ(TextureFileName(bricks), "bricks.tga");
  const std::vector<std::uint8_t> dds = EncodeTextureFile(leaves);
  ASSERT_EQ(dds.size(), 128u + 24 * 16 * 4);
  d3dx8::DecodedImage image;
  ASSERT_TRUE(d3dx8::DecodeDds(dds.data(), dds.size(), &image));
  EXPECT_EQ(image.width, 24u);
  EXPECT_EQ(image.height, 16u);
  EXPECT_EQ(image.sourceFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(DecodedTexels(image), MakeTexturePixels(leaves)) << "rows top first, alpha kept";
  const std::vector<std::uint8_t> tga = EncodeTextureFile(bricks);
  ASSERT_TRUE(d3dx8::DecodeTga(tga.data(), tga.size(), &image));
  EXPECT_EQ(image.argb, MakeTexturePixels(bricks));
}

}  // namespace
