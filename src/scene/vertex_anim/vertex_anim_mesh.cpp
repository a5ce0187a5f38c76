#include "scene/vertex_anim/vertex_anim_mesh.h"

#include <cmath>

#include "foundation/byte_reader.h"
#include "render/device/render.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/mesh_chunk_fields.h"
#include "scene/mesh/mesh_strips.h"
#include "scene/mesh/stripifier.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "scene/vertex_anim/vertex_anim_engine.h"

namespace {

constexpr std::uint32_t kVertexBytes = 36;
constexpr std::uint32_t kPoseBytes = 24;

void ReadVertex(ByteReader& in, RenderVertex* v) {
  v->x = in.F32();
  v->y = in.F32();
  v->z = in.F32();
  v->nx = in.F32();
  v->ny = in.F32();
  v->nz = in.F32();
  v->Colour = in.U32();
  v->u = in.F32();
  v->v = in.F32();
}

void WriteVertex(ByteWriter& out, const RenderVertex& v) {
  out.F32(v.x);
  out.F32(v.y);
  out.F32(v.z);
  out.F32(v.nx);
  out.F32(v.ny);
  out.F32(v.nz);
  out.U32(v.Colour);
  out.F32(v.u);
  out.F32(v.v);
}

}  // namespace

// "VLST" record: tag, version, [version >= 2] reserved word, flags, material
// id, texture id, strip flag, V, S, L, F, V base vertices (36 bytes), V x
// (F - 1) poses (24 bytes), [strip flag 1] S strip indices, L list indices,
// [version >= 3] "VASP", N, N skipped bytes.
bool CVertexAnimMesh::ReadBody(ByteReader& in, std::int32_t chunkFrames) {
  in.U32();  // tag, not compared
  Version = in.U32();
  if (!in.Ok() || Version < 1 || Version > 3) return false;
  Reserved = Version >= 2 ? in.U32() : 0;
  Flags = in.U32();
  MaterialId = in.U32();
  TextureId = in.U32();
  StripFlag = in.I32();
  VertexCount = in.I32();
  StripIndexCount = in.I32();
  ListIndexCount = in.I32();
  FrameCount = in.I32();
  if (!in.Ok()) return false;
  if (FrameCount < 1 || FrameCount != chunkFrames || VertexCount < 0 || VertexCount > kVertexAnimMaxVertices ||
      StripIndexCount < 0 || ListIndexCount < 0 || ListIndexCount % 3 != 0)
    return false;
  const std::size_t nv = static_cast<std::size_t>(VertexCount);
  if (!in.HasRoomFor(nv, kVertexBytes)) return false;
  BaseFrame.resize(nv);
  for (RenderVertex& v : BaseFrame) ReadVertex(in, &v);
  const std::size_t poses = nv * static_cast<std::size_t>(FrameCount - 1);
  if (nv != 0 && !in.HasRoomFor(poses, kPoseBytes)) return false;
  Frames.resize(poses);
  for (VertexAnimPose& p : Frames) {
    ReadMeshVector(in, &p.Position);
    ReadMeshVector(in, &p.Normal);
  }
  if (!in.Ok()) return false;
  const auto vertices = static_cast<std::uint32_t>(VertexCount);
  if (StripFlag == 1 && !ReadMeshIndices(in, static_cast<std::uint32_t>(StripIndexCount), vertices, &StripIndices))
    return false;
  if (!ReadMeshIndices(in, static_cast<std::uint32_t>(ListIndexCount), vertices, &ListIndices)) return false;
  if (Version >= 3) {
    in.U32();  // "VASP"
    const std::uint32_t skip = in.U32();
    if (!in.Ok() || !in.Skip(skip)) return false;
  }
  return in.Ok();
}

bool CVertexAnimMesh::Read(ByteReader& in, std::int32_t chunkFrames) {
  if (!ReadBody(in, chunkFrames)) {
    BaseFrame.clear();
    Frames.clear();
    StripIndices.clear();
    ListIndices.clear();
    VertexCount = StripIndexCount = ListIndexCount = FrameCount = 0;
    return false;
  }
  if (StripFlag != 1) StripIndices.clear();
  ResolveTextureAndMaterial();
  Work = BaseFrame;  // a one-frame mesh shows its base frame from the start
  LastFrameDrawn = -1.0f;
  m_WorkDirty = true;
  return true;
}

void CVertexAnimMesh::Write(ByteWriter& out) const {
  out.Tag("VLST");
  out.U32(kVertexAnimRecordVersion);
  out.U32(Reserved);
  out.U32(Flags);
  out.U32(MaterialId);
  out.U32(TextureId);
  out.I32(StripFlag);
  out.I32(VertexCount);
  out.I32(StripFlag == 1 ? static_cast<std::int32_t>(StripIndices.size()) : StripIndexCount);
  out.I32(static_cast<std::int32_t>(ListIndices.size()));
  out.I32(FrameCount);
  for (const RenderVertex& v : BaseFrame) WriteVertex(out, v);
  for (const VertexAnimPose& p : Frames) {
    WriteMeshVector(out, p.Position);
    WriteMeshVector(out, p.Normal);
  }
  if (StripFlag == 1)
    for (std::uint16_t i : StripIndices) out.U16(i);
  for (std::uint16_t i : ListIndices) out.U16(i);
  out.Tag("VASP");
  out.U32(0);
}

void CVertexAnimMesh::ResolveTextureAndMaterial() {
  const VertexAnimEngine& engine = GetVertexAnimEngine();
  Texture = nullptr;
  Material = nullptr;
  if (engine.Textures != nullptr) {
    Texture = engine.Textures->FindById(TextureId);
    if (Texture == nullptr) Texture = engine.Textures->GetTextureByIndex(0);
  }
  if (engine.Materials != nullptr) {
    Material = engine.Materials->GetById(MaterialId);
    if (Material == nullptr) Material = engine.Materials->GetByIndex(0);
  }
}

CVector3 CVertexAnimMesh::FramePosition(std::int32_t k, std::int32_t v) const {
  if (k == 0) {
    const RenderVertex& b = BaseFrame[static_cast<std::size_t>(v)];
    return {b.x, b.y, b.z};
  }
  return Frames[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(VertexCount) + static_cast<std::size_t>(v)]
      .Position;
}

CVector3 CVertexAnimMesh::FrameNormal(std::int32_t k, std::int32_t v) const {
  if (k == 0) {
    const RenderVertex& b = BaseFrame[static_cast<std::size_t>(v)];
    return {b.nx, b.ny, b.nz};
  }
  return Frames[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(VertexCount) + static_cast<std::size_t>(v)]
      .Normal;
}

void CVertexAnimMesh::SetUVScroll(float u, float v) {
  if (u != UOffset || v != VOffset) m_WorkDirty = true;
  UOffset = u;
  VOffset = v;
}

void CVertexAnimMesh::Interpolate(float f) {
  if (FrameCount < 1 || VertexCount == 0) return;
  if (!std::isfinite(f)) f = 0.0f;
  const float whole = std::floor(f);
  std::int32_t k = static_cast<std::int32_t>(std::fmod(whole, static_cast<float>(FrameCount)));
  if (k < 0) k += FrameCount;
  const std::int32_t next = (k + 1) % FrameCount;
  const float t = f - whole;
  const bool still = (k == 0 && next == 0) || f == LastFrameDrawn;
  if (!still || m_WorkDirty) {
    Work.resize(BaseFrame.size());
    const bool moving = !(k == 0 && next == 0);
    for (std::int32_t v = 0; v < VertexCount; ++v) {
      const RenderVertex& base = BaseFrame[static_cast<std::size_t>(v)];
      RenderVertex& out = Work[static_cast<std::size_t>(v)];
      out = base;
      if (moving) {
        // p = p_k + (p_next - p_k) t, frame 0 being the base frame (the last
        // frame blends back to it).
        const CVector3 p0 = FramePosition(k, v), p1 = FramePosition(next, v);
        const CVector3 n0 = FrameNormal(k, v), n1 = FrameNormal(next, v);
        out.x = p0.x + (p1.x - p0.x) * t;
        out.y = p0.y + (p1.y - p0.y) * t;
        out.z = p0.z + (p1.z - p0.z) * t;
        out.nx = n0.x + (n1.x - n0.x) * t;
        out.ny = n0.y + (n1.y - n0.y) * t;
        out.nz = n0.z + (n1.z - n0.z) * t;
      }
      out.u = base.u + UOffset;
      out.v = base.v + VOffset;
    }
    m_WorkDirty = false;
  }
  LastFrameDrawn = f;
}

bool CVertexAnimMesh::IsTransparent(const CTexture* textureOverride) const {
  const CTexture* texture = textureOverride != nullptr ? textureOverride : Texture;
  return texture != nullptr && texture->HasAlpha == 1;
}

void CVertexAnimMesh::Draw(float f, CTexture* textureOverride) {
  CRender* render = VertexAnimRender();
  if (render != nullptr) render->SetBlendMode(1);
  Interpolate(f);
  if (render == nullptr || !render->IsDeviceCreated() || VertexCount == 0) return;
  const bool specular = Material != nullptr && Material->Power > 0.0f;
  render->SetSpecular(specular ? 1 : 0);
  if (Material != nullptr && Material->DeviceMaterial != nullptr) render->SetMaterial(Material->DeviceMaterial);
  if (CTexture* texture = textureOverride != nullptr ? textureOverride : Texture) {
    if (texture->Palette >= 0) render->SetTexturePalette(static_cast<DWORD>(texture->Palette));
    render->SetTexture(0, texture->DeviceTexture);
  }
  render->SetVertexFormat(0x152);
  const DWORD vertices = static_cast<DWORD>(VertexCount);
  if (StripFlag == 1) {
    if (StripIndices.size() >= 3)
      render->DrawIndexedStripUP(static_cast<DWORD>(StripIndices.size() - 2), vertices, Work.data(),
                                 StripIndices.data(), 36);
  } else if (ListIndices.size() >= 3) {
    render->DrawIndexedListUP(static_cast<DWORD>(ListIndices.size() / 3), vertices, Work.data(), ListIndices.data(),
                              36);
  }
  if (specular) render->SetSpecular(0);
}

bool CVertexAnimMesh::Queue(CTexture* textureOverride, float frame, int argument) {
  if ((Flags & VAMESH_EXCLUDED) != 0) return true;
  const VertexAnimEngine& engine = GetVertexAnimEngine();
  DepthSortQueue* queue = engine.Queue != nullptr ? engine.Queue : g_DepthSortQueue;
  CRender* render = VertexAnimRender();
  if (queue == nullptr || render == nullptr) return false;
  auto* item = queue->AllocItem<VertexAnimItem>(DSK_VERTEX_ANIM);
  if (item == nullptr) return true;
  const CMatrix& world = render->GetWorldMatrix();
  item->World = world;
  item->Mesh = this;
  item->TextureOverride = textureOverride;
  item->Frame = frame;
  item->Argument = argument;
  const int lights = CLightTable::ActiveCount < 8 ? CLightTable::ActiveCount : 8;
  item->Lights.Count = static_cast<std::uint8_t>(lights);
  for (int k = 0; k < lights; ++k) item->Lights.Index[k] = CLightTable::Active[k];
  // Insert clamps the bucket to the last one.
  queue->Insert(queue->BucketOf(CVector3{world.m[3][0], world.m[3][1], world.m[3][2]}), item);
  return true;
}

int CVertexAnimMesh::UVInRange(float low, float high) const {
  // Texture coordinates live in the base frame only; every frame shares them.
  for (const RenderVertex& v : BaseFrame)
    if (v.u < low || v.u > high || v.v < low || v.v > high) return 0;
  return 1;
}

bool CVertexAnimMesh::Stripify() {
  if (ListIndices.empty()) {
    StripFlag = 0;
    StripIndices.clear();
    StripIndexCount = 0;
    return true;
  }
  CRender* render = VertexAnimRender();
  SetStripCacheSize(render != nullptr ? static_cast<int>(render->GetVertexCacheSize()) : 16);
  SetStripStitching(true);
  SetStripMinSize(0);
  SetStripListsOnly(false);
  StripGroup* groups = nullptr;
  std::uint16_t count = 0;
  if (!BuildStrips(ListIndices.data(), static_cast<std::uint32_t>(ListIndices.size()), &groups, &count) ||
      count < 1 || groups[0].kind != kStripGroupStrip) {
    FreeStripGroups(groups);
    return false;
  }
  StripIndices.assign(groups[0].indices, groups[0].indices + groups[0].indexCount);
  StripIndexCount = static_cast<std::int32_t>(StripIndices.size());
  StripFlag = 1;
  FreeStripGroups(groups);
  return true;
}
