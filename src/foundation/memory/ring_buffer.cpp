#include "foundation/memory/ring_buffer.h"

#include <cstdio>
#include <cstring>

#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"

namespace {
constexpr std::uint32_t kHeader = 8;
const char* const kOwner = "GAMELIB/Core/MemBuffers";
std::uint32_t RecordLength(std::uint32_t n) { return (n + 23u) & ~15u; }
}  // namespace

CRingBuffer::CRingBuffer(std::int32_t size) : size_(size > 0 ? size : 0) {
  MemSetOwner(kOwner, __LINE__, "??");
  memory_ = new (MEMCAT_RING_BUFFER) unsigned char[static_cast<std::size_t>(size_) + 4];
  Init();
}

CRingBuffer::CRingBuffer(CLinearBuffer* linear, std::int32_t size) : size_(size > 0 ? size : 0), notOwned_(true) {
  if (linear) memory_ = static_cast<unsigned char*>(linear->Alloc(static_cast<std::uint32_t>(size_) + 4, 4));
  if (!memory_) size_ = 0;
  Init();
}

CRingBuffer::~CRingBuffer() {
  if (!notOwned_ && memory_) {
    MemSetOwner(kOwner, __LINE__, "??");
    delete[] memory_;
  }
  memory_ = nullptr;
}

void CRingBuffer::Init() {
  if (memory_) std::memcpy(memory_ + size_, "RBUF", 4);
  Reset();
}

void CRingBuffer::Reset() {
  recordCount_ = 0;
  oldest_ = head_ = write_ = 0;
  limit_ = static_cast<std::uint32_t>(size_);
  evict_ = nullptr;
  if (memory_ && size_ >= static_cast<std::int32_t>(kHeader)) PutHeader(0, "FREC", limit_);
}

void CRingBuffer::PutHeader(std::uint32_t offset, const char* tag, std::uint32_t length) {
  std::memcpy(memory_ + offset, tag, 4);
  std::memcpy(memory_ + offset + 4, &length, 4);
}

bool CRingBuffer::ReadHeader(std::uint32_t offset, char tag[4], std::uint32_t* length) const {
  if (offset + kHeader > static_cast<std::uint32_t>(size_)) return false;
  std::memcpy(tag, memory_ + offset, 4);
  std::memcpy(length, memory_ + offset + 4, 4);
  return true;
}

// Grows the free region [write, limit) over the records that follow it,
// oldest first, until it is longer than `need`.  At the end of the buffer
// the region restarts at offset 0, where the oldest remaining record lies.
void CRingBuffer::MakeRoom(std::uint32_t need) {
  const auto size = static_cast<std::uint32_t>(size_);
  // Each pass absorbs at least one record or wraps once, so the space is
  // walked at most twice.
  for (std::uint32_t guard = 0; limit_ - write_ <= need && guard < 2 * size + 2; ++guard) {
    char tag[4];
    std::uint32_t length = 0;
    if (limit_ < size && ReadHeader(limit_, tag, &length)) {
      if (length < 16 || length > size - limit_) length = size - limit_;  // damaged: take the rest
      if (std::memcmp(tag, "AREC", 4) == 0) {
        --recordCount_;
        if (evict_) evict_(memory_ + limit_ + kHeader, length - kHeader);
      }
      limit_ += length;
      oldest_ = limit_ % size;
      PutHeader(write_, "FREC", limit_ - write_);
    } else if (limit_ < size) {
      // A tail too short for a header is free space.
      limit_ = size;
      oldest_ = 0;
    } else {
      // The free region reaches the end: the tail stays marked free and the
      // region restarts at the oldest record, at offset 0.
      write_ = limit_ = oldest_ = 0;
    }
  }
}

void* CRingBuffer::Alloc(std::uint32_t n) {
  if (!memory_ || n > 0x7FFFFFF0u) return nullptr;
  std::uint32_t len = RecordLength(n);
  // A record with the free header behind it must fit in the space at all,
  // or no eviction could ever make room for it.
  if (static_cast<std::uint64_t>(len) + kHeader >= static_cast<std::uint64_t>(size_)) return nullptr;
  if (write_ + len + kHeader >= limit_) MakeRoom(len + kHeader);
  if (write_ + len + kHeader >= limit_) return nullptr;
  std::uint32_t start = write_;
  PutHeader(start, "AREC", len);
  write_ += len;
  PutHeader(write_, "FREC", limit_ - write_);
  head_ = write_ % static_cast<std::uint32_t>(size_);
  oldest_ = limit_ % static_cast<std::uint32_t>(size_);
  ++recordCount_;
  return memory_ + start + kHeader;
}

void CRingBuffer::ForEach(ForEachCallback callback, void* context) const {
  if (!memory_ || !callback) return;
  const auto size = static_cast<std::uint32_t>(size_);
  // Older records lie from the end of the free region to the end of the
  // space, newer ones from offset 0 up to the free region.
  auto walk = [&](std::uint32_t from, std::uint32_t to) {
    char tag[4];
    std::uint32_t length = 0;
    while (from < to && ReadHeader(from, tag, &length) && length >= 16 && length <= to - from) {
      if (std::memcmp(tag, "AREC", 4) == 0) callback(memory_ + from + kHeader, length - kHeader, context);
      from += length;
    }
  };
  if (write_ < limit_ && limit_ < size) walk(limit_, size);
  walk(0, write_);
}

std::string CRingBuffer::DebugDumpText() const {
  std::string text = std::to_string(recordCount_) + " - ";
  struct Sum {
    std::string* text;
    std::uint64_t total;
  } sum{&text, 0};
  ForEach(
      [](void*, std::uint32_t payloadSize, void* ctx) {
        auto* s = static_cast<Sum*>(ctx);
        std::uint32_t length = payloadSize + kHeader;
        *s->text += std::to_string(length) + " ";
        s->total += length;
      },
      &sum);
  std::uint64_t percent = size_ > 0 ? 100u * sum.total / static_cast<std::uint64_t>(size_) : 0;
  text += " : Used " + std::to_string(percent) + "%\n";
  return text;
}

void CRingBuffer::DebugDump() const { std::fputs(DebugDumpText().c_str(), stdout); }

std::int32_t CRingBuffer::OffsetOf(const void* payload) const {
  return static_cast<std::int32_t>(static_cast<const unsigned char*>(payload) - memory_);
}
