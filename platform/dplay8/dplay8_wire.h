// The stand-in's own packets.  Over the session's ENet connection every
// packet starts with one kind byte: a connect request (the client's connect
// data, sent first and reliably), the host's accept or reject, the client's
// confirmation, then user messages.  Host enumeration is a separate small
// UDP query and answer on the session port, each starting with a magic word.
// Each packet has its writer and its reader side by side; readers refuse
// anything that is not exactly a valid packet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "platform/dplay8/dplay8_types.h"

namespace dplay8_wire {

enum PacketKind : std::uint8_t {
  PACKET_CONNECT = 1,
  PACKET_ACCEPT = 2,
  PACKET_REJECT = 3,
  PACKET_CONFIRM = 4,
  PACKET_DATA = 5,
};

constexpr std::uint32_t kConnectMagic = 0x43444248;  // "HBDC"
constexpr std::uint32_t kQueryMagic = 0x51454248;    // "HBEQ"
constexpr std::uint32_t kAnswerMagic = 0x41454248;   // "HBEA"
constexpr std::uint8_t kVersion = 1;
constexpr std::uint32_t kMaxConnectData = 1024;
constexpr std::uint32_t kMaxSessionName = 64;  // UTF-16 code units

void WriteGuid(ByteWriter& out, const GUID& g);
GUID ReadGuid(ByteReader& in);

struct ConnectRequest {
  GUID application{};
  GUID instance{};
  std::vector<std::uint8_t> data;
  void Write(ByteWriter& out) const;
  // The bytes after the kind byte.
  bool Read(ByteReader& in);
};

struct Accept {
  DPNID player = 0;      // the joining client's player id
  DPNID hostPlayer = 0;  // the host's own player, the sender of what the host sends
  void Write(ByteWriter& out) const;
  bool Read(ByteReader& in);
};

struct Reject {
  HRESULT result = 0;
  void Write(ByteWriter& out) const;
  bool Read(ByteReader& in);
};

struct EnumQuery {
  GUID application{};
  std::uint32_t sendTime = 0;
  void Write(ByteWriter& out) const;
  bool Read(ByteReader& in);
};

struct EnumAnswer {
  GUID application{};
  std::uint32_t echoedTime = 0;
  GUID instance{};
  std::uint32_t flags = 0;
  std::uint32_t maxPlayers = 0;
  std::uint32_t currentPlayers = 0;
  std::u16string sessionName;
  std::vector<std::uint8_t> responseData;  // at most DPN_MAX_ENUM_RESPONSE_SIZE
  void Write(ByteWriter& out) const;
  bool Read(ByteReader& in);
};

}  // namespace dplay8_wire
