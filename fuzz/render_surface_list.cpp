// Feeds arbitrary text to the ".spl" surface property list reader.  An
// accepted list never holds more impact choices than a record can store.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/textures/surfaces.h"
#include "render_asset_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietMessageBoxes();
  const std::string text(reinterpret_cast<const char*>(data), size);
  static const SurfaceImageName names[] = {{1, "IMAGE_DIRT0"}, {2, "IMAGE_ROCK"}, {0, nullptr}};
  CSurfaces surfaces;
  surfaces.SetImageNames(names);
  const char* cursor = text.c_str();
  if (!surfaces.ReadPropertyList(&cursor)) return 0;
  for (int i = 0; i < surfaces.Count; ++i) {
    const CSurface* s = surfaces.GetSurface(static_cast<std::uint32_t>(i));
    if (s == nullptr || s->ImpactChoiceCount < 0 || s->ImpactChoiceCount > kSurfaceImpactChoices) std::abort();
  }
  surfaces.Pack(1);
  surfaces.Unpack(1);
  return 0;
}
