// The 148-byte header at the front of every saved game: the mission, the
// format version, the object counts, the clocks, the local players'
// soldiers, the difficulty, the nation, the cheat words, the sound and
// mouse settings.  Written and read field by field, little-endian.
#pragma once

#include <cstdint>

class ByteReader;
class ByteWriter;

inline constexpr std::uint32_t kSaveFormatVersion = 16;
inline constexpr std::uint32_t kSaveHeaderSize = 148;
inline constexpr int kSaveLocalPlayers = 4;
// Entries of the sound manager's table that the two masks carry.
inline constexpr int kSaveSoundEntries = 40;
inline constexpr int kSaveSoundEntriesPerMask = 20;

// Cheat flag bits of the header.
enum SaveCheatFlags : std::uint32_t {
  SAVE_CHEAT_PLAYER_DAMAGE = 1,
  SAVE_CHEAT_WORD_A = 2,
  SAVE_CHEAT_ENEMY_AI = 4,
  SAVE_CHEAT_ENEMY_SKILL_ZERO = 8,
};

// Object counts in the header's order of kinds.
struct SaveObjectCounts {
  std::uint16_t soldiers = 0;   // kind 1
  std::uint16_t vehicles = 0;   // kind 0
  std::uint16_t features = 0;   // kind 2
  std::uint16_t buildings = 0;  // kind 3
  std::uint16_t items = 0;      // kind 5
  std::uint16_t weapons = 0;    // kind 6
  std::uint16_t doors = 0;      // kind 7
  std::uint16_t corpses = 0;    // kind 9
  // The count of a kind (0 for kinds that write no record).
  std::uint16_t OfKind(int kind) const;
  void SetKind(int kind, std::uint16_t count);
  bool operator==(const SaveObjectCounts&) const = default;
};

struct SaveHeader {
  std::uint32_t missionId = 0;
  std::uint32_t version = kSaveFormatVersion;
  SaveObjectCounts counts;
  std::uint16_t savedInstances = 0;  // instances marked for saving
  std::uint8_t timedCallbacks = 0;   // entries of the timed callback section
  std::uint32_t gameTime = 0;
  std::uint32_t realTime = 0;
  std::uint32_t environmentWords[2] = {};
  std::int32_t playerSoldiers[kSaveLocalPlayers] = {-1, -1, -1, -1};
  std::uint32_t playerMask = 0;
  std::uint32_t playerNation = 0;
  std::uint32_t difficulty = 0;
  std::uint32_t cheatFlags = 0;
  std::uint16_t playerSkillBonus = 0;
  float soundFloats[2] = {};
  std::uint32_t mouseWords[4] = {};
  std::uint32_t soundMasks[2] = {};
  // Bytes of the mission plug-in's state behind the mission record (0: no
  // plug-in was bound), so that a reader can place every later section
  // without the plug-in.  Kept in the first of the header's six spare words.
  std::uint32_t pluginStateSize = 0;

  bool operator==(const SaveHeader&) const = default;
};

// Appends exactly kSaveHeaderSize bytes.
void WriteSaveHeader(const SaveHeader& header, ByteWriter& out);
// Reads kSaveHeaderSize bytes; false when they are not all there (the
// header is then left as it was).  Any version is read: the caller checks it.
bool ReadSaveHeader(ByteReader& in, SaveHeader* header);

// Sets bit (entry mod 32) of the mask that holds entry 0..39: entries 0-19
// go to the first mask, 20-39 to the second (so 32-39 wrap to bits 0-7).
void SetSoundMaskEntry(std::uint32_t masks[2], int entry);
bool SoundMaskEntry(const std::uint32_t masks[2], int entry);
