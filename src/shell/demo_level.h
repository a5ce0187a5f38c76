// The demo level's life in the running program: loaded into the engine's own
// environment once the engine and the game modules run, ended before each
// level reset and before the shut-down.  Main thread only.
#pragma once

#include "shell/level_load.h"

// The level's pools, the demo level into g_Environment through the level
// loader (world objects through the object manager), the light table's
// night-vision defaults, the objects shown, the sky's time set running, the
// level's textures made, then the actors.  Prints the load report.  False
// when the pools cannot be had or the level is missing or does not load whole
// (what did load stays until EndDemoLevel).  Every instance that casts a
// shadow casts it from the sky's sun.
bool StartDemoLevel(LevelLoadReport* report);
// The actors let go, every world object is deleted, the effects are reset
// and the level's pools given back.  Safe when no level runs.
void EndDemoLevel();

// The demo's two times of day: the level's own (by day), and the evening
// the program's counted run moves it on to half-way (a low sun from the
// other side, red light, faint long shadows).
constexpr float kDemoEveningHour = 16.0f;
// Sets the running level's time of day through its sky (nothing without one).
void SetDemoTimeOfDay(float hours);
