// Any bytes read as a saved block of timed callbacks (a record count, then
// the records): the load must stay inside the input, arm only entries whose
// callback decodes, and leave the list able to run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"
#include "world/timing/timed_callback_list.h"

namespace {

void Fire(TimedCallbackEntry* e) { e->params[0] += 1; }
int Encode(TimedCallback cb) { return cb == Fire ? 100 : -1; }
TimedCallback Decode(int code) { return code == 100 ? Fire : nullptr; }

CLinearBuffer& Buffer() {
  static CLinearBuffer buffer(32 * 1024, "Global Heap");
  return buffer;
}

// Blocks saved by the list itself, for the seed corpus.
void WriteSeeds(const std::string& folder) {
  CTimer clock;
  for (int n : {0, 1, 5, 200}) {
    Buffer().Reset();
    CTimedCallbackList list;
    if (!list.CreateEntries(&Buffer())) return;
    list.SetClocks(&clock, &clock);
    list.SetCallbackCodes(Encode, Decode);
    for (int i = 0; i < n; ++i) {
      TimedCallbackRequest r;
      r.callback = Fire;
      r.delay = 100u * static_cast<std::uint32_t>(i);
      r.interval = static_cast<std::uint32_t>(i % 3) * 50;
      r.flags = static_cast<std::uint32_t>(i) & 0x1F;
      r.lifetime = 1000;
      r.params[i % kTimedCallbackParams] = static_cast<std::uint32_t>(i);
      list.Post(r);
    }
    ByteWriter records;
    const std::uint32_t count = list.SaveAll(records);
    ByteWriter block;
    block.U32(count);
    block.Bytes(records.Data().data(), records.Size());
    std::ofstream(folder + "/seed" + std::to_string(n) + ".tcb", std::ios::binary)
        .write(reinterpret_cast<const char*>(block.Data().data()), static_cast<std::streamsize>(block.Size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Buffer().Reset();
  CTimer clock;
  CTimedCallbackList list;
  if (!list.CreateEntries(&Buffer())) __builtin_trap();
  list.SetClocks(&clock, &clock);
  list.SetCallbackCodes(Encode, Decode);
  ByteReader in(data, size);
  const std::uint32_t count = in.U32();
  list.LoadAll(in, count);
  if (in.Position() > size) __builtin_trap();
  for (int i = 0; i < list.GetCapacity(); ++i) {
    const TimedCallbackEntry* e = list.GetEntry(i);
    if (e->state == TIMED_CALLBACK_ARMED && e->callback != Fire) __builtin_trap();
    if (e->state != TIMED_CALLBACK_ARMED && e->state != TIMED_CALLBACK_FREE) __builtin_trap();
  }
  list.Update();
  return 0;
}
