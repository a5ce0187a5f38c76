// What the menu screens read and change of the mission record: the result
// word, the mission id, the level names, the retry flag, the save counts and
// the return-to-front-end flag.  The record itself comes with its own issue;
// until then its words live here, and the record's own steps (reset, the
// campaign records, the default save name) report "not built yet" where
// they are reached.  Main thread only.
#pragma once

#include <cstdint>

struct MenuMissionRecord {
  std::int32_t Result = 0;      // 0 running, 1 failed, 2 won
  std::int32_t MissionId = -1;  // the running mission's number
  std::uint32_t Retry = 0;      // the level is played again after a failure
  std::uint8_t SavesUsed = 0;   // saves used in this mission
  std::int32_t SavesLeft = 0;   // shown by the save screen
  std::uint32_t ReturnToFrontEnd = 0;  // set by the mission script
  char LevelName[256] = "";     // the running level's plug-in
  char NextLevel[256] = "";     // the plug-in that follows it
};
extern MenuMissionRecord g_MenuMission;

// The record's reset: the result word back to 0 (the rest is the record's).
void MissionRecordReset();
// The campaign records back to their start.
void MissionRecordResetCampaign();
// The next level's name, or null when none is named.
const char* MissionRecordNextLevel();
// The running level's name, or null when none is named.
const char* MissionRecordLevelName();
