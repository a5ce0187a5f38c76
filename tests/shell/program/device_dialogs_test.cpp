// The launch and device-settings dialogs over synthetic device lists, run on
// the offscreen display and answered with injected clicks.
#include "shell/program/device_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/system/registry_key.h"
#include "platform/win32/dialog.h"
#include "render/device/render.h"
#include "tests/test_support/registry_folder_test.h"

namespace {

using namespace device_dialog;

struct ModeSpec {
  DWORD width, height, colour, depth, stencil;
};

void AddDevice(CRender& render, DWORD adapter, D3DDEVTYPE type, DWORD features, const std::vector<ModeSpec>& modes) {
  if (render.m_AdapterCount <= adapter) render.m_AdapterCount = adapter + 1;
  AdapterInfo& a = render.m_Adapters[adapter];
  std::snprintf(a.Identifier.Description, sizeof a.Identifier.Description, "Adapter %u", adapter);
  DeviceInfo& d = a.Devices[a.DeviceCount++];
  d.DeviceType = type;
  d.Name = type == D3DDEVTYPE_HAL ? "HAL" : "REF";
  d.FeatureFlags = features;
  d.ModeCount = static_cast<DWORD>(modes.size());
  for (std::size_t i = 0; i < modes.size(); ++i) {
    d.Modes[i].Width = modes[i].width;
    d.Modes[i].Height = modes[i].height;
    d.Modes[i].ColourBits = modes[i].colour;
    d.Modes[i].DepthBits = modes[i].depth;
    d.Modes[i].StencilBits = modes[i].stencil;
  }
}

constexpr DWORD kAllFeatures = DFF_MULTITEXTURE | DFF_ZBIAS | DFF_VERTEX_SHADERS | DFF_PIXEL_SHADERS | DFF_CUBE_MAPS;

// Adapter 0 has only a reference device; adapter 1 a reference device and a
// hardware device with two 800 x 600 modes.
std::unique_ptr<CRender> TwoAdapters(DWORD features = kAllFeatures) {
  auto render = std::make_unique<CRender>();
  AddDevice(*render, 0, D3DDEVTYPE_REF, kAllFeatures, {{640, 480, 32, 24, 8}, {800, 600, 32, 24, 8}});
  AddDevice(*render, 1, D3DDEVTYPE_REF, kAllFeatures, {{800, 600, 32, 24, 8}});
  AddDevice(*render, 1, D3DDEVTYPE_HAL, features,
            {{640, 480, 16, 16, 0},
             {800, 600, 16, 16, 0},
             {800, 600, 32, 24, 0},
             {800, 600, 32, 24, 8},
             {1280, 720, 32, 24, 8},
             {1280, 1024, 32, 24, 8},
             {1024, 768, 32, 24, 8},
             {1024, 768, 16, 16, 0}});
  return render;
}

// The settings a start reads for this device list (the registry as the test
// left it).
DeviceSettings ReadFor(CRender& render) {
  DeviceSettings r;
  r.render = &render;
  ReadDeviceSettings(&r);
  return r;
}

// A frame hook from a lambda; runs on the dialog named (0: any).
struct Hook {
  std::function<void(HWND, int)> body;
  int dialog = 0;
  static void Call(HWND d, int frame, void* self) {
    auto* h = static_cast<Hook*>(self);
    if (h->dialog == 0 || Win32DialogResourceId(d) == h->dialog) h->body(d, frame);
  }
};

std::vector<std::string> ListEntries(HWND dialog, int id) {
  std::vector<std::string> out;
  const LRESULT n = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    char text[128] = {};
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    out.emplace_back(text);
  }
  return out;
}

std::string Selected(HWND dialog, int id) {
  const LRESULT i = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR) return "";
  char text[128] = {};
  SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
  return text;
}

class DeviceDialogs : public RegistryFolderTest {
 protected:
  DeviceDialogs() : RegistryFolderTest("halberd_device_dialogs_") {}
  void SetUp() override {
    RegistryFolderTest::SetUp();
    ClearDialogActions();
  }
  void TearDown() override {
    SetDialogFrameHook(nullptr, nullptr);
    ClearDialogActions();
    RegistryFolderTest::TearDown();
  }
  void Use(Hook* hook) { SetDialogFrameHook(&Hook::Call, hook); }
  static void Queue(const char* script) {
    std::vector<DialogAction> actions;
    std::string error;
    ASSERT_TRUE(ParseDialogScript(script, &actions, &error)) << error;
    QueueDialogActions(actions);
  }
  static std::uint32_t Stored(const char* name) {
    CRegistryKey key;
    std::uint32_t v = 0xDEAD;
    if (key.Open(HKEY_LOCAL_MACHINE, kDeviceSettingsRegistryKey)) key.QueryDword(name, &v);
    return v;
  }
  static void Store(const char* name, std::uint32_t value) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_LOCAL_MACHINE, kDeviceSettingsRegistryKey));
    ASSERT_TRUE(key.SetDword(name, value));
  }
};

TEST_F(DeviceDialogs, AFirstStartTakesTheFirstHardwareDeviceAndItsLast800By600Mode) {
  auto render = TwoAdapters();
  DeviceSettings r = ReadFor(*render);
  EXPECT_EQ(r.adapter, 1);
  EXPECT_EQ(r.device, 1);
  EXPECT_EQ(r.mode, 3);
  EXPECT_EQ(r.colourDepth, 32);
  EXPECT_EQ(r.windowed, 0);
  const int expected[] = {1, 1, 1, 0, 0, 0, 1, 1, 1};
  const int actual[] = {r.shadows,   r.pixelShaders,   r.vertexShaders, r.drawDistance, r.textureResolution,
                        r.shrubLevel, r.detailTextures, r.decals,        r.environmentMaps};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(actual[i], expected[i]) << i;

  // A hardware device without an 800 x 600 mode takes its first mode.
  auto other = std::make_unique<CRender>();
  AddDevice(*other, 0, D3DDEVTYPE_HAL, kAllFeatures, {{1024, 768, 16, 16, 0}, {640, 480, 32, 24, 8}});
  DeviceSettings o = ReadFor(*other);
  EXPECT_EQ(o.mode, 0);
  EXPECT_EQ(o.colourDepth, 16);
}

TEST_F(DeviceDialogs, TheResolutionListOffersOnlyFourByThreeModesOfTheChosenDepth) {
  auto render = TwoAdapters();
  DeviceSettings r = ReadFor(*render);
  std::vector<std::string> entries, depths, devices;
  std::string selected;
  Hook hook{[&](HWND d, int) {
              entries = ListEntries(d, kResolutionList);
              depths = ListEntries(d, kColourDepthList);
              devices = ListEntries(d, kDeviceList);
              selected = Selected(d, kResolutionList);
              EndDialog(d, 0);
            },
            kSettingsDialog};
  Use(&hook);
  EXPECT_EQ(SettingsDialog(&r), 0);
  const std::vector<std::string> expected = {"800x600, RGB:32 Z:24 S:0", "800x600, RGB:32 Z:24 S:8",
                                             "1024x768, RGB:32 Z:24 S:8"};
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(selected, "800x600, RGB:32 Z:24 S:8");
  EXPECT_EQ(depths.size(), 2u);  // 16 and 32: the device has no 24-bit mode
  EXPECT_EQ(devices, std::vector<std::string>{"Adapter 1: HAL"});
  EXPECT_EQ(r.settingsOpen, 0);

  struct Ratio {
    unsigned w, h;
    bool fourByThree;
  } ratios[] = {{640, 480, true}, {1600, 1200, true}, {1280, 1024, false}, {1280, 720, false}, {800, 0, false},
                {1152, 864, true}, {1280, 960, true}, {1281, 960, false}};
  for (const Ratio& c : ratios) EXPECT_EQ(IsFourByThree(c.w, c.h), c.fourByThree) << c.w << "x" << c.h;
}

TEST_F(DeviceDialogs, EnablingRulesFollowTheDevice) {
  struct Case {
    DWORD features;
    DWORD stencil;
    int vertexShaders, detailTextures;
    bool shadows, pixel, vertex, detail, decals, environment;
  } cases[] = {
      {kAllFeatures, 8, 1, 1, true, true, true, true, true, true},
      {kAllFeatures, 4, 1, 1, false, true, true, true, true, true},
      {kAllFeatures, 8, 0, 1, true, false, true, true, true, true},
      {kAllFeatures, 8, 1, 0, true, false, true, true, true, false},
      {kAllFeatures & ~DFF_PIXEL_SHADERS, 8, 1, 1, true, false, true, true, true, true},
      {kAllFeatures & ~DFF_VERTEX_SHADERS, 8, 1, 1, true, true, false, true, true, true},
      {kAllFeatures & ~DFF_CUBE_MAPS, 8, 1, 1, true, true, true, true, true, false},
      {kAllFeatures & ~DFF_MULTITEXTURE, 8, 1, 1, true, true, true, false, true, true},
      {kAllFeatures & ~DFF_ZBIAS, 8, 1, 1, true, true, true, true, false, true},
  };
  for (const Case& c : cases) {
    auto render = std::make_unique<CRender>();
    AddDevice(*render, 0, D3DDEVTYPE_HAL, c.features, {{800, 600, 32, 24, c.stencil}});
    DeviceSettings r = ReadFor(*render);
    r.vertexShaders = c.vertexShaders;
    r.detailTextures = c.detailTextures;
    bool got[6] = {};
    UINT checkedVertex = 9;
    Hook hook{[&](HWND d, int) {
                const int ids[6] = {kShadows, kPixelShaders, kVertexShaders, kDetailTextures, kDecals, kEnvironmentMaps};
                for (int i = 0; i < 6; ++i) got[i] = IsWindowEnabled(GetDlgItem(d, ids[i])) != FALSE;
                checkedVertex = IsDlgButtonChecked(d, kVertexShaders);
                EndDialog(d, 0);
              },
              kSettingsDialog};
    Use(&hook);
    SettingsDialog(&r);
    const bool want[6] = {c.shadows, c.pixel, c.vertex, c.detail, c.decals, c.environment};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], want[i]) << "case " << (&c - cases) << " box " << i;
    EXPECT_EQ(checkedVertex, c.vertexShaders ? BST_CHECKED : BST_UNCHECKED);
  }
}

TEST_F(DeviceDialogs, ClickingMovingVegetationOffDisablesPerPixelLighting) {
  auto render = TwoAdapters();
  DeviceSettings r;
  bool pixelBefore = false, pixelAfter = true;
  Hook hook{[&](HWND d, int frame) {
              if (frame == 0) pixelBefore = IsWindowEnabled(GetDlgItem(d, kPixelShaders)) != FALSE;
              if (PendingDialogActions() == 2) pixelAfter = IsWindowEnabled(GetDlgItem(d, kPixelShaders)) != FALSE;
            },
            kSettingsDialog};
  Use(&hook);
  Queue("106 click 1029\n108 click 1023\n108 click 1040\n106 click 1\n");
  EXPECT_EQ(LaunchDialog(&r, render.get(), nullptr), 1);
  EXPECT_TRUE(pixelBefore);
  EXPECT_FALSE(pixelAfter);
  EXPECT_EQ(Stored("VShaders"), 0u);
  EXPECT_EQ(Stored("PShaders"), 1u);  // written as chosen
  // ... but the device is used without either.
  const DeviceInfo& device = render->m_Adapters[1].Devices[1];
  EXPECT_EQ(device.FeatureFlags & DFF_VERTEX_SHADERS, 0u);
  EXPECT_NE(device.FeatureFlags & DFF_PIXEL_SHADERS, 0u);
}

TEST_F(DeviceDialogs, OkWritesTheElevenValuesAsChosenAndClampsTheDevice) {
  // A device without pixel shaders, decals or environment maps; the chosen
  // mode has no stencil bits.
  auto render = TwoAdapters(DFF_MULTITEXTURE | DFF_VERTEX_SHADERS);
  DeviceSettings r;
  // Settings: the 800 x 600 mode without stencil, high textures, draw
  // distance and fewer shrubs; then OK in both dialogs.
  Queue(
      "106 click 1029\n108 choose 1020 0\n108 choose 1026 1\n108 click 1024\n108 click 1027\n"
      "108 click 1040\n106 click 1\n");
  EXPECT_EQ(LaunchDialog(&r, render.get(), nullptr), 1);
  const struct {
    const char* name;
    std::uint32_t value;
  } stored[] = {{"AdapterIndex", 1},  {"ResolutionIndex", 2}, {"Shadows", 1},       {"PShaders", 1},
                {"VShaders", 1},      {"DrawDistance", 1},    {"TextureResolution", 1}, {"ShrubLevel", 1},
                {"DetailTextures", 1}, {"Decals", 1},         {"EnvironmentMaps", 1}};
  for (const auto& s : stored) EXPECT_EQ(Stored(s.name), s.value) << s.name;
  const DeviceInfo& device = render->m_Adapters[1].Devices[1];
  EXPECT_EQ(render->m_CurrentAdapter, 1u);
  EXPECT_EQ(render->m_Adapters[1].CurrentDevice, 1u);
  EXPECT_EQ(device.CurrentMode, 2u);
  EXPECT_EQ(device.FeatureFlags, static_cast<DWORD>(DFF_MULTITEXTURE | DFF_VERTEX_SHADERS));
  EXPECT_EQ(device.Modes[2].StencilBits, 0u);
  EXPECT_EQ(render->m_TextureResolution, 1u);
  EXPECT_EQ(render->m_DrawDistanceSwitch, 1);
  EXPECT_EQ(render->m_ShrubLevelSwitch, 1);
  EXPECT_EQ(r.shadows, 0);  // clamped for this run
  EXPECT_EQ(r.pixelShaders, 0);
  EXPECT_EQ(r.decals, 0);

  // The next start reads the same choices back.
  auto again = TwoAdapters();
  DeviceSettings next = ReadFor(*again);
  EXPECT_EQ(next.adapter, 1);
  EXPECT_EQ(next.mode, 2);
  EXPECT_EQ(next.textureResolution, 1);
  EXPECT_EQ(next.shrubLevel, 1);
  EXPECT_EQ(next.drawDistance, 1);
  EXPECT_EQ(next.pixelShaders, 1);
}

TEST_F(DeviceDialogs, CancelIsIgnoredWhileTheSettingsDialogIsOpen) {
  auto render = TwoAdapters();
  DeviceSettings r;
  int settingsOpenSeen = -1;
  Hook hook{[&](HWND, int frame) {
              if (frame != 1) return;
              settingsOpenSeen = r.settingsOpen;
              // Cancel reaching the launch dialog now does nothing.
              LaunchDialogProc(r.launchDialog, WM_COMMAND, MAKELONG(kCancel, BN_CLICKED), 0);
              // Nor can OK write while the settings are open.
              EXPECT_EQ(WriteAndApplyDeviceSettings(&r), 0);
              EXPECT_EQ(SettingsDialog(&r), 0);  // not twice
            },
            kSettingsDialog};
  Use(&hook);
  Queue("106 click 1029\n108 click 1041\n106 click 2\n");
  EXPECT_EQ(LaunchDialog(&r, render.get(), nullptr), 0);
  EXPECT_EQ(settingsOpenSeen, 1);
  EXPECT_EQ(PendingDialogActions(), 0u);  // the launch dialog lived on to take the last click
  EXPECT_EQ(Stored("AdapterIndex"), 0xDEADu);  // nothing written
}

TEST_F(DeviceDialogs, SetToDefaultsRefillsTheDialog) {
  auto render = TwoAdapters();
  DeviceSettings r = ReadFor(*render);
  std::string before, after;
  UINT shadowsAfter = 0, decalsAfter = 1;
  Hook hook{[&](HWND d, int) {
              if (PendingDialogActions() == 1) {
                before = Selected(d, kResolutionList);
              } else if (PendingDialogActions() == 0) {
                after = Selected(d, kResolutionList);
                shadowsAfter = IsDlgButtonChecked(d, kShadows);
                decalsAfter = IsDlgButtonChecked(d, kDecals);
                EndDialog(d, 0);
              }
            },
            kSettingsDialog};
  Use(&hook);
  Queue("108 click 1030\n108 choose 1020 2\n108 click 1021\n108 click 1034\n");
  SettingsDialog(&r);
  EXPECT_EQ(before, "1024x768, RGB:32 Z:24 S:8");
  EXPECT_EQ(after, "800x600, RGB:32 Z:24 S:8");
  EXPECT_EQ(shadowsAfter, BST_CHECKED);
  EXPECT_EQ(decalsAfter, BST_CHECKED);
  EXPECT_EQ(r.mode, 3);
  EXPECT_EQ(r.decals, 1);
}

TEST_F(DeviceDialogs, ColourDepthChangeKeepsTheSizeOrFallsBackTo800By600) {
  auto render = TwoAdapters();
  DeviceSettings r = ReadFor(*render);
  std::vector<std::string> seen;
  Hook hook{[&](HWND d, int) {
              if (PendingDialogActions() == 0) {
                seen = ListEntries(d, kResolutionList);
                seen.push_back(Selected(d, kResolutionList));
                EndDialog(d, 0);
              }
            },
            kSettingsDialog};
  Use(&hook);
  // 1024 x 768 at 32 bits, then 16 bits: 1024 x 768 exists there too.
  Queue("108 choose 1020 2\n108 choose 1029 0\n");
  SettingsDialog(&r);
  const std::vector<std::string> expected = {"640x480, RGB:16 Z:16 S:0", "800x600, RGB:16 Z:16 S:0",
                                             "1024x768, RGB:16 Z:16 S:0", "1024x768, RGB:16 Z:16 S:0"};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(r.mode, 7);
  EXPECT_EQ(r.colourDepth, 16);
}

TEST_F(DeviceDialogs, StoredValuesOutOfRangeOrOfTheWrongTypeGiveTheDefaults) {
  auto render = TwoAdapters();
  struct Case {
    const char* name;
    std::uint32_t value;
    bool asText;
  } cases[] = {
      {"AdapterIndex", 7, false},       // no such adapter
      {"AdapterIndex", 0, false},       // adapter 0 has no hardware device
      {"ResolutionIndex", 8, false},    // past the device's modes
      {"ResolutionIndex", 0xFFFFFFFFu, false},
      {"Shadows", 5, false},            // not a switch value
      {"TextureResolution", 2, false},
      {"Decals", 0, true},              // text, not a number
  };
  for (const Case& c : cases) {
    SetUp();
    Store("AdapterIndex", 1);
    Store("ResolutionIndex", 6);
    if (c.asText) {
      CRegistryKey key;
      ASSERT_TRUE(key.Create(HKEY_LOCAL_MACHINE, kDeviceSettingsRegistryKey));
      key.SetString(c.name, "0");
    } else {
      Store(c.name, c.value);
    }
    DeviceSettings r = ReadFor(*render);
    const bool index = std::string(c.name) == "AdapterIndex" || std::string(c.name) == "ResolutionIndex";
    EXPECT_EQ(r.adapter, 1) << c.name;
    EXPECT_EQ(r.mode, index ? 3 : 6) << c.name;
    EXPECT_EQ(r.shadows, 1) << c.name;
    EXPECT_EQ(r.textureResolution, 0) << c.name;
    EXPECT_EQ(r.decals, 1) << c.name;
    TearDown();
  }
}

TEST_F(DeviceDialogs, ChoosingAnotherDevicePrefers800By600) {
  auto render = TwoAdapters();
  AddDevice(*render, 2, D3DDEVTYPE_HAL, kAllFeatures,
            {{800, 600, 32, 24, 8}, {1600, 1200, 32, 24, 8}, {800, 600, 32, 16, 0}});
  DeviceSettings r = ReadFor(*render);
  Hook hook{[&](HWND d, int) {
              if (PendingDialogActions() == 0) EndDialog(d, 0);
            },
            kSettingsDialog};
  Use(&hook);
  Queue("108 choose 1018 1\n");
  SettingsDialog(&r);
  EXPECT_EQ(r.adapter, 2);
  EXPECT_EQ(r.device, 0);
  EXPECT_EQ(r.mode, 0);
}

TEST_F(DeviceDialogs, LaunchDialogShowsItsPictureAndCancelEndsIt) {
  auto render = TwoAdapters();
  DeviceSettings r;
  bool picture = false;
  Hook hook{[&](HWND d, int) {
              picture = SendDlgItemMessageA(d, kPicture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
            },
            kLaunchDialog};
  Use(&hook);
  Queue("106 click 2\n");
  EXPECT_EQ(LaunchDialog(&r, render.get(), nullptr), 0);
  EXPECT_TRUE(picture);
  EXPECT_EQ(Stored("AdapterIndex"), 0xDEADu);
}

}  // namespace
