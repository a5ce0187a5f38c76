#include "world/sky/sky_section.h"

#include "world/environment/environment.h"
#include "world/sky/sky.h"

void InstallSkySectionReader() { SetEnvSectionReader(ENVSECTION_SKY, ReadSkySection); }

bool ReadSkySection(EnvTextCursor& text, const EnvSectionContext& context) {
  CSky* sky = context.environment != nullptr ? context.environment->Sky : nullptr;
  if (sky != nullptr) return sky->LoadSettings(text, context.version) == 1;
  SkySettings scratch;
  int line = 0;
  return scratch.Load(text, context.version, &line);
}

std::string WriteSkySection(const SkySettings& settings) {
  std::string out;
  settings.Save(&out);
  return out;
}

SkySettings DefaultSkySettings() {
  SkySettings s;
  s.FogStart = s.FarFogStart = 4000.0f;
  s.FogStop = s.FarFogStop = 9000.0f;
  for (SkyLayerSettings& layer : s.Layers) {
    layer.TileFactor = 1.0f;
    layer.Curvature = 0.5f;
    layer.Height = 2000.0f;
  }
  const auto& keys = SkyDefaultColourKeys();
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k) s.Colours[g][k] = keys[g][k];
  s.TimeOfDay = 12.0f;
  return s;
}
