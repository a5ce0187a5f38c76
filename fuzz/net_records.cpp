// Any bytes read as queued message records (444 bytes each): a record is
// taken only when its lengths agree, and what is taken goes through the
// send queue's packing, which keeps every datagram within 3,200 bits and
// the queue within its pool.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_seed_file.h"
#include "net/queues/tx_queue.h"
#include "net/session/net_fixture.h"
#include "net/session/system_messages.h"

namespace {

void WriteSeeds(const std::string& folder) {
  ByteWriter out;
  MakeClockRequest(5, 20).Write(out);
  TestMessage(1, 3, 7, 0).Write(out);
  TestMessage(1, 4, 7, 0).Write(out);
  MakeSlotMessage(2, 7).Write(out);
  MakeClockReply(5, 9, 8).Write(out);
  WriteSeedFile(folder + "/records", out.Data());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CTxQueue queue;
  if (queue.Create(8) != 0) __builtin_trap();
  ByteReader in(data, size);
  std::uint32_t taken = 0;
  while (in.Remaining() >= NetMessageRecord::kSize) {
    NetMessageRecord r;
    if (r.Read(in)) {
      if (!r.HasValidPayload()) __builtin_trap();
      if (queue.Enqueue(r) == 0) ++taken;
    }
  }
  if (taken > 8 || queue.GetQueuedCount() > 8) __builtin_trap();
  NetMessageRecord d;
  std::uint32_t datagrams = 0;
  while (queue.NextDatagram(&d) == 0) {
    if (!d.HasValidPayload() || d.bitCount > 3200) __builtin_trap();
    if (++datagrams > taken) __builtin_trap();
  }
  return 0;
}
