// The engine's side of the program's frame until the game shell exists: the
// clocks and the world stepped once a frame, and the movie camera of a
// viewport posing the render camera before the world is drawn.
// Main thread only; call between EngineInitialise and EngineShutdown.
#pragma once

// Starts (1) or pauses (0) both engine clocks.
void EngineRunClocks(int running);
// One frame of the world: the real and game clocks tick; while the game
// clock runs the switches move, the glass shards fly, the physics world
// steps, the world objects update, the effects (effect pool, sphere events,
// blasts, trails) move, the shrubbery sways and the animated objects play;
// then, every frame, the movie cameras run and the sky's time of day and fog
// fades step on the game clock's frame time.  (The environment's own frame
// update runs in each view's draw.)
void EngineFrameStep();
// Poses the render camera from the movie camera shown in the viewport;
// false when the viewport shows none.
bool EngineApplyView(int viewport);
