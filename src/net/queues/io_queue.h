// A fixed pool of message records on three FIFO lists: free, normal and
// urgent.  Every record is made at creation and none during traffic; a full
// queue drops what it is given.  The transport's threads enqueue received
// records while the main thread dequeues them (and the other way round for
// sends), so every operation runs under the queue's own lock.
#pragma once

#include <cstdint>

#include "net/queues/net_message_record.h"
#include "net/sync/critical_section_lock.h"

class CIOQueue {
 public:
  CIOQueue() = default;
  ~CIOQueue() { Destroy(); }
  CIOQueue(const CIOQueue&) = delete;
  CIOQueue& operator=(const CIOQueue&) = delete;

  // Makes `capacity` zeroed records on the free list; -1 when already made,
  // for a capacity of 0, or when the memory cannot be had (nothing is kept).
  int Create(std::uint32_t capacity);
  // Flush, then frees the records.  May be called more than once.
  void Destroy();
  // Copies the record onto the urgent list (its urgent word 1) or the normal
  // list (0); -1 (dropped) when no record is free or the urgent word is
  // anything else.
  int Enqueue(const NetMessageRecord& record);
  // Copies out and frees the head of the urgent list, else of the normal
  // list; -1 when both are empty.
  int Dequeue(NetMessageRecord* out);
  // Copies out what Dequeue would answer, leaving it queued; -1 when empty.
  int Peek(NetMessageRecord* out);
  // Empties both lists.
  void Flush();

  bool IsCreated() const { return nodes_ != nullptr; }
  std::uint32_t GetCapacity() const { return capacity_; }
  // Records waiting on the two lists.
  std::uint32_t GetQueuedCount();
  // The queue's lock, for callers that must make several steps one.
  CCriticalSectionLock& GetLock() { return lock_; }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Node {
    std::uint32_t next;
    NetMessageRecord record;
  };
  struct List {
    std::uint32_t head = kNone;
    std::uint32_t tail = kNone;
  };
  void Append(List& list, std::uint32_t node);
  std::uint32_t TakeHead(List& list);

  CCriticalSectionLock lock_;
  std::uint32_t capacity_ = 0;
  Node* nodes_ = nullptr;
  List free_;
  List normal_;
  List urgent_;
  std::uint32_t queued_ = 0;
};
