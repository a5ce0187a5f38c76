// Feeds arbitrary text to the ".sdl" surface texture table reader over a list
// of three surfaces.  An accepted table is reachable entry by entry.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/textures/surfaces.h"
#include "render/textures/texture_manager.h"
#include "render_asset_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietMessageBoxes();
  const std::string text(reinterpret_cast<const char*>(data), size);
  CSurfaces surfaces;
  surfaces.AddSurface(CSurface{});
  surfaces.AddSurface(CSurface{});
  CTextureManager library;
  if (!surfaces.ReadTextureTable(text.c_str(), static_cast<std::uint32_t>(size), &library, "fuzz.sdl")) return 0;
  for (int s = 0; s < surfaces.Count; ++s)
    for (int c = 0; c < surfaces.Columns; ++c)
      if (surfaces.GetTextureEntry(static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(c)) == nullptr) std::abort();
  return 0;
}
