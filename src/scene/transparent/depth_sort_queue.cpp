#include "scene/transparent/depth_sort_queue.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "foundation/memory/linear_buffer.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/vertex_anim/vertex_anim_mesh.h"

DepthSortQueue* g_DepthSortQueue = nullptr;

namespace {

constexpr std::uint32_t kItemAlignment = 8;

// A float bucket number as an index: truncated toward zero; anything not
// below 2^32 (or not a number) is past every bucket.
std::uint32_t BucketIndex(float f) {
  if (!(f >= 0.0f)) return f < 0.0f ? 0 : 0xFFFFFFFFu;
  if (f >= 4294967040.0f) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(f);
}

// One Newton step of 1/r from the float bits 0x7F000000 - bits(r).
float FastReciprocal(float r) {
  float y = std::bit_cast<float>(0x7F000000u - std::bit_cast<std::uint32_t>(r));
  return y * (2.0f - r * y);
}

}  // namespace

void DepthSortQueue::Create(CRender* render, CCamera* camera, CLightTable* lights, std::uint32_t blockBytes,
                            std::uint32_t bucketCount) {
  m_Render = render;
  m_Camera = camera;
  m_Lights = lights;
  BlockBytes = blockBytes;
  BucketCount = bucketCount > 0 ? bucketCount : 1;
  InvBucketCount = 1.0f / static_cast<float>(BucketCount);
  LightingSwitch = 1;
  TrailFrame = -1;
  Lowest = BucketCount;
  Highest = 0;
  Buckets = nullptr;
  Base = End = Cursor = nullptr;
  Drawing = 0;
}

bool DepthSortQueue::CreatePools(CLinearBuffer* level) {
  FreePools();
  if (level == nullptr) return false;
  auto* block = static_cast<std::uint8_t*>(level->Alloc(BlockBytes, kItemAlignment));
  auto* buckets = static_cast<DepthSortItem**>(level->Alloc(BucketCount * sizeof(DepthSortItem*), 8));
  if (block == nullptr || buckets == nullptr) return false;
  std::memset(buckets, 0, BucketCount * sizeof(DepthSortItem*));
  Base = Cursor = block;
  End = block + BlockBytes;
  Buckets = buckets;
  Lowest = BucketCount;
  Highest = 0;
  return true;
}

void DepthSortQueue::FreePools() {
  Buckets = nullptr;
  Base = End = Cursor = nullptr;
  Lowest = BucketCount;
  Highest = 0;
}

void* DepthSortQueue::Alloc(std::uint32_t bytes) {
  if (Cursor == nullptr) return nullptr;
  const std::uintptr_t at = (reinterpret_cast<std::uintptr_t>(Cursor) + kItemAlignment - 1) & ~(std::uintptr_t{kItemAlignment} - 1);
  if (at + bytes > reinterpret_cast<std::uintptr_t>(End)) {
    ++Dropped;
    return nullptr;
  }
  Cursor = reinterpret_cast<std::uint8_t*>(at + bytes);
  return reinterpret_cast<void*>(at);
}

std::uint32_t DepthSortQueue::BucketOf(const CVector3& position) const {
  if (m_Camera == nullptr || m_Camera->GetFarClip() <= 0.0f) return 0;
  const CVector3& eye = m_Camera->GetPosition();
  const float dx = position.x - eye.x, dy = position.y - eye.y, dz = position.z - eye.z;
  // length = 1 / ((1.5 - 0.5 s y^2) y), y from the bits 0x5F3759DF - bits(s) / 2:
  // one Newton step of the inverse square root of s = |d|^2.
  const float s = dx * dx + dy * dy + dz * dz;
  const float y = std::bit_cast<float>(0x5F3759DFu - (std::bit_cast<std::uint32_t>(s) >> 1));
  const float length = 1.0f / ((1.5f - 0.5f * s * y * y) * y);
  return BucketIndex(length / m_Camera->GetFarClip() * static_cast<float>(BucketCount));
}

std::uint32_t DepthSortQueue::Insert(std::uint32_t bucket, DepthSortItem* item) {
  if (bucket >= BucketCount) bucket = BucketCount - 1;
  if (Buckets == nullptr || item == nullptr) return bucket;
  item->Next = Buckets[bucket];
  Buckets[bucket] = item;
  if (bucket < Lowest) Lowest = bucket;
  if (bucket > Highest) Highest = bucket;
  return bucket;
}

void DepthSortQueue::InsertChain(TrailPointItem* first) {
  if (first == nullptr || m_Camera == nullptr) return;
  const float far = m_Camera->GetFarClip();
  // 1. Project every point; the half-width is kept for the offsets.
  for (TrailPointItem* p = first; p != nullptr; p = p->NextPoint) {
    float record[7] = {};
    m_Camera->ProjectToUnitScreen(&p->Position, record, 1);
    const float halfWidth = p->HalfWidth;
    if (p->Flags & kTrailFarPlane) {
      if (record[2] > 0.0f) {
        record[2] = 1.0f;
        record[3] = far > 0.0f ? 1.0f / far : 0.0f;
      } else {
        record[0] = record[1] = record[2] = record[3] = -1.0f;
      }
    }
    p->Position = CVector3{record[0], record[1], record[2]};
    p->HalfWidth = record[3];
    p->OffsetX = halfWidth;  // kept here until the offsets are made
  }
  // 2. The screen direction to the successor, turned a quarter, 2 x half-width long.
  for (TrailPointItem* p = first; p != nullptr; p = p->NextPoint) {
    const float halfWidth = p->OffsetX;
    p->OffsetX = p->OffsetY = 0.0f;
    if (p->NextPoint == nullptr) continue;
    const float dx = p->NextPoint->Position.x - p->Position.x, dy = p->NextPoint->Position.y - p->Position.y;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (len > 0.0f) {
      p->OffsetX = -dy / len * 2.0f * halfWidth;
      p->OffsetY = dx / len * 2.0f * halfWidth;
    }
  }
  // 3. Smoothing, scaled by each point's reciprocal depth; the ends taper to nothing.
  int k = 0;
  for (TrailPointItem* p = first; p != nullptr; p = p->NextPoint, ++k) {
    TrailPointItem* next = p->NextPoint;
    if (next != nullptr && next->NextPoint != nullptr) {
      p->OffsetX = (p->OffsetX + next->OffsetX) * 0.5f * p->HalfWidth;
      p->OffsetY = (p->OffsetY + next->OffsetY) * 0.5f * p->HalfWidth;
    } else if (next != nullptr) {
      p->OffsetX *= p->HalfWidth;
      p->OffsetY *= p->HalfWidth;
    }
    if (k == 0 || next == nullptr) p->OffsetX = p->OffsetY = 0.0f;
  }
  // 4. Buckets from the depth 1 / r; points past the fog start fade.
  const float fogStart = m_Render != nullptr ? m_Render->GetFogStartRatio() : 1.0f;
  const float fogScale = m_Render != nullptr ? m_Render->GetFogScale() : 0.0f;
  for (TrailPointItem* p = first; p != nullptr;) {
    TrailPointItem* next = p->NextPoint;
    const float depth = p->HalfWidth != 0.0f ? FastReciprocal(p->HalfWidth) : 0.0f;
    const float bucketF = far > 0.0f ? depth / far * static_cast<float>(BucketCount) : 0.0f;
    const std::uint32_t bucket = BucketIndex(bucketF);
    if (!(p->Flags & kTrailFarPlane)) {
      const float fraction = static_cast<float>(bucket) * InvBucketCount;
      if (fraction > fogStart) {
        const float a = static_cast<float>(p->Colour >> 24) * (1.0f - (fraction - fogStart) * fogScale);
        const std::uint32_t alpha = a <= 0.0f ? 0u : a >= 255.0f ? 255u : static_cast<std::uint32_t>(a);
        p->Colour = (p->Colour & 0x00FFFFFFu) | (alpha << 24);
      }
    }
    Insert(bucket, p);
    p = next;
  }
}

void DepthSortQueue::Clear() {
  if (Buckets != nullptr && Lowest <= Highest)
    std::memset(Buckets + Lowest, 0, (Highest - Lowest + 1) * sizeof(DepthSortItem*));
  Lowest = BucketCount;
  Highest = 0;
  Cursor = Base;
  Dropped = 0;
}

void DepthSortQueue::Draw() {
  if (Buckets == nullptr || Lowest > Highest || m_Render == nullptr) return;
  Drawing = 1;
  m_Render->SetRenderStateCached(D3DRS_ALPHATESTENABLE, TRUE);
  m_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, TRUE);
  for (std::uint32_t b = Highest + 1; b-- > Lowest;)
    for (DepthSortItem* item = Buckets[b]; item != nullptr; item = item->Next) DrawItem(item);
  Drawing = 0;
  m_Render->SetCullMode(D3DCULL_CCW);
}

void DepthSortQueue::DrawItem(DepthSortItem* item) {
  switch (item->Kind) {
    case DSK_GLOW_SPRITE:
    case DSK_BILLBOARD:
    case DSK_ROTATED_BILLBOARD:
      DrawSprite(item);
      break;
    case DSK_FLAT_POLYGON:
      DrawFlatPolygon(*static_cast<FlatPolygonItem*>(item));
      break;
    case DSK_MESH:
      DrawMesh(*static_cast<MeshPartItem*>(item));
      break;
    case DSK_TRAIL_POINT:
      DrawTrailQuad(*static_cast<TrailPointItem*>(item));
      break;
    case DSK_SHRUB_BATCH: {
      auto& shrub = *static_cast<ShrubBatchItem*>(item);
      const DWORD lighting = m_Render->GetLighting();
      if (shrub.Lights.Count > 0) {
        SelectLights(shrub.Lights);
      } else if (LightingSwitch) {
        DepthSortLights fixed{1, {static_cast<std::uint8_t>(FixedLight)}};
        SelectLights(fixed);
      }
      m_Render->SetAlphaTest(1, kDepthSortAlphaRef);
      m_Render->SetZWrite(1);
      if (m_Hooks.DrawShrubBatch != nullptr) m_Hooks.DrawShrubBatch(shrub.Shrub, shrub.Fade);
      m_Render->SetLighting(lighting);
      m_Render->SetAlphaTest(0, kDepthSortAlphaRef);
      m_Render->SetZWrite(0);
      break;
    }
    case DSK_SHADOW_VOLUME: {
      auto& shadow = *static_cast<ShadowVolumeItem*>(item);
      m_Render->SetWorldMatrix(shadow.World);
      if (m_Hooks.DrawShadowVolume != nullptr) m_Hooks.DrawShadowVolume(shadow.Part, shadow.LightPosition);
      break;
    }
    case DSK_VERTEX_ANIM: {
      auto& anim = *static_cast<VertexAnimItem*>(item);
      const DWORD lighting = m_Render->GetLighting();
      if (LightingSwitch) SelectLights(anim.Lights);
      m_Render->SetAlphaTest(1, kDepthSortAlphaRef);
      m_Render->SetZWrite(1);
      m_Render->SetWorldMatrix(anim.World);
      if (anim.Mesh != nullptr) anim.Mesh->Draw(anim.Frame, anim.TextureOverride);
      m_Render->SetLighting(lighting);
      m_Render->SetBilinearFilter(1);
      m_Render->SetAlphaTest(0, kDepthSortAlphaRef);
      m_Render->SetZWrite(0);
      break;
    }
    default:
      break;  // kinds 3, 4 and 6 are not assigned
  }
}

bool DepthSortQueue::SelectLights(const DepthSortLights& lights) {
  CLightTable::ClearActive();
  bool any = false;
  if (NightVisionView && m_Lights != nullptr && m_Lights->NightVisionIndex != kNoLight)
    any |= CLightTable::AddActive(m_Lights->NightVisionIndex);
  for (int k = 0; k < lights.Count && k < 8; ++k) any |= CLightTable::AddActive(lights.Index[k]);
  m_Render->SetLighting(any ? 1 : 0);
  return any;
}

void DepthSortQueue::DrawSprite(DepthSortItem* item) {
  // The three sprite kinds share sheet, frame, blend mode, position and colour.
  CSpriteRender* sheet = nullptr;
  int frame = 0, mode = 0;
  std::uint32_t colour = 0;
  CVector3 position{};
  if (item->Kind == DSK_ROTATED_BILLBOARD) {
    const auto& r = *static_cast<RotatedBillboardItem*>(item);
    sheet = r.Sheet, frame = r.Frame, mode = r.BlendMode, colour = r.Colour, position = r.Position;
  } else if (item->Kind == DSK_BILLBOARD) {
    const auto& b = *static_cast<BillboardItem*>(item);
    sheet = b.Sheet, frame = b.Frame, mode = b.BlendMode, colour = b.Colour, position = b.Position;
  } else {
    const auto& g = *static_cast<GlowSpriteItem*>(item);
    sheet = g.Sheet, frame = g.Frame, mode = g.BlendMode, colour = g.Colour, position = g.Position;
  }
  if (sheet == nullptr) return;
  const DWORD fog = m_Render->GetFogEnable();
  m_Render->SetFogEnable(mode != 4 ? 1 : 0);
  m_Render->SetLighting(0);
  m_Render->SetBlendMode(mode);
  sheet->SetColour(colour, 0);
  switch (item->Kind) {
    case DSK_GLOW_SPRITE: {
      const float r = static_cast<GlowSpriteItem*>(item)->Radius;
      m_Render->SetZEnable(0);
      sheet->DrawBillboardRect(frame, position, 2.0f * r, 2.0f * r, -r, -r);
      m_Render->SetZEnable(1);
      break;
    }
    case DSK_BILLBOARD:
      sheet->DrawBillboard(frame, position, static_cast<BillboardItem*>(item)->SizePercent);
      break;
    default: {
      const auto& r = *static_cast<RotatedBillboardItem*>(item);
      m_Render->SetStencilEnable(0);
      sheet->DrawBillboardRotated(frame, position, r.Angle, r.SizePercent);
      break;
    }
  }
  m_Render->SetFogEnable(fog);
}

void DepthSortQueue::DrawFlatPolygon(const FlatPolygonItem& item) {
  if (item.Polygon == nullptr || item.Polygon->Points == nullptr || item.Polygon->Count < 3) return;
  m_Render->SetLighting(0);
  m_Render->SetBlendMode(item.BlendMode);
  const DWORD cull = m_Render->SetCullMode(item.CullMode);
  if (item.Material != nullptr && item.Material->DeviceMaterial != nullptr)
    m_Render->SetMaterial(item.Material->DeviceMaterial);
  if (item.Texture != nullptr && item.Texture->DeviceTexture != nullptr) {
    if (item.Texture->Palette >= 0) m_Render->SetTexturePalette(static_cast<DWORD>(item.Texture->Palette));
    m_Render->SetTexture(0, item.Texture->DeviceTexture);
  } else {
    m_Render->ClearTexture(0);
  }
  // A fan in world space: the world matrix is the identity.
  const int n = item.Polygon->Count;
  RenderVertex fan[64];
  const int count = n < 64 ? n : 64;
  for (int k = 0; k < count; ++k) {
    const CVector3& p = item.Polygon->Points[k];
    fan[k] = RenderVertex{p.x, p.y, p.z, 1.0f, 1.0f, 1.0f, item.Colour, 0.0f, 0.0f};
  }
  CMatrix identity;
  identity.SetIdentity();
  m_Render->SetWorldMatrix(identity);
  m_Render->SetVertexFormat(kFvfMesh);
  m_Render->DrawTriangleFan(static_cast<DWORD>(count - 2), fan, sizeof(RenderVertex));
  m_Render->SetCullMode(cull);
}

void DepthSortQueue::DrawMesh(MeshPartItem& item) {
  const DWORD lighting = m_Render->GetLighting();
  if (LightingSwitch) SelectLights(item.Lights);
  PixelLightSelection* previous = g_PixelLightSelection;
  if (item.PixelLight != nullptr) g_PixelLightSelection = item.PixelLight;
  m_Render->SetAlphaTest(1, kDepthSortAlphaRef);
  m_Render->SetZWrite(1);
  m_Render->SetWorldMatrix(item.World);
  if (item.Part != nullptr)
    item.Part->DrawDirect(item.TextureOverride, (item.Flags & kMeshItemHasParams) ? &item.Params : nullptr);
  g_PixelLightSelection = previous;
  m_Render->SetLighting(lighting);
  m_Render->SetBilinearFilter(1);
  m_Render->SetAlphaTest(0, kDepthSortAlphaRef);
  m_Render->SetZWrite(0);
}

void DepthSortQueue::DrawTrailQuad(const TrailPointItem& p) {
  const TrailPointItem* n = p.NextPoint;
  if (n == nullptr) return;
  const D3DVIEWPORT8* vp = m_Render->GetViewport();
  const float x0 = vp != nullptr ? static_cast<float>(vp->X) : 0.0f;
  const float y0 = vp != nullptr ? static_cast<float>(vp->Y) : 0.0f;
  const float sx = vp != nullptr ? static_cast<float>(vp->Width) * 0.5f : 0.0f;
  const float sy = vp != nullptr ? static_cast<float>(vp->Height) * 0.5f : 0.0f;
  float u1 = 0.0f, v1 = 0.0f, u2 = 1.0f, v2 = 1.0f;
  if (ParticleSprites != nullptr && TrailFrame >= 0 && TrailFrame < ParticleSprites->GetSpriteCount() &&
      ParticleSprites->SpriteUVs != nullptr) {
    const SpriteUV& uv = ParticleSprites->SpriteUVs[TrailFrame];
    u1 = uv.U1, v1 = uv.V1, u2 = uv.U2, v2 = uv.V2;
    ParticleSprites->BindPage(TrailFrame);
  }
  // Normalised screen (0..2) to viewport pixels.
  auto corner = [&](const TrailPointItem& q, float sign, float u, float v) {
    return ScreenVertex{x0 + (q.Position.x + sign * q.OffsetX) * sx, y0 + (q.Position.y + sign * q.OffsetY) * sy,
                        q.Position.z, q.HalfWidth, q.Colour, u, v};
  };
  ScreenVertex quad[4] = {corner(p, 1.0f, u1, v1), corner(*n, 1.0f, u2, v1), corner(*n, -1.0f, u2, v2),
                          corner(p, -1.0f, u1, v2)};
  const DWORD lighting = m_Render->SetLighting(0);
  const DWORD fog = m_Render->SetFogEnable(0);
  m_Render->SetBlendMode((p.Flags & kTrailAdditive) ? 12 : 3);
  m_Render->SetVertexFormat(kFvfScreen);
  m_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  m_Render->SetLighting(lighting);
  m_Render->SetFogEnable(fog);
}
