// The steps every level load finishes with that belong to other modules:
// the light table prepares its per-level state (the engine's special
// lights).  Installed into the level loader before a level loads.
#pragma once

class CEnvironment;

// Makes the light table's special lights for the level, once: a table that
// has them already is left alone.  Nothing without an environment or table.
void PrepareLevelLights(CEnvironment* environment);
// Adds the hooks above to the level loader's finishing steps (once).
void InstallEnvLoadFinishHooks();
