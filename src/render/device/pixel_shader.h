// Pixel shaders: one device shader handle each, kept in a list created at
// engine start-up.  On a device without pixel shaders every entry still
// exists with handle 0, so that indices stay stable.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "render/device/shader_slots.h"

class CRender;

class CPixelShader {
 public:
  explicit CPixelShader(CRender* render);
  // Reads "shaders\<name>" (the assembled token stream) and creates the device
  // shader when pixel shaders are supported.  0 when the file cannot be read
  // (the file loader shows why); 1 otherwise, also when the device refuses
  // (the handle then stays 0).
  int Load(const char* name);
  // Deletes the device shader, if any.
  void Release();
  void Apply();
  // Selects no pixel shader.
  void Remove();
  void SetConstant(DWORD firstRegister, const void* data, DWORD count);
  DWORD GetHandle() const { return m_Handle; }

 private:
  CRender* m_Render;
  IDirect3DDevice8* m_Device;
  DWORD m_Handle;
};

class CPixelShaderList {
 public:
  CPixelShaderList(CRender* render, int capacity);
  // Releases and deletes every shader (the slots do).
  ~CPixelShaderList() = default;
  CPixelShaderList(const CPixelShaderList&) = delete;
  CPixelShaderList& operator=(const CPixelShaderList&) = delete;

  // Loads a shader into the next slot; its index, or -1 when the load fails or the list is full.
  int Add(const char* name);
  // Adds an entry with no device shader; its index, or -1 when the list is full.
  int AddEmpty(const char* name);
  // The shader in slot i; null outside 0..count-1.
  CPixelShader* GetShader(int i) const;
  int GetCount() const { return m_Slots.Count(); }
  // Adds the standard pixel shaders in order; 0 at the first that fails, else 1.
  int LoadStandard();

 private:
  int AddLoaded(const char* name, bool load);

  CRender* m_Render;
  ShaderSlots<CPixelShader> m_Slots;
};

extern CPixelShaderList* g_PixelShaders;
