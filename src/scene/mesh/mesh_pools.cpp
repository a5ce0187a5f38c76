#include "scene/mesh/mesh_pools.h"

FastAllocator<CVertexBuffer>& VertexBufferPool() {
  static FastAllocator<CVertexBuffer> pool;
  return pool;
}

FastAllocator<CVBufferObject>& VBufferObjectPool() {
  static FastAllocator<CVBufferObject> pool;
  return pool;
}

CVBufferObject* NewVBufferObject(CRender* render, CTextureManager* textures, CMaterialList* materials,
                                 CLinearBuffer* queueAllocator, DepthSortQueue* queue) {
  return VBufferObjectPool().Construct(render, textures, materials, queueAllocator, queue);
}

void ReleaseVBufferObject(CVBufferObject* mesh) {
  if (mesh == nullptr) return;
  mesh->Free();
  VBufferObjectPool().Free(mesh);
}
