#include "render/device/vertex_shader.h"

#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "platform/d3dx8/d3dx8.h"
#include "render/device/render.h"

CVertexShaderList* g_VertexShaders = nullptr;
int g_Dot3VariantBase = -1;

const DWORD kSkyDeclaration[] = {
    D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(5, D3DVSDT_D3DCOLOR), D3DVSD_REG(7, D3DVSDT_FLOAT2),
    D3DVSD_END()};

const DWORD kPlainDeclaration[] = {D3DVSD_STREAM(0),
                                   D3DVSD_REG(0, D3DVSDT_FLOAT3),
                                   D3DVSD_REG(3, D3DVSDT_FLOAT3),
                                   D3DVSD_REG(5, D3DVSDT_D3DCOLOR),
                                   D3DVSD_REG(7, D3DVSDT_FLOAT2),
                                   D3DVSD_END()};

// Stream 1 carries the per-vertex tangent frame.
const DWORD kDot3Declaration[] = {D3DVSD_STREAM(0),
                                  D3DVSD_REG(0, D3DVSDT_FLOAT3),
                                  D3DVSD_REG(1, D3DVSDT_FLOAT3),
                                  D3DVSD_REG(2, D3DVSDT_D3DCOLOR),
                                  D3DVSD_REG(3, D3DVSDT_FLOAT2),
                                  D3DVSD_STREAM(1),
                                  D3DVSD_REG(4, D3DVSDT_FLOAT3),
                                  D3DVSD_REG(5, D3DVSDT_FLOAT3),
                                  D3DVSD_REG(6, D3DVSDT_FLOAT3),
                                  D3DVSD_END()};

CVertexShader::CVertexShader(CRender* render)
    : m_Render(render), m_Device(render != nullptr ? render->GetDevice() : nullptr), m_Handle(0) {}

int CVertexShader::Load(const char* name, const DWORD* declaration) {
  const char* path = LocateFile(name, 0);
  if (path == nullptr) {
    InfoBox("Unable to load vertex shader source");
    return 0;
  }
  char* data = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(path, &data, &size, nullptr, MEMCAT_GAME)) return 0;
  if (m_Device != nullptr && m_Render->SupportsVertexShader(1, 0, 16)) {
    DWORD handle = 0;
    if (SUCCEEDED(m_Device->CreateVertexShader(declaration, reinterpret_cast<const DWORD*>(data), &handle, 0)))
      m_Handle = handle;
  }
  FreeLoadedFile(data);
  return 1;
}

int CVertexShader::LoadSource(const char* name, const DWORD* declaration) {
  const char* path = LocateFile(name, 0);
  if (path == nullptr) {
    InfoBox("Unable to load vertex shader source");
    return 0;
  }
  if (m_Device == nullptr || !m_Render->SupportsVertexShader(1, 0, 16)) return 1;
  LPD3DXBUFFER assembled = nullptr;
  if (FAILED(D3DXAssembleShaderFromFile(path, 0, nullptr, &assembled, nullptr)) || assembled == nullptr) return 0;
  DWORD handle = 0;
  if (SUCCEEDED(m_Device->CreateVertexShader(
          declaration, static_cast<const DWORD*>(assembled->GetBufferPointer()), &handle, 0)))
    m_Handle = handle;
  assembled->Release();
  return 1;
}

void CVertexShader::Release() {
  if (m_Handle != 0 && m_Device != nullptr) m_Device->DeleteVertexShader(m_Handle);
  m_Handle = 0;
}

// Both go through the render object so that it knows the vertex format in use
// (the 2D adjustments apply only to pre-transformed screen vertices).
void CVertexShader::Apply() {
  if (m_Render != nullptr) m_Render->SetVertexFormat(m_Handle);
}

void CVertexShader::ApplyFixedFormat() {
  if (m_Render != nullptr) m_Render->SetVertexFormat(kFvfMesh);
}

void CVertexShader::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  if (m_Device != nullptr) m_Device->SetStreamSource(stream, buffer, stride);
}

void CVertexShader::SetConstant(DWORD firstRegister, const void* data, DWORD count) {
  if (m_Device != nullptr) m_Device->SetVertexShaderConstant(firstRegister, data, count);
}

CVertexShaderList::CVertexShaderList(CRender* render, int capacity) : m_Render(render), m_Slots(capacity) {}

int CVertexShaderList::AddLoaded(const char* name, const DWORD* declaration, bool source) {
  return m_Slots.Add(m_Render, [&](CVertexShader& shader) {
    return source ? shader.LoadSource(name, declaration) : shader.Load(name, declaration);
  });
}

int CVertexShaderList::Add(const char* name, const DWORD* declaration) { return AddLoaded(name, declaration, false); }

int CVertexShaderList::AddFromSource(const char* name, const DWORD* declaration) {
  return AddLoaded(name, declaration, true);
}

CVertexShader* CVertexShaderList::GetShader(int i) const {
  const int count = m_Slots.Count();
  if (count == 0) return nullptr;
  int slot = i % count;
  if (slot < 0) slot += count;
  return m_Slots.At(slot);
}

int CVertexShaderList::LoadStandard() {
  static const struct {
    const char* name;
    const DWORD* declaration;
  } kStandard[] = {
      {"vsSky.vso", kSkyDeclaration},           {"vsTest.vso", kPlainDeclaration},
      {"vsDot3.vso", kDot3Declaration},         {"vsDot3Reflect_d.vso", kDot3Declaration},
      {"vsPerterb.vso", kPlainDeclaration},     {"vsPerterbFade.vso", kPlainDeclaration},
      {"vsPerterbFade_d.vso", kPlainDeclaration},
  };
  for (const auto& s : kStandard)
    if (Add(s.name, s.declaration) < 0) return 0;

  // The dot-3 light variants: d directional, p point, s spot, up to three lights.
  static const char* const kVariants[31] = {
      "vsDot3.vso",     "vsDot3_d.vso",   "vsDot3_dd.vso",  "vsDot3_ds.vso",  "vsDot3_dp.vso",  "vsDot3_ddd.vso",
      "vsDot3_dds.vso", "vsDot3_ddp.vso", "vsDot3_dss.vso", "vsDot3_dsp.vso", "vsDot3_dpp.vso", "vsDot3_p.vso",
      "vsDot3_pd.vso",  "vsDot3_ps.vso",  "vsDot3_pp.vso",  "vsDot3_pdd.vso", "vsDot3_pds.vso", "vsDot3_pdp.vso",
      "vsDot3_pss.vso", "vsDot3_psp.vso", "vsDot3_ppp.vso", "vsDot3_s.vso",   "vsDot3_sd.vso",  "vsDot3_ss.vso",
      "vsDot3_sp.vso",  "vsDot3_sdd.vso", "vsDot3_sds.vso", "vsDot3_sdp.vso", "vsDot3_sss.vso", "vsDot3_ssp.vso",
      "vsDot3_spp.vso"};
  for (int i = 0; i < 31; ++i) {
    const int index = Add(kVariants[i], kDot3Declaration);
    if (index < 0) break;
    if (i == 0) g_Dot3VariantBase = index;
  }
  return 1;
}
