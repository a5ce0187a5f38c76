#include "render/device/pixel_shader.h"

#include <cstdio>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"
#include "render/device/render.h"

CPixelShaderList* g_PixelShaders = nullptr;

CPixelShader::CPixelShader(CRender* render)
    : m_Render(render), m_Device(render != nullptr ? render->GetDevice() : nullptr), m_Handle(0) {}

int CPixelShader::Load(const char* name) {
  char path[512];
  std::snprintf(path, sizeof(path), "shaders\\%s", name);
  char* data = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(path, &data, &size, nullptr, MEMCAT_GAME)) return 0;
  if (m_Device != nullptr && m_Render->SupportsPixelShader(1, 0)) {
    DWORD handle = 0;
    if (SUCCEEDED(m_Device->CreatePixelShader(reinterpret_cast<const DWORD*>(data), &handle))) m_Handle = handle;
  }
  FreeLoadedFile(data);
  return 1;
}

void CPixelShader::Release() {
  if (m_Handle != 0 && m_Device != nullptr) m_Device->DeletePixelShader(m_Handle);
  m_Handle = 0;
}

void CPixelShader::Apply() {
  if (m_Device != nullptr) m_Device->SetPixelShader(m_Handle);
}

void CPixelShader::Remove() {
  if (m_Device != nullptr) m_Device->SetPixelShader(0);
}

void CPixelShader::SetConstant(DWORD firstRegister, const void* data, DWORD count) {
  if (m_Device != nullptr) m_Device->SetPixelShaderConstant(firstRegister, data, count);
}

CPixelShaderList::CPixelShaderList(CRender* render, int capacity) : m_Render(render), m_Slots(capacity) {}

int CPixelShaderList::AddLoaded(const char* name, bool load) {
  return m_Slots.Add(m_Render, [&](CPixelShader& shader) { return load ? shader.Load(name) : 1; });
}

int CPixelShaderList::Add(const char* name) { return AddLoaded(name, true); }

int CPixelShaderList::AddEmpty(const char* name) { return AddLoaded(name, false); }

CPixelShader* CPixelShaderList::GetShader(int i) const {
  return i >= 0 && i < m_Slots.Count() ? m_Slots.At(i) : nullptr;
}

int CPixelShaderList::LoadStandard() {
  static const char* const kStandard[] = {"psDot3.pso", "psDot3Reflect.pso"};
  for (const char* name : kStandard)
    if (Add(name) < 0) return 0;
  return 1;
}
