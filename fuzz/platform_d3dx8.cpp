// Feeds arbitrary bytes to one image reader of the D3DX stand-in (chosen when
// the target is built); DDS levels are decoded texel by texel as well.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/pixel_format.h"
#include "platform/d3dx8/image_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  d3dx8::DecodedImage image;
#if defined(HALBERD_FUZZ_BMP)
  d3dx8::DecodeBmp(data, size, &image);
#elif defined(HALBERD_FUZZ_TGA)
  d3dx8::DecodeTga(data, size, &image);
#elif defined(HALBERD_FUZZ_PNG)
  d3dx8::DecodePng(data, size, &image);
#elif defined(HALBERD_FUZZ_JPEG)
  d3dx8::DecodeJpeg(data, size, &image);
#else
  if (d3dx8::DecodeDds(data, size, &image)) {
    // Every stored level must decode inside the data it was found in.
    for (std::uint32_t face = 0; face < image.faces; ++face) {
      for (std::uint32_t level = 0; level < image.levels; ++level) {
        std::uint32_t w = image.width >> level ? image.width >> level : 1;
        std::uint32_t h = image.height >> level ? image.height >> level : 1;
        if (static_cast<std::uint64_t>(w) * h > (1u << 20)) continue;  // keep runs quick
        std::vector<std::uint32_t> argb(static_cast<std::size_t>(w) * h);
        d3d8::DecodeToArgb(image.sourceFormat, image.levelData[face * image.levels + level],
                           d3d8::LevelPitch(image.sourceFormat, w), w, h, nullptr, argb.data());
      }
    }
  }
#endif
  return 0;
}
