// The records the multiplayer session keeps and sends: the session's
// settings (92 bytes), the player records (52 bytes, one per slot) and the
// player summaries of the player table (44 bytes).  Each reads and writes
// itself field by field in its little-endian layout; the readers check what
// came from the network (texts terminated, numbers in range).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "foundation/byte_reader.h"

// The six multiplayer levels' plug-in names, by level index (a larger index
// uses the last one).
const char* MPLevelPluginName(int levelIndex);

// Game mode of a mission type ({2, 0, 1, 3, 4, 5, 6}[type]); 2 outside 0..6.
int MPGameModeOfMissionType(int missionType);
// Army code of a side ({0, 1, 3, 2}[side]); 0 outside 0..3.
int MPArmyOfSide(int side);

struct MPSettings {
  static constexpr std::size_t kSize = 92;
  static constexpr int kMaxPlayers = 8;

  char hostName[20];
  char sessionName[21];
  char levelName[21];
  std::uint8_t levelIndex;
  std::uint8_t maxPlayers;
  std::uint8_t playerCount;
  std::uint8_t attackers;
  std::uint8_t defenders;
  std::uint8_t missionType;
  std::uint8_t timeOption;
  std::uint8_t weaponCache;
  std::uint8_t otSupport;
  std::uint8_t respawn;
  std::uint8_t friendlyFire;
  std::uint32_t requestedState;
  std::uint32_t seed;

  // The values before any saved one is loaded: 8 players, mission type 0,
  // level 0, time option 1, weapon cache 1, OT support 0, respawn 1,
  // friendly fire 1, sides 0 and 1, host "Player", one player.
  void Defaults();
  // Sets the level index and its plug-in name.
  void SetLevel(int index);

  void Write(ByteWriter& out) const;
  // Reads 92 bytes as they lie (texts terminated); false when fewer remain.
  bool Read(ByteReader& in);
  std::array<std::uint8_t, kSize> ToBytes() const;

  // Takes the fields of settings that arrived from the network: every field
  // that is in the range the registry loader accepts replaces the local one,
  // any other keeps the local value; the texts are terminated and the level
  // name follows the level index.  Answers how many fields were out of range.
  int ApplyReceived(const MPSettings& received);
};

struct MPPlayerRecord {
  static constexpr std::size_t kSize = 52;
  static constexpr std::uint8_t kNoTeam = 3;
  static constexpr std::uint8_t kNoCharacter = 255;

  std::uint32_t size;
  char name[20];
  std::uint8_t team;
  std::uint8_t character;
  std::uint8_t dead;
  std::uint32_t deathTime;
  std::uint32_t deaths;
  std::uint32_t score;
  std::uint32_t state;  // 0 empty or left, 1 joined, 2 ready
  std::uint32_t spawned;
  std::uint8_t pendingTeam;
  std::uint8_t pendingCharacter;

  // An empty slot: size 52, the name given, team 3, pending team 3 and
  // character 255, everything else 0.
  void Empty(const char* defaultName);

  void Write(ByteWriter& out) const;
  bool Read(ByteReader& in);
  // Whether every field of a record from the network is one this game
  // knows: team 0, 1 or 3, character 0..3, state 0..2, pending team 0, 1
  // or 3, pending character 0..3 or 255 (the name is terminated by Read).
  bool IsValid() const;
};

struct PlayerSummary {
  static constexpr std::size_t kSize = 44;

  std::uint32_t size;
  char name[20];
  std::uint8_t team;
  std::uint8_t character;
  std::uint32_t deaths;
  std::uint32_t score;
  std::uint32_t state;
  std::uint8_t pendingTeam;
  std::uint8_t pendingCharacter;

  static PlayerSummary Of(const MPPlayerRecord& record);
  void Write(ByteWriter& out) const;
  bool Read(ByteReader& in);
  bool IsValid() const;
};

// Copies text into a fixed field, cut to fit and always terminated.
void MPCopyName(char* field, std::size_t capacity, const char* text);
