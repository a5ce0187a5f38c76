#include "scene/skin/skin_chunk.h"

#include "foundation/byte_reader.h"
#include "scene/mesh/mesh_chunk_fields.h"

namespace {

// Layout of the chunk (little-endian):
//   "SKIN", strip flag, V, S, L, texture id, material id,
//   V x (influence count n, n x 44-byte influences),
//   [strip flag 1] S strip indices (u16), L list indices (u16),
//   "SSTP", N, N bytes of strip data,
//   "SHAD", F (0 or L / 3), F x 31-byte faces.
// A face's fields take 29 bytes (3 vertices and 3 neighbours as u16, the
// plane as 4 floats, a flag byte); two spare bytes close the 31-byte record.

void ReadInfluence(ByteReader& in, SkinInfluence* s) {
  ReadMeshVector(in, &s->Position);
  ReadMeshVector(in, &s->Normal);
  s->Colour = in.U32();
  s->U = in.F32();
  s->V = in.F32();
  s->Bone = in.U16();
  s->Reserved = in.U16();
  s->Weight = in.F32();
}

void WriteInfluence(ByteWriter& out, const SkinInfluence& s) {
  WriteMeshVector(out, s.Position);
  WriteMeshVector(out, s.Normal);
  out.U32(s.Colour);
  out.F32(s.U);
  out.F32(s.V);
  out.U16(s.Bone);
  out.U16(s.Reserved);
  out.F32(s.Weight);
}

void ReadFace(ByteReader& in, SkinShadowFace* f) {
  for (std::uint16_t& v : f->Vertices) v = in.U16();
  for (std::uint16_t& n : f->Neighbours) n = in.U16();
  ReadMeshVector(in, &f->Normal);
  f->Distance = in.F32();
  f->Flag = in.U8();
  in.U16();  // the record's two spare bytes
}

void WriteFace(ByteWriter& out, const SkinShadowFace& f) {
  for (std::uint16_t v : f.Vertices) out.U16(v);
  for (std::uint16_t n : f.Neighbours) out.U16(n);
  WriteMeshVector(out, f.Normal);
  out.F32(f.Distance);
  out.U8(f.Flag);
  out.U16(0);
}

bool ReadBody(ByteReader& in, SkinData* d, std::int32_t* stripFlag) {
  if (!in.Tag("SKIN")) return false;
  *stripFlag = in.I32();
  d->VertexCount = in.I32();
  d->StripIndexCount = in.I32();
  d->ListIndexCount = in.I32();
  d->TextureId = in.I32();
  d->MaterialId = in.I32();
  if (!in.Ok()) return false;
  if (d->VertexCount < 0 || d->VertexCount > kSkinMaxVertices || d->StripIndexCount < 0 || d->ListIndexCount < 0 ||
      d->ListIndexCount % 3 != 0)
    return false;
  const bool strip = *stripFlag == 1;

  // Each vertex needs at least a count and one influence.
  if (!in.HasRoomFor(static_cast<std::size_t>(d->VertexCount), 4 + kSkinInfluenceBytes)) return false;
  d->FirstInfluence.assign(static_cast<std::size_t>(d->VertexCount) + 1, 0);
  for (std::int32_t v = 0; v < d->VertexCount; ++v) {
    const std::int32_t n = in.I32();
    if (!in.Ok() || n <= 0 || !in.HasRoomFor(static_cast<std::size_t>(n), kSkinInfluenceBytes)) return false;
    const std::size_t first = d->Influences.size();
    d->Influences.resize(first + static_cast<std::size_t>(n));
    for (std::int32_t k = 0; k < n; ++k) ReadInfluence(in, &d->Influences[first + static_cast<std::size_t>(k)]);
    d->FirstInfluence[static_cast<std::size_t>(v) + 1] = static_cast<std::uint32_t>(d->Influences.size());
  }
  if (!in.Ok()) return false;

  const auto vertices = static_cast<std::uint32_t>(d->VertexCount);
  if (strip && !ReadMeshIndices(in, static_cast<std::uint32_t>(d->StripIndexCount), vertices, &d->StripIndices))
    return false;
  if (!ReadMeshIndices(in, static_cast<std::uint32_t>(d->ListIndexCount), vertices, &d->ListIndices)) return false;

  if (!in.Tag("SSTP")) return false;
  const std::uint32_t stripBytes = in.U32();
  if (!in.Ok() || stripBytes > in.Remaining()) return false;
  d->StripData.resize(stripBytes);
  if (stripBytes != 0) in.Bytes(d->StripData.data(), stripBytes);

  if (!in.Tag("SHAD")) return false;
  const std::uint32_t faces = in.U32();
  if (!in.Ok()) return false;
  if (faces != 0) {
    const std::uint32_t triangles = static_cast<std::uint32_t>(d->ListIndexCount) / 3;
    if (faces != triangles || !in.HasRoomFor(faces, kSkinShadowFaceBytes)) return false;
    d->ShadowFaces.resize(faces);
    for (SkinShadowFace& f : d->ShadowFaces) {
      ReadFace(in, &f);
      for (std::uint16_t v : f.Vertices)
        if (v >= d->VertexCount) return false;
      for (std::uint16_t n : f.Neighbours)
        if (n != kSkinNoNeighbour && n >= faces) return false;
    }
  }
  return in.Ok();
}

}  // namespace

bool ReadSkinChunk(ByteReader& in, SkinData* data, std::int32_t* stripFlag) {
  *data = SkinData{};
  *stripFlag = 0;
  if (ReadBody(in, data, stripFlag)) return true;
  *data = SkinData{};
  *stripFlag = 0;
  return false;
}

void WriteSkinChunk(ByteWriter& out, const SkinData& d, std::int32_t stripFlag) {
  out.Tag("SKIN");
  out.I32(stripFlag);
  out.I32(d.VertexCount);
  out.I32(d.StripIndexCount);
  out.I32(d.ListIndexCount);
  out.I32(d.TextureId);
  out.I32(d.MaterialId);
  for (std::int32_t v = 0; v < d.VertexCount; ++v) {
    out.I32(static_cast<std::int32_t>(d.InfluenceCount(v)));
    for (std::uint32_t k = d.FirstInfluence[v]; k < d.FirstInfluence[v + 1]; ++k) WriteInfluence(out, d.Influences[k]);
  }
  if (stripFlag == 1)
    for (std::int32_t i = 0; i < d.StripIndexCount; ++i) out.U16(d.StripIndices[i]);
  for (std::int32_t i = 0; i < d.ListIndexCount; ++i) out.U16(d.ListIndices[i]);
  out.Tag("SSTP");
  out.U32(static_cast<std::uint32_t>(d.StripData.size()));
  out.Bytes(d.StripData.data(), d.StripData.size());
  out.Tag("SHAD");
  // Faces go out only as a whole table of one face per triangle.
  const bool faces = !d.ShadowFaces.empty() && d.ShadowFaces.size() == static_cast<std::size_t>(d.ListIndexCount / 3);
  out.U32(faces ? static_cast<std::uint32_t>(d.ListIndexCount) / 3 : 0);
  if (faces)
    for (const SkinShadowFace& f : d.ShadowFaces) WriteFace(out, f);
}

int SkinHighestBone(const SkinData& data) {
  int highest = -1;
  for (const SkinInfluence& s : data.Influences)
    if (s.Bone > highest) highest = s.Bone;
  return highest;
}
