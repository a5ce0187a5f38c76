// The timed callbacks the cut-scene and opening chains post: each makes one
// script call from the two parameters of its post.  Where a call needs two
// values, the second parameter points at a CutscenePair of the plug-in's
// parameter table; a packed colour is 0xAARRGGBB.
#pragma once

#include <stdint.h>

#include "mission_abi.h"

namespace mission1 {

// Two values a posted call passes on: an animation handle or a waypoint,
// and a flag or a second id.
struct CutscenePair {
  intptr_t first;
  intptr_t second;
};

void TimedVehicleRoute(const ScriptTimedEvent* e);       // p1 unit, p2 pair {waypoint, usable}
void TimedScriptedAnim(const ScriptTimedEvent* e);       // p1 soldier, p2 animation
void TimedModelQuery(const ScriptTimedEvent* e);         // p1 object (a wound mark after a scripted kill)
void TimedScriptedAnimDefault(const ScriptTimedEvent* e);// p1 soldier
void TimedObjectAnim(const ScriptTimedEvent* e);         // p1 object, p2 pair {animation, repeat}
void TimedMoveToWaypoint(const ScriptTimedEvent* e);     // p1 object, p2 waypoint
void TimedFadeOut(const ScriptTimedEvent* e);            // p1 ms, p2 colour
void TimedFadeIn(const ScriptTimedEvent* e);             // p1 ms, p2 colour
void TimedCamera(const ScriptTimedEvent* e);             // p1 movie camera, 0 the player's view
void TimedNextStage(const ScriptTimedEvent* e);          // p1 ChainStage
void TimedFinish(const ScriptTimedEvent* e);             // ends the running sequence
void TimedGoOn(const ScriptTimedEvent* e);               // p1 unit
void TimedStand(const ScriptTimedEvent* e);              // p1 soldier
void TimedKneel(const ScriptTimedEvent* e);
void TimedProne(const ScriptTimedEvent* e);
void TimedLetterboxOn(const ScriptTimedEvent* e);
void TimedLetterboxOff(const ScriptTimedEvent* e);
void TimedSelectWeapon(const ScriptTimedEvent* e);       // p1 soldier, p2 item name
void TimedActivate(const ScriptTimedEvent* e);           // p1 object
void TimedDeactivate(const ScriptTimedEvent* e);
void TimedSample(const ScriptTimedEvent* e);             // p1 sample handle, played as music
void TimedDismount(const ScriptTimedEvent* e);           // p1 unit
void TimedResetMount(const ScriptTimedEvent* e);
void TimedSchedulerRestart(const ScriptTimedEvent* e);
void TimedTimeOfDay(const ScriptTimedEvent* e);          // (p1 + p2) ms of the day
void TimedStatusBit23Clear(const ScriptTimedEvent* e);   // p1 object
void TimedStatusBit23Set(const ScriptTimedEvent* e);
void TimedMovieText(const ScriptTimedEvent* e);          // p1 text id, p2 line
void TimedTarget(const ScriptTimedEvent* e);             // p1 unit, p2 target
void TimedClearTarget(const ScriptTimedEvent* e);
void TimedSoftTarget(const ScriptTimedEvent* e);
void TimedAnimMode(const ScriptTimedEvent* e);           // p1 soldier, p2 pair {animation, loop}
void TimedAlarmsStart(const ScriptTimedEvent* e);
void TimedAlarmsStop(const ScriptTimedEvent* e);
void TimedSpeedPercent(const ScriptTimedEvent* e);       // p1 vehicle, p2 percent x 256
void TimedScriptedMovement(const ScriptTimedEvent* e);   // p1 state
void TimedLightOn(const ScriptTimedEvent* e);            // p1 light
void TimedLightOff(const ScriptTimedEvent* e);
void TimedTurnToward(const ScriptTimedEvent* e);         // p1 unit, p2 pair {other unit, -}
void TimedCombatState(const ScriptTimedEvent* e);        // p1 unit
void TimedEnvironment(const ScriptTimedEvent* e);        // p1 sky record
void TimedKillWithState(const ScriptTimedEvent* e);      // p1 unit, p2 state
void TimedTintOn(const ScriptTimedEvent* e);
void TimedTintOff(const ScriptTimedEvent* e);
void TimedTintColour(const ScriptTimedEvent* e);         // p1 colour
void TimedClearSpine(const ScriptTimedEvent* e);         // p1 soldier

// The hours of the day (p1 + p2 milliseconds) brought into [0, 24).
float HoursOfDay(intptr_t p1, intptr_t p2);

}  // namespace mission1
