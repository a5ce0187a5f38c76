#include "shell/engine_frame_loop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/window.h"
#include "render/render.h"
#include "shell/game_device_callback.h"
#include "world/engine.h"

namespace {

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "Halberd";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Halberd", "Halberd", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 800,
                         600, nullptr, nullptr, instance, nullptr);
}

// A 2 x 2 opaque white texture, so that the blend modes take the vertex colours.
IDirect3DTexture8* MakeWhiteTexture() {
  IDirect3DTexture8* texture = nullptr;
  if (g_Device == nullptr ||
      FAILED(g_Device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture)))
    return nullptr;
  D3DLOCKED_RECT locked;
  if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
    for (int y = 0; y < 2; ++y) {
      auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      row[0] = row[1] = 0xFFFFFFFF;
    }
    texture->UnlockRect(0);
  }
  return texture;
}

void Quad(float x, float y, float w, float h, DWORD colour) {
  const ScreenVertex quad[4] = {{x, y, 0.5f, 1.0f, colour, 0.0f, 0.0f},
                                {x + w, y, 0.5f, 1.0f, colour, 1.0f, 0.0f},
                                {x + w, y + h, 0.5f, 1.0f, colour, 1.0f, 1.0f},
                                {x, y + h, 0.5f, 1.0f, colour, 0.0f, 1.0f}};
  g_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
}

// One frame of the 2D things the renderer can draw so far: three overlapping
// quads in the alpha, additive and darkening blend modes, one of them sliding.
void DrawFrame(IDirect3DTexture8* white, int frame) {
  CRender* r = g_Render;
  r->SetClearColour(0xFF203040);
  r->Clear(1);
  r->BeginScene();
  r->SetZEnable(0);
  r->SetLighting(0);
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  r->SetTexture(0, white);
  r->SetVertexFormat(kFvfScreen);
  const float slide = static_cast<float>(frame % 400);
  r->SetBlendMode(3);
  Quad(150, 150, 300, 200, 0xC0E03020);
  r->SetBlendMode(12);
  Quad(250 + slide * 0.5f, 250, 300, 200, 0x8020A0F0);
  r->SetBlendMode(5);
  Quad(100, 380, 600, 60, 0xFF404040);
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 0);
  r->SetZEnable(1);
  r->EndScene();
  r->Present();
}

}  // namespace

int FrameCountFromArguments(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 || std::strcmp(argv[i], "-frames") == 0) {
      const long n = std::strtol(argv[i + 1], nullptr, 10);
      return n > 0 && n < 0x7FFFFFFF ? static_cast<int>(n) : 0;
    }
  }
  return 0;
}

int RunEngineFrames(HINSTANCE instance, int frames) {
  HWND window = CreateMainWindow(instance);
  if (window == nullptr) {
    std::fprintf(stderr, "halberd: the main window could not be opened\n");
    return 1;
  }
  if (!EngineInitialise(instance, window, GameDeviceCallback, 1)) {
    std::fprintf(stderr, "halberd: the engine could not start the render device\n");
    DestroyWindow(window);
    return 1;
  }
  std::printf("halberd: %ux%u, %s\n", g_Render->GetModeWidth(), g_Render->GetModeHeight(),
              g_Render->GetAdapterDescription());
  IDirect3DTexture8* white = MakeWhiteTexture();

  int shown = 0;
  bool running = true;
  while (running && (frames == 0 || shown < frames)) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        running = false;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!running) break;
    // A lost device skips the frame; it is tried again on the next one.
    if (!g_Render->CheckDevice()) continue;
    DrawFrame(white, shown);
    ++shown;
  }
  std::printf("halberd: %d frames presented\n", shown);

  if (white != nullptr) {
    g_Render->SetTexture(0, nullptr);
    white->Release();
  }
  EngineShutdown();
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}
