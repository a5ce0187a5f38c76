// The demo level's sound, until the game's own level life loads each level's
// sound: the level's cache "DEMO.sch" (its environment sounds' samples) and
// the effects banks "Explosion.sbk" and "Impact.sbk" from the sound data
// folder, the blast's explosion and impact events, and the manager's
// per-frame update with the main camera as its listener.  Nothing without an
// initialised sound manager.  Main thread only.
#pragma once

// Before the level's environment is read (it names the cache's samples).
void StartDemoSound();
// After the world's frame and the view's camera.
void UpdateDemoSound();
// At the level's end: the level's sounds stopped and freed.
void EndDemoSound();
