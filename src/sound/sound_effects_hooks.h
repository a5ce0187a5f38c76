// The sound services the world's effects reach through their hook table:
// breakables switching environment sounds, and the world pause pausing the
// world's sounds.  Main thread only.
#pragma once

class CSoundManager;

// Points the effects' sound hooks at the manager (null: clears them).
void ConnectSoundToEffects(CSoundManager* manager);
