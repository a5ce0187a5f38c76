// The stats tables as a whole: loading all 39 files in their fixed order,
// the lookups by stats kind, and freeing them.  The tables are loaded once
// by game initialise and stay until game shut-down.
#pragma once

#include <cstddef>
#include <cstdint>

// Loads the 39 stats files in order, each read whole into the "Global Heap"
// between mark 0 and its restore (or from the tracked heap when there is no
// Global Heap).  A file that cannot be read shows the reader's message and
// leaves its table empty; a loader that fails ends the load at once with
// false (the tables loaded so far stay for FreeAllStats).
bool LoadAllStats();
// Frees every table and name copy and clears the counts; safe to call twice.
void FreeAllStats();

// The first record of the table chosen by a StatsKind whose name has the
// same 32-bit name hash; null for kinds 0, 13, 23, above 26, or no match.
void* FindStats(const char* name, std::uint32_t kind);
void* FindStatsByHash(std::uint32_t hash, std::uint32_t kind);

// The first record, count and record size of the table of kind 1 (soldier
// kinds), 5 (weapons) or an item kind; any other kind shows
// "getStatsDetails : Invalid component type" and answers false.
bool getStatsDetails(std::uint32_t kind, void** first, int* count, std::size_t* size);

// The files in load order, for the tools, the benchmark and the fuzz target.
inline constexpr int kStatsFileCount = 39;
const char* StatsFileName(int index);
// Runs the loader of file index over text; false when the loader fails or
// the index is out of range.
bool LoadStatsFile(int index, const char* text, std::uint32_t length);
// Number of records the table of file index holds (0 when not loaded).
int StatsFileRecordCount(int index);
// Prints each table's file name and record count to standard output.
void PrintStatsTables();
