#include "shell/game/save_header.h"

#include "foundation/byte_reader.h"
#include "world/objects/chlo.h"

std::uint16_t SaveObjectCounts::OfKind(int kind) const {
  switch (kind) {
    case HLO_GRUNT: return soldiers;
    case HLO_VEHICLE: return vehicles;
    case HLO_FEATURE: return features;
    case HLO_BUILDING: return buildings;
    case HLO_ITEM: return items;
    case HLO_WEAPON: return weapons;
    case HLO_DOOR: return doors;
    case HLO_CORPSE: return corpses;
    default: return 0;
  }
}

void SaveObjectCounts::SetKind(int kind, std::uint16_t count) {
  switch (kind) {
    case HLO_GRUNT: soldiers = count; break;
    case HLO_VEHICLE: vehicles = count; break;
    case HLO_FEATURE: features = count; break;
    case HLO_BUILDING: buildings = count; break;
    case HLO_ITEM: items = count; break;
    case HLO_WEAPON: weapons = count; break;
    case HLO_DOOR: doors = count; break;
    case HLO_CORPSE: corpses = count; break;
    default: break;
  }
}

void WriteSaveHeader(const SaveHeader& h, ByteWriter& out) {
  out.U32(h.missionId);                 // 0
  out.U32(h.version);                   // 4
  out.U16(h.counts.soldiers);           // 8
  out.U16(h.counts.vehicles);           // 10
  out.U16(h.counts.features);           // 12
  out.U16(h.counts.buildings);          // 14
  out.U16(h.counts.items);              // 16
  out.U16(h.counts.weapons);            // 18
  out.U16(h.counts.doors);              // 20
  out.U16(0);                           // 22
  out.U16(h.counts.corpses);            // 24
  out.U16(h.savedInstances);            // 26
  out.U8(h.timedCallbacks);             // 28
  out.U8(0);
  out.U16(0);                           // 29..31
  out.U32(h.gameTime);                  // 32
  out.U32(h.realTime);                  // 36
  out.U32(h.environmentWords[0]);       // 40
  out.U32(h.environmentWords[1]);       // 44
  for (std::int32_t id : h.playerSoldiers) out.I32(id);  // 48
  out.U32(h.playerMask);                // 64
  out.U32(0);                           // 68
  out.U32(h.playerNation);              // 72
  out.U32(h.difficulty);                // 76
  out.U32(h.cheatFlags);                // 80
  out.U16(h.playerSkillBonus);          // 84
  out.U16(0);                           // 86
  out.F32(h.soundFloats[0]);            // 88
  out.F32(h.soundFloats[1]);            // 92
  for (std::uint32_t w : h.mouseWords) out.U32(w);  // 96
  out.U32(0);                           // 112
  out.U32(h.soundMasks[0]);             // 116
  out.U32(h.soundMasks[1]);             // 120
  out.U32(h.pluginStateSize);           // 124
  for (int i = 0; i < 5; ++i) out.U32(0);  // 128..147
}

bool ReadSaveHeader(ByteReader& in, SaveHeader* header) {
  if (!in.HasRoom(kSaveHeaderSize)) return false;
  SaveHeader h;
  h.missionId = in.U32();
  h.version = in.U32();
  h.counts.soldiers = in.U16();
  h.counts.vehicles = in.U16();
  h.counts.features = in.U16();
  h.counts.buildings = in.U16();
  h.counts.items = in.U16();
  h.counts.weapons = in.U16();
  h.counts.doors = in.U16();
  in.U16();
  h.counts.corpses = in.U16();
  h.savedInstances = in.U16();
  h.timedCallbacks = in.U8();
  in.Skip(3);
  h.gameTime = in.U32();
  h.realTime = in.U32();
  h.environmentWords[0] = in.U32();
  h.environmentWords[1] = in.U32();
  for (std::int32_t& id : h.playerSoldiers) id = in.I32();
  h.playerMask = in.U32();
  in.U32();
  h.playerNation = in.U32();
  h.difficulty = in.U32();
  h.cheatFlags = in.U32();
  h.playerSkillBonus = in.U16();
  in.U16();
  h.soundFloats[0] = in.F32();
  h.soundFloats[1] = in.F32();
  for (std::uint32_t& w : h.mouseWords) w = in.U32();
  in.U32();
  h.soundMasks[0] = in.U32();
  h.soundMasks[1] = in.U32();
  h.pluginStateSize = in.U32();
  in.Skip(20);
  if (!in.Ok()) return false;
  *header = h;
  return true;
}

void SetSoundMaskEntry(std::uint32_t masks[2], int entry) {
  if (entry < 0 || entry >= kSaveSoundEntries) return;
  masks[entry < kSaveSoundEntriesPerMask ? 0 : 1] |= 1u << (entry % 32);
}

bool SoundMaskEntry(const std::uint32_t masks[2], int entry) {
  if (entry < 0 || entry >= kSaveSoundEntries) return false;
  return (masks[entry < kSaveSoundEntriesPerMask ? 0 : 1] >> (entry % 32) & 1u) != 0;
}
