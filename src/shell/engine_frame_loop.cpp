#include "shell/engine_frame_loop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "platform/win32/window.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_table.h"
#include "scene/shadows/shadows.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/view/world_view.h"
#include "shell/demo_actors.h"
#include "shell/demo_level.h"
#include "shell/demo_sound.h"
#include "shell/engine_life_cycle.h"
#include "shell/frame_screenshot.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/effects_world.h"
#include "world/effects/trails.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/sky/sky.h"
#include "world/space/view_zone.h"
#include "world/text/terminal.h"

// The demo data that the tools write at build time (the font).
#ifndef HALBERD_DEMO_DATA_DIR
#define HALBERD_DEMO_DATA_DIR "data/"
#endif

namespace {

WorldViewStats g_LastViewStats;
std::uint32_t g_LastClearColour = kFrameSkyColour;

// The line of text over the view, in the bitmap font of the demo data (its
// page among the persistent textures, so that it outlives level resets).
struct TextLine {
  CSpriteRender glyphs{g_Render, g_MainCamera, g_PersistentTextures};
  std::uint16_t glyphMap[128];
  CFont font{glyphMap, 128};
  // A terminal line at the foot of the picture, on its framed box.
  CScreen2D box;
  CTerminal terminal{g_Render, g_GameClock, g_RealClock, &font, &box, 4};

  ~TextLine() { glyphs.Free(); }

  // False when the font is missing (the frame then has no text).
  bool Load() {
    const std::string path = std::string(HALBERD_DEMO_DATA_DIR) + "font.spr";
    if (g_PersistentTextures == nullptr || !glyphs.Load(path.c_str(), TEXF_32BIT, 0, 0, 0)) return false;
    g_PersistentTextures->LoadTextures(nullptr);
    glyphs.RecomputeUVs();
    // Each glyph sprite keeps its character code.
    std::fill(std::begin(glyphMap), std::end(glyphMap), kNoGlyph);
    for (int i = 0; i < glyphs.GetSpriteCount(); ++i)
      if (glyphs.Sprites[i].Value < 128) glyphMap[glyphs.Sprites[i].Value] = static_cast<std::uint16_t>(i);
    font.Init(&glyphs, 33, 128, 12, 0);
    terminal.Y = 556;
    terminal.TerminalToggleKeep();  // the line stays after its 2000 ms
    terminal.TerminalPrint("R RESETS THE LEVEL - ESC QUITS");
    return true;
  }

  void Draw(const char* text) {
    CRender* r = g_Render;
    r->SetZEnable(0);
    r->SetLighting(0);
    r->SetFogEnable(0);
    r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
    const int blend = glyphs.SetBlendMode(3);
    font.SetColour(0xFFFFFFFF);
    font.DrawString(text, 16, 32, 0);
    terminal.TerminalUpdate();
    terminal.TerminalDraw();
    glyphs.SetBlendMode(blend);
    r->SetZEnable(1);
  }
};

// The effects' share of the view: the trails go into the queue (the
// environment's transparent pass queues the particles).
void QueueTrails() {
  if (g_GameClock != nullptr && g_GameClock->IsRunning() && g_Trails != nullptr) g_Trails->Render();
}

// One frame: the level (DrawLevelFrame) and the text line over it.  With a
// screenshot name the frame is saved before it is presented.
void DrawFrame(TextLine* text, const char* screenshot) {
  CRender* r = g_Render;
  g_LastViewStats = DrawLevelFrame();
  if (text != nullptr) {
    const int n = g_MovieCamera != nullptr ? g_MovieCamera->GetViewportCamera(0) : -1;
    const std::string line = std::string("HALBERD DEMO LEVEL  CAMERA ") + (n >= 0 ? g_MovieCamera->GetName(n) : "NONE");
    text->Draw(line.c_str());
  }
  r->EndScene();
  if (screenshot != nullptr) {
    if (SaveBackBuffer(screenshot))
      std::printf("halberd: frame saved to %s\n", screenshot);
    else
      std::fprintf(stderr, "halberd: the frame could not be saved to %s\n", screenshot);
  }
  r->Present();
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

// The level change as the game runs it: the level ends, the clocks stop, the
// level-bound engine modules are renewed, the clocks run again and the level
// loads anew.
bool ResetLevel() {
  EndDemoLevel();
  EngineRunClocks(0);
  const int ok = EngineReset();
  EngineRunClocks(1);
  std::printf("halberd: level reset (engine modules renewed)%s\n", ok ? "" : " FAILED");
  return ok != 0 && StartDemoLevel(nullptr);
}

}  // namespace

WorldViewStats LastFrameViewStats() { return g_LastViewStats; }

std::uint32_t LastFrameClearColour() { return g_LastClearColour; }

std::uint32_t LevelClearColour() {
  // The sky's colours and sun for the time of day give the clear colour.
  CSky* sky = g_Environment != nullptr ? g_Environment->Sky : nullptr;
  if (sky == nullptr) return kFrameSkyColour;
  sky->UpdateLighting();
  return sky->GetPackedColour() | 0xFF000000u;
}

WorldViewStats DrawWorldView() {
  CRender* r = g_Render;
  // The view's pass through the environment's frame operations: the queue
  // reset, the sky, the environment's update (which draws the level by
  // zones from the zone the camera stands in, each instance with its own
  // lights), the trails, the lens flares, the transparent pass, then the
  // view's camera kept.
  WorldViewStats stats;
  CEnvironment* env = g_Environment;
  if (env != nullptr && g_MainCamera != nullptr) {
    CCamera::SetCurrentCamera(g_MainCamera);
    if (g_DepthSortQueue != nullptr) g_DepthSortQueue->SetCamera(g_MainCamera);
    env->ResetDepthQueue();
    env->DrawSky();
    // The view's frustum, transforms, lights and render states for the instances.
    BeginWorldView(g_MainCamera, g_Lights);
    env->SetViewInstance(FindViewZone(*env, 0, g_MainCamera->GetPosition()));
    const std::uint32_t drawn = g_EnvInstanceGlobals.DrawCount, lit = g_EnvInstanceGlobals.LitDrawCount;
    env->Update();
    stats.instances = g_EnvInstanceGlobals.DrawCount - drawn;
    stats.lit = g_EnvInstanceGlobals.LitDrawCount - lit;
    CLightTable::ClearActive();
    QueueTrails();
    env->UpdateFlares(g_MainCamera->GetPosition(), 0);
    if (g_DepthSortQueue != nullptr) stats.queued = QueuedItemCount(*g_DepthSortQueue);
    env->DrawTransparent();
    // The shadow volumes the transparent pass drew marked the stencil buffer.
    ShadowsDarkenScreen();
    env->SetView(0, *g_MainCamera);
    env->AdvanceFlareWindow();
    CMatrix identity;
    identity.SetIdentity();
    r->SetWorldMatrix(identity);
  }
  return stats;
}

WorldViewStats DrawLevelFrame() {
  CRender* r = g_Render;
  g_LastClearColour = LevelClearColour();
  r->SetClearColour(g_LastClearColour);
  r->Clear(1);
  r->BeginScene();
  const WorldViewStats stats = DrawWorldView();
  if (g_GameClock != nullptr && g_GameClock->IsRunning()) AdvanceEffectsAfterViews();
  return stats;
}

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
// A counted run steps its clocks by a fixed 1/30 s a frame, so that frame N
// (and its screenshot) shows the same moment on any machine.
constexpr std::uint32_t kCountedRunFrameMs = 33;
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
  if (!StartGameModules()) {
    std::fprintf(stderr, "halberd: the game's world modules could not be made\n");
    EngineShutdown();
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
  auto text = std::make_unique<TextLine>();
  if (!text->Load()) {
    std::printf("halberd: no font in %s\n", HALBERD_DEMO_DATA_DIR);
    text.reset();
  }
  if (!StartDemoLevel(nullptr)) std::printf("halberd: the demo level did not load whole\n");

  // The level's clocks run from here; a counted run resets the level half-way
  // (by day before, in the evening after).
  if (frames > 0)
    for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(kCountedRunFrameMs);
  EngineRunClocks(1);
  g_LastViewStats = WorldViewStats{};
  const int resetAt = frames > 1 ? frames / 2 : -1;
  const std::string dayShot = screenshot != nullptr ? TaggedScreenshotName(screenshot, "day") : std::string();
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
      // A counted run shows its second half in the evening.
      if (shown == resetAt) SetDemoTimeOfDay(kDemoEveningHour);
    }
    // The world's frame on the game clock, the demo's actors, then the view
    // of viewport 0's movie camera.
    EngineFrameStep();
    UpdateDemoActors();
    EngineApplyView(0);
    UpdateDemoSound();
    // The screenshot is of the last frame of a counted run.
    const bool last = frames > 0 && shown + 1 == frames;
    // ...and, tagged "day", of the last frame before the half-way reset.
    const bool beforeReset = screenshot != nullptr && resetAt > 0 && shown + 1 == resetAt;
    DrawFrame(text.get(), last ? screenshot : beforeReset ? dayShot.c_str() : nullptr);
    ++shown;
  }
  std::printf("halberd: %d frames presented\n", shown);

  EndDemoLevel();
  text.reset();
  StopGameModules();
  EngineShutdown();
  if (IsWindow(window)) DestroyWindow(window);
  // The quit message the window's end posted belongs to this run: taken out
  // of the queue, it cannot end the next run in the same process at once.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  return 0;
}
