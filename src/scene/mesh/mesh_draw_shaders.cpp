// The shader paths of the mesh draw: the reflection path (vertex shader 4),
// its tinted variant (5 or 6) and the dot-3 bump path (a vertex shader of
// the light-combination table and pixel shader 0).  Row vectors throughout;
// shader constants take matrices transposed (one column per register).
#include <cmath>

#include "render/device/pixel_shader.h"
#include "render/device/render.h"
#include "render/device/vertex_shader.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/mesh/mesh_draw_params.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/transparent/depth_sort_queue.h"

namespace {

// Registers of the reflection paths.
constexpr DWORD kRegConstants = 0;    // (0, 1, 0.5, 0.25)
constexpr DWORD kRegTransform = 2;    // c2-c5: (world x view x projection) transposed
constexpr DWORD kRegReflection = 8;   // the reflection record's register
constexpr DWORD kRegLightDir = 9;     // -direction of the first directional light, object space
constexpr DWORD kRegLightDiffuse = 10;
constexpr DWORD kRegLightAmbient = 11;
constexpr DWORD kRegTint = 12;        // tinted path without a light: colour x ambient
constexpr DWORD kRegEye = 13;         // -camera position turned by the record's matrix
// Registers of the bump path: three per light from c8.
constexpr DWORD kRegBumpLights = 8;

void Transposed(const CMatrix& m, float out[16]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[c * 4 + r] = m.m[r][c];
}

void SetWvp(CVertexShader* vs, const CRender* render) {
  CMatrix wvp;
  render->GetWorldViewProjectionMatrix(&wvp);
  float t[16];
  Transposed(wvp, t);
  vs->SetConstant(kRegTransform, t, 4);
}

// The first directional light among the active lights, or null.
const D3DLIGHT8* FirstDirectionalLight() {
  for (int k = 0; k < CLightTable::ActiveCount; ++k) {
    const int i = CLightTable::Active[k];
    if (CLightTable::Lights != nullptr && i < CLightTable::Count &&
        CLightTable::Lights[i].Light.Type == D3DLIGHT_DIRECTIONAL)
      return &CLightTable::Lights[i].Light;
  }
  return nullptr;
}

// A world direction into object space: d x (inverse world), rotation only.
CVector3 ToObjectDirection(const CRender* render, const CVector3& d) {
  CMatrix inverse;
  float determinant = 0.0f;
  if (!render->GetWorldMatrix().Invert(&inverse, &determinant)) return d;
  CVector3 out{};
  inverse.RotateVector(d, &out);
  return out;
}

CVector3 ToObjectPoint(const CRender* render, const CVector3& p) {
  CMatrix inverse;
  float determinant = 0.0f;
  if (!render->GetWorldMatrix().Invert(&inverse, &determinant)) return p;
  CVector3 out{};
  inverse.TransformPoint(p, &out);
  return out;
}

CVector3 Normalised(const CVector3& v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return len > 0.0f ? CVector3{v.x / len, v.y / len, v.z / len} : v;
}

// c9-c11 from the first directional light; false (nothing set) without one.
bool SetDirectionalLight(CVertexShader* vs, const CRender* render) {
  const D3DLIGHT8* light = FirstDirectionalLight();
  if (light == nullptr) return false;
  const CVector3 d = Normalised(ToObjectDirection(render, {-light->Direction.x, -light->Direction.y,
                                                           -light->Direction.z}));
  const float dir[4] = {d.x, d.y, d.z, 0.0f};
  vs->SetConstant(kRegLightDir, dir, 1);
  vs->SetConstant(kRegLightDiffuse, &light->Diffuse.r, 1);
  vs->SetConstant(kRegLightAmbient, &light->Ambient.r, 1);
  return true;
}

// c13: the camera position (the inverse view's translation) negated and
// turned by the record's matrix.
void SetEye(CVertexShader* vs, const CRender* render, const MeshReflectionRecord& record) {
  CMatrix inverse;
  float determinant = 0.0f;
  CVector3 eye{};
  if (render->GetViewMatrix().Invert(&inverse, &determinant)) eye = {inverse.m[3][0], inverse.m[3][1], inverse.m[3][2]};
  const CVector3 e{-eye.x, -eye.y, -eye.z};
  const float out[4] = {
      e.x * record.Matrix[0][0] + e.y * record.Matrix[1][0] + e.z * record.Matrix[2][0],
      e.x * record.Matrix[0][1] + e.y * record.Matrix[1][1] + e.z * record.Matrix[2][1],
      e.x * record.Matrix[0][2] + e.y * record.Matrix[1][2] + e.z * record.Matrix[2][2], 1.0f};
  vs->SetConstant(kRegEye, out, 1);
}

// c0 (0, 1, 0.5, 0.25) and c2-c5, which every shader path here sets first.
void SetBaseConstants(CVertexShader* vs, const CRender* render) {
  const float constants[4] = {0.0f, 1.0f, 0.5f, 0.25f};
  vs->SetConstant(kRegConstants, constants, 1);
  SetWvp(vs, render);
}

// Submits the part's device buffers: a strip of three or more indices, else
// the list when it holds a whole triangle.
void DrawPartIndices(CRender* render, const CVertexBuffer& part) {
  render->SetIndices(part.IndexBuffer);
  if (part.IsStrip && part.StripIndexCount >= 3)
    render->DrawIndexedStrip(part.StripIndexCount - 2, part.VertexCount);
  else if (part.ListIndexCount >= 3)
    render->DrawIndexedList(part.ListIndexCount / 3, part.VertexCount);
}

// What a reflection draw changes beyond its own stage and puts back after.
struct ReflectionState {
  bool restoreZWrite = false;
  DWORD zWrite = 0;
};

// The render state both reflection paths share: cut-out parts drawn by the
// transparent queue test alpha at the cut-out reference without writing
// depth, others at the mesh reference; fog, mipmaps and filtering on, no
// specular; the part's material and texture on stage 0 with its address modes.
ReflectionState BeginReflection(CRender* render, const CVertexBuffer& part, const CTexture& texture,
                                DWORD blendMode) {
  ReflectionState state;
  const DepthSortQueue* queue =
      CVertexBuffer::Engine().Queue != nullptr ? CVertexBuffer::Engine().Queue : g_DepthSortQueue;
  if ((part.Flags & MESHPART_CUT_OUT) && queue != nullptr && queue->Drawing) {
    render->SetAlphaTest(1, kMeshCutOutAlphaRef);
    state.zWrite = render->SetZWrite(0);
    state.restoreZWrite = true;
  } else {
    render->SetAlphaTest(1, kMeshAlphaRef);
  }
  render->SetFogEnable(1);
  render->SetSpecular(0);
  render->SetMipmapping(1);
  render->SetBilinearFilter(1);
  render->SetBlendMode(blendMode);
  if (part.Material != nullptr && part.Material->DeviceMaterial != nullptr)
    render->SetMaterial(part.Material->DeviceMaterial);
  if (texture.Palette >= 0) render->SetTexturePalette(static_cast<DWORD>(texture.Palette));
  render->SetTexture(0, texture.DeviceTexture);
  render->SetStageClampU(0, part.ClampU);
  render->SetStageClampV(0, part.ClampV);
  return state;
}

// Submits the part through the reflection shader and puts back what
// BeginReflection changed.
void EndReflection(CRender* render, CVertexShader* vs, const CVertexBuffer& part, const ReflectionState& state) {
  vs->SetStreamSource(0, part.VertexBuffer, kMeshVertexStride);
  DrawPartIndices(render, part);
  render->SetStageClampU(0, 0);
  render->SetStageClampV(0, 0);
  if (state.restoreZWrite) render->SetZWrite(state.zWrite);
}

}  // namespace

int BumpShaderIndex(int variantBase, int pixelType, const int vertexTypes[2]) {
  // Per-vertex combinations in the order of the variant files.
  auto rank = [](int type) { return type == D3DLIGHT_DIRECTIONAL ? 0 : type == D3DLIGHT_SPOT ? 1 : 2; };
  static const int kPairs[3][3] = {{4, 5, 6}, {5, 7, 8}, {6, 8, 9}};
  int combo = 0;
  if (vertexTypes[0] != 0 && vertexTypes[1] != 0)
    combo = kPairs[rank(vertexTypes[0])][rank(vertexTypes[1])];
  else if (vertexTypes[0] != 0)
    combo = 1 + rank(vertexTypes[0]);
  const int pixel = pixelType == D3DLIGHT_DIRECTIONAL ? 1 : pixelType == D3DLIGHT_POINT ? 11 : 21;
  return variantBase + pixel + combo;
}

void CVertexBuffer::DrawReflective(CTexture* textureOverride, const MeshDrawParams* params) {
  CRender* render = Engine().Render;
  if (render == nullptr || g_VertexShaders == nullptr || params == nullptr || params->Reflection == nullptr) return;
  CVertexShader* vs = g_VertexShaders->GetShader(kReflectShader);
  CTexture* texture = textureOverride != nullptr ? textureOverride : Texture;
  if (vs == nullptr || texture == nullptr) return;
  const ReflectionState state = BeginReflection(render, *this, *texture, 1);
  vs->Apply();
  SetBaseConstants(vs, render);
  vs->SetConstant(kRegReflection, params->Reflection->Constant, 1);
  SetDirectionalLight(vs, render);
  SetEye(vs, render, *params->Reflection);
  EndReflection(render, vs, *this, state);
}

void CVertexBuffer::DrawReflectiveTinted(CTexture* textureOverride, const MeshDrawParams* params) {
  CRender* render = Engine().Render;
  if (render == nullptr || g_VertexShaders == nullptr || params == nullptr || params->Reflection == nullptr) return;
  CTexture* texture = textureOverride != nullptr ? textureOverride : Texture;
  if (texture == nullptr) return;
  const bool lit = render->GetLighting() != 0 && FirstDirectionalLight() != nullptr;
  CVertexShader* vs = g_VertexShaders->GetShader(lit ? kReflectTintLitShader : kReflectTintShader);
  if (vs == nullptr) return;
  const ReflectionState state = BeginReflection(render, *this, *texture, 3);
  vs->Apply();
  SetBaseConstants(vs, render);
  vs->SetConstant(kRegReflection, params->Reflection->Constant, 1);
  if (lit) {
    SetDirectionalLight(vs, render);
  } else {
    // The tint times the light set's ambient colour, channel by channel:
    // (r, g, b, a) of the ARGB tint, each times the same channel of the
    // ARGB ambient, in 0..1.
    const std::uint32_t c = params->Colour;
    const std::uint32_t ambient = render->GetRenderStateCached(D3DRS_AMBIENT);
    const auto channel = [](std::uint32_t argb, int shift) {
      return static_cast<float>((argb >> shift) & 0xFF) / 255.0f;
    };
    const float tint[4] = {channel(c, 16) * channel(ambient, 16), channel(c, 8) * channel(ambient, 8),
                           channel(c, 0) * channel(ambient, 0), channel(c, 24) * channel(ambient, 24)};
    vs->SetConstant(kRegTint, tint, 1);
  }
  SetEye(vs, render, *params->Reflection);
  EndReflection(render, vs, *this, state);
}

bool CVertexBuffer::DrawBumped(CTexture* textureOverride, const MeshDrawParams* params) {
  CRender* render = Engine().Render;
  CTexture* texture = textureOverride != nullptr ? textureOverride : Texture;
  if (render == nullptr || g_VertexShaders == nullptr || g_PixelShaders == nullptr || texture == nullptr ||
      TangentBuffer == nullptr)
    return false;
  // Up to three lights of the selection (255 ends it): the first lights per
  // pixel, the others per vertex.
  const PixelLightSelection* selection = g_PixelLightSelection;
  int lights[3] = {-1, -1, -1};
  int count = 0;
  for (int k = 0; selection != nullptr && k < 3 && selection->Lights[k] != kNoLight; ++k)
    if (CLightTable::Lights != nullptr && selection->Lights[k] < CLightTable::Count)
      lights[count++] = selection->Lights[k];
  if (count == 0) return false;
  const auto typeOf = [](int i) { return static_cast<int>(CLightTable::Lights[i].Light.Type); };
  const int vertexTypes[2] = {count > 1 ? typeOf(lights[1]) : 0, count > 2 ? typeOf(lights[2]) : 0};
  const int base = g_Dot3VariantBase >= 0 ? g_Dot3VariantBase : 0;
  CVertexShader* vs = g_VertexShaders->GetShader(BumpShaderIndex(base, typeOf(lights[0]), vertexTypes));
  CPixelShader* ps = g_PixelShaders->GetShader(0);
  if (vs == nullptr || ps == nullptr) return false;

  render->SetAlphaTest(0, kMeshAlphaRef);
  render->SetBlendMode(1);
  render->SetSpecular(1);
  if (Material != nullptr && Material->DeviceMaterial != nullptr) render->SetMaterial(Material->DeviceMaterial);
  render->SetMipmapping(1);
  render->SetBilinearFilter(1);
  if (texture->Palette >= 0) render->SetTexturePalette(static_cast<DWORD>(texture->Palette));
  render->SetTexture(0, texture->DeviceTexture);
  render->SetStageClampU(0, 0);
  render->SetStageClampV(0, 0);
  render->SetTexture(1, BumpTexture != nullptr ? BumpTexture->DeviceTexture : nullptr);
  render->SetTexture(2, selection->Texture != nullptr ? selection->Texture->DeviceTexture : nullptr);
  render->SetStageClampU(2, 1);
  render->SetStageClampV(2, 1);
  if (params != nullptr && params->Kind == kMeshDrawTintBlend) render->SetTextureFactor(params->Colour);

  vs->Apply();
  ps->Apply();
  SetBaseConstants(vs, render);
  // Per light: position (point, spot) or -direction (directional) in object
  // space, its diffuse colour, and (range, 1 / range, a1, a2).
  for (int k = 0; k < count; ++k) {
    const D3DLIGHT8& l = CLightTable::Lights[lights[k]].Light;
    CVector3 v;
    float w;
    if (l.Type == D3DLIGHT_DIRECTIONAL) {
      v = Normalised(ToObjectDirection(render, {-l.Direction.x, -l.Direction.y, -l.Direction.z}));
      w = 0.0f;
    } else {
      v = ToObjectPoint(render, {l.Position.x, l.Position.y, l.Position.z});
      w = 1.0f;
    }
    const float where[4] = {v.x, v.y, v.z, w};
    const float range[4] = {l.Range, l.Range > 0.0f ? 1.0f / l.Range : 0.0f, l.Attenuation1, l.Attenuation2};
    const DWORD reg = kRegBumpLights + 3 * static_cast<DWORD>(k);
    vs->SetConstant(reg, where, 1);
    vs->SetConstant(reg + 1, &l.Diffuse.r, 1);
    vs->SetConstant(reg + 2, range, 1);
  }
  ps->SetConstant(0, &CLightTable::Lights[lights[0]].Light.Diffuse.r, 1);

  vs->SetStreamSource(0, VertexBuffer, kMeshVertexStride);
  vs->SetStreamSource(1, TangentBuffer, kMeshVertexStride);
  DrawPartIndices(render, *this);

  ps->Remove();
  render->SetTexture(1, nullptr);
  render->SetTexture(2, nullptr);
  render->SetStageClampU(2, 0);
  render->SetStageClampV(2, 0);
  render->SetSpecular(0);
  return true;
}
