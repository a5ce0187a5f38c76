// The device-selection step of start-up: called by the engine start-up
// while it builds the render device.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

class CRender;

// Opens catalog 0 and loads the localised strings; checks that the network
// component "dpnhpast.dll" is present (else shows the localised text
// 0x6ACB3DCC in a plain box, sets StartupCancelled and refuses); takes the
// device settings (the stored ones, until the launch dialog exists); then
// restyles the window (0x14800000) and sizes it so that its client area is
// the chosen display mode, at the bottom of the z-order, shown.  1 accepts
// the device, 0 refuses it.
int SelectDevice(CRender* render, HWND window);

// The same as the engine's device callback.
int SelectDeviceCallback(CRender* render, HINSTANCE instance, HWND window, int value);

// The window style the game runs in: visible, clip siblings, border.
inline constexpr DWORD kGameWindowStyle = 0x14800000;
// The localised text shown when the network component is missing.
inline constexpr unsigned int kNetworkComponentMissingText = 0x6ACB3DCCu;
