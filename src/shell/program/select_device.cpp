#include "shell/program/select_device.h"

#include "foundation/files/catalog.h"
#include "foundation/text/locale_table.h"
#include "platform/win32/library.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "platform/win32/dialog.h"
#include "shell/game_device_callback.h"
#include "shell/program/device_dialogs.h"
#include "shell/program/shell_state.h"
#include "shell/program/game_objects.h"
#include "shell/program/localisation.h"
#include "shell/program/startup_trace.h"

int SelectDevice(CRender* render, HWND window) {
  TraceStep("select device: catalog 0 and localisation");
  OpenCatalog(0, nullptr, 0, 0);
  LoadLocalisation();

  HMODULE helper = LoadLibraryA("dpnhpast.dll");
  if (helper == nullptr) {
    StartupCancelled = 1;
    const char* text = g_Locale != nullptr ? g_Locale->GetString(kNetworkComponentMissingText) : nullptr;
    MessageBoxA(window, text != nullptr ? text : "", "", MB_OK);
    return 0;
  }
  FreeLibrary(helper);

  // The launch dialog; a run that no one can answer (no display and no
  // scripted answer) takes the stored settings as its OK would.
  DeviceSettings settings;
  settings.render = render;
  settings.instance = AppInstance;
  int accepted = 0;
  if (render == nullptr || render->m_AdapterCount == 0) {
    accepted = 0;
  } else if (DialogsCanBeAnswered()) {
    TraceStep("select device: launch dialog");
    accepted = LaunchDialog(&settings, render, window);
  } else {
    TraceStep("select device: launch dialog not shown (no display, no scripted answer): stored settings");
    ReadDeviceSettings(&settings);
    accepted = WriteAndApplyDeviceSettings(&settings);
  }
  if (!accepted) {
    StartupCancelled = 1;
    return 0;
  }
  StartupCancelled = 0;

  const AdapterInfo& adapter = render->m_Adapters[render->m_CurrentAdapter];
  const DeviceInfo& device = adapter.Devices[adapter.CurrentDevice];
  const DisplayModeInfo& mode = device.Modes[device.CurrentMode];
  // The rectangle is adjusted for the style the window gets, so that its
  // client area is the mode's size.
  RECT rect{0, 0, static_cast<LONG>(mode.Width), static_cast<LONG>(mode.Height)};
  AdjustWindowRect(&rect, kGameWindowStyle, FALSE);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(kGameWindowStyle));
  SetWindowPos(window, HWND_BOTTOM, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOREDRAW | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
  TraceStep("select device: accepted");
  return 1;
}

int SelectDeviceCallback(CRender* render, HINSTANCE, HWND window, int) { return SelectDevice(render, window); }
