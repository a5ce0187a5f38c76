// Loading the level's environment file (script slot 17 and the ENVIRONMENT
// keyword of load lists) and the name it was loaded under.  Main thread only.
#pragma once

// Loads the environment file: the sky's fog overrides and night vision set
// for the level, the loading screen shown, the file read and parsed with
// the object manager's creation callback and the loading progress (object
// limit 400), the regions reset, the movie cameras set up from the file's
// camera records (field of view 70, camera 0 shown in viewport 0), the
// switches finished and the effects sprite set given to the environment.
// 1 on success; 0 when the file cannot be read or does not load whole.
int LoadEnvironment(const char* fileName);
// The name of the environment loaded last in this level ("" after a level
// initialise finished, or before any load).
const char* CurrentEnvironmentName();
void ClearCurrentEnvironmentName();
// The environment name kept for the octree, render effects and route data
// of the level (cleared at level shut-down).
const char* LevelEnvironmentName();
void ClearLevelEnvironmentName();
