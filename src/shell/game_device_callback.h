// The game's device callback: takes the device settings stored by the launch
// dialog and writes them into the render object's device list before the
// device is created.
#pragma once

#include "platform/win32/win_types.h"

class CRender;

// Applies the stored device settings to the render object's device list
// (ApplyStoredDeviceSettings), then gives the window the chosen mode's client
// size with a popup style.  The demo's callback; the game's own is
// SelectDevice.  Answers 1; 0 when the render object has no adapter.
int GameDeviceCallback(CRender* render, HINSTANCE instance, HWND window, int value);

// Applies the stored "Device Settings" (adapter, resolution, shadows, shaders,
// detail textures, decals, environment maps, draw distance, shrub level,
// texture resolution) to the render object's device list.  Settings that are absent or out of range (an adapter or mode the
// device list does not have) leave the enumerated choice.  Answers 1; 0 when
// the render object has no adapter to choose from.
int ApplyStoredDeviceSettings(CRender* render);

// The registry key, below HKEY_LOCAL_MACHINE, that holds the device settings.
inline constexpr const char* kDeviceSettingsKey = "SOFTWARE\\Brindle Games\\Vantor Halberd\\Device Settings\\";
