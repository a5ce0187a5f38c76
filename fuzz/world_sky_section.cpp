// Any text read as the sky section of a level file, at each version the
// format knows: the reader stays inside the text, a section read whole
// keeps its fog within the clamps and its numbers finite, writes and reads
// back the same, and the sky it is applied to steps and lights a day.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/time/timer.h"
#include "world/environment/env_text_cursor.h"
#include "world/sky/sky.h"
#include "world/sky/sky_section.h"
#include "fuzz_seed_file.h"
#include "fuzz_text_input.h"

namespace {

const int kVersions[] = {30, 33, 34, 35, 71, 72};

// Removes the line that begins with `keyword` (and its line end).
void DropLine(std::string* text, const std::string& keyword) {
  const std::size_t at = text->find(keyword);
  if (at == std::string::npos) return;
  text->erase(at, text->find('\n', at) + 1 - at);
}

// The writer's section in the layout of an older version.
std::string ForVersion(const SkySettings& s, int v) {
  std::string text = WriteSkySection(s);
  if (v < kSkyVersionFarFog) {
    DropLine(&text, "XFOGSTART");
    DropLine(&text, "XFOGSTOP");
  }
  if (v < kSkyVersionOwnColours) {
    text.insert(0, "0.5 0.5 0.6 1.0\r\n");
    // After each layer's SKYFIXEDY line, the colour line older layers store.
    for (std::size_t at = text.find("SKYFIXEDY"); at != std::string::npos; at = text.find("SKYFIXEDY", at + 1))
      text.insert(text.find('\n', at) + 1, "1 1 1 1\r\n");
    // Four colour lines in place of the sun and fog keys.
    for (const char* key : {"SUNAMBCOL", "SUNDIFCOL", "FOGCOL"})
      for (int k = 0; k < 4; ++k) DropLine(&text, std::string(key) + " ");
    text.insert(text.find("FLARECOL"), "COL 0.1 0.2 0.3 1\r\nCOL 0.1 0.2 0.3 1\r\nCOL 0.1 0.2 0.3 1\r\nCOL 0.1 0.2 0.3 1\r\n");
  }
  if (v < kSkyVersionColourKeys) text.erase(text.find("COL"));
  return text;
}

void WriteSeeds(const std::string& folder) {
  SkySettings s = DefaultSkySettings();
  s.FogStart = 2500.0f;
  s.FogStop = 8000.0f;
  s.FarFogStop = 9500.0f;
  s.TimeOfDay = 17.5f;
  s.Layers[0].TextureName = "clouds";
  s.Layers[0].Speed[0] = 0.01f;
  s.Layers[1].FixedY = 1;
  for (std::size_t v = 0; v < std::size(kVersions); ++v) {
    const std::string section = ForVersion(s, kVersions[v]);
    // A seed that does not read whole would not get the target past the section's start.
    SkySettings check;
    EnvTextCursor cursor(section.c_str());
    int line = 0;
    if (!check.Load(cursor, kVersions[v], &line) || !cursor.AtEnd()) __builtin_trap();
    WriteVersionedSeed(folder, v, section);
  }
}

bool Finite(const SkySettings& s) {
  for (float f : {s.FogStart, s.FogStop, s.FarFogStart, s.FarFogStop, s.TimeOfDay})
    if (!std::isfinite(f)) return false;
  for (const SkyLayerSettings& l : s.Layers)
    for (float f : {l.TileFactor, l.Speed[0], l.Speed[1], l.Speed[2], l.Curvature, l.Height})
      if (!std::isfinite(f)) return false;
  for (const auto& group : s.Colours)
    for (const CColour& c : group)
      for (float f : {c.r, c.g, c.b, c.a})
        if (!std::isfinite(f)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  VersionedText input;
  if (!SplitVersionedInput(data, size, kVersions, &input)) return 0;
  const auto& [version, text] = input;

  SkySettings read;
  EnvTextCursor cursor(text.c_str());
  int line = 0;
  const bool whole = read.Load(cursor, version, &line);
  if (cursor.Offset() > text.size()) __builtin_trap();
  if (whole) {
    if (!Finite(read) || read.FogStop > kSkyMaxFogStop || read.FogStart >= kSkyMaxFogStop) __builtin_trap();
    // The current version's rewrite reads back the same.
    if (QuotableName(read.Layers[0].TextureName) && QuotableName(read.Layers[1].TextureName)) {
      const std::string again = WriteSkySection(read);
      SkySettings back;
      EnvTextCursor in(again.c_str());
      if (!back.Load(in, kSkyVersionFarFog, &line) || WriteSkySection(back) != again) __builtin_trap();
    }
  }

  // The sky it is applied to: a few frames of a running day.
  CTimer clock;
  CTimer::State state{};
  state.running = 1;
  state.frameTime = 0.5f;
  clock.RestoreState(state);
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, &clock);
  EnvTextCursor applied(text.c_str());
  if (sky.LoadSettings(applied, version) != (whole ? 1 : 0)) __builtin_trap();
  sky.SetTimeOfDayRate(-500.0f);
  for (int k = 0; k < 3; ++k) {
    sky.Step();
    sky.UpdateLighting();
    const float h = sky.GetTimeOfDay();
    if (!(h >= 0.0f && h < 24.0f)) __builtin_trap();
    const SkyLighting& l = sky.Lighting();
    if (l.Key < 0 || l.Key >= kSkyColourKeys || !std::isfinite(l.Strength)) __builtin_trap();
  }
  return 0;
}
