#include "make_objects/texture_maker.h"

#include <algorithm>
#include <cmath>

#include "foundation/byte_reader.h"
#include "foundation/memory/memory_manager.h"
#include "render/textures/image_info.h"

namespace {

// A well-mixed 32-bit hash of a pixel position and a seed (integer avalanche).
std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}
// 0 to 1 from the hash.
float Noise(int x, int y, std::uint32_t seed) {
  return static_cast<float>(Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) & 0xFFFF) / 65535.0f;
}

// a + (b - a)·t per channel, opaque.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    float ca = static_cast<float>((a >> shift) & 0xFF), cb = static_cast<float>((b >> shift) & 0xFF);
    out |= static_cast<std::uint32_t>(ca + (cb - ca) * t + 0.5f) << shift;
  }
  return out;
}
// Each channel times k (capped at 255), opaque.
std::uint32_t Shade(std::uint32_t c, float k) {
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= static_cast<std::uint32_t>(std::min(255.0f, static_cast<float>((c >> shift) & 0xFF) * k + 0.5f)) << shift;
  return out;
}

}  // namespace

std::vector<std::uint32_t> MakeTexturePixels(const TextureSource& t) {
  const int w = t.Width, h = t.Height;
  const std::uint32_t c1 = t.Colours.empty() ? 0xFFFFFF : t.Colours[0];
  const std::uint32_t c2 = t.Colours.size() > 1 ? t.Colours[1] : c1;
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint32_t c = 0xFF000000u | c1;
      if (t.Pattern == "checker") {
        int cell = std::max(1, std::min(w, h) / 8);
        c = ((x / cell + y / cell) & 1) ? 0xFF000000u | c2 : 0xFF000000u | c1;
      } else if (t.Pattern == "noise") {
        // Two octaves: 4-pixel blocks and single pixels.
        c = Mix(c1, c2, 0.7f * Noise(x / 4, y / 4, 1) + 0.3f * Noise(x, y, 2));
      } else if (t.Pattern == "planks") {
        // Rows of planks a quarter of the height high, each row's joints offset.
        int row_h = std::max(2, h / 4), row = y / row_h;
        int len = std::max(2, w / 2), joint = (x + row * len / 3) % len;
        bool seam = y % row_h == 0 || joint == 0;
        float grain = 0.8f + 0.2f * Noise(x / 8 + row * 31, y, 3);
        c = seam ? 0xFF000000u | c2 : Shade(c1, grain);
      } else if (t.Pattern == "bricks") {
        // Rows an eighth of the height high, bricks a quarter of the width long, half-offset on odd rows.
        int row_h = std::max(2, h / 8), row = y / row_h;
        int len = std::max(2, w / 4), along = (x + (row & 1) * len / 2) % len;
        bool mortar = y % row_h == 0 || along == 0;
        c = mortar ? 0xFF000000u | c2 : Shade(c1, 0.85f + 0.15f * Noise(x / len + row * 7, row, 4));
      } else if (t.Pattern == "bark") {
        // Upright furrows: the shade of a column wanders slowly down the picture.
        float furrow = std::fabs(std::sin((static_cast<float>(x) + 3 * Noise(x / 3, y / 8, 5)) * 0.8f));
        c = Mix(c2, c1, furrow);
      } else if (t.Pattern == "leaves") {
        // Leaf blobs on a 8 x 8 cell grid: a pixel is opaque inside its cell's
        // ellipse (centre and size from the cell's hash), transparent elsewhere.
        int cell = std::max(2, std::min(w, h) / 8);
        int cx = x / cell, cy = y / cell;
        float ex = (static_cast<float>(x % cell) + 0.5f) / static_cast<float>(cell) - (0.35f + 0.3f * Noise(cx, cy, 6));
        float ey = (static_cast<float>(y % cell) + 0.5f) / static_cast<float>(cell) - (0.35f + 0.3f * Noise(cx, cy, 7));
        bool inside = ex * ex / 0.16f + ey * ey / 0.09f <= 1.0f;
        c = inside ? Shade(c1, 0.75f + 0.4f * Noise(cx, cy, 8)) : (c1 & 0x00FFFFFFu);
      }
      px[static_cast<std::size_t>(y) * w + x] = c;
    }
  }
  return px;
}

std::vector<std::uint8_t> EncodeTga(int width, int height, const std::vector<std::uint32_t>& pixels) {
  ByteWriter out;
  out.U8(0);   // no image id
  out.U8(0);   // no colour map
  out.U8(2);   // uncompressed true colour
  for (int i = 0; i < 5; ++i) out.U8(0);  // colour map fields
  out.U16(0);  // x origin
  out.U16(0);  // y origin
  out.U16(static_cast<std::uint16_t>(width));
  out.U16(static_cast<std::uint16_t>(height));
  out.U8(32);
  out.U8(0x28);  // 8 alpha bits, rows top first
  for (std::uint32_t p : pixels) out.U32(p);  // stored blue, green, red, alpha
  return out.Data();
}

std::vector<std::uint8_t> EncodeDds(int width, int height, const std::vector<std::uint32_t>& pixels) {
  BYTE* image = nullptr;
  const DWORD size = CreateDdsImage(static_cast<DWORD>(width), static_cast<DWORD>(height), D3DFMT_A8R8G8B8, &image);
  if (size == 0 || image == nullptr) return {};
  std::vector<std::uint8_t> out(image, image + size);
  MEM_DELETE_ARRAY image;
  // The pixels follow the 128-byte header as 32-bit words, blue first.
  ByteWriter words;
  for (std::uint32_t p : pixels) words.U32(p);
  const std::vector<std::uint8_t>& data = words.Data();
  if (128 + data.size() != out.size()) return {};
  std::copy(data.begin(), data.end(), out.begin() + 128);
  return out;
}

bool HasTransparentPixels(const std::vector<std::uint32_t>& pixels) {
  for (std::uint32_t p : pixels)
    if ((p >> 24) != 0xFF) return true;
  return false;
}

std::string TextureFileName(const TextureSource& texture) {
  return texture.Name + (HasTransparentPixels(MakeTexturePixels(texture)) ? ".dds" : ".tga");
}

std::vector<std::uint8_t> EncodeTextureFile(const TextureSource& texture) {
  const std::vector<std::uint32_t> pixels = MakeTexturePixels(texture);
  return HasTransparentPixels(pixels) ? EncodeDds(texture.Width, texture.Height, pixels)
                                      : EncodeTga(texture.Width, texture.Height, pixels);
}
