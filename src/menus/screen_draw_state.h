// The render states a screen-space primitive changes, saved when it starts
// and put back when it ends (internal to the 2D helpers).
#pragma once

#include "render/device/render.h"

class ScreenDrawState {
 public:
  // Saves texturing, fog, lighting, the depth check and the blend mode, then
  // sets the screen vertex format, fog and lighting off and the blend mode.
  ScreenDrawState(CRender* render, int blendMode);
  // Puts every saved state back.
  ~ScreenDrawState();
  ScreenDrawState(const ScreenDrawState&) = delete;
  ScreenDrawState& operator=(const ScreenDrawState&) = delete;

  // Texturing off (stage 0 unbound) for a flat colour.
  void Untextured();
  // Texturing on with the texture on stage 0.
  void Textured(IDirect3DBaseTexture8* texture);
  // The depth check off for the rest of the draw.
  void NoDepthCheck();

 private:
  CRender* render_;
  DWORD texturing_;
  DWORD fog_;
  DWORD lighting_;
  DWORD zEnable_;
  int blend_;
  bool zChanged_ = false;
};
