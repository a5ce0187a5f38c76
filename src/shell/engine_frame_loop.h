// The program's window and frame loop over the engine: opens the 800 x 600
// main window, starts the engine through the game's device callback and the
// game's world modules, loads the demo level into the engine's environment,
// and runs the world and draws it in 3D from viewport 0's movie camera, one
// frame at a time, until the window is closed.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"
#include "scene/view/world_view.h"

// The colour a frame is cleared to when the level has no sky (a hazy blue).
inline constexpr std::uint32_t kFrameSkyColour = 0xFF8CA8C8;

// Runs the window and the frame loop.  `frames` above 0 stops after that many
// presented frames (for scripts); 0 runs until the window is closed.  Answers
// the process exit code: 0, or 1 when the window or the engine cannot start.
// A counted run resets the level half-way.  With a screenshot name, the last
// frame of a counted run is also saved there (PNG for a ".png" name, else BMP).
int RunEngineFrames(HINSTANCE instance, int frames, const char* screenshot = nullptr);

// The frame count asked for on the command line ("--frames N" or "-frames N");
// 0 when none is given or the number is not positive.
int FrameCountFromArguments(int argc, char** argv);
// The file named on the command line by "--screenshot FILE"; null when none.
const char* ScreenshotFromArguments(int argc, char** argv);

// The 3D part of a frame, between the engine's frame step and the 2D
// layers: the sky's colours and sun light for its time of day, the clear (to
// the sky's fog colour, else kFrameSkyColour), BeginScene, then the view's
// pass through the environment: the queue reset, the sky's layers, the
// environment's update from the render camera (the level's instances drawn
// by zones from the zone the camera stands in, which becomes the view
// instance, each with its own lights), the trails, the lens flares, the
// transparent pass and the view's camera kept (the flare window then moves
// on); then the effects' step after the views.
// The caller ends the scene.  Answers what the world view drew.
WorldViewStats DrawLevelFrame();
// What the world view drew in the last frame presented (zeros before any).
WorldViewStats LastFrameViewStats();
// The view's pass of DrawLevelFrame alone, inside a scene the caller began
// and over a target it cleared: from the render camera as it stands.
WorldViewStats DrawWorldView();
// The clear colour of the level's sky for its time of day (its sun light
// set too), else kFrameSkyColour.
std::uint32_t LevelClearColour();
// The colour the last frame was cleared to.
std::uint32_t LastFrameClearColour();
