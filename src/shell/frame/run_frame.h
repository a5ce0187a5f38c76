// The frame the message loop runs and its fixed order of work.  Main thread
// only.
#pragma once

#include <cstdint>

// Dispatches on FrameMode: FRAME_IN_GAME runs InGameFrame, FRAME_LEVEL_CHANGE
// the level change (saveLoadUpdate), FRAME_SPLASH the splash step; any
// other value runs nothing.
void RunFrame();
// One in-game frame in its order (clocks, input, network, the mission's
// update, controls, timed callbacks, the world while the game clock runs,
// terminals, the mission's end, the menu driver, sound, cameras, the
// environment and sky, the render, the frame-rate meter).
void InGameFrame();
// Steps 1 to 21 of the in-game frame (everything but the render and the
// frame-rate meter); answers whether the frame is to be drawn (not when the
// menu driver closed the program).
bool InGameFrameUpdate();
// Draws the frame: each local viewport (one full-screen view when split
// drawing is not allowed), then the 2D layers, the debug overlay and the
// cursor sprite; the scene is ended and presented.  Nothing while FrameMode
// is FRAME_LEVEL_CHANGE.  With render off only a clear.
void RenderFrame(int renderOn);
// The world draw of one local viewport from its movie camera.
void DrawViewport(int viewport);

// Development options of the program: after `frames` presented frames
// (0: no limit) the game is closed through QuitGame, and the last of them
// is saved to `screenshot` when one is named (PNG for ".png", else BMP).
void SetFrameLimit(int frames, const char* screenshot);
// An offscreen run (nobody can close its window) with no limit set gets 300
// frames; checked once after each SetFrameLimit.
void ApplyOffscreenFrameLimit();
// Frames presented since the limit was set.
int FramesPresented();
// Runs `hook` once, just before the last frame of the limit is presented
// (null: none).
void SetLastFrameHook(void (*hook)());
// The views the last render drew.
int LastFrameViews();

// The render-on word the in-game frame draws with (1; the developer key
// "Toggle Rendering" switches it): off, a frame only clears the screen.
extern int RenderingOn;
// The menu-level reflection angle (degrees), grown by 5 x the game clock's
// frame time each frame.
extern float ReflectionAngle;
// The fog distance of the frame: the sky's fog distance - 500, and a further
// - 1000 without fog.
extern float FrameFogDistance;
// The screen ids drawn as one full-screen view whatever the split.
inline constexpr int kFullScreenOnlyScreens[] = {16, 20, 29, 59};
