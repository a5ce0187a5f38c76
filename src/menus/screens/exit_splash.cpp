#include "menus/screens/exit_splash.h"

#include <cstring>

#include "control/input/input.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "render/2d/full_screen_image.h"
#include "render/device/render.h"
#include "shell/program/main_window.h"
#include "sound/sound_manager.h"
#include "world/engine.h"

namespace {

constexpr const char* kSplashPictures[3] = {"splash3.bmp", "splash1.bmp", "splash4.bmp"};
constexpr std::uint32_t kTimeOutMs = 4000;
constexpr std::uint32_t kFadeStepMs = 75;
constexpr int kEscapeKey = 1;
constexpr int kEnterKey = 28;
constexpr int kSpaceKey = 57;

struct SplashState {
  int picture = 0;
  int started = 0;
  float alpha = 0.0f;
  std::uint32_t nextFadeStep = 0;
  std::uint32_t timeOut = 0;
  CFullScreenImage* current = nullptr;
};
SplashState g_splash;

void FreePicture() {
  if (g_splash.current == nullptr) return;
  g_splash.current->Release();
  delete g_splash.current;
  g_splash.current = nullptr;
}

}  // namespace

void LoadSplashPicture(const char* name) {
  if (g_Render == nullptr) return;
  g_splash.current = new CFullScreenImage(g_Render, g_MainCamera, g_PersistentTextures);
  char buffer[256];
  std::strncpy(buffer, name, sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  g_splash.current->Load(buffer, nullptr);
}

void DrawSplashFrame() {
  if (g_splash.current == nullptr || g_Render == nullptr) return;
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->BeginScene();
    g_splash.current->Draw(static_cast<int>(g_splash.alpha * 255.0f));
    g_Render->EndScene();
    g_Render->Present();
  }
}

void ClearSplashScreen() {
  if (g_Render == nullptr) return;
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->BeginScene();
    g_Render->SetClearColour(0);
    g_Render->Clear(1);
    g_Render->EndScene();
    g_Render->Present();
  }
}

void UpdateSplash() {
  if (g_splash.started == 0) {
    if (g_SoundManager != nullptr) {
      g_SoundManager->StopMusic();
      g_SoundManager->StopAllSounds();
    }
    ClearSplashScreen();
    LoadSplashPicture(kSplashPictures[0]);
    if (g_splash.current == nullptr) {
      QuitGame();
      return;
    }
    g_splash.alpha = 1.0f;
    DrawSplashFrame();
    g_splash.started = 1;
    g_splash.nextFadeStep = 0;
    g_splash.timeOut = GameNowMs() + kTimeOutMs;
  }
  UpdateInput();
  const std::uint32_t now = GameNowMs();
  const bool advance = (g_splash.picture < 2 && now > g_splash.timeOut) || WasKeyPressed(kSpaceKey) ||
                       WasKeyPressed(kEnterKey);
  if (g_GameClock != nullptr) g_GameClock->Update();
  if (WasKeyPressed(kEscapeKey)) {
    FreePicture();
    QuitGame();
    return;
  }
  if (!advance) {
    if (now > g_splash.nextFadeStep) {
      g_splash.nextFadeStep = now + kFadeStepMs;
      if (g_splash.alpha < 1.0f && g_GameClock != nullptr) {
        g_splash.alpha += g_GameClock->GetFrameTime();
        if (g_splash.alpha > 1.0f) g_splash.alpha = 1.0f;
      }
    }
    DrawSplashFrame();
    return;
  }
  FreePicture();
  g_splash.alpha = 0.0f;
  g_splash.nextFadeStep = 0;
  g_splash.timeOut = now + kTimeOutMs;
  ++g_splash.picture;
  if (g_splash.picture < 3) {
    LoadSplashPicture(kSplashPictures[g_splash.picture]);
    return;
  }
  QuitGame();
}

void ResetSplash() {
  FreePicture();
  g_splash = SplashState{};
}

int SplashPictureIndex() { return g_splash.picture; }
float SplashAlpha() { return g_splash.alpha; }
bool SplashHasPicture() { return g_splash.current != nullptr; }
