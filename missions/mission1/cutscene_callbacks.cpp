#include "cutscene_callbacks.h"

#include "cutscene_chains.h"
#include "mission_globals.h"

namespace mission1 {

namespace {

int32_t Id(intptr_t p) { return static_cast<int32_t>(p); }
const CutscenePair* Pair(intptr_t p) { return reinterpret_cast<const CutscenePair*>(p); }
ScriptAnimSet* Anim(intptr_t p) { return reinterpret_cast<ScriptAnimSet*>(p); }
int32_t Red(intptr_t c) { return static_cast<int32_t>((static_cast<uint32_t>(c) >> 16) & 0xFF); }
int32_t Green(intptr_t c) { return static_cast<int32_t>((static_cast<uint32_t>(c) >> 8) & 0xFF); }
int32_t Blue(intptr_t c) { return static_cast<int32_t>(static_cast<uint32_t>(c) & 0xFF); }
int32_t Alpha(intptr_t c) { return static_cast<int32_t>((static_cast<uint32_t>(c) >> 24) & 0xFF); }

// The movie version the game keeps (this mission sets 9).
int32_t MovieVersion() { return g_Script->MovieGetVersion(); }

}  // namespace

float HoursOfDay(intptr_t p1, intptr_t p2) {
  double hours = static_cast<double>(static_cast<int64_t>(p1) + static_cast<int64_t>(p2)) * 0.001 / 3600.0;
  const int64_t days = static_cast<int64_t>(hours / 24.0);
  hours -= static_cast<double>(days) * 24.0;
  if (hours < 0.0) hours += 24.0;
  if (hours >= 24.0) hours -= 24.0;
  return static_cast<float>(hours);
}

// Version 5 and later route by the pair (waypoint, usable flag); earlier
// versions took the waypoint alone, which the pair's first word still is.
void TimedVehicleRoute(const ScriptTimedEvent* e) {
  if (e == nullptr) return;
  const ScriptFunctionTable& s = *g_Script;
  const CutscenePair* pair = Pair(e->param2);
  if (pair != nullptr) {
    s.UnitGoToWaypoint(Id(e->param1), Id(pair->first));
    if (MovieVersion() >= 5) s.VehicleSetUsable(Id(e->param1), Id(pair->second));
  }
  s.UnitSetOrder(Id(e->param1), 0);
}

void TimedScriptedAnim(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntPlayScriptedAnim(Id(e->param1), Anim(e->param2));
}
void TimedModelQuery(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectAddWoundMark(Id(e->param1));
}
void TimedScriptedAnimDefault(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntPlayScriptedAnim(Id(e->param1), nullptr);
}
void TimedObjectAnim(const ScriptTimedEvent* e) {
  if (e == nullptr || Pair(e->param2) == nullptr) return;
  const CutscenePair* pair = Pair(e->param2);
  g_Script->ObjectPlayAnim(Id(e->param1), Anim(pair->first), Id(pair->second));
}
void TimedMoveToWaypoint(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectMoveToWaypoint(Id(e->param1), Id(e->param2));
}
void TimedFadeOut(const ScriptTimedEvent* e) {
  if (e != nullptr)
    g_Script->ScreenFadeOut(static_cast<float>(e->param1), Red(e->param2), Green(e->param2), Blue(e->param2));
}
void TimedFadeIn(const ScriptTimedEvent* e) {
  if (e != nullptr)
    g_Script->ScreenFadeIn(static_cast<float>(e->param1), Red(e->param2), Green(e->param2), Blue(e->param2));
}

// Camera n is a movie camera shot, started without a clock ramp; 0 gives the
// view back to the player.
void TimedCamera(const ScriptTimedEvent* e) {
  if (e == nullptr) return;
  const int32_t camera = Id(e->param1);
  if (camera != 0)
    g_Script->MovieCameraStart(0, camera);
  else
    g_Script->CameraReturnToPlayer(0);
}

void TimedNextStage(const ScriptTimedEvent* e) {
  if (e != nullptr) RunChainStage(e->param1);
}

void TimedFinish(const ScriptTimedEvent*) {
  const ScriptFunctionTable& s = *g_Script;
  s.TimerClearCallbacks();
  s.CameraReturnToPlayer(0);
  s.MovieCamerasStopAll();
  s.LetterboxHide();
  s.AIEnable();
  s.PlayerControlEnable(1);
  s.CutsceneEnd();
}

void TimedGoOn(const ScriptTimedEvent* e) {
  if (e == nullptr) return;
  g_Script->UnitGoToWaypoint(Id(e->param1), -1);
  g_Script->UnitSetOrder(Id(e->param1), 1);
}

// The mission's "stand", "kneel" and "prone" are the stance slots 132, 130
// and 131 (what each stance looks like is the soldier's).
void TimedStand(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntSetStanceKneel(Id(e->param1));
}
void TimedKneel(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntSetStanceWalk(Id(e->param1));
}
void TimedProne(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntSetStanceRun(Id(e->param1));
}
void TimedLetterboxOn(const ScriptTimedEvent*) { g_Script->LetterboxShow(); }
void TimedLetterboxOff(const ScriptTimedEvent*) { g_Script->LetterboxHide(); }
void TimedSelectWeapon(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntSelectWeapon(Id(e->param1), reinterpret_cast<const char*>(e->param2));
}
void TimedActivate(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectActivate(Id(e->param1));
}
void TimedDeactivate(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectDeactivate(Id(e->param1));
}
void TimedSample(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->MusicPlay(static_cast<ScriptSampleHandle>(e->param1));
}
void TimedDismount(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->UnitDismount(Id(e->param1));
}
void TimedResetMount(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->UnitResetMount(Id(e->param1));
}
void TimedSchedulerRestart(const ScriptTimedEvent*) { g_Script->SchedulerRestart(); }
void TimedTimeOfDay(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->TimeOfDaySet(HoursOfDay(e->param1, e->param2));
}
void TimedStatusBit23Clear(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectClearStatusBit23(Id(e->param1));
}
void TimedStatusBit23Set(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectSetStatusBit23(Id(e->param1));
}
void TimedMovieText(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->MovieTextShow(static_cast<uint32_t>(e->param1), Id(e->param2));
}
void TimedTarget(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->UnitSetTarget(Id(e->param1), Id(e->param2));
}
void TimedClearTarget(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->UnitClearTarget(Id(e->param1));
}
void TimedSoftTarget(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->UnitSetTargetSoft(Id(e->param1), Id(e->param2));
}

// Version 6 and later play the pair's animation with its loop word; earlier
// versions looped the animation always.
void TimedAnimMode(const ScriptTimedEvent* e) {
  if (e == nullptr || Pair(e->param2) == nullptr) return;
  const CutscenePair* pair = Pair(e->param2);
  const int32_t loop = MovieVersion() >= 6 ? Id(pair->second) : 1;
  g_Script->GruntPlayScriptedAnimMode(Id(e->param1), Anim(pair->first), loop);
}

void TimedAlarmsStart(const ScriptTimedEvent*) { g_Script->AlarmsStart(); }
void TimedAlarmsStop(const ScriptTimedEvent*) { g_Script->AlarmsStop(); }
void TimedSpeedPercent(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->VehicleSetSpeedPercent(Id(e->param1), static_cast<float>(e->param2) / 256.0f);
}
void TimedScriptedMovement(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->MovementRuleSetScripted(Id(e->param1));
}
void TimedLightOn(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->LightEnable(Id(e->param1));
}
void TimedLightOff(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->LightDisable(Id(e->param1));
}

// The game turns a unit toward one other unit: the pair's first word.
void TimedTurnToward(const ScriptTimedEvent* e) {
  if (e == nullptr || Pair(e->param2) == nullptr) return;
  g_Script->UnitTurnToward(Id(e->param1), Id(Pair(e->param2)->first));
}

void TimedCombatState(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->UnitUpdateCombatState(Id(e->param1));
}
void TimedEnvironment(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->EnvironmentApplySettings(reinterpret_cast<const ScriptDataRecord*>(e->param1));
}
void TimedKillWithState(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->ObjectKillWithState(Id(e->param1), Id(e->param2));
}
void TimedTintOn(const ScriptTimedEvent*) { g_Script->ScreenTintOn(); }
void TimedTintOff(const ScriptTimedEvent*) { g_Script->ScreenTintOff(); }
void TimedTintColour(const ScriptTimedEvent* e) {
  if (e == nullptr) return;
  g_Script->ScreenTintSetColour(Red(e->param1) / 255.0f, Green(e->param1) / 255.0f, Blue(e->param1) / 255.0f,
                                Alpha(e->param1) / 255.0f);
}
void TimedClearSpine(const ScriptTimedEvent* e) {
  if (e != nullptr) g_Script->GruntClearSpineConnectors(Id(e->param1));
}

}  // namespace mission1
