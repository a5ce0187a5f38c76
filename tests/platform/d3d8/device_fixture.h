// A hidden window with a 64 x 48 device on it (depth D24S8), and helpers to
// draw screen-space quads, shared by the device tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/window.h"

// The pre-transformed vertex of format 0x144: x, y, z, rhw, ARGB, u, v.
struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};
inline constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class DeviceFixture : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 64, kHeight = 48;
  void SetUp() override;
  void TearDown() override;
  // Draws the rectangle [x0, x1) x [y0, y1) as a fan TL, TR, BR, BL.
  HRESULT DrawQuad(float x0, float y0, float x1, float y1, D3DCOLOR colour, float z = 0.5f);
  D3DCOLOR Pixel(int x, int y) { return D3D8TestReadPixel(device_, x, y); }

  HWND window_ = nullptr;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  D3DPRESENT_PARAMETERS params_{};
};

// True when each channel of a and b differs by at most `tolerance`.
bool ColourNear(D3DCOLOR a, D3DCOLOR b, int tolerance);
