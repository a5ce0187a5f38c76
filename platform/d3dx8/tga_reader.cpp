// TGA files: colour-mapped, true-colour and grey images, raw or run-length
// packed, with either row origin.
#include "foundation/byte_reader.h"
#include "platform/d3dx8/image_decoder.h"

namespace d3dx8 {
namespace {

// One stored pixel (or colour-map entry) of `bits` bits to ARGB.
std::uint32_t Pixel(const std::uint8_t* p, unsigned bits) {
  switch (bits) {
    case 8:
      return 0xFF000000u | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[0]) << 8) | p[0];
    case 15:
    case 16: {
      std::uint32_t v = p[0] | (p[1] << 8);
      auto five = [](std::uint32_t c) { return (c << 3) | (c >> 2); };
      std::uint32_t a = (bits == 16 && !(v & 0x8000)) ? 0 : 0xFF;
      return (a << 24) | (five((v >> 10) & 31) << 16) | (five((v >> 5) & 31) << 8) | five(v & 31);
    }
    case 24:
      return 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    default:
      return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
  }
}

}  // namespace

bool DecodeTga(const std::uint8_t* data, std::size_t size, DecodedImage* out) {
  ByteReader r(data, size);
  std::uint8_t idLength = r.U8(), mapType = r.U8(), type = r.U8();
  std::uint16_t mapFirst = r.U16(), mapLength = r.U16();
  std::uint8_t mapBits = r.U8();
  r.Skip(4);
  std::uint16_t width = r.U16(), height = r.U16();
  std::uint8_t bits = r.U8(), descriptor = r.U8();
  if (!r.Ok() || mapType > 1) return false;
  bool rle = type >= 9;
  std::uint8_t kind = rle ? type - 8 : type;
  if (kind < 1 || kind > 3 || !SaneSize(width, height)) return false;
  if (kind == 1 && (mapType != 1 || bits != 8)) return false;
  if (kind == 2 && bits != 15 && bits != 16 && bits != 24 && bits != 32) return false;
  if (kind == 3 && bits != 8) return false;
  if (!r.Skip(idLength)) return false;

  std::vector<std::uint32_t> map;
  if (mapType == 1) {
    if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
    unsigned entry = (mapBits + 7) / 8;
    if (!r.HasRoom(static_cast<std::size_t>(mapLength) * entry)) return false;
    for (unsigned i = 0; i < mapLength; ++i) map.push_back(Pixel(r.Current() + i * entry, mapBits));
    r.Skip(static_cast<std::size_t>(mapLength) * entry);
  }
  unsigned bytes = (bits + 7) / 8;
  std::size_t count = static_cast<std::size_t>(width) * height;
  // The data must be able to hold the claimed pixels before room is made for
  // them: raw pixels take `bytes` each, a packet covers at most 128.
  std::size_t room = r.Remaining();
  if (!rle && count > room / bytes) return false;
  if (rle && count > (room / (1 + bytes)) * 128 + 128) return false;
  std::vector<std::uint32_t> pixels(count);
  auto convert = [&](const std::uint8_t* p, std::uint32_t* v) {
    if (kind != 1) {
      *v = Pixel(p, bits);
      return true;
    }
    std::uint32_t index = p[0];
    if (index < mapFirst || index - mapFirst >= map.size()) return false;
    *v = map[index - mapFirst];
    return true;
  };
  std::size_t done = 0;
  while (done < count) {
    if (!rle) {
      if (!r.HasRoom(bytes)) return false;
      if (!convert(r.Current(), &pixels[done++])) return false;
      r.Skip(bytes);
      continue;
    }
    std::uint8_t header = r.U8();
    if (!r.Ok()) return false;
    std::size_t run = (header & 0x7F) + 1u;
    if (run > count - done) return false;
    if (header & 0x80) {
      std::uint32_t v;
      if (!r.HasRoom(bytes) || !convert(r.Current(), &v)) return false;
      r.Skip(bytes);
      for (std::size_t i = 0; i < run; ++i) pixels[done++] = v;
    } else {
      for (std::size_t i = 0; i < run; ++i) {
        if (!r.HasRoom(bytes) || !convert(r.Current(), &pixels[done++])) return false;
        r.Skip(bytes);
      }
    }
  }
  // Rows are stored bottom-up unless bit 5 says top-down; bit 4 mirrors them.
  bool topDown = (descriptor & 0x20) != 0, rightToLeft = (descriptor & 0x10) != 0;
  out->width = width;
  out->height = height;
  out->fileFormat = D3DXIFF_TGA;
  out->argb.resize(count);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint32_t sy = topDown ? y : height - 1 - y;
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint32_t sx = rightToLeft ? width - 1 - x : x;
      out->argb[static_cast<std::size_t>(y) * width + x] = pixels[static_cast<std::size_t>(sy) * width + sx];
    }
  }
  out->sourceFormat = kind == 3 ? D3DFMT_L8
                      : bits == 32 ? D3DFMT_A8R8G8B8
                      : bits == 24 ? D3DFMT_R8G8B8
                      : bits == 16 ? D3DFMT_A1R5G5B5
                      : bits == 15 ? D3DFMT_X1R5G5B5
                                   : D3DFMT_A8R8G8B8;
  return true;
}

}  // namespace d3dx8
