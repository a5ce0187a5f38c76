// Image file readers of the D3DX stand-in.  Each checks every size, count and
// offset against the data it was given and answers false (never crashes) for
// damaged or unsupported data.  Platform-internal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3dx8/d3dx8.h"

namespace d3dx8 {

// Largest accepted image side and pixel count: bigger claims are damage.
inline constexpr std::uint32_t kMaxSide = 16384;
inline constexpr std::uint64_t kMaxPixels = 1u << 24;

// A decoded image: ARGB texels of level 0, or for palettised sources also
// the indices and the palette; DDS files keep their stored levels instead.
struct DecodedImage {
  std::uint32_t width = 0, height = 0;
  D3DFORMAT sourceFormat = D3DFMT_UNKNOWN;
  D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
  std::vector<std::uint32_t> argb;
  bool paletted = false;
  std::vector<std::uint8_t> indices;
  PALETTEENTRY palette[256] = {};
  // DDS: stored format, levels per face, faces (1 or 6), and where each
  // face's level starts in the input (face-major).
  std::uint32_t levels = 1;
  std::uint32_t faces = 1;
  std::vector<const std::uint8_t*> levelData;
};

bool DecodeBmp(const std::uint8_t* data, std::size_t size, DecodedImage* out);
bool DecodeTga(const std::uint8_t* data, std::size_t size, DecodedImage* out);
bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage* out);
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage* out);
// Reads the header and level layout only; texels stay in the input.
bool DecodeDds(const std::uint8_t* data, std::size_t size, DecodedImage* out);
// Chooses the reader by the data's signature (TGA has none: last resort).
bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage* out);

// True when width x height is acceptable.
inline bool SaneSize(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

}  // namespace d3dx8
