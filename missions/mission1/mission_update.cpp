#include "mission_update.h"

#include <stdio.h>

#include "cutscene_chains.h"
#include "mission_globals.h"
#include "mission_routines.h"
#include "mission_setup.h"
#include "route_links.h"

namespace mission1 {

namespace {

bool SideIn(int32_t region) { return g_Script->RegionContainsPlayerSide(region) != 0; }
bool Dead(int32_t id) { return g_Script->ObjectIsDead(id) != 0; }

// A cue: the marker texture at the waypoint, and the convoy's last two
// vehicles destroyed when they are near it.
void Cue(int32_t waypoint) {
  const ScriptFunctionTable& s = *g_Script;
  s.TexturePlaceAtWaypoint(waypoint, 44);
  const int32_t vehicles[] = {309, 301};
  for (int32_t v : vehicles)
    if (s.ObjectIsNearWaypoint(v, waypoint, 300.0f) != 0) s.ObjectKill(v, -1);
}

constexpr uint32_t kCueStep = 25;       // ms between cues
constexpr uint32_t kCueLast = 725;      // the last cue, which stops the timeline
constexpr int32_t kCueFirstWaypoint = 320;
constexpr uint32_t kSoundCue = 500;     // the prisoner's shout

void DebugOverlay() {
  const ScriptFunctionTable& s = *g_Script;
  char text[96];
  snprintf(text, sizeof text, "Zone ID:%d Free grunt slots:%d", static_cast<int>(s.EnvironmentGetValue()),
           static_cast<int>(s.SpawnGetFreeCapacity()));
  s.DebugShowWorldText(text, s.PlayerGetUnitId(0), 0xFFFFFFFFu);
}

void DebugKeys() {
  const ScriptFunctionTable& s = *g_Script;
  if (s.InputIsKeyDown(2)) StartCueTimeline();
  const int32_t teleports[] = {122, 110, 165, 166};
  for (int i = 0; i < 4; ++i)
    if (s.InputIsKeyDown(3 + i)) s.PlayerTeleportToWaypoint(teleports[i]);
  if (s.InputIsKeyDown(7)) s.SquadSelectNextUnit();
  if (s.InputIsKeyDown(8)) LaunchBoat();
  if (s.InputIsKeyDown(9)) s.BuildingDestroy(47);
  if (s.InputIsKeyDown(10) && s.ObjectIsActive(82) == 0) {
    s.UnitRespawn(82);
    s.ObjectSetStateBit3(82);
    s.GruntSetStanceRun(82);
    s.UnitSetAlertness(82, 4);
  }
}

void Timers() {
  const ScriptFunctionTable& s = *g_Script;
  if (TimePassed(g_State.alarmSoundTime)) {
    s.SoundChannelSetParam(0, 0.05f);
    g_State.alarmSoundTime = 0;
  }
  if (TimePassed(g_State.delayedAlarmTime)) {
    g_State.delayedAlarmTime = 0;
    RaiseAlarm();
  }
  if (TimePassed(g_State.channel1Time)) {
    s.SoundChannelEnable(1);
    g_State.channel1Time = 0;
  }
}

void SpawnControl() {
  const ScriptFunctionTable& s = *g_Script;
  g_State.spareByte6 = 0;
  if (g_State.region27Latch == 0 && SideIn(27)) {
    g_State.region27Latch = 1;
    for (int type = 2; type <= 5; ++type) RefreshSpawnType(type);
    if (g_State.alarmRaised != 0)
      StartAlarmSound();
    else
      RaiseAlarm();
    if (s.ObjectIsInRegion(249, 26) != 0) {
      g_State.vehicle249ToWaypoint214 = 1;
      SendToWaypoint(249, 214);
    } else {
      s.WaypointSetParamA(120, 214);
    }
  }
  if (g_State.finalSpawnLatch == 0 && g_State.prisonerFreed != 0 && g_State.building47Destroyed != 0 && SideIn(16)) {
    g_State.finalSpawnLatch = 1;
    s.DebugPrintf("Final extra spawn enabled\n");
    for (int type = 3; type <= 5; ++type) RefreshSpawnType(type);
    for (int n = 3; n <= 5; ++n) AddSpawnCount(n, 1);
  }
}

bool ClosedForGood(int n) {
  const SpawnPointRecord* record = g_Script->SpawnPointGet(n);
  return record != nullptr && record->state == 2;
}

void CloseSpawnPoints() {
  const ScriptFunctionTable& s = *g_Script;
  if (g_State.alarmRaised != 0 && !ClosedForGood(0) && SideIn(6)) s.SpawnPointDisable(8, 1);
  if ((!ClosedForGood(0) || !ClosedForGood(1)) && SideIn(3)) {
    s.SpawnPointDisable(0, 1);
    s.SpawnPointDisable(1, 1);
  }
  if ((!ClosedForGood(2) || !ClosedForGood(3) || !ClosedForGood(4) || !ClosedForGood(5)) && SideIn(4))
    for (int n = 2; n <= 5; ++n) s.SpawnPointDisable(n, 1);
}

bool TriggerBitClear(uint32_t bit) { return (g_State.triggerBits & bit) == 0; }

void MainTriggers() {
  const ScriptFunctionTable& s = *g_Script;
  MissionState& st = g_State;
  const uint32_t now = Now();
  // 1: vehicle 249 starts.
  if (st.region24Or25Latch == 0 && (SideIn(25) || SideIn(24))) {
    st.region24Or25Latch = 1;
    SendToWaypoint(249, 238);
  }
  // 2: the prisoner's bit 30 follows his side.
  s.ObjectSetStatusBit30(31, s.ObjectGetSide(31) == 0 ? 1 : 0);
  // 3: hunters 291 and 277 wake.
  if (TriggerBitClear(kTriggerRegion22Or27Hunters) && (SideIn(22) || SideIn(27))) {
    st.triggerBits |= kTriggerRegion22Or27Hunters;
    s.ObjectActivate(291);
    s.ObjectActivate(277);
  }
  // 4: unit 6 to the tower.
  if (TriggerBitClear(kTriggerRegion22Unit6) && SideIn(22)) {
    st.triggerBits |= kTriggerRegion22Unit6;
    if (s.UnitGetOrder(6) == 0) s.UnitGoToWaypoint(6, 99);
    st.triggerBits |= kTriggerRegion32Vehicle292;
  }
  // 5: the boat leaves its mooring.
  if (s.MissionGetResult() == 0 && st.boatLaunched == 0 && st.prisonerFreed != 0 && st.building47Destroyed != 0 &&
      SideIn(2))
    LaunchBoat();
  // 6: the prisoner calls out once his torturer is dead.
  if (st.prisonerCallLatch == 0 && st.prisonerFreed == 0 && Dead(14) && s.ObjectIsInRegion(0, 18) != 0 && !Dead(31)) {
    st.prisonerCallLatch = 1;
    s.SoundPlayAtObject(31, 3093, g_MissionBank, 1000.0f);
    if (SinglePlayer()) s.UnitRequestState106(31);
  }
  // 7: three vehicles start.
  if (st.region0Latch == 0 && SideIn(0)) {
    st.region0Latch = 1;
    s.ObjectActivate(239);
    s.ObjectActivate(238);
    s.ObjectActivate(273);
    s.VehicleSetSpeed(239, 4.0f);
    s.VehicleSetSpeed(238, 5.0f);
    s.VehicleSetSpeed(273, 1.0f);
  }
  // 8: the convoy's first vehicle.
  if (st.region16ConvoyLatch == 0 && SideIn(16)) {
    st.region16ConvoyLatch = 1;
    SendToWaypoint(141, 148);
    s.VehicleSetSpeed(141, 0.25f);
    st.convoyStep2Pending = 1;
    st.convoyStep2Done = 0;
    st.convoyStep2Time = now + 1000;
  }
  // 9, 10: vehicle 141 sent on when it stands idle.
  if (st.region12To14Latch == 0 && (SideIn(12) || SideIn(13) || SideIn(14))) {
    st.region12To14Latch = 1;
    if (s.ObjectHasWaypoint(141) == 0 && st.vehicle141HeldBack == 0) SendToWaypoint(141, 156);
    s.WaypointSetParamA(161, 156);
  }
  if (st.region17Latch == 0 && SideIn(17)) {
    st.region17Latch = 1;
    if (s.ObjectHasWaypoint(141) == 0 && st.vehicle141HeldBack == 0) SendToWaypoint(141, 123);
    s.WaypointSetParamA(163, 123);
  }
  // 11: unit 2 tries twice to get going, then walks to the pier; its retry
  // time is cleared after the last try.
  if (TimePassed(st.unit2RetryTime) && s.UnitIsInState112(2) == 0) {
    if (st.unit2Retries < 2) {
      s.UnitRequestState92(2);
      ++st.unit2Retries;
    } else {
      s.UnitSetStatusBit7(2, 0);
      SendToWaypoint(2, 272);
      s.GruntSetStanceRun(2);
      st.unit2RetryTime = 0;
    }
  }
  // 12, 13, 14: objects and vehicles wake as the squad comes near.
  if (TriggerBitClear(kTriggerRegion10Object69) && SideIn(10)) {
    st.triggerBits |= kTriggerRegion10Object69;
    s.ObjectActivate(69);
  }
  if (TriggerBitClear(kTriggerRegion31Vehicle265) && SideIn(31)) {
    st.triggerBits |= kTriggerRegion31Vehicle265;
    s.ObjectActivate(265);
    s.VehicleSetSpeed(265, 1.0f);
    s.UnitSetAlertness(267, 3);
    s.UnitSetAlertness(2, 3);
  }
  if (TriggerBitClear(kTriggerRegion16Vehicle271) && SideIn(16)) {
    st.triggerBits |= kTriggerRegion16Vehicle271;
    s.ObjectActivate(271);
    s.VehicleSetSpeed(271, 1.0f);
    s.ObjectActivate(267);
  }
  // 15, 16: the convoy's next two vehicles, a second apart.
  if (st.convoyStep2Pending != 0 && st.convoyStep2Done == 0 && TimePassed(st.convoyStep2Time)) {
    st.convoyStep2Done = 1;
    st.convoyStep2Pending = 0;
    SendToWaypoint(301, 241);
    s.VehicleSetSpeed(301, 0.4f);
    st.convoyStep3Pending = 1;
    st.convoyStep3Time = Now() + 1000;
  }
  if (st.convoyStep3Pending != 0 && st.convoyStep3Done == 0 && TimePassed(st.convoyStep3Time)) {
    st.convoyStep3Done = 1;
    st.convoyStep3Pending = 0;
    SendToWaypoint(309, 282);
    s.VehicleSetSpeed(309, 0.05f);
  }
  // 17: the tower's guards.
  if (st.prisonerFreed == 0 && TriggerBitClear(kTriggerRegion32Vehicle292) && SideIn(32)) {
    st.triggerBits |= kTriggerRegion32Vehicle292;
    s.ObjectActivate(292);
    s.VehicleSetSpeed(292, 0.75f);
    s.ObjectActivate(272);
    s.ObjectActivate(3);
    s.GruntSetStanceRun(272);
    s.GruntSetStanceRun(3);
  }
  // 18: vehicle 302.
  if (TriggerBitClear(kTriggerRegion10Vehicle302) && SideIn(10)) {
    st.triggerBits |= kTriggerRegion10Vehicle302;
    s.ObjectActivate(302);
    s.VehicleSetSpeed(302, 1.0f);
    s.VehicleSetFullTraverse(302, 0);
  }
}

void FailTimerCheck() {
  if (!TimePassed(g_State.failTime)) return;
  g_Script->PlayerControlEnable(1);
  g_Script->MissionSetResult(1);
}

void FailCheck() {
  const ScriptFunctionTable& s = *g_Script;
  if (s.MissionGetResult() == 1) return;
  FailTimerCheck();
  if (s.UnitIsOutOfPlay(31) != 0) {
    s.ScreenShowMessage(0xAB52B7DFu, 5000);
    ArmFailTimer(330);
  } else if (!Dead(0)) {
    if (Dead(31) && g_State.prisonerFreed == 0 && SinglePlayer()) {
      s.ScreenShowMessage(0xAB52B7DFu, 5000);
      ArmFailTimer(3000);
    }
  } else if (!(g_State.prisonerFreed != 0 && !Dead(31))) {
    ArmFailTimer(330);
  }
}

void ShowHint() {
  const ScriptFunctionTable& s = *g_Script;
  if (s.MissionGetResult() != 0 || s.MovieCameraIsIdle() == 0) return;
  if (g_State.hintsEnabled != 0) {
    uint32_t text = 0;
    if (g_State.prisonerFreed == 0) {
      text = 0x02B45E2Au;
    } else if (g_State.item71Taken == 0 || g_State.item72Taken == 0) {
      text = 0xB45E2AAAu;
    } else if (g_State.building47Destroyed == 0) {
      text = 0x02B45E9Cu;
    } else {
      ScriptVec3 mooring = {0, 0, 0};
      s.WaypointGetPosition(&mooring, 109);
      if (s.PlayerIsNearPoint(&mooring, 1000.0f) == 0) text = 0x02B45E47u;
    }
    if (text != 0) {
      const char* key = s.InputGetActionKeyText(14);
      s.MessageShowText(text, key != nullptr ? key : "", 14);
    }
    return;
  }
  const int32_t unit = s.PlayerGetUnitId(0);
  if (unit != -1 && s.GruntCarriesItemId(unit, 72) != 0 && s.RegionContainsPlayer(9) != 0)
    s.MessageShowText(0x10F55A6Bu);
}

void EndCheck() {
  const ScriptFunctionTable& s = *g_Script;
  if (s.MissionGetResult() != 0 || g_State.failTime != 0) return;
  if (g_State.boatArrived == 1 && g_State.prisonerFreed != 0 && g_State.building47Destroyed != 0 &&
      s.ObjectIsNearObject(31, 76, 1000.0f) != 0 && s.ObjectIsNearObjectOrOut(0, 76, 1000.0f) != 0 &&
      s.SideIsOutOfPlay(0) != 0) {
    MissionEnd();
    return;
  }
  ShowHint();
}

void EscapeTimer() {
  if (!TimePassed(g_State.escapeEndTime)) return;
  const ScriptFunctionTable& s = *g_Script;
  g_State.escapeEndTime = 0;
  if (!Dead(0) || !Dead(31)) {
    CompleteObjective(g_ObjectiveHandles[kObjectiveEscape], 10);
    g_State.hintsEnabled = 1;
  }
  s.SetScreenLock(0);
  s.PlayerControlEnable(1);
  s.LetterboxHide();
  s.CameraReturnToPlayer(0);
  s.MovieCamerasStopAll();
  s.AIEnable();
  s.SetScreenLock(0);
}

void GamePhaseChecks() {
  const ScriptFunctionTable& s = *g_Script;
  UpdateCueTimeline();
  if (s.DebugIsEnabledAlt() != 0) {
    DebugOverlay();
    DebugKeys();
  }
  Timers();
  SpawnControl();
  CloseSpawnPoints();
  MainTriggers();
  Timers();
  FailCheck();
  EndCheck();
  EscapeTimer();
  if (g_State.building47Destroyed != 0 && g_State.door65Open == 0) s.DoorSetOpen(65, 1.0f);
}

}  // namespace

// Each cue fires on the frame whose elapsed time passes its threshold
// (last <= T < elapsed), so a frame that jumps several fires each once, in
// order; the first frame with time elapsed fires the first cue.
void UpdateCueTimeline() {
  MissionState& st = g_State;
  if (st.cueTimelineRunning == 0) return;
  const uint32_t elapsed = Now() - st.cueTimelineStart;
  const uint32_t last = st.cueTimelineLastElapsed;
  if (last == 0 && elapsed != 0) Cue(kCueFirstWaypoint);
  for (uint32_t t = kCueStep; t <= kCueLast && st.cueTimelineRunning != 0; t += kCueStep) {
    if (!(last <= t && t < elapsed)) continue;
    if (t == kSoundCue) g_Script->SoundPlayAtObject(31, 3093, g_MissionBank, 1000.0f);
    Cue(kCueFirstWaypoint + static_cast<int32_t>(t / kCueStep));
    if (t == kCueLast) {
      st.cueTimelineRunning = 0;
      g_Script->ObjectKill(309, -1);
      g_Script->ObjectKill(301, -1);
    }
  }
  st.cueTimelineLastElapsed = elapsed;
}

void MissionIdleFrame() {
  const ScriptFunctionTable& s = *g_Script;
  g_GameOrMovieStatus = kStatusIntro;
  s.MovieSetIdle(1);
  s.SoundSuppressEntry(1);
  s.CutsceneStart();
  s.PlayerControlEnable(0);
  CutsceneStage1();
}

void MissionGameFrame() {
  const ScriptFunctionTable& s = *g_Script;
  s.TimeOfDaySet(6.06f);
  s.TimeOfDaySetValue(11.0f);
  s.TimeOfDaySetRate(30.0f);
  s.ObjectsResetAll();
  const int32_t lightsOff[] = {21, 20, 16, 13, 10, 9, 11, 12};
  for (int32_t light : lightsOff) s.LightDisable(light);
  s.MusicPlayInterfaceTrack(23);
  g_GameOrMovieStatus = kStatusGame;
  s.GameSetScriptFlag(0);
  if (SinglePlayer()) {
    s.ObjectSetSide(31, 2);
    s.PlayerAttachToUnit(0, 0);
    s.UnitSetFormationSlot(31, 0);
  } else {
    s.ObjectSetSide(31, 0);
    s.UnitSetOrder(31, 1);
  }
  s.UnitSetHealthFraction(31, 0.25f);
  s.UnitSetStatusBit10(31, 0, 1);
  s.ScreenRefresh();
  s.SidesSetHostile(0, 2);
  s.SidesSetHostile(1, 2);
  s.UnitSetAlertness(31, 4);
  CreateSpawnPoints();
  s.SpawnPointsDisableAll();
  s.ObjectSetStatusBit5(12);
  s.GruntEnterVehicle(4, 113);
  s.UnitRaiseSkillLevel(4, 3);
  s.UnitSetStatusBit7(2, 1);
  const int32_t bit30Off[] = {239, 238, 255, 265, 271, 273, 292};
  for (int32_t id : bit30Off) s.ObjectSetStatusBit30(id, 0);
  s.UnitGoToWaypoint(249, -1);
  s.ObjectActivate(249);
  s.ObjectActivate(99);
  s.ScreenSetReturnId(1);
  s.ObjectSetStateBit4(111, 1);
}

void MissionUpdate() {
  const ScriptFunctionTable& s = *g_Script;
  RouteLinkSwitch();
  if (g_FirstFrameDone == 0) {
    s.UnitRaiseSkillLevel(0, 2);
    s.UnitRaiseSkillLevel(31, 2);
    int32_t skill = s.SideGetAverageSkill(0);
    if (s.DifficultyIsEasiest() != 0)
      skill -= 3;
    else if (s.DifficultyIsHardest() != 0)
      skill -= 1;
    else
      skill -= 2;
    s.SideSetSkillLevel(1, skill < 0 ? 0 : skill);
    switch (g_GameOrMovieStatus) {
      case kStatusIntro: MissionIdleFrame(); break;
      case kStatusGame: MissionGameFrame(); break;
      case kStatusOpening: break;
      default: ReportWeirdStatus(); break;
    }
    s.VehicleSetSpeed(249, 0.5f);
    MissionStartUpStep();
    g_FirstFrameDone = 1;
  }
  switch (g_GameOrMovieStatus) {
    case kStatusIntro:
      if (s.CutsceneCheckSkip() == 1) SkipCutscene();
      break;
    case kStatusOpening:
      if (s.CutsceneCheckSkip() == 1) SkipOpening();
      break;
    case kStatusGame:
      GamePhaseChecks();
      break;
    default:
      ReportWeirdStatus();
      break;
  }
}

}  // namespace mission1
