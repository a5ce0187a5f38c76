// The render-state cache and everything set through it: typed setters, stage
// textures, filters, addressing, material, palettes, fog, blend modes and the
// default states.
#include <cstring>

#include "render/device/render.h"

DWORD CRender::SetRenderStateCached(D3DRENDERSTATETYPE state, DWORD value) {
  const auto index = static_cast<std::uint32_t>(state);
  if (index >= static_cast<std::uint32_t>(kRenderStateCount)) {
    // No cache word for this state: it always goes to the device.
    if (m_Device != nullptr) m_Device->SetRenderState(state, value);
    return value;
  }
  const DWORD old = m_RenderStates[index];
  if (old == value) return value;
  m_RenderStates[index] = value;
  if (m_Device != nullptr) m_Device->SetRenderState(state, value);
  return old;
}

DWORD CRender::GetRenderStateCached(D3DRENDERSTATETYPE state) const {
  const auto index = static_cast<std::uint32_t>(state);
  return index < static_cast<std::uint32_t>(kRenderStateCount) ? m_RenderStates[index] : 0;
}

void CRender::SetTextureStage(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (m_Device != nullptr) m_Device->SetTextureStageState(stage, type, value);
}

DWORD CRender::SetSolidFill(DWORD solid) {
  const DWORD mode = (solid != 0 || !(m_FeatureFlags & DFF_WIREFRAME)) ? D3DFILL_SOLID : D3DFILL_WIREFRAME;
  return SetRenderStateCached(D3DRS_FILLMODE, mode);
}

bool CRender::IsSolidFill() const { return GetRenderStateCached(D3DRS_FILLMODE) == D3DFILL_SOLID; }

void CRender::SetAlphaTest(DWORD on, DWORD reference) {
  if (!(m_Caps.AlphaCmpCaps & D3DPCMPCAPS_GREATEREQUAL)) return;
  SetRenderStateCached(D3DRS_ALPHAREF, reference);
  SetRenderStateCached(D3DRS_ALPHATESTENABLE, on);
  SetRenderStateCached(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  m_AlphaTestSwitch = on;
}

DWORD CRender::SetMipmapping(DWORD on) {
  const DWORD old = m_MipmappingSwitch;
  if (on != old) {
    const DWORD filter = on ? D3DTEXF_LINEAR : D3DTEXF_NONE;
    SetTextureStage(0, D3DTSS_MIPFILTER, filter);
    SetTextureStage(1, D3DTSS_MIPFILTER, filter);
    m_MipmappingSwitch = on;
  }
  return old;
}

DWORD CRender::SetBilinearFilter(DWORD on) {
  const DWORD old = m_BilinearSwitch;
  if (on != old) {
    const DWORD filter = on ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    for (DWORD stage = 0; stage < 2; ++stage) {
      SetTextureStage(stage, D3DTSS_MINFILTER, filter);
      SetTextureStage(stage, D3DTSS_MAGFILTER, filter);
    }
    m_BilinearSwitch = on;
  }
  return old;
}

DWORD CRender::SetNoOpState(DWORD) { return 1; }

void CRender::SetTextureClampU(DWORD mode) {
  if (mode > 1) return;
  const DWORD address = mode == 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
  SetTextureStage(0, D3DTSS_ADDRESSU, address);
  SetTextureStage(1, D3DTSS_ADDRESSU, address);
}

void CRender::SetTextureClampV(DWORD mode) {
  if (mode > 1) return;
  const DWORD address = mode == 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
  SetTextureStage(0, D3DTSS_ADDRESSV, address);
  SetTextureStage(1, D3DTSS_ADDRESSV, address);
}

DWORD CRender::SetStageClampU(DWORD stage, DWORD clamp) {
  if (clamp > 1) return clamp - 1;
  SetTextureStage(stage, D3DTSS_ADDRESSU, clamp == 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  return clamp;
}

DWORD CRender::SetStageClampV(DWORD stage, DWORD clamp) {
  if (clamp > 1) return clamp - 1;
  SetTextureStage(stage, D3DTSS_ADDRESSV, clamp == 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  return clamp;
}

void CRender::SetTexturing(DWORD on) {
  if (!on && m_TexturingOn) SetTexture(0, nullptr);
  m_TexturingOn = on;
}

void CRender::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
  if (!m_TexturingOn || stage >= static_cast<DWORD>(kTextureStages)) return;
  if (m_StageTextures[stage] == texture) return;
  if (m_Device != nullptr) m_Device->SetTexture(stage, texture);
  m_StageTextures[stage] = texture;
}

void CRender::ClearTexture(DWORD stage) {
  if (m_TexturingOn) SetTexture(stage, m_SpareTexture);
}

DWORD CRender::SetClearColour(DWORD colour) {
  const DWORD old = m_ClearColour;
  m_ClearColour = colour;
  return old;
}

void CRender::SetMaterial(const D3DMATERIAL8* material) {
  if (m_Device != nullptr && material != nullptr) m_Device->SetMaterial(material);
}

void CRender::ApplyDefaultMaterial() { SetMaterial(m_DefaultMaterial); }

DWORD CRender::AddPalette(PALETTEENTRY* entries) {
  for (int i = 0; i < 256; ++i) entries[i].peFlags = 0xFF;  // the alpha byte
  const DWORD number = m_PaletteCount;
  if (m_Device != nullptr) m_Device->SetPaletteEntries(number, entries);
  ++m_PaletteCount;
  return number;
}

void CRender::SetTexturePalette(DWORD n) {
  if (m_Device != nullptr) m_Device->SetCurrentTexturePalette(n);
}

// --- Fog ---------------------------------------------------------------------------

namespace {
DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof(d));
  return d;
}
}  // namespace

// Software fog is f = 1 - (d - r) x scale with r = start / end and scale = 1 / (1 - r),
// d being distance / end.  An end of 0 or a start equal to the end has no ramp:
// r is then 0 and the scale 0 (no fog), never an infinity.
void CRender::SetFogFactors() {
  m_FogStartRatio = m_FogEnd != 0.0f ? m_FogStart / m_FogEnd : 0.0f;
  const float span = 1.0f - m_FogStartRatio;
  m_FogScale = span != 0.0f ? 1.0f / span : 0.0f;
}

void CRender::SetFog(DWORD colour, float start, float end, float density) {
  m_FogColour = colour;
  m_FogStart = start;
  m_FogEnd = end;
  m_FogDensity = density;
  if (m_FeatureFlags & DFF_TABLE_FOG) {
    SetRenderStateCached(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    SetRenderStateCached(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    SetRenderStateCached(D3DRS_RANGEFOGENABLE, 0);
    SetRenderStateCached(D3DRS_FOGCOLOR, colour);
    SetRenderStateCached(D3DRS_FOGSTART, FloatBits(start));
    SetRenderStateCached(D3DRS_FOGEND, FloatBits(end));
    SetRenderStateCached(D3DRS_FOGDENSITY, FloatBits(density));
  } else if (m_FeatureFlags & DFF_VERTEX_FOG) {
    SetRenderStateCached(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    SetRenderStateCached(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    SetRenderStateCached(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    SetRenderStateCached(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    SetRenderStateCached(D3DRS_RANGEFOGENABLE, 0);
    SetRenderStateCached(D3DRS_FOGCOLOR, colour);
    SetRenderStateCached(D3DRS_FOGSTART, FloatBits(start));
    SetRenderStateCached(D3DRS_FOGEND, FloatBits(end));
    SetRenderStateCached(D3DRS_FOGDENSITY, FloatBits(density));
  }
  SetFogFactors();
}

void CRender::SetFogColour(DWORD colour) {
  m_FogColour = colour;
  SetRenderStateCached(D3DRS_FOGCOLOR, colour);
}

void CRender::SetFogStart(float start) {
  m_FogStart = start;
  SetRenderStateCached(D3DRS_FOGSTART, FloatBits(start));
  SetFogFactors();
}

void CRender::SetFogEnd(float end) {
  m_FogEnd = end;
  SetRenderStateCached(D3DRS_FOGEND, FloatBits(end));
  SetFogFactors();
}

void CRender::SetFogDensity(float density) {
  m_FogDensity = density;
  SetRenderStateCached(D3DRS_FOGDENSITY, FloatBits(density));
}

void CRender::GetFog(DWORD* colour, float* start, float* end, float* density) const {
  if (colour != nullptr) *colour = m_FogColour;
  if (start != nullptr) *start = m_FogStart;
  if (end != nullptr) *end = m_FogEnd;
  if (density != nullptr) *density = m_FogDensity;
}

void CRender::SetFogValues(DWORD colour, float start, float end, float density) {
  m_FogColour = colour;
  m_FogStart = start;
  m_FogEnd = end;
  m_FogDensity = density;
  SetFogFactors();
}

void CRender::ApplyLinearTableFog() {
  SetRenderStateCached(D3DRS_FOGENABLE, 1);
  SetRenderStateCached(D3DRS_FOGCOLOR, m_FogColour);
  SetRenderStateCached(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  SetRenderStateCached(D3DRS_FOGSTART, FloatBits(m_FogStart));
  SetRenderStateCached(D3DRS_FOGEND, FloatBits(m_FogEnd));
  SetRenderStateCached(D3DRS_FOGDENSITY, FloatBits(m_FogDensity));
}

// --- Default states ------------------------------------------------------------------

void CRender::SetDefaultStates() {
  SetTextureStage(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
  SetTextureStage(1, D3DTSS_TEXCOORDINDEX, 0);
  SetRenderStateCached(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  SetRenderStateCached(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  SetRenderStateCached(D3DRS_DITHERENABLE, 1);

  SetSolidFill(1);
  SetCullMode(D3DCULL_CCW);
  SetLighting(1);
  SetSpecular(0);
  m_AlphaTestSwitch = 1;
  SetAlphaTest(0, 0);
  m_BilinearSwitch = 0;
  SetBilinearFilter(1);
  m_MipmappingSwitch = 0;
  SetMipmapping(1);
  SetZEnable(1);
  SetZWrite(1);
  SetClipping(1);
  m_ClearColour = 0;
  SetClearColour(0xFF7F7F7F);
  SetAmbient(0xFF000000);
  SetFogEnable(0);
  SetBlendMode(2);

  SetRenderStateCached(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  SetRenderStateCached(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
  SetRenderStateCached(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  SetRenderStateCached(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
  SetRenderStateCached(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  SetRenderStateCached(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 0);
  SetRenderStateCached(D3DRS_ALPHATESTENABLE, 0);

  SetTextureClampU(0);
  SetTextureClampV(0);

  for (DWORD stage = 1; stage <= 2; ++stage) {
    SetTextureStage(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetTextureStage(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  }
}
