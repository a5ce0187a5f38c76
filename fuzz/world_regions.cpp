// Feeds arbitrary text to the region list's reader (the level file's region
// section, which a region file holds too).  Every read must stay inside the
// text and the count must match the regions kept.
//
// Seeds: run the target with HALBERD_WRITE_SEEDS=<folder> to write valid
// sections of several versions there, then start it on that folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/debug_output.h"
#include "world/environment/env_text_cursor.h"
#include "world/regions/region_list.h"
#include "fuzz_seed_file.h"
#include "fuzz_text_input.h"

namespace {

// The first line of an input is the file version; the section follows.
void WriteSeeds(const char* folder) {
  for (int v : {8, 32, 40, 53, 72}) {
    const std::string extra = v >= 32 && v <= 52 ? " 1 2 3 4" : "";
    std::string s = std::to_string(v) + "\n3\n";
    s += "REGION door_a 0 100 0 0 0 90 0 -10 -5 -20 10 5 20" + extra + "\n";
    s += "REGION \"the pool\" 1 0 0 0 50" + extra + "\n";
    s += "REGION odd 7" + extra + "\nENDR\n";
    WriteSeedIn(folder, "regions_v" + std::to_string(v), s);
  }
}

void Quiet(const char*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugOutputHook(Quiet, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeeds(folder);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<char> text = NulTerminatedText(data, size);
  EnvTextCursor cursor(text.data());
  int version = 0;
  cursor.Int(&version);
  CRegionList list;
  list.ReadText(cursor, version);
  if (list.GetCount() < 0 || list.GetCount() > kMaxRegions) __builtin_trap();
  for (int i = 0; i < list.GetCount(); ++i)
    if (list.GetRegion(i) == nullptr) __builtin_trap();
  if (cursor.Offset() > std::strlen(text.data())) __builtin_trap();
  return 0;
}
