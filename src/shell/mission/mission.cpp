#include "shell/mission/mission.h"

CMission* g_Mission = nullptr;

void CMission::Reset() {
  MissionId = -1;
  MissionResult = MISSION_RUNNING;
}

std::int32_t CurrentMissionResult() { return g_Mission != nullptr ? g_Mission->MissionResult : MISSION_RUNNING; }

std::int32_t CurrentMissionId() { return g_Mission != nullptr ? g_Mission->MissionId : -1; }
