// A static mesh: a chain of mesh parts (CVertexBuffer) in file order, read
// from a mesh section of an object file.  Holds the material variants that the
// render-effects file applies by texture name.  Drawing lives with the mesh
// draw paths.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/mesh/vertex_buffer.h"

class CVBufferObject {
 public:
  // Zeroes the mesh (memory bytes = record size); keeps the stored engine modules.
  CVBufferObject();
  // The same, storing the five engine modules for every later mesh and part.
  CVBufferObject(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* queueAllocator,
                 DepthSortQueue* queue);
  ~CVBufferObject();
  CVBufferObject(const CVBufferObject&) = delete;
  CVBufferObject& operator=(const CVBufferObject&) = delete;

  // Reads a mesh section body (tag, part count, part records) and appends
  // the parts in file order.  False for a short or damaged section: the parts
  // read so far stay (Free releases them); the part count is checked against
  // the bytes left before any part is made.
  bool Load(ByteReader& in, std::uint32_t objectFileVersion);
  // Lets the shadow code free its data, then frees every part and gives it
  // back (to the "VertexBuffer" pool, or to the heap).  The mesh is empty after.
  void Free();

  // Material variants by texture name (any case); a null name picks every
  // part whose texture is not "default".  Each answers whether a part matched.
  bool SetBumpByTexture(CTexture* bumpTexture, const char* name);
  bool SetReflectionByTexture(CTexture* texture, float strength, const char* name);
  bool SupportsBumpByTexture(int a, int b, int c, const char* name);
  bool SetDetailByTexture(CTexture* texture, std::uint32_t blendMode, float strength, float scaleU, float scaleV,
                          const char* name);

  // Sets the marked word of every part whose texture is the given one (every part for null).
  void MarkTexture(const CTexture* texture);
  // Marks every part cut-out (flag 0x800).
  void SetCutOut();
  // The distinct texture (material) identifiers of the parts in first-seen order.
  void GetTextureIds(std::vector<std::uint32_t>* ids) const;
  void GetMaterialIds(std::vector<std::uint32_t>* ids) const;

  // Draws every part in order (CVertexBuffer::Draw).
  void Draw(CTexture* textureOverride, const struct MeshDrawParams* params);
  // Queues the shadow of every part with a face table whose list has fewer
  // than 301 indices (bucket 10); a larger part casts none and says so on
  // standard output.
  void QueueShadows();

  // The i-th part, or null.
  CVertexBuffer* GetPart(std::uint32_t i) const;

  std::uint32_t PartCount = 0;
  CVertexBuffer* FirstPart = nullptr;
  std::uint32_t MemoryBytes = sizeof(CVBufferObject);

 private:
  template <typename F>
  bool ForPartsNamed(const char* name, F apply);
};

// Whether a record whose first word is a mesh kind holds a mesh of this kind:
// true for no record and for kinds 0, 1, 3 and 4.
bool IsMeshKindRecord(const std::uint32_t* record);

// Called by CVBufferObject::Free before the parts go, so the shadow code can
// free its tables.
using MeshShadowFree = void (*)(CVBufferObject* mesh);
void SetMeshShadowFree(MeshShadowFree hook);
