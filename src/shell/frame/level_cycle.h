// The level's life: loaded at a level change, shut down before the next
// one and when the window is destroyed.  Main thread only.
#pragma once

// Frees everything that belongs to the running level; nothing when no
// level runs.
void LevelShutdown();
// Whether a level runs.
bool LevelRunning();
