// The physics library's memory function table.  Every record and array of
// the library is allocated through it; it starts at the C runtime's
// functions, so physics memory is not booked by the engine's tracked
// allocator.  Tests may replace entries (for example to make allocation fail).
#pragma once

#include <cstddef>

struct MeMemoryAPI {
  void* (*alloc)(size_t size);
  void* (*allocZeroed)(size_t size);
  void* (*createAligned)(size_t size, size_t alignment);
  void (*free)(void* pointer);
  void (*freeAligned)(void* pointer);
  void* (*resize)(void* pointer, size_t size);
};

// The process-wide table, initialised to the C runtime defaults.
extern MeMemoryAPI MeMemoryTable;

// The stock table (C runtime), for restoring after a test replaced entries.
extern const MeMemoryAPI MeMemoryDefaults;

// Allocates `size` bytes through the table; null on failure.
void* MeAlloc(size_t size);
// Allocates `size` zeroed bytes through the table; null on failure.
void* MeAllocZeroed(size_t size);
// Allocates `size` bytes aligned to `alignment` (not 0).  The distance back
// to the underlying block is stored in the 4 bytes below the result.  An
// alignment that is not a multiple of 4 is warned about and still served.
// Null when the underlying allocation fails.
void* MallocCreateAligned(size_t size, size_t alignment);
// Frees a block from MeAlloc, MeAllocZeroed or MeRealloc; null is ignored.
void MeFree(void* pointer);
// Frees a block from MallocCreateAligned; null is ignored.
void MeFreeAligned(void* pointer);
// Resizes a block from MeAlloc; null on failure (the old block stays valid).
void* MeRealloc(void* pointer, size_t size);
