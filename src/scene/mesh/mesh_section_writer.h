// Writers of mesh sections for the data tools and the tests: a part record
// of any version the loader reads, and a whole section.  The game never
// writes mesh sections.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/render_vertex.h"

class ByteWriter;

// What one part record holds.  Version 4 is what the tools write; versions 1
// to 5 can be written so that every layout the loader reads can be made.
struct MeshPartSource {
  std::uint32_t Version = 4;
  std::uint32_t CountOnly = 0;  // written for versions 2 and later
  std::uint32_t Flags = 0;
  std::uint32_t MaterialId = 0;
  std::uint32_t TextureId = 0;
  std::uint32_t IsStrip = 0;
  std::vector<RenderVertex> Vertices;
  std::vector<std::uint16_t> StripIndices;  // written only when IsStrip
  std::vector<std::uint16_t> ListIndices;
  std::uint32_t CountOnlyVertices = 0;  // the vertex count a CountOnly record states
  std::uint32_t ClampU = 0, ClampV = 0;  // written for versions 3 and later
};

// Tag "VBUF", the record's fields, its geometry block (unless CountOnly), an
// empty byte sub-chunk, [version 5] an empty 2-byte one, [version >= 5] an
// empty "FACE", an empty "VSTP", [version >= 3] the address modes.
void WriteMeshPart(ByteWriter& out, const MeshPartSource& part);
// Tag "VBOB", the part count and the parts.
void WriteMeshSection(ByteWriter& out, const std::vector<MeshPartSource>& parts);
