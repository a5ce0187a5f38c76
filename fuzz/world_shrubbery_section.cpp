// Any text read as the shrubbery section of a level file, at each version
// that changes its records: the reader stays inside the text, the gardens
// made from it hold no more shrubs than the file gave, and a whole section
// of plain records reads back the same from its rewrite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "world/environment/env_text_cursor.h"
#include "world/shrubbery/shrubbery.h"
#include "world/shrubbery/shrubbery_section.h"
#include "fuzz_seed_file.h"
#include "fuzz_text_input.h"

namespace {

const int kVersions[] = {52, 55, 56, 72};

// Valid sections from the section's own writer, one per version; the first
// byte of a seed picks the version.
void WriteSeeds(const std::string& folder) {
  ShrubberySectionData data;
  data.AddTemplate("bush");
  data.AddTemplate("tuft");
  for (int g = 0; g < 3; ++g) {
    std::vector<ShrubFileRecord> garden;
    for (int i = 0; i < 4 + g; ++i) {
      ShrubFileRecord r;
      r.Position = {100.0f * i, 0.0f, -50.0f * g};
      r.AngleY = 30.0f * i;
      r.AngleZ = 5.0f;
      r.Size = 1.0f + 0.1f * i;
      r.Flags = i == 1 ? 0u : (i == 2 ? kShrubSways | kShrubAlternativeState : kShrubSways);
      r.TemplateIndex = i % 2;
      garden.push_back(r);
    }
    data.Gardens.push_back(garden);
  }
  for (std::size_t v = 0; v < std::size(kVersions); ++v) {
    std::string text;
    WriteShrubberySection(&text, data, kVersions[v]);
    WriteVersionedSeed(folder, v, text);
  }
}

bool Plain(const ShrubberySectionData& data) {
  for (const std::string& name : data.Templates)
    if (!QuotableName(name)) return false;
  for (const auto& garden : data.Gardens)
    for (const ShrubFileRecord& r : garden)
      for (float f : {r.Position.x, r.Position.y, r.Position.z, r.AngleZ, r.AngleX, r.AngleY, r.Size})
        if (!std::isfinite(f) || std::fabs(f) > 1e6f) return false;
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

  ShrubberySectionData section;
  EnvTextCursor cursor(text.c_str());
  int line = 0;
  const bool whole = ReadShrubberySection(cursor, version, &section, &line);
  if (cursor.Offset() > text.size()) __builtin_trap();

  // Applied at a few densities: never more shrubs than the file gave, and
  // the template table goes back to the buffer.
  CLinearBuffer buffer(1024, "fuzz shrub templates");
  for (float density : {1.0f, 0.75f, 0.3f, 0.0f}) {
    CShrubbery shrubbery;
    shrubbery.SetDensity(density);
    shrubbery.Apply(section, &buffer);
    if (buffer.GetUsed() != 0) __builtin_trap();
    if (shrubbery.GetGardenCount() != static_cast<int>(section.Gardens.size())) __builtin_trap();
    for (int g = 0; g < shrubbery.GetGardenCount(); ++g) {
      const Garden* garden = shrubbery.GetGarden(g);
      if (garden->Count < 0 || garden->Count > static_cast<int>(section.Gardens[static_cast<std::size_t>(g)].size()))
        __builtin_trap();
      for (int i = 0; i < garden->Count; ++i)
        if (garden->Shrubs[i].Variant() >= 16 || garden->Shrubs[i].Template != nullptr) __builtin_trap();
    }
  }

  // A whole section of plain records reads back from its rewrite.
  if (whole && Plain(section)) {
    std::string again;
    WriteShrubberySection(&again, section, version);
    EnvTextCursor back(again.c_str());
    ShrubberySectionData reread;
    int line2 = 0;
    if (!ReadShrubberySection(back, version, &reread, &line2) || reread.Templates != section.Templates ||
        reread.Gardens.size() != section.Gardens.size())
      __builtin_trap();
    for (std::size_t g = 0; g < section.Gardens.size(); ++g)
      if (reread.Gardens[g].size() != section.Gardens[g].size()) __builtin_trap();
  }
  return 0;
}
