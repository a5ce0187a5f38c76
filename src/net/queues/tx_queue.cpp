#include "net/queues/tx_queue.h"

int CTxQueue::Create(std::uint32_t capacity) {
  CLockScope hold(queue_.GetLock());
  if (queue_.Create(capacity) != 0) return -1;
  held_.Blank();
  return 0;
}

void CTxQueue::Destroy() {
  CLockScope hold(queue_.GetLock());
  held_.Blank();
  queue_.Destroy();
}

void CTxQueue::Flush() {
  CLockScope hold(queue_.GetLock());
  held_.Blank();
  queue_.Flush();
}

std::uint32_t CTxQueue::GetQueuedCount() {
  CLockScope hold(queue_.GetLock());
  return queue_.GetQueuedCount() + (held_.kind != 0 ? 1u : 0u);
}

bool CTxQueue::TakeNext(NetMessageRecord* out) {
  if (held_.kind != 0) {
    *out = held_;
    held_.Blank();
    return true;
  }
  return queue_.Dequeue(out) == 0;
}

int CTxQueue::NextDatagram(NetMessageRecord* out) {
  CLockScope hold(queue_.GetLock());
  if (!queue_.IsCreated()) return -1;
  NetMessageRecord first;
  // The first message whose payload a fresh stream can take.
  for (;;) {
    if (!TakeNext(&first)) return -1;
    if (first.HasValidPayload()) break;
    ++dropped_;
  }
  out->Blank();
  out->kind = NetMessageRecord::kKindOutgoing;
  out->type = first.type;
  out->timeout = first.timeout;
  out->guaranteed = first.guaranteed;
  out->loopback = first.loopback;
  out->urgent = first.urgent;
  out->timeStamp = first.timeStamp;
  out->peer = first.peer;

  packing_.Clear();
  packing_.Begin(CBitStream::MODE_WRITE);
  packing_.WriteByteBlock(first.payload, first.bitCount);
  if (first.guaranteed == 0) {
    NetMessageRecord next;
    while (TakeNext(&next)) {
      const bool fits = next.HasValidPayload() && static_cast<std::int32_t>(next.bitCount) < packing_.GetFreeBits();
      if (!fits || next.guaranteed != 0 || next.peer != first.peer || next.loopback != first.loopback) {
        held_ = next;  // goes first next time
        if (held_.kind == 0) held_.kind = NetMessageRecord::kKindOutgoing;
        break;
      }
      packing_.WriteByteBlock(next.payload, next.bitCount);
      if (next.timeout > out->timeout) out->timeout = next.timeout;
      if (next.urgent > out->urgent) out->urgent = next.urgent;
    }
  }
  packing_.End();
  packing_.Begin(CBitStream::MODE_READ);
  packing_.ExportBytes(out->payload, NetMessageRecord::kPayloadBytes, &out->bitCount, &out->byteCount);
  packing_.End();
  return 0;
}
