#include "shell/engine_frame_loop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/files/bmp_handler.h"
#include "platform/win32/window.h"
#include "menus/screen_2d.h"
#include "render/2d/font.h"
#include "render/2d/full_screen_image.h"
#include "render/device/render.h"
#include "render/2d/sprite_render.h"
#include "render/textures/texture_manager.h"
#include "shell/engine_life_cycle.h"
#include "shell/game_device_callback.h"
#include "world/engine.h"
#include "world/text/terminal.h"

// The demo pictures, sprites and font that tools/make_sprites writes at build time.
#ifndef HALBERD_DEMO_DATA_DIR
#define HALBERD_DEMO_DATA_DIR "data/"
#endif

namespace {

// What the frame shows from the demo data: a full-screen picture, a few
// sprites and a line of text in the bitmap font.
struct DemoScene {
  CTextureManager textures;
  CFullScreenImage picture{g_Render, nullptr, &textures};
  CSpriteRender sprites{g_Render, nullptr, &textures};
  CSpriteRender glyphs{g_Render, nullptr, &textures};
  std::uint16_t glyphMap[128];
  CFont font{glyphMap, 128};
  // A terminal line over the picture, on its framed box.
  CScreen2D box;
  CTerminal terminal{g_Render, g_GameClock, g_RealClock, &font, &box, 4};

  ~DemoScene() { picture.Release(); }

  // False when the demo data is missing (the frame then shows plain quads).
  bool Load() {
    const std::string folder = HALBERD_DEMO_DATA_DIR;
    if (!picture.Load((folder + "splash.bmp").c_str(), nullptr)) return false;
    if (!sprites.Load((folder + "sprites.spr").c_str(), TEXF_32BIT, 0, 0, 0)) return false;
    if (!glyphs.Load((folder + "font.spr").c_str(), TEXF_32BIT, 0, 0, 0)) return false;
    textures.LoadTextures(nullptr);
    sprites.RecomputeUVs();
    glyphs.RecomputeUVs();
    // Each glyph sprite keeps its character code.
    std::fill(std::begin(glyphMap), std::end(glyphMap), kNoGlyph);
    for (int i = 0; i < glyphs.GetSpriteCount(); ++i)
      if (glyphs.Sprites[i].Value < 128) glyphMap[glyphs.Sprites[i].Value] = static_cast<std::uint16_t>(i);
    font.Init(&glyphs, 33, 128, 12, 0);
    terminal.Y = 556;                // at the foot of the picture
    terminal.TerminalToggleKeep();  // the line stays after its 2000 ms
    terminal.TerminalPrint("R RESETS THE LEVEL - ESC QUITS");
    return true;
  }

  void Draw(int frame) {
    picture.Draw(255);
    const int blend = sprites.SetBlendMode(3);
    const int slide = frame % 200;
    for (int i = 0; i < sprites.GetSpriteCount(); ++i) sprites.Draw(i, 120 + i * 150, 380 - (i % 2) * 40);
    sprites.DrawRotated(0, 60 + slide * 3, 150, static_cast<float>(frame * 3 % 360));
    sprites.SetBlendMode(blend);
    font.SetColour(0xFFFFFFFF);
    font.DrawString("HALBERD - PICTURE, SPRITES AND TEXT", 40, 60, 0);
    font.SetColour(0xFFFFE080);
    font.DrawString("BITMAP FONT 0123456789", 40, 520, 0);
    terminal.TerminalUpdate();
    terminal.TerminalDraw();
  }
};

// Writes the back buffer as a 24-bit BMP; false when it cannot be read or written.
bool SaveBackBuffer(const char* fileName) {
  IDirect3DSurface8* surface = nullptr;
  if (g_Device == nullptr || FAILED(g_Device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) return false;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  bool ok = SUCCEEDED(surface->GetDesc(&desc)) && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (ok) {
    const int width = static_cast<int>(desc.Width), height = static_cast<int>(desc.Height);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> rows(stride * height, 0);
    for (int y = 0; y < height; ++y) {
      const auto* in = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                              static_cast<std::size_t>(y) * locked.Pitch);
      for (int x = 0; x < width; ++x) {
        std::uint8_t* out = &rows[y * stride + x * 3];
        out[0] = in[x] & 0xFF;
        out[1] = (in[x] >> 8) & 0xFF;
        out[2] = (in[x] >> 16) & 0xFF;
      }
    }
    surface->UnlockRect();
    CBmpHandler bitmap;
    ok = bitmap.Create(width, height, 1, rows.data(), nullptr, 24, 0) && bitmap.Save(fileName);
  }
  surface->Release();
  return ok;
}

// Set by the R key: the next frame runs a level reset.
bool g_resetRequested = false;

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == 'R') {
    g_resetRequested = true;
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

// One frame: the demo scene when its data was found, else three overlapping
// quads in the alpha, additive and darkening blend modes, one of them sliding.
// With a screenshot name the frame is saved before it is presented.
void DrawFrame(IDirect3DTexture8* white, int frame, DemoScene* demo, const char* screenshot) {
  CRender* r = g_Render;
  r->SetClearColour(0xFF203040);
  r->Clear(1);
  r->BeginScene();
  r->SetZEnable(0);
  r->SetLighting(0);
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  if (demo != nullptr) {
    demo->Draw(frame);
  } else {
    r->SetTexture(0, white);
    r->SetVertexFormat(kFvfScreen);
    const float slide = static_cast<float>(frame % 400);
    r->SetBlendMode(3);
    Quad(150, 150, 300, 200, 0xC0E03020);
    r->SetBlendMode(12);
    Quad(250 + slide * 0.5f, 250, 300, 200, 0x8020A0F0);
    r->SetBlendMode(5);
    Quad(100, 380, 600, 60, 0xFF404040);
  }
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 0);
  r->SetZEnable(1);
  r->EndScene();
  if (screenshot != nullptr) {
    if (SaveBackBuffer(screenshot))
      std::printf("halberd: frame saved to %s\n", screenshot);
    else
      std::fprintf(stderr, "halberd: the frame could not be saved to %s\n", screenshot);
  }
  r->Present();
}

// The level change as the engine sees it: the clocks stop, the level-bound
// modules are renewed, and the clocks run again.
bool ResetLevel() {
  EngineRunClocks(0);
  const int ok = EngineReset();
  EngineRunClocks(1);
  std::printf("halberd: level reset (engine modules renewed)%s\n", ok ? "" : " FAILED");
  return ok != 0;
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

const char* ScreenshotFromArguments(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--screenshot") == 0) return argv[i + 1];
  return nullptr;
}

namespace {
// Frames presented when no display exists and no count was asked for.
constexpr int kOffscreenFrames = 300;
}  // namespace

int RunEngineFrames(HINSTANCE instance, int frames, const char* screenshot) {
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
  // An offscreen window cannot be closed: show a fixed run instead.
  if (frames == 0 && Win32WindowsAreOffscreen()) {
    frames = kOffscreenFrames;
    std::printf("halberd: no display to close the window, presenting %d frames\n", frames);
  }
  std::printf("halberd: %ux%u, %s\n", g_Render->GetModeWidth(), g_Render->GetModeHeight(),
              g_Render->GetAdapterDescription());
  IDirect3DTexture8* white = MakeWhiteTexture();
  auto demo = std::make_unique<DemoScene>();
  if (!demo->Load()) {
    std::printf("halberd: no demo data in %s\n", HALBERD_DEMO_DATA_DIR);
    demo.reset();
  }

  // The level's clocks run from here; a counted run resets the level half-way.
  EngineRunClocks(1);
  const int resetAt = frames > 1 ? frames / 2 : -1;
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
    if (shown == resetAt || g_resetRequested) {
      g_resetRequested = false;
      if (!ResetLevel()) {
        std::fprintf(stderr, "halberd: the level reset failed\n");
        break;
      }
    }
    // The world's frame on the game clock, then the view of viewport 0's movie camera.
    EngineFrameStep();
    EngineApplyView(0);
    // The screenshot is of the last frame of a counted run.
    const bool last = frames > 0 && shown + 1 == frames;
    DrawFrame(white, shown, demo.get(), last ? screenshot : nullptr);
    ++shown;
  }
  std::printf("halberd: %d frames presented\n", shown);

  demo.reset();
  if (white != nullptr) {
    g_Render->SetTexture(0, nullptr);
    white->Release();
  }
  EngineShutdown();
  if (IsWindow(window)) DestroyWindow(window);
  return 0;
}
