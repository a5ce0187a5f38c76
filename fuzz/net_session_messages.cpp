// Any bytes as one game message arriving at a client or at the host (the
// first byte chooses, the rest is the message after its flag bit): it is
// read and dispatched by the multiplayer layer, whose tables must stay
// within their ranges whatever arrives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "control/players/player_input_msg.h"
#include "fuzz_seed_file.h"
#include "net/bits/bit_stream.h"
#include "net/messages/game_event_message.h"
#include "net/messages/game_message.h"
#include "net/mp/mp_game_hooks.h"
#include "net/mp/multiplayer.h"
#include "net/queues/net_message_record.h"

namespace {

std::vector<std::uint8_t> Bytes(CNetMessage& m, std::uint8_t side) {
  CBitStream s;
  m.Write(s);
  std::uint8_t bytes[400];
  std::uint32_t bits = 0, count = 0;
  s.Begin(CBitStream::MODE_READ);
  s.ExportBytes(bytes, sizeof bytes, &bits, &count);
  s.End();
  std::vector<std::uint8_t> out{side};
  out.insert(out.end(), bytes, bytes + count);
  return out;
}

void WriteSeeds(const std::string& folder) {
  int n = 0;
  auto seed = [&](CNetMessage& m, std::uint8_t side) {
    const auto b = Bytes(m, side);
    WriteSeedFile(folder + "/message_" + std::to_string(n++), b.data(), b.size());
  };
  for (std::uint32_t kind = 1; kind <= 12; ++kind) {
    CGameMessage m(kind);
    m.slot = kind % 8;
    m.state = 7;
    m.SetText("seed text");
    m.world.queues[0][4] = 1;
    m.world.queues[0][6] = 2;
    for (int i = 0; i < 8; ++i) m.table[i] = PlayerSummary::Of(m.record);
    seed(m, 0);
    seed(m, 1);
  }
  for (std::uint32_t kind = 1; kind <= 10; ++kind) {
    CGameEventMessage m(kind);
    m.a = 1;
    m.b = 0;
    m.c = 1;
    m.SetText("hi");
    seed(m, 0);
    seed(m, 1);
  }
  PlayerInputMsg input;
  input.unitId = 3;
  input.controlBits = INPUT_FORWARD;
  input.yaw = 359.9f;
  seed(input, 1);
}

CMultiplayer* Layer() {
  static CMultiplayer* layer = [] {
    auto* l = new CMultiplayer();
    MPHooks().playerInput = ReceivePlayerInput;
    return l;
  }();
  return layer;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size - 1 > 400) return 0;
  CMultiplayer* layer = Layer();
  CMultiplayer::Scope scope(layer);
  layer->localSlot_ = 1;
  layer->settings_.playerCount = 8;
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  const std::uint32_t bits = static_cast<std::uint32_t>((size - 1) * 8);
  if (!s.ImportBytes(data + 1, size - 1, bits)) return 0;
  s.End();
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t flag = 0;
  s.ReadBits(&flag, 1);
  NetMessageRecord record;
  record.Blank();
  layer->DispatchGameMessage(&record, &s, (data[0] & 1) != 0);
  if (layer->localSlot_ < 0 || layer->localSlot_ >= 8) __builtin_trap();
  for (const MPPlayerRecord& r : layer->players_)
    if (r.name[sizeof r.name - 1] != '\0' || r.state > 2) __builtin_trap();
  for (const CMPInterfaceQueue& q : layer->queues_)
    if (q.count_ > 20 || q.pointCount_ > 10 || q.readIndex_ >= 20 || q.writeIndex_ >= 20) __builtin_trap();
  return 0;
}
