// Engine start-up and shut-down: the catalogs, the render object, the shader
// lists and the main camera.  Called once each by the game shell, main thread.
#pragma once

#include "platform/win32/win_types.h"
#include "render/device/render.h"

class CCamera;

// Runs the catalog start-up, creates and starts the render object (through
// the game's device callback), the shader lists (128 vertex, 16 pixel) and the
// main camera.  Answers 0, with nothing left behind, when the catalogs or the
// render object cannot be started.
int EngineInitialise(HINSTANCE instance, HWND window, DeviceCallback callback, int value);
// Destroys the shader lists, the render object and the main camera, then runs
// the catalog shut-down (which writes back dirty catalog directories).
void EngineShutdown();

// The engine's main camera; null outside EngineInitialise .. EngineShutdown.
extern CCamera* g_MainCamera;
