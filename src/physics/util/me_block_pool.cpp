#include "physics/util/me_block_pool.h"

#include "physics/util/me_memory.h"

int MeBlockPoolCreate(MeBlockPool* pool, int count, int size, int alignment) {
  pool->memory = nullptr;
  pool->freeList = nullptr;
  pool->used = 0;
  pool->aligned = alignment != 0;
  pool->stride = alignment != 0 ? (size + alignment - 1) / alignment * alignment : size;
  pool->capacity = count;
  if (count < 1) return 1;
  size_t bytes = static_cast<size_t>(pool->stride) * static_cast<size_t>(count);
  pool->memory = pool->aligned ? MallocCreateAligned(bytes, alignment) : MeAlloc(bytes);
  // The free list holds element addresses, so it is sized by the pointer width.
  pool->freeList = static_cast<void**>(MeAlloc(sizeof(void*) * static_cast<size_t>(count)));
  if (!pool->memory || !pool->freeList) {
    MeBlockPoolDestroy(pool);
    pool->capacity = 0;
    return 0;
  }
  unsigned char* base = static_cast<unsigned char*>(pool->memory);
  for (int i = 0; i < count; ++i) pool->freeList[i] = base + static_cast<size_t>(i) * pool->stride;
  return 1;
}

void MeBlockPoolDestroy(MeBlockPool* pool) {
  if (pool->aligned)
    MeFreeAligned(pool->memory);
  else
    MeFree(pool->memory);
  MeFree(pool->freeList);
  pool->memory = nullptr;
  pool->freeList = nullptr;
  pool->used = 0;
}

void* MeBlockPoolTake(MeBlockPool* pool) {
  if (pool->used >= pool->capacity || !pool->freeList) return nullptr;
  return pool->freeList[pool->used++];
}

void MeBlockPoolGive(MeBlockPool* pool, void* element) {
  if (pool->used <= 0) return;
  pool->freeList[--pool->used] = element;
}

int MeBlockPoolUsedCount(const MeBlockPool* pool) { return pool->used; }
int MeBlockPoolFreeCount(const MeBlockPool* pool) { return pool->capacity - pool->used; }
