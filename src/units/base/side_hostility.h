// The side hostility table: 8 x 8 words indexed [side a x 8 + side b]; a
// non-zero entry makes the two sides enemies.  Row 0 (hostility to the
// player's side) also decides which soldiers become corpses, mumble and
// hunt.  Script functions clear or set both entries of a pair; a level
// starts with sides 0 and 1 hostile to each other and every other pair
// neutral.  Sides outside 0..7 are hostile to nothing.  Main thread only.
#pragma once

#include <cstdint>

inline constexpr int kHostilitySides = 8;

extern std::uint32_t SideHostilityTable[kHostilitySides * kHostilitySides];

// The entry (a, b); 0 for sides outside the table.
std::uint32_t SideHostility(int a, int b);
bool SidesHostile(int a, int b);
// Sets or clears both entries (a, b) and (b, a); nothing outside the table.
void SetSidesHostile(int a, int b, bool hostile);
// The start of a level: everything clear, then sides 0 and 1 hostile.
void ResetSideHostility();
