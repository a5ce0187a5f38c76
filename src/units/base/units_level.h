// The units' steps of a level's life: before the level's objects are made
// (the side table, the soldiers' shared words, the reports of missing weapon
// animations, the stats records' resolved assets), after they are made (the
// soldiers' skins by role, the characters' render effects, the level's
// update scheduler), late in the level's start (the AI switched on) and at level shut-down (the scheduler freed).  Level
// initialise and shut-down call them.  Main thread only.
#pragma once

void UnitsLevelBeforeObjects();
// The soldiers' skins and the characters' render effects, then the level's
// scheduler with its enemy AI on when `enemyAI` (the enemy-AI cheat word) is
// non-zero and off otherwise.  False when the scheduler cannot be made.
bool UnitsLevelAfterObjects(int enemyAI = 1);
// Late in level initialise: the scheduler's enemy and friendly AI switched
// on, so that every unit of the level thinks with its AI.
void UnitsLevelSwitchAIOn();
void UnitsLevelShutdown();
