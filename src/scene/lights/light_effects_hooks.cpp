#include "scene/lights/light_effects_hooks.h"

#include "scene/lights/light_table.h"
#include "world/effects/effects_hooks.h"

namespace {

CLightTable* g_HookedLights = nullptr;
int g_FlashLight = -1;

// The flash's record, taken anew when the table was reset since.
int FlashLight() {
  const LightRecord* r = g_FlashLight >= 0 ? g_HookedLights->GetLight(g_FlashLight) : nullptr;
  if (r == nullptr || !(r->Flags & kLightRunTime) || r->Light.Type != D3DLIGHT_POINT)
    g_FlashLight = g_HookedLights->CreateLight(0, D3DLIGHT_POINT);
  return g_FlashLight;
}

void SetFlashLight(bool on, const CVector3& position, float range, std::uint32_t colour) {
  if (g_HookedLights == nullptr) return;
  if (!on || !(range > 0.0f)) {
    if (g_FlashLight >= 0) g_HookedLights->SetSwitchedOn(g_FlashLight, false);
    return;
  }
  const int i = FlashLight();
  if (i < 0) return;
  const CColour diffuse{static_cast<float>((colour >> 16) & 0xFF) / 255.0f,
                        static_cast<float>((colour >> 8) & 0xFF) / 255.0f, static_cast<float>(colour & 0xFF) / 255.0f,
                        1.0f};
  g_HookedLights->SetPosition(i, position);
  g_HookedLights->SetRange(i, range);
  // Full strength at the centre, falling off to a third at the edge of its range.
  g_HookedLights->SetAttenuation(i, 1.0f, 0.0f, 2.0f);
  g_HookedLights->SetColours(i, CColour{0.0f, 0.0f, 0.0f, 1.0f}, diffuse, 0.0f);
  g_HookedLights->SetSwitchedOn(i, true);
}

void SwitchLightOff(int light) {
  if (g_HookedLights != nullptr) g_HookedLights->SetSwitchedOn(light, false);
}

}  // namespace

void InstallLightEffectsHooks(CLightTable* lights) {
  g_HookedLights = lights;
  g_FlashLight = -1;
  g_EffectsHooks.SetFlashLight = lights != nullptr ? SetFlashLight : nullptr;
  g_EffectsHooks.SwitchLightOff = lights != nullptr ? SwitchLightOff : nullptr;
}

int LightEffectsFlashIndex() { return g_FlashLight; }
