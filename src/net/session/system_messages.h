// The framing of the messages inside a datagram and the library's own
// messages.  Every message starts with one flag bit: 1 for a system message
// of the library, 0 for a game message.  A system message goes on with a
// 5-bit type: 2 clock request (client to host: the client's clock, 32
// bits), 3 clock reply (host to client: the echoed client clock, then the
// host's clock, 32 bits each).  The library also sends the game's slot
// message to each new player: flag 0, game type 1 (5 bits), slot (8 bits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "net/bits/bit_stream.h"
#include "net/queues/net_message_record.h"

enum NetSystemType : std::uint32_t {
  NETSYS_CLOCK_REQUEST = 2,
  NETSYS_CLOCK_REPLY = 3,
};
constexpr std::uint32_t kNetGameSlotMessage = 1;
constexpr std::uint32_t kNetTypeBits = 5;

// Records ready to queue (outgoing, one message each).
NetMessageRecord MakeClockRequest(std::uint32_t clientClock, std::uint32_t timeout);
NetMessageRecord MakeClockReply(std::uint32_t echoedClock, std::uint32_t hostClock, std::uint32_t peer);
NetMessageRecord MakeSlotMessage(std::uint32_t slot, std::uint32_t peer);

// The fields after the type; false when the message is cut short.
bool ReadClockRequest(CBitStream& stream, std::uint32_t* clientClock);
bool ReadClockReply(CBitStream& stream, std::uint32_t* echoedClock, std::uint32_t* hostClock);

// Fills a received record from a transport buffer: a u16 bit count, then
// the bytes.  False (and a counted drop) when the buffer is shorter than 2
// bytes, the count is over 3,200 bits or more than the bytes that follow.
bool RecordFromDatagram(const std::uint8_t* data, std::size_t size, std::uint32_t sender, NetMessageRecord* out);

// Reads the messages of a received datagram in order: a system message
// goes to `system` with its type (the stream positioned after the type;
// false: it could not be read), a game message to the game-message
// callback `gameCallbackId` (positioned after the flag bit; negative: it
// could not be read).  The first message that cannot be read abandons the
// rest of the datagram.  Answers the messages handled, or -1 when the
// datagram was abandoned.
int DispatchDatagram(NetMessageRecord& record, int gameCallbackId,
                     const std::function<bool(std::uint32_t type, CBitStream& stream)>& system);
