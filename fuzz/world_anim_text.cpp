// Any text parsed as a ".prs" animation file and as ".aed" event text: the
// parsers must stay inside the text and refuse counts the text cannot hold;
// an accepted set must be consistent and survive its own cache.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "world/animation/anim_set.h"
#include "world/animation/prs_writer.h"
#include "world_anim_seed_sets.h"

namespace {

void WriteSeeds(const std::string& folder) {
  int n = 0;
  for (const FuzzSeedShape& s : FuzzSeedShapes()) {
    AnimSet set;
    FuzzSeedSet(&set, s.Tracks, s.Keys, s.Bounds, s.Events);
    std::ofstream(folder + "/seed" + std::to_string(n) + ".prs", std::ios::binary) << WritePrsText(set, {});
    std::ofstream(folder + "/seed" + std::to_string(n) + ".aed", std::ios::binary) << set.ExtraDataText();
    ++n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
  AnimSet set;
  if (set.ParseText(text.c_str())) {
    if (set.TrackCount != static_cast<std::int32_t>(set.Tracks.size()) || set.KeyCount < 1) __builtin_trap();
    for (const AnimTrack& t : set.Tracks)
      if (t.KeyCount() > set.KeyCount) __builtin_trap();
  }
  const std::int32_t before = set.EventCount();
  if (!set.ParseExtraData(text.c_str()) && set.EventCount() != before) __builtin_trap();
  const std::vector<std::uint8_t> bytes = set.CacheBytes();
  AnimSet back;
  ByteReader in(bytes.data(), bytes.size());
  if (!back.ReadCache(in)) __builtin_trap();
  return 0;
}
