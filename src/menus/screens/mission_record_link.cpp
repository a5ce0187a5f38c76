#include "menus/screens/mission_record_link.h"

#include "shell/mission/mission.h"

std::int32_t MissionRecordResult() { return CurrentMissionResult(); }

std::int32_t MissionRecordId() { return CurrentMissionId(); }

void MissionRecordReset() {
  if (g_Mission != nullptr) g_Mission->Reset();
}

void MissionRecordResetCampaign() {
  if (g_Mission != nullptr) g_Mission->ResetCampaignRecords();
}

const char* MissionRecordNextLevel() {
  if (g_Mission == nullptr) return nullptr;
  const char* name = g_Mission->GetNextLevel();
  return name[0] != '\0' ? name : nullptr;
}

const char* MissionRecordLevelName() {
  if (g_Mission == nullptr) return nullptr;
  const char* name = g_Mission->GetLevelName();
  return name[0] != '\0' ? name : nullptr;
}

void MissionRecordSetRetry() {
  if (g_Mission != nullptr) g_Mission->Retry = 1;
}

void MissionRecordCountSave() {
  if (g_Mission != nullptr) ++g_Mission->SavesMade;
}

int MissionRecordSavesLeft() { return g_Mission != nullptr ? g_Mission->GetSavesRemaining() : 0; }
