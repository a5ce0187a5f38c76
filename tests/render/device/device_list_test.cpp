// Listing adapters, devices and display modes over a scripted Direct3D factory:
// the mode filter and order, the initial mode, feature flags and card words,
// the depth-stencil search and the behaviour choice.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "render/device/format_tables.h"
#include "render/device/render.h"

namespace {

// What the scripted factory reports for its one adapter.
struct AdapterScript {
  std::string description = "Test adapter";
  DWORD vendor = 0x10DE;
  D3DFORMAT desktop = D3DFMT_X8R8G8B8;
  std::vector<D3DDISPLAYMODE> modes;
  D3DCAPS8 caps{};
  std::vector<D3DFORMAT> depthFormats{D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8};  // accepted ones
  std::vector<D3DFORMAT> depthTried;  // filled: formats asked for, in order
  // When not empty: the depth formats accepted with each adapter format, instead of depthFormats.
  std::vector<std::pair<D3DFORMAT, D3DFORMAT>> depthPairs;
  bool created = false;  // filled: CreateDevice was asked, with these parameters
  D3DPRESENT_PARAMETERS createdWith{};
  bool alive = false;
};

AdapterScript* g_Script = nullptr;

class FakeDirect3D : public IDirect3D8 {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      g_Script->alive = false;
      delete this;
    }
    return left;
  }
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8* id) override {
    std::memset(id, 0, sizeof(*id));
    std::strncpy(id->Description, g_Script->description.c_str(), sizeof(id->Description) - 1);
    id->VendorId = g_Script->vendor;
    return D3D_OK;
  }
  UINT GetAdapterModeCount(UINT) override { return static_cast<UINT>(g_Script->modes.size()); }
  HRESULT EnumAdapterModes(UINT, UINT mode, D3DDISPLAYMODE* out) override {
    if (mode >= g_Script->modes.size()) return D3DERR_INVALIDCALL;
    *out = g_Script->modes[mode];
    return D3D_OK;
  }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* out) override {
    *out = {1024, 768, 60, g_Script->desktop};
    return D3D_OK;
  }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, BOOL) override {
    return type == D3DDEVTYPE_HAL ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE,
                            D3DFORMAT format) override {
    if (usage != D3DUSAGE_DEPTHSTENCIL) return D3D_OK;
    g_Script->depthTried.push_back(format);
    if (!g_Script->depthPairs.empty()) {
      for (const auto& p : g_Script->depthPairs)
        if (p.first == adapterFormat && p.second == format) return D3D_OK;
      return D3DERR_NOTAVAILABLE;
    }
    for (D3DFORMAT f : g_Script->depthFormats)
      if (f == format) return D3D_OK;
    return D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override { return D3D_OK; }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8* caps) override {
    *caps = g_Script->caps;
    return D3D_OK;
  }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice8** device) override {
    g_Script->created = true;
    g_Script->createdWith = *params;
    *device = nullptr;
    return D3DERR_NOTAVAILABLE;
  }

 private:
  ULONG refs_ = 1;
};

IDirect3D8* CreateFake(UINT) {
  g_Script->alive = true;
  return new FakeDirect3D;
}

// A copy of what the callback saw, taken before it vetoes the start-up.
struct Listed {
  bool called = false;
  DWORD adapterCount = 0;
  AdapterInfo adapter{};
};
Listed* g_Listed = nullptr;

int CaptureAndVeto(CRender* render, HINSTANCE, HWND, int) {
  g_Listed->called = true;
  g_Listed->adapterCount = render->m_AdapterCount;
  std::memcpy(static_cast<void*>(&g_Listed->adapter), &render->m_Adapters[0], sizeof(AdapterInfo));
  return 0;
}

D3DCAPS8 CapableCaps() {
  D3DCAPS8 caps{};
  caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
  caps.MaxTextureBlendStages = 4;
  caps.MaxSimultaneousTextures = 4;
  caps.TextureOpCaps = D3DTEXOPCAPS_MODULATE;
  caps.SrcBlendCaps = D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_ZERO;
  caps.DestBlendCaps = D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_SRCCOLOR;
  caps.RasterCaps = D3DPRASTERCAPS_ZBIAS | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_ZFOG;
  caps.AlphaCmpCaps = D3DPCMPCAPS_GREATEREQUAL;
  caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
  caps.MaxVertexShaderConst = 96;
  caps.PixelShaderVersion = D3DPS_VERSION(1, 1);
  caps.PrimitiveMiscCaps = D3DPMISCCAPS_TSSARGTEMP;
  caps.TextureCaps = D3DPTEXTURECAPS_CUBEMAP;
  return caps;
}

class DeviceList : public ::testing::Test {
 protected:
  void SetUp() override {
    script_.caps = CapableCaps();
    script_.modes = {{800, 600, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_R5G6B5}};
    g_Script = &script_;
    g_Listed = &listed_;
    SetDirect3DCreateFunction(CreateFake);
  }
  void TearDown() override {
    SetDirect3DCreateFunction(nullptr);
    g_Script = nullptr;
    g_Listed = nullptr;
  }
  // Runs the start-up up to the callback, which vetoes it.
  bool List() {
    listed_ = Listed{};
    CRender render;
    const bool ok = render.Initialise(nullptr, nullptr, CaptureAndVeto, 1);
    EXPECT_FALSE(script_.alive) << "the factory must be released when start-up stops";
    return ok;
  }
  const DeviceInfo& Device() const { return listed_.adapter.Devices[0]; }

  AdapterScript script_;
  Listed listed_;
};

TEST_F(DeviceList, ModesAreFilteredCollapsedAndSorted) {
  script_.modes = {
      {1024, 768, 60, D3DFMT_X8R8G8B8}, {1024, 768, 85, D3DFMT_X8R8G8B8},  // refresh rates collapse
      {640, 480, 60, D3DFMT_R5G6B5},    {320, 200, 60, D3DFMT_R5G6B5},     // too small
      {640, 399, 60, D3DFMT_R5G6B5},    {639, 480, 60, D3DFMT_R5G6B5},     // too small
      {800, 600, 60, D3DFMT_R5G6B5},    {800, 600, 75, D3DFMT_X8R8G8B8},
  };
  EXPECT_FALSE(List());
  ASSERT_TRUE(listed_.called);
  ASSERT_EQ(listed_.adapterCount, 1u);
  ASSERT_EQ(listed_.adapter.DeviceCount, 1u);
  EXPECT_STREQ(Device().Name, "HAL");
  EXPECT_EQ(Device().DeviceType, D3DDEVTYPE_HAL);
  // Higher format number first (R5G6B5 is 23, X8R8G8B8 22), then width, then height.
  const struct {
    DWORD w, h;
    D3DFORMAT f;
    DWORD colourBits;
  } expected[] = {{640, 480, D3DFMT_R5G6B5, 16},
                  {800, 600, D3DFMT_R5G6B5, 16},
                  {800, 600, D3DFMT_X8R8G8B8, 32},
                  {1024, 768, D3DFMT_X8R8G8B8, 32}};
  ASSERT_EQ(Device().ModeCount, 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Device().Modes[i].Width, expected[i].w) << i;
    EXPECT_EQ(Device().Modes[i].Height, expected[i].h) << i;
    EXPECT_EQ(Device().Modes[i].Format, expected[i].f) << i;
    EXPECT_EQ(Device().Modes[i].ColourBits, expected[i].colourBits) << i;
  }
  EXPECT_EQ(Device().CurrentMode, 1u);  // the 16-bit 800 x 600 mode
  EXPECT_EQ(Device().CanRenderWindowed, 1u);
}

TEST_F(DeviceList, InitialModePrefers16BitElseTakesTheLast800x600) {
  struct Case {
    std::vector<D3DDISPLAYMODE> modes;
    D3DFORMAT chosen;
  };
  const Case cases[] = {
      {{{800, 600, 60, D3DFMT_R5G6B5}, {800, 600, 60, D3DFMT_X8R8G8B8}}, D3DFMT_R5G6B5},
      {{{800, 600, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_X1R5G5B5}}, D3DFMT_X1R5G5B5},
      // Only 32-bit: sorted X8R8G8B8 (22) then A8R8G8B8 (21); the last wins.
      {{{800, 600, 60, D3DFMT_A8R8G8B8}, {800, 600, 60, D3DFMT_X8R8G8B8}}, D3DFMT_A8R8G8B8},
  };
  for (const Case& c : cases) {
    script_.modes = c.modes;
    List();
    ASSERT_EQ(listed_.adapter.DeviceCount, 1u);
    EXPECT_EQ(Device().Modes[Device().CurrentMode].Format, c.chosen);
  }
  // Without an 800 x 600 mode the first mode stays current.
  script_.modes = {{1024, 768, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, D3DFMT_X8R8G8B8}};
  List();
  EXPECT_EQ(Device().CurrentMode, 0u);
}

TEST_F(DeviceList, AdapterWithOnlySmallModesFailsStartUp) {
  script_.modes = {{320, 200, 60, D3DFMT_R5G6B5}, {512, 384, 60, D3DFMT_X8R8G8B8}};
  EXPECT_FALSE(List());
  EXPECT_FALSE(listed_.called);  // no device to choose: the callback is never asked
}

TEST_F(DeviceList, FeatureFlagsFollowTheCaps) {
  EXPECT_FALSE(List());
  const DWORD all = DFF_MULTITEXTURE | DFF_ALPHA_BLEND | DFF_MODULATE_BLEND | DFF_ZBIAS | DFF_VERTEX_FOG |
                    DFF_TABLE_FOG | DFF_Z_FOG | DFF_ALPHA_TEST | DFF_WIREFRAME | DFF_VERTEX_SHADERS |
                    DFF_PIXEL_SHADERS | DFF_TEMP_ARGUMENT | DFF_CUBE_MAPS;
  EXPECT_EQ(Device().FeatureFlags, all);

  script_.caps = D3DCAPS8{};
  script_.caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
  script_.caps.MaxVertexShaderConst = 26;  // not more than 26: no vertex shaders
  script_.caps.PrimitiveMiscCaps = D3DPMISCCAPS_TSSARGTEMP;  // dropped without multitexture
  List();
  EXPECT_EQ(Device().FeatureFlags, static_cast<DWORD>(DFF_WIREFRAME));
  EXPECT_EQ(Device().CanRenderWindowed, 0u);
}

TEST_F(DeviceList, CardWordsClearMisreportedFeatures) {
  struct Case {
    const char* description;
    DWORD vendor;
    DWORD cleared;
  };
  const Case cases[] = {
      {"Generic card", 0x1002, DFF_TABLE_FOG},
      {"Rage 128 Pro", 0x1234, DFF_TABLE_FOG | DFF_MULTITEXTURE | DFF_TEMP_ARGUMENT},
      {"Radeon 8500", 0x1234, DFF_TABLE_FOG},
      {"radeon 7000 series", 0x1234, DFF_CUBE_MAPS},
      {"RADEON 7200", 0x1234, DFF_CUBE_MAPS},
      {"3dfx Voodoo3", 0x1234, DFF_TABLE_FOG | DFF_MULTITEXTURE | DFF_TEMP_ARGUMENT},
      {"Bulldozer", 0x1234, DFF_TABLE_FOG | DFF_MULTITEXTURE | DFF_TEMP_ARGUMENT},
      {"Plain card", 0x1234, 0},
  };
  List();
  const DWORD full = Device().FeatureFlags;
  for (const Case& c : cases) {
    script_.description = c.description;
    script_.vendor = c.vendor;
    List();
    EXPECT_EQ(Device().FeatureFlags, full & ~c.cleared) << c.description;
  }
}

TEST_F(DeviceList, DepthStencilFormatsAreTriedInOrder) {
  script_.modes = {{800, 600, 60, D3DFMT_X8R8G8B8}};
  script_.depthFormats = {D3DFMT_D24X8};
  List();
  // With 16 depth bits, no stencil and stencil preferred.
  const std::vector<D3DFORMAT> order{D3DFMT_D24X4S4, D3DFMT_D24S8, D3DFMT_D16, D3DFMT_D24X8};
  EXPECT_EQ(script_.depthTried, order);
  ASSERT_EQ(Device().ModeCount, 1u);
  EXPECT_EQ(Device().Modes[0].DepthStencilFormat, D3DFMT_D24X8);
  EXPECT_EQ(Device().Modes[0].DepthBits, 24u);
  EXPECT_EQ(Device().Modes[0].StencilBits, 0u);

  // A stencil format is taken first when offered.
  script_.depthTried.clear();
  script_.depthFormats = {D3DFMT_D16, D3DFMT_D24S8};
  List();
  EXPECT_EQ(Device().Modes[0].DepthStencilFormat, D3DFMT_D24S8);
  EXPECT_EQ(Device().Modes[0].StencilBits, 8u);

  // No depth format at all: the format is unusable and the adapter has no device.
  script_.depthFormats = {};
  EXPECT_FALSE(List());
  EXPECT_FALSE(listed_.called);
}

int Accept(CRender*, HINSTANCE, HWND, int) { return 1; }

// A window draws in the desktop format, so its depth format must suit that one,
// not the format of the chosen mode.
TEST_F(DeviceList, WindowedDeviceGetsADepthFormatMatchingTheDesktop) {
  script_.desktop = D3DFMT_X8R8G8B8;
  script_.modes = {{800, 600, 60, D3DFMT_R5G6B5}, {800, 600, 60, D3DFMT_X8R8G8B8}};
  script_.depthPairs = {{D3DFMT_R5G6B5, D3DFMT_D16}, {D3DFMT_X8R8G8B8, D3DFMT_D24S8}};
  CRender render;
  EXPECT_FALSE(render.Initialise(nullptr, nullptr, Accept, 1));  // the scripted factory makes no device
  ASSERT_TRUE(script_.created);
  EXPECT_EQ(script_.createdWith.BackBufferWidth, 800u);
  EXPECT_EQ(script_.createdWith.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(script_.createdWith.AutoDepthStencilFormat, D3DFMT_D24S8);
  EXPECT_EQ(script_.createdWith.Windowed, TRUE);
  EXPECT_EQ(script_.createdWith.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(script_.createdWith.BackBufferCount, 1u);
}

TEST_F(DeviceList, FullScreenDeviceKeepsTheModesFormats) {
  script_.modes = {{800, 600, 60, D3DFMT_R5G6B5}};
  script_.depthPairs = {{D3DFMT_R5G6B5, D3DFMT_D16}, {D3DFMT_X8R8G8B8, D3DFMT_D24S8}};
  auto fullScreen = [](CRender* render, HINSTANCE, HWND, int) {
    render->m_Adapters[render->m_CurrentAdapter].FullScreenRequest = 1;
    return 1;
  };
  CRender render;
  EXPECT_FALSE(render.Initialise(nullptr, nullptr, fullScreen, 1));
  ASSERT_TRUE(script_.created);
  EXPECT_EQ(script_.createdWith.BackBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(script_.createdWith.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_EQ(script_.createdWith.Windowed, FALSE);
}

TEST_F(DeviceList, BehaviourPrefersPureHardwareThenSoftware) {
  struct Case {
    DWORD devCaps;
    DWORD behaviour;
  };
  const Case cases[] = {
      {D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE,
       D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE},
      {D3DDEVCAPS_HWTRANSFORMANDLIGHT, D3DCREATE_HARDWARE_VERTEXPROCESSING},
      {0, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
  };
  for (const Case& c : cases) {
    script_.caps.DevCaps = c.devCaps;
    List();
    ASSERT_GT(Device().ModeCount, 0u);
    EXPECT_EQ(Device().Modes[0].Behaviour, c.behaviour);
  }
}

TEST(FormatTables, BitsAndNames) {
  struct Case {
    D3DFORMAT f;
    DWORD colour, depth, stencil;
    const char* name;
  };
  const Case cases[] = {
      {D3DFMT_R8G8B8, 24, 0, 0, "D3DFMT_R8G8B8"},     {D3DFMT_X8R8G8B8, 32, 0, 0, "D3DFMT_X8R8G8B8"},
      {D3DFMT_R5G6B5, 16, 0, 0, "D3DFMT_R5G6B5"},     {D3DFMT_A4R4G4B4, 0, 0, 0, "D3DFMT_A4R4G4B4"},
      {D3DFMT_P8, 8, 0, 0, "D3DFMT_P8"},              {D3DFMT_D16_LOCKABLE, 0, 16, 0, "D3DFMT_D16_LOCKABLE"},
      {D3DFMT_D15S1, 0, 15, 1, "D3DFMT_D15S1"},       {D3DFMT_D24X4S4, 0, 24, 4, "D3DFMT_D24X4S4"},
      {D3DFMT_D24S8, 0, 24, 8, "D3DFMT_D24S8"},       {D3DFMT_D32, 0, 32, 0, "D3DFMT_D32"},
      {D3DFMT_UNKNOWN, 0, 0, 0, "D3DFMT_UNKNOWN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatColourBits(c.f), c.colour) << c.name;
    EXPECT_EQ(FormatDepthBits(c.f), c.depth) << c.name;
    EXPECT_EQ(FormatStencilBits(c.f), c.stencil) << c.name;
    EXPECT_STREQ(FormatName(c.f), c.name);
  }
  EXPECT_EQ(FormatName(static_cast<D3DFORMAT>(12345)), nullptr);
}

}  // namespace
