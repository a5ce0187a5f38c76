#include "platform/d3d8/pixel_format.h"

#include <cstring>

namespace d3d8 {
namespace {

// Widens an n-bit channel value to 8 bits by replicating its top bits.
inline std::uint32_t Expand(std::uint32_t v, unsigned bits) {
  if (bits == 0) return 0;
  if (bits >= 8) return v & 0xFF;
  std::uint32_t r = v << (8 - bits);
  for (unsigned have = bits; have < 8; have += bits) r |= r >> bits;
  return r & 0xFF;
}

inline std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

inline std::uint16_t Rd16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Rd32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void Wr16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Wr32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// RGB565 colour endpoint to ARGB.
inline std::uint32_t From565(std::uint32_t c) {
  return Argb(0xFF, Expand((c >> 11) & 31, 5), Expand((c >> 5) & 63, 6), Expand(c & 31, 5));
}

}  // namespace

UINT BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
      return 2;
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
      return 1;
    default:
      return 0;
  }
}

bool IsBlockCompressed(D3DFORMAT format) { return BlockBytes(format) != 0; }

UINT BlockBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_DXT1:
      return 8;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      return 16;
    default:
      return 0;
  }
}

bool IsTextureFormat(D3DFORMAT format) {
  return (BytesPerPixel(format) != 0 && format != D3DFMT_R8G8B8) || IsBlockCompressed(format);
}

UINT LevelPitch(D3DFORMAT format, UINT width) {
  if (UINT b = BlockBytes(format)) return ((width + 3) / 4) * b;
  return width * BytesPerPixel(format);
}

std::uint64_t LevelBytes(D3DFORMAT format, UINT width, UINT height) {
  if (UINT b = BlockBytes(format))
    return static_cast<std::uint64_t>((width + 3) / 4) * ((height + 3) / 4) * b;
  return static_cast<std::uint64_t>(width) * height * BytesPerPixel(format);
}

bool HasAlpha(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_A8L8:
    case D3DFMT_DXT1:
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
    case D3DFMT_P8:
      return true;
    default:
      return false;
  }
}

void DecodeDxtBlock(D3DFORMAT format, const std::uint8_t* block, std::uint32_t out[16]) {
  // The colour half: two RGB565 endpoints and 2-bit indices.  DXT1 with
  // c0 <= c1 has a three-colour mode whose fourth entry is transparent black.
  const std::uint8_t* colour = format == D3DFMT_DXT1 ? block : block + 8;
  std::uint32_t c0 = Rd16(colour), c1 = Rd16(colour + 2);
  std::uint32_t p[4];
  p[0] = From565(c0);
  p[1] = From565(c1);
  auto mix = [](std::uint32_t a, std::uint32_t b, unsigned wa, unsigned wb, unsigned d) {
    std::uint32_t r = 0;
    for (int s = 0; s < 24; s += 8) {
      std::uint32_t ca = (a >> s) & 0xFF, cb = (b >> s) & 0xFF;
      r |= ((ca * wa + cb * wb) / d) << s;
    }
    return r | 0xFF000000u;
  };
  bool fourColour = format != D3DFMT_DXT1 || c0 > c1;
  if (fourColour) {
    p[2] = mix(p[0], p[1], 2, 1, 3);
    p[3] = mix(p[0], p[1], 1, 2, 3);
  } else {
    p[2] = mix(p[0], p[1], 1, 1, 2);
    p[3] = 0;
  }
  std::uint32_t bits = Rd32(colour + 4);
  for (int i = 0; i < 16; ++i) out[i] = p[(bits >> (2 * i)) & 3];
  if (format == D3DFMT_DXT1) return;

  // The alpha half: explicit 4-bit values (DXT2/3) or two endpoints with
  // 3-bit indices (DXT4/5).
  std::uint32_t alpha[16];
  if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
    for (int i = 0; i < 16; ++i) alpha[i] = Expand((block[i / 2] >> ((i & 1) * 4)) & 15, 4);
  } else {
    std::uint32_t a0 = block[0], a1 = block[1];
    std::uint32_t table[8] = {a0, a1};
    if (a0 > a1) {
      for (int i = 1; i < 7; ++i) table[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
      for (int i = 1; i < 5; ++i) table[i + 1] = ((5 - i) * a0 + i * a1) / 5;
      table[6] = 0;
      table[7] = 255;
    }
    std::uint64_t idx = 0;
    for (int i = 0; i < 6; ++i) idx |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) alpha[i] = table[(idx >> (3 * i)) & 7];
  }
  for (int i = 0; i < 16; ++i) out[i] = (out[i] & 0x00FFFFFFu) | (alpha[i] << 24);
}

bool DecodeToArgb(D3DFORMAT format, const std::uint8_t* src, UINT pitch, UINT width, UINT height,
                  const PALETTEENTRY* palette, std::uint32_t* argb) {
  if (UINT bb = BlockBytes(format)) {
    std::uint32_t texels[16];
    for (UINT by = 0; by < (height + 3) / 4; ++by) {
      for (UINT bx = 0; bx < (width + 3) / 4; ++bx) {
        DecodeDxtBlock(format, src + by * pitch + bx * bb, texels);
        for (UINT y = 0; y < 4; ++y) {
          for (UINT x = 0; x < 4; ++x) {
            UINT px = bx * 4 + x, py = by * 4 + y;
            if (px < width && py < height) argb[py * width + px] = texels[y * 4 + x];
          }
        }
      }
    }
    return true;
  }
  for (UINT y = 0; y < height; ++y) {
    const std::uint8_t* row = src + static_cast<std::size_t>(y) * pitch;
    std::uint32_t* out = argb + static_cast<std::size_t>(y) * width;
    for (UINT x = 0; x < width; ++x) {
      std::uint32_t v;
      switch (format) {
        case D3DFMT_A8R8G8B8:
          v = Rd32(row + x * 4);
          break;
        case D3DFMT_X8R8G8B8:
          v = Rd32(row + x * 4) | 0xFF000000u;
          break;
        case D3DFMT_R8G8B8:
          v = Argb(0xFF, row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
          break;
        case D3DFMT_R5G6B5:
          v = From565(Rd16(row + x * 2));
          break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
          std::uint32_t c = Rd16(row + x * 2);
          std::uint32_t a = (format == D3DFMT_X1R5G5B5 || (c & 0x8000)) ? 0xFF : 0;
          v = Argb(a, Expand((c >> 10) & 31, 5), Expand((c >> 5) & 31, 5), Expand(c & 31, 5));
          break;
        }
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: {
          std::uint32_t c = Rd16(row + x * 2);
          std::uint32_t a = format == D3DFMT_X4R4G4B4 ? 0xFF : Expand(c >> 12, 4);
          v = Argb(a, Expand((c >> 8) & 15, 4), Expand((c >> 4) & 15, 4), Expand(c & 15, 4));
          break;
        }
        case D3DFMT_A8:
          // Alpha-only texels read as white with that alpha, so that modulating
          // with the vertex colour gives the vertex colour.
          v = Argb(row[x], 0xFF, 0xFF, 0xFF);
          break;
        case D3DFMT_L8:
          v = Argb(0xFF, row[x], row[x], row[x]);
          break;
        case D3DFMT_A8L8:
          v = Argb(row[x * 2 + 1], row[x * 2], row[x * 2], row[x * 2]);
          break;
        case D3DFMT_P8: {
          std::uint8_t i = row[x];
          v = palette ? Argb(palette[i].peFlags, palette[i].peRed, palette[i].peGreen, palette[i].peBlue)
                      : Argb(0xFF, i, i, i);
          break;
        }
        default:
          return false;
      }
      out[x] = v;
    }
  }
  return true;
}

bool EncodeFromArgb(D3DFORMAT format, const std::uint32_t* argb, UINT width, UINT height, std::uint8_t* dst,
                    UINT pitch) {
  for (UINT y = 0; y < height; ++y) {
    std::uint8_t* row = dst + static_cast<std::size_t>(y) * pitch;
    const std::uint32_t* in = argb + static_cast<std::size_t>(y) * width;
    for (UINT x = 0; x < width; ++x) {
      std::uint32_t c = in[x];
      std::uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      switch (format) {
        case D3DFMT_A8R8G8B8:
          Wr32(row + x * 4, c);
          break;
        case D3DFMT_X8R8G8B8:
          Wr32(row + x * 4, c | 0xFF000000u);
          break;
        case D3DFMT_R8G8B8:
          row[x * 3] = static_cast<std::uint8_t>(b);
          row[x * 3 + 1] = static_cast<std::uint8_t>(g);
          row[x * 3 + 2] = static_cast<std::uint8_t>(r);
          break;
        case D3DFMT_R5G6B5:
          Wr16(row + x * 2, ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
          break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
          Wr16(row + x * 2, ((format == D3DFMT_X1R5G5B5 || a >= 128) ? 0x8000u : 0u) | ((r >> 3) << 10) |
                                ((g >> 3) << 5) | (b >> 3));
          break;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
          Wr16(row + x * 2, ((format == D3DFMT_X4R4G4B4 ? 15u : a >> 4) << 12) | ((r >> 4) << 8) |
                                ((g >> 4) << 4) | (b >> 4));
          break;
        case D3DFMT_A8:
          row[x] = static_cast<std::uint8_t>(a);
          break;
        case D3DFMT_L8:
          row[x] = static_cast<std::uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
          break;
        case D3DFMT_A8L8:
          row[x * 2] = static_cast<std::uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
          row[x * 2 + 1] = static_cast<std::uint8_t>(a);
          break;
        default:
          return false;
      }
    }
  }
  return true;
}

}  // namespace d3d8
