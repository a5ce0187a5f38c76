// The game's localised strings: "GenStrs.loc" as the base table, then
// "PCStrs.loc", "InvStrs.loc", "TitleStrs.loc" and "MPStrs.loc" over it.
#pragma once

// Reloads the locale table from the five files (a missing file shows the
// loader's message and is left out) and writes "Load localisation : %.2f
// seconds\n" to the debug output.  Nothing without a locale table.
void LoadLocalisation();
