// The launch dialog (picture, OK, Cancel, Settings) and the device-settings
// dialog (3D device, resolution, colour depth, texture resolution, eight
// detail switches).  The choices are kept in the registry and applied to the
// render object's device list when the launch dialog's OK is pressed.  Main
// thread only; start-up runs them from SelectDevice before the render device
// is created.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"
#include "shell/game_device_callback.h"

class CRender;

// Dialog and control ids of the program's resources.
namespace device_dialog {
inline constexpr int kLaunchDialog = 106;
inline constexpr int kSettingsDialog = 108;
inline constexpr int kLaunchPicture = 109;  // bitmap resource

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kSettings = 1029;  // launch dialog
inline constexpr int kPicture = 1042;   // launch dialog

inline constexpr int kDeviceList = 1018;
inline constexpr int kResolutionList = 1020;
inline constexpr int kShadows = 1021;
inline constexpr int kPixelShaders = 1022;
inline constexpr int kVertexShaders = 1023;
inline constexpr int kDrawDistance = 1024;
inline constexpr int kWindowed = 1025;
inline constexpr int kTextureResolutionList = 1026;
inline constexpr int kShrubLevel = 1027;
inline constexpr int kDetailTextures = 1028;
inline constexpr int kColourDepthList = 1029;  // settings dialog
inline constexpr int kDecals = 1030;
inline constexpr int kEnvironmentMaps = 1031;
inline constexpr int kDefaults = 1034;
inline constexpr int kSettingsOk = 1040;
inline constexpr int kSettingsCancel = 1041;
}  // namespace device_dialog

// The registry key, below HKEY_LOCAL_MACHINE, that keeps the choices.
inline constexpr const char* kDeviceSettingsRegistryKey = kDeviceSettingsKey;

// The dialogs' record.  The capability bits of a device (0x200 vertex
// shaders, 0x400 pixel shaders, 0x1000 environment maps) and its feature
// bits (detail textures, decals) are read from the device list's feature
// word.
struct DeviceSettings {
  CRender* render = nullptr;
  HINSTANCE instance = nullptr;
  HWND launchDialog = nullptr;
  HWND settingsDialog = nullptr;
  bool wantPicture = true;
  int settingsOpen = 0;
  int adapter = -1;
  int device = -1;
  int mode = -1;
  int colourDepth = 0;
  int windowed = 0;
  int shadows = 1;
  int pixelShaders = 1;
  int vertexShaders = 1;
  int drawDistance = 0;
  int shrubLevel = 0;
  int detailTextures = 1;
  int decals = 1;
  int environmentMaps = 1;
  int textureResolution = 0;
};

// Registers dialogs 106 and 108 and bitmap 109 (once is enough; again is harmless).
void RegisterDeviceDialogResources();

// Modal launch dialog: 1 on OK (the settings written and applied), 0 on
// Cancel.  When the dialog cannot be shown: the box "Failed to open launch
// dialog" ("Error") and 0.
int LaunchDialog(DeviceSettings* record, CRender* render, HWND window);
// Modal settings dialog: 1 on OK.  Refused (0) while it is already open;
// "Failed to open settings dialog" ("Error") when it cannot be shown.
int SettingsDialog(DeviceSettings* record);

// Reads the eleven stored values; stored adapter and mode indices that do
// not name a mode of the adapter's first hardware device (or values of the
// wrong type or out of range) give the defaults.
void ReadDeviceSettings(DeviceSettings* record);
// The defaults: every switch as in the defaults table; the first hardware
// device of the first adapter that has one, its last 800 x 600 mode (else
// its first mode) and that mode's colour depth.
void SetDeviceDefaults(DeviceSettings* record);
// Writes the eleven values as chosen, then clamps them to the hardware and
// applies them to the device list.  0 (nothing written) when no mode is
// chosen or the settings dialog is open.
int WriteAndApplyDeviceSettings(DeviceSettings* record);

// The text of a resolution list entry: "%dx%d, RGB:%d Z:%d S:%d".
void FormatResolution(char* out, std::size_t size, unsigned width, unsigned height, unsigned colour, unsigned depth,
                      unsigned stencil);
// True for a width-to-height ratio of 4:3 (within 7.6e-6 of 1.3333334).
bool IsFourByThree(unsigned width, unsigned height);

// The dialog procedures (for tests that drive them directly).
INT_PTR LaunchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
