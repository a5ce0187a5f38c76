// Lens flares of the lights that carry one.  A flare is a glow sprite queued
// in front of its light; whether the light is seen is a line query, so only
// the ten lights of the flare window are tested afresh each frame, and the
// lights already seen are tested again on alternate frames by the parity of
// their index.  Each view keeps its own visibility bit and fade per light.
#include <cmath>

#include "control/hud_toggle.h"
#include "foundation/time/timer.h"
#include "render/colour/colour.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/environment.h"

namespace {

// A light that can show a flare: in use, switched on and with a flare.
constexpr DWORD kFlareLight = kLightOnDevice | kLightSwitchedOn | kLightHasFlare;
// Views with their own flare bit and fade.
constexpr int kFlareViews = 4;
// Distance dimming: the factor falls from 1 to 0 over the first 80% of the buckets.
constexpr float kFlareDimming = 1.25f;
// Flares are drawn additively over the fog (blend mode 4 is not fogged).
constexpr std::int32_t kFlareBlendMode = 4;

}  // namespace

bool CEnvironment::QueueFlare(const CVector3& position, const CVector3& eye, float size, float r, float g, float b,
                              float a, int frame) {
  if (Queue == nullptr) return false;
  // Drawn in front of the light: size units towards the eye, but at least
  // 16 units short of it.
  const float dx = eye.x - position.x, dy = eye.y - position.y, dz = eye.z - position.z;
  const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  CVector3 point = position;
  if (distance > 0.0f) {
    float move = size;
    if (move > distance - kFlareNearest) move = distance - kFlareNearest;
    const float s = move / distance;
    point = CVector3{position.x + dx * s, position.y + dy * s, position.z + dz * s};
  }
  // One bucket nearer than the point's own, so that the flare is drawn over
  // the glow of its light.  The nearest bucket stays the nearest (it would
  // otherwise wrap to the farthest).
  const std::uint32_t own = Queue->BucketOf(point);
  if (own > Queue->BucketCount) return false;
  const std::uint32_t bucket = own > 0 ? own - 1 : 0;
  float factor = 1.0f - static_cast<float>(static_cast<std::int32_t>(own) - 1) /
                            static_cast<float>(Queue->BucketCount) * kFlareDimming;
  if (factor > 1.0f) factor = 1.0f;
  if (!(factor > 0.0f)) return false;
  std::uint32_t colour;
  if (CurrentHudToggle().GetOn() == 1) {
    const std::uint32_t grey = ColourChannelByte(factor);
    colour = ColourChannelByte(a) << 24 | grey << 16 | grey << 8 | grey;
  } else {
    colour = ColourChannelByte(a) << 24 | ColourChannelByte(r * factor) << 16 | ColourChannelByte(g * factor) << 8 |
             ColourChannelByte(b * factor);
  }
  auto* item = Queue->AllocItem<GlowSpriteItem>(DSK_GLOW_SPRITE);
  if (item == nullptr) return false;
  item->Sheet = FlareMaterial;
  item->Frame = frame;
  item->BlendMode = kFlareBlendMode;
  item->Position = point;
  item->Radius = size * kFlareRadiusScale;
  item->Colour = colour;
  Queue->Insert(bucket, item);
  return true;
}

void CEnvironment::UpdateFlares(const CVector3& eye, int view) {
  if (FlareMaterial == nullptr || LightTable == nullptr || LightTable->LightCount == 0) return;
  if (view < 0 || view >= kFlareViews) return;
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (camera == nullptr) return;
  const DWORD seenBit = kLightFlareVisible0 << view;
  const float step = kFlareFadeRate * (RealClock != nullptr ? RealClock->GetFrameTime() : 0.0f);
  const float sizeScale = CurrentHudToggle().GetOn() != 0 ? 2.0f : 1.0f;
  // Blocked when a surface lies between the eye and the light.
  auto blocked = [&](const CVector3& light) {
    WorldHit hit;
    return UseZones != 0 ? LineTestInstances(nullptr, eye, light, &hit, kFlareZoneQueryFlags, nullptr) != 0
                         : LineTestFlat(eye, light, &hit, kFlareFlatQueryFlags) != 0;
  };
  for (int i = 0; i <= LightTable->HighestUsed; ++i) {
    LightRecord* light = LightTable->GetLight(i);
    if (light == nullptr || (light->Flags & kFlareLight) != kFlareLight) continue;
    if (light->FrameStamp != CLightTable::FrameNumber) continue;  // not lit this frame
    const CVector3 position = LightTable->GetWorldPosition(i);
    float& fade = light->FlareFade[view];
    const auto index = static_cast<std::uint32_t>(i);
    if (light->Flags & seenBit) {
      if ((index & 1u) == FlareWindow[2] && (!camera->IsPointVisible(position) || blocked(position)))
        light->Flags &= ~seenBit;
    } else if (index >= FlareWindow[0] && index < FlareWindow[1] && camera->IsPointVisible(position)) {
      if (!blocked(position)) {
        light->Flags |= seenBit;
        fade = 0.0f;
      }
    }
    const bool seen = (light->Flags & seenBit) != 0;
    if (seen || fade > 0.0f) {
      const D3DCOLORVALUE& c = light->Light.Diffuse;
      QueueFlare(position, eye, light->FlareSize * sizeScale, c.r * fade, c.g * fade, c.b * fade, c.a,
                 light->GlowSprite);
    }
    if (seen)
      fade = fade + step < 1.0f ? fade + step : 1.0f;
    else
      fade = fade - step > 0.0f ? fade - step : 0.0f;
  }
}

void CEnvironment::AdvanceFlareWindow() {
  // The lights in use span indices 0 .. highest used; the window walks that
  // span ten at a time.
  const std::uint32_t span =
      LightTable != nullptr && LightTable->HighestUsed >= 0 ? static_cast<std::uint32_t>(LightTable->HighestUsed) + 1 : 0;
  FlareWindow[0] += kFlareWindowLights;
  if (FlareWindow[0] > span) FlareWindow[0] = 0;
  FlareWindow[1] = FlareWindow[0] + kFlareWindowLights;
  FlareWindow[2] ^= 1u;
}
