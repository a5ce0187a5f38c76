#include "shell/mission/mission_units.h"

#include "foundation/system/not_built_yet.h"

namespace {

// Until the units install theirs: every question is reported and answered
// neutrally, so the record's own part still runs.
class CMissionUnitsNotBuilt final : public CMissionUnitAccess {
 public:
  std::uint32_t GetTemplateId(CHLO*) override { return Report(), 0; }
  float GetHealth(CHLO*) override { return Report(), 1.0f; }
  bool IsHidden(CHLO*) override { return Report(), false; }
  void ReadSlotState(CHLO*, MissionSquadSlot*) override { Report(); }
  void ApplySlotState(CHLO*, const MissionSquadSlot&, bool) override { Report(); }
  void ReadMissionStatistics(CHLO*, std::uint32_t out[kMissionStatistics]) override {
    Report();
    for (int i = 0; i < kMissionStatistics; ++i) out[i] = 0;
  }
  std::uint32_t GetAwardScore(CHLO*) override { return Report(), 0; }
  bool HasAwardBit(CHLO*, int) override { return Report(), false; }
  void SetAwardBit(CHLO*, int) override { Report(); }
  std::uint32_t GetPromotionPoints(CHLO*) override { return Report(), 0; }
  std::uint32_t GetSecondScore(CHLO*) override { return Report(), 0; }
  std::uint32_t GetRank(CHLO*) override { return Report(), 1; }
  void SetRank(CHLO*, std::uint32_t) override { Report(); }
  void ApplyMissionScore(CHLO*, std::uint32_t, std::uint32_t) override { Report(); }
  void SetLevel(CHLO*, std::int32_t) override { Report(); }
  std::int32_t GetSideLevel(int) override { return Report(), 0; }

 private:
  static void Report() { NotBuiltYet("units' squad state for the mission record"); }
};

CMissionUnitsNotBuilt g_notBuilt;
CMissionUnitAccess* g_access = &g_notBuilt;

}  // namespace

void SetMissionUnitAccess(CMissionUnitAccess* access) { g_access = access != nullptr ? access : &g_notBuilt; }

CMissionUnitAccess& MissionUnits() { return *g_access; }
