#include "net/queues/net_message_record.h"

#include <cassert>
#include <cstring>

#include "net/bits/bit_stream.h"

void NetMessageRecord::Blank() { std::memset(this, 0, sizeof *this); }

void NetMessageRecord::Write(ByteWriter& out) const {
  const std::size_t start = out.Size();
  out.U32(kind);
  out.U32(type);
  out.U32(timeout);
  out.U32(guaranteed);
  out.U32(loopback);
  out.U32(urgent);
  out.U32(timeStamp);
  out.U32(bufferHandle);
  out.U32(peer);
  out.U32(bitCount);
  out.U32(byteCount);
  out.Bytes(payload, kPayloadBytes);
  assert(out.Size() - start == kSize);
  (void)start;
}

bool NetMessageRecord::Read(ByteReader& in) {
  if (!in.HasRoom(kSize)) {
    Blank();
    in.Skip(kSize);  // marks the reader failed
    return false;
  }
  kind = in.U32();
  type = in.U32();
  timeout = in.U32();
  guaranteed = in.U32();
  loopback = in.U32();
  urgent = in.U32();
  timeStamp = in.U32();
  bufferHandle = in.U32();
  peer = in.U32();
  bitCount = in.U32();
  byteCount = in.U32();
  in.Bytes(payload, kPayloadBytes);
  if (!in.Ok() || !HasValidPayload()) {
    Blank();
    return false;
  }
  return true;
}

bool NetMessageRecord::HasValidPayload() const {
  return bitCount <= kPayloadBytes * 8 && byteCount == (bitCount + 7) / 8;
}

bool NetMessageRecord::SetPayload(CBitStream& stream) {
  stream.End();
  if (!stream.Begin(CBitStream::MODE_READ)) return false;
  std::uint32_t bits = 0, bytes = 0;
  const bool ok = stream.ExportBytes(payload, kPayloadBytes, &bits, &bytes);
  stream.End();
  if (!ok) return false;
  bitCount = bits;
  byteCount = bytes;
  return true;
}

bool NetMessageRecord::LoadPayload(CBitStream& stream) const {
  if (!HasValidPayload()) return false;
  stream.Reset();
  stream.Begin(CBitStream::MODE_WRITE);
  const bool ok = stream.ImportBytes(payload, byteCount, bitCount);
  stream.End();
  stream.Begin(CBitStream::MODE_READ);
  return ok;
}
