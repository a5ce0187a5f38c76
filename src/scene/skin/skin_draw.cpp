// Drawing a skin: the fixed-function path, the per-pixel (dot-3) path with
// its light-slot table, and the tangent frames that path needs.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "foundation/memory/memory_manager.h"
#include "render/device/pixel_shader.h"
#include "render/device/render.h"
#include "render/device/vertex_shader.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "scene/light_table.h"
#include "scene/mesh/light_colour_override.h"
#include "scene/skin/skin.h"

namespace {

SkinLightSet g_LightSet;

// c -> shader row offset and the slots of the first and second other light.
constexpr SkinLightRow kLightRows[16] = {
    {0, -1, -1}, {1, 1, -1}, {3, 1, -1}, {2, 1, -1}, {1, -1, 1}, {4, 1, 2}, {6, 2, 1}, {5, 2, 1},
    {3, -1, 1},  {6, 1, 2},  {9, 1, 2},  {8, 1, 2},  {2, -1, 1}, {5, 1, 2}, {8, 2, 1}, {9, 1, 2},
};

// Two-bit code of a light type: directional 1, point 2, spot 3, others 0.
int TypeBits(D3DLIGHTTYPE type) {
  switch (type) {
    case D3DLIGHT_DIRECTIONAL:
      return 1;
    case D3DLIGHT_POINT:
      return 2;
    case D3DLIGHT_SPOT:
      return 3;
  }
  return 0;
}

// Shader offset of the main light's type: directional 1, point 11, spot 21, others 0.
int MainOffset(D3DLIGHTTYPE type) {
  switch (type) {
    case D3DLIGHT_DIRECTIONAL:
      return 1;
    case D3DLIGHT_POINT:
      return 11;
    case D3DLIGHT_SPOT:
      return 21;
  }
  return 0;
}

bool DeviceHasPerPixel(const CRender* render) {
  return render != nullptr && render->SupportsVertexShader(1, 0, 12) && render->SupportsPixelShader(1, 0);
}

void SetStageTexture(CRender* render, DWORD stage, CTexture* texture) {
  if (texture == nullptr) {
    render->ClearTexture(stage);
    return;
  }
  if (texture->Palette >= 0) render->SetTexturePalette(static_cast<DWORD>(texture->Palette));
  render->SetTexture(stage, texture->DeviceTexture);
}

}  // namespace

void SetSkinLightSet(const SkinLightSet& set) { g_LightSet = set; }
const SkinLightSet& GetSkinLightSet() { return g_LightSet; }

const SkinLightRow& SkinLightSlotRow(int c) { return kLightRows[c & 15]; }

SkinShaderChoice ChooseSkinShader(const SkinLightSet& set, const D3DLIGHT8* const* lights, int lightCount) {
  SkinShaderChoice choice;
  int entries[3];
  float brightness[3];
  int count = 0;
  for (int i = 0; i < 3 && set.Lights[i] != 255; ++i) {
    const int index = set.Lights[i];
    if (index >= lightCount || lights[index] == nullptr) continue;
    const D3DCOLORVALUE& d = lights[index]->Diffuse;
    entries[count] = index;
    brightness[count] = (d.r + d.g + d.b) / 3.0f * set.Weights[i];
    ++count;
  }
  if (count == 0) return choice;
  int main = 0;
  for (int i = 1; i < count; ++i)
    if (brightness[i] > brightness[main]) main = i;
  choice.MainLight = entries[main];
  if (count > 1) {
    float second = -1.0f;
    for (int i = 0; i < count; ++i)
      if (i != main && brightness[i] > second) second = brightness[i];
    // r = strongest / second strongest; two dark lights (0 / 0) count as one.
    if (second > 0.0f) {
      const float r = brightness[main] / second;
      choice.Dominance = std::sin((1.0f - 1.0f / r) * std::numbers::pi_v<float> / 2.0f);
    }
  }
  // The other lights, from the last list entry towards the first, two bits each from the lowest up.
  int c = 0, shift = 0, other = 0;
  for (int i = count - 1; i >= 0; --i) {
    if (i == main) continue;
    c |= TypeBits(lights[entries[i]]->Type) << shift;
    shift += 2;
    choice.OtherLights[other++] = entries[i];
  }
  const SkinLightRow& row = kLightRows[c];
  choice.Row = c;
  choice.Slots[0] = row.FirstSlot;
  choice.Slots[1] = row.SecondSlot;
  choice.ShaderOffset = row.Offset + MainOffset(lights[choice.MainLight]->Type);
  return choice;
}

void CSkin::SetEnvironmentMap(int enable, float value0, float value1) {
  ReflectionOn = enable;
  ReflectionValues[0] = value0;
  ReflectionValues[1] = value1;
}

int CSkin::BuildTangentSpace(CTexture* bumpTexture) {
  CRender* render = SkinRender();
  if (!DeviceHasPerPixel(render) || ShaderForm != 0 || !m_Device || Data.VertexCount == 0) return 0;
  RenderVertex* vertices = LockCurrent();
  if (vertices == nullptr) return 0;
  TangentFrame* frames = BuildTangentFrames(vertices, Data.VertexCount, Data.ListIndices.data(),
                                            Data.ListIndexCount, false, nullptr);
  UnlockCurrent();
  if (frames == nullptr) return 0;
  m_Tangents.assign(frames, frames + Data.VertexCount);
  MEM_DELETE_ARRAY frames;
  for (IDirect3DVertexBuffer8*& buffer : m_TangentBuffers) {
    buffer = render->CreateVertexBuffer(static_cast<DWORD>(Data.VertexCount), 0, sizeof(TangentFrame));
    void* p = buffer != nullptr ? LockVertexBuffer(buffer) : nullptr;
    if (p == nullptr) {
      for (IDirect3DVertexBuffer8*& b : m_TangentBuffers) ReleaseVertexBuffer(&b);
      m_Tangents.clear();
      return 0;
    }
    std::memcpy(p, m_Tangents.data(), m_Tangents.size() * sizeof(TangentFrame));
    UnlockVertexBuffer(buffer);
  }
  BumpTexture = bumpTexture;
  ShaderForm = 1;
  return 1;
}

void CSkin::Draw(CTexture* textureOverride) {
  CRender* render = SkinRender();
  if (render == nullptr || Data.VertexCount == 0 || !render->IsDeviceCreated()) return;
  if (ShaderForm != 0 && GetSkinHardwareSwitch() && DeviceHasPerPixel(render) && g_VertexShaders != nullptr &&
      g_Dot3VariantBase >= 0) {
    DrawShaded(textureOverride, g_LightSet);
    return;
  }
  const DWORD triangles = StripFlag == 1 ? (Data.StripIndexCount >= 3 ? static_cast<DWORD>(Data.StripIndexCount - 2) : 0)
                                         : static_cast<DWORD>(Data.ListIndexCount / 3);
  if (triangles == 0) return;
  render->SetZWrite(1);
  render->SetBlendMode(1);
  render->SetLighting(1);
  const bool specular = Data.Material != nullptr && Data.Material->Power > 0.0f;
  render->SetSpecular(specular ? 1 : 0);
  ApplyMeshMaterial(render, Data.Material != nullptr ? Data.Material->DeviceMaterial : nullptr);
  SetStageTexture(render, 0, textureOverride != nullptr ? textureOverride : Data.Texture);
  render->SetVertexFormat(kSkinVertexFormat);
  const DWORD vertices = static_cast<DWORD>(Data.VertexCount);
  if (m_Device) {
    render->SetStreamSource(m_VertexBuffers[m_Current], kSkinVertexStride);
    render->SetIndices(m_DrawIndices);
    if (StripFlag == 1)
      render->DrawIndexedStrip(triangles, vertices);
    else
      render->DrawIndexedList(triangles, vertices);
  } else {
    const RenderVertex* v = m_Memory[m_Current].data();
    if (StripFlag == 1)
      render->DrawIndexedStripUP(triangles, vertices, v, Data.StripIndices.data(), kSkinVertexStride);
    else
      render->DrawIndexedListUP(triangles, vertices, v, Data.ListIndices.data(), kSkinVertexStride);
  }
  if (specular) render->SetSpecular(0);
}

// Constants of the per-pixel skin shaders (object space):
//   c0 = (0, 1, 0.5, 0.25); c2-c5 = transpose(world x view x projection);
//   c6 = main light: direction towards the light (directional, w 0) or position (w 1);
//   c7 = main light diffuse colour, w = dominance;
//   c8 + 2s, c9 + 2s = position/direction and colour of the light in slot s (1, 2).
void CSkin::DrawShaded(CTexture* textureOverride, const SkinLightSet& set) {
  CRender* render = SkinRender();
  if (render == nullptr || !m_Device || Data.VertexCount == 0 || g_VertexShaders == nullptr) return;
  const D3DLIGHT8* lights[256] = {};
  const int lightCount = CLightTable::Lights != nullptr ? std::min(CLightTable::Count, 256) : 0;
  for (int i = 0; i < lightCount; ++i) lights[i] = &CLightTable::Lights[i].Light;
  const SkinShaderChoice choice = ChooseSkinShader(set, lights, lightCount);
  CVertexShader* shader = g_VertexShaders->GetShader(g_Dot3VariantBase + choice.ShaderOffset);
  if (shader == nullptr) return;

  CMatrix inverseWorld;
  float determinant = 0.0f;
  if (render->GetWorldMatrix().Invert(&inverseWorld, &determinant) == 0) inverseWorld.SetIdentity();
  auto lightConstant = [&inverseWorld](const D3DLIGHT8& light, float out[4]) {
    CVector3 v;
    if (light.Type == D3DLIGHT_DIRECTIONAL) {
      inverseWorld.RotateVector({-light.Direction.x, -light.Direction.y, -light.Direction.z}, &v);
      const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
      if (length > 0.0f) v = {v.x / length, v.y / length, v.z / length};
      out[3] = 0.0f;
    } else {
      inverseWorld.TransformPoint({light.Position.x, light.Position.y, light.Position.z}, &v);
      out[3] = 1.0f;
    }
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
  };

  render->SetAlphaTest(0, 16);
  render->SetBlendMode(1);
  render->SetSpecular(1);
  if (Data.Material != nullptr && Data.Material->DeviceMaterial != nullptr)
    render->SetMaterial(Data.Material->DeviceMaterial);
  render->SetMipmapping(1);
  render->SetBilinearFilter(1);
  SetStageTexture(render, 0, textureOverride != nullptr ? textureOverride : Data.Texture);
  SetStageTexture(render, 1, BumpTexture);
  SetStageTexture(render, 2, set.LightTexture);
  render->SetStageClampU(0, 0);
  render->SetStageClampV(0, 0);
  render->SetStageClampU(1, 0);
  render->SetStageClampV(1, 0);
  render->SetStageClampU(2, 1);
  render->SetStageClampV(2, 1);

  shader->Apply();
  const float c0[4] = {0.0f, 1.0f, 0.5f, 0.25f};
  shader->SetConstant(0, c0, 1);
  CMatrix wvp;
  render->GetWorldViewProjectionMatrix(&wvp);
  float transposed[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) transposed[r * 4 + c] = wvp.m[c][r];
  shader->SetConstant(2, transposed, 4);
  if (choice.MainLight >= 0) {
    float position[4], colour[4];
    const D3DLIGHT8& main = *lights[choice.MainLight];
    lightConstant(main, position);
    colour[0] = main.Diffuse.r;
    colour[1] = main.Diffuse.g;
    colour[2] = main.Diffuse.b;
    colour[3] = choice.Dominance;
    shader->SetConstant(6, position, 1);
    shader->SetConstant(7, colour, 1);
    if (g_PixelShaders != nullptr && g_PixelShaders->GetShader(0) != nullptr)
      g_PixelShaders->GetShader(0)->SetConstant(0, colour, 1);
  }
  for (int k = 0; k < 2; ++k) {
    if (choice.OtherLights[k] < 0 || choice.Slots[k] < 0) continue;
    const D3DLIGHT8& light = *lights[choice.OtherLights[k]];
    float position[4];
    lightConstant(light, position);
    const float colour[4] = {light.Diffuse.r, light.Diffuse.g, light.Diffuse.b, 1.0f};
    const DWORD base = 8 + 2 * static_cast<DWORD>(choice.Slots[k] - 1);
    shader->SetConstant(base, position, 1);
    shader->SetConstant(base + 1, colour, 1);
  }
  shader->SetStreamSource(0, m_VertexBuffers[m_Current], kSkinVertexStride);
  shader->SetStreamSource(1, m_TangentBuffers[m_Current], sizeof(TangentFrame));
  if (g_PixelShaders != nullptr && g_PixelShaders->GetShader(0) != nullptr) g_PixelShaders->GetShader(0)->Apply();
  render->SetIndices(m_DrawIndices);
  const DWORD vertices = static_cast<DWORD>(Data.VertexCount);
  if (StripFlag == 1) {
    if (Data.StripIndexCount >= 3) render->DrawIndexedStrip(static_cast<DWORD>(Data.StripIndexCount - 2), vertices);
  } else if (Data.ListIndexCount >= 3) {
    render->DrawIndexedList(static_cast<DWORD>(Data.ListIndexCount / 3), vertices);
  }
  if (g_PixelShaders != nullptr && g_PixelShaders->GetShader(0) != nullptr) g_PixelShaders->GetShader(0)->Remove();
  render->ClearTexture(1);
  render->ClearTexture(2);
  render->SetSpecular(0);
}
