// An automatic-save region: a region of the level tied to an optional
// mission objective.  The game shell keeps such records in a list and saves
// the game when a player reaches one; this is how one record is built.
#pragma once

#include <cstdint>

class CRegion;
struct MissionObjective;

struct SaveRegionRecord {
  std::uint32_t active = 0;                // 1 when the region was found
  CRegion* region = nullptr;               // the region, or none
  MissionObjective* objective = nullptr;   // the objective it belongs to, or none
  std::uint32_t state = 0;                 // the list's own checks
  SaveRegionRecord* next = nullptr;        // set by the list
};

class CSaveRegion : public SaveRegionRecord {
 public:
  // The record of region `regionIndex` of the level's region list (inactive
  // when there is none) and objective `objectiveId` of the mission record
  // (255: no objective).
  CSaveRegion(int regionIndex, std::uint8_t objectiveId);
};

// The mission record's objective by id (null when it has none).  The mission
// record installs it; until it does, objectives are reported as not built yet.
using ObjectiveLookup = MissionObjective* (*)(int id);
void SetSaveRegionObjectiveLookup(ObjectiveLookup lookup);
