// A holder of a linear buffer with an active flag, and the tagged heap
// blocks carved from it.  A heap block is a 16-byte header ("HEAP", the
// total length, the payload address) followed by a 16-byte aligned payload;
// releasing one gives no memory back, it only counts the bytes.
#pragma once

#include <cstdint>

#include "foundation/memory/linear_buffer.h"

class CLinearBufferRef {
 public:
  // Makes and owns a new linear buffer of `size` bytes.
  explicit CLinearBufferRef(std::uint32_t size);
  // Works over caller memory of at least size + 4 bytes.
  CLinearBufferRef(void* memory, std::uint32_t size);
  ~CLinearBufferRef();
  CLinearBufferRef(const CLinearBufferRef&) = delete;
  CLinearBufferRef& operator=(const CLinearBufferRef&) = delete;

  std::uint32_t GetFree() const { return buffer_ ? buffer_->GetFree() : 0; }
  void Reset();
  // The renderer clears the flag around texture creation.
  void SetActive(std::uint32_t flag) { active_ = flag; }
  std::uint32_t IsActive() const { return active_; }
  CLinearBuffer* GetBuffer() const { return buffer_; }

  // Payload of a new heap block of `size` bytes; null when it does not fit.
  void* AllocBlock(std::uint32_t size);
  // Counts a block's total length as released and answers it (0 for null).
  static std::uint32_t FreeBlock(void* block);
  // Bytes of heap blocks released since the last holder was created.
  static std::uint32_t GetReleasedBlockBytes();

 private:
  CLinearBuffer* buffer_ = nullptr;
  std::uint32_t active_ = 0;
};
