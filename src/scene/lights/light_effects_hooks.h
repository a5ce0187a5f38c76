// The light table's part of the effect hooks: the blast flash is a point
// light of the table that the explosions move, size and colour each frame
// and switch off when the flash is over, and effects switch table lights off
// by number.  Main thread only.
#pragma once

class CLightTable;

// Points the effect hooks' light entries at the table (null takes them out).
// The flash takes a run-time light of the table on its first use (again
// after the table was reset).
void InstallLightEffectsHooks(CLightTable* lights);
// The table index the flash uses now; -1 before its first use.
int LightEffectsFlashIndex();
