// Any text read as a pool-size file: the reader must stay inside the text,
// and every count it gives must lie in 0 .. kPoolSizeMaxCount.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "world/environment/pool_size_file.h"

namespace {

// Valid files from the program's own writer, for the seed corpus.
void WriteSeeds(const std::string& folder) {
  const int sets[][kPoolSlotCount] = {{2000, 2000, 2000, 2000}, {0, 1, 17, 350}, {12000, 800, 40, 0}};
  const int totals[] = {-1, 0, 57};
  int n = 0;
  for (const auto& counts : sets)
    for (int total : totals) {
      std::ofstream(folder + "/seed" + std::to_string(n++) + ".FAS", std::ios::binary)
          << PoolSizeRecord::save(total, counts);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PoolSizeRecord record;
  record.load(reinterpret_cast<const char*>(data), size, "FUZZ.FAS");
  if (record.progressTotal < -1) __builtin_trap();
  for (int count : record.counts)
    if (count < 0 || count > kPoolSizeMaxCount) __builtin_trap();
  return 0;
}
