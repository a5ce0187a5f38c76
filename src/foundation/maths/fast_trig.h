// Table sine and cosine.  The table holds N = (resolution / 1440) x 360
// entries over one turn; start-up builds it with 32768 (N = 7920).  Angles
// are in radians.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kFastTrigDefaultResolution = 32768;

// Builds the table; 0 (nothing changed) when resolution is above 0x10000 or
// gives no entries.
int FastTrig(std::uint32_t resolution);
// Frees the table (the next call builds the default one again).
void FastTrigRelease();
// Number of table entries (N).
std::uint32_t FastTrigTableSize();
// Table entry i (0 <= i < N); 0 outside.
float FastTrigEntry(std::uint32_t i);
// sin of an angle from the table, truncated to the entry below; angles down
// to -16 turns are handled (others still give an entry of the table).
float FastSin(float radians);
// cos from the same table, a quarter turn on.
float FastCos(float radians);
