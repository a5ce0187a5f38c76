// Any bytes read as a ".prb" animation cache: the reader must stay inside the
// data, refuse what does not fit and leave a refused set unchanged; an
// accepted set must be consistent (its counts match its arrays, its key count
// is the longest track's) and write back to bytes that read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "world/animation/anim_set.h"
#include "world_anim_seed_sets.h"

namespace {

void WriteSeeds(const std::string& folder) {
  int n = 0;
  for (const FuzzSeedShape& s : FuzzSeedShapes()) {
    AnimSet set;
    FuzzSeedSet(&set, s.Tracks, s.Keys, s.Bounds, s.Events);
    const std::vector<std::uint8_t> bytes = set.CacheBytes();
    std::ofstream(folder + "/seed" + std::to_string(n++) + ".prb", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  AnimSet set;
  set.FrameRate = 123.0f;
  ByteReader in(data, size);
  if (!set.ReadCache(in)) {
    if (set.FrameRate != 123.0f || set.TrackCount != 0 || !set.Tracks.empty()) __builtin_trap();
    return 0;
  }
  if (set.TrackCount != static_cast<std::int32_t>(set.Tracks.size()) || set.KeyCount < 1) __builtin_trap();
  std::int32_t longest = 1;
  for (const AnimTrack& t : set.Tracks) longest = t.KeyCount() > longest ? t.KeyCount() : longest;
  if (longest != set.KeyCount) __builtin_trap();
  const std::vector<std::uint8_t> again = set.CacheBytes();
  AnimSet back;
  ByteReader in2(again.data(), again.size());
  if (!back.ReadCache(in2) || back.CacheBytes() != again) __builtin_trap();
  return 0;
}
