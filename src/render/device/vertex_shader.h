// Vertex shaders: one device shader handle each with its vertex declaration,
// kept in a list created at engine start-up.  On a device without vertex
// shaders every entry still exists with handle 0, so that indices stay stable.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "render/device/shader_slots.h"

class CRender;

// Vertex declarations of the standard shaders.
extern const DWORD kSkyDeclaration[];
extern const DWORD kPlainDeclaration[];
extern const DWORD kDot3Declaration[];

class CVertexShader {
 public:
  explicit CVertexShader(CRender* render);
  // Finds the assembled shader through the search folders and creates the
  // device shader when vertex shaders are supported.  A missing file shows
  // "Unable to load vertex shader source" and answers 0; an unreadable one 0;
  // else 1 (also when the device refuses, the handle then staying 0).
  int Load(const char* name, const DWORD* declaration);
  // The same for shader source text, assembled first; 0 when the assembler fails.
  int LoadSource(const char* name, const DWORD* declaration);
  // Deletes the device shader, if any.
  void Release();
  void Apply();
  // Selects the fixed vertex format 0x152 instead of a shader.
  void ApplyFixedFormat();
  void SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride);
  void SetConstant(DWORD firstRegister, const void* data, DWORD count);
  DWORD GetHandle() const { return m_Handle; }

 private:
  CRender* m_Render;
  IDirect3DDevice8* m_Device;
  DWORD m_Handle;
};

class CVertexShaderList {
 public:
  CVertexShaderList(CRender* render, int capacity);
  // Releases and deletes every shader (the slots do).
  ~CVertexShaderList() = default;
  CVertexShaderList(const CVertexShaderList&) = delete;
  CVertexShaderList& operator=(const CVertexShaderList&) = delete;

  // Loads an assembled shader into the next slot; its index, or -1 when the
  // load fails or the list is full.
  int Add(const char* name, const DWORD* declaration);
  // The same from shader source.
  int AddFromSource(const char* name, const DWORD* declaration);
  // The shader in slot i modulo the count; null when the list is empty.
  CVertexShader* GetShader(int i) const;
  int GetCount() const { return m_Slots.Count(); }
  // Adds the seven standard shaders (0 at the first failure), then the 31 dot-3
  // light variants (stopping at the first failure); 1 once the standard seven are in.
  int LoadStandard();

 private:
  int AddLoaded(const char* name, const DWORD* declaration, bool source);

  CRender* m_Render;
  ShaderSlots<CVertexShader> m_Slots;
};

extern CVertexShaderList* g_VertexShaders;
// Index of the first dot-3 light variant in the vertex shader list; -1 until loaded.
extern int g_Dot3VariantBase;
