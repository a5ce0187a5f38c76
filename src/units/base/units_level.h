// The units' steps of a level's life: before the level's objects are made
// (the side table, the soldiers' shared words, the reports of missing weapon
// animations, the stats records' resolved assets), after they are made (the
// soldiers' skins by role, the characters' render effects, the level's
// update scheduler), and at level shut-down (the scheduler freed).  Level
// initialise and shut-down call them.  Main thread only.
#pragma once

void UnitsLevelBeforeObjects();
// False when the scheduler cannot be made.
bool UnitsLevelAfterObjects();
void UnitsLevelShutdown();
