// The program's global allocation and release operators: every form goes
// through the tracked allocator, so that every allocation of the program is
// booked with its owner site.  A request the heap refuses is retried a few
// times; then the plain forms throw std::bad_alloc and the nothrow forms
// answer null.
#include <cstddef>
#include <new>

#include "foundation/memory/memory_manager.h"

namespace {

constexpr int kRetries = 3;

void* Allocate(std::uint32_t type, std::size_t size, std::size_t alignment) {
  for (int attempt = 0; attempt < kRetries; ++attempt) {
    void* p = MemOperatorNew(type, size, alignment);
    if (p) return p;
  }
  return nullptr;
}

void* AllocateOrThrow(std::uint32_t type, std::size_t size, std::size_t alignment) {
  void* p = Allocate(type, size, alignment);
  if (!p) throw std::bad_alloc();
  return p;
}

void* AllocateAt(std::uint32_t type, std::size_t size, const char* file, int line) {
  MemSetOwner(file, line, "??");
  return AllocateOrThrow(type, size, 0);
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(MEM_ALLOC_NEW, size, 0); }
void* operator new[](std::size_t size) { return AllocateOrThrow(MEM_ALLOC_NEW_ARRAY, size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(MEM_ALLOC_NEW, size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(MEM_ALLOC_NEW_ARRAY, size, 0);
}
void* operator new(std::size_t size, std::align_val_t al) {
  return AllocateOrThrow(MEM_ALLOC_NEW, size, static_cast<std::size_t>(al));
}
void* operator new[](std::size_t size, std::align_val_t al) {
  return AllocateOrThrow(MEM_ALLOC_NEW_ARRAY, size, static_cast<std::size_t>(al));
}
void* operator new(std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept {
  return Allocate(MEM_ALLOC_NEW, size, static_cast<std::size_t>(al));
}
void* operator new[](std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept {
  return Allocate(MEM_ALLOC_NEW_ARRAY, size, static_cast<std::size_t>(al));
}

void* operator new(std::size_t size, MemoryCategory) { return AllocateOrThrow(MEM_ALLOC_NEW, size, 0); }
void* operator new[](std::size_t size, MemoryCategory) { return AllocateOrThrow(MEM_ALLOC_NEW_ARRAY, size, 0); }
void* operator new(std::size_t size, const char* file, int line) {
  return AllocateAt(MEM_ALLOC_NEW, size, file, line);
}
void* operator new[](std::size_t size, const char* file, int line) {
  return AllocateAt(MEM_ALLOC_NEW_ARRAY, size, file, line);
}

void operator delete(void* p) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p); }
void operator delete(void* p, std::size_t) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p, std::size_t) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p); }
void operator delete(void* p, std::align_val_t) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p, std::align_val_t) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  MemOperatorDelete(MEM_ALLOC_DELETE, p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p);
}

void operator delete(void* p, MemoryCategory) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p, MemoryCategory) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p); }
void operator delete(void* p, const char*, int) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE, p); }
void operator delete[](void* p, const char*, int) noexcept { MemOperatorDelete(MEM_ALLOC_DELETE_ARRAY, p); }
