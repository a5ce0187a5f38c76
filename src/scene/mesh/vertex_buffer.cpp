#include "scene/mesh/vertex_buffer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/memory/memory_manager.h"
#include "render/device/render.h"
#include "render/geometry/tangent_frames.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/mesh_chunk_fields.h"
#include "scene/mesh/mesh_strips.h"
#include "scene/mesh/stripifier.h"

static_assert(std::endian::native == std::endian::little && sizeof(RenderVertex) == 36,
              "mesh vertices and indices are read in place from little-endian records");

namespace {

MeshEngine g_MeshEngine;

// The builder's scratch, shared by every part (one part is built at a time).
RenderVertex g_ScratchVertices[kMeshScratchVertices];
std::uint16_t g_ScratchIndices[kMeshScratchIndices];

std::uint32_t g_DeviceReleases = 0;
std::uint32_t g_ArrayReleases = 0;

template <typename T>
void FreeArray(T*& p) {
  if (p == nullptr) return;
  delete[] p;
  p = nullptr;
  ++g_ArrayReleases;
}

// Skips a sub-chunk of a tag, a count n and n records of the size.
bool SkipSubChunk(ByteReader& in, std::uint32_t recordSize) {
  in.U32();
  const std::uint32_t n = in.U32();
  if (!in.Ok() || !in.HasRoomFor(n, recordSize)) return false;
  return in.Skip(static_cast<std::size_t>(n) * recordSize);
}

}  // namespace

CVertexBuffer::CVertexBuffer() = default;

void CVertexBuffer::ForgetEngine() { g_MeshEngine = {}; }

CVertexBuffer::CVertexBuffer(CRender* render, CTextureManager* textures, CMaterialList* materials,
                             CLinearBuffer* queueAllocator, DepthSortQueue* queue) {
  g_MeshEngine = {render, textures, materials, queueAllocator, queue};
}

CVertexBuffer::~CVertexBuffer() { Free(); }

const MeshEngine& CVertexBuffer::Engine() { return g_MeshEngine; }

void CVertexBuffer::Reset() {
  CVertexBuffer* next = Next;
  Free();
  Next = next;
  Version = CountOnly = Flags = MaterialId = TextureId = 0;
  Material = nullptr;
  Texture = nullptr;
  ClampU = ClampV = PrimitiveCount = IsStrip = StripIndexCount = Marked = BumpOn = 0;
  BumpTexture = ReflectTexture = DetailTexture = nullptr;
  ReflectStrength = kDefaultReflectStrength;
  DetailScaleU = DetailScaleV = 0.0f;
  DetailStrength = kDefaultDetailStrength;
  DetailBlendMode = kDefaultDetailBlendMode;
  std::memset(ShadowFields, 0, sizeof ShadowFields);
  ListIndexCount = VertexCount = 0;
  MemoryBytes = sizeof(CVertexBuffer);
}

bool CVertexBuffer::UsesDeviceBuffers() const {
  return g_MeshEngine.Render != nullptr && g_MeshEngine.Render->GetVertexShadersOn() != 0 &&
         g_MeshEngine.Render->IsDeviceCreated();
}

std::uint32_t MeshPartDeviceReleases() { return g_DeviceReleases; }
std::uint32_t MeshPartArrayReleases() { return g_ArrayReleases; }

void CVertexBuffer::Free() {
  if (TangentBuffer != nullptr || VertexBuffer != nullptr || IndexBuffer != nullptr) ++g_DeviceReleases;
  ReleaseVertexBuffer(&TangentBuffer);
  ReleaseVertexBuffer(&VertexBuffer);
  ReleaseIndexBuffer(&IndexBuffer);
  FreeArray(Faces);
  // The shadow code's second table (raw memory of its own layout).
  ::operator delete(ShadowData);
  ShadowData = nullptr;
  FreeArray(ListIndices);
  FreeArray(StripIndices);
  FreeArray(Vertices);
  BumpOn = 0;
}

// The vertices go into a write-only managed device buffer (hardware buffers)
// or a system-memory array that lives as long as the part.
bool CVertexBuffer::MakeVertexStore(const RenderVertex* source, std::uint32_t count) {
  VertexCount = count;
  if (count == 0) return true;
  if (UsesDeviceBuffers()) {
    VertexBuffer = g_MeshEngine.Render->CreateVertexBuffer(count, kMeshVertexFormat, kMeshVertexStride);
    if (VertexBuffer == nullptr) return false;
    void* p = LockVertexBuffer(VertexBuffer);
    if (p == nullptr) return false;
    std::memcpy(p, source, static_cast<std::size_t>(count) * sizeof(RenderVertex));
    UnlockVertexBuffer(VertexBuffer);
    return true;
  }
  Vertices = new RenderVertex[count];
  std::memcpy(Vertices, source, static_cast<std::size_t>(count) * sizeof(RenderVertex));
  return true;
}

bool CVertexBuffer::MakeIndexBuffer(const std::uint16_t* source, std::uint32_t count) {
  if (count == 0) return true;
  IndexBuffer = g_MeshEngine.Render->CreateIndexBuffer(count);
  if (IndexBuffer == nullptr) return false;
  void* p = LockIndexBuffer(IndexBuffer);
  if (p == nullptr) return false;
  std::memcpy(p, source, static_cast<std::size_t>(count) * 2);
  UnlockIndexBuffer(IndexBuffer);
  return true;
}

void CVertexBuffer::ResolveTextureAndMaterial() {
  Texture = nullptr;
  Material = nullptr;
  if (CTextureManager* textures = g_MeshEngine.Textures) {
    Texture = textures->FindById(TextureId);
    if (Texture == nullptr) Texture = textures->GetTextureByIndex(0);
  }
  if (CMaterialList* materials = g_MeshEngine.Materials) {
    Material = materials->GetById(MaterialId);
    if (Material == nullptr) Material = materials->GetByIndex(0);
  }
}

// Part record: tag, version R, [R >= 2] countOnly, flags, material id,
// texture id, isStrip, NV, NS, NI, an ignored word; [countOnly 0] NV vertices,
// [isStrip] NS strip indices, NI list indices; a skipped sub-chunk of bytes;
// [R = 5] a skipped one of 2-byte entries; [R >= 5] "FACE"; "VSTP" (2-byte
// entries before version 4, 4-byte from it); [R >= 3] clampU, clampV.
bool CVertexBuffer::Load(ByteReader& in, std::uint32_t /*objectFileVersion*/) {
  Reset();
  in.U32();  // tag
  Version = in.U32();
  CountOnly = Version >= 2 ? in.U32() : 0;
  Flags = in.U32();
  MaterialId = in.U32();
  TextureId = in.U32();
  const std::uint32_t isStrip = in.U32();
  const std::uint32_t nv = in.U32();
  const std::uint32_t ns = in.U32();
  const std::uint32_t ni = in.U32();
  in.U32();
  if (!in.Ok()) return false;
  IsStrip = isStrip != 0 ? 1 : 0;

  // Counts the draw relies on: a strip of at least one triangle, a list of
  // whole triangles, indices that 16 bits reach.
  if (nv > kMeshPartMaxVertices) return false;
  if (IsStrip && ns != 0 && ns < 3) return false;
  if (ni % 3 != 0) return false;
  PrimitiveCount = IsStrip ? (ns >= 3 ? ns - 2 : 0) : ni / 3;
  StripIndexCount = IsStrip ? ns : 0;

  if (CountOnly == 0) {
    // Everything the geometry block claims must be in the record before any of it is kept.
    const std::uint64_t bytes = std::uint64_t{nv} * 36 + (IsStrip ? std::uint64_t{ns} * 2 : 0) + std::uint64_t{ni} * 2;
    if (bytes > in.Remaining()) return false;
    // The block's vertices are 36-byte little-endian records of eight floats
    // and a colour word in RenderVertex's order: taken over as they are.
    std::vector<RenderVertex> vertices(nv);
    const std::uint8_t* block = in.View(std::size_t{nv} * sizeof(RenderVertex));
    if (block == nullptr) return false;
    if (nv != 0) std::memcpy(vertices.data(), block, std::size_t{nv} * sizeof(RenderVertex));
    std::vector<std::uint16_t> strip, list;
    if (IsStrip && !ReadMeshIndices(in, ns, nv, &strip)) return false;
    if (!ReadMeshIndices(in, ni, nv, &list)) return false;
    if (!in.Ok()) return false;

    if (!MakeVertexStore(vertices.data(), nv)) return false;
    const bool device = UsesDeviceBuffers();
    if (IsStrip) {
      if (device) {
        if (!MakeIndexBuffer(strip.data(), ns)) return false;
      } else if (ns != 0) {
        StripIndices = new std::uint16_t[ns];
        std::memcpy(StripIndices, strip.data(), ns * 2u);
      }
    }
    // A strip keeps its list in system memory for the shadow code; a list on
    // hardware buffers lives in the device index buffer.
    if (IsStrip || !device) {
      if (ni != 0) {
        ListIndices = new std::uint16_t[ni];
        std::memcpy(ListIndices, list.data(), ni * 2u);
      }
    } else if (!MakeIndexBuffer(list.data(), ni)) {
      return false;
    }
  }
  ListIndexCount = ni;
  VertexCount = nv;
  MemoryBytes += 2 * ni;

  if (!SkipSubChunk(in, 1)) return false;
  if (Version == 5 && !SkipSubChunk(in, 2)) return false;
  if (Version >= 5 && !SkipSubChunk(in, kMeshFaceRecordSize)) return false;  // "FACE": no table exists yet
  if (!SkipSubChunk(in, Version < 4 ? 2 : 4)) return false;                  // "VSTP"

  ResolveTextureAndMaterial();
  if (Version >= 3) {
    ClampU = in.U32();
    ClampV = in.U32();
    if (!in.Ok()) return false;
  } else {
    NormaliseTexCoords();
  }
  return true;
}

void CVertexBuffer::NormaliseTexCoords() {
  RenderVertex* v = LockVertices();
  if (v == nullptr) {
    ClampU = ClampV = 1;
    return;
  }
  float minU = std::numeric_limits<float>::max(), maxU = -minU, minV = minU, maxV = -minU;
  for (std::uint32_t i = 0; i < VertexCount; ++i) {
    const float fu = std::floor(v[i].u), fv = std::floor(v[i].v);
    minU = std::min(minU, fu), maxU = std::max(maxU, fu);
    minV = std::min(minV, fv), maxV = std::max(maxV, fv);
  }
  ClampU = minU == maxU ? 1 : 0;
  ClampV = minV == maxV ? 1 : 0;
  for (std::uint32_t i = 0; i < VertexCount; ++i) {
    if (minU != 0.0f) v[i].u -= minU;
    if (minV != 0.0f) v[i].v -= minV;
  }
  UnlockVertices();
}

RenderVertex* CVertexBuffer::LockVertices() {
  if (VertexBuffer != nullptr) return static_cast<RenderVertex*>(LockVertexBuffer(VertexBuffer));
  return Vertices;
}

void CVertexBuffer::UnlockVertices() {
  if (VertexBuffer != nullptr) UnlockVertexBuffer(VertexBuffer);
}

std::uint16_t* CVertexBuffer::LockIndices() {
  if (!IsStrip && ListIndices == nullptr && IndexBuffer != nullptr)
    return static_cast<std::uint16_t*>(LockIndexBuffer(IndexBuffer));
  return ListIndices;
}

void CVertexBuffer::UnlockIndices() {
  if (!IsStrip && ListIndices == nullptr && IndexBuffer != nullptr) UnlockIndexBuffer(IndexBuffer);
}

// --- Building ---------------------------------------------------------------------

int CVertexBuffer::AddVertex(const RenderVertex& v) {
  if (CountOnly) return static_cast<int>(VertexCount++ & 0xFFFF);
  int count = static_cast<int>(VertexCount);
  const int index = FindOrAddVertex(v, g_ScratchVertices, &count, kMeshScratchVertices);
  VertexCount = static_cast<std::uint32_t>(count);
  return index;
}

bool CVertexBuffer::PushIndex(std::uint16_t index) {
  if (ListIndexCount >= static_cast<std::uint32_t>(kMeshScratchIndices)) return false;
  g_ScratchIndices[ListIndexCount++] = index;
  return true;
}

bool CVertexBuffer::Finish(bool stripify) {
  const std::uint32_t nv = VertexCount, ni = ListIndexCount - ListIndexCount % 3;
  bool ok = true;
  ListIndexCount = ni;
  PrimitiveCount = ni / 3;
  VertexCount = 0;
  const bool device = UsesDeviceBuffers();
  if (!stripify || ni == 0) {
    ok = MakeVertexStore(g_ScratchVertices, nv);
    if (ok && ni != 0) {
      if (device) {
        ok = MakeIndexBuffer(g_ScratchIndices, ni);
      } else {
        ListIndices = new std::uint16_t[ni];
        std::memcpy(ListIndices, g_ScratchIndices, ni * 2u);
      }
    }
    IsStrip = 0;
  } else {
    // One stitched strip from the stripifier (cache size from the render
    // object, stitching on, no minimum size, strips not lists), its vertices
    // renumbered in drawing order: new vertex remapped[i] is old vertex source[i].
    SetStripCacheSize(g_MeshEngine.Render != nullptr ? static_cast<int>(g_MeshEngine.Render->GetVertexCacheSize()) : 16);
    SetStripStitching(true);
    SetStripMinSize(0);
    SetStripListsOnly(false);
    StripGroup* groups = nullptr;
    StripGroup* remapped = nullptr;
    std::uint16_t groupCount = 0;
    if (!BuildStrips(g_ScratchIndices, ni, &groups, &groupCount) ||
        !RemapStripIndices(groups, groupCount, nv, &remapped)) {
      FreeStripGroups(groups);
      VertexCount = nv;
      return false;
    }
    // Only the first group is used: with these settings it is the one strip.
    const std::vector<std::uint16_t> source(groups[0].indices, groups[0].indices + groups[0].indexCount);
    const std::vector<std::uint16_t> strip(remapped[0].indices, remapped[0].indices + remapped[0].indexCount);
    FreeStripGroups(groups);
    FreeStripGroups(remapped);
    std::vector<RenderVertex> ordered(nv, RenderVertex{});
    for (std::size_t i = 0; i < strip.size(); ++i) ordered[strip[i]] = g_ScratchVertices[source[i]];
    const std::vector<std::uint16_t> list = StripToList(strip);

    ok = MakeVertexStore(ordered.data(), nv);
    if (ok) {
      if (device) {
        ok = MakeIndexBuffer(strip.data(), static_cast<std::uint32_t>(strip.size()));
      } else {
        StripIndices = new std::uint16_t[strip.size()];
        std::memcpy(StripIndices, strip.data(), strip.size() * 2);
      }
    }
    if (!list.empty()) {
      ListIndices = new std::uint16_t[list.size()];
      std::memcpy(ListIndices, list.data(), list.size() * 2);
    }
    ListIndexCount = static_cast<std::uint32_t>(list.size());
    StripIndexCount = static_cast<std::uint32_t>(strip.size());
    PrimitiveCount = StripIndexCount >= 3 ? StripIndexCount - 2 : 0;
    IsStrip = 1;
  }
  VertexCount = nv;
  return ok;
}

// --- Effects ------------------------------------------------------------------------

bool CVertexBuffer::SupportsBump() const {
  const CRender* render = g_MeshEngine.Render;
  return UsesDeviceBuffers() && render->SupportsVertexShader(1, 0, 12) && render->SupportsPixelShader(1, 0);
}

bool CVertexBuffer::PrepareBump(CTexture* bumpTexture) {
  if (!SupportsBump() || TangentBuffer != nullptr || VertexCount == 0) return false;
  RenderVertex* v = LockVertices();
  if (v == nullptr) return false;
  std::uint16_t* indices = ListIndices;
  std::vector<std::uint16_t> deviceList;
  if (indices == nullptr && ListIndexCount != 0) {
    // A list on hardware buffers: read the list back out of the index buffer.
    std::uint16_t* p = static_cast<std::uint16_t*>(LockIndexBuffer(IndexBuffer));
    if (p != nullptr) {
      deviceList.assign(p, p + ListIndexCount);
      UnlockIndexBuffer(IndexBuffer);
    }
    indices = deviceList.data();
  }
  TangentFrame* frames = BuildTangentFrames(v, static_cast<int>(VertexCount), indices,
                                            static_cast<int>(ListIndexCount), false, nullptr);
  UnlockVertices();
  if (frames == nullptr) return false;
  TangentBuffer = g_MeshEngine.Render->CreateVertexBuffer(VertexCount, 0, sizeof(TangentFrame));
  void* p = TangentBuffer != nullptr ? LockVertexBuffer(TangentBuffer) : nullptr;
  if (p != nullptr) {
    std::memcpy(p, frames, VertexCount * sizeof(TangentFrame));
    UnlockVertexBuffer(TangentBuffer);
  }
  MEM_DELETE_ARRAY frames;
  if (p == nullptr) {
    ReleaseVertexBuffer(&TangentBuffer);
    return false;
  }
  BumpOn = 1;
  BumpTexture = bumpTexture;
  return true;
}

void CVertexBuffer::SetPartParams(CTexture* reflectTexture, float strength) {
  ReflectTexture = reflectTexture;
  ReflectStrength = strength;
}

void CVertexBuffer::SetDetailParams(CTexture* texture, std::uint32_t blendMode, float strength, float scaleU,
                                    float scaleV) {
  DetailTexture = texture;
  DetailBlendMode = blendMode;
  DetailStrength = strength;
  DetailScaleU = scaleU;
  DetailScaleV = scaleV;
}

bool CVertexBuffer::IsTransparent() const {
  return (Flags & MESHPART_ALWAYS_QUEUED) != 0 || (Texture != nullptr && Texture->HasAlpha != 0);
}

bool CVertexBuffer::TexCoordsWithin(float low, float high) const {
  const RenderVertex* v = const_cast<CVertexBuffer*>(this)->LockVertices();
  bool within = true;
  for (std::uint32_t i = 0; v != nullptr && i < VertexCount && within; ++i)
    within = v[i].u >= low && v[i].u <= high && v[i].v >= low && v[i].v <= high;
  const_cast<CVertexBuffer*>(this)->UnlockVertices();
  return within;
}

void CVertexBuffer::WriteFaces(ByteWriter& out) const {
  out.Tag("FACE");
  const std::uint32_t n = Faces != nullptr ? ListIndexCount / 3 : 0;
  out.U32(n);
  if (n != 0) out.Bytes(Faces, static_cast<std::size_t>(n) * kMeshFaceRecordSize);
}

void CVertexBuffer::WriteStrips(ByteWriter& out) const {
  out.Tag("VSTP");
  out.U32(0);
}
