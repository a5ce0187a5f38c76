// Small image files built in memory for the D3DX loader tests (BMP, TGA, PNG,
// JPEG, DDS with DXT1 blocks), and a device to load them on.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3dx8/d3dx8.h"

using Bytes = std::vector<std::uint8_t>;
using Texels = std::vector<std::uint32_t>;  // ARGB, row 0 on top

// 24-bit BMP, rows stored bottom-up.
Bytes MakeBmp24(std::uint32_t w, std::uint32_t h, const Texels& argb);
// 8-bit palettised BMP.
Bytes MakeBmp8(std::uint32_t w, std::uint32_t h, const std::vector<std::uint8_t>& indices, const Texels& palette);
// TGA of 24 or 32 bits, raw or run-length packed, bottom-up or top-down.
Bytes MakeTga(std::uint32_t w, std::uint32_t h, const Texels& argb, int bits, bool rle, bool topDown);
// RGBA PNG.
Bytes MakePng(std::uint32_t w, std::uint32_t h, const Texels& argb);
// Best-quality JPEG.
Bytes MakeJpeg(std::uint32_t w, std::uint32_t h, const Texels& argb);
// DDS with the given pixel-format words, levels and faces around `payload`.
Bytes MakeDds(std::uint32_t w, std::uint32_t h, std::uint32_t mipCount, bool cube, std::uint32_t pfFlags,
              std::uint32_t fourCc, std::uint32_t bits, const std::uint32_t masks[4], const Bytes& payload);
// A8R8G8B8 DDS of one level.
Bytes MakeDdsArgb(std::uint32_t w, std::uint32_t h, const Texels& argb);
// One DXT1 block: endpoints (RGB565) and sixteen 2-bit indices, row by row.
Bytes Dxt1Block(std::uint16_t c0, std::uint16_t c1, const int indices[16]);

class LoaderFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Draws `texture` 1:1 at the top-left with point sampling and reads back
  // w x h pixels (ARGB with alpha forced to 0xFF).
  Texels DrawAndRead(IDirect3DTexture8* texture, std::uint32_t w, std::uint32_t h);
  // Reads level `level` of an A8R8G8B8 or X8R8G8B8 texture.
  static Texels ReadLevel(IDirect3DTexture8* texture, UINT level);

  HWND window_ = nullptr;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

bool Near(std::uint32_t a, std::uint32_t b, int tolerance);

// Run-length packed 8-bit BMP from its packed bytes (rows bottom-up).
Bytes MakeBmpRle8(std::uint32_t w, std::uint32_t h, const Bytes& packed, const Texels& palette);
