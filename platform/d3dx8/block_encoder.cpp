#include "platform/d3dx8/block_encoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/d3d8/pixel_format.h"

namespace d3dx8 {
namespace {

int Channel(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

// Squared RGB distance.
int Distance(std::uint32_t a, std::uint32_t b) {
  int d = 0;
  for (int s = 0; s < 24; s += 8) {
    const int e = Channel(a, s) - Channel(b, s);
    d += e * e;
  }
  return d;
}

// Nearest RGB565 word of an ARGB colour (rounded per channel).
std::uint16_t To565(std::uint32_t c) {
  const unsigned r = (Channel(c, 16) * 31 + 127) / 255;
  const unsigned g = (Channel(c, 8) * 63 + 127) / 255;
  const unsigned b = (Channel(c, 0) * 31 + 127) / 255;
  return static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
}

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

// The colour half (8 bytes): end points c0, c1 (RGB565) and 2-bit indices.
// Four-colour mode needs c0 > c1; DXT1's three-colour mode (c0 <= c1) has
// transparent black as its fourth entry.
void EncodeColours(const std::uint32_t texels[16], bool transparentEntry, std::uint8_t* out) {
  // End points: the two (opaque) texels farthest apart.
  int first = -1, a = -1, b = -1, best = -1;
  for (int i = 0; i < 16; ++i) {
    if (transparentEntry && Channel(texels[i], 24) < 128) continue;
    if (first < 0) first = a = b = i;
    for (int j = first; j < i; ++j) {
      if (transparentEntry && Channel(texels[j], 24) < 128) continue;
      const int d = Distance(texels[i], texels[j]);
      if (d > best) {
        best = d;
        a = i;
        b = j;
      }
    }
  }
  std::uint16_t c0 = a < 0 ? 0 : To565(texels[a]), c1 = b < 0 ? 0 : To565(texels[b]);
  const bool threeColour = transparentEntry;
  if (threeColour ? c0 > c1 : c0 < c1) std::swap(c0, c1);
  // Four-colour mode with equal end points would read as three-colour in DXT1.
  if (!threeColour && c0 == c1) {
    if (c1 > 0)
      --c1;
    else
      ++c0;
  }
  Put16(out, c0);
  Put16(out + 2, c1);
  // The block's colours as the decoder makes them: indices 0..3 in turn.
  std::uint8_t probe[8];
  std::memcpy(probe, out, 4);
  Put16(probe + 4, 0xE4);  // 0, 1, 2, 3
  Put16(probe + 6, 0);
  std::uint32_t decoded[16];
  d3d8::DecodeDxtBlock(D3DFMT_DXT1, probe, decoded);
  std::uint32_t bits = 0;
  for (int i = 0; i < 16; ++i) {
    int index = 0;
    if (threeColour && Channel(texels[i], 24) < 128) {
      index = 3;
    } else {
      int nearest = -1;
      for (int k = 0; k < (threeColour ? 3 : 4); ++k) {
        const int d = Distance(texels[i], decoded[k]);
        if (nearest < 0 || d < nearest) {
          nearest = d;
          index = k;
        }
      }
    }
    bits |= static_cast<std::uint32_t>(index) << (2 * i);
  }
  Put16(out + 4, bits & 0xFFFF);
  Put16(out + 6, bits >> 16);
}

// DXT4/5 alpha half: a0 = highest, a1 = lowest alpha (eight-value mode,
// a0 > a1), 3-bit index of the nearest of the eight values per texel.
void EncodeAlphaRamp(const std::uint32_t texels[16], std::uint8_t* out) {
  int hi = 0, lo = 255;
  for (int i = 0; i < 16; ++i) {
    hi = std::max(hi, Channel(texels[i], 24));
    lo = std::min(lo, Channel(texels[i], 24));
  }
  if (hi == lo) {
    // One value: any index 0 reads a0; keep a0 > a1 where possible.
    if (lo > 0) --lo; else ++hi;
  }
  int table[8] = {hi, lo};
  for (int i = 1; i < 7; ++i) table[i + 1] = ((7 - i) * hi + i * lo) / 7;
  out[0] = static_cast<std::uint8_t>(hi);
  out[1] = static_cast<std::uint8_t>(lo);
  std::uint64_t bits = 0;
  for (int i = 0; i < 16; ++i) {
    const int alpha = Channel(texels[i], 24);
    int index = 0;
    for (int k = 1; k < 8; ++k)
      if (std::abs(table[k] - alpha) < std::abs(table[index] - alpha)) index = k;
    bits |= static_cast<std::uint64_t>(index) << (3 * i);
  }
  for (int i = 0; i < 6; ++i) out[2 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

void EncodeDxtBlock(D3DFORMAT format, const std::uint32_t texels[16], std::uint8_t* out) {
  switch (format) {
    case D3DFMT_DXT1: {
      bool transparent = false;
      for (int i = 0; i < 16; ++i) transparent |= Channel(texels[i], 24) < 128;
      EncodeColours(texels, transparent, out);
      return;
    }
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
      // Explicit 4-bit alphas, two per byte, low nibble first.
      for (int i = 0; i < 8; ++i) {
        const unsigned lo = (Channel(texels[2 * i], 24) * 15 + 127) / 255;
        const unsigned hi = (Channel(texels[2 * i + 1], 24) * 15 + 127) / 255;
        out[i] = static_cast<std::uint8_t>(lo | (hi << 4));
      }
      EncodeColours(texels, false, out + 8);
      return;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      EncodeAlphaRamp(texels, out);
      EncodeColours(texels, false, out + 8);
      return;
    default:
      return;
  }
}

void EncodeDxt(D3DFORMAT format, const std::uint32_t* argb, UINT width, UINT height, std::uint8_t* out, UINT pitch) {
  const UINT blockBytes = d3d8::BlockBytes(format);
  if (blockBytes == 0 || width == 0 || height == 0) return;
  std::uint32_t block[16];
  for (UINT by = 0; by < (height + 3) / 4; ++by) {
    for (UINT bx = 0; bx < (width + 3) / 4; ++bx) {
      for (UINT y = 0; y < 4; ++y) {
        const UINT sy = std::min(by * 4 + y, height - 1);
        for (UINT x = 0; x < 4; ++x) {
          const UINT sx = std::min(bx * 4 + x, width - 1);
          block[y * 4 + x] = argb[static_cast<std::size_t>(sy) * width + sx];
        }
      }
      EncodeDxtBlock(format, block, out + static_cast<std::size_t>(by) * pitch + static_cast<std::size_t>(bx) * blockBytes);
    }
  }
}

}  // namespace d3dx8
