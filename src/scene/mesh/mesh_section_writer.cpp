#include "scene/mesh/mesh_section_writer.h"

#include "foundation/byte_reader.h"

void WriteMeshPart(ByteWriter& out, const MeshPartSource& part) {
  const std::uint32_t r = part.Version;
  const bool geometry = part.CountOnly == 0 || r < 2;
  out.Tag("VBUF");
  out.U32(r);
  if (r >= 2) out.U32(part.CountOnly);
  out.U32(part.Flags);
  out.U32(part.MaterialId);
  out.U32(part.TextureId);
  out.U32(part.IsStrip);
  out.U32(geometry ? static_cast<std::uint32_t>(part.Vertices.size()) : part.CountOnlyVertices);
  out.U32(part.IsStrip ? static_cast<std::uint32_t>(part.StripIndices.size()) : 0);
  out.U32(static_cast<std::uint32_t>(part.ListIndices.size()));
  out.U32(0);
  if (geometry) {
    for (const RenderVertex& v : part.Vertices) {
      for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz}) out.F32(f);
      out.U32(v.Colour);
      out.F32(v.u);
      out.F32(v.v);
    }
    if (part.IsStrip)
      for (std::uint16_t i : part.StripIndices) out.U16(i);
    for (std::uint16_t i : part.ListIndices) out.U16(i);
  }
  out.Tag("VINF");
  out.U32(0);
  if (r == 5) {
    out.Tag("VMAP");
    out.U32(0);
  }
  if (r >= 5) {
    out.Tag("FACE");
    out.U32(0);
  }
  out.Tag("VSTP");
  out.U32(0);
  if (r >= 3) {
    out.U32(part.ClampU);
    out.U32(part.ClampV);
  }
}

void WriteMeshSection(ByteWriter& out, const std::vector<MeshPartSource>& parts) {
  out.Tag("VBOB");
  out.U32(static_cast<std::uint32_t>(parts.size()));
  for (const MeshPartSource& part : parts) WriteMeshPart(out, part);
}
