// Feeds arbitrary bytes to the mesh section reader (parts in system memory).
// A section that loads must have every index inside its part's vertices.
#include <cstdint>
#include <cstdlib>

#include "foundation/byte_reader.h"
#include "render_asset_fuzz.h"
#include "scene/mesh/vbuffer_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietMessageBoxes();
  ByteReader reader(data, size);
  CVBufferObject mesh;
  if (mesh.Load(reader, 7)) {
    for (const CVertexBuffer* part = mesh.FirstPart; part != nullptr; part = part->Next) {
      for (std::uint32_t i = 0; part->ListIndices != nullptr && i < part->ListIndexCount; ++i)
        if (part->ListIndices[i] >= part->VertexCount) std::abort();
      for (std::uint32_t i = 0; part->StripIndices != nullptr && i < part->StripIndexCount; ++i)
        if (part->StripIndices[i] >= part->VertexCount) std::abort();
    }
  }
  mesh.Free();
  return 0;
}
