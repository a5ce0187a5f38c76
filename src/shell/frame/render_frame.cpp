// The render frame: each local viewport's world, then the 2D layers.
#include <cstdio>
#include <string>

#include "control/input/input.h"
#include "control/layout/hud_layout.h"
#include "control/viewport_config.h"
#include "control/players/local_player_table.h"
#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "menus/screens/menu_driver.h"
#include "menus/screens/screen_manager.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "shell/engine_frame_loop.h"
#include "shell/engine_life_cycle.h"
#include "shell/frame/debug_counters.h"
#include "shell/frame/frame_trace.h"
#include "shell/frame/run_frame.h"
#include "shell/frame_screenshot.h"
#include "shell/level/level_cycle.h"
#include "shell/program/game_objects.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"
#include "platform/win32/window.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/effects_world.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/sky/sky.h"
#include "world/text/message_list.h"
#include "world/text/screen_text.h"
#include "world/text/terminal.h"
#include "world/text/world_text.h"

namespace {

constexpr int kCursorSprite = 82;
constexpr float kFieldOfView = 70.0f;
constexpr float kNear = 8.0f;
constexpr float kFar = 6400.0f;

int g_frameLimit = 0;
void (*g_lastFrameHook)() = nullptr;
std::string g_screenshot;
int g_presented = 0;
int g_lastViews = 0;
bool g_limitChecked = false;
// Frames an offscreen run presents when no count was asked for: nobody can
// close its window.
constexpr int kOffscreenFrames = 300;

bool SplitDrawingAllowed() {
  if (SplitDrawing == 0) return false;
  for (int screen : kFullScreenOnlyScreens)
    if (ScreenId == screen) return false;
  return true;
}

// The view records of the split-screen layout in use, written into the
// render device's per-view records once a frame (the HUD anchors read them
// until the next frame).  One view: the whole screen.
const ViewportLayout& WriteViewRecords(int n) {
  const DWORD width = g_Render->GetModeWidth(), height = g_Render->GetModeHeight();
  // The record for the views drawn, whatever count was stored last.
  if (n > 1) g_ViewportConfig.SelectLayout(n);
  const ViewportLayout& layout = n <= 1 ? kOneViewLayout : g_ViewportConfig.Layout();
  for (int i = 0; i < kMovieViewports; ++i) {
    D3DVIEWPORT8* record = g_Render->GetViewportRecord(static_cast<DWORD>(i));
    if (record != nullptr && !ViewportPixels(layout, i, width, height, record))
      MakeViewport(record, 0, 0, 0, 0, 0.0f, 1.0f);
  }
  return layout;
}

// View v made current; false for a view the layout does not use.
bool SelectView(const ViewportLayout& layout, int v) {
  D3DVIEWPORT8* record = g_Render->GetViewportRecord(static_cast<DWORD>(v));
  if (record == nullptr || layout.View[v].Flag != 1) return false;
  g_Render->SetViewport(record);
  return true;
}

// The whole screen, for the 2D layers.
D3DVIEWPORT8 g_fullScreen;
void SelectFullScreen() {
  MakeViewport(&g_fullScreen, 0, 0, g_Render->GetModeWidth(), g_Render->GetModeHeight(), 0.0f, 1.0f);
  g_Render->SetViewport(&g_fullScreen);
}

void DrawOverlayText() {
  if (g_WorldText != nullptr) g_WorldText->WorldTextDraw();
  if (g_MainTerminal != nullptr) g_MainTerminal->TerminalDraw();
  if (g_ScreenText != nullptr) g_ScreenText->ScreenTextDraw();
  if (g_MessageList != nullptr) g_MessageList->MessageDraw();
}

void DrawDebugOverlay() {
  if (g_ShowStatistics == 0 || g_MainFont == nullptr) return;
  int y = 40;
  for (int i = 0; i < DEBUG_COUNTER_COUNT; ++i, y += 14) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %u (%u)", DebugCounterLabel(static_cast<DebugCounter>(i)),
                  g_DebugCounters.value[i], g_DebugCounters.maximum[i]);
    g_MainFont->DrawString(line, 16, y, 0);
  }
}

void Present() {
  g_Render->EndScene();
  const bool last = g_frameLimit > 0 && g_presented + 1 == g_frameLimit;
  if (last && g_lastFrameHook != nullptr) g_lastFrameHook();
  if (last && !g_screenshot.empty()) {
    if (SaveBackBuffer(g_screenshot.c_str()))
      std::printf("halberd: frame saved to %s\n", g_screenshot.c_str());
    else
      std::fprintf(stderr, "halberd: the frame could not be saved to %s\n", g_screenshot.c_str());
  }
  g_Render->Present();
  ++g_presented;
  if (g_frameLimit > 0 && g_presented >= g_frameLimit) QuitGame();
}

}  // namespace

void SetFrameLimit(int frames, const char* screenshot) {
  g_frameLimit = frames > 0 ? frames : 0;
  g_screenshot = screenshot != nullptr ? screenshot : "";
  g_presented = 0;
  g_limitChecked = false;
}

void ApplyOffscreenFrameLimit() {
  if (g_limitChecked) return;
  g_limitChecked = true;
  if (g_frameLimit == 0 && Win32WindowsAreOffscreen()) {
    g_frameLimit = kOffscreenFrames;
    std::printf("halberd: no display to close the window, presenting %d frames\n", g_frameLimit);
  }
}

int FramesPresented() { return g_presented; }

void SetLastFrameHook(void (*hook)()) { g_lastFrameHook = hook; }

int LastFrameViews() { return g_lastViews; }

void DrawViewport(int viewport) {
  EngineApplyView(viewport);
  DrawWorldView();
  FrameStep("draw viewport");
}

void RenderFrame(int renderOn) {
  if (FrameMode == FRAME_LEVEL_CHANGE || g_Render == nullptr) return;
  const int players = g_LocalPlayers.Count() > 0 ? g_LocalPlayers.Count() : 1;
  const int views = SplitDrawingAllowed() ? players : 1;
  g_Render->SetClearColour(LevelClearColour());
  g_Render->Clear(1);
  g_Render->BeginScene();
  g_lastViews = 0;
  const ViewportLayout& layout = WriteViewRecords(views);
  if (renderOn) {
    for (int v = 0; v < views; ++v) {
      if (!SelectView(layout, v)) continue;
      if (g_MainCamera != nullptr) g_MainCamera->SetProjection(kFieldOfView, kNear, kFar);
      if (views > 1) g_Render->Clear(1);
      DrawViewport(v);
      if (g_ViewScreens2D[v] != nullptr) g_ViewScreens2D[v]->Update();
      ++g_lastViews;
    }
  }
  // The lights, the effects after the views, the 2D layers over the full screen.
  CLightTable::ClearActive();
  if (g_GameClock != nullptr && g_GameClock->IsRunning()) AdvanceEffectsAfterViews();
  SelectFullScreen();
  if (g_MainCamera != nullptr) g_MainCamera->SetProjection(kFieldOfView, kNear, kFar);
  g_Render->SetZEnable(0);
  g_Render->SetLighting(0);
  g_Render->SetFogEnable(0);
  g_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  const int blend = g_FontSprites != nullptr ? g_FontSprites->SetBlendMode(3) : 0;
  if (g_MainFont != nullptr) g_MainFont->SetColour(0xFFFFFFFF);
  DrawMenus();
  DrawOverlayText();
  DrawDebugOverlay();
  if (CursorShown != 0 && g_EffectsSprites != nullptr) {
    g_Render->SetBilinearFilter(1);
    g_EffectsSprites->Draw(kCursorSprite, g_Input != nullptr ? g_Input->GetCursorX() : 0,
                           g_Input != nullptr ? g_Input->GetCursorY() : 0);
  }
  if (g_FontSprites != nullptr) g_FontSprites->SetBlendMode(blend);
  g_Render->SetZEnable(1);
  FrameStep("render");
  Present();
}
