// One message as it is queued: 111 32-bit words (444 bytes).  Outgoing
// records carry one message each; a datagram packed from several of them has
// the same layout (the first message's words, then the packed length and
// bytes).  Received records carry one datagram.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/byte_reader.h"

class CBitStream;

struct NetMessageRecord {
  static constexpr std::size_t kSize = 444;
  static constexpr std::uint32_t kPayloadBytes = 400;
  static constexpr std::uint32_t kKindOutgoing = 2;

  std::uint32_t kind;          // 2 outgoing; nonzero also marks the transmit queue's held record
  std::uint32_t type;          // 1 game message to a new player, 2 clock request, 3 clock reply
  std::uint32_t timeout;       // send time-out in ms, 0 none
  std::uint32_t guaranteed;    // 1 guaranteed and sent alone, 0 best effort
  std::uint32_t loopback;      // 1 the host's own player may receive it, 0 not
  std::uint32_t urgent;        // 1 urgent list and high priority, 0 normal
  std::uint32_t timeStamp;     // session clock when queued
  std::uint32_t bufferHandle;  // received records: the transport buffer to give back (0 none)
  std::uint32_t peer;          // destination player id, or the sender's on receipt
  std::uint32_t bitCount;      // payload length in bits
  std::uint32_t byteCount;     // payload length in bytes
  std::uint8_t payload[kPayloadBytes];

  // Every word zero.
  void Blank();
  // Writes the 111 words, field by field.
  void Write(ByteWriter& out) const;
  // Reads 111 words; false (the record blanked) when they are not all there
  // or the lengths disagree (more than 3,200 bits, or a byte count that is
  // not the bits' bytes).
  bool Read(ByteReader& in);
  // True when the payload lengths agree with each other and with the block.
  bool HasValidPayload() const;

  // Copies the stream's bits into the payload (the stream is read from its
  // start and left idle); false when the stream holds more than 400 bytes.
  bool SetPayload(CBitStream& stream);
  // Loads the payload into `stream` and leaves it reading from the start;
  // false when the payload lengths are not valid.
  bool LoadPayload(CBitStream& stream) const;
};
static_assert(sizeof(NetMessageRecord) == NetMessageRecord::kSize, "a record is 111 words");
