// Switch types: one line of the stats table "Switches.txt" each (name, the
// two visual templates, the thrown pose's offsets and the travel time).  The
// table lives from the game's stats loading to its shut-down.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/geometry/vector3.h"

// Longest type name and template name kept (the fields hold one byte more).
inline constexpr std::size_t kSwitchNameSize = 64;
inline constexpr std::size_t kSwitchModelSize = 35;
// Most types one table may hold.
inline constexpr int kMaxSwitchStats = 1024;

struct SwitchStats {
  std::uint32_t TableTag = 0;
  char Name[kSwitchNameSize] = {};
  char FirstModel[kSwitchModelSize] = {};   // template name, or "NONE"
  char SecondModel[kSwitchModelSize] = {};  // template name, or "NONE"
  CVector3 PositionOffset{};                // added to the rest position for the thrown pose
  CVector3 RotationOffset{};                // added to the rest rotation (degrees)
  std::uint32_t TravelTime = 0;             // milliseconds
};

// Reads "Switches.txt" from memory: one record per line feed (a last line
// without one is not read), fields separated by commas: name, first model,
// second model, three position offsets, three rotation offsets, travel time
// in seconds.  Replaces the table.  A line whose name or model is too long
// for its field, or that lacks a field, is left out with a debug line naming
// it.  Answers 1, or 0 after the error box "Switch Stats - Out of memory".
int SwitchStatsRead(const char* text, std::size_t size, std::uint32_t tag);
// The type of that name (case-sensitive), or null.
const SwitchStats* SwitchStatsFind(const char* name);
// Number of types read, and type i (null out of range).
int SwitchStatsCount();
const SwitchStats* SwitchStatsGet(int i);
// Frees the table.
void SwitchStatsFree();
