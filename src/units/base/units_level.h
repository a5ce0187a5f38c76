// The units' steps of a level's life, called by level initialise and level
// shut-down in this order:
//  - before the level's objects are made: the side table, the soldiers'
//    shared words, the reports of missing weapon animations, the stats
//    records' resolved assets, the table of armed charges;
//  - once the mission is bound (its objects made): the level's update
//    scheduler, its enemy AI on or off by the enemy-AI cheat word;
//  - once the objects are activated: the stats level steps (the soldiers'
//    skins by role, the characters' render effects, the asset preload);
//  - late in the level's start: the enemy and friendly AI switched on;
//  - at level shut-down: the table of armed charges emptied, the scheduler
//    freed.
// Main thread only.
#pragma once

void UnitsLevelBeforeObjects();
// False when the scheduler cannot be made.
bool UnitsLevelMakeScheduler(int enemyAI);
void UnitsLevelStatsSteps();
void UnitsLevelSwitchAIOn();
void UnitsLevelShutdown();
