// A ring buffer of variable-size records that evicts its oldest records when
// it needs room (the decal system keeps its decals in one).  Records are laid
// back to back, each with an 8-byte header ("AREC" live or "FREC" free, then
// the record length); a record never wraps across the end of the buffer.
// The record space is followed by the guard tag "RBUF".
#pragma once

#include <cstdint>
#include <string>

class CLinearBuffer;

class CRingBuffer {
 public:
  // Called with a record's payload and payload size when it is evicted.
  using EvictCallback = void (*)(void* payload, std::uint32_t payloadSize);
  // Called by ForEach for each live record, oldest first.
  using ForEachCallback = void (*)(void* payload, std::uint32_t payloadSize, void* context);

  // Owns size + 4 bytes from the tracked allocator.
  explicit CRingBuffer(std::int32_t size);
  // Takes size + 4 bytes from a linear buffer (not owned); a buffer that
  // could not get its memory answers null to every request.
  CRingBuffer(CLinearBuffer* linear, std::int32_t size);
  ~CRingBuffer();
  CRingBuffer(const CRingBuffer&) = delete;
  CRingBuffer& operator=(const CRingBuffer&) = delete;

  // Payload of a new record of n bytes ((n + 23) & ~15 with its header),
  // evicting the oldest records as needed.  Null only when the record could
  // never fit in the buffer.
  void* Alloc(std::uint32_t n);
  // Drops every record (no callbacks) and clears the eviction callback.
  void Reset();
  // Visits the live records from the oldest to the newest.
  void ForEach(ForEachCallback callback, void* context) const;
  void SetEvictCallback(EvictCallback callback) { evict_ = callback; }

  // "<count> - <len> <len> ... : Used <percent>%\n".
  std::string DebugDumpText() const;
  // Prints DebugDumpText() to the console.
  void DebugDump() const;

  std::int32_t GetSize() const { return size_; }
  std::int32_t GetRecordCount() const { return recordCount_; }
  // Offset of a payload within the record space.
  std::int32_t OffsetOf(const void* payload) const;

 private:
  void Init();
  void MakeRoom(std::uint32_t need);
  void PutHeader(std::uint32_t offset, const char* tag, std::uint32_t length);
  bool ReadHeader(std::uint32_t offset, char tag[4], std::uint32_t* length) const;

  std::int32_t size_ = 0;
  unsigned char* memory_ = nullptr;
  bool notOwned_ = false;
  std::int32_t recordCount_ = 0;
  std::uint32_t oldest_ = 0;
  std::uint32_t head_ = 0;
  std::uint32_t write_ = 0;
  std::uint32_t limit_ = 0;
  EvictCallback evict_ = nullptr;
};
