// Feeds arbitrary bytes to the image kind and size reader that chooses the
// texture format and scale.  It must never read past the data, and a size it
// reports must come from the data.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/textures/image_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that any read beyond them is caught.
  std::vector<std::uint8_t> bytes(data, data + size);
  ImageInfo info;
  const int ok = ReadImageInfo(bytes.empty() ? nullptr : bytes.data(), bytes.size(), &info);
  if (info.Type > IMAGE_DDS) std::abort();
  if (!ok && (info.Width != 0 || info.Height != 0)) std::abort();
  if (GetImageDataType(bytes.empty() ? nullptr : bytes.data(), bytes.size()) != info.Type) std::abort();
  return 0;
}
