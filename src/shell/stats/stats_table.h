// Storage shared by the stats tables: a zero-filled record array in the game
// pool with its count, the separately allocated name copies, and an index
// from the 32-bit name hash to the first record of that hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

// Hash index of one table: answers the first record whose name has a given
// hash, as a linear scan in record order would.
class StatsNameIndex {
 public:
  // Empties the index and makes room for up to count names.
  void Reset(int count);
  // Adds record index with its name.  Answers -1 when added (or when the
  // same name is already there: the first record keeps it), else the index
  // of the earlier record whose different name has the same hash.
  int Add(std::uint32_t hash, int index, const char* name);
  // The first record index of that hash, or -1.
  int Find(std::uint32_t hash) const;
  // Frees the index's memory.
  void Free();

 private:
  struct Slot {
    std::uint32_t hash;
    int index;  // -1 empty
    const char* name;
  };
  std::vector<Slot> slots_;
};

class StatsLineReader;

// Adds the current line's record (index i) to a table's index; refuses a
// name whose hash equals that of a different earlier name with a message
// naming both, and answers false then.
bool IndexStatsName(const StatsLineReader& reader, StatsNameIndex& index, std::uint32_t hash, int i, const char* name);

// Takes count records of size bytes from the tracked allocator (the game
// pool, category 30), zero-filled; null when count is 0 or the heap refuses.
void* AllocateStatsRecords(std::size_t count, std::size_t size);
void FreeStatsRecords(void* records);
// A copy of name as long as the name; null when the heap refuses.
char* CopyStatsName(const char* name);
void FreeStatsName(char* name);

template <typename Record>
struct StatsTable {
  static_assert(std::is_trivially_copyable_v<Record>, "stats records are plain data");
  Record* Records = nullptr;
  int Count = 0;
  StatsNameIndex Index;

  // Replaces the table by count zero-filled records; false (table empty)
  // when the heap refuses.
  bool Allocate(int count) {
    Free();
    if (count <= 0) return true;
    Records = static_cast<Record*>(AllocateStatsRecords(static_cast<std::size_t>(count), sizeof(Record)));
    if (Records == nullptr) return false;
    Count = count;
    Index.Reset(count);
    return true;
  }
  void Free() {
    FreeStatsRecords(Records);
    Records = nullptr;
    Count = 0;
    Index.Free();
  }
  Record* begin() const { return Records; }
  Record* end() const { return Records + Count; }
  Record* Find(std::uint32_t hash) const {
    const int i = Index.Find(hash);
    return i >= 0 ? &Records[i] : nullptr;
  }
};
