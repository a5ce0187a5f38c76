#include "scene/vertex_anim/vertex_anim_fixture.h"

#include "foundation/byte_reader.h"

namespace vertex_anim_fixture {

CVertexAnimMesh* MakeMesh(int quads, int frames, std::uint32_t flags, std::uint32_t textureId) {
  auto* mesh = new CVertexAnimMesh;
  mesh->Flags = flags;
  mesh->TextureId = textureId;
  mesh->MaterialId = 11;
  mesh->Reserved = 0xABCD;
  mesh->FrameCount = frames;
  mesh->VertexCount = 2 * (quads + 1);
  for (int v = 0; v < mesh->VertexCount; ++v)
    mesh->BaseFrame.push_back({static_cast<float>(v), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0xFF336699u,
                               0.1f * static_cast<float>(v), 0.5f});
  for (int k = 1; k < frames; ++k)
    for (int v = 0; v < mesh->VertexCount; ++v)
      mesh->Frames.push_back({{static_cast<float>(v), 10.0f * static_cast<float>(k), 0.0f},
                              {0.0f, 0.0f, static_cast<float>(k)}});
  for (int q = 0; q < quads; ++q) {
    const auto a = static_cast<std::uint16_t>(2 * q);
    mesh->ListIndices.insert(mesh->ListIndices.end(), {a, static_cast<std::uint16_t>(a + 2),
                                                       static_cast<std::uint16_t>(a + 1),
                                                       static_cast<std::uint16_t>(a + 1),
                                                       static_cast<std::uint16_t>(a + 2),
                                                       static_cast<std::uint16_t>(a + 3)});
  }
  mesh->ListIndexCount = static_cast<std::int32_t>(mesh->ListIndices.size());
  mesh->Stripify();
  mesh->Work = mesh->BaseFrame;
  return mesh;
}

void Fill(CVertexAnim* anim, const std::vector<CVertexAnimMesh*>& meshes, int frames) {
  anim->Free();
  anim->FrameCount = frames;
  CVertexAnimMesh** link = &anim->Meshes;
  for (CVertexAnimMesh* mesh : meshes) {
    *link = mesh;
    link = &mesh->Next;
    ++anim->MeshCount;
  }
}

std::vector<std::uint8_t> Chunk(int frames) {
  CVertexAnim anim;
  Fill(&anim, {MakeMesh(2, frames), MakeMesh(1, frames, 0x10, 6)}, frames);
  ByteWriter out;
  anim.Write(out);
  return out.Data();
}

}  // namespace vertex_anim_fixture
