#include "physics/util/me_chunk.h"

#include <cstdint>

#include "physics/util/me_memory.h"
#include "physics/util/me_message.h"

namespace {

void FreeOwned(MeChunk* chunk) {
  if (chunk->ownsMemory) MeFree(chunk->raw);
  chunk->raw = chunk->aligned = nullptr;
  chunk->rawSize = chunk->usableSize = 0;
  chunk->ownsMemory = 0;
}

// padding = (alignment − raw mod alignment) mod alignment.
void Place(MeChunk* chunk, void* raw, size_t size, size_t alignment) {
  size_t a = alignment ? alignment : 1;
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  size_t padding = (a - start % a) % a;
  chunk->raw = raw;
  chunk->rawSize = size;
  chunk->alignment = alignment;
  chunk->aligned = static_cast<unsigned char*>(raw) + padding;
  chunk->usableSize = size > padding ? size - padding : 0;
}

}  // namespace

void MeChunkInit(MeChunk* chunk) { *chunk = MeChunk{}; }

void MeChunkSetMem(MeChunk* chunk, void* memory, size_t size, size_t alignment) {
  FreeOwned(chunk);
  Place(chunk, memory, size, alignment);
  chunk->ownsMemory = 0;
}

void MeChunkSetAuto(MeChunk* chunk, size_t size, size_t alignment) {
  FreeOwned(chunk);
  chunk->alignment = alignment;
  void* raw = MeAlloc(size + alignment);
  if (!raw) {
    MeFatalError(0, "MeChunkSetAuto: Could not allocate memory for MeChunk.\n");
    return;
  }
  Place(chunk, raw, size + alignment, alignment);
  chunk->ownsMemory = 1;
}

void* MeChunkGetMem(MeChunk* chunk, size_t size) {
  if (size > chunk->maxUsed) chunk->maxUsed = size;
  if (size <= chunk->usableSize && chunk->aligned) return chunk->aligned;
  if (chunk->ownsMemory) {
    // Grow by half again at least, so that a size creeping up a little each
    // step (the solver's rows as contacts come and go) costs a logarithmic
    // number of allocations, not one per new maximum.  Should the larger
    // block be refused, the exact size is tried before giving up.
    const size_t alignment = chunk->alignment;
    const size_t grown = chunk->usableSize + chunk->usableSize / 2;
    const size_t target = grown > size ? grown : size;
    FreeOwned(chunk);
    void* raw = MeAlloc(target + alignment);
    size_t rawSize = target + alignment;
    if (!raw && target > size) {
      raw = MeAlloc(size + alignment);
      rawSize = size + alignment;
    }
    if (!raw) {
      chunk->alignment = alignment;
      MeFatalError(0, "MeChunkGetMem: Could not allocate memory to resize MeChunk.\n");
      return nullptr;
    }
    Place(chunk, raw, rawSize, alignment);
    chunk->ownsMemory = 1;
    return chunk->aligned;
  }
  if (!chunk->resize) return nullptr;
  chunk->resize(chunk, chunk->raw, chunk->rawSize, size + 16);
  if (size > chunk->usableSize || !chunk->aligned) return nullptr;
  return chunk->aligned;
}

void MeChunkTerm(MeChunk* chunk) { FreeOwned(chunk); }
size_t MeChunkGetAlignment(const MeChunk* chunk) { return chunk->alignment; }
size_t MeChunkGetMaxUsed(const MeChunk* chunk) { return chunk->maxUsed; }
MeChunkResizeFn MeChunkGetResizeFn(const MeChunk* chunk) { return chunk->resize; }
void MeChunkSetResizeFn(MeChunk* chunk, MeChunkResizeFn fn) { chunk->resize = fn; }
