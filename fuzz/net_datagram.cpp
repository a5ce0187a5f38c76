// Any bytes as a received transport buffer (a u16 bit count, then the
// packed bytes), at the host and at a client: the bit count is checked
// against the stream and the bytes, then every message is read through the
// dispatcher with the game's message callbacks registered, system messages
// included, until the datagram ends or a message cannot be read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_seed_file.h"
#include "net/queues/tx_queue.h"
#include "net/session/net_callback_table.h"
#include "net/session/net_fixture.h"
#include "net/session/system_messages.h"

namespace {

std::uint32_t g_messages = 0;

int GameMessage(NetMessageRecord* record, CBitStream* stream) {
  std::uint32_t type = 0;
  if (!stream->ReadBits(&type, 5)) return -1;
  std::uint32_t v = 0;
  if (type == kNetGameSlotMessage) return stream->ReadBits(&v, 8) ? 0 : -1;
  if (type == kTestMessageType || type == kTestAckType) {
    ReceivedMessage m;
    if (!stream->ReadBits(&m.sequence, 32)) return -1;
    if (type == kTestMessageType)
      for (const TestField& f : TestFields(1, m.sequence))
        if (!stream->ReadBits(&v, f.bits)) return -1;
    ++g_messages;
    (void)record;
    return 0;
  }
  return -1;
}

// Datagrams as the two-peer test sends them: packed by the send queue from
// the library's and the test's messages.
void WriteSeeds(const std::string& folder) {
  CTxQueue queue;
  queue.Create(50);
  queue.Enqueue(MakeClockRequest(123456, 20));
  for (std::uint32_t i = 0; i < 5; ++i) queue.Enqueue(TestMessage(1, i, 0, 0));
  queue.Enqueue(MakeClockReply(123456, 654321, 7));
  queue.Enqueue(MakeSlotMessage(3, 7));
  queue.Enqueue(TestMessage(1, 9999, 7, 1));
  queue.Enqueue(AckMessage(40, 7));
  NetMessageRecord d;
  int n = 0;
  while (queue.NextDatagram(&d) == 0) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(d.bitCount & 0xFF),
                                       static_cast<std::uint8_t>(d.bitCount >> 8)};
    bytes.insert(bytes.end(), d.payload, d.payload + d.byteCount);
    WriteSeedFile(folder + "/datagram" + std::to_string(n++), bytes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  SetNetCallback(NETCB_SERVER_GAME_MESSAGE, &GameMessage);
  SetNetCallback(NETCB_CLIENT_GAME_MESSAGE, &GameMessage);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  NetMessageRecord record;
  const bool taken = RecordFromDatagram(data, size, 0x1001, &record);
  const bool valid = size >= 2 && (data[0] | (data[1] << 8)) <= 3200 && ((data[0] | (data[1] << 8)) + 7) / 8 <= size - 2;
  if (taken != valid) __builtin_trap();
  if (!taken) return 0;
  if (!record.HasValidPayload()) __builtin_trap();
  // At the host: clock requests answered; at a client: clock replies taken.
  std::uint32_t replies = 0;
  const int atHost = DispatchDatagram(record, NETCB_SERVER_GAME_MESSAGE, [&](std::uint32_t type, CBitStream& s) {
    std::uint32_t clock = 0;
    if (type != NETSYS_CLOCK_REQUEST || !ReadClockRequest(s, &clock)) return false;
    ++replies;
    return true;
  });
  const int atClient = DispatchDatagram(record, NETCB_CLIENT_GAME_MESSAGE, [&](std::uint32_t type, CBitStream& s) {
    std::uint32_t sent = 0, host = 0;
    return type == NETSYS_CLOCK_REPLY && ReadClockReply(s, &sent, &host);
  });
  // Every message takes at least its flag bit.
  if (atHost > 3200 || atClient > 3200 || replies > 3200) __builtin_trap();
  return 0;
}
