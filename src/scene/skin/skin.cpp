#include "scene/skin/skin.h"

#include <cstring>
#include <numeric>

#include "foundation/byte_reader.h"
#include "render/device/render.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/stripifier.h"
#include "scene/mesh/vertex_buffer.h"

namespace {

// The five engine modules, stored by every construction with arguments.
MeshEngine g_SkinEngine;
bool g_HardwareSwitch = true;
bool g_SkinShadows = true;
SkinShadowBuilder g_ShadowBuilder = nullptr;

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// p' = p x M (row vector, translation in row 3), whatever the type flags say.
inline void TransformFull(const CMatrix& m, const CVector3& p, float* out) {
  out[0] = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
  out[1] = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
  out[2] = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
}

// n' = n x R, the 3x3 part only.
inline void RotateFull(const CMatrix& m, const CVector3& n, float* out) {
  out[0] = n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0];
  out[1] = n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1];
  out[2] = n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2];
}

CMatrix IdentityMatrix() {
  CMatrix m;
  m.SetIdentity();
  return m;
}
const CMatrix kIdentity = IdentityMatrix();

}  // namespace

void SetSkinHardwareSwitch(bool on) { g_HardwareSwitch = on; }
bool GetSkinHardwareSwitch() { return g_HardwareSwitch; }
void SetSkinShadows(bool on) { g_SkinShadows = on; }
bool GetSkinShadows() { return g_SkinShadows; }
void SetSkinShadowBuilder(SkinShadowBuilder builder) { g_ShadowBuilder = builder; }
int SkinVertexCacheSize() {
  return g_SkinEngine.Render != nullptr ? static_cast<int>(g_SkinEngine.Render->GetVertexCacheSize()) : 16;
}
CRender* SkinRender() { return g_SkinEngine.Render; }

CSkin::CSkin() = default;

CSkin::CSkin(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* queueAllocator,
             DepthSortQueue* queue) {
  g_SkinEngine = {render, textures, materials, queueAllocator, queue};
}

CSkin::~CSkin() { Free(); }

void CSkin::Reset() {
  Data = SkinData{};
  BoneNodes.clear();
  StripFlag = 0;
  ShaderForm = 0;
  BumpTexture = nullptr;
  ReflectionOn = 0;
  ReflectionValues[0] = 0.0f;
  ReflectionValues[1] = 0.5f;
  m_Device = false;
  m_Current = 0;
  m_Memory[0].clear();
  m_Memory[1].clear();
  m_Tangents.clear();
}

void CSkin::Free() {
  for (int i = 0; i < 2; ++i) {
    ReleaseVertexBuffer(&m_VertexBuffers[i]);
    ReleaseVertexBuffer(&m_TangentBuffers[i]);
  }
  ReleaseIndexBuffer(&m_DrawIndices);
  ReleaseIndexBuffer(&m_ListIndices);
  Reset();
}

void CSkin::ResolveTextureAndMaterial() {
  Data.Texture = nullptr;
  Data.Material = nullptr;
  if (CTextureManager* textures = g_SkinEngine.Textures) {
    Data.Texture = textures->FindById(static_cast<std::uint32_t>(Data.TextureId));
    if (Data.Texture == nullptr) Data.Texture = textures->GetTextureByIndex(0);
  }
  if (CMaterialList* materials = g_SkinEngine.Materials) {
    Data.Material = materials->GetById(static_cast<std::uint32_t>(Data.MaterialId));
    if (Data.Material == nullptr) Data.Material = materials->GetByIndex(0);
  }
}

bool CSkin::Read(ByteReader& in) {
  Free();
  if (!ReadSkinChunk(in, &Data, &StripFlag)) {
    Free();
    return false;
  }
  ResolveTextureAndMaterial();
  if (!MakeBuffers()) {
    Free();
    return false;
  }
  return true;
}

void CSkin::Write(ByteWriter& out) const { WriteSkinChunk(out, Data, StripFlag); }

bool CSkin::BonesWithin(std::size_t boneCount) const {
  return SkinHighestBone(Data) < static_cast<long long>(boneCount);
}

void CSkin::FillVertexBuffer(RenderVertex* out) const {
  for (std::int32_t v = 0; v < Data.VertexCount; ++v) {
    const SkinInfluence& s = Data.FirstOf(v);
    out[v] = {s.Position.x, s.Position.y, s.Position.z, s.Normal.x, s.Normal.y, s.Normal.z, s.Colour, s.U, s.V};
  }
}

bool CSkin::MakeBuffers() {
  CRender* render = g_SkinEngine.Render;
  m_Device = render != nullptr && render->GetVertexShadersOn() != 0 && render->IsDeviceCreated();
  m_Current = 0;
  const std::uint32_t nv = static_cast<std::uint32_t>(Data.VertexCount);
  if (nv == 0) return true;
  if (!m_Device) {
    for (std::vector<RenderVertex>& buffer : m_Memory) {
      buffer.resize(nv);
      FillVertexBuffer(buffer.data());
    }
    return true;
  }
  for (IDirect3DVertexBuffer8*& buffer : m_VertexBuffers) {
    buffer = render->CreateVertexBuffer(nv, kSkinVertexFormat, kSkinVertexStride);
    if (buffer == nullptr) return false;
    auto* p = static_cast<RenderVertex*>(LockVertexBuffer(buffer));
    if (p == nullptr) return false;
    FillVertexBuffer(p);
    UnlockVertexBuffer(buffer);
  }
  auto makeIndices = [render](const std::vector<std::uint16_t>& source, IDirect3DIndexBuffer8** out) {
    if (source.empty()) return true;
    *out = render->CreateIndexBuffer(static_cast<DWORD>(source.size()));
    if (*out == nullptr) return false;
    void* p = LockIndexBuffer(*out);
    if (p == nullptr) return false;
    std::memcpy(p, source.data(), source.size() * 2);
    UnlockIndexBuffer(*out);
    return true;
  };
  if (!makeIndices(StripFlag == 1 ? Data.StripIndices : Data.ListIndices, &m_DrawIndices)) return false;
  return makeIndices(Data.ListIndices, &m_ListIndices);
}

RenderVertex* CSkin::LockBuffer(int i) {
  if (Data.VertexCount == 0) return nullptr;
  if (!m_Device) return m_Memory[i].empty() ? nullptr : m_Memory[i].data();
  return m_VertexBuffers[i] != nullptr ? static_cast<RenderVertex*>(LockVertexBuffer(m_VertexBuffers[i])) : nullptr;
}

void CSkin::UnlockBuffer(int i) {
  if (m_Device && m_VertexBuffers[i] != nullptr) UnlockVertexBuffer(m_VertexBuffers[i]);
}

RenderVertex* CSkin::LockCurrent() { return LockBuffer(m_Current); }
void CSkin::UnlockCurrent() { UnlockBuffer(m_Current); }

// --- Posing -----------------------------------------------------------------

void CSkin::Deform(const CMatrix* boneMatrices, int boneCount) {
  if (Data.VertexCount == 0) return;
  const int next = m_Current ^ 1;
  RenderVertex* out = LockBuffer(next);
  if (out == nullptr) return;
  m_Current = next;
  auto bone = [boneMatrices, boneCount](std::uint16_t b) -> const CMatrix& {
    return b < boneCount ? boneMatrices[b] : kIdentity;
  };
  const SkinInfluence* influences = Data.Influences.data();
  const std::uint32_t* first = Data.FirstInfluence.data();
  for (std::int32_t v = 0; v < Data.VertexCount; ++v) {
    const SkinInfluence* s = influences + first[v];
    const std::uint32_t n = first[v + 1] - first[v];
    RenderVertex& o = out[v];
    float p[3];
    const CMatrix& m0 = bone(s->Bone);
    TransformFull(m0, s->Position, p);
    if (n > 1) {
      // p = sum_k w_k (p_k x M_k); the weights are taken as stored.
      p[0] *= s->Weight;
      p[1] *= s->Weight;
      p[2] *= s->Weight;
      for (std::uint32_t k = 1; k < n; ++k) {
        float q[3];
        TransformFull(bone(s[k].Bone), s[k].Position, q);
        p[0] += s[k].Weight * q[0];
        p[1] += s[k].Weight * q[1];
        p[2] += s[k].Weight * q[2];
      }
    }
    float nrm[3];
    RotateFull(m0, s->Normal, nrm);
    o.x = p[0];
    o.y = p[1];
    o.z = p[2];
    o.nx = nrm[0];
    o.ny = nrm[1];
    o.nz = nrm[2];
    o.Colour = kWhite;
  }
  UnlockBuffer(next);
  if (g_HardwareSwitch && ShaderForm != 0) DeformTangents(boneMatrices, boneCount);
}

void CSkin::DeformTangents(const CMatrix* boneMatrices, int boneCount) {
  IDirect3DVertexBuffer8* buffer = m_TangentBuffers[m_Current];
  if (buffer == nullptr || m_Tangents.size() != static_cast<std::size_t>(Data.VertexCount)) return;
  auto* out = static_cast<TangentFrame*>(LockVertexBuffer(buffer));
  if (out == nullptr) return;
  for (std::int32_t v = 0; v < Data.VertexCount; ++v) {
    const std::uint16_t b = Data.FirstOf(v).Bone;
    const CMatrix& m = b < boneCount ? boneMatrices[b] : kIdentity;
    const TangentFrame& f = m_Tangents[static_cast<std::size_t>(v)];
    float t[3], bn[3], n[3];
    RotateFull(m, f.T, t);
    RotateFull(m, f.B, bn);
    RotateFull(m, f.N, n);
    out[v] = {{t[0], t[1], t[2]}, {bn[0], bn[1], bn[2]}, {n[0], n[1], n[2]}};
  }
  UnlockVertexBuffer(buffer);
}

void CSkin::Render(const CMatrix* modelMatrices, int modelCount, const std::vector<std::int32_t>& boneNodes,
                   const CVector3* lightPosition, int shadow) {
  m_PoseScratch.resize(boneNodes.size());
  for (std::size_t i = 0; i < boneNodes.size(); ++i) {
    const std::int32_t node = boneNodes[i];
    m_PoseScratch[i] = node >= 0 && node < modelCount ? modelMatrices[node] : kIdentity;
  }
  Deform(m_PoseScratch.data(), static_cast<int>(m_PoseScratch.size()));
  CRender* render = g_SkinEngine.Render;
  if (g_SkinShadows && lightPosition != nullptr && shadow != 0 && g_ShadowBuilder != nullptr && render != nullptr &&
      render->IsDeviceCreated())
    g_ShadowBuilder(this, *lightPosition);
}

// --- Queries ----------------------------------------------------------------

int CSkin::UVInRange(float low, float high) const {
  for (std::int32_t v = 0; v < Data.VertexCount; ++v) {
    const SkinInfluence& s = Data.FirstOf(v);
    if (s.U < low || s.U > high || s.V < low || s.V > high) return 0;
  }
  return 1;
}
