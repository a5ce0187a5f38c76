#include "physics/util/me_memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "physics/util/me_message.h"

namespace {

void* CrtAlloc(size_t size) { return std::malloc(size); }
void* CrtAllocZeroed(size_t size) { return std::calloc(1, size); }
void CrtFree(void* p) { std::free(p); }
void* CrtRealloc(void* p, size_t size) { return std::realloc(p, size); }

// Layout of an aligned block: [underlying start ... padding ... | u32 padding | result].
// The padding is at least 4 bytes so that the distance fits in front.
void* CreateAligned(size_t size, size_t alignment) {
  if (alignment % sizeof(unsigned int) != 0) {
    MeWarning(0, "MallocCreateAligned: Alignment must be a multiple of sizeof(unsigned int).\n");
  }
  if (alignment == 0) alignment = sizeof(unsigned int);
  unsigned char* base = static_cast<unsigned char*>(MeAlloc(size + alignment + 4));
  if (!base) return nullptr;
  uintptr_t start = reinterpret_cast<uintptr_t>(base);
  size_t padding = (alignment - start % alignment) % alignment;
  if (padding < 4) padding += alignment;
  // Alignments that are not a multiple of 4 may still leave less than 4
  // bytes in front after one step; keep stepping until the word fits.
  while (padding < 4) padding += alignment;
  unsigned char* result = base + padding;
  uint32_t stored = static_cast<uint32_t>(padding);
  std::memcpy(result - 4, &stored, 4);
  return result;
}

void FreeAligned(void* p) {
  if (!p) return;
  unsigned char* result = static_cast<unsigned char*>(p);
  uint32_t padding;
  std::memcpy(&padding, result - 4, 4);
  MeFree(result - padding);
}

}  // namespace

const MeMemoryAPI MeMemoryDefaults = {CrtAlloc, CrtAllocZeroed, CreateAligned,
                                      CrtFree,  FreeAligned,    CrtRealloc};
MeMemoryAPI MeMemoryTable = MeMemoryDefaults;

void* MeAlloc(size_t size) { return MeMemoryTable.alloc(size); }
void* MeAllocZeroed(size_t size) { return MeMemoryTable.allocZeroed(size); }
void* MallocCreateAligned(size_t size, size_t alignment) {
  return MeMemoryTable.createAligned(size, alignment);
}
void MeFree(void* pointer) {
  if (pointer) MeMemoryTable.free(pointer);
}
void MeFreeAligned(void* pointer) {
  if (pointer) MeMemoryTable.freeAligned(pointer);
}
void* MeRealloc(void* pointer, size_t size) { return MeMemoryTable.resize(pointer, size); }
