// Fixtures of the mission record's tests: an object manager of world objects
// without visuals, the units' answers kept per object by a fake access, a
// scratch working folder, and a string table of the tests' own texts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "shell/mission/mission.h"
#include "shell/mission/mission_units.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

namespace mission_test {

// What the fake access answers for one object, and what it was given.
struct FakeUnit {
  std::uint32_t templateId = 0;
  float health = 100.0f;
  bool hidden = false;
  MissionSquadSlot state;  // the soldier's part read by ReadSlotState
  std::uint32_t statistics[kMissionStatistics] = {};
  std::uint32_t awardScore = 0;
  std::uint32_t awardBits = 0;
  std::uint32_t points = 0;
  std::uint32_t second = 0;
  std::uint32_t rank = 1;
  std::int32_t level = -1;
  // Given by the record.
  int applied = 0;
  bool appliedWithHealth = false;
  MissionSquadSlot appliedSlot;
  std::uint32_t scoreGiven = 0, rankStepGiven = 0;
  int scoresGiven = 0;
};

class FakeUnits : public CMissionUnitAccess {
 public:
  FakeUnits() { SetMissionUnitAccess(this); }
  ~FakeUnits() override { SetMissionUnitAccess(nullptr); }

  std::map<const CHLO*, FakeUnit> units;
  std::int32_t sideLevel = 3;

  FakeUnit& Of(CHLO* o) { return units[o]; }
  std::uint32_t GetTemplateId(CHLO* u) override { return Of(u).templateId; }
  float GetHealth(CHLO* o) override { return Of(o).health; }
  bool IsHidden(CHLO* u) override { return Of(u).hidden; }
  void ReadSlotState(CHLO* u, MissionSquadSlot* out) override;
  void ApplySlotState(CHLO* u, const MissionSquadSlot& slot, bool withHealth) override;
  void ReadMissionStatistics(CHLO* u, std::uint32_t out[kMissionStatistics]) override;
  std::uint32_t GetAwardScore(CHLO* u) override { return Of(u).awardScore; }
  bool HasAwardBit(CHLO* u, int bit) override { return (Of(u).awardBits >> bit) & 1u; }
  void SetAwardBit(CHLO* u, int bit) override { Of(u).awardBits |= 1u << bit; }
  std::uint32_t GetPromotionPoints(CHLO* u) override { return Of(u).points; }
  std::uint32_t GetSecondScore(CHLO* u) override { return Of(u).second; }
  std::uint32_t GetRank(CHLO* u) override { return Of(u).rank; }
  void SetRank(CHLO* u, std::uint32_t rank) override { Of(u).rank = rank; }
  void ApplyMissionScore(CHLO* u, std::uint32_t score, std::uint32_t rankStep) override;
  void SetLevel(CHLO* u, std::int32_t level) override { Of(u).level = level; }
  std::int32_t GetSideLevel(int) override { return sideLevel; }
};

// An object manager (4 sides x 10 kinds) that owns plain world objects
// without visuals; it is the game's manager while it lives.
class ObjectWorld {
 public:
  ObjectWorld();
  ~ObjectWorld();
  // An object of the kind on the side with the id, active or not.
  CHLO* Add(int kind, int side, int id, bool active = true);
  CHLOManager manager{4, 10};
};

// A scratch working folder, entered while the object lives; the name holds
// the process id so that runs side by side never share it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  void Touch(const std::string& file) const;
  const std::filesystem::path& Path() const { return folder_; }

 private:
  std::filesystem::path folder_, previous_;
};

// g_Locale holding the given (id, text) pairs while the object lives.
class TestStrings {
 public:
  explicit TestStrings(const std::vector<std::pair<std::uint32_t, std::string>>& strings);
  ~TestStrings();
};

// A slot whose every field is set from `seed` (distinct values everywhere).
MissionSquadSlot PatternSlot(std::uint32_t seed);

}  // namespace mission_test
