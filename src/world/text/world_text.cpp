#include "world/text/world_text.h"

#include <cstdio>

#include "foundation/time/timer.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"

namespace {

constexpr float kRiseSpeed = 50.0f;  // units per second
constexpr float kGrowSpeed = 10.0f;  // percent per second
constexpr int kWorldTextBlendMode = 4;

}  // namespace

CWorldText::CWorldText(int capacity) : capacity_(capacity > 0 ? capacity : 1) {
  entries_ = new WorldTextEntry[static_cast<std::size_t>(capacity_)];
}

CWorldText::~CWorldText() { delete[] entries_; }

std::uint32_t CWorldText::Now() const { return clock_ != nullptr ? clock_->GetGameTime() : 0; }

void CWorldText::WorldTextClear() {
  for (int i = 0; i < capacity_; ++i) entries_[i].Active = 0;
  anyActive_ = false;
}

void CWorldText::WorldTextAdd(const char* text, const CVector3& position, std::uint32_t lifeMs, int mode,
                              const void* owner) {
  if (text == nullptr) return;
  WorldTextEntry& e = entries_[next_];
  next_ = next_ + 1 < capacity_ ? next_ + 1 : 0;
  std::snprintf(e.Text, sizeof e.Text, "%s", text);
  e.Start = Now();
  e.Life = lifeMs;
  e.Mode = mode;
  e.Owner = owner;
  e.Position = position;
  e.Size = kWorldTextSize;
  e.Active = 1;
  anyActive_ = true;
}

void CWorldText::WorldTextUpdate() {
  const std::uint32_t now = Now();
  const float dt = clock_ != nullptr ? clock_->GetFrameTime() : 0.0f;
  bool any = false;
  for (int i = 0; i < capacity_; ++i) {
    WorldTextEntry& e = entries_[i];
    if (!e.Active) continue;
    if (now - e.Start > e.Life) {
      e.Active = 0;
      continue;
    }
    any = true;
    if (e.Mode == WORLDTEXT_RISING || e.Mode == WORLDTEXT_GROWING) e.Position.y += kRiseSpeed * dt;
    if (e.Mode == WORLDTEXT_GROWING) e.Size += kGrowSpeed * dt;
  }
  anyActive_ = any;
}

std::uint32_t WorldTextColour(std::uint32_t ageMs, std::uint32_t lifeMs) {
  float f = lifeMs > 0 ? 1.0f - static_cast<float>(ageMs) / static_cast<float>(lifeMs) : 0.0f;
  f = f > 0.0f ? (f < 1.0f ? f : 1.0f) : 0.0f;
  const std::uint32_t v = static_cast<std::uint32_t>(f * 255.0f);
  return v << 16 | v << 8;
}

void CWorldText::WorldTextDraw() {
  if (!anyActive_ || font_ == nullptr || font_->Sprites == nullptr) return;
  CSpriteRender* sprites = font_->Sprites;
  CRender* render = CSpriteRender::s_Render;
  const DWORD lighting = render != nullptr ? render->SetLighting(0) : 0;
  const int blend = render != nullptr ? render->SetBlendMode(kWorldTextBlendMode) : 0;
  const std::uint32_t colour = sprites->Colour, drawColour = sprites->DrawColour;
  const float xScale = sprites->XScale, yScale = sprites->YScale;
  const std::uint32_t scaleMode = sprites->ScaleMode;
  const std::uint32_t now = Now();
  for (int i = 0; i < capacity_; ++i) {
    const WorldTextEntry& e = entries_[i];
    if (!e.Active) continue;
    sprites->SetScale(e.Size);
    font_->SetColour(WorldTextColour(now - e.Start, e.Life));
    font_->Draw3DText(e.Text, e.Position, 0);
  }
  sprites->Colour = colour;
  sprites->DrawColour = drawColour;
  sprites->XScale = xScale;
  sprites->YScale = yScale;
  sprites->ScaleMode = scaleMode;
  if (render != nullptr) {
    render->SetLighting(lighting);
    render->SetBlendMode(blend);
  }
}

CWorldText* g_WorldText = nullptr;
