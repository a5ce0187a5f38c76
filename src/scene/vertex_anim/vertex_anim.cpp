#include "scene/vertex_anim/vertex_anim.h"

#include <algorithm>

#include "foundation/byte_reader.h"
#include "render/device/render.h"
#include "scene/vertex_anim/vertex_anim_engine.h"
#include "world/environment/env_object.h"

namespace {

VertexAnimEngine g_Engine;
VertexAnimQueueHook g_QueueHook = nullptr;

// Smallest "VLST" record: header of 10 words (version 1) and the "VASP"-less end.
constexpr std::size_t kMinRecordBytes = 40;

void AddDistinct(std::vector<std::uint32_t>* ids, std::uint32_t id) {
  if (std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
}

}  // namespace

const VertexAnimEngine& GetVertexAnimEngine() { return g_Engine; }
CRender* VertexAnimRender() { return g_Engine.Render; }
void SetVertexAnimQueueHook(VertexAnimQueueHook hook) { g_QueueHook = hook; }

CVertexAnim::CVertexAnim(CRender* render, CTextureManager* textures, CMaterialList* materials,
                         CLinearBuffer* queueAllocator, DepthSortQueue* queue) {
  g_Engine = {render, textures, materials, queueAllocator, queue};
}

CVertexAnim::~CVertexAnim() { Free(); }

void CVertexAnim::Free() {
  for (CVertexAnimMesh* mesh = Meshes; mesh != nullptr;) {
    CVertexAnimMesh* next = mesh->Next;
    delete mesh;
    mesh = next;
  }
  Meshes = nullptr;
  MeshCount = 0;
  FrameCount = 0;
}

void CVertexAnim::Append(CVertexAnimMesh* mesh) {
  CVertexAnimMesh** link = &Meshes;
  while (*link != nullptr) link = &(*link)->Next;
  *link = mesh;
  ++MeshCount;
}

// "VAOB", mesh count, frame count F, then the records.
bool CVertexAnim::Read(ByteReader& in) {
  Free();
  if (!in.Tag("VAOB")) return false;
  const std::int32_t meshes = in.I32();
  const std::int32_t frames = in.I32();
  if (!in.Ok() || meshes < 0 || frames < 1 || !in.HasRoomFor(static_cast<std::size_t>(meshes), kMinRecordBytes))
    return false;
  FrameCount = frames;
  for (std::int32_t i = 0; i < meshes; ++i) {
    auto* mesh = new CVertexAnimMesh;
    if (!mesh->Read(in, frames)) {
      delete mesh;
      Free();
      return false;
    }
    Append(mesh);
  }
  return true;
}

void CVertexAnim::Write(ByteWriter& out) const {
  std::int32_t written = 0;
  for (const CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next)
    if ((mesh->Flags & VAMESH_EXCLUDED) == 0) ++written;
  out.Tag("VAOB");
  out.I32(written);
  out.I32(FrameCount);
  for (const CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next)
    if ((mesh->Flags & VAMESH_EXCLUDED) == 0) mesh->Write(out);
}

void CVertexAnim::Draw(float frame, int argument, CTexture* textureOverride) {
  const bool overrideHasAlpha = textureOverride != nullptr && Meshes != nullptr &&
                                Meshes->IsTransparent(textureOverride);
  for (CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) {
    if ((mesh->Flags & VAMESH_EXCLUDED) != 0) continue;
    const bool queue =
        overrideHasAlpha || (mesh->Flags & VAMESH_ALWAYS_QUEUED) != 0 || mesh->IsTransparent(nullptr);
    if (queue && g_QueueHook != nullptr)
      g_QueueHook(mesh, textureOverride, frame, argument);
    else if (!queue || !mesh->Queue(textureOverride, frame, argument))
      mesh->Draw(frame, textureOverride);
  }
}

void CVertexAnim::SetUVScroll(float u, float v) {
  for (CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) mesh->SetUVScroll(u, v);
}

void CVertexAnim::GetCounts(int* triangles, int* vertices, int* frames) const {
  int t = 0, v = 0;
  for (const CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) {
    t += static_cast<int>(mesh->ListIndices.size() / 3);
    v += mesh->VertexCount;
  }
  if (triangles != nullptr) *triangles = t;
  if (vertices != nullptr) *vertices = v;
  if (frames != nullptr) *frames = FrameCount;
}

std::vector<std::uint32_t> CVertexAnim::GetTextureIds() const {
  std::vector<std::uint32_t> ids;
  for (const CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) AddDistinct(&ids, mesh->TextureId);
  return ids;
}

std::vector<std::uint32_t> CVertexAnim::GetMaterialIds() const {
  std::vector<std::uint32_t> ids;
  for (const CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) AddDistinct(&ids, mesh->MaterialId);
  return ids;
}

int VertexAnimDrawFrame(CEnvObject* node, float frame, const void* /*lights*/) {
  int drawn = 0;
  for (CEnvObject* n = node; n != nullptr; n = n->NextNode) {
    if (n->MeshKind != MESHKIND_VERTEXANIM || n->OtherMesh == nullptr) continue;
    static_cast<CVertexAnim*>(n->OtherMesh)->Draw(frame, 0, nullptr);
    drawn = 1;
  }
  return drawn;
}
