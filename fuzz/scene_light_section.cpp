// Any text read as the light section of a level file, at each version the
// format knows: the reader stays inside the text, every light it makes lies
// inside the table, and what it read writes and reads back the same.
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/message_box.h"
#include "scene/lights/light_section.h"
#include "scene/lights/light_table.h"
#include "world/environment/env_text_cursor.h"
#include "fuzz_seed_file.h"
#include "fuzz_text_input.h"

namespace {

const int kVersions[] = {27, 28, 29, 30, 31, 60};

int QuietBox(HWND, const char*, const char*, UINT, void*) { return IDOK; }

// Valid sections from the records' own writer, one per version; the first
// byte of a seed picks the version.
void WriteSeeds(const std::string& folder) {
  std::vector<LightFileRecord> records(3);
  records[0].Type = D3DLIGHT_DIRECTIONAL;
  records[0].Index = 0;
  records[0].Name = "Sun";
  records[0].Angles[0] = 45.0f;
  records[1].Type = D3DLIGHT_SPOT;
  records[1].Index = 1;
  records[1].Name = "Lamp";
  records[1].Flags = 0x0400 | 0x0010;
  records[1].WindowStart = 20.0f;
  records[1].WindowEnd = 6.0f;
  records[2].Type = D3DLIGHT_POINT;
  records[2].Index = 255;
  records[2].Name = "Bulb";
  records[2].Flags = 0x0800;
  records[2].InstanceName = "Crate01";
  for (std::size_t v = 0; v < std::size(kVersions); ++v) {
    std::string text;
    WriteLightSection(&text, records, kVersions[v]);
    WriteVersionedSeed(folder, v, text);
  }
  // A spot light whose colour number overflows to minus infinity: it once
  // passed the record reader and made a hue that is not a number.
  WriteSeedIn(folder, "overflowing_colour.txt",
              std::string(1, '\0') + "0 45 0 0 0 100\nSLGT 1 1" + std::string(30, '9') + "-" + std::string(73, '9') +
                  " 1 1 0  1 0 45 1000 20 6 0 1 0 0 0 40 0 11 1 0 0 0 1 ENDL\n");
}

// A record whose rewrite must read back: plain names and finite numbers.
bool Plain(const LightFileRecord& r) {
  auto word = [](const std::string& w) {
    if (w.empty()) return false;
    for (char c : w)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
  };
  if (!word(r.Name) || ((r.Flags & 0x0800) && !word(r.InstanceName)) || !word(r.Glow)) return false;
  const float* groups[] = {r.Diffuse, r.Ambient, r.Position, r.Angles, r.Attenuation};
  const int sizes[] = {4, 4, 3, 3, 3};
  for (int g = 0; g < 5; ++g)
    for (int k = 0; k < sizes[g]; ++k)
      if (!std::isfinite(groups[g][k])) return false;
  for (float f : {r.Inner, r.Outer, r.Range, r.WindowStart, r.WindowEnd, r.FlareSize})
    if (!std::isfinite(f)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMessageBoxHook(QuietBox, nullptr);
  SetMessageBoxEcho(false);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  VersionedText input;
  if (!SplitVersionedInput(data, size, kVersions, &input)) return 0;
  const auto& [version, text] = input;

  std::vector<LightFileRecord> records;
  EnvTextCursor cursor(text.c_str());
  int line = 0;
  const bool whole = ReadLightRecords(cursor, version, &records, &line);
  if (cursor.Offset() > text.size()) __builtin_trap();
  // A whole section of plain records reads back from its rewrite.
  std::string again;
  WriteLightSection(&again, records, version);
  std::vector<LightFileRecord> reread;
  EnvTextCursor back(again.c_str());
  int line2 = 0;
  bool plain = whole;
  for (const LightFileRecord& r : records) plain = plain && Plain(r);
  if (plain && (!ReadLightRecords(back, version, &reread, &line2) || reread.size() != records.size()))
    __builtin_trap();

  CLightTable table(16);
  EnvTextCursor applied(text.c_str());
  table.ReadLightSection(applied, version);
  if (table.LightCount < 0 || table.LightCount > table.Capacity || table.HighestUsed >= table.Capacity)
    __builtin_trap();
  for (std::uint8_t head : table.ChainHeads) {
    int steps = 0;
    for (int i = head; i != kNoLight; i = table.GetLight(i)->Next)
      if (i >= table.Capacity || ++steps > table.Capacity) __builtin_trap();
  }
  table.SelectLightsForSphere({0, 0, 0}, 100.0f);
  if (CLightTable::ActiveCount > CLightTable::kMaxActive) __builtin_trap();
  CLightTable::ClearActive();
  return 0;
}
