#include "shell/game_device_callback.h"

#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "render/device/render.h"

namespace {

// Reads a REG_DWORD value; false when it is absent or of another kind.
bool ReadSetting(HKEY key, const char* name, DWORD* out) {
  DWORD type = 0, value = 0, size = sizeof(value);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD || size != sizeof(value)) return false;
  *out = value;
  return true;
}

}  // namespace

int ApplyStoredDeviceSettings(CRender* render) {
  if (render == nullptr || render->m_AdapterCount == 0) return 0;

  HKEY key = nullptr;
  const bool stored = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDeviceSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
  DWORD v = 0;
  if (stored && ReadSetting(key, "AdapterIndex", &v) && v < render->m_AdapterCount &&
      render->m_Adapters[v].DeviceCount > 0)
    render->m_CurrentAdapter = v;
  AdapterInfo& adapter = render->m_Adapters[render->m_CurrentAdapter];
  DeviceInfo& device = adapter.Devices[adapter.CurrentDevice];
  if (stored && ReadSetting(key, "ResolutionIndex", &v) && v < device.ModeCount) device.CurrentMode = v;
  DisplayModeInfo& mode = device.Modes[device.CurrentMode];

  if (stored) {
    if (ReadSetting(key, "Shadows", &v) && v == 0) mode.StencilBits = 0;
    static const struct {
      const char* name;
      DWORD flag;
    } kFeatureSettings[] = {
        {"VShaders", DFF_VERTEX_SHADERS}, {"PShaders", DFF_PIXEL_SHADERS}, {"DetailTextures", DFF_MULTITEXTURE},
        {"Decals", DFF_ZBIAS},            {"EnvironmentMaps", DFF_CUBE_MAPS},
    };
    for (const auto& s : kFeatureSettings)
      if (ReadSetting(key, s.name, &v) && v == 0) device.FeatureFlags &= ~s.flag;
    if (ReadSetting(key, "DrawDistance", &v) && v != 0) render->m_DrawDistanceSwitch = 1;
    if (ReadSetting(key, "ShrubLevel", &v) && v != 0) render->m_ShrubLevelSwitch = 1;
    if (ReadSetting(key, "TextureResolution", &v)) render->m_TextureResolution = v;
    RegCloseKey(key);
  }
  return 1;
}

int GameDeviceCallback(CRender* render, HINSTANCE, HWND window, int) {
  if (!ApplyStoredDeviceSettings(render)) return 0;
  const AdapterInfo& adapter = render->m_Adapters[render->m_CurrentAdapter];
  const DeviceInfo& device = adapter.Devices[adapter.CurrentDevice];
  const DisplayModeInfo& mode = device.Modes[device.CurrentMode];

  // The window takes the chosen mode's client size: popup style, visible, with border.
  const DWORD style = WS_POPUP | WS_VISIBLE | WS_BORDER;
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
  RECT rect{0, 0, static_cast<LONG>(mode.Width), static_cast<LONG>(mode.Height)};
  AdjustWindowRect(&rect, style, FALSE);
  SetWindowPos(window, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
  return 1;
}
