// Any bytes read as the mission record's block, over a fresh record (the
// reset) and over a record with objectives (the restore of a saved game): a
// refused block changes nothing and leaves the reader where it was; an
// accepted one ends just behind its 4980 bytes, holds terminated names that
// fit their fields, and writes back to the same bytes but for the unused ones.
//
// Seeds: run with HALBERD_WRITE_SEEDS=<folder> to write blocks the record's
// writer makes (a reset record, and one with every field set).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "fuzz_seed_file.h"
#include "shell/mission/mission.h"
#include "shell/mission/mission_block.h"

namespace {

std::vector<std::uint8_t> Block(const CMission& mission) {
  ByteWriter out;
  MissionBlock::Write(mission, out);
  return out.Data();
}

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    CMission empty;
    WriteSeedIn(folder, "reset.block", Text(Block(empty)));
    CMission full;
    full.MissionId = 4;
    full.MissionResult = MISSION_SUCCEEDED;
    full.SavesMade = 1;
    full.SetNextLevel("Mission5.dll");
    full.Score = 1234;
    for (int s = 0; s < kSquadSlots; ++s) {
      MissionSquadSlot& slot = full.Slot(s);
      slot.templateId = 500u + static_cast<std::uint32_t>(s);
      slot.health = 80.0f;
      slot.rank = 3;
      slot.selectedItem = s;
      for (int i = 0; i < kSquadItems; i += 4) slot.inventory[i] = {0x1234567u + static_cast<std::uint32_t>(i), 2, 1, {30, 1}};
      for (std::uint32_t& statistic : slot.statistics) statistic = 7;
    }
    for (int i = 0; i < 3; ++i) full.AddObjective(i);
    full.FindObjective(1)->SetBits(OBJECTIVE_COMPLETED);
    WriteSeedIn(folder, "squad.block", Text(Block(full)));
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool reset : {true, false}) {
    CMission mission;
    for (int i = 0; i < 6; ++i) mission.AddObjective(i);
    mission.SetText(9, 0);
    ByteReader in(data, size);
    if (!MissionBlock::Read(mission, in, reset)) {
      if (in.Position() != 0 || mission.MissionId != -1 || mission.ObjectiveCount() != 6 || mission.GetTextId(0) != 9)
        __builtin_trap();
      continue;
    }
    if (in.Position() != MissionBlock::kSize) __builtin_trap();
    if (std::strlen(mission.GetLevelName()) >= kMissionNameField ||
        std::strlen(mission.GetNextLevel()) >= kMissionNameField)
      __builtin_trap();
    if (mission.MissionResult < 0 || mission.MissionResult > 2) __builtin_trap();
    const std::vector<std::uint8_t> again = Block(mission);
    if (again.size() != MissionBlock::kSize) __builtin_trap();
    // The fields read back alike; names are compared up to their NUL, the
    // unused bytes and (after a reset) the objective statuses not at all.
    for (std::size_t i = 0; i < MissionBlock::kSize; ++i) {
      const bool name = (i >= 13 && i < 84), unused = i == 219 || (i >= 4790 && i < 4792) || i >= 4977,
                 status = i >= 4784 && i < 4790;
      if (name || unused || status) continue;
      if (again[i] != data[i]) __builtin_trap();
    }
    if (std::strncmp(mission.GetLevelName(), reinterpret_cast<const char*>(data + 13), kMissionNameField) != 0)
      __builtin_trap();
  }
  return 0;
}
