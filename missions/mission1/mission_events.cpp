#include "mission_events.h"

#include "cutscene_chains.h"
#include "mission_globals.h"
#include "mission_routines.h"
#include "mission_setup.h"
#include "mission_update.h"

namespace mission1 {

namespace {

// The handler's cases; every code 0..59 maps to one (kCaseNone: not handled).
enum EventCase : uint8_t {
  kCaseNone,
  kCaseAccepted,  // handled, nothing to do
  kCaseUnitDied,
  kCaseUnitDeactivated,
  kCaseItemTaken,
  kCaseUnitAlarmed,
  kCaseBuildingDestroyed,
  kCaseVehicleDestroyed,
  kCaseWaypointReached,
  kCasePathEnded,
  kCaseRouteEnded,
  kCaseSwitchChanged,
  kCaseRefuseDesignator,
  kCaseSpawnPointChosen,
  kCaseEndMission,
  kCaseCutsceneEnded,
  kCaseDoorChanged,
  kCaseExplosion,
  kCaseBoarded,
  kCaseObjectivesShown,
  kCaseChargeUse,
  kCaseAllowDrop,
  kCasePickUp,
  kCaseVehicleMenu,
  kCaseControlSwitch,
  kCaseItemCount,
  kCaseAwareness,
  kCaseBriefingDone,
};

constexpr uint32_t kHandledCodes = 60;
constexpr EventCase kEventCases[kHandledCodes] = {
    kCaseUnitDied,          kCaseUnitDeactivated, kCaseAccepted,         kCaseItemTaken,        // 0-3
    kCaseUnitAlarmed,       kCaseBuildingDestroyed, kCaseVehicleDestroyed, kCaseNone,           // 4-7
    kCaseWaypointReached,   kCasePathEnded,       kCaseRouteEnded,       kCaseAccepted,         // 8-11
    kCaseNone,              kCaseSwitchChanged,   kCaseAccepted,         kCaseRefuseDesignator, // 12-15
    kCaseSpawnPointChosen,  kCaseEndMission,      kCaseCutsceneEnded,    kCaseAccepted,         // 16-19
    kCaseAccepted,          kCaseDoorChanged,     kCaseAccepted,         kCaseAccepted,         // 20-23
    kCaseExplosion,         kCaseAccepted,        kCaseNone,             kCaseBoarded,          // 24-27
    kCaseAccepted,          kCaseAccepted,        kCaseAccepted,         kCaseAccepted,         // 28-31
    kCaseObjectivesShown,   kCaseNone,            kCaseNone,             kCaseNone,             // 32-35
    kCaseNone,              kCaseNone,            kCaseAccepted,         kCaseChargeUse,        // 36-39
    kCaseAllowDrop,         kCasePickUp,          kCaseVehicleMenu,      kCaseControlSwitch,    // 40-43
    kCaseItemCount,         kCaseNone,            kCaseNone,             kCaseNone,             // 44-47
    kCaseNone,              kCaseNone,            kCaseNone,             kCaseNone,             // 48-51
    kCaseAwareness,         kCaseNone,            kCaseNone,             kCaseNone,             // 52-55
    kCaseNone,              kCaseNone,            kCaseNone,             kCaseBriefingDone,     // 56-59
};

const ScriptFunctionTable& S() { return *g_Script; }

// Event 8: a unit reached a waypoint.
void WaypointReached(int32_t unit, int32_t waypoint) {
  const ScriptFunctionTable& s = S();
  MissionState& st = g_State;
  if (unit == 14 && waypoint == 52) {
    // The torturer raises the alarm.
    ScriptVec3 roof = {0, 0, 0};
    s.WaypointGetPosition(&roof, 59);
    s.SoundPlayAtWithValue(&roof, 1151, g_MissionBank);
    st.channel1Time = Now() + 2000;
    MissionArmBridgeAlarm();
    FirstWaveReinforcement();
    s.UnitSetStatusBit7(14, 0);
    SendHunting(14);
    s.DebugPrintf("Trigger: IRAQI_TORTURER has raised the alarm!\n");
  } else if (unit == 31 && waypoint == 39) {
    // The prisoner reaches the boat and is armed.
    s.ObjectSetSide(31, 0);
    s.UnitSetOrder(31, 1);
    s.ScreenRefresh();
    s.GruntAddItem(31, 33);
    s.GruntSelectWeaponById(31, 33);
    s.GruntAddItem(31, 245);
    s.GruntAddItem(31, 52);
    if (st.building47Destroyed == 0) s.SoundPlayAtObject(31, 1732, g_MissionBank, 1000.0f);
    st.hintsEnabled = 1;
    s.UnitSetFormationSlot(31, 1);
    s.UnitSetStatusBit7(31, 0);
  } else if (unit == 76 && waypoint == 55) {
    st.boatArrived = 1;
  } else if (unit == 82 && waypoint == 71) {
    s.ObjectClearStateBit3(82);
    s.GruntSetStanceWalk(82);
  } else if (unit == 141) {
    switch (waypoint) {
      case 125:
        s.ObjectSetStateBit4(111, 0);
        break;
      case 129:  // unit 164 leaves the truck
        s.UnitSetOrder(164, 0);
        s.UnitGoToWaypoint(164, 9);
        s.GruntExitVehicle(164);
        s.ObjectPlayAnim(141, g_DoorAnimation, 1);
        s.UnitRequestState104Or105(164, 1);
        s.GruntSetStanceWalk(164);
        break;
      case 149:
        st.unit2RetryTime = Now();
        break;
      case 150:
        st.unit2RetryTime = 0;
        s.VehicleSetSpeed(141, 0.25f);
        break;
      case 152:
        s.VehicleSetSpeed(141, 1.0f);
        break;
      case 155:
        s.VehicleSetSpeed(141, 0.25f);
        if (st.door65Open != 0) {
          s.WaypointSetParamA(155, 161);
        } else {
          s.DoorSetOpen(65, 1.0f);
          st.vehicle141HeldBack = 1;
        }
        break;
      case 158:
        st.routeLinkRequest = 1;
        break;
      case 161:
        if (st.alarmRaised == 0) s.DoorSetOpen(65, 0.0f);
        break;
      default:
        break;
    }
  } else if ((unit == 238 || unit == 239) && (waypoint == 351 || waypoint == 357)) {
    s.SoundPlayAtObject(unit, 3166, g_MissionBank, 10000.0f);
  } else if (unit == 249) {
    if (waypoint == 214) st.vehicle249ToWaypoint214 = 1;
    if (waypoint == 218) s.VehicleSetSpeed(249, 4.0f);
    if (waypoint == 228) s.VehicleSetSpeed(249, 1.0f);
  } else if (unit == 271 && waypoint == 261) {
    StartCueTimeline();
    s.MovieCamerasSetParams(25.0f, 0.0f, 2000.0f);
    s.UnitRequestState78(267);
    s.GruntSetStanceRun(267);
  } else if (unit == 302 && waypoint == 265) {
    s.UnitSetNerve(302, 0);
  }
}

// Event 21 on door 37 with the open code: the prisoner is free.  A second
// report of the open door (it closed and opened again) frees no one twice.
void FreePrisoner() {
  const ScriptFunctionTable& s = S();
  MissionState& st = g_State;
  if (st.prisonerFreed != 0) return;
  s.ObjectSetStatusBit9(31, 1);
  s.ObjectSetStatusBit30(31, 1);
  st.prisonerFreed = 1;
  st.triggerBits |= kTriggerRegion32Vehicle292;
  s.GameSetScriptFlag(1);
  s.UnitSetStatusBit10(31, 1, 1);
  st.prisonerCallLatch = 1;
  CompleteObjective(g_ObjectiveHandles[kObjectiveFreePrisoner], 10);
  if (SinglePlayer()) {
    s.GruntSetStanceRun(31);
    s.UnitSetStatusBit7(31, 1);
    s.UnitSetOrder(31, 0);
    s.UnitGoToWaypoint(31, 37);
  }
  RefreshSpawnType(6);
  RefreshSpawnType(7);
  RefreshSpawnType(8);
}

void DoorChanged(int32_t door, int32_t code) {
  const ScriptFunctionTable& s = S();
  MissionState& st = g_State;
  if (door == 37 && code == MISSION_DOOR_STARTED_OPENING) {
    s.DoorSetOpen(36, 1.0f);
    s.MovieCameraStart(0, 38);
    s.GruntRemoveItem(0, 70);
    s.UnitRequestState103(31);
  } else if (door == 37 && code == MISSION_DOOR_IS_OPEN) {
    FreePrisoner();
  } else if (door == 65) {
    if (code == MISSION_DOOR_IS_OPEN) {
      if (st.vehicle141HeldBack != 0) {
        st.vehicle141HeldBack = 0;
        s.UnitGoToWaypoint(141, 161);
        s.UnitSetOrder(141, 0);
        s.VehicleSetSpeed(141, 0.25f);
      }
      st.door65Open = 1;
    } else {
      st.door65Open = 0;
    }
  }
}

// Event 16: a spawn point chose to spawn its unit.
void RespawnSpawnType(int32_t type) {
  const ScriptFunctionTable& s = S();
  switch (type) {
    case 0:
    case 1: {
      const int32_t unit = type == 0 ? 23 : 24;
      s.DoorSetOpen(46, 1.0f);
      s.DoorSetOpen(38, 1.0f);
      s.UnitRespawn(unit);
      s.GruntSetStanceRun(unit);
      s.UnitSetAlertness(unit, 4);
      s.UnitSetHuntTarget(unit, 0);
      s.UnitSetOrder(unit, 6);
      break;
    }
    case 2:
    case 3:
    case 4:
    case 5: {
      const int32_t unit = SpawnUnit(type);
      s.DoorSetOpen(45, 1.0f);
      s.DoorSetOpen(44, 1.0f);
      s.UnitRespawn(unit);
      SendHunting(unit);
      break;
    }
    case 6:
      s.UnitRespawn(87);
      s.GruntSetStanceRun(87);
      s.UnitSetAlertness(87, 4);
      break;
    case 7:
      s.UnitRespawn(109);
      break;
    case 8:
      s.UnitRespawn(82);
      s.ObjectSetStateBit3(82);
      s.GruntSetStanceRun(82);
      s.UnitSetAlertness(82, 4);
      break;
    default:
      break;
  }
}

// Event 5 on building 47: the dump blows up and the squad escapes.
void EscapeSequence() {
  const ScriptFunctionTable& s = S();
  MissionState& st = g_State;
  int32_t players = s.PlayersGetCount();
  if (players > 4) players = 4;
  for (int32_t i = 0; i < players; ++i) s.PlayerAttachToUnit(s.PlayerGetUnitId(i), i);
  s.PlayerControlEnable(0);
  s.LetterboxShow();
  s.MovieCameraStart(0, 39);
  s.SetScreenLock(0);
  st.escapeEndTime = Now() + 3500;
  s.RegionApplyToVehicles(20);
  if (s.PlayerIsNearObject(47, 8000.0f) != 0) s.MovieCamerasSetParams(25.0f, 0.0f, 2000.0f);
  ScriptVec3 dump = {0, 0, 0};
  s.ObjectGetPosition(&dump, 47);
  s.SoundPlayAtWithValue(&dump, 2030, g_MissionBank);
  s.SoundChannelDisable(2);
  st.building47Destroyed = 1;
  s.DoorSetOpen(65, 1.0f);
  const int32_t emitters[] = {6, 4, 5, 3};
  for (int32_t e : emitters) s.EmitterRestart(e);
  const int32_t caught[] = {31, 0};
  for (int32_t unit : caught)
    if (s.ObjectIsNearWaypoint(unit, 20, 1200.0f) != 0) s.ObjectKill(unit, -1);
  if (s.ObjectIsNearWaypoint(249, 20, 1200.0f) != 0) {
    s.ObjectKill(249, -1);
  } else if (st.vehicle249ToWaypoint214 == 0) {
    s.UnitGoToWaypoint(249, -1);
    s.UnitSetOrder(249, 1);
  }
  MissionArmBridgeAlarm();
}

// Event 52: a unit noticed another object.
void Awareness(int32_t unit, int32_t other) {
  const ScriptFunctionTable& s = S();
  MissionState& st = g_State;
  if (st.firstNoticeOfNothing == 0 && other == 0) {
    st.firstNoticeOfNothing = 1;
    s.ObjectClearTimer(141);
    s.WaypointSetParamB(149, 0);
  }
  if (unit == 3 || unit == 272 || unit == 277 || unit == 291) {
    SendHuntingTarget(unit, other);
  } else if (unit == 14 && st.unit14NoticedLatch == 0) {
    st.unit14NoticedLatch = 1;
    if (s.UnitGetOrder(68) == 0) {
      ScriptVec3 p = {0, 0, 0};
      s.WaypointGetPosition(&p, 210);
      s.UnitRouteToPoint(68, &p);
    }
    if (st.alarmRaised != 0) {
      FirstWaveReinforcement();
    } else {
      ScriptVec3 p = {0, 0, 0};
      s.WaypointGetPosition(&p, 50);
      s.UnitRouteToPoint(14, &p);
      s.UnitSetStatusBit7(14, 1);
      s.GruntSetStanceRun(14);
    }
  }
}

// Event 59: the briefing closed; the opening starts.
void BriefingDone() {
  const ScriptFunctionTable& s = S();
  if (g_GameOrMovieStatus == kStatusOpening || g_GameOrMovieStatus == kStatusGame) return;
  if (g_GameOrMovieStatus != kStatusIntro) {
    ReportWeirdStatus();
    return;
  }
  s.ScreenFadeIn(0.0f, 0, 0, 0);
  g_GameOrMovieStatus = kStatusOpening;
  s.MovieSetIdle(0);
  s.SoundSuppressEntry(1);
  s.CutsceneStart();
  s.CutsceneResume(1);
  s.PlayerControlEnable(0);
  OpeningStage1();
}

// Event 18: a sequence ended: the intro leads to the briefing, the opening
// to play.
void CutsceneEnded() {
  const ScriptFunctionTable& s = S();
  switch (g_GameOrMovieStatus) {
    case kStatusIntro:
      if (s.PlayersGetCount() > 1) {
        s.ObjectSetSide(31, 0);
        s.UnitSetOrder(31, 1);
      } else {
        s.ObjectSetSide(31, 2);
      }
      s.ScreenShowBriefing();
      s.SoundSuppressEntry(0);
      break;
    case kStatusOpening:
      s.SoundSuppressEntry(0);
      MissionGameFrame();
      break;
    case kStatusGame:
      break;
    default:
      ReportWeirdStatus();
      break;
  }
}

}  // namespace

int32_t MissionHandleEvent(uint32_t code, MissionEventWord* w) {
  if (code != MEV_CUTSCENE_ENDED && code != MEV_BRIEFING_DONE && g_GameOrMovieStatus != kStatusGame) return 1;
  if (code >= kHandledCodes) return 0;
  const EventCase c = kEventCases[code];
  if (c == kCaseNone) return 0;
  const ScriptFunctionTable& s = S();
  MissionState& st = g_State;
  // Cases that read or write the block do nothing without one.
  switch (c) {
    case kCaseAccepted:
      break;
    case kCaseUnitDied:
      if (w == nullptr) break;
      if (w[0] == 164 && s.GruntIsHoldingItem(164, 141) != 0) s.ObjectKill(141, -1);
      s.WaypointSetParamB(149, 0);
      break;
    case kCaseUnitDeactivated:
      if (w != nullptr) RefreshSpawnType(SpawnPointOfUnit(w[0]));
      break;
    case kCaseItemTaken:
      if (w == nullptr) break;
      if (w[1] == 71) {
        if (st.item72Taken != 0 && st.item71Taken == 0) CompleteObjective(g_ObjectiveHandles[kObjectiveItems], 0);
        st.item71Taken = 1;
      } else if (w[1] == 72) {
        if (st.item71Taken != 0 && st.item72Taken == 0) CompleteObjective(g_ObjectiveHandles[kObjectiveItems], 0);
        st.item72Taken = 1;
      }
      break;
    case kCaseUnitAlarmed:
      if (w == nullptr) break;
      if (w[0] == 4 || w[0] == 12 || w[0] == 14 || w[0] == 68 || w[0] == 99 || w[0] == 110 || w[0] == 111)
        MissionArmBridgeAlarm();
      break;
    case kCaseBuildingDestroyed:
      if (w != nullptr && w[0] == 47) EscapeSequence();
      break;
    case kCaseVehicleDestroyed:
      if (w == nullptr) break;
      if (w[0] == 76) {
        s.ScreenShowMessage(0x8EFF5EFBu, 5000);
        ArmFailTimer(2000);
      } else if (w[0] == 141 || w[0] == 249) {
        if (s.ObjectIsNearWaypoint(w[0], 166, 10000.0f) != 0) MissionArmBridgeAlarm();
        st.routeLinkRequest = 1;
        s.ObjectSetStateBit4(111, 0);
      }
      break;
    case kCaseWaypointReached:
      if (w != nullptr) WaypointReached(w[0], w[1]);
      break;
    case kCasePathEnded:
      if (w == nullptr) break;
      if (w[0] == 87 || w[0] == 109) {
        s.GruntSetStanceKneel(w[0]);
      } else if (w[0] == 238 || w[0] == 239 || w[0] == 255 || w[0] == 265 || w[0] == 271 || w[0] == 273 ||
                 w[0] == 292) {
        s.ObjectDeactivate(w[0]);
      }
      break;
    case kCaseRouteEnded:
      if (w == nullptr) break;
      if (w[0] == 14) {
        s.UnitSetOrder(14, 0);
        s.UnitGoToWaypoint(14, 50);
      } else if (w[0] == 68) {
        s.UnitSetOrder(68, 0);
        s.UnitGoToWaypoint(68, -1);
      }
      break;
    case kCaseSwitchChanged:
      if (w != nullptr && s.DebugIsEnabled() != 0)
        s.DebugPrintf("switch %d changed to %d\n", static_cast<int>(w[0]), static_cast<int>(w[1]));
      break;
    case kCaseRefuseDesignator:
      if (w != nullptr) w[0] = 0;
      break;
    case kCaseSpawnPointChosen:
      if (w != nullptr) RespawnSpawnType(w[0]);
      break;
    case kCaseEndMission:
      MissionEnd();
      break;
    case kCaseCutsceneEnded:
      CutsceneEnded();
      break;
    case kCaseDoorChanged:
      if (w != nullptr) DoorChanged(w[0], w[1]);
      break;
    case kCaseExplosion:
      s.ObjectKill(47, -1);
      break;
    case kCaseBoarded:
      if (w == nullptr || w[1] != 112 || (st.triggerBits & kTriggerBoardedVehicle112) != 0) break;
      st.triggerBits |= kTriggerBoardedVehicle112;
      for (int n = 0; n <= 5; ++n) AddSpawnCount(n, 1);
      break;
    case kCaseObjectivesShown:
      if (w != nullptr && w[0] != 0) st.hintsEnabled = 0;
      break;
    case kCaseChargeUse:
      if (w != nullptr) w[1] = s.ObjectIsInRegion(w[0], 9) != 0 ? 1 : 0;
      break;
    case kCaseAllowDrop:
    case kCaseVehicleMenu:
      if (w != nullptr) w[2] = 1;
      break;
    case kCasePickUp:
      if (w != nullptr) w[2] = (w[0] != 0 || (w[1] != 33 && w[1] != 52 && w[1] != 245)) ? 1 : 0;
      break;
    case kCaseControlSwitch:
      if (w != nullptr) w[0] = 1;
      break;
    case kCaseItemCount:
      if (w != nullptr) w[1] = 0;
      break;
    case kCaseAwareness:
      if (w != nullptr) Awareness(w[0], w[1]);
      break;
    case kCaseBriefingDone:
      BriefingDone();
      break;
    case kCaseNone:
      return 0;
  }
  return 1;
}

}  // namespace mission1
