// One objective of the mission: its number, four target words, its status
// bits, and up to twelve map markers (a fixed position, or a world object
// followed while it lives) with the current one.  The mission record owns
// the objectives in a singly linked list, made by the plug-in's set-up and
// freed by the record's reset.  Main thread only.
//
// Positions are world units (centimetres), y up.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CHLO;

inline constexpr int kObjectiveTargets = 4;
inline constexpr int kObjectiveMarkers = 12;

// Status bits.
enum ObjectiveStatus : std::uint8_t {
  OBJECTIVE_CREATED = 1,
  OBJECTIVE_COMPLETED = 2,
  OBJECTIVE_FAILED = 4,
  OBJECTIVE_SHOWN = 8,
};

class MissionObjective {
 public:
  // Number `number`, target 0 `firstTarget`, the others -1, status created,
  // no markers.
  MissionObjective(std::uint8_t number, std::int32_t firstTarget);

  // Into the first of target slots 1-3 holding -1; ignored when all are used.
  void AddTarget(std::int32_t id);
  // Target n (0-3), else -1.
  std::int32_t GetTarget(int n) const;

  // Into the first slot with an empty position (three zeros); ignored when
  // all twelve hold positions.
  void AddMarkerPosition(const CVector3& position);
  // Into the first slot whose position is empty and which names no object.
  void AddMarkerObject(const CHLO* object);
  // Empties slot n (position and object); when it was the current one, the
  // next marker becomes current.  Nothing for n outside 0-11.
  void RemoveMarker(int n);
  // Removes the first slot whose position equals the vector exactly.
  void RemoveMarkerAt(const CVector3& position);
  // Empties the object of every slot whose object has died or is gone; when
  // the current slot became empty, the next marker becomes current.
  void DropDeadMarkerObjects();

  // The current slot's position; when that is empty and its object lives,
  // the object's position.  False (out zeroed) when neither.
  bool GetCurrentMarker(CVector3* out) const;
  // The same for slot n; false for n outside 0-11.
  bool GetMarker(int n, CVector3* out) const;
  // Moves the current marker to the next (previous) slot that holds a
  // position or a living object, wrapping; 0, and the current marker kept,
  // when none other does.
  int NextMarker();
  int PreviousMarker();

  std::uint8_t Number() const { return number_; }
  std::uint8_t Status() const { return status_; }
  void SetStatus(std::uint8_t status) { status_ = status; }
  void SetBits(std::uint8_t bits) { status_ |= bits; }
  void ClearBits(std::uint8_t bits) { status_ = static_cast<std::uint8_t>(status_ & ~bits); }
  int CurrentMarker() const { return current_; }
  // The object id of slot n (-1 none), and whether its position is empty.
  std::int32_t MarkerObjectId(int n) const;
  bool MarkerPositionEmpty(int n) const;

  MissionObjective* Next = nullptr;

 private:
  bool SlotUsable(int n) const;
  // The object of slot n when it still exists and lives.
  CHLO* LivingObject(int n) const;
  int StepMarker(int direction);

  std::uint8_t number_;
  std::int32_t targets_[kObjectiveTargets];
  std::uint8_t status_ = OBJECTIVE_CREATED;
  std::uint8_t current_ = 0;
  CVector3 positions_[kObjectiveMarkers] = {};
  // Marker objects by id (-1 none), looked up on every use so that an
  // object deleted meanwhile reads as no object.
  std::int32_t objects_[kObjectiveMarkers];
};
