// The tracked allocator.  Every engine and game allocation names its owner
// site (file, line, function), a memory category and the current pool; the
// manager keeps one record per live block, statistics, wipe patterns, an
// optional request log ("memory.log") and a tabular memory report.
//
// Convention at every allocation and release site: `MemSetOwner` first, then
// the operator.  The macros below do both:
//   CThing* t = MEM_NEW(MEMCAT_GAME) CThing(...);      MEM_DELETE t;
//   char* b = MEM_NEW(MEMCAT_LINEAR_BUFFER) char[n];    MEM_DELETE_ARRAY b;
//   void* p = MEM_MALLOC(n);                            MEM_FREE(p);
//
// All functions may be called from any thread and before `main`; one lock
// serialises them.  The owner site is kept per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "foundation/memory/memory_category.h"

// Memory pools: a tag stamped into each new block.  Both draw on the C heap.
enum MemPoolId : std::uint32_t {
  MMGR_POOLID_GAME = 0,
  MMGR_POOLID_LEVEL = 1,
  MMGR_POOLID_ALL = 2,  // report filter only: every pool
};

// Kinds of request, in the numbering the log and report use.
enum MemAllocType : std::uint32_t {
  MEM_ALLOC_UNKNOWN = 0,
  MEM_ALLOC_NEW = 1,
  MEM_ALLOC_NEW_ARRAY = 2,
  MEM_ALLOC_MALLOC = 3,
  MEM_ALLOC_CALLOC = 4,
  MEM_ALLOC_REALLOC = 5,
  MEM_ALLOC_DELETE = 6,
  MEM_ALLOC_DELETE_ARRAY = 7,
  MEM_ALLOC_FREE = 8,
};

// Fill patterns of fresh and of released memory.
inline constexpr std::uint32_t kMemUnusedPattern = 0xFEEDFACEu;
inline constexpr std::uint32_t kMemReleasedPattern = 0xDEADBEEFu;

// The nine statistics words, in this order.
struct MemStatistics {
  std::uint32_t totalReportedMemory;
  std::uint32_t totalActualMemory;
  std::uint32_t peakReportedMemory;
  std::uint32_t peakActualMemory;
  std::uint32_t accumulatedReportedMemory;
  std::uint32_t accumulatedActualMemory;
  std::uint32_t accumulatedAllocUnitCount;
  std::uint32_t totalAllocUnitCount;
  std::uint32_t peakAllocUnitCount;
};

// A copy of one live block's record (the records themselves stay private).
struct MemAllocUnitInfo {
  std::size_t actualSize;
  std::size_t reportedSize;
  void* actualAddress;
  void* reportedAddress;
  char sourceFile[40];
  char sourceFunc[40];
  std::uint32_t sourceLine;
  std::uint32_t allocationType;
  bool breakOnDealloc;
  bool breakOnRealloc;
  std::uint32_t allocationNumber;
  std::uint32_t poolId;
};

// Stores the owner site for this thread's next request; answers `file`.
const char* MemSetOwner(const char* file, int line, const char* function);

// Allocates `size` bytes (0 is raised to 1) of the given request type; null
// when the C heap refuses (logged).
void* MemAllocate(const char* file, int line, const char* function, std::uint32_t type, std::size_t size);
// Resizes a tracked block (null behaves as MemAllocate); null and the old
// block unchanged when the block is unknown or the heap refuses (logged).
void* MemReallocate(const char* file, int line, const char* function, std::uint32_t type, std::size_t size,
                    void* block);
// Releases a tracked block; null is ignored, an unknown address is logged
// and not freed.
void MemRelease(const char* file, int line, const char* function, std::uint32_t type, void* block);

// True when `address` is the start of a live tracked block.
bool MemIsValidAddress(const void* address);
// Copies the record of the block at `address`; false when there is none.
bool MemFindUnit(const void* address, MemAllocUnitInfo* out);
// Debug flags of a block's record; null when the address is not tracked.
bool* MemBreakOnDealloc(void* address);
bool* MemBreakOnRealloc(void* address);

// Selects the pool stamped into later blocks (MMGR_POOLID_GAME or _LEVEL).
void MemSetPool(std::uint32_t poolId);
std::uint32_t MemGetPool();
// Selects which pool the memory report lists: 0, 1 or 2 (all).
void MemSetReportPoolFilter(std::uint32_t filter);

// Addresses of the option flags, so that a developer can switch them.
bool* MemAlwaysValidateAll();
bool* MemAlwaysLogAll();
bool* MemAlwaysWipeAll();
bool* MemRandomWipe();

// Copies the nine statistics words.
void MemGetStatistics(MemStatistics* out);
// Number of allocation-operator and release-operator calls so far.
std::uint32_t MemAllocCallCount();
std::uint32_t MemReleaseCallCount();
// The global operators' entry points: count the call, then allocate (with
// the given alignment, 0 for the default) or release with this thread's
// owner site.  Allocation answers null when the heap refuses.
void* MemOperatorNew(std::uint32_t type, std::size_t size, std::size_t alignment);
void MemOperatorDelete(std::uint32_t type, void* block);

// Checks every record; 1 when a fault was found (logged), else 0.
int MemValidateAllUnits();
// Writes the memory report; overwrite 0 appends.  False when the file cannot
// be opened.
bool MemDumpMemoryReport(const char* fileName, bool overwrite);
// Writes the record of the block at `address` to the log, each line prefixed.
void MemDumpAllocUnit(const void* address, const char* prefix);

// Where the request log is written ("memory.log" in the working folder by
// default); tests point it elsewhere.  Null restores the default.
void MemSetLogFileName(const char* path);
// Test hook: called with each released block (already wiped) just before it
// goes back to the C heap; it runs under the allocator's lock and must not
// allocate.  Null removes it.
using MemReleaseObserver = void (*)(const void* block, std::size_t size, void* context);
void MemSetReleaseObserver(MemReleaseObserver observer, void* context);
// Deletes the request log.
void MemCleanLog();

// Number with thousands separators ("1,234,567"), into out (at least 20 chars).
const char* MemInsertCommas(std::uint32_t value, char* out);
// The size text of the log and report ("%10s bytes     ", "(%7.2fK)", "(%7.2fM)").
const char* MemSizeString(std::uint32_t size, char* out);

// Allocation operators with a category or an owner site (the category is
// only for the accounting table).
void* operator new(std::size_t size, MemoryCategory category);
void* operator new[](std::size_t size, MemoryCategory category);
void* operator new(std::size_t size, const char* file, int line);
void* operator new[](std::size_t size, const char* file, int line);
void operator delete(void* p, MemoryCategory category) noexcept;
void operator delete[](void* p, MemoryCategory category) noexcept;
void operator delete(void* p, const char* file, int line) noexcept;
void operator delete[](void* p, const char* file, int line) noexcept;

#define MEM_OWNER() MemSetOwner(__FILE__, __LINE__, "??")
#define MEM_NEW(category) (MEM_OWNER(), false) ? nullptr : new (static_cast<MemoryCategory>(category))
#define MEM_DELETE (MEM_OWNER(), false) ? (void)0 : delete
#define MEM_DELETE_ARRAY (MEM_OWNER(), false) ? (void)0 : delete[]
#define MEM_MALLOC(size) MemAllocate(__FILE__, __LINE__, "??", MEM_ALLOC_MALLOC, (size))
#define MEM_CALLOC(count, size) MemAllocate(__FILE__, __LINE__, "??", MEM_ALLOC_CALLOC, (count) * (size))
#define MEM_REALLOC(block, size) MemReallocate(__FILE__, __LINE__, "??", MEM_ALLOC_REALLOC, (size), (block))
#define MEM_FREE(block) MemRelease(__FILE__, __LINE__, "??", MEM_ALLOC_FREE, (block))
