// Layout (the per-slot fields repeat for slots 0-4; inventory arrays hold
// 25 items x 5 slots, item i of slot m at index i x 5 + m):
//   0 id i32 | 4 result i32 | 8 start time u32 | 12 saves made u8
//   13 level name 35 | 48 next level 36 (NUL-terminated)
//   84 template ids 5 x u32 | 104 values a | 124 skins | 144 ranks
//   164 skills 5 x 11 bytes, 1 unused | 220 values c | 240 health 5 x f32
//   260 nine inventory arrays of 125 u32 (name hash, quantity, flags, six
//       weapon words)
//   4760 selected item 5 x i32 | 4780 score u32 | 4784 status of objectives
//   0-5 | 4790 2 unused | 4792 nine statistics counters of 5 u32
//   4972 missions survived 5 x u8 | 4977 3 unused
#include "shell/mission/mission_block.h"

#include <cstring>
#include <string>

#include "foundation/byte_reader.h"
#include "foundation/system/debug_output.h"
#include "shell/mission/mission.h"

namespace {

constexpr std::size_t kNextLevelBytes = 36;

// What a block holds, taken apart before anything is applied.
struct BlockFields {
  std::int32_t id = -1;
  std::int32_t result = 0;
  std::uint32_t startTime = 0;
  std::uint8_t savesMade = 0;
  char levelName[kMissionNameField] = {};
  char nextLevel[kMissionNameField] = {};
  MissionSquadSlot slots[kSquadSlots];
  std::uint32_t score = 0;
  std::uint8_t statuses[MissionBlock::kObjectiveStatuses] = {};
};

std::uint32_t* InventoryWord(MissionInventoryEntry& e, int array) {
  switch (array) {
    case 0: return &e.nameHash;
    case 1: return &e.quantity;
    case 2: return &e.flags;
    default: return &e.weaponWords[array - 3];
  }
}

std::uint32_t InventoryWord(const MissionInventoryEntry& e, int array) {
  return *InventoryWord(const_cast<MissionInventoryEntry&>(e), array);
}

constexpr int kInventoryArrays = 3 + kItemWeaponWords;

// A name field: a NUL within the record's 35 bytes, and no control character.
bool ReadName(ByteReader& in, std::size_t bytes, char (&out)[kMissionNameField], const char* what) {
  const std::size_t at = in.Position();
  const std::uint8_t* p = in.View(bytes);
  if (p == nullptr) return false;
  std::size_t length = 0;
  while (length < static_cast<std::size_t>(kMissionNameField) && p[length] != 0) {
    if (p[length] < 0x20 || p[length] == 0x7F) {
      DebugTrace("Mission record: the %s at offset %zu holds a control character; block refused\n", what, at);
      return false;
    }
    ++length;
  }
  if (length >= static_cast<std::size_t>(kMissionNameField)) {
    DebugTrace("Mission record: the %s at offset %zu has no end within %d bytes; block refused\n", what, at,
               kMissionNameField);
    return false;
  }
  std::memcpy(out, p, length);
  out[length] = '\0';
  return true;
}

bool ReadFields(ByteReader& in, BlockFields& f) {
  const std::size_t base = in.Position();
  if (!in.HasRoom(MissionBlock::kSize)) {
    DebugTrace("Mission record: the block at offset %zu is cut short (%zu of %u bytes); block refused\n", base,
               in.Remaining(), MissionBlock::kSize);
    return false;
  }
  f.id = in.I32();
  f.result = in.I32();
  f.startTime = in.U32();
  f.savesMade = in.U8();
  if (!ReadName(in, kMissionNameField, f.levelName, "level name")) return false;
  if (!ReadName(in, kNextLevelBytes, f.nextLevel, "next level")) return false;
  for (MissionSquadSlot& s : f.slots) s.templateId = in.U32();
  for (MissionSquadSlot& s : f.slots) s.valueA = in.U32();
  for (MissionSquadSlot& s : f.slots) s.skin = in.U32();
  for (MissionSquadSlot& s : f.slots) s.rank = in.U32();
  for (MissionSquadSlot& s : f.slots) in.Bytes(s.skills, kSquadSkills);
  in.Skip(1);
  for (MissionSquadSlot& s : f.slots) s.valueC = in.U32();
  for (MissionSquadSlot& s : f.slots) s.health = in.F32();
  for (int array = 0; array < kInventoryArrays; ++array)
    for (int item = 0; item < kSquadItems; ++item)
      for (MissionSquadSlot& s : f.slots) *InventoryWord(s.inventory[item], array) = in.U32();
  for (MissionSquadSlot& s : f.slots) s.selectedItem = in.I32();
  f.score = in.U32();
  in.Bytes(f.statuses, MissionBlock::kObjectiveStatuses);
  in.Skip(2);
  for (int counter = 0; counter < kSlotStatistics; ++counter)
    for (MissionSquadSlot& s : f.slots) s.statistics[counter] = in.U32();
  for (MissionSquadSlot& s : f.slots) s.missionsSurvived = in.U8();
  in.Skip(3);
  if (!in.Ok() || in.Position() - base != MissionBlock::kSize) return false;

  if (f.result < MISSION_RUNNING || f.result > MISSION_SUCCEEDED) {
    DebugTrace("Mission record: result %d at offset %zu is not 0, 1 or 2; block refused\n", f.result, base + 4);
    return false;
  }
  for (int m = 0; m < kSquadSlots; ++m)
    if (f.slots[m].selectedItem < -1 || f.slots[m].selectedItem >= kSquadItems) {
      DebugTrace("Mission record: selected item %d of slot %d at offset %zu is outside -1..24; block refused\n",
                 f.slots[m].selectedItem, m, base + 4760 + 4 * static_cast<std::size_t>(m));
      return false;
    }
  return true;
}

}  // namespace

void MissionBlock::Write(const CMission& mission, ByteWriter& out) {
  out.I32(mission.MissionId);
  out.I32(mission.MissionResult);
  out.U32(mission.StartTime);
  out.U8(mission.SavesMade);
  out.FixedString(mission.levelName_, kMissionNameField);
  out.FixedString(mission.nextLevel_, kNextLevelBytes);
  const MissionSquadSlot* slots = mission.slots_;
  for (int m = 0; m < kSquadSlots; ++m) out.U32(slots[m].templateId);
  for (int m = 0; m < kSquadSlots; ++m) out.U32(slots[m].valueA);
  for (int m = 0; m < kSquadSlots; ++m) out.U32(slots[m].skin);
  for (int m = 0; m < kSquadSlots; ++m) out.U32(slots[m].rank);
  for (int m = 0; m < kSquadSlots; ++m) out.Bytes(slots[m].skills, kSquadSkills);
  out.U8(0);
  for (int m = 0; m < kSquadSlots; ++m) out.U32(slots[m].valueC);
  for (int m = 0; m < kSquadSlots; ++m) out.F32(slots[m].health);
  for (int array = 0; array < kInventoryArrays; ++array)
    for (int item = 0; item < kSquadItems; ++item)
      for (int m = 0; m < kSquadSlots; ++m) out.U32(InventoryWord(slots[m].inventory[item], array));
  for (int m = 0; m < kSquadSlots; ++m) out.I32(slots[m].selectedItem);
  out.U32(mission.Score);
  const MissionObjective* objective = mission.objectives_;
  for (int i = 0; i < kObjectiveStatuses; ++i) {
    out.U8(objective != nullptr ? objective->Status() : 0);
    if (objective != nullptr) objective = objective->Next;
  }
  out.U8(0);
  out.U8(0);
  for (int counter = 0; counter < kSlotStatistics; ++counter)
    for (int m = 0; m < kSquadSlots; ++m) out.U32(slots[m].statistics[counter]);
  for (int m = 0; m < kSquadSlots; ++m) out.U8(slots[m].missionsSurvived);
  out.U8(0);
  out.U8(0);
  out.U8(0);
}

bool MissionBlock::Read(CMission& mission, ByteReader& in, bool reset) {
  BlockFields f;
  const std::size_t start = in.Position();
  if (!ReadFields(in, f)) {
    in.Seek(start);
    return false;
  }
  if (reset) mission.Reset();
  mission.MissionId = f.id;
  mission.MissionResult = f.result;
  mission.StartTime = f.startTime;
  mission.SavesMade = f.savesMade;
  std::memcpy(mission.levelName_, f.levelName, sizeof f.levelName);
  std::memcpy(mission.nextLevel_, f.nextLevel, sizeof f.nextLevel);
  for (int m = 0; m < kSquadSlots; ++m) mission.slots_[m] = f.slots[m];
  mission.Score = f.score;
  MissionObjective* objective = mission.objectives_;
  for (int i = 0; i < kObjectiveStatuses && objective != nullptr; ++i, objective = objective->Next) {
    objective->SetStatus(f.statuses[i]);
    objective->DropDeadMarkerObjects();
  }
  return true;
}
