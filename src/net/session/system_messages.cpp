#include "net/session/system_messages.h"

#include <string>

#include "net/session/net_callback_table.h"
#include "platform/dplay8/dplay8_counters.h"

namespace {

NetMessageRecord Outgoing(std::uint32_t type, std::uint32_t peer, std::uint32_t guaranteed, std::uint32_t urgent,
                          std::uint32_t loopback, std::uint32_t timeout, CBitStream& stream) {
  NetMessageRecord r;
  r.Blank();
  r.kind = NetMessageRecord::kKindOutgoing;
  r.type = type;
  r.timeout = timeout;
  r.guaranteed = guaranteed;
  r.loopback = loopback;
  r.urgent = urgent;
  r.peer = peer;
  r.SetPayload(stream);
  return r;
}

}  // namespace

NetMessageRecord MakeClockRequest(std::uint32_t clientClock, std::uint32_t timeout) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(1, 1);
  s.WriteBits(NETSYS_CLOCK_REQUEST, kNetTypeBits);
  s.WriteBits(clientClock, 32);
  s.End();
  return Outgoing(NETSYS_CLOCK_REQUEST, 0, 0, 0, 1, timeout, s);
}

NetMessageRecord MakeClockReply(std::uint32_t echoedClock, std::uint32_t hostClock, std::uint32_t peer) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(1, 1);
  s.WriteBits(NETSYS_CLOCK_REPLY, kNetTypeBits);
  s.WriteBits(echoedClock, 32);
  s.WriteBits(hostClock, 32);
  s.End();
  return Outgoing(NETSYS_CLOCK_REPLY, peer, 0, 0, 1, 60, s);
}

NetMessageRecord MakeSlotMessage(std::uint32_t slot, std::uint32_t peer) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(0, 1);
  s.WriteBits(kNetGameSlotMessage, kNetTypeBits);
  s.WriteBits(slot, 8);
  s.End();
  return Outgoing(kNetGameSlotMessage, peer, 1, 1, 0, 0, s);
}

bool ReadClockRequest(CBitStream& stream, std::uint32_t* clientClock) { return stream.ReadBits(clientClock, 32); }

bool ReadClockReply(CBitStream& stream, std::uint32_t* echoedClock, std::uint32_t* hostClock) {
  return stream.ReadBits(echoedClock, 32) && stream.ReadBits(hostClock, 32);
}

bool RecordFromDatagram(const std::uint8_t* data, std::size_t size, std::uint32_t sender, NetMessageRecord* out) {
  out->Blank();
  if (data == nullptr || size < 2) {
    DPlay8NoteDrop("datagram without its bit count", std::to_string(size).c_str());
    return false;
  }
  const std::uint32_t bits = data[0] | (static_cast<std::uint32_t>(data[1]) << 8);
  const std::size_t bytes = size - 2;
  if (bits > CBitStream::kCapacityBits || (bits + 7) / 8 > bytes) {
    DPlay8NoteDrop("datagram bit count larger than its bytes or the stream",
                   (std::to_string(bits) + " bits in " + std::to_string(bytes) + " bytes").c_str());
    return false;
  }
  out->peer = sender;
  out->bitCount = bits;
  out->byteCount = (bits + 7) / 8;
  for (std::uint32_t i = 0; i < out->byteCount; ++i) out->payload[i] = data[2 + i];
  return true;
}

int DispatchDatagram(NetMessageRecord& record, int gameCallbackId,
                     const std::function<bool(std::uint32_t type, CBitStream& stream)>& system) {
  CBitStream stream;
  if (!record.LoadPayload(stream)) {
    DPlay8NoteDrop("received record with lengths that disagree", "");
    return -1;
  }
  int handled = 0;
  while (!stream.IsReadAtEnd()) {
    std::uint32_t flag = 0;
    if (!stream.ReadBits(&flag, 1)) break;
    if (flag == 1) {
      std::uint32_t type = 0;
      if (!stream.ReadBits(&type, kNetTypeBits) || !system(type, stream)) {
        DPlay8NoteDrop("system message that cannot be read", ("type " + std::to_string(type)).c_str());
        return -1;
      }
    } else {
      NetGameMessageFn game = GetNetCallbackAs<NetGameMessageFn>(gameCallbackId);
      if (game == nullptr || game(&record, &stream) < 0) {
        DPlay8NoteDrop("game message that cannot be read", "the rest of the datagram is dropped");
        return -1;
      }
    }
    ++handled;
  }
  return handled;
}
