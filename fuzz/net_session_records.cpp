// Any bytes as the records a session receives: settings as a host answers
// them (taken field by field), a player record and summary, and a world
// block with its three respawn-queue blocks applied to a layer whose
// replication lists hold a few items.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/byte_reader.h"
#include "fuzz_seed_file.h"
#include "net/mp/mp_records.h"
#include "net/mp/multiplayer.h"
#include "net/mp/world_block.h"

namespace {

int g_items[16];

void WriteSeeds(const std::string& folder) {
  ByteWriter out;
  MPSettings settings;
  settings.Defaults();
  std::strcpy(settings.sessionName, "Arena");
  settings.Write(out);
  MPPlayerRecord record;
  record.Empty("Rook");
  record.Write(out);
  PlayerSummary::Of(record).Write(out);
  MPWorldBlock world;
  world.seats[2].inVehicle = 1;
  world.queues[0][4] = 1;
  world.queues[0][6] = 3;
  world.queues[0][46] = 5;
  world.Write(out);
  WriteSeedFile(folder + "/records", out.Data());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  MPSettings received;
  if (!received.Read(in)) return 0;
  MPSettings local;
  local.Defaults();
  local.ApplyReceived(received);
  if (std::strlen(local.sessionName) > 20 || std::strlen(local.hostName) > 19 || std::strlen(local.levelName) > 20)
    __builtin_trap();
  if (local.maxPlayers < 2 || local.maxPlayers > 8 || local.missionType > 6 || local.attackers > 3 ||
      local.defenders > 3 || local.levelIndex > 5)
    __builtin_trap();
  MPPlayerRecord record;
  if (!record.Read(in)) return 0;
  if (record.name[19] != '\0') __builtin_trap();
  PlayerSummary summary;
  if (!summary.Read(in)) return 0;
  MPWorldBlock world;
  if (!world.Read(in)) return 0;
  static CMultiplayer layer;
  CMultiplayer::Scope scope(&layer);
  layer.lists_.Clear();
  for (int& item : g_items) layer.lists_.Add(5, &item);
  const float point[3] = {0, 0, 0};
  for (CMPInterfaceQueue& q : layer.queues_) {
    q.Reset();
    q.AddEntry(point, -1);
    q.AddEntry(point, -1);
  }
  MPReadQueueBlocks(world);
  for (const CMPInterfaceQueue& q : layer.queues_)
    if (q.count_ > 20 || q.pointCount_ != 2) __builtin_trap();
  return 0;
}
