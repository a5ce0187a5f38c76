#include "platform/dplay8/dplay8_wire.h"

namespace dplay8_wire {

void WriteGuid(ByteWriter& out, const GUID& g) {
  out.U32(g.Data1);
  out.U16(g.Data2);
  out.U16(g.Data3);
  out.Bytes(g.Data4, 8);
}

GUID ReadGuid(ByteReader& in) {
  GUID g{};
  g.Data1 = in.U32();
  g.Data2 = in.U16();
  g.Data3 = in.U16();
  in.Bytes(g.Data4, 8);
  return g;
}

void ConnectRequest::Write(ByteWriter& out) const {
  out.U8(PACKET_CONNECT);
  out.U32(kConnectMagic);
  WriteGuid(out, application);
  WriteGuid(out, instance);
  out.U16(static_cast<std::uint16_t>(data.size()));
  out.Bytes(data.data(), data.size());
}

bool ConnectRequest::Read(ByteReader& in) {
  if (in.U32() != kConnectMagic) return false;
  application = ReadGuid(in);
  instance = ReadGuid(in);
  const std::uint16_t size = in.U16();
  if (!in.Ok() || size > kMaxConnectData || in.Remaining() != size) return false;
  data.assign(in.Current(), in.Current() + size);
  in.Skip(size);
  return in.Ok();
}

void Accept::Write(ByteWriter& out) const {
  out.U8(PACKET_ACCEPT);
  out.U32(player);
  out.U32(hostPlayer);
}

bool Accept::Read(ByteReader& in) {
  player = in.U32();
  hostPlayer = in.U32();
  return in.Ok() && in.Remaining() == 0 && player != 0 && hostPlayer != 0 && player != hostPlayer;
}

void Reject::Write(ByteWriter& out) const {
  out.U8(PACKET_REJECT);
  out.I32(result);
}

bool Reject::Read(ByteReader& in) {
  result = in.I32();
  return in.Ok() && in.Remaining() == 0 && result < 0;
}

void EnumQuery::Write(ByteWriter& out) const {
  out.U32(kQueryMagic);
  out.U8(kVersion);
  WriteGuid(out, application);
  out.U32(sendTime);
}

bool EnumQuery::Read(ByteReader& in) {
  if (in.U32() != kQueryMagic || in.U8() != kVersion) return false;
  application = ReadGuid(in);
  sendTime = in.U32();
  return in.Ok() && in.Remaining() == 0;
}

void EnumAnswer::Write(ByteWriter& out) const {
  out.U32(kAnswerMagic);
  out.U8(kVersion);
  WriteGuid(out, application);
  out.U32(echoedTime);
  WriteGuid(out, instance);
  out.U32(flags);
  out.U32(maxPlayers);
  out.U32(currentPlayers);
  const std::size_t nameLength = sessionName.size() < kMaxSessionName ? sessionName.size() : kMaxSessionName;
  out.U8(static_cast<std::uint8_t>(nameLength));
  for (std::size_t i = 0; i < nameLength; ++i) out.U16(static_cast<std::uint16_t>(sessionName[i]));
  const std::size_t dataSize =
      responseData.size() < DPN_MAX_ENUM_RESPONSE_SIZE ? responseData.size() : DPN_MAX_ENUM_RESPONSE_SIZE;
  out.U8(static_cast<std::uint8_t>(dataSize));
  out.Bytes(responseData.data(), dataSize);
}

bool EnumAnswer::Read(ByteReader& in) {
  if (in.U32() != kAnswerMagic || in.U8() != kVersion) return false;
  application = ReadGuid(in);
  echoedTime = in.U32();
  instance = ReadGuid(in);
  flags = in.U32();
  maxPlayers = in.U32();
  currentPlayers = in.U32();
  const std::uint8_t nameLength = in.U8();
  if (!in.Ok() || nameLength > kMaxSessionName) return false;
  sessionName.clear();
  for (std::uint8_t i = 0; i < nameLength; ++i) {
    const char16_t c = static_cast<char16_t>(in.U16());
    if (c == 0) return false;
    sessionName.push_back(c);
  }
  const std::uint8_t dataSize = in.U8();
  if (!in.Ok() || dataSize > DPN_MAX_ENUM_RESPONSE_SIZE || in.Remaining() != dataSize) return false;
  responseData.assign(in.Current(), in.Current() + dataSize);
  in.Skip(dataSize);
  return in.Ok();
}

}  // namespace dplay8_wire
