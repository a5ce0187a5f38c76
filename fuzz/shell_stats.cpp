// Any text read as one stats table, after the tables before it in the load
// order were loaded from the generated set (so that names it refers to
// exist): the loader must stay inside the text, refuse what it cannot store,
// and leave nothing allocated once the tables are freed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_seed_file.h"
#include "platform/win32/message_box.h"
#include "shell/stats/stats_tables.h"

namespace {

std::string g_tables[kStatsFileCount];

void ReadGeneratedTables() {
  for (int i = 0; i < kStatsFileCount; ++i) {
    std::ifstream in(std::string(HALBERD_STATS_DATA) + "/" + StatsFileName(i), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    g_tables[i] = text.str();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMessageBoxEcho(false);
  ReadGeneratedTables();
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    for (int i = 0; i < kStatsFileCount; ++i)
      WriteSeedFile(std::string(folder) + "/" + StatsFileName(i), std::string(1, static_cast<char>(i)) + g_tables[i]);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int table = data[0] % kStatsFileCount;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  FreeAllStats();
  for (int i = 0; i < table; ++i) LoadStatsFile(i, g_tables[i].data(), static_cast<std::uint32_t>(g_tables[i].size()));
  LoadStatsFile(table, text.data(), static_cast<std::uint32_t>(text.size()));
  FreeAllStats();
  return 0;
}
