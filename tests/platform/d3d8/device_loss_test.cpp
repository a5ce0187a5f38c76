#include <gtest/gtest.h>

#include "device_fixture.h"

namespace {

using DeviceLossTest = DeviceFixture;

TEST_F(DeviceLossTest, LostDeviceRefusesResetAndDrawsNothingUntilItMayBeReset) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  D3D8TestLoseDevice(device_);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Reset(&params_), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  // Calls still succeed, and change nothing.
  EXPECT_EQ(DrawQuad(0, 0, 32, 32, 0xFFFFFFFFu), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
  EXPECT_EQ(Pixel(8, 8), 0xFF000000u);

  D3D8TestAllowReset(device_);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  ASSERT_EQ(device_->Reset(&params_), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  device_->SetVertexShader(kScreenFvf);
  device_->SetRenderState(D3DRS_ZENABLE, FALSE);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  DrawQuad(0, 0, 32, 32, 0xFF00FF00u);
  EXPECT_EQ(Pixel(8, 8), 0xFF00FF00u);
}

TEST_F(DeviceLossTest, ResetNeedsEveryDefaultPoolResourceReleasedButKeepsManagedOnes) {
  IDirect3DVertexBuffer8* dynamicBuffer = nullptr;
  IDirect3DTexture8* managed = nullptr;
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(1024, D3DUSAGE_DYNAMIC, kScreenFvf, D3DPOOL_DEFAULT, &dynamicBuffer), D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  EXPECT_EQ(D3D8TestDefaultPoolCount(device_), 2);
  // Bound resources are the device's own references and do not block.
  device_->SetTexture(1, target);
  device_->SetStreamSource(0, dynamicBuffer, sizeof(ScreenVertex));

  D3D8TestLoseDevice(device_);
  D3D8TestAllowReset(device_);
  EXPECT_EQ(device_->Reset(&params_), D3DERR_INVALIDCALL);
  dynamicBuffer->Release();
  EXPECT_EQ(device_->Reset(&params_), D3DERR_INVALIDCALL);  // the render-target texture is held
  target->Release();
  // A held reference to the back buffer blocks too.
  IDirect3DSurface8* back = nullptr;
  device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
  EXPECT_EQ(device_->Reset(&params_), D3DERR_INVALIDCALL);
  back->Release();
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  ASSERT_EQ(device_->Reset(&params_), D3D_OK);
  // Bindings went with the reset, releasing the last references.
  EXPECT_EQ(D3D8TestDefaultPoolCount(device_), 0);

  // The managed texture lives on and still draws.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = 0xFF00FFFFu;
  managed->UnlockRect(0);
  device_->SetVertexShader(kScreenFvf);
  device_->SetRenderState(D3DRS_ZENABLE, FALSE);
  device_->SetTexture(0, managed);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  DrawQuad(0, 0, 16, 16, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(8, 8), 0xFF00FFFFu);
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(managed->Release(), 0u);
}

TEST_F(DeviceLossTest, ResetRestoresDefaultStatesAndTheNewBackBufferSize) {
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  D3D8TestLoseDevice(device_);
  D3D8TestAllowReset(device_);
  D3DPRESENT_PARAMETERS smaller = params_;
  smaller.BackBufferWidth = 32;
  smaller.BackBufferHeight = 16;
  ASSERT_EQ(device_->Reset(&smaller), D3D_OK);
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } defaults[] = {{D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ZERO}, {D3DRS_CULLMODE, D3DCULL_CCW},
                  {D3DRS_ZENABLE, D3DZB_TRUE},   {D3DRS_LIGHTING, TRUE},           {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}};
  for (const auto& d : defaults) {
    DWORD value = 0;
    device_->GetRenderState(d.state, &value);
    EXPECT_EQ(value, d.value) << "state " << d.state;
  }
  DWORD op = 0;
  device_->GetTextureStageState(0, D3DTSS_COLOROP, &op);
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_MODULATE));
  IDirect3DSurface8* back = nullptr;
  device_->GetRenderTarget(&back);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.Height, 16u);
  back->Release();
  D3DVIEWPORT8 vp;
  device_->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 32u);
}

TEST_F(DeviceLossTest, SwapChainsMustGoBeforeResetAndDrawIntoTheirOwnBackBuffer) {
  HWND second = CreateWindowExA(0, "DeviceFixture", "second", WS_POPUP, 0, 0, 20, 10, nullptr, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(second, nullptr);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 20;
  pp.BackBufferHeight = 10;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = second;
  pp.Windowed = TRUE;
  IDirect3DSwapChain8* chain = nullptr;
  ASSERT_EQ(device_->CreateAdditionalSwapChain(&pp, &chain), D3D_OK);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(chain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  IDirect3DSurface8 *main = nullptr, *depth = nullptr;
  device_->GetRenderTarget(&main);
  device_->GetDepthStencilSurface(&depth);
  ASSERT_EQ(device_->SetRenderTarget(back, nullptr), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  EXPECT_EQ(Pixel(19, 9), 0xFF0000FFu);
  EXPECT_EQ(chain->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  device_->SetRenderTarget(main, depth);
  main->Release();
  depth->Release();
  back->Release();
  EXPECT_NE(Pixel(5, 5), 0xFF0000FFu);

  D3D8TestLoseDevice(device_);
  D3D8TestAllowReset(device_);
  EXPECT_EQ(device_->Reset(&params_), D3DERR_INVALIDCALL);
  EXPECT_EQ(chain->Release(), 0u);
  EXPECT_EQ(device_->Reset(&params_), D3D_OK);
  DestroyWindow(second);
}

}  // namespace
