#include "foundation/memory/linear_buffer.h"

#include <cstring>

#include "foundation/memory/memory_manager.h"

namespace {
const char* const kOwner = "GAMELIB/Core/MemBuffers";
}

CLinearBuffer::CLinearBuffer(std::uint32_t size, const char* name) : size_(size) {
  MemSetOwner(kOwner, __LINE__, "??");
  memory_ = new (MEMCAT_LINEAR_BUFFER) unsigned char[static_cast<std::size_t>(size) + 4];
  Init(name);
}

CLinearBuffer::CLinearBuffer(CLinearBuffer* parent, std::uint32_t size, const char* name)
    : size_(size), notOwned_(true) {
  if (parent && size <= 0xFFFFFFFBu) memory_ = static_cast<unsigned char*>(parent->Alloc(size + 4, 4));
  if (!memory_) size_ = 0;
  Init(name);
}

CLinearBuffer::CLinearBuffer(void* memory, std::uint32_t size, const char* name)
    : size_(memory ? size : 0), memory_(static_cast<unsigned char*>(memory)), notOwned_(true) {
  Init(name);
}

CLinearBuffer::~CLinearBuffer() {
  if (!notOwned_ && memory_) {
    MemSetOwner(kOwner, __LINE__, "??");
    delete[] memory_;
  }
  memory_ = nullptr;
}

void CLinearBuffer::Init(const char* name) {
  if (name && std::strlen(name) < sizeof name_) std::strcpy(name_, name);
  used_ = 0;
  free_ = size_;
  if (memory_) {
    std::memset(memory_, 0xFA, size_);
    std::memcpy(memory_ + size_, "LBUF", 4);
  }
}

void* CLinearBuffer::Alloc(std::uint32_t size, std::uint32_t alignment) {
  if (!memory_ || alignment == 0 || (alignment & (alignment - 1)) != 0) return nullptr;
  auto top = reinterpret_cast<std::uintptr_t>(memory_ + used_);
  auto pad = static_cast<std::uint32_t>((0 - top) & (alignment - 1));
  if (static_cast<std::uint64_t>(pad) + size > free_) return nullptr;
  unsigned char* result = memory_ + used_ + pad;
  used_ += pad + size;
  free_ -= pad + size;
  return result;
}

void CLinearBuffer::FreeTop(std::uint32_t n) {
  if (n > used_) {
    Reset();
    return;
  }
  used_ -= n;
  free_ += n;
}

void CLinearBuffer::SetMark(int i) {
  if (i < 0 || i > 1) return;
  marks_[i] = used_;
  free_ = size_ - used_;
}

void CLinearBuffer::RestoreMark(int i) {
  if (i < 0 || i > 1) return;
  used_ = marks_[i] <= size_ ? marks_[i] : size_;
  free_ = size_ - used_;
}

void CLinearBuffer::Reset() {
  used_ = 0;
  free_ = size_;
}
