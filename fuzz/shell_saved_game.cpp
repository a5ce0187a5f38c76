// Any bytes as a saved game: the checks, the header's application and the
// restore into an empty game must refuse or read them without reading past
// the buffer; a buffer that passes the checks is one the reader restores
// without a fault.
//
// Seeds: run with HALBERD_WRITE_SEEDS=<folder> to write saved games the game
// record builds (a mission running, a mission won) and one of another
// version.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "shell/game/game.h"
#include "shell/mission/mission.h"

namespace {

std::vector<std::uint8_t> BuiltSave(std::int32_t result) {
  g_Mission->Reset();
  g_Mission->MissionId = 4;
  g_Mission->MissionResult = result;
  g_Mission->SetNextLevel("Mission1.dll");
  CGame game;
  if (!game.Build()) std::abort();
  return game.Buffer();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_Mission = new CMission;
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeedFile(std::string(folder) + "/running.sav", BuiltSave(MISSION_RUNNING));
    WriteSeedFile(std::string(folder) + "/won.sav", BuiltSave(MISSION_SUCCEEDED));
    std::vector<std::uint8_t> other = BuiltSave(MISSION_RUNNING);
    other[4] = 15;
    WriteSeedFile(std::string(folder) + "/version15.sav", other);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  g_Mission->Reset();
  CGame game;
  SaveHeader header;
  SaveLayout layout;
  std::string why;
  const bool valid = CheckSaveBuffer(bytes.data(), bytes.size(), &header, &layout, &why);
  const bool loaded = game.LoadBuffer(bytes.data(), bytes.size());
  if (valid != loaded) __builtin_trap();
  if (!loaded) {
    if (game.LoadPending != 0 || game.RestorePending != 0) __builtin_trap();
    return 0;
  }
  if (!game.IsSaveValid()) __builtin_trap();
  game.ApplyPlayerViews();
  if (game.RestorePending != 0) game.Restore();
  if (game.RestorePending != 0 || game.LoadPending != 0) __builtin_trap();
  return 0;
}
