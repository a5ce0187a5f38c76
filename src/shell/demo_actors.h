// What moves in the demo level besides the physics and the level's own
// animations, until the game's units and mission scripts do it: the walking
// figure (each figure the level starts on an animation is walked round its
// circle with the figure walker and waves now and then), the object the
// movie cameras' triggers track (that figure), the level's player view shown
// in viewport 0 at the start, and the lever and the blast: a second into the
// level the level's switches are thrown, and when the first one comes to
// rest thrown a blast goes off among the crates, at the centre of the
// level's region "CrateBlast" (in a level without switches, at a fixed
// time).  Main thread only, between a level's load and its end.
#pragma once

#include <cstdint>

// Game-clock times after the level starts (ms): the switches are thrown,
// and the blast goes off in a level without switches.
inline constexpr std::uint32_t kDemoSwitchesAfterMs = 1000;
inline constexpr std::uint32_t kDemoBlastAfterMs = 2000;

// Takes the level in g_Environment: walkers, the tracked object, the view.
// Answers the number of figures walked.
int StartDemoActors();
// Once a frame while the game clock runs: the walkers step, the switches
// are thrown and the blast goes off when due.
void UpdateDemoActors();
// Lets go of the level's figures and switches (before the level ends).
void StopDemoActors();
// Whether the blast has gone off in this level.
bool DemoBlastFired();
