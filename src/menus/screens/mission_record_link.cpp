#include "menus/screens/mission_record_link.h"

#include "foundation/system/not_built_yet.h"

MenuMissionRecord g_MenuMission;

void MissionRecordReset() {
  NotBuiltYet("mission record reset");
  g_MenuMission.Result = 0;
}

void MissionRecordResetCampaign() { NotBuiltYet("mission record's campaign records"); }

const char* MissionRecordNextLevel() { return g_MenuMission.NextLevel[0] != '\0' ? g_MenuMission.NextLevel : nullptr; }

const char* MissionRecordLevelName() {
  return g_MenuMission.LevelName[0] != '\0' ? g_MenuMission.LevelName : nullptr;
}
