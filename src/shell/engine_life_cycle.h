// The engine's side of the program's frame until the game shell exists: the
// clocks, switches, glass and movie cameras stepped once a frame, and the movie
// camera of a viewport posing the render camera before the world is drawn.
// Main thread only; call between EngineInitialise and EngineShutdown.
#pragma once

// Starts (1) or pauses (0) both engine clocks.
void EngineRunClocks(int running);
// One frame of the world: the real and game clocks tick; while the game
// clock runs the switches move and the glass shards fly; the sky's time of
// day and fog fades step on the game clock's frame time; the movie cameras
// run every frame.
void EngineFrameStep();
// Poses the render camera from the movie camera shown in the viewport;
// false when the viewport shows none.
bool EngineApplyView(int viewport);
