// The level's pools of mesh records: "VertexBuffer" (mesh parts) and
// "VBufferObject" (meshes).  The pool-size file sizes them at each level
// load (registered with it here; 2000 records each by default); until then, and once a pool is used
// up, records come from the heap and are counted, so the next run can size
// the pool right.  Main thread only.
#pragma once

#include "foundation/memory/fast_allocator.h"
#include "scene/mesh/vbuffer_object.h"


FastAllocator<CVertexBuffer>& VertexBufferPool();
FastAllocator<CVBufferObject>& VBufferObjectPool();

// A mesh from the "VBufferObject" pool (or the heap), made with the five
// engine modules; null only when the heap refuses.
CVBufferObject* NewVBufferObject(CRender* render, CTextureManager* textures, CMaterialList* materials,
                                 CLinearBuffer* queueAllocator, DepthSortQueue* queue);
// Frees the mesh's parts and gives the mesh back (a pool record stays in
// its pool, a heap record is deleted).  Null is allowed.
void ReleaseVBufferObject(CVBufferObject* mesh);
