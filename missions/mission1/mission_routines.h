// Routines the per-frame update and the event handler share.
#pragma once

#include <stdint.h>

namespace mission1 {

// UnitGoToWaypoint(unit, waypoint), then order 0 (follow waypoints).
void SendToWaypoint(int32_t unit, int32_t waypoint);
// Enables spawn point `type` (0..8) unless it is closed for good or its unit
// is active.  Other types do nothing.
void RefreshSpawnType(int type);
// Adds one to the units spawn point n may still spawn (unlimited stays so).
void AddSpawnCount(int n, uint32_t amount);
// Sends the unit hunting: the prisoner when he is freed and unit 0 is dead
// or he holds item 112, else unit 0; nothing when that target is dead.
void SendHunting(int32_t unit);
// The same with a given target.
void SendHuntingTarget(int32_t unit, int32_t target);
// Spawn types 0 and 1, then two more units each from spawn points 0 and 1.
void FirstWaveReinforcement();

// Turns the siren on (environment sound 0) and down again in 30 s.
void StartAlarmSound();
// Raises the alarm once: message, siren, gate 65 open, guards alert,
// spawn types 0 and 1, unit 6 hunting.
void RaiseAlarm();
// Arms the delayed alarm (10 s) unless one is armed or the alarm is raised.
void MissionArmBridgeAlarm();
// Fails the mission `delay` ms from now unless an earlier failure is due.
void ArmFailTimer(uint32_t delay);
// Finishes objective `id` and adds the score; reveals the hidden objective
// once the prisoner is free and the dump is destroyed.
void CompleteObjective(int32_t id, int32_t score);
// Starts the cue timeline (once while it runs).
void StartCueTimeline();
// Launches boat 76 from its mooring.
void LaunchBoat();
// Ends the mission as won.
void MissionEnd();

}  // namespace mission1
