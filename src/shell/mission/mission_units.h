// What the mission record reads from and gives to the level's units: the
// squad slot's state of a soldier or vehicle, its awards and promotion
// words, its statistics and its health.  The record walks the object
// manager's lists itself and asks these questions of each object; the unit
// classes answer them through the access they install.  Until they do, the
// record's default access answers neutrally and reports "not built yet".
// Main thread only.
#pragma once

#include <cstdint>

class CHLO;

inline constexpr int kSquadSlots = 5;
inline constexpr int kSquadItems = 25;
inline constexpr int kSquadSkills = 11;
inline constexpr int kItemWeaponWords = 6;
// The eight statistics a mission adds to a slot, then the time in missions.
inline constexpr int kMissionStatistics = 8;
inline constexpr int kSlotStatistics = 9;

// One inventory entry of a squad slot: the item's stats name hash (0 empty),
// its quantity and flags, and for a weapon its six ammunition and state words.
struct MissionInventoryEntry {
  std::uint32_t nameHash = 0;
  std::uint32_t quantity = 0;
  std::uint32_t flags = 0;
  std::uint32_t weaponWords[kItemWeaponWords] = {};
};

// The statistics counters of a slot, in their order.
enum MissionStatistic : int {
  MSTAT_SHOTS = 0,
  MSTAT_HITS = 1,
  MSTAT_COUNT_A = 2,  // the two further counts (misses are hits minus these)
  MSTAT_COUNT_B = 3,
  MSTAT_KILLS_A = 4,  // the two kill counts
  MSTAT_KILLS_B = 5,
  MSTAT_MORE_A = 6,   // the two more counts
  MSTAT_MORE_B = 7,
  MSTAT_TIME = 8,     // time in missions, ms
};

// One squad slot: the state a soldier carries from mission to mission.
struct MissionSquadSlot {
  std::uint32_t templateId = 0;  // the soldier's object-template id; 0 = free slot
  std::uint32_t valueA = 0;      // a soldier word
  std::uint32_t skin = 0;        // the first word of the soldier's skin record
  std::uint32_t rank = 1;
  std::uint32_t valueC = 0;      // a soldier word
  float health = -1.0f;          // -1.0: nothing stored
  std::uint8_t skills[kSquadSkills] = {};
  MissionInventoryEntry inventory[kSquadItems];
  std::int32_t selectedItem = -1;  // index into inventory, -1 none
  std::uint32_t statistics[kSlotStatistics] = {};
  std::uint8_t missionsSurvived = 0;
};

// The questions the record asks of one unit.  An object that is not a unit
// of the two squad kinds (soldier, vehicle) is never handed to it.
class CMissionUnitAccess {
 public:
  virtual ~CMissionUnitAccess() = default;
  // The unit's object-template id (0 none).
  virtual std::uint32_t GetTemplateId(CHLO* unit) = 0;
  // The unit's health; above 0 while it lives.  Also asked of objective
  // marker objects of any kind.
  virtual float GetHealth(CHLO* object) = 0;
  // Whether the unit's visual is hidden.
  virtual bool IsHidden(CHLO* unit) = 0;
  // Fills a slot's soldier part (values a and c, skin, rank, health, skills,
  // the 25 inventory entries with weapon words for weapons, the selected
  // entry) from the unit; the slot's template id and statistics are the
  // record's.
  virtual void ReadSlotState(CHLO* unit, MissionSquadSlot* out) = 0;
  // Gives the unit the slot's skin, rank, skills, selected item and
  // inventory (every entry whose name hash resolves to an item's stats is
  // created and given with its quantity and flags, weapons with their six
  // words), and its health when `withHealth`.
  virtual void ApplySlotState(CHLO* unit, const MissionSquadSlot& slot, bool withHealth) = 0;
  // The eight statistics the unit gathered in this mission.
  virtual void ReadMissionStatistics(CHLO* unit, std::uint32_t out[kMissionStatistics]) = 0;
  // Award words: the award score, award bit k (0-6).
  virtual std::uint32_t GetAwardScore(CHLO* unit) = 0;
  virtual bool HasAwardBit(CHLO* unit, int bit) = 0;
  virtual void SetAwardBit(CHLO* unit, int bit) = 0;
  // Promotion: the points and the second score that breaks a tie; the rank.
  virtual std::uint32_t GetPromotionPoints(CHLO* unit) = 0;
  virtual std::uint32_t GetSecondScore(CHLO* unit) = 0;
  virtual std::uint32_t GetRank(CHLO* unit) = 0;
  virtual void SetRank(CHLO* unit, std::uint32_t rank) = 0;
  // A living unit's share of the mission's score and the rank step value.
  virtual void ApplyMissionScore(CHLO* unit, std::uint32_t score, std::uint32_t rankStep) = 0;
  // The unit's level word, and the level of a side's units.
  virtual void SetLevel(CHLO* unit, std::int32_t level) = 0;
  virtual std::int32_t GetSideLevel(int side) = 0;
};

// Installs the units' access (null restores the default, which reports
// "not built yet" and answers: template id 0, health 1.0, nothing hidden,
// no state, no statistics, no awards, rank 1).
void SetMissionUnitAccess(CMissionUnitAccess* access);
CMissionUnitAccess& MissionUnits();
