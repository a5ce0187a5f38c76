#include "foundation/memory/linear_buffer_ref.h"

#include <atomic>
#include <cstring>

#include "foundation/memory/memory_manager.h"

namespace {
const char* const kOwner = "GAMELIB/Core/MemBuffers";
constexpr std::uint32_t kBlockHeader = 16;
constinit std::atomic<std::uint32_t> gReleasedBlockBytes{0};
static_assert(4 + 4 + sizeof(void*) <= kBlockHeader);
}  // namespace

CLinearBufferRef::CLinearBufferRef(std::uint32_t size) : active_(1) {
  gReleasedBlockBytes.store(0);
  MemSetOwner(kOwner, __LINE__, "??");
  buffer_ = new (MEMCAT_LINEAR_BUFFER) CLinearBuffer(size, nullptr);
}

CLinearBufferRef::CLinearBufferRef(void* memory, std::uint32_t size) : active_(1) {
  gReleasedBlockBytes.store(0);
  MemSetOwner(kOwner, __LINE__, "??");
  buffer_ = new (MEMCAT_LINEAR_BUFFER) CLinearBuffer(memory, size, nullptr);
}

CLinearBufferRef::~CLinearBufferRef() {
  MemSetOwner(kOwner, __LINE__, "??");
  delete buffer_;
  buffer_ = nullptr;
}

void CLinearBufferRef::Reset() {
  if (buffer_) buffer_->Reset();
}

void* CLinearBufferRef::AllocBlock(std::uint32_t size) {
  if (!buffer_ || size > 0xFFFFFFFFu - kBlockHeader) return nullptr;
  auto* start = static_cast<unsigned char*>(buffer_->Alloc(size + kBlockHeader, 16));
  if (!start) return nullptr;
  unsigned char* payload = start + kBlockHeader;
  std::uint32_t total = size + kBlockHeader;
  std::memcpy(start, "HEAP", 4);
  std::memcpy(start + 4, &total, 4);
  std::memcpy(start + 8, &payload, sizeof payload);
  return payload;
}

std::uint32_t CLinearBufferRef::FreeBlock(void* block) {
  if (!block) return 0;
  std::uint32_t total = 0;
  std::memcpy(&total, static_cast<unsigned char*>(block) - kBlockHeader + 4, 4);
  gReleasedBlockBytes.fetch_add(total);
  return total;
}

std::uint32_t CLinearBufferRef::GetReleasedBlockBytes() { return gReleasedBlockBytes.load(); }
