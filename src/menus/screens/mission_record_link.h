// What the menu screens read and change of the game's mission record
// (`g_Mission`, shell/mission/mission.h): the result word, the mission id,
// the level names, the retry flag and the save counts.  Each answers as a
// freshly reset record would while no record exists (before game initialise,
// after shut-down).  Main thread only.
#pragma once

#include <cstdint>

// The result word (0 running, 1 failed, 2 won) and the mission id.
std::int32_t MissionRecordResult();
std::int32_t MissionRecordId();
// CMission::Reset.
void MissionRecordReset();
// The campaign records back to their start (CMission::ResetCampaignRecords).
void MissionRecordResetCampaign();
// The next level's name, or null when none is named.
const char* MissionRecordNextLevel();
// The running level's name, or null when none is named.
const char* MissionRecordLevelName();
// The level is played again after a failure.
void MissionRecordSetRetry();
// One more save made in this mission.
void MissionRecordCountSave();
// The saves the player has left in this mission (0 without a record).
int MissionRecordSavesLeft();
