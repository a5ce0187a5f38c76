// The frame and level life of the program until the game's own frame and
// levels exist: the first level change starts the demo level (from its own
// folder on the disk), and each in-game frame steps the world and the
// demo's actors and draws the level from viewport 0's movie camera.
#include <cstdio>
#include <string>

#include "control/input/input.h"
#include "foundation/files/catalog.h"
#include "foundation/system/command_switches.h"
#include "platform/win32/window.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "shell/demo_actors.h"
#include "shell/demo_level.h"
#include "shell/demo_sound.h"
#include "shell/demo_vehicle.h"
#include "shell/engine_frame_loop.h"
#include "shell/engine_life_cycle.h"
#include "shell/frame/level_cycle.h"
#include "shell/frame/run_frame.h"
#include "shell/frame_screenshot.h"
#include "shell/program/game_objects.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"
#include "world/cameras/movie_camera.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"

namespace {

int g_frameLimit = 0;
std::string g_screenshot;
int g_presented = 0;
bool g_levelRunning = false;
bool g_limitChecked = false;

// Frames an offscreen run presents when no count was asked for: nobody can
// close its window.
constexpr int kOffscreenFrames = 300;
// Escape's key code.
constexpr int kEscapeKey = 1;

// The demo level, read from its folder on the disk whatever the catalogs say.
void StartLevel() {
  if (g_HLOManager != nullptr) {
    g_HLOManager->SetFactory(DemoObjectFactory);
    g_HLOManager->SetDeleteCallback(DeleteDemoObject);
  }
  // The demo level's stored octree numbers the instances as the level tool's
  // load made them, not as the game's objects make them: the level builds
  // its octree at load, whatever the letters say.
  SuspendCatalogs();
  const int d = IsCommandSwitchSet('d'), r = IsCommandSwitchSet('r');
  ClearCommandSwitch('d');
  ClearCommandSwitch('r');
  if (!StartDemoLevel(nullptr)) std::printf("halberd: the demo level did not load whole\n");
  if (d) SetCommandSwitch('d');
  if (r) SetCommandSwitch('r');
  RestoreCatalogMode();
  g_levelRunning = true;
}

// The demo's line of text over the view, in the game's main font.
void DrawCaption() {
  if (g_MainFont == nullptr || g_FontSprites == nullptr) return;
  const int n = g_MovieCamera != nullptr ? g_MovieCamera->GetViewportCamera(0) : -1;
  const std::string line = std::string("HALBERD DEMO LEVEL  CAMERA ") + (n >= 0 ? g_MovieCamera->GetName(n) : "NONE");
  CRender* r = g_Render;
  r->SetZEnable(0);
  r->SetLighting(0);
  r->SetFogEnable(0);
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  const int blend = g_FontSprites->SetBlendMode(3);
  g_MainFont->SetColour(0xFFFFFFFF);
  g_MainFont->DrawString(line.c_str(), 16, 32, 0);
  g_FontSprites->SetBlendMode(blend);
  r->SetZEnable(1);
}

void InGameFrame() {
  if (WasKeyPressed(kEscapeKey)) QuitGame();
  EngineFrameStep();
  UpdateDemoActors();
  EngineApplyView(0);
  UpdateDemoSound();
  DrawLevelFrame();
  DrawCaption();
  g_Render->EndScene();
  const bool last = g_frameLimit > 0 && g_presented + 1 == g_frameLimit;
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

int FramesPresented() { return g_presented; }

void RunFrame() {
  if (!g_limitChecked) {
    g_limitChecked = true;
    if (g_frameLimit == 0 && Win32WindowsAreOffscreen()) {
      g_frameLimit = kOffscreenFrames;
      std::printf("halberd: no display to close the window, presenting %d frames\n", g_frameLimit);
    }
  }
  switch (FrameMode) {
    case FRAME_LEVEL_CHANGE:
      LevelShutdown();
      StartLevel();
      FrameMode = FRAME_IN_GAME;
      break;
    case FRAME_IN_GAME:
      InGameFrame();
      break;
    default:
      break;
  }
}

void LevelShutdown() {
  if (!g_levelRunning) return;
  EndDemoLevel();
  g_levelRunning = false;
}

bool LevelRunning() { return g_levelRunning; }
