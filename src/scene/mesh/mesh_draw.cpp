// The fixed-function mesh draw paths: choosing between drawing now and the
// transparent queue, the direct draw with its optional second stage
// (reflection or detail), shadow queueing, and the environment hooks.
#include "scene/mesh/mesh_draw.h"

#include <cstdio>

#include "render/device/render.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/light_colour_override.h"
#include "scene/mesh/mesh_draw_params.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "world/environment/env_object.h"

bool g_MeshDetailSwitch = true;
bool g_MeshReflectionSwitch = true;
bool g_MeshBumpSwitch = true;
PixelLightSelection* g_PixelLightSelection = nullptr;
CVector3 g_ShadowLightPosition{};
const CMatrix* g_MeshReflectionMatrices[2] = {nullptr, nullptr};

void SetMeshEffectSwitches(std::uint32_t effectFlags) {
  g_MeshDetailSwitch = (effectFlags & 0x1) != 0;
  g_MeshReflectionSwitch = (effectFlags & 0x2) != 0;
  g_MeshBumpSwitch = (effectFlags & 0x4) != 0;
}

namespace {

// A texture is opaque unless its alpha flags say it has alpha.
bool HasAlpha(const CTexture* texture) { return texture != nullptr && texture->HasAlpha != 0; }

bool InList(const MeshTextureList* list, const CTexture* texture) {
  if (list == nullptr || list->Textures == nullptr) return false;
  for (std::int32_t k = 0; k < list->Count; ++k)
    if (list->Textures[k] == texture) return true;
  return false;
}

void SetTextureTransform1(CRender* render, const CMatrix& m) {
  if (render->GetDevice() == nullptr) return;
  D3DMATRIX d;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) d.m[r][c] = m.m[r][c];
  render->GetDevice()->SetTransform(D3DTS_TEXTURE1, &d);
}

void SetStage1(CRender* render, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (render->GetDevice() != nullptr) render->GetDevice()->SetTextureStageState(1, type, value);
}

// The inverse of the view rotation: the view matrix with its translation
// zeroed, transposed (a rotation's inverse).
CMatrix InverseViewRotation(const CRender* render) {
  CMatrix m = render->GetViewMatrix();
  m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
  m.Transpose3x3();
  return m;
}

DWORD FactorAlpha(float strength) {
  const float a = strength * 255.0f;
  const DWORD alpha = a <= 0.0f ? 0u : a >= 255.0f ? 255u : static_cast<DWORD>(a);
  return (alpha << 24) | 0x00FFFFFFu;
}

}  // namespace

// ---- Choosing the way ----------------------------------------------------------------

void CVertexBuffer::Draw(CTexture* textureOverride, const MeshDrawParams* params) {
  if (params != nullptr && ((params->Kind == kMeshDrawTintBlend && (params->Colour >> 24) < 255) ||
                            params->Kind == kMeshDrawTintAdditive)) {
    QueueTransparent(textureOverride, params);
    return;
  }
  if (!(Flags & MESHPART_ALWAYS_QUEUED) && !HasAlpha(Texture)) {
    DrawDirect(textureOverride, params);
    return;
  }
  QueueTransparent(textureOverride, params);
}

void CVertexBuffer::QueueTransparent(CTexture* textureOverride, const MeshDrawParams* params) {
  if ((Flags & MESHPART_NEVER_QUEUED) || CountOnly) return;
  const MeshEngine& engine = Engine();
  DepthSortQueue* queue = engine.Queue != nullptr ? engine.Queue : g_DepthSortQueue;
  if (queue == nullptr || engine.Render == nullptr) return;
  const CMatrix& world = engine.Render->GetWorldMatrix();
  std::int64_t bucket = queue->BucketOf(CVector3{world.m[3][0], world.m[3][1], world.m[3][2]});
  if (params != nullptr && params->QueueBias != 0) {
    bucket += params->QueueBias;
    if (bucket < 0) bucket = 0;
  }
  if (bucket >= queue->BucketCount) bucket = queue->BucketCount - 1;
  auto* item = queue->AllocItem<MeshPartItem>(DSK_MESH);
  if (item == nullptr) return;
  item->World = world;
  item->Part = this;
  item->TextureOverride = textureOverride;
  item->Flags = kMeshItemQueued | (params != nullptr ? kMeshItemHasParams : 0u);
  item->Params = params != nullptr ? *params : MeshDrawParams{0, 0, nullptr, nullptr, nullptr, 0, 0};
  item->Lights.Count = static_cast<std::uint8_t>(CLightTable::ActiveCount);
  for (int k = 0; k < CLightTable::ActiveCount; ++k) item->Lights.Index[k] = CLightTable::Active[k];
  item->PixelLight = nullptr;
  if (g_MeshBumpSwitch && BumpOn && g_PixelLightSelection != nullptr) {
    // The light selection of this moment goes with the item; without room
    // for it the item is dropped too.
    auto* selection = static_cast<PixelLightSelection*>(queue->Alloc(sizeof(PixelLightSelection)));
    if (selection == nullptr) return;
    *selection = *g_PixelLightSelection;
    item->PixelLight = selection;
  }
  queue->Insert(static_cast<std::uint32_t>(bucket), item);
}

// ---- The direct draw ------------------------------------------------------------------

void CVertexBuffer::DrawDirect(CTexture* textureOverride, const MeshDrawParams* params) {
  CRender* render = Engine().Render;
  if (render == nullptr) return;
  const DepthSortQueue* queue = Engine().Queue != nullptr ? Engine().Queue : g_DepthSortQueue;
  const bool queueDrawing = queue != nullptr && queue->Drawing != 0;

  // 1. The shader paths, on hardware buffers.
  if (VertexBuffer != nullptr) {
    // Without a light to bump with (or a tangent buffer) the part is drawn
    // the plain way rather than not at all.
    if (g_MeshBumpSwitch && BumpOn && DrawBumped(textureOverride, params)) return;
    if (params != nullptr && params->Reflection != nullptr && render->SupportsVertexShader(1, 0, 10)) {
      if (params->Kind == kMeshDrawTintBlend)
        DrawReflectiveTinted(textureOverride, params);
      else
        DrawReflective(textureOverride, params);
      return;
    }
  }
  // 2. Nothing to draw without a texture.
  CTexture* texture = textureOverride != nullptr ? textureOverride : Texture;
  if (texture == nullptr) return;
  // 3, 4. Filtering; blend mode and factor.
  render->SetMipmapping(1);
  render->SetBilinearFilter(1);
  if (params != nullptr && params->IsTint()) {
    render->SetBlendMode(static_cast<int>(params->Kind));
    render->SetTextureFactor(params->Colour);
  } else {
    render->SetBlendMode(1);
    render->SetTextureFactor(0xFFFFFFFF);
  }
  // 5. Alpha test: cut-out parts drawn by the queue test at 1 and write no depth.
  bool restoreZWrite = false;
  DWORD zWrite = 0;
  if ((Flags & MESHPART_CUT_OUT) && queueDrawing) {
    render->SetAlphaTest(1, kMeshCutOutAlphaRef);
    zWrite = render->SetZWrite(0);
    restoreZWrite = true;
  } else {
    render->SetAlphaTest(1, kMeshAlphaRef);
  }
  // 6. Material; specular only with a power.
  render->SetSpecular(Material != nullptr && Material->Power > 0.0f ? 1 : 0);
  ApplyMeshMaterial(render, Material != nullptr ? Material->DeviceMaterial : nullptr);
  // 7. Stage 0 texture.
  if (texture->Palette >= 0) render->SetTexturePalette(static_cast<DWORD>(texture->Palette));
  render->SetTexture(0, texture->DeviceTexture);
  // 8. Depth bias; parts whose texture is listed get no detail pass.
  bool detailAllowed = true;
  const bool zBias = params != nullptr && params->ZBias != 0;
  if (params != nullptr) {
    if (zBias) render->SetZBias(params->ZBias);
    if (InList(params->Exclusions, Texture)) detailAllowed = false;
  }
  // 9. Stage 0 addressing.
  render->SetStageClampU(0, ClampU);
  render->SetStageClampV(0, ClampV);
  // 10. At most one second stage: reflection, else detail.
  bool secondStage = false;
  if (!HasAlpha(Texture) && ReflectTexture != nullptr && g_MeshReflectionSwitch) {
    const bool cube = (ReflectTexture->Flags & TEXF_CUBE) != 0;
    CMatrix transform;
    if (cube) {
      transform = g_MeshReflectionMatrices[0] != nullptr ? *g_MeshReflectionMatrices[0] : InverseViewRotation(render);
    } else if (g_MeshReflectionMatrices[1] != nullptr) {
      transform = *g_MeshReflectionMatrices[1];
    } else {
      // Sphere map: the reflection vector turned back to world space and mirrored.
      CMatrix flip;
      flip.SetIdentity();
      flip.Scale(-1.0f, -1.0f, -1.0f);
      MatrixMultiply(&transform, flip, InverseViewRotation(render));
    }
    SetTextureTransform1(render, transform);
    SetStage1(render, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    SetStage1(render, D3DTSS_TEXTURETRANSFORMFLAGS, cube ? D3DTTFF_COUNT3 : D3DTTFF_COUNT2);
    render->SetStageClampU(1, cube ? 1 : 0);
    render->SetStageClampV(1, cube ? 1 : 0);
    render->SetTextureFactor(FactorAlpha(ReflectStrength));
    render->SetBlendMode(18);
    render->SetTexture(1, ReflectTexture->DeviceTexture);
    secondStage = true;
  } else if (DetailTexture != nullptr && g_MeshDetailSwitch && detailAllowed) {
    CMatrix transform;
    transform.SetIdentity();
    transform.Scale(DetailScaleU, DetailScaleV, 1.0f);
    SetTextureTransform1(render, transform);
    SetStage1(render, D3DTSS_TEXCOORDINDEX, 0);
    SetStage1(render, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    render->SetStageClampU(1, 0);
    render->SetStageClampV(1, 0);
    render->SetTextureFactor(FactorAlpha(DetailStrength));
    render->SetBlendMode(static_cast<int>(DetailBlendMode));
    render->SetTexture(1, DetailTexture->DeviceTexture);
    secondStage = true;
  }
  // 11. Geometry: replacement buffers, the part's device buffers, or system memory.
  if (params != nullptr && params->Geometry != nullptr) {
    const MeshReplacementGeometry& g = *params->Geometry;
    if (g.VertexCount != 0) {
      render->SetVertexFormat(kMeshVertexFormat);
      render->SetStreamSource(g.VertexBuffer, kMeshVertexStride);
      render->SetIndices(g.IndexBuffer);
      if (g.IsStrip) {
        if (g.IndexCount >= 3) render->DrawIndexedStrip(g.IndexCount - 2, g.VertexCount);
      } else if (g.IndexCount >= 3) {
        render->DrawIndexedList(g.IndexCount / 3, g.VertexCount);
      }
    }
  } else if (VertexBuffer != nullptr && IndexBuffer != nullptr) {
    render->SetVertexFormat(kMeshVertexFormat);
    render->SetStreamSource(VertexBuffer, kMeshVertexStride);
    render->SetIndices(IndexBuffer);
    if (IsStrip) {
      if (StripIndexCount >= 3) render->DrawIndexedStrip(StripIndexCount - 2, VertexCount);
    } else if (ListIndexCount >= 3) {
      render->DrawIndexedList(ListIndexCount / 3, VertexCount);
    }
  } else if (Vertices != nullptr) {
    render->SetVertexFormat(kMeshVertexFormat);
    if (IsStrip && StripIndices != nullptr && StripIndexCount >= 3)
      render->DrawIndexedStripUP(StripIndexCount - 2, VertexCount, Vertices, StripIndices, kMeshVertexStride);
    else if (ListIndices != nullptr && ListIndexCount >= 3)
      render->DrawIndexedListUP(ListIndexCount / 3, VertexCount, Vertices, ListIndices, kMeshVertexStride);
  }
  // 12. Clean-up of what this draw changed.
  if (secondStage) {
    SetStage1(render, D3DTSS_TEXCOORDINDEX, 0);
    SetStage1(render, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    CMatrix identity;
    identity.SetIdentity();
    SetTextureTransform1(render, identity);
    render->SetTexture(1, nullptr);
  }
  render->SetStageClampU(0, 0);
  render->SetStageClampV(0, 0);
  render->SetSpecular(0);
  if (zBias) render->SetZBias(0);
  if (restoreZWrite) render->SetZWrite(zWrite);
}

// ---- Whole meshes ---------------------------------------------------------------------

void CVBufferObject::Draw(CTexture* textureOverride, const MeshDrawParams* params) {
  for (CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next) part->Draw(textureOverride, params);
}

void CVBufferObject::QueueShadows() {
  const MeshEngine& engine = CVertexBuffer::Engine();
  DepthSortQueue* queue = engine.Queue != nullptr ? engine.Queue : g_DepthSortQueue;
  if (queue == nullptr || engine.Render == nullptr) return;
  for (CVertexBuffer* part = FirstPart; part != nullptr; part = part->Next) {
    if (part->Faces == nullptr) continue;
    if (part->ListIndexCount > kMeshShadowMaxIndices) {
      std::printf("SHADOW IS TOO BIG !!!!\n");
      continue;
    }
    auto* item = queue->AllocItem<ShadowVolumeItem>(DSK_SHADOW_VOLUME);
    if (item == nullptr) return;
    item->World = engine.Render->GetWorldMatrix();
    item->Part = part;
    item->LightPosition = g_ShadowLightPosition;
    queue->Insert(kMeshShadowBucket, item);
  }
}

// ---- Environment hooks ----------------------------------------------------------------

namespace {

int DrawEnvMesh(CVBufferObject* mesh, const void*, std::uint32_t textureOverride, void* drawData) {
  if (mesh == nullptr) return 0;
  CTexture* override = nullptr;
  if (textureOverride != 0 && CVertexBuffer::Engine().Textures != nullptr)
    override = CVertexBuffer::Engine().Textures->FindById(textureOverride);
  mesh->Draw(override, static_cast<const MeshDrawParams*>(drawData));
  return 1;
}

void QueueEnvShadow(CEnvObject* shadowTemplate) {
  if (shadowTemplate != nullptr && shadowTemplate->Mesh != nullptr) shadowTemplate->Mesh->QueueShadows();
}

}  // namespace

void InstallMeshDrawHooks() {
  EnvDrawHooks hooks = GetEnvDrawHooks();
  hooks.DrawMesh = DrawEnvMesh;
  hooks.DrawVertexAnimFrame = VertexAnimDrawFrame;
  hooks.QueueShadow = QueueEnvShadow;
  SetEnvDrawHooks(hooks);
}
