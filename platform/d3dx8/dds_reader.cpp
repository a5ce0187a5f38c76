// DDS files: the 128-byte header, the pixel format (DXT1..5 blocks or RGB,
// alpha and luminance masks), the mip chain and the six faces of cube maps.
#include <algorithm>

#include "foundation/byte_reader.h"
#include "platform/d3d8/pixel_format.h"
#include "platform/d3dx8/image_decoder.h"

namespace d3dx8 {
namespace {

constexpr std::uint32_t kMagic = 0x20534444;  // "DDS "
constexpr std::uint32_t kMipCountFlag = 0x20000;
constexpr std::uint32_t kAlphaPixels = 0x1, kAlpha = 0x2, kFourCc = 0x4, kRgb = 0x40, kLuminance = 0x20000;
constexpr std::uint32_t kCubeMap = 0x200, kAllFaces = 0xFC00;

D3DFORMAT FormatOf(std::uint32_t flags, std::uint32_t fourCc, std::uint32_t bits, std::uint32_t r, std::uint32_t g,
                   std::uint32_t b, std::uint32_t a) {
  if (flags & kFourCc) {
    for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
      if (fourCc == static_cast<std::uint32_t>(f)) return f;
    return D3DFMT_UNKNOWN;
  }
  bool alpha = (flags & kAlphaPixels) && a;
  if (flags & kRgb) {
    if (bits == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF)
      return alpha && a == 0xFF000000u ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (bits == 24 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF) return D3DFMT_R8G8B8;
    if (bits == 16 && r == 0xF800 && g == 0x7E0 && b == 0x1F) return D3DFMT_R5G6B5;
    if (bits == 16 && r == 0x7C00 && g == 0x3E0 && b == 0x1F)
      return alpha && a == 0x8000 ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    if (bits == 16 && r == 0xF00 && g == 0xF0 && b == 0xF)
      return alpha && a == 0xF000 ? D3DFMT_A4R4G4B4 : D3DFMT_X4R4G4B4;
    return D3DFMT_UNKNOWN;
  }
  if ((flags & kAlpha) && bits == 8 && a == 0xFF) return D3DFMT_A8;
  if ((flags & kLuminance) && bits == 8) return D3DFMT_L8;
  if ((flags & kLuminance) && bits == 16 && alpha) return D3DFMT_A8L8;
  return D3DFMT_UNKNOWN;
}

}  // namespace

bool DecodeDds(const std::uint8_t* data, std::size_t size, DecodedImage* out) {
  ByteReader r(data, size);
  if (r.U32() != kMagic || r.U32() != 124) return false;
  std::uint32_t flags = r.U32(), height = r.U32(), width = r.U32();
  r.U32();  // pitch or linear size: recomputed from the format
  r.U32();  // depth
  std::uint32_t mipCount = r.U32();
  r.Skip(11 * 4);
  r.U32();  // pixel format size
  std::uint32_t pfFlags = r.U32(), fourCc = r.U32(), bits = r.U32();
  std::uint32_t rMask = r.U32(), gMask = r.U32(), bMask = r.U32(), aMask = r.U32();
  r.U32();  // caps
  std::uint32_t caps2 = r.U32();
  if (!r.Ok() || !r.Seek(128)) return false;
  if (!SaneSize(width, height)) return false;
  D3DFORMAT format = FormatOf(pfFlags, fourCc, bits, rMask, gMask, bMask, aMask);
  if (format == D3DFMT_UNKNOWN) return false;

  std::uint32_t full = 1;
  for (std::uint32_t m = std::max(width, height); m > 1; m >>= 1) ++full;
  std::uint32_t levels = (flags & kMipCountFlag) && mipCount ? std::min(mipCount, full) : 1;
  std::uint32_t faces = 1;
  if (caps2 & kCubeMap) {
    if ((caps2 & kAllFaces) != kAllFaces || width != height) return false;
    faces = 6;
  }
  out->levelData.clear();
  std::size_t at = 128;
  for (std::uint32_t f = 0; f < faces; ++f) {
    for (std::uint32_t l = 0; l < levels; ++l) {
      std::uint64_t bytes = d3d8::LevelBytes(format, std::max(1u, width >> l), std::max(1u, height >> l));
      if (bytes > size - at) return false;
      out->levelData.push_back(data + at);
      at += static_cast<std::size_t>(bytes);
    }
  }
  out->width = width;
  out->height = height;
  out->sourceFormat = format;
  out->fileFormat = D3DXIFF_DDS;
  out->levels = levels;
  out->faces = faces;
  return true;
}

}  // namespace d3dx8
