// The game's record of the mission being played: its id and its result,
// the words the units and the frame read.  One record lives from game
// initialise to game shut-down; a level change resets it.  The rest of the
// record (texts, objectives, squad state, statistics) comes with the mission
// flow; until then only these words exist.  Main thread only.
#pragma once

#include <cstdint>

// The result word: the mission runs, has failed or has succeeded.
enum MissionResultValue : std::int32_t {
  MISSION_RUNNING = 0,
  MISSION_FAILED = 1,
  MISSION_SUCCEEDED = 2,
};

// The mission id of a level started without a mission plug-in.
inline constexpr std::int32_t kMissionIdWithoutPlugin = 20;

class CMission {
 public:
  // A reset record.
  CMission() { Reset(); }
  // Id -1 (no mission), result running.
  void Reset();
  // Stores the result.
  void SetResult(std::int32_t result) { MissionResult = result; }

  // -1 after a reset; 20 when a level starts without a mission plug-in.
  std::int32_t MissionId = -1;
  // MissionResultValue.
  std::int32_t MissionResult = MISSION_RUNNING;
};

// The game's mission record; null outside game initialise .. shut-down.
extern CMission* g_Mission;

// The result word, MISSION_RUNNING without a record.
std::int32_t CurrentMissionResult();
// The mission id, -1 without a record.
std::int32_t CurrentMissionId();
