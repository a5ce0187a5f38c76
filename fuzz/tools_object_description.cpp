// Feeds arbitrary text to the object description reader; a description that
// is accepted must build into objects whose collision polygons compile (or
// are refused with a reason) and whose small textures can be drawn.  Seed:
// tools/demo_data/objects.txt.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "make_objects/object_builder.h"
#include "make_objects/object_description.h"
#include "make_objects/texture_maker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ObjectDescription description;
  std::string error;
  if (!ReadObjectDescription(std::string(reinterpret_cast<const char*>(data), size), &description, &error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  for (const TextureSource& t : description.Textures)
    if (t.Width * t.Height <= 64 * 64 && MakeTexturePixels(t).size() != static_cast<std::size_t>(t.Width * t.Height))
      std::abort();
  for (const ObjectSource& o : description.Objects) {
    const BuiltObject built = BuildObject(o);
    for (const BuiltNode& node : built.Nodes) {
      for (const BuiltPart& part : node.Parts)
        for (std::uint16_t i : part.Indices)
          if (i >= part.Vertices.size()) std::abort();
      std::vector<std::uint8_t> block;
      BspCompileReport report;
      if (!CompileBspBlock(node.Collision, &block, &report) && report.Error.empty()) std::abort();
    }
  }
  return 0;
}
