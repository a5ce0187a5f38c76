#include "scene/decals/decals.h"

#include <cstring>
#include <new>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/memory/ring_buffer.h"
#include "foundation/time/timer.h"
#include "render/device/render.h"
#include "render/geometry/geometry_ops.h"
#include "render/geometry/polygon_clip.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "scene/light_table.h"
#include "world/environment/env_instance.h"

using namespace geom;

namespace {

constexpr std::uint32_t kHeaderBytes = (sizeof(Decal) + 15u) & ~15u;
constexpr std::uint32_t kPartBytes = (sizeof(DecalPart) + 15u) & ~15u;
constexpr std::uint32_t Align16(std::uint32_t n) { return (n + 15u) & ~15u; }
// Decals make their own pools: the four blocks plus the carve overheads.
constexpr std::uint32_t kOwnPoolBytes =
    kDecalPartHeapBytes + kDecalVertexHeapBytes + kDecalIndexHeapBytes + kDecalRingBytes + 64u;

// The part mesh carried into world space before clipping (grown once, kept).
std::vector<RenderVertex>& WorldScratch() {
  static std::vector<RenderVertex> scratch;
  return scratch;
}

std::uint32_t PackColour(const float colour[4], float alphaScale) {
  auto byte = [](float f) {
    f = f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f;
    return static_cast<std::uint32_t>(f * 255.0f);
  };
  return byte(colour[3] * alphaScale) << 24 | byte(colour[0]) << 16 | byte(colour[1]) << 8 | byte(colour[2]);
}

// The decal in a ring record: the record's payload rounded up to 16 bytes
// (the ring itself only keeps 4-byte alignment).
Decal* DecalIn(void* payload) {
  const auto address = reinterpret_cast<std::uintptr_t>(payload);
  return reinterpret_cast<Decal*>((address + 15u) & ~static_cast<std::uintptr_t>(15u));
}

template <class F>
void ForEachDecal(const CRingBuffer* ring, F&& visit) {
  if (ring == nullptr) return;
  ring->ForEach([](void* payload, std::uint32_t, void* context) { (*static_cast<F*>(context))(DecalIn(payload)); },
                &visit);
}

}  // namespace

CDecals::CDecals(CTimer* gameClock, bool bumpMapping) : clock_(gameClock), bump_(bumpMapping) {}

bool CDecals::CreatePools(CLinearBuffer* level) {
  FreePools();
  CLinearBuffer* source = level;
  if (source == nullptr) {
    ownMemory_ = MEM_MALLOC(kOwnPoolBytes + 4);
    if (ownMemory_ == nullptr) return false;
    MEM_OWNER();
    source = MEM_NEW(MEMCAT_LINEAR_BUFFER) CLinearBuffer(ownMemory_, kOwnPoolBytes, "Decal Pools");
    if (source == nullptr) {
      FreePools();
      return false;
    }
  }
  const bool fits = source->GetFree() >= kOwnPoolBytes;
  if (fits) {
    MEM_OWNER();
    partHeap_ = MEM_NEW(MEMCAT_LINEAR_BUFFER) CLinearBuffer(source, kDecalPartHeapBytes, "Decal Part Heap");
    MEM_OWNER();
    vertexHeap_ = MEM_NEW(MEMCAT_LINEAR_BUFFER) CLinearBuffer(source, kDecalVertexHeapBytes, "Decal Vertex Heap");
    MEM_OWNER();
    indexHeap_ = MEM_NEW(MEMCAT_LINEAR_BUFFER) CLinearBuffer(source, kDecalIndexHeapBytes, "Decal Index Heap");
    MEM_OWNER();
    ring_ = MEM_NEW(MEMCAT_RING_BUFFER) CRingBuffer(source, static_cast<std::int32_t>(kDecalRingBytes));
  }
  if (level == nullptr) MEM_DELETE source;  // the carved buffers keep their memory in ownMemory_
  if (!fits || partHeap_ == nullptr || vertexHeap_ == nullptr || indexHeap_ == nullptr || ring_ == nullptr) {
    FreePools();
    return false;
  }
  chain_ = last_ = nullptr;
  return true;
}

void CDecals::FreePools() {
  for (CLinearBuffer** heap : {&partHeap_, &vertexHeap_, &indexHeap_}) {
    if (*heap != nullptr) MEM_DELETE *heap;
    *heap = nullptr;
  }
  if (ring_ != nullptr) MEM_DELETE ring_;
  ring_ = nullptr;
  if (ownMemory_ != nullptr) MEM_FREE(ownMemory_);
  ownMemory_ = nullptr;
  chain_ = last_ = nullptr;
}

void CDecals::Clear() {
  if (ring_ != nullptr) ring_->Reset();
}

void CDecals::Begin(const DecalProjector& projector, float size, float startSize, float growth) {
  projector_ = projector;
  size_ = size;
  startSize_ = startSize;
  growth_ = growth;
  chain_ = last_ = nullptr;
  for (CLinearBuffer* heap : {partHeap_, vertexHeap_, indexHeap_})
    if (heap != nullptr) heap->Reset();
}

bool CDecals::AddPart(const DecalMeshSource& mesh, const CMatrix& world, CEnvInstance* instance, CTexture* texture,
                      CMaterial* material, const float colour[4], bool upOnly) {
  if (!enabled_ || partHeap_ == nullptr || mesh.Vertices == nullptr || mesh.Indices == nullptr ||
      mesh.VertexCount <= 0 || mesh.IndexCount < 3)
    return false;
  auto* part = static_cast<DecalPart*>(partHeap_->Alloc(kPartBytes, 16));
  if (part == nullptr) return false;
  auto* indices = static_cast<std::uint16_t*>(indexHeap_->Alloc(kDecalPartIndices * 2, 16));
  auto* vertices = static_cast<RenderVertex*>(vertexHeap_->Alloc(kDecalPartVertices * sizeof(RenderVertex), 16));
  if (indices == nullptr || vertices == nullptr) {
    if (vertices != nullptr) vertexHeap_->FreeTop(kDecalPartVertices * sizeof(RenderVertex));
    if (indices != nullptr) indexHeap_->FreeTop(kDecalPartIndices * 2);
    partHeap_->FreeTop(kPartBytes);
    return false;
  }

  // The part's triangles in world space, clipped to the projector's box.
  std::vector<RenderVertex>& scratch = WorldScratch();
  scratch.resize(static_cast<std::size_t>(mesh.VertexCount));
  for (int i = 0; i < mesh.VertexCount; ++i) {
    RenderVertex v = mesh.Vertices[i];
    CVector3 p, n;
    world.TransformPoint({v.x, v.y, v.z}, &p);
    world.RotateVector({v.nx, v.ny, v.nz}, &n);
    v.x = p.x, v.y = p.y, v.z = p.z;
    v.nx = n.x, v.ny = n.y, v.nz = n.z;
    scratch[static_cast<std::size_t>(i)] = v;
  }
  const ClipMesh source{mesh.IndexCount - mesh.IndexCount % 3, mesh.VertexCount, scratch.data(),
                        const_cast<std::uint16_t*>(mesh.Indices)};
  ClipMesh output{0, 0, vertices, indices};
  ClipMeshJob job{};
  job.Flags = upOnly ? kClipMeshFacingTest : 0u;
  job.Direction = {0.0f, 1.0f, 0.0f};
  job.Threshold = 0.3f;
  job.VertexLimit = kDecalPartVertices;
  job.IndexLimit = kDecalPartIndices;
  job.Source = &source;
  job.Output = &output;
  ClipMeshToFrustum(projector_.Frustum(), &job);

  // Give back the ends of the arrays that were not filled.
  vertexHeap_->FreeTop(static_cast<std::uint32_t>(kDecalPartVertices - output.VertexCount) * sizeof(RenderVertex));
  indexHeap_->FreeTop(static_cast<std::uint32_t>(kDecalPartIndices - output.IndexCount) * 2u);
  if (output.IndexCount < 3) {
    vertexHeap_->FreeTop(static_cast<std::uint32_t>(output.VertexCount) * sizeof(RenderVertex));
    indexHeap_->FreeTop(static_cast<std::uint32_t>(output.IndexCount) * 2u);
    partHeap_->FreeTop(kPartBytes);
    return false;
  }

  // Texture coordinates from the world positions, then back into the owner's space.
  CMatrix inverse;
  const bool invertible = world.Invert(&inverse, nullptr) != 0;
  const std::uint32_t packed = PackColour(colour, 1.0f);
  for (int i = 0; i < output.VertexCount; ++i) {
    RenderVertex& v = vertices[i];
    projector_.TextureCoordinates({v.x, v.y, v.z}, &v.u, &v.v);
    v.Colour = packed;
    if (invertible) {
      CVector3 p, n;
      inverse.TransformPoint({v.x, v.y, v.z}, &p);
      inverse.RotateVector({v.nx, v.ny, v.nz}, &n);
      const float len = Length(n);
      if (len > 0.0f) n = n * (1.0f / len);
      v.x = p.x, v.y = p.y, v.z = p.z;
      v.nx = n.x, v.ny = n.y, v.nz = n.z;
    }
  }
  new (part) DecalPart{texture,        material, invertible ? world : CMatrix{}, instance,
                       output.IndexCount, output.VertexCount, vertices, indices,
                       {colour[0], colour[1], colour[2], colour[3]}, 1, nullptr};
  if (!invertible) part->World.SetIdentity();
  (last_ != nullptr ? last_->Next : chain_) = part;
  last_ = part;
  return true;
}

Decal* CDecals::Finish() {
  if (ring_ == nullptr || chain_ == nullptr || !enabled_) return nullptr;
  std::uint32_t bytes = kHeaderBytes;
  for (const DecalPart* p = chain_; p != nullptr; p = p->Next)
    bytes += kPartBytes + Align16(static_cast<std::uint32_t>(p->IndexCount) * 2u) +
             Align16(static_cast<std::uint32_t>(p->VertexCount) * sizeof(RenderVertex));
  void* payload = ring_->Alloc(bytes + 15u);
  if (payload == nullptr) return nullptr;
  auto* block = reinterpret_cast<std::uint8_t*>(DecalIn(payload));
  auto* decal = new (block) Decal{};
  decal->InUse = 1;
  decal->CreationTime = clock_ != nullptr ? static_cast<float>(clock_->GetGameTime()) * 0.001f : 0.0f;
  decal->Size = size_;
  decal->StartSize = startSize_;
  decal->Growth = growth_;
  decal->Scale = startSize_ != 0.0f ? size_ / startSize_ * size_ : size_;
  std::uint32_t offset = kHeaderBytes;
  DecalPart* previous = nullptr;
  for (const DecalPart* p = chain_; p != nullptr; p = p->Next) {
    auto* copy = new (block + offset) DecalPart(*p);
    offset += kPartBytes;
    copy->Indices = reinterpret_cast<std::uint16_t*>(block + offset);
    std::memcpy(copy->Indices, p->Indices, static_cast<std::size_t>(p->IndexCount) * 2u);
    offset += Align16(static_cast<std::uint32_t>(p->IndexCount) * 2u);
    copy->Vertices = reinterpret_cast<RenderVertex*>(block + offset);
    std::memcpy(static_cast<void*>(copy->Vertices), p->Vertices,
                static_cast<std::size_t>(p->VertexCount) * sizeof(RenderVertex));
    offset += Align16(static_cast<std::uint32_t>(p->VertexCount) * sizeof(RenderVertex));
    copy->Next = nullptr;
    (previous != nullptr ? previous->Next : decal->Parts) = copy;
    previous = copy;
  }
  chain_ = last_ = nullptr;
  return decal;
}

void CDecals::SetFade(Decal* decal, float delay, float fadeTime) {
  if (decal == nullptr) return;
  decal->FadeDelay = delay;
  decal->FadeTime = fadeTime;
  decal->Flags |= kDecalFades;
}

void CDecals::SetEnabled(Decal* decal, bool on) {
  if (decal == nullptr) return;
  decal->InUse = on ? 1 : 0;
  for (DecalPart* p = decal->Parts; p != nullptr; p = p->Next) p->Enabled = on ? 1 : 0;
}

void CDecals::ForgetInstance(const CEnvInstance* instance) {
  if (instance == nullptr) return;
  ForEachDecal(ring_, [instance](Decal* d) {
    for (DecalPart* p = d->Parts; p != nullptr; p = p->Next)
      if (p->Instance == instance) p->Enabled = 0;
  });
}

int CDecals::DecalCount() const {
  int count = 0;
  ForEachDecal(ring_, [&count](Decal*) { ++count; });
  return count;
}

Decal* CDecals::GetDecal(int i) const {
  Decal* found = nullptr;
  int k = 0;
  ForEachDecal(ring_, [&](Decal* d) {
    if (k++ == i) found = d;
  });
  return found;
}

void CDecals::Advance(float now, float frameSeconds) {
  ForEachDecal(ring_, [this, now, frameSeconds](Decal* d) {
    if (!d->InUse) return;
    if (d->Flags & kDecalFades) {
      const float t = now - d->CreationTime;
      if (t < d->FadeDelay) return;
      const float a = d->FadeTime > 0.0f ? 1.0f - (t - d->FadeDelay) / d->FadeTime : 0.0f;
      if (a <= 0.0f) {
        SetEnabled(d, false);
        return;
      }
      for (DecalPart* p = d->Parts; p != nullptr; p = p->Next) {
        const std::uint32_t colour = PackColour(p->Colour, a);
        for (int i = 0; i < p->VertexCount; ++i) p->Vertices[i].Colour = colour;
      }
    } else if (d->Growth != 1.0f) {
      // Spreading: the scale shrinks toward the size by the growth factor,
      // and the texture coordinates with it about the middle.
      const float s = 1.0f - (1.0f - d->Growth) * frameSeconds;
      d->Scale *= s;
      if (d->Scale > d->Size) {
        for (DecalPart* p = d->Parts; p != nullptr; p = p->Next)
          for (int i = 0; i < p->VertexCount; ++i) {
            p->Vertices[i].u = (p->Vertices[i].u - 0.5f) * s + 0.5f;
            p->Vertices[i].v = (p->Vertices[i].v - 0.5f) * s + 0.5f;
          }
      } else {
        d->Growth = 1.0f;
      }
    }
  });
}

void CDecals::Draw(CRender* render) {
  if (!enabled_ || ring_ == nullptr) return;
  if (render != nullptr) {
    render->SetLighting(1);
    render->SetSolidFill(1);
    render->SetMipmapping(1);
    render->SetBilinearFilter(1);
    render->SetZWrite(0);
    render->SetAlphaTest(0, 0);
    render->SetBlendMode(3);
    render->SetZBias(2);
    render->SetTextureClampU(1);
    render->SetTextureClampV(1);
    ForEachDecal(ring_, [render](Decal* d) {
      if (!d->InUse) return;
      for (DecalPart* p = d->Parts; p != nullptr; p = p->Next) {
        if (!p->Enabled || p->IndexCount < 3) continue;
        // Only where the instance under it was drawn this frame.
        if (p->Instance != nullptr && p->Instance->FramesSinceDrawn() != 0) continue;
        render->SetWorldMatrix(p->World);
        render->SetTexture(0, p->Texture != nullptr ? p->Texture->DeviceTexture : nullptr);
        if (p->Texture != nullptr && p->Texture->Palette >= 0)
          render->SetTexturePalette(static_cast<DWORD>(p->Texture->Palette));
        if (p->Material != nullptr) render->SetMaterial(p->Material->DeviceMaterial);
        CLightTable::ClearActive();
        if (p->Instance != nullptr) {
          for (int i = 0; i < p->Instance->GetActiveLightCount(); ++i) CLightTable::AddActive(p->Instance->GetActiveLight(i));
        } else {
          CLightTable::AddActive(0);
        }
        render->SetVertexFormat(kFvfMesh);
        render->DrawIndexedListUP(static_cast<DWORD>(p->IndexCount / 3), static_cast<DWORD>(p->VertexCount),
                                  p->Vertices, p->Indices, sizeof(RenderVertex));
      }
    });
    render->SetZWrite(1);
    render->SetZBias(0);
    render->SetTextureClampU(0);
    render->SetTextureClampV(0);
  }
  const float now = clock_ != nullptr ? static_cast<float>(clock_->GetGameTime()) * 0.001f : 0.0f;
  Advance(now, clock_ != nullptr ? clock_->GetFrameTime() : 0.0f);
}
