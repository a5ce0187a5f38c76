// Pieces shared by the stats records.
#pragma once

#include <cstddef>
#include <cstdint>

// A name field of a record: at most 35 characters.
inline constexpr std::size_t kStatsNameSize = 36;
// A file name built from a text and an extension (".prs", ".sbk") in a
// 36-byte field: the text is at most 31 characters.
inline constexpr std::size_t kStatsFileNameSize = 36;
inline constexpr std::size_t kStatsFileStemSize = kStatsFileNameSize - 4;

// An asset name and the engine object it is resolved to when a world object
// that uses the record is set up in a level (null until then).
struct StatsAsset {
  char Name[kStatsNameSize];
  void* Object;
};

// Most items or weapons one soldier kind, vehicle kind or multiplayer
// character carries.
inline constexpr int kStatsItemSlots = 25;
