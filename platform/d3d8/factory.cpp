// The Direct3D 8 factory: one adapter per SDL display, its modes, what the
// OpenGL stand-in device can do, and device creation.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/device_impl.h"
#include "platform/d3d8/pixel_format.h"
#include "platform/win32/window.h"

namespace d3d8 {
namespace {

D3DFORMAT FromSdlFormat(Uint32 format) {
  switch (SDL_BITSPERPIXEL(format)) {
    case 15:
      return D3DFMT_X1R5G5B5;
    case 16:
      return D3DFMT_R5G6B5;
    default:
      return D3DFMT_X8R8G8B8;
  }
}

// Probes OpenGL once on a hidden window: renderer texts and limits.
bool ProbeGl(GlFacts* facts) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_Window* w = SDL_CreateWindow("probe", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!w) {
    std::fprintf(stderr, "d3d8: no OpenGL window (%s)\n", SDL_GetError());
    return false;
  }
  SDL_GLContext c = SDL_GL_CreateContext(w);
  if (!c) {
    std::fprintf(stderr, "d3d8: no OpenGL context (%s)\n", SDL_GetError());
    SDL_DestroyWindow(w);
    return false;
  }
  auto text = [](GLenum name) {
    const GLubyte* s = glGetString(name);
    return std::string(s ? reinterpret_cast<const char*>(s) : "");
  };
  facts->renderer = text(GL_RENDERER);
  facts->vendor = text(GL_VENDOR);
  facts->version = text(GL_VERSION);
  GLint units = 1, size = 2048;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  facts->textureUnits = std::clamp(units, 1, 8);
  facts->maxTextureSize = std::max(size, 64);
  bool fbo = SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object") ||
             std::atof(facts->version.c_str()) >= 3.0;
  SDL_GL_DeleteContext(c);
  SDL_DestroyWindow(w);
  if (!fbo) std::fprintf(stderr, "d3d8: OpenGL lacks framebuffer objects\n");
  return fbo;
}

}  // namespace

bool IsDepthFormat(D3DFORMAT format) {
  return format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D24S8;
}

bool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

Factory::Factory(const GlFacts& facts) : facts_(facts) {
  int displays = SDL_GetNumVideoDisplays();
  for (int d = 0; d < displays; ++d) {
    SDL_DisplayMode desk;
    if (SDL_GetDesktopDisplayMode(d, &desk) != 0 || desk.w <= 0 || desk.h <= 0) continue;
    Adapter a;
    a.desktop = D3DDISPLAYMODE{static_cast<UINT>(desk.w), static_cast<UINT>(desk.h),
                               static_cast<UINT>(desk.refresh_rate), FromSdlFormat(desk.format)};
    int count = SDL_GetNumDisplayModes(d);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode m;
      if (SDL_GetDisplayMode(d, i, &m) != 0 || m.w <= 0 || m.h <= 0) continue;
      a.modes.push_back(D3DDISPLAYMODE{static_cast<UINT>(m.w), static_cast<UINT>(m.h),
                                       static_cast<UINT>(m.refresh_rate), FromSdlFormat(m.format)});
    }
    if (a.modes.empty()) {
      // The display lists no modes of its own (a virtual display): offer the
      // usual sizes that fit it, all of which the stand-in can draw.
      static const UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1280, 720},
                                       {1280, 1024}, {1600, 1200}, {1920, 1080}};
      for (const auto& s : kSizes)
        if (s[0] <= a.desktop.Width && s[1] <= a.desktop.Height)
          a.modes.push_back(D3DDISPLAYMODE{s[0], s[1], a.desktop.RefreshRate, a.desktop.Format});
      if (a.modes.empty()) a.modes.push_back(a.desktop);
    }
    adapters_.push_back(a);
  }
}

Factory::~Factory() = default;

UINT Factory::GetAdapterCount() { return static_cast<UINT>(adapters_.size()); }

HRESULT Factory::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* id) {
  if (!id || adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  std::memset(id, 0, sizeof *id);
  std::snprintf(id->Driver, sizeof id->Driver, "OpenGL %s", facts_.version.c_str());
  std::snprintf(id->Description, sizeof id->Description, "%s (%s)", facts_.renderer.c_str(),
                facts_.vendor.c_str());
  return D3D_OK;
}

UINT Factory::GetAdapterModeCount(UINT adapter) {
  return adapter < adapters_.size() ? static_cast<UINT>(adapters_[adapter].modes.size()) : 0;
}

HRESULT Factory::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
  if (!displayMode || adapter >= adapters_.size() || mode >= adapters_[adapter].modes.size())
    return D3DERR_INVALIDCALL;
  *displayMode = adapters_[adapter].modes[mode];
  return D3D_OK;
}

HRESULT Factory::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
  if (!displayMode || adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  *displayMode = adapters_[adapter].desktop;
  return D3D_OK;
}

HRESULT Factory::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                 D3DFORMAT backBufferFormat, BOOL) {
  if (adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!IsDisplayFormat(displayFormat)) return D3DERR_NOTAVAILABLE;
  bool match = backBufferFormat == displayFormat ||
               (displayFormat == D3DFMT_X8R8G8B8 && backBufferFormat == D3DFMT_A8R8G8B8);
  return match ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Factory::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage,
                                   D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL)
    return resourceType == D3DRTYPE_SURFACE && IsDepthFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_RENDERTARGET)
    return checkFormat == D3DFMT_X8R8G8B8 || checkFormat == D3DFMT_A8R8G8B8 ? D3D_OK : D3DERR_NOTAVAILABLE;
  switch (resourceType) {
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE:
    case D3DRTYPE_SURFACE:
      return IsTextureFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_VERTEXBUFFER:
      return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
      return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
    default:
      return D3DERR_NOTAVAILABLE;
  }
}

HRESULT Factory::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                        D3DFORMAT depthStencilFormat) {
  if (adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  return IsDepthFormat(depthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

void Factory::FillCaps(UINT adapter, D3DCAPS8* c) const {
  std::memset(c, 0, sizeof *c);
  c->DeviceType = D3DDEVTYPE_HAL;
  c->AdapterOrdinal = adapter;
  c->Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES;
  c->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE;
  c->DevCaps = D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
  c->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                         D3DPMISCCAPS_COLORWRITEENABLE;
  c->RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX |
                  D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_ZBIAS | D3DPRASTERCAPS_ZFOG;
  c->ZCmpCaps = c->AlphaCmpCaps = 0xFF;
  c->SrcBlendCaps = 0x7FF;
  c->DestBlendCaps = 0x3FF;
  c->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
  c->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_ALPHAPALETTE |
                   D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP;
  c->TextureFilterCaps = c->CubeTextureFilterCaps =
      D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
      D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  c->TextureAddressCaps =
      D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER;
  c->MaxTextureWidth = c->MaxTextureHeight = static_cast<DWORD>(facts_.maxTextureSize);
  c->MaxTextureRepeat = 8192;
  c->MaxTextureAspectRatio = static_cast<DWORD>(facts_.maxTextureSize);
  c->MaxAnisotropy = 1;
  c->MaxVertexW = 1e10f;
  c->GuardBandLeft = c->GuardBandTop = -8192.0f;
  c->GuardBandRight = c->GuardBandBottom = 8192.0f;
  c->StencilCaps = 0xFF;
  c->FVFCaps = 8;
  c->TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                     D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD |
                     D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_ADDSIGNED2X | D3DTEXOPCAPS_SUBTRACT |
                     D3DTEXOPCAPS_BLENDDIFFUSEALPHA | D3DTEXOPCAPS_BLENDTEXTUREALPHA |
                     D3DTEXOPCAPS_BLENDFACTORALPHA | D3DTEXOPCAPS_BLENDCURRENTALPHA | D3DTEXOPCAPS_DOTPRODUCT3;
  c->MaxTextureBlendStages = c->MaxSimultaneousTextures = static_cast<DWORD>(facts_.textureUnits);
  c->VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                            D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
  c->MaxActiveLights = 8;
  c->MaxPointSize = 64.0f;
  c->MaxPrimitiveCount = 0xFFFFF;
  c->MaxVertexIndex = 0xFFFFFF;
  c->MaxStreams = 16;
  c->MaxStreamStride = 255;
  // Shader token streams are kept but not run: no shader support is reported
  // (unless a test asks for it), so callers take their fixed-function paths.
  c->VertexShaderVersion = g_ShaderCaps.vertexShaderVersion;
  c->MaxVertexShaderConst = g_ShaderCaps.vertexShaderConstants;
  c->PixelShaderVersion = g_ShaderCaps.pixelShaderVersion;
}

HRESULT Factory::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
  if (!caps || adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  FillCaps(adapter, caps);
  return D3D_OK;
}

HRESULT Factory::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                              D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (!params || adapter >= adapters_.size()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const DWORD processing = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                           D3DCREATE_MIXED_VERTEXPROCESSING;
  DWORD chosen = behaviour & processing;
  if (chosen != D3DCREATE_SOFTWARE_VERTEXPROCESSING && chosen != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      chosen != D3DCREATE_MIXED_VERTEXPROCESSING)
    return D3DERR_INVALIDCALL;
  if (behaviour & D3DCREATE_PUREDEVICE) return D3DERR_INVALIDCALL;
  HWND windowHandle = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
  SDL_Window* window = static_cast<SDL_Window*>(Win32SdlWindow(windowHandle));
  if (!window) return D3DERR_INVALIDCALL;
  if (params->BackBufferFormat == D3DFMT_UNKNOWN && params->Windowed)
    params->BackBufferFormat = adapters_[adapter].desktop.Format;
  if (!IsDisplayFormat(params->BackBufferFormat) && params->BackBufferFormat != D3DFMT_A8R8G8B8)
    return D3DERR_INVALIDCALL;
  if (params->EnableAutoDepthStencil && !IsDepthFormat(params->AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
  if (params->BackBufferCount > 1) return D3DERR_INVALIDCALL;
  if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0) {
    int w, h;
    SDL_GetWindowSize(window, &w, &h);
    params->BackBufferWidth = static_cast<UINT>(std::max(w, 1));
    params->BackBufferHeight = static_cast<UINT>(std::max(h, 1));
  }
  params->BackBufferCount = 1;

  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    std::fprintf(stderr, "d3d8: no OpenGL context on the window (%s)\n", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  if (!params->Windowed) {
    SDL_DisplayMode mode{SDL_PIXELFORMAT_RGB888, static_cast<int>(params->BackBufferWidth),
                         static_cast<int>(params->BackBufferHeight), 0, nullptr};
    SDL_SetWindowDisplayMode(window, &mode);
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0)
      std::fprintf(stderr, "d3d8: full screen refused, drawing in a window (%s)\n", SDL_GetError());
  }
  Device* d = new Device(this, adapter, window, context, *params);
  if (!d->Start()) {
    d->Release();
    return D3DERR_NOTAVAILABLE;
  }
  *device = d;
  return D3D_OK;
}

}  // namespace d3d8

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) {
    std::fprintf(stderr, "d3d8: unexpected SDK version %u\n", sdkVersion);
    return nullptr;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "d3d8: no video system (%s)\n", SDL_GetError());
    return nullptr;
  }
  static d3d8::GlFacts facts;
  static bool probed = false, usable = false;
  if (!probed) {
    // The GL library stays loaded for the life of the process: unloading the
    // driver would only strand what it keeps.
    if (SDL_GL_LoadLibrary(nullptr) != 0) std::fprintf(stderr, "d3d8: no OpenGL library (%s)\n", SDL_GetError());
    usable = d3d8::ProbeGl(&facts);
    probed = true;
  }
  if (!usable) return nullptr;
  return new d3d8::Factory(facts);
}
