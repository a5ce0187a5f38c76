// The outgoing queue of a game server or client.  Besides queueing one
// record per message it packs them into datagrams: best-effort messages to
// the same peer with the same loopback flag ride together in one datagram
// of at most 3,200 bits, in the order they were queued (urgent ones first);
// a guaranteed message always travels alone.  Each message keeps its own
// leading flag bit and type, so the receiver can split them again.
#pragma once

#include "net/bits/bit_stream.h"
#include "net/queues/io_queue.h"

class CTxQueue {
 public:
  // -1 when already made or the records cannot be had; the held record starts empty.
  int Create(std::uint32_t capacity);
  void Destroy();
  // Drops the held record and everything queued.
  void Flush();
  // -1 (dropped) when full or the urgent word is neither 0 nor 1.
  int Enqueue(const NetMessageRecord& record) { return queue_.Enqueue(record); }
  // Packs the next datagram into `out`: the first message's type, time-out,
  // guaranteed, loopback, urgent and peer words, the larger time-out and
  // urgency of the messages packed with it, then the packed bit count, byte
  // count and bytes.  A message whose payload is not a valid stream's worth
  // is dropped.  -1 when nothing is queued.
  int NextDatagram(NetMessageRecord* out);

  bool IsCreated() const { return queue_.IsCreated(); }
  // Messages waiting, the held one included.
  std::uint32_t GetQueuedCount();
  // Messages dropped by NextDatagram because their payload was not valid.
  std::uint32_t GetDroppedCount() const { return dropped_; }

 private:
  bool TakeNext(NetMessageRecord* out);

  CIOQueue queue_;
  CBitStream packing_;
  NetMessageRecord held_{};
  std::uint32_t dropped_ = 0;
};
