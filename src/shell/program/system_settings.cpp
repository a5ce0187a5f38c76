#include "shell/program/system_settings.h"

#include "platform/win32/system_parameters.h"

namespace {

struct SavedSetting {
  UINT get;
  UINT set;
  BOOL value;
};

SavedSetting g_settings[3] = {
    {SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE, FALSE},
    {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE, FALSE},
    {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE, FALSE},
};
bool g_saved = false;

}  // namespace

void SaveAndDisableSystemSettings() {
  for (SavedSetting& s : g_settings) SystemParametersInfoA(s.get, 0, &s.value, 0);
  for (SavedSetting& s : g_settings) SystemParametersInfoA(s.set, FALSE, nullptr, SPIF_SENDCHANGE);
  g_saved = true;
}

void RestoreSystemSettings() {
  if (!g_saved) return;
  for (SavedSetting& s : g_settings) SystemParametersInfoA(s.set, s.value ? 1u : 0u, nullptr, SPIF_SENDCHANGE);
  g_saved = false;
}

bool SystemSettingsSaved() { return g_saved; }
