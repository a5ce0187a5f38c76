#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/window.h"

namespace {

std::vector<UINT> g_messages;

LRESULT RecordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  g_messages.push_back(m);
  return DefWindowProcA(w, m, wp, lp);
}

void RegisterRecording() {
  static bool done = false;
  if (done) return;
  WNDCLASSA cls{};
  cls.lpfnWndProc = RecordingProc;
  cls.lpszClassName = "Recording";
  ASSERT_NE(RegisterClassA(&cls), 0);
  EXPECT_EQ(RegisterClassA(&cls), 0);  // a second registration of the name
  done = true;
}

TEST(Win32WindowTest, FrameModelMakesAdjustSetPosAndClientRectAgree) {
  RegisterRecording();
  const DWORD styles[] = {WS_POPUP, WS_POPUP | WS_BORDER, WS_OVERLAPPEDWINDOW};
  for (DWORD style : styles) {
    HWND w = CreateWindowExA(0, "Recording", "t", style, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    RECT r{0, 0, 320, 200};
    ASSERT_TRUE(AdjustWindowRect(&r, style, FALSE));
    ASSERT_TRUE(SetWindowPos(w, HWND_TOP, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER));
    RECT client;
    ASSERT_TRUE(GetClientRect(w, &client));
    EXPECT_EQ(client.right, 320) << std::hex << style;
    EXPECT_EQ(client.bottom, 200) << std::hex << style;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)), style);
    DestroyWindow(w);
  }
  RECT client;
  EXPECT_FALSE(GetClientRect(reinterpret_cast<HWND>(0x7777), &client));
}

TEST(Win32WindowTest, StyleChangesAndVisibilityShowInTheStyleWord) {
  RegisterRecording();
  HWND w = CreateWindowExA(0, "Recording", "t", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & static_cast<LONG>(WS_VISIBLE), 0);
  LONG old = SetWindowLongA(w, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_BORDER));
  EXPECT_EQ(static_cast<DWORD>(old), WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)), WS_POPUP | WS_VISIBLE | WS_BORDER);
  EXPECT_TRUE(ShowWindow(w, SW_HIDE));
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & static_cast<LONG>(WS_VISIBLE), 0);
  DestroyWindow(w);
}

TEST(Win32WindowTest, PostedMessagesReachTheProcedureAndCloseEndsInQuit) {
  RegisterRecording();
  HWND w = CreateWindowExA(0, "Recording", "t", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  g_messages.clear();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }  // drop what the window system queued
  ASSERT_TRUE(PostMessageA(w, WM_USER + 5, 1, 2));
  ASSERT_TRUE(PostMessageA(w, WM_CLOSE, 0, 0));
  std::vector<UINT> seen;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message >= WM_USER || msg.message == WM_CLOSE) seen.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 5, WM_CLOSE}));
  // The default handling of WM_CLOSE destroyed the window.
  EXPECT_NE(std::find(g_messages.begin(), g_messages.end(), WM_DESTROY), g_messages.end());
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
  PostQuitMessage(3);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST(Direct3DFactoryTest, AdaptersModesAndFormatsAreWhatTheDeviceCanDo) {
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION + 1), nullptr);
  ASSERT_GE(d3d->GetAdapterCount(), 1u);
  D3DDISPLAYMODE desktop;
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  UINT modes = d3d->GetAdapterModeCount(0);
  ASSERT_GE(modes, 1u);
  bool big = false;
  for (UINT i = 0; i < modes; ++i) {
    D3DDISPLAYMODE m;
    ASSERT_EQ(d3d->EnumAdapterModes(0, i, &m), D3D_OK);
    big = big || (m.Width >= 640 && m.Height >= 400);
  }
  EXPECT_TRUE(big);
  D3DDISPLAYMODE m;
  EXPECT_EQ(d3d->EnumAdapterModes(0, modes, &m), D3DERR_INVALIDCALL);
  D3DADAPTER_IDENTIFIER8 id;
  ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_GT(std::strlen(id.Description), 0u);

  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, desktop.Format, desktop.Format, TRUE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_REF, desktop.Format, desktop.Format, TRUE), D3DERR_NOTAVAILABLE);
  const struct {
    D3DFORMAT format;
    HRESULT expected;
  } depth[] = {{D3DFMT_D24S8, D3D_OK},
               {D3DFMT_D16, D3D_OK},
               {D3DFMT_D24X8, D3D_OK},
               {D3DFMT_D24X4S4, D3DERR_NOTAVAILABLE},
               {D3DFMT_D15S1, D3DERR_NOTAVAILABLE},
               {D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE}};
  for (const auto& d : depth) {
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, desktop.Format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     d.format),
              d.expected)
        << d.format;
  }
  D3DCAPS8 caps;
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_TRUE(caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED);
  EXPECT_EQ(caps.VertexShaderVersion & 0xFFFF, 0u);
  EXPECT_GE(caps.MaxTextureBlendStages, 2u);
  EXPECT_EQ(caps.PrimitiveMiscCaps & D3DPMISCCAPS_TSSARGTEMP, 0u);  // no temporary register in the combiners

  // A device needs a window of this stand-in.
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferFormat = desktop.Format;
  IDirect3DDevice8* device = nullptr;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, reinterpret_cast<HWND>(0x4444),
                              D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace

namespace {

LRESULT PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

TEST(Direct3DFactoryTest, ResourcesHeldPastTheDeviceAreReleasedSafely) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = PlainProc;
  cls.lpszClassName = "Orphans";
  RegisterClassA(&cls);
  HWND window = CreateWindowExA(0, "Orphans", "t", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.hDeviceWindow = window;
  IDirect3DDevice8* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &device), D3D_OK);
  // The size of a window's client area when none is given.
  EXPECT_EQ(pp.BackBufferWidth, 16u);
  IDirect3DTexture8* texture = nullptr;
  IDirect3DCubeTexture8* cube = nullptr;
  IDirect3DSurface8* depth = nullptr;
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture), D3D_OK);
  ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  ASSERT_EQ(device->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
  EXPECT_EQ(device->Release(), 0u);
  // Without a device the memory side still answers.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 8);  // one DXT1 block a row
  EXPECT_EQ(texture->UnlockRect(1), D3D_OK);
  EXPECT_EQ(level->Release(), 1u);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(cube->Release(), 0u);
  EXPECT_EQ(depth->Release(), 0u);
  EXPECT_EQ(d3d->Release(), 0u);
  DestroyWindow(window);
}

}  // namespace
