// The incoming queue of a game server or client: the transport's thread
// enqueues one record per received datagram, the main thread dequeues them.
#pragma once

#include "net/queues/io_queue.h"

class CRxQueue {
 public:
  // -1 when already made or the records cannot be had.
  int Create(std::uint32_t capacity) { return queue_.Create(capacity); }
  void Destroy() { queue_.Destroy(); }
  void Flush() { queue_.Flush(); }
  // -1 (dropped) when full or the urgent word is neither 0 nor 1.
  int Enqueue(const NetMessageRecord& record) { return queue_.Enqueue(record); }
  // -1 when empty.
  int Dequeue(NetMessageRecord* out) { return queue_.Dequeue(out); }
  bool IsCreated() const { return queue_.IsCreated(); }
  std::uint32_t GetQueuedCount() { return queue_.GetQueuedCount(); }

 private:
  CIOQueue queue_;
};
