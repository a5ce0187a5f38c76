#include "scene/mesh/mesh_pools.h"

#include "world/environment/pool_size_file.h"

namespace {

FastAllocator<CVertexBuffer> g_VertexBufferPool;
FastAllocator<CVBufferObject> g_VBufferObjectPool;

// The pool-size file sizes both pools at every level load.
const bool g_Registered = [] {
  PoolSizeFileSetPool(kPoolVertexBuffer, &g_VertexBufferPool);
  PoolSizeFileSetPool(kPoolVBufferObject, &g_VBufferObjectPool);
  return true;
}();

}  // namespace

FastAllocator<CVertexBuffer>& VertexBufferPool() { return g_VertexBufferPool; }
FastAllocator<CVBufferObject>& VBufferObjectPool() { return g_VBufferObjectPool; }

CVBufferObject* NewVBufferObject(CRender* render, CTextureManager* textures, CMaterialList* materials,
                                 CLinearBuffer* queueAllocator, DepthSortQueue* queue) {
  return g_VBufferObjectPool.Construct(render, textures, materials, queueAllocator, queue);
}

void ReleaseVBufferObject(CVBufferObject* mesh) {
  if (mesh == nullptr) return;
  mesh->Free();
  g_VBufferObjectPool.Free(mesh);
}
