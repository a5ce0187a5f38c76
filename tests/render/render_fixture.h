// A window and a started render object over the Direct3D stand-in, shared by
// the device tests of one suite.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8_test_hooks.h"
#include "render/debug/debug_draw.h"
#include "render/device/render.h"

// Creates a visible 800 x 600 test window; null when no window can be made.
HWND CreateTestWindow();
void DestroyTestWindow(HWND window);

// A started render object; the device is created once per suite.
class RenderDeviceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // Starts recording device calls (clearing earlier ones).
  void Record() { D3D8TestRecordCalls(g_Device, true); }
  // Names of the calls recorded so far.
  std::vector<std::string> CallNames() const;
  // Recorded calls of one method.
  std::vector<D3D8Call> Calls(const std::string& method) const { return D3D8TestCallsNamed(g_Device, method); }

  static HWND s_Window;
  static CRender* s_Render;
};

// One recorded user-memory draw (DrawPrimitiveUP): primitive type, count and
// its vertices, decoded by their stride.
struct RecordedDraw {
  std::uint64_t type;
  std::uint64_t count;
  std::vector<DebugVertex> vertices;         // world vertices (24 bytes)
  std::vector<ScreenVertex> screenVertices;  // screen vertices (28 bytes)
};
std::vector<RecordedDraw> DecodeUserDraws(const std::vector<D3D8Call>& calls);

// A 2D quad (format 0x144) as a fan: top-left, top-right, bottom-right, bottom-left.
void MakeScreenQuad(ScreenVertex out[4], float x, float y, float w, float h, DWORD colour);
// A texture of one colour (A8R8G8B8, 2 x 2, one level); null on failure.
IDirect3DTexture8* MakeSolidTexture(DWORD argb);
// The current device's value of a texture-stage state or a render state.
DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type);
DWORD DeviceState(D3DRENDERSTATETYPE state);
