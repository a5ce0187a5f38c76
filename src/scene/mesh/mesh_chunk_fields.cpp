#include "scene/mesh/mesh_chunk_fields.h"

bool ReadMeshIndices(ByteReader& in, std::uint32_t count, std::uint32_t vertexCount, std::vector<std::uint16_t>* out) {
  if (!in.HasRoomFor(count, 2)) return false;
  out->resize(count);
  for (std::uint16_t& i : *out) {
    i = in.U16();
    if (i >= vertexCount) return false;
  }
  return in.Ok();
}

void ReadMeshVector(ByteReader& in, CVector3* v) {
  v->x = in.F32();
  v->y = in.F32();
  v->z = in.F32();
}

void WriteMeshVector(ByteWriter& out, const CVector3& v) {
  out.F32(v.x);
  out.F32(v.y);
  out.F32(v.z);
}
