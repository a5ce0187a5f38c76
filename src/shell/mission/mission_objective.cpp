#include "shell/mission/mission_objective.h"

#include "shell/mission/mission_units.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

namespace {

bool IsEmpty(const CVector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

}  // namespace

MissionObjective::MissionObjective(std::uint8_t number, std::int32_t firstTarget) : number_(number) {
  targets_[0] = firstTarget;
  for (int i = 1; i < kObjectiveTargets; ++i) targets_[i] = -1;
  for (std::int32_t& id : objects_) id = -1;
}

void MissionObjective::AddTarget(std::int32_t id) {
  for (int i = 1; i < kObjectiveTargets; ++i)
    if (targets_[i] == -1) {
      targets_[i] = id;
      return;
    }
}

std::int32_t MissionObjective::GetTarget(int n) const { return n >= 0 && n < kObjectiveTargets ? targets_[n] : -1; }

void MissionObjective::AddMarkerPosition(const CVector3& position) {
  for (CVector3& slot : positions_)
    if (IsEmpty(slot)) {
      slot = position;
      return;
    }
}

void MissionObjective::AddMarkerObject(const CHLO* object) {
  if (object == nullptr || object->Id < 0) return;
  for (int i = 0; i < kObjectiveMarkers; ++i)
    if (IsEmpty(positions_[i]) && objects_[i] == -1) {
      objects_[i] = object->Id;
      return;
    }
}

void MissionObjective::RemoveMarker(int n) {
  if (n < 0 || n >= kObjectiveMarkers) return;
  positions_[n] = CVector3{};
  objects_[n] = -1;
  if (n == current_) NextMarker();
}

void MissionObjective::RemoveMarkerAt(const CVector3& position) {
  for (int i = 0; i < kObjectiveMarkers; ++i)
    if (!IsEmpty(positions_[i]) && positions_[i].x == position.x && positions_[i].y == position.y &&
        positions_[i].z == position.z) {
      RemoveMarker(i);
      return;
    }
}

void MissionObjective::DropDeadMarkerObjects() {
  for (int i = 0; i < kObjectiveMarkers; ++i)
    if (objects_[i] != -1 && LivingObject(i) == nullptr) objects_[i] = -1;
  if (!SlotUsable(current_)) NextMarker();
}

CHLO* MissionObjective::LivingObject(int n) const {
  if (objects_[n] == -1 || g_HLOManager == nullptr) return nullptr;
  CHLO* object = g_HLOManager->GetObjectById(objects_[n]);
  return object != nullptr && MissionUnits().GetHealth(object) > 0.0f ? object : nullptr;
}

bool MissionObjective::SlotUsable(int n) const { return !IsEmpty(positions_[n]) || LivingObject(n) != nullptr; }

bool MissionObjective::GetMarker(int n, CVector3* out) const {
  *out = CVector3{};
  if (n < 0 || n >= kObjectiveMarkers) return false;
  if (!IsEmpty(positions_[n])) {
    *out = positions_[n];
    return true;
  }
  if (CHLO* object = LivingObject(n)) {
    *out = object->GetPosition();
    return true;
  }
  return false;
}

bool MissionObjective::GetCurrentMarker(CVector3* out) const { return GetMarker(current_, out); }

int MissionObjective::StepMarker(int direction) {
  for (int k = 1; k < kObjectiveMarkers; ++k) {
    const int n = (current_ + direction * k + kObjectiveMarkers) % kObjectiveMarkers;
    if (SlotUsable(n)) {
      current_ = static_cast<std::uint8_t>(n);
      return 1;
    }
  }
  return 0;
}

int MissionObjective::NextMarker() { return StepMarker(1); }

int MissionObjective::PreviousMarker() { return StepMarker(-1); }

std::int32_t MissionObjective::MarkerObjectId(int n) const {
  return n >= 0 && n < kObjectiveMarkers ? objects_[n] : -1;
}

bool MissionObjective::MarkerPositionEmpty(int n) const {
  return n < 0 || n >= kObjectiveMarkers || IsEmpty(positions_[n]);
}
