// Render object construction, device listing and choice, device creation and release.
#include "render/device/render.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "foundation/system/fpu_control.h"
#include "foundation/memory/memory_manager.h"
#include "platform/win32/window.h"
#include "render/device/format_tables.h"

CRender* g_Render = nullptr;
IDirect3D8* g_Direct3D = nullptr;
IDirect3DDevice8* g_Device = nullptr;
const D3DCAPS8* g_DeviceCaps = nullptr;
DWORD g_RenderSwitches[3] = {0, 0, 0};
DWORD g_DetailSwitch = 0;

namespace {

Direct3DCreateFunction g_Direct3DCreate = nullptr;

// Higher format number first, then smaller width, then smaller height.
int CompareDisplayModes(const void* a, const void* b) {
  const auto* ma = static_cast<const D3DDISPLAYMODE*>(a);
  const auto* mb = static_cast<const D3DDISPLAYMODE*>(b);
  if (ma->Format != mb->Format) return ma->Format > mb->Format ? -1 : 1;
  if (ma->Width != mb->Width) return ma->Width < mb->Width ? -1 : 1;
  if (ma->Height != mb->Height) return ma->Height < mb->Height ? -1 : 1;
  return 0;
}

bool Is16BitFormat(D3DFORMAT f) { return f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5 || f == D3DFMT_A1R5G5B5; }

}  // namespace

void SetDirect3DCreateFunction(Direct3DCreateFunction create) { g_Direct3DCreate = create; }

CRender::CRender() {
  // Every field starts empty; the device list alone is large, so zero the lot at once.
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
  for (DWORD& word : m_RenderStates) word = kRenderStatePoison;
  m_VertexCacheSize = 16;
  m_WantedDepthBits = 16;
  m_WantedStencilBits = 0;
  m_PreferStencil = 1;
  m_ShadowLevel = 2;
  m_VertexShadersOn = 1;
  m_TexturingOn = 1;
  m_2DAdjustmentsOn = 1;
  m_2DScale = 1.0f;
  m_2DRotation = 0.0f;
  m_RedScale = m_GreenScale = m_BlueScale = m_AlphaScale = 1.0f;
  m_World.SetIdentity();
  m_View.SetIdentity();
  m_Projection.SetIdentity();
  g_SwapChainCount = 0;
  MakeCurrent();
}

CRender::~CRender() {
  Release();
  if (g_Render == this) g_Render = nullptr;
}

void CRender::MakeCurrent() { g_Render = this; }

bool CRender::Initialise(HINSTANCE instance, HWND window, DeviceCallback callback, int callbackValue) {
  if (!CreateDirect3D(instance, window)) return false;
  if (callback != nullptr && callback(this, instance, window, callbackValue) == 0) {
    m_Direct3D->Release();
    m_Direct3D = nullptr;
    return false;
  }
  m_WindowStyle = static_cast<LONG>(GetWindowLongA(window, GWL_STYLE));
  GetWindowRect(window, &m_WindowRect);
  GetClientRect(window, &m_ClientRect);
  if (!CreateDevice()) return false;

  SetDefaultStates();
  Clear(1);
  MEM_OWNER();
  m_DefaultMaterial = MEM_NEW(MEMCAT_GAME) D3DMATERIAL8{};
  m_DefaultMaterial->Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m_DefaultMaterial->Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
  m_DefaultMaterial->Specular = {0.5f, 0.5f, 0.5f, 1.0f};
  m_DefaultMaterial->Emissive = {0.0f, 0.0f, 0.0f, 0.0f};
  m_DefaultMaterial->Power = 7.0f;
  ApplyDefaultMaterial();
  m_SpareTexture = nullptr;
  m_ViewportStackCount = 0;
  InitViewport();
  PublishGlobals();
  m_DeviceReady = 1;
  return true;
}

bool CRender::CreateDirect3D(HINSTANCE instance, HWND window) {
  m_Instance = instance;
  m_Window = m_FocusWindow = m_DeviceWindow = window;
  m_DeviceReady = 0;
  m_Device = nullptr;
  m_Direct3D = g_Direct3DCreate != nullptr ? g_Direct3DCreate(120) : Direct3DCreate8(120);
  if (m_Direct3D == nullptr) return false;
  if (!BuildAdapterList()) {
    m_Direct3D->Release();
    m_Direct3D = nullptr;
    return false;
  }
  m_DesktopColourBits = FormatColourBits(m_Adapters[0].DesktopMode.Format);
  return true;
}

bool CRender::BuildAdapterList() {
  m_AdapterCount = 0;
  // The scratch list is a few kilobytes: keep it off the stack.
  MEM_OWNER();
  ModeScratchList* scratch = MEM_NEW(MEMCAT_GAME) ModeScratchList;
  const UINT count = m_Direct3D->GetAdapterCount();
  // Adapters beyond the table are ignored.
  for (UINT a = 0; a < count && a < static_cast<UINT>(kMaxAdapters); ++a) {
    std::memset(static_cast<void*>(scratch), 0, sizeof(*scratch));
    AdapterInfo* info = &m_Adapters[a];
    std::memset(static_cast<void*>(info), 0, sizeof(*info));
    m_Direct3D->GetAdapterIdentifier(a, 0, &info->Identifier);
    m_Direct3D->GetAdapterDisplayMode(a, &info->DesktopMode);
    EnumerateDisplayModes(a, info, scratch);
    BuildDeviceList(a, info, scratch);
    info->FullScreenRequest = 0;
    ++m_AdapterCount;
  }
  MEM_DELETE scratch;
  if (m_AdapterCount == 0) return false;
  return ChooseInitialDevice();
}

void CRender::EnumerateDisplayModes(UINT adapter, AdapterInfo* info, ModeScratchList* scratch) {
  scratch->Formats[0] = info->DesktopMode.Format;
  scratch->FormatCount = 1;
  const UINT modeCount = m_Direct3D->GetAdapterModeCount(adapter);
  for (UINT i = 0; i < modeCount; ++i) {
    D3DDISPLAYMODE mode;
    if (FAILED(m_Direct3D->EnumAdapterModes(adapter, i, &mode))) continue;
    if (mode.Width < 640 || mode.Height < 400) continue;
    bool listed = false;
    for (DWORD k = 0; k < scratch->ModeCount && !listed; ++k) {
      const D3DDISPLAYMODE& m = scratch->Modes[k];
      listed = m.Width == mode.Width && m.Height == mode.Height && m.Format == mode.Format;
    }
    if (listed) continue;
    // Modes and formats beyond the scratch list are ignored.
    if (scratch->ModeCount >= static_cast<DWORD>(kMaxModes)) continue;
    mode.RefreshRate = 0;
    scratch->Modes[scratch->ModeCount++] = mode;
    bool known = false;
    for (DWORD k = 0; k < scratch->FormatCount && !known; ++k) known = scratch->Formats[k] == mode.Format;
    if (!known && scratch->FormatCount < static_cast<DWORD>(kMaxScratchFormats))
      scratch->Formats[scratch->FormatCount++] = mode.Format;
  }
  std::qsort(scratch->Modes, scratch->ModeCount, sizeof(D3DDISPLAYMODE), CompareDisplayModes);
}

void CRender::BuildDeviceList(UINT adapter, AdapterInfo* info, ModeScratchList* scratch) {
  // The device-type list names the reference rasteriser too, but only the
  // hardware device is ever enumerated.
  static const D3DDEVTYPE kTypes[2] = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF};
  static const char* const kNames[2] = {"HAL", "REF"};
  if (info->DeviceCount >= static_cast<DWORD>(kMaxDevices)) return;
  DeviceInfo* dev = &info->Devices[info->DeviceCount];
  dev->DeviceType = kTypes[0];
  m_Direct3D->GetDeviceCaps(adapter, dev->DeviceType, &dev->Caps);
  dev->Name = kNames[0];
  dev->CanRenderWindowed = 0;
  dev->ModeCount = 0;
  dev->CurrentMode = 0;
  dev->Windowed = 0;
  dev->MultiSampleType = D3DMULTISAMPLE_NONE;

  const D3DCAPS8& caps = dev->Caps;
  DWORD flags = DFF_WIREFRAME;
  if (caps.PrimitiveMiscCaps & D3DPMISCCAPS_TSSARGTEMP) flags |= DFF_TEMP_ARGUMENT;
  if (caps.MaxTextureBlendStages >= 2 && caps.MaxSimultaneousTextures >= 2 &&
      (caps.TextureOpCaps & D3DTEXOPCAPS_MODULATE))
    flags |= DFF_MULTITEXTURE;
  if ((caps.DestBlendCaps & D3DPBLENDCAPS_INVSRCALPHA) && (caps.SrcBlendCaps & D3DPBLENDCAPS_SRCALPHA))
    flags |= DFF_ALPHA_BLEND;
  if ((caps.DestBlendCaps & D3DPBLENDCAPS_SRCCOLOR) && (caps.SrcBlendCaps & D3DPBLENDCAPS_ZERO))
    flags |= DFF_MODULATE_BLEND;
  if (caps.RasterCaps & D3DPRASTERCAPS_ZBIAS) flags |= DFF_ZBIAS;
  if (caps.RasterCaps & D3DPRASTERCAPS_FOGVERTEX) flags |= DFF_VERTEX_FOG;
  if (caps.RasterCaps & D3DPRASTERCAPS_FOGTABLE) flags |= DFF_TABLE_FOG;
  if (caps.RasterCaps & D3DPRASTERCAPS_ZFOG) flags |= DFF_Z_FOG;
  if (caps.AlphaCmpCaps & D3DPCMPCAPS_GREATEREQUAL) flags |= DFF_ALPHA_TEST;
  if (((caps.VertexShaderVersion >> 8) & 0xFF) != 0 && caps.MaxVertexShaderConst > 26) flags |= DFF_VERTEX_SHADERS;
  if (((caps.PixelShaderVersion >> 8) & 0xFF) != 0) flags |= DFF_PIXEL_SHADERS;
  if (caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP) flags |= DFF_CUBE_MAPS;

  // Cards known to misreport what they can do, found by words of their description.
  char words[513];
  std::strncpy(words, info->Identifier.Description, 512);
  words[512] = '\0';
  for (char* c = words; *c != '\0'; ++c) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  if (info->Identifier.VendorId == 0x1002) flags &= ~DFF_TABLE_FOG;
  if (std::strstr(words, "RAGE") != nullptr) flags &= ~(DFF_TABLE_FOG | DFF_MULTITEXTURE);
  if (std::strstr(words, "RADEON") != nullptr) {
    if (std::strstr(words, "8500") != nullptr) flags &= ~DFF_TABLE_FOG;
    if (std::strstr(words, "7200") != nullptr || std::strstr(words, "7000") != nullptr) flags &= ~DFF_CUBE_MAPS;
  }
  if (std::strstr(words, "DOZER") != nullptr || std::strstr(words, "VOODOO") != nullptr)
    flags &= ~(DFF_TABLE_FOG | DFF_MULTITEXTURE);
  if (!(flags & DFF_MULTITEXTURE)) flags &= ~DFF_TEMP_ARGUMENT;
  dev->FeatureFlags = flags;

  // Which formats the device can use, with their behaviour and depth-stencil format.
  bool usable[kMaxScratchFormats] = {};
  DWORD behaviour[kMaxScratchFormats] = {};
  D3DFORMAT depthFormat[kMaxScratchFormats] = {};
  for (DWORD j = 0; j < scratch->FormatCount; ++j) {
    const D3DFORMAT format = scratch->Formats[j];
    if (FAILED(m_Direct3D->CheckDeviceType(adapter, dev->DeviceType, format, format, FALSE))) continue;
    DWORD candidates[4];
    int n = 0;
    if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
      if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
        candidates[n++] = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
      candidates[n++] = D3DCREATE_HARDWARE_VERTEXPROCESSING;
      candidates[n++] = D3DCREATE_MIXED_VERTEXPROCESSING;
    }
    candidates[n++] = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    bool accepted = false;
    for (int k = 0; k < n && !accepted; ++k) {
      if (ConfirmDevice(&caps, candidates[k], format) >= 0) {
        behaviour[j] = candidates[k];
        accepted = true;
      }
    }
    if (!accepted) continue;
    if (!FindDepthStencilFormat(adapter, dev->DeviceType, m_WantedDepthBits, m_WantedStencilBits,
                                m_PreferStencil, format, &depthFormat[j]))
      continue;
    usable[j] = true;
  }

  for (DWORD i = 0; i < scratch->ModeCount; ++i) {
    const D3DDISPLAYMODE& mode = scratch->Modes[i];
    for (DWORD j = 0; j < scratch->FormatCount; ++j) {
      if (!usable[j] || scratch->Formats[j] != mode.Format) continue;
      if (dev->ModeCount >= static_cast<DWORD>(kMaxModes)) break;
      DisplayModeInfo& out = dev->Modes[dev->ModeCount++];
      out.Width = mode.Width;
      out.Height = mode.Height;
      out.Format = mode.Format;
      out.Behaviour = behaviour[j];
      out.DepthStencilFormat = depthFormat[j];
      out.ColourBits = FormatColourBits(mode.Format);
      out.DepthBits = FormatDepthBits(depthFormat[j]);
      out.StencilBits = FormatStencilBits(depthFormat[j]);
    }
  }

  // The initial mode: 800 x 600, a 16-bit one when there is one, else the last.
  for (DWORD i = 0; i < dev->ModeCount; ++i) {
    if (dev->Modes[i].Width != 800 || dev->Modes[i].Height != 600) continue;
    dev->CurrentMode = i;
    if (Is16BitFormat(dev->Modes[i].Format)) break;
  }

  if (usable[0] && (caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED)) {
    dev->CanRenderWindowed = 1;
    dev->Windowed = 1;
  }
  if (dev->ModeCount > 0) ++info->DeviceCount;
}

bool CRender::FindDepthStencilFormat(UINT adapter, D3DDEVTYPE type, DWORD d, DWORD s, DWORD p,
                                     D3DFORMAT adapterFormat, D3DFORMAT* out) {
  auto tryFormat = [&](D3DFORMAT f) {
    if (!CheckDepthStencilFormat(adapter, type, adapterFormat, f)) return false;
    *out = f;
    return true;
  };
  if (p) {
    if (d < 25) {
      if (s < 5 && tryFormat(D3DFMT_D24X4S4)) return true;
      if (s < 9 && tryFormat(D3DFMT_D24S8)) return true;
    }
    if (d < 16 && s < 2 && tryFormat(D3DFMT_D15S1)) return true;
  }
  if (d < 17 && s == 0 && tryFormat(D3DFMT_D16)) return true;
  if (d < 16 && s < 2 && tryFormat(D3DFMT_D15S1)) return true;
  if (d < 25) {
    if (s == 0 && tryFormat(D3DFMT_D24X8)) return true;
    if (s < 9 && tryFormat(D3DFMT_D24S8)) return true;
    if (s < 5 && tryFormat(D3DFMT_D24X4S4)) return true;
  }
  if (d <= 32 && s == 0 && !p && tryFormat(D3DFMT_D32)) return true;
  return false;
}

bool CRender::CheckDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                      D3DFORMAT depthFormat) {
  if (FAILED(m_Direct3D->CheckDeviceFormat(adapter, type, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                           D3DRTYPE_SURFACE, depthFormat)))
    return false;
  return SUCCEEDED(m_Direct3D->CheckDepthStencilMatch(adapter, type, adapterFormat, adapterFormat, depthFormat));
}

int CRender::ConfirmDevice(const D3DCAPS8*, DWORD, D3DFORMAT) { return 1; }

bool CRender::ChooseInitialDevice() {
  for (DWORD a = 0; a < m_AdapterCount; ++a) {
    if (m_Adapters[a].DeviceCount == 0) continue;
    m_CurrentAdapter = a;
    m_Adapters[a].CurrentDevice = 0;
    m_Windowed = 1;
    return true;
  }
  return false;
}

bool CRender::CreateDevice() {
  AdapterInfo& adapter = m_Adapters[m_CurrentAdapter];
  DeviceInfo& dev = adapter.Devices[adapter.CurrentDevice];
  const DisplayModeInfo& mode = dev.Modes[dev.CurrentMode];
  m_Windowed = adapter.FullScreenRequest ? 0 : 1;
  dev.Windowed = m_Windowed;

  std::memset(&m_PresentParameters, 0, sizeof(m_PresentParameters));
  m_PresentParameters.BackBufferWidth = mode.Width;
  m_PresentParameters.BackBufferHeight = mode.Height;
  m_PresentParameters.BackBufferFormat = m_Windowed ? adapter.DesktopMode.Format : mode.Format;
  m_PresentParameters.BackBufferCount = 1;
  m_PresentParameters.MultiSampleType = dev.MultiSampleType;
  m_PresentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  m_PresentParameters.hDeviceWindow = m_Window;
  m_PresentParameters.Windowed = m_Windowed ? TRUE : FALSE;
  m_PresentParameters.EnableAutoDepthStencil = TRUE;
  // The mode's depth-stencil format was matched against the mode's own format;
  // a window renders in the desktop format, so match it again against that.
  D3DFORMAT depthFormat = mode.DepthStencilFormat;
  const D3DFORMAT backFormat = m_PresentParameters.BackBufferFormat;
  if (m_Windowed && backFormat != mode.Format &&
      !CheckDepthStencilFormat(m_CurrentAdapter, dev.DeviceType, backFormat, depthFormat)) {
    FindDepthStencilFormat(m_CurrentAdapter, dev.DeviceType, m_WantedDepthBits, m_WantedStencilBits,
                           m_PreferStencil, backFormat, &depthFormat);
  }
  m_PresentParameters.AutoDepthStencilFormat = depthFormat;

  // Device creation may change the floating-point control word: keep the engine's.
  SaveFpuControl();
  const HRESULT created = m_Direct3D->CreateDevice(m_CurrentAdapter, dev.DeviceType, m_FocusWindow, mode.Behaviour,
                                                   &m_PresentParameters, &m_Device);
  RestoreFpuControl();
  if (FAILED(created)) {
    m_Device = nullptr;
    return false;
  }
  m_Device->GetDeviceCaps(&m_Caps);
  m_VertexShaderMajor = static_cast<int>((m_Caps.VertexShaderVersion >> 8) & 0xFF);
  m_VertexShaderMinor = static_cast<int>(m_Caps.VertexShaderVersion & 0xFF);
  m_VertexShaderConstants = static_cast<int>(m_Caps.MaxVertexShaderConst);
  m_PixelShaderMajor = static_cast<int>((m_Caps.PixelShaderVersion >> 8) & 0xFF);
  m_PixelShaderMinor = static_cast<int>(m_Caps.PixelShaderVersion & 0xFF);

  m_Device->GetRenderTarget(&m_BackBuffer);
  m_Device->GetDepthStencilSurface(&m_DepthStencil);
  if (m_BackBuffer != nullptr) m_BackBuffer->GetDesc(&m_BackBufferDesc);

  m_ModeWidth = mode.Width;
  m_ModeHeight = mode.Height;
  m_ColourBits = mode.ColourBits;
  m_DepthBits = depthFormat == mode.DepthStencilFormat ? mode.DepthBits : FormatDepthBits(depthFormat);
  m_StencilBits = depthFormat == mode.DepthStencilFormat ? mode.StencilBits : FormatStencilBits(depthFormat);
  m_FeatureFlags = dev.FeatureFlags;
  if (!(m_FeatureFlags & DFF_PIXEL_SHADERS)) m_PixelShaderMajor = -1;
  if (!(m_FeatureFlags & DFF_VERTEX_SHADERS)) m_VertexShaderMajor = -1;
  ApplyRenderOptions(RENDER_OPTIONS_ALL);
  return true;
}

void CRender::ApplyRenderOptions(DWORD mask) {
  m_RenderOptions |= mask;
  if (!(m_FeatureFlags & DFF_MULTITEXTURE)) m_RenderOptions &= ~(RENDER_OPTION_0 | RENDER_OPTION_1 | RENDER_OPTION_2);
  if (!(m_FeatureFlags & DFF_CUBE_MAPS)) m_RenderOptions &= ~RENDER_OPTION_1;
  if (m_StencilBits == 0) m_RenderOptions &= ~RENDER_OPTION_STENCIL;
  if (!(m_FeatureFlags & DFF_VERTEX_SHADERS)) m_RenderOptions &= ~RENDER_OPTION_VERTEX_SHADERS;
  if (!(m_FeatureFlags & DFF_PIXEL_SHADERS)) m_RenderOptions &= ~RENDER_OPTION_PIXEL_SHADERS;
  g_RenderSwitches[0] = (m_RenderOptions & RENDER_OPTION_0) ? 1 : 0;
  g_RenderSwitches[1] = (m_RenderOptions & RENDER_OPTION_1) ? 1 : 0;
  g_RenderSwitches[2] = (m_RenderOptions & RENDER_OPTION_2) ? 1 : 0;
  g_DetailSwitch = g_RenderSwitches[2];
}

void CRender::PublishGlobals() {
  g_Direct3D = m_Direct3D;
  g_Device = m_Device;
  g_DeviceCaps = &m_Caps;
  g_Render = this;
}

void CRender::Release() {
  m_DeviceReady = 0;
  if (m_DefaultMaterial != nullptr) {
    MEM_DELETE m_DefaultMaterial;
    m_DefaultMaterial = nullptr;
  }
  if (m_SpareTexture != nullptr) {
    m_SpareTexture->Release();
    m_SpareTexture = nullptr;
  }
  if (m_BackBuffer != nullptr) {
    m_BackBuffer->Release();
    m_BackBuffer = nullptr;
  }
  if (m_DepthStencil != nullptr) {
    m_DepthStencil->Release();
    m_DepthStencil = nullptr;
  }
  if (m_Device != nullptr) {
    m_Device->Release();
    m_Device = nullptr;
    if (g_Device != nullptr && g_Render == this) g_Device = nullptr;
  }
  if (m_Direct3D != nullptr) {
    m_Direct3D->Release();
    m_Direct3D = nullptr;
    if (g_Render == this) g_Direct3D = nullptr;
  }
}

bool CRender::SupportsVertexShader(int major, int minor, int constants) const {
  return m_VertexShaderMajor >= major && m_VertexShaderMinor >= minor && m_VertexShaderConstants >= constants;
}

bool CRender::SupportsPixelShader(int major, int minor) const {
  return m_PixelShaderMajor >= major && m_PixelShaderMinor >= minor;
}

const char* CRender::GetAdapterDescription() const { return m_Adapters[m_CurrentAdapter].Identifier.Description; }
