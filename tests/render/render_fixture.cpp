#include "render/render_fixture.h"

#include <cstring>

#include "platform/win32/window.h"

HWND RenderDeviceTest::s_Window = nullptr;
CRender* RenderDeviceTest::s_Render = nullptr;

namespace {
LRESULT TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

HWND CreateTestWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.lpszClassName = "HalberdRenderTest";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "HalberdRenderTest", "render test", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 800, 600,
                         nullptr, nullptr, nullptr, nullptr);
}

void DestroyTestWindow(HWND window) {
  if (window != nullptr) DestroyWindow(window);
}

void RenderDeviceTest::SetUpTestSuite() {
  s_Window = CreateTestWindow();
  ASSERT_NE(s_Window, nullptr);
  s_Render = new CRender;
  if (!s_Render->Initialise(nullptr, s_Window, nullptr, 1)) {
    delete s_Render;
    s_Render = nullptr;
  }
}

void RenderDeviceTest::TearDownTestSuite() {
  delete s_Render;
  s_Render = nullptr;
  DestroyTestWindow(s_Window);
  s_Window = nullptr;
}

void RenderDeviceTest::SetUp() {
  ASSERT_NE(s_Render, nullptr) << "the render object did not start";
  s_Render->MakeCurrent();
  D3D8TestRecordCalls(g_Device, false);
}

std::vector<std::string> RenderDeviceTest::CallNames() const {
  std::vector<std::string> names;
  for (const D3D8Call& c : D3D8TestCalls(g_Device)) names.push_back(c.method);
  return names;
}

void MakeScreenQuad(ScreenVertex out[4], float x, float y, float w, float h, DWORD colour) {
  out[0] = {x, y, 0.5f, 1.0f, colour, 0.0f, 0.0f};
  out[1] = {x + w, y, 0.5f, 1.0f, colour, 1.0f, 0.0f};
  out[2] = {x + w, y + h, 0.5f, 1.0f, colour, 1.0f, 1.0f};
  out[3] = {x, y + h, 0.5f, 1.0f, colour, 0.0f, 1.0f};
}

IDirect3DTexture8* MakeSolidTexture(DWORD argb) {
  IDirect3DTexture8* texture = nullptr;
  if (FAILED(g_Device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture))) return nullptr;
  D3DLOCKED_RECT locked;
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
    texture->Release();
    return nullptr;
  }
  for (int y = 0; y < 2; ++y) {
    auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    row[0] = row[1] = argb;
  }
  texture->UnlockRect(0);
  return texture;
}

DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
  DWORD v = 0;
  g_Device->GetTextureStageState(stage, type, &v);
  return v;
}

DWORD DeviceState(D3DRENDERSTATETYPE state) {
  DWORD v = 0;
  g_Device->GetRenderState(state, &v);
  return v;
}

std::vector<RecordedDraw> DecodeUserDraws(const std::vector<D3D8Call>& calls) {
  std::vector<RecordedDraw> draws;
  for (const D3D8Call& c : calls) {
    RecordedDraw d{c.args[0], c.args[1], {}, {}};
    if (c.args[2] == sizeof(DebugVertex)) {
      d.vertices.resize(c.data.size() / sizeof(DebugVertex));
      std::memcpy(d.vertices.data(), c.data.data(), d.vertices.size() * sizeof(DebugVertex));
    } else if (c.args[2] == sizeof(ScreenVertex)) {
      d.screenVertices.resize(c.data.size() / sizeof(ScreenVertex));
      std::memcpy(d.screenVertices.data(), c.data.data(), d.screenVertices.size() * sizeof(ScreenVertex));
    }
    draws.push_back(d);
  }
  return draws;
}
