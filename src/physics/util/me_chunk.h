// A growable, aligned scratch buffer.  It only ever grows, so steady-state
// use allocates nothing.  It either owns its memory or uses a block the
// caller lends, with an optional callback to lend a bigger one.
#pragma once

#include <cstddef>

struct MeChunk;
// Asked for more memory: (chunk, raw pointer, raw size, wanted size).  The
// callback lends a bigger block with MeChunkSetMem, or does nothing.
using MeChunkResizeFn = void (*)(MeChunk* chunk, void* raw, size_t rawSize, size_t wanted);

struct MeChunk {
  void* raw;            // start of the block
  void* aligned;        // what callers get
  size_t rawSize;
  size_t usableSize;    // raw size minus the alignment padding
  size_t maxUsed;       // largest size ever asked for
  size_t alignment;
  int ownsMemory;
  MeChunkResizeFn resize;
};

// Clears every field.
void MeChunkInit(MeChunk* chunk);
// Frees owned memory, then uses the caller's block (not owned).
void MeChunkSetMem(MeChunk* chunk, void* memory, size_t size, size_t alignment);
// Frees owned memory, then allocates size + alignment bytes and owns them;
// fatal error when the allocation fails.
void MeChunkSetAuto(MeChunk* chunk, size_t size, size_t alignment);
// Aligned memory of at least `size` bytes.  An owning chunk regrows to the
// larger of `size` and half again its usable size (contents lost; fatal error
// when not even `size` can be had); a lending chunk asks its callback and
// answers null when the block is still too small.
void* MeChunkGetMem(MeChunk* chunk, size_t size);
// Frees owned memory.
void MeChunkTerm(MeChunk* chunk);
size_t MeChunkGetAlignment(const MeChunk* chunk);
size_t MeChunkGetMaxUsed(const MeChunk* chunk);
MeChunkResizeFn MeChunkGetResizeFn(const MeChunk* chunk);
void MeChunkSetResizeFn(MeChunk* chunk, MeChunkResizeFn fn);
