// Slots 413-418: the level's lights switched and coloured by the script.
// Colours come as 32-bit ARGB words and become four floats (each byte / 255);
// light numbers that name no light of the current table change nothing.
#include <cstdint>

#include "render/colour/colour.h"
#include "scene/lights/light_table.h"
#include "shell/script/script_function_table.h"

namespace {

// The current table when `light` names a light in use there.
CLightTable* LightsWith(int32_t light) {
  CLightTable* lights = CLightTable::Current();
  if (lights == nullptr) return nullptr;
  const LightRecord* record = lights->GetLight(light);
  return record != nullptr && (record->Flags & kLightOnDevice) != 0 ? lights : nullptr;
}

CColour FromArgb(uint32_t argb) {
  CColour c;
  c.FromARGB(argb);
  return c;
}

// A fade time in ms; negative times are 0 (at once).
float FadeTime(int32_t time) { return time > 0 ? static_cast<float>(time) : 0.0f; }

}  // namespace

namespace script_slot {

void LightEnable(int32_t light) {
  if (CLightTable* lights = LightsWith(light)) lights->SetSwitchedOn(light, true);
}

void LightDisable(int32_t light) {
  if (CLightTable* lights = LightsWith(light)) lights->SetSwitchedOn(light, false);
}

int32_t LightIsEnabled(int32_t light) {
  const CLightTable* lights = LightsWith(light);
  return lights != nullptr && lights->IsSwitchedOn(light) ? 1 : 0;
}

void LightSetColours(int32_t light, int32_t ambientArgb, int32_t diffuseArgb, int32_t time) {
  if (CLightTable* lights = LightsWith(light))
    lights->SetColours(light, FromArgb(static_cast<uint32_t>(ambientArgb)), FromArgb(static_cast<uint32_t>(diffuseArgb)),
                       FadeTime(time));
}

// The ambient colour changes at once (the table fades only the diffuse one).
void LightSetAmbient(int32_t light, uint32_t argb, int32_t) {
  if (CLightTable* lights = LightsWith(light)) lights->SetAmbient(light, FromArgb(argb));
}

void LightSetDiffuse(int32_t light, uint32_t argb, int32_t time) {
  if (CLightTable* lights = LightsWith(light)) lights->SetDiffuse(light, FromArgb(argb), FadeTime(time));
}

}  // namespace script_slot
