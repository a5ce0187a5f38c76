// The demo's sound: the blasts' explosion and impact events (for any level
// that loads the effects banks), and, for the engine's own demo run without
// the game's level life, the level's cache "DEMO.sch" and the effects banks
// from the sound data folder and the manager's per-frame update with the
// main camera as its listener.  Nothing without an initialised sound
// manager.  Main thread only.
#pragma once

class CSoundBank;

// The blasts' sounds: every blast of the world's explosion list that tells
// the game plays the explosion bank's event 2030 at its centre (heard to 3000
// units) and the impact bank's event of wood struck at up to three objects it
// reaches.  Either bank may be null (that sound is not played).
void ConnectBlastSounds(const CSoundBank* explosion, const CSoundBank* impact);

// Before the level's environment is read (it names the cache's samples).
void StartDemoSound();
// After the world's frame and the view's camera.
void UpdateDemoSound();
// At the level's end: the level's sounds stopped and freed.
void EndDemoSound();
