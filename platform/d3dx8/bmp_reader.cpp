// BMP files: 1, 4, 8 (palettised), 16, 24 and 32 bits per pixel, uncompressed,
// with bit-field masks or run-length packed (4 and 8 bits), bottom-up or
// top-down rows.
#include <cstring>

#include "foundation/byte_reader.h"
#include "platform/d3dx8/image_decoder.h"

namespace d3dx8 {
namespace {

// Extracts a masked channel and widens it to 8 bits.
std::uint32_t Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (!mask) return 0;
  unsigned shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  std::uint32_t bits = 0;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
  std::uint32_t v = (pixel & mask) >> shift;
  if (bits >= 8) return v >> (bits - 8);
  std::uint32_t r = v << (8 - bits);
  for (unsigned have = bits; have < 8; have += bits) r |= r >> bits;
  return r & 0xFF;
}

// Unpacks run-length BMP data (`bits` 4 or 8) into one index per pixel, rows
// bottom-up as stored.  Runs that pass the right edge are clipped; the data
// must end inside its bytes.
bool UnpackRle(ByteReader& r, unsigned bits, std::uint32_t w, std::uint32_t h, std::vector<std::uint8_t>* out) {
  out->assign(static_cast<std::size_t>(w) * h, 0);
  std::uint32_t x = 0, y = 0;
  auto put = [&](std::uint8_t index) {
    if (x < w && y < h) (*out)[static_cast<std::size_t>(y) * w + x] = index;
    ++x;
  };
  while (y < h) {
    std::uint8_t count = r.U8(), value = r.U8();
    if (!r.Ok()) return false;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i)
        put(bits == 8 ? value : static_cast<std::uint8_t>((i & 1) ? value & 15 : value >> 4));
      continue;
    }
    if (value == 0) {  // end of row
      x = 0;
      ++y;
    } else if (value == 1) {  // end of image
      return true;
    } else if (value == 2) {  // move right and up
      std::uint8_t dx = r.U8(), dy = r.U8();
      if (!r.Ok()) return false;
      x += dx;
      y += dy;
    } else {  // `value` literal pixels, padded to a 16-bit boundary
      std::size_t bytes = bits == 8 ? value : (value + 1u) / 2;
      if (!r.HasRoom(bytes)) return false;
      const std::uint8_t* p = r.Current();
      for (unsigned i = 0; i < value; ++i)
        put(bits == 8 ? p[i] : static_cast<std::uint8_t>((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4));
      r.Skip(bytes + (bytes & 1));
      if (!r.Ok()) return false;
    }
  }
  return true;
}

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, DecodedImage* out) {
  ByteReader r(data, size);
  if (r.U16() != 0x4D42) return false;
  r.Skip(8);
  std::uint32_t pixelOffset = r.U32();
  std::uint32_t headerSize = r.U32();
  if (!r.Ok()) return false;
  std::int64_t width, height;
  std::uint32_t bits, compression = 0, colours = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  bool core = headerSize == 12;
  if (core) {
    width = r.U16();
    height = r.U16();
    r.U16();
    bits = r.U16();
  } else {
    if (headerSize < 40 || headerSize > 1024) return false;
    width = r.I32();
    height = r.I32();
    r.U16();
    bits = r.U16();
    compression = r.U32();
    r.Skip(12);
    colours = r.U32();
    r.U32();
    if (headerSize >= 52) {
      for (int i = 0; i < (headerSize >= 56 ? 4 : 3); ++i) masks[i] = r.U32();
    }
    if (!r.Seek(14 + headerSize)) return false;
    if (compression == 3 && headerSize == 40) {
      for (int i = 0; i < 3; ++i) masks[i] = r.U32();
    }
  }
  if (!r.Ok()) return false;
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (!SaneSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height))) return false;
  bool rle = compression == 1 || compression == 2;
  if (compression > 3) return false;
  if (compression == 1 && bits != 8) return false;
  if (compression == 2 && bits != 4) return false;
  if (compression == 3 && bits != 16 && bits != 32) return false;
  if (rle && topDown) return false;
  std::uint32_t w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);

  out->width = w;
  out->height = h;
  out->fileFormat = D3DXIFF_BMP;
  if (bits == 1 || bits == 4 || bits == 8) {
    std::uint32_t count = colours ? colours : (1u << bits);
    if (count > 256) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      PALETTEENTRY& p = out->palette[i];
      p.peBlue = r.U8();
      p.peGreen = r.U8();
      p.peRed = r.U8();
      p.peFlags = 0xFF;
      if (!core) r.U8();
    }
    if (!r.Ok()) return false;
    out->paletted = true;
    out->sourceFormat = D3DFMT_P8;
  } else if (bits == 16) {
    if (compression == 0) {
      masks[0] = 0x7C00;
      masks[1] = 0x3E0;
      masks[2] = 0x1F;
    }
    out->sourceFormat = masks[1] == 0x7E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
  } else if (bits == 24) {
    out->sourceFormat = D3DFMT_R8G8B8;
  } else if (bits == 32) {
    if (compression == 0) {
      masks[0] = 0xFF0000;
      masks[1] = 0xFF00;
      masks[2] = 0xFF;
      masks[3] = 0;
    }
    out->sourceFormat = masks[3] ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  } else {
    return false;
  }

  if (pixelOffset > size) return false;
  if (rle) {
    // Packed images may end early or skip ahead, so their size cannot be
    // checked against the data; the overall size limit holds.
    ByteReader packed(data + pixelOffset, size - pixelOffset);
    std::vector<std::uint8_t> unpacked;
    if (!UnpackRle(packed, bits, w, h, &unpacked)) return false;
    out->argb.assign(static_cast<std::size_t>(w) * h, 0);
    out->indices.assign(static_cast<std::size_t>(w) * h, 0);
    for (std::uint32_t y = 0; y < h; ++y) {
      for (std::uint32_t x = 0; x < w; ++x) {
        std::size_t at = static_cast<std::size_t>(y) * w + x;
        std::uint8_t index = unpacked[static_cast<std::size_t>(h - 1 - y) * w + x];
        out->indices[at] = index;
        const PALETTEENTRY& p = out->palette[index];
        out->argb[at] = 0xFF000000u | (std::uint32_t(p.peRed) << 16) | (std::uint32_t(p.peGreen) << 8) | p.peBlue;
      }
    }
    return true;
  }
  std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bits + 31) / 32) * 4;
  if (stride * h > size - pixelOffset) return false;
  const std::uint8_t* pixels = data + pixelOffset;
  out->argb.assign(static_cast<std::size_t>(w) * h, 0);
  if (out->paletted) out->indices.assign(static_cast<std::size_t>(w) * h, 0);
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* row = pixels + stride * (topDown ? y : h - 1 - y);
    for (std::uint32_t x = 0; x < w; ++x) {
      std::size_t at = static_cast<std::size_t>(y) * w + x;
      if (out->paletted) {
        std::uint32_t bitPos = x * bits;
        std::uint32_t index = (row[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
        out->indices[at] = static_cast<std::uint8_t>(index);
        const PALETTEENTRY& p = out->palette[index];
        out->argb[at] = 0xFF000000u | (std::uint32_t(p.peRed) << 16) | (std::uint32_t(p.peGreen) << 8) | p.peBlue;
      } else if (bits == 24) {
        const std::uint8_t* p = row + x * 3;
        out->argb[at] = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
      } else {
        std::uint32_t v = 0;
        std::memcpy(&v, row + x * (bits / 8), bits / 8);
        std::uint32_t a = masks[3] ? Channel(v, masks[3]) : 0xFF;
        out->argb[at] = (a << 24) | (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
      }
    }
  }
  return true;
}

}  // namespace d3dx8
