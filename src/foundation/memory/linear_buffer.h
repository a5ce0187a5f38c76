// A linear ("stack") buffer: memory handed out from the bottom up, given back
// from the top or by returning to one of two marks.  The game's global
// scratch heap, the decal heaps and per-frame work use it.  New memory is
// filled with 0xFA and followed by the guard tag "LBUF".
#pragma once

#include <cstdint>

class CLinearBuffer {
 public:
  // Owns size + 4 bytes from the tracked allocator; name may be null.
  CLinearBuffer(std::uint32_t size, const char* name);
  // Takes size + 4 bytes from a parent buffer at 4-byte alignment (not
  // owned); with no room it has no memory and every Alloc answers null.
  CLinearBuffer(CLinearBuffer* parent, std::uint32_t size, const char* name);
  // Works over caller memory of at least size + 4 bytes (not owned).
  CLinearBuffer(void* memory, std::uint32_t size, const char* name);
  ~CLinearBuffer();
  CLinearBuffer(const CLinearBuffer&) = delete;
  CLinearBuffer& operator=(const CLinearBuffer&) = delete;

  // `size` bytes at a power-of-two alignment; null (nothing changed) when
  // they do not fit.
  void* Alloc(std::uint32_t size, std::uint32_t alignment);
  // The same at 16-byte alignment.
  void* Alloc16(std::uint32_t size) { return Alloc(size, 16); }
  // Gives back the top n bytes; more than is used empties the buffer.
  void FreeTop(std::uint32_t n);
  // Remembers the used count in mark 0 or 1.
  void SetMark(int i);
  // Returns to the used count of mark 0 or 1.
  void RestoreMark(int i);
  // Empties the buffer.
  void Reset();

  std::uint32_t GetFree() const { return free_; }
  std::uint32_t GetUsed() const { return used_; }
  std::uint32_t GetSize() const { return size_; }
  const char* GetName() const { return name_; }
  void* GetMemory() const { return memory_; }

 private:
  void Init(const char* name);

  char name_[32] = {};
  std::uint32_t marks_[2] = {};
  std::uint32_t size_ = 0;
  std::uint32_t free_ = 0;
  std::uint32_t used_ = 0;
  unsigned char* memory_ = nullptr;
  bool notOwned_ = false;
};
