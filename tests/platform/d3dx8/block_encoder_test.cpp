#include "platform/d3dx8/block_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/d3d8/pixel_format.h"

namespace {

int ChannelError(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int s = 0; s < 32; s += 8)
    worst = std::max(worst, std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
  return worst;
}

struct Block {
  const char* what;
  D3DFORMAT format;
  std::uint32_t texels[16];
  int tolerance;  // largest error of any channel, alpha included
};

std::vector<Block> Blocks() {
  std::vector<Block> blocks;
  Block b{};
  // One colour: the 565 rounding only.
  b = {"one colour", D3DFMT_DXT1, {}, 4};
  for (auto& t : b.texels) t = 0xFF3366CCu;
  blocks.push_back(b);
  // Two colours: exact, whichever texel comes first.
  b = {"checker", D3DFMT_DXT1, {}, 0};
  for (int i = 0; i < 16; ++i) b.texels[i] = ((i + i / 4) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
  blocks.push_back(b);
  // A ramp of greys: four levels, 85 apart.
  b = {"grey ramp", D3DFMT_DXT1, {}, 43};
  for (int i = 0; i < 16; ++i) b.texels[i] = 0xFF000000u | 0x010101u * static_cast<std::uint32_t>(i * 17);
  blocks.push_back(b);
  // Transparent texels take DXT1's transparent black, the others keep red and blue.
  b = {"cut-out", D3DFMT_DXT1, {}, 0};
  for (int i = 0; i < 16; ++i) b.texels[i] = i < 6 ? 0u : (i & 1 ? 0xFFFF0000u : 0xFF0000FFu);
  blocks.push_back(b);
  // Explicit alphas: multiples of 17 are exact in four bits.
  b = {"explicit alpha", D3DFMT_DXT3, {}, 0};
  for (int i = 0; i < 16; ++i) b.texels[i] = static_cast<std::uint32_t>(i * 17) << 24 | 0x00FF00u;
  blocks.push_back(b);
  // Interpolated alphas: within half a step of 255 / 7.
  b = {"alpha ramp", D3DFMT_DXT5, {}, 19};
  for (int i = 0; i < 16; ++i) b.texels[i] = static_cast<std::uint32_t>(i * 17) << 24 | 0x0000FFu;
  blocks.push_back(b);
  b = {"one alpha", D3DFMT_DXT5, {}, 0};
  for (auto& t : b.texels) t = 0x80FF0000u;
  blocks.push_back(b);
  return blocks;
}

}  // namespace

TEST(BlockEncoder, BlocksDecodeBackToTheirTexels) {
  for (const Block& b : Blocks()) {
    SCOPED_TRACE(b.what);
    std::uint8_t encoded[16] = {};
    d3dx8::EncodeDxtBlock(b.format, b.texels, encoded);
    std::uint32_t decoded[16];
    d3d8::DecodeDxtBlock(b.format, encoded, decoded);
    for (int i = 0; i < 16; ++i)
      EXPECT_LE(ChannelError(decoded[i], b.texels[i]), b.tolerance)
          << i << ": " << std::hex << b.texels[i] << " came back as " << decoded[i];
  }
}

TEST(BlockEncoder, PartialBlocksRepeatTheLastRowAndColumn) {
  // 6 x 5: a red left half and a blue right half, in 2 x 2 blocks.
  const UINT w = 6, h = 5;
  std::vector<std::uint32_t> image(w * h);
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x) image[y * w + x] = x < 3 ? 0xFFFF0000u : 0xFF0000FFu;
  std::vector<std::uint8_t> blocks(d3d8::LevelBytes(D3DFMT_DXT1, w, h), 0xCD);
  ASSERT_EQ(blocks.size(), 32u);
  d3dx8::EncodeDxt(D3DFMT_DXT1, image.data(), w, h, blocks.data(), d3d8::LevelPitch(D3DFMT_DXT1, w));
  std::vector<std::uint32_t> back(w * h);
  ASSERT_TRUE(d3d8::DecodeToArgb(D3DFMT_DXT1, blocks.data(), d3d8::LevelPitch(D3DFMT_DXT1, w), w, h, nullptr,
                                 back.data()));
  EXPECT_EQ(back, image);
}
