// The zoom-and-fade transition between screens: the screen being left grows
// and fades (forward) or shrinks and dims (backward) over 330 ms of the real
// clock, then the new one grows (or shrinks) into place over the next 330 ms,
// through the render object's 2D scale, alpha and colour scales.
#include <cmath>

#include "foundation/system/command_switches.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "render/device/render.h"

namespace {

constexpr float kPerMs = 0.003030303f;     // 330 ms for a whole run
constexpr float kQuarterTurn = 1.57079f;  // the cosine's angle at t = 1

void Neutral2D() {
  if (g_Render == nullptr) return;
  g_Render->Set2DScale(1.0f);
  g_Render->Set2DRotation(0.0f);
  g_Render->Set2DRedScale(1.0f);
  g_Render->Set2DGreenScale(1.0f);
  g_Render->Set2DBlueScale(1.0f);
  g_Render->Set2DAlphaScale(1.0f);
}

float Elapsed(const ScreenManagerState& s) {
  return static_cast<float>(RealNowMs() - s.transitionStart) * kPerMs;
}

}  // namespace

int UpdateScreenTransition() {
  ScreenManagerState& s = Screens();
  if (IsCommandSwitchSet('u') != 0) return ScreenId;
  if (s.zoomingOut) {
    const float t = Elapsed(s);
    if (t >= 1.0f) {
      // The leave animation is over: the steps it held back run now.
      s.zoomingOut = s.dimGreen = s.dimRed = false;
      s.transitionStart = RealNowMs();
      Neutral2D();
      ScreenLeaveStep(PreviousScreenId, ScreenId);
      ScreenEnterStep(ScreenId);
    } else {
      // The screen being left: alpha 1 - t; forward it grows from 1 to 2
      // (2 - cos), backward it shrinks from 1 to 0.5 (cos / 2 + 1/2) and
      // fades red and green (blue by both) when asked.
      const float c = std::cos(t * kQuarterTurn);
      if (g_Render != nullptr) {
        g_Render->Set2DAlphaScale(1.0f - t);
        if (s.forward) {
          g_Render->Set2DScale(2.0f - c);
          g_Render->Set2DRedScale(1.0f);
          g_Render->Set2DGreenScale(1.0f);
          g_Render->Set2DBlueScale(1.0f);
        } else {
          const float red = s.dimRed ? 1.0f - t : 1.0f, green = s.dimGreen ? 1.0f - t : 1.0f;
          g_Render->Set2DScale(c * 0.5f + 0.5f);
          g_Render->Set2DRedScale(red);
          g_Render->Set2DGreenScale(green);
          g_Render->Set2DBlueScale(red * green);
        }
      }
      return PreviousScreenId;
    }
  }
  if (s.zoomingIn) {
    const float t = Elapsed(s);
    if (t >= 1.0f) {
      s.zoomingIn = false;
      s.forward = true;
      Neutral2D();
    } else if (g_Render != nullptr) {
      // The new screen: alpha t; forward it grows from 0.5 to 1, backward it
      // shrinks from 2 to 1.
      const float c = std::cos((1.0f - t) * kQuarterTurn);
      g_Render->Set2DAlphaScale(t);
      g_Render->Set2DScale(s.forward ? c * 0.5f + 0.5f : 2.0f - c);
      g_Render->Set2DRedScale(1.0f);
      g_Render->Set2DGreenScale(1.0f);
      g_Render->Set2DBlueScale(1.0f);
    }
  }
  if (!s.zoomingOut && !s.zoomingIn) s.transitionStart = 0;
  return ScreenId;
}

void ResetScreenTransitions() {
  ScreenManagerState& s = Screens();
  s.forward = true;
  s.zoomingOut = s.zoomingIn = s.dimGreen = s.dimRed = false;
  s.transitionStart = 0;
}

void SetTransitionForward() { Screens().forward = true; }
void SetTransitionBackward() { Screens().forward = false; }

ScreenTransitionState GetScreenTransition() {
  const ScreenManagerState& s = Screens();
  return {s.zoomingOut, s.zoomingIn, s.dimGreen, s.dimRed, s.forward, s.transitionStart};
}
