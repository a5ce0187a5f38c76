#include "device_fixture.h"

#include <cstdlib>

namespace {
LRESULT FixtureProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
}  // namespace

void DeviceFixture::SetUp() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = FixtureProc;
    cls.lpszClassName = "DeviceFixture";
    ASSERT_NE(RegisterClassA(&cls), 0);
    registered = true;
  }
  window_ = CreateWindowExA(0, "DeviceFixture", "test", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                            nullptr);
  ASSERT_NE(window_, nullptr);
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d_, nullptr);
  params_ = D3DPRESENT_PARAMETERS{};
  params_.BackBufferWidth = kWidth;
  params_.BackBufferHeight = kHeight;
  params_.BackBufferFormat = D3DFMT_X8R8G8B8;
  params_.BackBufferCount = 1;
  params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params_.hDeviceWindow = window_;
  params_.Windowed = TRUE;
  params_.EnableAutoDepthStencil = TRUE;
  params_.AutoDepthStencilFormat = D3DFMT_D24S8;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params_, &device_),
            D3D_OK);
  // Screen-space drawing of the vertex colour only.
  device_->SetVertexShader(kScreenFvf);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_ZENABLE, FALSE);
}

void DeviceFixture::TearDown() {
  if (device_) {
    EXPECT_EQ(device_->Release(), 0u);
  }
  if (d3d_) {
    EXPECT_EQ(d3d_->Release(), 0u);
  }
  if (window_) DestroyWindow(window_);
}

HRESULT DeviceFixture::DrawQuad(float x0, float y0, float x1, float y1, D3DCOLOR colour, float z) {
  ScreenVertex v[4] = {{x0, y0, z, 1, colour, 0, 0},
                       {x1, y0, z, 1, colour, 1, 0},
                       {x1, y1, z, 1, colour, 1, 1},
                       {x0, y1, z, 1, colour, 0, 1}};
  return device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex));
}

bool ColourNear(D3DCOLOR a, D3DCOLOR b, int tolerance) {
  for (int s = 0; s < 32; s += 8) {
    int ca = static_cast<int>((a >> s) & 0xFF), cb = static_cast<int>((b >> s) & 0xFF);
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}
