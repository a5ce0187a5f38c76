// Slots 290-312: the mission record's flow words, texts and award values, and
// the objectives with their markers.  Objective numbers that no objective
// has, unknown kinds and indices, null vectors and vectors that are not
// finite change nothing.
#include <cmath>

#include "foundation/system/command_switches.h"
#include "shell/frame/mission_queries.h"
#include "shell/mission/mission.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_interface_sound.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

namespace {

// The interface sound of a failed objective, and the music of a mission's end.
constexpr int kObjectiveFailedSound = 3284;
constexpr int kMissionFailedTrack = 25;
constexpr int kMissionSucceededTrack = 24;
// The plug-in the developer letter "u" sends a finished mission on to.
constexpr const char* kTrainingLevel = "training1.dll";

MissionObjective* Objective(int32_t number) {
  return g_Mission != nullptr ? g_Mission->FindObjective(number) : nullptr;
}

// The vector as a point, false for null or a component that is not finite.
bool ToPoint(const ScriptVec3* v, CVector3* out) {
  if (v == nullptr || !std::isfinite(v->x) || !std::isfinite(v->y) || !std::isfinite(v->z)) return false;
  *out = CVector3{v->x, v->y, v->z};
  return true;
}

}  // namespace

namespace script_slot {

int32_t MissionGetResult(void) { return CurrentMissionResult(); }

// 0 running, 1 failed, 2 succeeded (which stores the squad); other values
// change nothing.
void MissionSetResult(int32_t result) {
  if (g_Mission == nullptr || result < MISSION_RUNNING || result > MISSION_SUCCEEDED) return;
  g_Mission->SetResult(result);
  if (result == MISSION_FAILED) PlayInterfaceMusic(kMissionFailedTrack);
  if (result == MISSION_SUCCEEDED) PlayInterfaceMusic(kMissionSucceededTrack);
}

// A name that does not fit the record's field is refused (the old one kept).
void MissionSetNextLevel(const char* name) {
  if (g_Mission == nullptr || name == nullptr) return;
  if (IsCommandSwitchSet('U') && MissionQueryMode() != 0) name = kTrainingLevel;
  g_Mission->SetNextLevel(name);
}

int32_t MissionSetId(int32_t id) {
  if (g_Mission == nullptr) return 0;
  g_Mission->MissionId = id;
  return id;
}

void MissionSetInfo(uint32_t textA, uint32_t textB) {
  if (g_Mission == nullptr) return;
  g_Mission->NameTextA = textA;
  g_Mission->NameTextB = textB;
}

void GameSetEndFlag(void) { g_MissionEndFlag = 1; }

void MissionAddScore(int32_t amount) {
  if (g_Mission != nullptr) g_Mission->Score += static_cast<uint32_t>(amount);
}

void MissionSetEndValues(int32_t promoteBest, int32_t threshold) {
  if (g_Mission == nullptr) return;
  g_Mission->PromoteBest = static_cast<uint32_t>(promoteBest);
  g_Mission->PromotionThreshold = static_cast<uint32_t>(threshold);
}

// Award threshold 0-6; other indices are ignored.
void MissionSetEntry(int32_t value, int32_t index) {
  if (g_Mission != nullptr) g_Mission->SetAwardThreshold(static_cast<uint32_t>(value), index);
}

int32_t MissionSetEndValue(int32_t value) {
  if (g_Mission == nullptr) return 0;
  g_Mission->RankStep = static_cast<uint32_t>(value);
  return value;
}

// The new objective's number, or -1 (a seventh objective is refused with a
// message, so that a saved game keeps the status of every one).
int32_t ObjectiveAdd(uint32_t firstTargetText) {
  return g_Mission != nullptr ? g_Mission->AddObjective(static_cast<int32_t>(firstTargetText)) : -1;
}

void ObjectiveAddTarget(int32_t number, uint32_t targetText) {
  if (MissionObjective* o = Objective(number)) o->AddTarget(static_cast<int32_t>(targetText));
}

void ObjectiveComplete(int32_t number) {
  if (MissionObjective* o = Objective(number)) o->SetBits(OBJECTIVE_COMPLETED | OBJECTIVE_SHOWN);
}

void ObjectiveReset(int32_t number) {
  if (MissionObjective* o = Objective(number)) o->ClearBits(OBJECTIVE_COMPLETED | OBJECTIVE_SHOWN);
}

void ObjectiveFail(int32_t number) {
  MissionObjective* o = Objective(number);
  if (o == nullptr) return;
  PlayInterfaceSound(kObjectiveFailedSound);
  o->ClearBits(OBJECTIVE_SHOWN);
  o->SetBits(OBJECTIVE_FAILED);
}

void ObjectiveClearFailed(int32_t number) {
  if (MissionObjective* o = Objective(number)) o->ClearBits(OBJECTIVE_FAILED);
}

// Only a soldier or a vehicle becomes a marker object.
void ObjectiveAddMarkerObject(int32_t number, int32_t id) {
  MissionObjective* o = Objective(number);
  if (o == nullptr || g_HLOManager == nullptr) return;
  const CHLO* object = g_HLOManager->GetObjectById(id);
  if (object == nullptr || (object->Kind != HLO_GRUNT && object->Kind != HLO_VEHICLE)) return;
  o->AddMarkerObject(object);
}

void ObjectiveSetShown(int32_t number, int32_t on) {
  MissionObjective* o = Objective(number);
  if (o == nullptr) return;
  if (on != 0)
    o->SetBits(OBJECTIVE_SHOWN);
  else
    o->ClearBits(OBJECTIVE_SHOWN);
}

// Completed and failed as 0/1; the outputs are left alone for a number that
// no objective has.
void ObjectiveGetState(int32_t number, int32_t* outCompleted, int32_t* outFailed) {
  const MissionObjective* o = Objective(number);
  if (o == nullptr) return;
  if (outCompleted != nullptr) *outCompleted = (o->Status() & OBJECTIVE_COMPLETED) != 0;
  if (outFailed != nullptr) *outFailed = (o->Status() & OBJECTIVE_FAILED) != 0;
}

void ObjectiveAddMarkerPosition(int32_t number, const ScriptVec3* position) {
  MissionObjective* o = Objective(number);
  CVector3 p;
  if (o != nullptr && ToPoint(position, &p)) o->AddMarkerPosition(p);
}

void ObjectiveRemoveMarker(int32_t number, int32_t marker) {
  if (MissionObjective* o = Objective(number)) o->RemoveMarker(marker);
}

void ObjectiveRemoveMarkerAt(int32_t number, const ScriptVec3* vector) {
  MissionObjective* o = Objective(number);
  CVector3 p;
  if (o != nullptr && ToPoint(vector, &p)) o->RemoveMarkerAt(p);
}

// A mission text of kind 0-3 (other kinds are ignored; a seventh extra text
// of kind 3 is dropped).
void MissionSetSlot(uint32_t textId, int32_t kind) {
  if (g_Mission != nullptr) g_Mission->SetText(static_cast<int32_t>(textId), kind);
}

}  // namespace script_slot
