#include "menus/screen_draw_state.h"

ScreenDrawState::ScreenDrawState(CRender* render, int blendMode)
    : render_(render),
      texturing_(render->GetTexturing()),
      fog_(render->SetFogEnable(0)),
      lighting_(render->SetLighting(0)),
      zEnable_(render->GetZEnable()),
      blend_(render->SetBlendMode(blendMode)) {
  render->SetVertexFormat(kFvfScreen);
}

ScreenDrawState::~ScreenDrawState() {
  if (zChanged_) render_->SetZEnable(zEnable_);
  render_->SetTexturing(texturing_);
  render_->SetBlendMode(blend_);
  render_->SetLighting(lighting_);
  render_->SetFogEnable(fog_);
}

void ScreenDrawState::Untextured() {
  render_->SetTexturing(0);
}

void ScreenDrawState::Textured(IDirect3DBaseTexture8* texture) {
  render_->SetTexturing(1);
  render_->SetTexture(0, texture);
}

void ScreenDrawState::NoDepthCheck() {
  zChanged_ = true;
  render_->SetZEnable(0);
}
