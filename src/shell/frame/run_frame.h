// The frame the message loop runs: what it does depends on FrameMode.
// Main thread only.
#pragma once

// One frame: a level change (FRAME_LEVEL_CHANGE) loads the level and moves
// on to FRAME_IN_GAME; an in-game frame steps the world and draws it.
void RunFrame();

// Development options of the program: after `frames` presented frames
// (0: no limit) the game is closed through QuitGame, and the last of them
// is saved to `screenshot` when one is named (PNG for ".png", else BMP).
void SetFrameLimit(int frames, const char* screenshot);
// Frames presented since start.
int FramesPresented();
