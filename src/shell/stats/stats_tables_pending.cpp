// Stand-in for the stats tables until their loaders land: the load is
// reported as not built yet and answers success with empty tables.
#include "shell/stats/stats_tables.h"

#include "foundation/system/not_built_yet.h"

bool LoadAllStats() {
  NotBuiltYet("stats tables");
  return true;
}

void FreeAllStats() {}

void* FindStats(const char*, std::uint32_t) { return nullptr; }

void* FindStatsByHash(std::uint32_t, std::uint32_t) { return nullptr; }

bool getStatsDetails(std::uint32_t, void**, int*, std::size_t*) { return false; }

const char* StatsFileName(int) { return nullptr; }

bool LoadStatsFile(int, const char*, std::uint32_t) { return false; }

int StatsFileRecordCount(int) { return 0; }
