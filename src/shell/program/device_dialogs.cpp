#include "shell/program/device_dialogs.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "foundation/system/registry_key.h"
#include "platform/win32/dialog.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "render/device/render.h"

namespace {

using namespace device_dialog;

// The record of the dialogs now open (one launch dialog at a time).
DeviceSettings* gRecord = nullptr;

// The capability and feature bits the dialogs read from a device.
constexpr DWORD kCapsVertexShaders = DFF_VERTEX_SHADERS;  // 0x200
constexpr DWORD kCapsPixelShaders = DFF_PIXEL_SHADERS;    // 0x400
constexpr DWORD kCapsEnvironmentMaps = DFF_CUBE_MAPS;     // 0x1000
constexpr DWORD kFeatureDetailTextures = DFF_MULTITEXTURE;
constexpr DWORD kFeatureDecals = DFF_ZBIAS;

struct SwitchValue {
  const char* name;
  int DeviceSettings::*field;
  int defaultValue;
};
constexpr SwitchValue kSwitches[] = {
    {"Shadows", &DeviceSettings::shadows, 1},
    {"PShaders", &DeviceSettings::pixelShaders, 1},
    {"VShaders", &DeviceSettings::vertexShaders, 1},
    {"DrawDistance", &DeviceSettings::drawDistance, 0},
    {"TextureResolution", &DeviceSettings::textureResolution, 0},
    {"ShrubLevel", &DeviceSettings::shrubLevel, 0},
    {"DetailTextures", &DeviceSettings::detailTextures, 1},
    {"Decals", &DeviceSettings::decals, 1},
    {"EnvironmentMaps", &DeviceSettings::environmentMaps, 1},
};

DeviceInfo* Device(const DeviceSettings& r, int adapter, int device) {
  if (!r.render || adapter < 0 || device < 0 || static_cast<DWORD>(adapter) >= r.render->m_AdapterCount) return nullptr;
  AdapterInfo& a = r.render->m_Adapters[adapter];
  if (static_cast<DWORD>(device) >= a.DeviceCount || device >= kMaxDevices) return nullptr;
  return &a.Devices[device];
}
DeviceInfo* ChosenDevice(const DeviceSettings& r) { return Device(r, r.adapter, r.device); }
const DisplayModeInfo* ChosenMode(const DeviceSettings& r) {
  DeviceInfo* d = ChosenDevice(r);
  if (!d || r.mode < 0 || static_cast<DWORD>(r.mode) >= d->ModeCount || r.mode >= kMaxModes) return nullptr;
  return &d->Modes[r.mode];
}

// The first hardware device of an adapter, -1 when it has none.
int FirstHalDevice(const DeviceSettings& r, int adapter) {
  const AdapterInfo& a = r.render->m_Adapters[adapter];
  for (DWORD d = 0; d < a.DeviceCount && d < static_cast<DWORD>(kMaxDevices); ++d)
    if (a.Devices[d].DeviceType == D3DDEVTYPE_HAL) return static_cast<int>(d);
  return -1;
}

int ModeCount(const DeviceInfo& d) { return static_cast<int>(std::min<DWORD>(d.ModeCount, kMaxModes)); }

// Fills the resolution list with the device's 4:3 modes of the chosen colour
// depth; selects the preferred mode, else the first of the given size, else
// the first listed; -1 when nothing is listed.
void FillResolutionList(DeviceSettings* r, HWND dialog, int preferred, unsigned width, unsigned height) {
  SendDlgItemMessageA(dialog, kResolutionList, CB_RESETCONTENT, 0, 0);
  const DeviceInfo* d = ChosenDevice(*r);
  int select = -1, sized = -1, first = -1;
  if (d) {
    for (int m = 0; m < ModeCount(*d); ++m) {
      const DisplayModeInfo& mode = d->Modes[m];
      if (static_cast<int>(mode.ColourBits) != r->colourDepth || !IsFourByThree(mode.Width, mode.Height)) continue;
      char text[96];
      FormatResolution(text, sizeof text, mode.Width, mode.Height, mode.ColourBits, mode.DepthBits, mode.StencilBits);
      const LRESULT item = SendDlgItemMessageA(dialog, kResolutionList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendDlgItemMessageA(dialog, kResolutionList, CB_SETITEMDATA, static_cast<WPARAM>(item), m);
      if (first < 0) first = static_cast<int>(item);
      if (m == preferred) select = static_cast<int>(item);
      if (sized < 0 && mode.Width == width && mode.Height == height) sized = static_cast<int>(item);
    }
  }
  if (select < 0) select = sized >= 0 ? sized : first;
  if (select >= 0) {
    SendDlgItemMessageA(dialog, kResolutionList, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    r->mode = static_cast<int>(SendDlgItemMessageA(dialog, kResolutionList, CB_GETITEMDATA, select, 0));
  } else {
    r->mode = -1;
  }
}

void FillColourDepthList(DeviceSettings* r, HWND dialog) {
  static constexpr struct {
    int bits;
    const char* name;
  } kDepths[] = {{16, "16 bit colour"}, {24, "24 bit colour"}, {32, "32 bit colour"}};
  SendDlgItemMessageA(dialog, kColourDepthList, CB_RESETCONTENT, 0, 0);
  const DeviceInfo* d = ChosenDevice(*r);
  if (!d) return;
  int firstDepth = 0;
  for (const auto& depth : kDepths) {
    bool offered = false;
    for (int m = 0; m < ModeCount(*d) && !offered; ++m) offered = static_cast<int>(d->Modes[m].ColourBits) == depth.bits;
    if (!offered) continue;
    const LRESULT item = SendDlgItemMessageA(dialog, kColourDepthList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(depth.name));
    SendDlgItemMessageA(dialog, kColourDepthList, CB_SETITEMDATA, static_cast<WPARAM>(item), depth.bits);
    if (depth.bits == r->colourDepth) SendDlgItemMessageA(dialog, kColourDepthList, CB_SETCURSEL, item, 0);
    if (firstDepth == 0) firstDepth = depth.bits;
  }
  // A depth the device does not offer becomes its first one.
  if (SendDlgItemMessageA(dialog, kColourDepthList, CB_GETCURSEL, 0, 0) == CB_ERR && firstDepth != 0) {
    r->colourDepth = firstDepth;
    SendDlgItemMessageA(dialog, kColourDepthList, CB_SETCURSEL, 0, 0);
  }
}

// The check boxes show the record; each is enabled by what the device can do.
void UpdateEnabling(DeviceSettings* r, HWND dialog) {
  const DeviceInfo* d = ChosenDevice(*r);
  const DisplayModeInfo* mode = ChosenMode(*r);
  const DWORD caps = d ? d->FeatureFlags : 0;
  const struct {
    int id;
    int value;
    bool enabled;
  } boxes[] = {
      {kShadows, r->shadows, mode != nullptr && mode->StencilBits >= 8},
      {kVertexShaders, r->vertexShaders, (caps & kCapsVertexShaders) != 0},
      {kPixelShaders, r->pixelShaders,
       (caps & kCapsPixelShaders) != 0 && r->vertexShaders != 0 && r->detailTextures != 0},
      {kDetailTextures, r->detailTextures, (caps & kFeatureDetailTextures) != 0},
      {kDecals, r->decals, (caps & kFeatureDecals) != 0},
      {kEnvironmentMaps, r->environmentMaps, (caps & kCapsEnvironmentMaps) != 0 && r->detailTextures != 0},
      {kDrawDistance, r->drawDistance, true},
      {kShrubLevel, r->shrubLevel, true},
      {kWindowed, r->windowed, true},
  };
  for (const auto& b : boxes) {
    CheckDlgButton(dialog, b.id, b.value ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, b.id), b.enabled ? TRUE : FALSE);
  }
}

void FillSettingsDialog(DeviceSettings* r, HWND dialog) {
  SendDlgItemMessageA(dialog, kTextureResolutionList, CB_RESETCONTENT, 0, 0);
  static const char* const kTextureNames[2] = {"Normal textures", "High resolution textures"};
  for (int v = 0; v < 2; ++v) {
    SendDlgItemMessageA(dialog, kTextureResolutionList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kTextureNames[v]));
    SendDlgItemMessageA(dialog, kTextureResolutionList, CB_SETITEMDATA, v, v);
  }
  SendDlgItemMessageA(dialog, kTextureResolutionList, CB_SETCURSEL, r->textureResolution == 1 ? 1 : 0, 0);

  SendDlgItemMessageA(dialog, kDeviceList, CB_RESETCONTENT, 0, 0);
  for (DWORD a = 0; r->render && a < r->render->m_AdapterCount && a < static_cast<DWORD>(kMaxAdapters); ++a) {
    const AdapterInfo& adapter = r->render->m_Adapters[a];
    for (DWORD d = 0; d < adapter.DeviceCount && d < static_cast<DWORD>(kMaxDevices); ++d) {
      if (adapter.Devices[d].DeviceType != D3DDEVTYPE_HAL) continue;
      char name[600];
      std::snprintf(name, sizeof name, "%.500s: %s", adapter.Identifier.Description,
                    adapter.Devices[d].Name ? adapter.Devices[d].Name : "");
      const LRESULT item = SendDlgItemMessageA(dialog, kDeviceList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
      SendDlgItemMessageA(dialog, kDeviceList, CB_SETITEMDATA, item, static_cast<LPARAM>(a << 8 | d));
      if (static_cast<int>(a) == r->adapter && static_cast<int>(d) == r->device)
        SendDlgItemMessageA(dialog, kDeviceList, CB_SETCURSEL, item, 0);
    }
  }
  FillColourDepthList(r, dialog);
  FillResolutionList(r, dialog, r->mode, 800, 600);
  UpdateEnabling(r, dialog);
}

// Writes and reads the registry through the program's key class.
struct SettingsKey {
  CRegistryKey key;
  bool open = false;
  bool Read(const char* name, std::uint32_t* value) { return open && key.QueryDword(name, value) != 0; }
};

int LimitedIndex(std::uint32_t value) { return value <= 0x7FFFFFFFu ? static_cast<int>(value) : -1; }

}  // namespace

bool IsFourByThree(unsigned width, unsigned height) {
  if (height == 0) return false;
  const float ratio = static_cast<float>(width) / static_cast<float>(height);
  return std::fabs(ratio - 1.3333334f) <= 7.6e-6f;
}

void FormatResolution(char* out, std::size_t size, unsigned width, unsigned height, unsigned colour, unsigned depth,
                      unsigned stencil) {
  std::snprintf(out, size, "%dx%d, RGB:%d Z:%d S:%d", static_cast<int>(width), static_cast<int>(height),
                static_cast<int>(colour), static_cast<int>(depth), static_cast<int>(stencil));
}

void SetDeviceDefaults(DeviceSettings* r) {
  r->adapter = 0;
  r->device = 0;
  r->mode = 0;
  r->windowed = 0;
  for (const SwitchValue& s : kSwitches) r->*s.field = s.defaultValue;
  r->colourDepth = 0;
  if (!r->render) return;
  for (DWORD a = 0; a < r->render->m_AdapterCount && a < static_cast<DWORD>(kMaxAdapters); ++a) {
    const int d = FirstHalDevice(*r, static_cast<int>(a));
    if (d < 0) continue;
    const DeviceInfo& device = r->render->m_Adapters[a].Devices[d];
    int mode = 0;
    for (int m = 0; m < ModeCount(device); ++m)
      if (device.Modes[m].Width == 800 && device.Modes[m].Height == 600) mode = m;
    r->adapter = static_cast<int>(a);
    r->device = d;
    r->mode = ModeCount(device) > 0 ? mode : -1;
    r->colourDepth = r->mode >= 0 ? static_cast<int>(device.Modes[mode].ColourBits) : 0;
    return;
  }
}

void ReadDeviceSettings(DeviceSettings* r) {
  r->settingsOpen = 0;
  r->adapter = -1;
  r->mode = -1;
  SettingsKey key;
  key.open = key.key.Open(HKEY_LOCAL_MACHINE, kDeviceSettingsRegistryKey) != 0;
  std::uint32_t adapter = 0, mode = 0;
  const bool haveAdapter = key.Read("AdapterIndex", &adapter);
  const bool haveMode = key.Read("ResolutionIndex", &mode);
  SetDeviceDefaults(r);  // the switches' defaults, kept where a value cannot be read
  for (const SwitchValue& s : kSwitches) {
    std::uint32_t v = 0;
    const std::uint32_t limit = 1;
    if (key.Read(s.name, &v) && v <= limit) r->*s.field = static_cast<int>(v);
  }
  if (!haveAdapter || !haveMode || !r->render) return SetDeviceDefaults(r);
  // The stored mode must be one of the adapter's first hardware device.
  const int a = LimitedIndex(adapter);
  if (a < 0 || static_cast<DWORD>(a) >= r->render->m_AdapterCount || a >= kMaxAdapters) return SetDeviceDefaults(r);
  const int d = FirstHalDevice(*r, a);
  const int m = LimitedIndex(mode);
  if (d < 0 || m < 0 || m >= ModeCount(r->render->m_Adapters[a].Devices[d])) return SetDeviceDefaults(r);
  const int depth = static_cast<int>(r->render->m_Adapters[a].Devices[d].Modes[m].ColourBits);
  if (depth <= 0) return SetDeviceDefaults(r);
  r->adapter = a;
  r->device = d;
  r->mode = m;
  r->colourDepth = depth;
}

int WriteAndApplyDeviceSettings(DeviceSettings* r) {
  DeviceInfo* device = ChosenDevice(*r);
  const DisplayModeInfo* chosen = ChosenMode(*r);
  if (chosen == nullptr || r->settingsOpen) return 0;
  CRegistryKey key;
  if (key.Create(HKEY_LOCAL_MACHINE, kDeviceSettingsRegistryKey)) {
    key.SetDword("AdapterIndex", static_cast<std::uint32_t>(r->adapter));
    key.SetDword("ResolutionIndex", static_cast<std::uint32_t>(r->mode));
    for (const SwitchValue& s : kSwitches) key.SetDword(s.name, static_cast<std::uint32_t>(r->*s.field));
  }
  // What the hardware cannot do is switched off for this run only.
  const DWORD caps = device->FeatureFlags;
  if (chosen->StencilBits < 8) r->shadows = 0;
  if (!(caps & kCapsVertexShaders)) r->vertexShaders = 0;
  if (!(caps & kCapsPixelShaders)) r->pixelShaders = 0;
  if (!(caps & kFeatureDetailTextures)) r->detailTextures = 0;
  if (!(caps & kFeatureDecals)) r->decals = 0;
  if (!(caps & kCapsEnvironmentMaps)) r->environmentMaps = 0;
  if (!r->vertexShaders) device->FeatureFlags &= ~kCapsVertexShaders;
  if (!r->pixelShaders) device->FeatureFlags &= ~kCapsPixelShaders;
  if (!r->environmentMaps) device->FeatureFlags &= ~kCapsEnvironmentMaps;
  if (!r->detailTextures) device->FeatureFlags &= ~kFeatureDetailTextures;
  if (!r->decals) device->FeatureFlags &= ~kFeatureDecals;

  CRender* render = r->render;
  device->CurrentMode = static_cast<DWORD>(r->mode);
  render->m_Adapters[r->adapter].CurrentDevice = static_cast<DWORD>(r->device);
  if (!r->shadows) device->Modes[r->mode].StencilBits = 0;
  if (r->shrubLevel) render->m_ShrubLevelSwitch = 1;
  render->m_TextureResolution = static_cast<DWORD>(r->textureResolution);
  if (r->drawDistance) render->m_DrawDistanceSwitch = 1;
  render->m_CurrentAdapter = static_cast<DWORD>(r->adapter);
  return 1;
}

INT_PTR LaunchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    gRecord = reinterpret_cast<DeviceSettings*>(lParam);
    gRecord->launchDialog = dialog;
    if (gRecord->wantPicture) {
      HBITMAP picture = LoadBitmapA(gRecord->instance, MAKEINTRESOURCEA(kLaunchPicture));
      SendDlgItemMessageA(dialog, kPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
    SetDlgItemTextA(dialog, kCancel, "Cancel");
    SetDlgItemTextA(dialog, kSettings, "Settings...");
    ReadDeviceSettings(gRecord);
    return TRUE;
  }
  if (message != WM_COMMAND || gRecord == nullptr) return FALSE;
  switch (LOWORD(wParam)) {
    case kOk:
      if (WriteAndApplyDeviceSettings(gRecord) == 1) EndDialog(dialog, 1);
      return TRUE;
    case kSettings: SettingsDialog(gRecord); return TRUE;
    case kCancel:
      if (!gRecord->settingsOpen) EndDialog(dialog, 0);
      return TRUE;
    default: return FALSE;
  }
}

INT_PTR SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    DeviceSettings* r = reinterpret_cast<DeviceSettings*>(lParam);
    gRecord = r;
    r->settingsDialog = dialog;
    r->settingsOpen = 1;
    SetWindowTextA(dialog, "Vantor: Halberd - Settings");
    FillSettingsDialog(r, dialog);
    return TRUE;
  }
  if (message != WM_COMMAND || gRecord == nullptr) return FALSE;
  DeviceSettings* r = gRecord;
  const int id = LOWORD(wParam);
  auto selectedData = [&](int list) -> LPARAM {
    const LRESULT sel = SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0);
    return sel == CB_ERR ? -1 : SendDlgItemMessageA(dialog, list, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0);
  };
  auto toggle = [&](int DeviceSettings::*field) {
    r->*field = r->*field ? 0 : 1;
    UpdateEnabling(r, dialog);
  };
  switch (id) {
    case kDeviceList: {
      const LPARAM data = selectedData(kDeviceList);
      if (data < 0) return TRUE;
      r->adapter = static_cast<int>(data >> 8);
      r->device = static_cast<int>(data & 0xFF);
      FillResolutionList(r, dialog, -1, 800, 600);
      UpdateEnabling(r, dialog);
      return TRUE;
    }
    case kResolutionList: {
      const LPARAM data = selectedData(kResolutionList);
      if (data >= 0) r->mode = static_cast<int>(data);
      UpdateEnabling(r, dialog);
      return TRUE;
    }
    case kColourDepthList: {
      const LPARAM data = selectedData(kColourDepthList);
      if (data <= 0) return TRUE;
      // The same size in the new depth, else 800 x 600.
      unsigned width = 800, height = 600;
      if (const DisplayModeInfo* old = ChosenMode(*r)) {
        const DeviceInfo* d = ChosenDevice(*r);
        for (int m = 0; m < ModeCount(*d); ++m)
          if (static_cast<int>(d->Modes[m].ColourBits) == data && d->Modes[m].Width == old->Width &&
              d->Modes[m].Height == old->Height) {
            width = old->Width;
            height = old->Height;
            break;
          }
      }
      r->colourDepth = static_cast<int>(data);
      FillResolutionList(r, dialog, -1, width, height);
      UpdateEnabling(r, dialog);
      return TRUE;
    }
    case kTextureResolutionList: {
      const LPARAM data = selectedData(kTextureResolutionList);
      if (data >= 0) r->textureResolution = static_cast<int>(data);
      return TRUE;
    }
    case kShadows: toggle(&DeviceSettings::shadows); return TRUE;
    case kPixelShaders: toggle(&DeviceSettings::pixelShaders); return TRUE;
    case kVertexShaders: toggle(&DeviceSettings::vertexShaders); return TRUE;
    case kDrawDistance: toggle(&DeviceSettings::drawDistance); return TRUE;
    case kShrubLevel: toggle(&DeviceSettings::shrubLevel); return TRUE;
    case kDetailTextures: toggle(&DeviceSettings::detailTextures); return TRUE;
    case kDecals: toggle(&DeviceSettings::decals); return TRUE;
    case kEnvironmentMaps: toggle(&DeviceSettings::environmentMaps); return TRUE;
    case kWindowed: UpdateEnabling(r, dialog); return TRUE;  // shown, not acted on
    case kDefaults:
      SetDeviceDefaults(r);
      FillSettingsDialog(r, dialog);
      return TRUE;
    case kSettingsOk:
      if (r->mode < 0) return TRUE;
      r->settingsOpen = 0;
      EndDialog(dialog, 1);
      return TRUE;
    case kSettingsCancel:
      r->settingsOpen = 0;
      EndDialog(dialog, 0);
      return TRUE;
    default: return FALSE;
  }
}

int SettingsDialog(DeviceSettings* record) {
  if (record->settingsOpen) return 0;
  RegisterDeviceDialogResources();
  const INT_PTR result = DialogBoxParamA(record->instance, MAKEINTRESOURCEA(kSettingsDialog), record->launchDialog,
                                         SettingsDialogProc, reinterpret_cast<LPARAM>(record));
  record->settingsOpen = 0;
  record->settingsDialog = nullptr;
  if (result == -1) {
    MessageBoxA(record->launchDialog, "Failed to open settings dialog", "Error", MB_OK);
    return 0;
  }
  return result == 1 ? 1 : 0;
}

int LaunchDialog(DeviceSettings* record, CRender* render, HWND window) {
  RegisterDeviceDialogResources();
  record->render = render;
  DeviceSettings* outer = gRecord;
  const INT_PTR result = DialogBoxParamA(record->instance, MAKEINTRESOURCEA(kLaunchDialog), window, LaunchDialogProc,
                                         reinterpret_cast<LPARAM>(record));
  gRecord = outer;
  record->launchDialog = nullptr;
  if (result == -1) {
    MessageBoxA(window, "Failed to open launch dialog", "Error", MB_OK);
    return 0;
  }
  return result == 1 ? 1 : 0;
}

void RegisterDeviceDialogResources() {
  using K = DialogControlKind;
  DialogResource launch{"Vantor: Halberd", 420, 300, {}};
  launch.controls = {
      {kPicture, K::Picture, nullptr, 10, 10, 400, 220},
      {kOk, K::DefaultButton, "Play", 10, 250, 120, 32},
      {kSettings, K::Button, "Settings...", 150, 250, 120, 32},
      {kCancel, K::Button, "Cancel", 290, 250, 120, 32},
  };
  RegisterDialogResource(kLaunchDialog, launch);

  DialogResource settings{"Vantor: Halberd - Settings", 560, 420, {}};
  settings.controls = {
      {0, K::Label, "3D device", 10, 12, 130, 20},
      {kDeviceList, K::ComboBox, nullptr, 150, 10, 400, 24},
      {0, K::Label, "Colour depth", 10, 47, 130, 20},
      {kColourDepthList, K::ComboBox, nullptr, 150, 45, 400, 24},
      {0, K::Label, "Resolution", 10, 82, 130, 20},
      {kResolutionList, K::ComboBox, nullptr, 150, 80, 400, 24},
      {0, K::Label, "Textures", 10, 117, 130, 20},
      {kTextureResolutionList, K::ComboBox, nullptr, 150, 115, 400, 24},
      {kShadows, K::CheckBox, "&Volumetric shadows", 10, 160, 260, 24},
      {kPixelShaders, K::CheckBox, "&Per pixel lighting", 10, 195, 260, 24},
      {kVertexShaders, K::CheckBox, "&Moving vegetation", 10, 230, 260, 24},
      {kDrawDistance, K::CheckBox, "&Extended draw distance", 10, 265, 260, 24},
      {kWindowed, K::CheckBox, "&Windowed", 290, 160, 260, 24},
      {kShrubLevel, K::CheckBox, "Less &shrubs", 290, 195, 260, 24},
      {kDetailTextures, K::CheckBox, "Detail textures", 290, 230, 260, 24},
      {kDecals, K::CheckBox, "Decals", 290, 265, 260, 24},
      {kEnvironmentMaps, K::CheckBox, "Environment Maps", 290, 300, 260, 24},
      {kDefaults, K::Button, "Set to defaults", 10, 370, 160, 32},
      {kSettingsOk, K::DefaultButton, "OK", 290, 370, 120, 32},
      {kSettingsCancel, K::Button, "Cancel", 430, 370, 120, 32},
  };
  RegisterDialogResource(kSettingsDialog, settings);

  // The launch picture: a dusk sky over dark ground with the title bar.
  static std::vector<std::uint32_t> picture;
  if (picture.empty()) {
    constexpr int w = 400, h = 220;
    picture.resize(w * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint32_t r = 40 + y * 120 / h, g = 30 + y * 50 / h, b = 90 - y * 60 / h;
        if (y > h * 3 / 4 - (x % 97) / 8) r = g = b = 20;
        if (y > 20 && y < 60 && x > 40 && x < 360) r = 200, g = 170, b = 90;
        picture[y * w + x] = 0xFF000000u | r << 16 | g << 8 | b;
      }
  }
  RegisterBitmapResource(kLaunchPicture, 400, 220, picture.data());
}
