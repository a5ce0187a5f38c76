// The mission's set-up (run by LevelSetup), the start-up step of its first
// frame and of a load (objectives, doors, unit values), and its nine spawn
// points.
#pragma once

namespace mission1 {

// Registers the animation aliases, loads the strings, environment, map
// picture and sound bank, describes the mission to the game, resets the
// state and decides between the intro (status 0) and play (status 2, when the
// game resumes a saved game).
void MissionSetup();
// Objectives, doors, the key of the cell door and unit values.
void MissionStartUpStep();
// Creates the spawn points at their anchors (enabled).
void CreateSpawnPoints();
// The spawn point of a unit that anchors one, or -1.
int SpawnPointOfUnit(int unit);
// The unit anchoring spawn point n (0..8), or -1.
int SpawnUnit(int n);

}  // namespace mission1
