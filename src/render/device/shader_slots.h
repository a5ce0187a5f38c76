// The slots behind a shader list: a fixed number of shaders, filled in order
// and owned until the list goes.
#pragma once

#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"

class CRender;

template <typename Shader>
class ShaderSlots {
 public:
  explicit ShaderSlots(int capacity) : m_Capacity(capacity > 0 ? capacity : 0), m_Count(0) {
    MEM_OWNER();
    m_Shaders = MEM_NEW(MEMCAT_GAME) Shader*[m_Capacity > 0 ? m_Capacity : 1]();
  }
  // Releases and deletes every shader.
  ~ShaderSlots() {
    for (int i = 0; i < m_Count; ++i) {
      m_Shaders[i]->Release();
      MEM_DELETE m_Shaders[i];
    }
    MEM_DELETE_ARRAY m_Shaders;
  }
  ShaderSlots(const ShaderSlots&) = delete;
  ShaderSlots& operator=(const ShaderSlots&) = delete;

  // Makes a shader for render and keeps it in the next slot when load(shader)
  // answers 1; its index, or -1 when the slots are full or the load fails.
  template <typename Load>
  int Add(CRender* render, Load load) {
    if (m_Count >= m_Capacity) return -1;
    MEM_OWNER();
    auto* shader = MEM_NEW(MEMCAT_GAME) Shader(render);
    if (load(*shader) != 1) {
      MEM_DELETE shader;
      return -1;
    }
    m_Shaders[m_Count] = shader;
    return m_Count++;
  }
  int Count() const { return m_Count; }
  // The shader in slot i, 0 <= i < Count().
  Shader* At(int i) const { return m_Shaders[i]; }

 private:
  int m_Capacity;
  int m_Count;
  Shader** m_Shaders;
};
