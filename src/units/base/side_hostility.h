// The units' reads and writes of the side hostility table (the one table of
// the world's effects module, 8 x 8 entries indexed [side a][side b]; a
// non-zero entry makes the two sides enemies; row 0, hostility to the
// player's side, also decides which soldiers become corpses, mumble and
// hunt).  Sides outside 0..7 are hostile to nothing.  Main thread only.
#pragma once

#include <cstdint>

// The entry (a, b); 0 for sides outside the table.
std::uint32_t SideHostility(int a, int b);
bool SidesHostile(int a, int b);
// Sets or clears both entries (a, b) and (b, a); nothing outside the table.
void SetSidesHostile(int a, int b, bool hostile);
