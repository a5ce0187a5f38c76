#include "shell/stats/stats_table.h"

#include <cstring>

#include "foundation/memory/memory_manager.h"
#include "shell/stats/stats_line_reader.h"

void StatsNameIndex::Reset(int count) {
  std::size_t size = 16;
  while (size < static_cast<std::size_t>(count) * 2) size *= 2;
  slots_.assign(size, Slot{0, -1, nullptr});
}

int StatsNameIndex::Add(std::uint32_t hash, int index, const char* name) {
  if (slots_.empty()) Reset(16);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = (hash * 0x9E3779B1u) & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.index < 0) {
      s = Slot{hash, index, name};
      return -1;
    }
    if (s.hash == hash) return std::strcmp(s.name ? s.name : "", name ? name : "") == 0 ? -1 : s.index;
  }
}

int StatsNameIndex::Find(std::uint32_t hash) const {
  if (slots_.empty()) return -1;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = (hash * 0x9E3779B1u) & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.index < 0) return -1;
    if (s.hash == hash) return s.index;
  }
}

void StatsNameIndex::Free() { std::vector<Slot>().swap(slots_); }

void* AllocateStatsRecords(std::size_t count, std::size_t size) {
  if (count == 0 || size == 0 || count > SIZE_MAX / size) return nullptr;
  void* p = MemAllocate(__FILE__, __LINE__, "AllocateStatsRecords", MEM_ALLOC_NEW_ARRAY, count * size);
  if (p == nullptr) return nullptr;
  AddMemoryCategoryUsage(MEMCAT_GAME, static_cast<std::uint32_t>(count * size));
  std::memset(p, 0, count * size);
  return p;
}

void FreeStatsRecords(void* records) {
  if (records == nullptr) return;
  MemAllocUnitInfo info;
  if (MemFindUnit(records, &info))
    SubtractMemoryCategoryUsage(MEMCAT_GAME, static_cast<std::uint32_t>(info.reportedSize));
  MemRelease(__FILE__, __LINE__, "FreeStatsRecords", MEM_ALLOC_DELETE_ARRAY, records);
}

char* CopyStatsName(const char* name) {
  const std::size_t n = std::strlen(name ? name : "");
  char* copy = static_cast<char*>(MemAllocate(__FILE__, __LINE__, "CopyStatsName", MEM_ALLOC_NEW_ARRAY, n + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, name ? name : "", n);
  copy[n] = 0;
  return copy;
}

void FreeStatsName(char* name) {
  if (name != nullptr) MemRelease(__FILE__, __LINE__, "FreeStatsName", MEM_ALLOC_DELETE_ARRAY, name);
}

bool IndexStatsName(const StatsLineReader& reader, StatsNameIndex& index, std::uint32_t hash, int i, const char* name) {
  const int earlier = index.Add(hash, i, name);
  if (earlier < 0) return true;
  StatsError(reader, "%s: the name %s has the same hash as a different name on line %d", reader.File(),
             name ? name : "", earlier + 1);
  return false;
}
