#include "mission_routines.h"

#include "mission_globals.h"
#include "mission_setup.h"

namespace mission1 {

constexpr uint32_t kUnlimitedUses = 0xFFFFFFFFu;

void SendToWaypoint(int32_t unit, int32_t waypoint) {
  g_Script->UnitGoToWaypoint(unit, waypoint);
  g_Script->UnitSetOrder(unit, 0);
}

void RefreshSpawnType(int type) {
  const int unit = SpawnUnit(type);
  if (unit < 0) return;
  const ScriptFunctionTable& s = *g_Script;
  const SpawnPointRecord* record = s.SpawnPointGet(type);
  if (record != nullptr && record->state == 2) return;
  if (s.ObjectIsActive(unit) != 0) return;
  s.SpawnPointEnable(type, 0);
}

void AddSpawnCount(int n, uint32_t amount) {
  SpawnPointRecord* record = g_Script->SpawnPointGet(n);
  if (record == nullptr || record->usesLeft == kUnlimitedUses) return;
  const uint32_t room = kUnlimitedUses - 1 - record->usesLeft;
  record->usesLeft += amount < room ? amount : room;
}

void SendHuntingTarget(int32_t unit, int32_t target) {
  const ScriptFunctionTable& s = *g_Script;
  if (s.ObjectIsDead(target) != 0) return;
  s.GruntSetStanceRun(unit);
  s.UnitSetAlertness(unit, 4);
  s.UnitSetHuntTarget(unit, target);
  s.UnitSetOrder(unit, 6);
}

void SendHunting(int32_t unit) {
  const ScriptFunctionTable& s = *g_Script;
  const bool prisonerFirst =
      g_State.prisonerFreed != 0 && (s.ObjectIsDead(0) != 0 || s.GruntIsHoldingItem(31, 112) != 0);
  SendHuntingTarget(unit, prisonerFirst ? 31 : 0);
}

void FirstWaveReinforcement() {
  RefreshSpawnType(0);
  RefreshSpawnType(1);
  AddSpawnCount(0, 2);
  AddSpawnCount(1, 2);
}

void StartAlarmSound() {
  const ScriptFunctionTable& s = *g_Script;
  s.SoundChannelDisable(0);
  s.SoundChannelEnable(0);
  s.SoundChannelSetParam(0, 0.0f);
  g_State.alarmSoundTime = Now() + 30000;
}

void RaiseAlarm() {
  if (g_State.alarmRaised != 0) return;
  const ScriptFunctionTable& s = *g_Script;
  s.ScreenShowMessage(0xD451C58Du, 5000);
  g_State.alarmRaised = 1;
  g_State.delayedAlarmTime = 0;
  StartAlarmSound();
  s.DoorSetOpen(65, 1.0f);
  const int32_t guards[] = {12, 4, 110, 99};
  for (int32_t guard : guards) s.UnitSetAlertness(guard, 3);
  RefreshSpawnType(0);
  RefreshSpawnType(1);
  SendHunting(6);
}

void MissionArmBridgeAlarm() {
  if (g_State.delayedAlarmTime != 0 || g_State.alarmRaised != 0) return;
  g_Script->DebugPrintf("Bridge alarm will start soon\n");
  g_State.delayedAlarmTime = Now() + 10000;
}

void ArmFailTimer(uint32_t delay) {
  const uint32_t when = Now() + delay;
  if (g_State.failTime != 0 && g_State.failTime <= when) return;
  g_State.failTime = when;
}

void CompleteObjective(int32_t id, int32_t score) {
  const ScriptFunctionTable& s = *g_Script;
  if (g_State.prisonerFreed != 0 && g_State.building47Destroyed != 0) {
    s.ObjectiveSetShown(g_ObjectiveHandles[kObjectiveHidden], 1);
    s.ScreenShowMessage(0x88DE5B3Eu, 5000);
  } else {
    s.ScreenShowMessage(0x88DE5BE5u, 5000);
  }
  s.ObjectiveComplete(id);
  s.MissionAddScore(score);
}

void StartCueTimeline() {
  if (g_State.cueTimelineRunning != 0) return;
  g_Script->SoundPlayAtObject(271, 3438, g_MissionBank, 10000.0f);
  g_State.cueTimelineRunning = 1;
  g_State.cueTimelineStart = Now();
  g_State.cueTimelineLastElapsed = 0;
}

void LaunchBoat() {
  const ScriptFunctionTable& s = *g_Script;
  s.ObjectActivate(76);
  s.VehicleSetSpeed(76, 0.4f);
  g_State.boatLaunched = 1;
  s.EmitterRestart(8);
  ScriptVec3 mooring = {0, 0, 0};
  s.WaypointGetPosition(&mooring, 109);
  s.SoundPlayAtWithValue(&mooring, 2069, g_MissionBank);
}

void MissionEnd() {
  const ScriptFunctionTable& s = *g_Script;
  s.MissionAddScore(55);
  s.MissionSetEndValues(10, 25);
  s.MissionSetEntry(20, 0);
  s.MissionSetResult(2);
  s.MissionSetNextLevel("FrontEnd.dll");
}

}  // namespace mission1
