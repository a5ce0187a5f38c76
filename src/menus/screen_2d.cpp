#include "menus/screen_2d.h"

#include "menus/draw_quad_2d.h"
#include "render/textures/texture_manager.h"

CScreen2D* g_Screen2D = nullptr;
CScreen2D* g_ViewScreens2D[kScreen2DViews] = {};

void CScreen2D::Reset() {
  state_ = TRANSITION_OFF;
  start_ = 0;
}

std::uint32_t CScreen2D::Elapsed() const {
  const std::uint32_t e = Now() - start_;
  return e < kTransitionMs ? e : kTransitionMs;
}

void CScreen2D::Start(int state, std::uint32_t alreadyElapsed) {
  state_ = state;
  start_ = Now() - alreadyElapsed;
}

void CScreen2D::ToggleTransition() {
  switch (state_) {
    case TRANSITION_OFF: Start(TRANSITION_RISING, 0); break;
    case TRANSITION_ON: Start(TRANSITION_FALLING, 0); break;
    case TRANSITION_RISING: Start(TRANSITION_FALLING, kTransitionMs - Elapsed()); break;
    case TRANSITION_FALLING: Start(TRANSITION_RISING, kTransitionMs - Elapsed()); break;
    default: break;
  }
}

void CScreen2D::SetTransition(int on) {
  if (on == 1) {
    if (state_ == TRANSITION_OFF || state_ == TRANSITION_FALLING) ToggleTransition();
  } else if (on == 0) {
    if (state_ == TRANSITION_ON || state_ == TRANSITION_RISING) ToggleTransition();
  }
}

void CScreen2D::Update() {
  if ((state_ == TRANSITION_RISING || state_ == TRANSITION_FALLING) && Now() - start_ >= kTransitionMs)
    state_ = state_ == TRANSITION_RISING ? TRANSITION_ON : TRANSITION_OFF;
}

float CScreen2D::GetTransitionLevel() const {
  const float f = static_cast<float>(Elapsed()) / static_cast<float>(kTransitionMs);
  switch (state_) {
    case TRANSITION_RISING: return f;
    case TRANSITION_ON: return 1.0f;
    case TRANSITION_FALLING: return 1.0f - f;
    default: return 0.0f;
  }
}

void CScreen2D::ReloadNoiseTexture(CTextureManager* textures) {
  if (textures == nullptr) return;
  noise_ = textures->GetTexture("Noise", 0);
}

void CScreen2D::DrawQuadPair(int x, int y, int width, int height, std::uint8_t red, std::uint8_t green,
                             std::uint8_t blue, std::uint8_t alpha, std::uint8_t outlineRed, std::uint8_t outlineGreen,
                             std::uint8_t outlineBlue, std::uint8_t outlineAlpha, int additive) {
  if (width == 0 || height == 0) return;
  DrawQuad2D(x, y, width, height, red, green, blue, alpha, 1, additive);
  DrawQuad2D(x, y, width, height, outlineRed, outlineGreen, outlineBlue, outlineAlpha, 0, additive);
}
