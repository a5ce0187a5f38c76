// Any text read as "Switches.txt" and as a level's switch section: the
// readers must stay inside the text, keep every name inside its field and
// accept only counts in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "foundation/time/timer.h"
#include "world/environment/env_text_cursor.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_stats.h"
#include "world/switches/switch_table.h"

namespace {

const char kStats[] =
    "Lever,lever_base,lever_arm,0,10,0,0,0,90,2.5\n"
    "Button,button,NONE,1,0,0,0,0,0,0\n";

void WriteSeeds(const std::string& folder) {
  std::ofstream(folder + "/switches.txt", std::ios::binary) << kStats;
  std::ofstream(folder + "/section.txt", std::ios::binary)
      << "NUMSWITCHES 2\nSWITCH gate NONE 10 0 20 0 45 0 Lever door_region 0 0 3\n"
         "SWITCH bell \"NONE\" 0 0 0 0 0 0 Button nowhere 4 5 -1\nENDS\n";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SwitchStatsRead(text.data(), text.size(), 19);
  for (int i = 0; i < SwitchStatsCount(); ++i) {
    const SwitchStats* s = SwitchStatsGet(i);
    if (std::strlen(s->Name) >= kSwitchNameSize || std::strlen(s->FirstModel) >= kSwitchModelSize ||
        std::strlen(s->SecondModel) >= kSwitchModelSize)
      __builtin_trap();
  }
  // The section, with the seed's types and one region.
  SwitchStatsRead(kStats, sizeof(kStats) - 1, 19);
  CRegionList regions;
  CRegion r;
  r.NameHash = 0;
  regions.Add(r);
  CTimer clock;
  CSwitchTable table(&clock);
  EnvTextCursor cursor(text.c_str());
  table.ReadText(cursor, 62, nullptr, &regions, nullptr);
  if (table.GetCount() < 0 || table.GetCount() > kMaxSwitches) __builtin_trap();
  if (cursor.Offset() > text.size()) __builtin_trap();
  table.Update();
  SwitchStatsFree();
  return 0;
}
