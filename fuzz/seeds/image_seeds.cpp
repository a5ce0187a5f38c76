// Seeds of the image readers: every kind of image file the loader tests
// build (BMP 24-bit, 8-bit and run-length packed, TGA raw and packed, PNG,
// JPEG, DDS with and without blocks, levels and faces).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx8/image_fixture.h"
#include "seed_writer.h"

namespace {

Texels Picture(std::uint32_t w, std::uint32_t h) {
  Texels t;
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      t.push_back((x + y) % 5 == 0 ? 0x80FF00FFu : 0xFF000000u | (x * 37 & 0xFF) << 16 | (y * 53 & 0xFF) << 8 | 0x40);
  return t;
}

void Image(const std::string& kind, const std::string& name, const Bytes& bytes) {
  seeds::Write("d3dx8_" + kind, name, bytes);
  seeds::Write("render_image_info", name, bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (!seeds::Start(argc, argv)) return 2;
  const Texels small = Picture(5, 3), square = Picture(8, 8);

  Image("bmp", "rgb24.bmp", MakeBmp24(5, 3, small));
  std::vector<std::uint8_t> indices;
  for (int i = 0; i < 24; ++i) indices.push_back(static_cast<std::uint8_t>(i % 4));
  const Texels palette = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  Image("bmp", "indexed8.bmp", MakeBmp8(6, 4, indices, palette));
  // Two runs, an end of line, a literal run, a run and the end of the picture.
  const Bytes packed = {3, 1, 3, 2, 0, 0, 0, 4, 0, 1, 2, 3, 2, 0, 0, 1};
  Image("bmp", "packed8.bmp", MakeBmpRle8(6, 2, packed, palette));

  for (int bits : {24, 32})
    for (bool rle : {false, true})
      Image("tga", "image" + std::to_string(bits) + (rle ? "_rle" : "") + ".tga", MakeTga(8, 8, square, bits, rle, bits == 32));

  Image("png", "rgba.png", MakePng(8, 8, square));
  Image("png", "wide.png", MakePng(5, 3, small));
  Image("jpeg", "photo.jpg", MakeJpeg(8, 8, square));
  Image("jpeg", "odd.jpg", MakeJpeg(5, 3, small));

  const std::uint32_t argbMasks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  const std::uint32_t noMasks[4] = {0, 0, 0, 0};
  Image("dds", "argb.dds", MakeDdsArgb(4, 4, Picture(4, 4)));
  Bytes levels;
  for (std::uint32_t i = 0; i < 16 + 4 + 1; ++i)
    for (int b = 0; b < 4; ++b) levels.push_back(static_cast<std::uint8_t>((0xFF204060u + i * 0x10203u) >> (8 * b)));
  Image("dds", "levels.dds", MakeDds(4, 4, 3, false, 0x41, 0, 32, argbMasks, levels));
  const int ramp[16] = {0, 1, 2, 3, 0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1};
  const Bytes block = Dxt1Block(0xF800, 0x001F, ramp);
  Image("dds", "dxt1.dds", MakeDds(4, 4, 1, false, 0x4, MAKEFOURCC('D', 'X', 'T', '1'), 0, noMasks, block));
  Bytes faces;
  for (int f = 0; f < 6; ++f) faces.insert(faces.end(), block.begin(), block.end());
  Image("dds", "cube.dds", MakeDds(4, 4, 1, true, 0x4, MAKEFOURCC('D', 'X', 'T', '1'), 0, noMasks, faces));
  Bytes dxt5(16, 0);
  dxt5[0] = 0xFF;
  for (int i = 0; i < 8; ++i) dxt5[8 + i] = block[i];
  Image("dds", "dxt5.dds", MakeDds(4, 4, 1, false, 0x4, MAKEFOURCC('D', 'X', 'T', '5'), 0, noMasks, dxt5));
  return 0;
}
