#include "foundation/memory/memory_manager.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "foundation/maths/random15.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALBERD_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define HALBERD_ADDRESS_SANITIZER 1
#endif
#ifdef HALBERD_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif
#include "platform/win32/local_time.h"

namespace {

// One record per live block.  The block addresses are kept inverted so that a
// leak checker scanning our records does not mistake a leaked block for a
// reachable one.
struct AllocUnit {
  std::size_t actualSize;
  std::size_t reportedSize;
  std::uintptr_t actualAddressKey;
  std::uintptr_t reportedAddressKey;
  char sourceFile[40];
  char sourceFunc[40];
  std::uint32_t sourceLine;
  std::uint32_t allocationType;
  bool breakOnDealloc;
  bool breakOnRealloc;
  std::uint32_t allocationNumber;
  std::uint32_t poolId;
  AllocUnit* next;
  AllocUnit* prev;
};

constexpr int kHashSize = 4096;
constexpr int kHashMask = kHashSize - 1;
constexpr int kHashShift = 4;
constexpr int kReservoirGrow = 256;

const char* const kAllocationTypes[] = {"Unknown", "new", "new[]", "malloc", "calloc",
                                        "realloc", "delete", "delete[]", "free"};

std::uintptr_t AddressKey(const void* p) { return ~reinterpret_cast<std::uintptr_t>(p); }
void* KeyAddress(std::uintptr_t key) { return reinterpret_cast<void*>(~key); }

// Everything below is constant-initialised, so the manager works for
// requests made before `main`.
constinit std::mutex gLock;
constinit thread_local const char* tOwnerFile = "??";
constinit thread_local const char* tOwnerFunc = "??";
constinit thread_local int tOwnerLine = 0;

constinit AllocUnit* gHashTable[kHashSize] = {};
constinit AllocUnit* gReservoir = nullptr;
constinit AllocUnit** gReservoirBuffer = nullptr;
constinit std::uint32_t gReservoirBufferSize = 0;
constinit std::uint32_t gCurrentAllocationCount = 0;
constinit std::uint32_t gAllocCallCount = 0;
constinit std::uint32_t gReleaseCallCount = 0;
constinit MemStatistics gStats = {};
constinit bool gAlwaysValidateAll = false;
constinit bool gAlwaysLogAll = false;
constinit bool gAlwaysWipeAll = true;
constinit bool gRandomWipe = false;
constinit bool gCleanLogOnFirstUse = true;
constinit std::uint32_t gPoolId = MMGR_POOLID_GAME;
constinit std::uint32_t gReportPoolFilter = MMGR_POOLID_ALL;
constinit bool gStarted = false;
constinit bool gStaticLifetimeEnded = false;
constinit char gLogFileName[512] = "memory.log";
constinit MemReleaseObserver gReleaseObserver = nullptr;
constinit void* gReleaseObserverContext = nullptr;

void ResetOwner() {
  tOwnerFile = "??";
  tOwnerFunc = "??";
  tOwnerLine = 0;
}

void MarkEndOfStaticLifetime() { gStaticLifetimeEnded = true; }

// Start-up work done on the first request: clean the log and register the
// end-of-static-lifetime marker.
void StartUp() {
  if (gStarted) return;
  gStarted = true;
  std::remove(gLogFileName);
  std::atexit(MarkEndOfStaticLifetime);
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
  if (gCleanLogOnFirstUse) {
    std::remove(gLogFileName);
    gCleanLogOnFirstUse = false;
  }
  char buffer[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::FILE* fp = std::fopen(gLogFileName, "ab");
  if (!fp) return;
  std::fputs(buffer, fp);
  std::fputs("\r\n", fp);
  std::fclose(fp);
}

const char* SourceFileStripper(const char* file) {
  if (!file) return "??";
  const char* p = std::strrchr(file, '\\');
  if (p) return p + 1;
  p = std::strrchr(file, '/');
  if (p) return p + 1;
  return file;
}

// Copies at most 39 characters and the NUL.
void CopyCut(char* out, const char* in) {
  if (!in) in = "??";
  std::size_t n = 0;
  while (n < 39 && in[n]) {
    out[n] = in[n];
    ++n;
  }
  out[n] = 0;
}

const char* OwnerString(const char* file, int line, const char* func, char* out, std::size_t size) {
  std::snprintf(out, size, "%s(%05d)::%s", SourceFileStripper(file), line, func ? func : "??");
  return out;
}

int HashIndex(const void* reported) {
  return static_cast<int>((reinterpret_cast<std::uintptr_t>(reported) >> kHashShift) & kHashMask);
}

AllocUnit* FindAllocUnit(const void* reported) {
  if (!reported) return nullptr;
  std::uintptr_t key = AddressKey(reported);
  for (AllocUnit* u = gHashTable[HashIndex(reported)]; u; u = u->next)
    if (u->reportedAddressKey == key) return u;
  return nullptr;
}

void Link(AllocUnit* u) {
  int h = HashIndex(KeyAddress(u->reportedAddressKey));
  u->prev = nullptr;
  u->next = gHashTable[h];
  if (gHashTable[h]) gHashTable[h]->prev = u;
  gHashTable[h] = u;
}

void Unlink(AllocUnit* u) {
  int h = HashIndex(KeyAddress(u->reportedAddressKey));
  if (gHashTable[h] == u) gHashTable[h] = u->next;
  if (u->prev) u->prev->next = u->next;
  if (u->next) u->next->prev = u->prev;
  u->next = u->prev = nullptr;
}

// Fills a block: whole words with the pattern, the last one to three bytes
// with its low bytes in order.
void WipeWithPattern(void* block, std::size_t size, std::uint32_t pattern) {
  auto* b = static_cast<unsigned char*>(block);
#ifdef HALBERD_ADDRESS_SANITIZER
  // The block is ours from end to end, but the address checker may still
  // guard parts of it for the caller (the element count that some compilers
  // keep in front of an array of objects with destructors).
  ASAN_UNPOISON_MEMORY_REGION(b, size);
#endif
  unsigned char bytes[4] = {static_cast<unsigned char>(pattern), static_cast<unsigned char>(pattern >> 8),
                            static_cast<unsigned char>(pattern >> 16), static_cast<unsigned char>(pattern >> 24)};
  std::size_t words = size / 4;
  for (std::size_t i = 0; i < words; ++i) std::memcpy(b + i * 4, bytes, 4);
  for (std::size_t i = words * 4; i < size; ++i) b[i] = bytes[i - words * 4];
}

void WipeUnused(void* block, std::size_t size) {
  std::uint32_t pattern = kMemUnusedPattern;
  if (gRandomWipe) {
    pattern = 0;
    for (int i = 0; i < 4; ++i) pattern = (pattern << 8) | static_cast<std::uint32_t>(Rand15() & 0xFF);
  }
  WipeWithPattern(block, size, pattern);
}

// Bytes of a block that still hold the unused pattern, counted per 32-bit
// word.  A last partial word is compared over the bytes the block has, so
// nothing past the block is read.
std::uint32_t CalcUnused(const AllocUnit* u) {
  const auto* b = static_cast<const unsigned char*>(KeyAddress(u->reportedAddressKey));
  unsigned char bytes[4] = {0xCE, 0xFA, 0xED, 0xFE};
  std::uint32_t unused = 0;
  std::size_t words = u->reportedSize / 4;
  for (std::size_t i = 0; i < words; ++i)
    if (std::memcmp(b + i * 4, bytes, 4) == 0) unused += 4;
  std::size_t rest = u->reportedSize - words * 4;
  if (rest && std::memcmp(b + words * 4, bytes, rest) == 0) unused += 4;
  return unused;
}

std::uint32_t CalcAllUnused() {
  std::uint32_t total = 0;
  for (AllocUnit* head : gHashTable)
    for (AllocUnit* u = head; u; u = u->next) total += CalcUnused(u);
  return total;
}

bool GrowReservoir() {
  auto* block = static_cast<AllocUnit*>(std::calloc(kReservoirGrow, sizeof(AllocUnit)));
  if (!block) return false;
  auto** grown = static_cast<AllocUnit**>(
      std::realloc(gReservoirBuffer, (gReservoirBufferSize + 1) * sizeof(AllocUnit*)));
  if (!grown) {
    std::free(block);
    return false;
  }
  gReservoirBuffer = grown;
  gReservoirBuffer[gReservoirBufferSize++] = block;
  for (int i = 0; i < kReservoirGrow - 1; ++i) block[i].next = &block[i + 1];
  block[kReservoirGrow - 1].next = nullptr;
  gReservoir = block;
  return true;
}

void ReturnToReservoir(AllocUnit* u) {
  std::memset(u, 0, sizeof *u);
  u->next = gReservoir;
  gReservoir = u;
}

int ValidateLocked();

void* AllocateLocked(const char* file, int line, const char* func, std::uint32_t type, std::size_t size,
                     std::size_t alignment) {
  StartUp();
  ++gCurrentAllocationCount;
  if (size == 0) size = 1;
  char owner[160];
  char sizeText[64];
  if (gAlwaysLogAll) {
    Log("%05d %-40s %8s            : %s", gCurrentAllocationCount, OwnerString(file, line, func, owner, sizeof owner),
        kAllocationTypes[type], MemSizeString(static_cast<std::uint32_t>(size), sizeText));
  }
  if (!gReservoir && !GrowReservoir()) {
    Log("%s", "Unable to allocate RAM for internal memory tracking data");
    ResetOwner();
    return nullptr;
  }
  AllocUnit* u = gReservoir;
  gReservoir = u->next;
  std::memset(u, 0, sizeof *u);

  void* block;
  if (alignment > alignof(std::max_align_t)) {
    std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    block = std::aligned_alloc(alignment, rounded);
  } else {
    block = std::malloc(size);
  }
  if (!block) {
    Log("%s", "Request for allocation failed. Out of memory.");
    ReturnToReservoir(u);
    ResetOwner();
    return nullptr;
  }
  u->actualSize = size;
  u->reportedSize = size;
  u->actualAddressKey = AddressKey(block);
  u->reportedAddressKey = AddressKey(block);
  CopyCut(u->sourceFile, SourceFileStripper(file));
  CopyCut(u->sourceFunc, func);
  u->sourceLine = static_cast<std::uint32_t>(line);
  u->allocationType = type;
  u->allocationNumber = gCurrentAllocationCount;
  u->poolId = gPoolId;
  Link(u);

  auto s = static_cast<std::uint32_t>(size);
  gStats.totalReportedMemory += s;
  gStats.totalActualMemory += s;
  gStats.totalAllocUnitCount++;
  gStats.accumulatedReportedMemory += s;
  gStats.accumulatedActualMemory += s;
  gStats.accumulatedAllocUnitCount++;
  if (gStats.totalReportedMemory > gStats.peakReportedMemory) gStats.peakReportedMemory = gStats.totalReportedMemory;
  if (gStats.totalActualMemory > gStats.peakActualMemory) gStats.peakActualMemory = gStats.totalActualMemory;
  if (gStats.totalAllocUnitCount > gStats.peakAllocUnitCount) gStats.peakAllocUnitCount = gStats.totalAllocUnitCount;

  if (gAlwaysWipeAll) WipeUnused(block, size);
  if (type == MEM_ALLOC_CALLOC) std::memset(block, 0, size);
  if (gAlwaysValidateAll) ValidateLocked();
  if (gAlwaysLogAll) {
    Log("%65sOK: %010" PRIXPTR " (hash: %d)", "", reinterpret_cast<std::uintptr_t>(block), HashIndex(block));
  }
  ResetOwner();
  return block;
}

int ValidateLocked() {
  int errors = 0;
  std::uint32_t count = 0;
  for (AllocUnit* head : gHashTable)
    for (AllocUnit* u = head; u; u = u->next) ++count;
  if (count != gStats.totalAllocUnitCount) {
    Log("%s", "Memory tracking hash table corrupt!");
    ++errors;
  }
  if (errors) Log("While validting all allocation units, %d allocation unit(s) were found to have problems", errors);
  return errors ? 1 : 0;
}

void ReleaseLocked(const char* file, int line, const char* func, std::uint32_t type, void* block) {
  if (gAlwaysLogAll) {
    char owner[160];
    Log("      %-40s %8s(%010" PRIXPTR ")", OwnerString(file, line, func, owner, sizeof owner),
        kAllocationTypes[type], reinterpret_cast<std::uintptr_t>(block));
  }
  AllocUnit* u = FindAllocUnit(block);
  if (!u) {
    if (!gStaticLifetimeEnded) Log("%s", "Request to deallocate RAM that was never allocated");
    ResetOwner();
    return;
  }
  if (gAlwaysWipeAll) WipeWithPattern(block, u->actualSize, kMemReleasedPattern);
  if (gReleaseObserver) gReleaseObserver(block, u->actualSize, gReleaseObserverContext);
  std::free(KeyAddress(u->actualAddressKey));
  Unlink(u);
  gStats.totalReportedMemory -= static_cast<std::uint32_t>(u->reportedSize);
  gStats.totalActualMemory -= static_cast<std::uint32_t>(u->actualSize);
  gStats.totalAllocUnitCount--;
  ReturnToReservoir(u);
  ResetOwner();
  if (gAlwaysValidateAll) ValidateLocked();
}

void CopyUnit(const AllocUnit* u, MemAllocUnitInfo* out) {
  out->actualSize = u->actualSize;
  out->reportedSize = u->reportedSize;
  out->actualAddress = KeyAddress(u->actualAddressKey);
  out->reportedAddress = KeyAddress(u->reportedAddressKey);
  std::memcpy(out->sourceFile, u->sourceFile, sizeof out->sourceFile);
  std::memcpy(out->sourceFunc, u->sourceFunc, sizeof out->sourceFunc);
  out->sourceLine = u->sourceLine;
  out->allocationType = u->allocationType;
  out->breakOnDealloc = u->breakOnDealloc;
  out->breakOnRealloc = u->breakOnRealloc;
  out->allocationNumber = u->allocationNumber;
  out->poolId = u->poolId;
}

void ReportLine(std::FILE* fp, const char* format, ...) __attribute__((format(printf, 2, 3)));
void ReportLine(std::FILE* fp, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(fp, format, args);
  va_end(args);
  std::fputs("\r\n", fp);
}

void ReportRule(std::FILE* fp) {
  char dashes[131];
  std::memset(dashes, '-', 130);
  dashes[130] = 0;
  ReportLine(fp, " %s ", dashes);
}

void ReportTitle(std::FILE* fp, const char* text, int before, int after) {
  ReportLine(fp, "|%*s%s%*s|", before, "", text, after, "");
}

void ReportSection(std::FILE* fp, const char* title, int before, int after) {
  ReportRule(fp);
  ReportTitle(fp, title, before, after);
  ReportRule(fp);
}

}  // namespace

const char* MemInsertCommas(std::uint32_t value, char* out) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u", value);
  // A "," goes before the last 3, 7 and 11 characters as the text grows past
  // them: 1234567 -> 1,234,567.
  std::size_t n = std::strlen(digits);
  char* o = out;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t remaining = n - i;
    if (i > 0 && remaining % 3 == 0) *o++ = ',';
    *o++ = digits[i];
  }
  *o = 0;
  return out;
}

const char* MemSizeString(std::uint32_t size, char* out) {
  char number[20];
  MemInsertCommas(size, number);
  if (size <= 1024) {
    std::sprintf(out, "%10s bytes     ", number);
  } else if (size <= 0x100000) {
    std::sprintf(out, "%10s (%7.2fK)", number, static_cast<double>(size) / 1024.0);
  } else {
    std::sprintf(out, "%10s (%7.2fM)", number, static_cast<double>(size) / 1048576.0);
  }
  return out;
}

const char* MemSetOwner(const char* file, int line, const char* function) {
  tOwnerFile = file;
  tOwnerLine = line;
  tOwnerFunc = function;
  return file;
}

void* MemAllocate(const char* file, int line, const char* function, std::uint32_t type, std::size_t size) {
  if (type > MEM_ALLOC_FREE) type = MEM_ALLOC_UNKNOWN;
  std::lock_guard<std::mutex> lock(gLock);
  return AllocateLocked(file, line, function, type, size, 0);
}

void* MemOperatorNew(std::uint32_t type, std::size_t size, std::size_t alignment) {
  std::lock_guard<std::mutex> lock(gLock);
  ++gAllocCallCount;
  return AllocateLocked(tOwnerFile, tOwnerLine, tOwnerFunc, type, size, alignment);
}

void MemOperatorDelete(std::uint32_t type, void* block) {
  std::lock_guard<std::mutex> lock(gLock);
  ++gReleaseCallCount;
  if (!block) {
    ResetOwner();
    return;
  }
  ReleaseLocked(tOwnerFile, tOwnerLine, tOwnerFunc, type, block);
}

void* MemReallocate(const char* file, int line, const char* function, std::uint32_t type, std::size_t size,
                    void* block) {
  if (type > MEM_ALLOC_FREE) type = MEM_ALLOC_UNKNOWN;
  std::lock_guard<std::mutex> lock(gLock);
  if (!block) return AllocateLocked(file, line, function, type, size, 0);
  ++gCurrentAllocationCount;
  if (size == 0) size = 1;
  char owner[160];
  char sizeText[64];
  if (gAlwaysLogAll) {
    Log("%05d %-40s %8s(%010" PRIXPTR "): %s", gCurrentAllocationCount,
        OwnerString(file, line, function, owner, sizeof owner), kAllocationTypes[type],
        reinterpret_cast<std::uintptr_t>(block), MemSizeString(static_cast<std::uint32_t>(size), sizeText));
  }
  AllocUnit* u = FindAllocUnit(block);
  if (!u) {
    Log("%s", "Request to reallocate RAM that was never allocated");
    ResetOwner();
    return nullptr;
  }
  std::size_t oldSize = u->reportedSize;
  void* grown = std::realloc(KeyAddress(u->actualAddressKey), size);
  if (!grown) {
    Log("%s", "Request for reallocation failed. Out of memory.");
    ResetOwner();
    return nullptr;
  }
  gStats.totalReportedMemory -= static_cast<std::uint32_t>(u->reportedSize);
  gStats.totalActualMemory -= static_cast<std::uint32_t>(u->actualSize);
  auto s = static_cast<std::uint32_t>(size);
  gStats.totalReportedMemory += s;
  gStats.totalActualMemory += s;
  gStats.accumulatedReportedMemory += s;
  gStats.accumulatedActualMemory += s;
  if (gStats.totalReportedMemory > gStats.peakReportedMemory) gStats.peakReportedMemory = gStats.totalReportedMemory;
  if (gStats.totalActualMemory > gStats.peakActualMemory) gStats.peakActualMemory = gStats.totalActualMemory;

  if (grown != block) Unlink(u);
  u->actualSize = size;
  u->reportedSize = size;
  u->actualAddressKey = AddressKey(grown);
  u->reportedAddressKey = AddressKey(grown);
  CopyCut(u->sourceFile, SourceFileStripper(file));
  CopyCut(u->sourceFunc, function);
  u->sourceLine = static_cast<std::uint32_t>(line);
  u->allocationType = type;
  u->allocationNumber = gCurrentAllocationCount;
  if (grown != block) Link(u);
  if (size > oldSize && gAlwaysWipeAll) WipeUnused(static_cast<char*>(grown) + oldSize, size - oldSize);
  if (gAlwaysValidateAll) ValidateLocked();
  ResetOwner();
  return grown;
}

void MemRelease(const char* file, int line, const char* function, std::uint32_t type, void* block) {
  if (type > MEM_ALLOC_FREE) type = MEM_ALLOC_UNKNOWN;
  std::lock_guard<std::mutex> lock(gLock);
  if (!block) {
    ResetOwner();
    return;
  }
  ReleaseLocked(file, line, function, type, block);
}

bool MemIsValidAddress(const void* address) {
  std::lock_guard<std::mutex> lock(gLock);
  return FindAllocUnit(address) != nullptr;
}

bool MemFindUnit(const void* address, MemAllocUnitInfo* out) {
  std::lock_guard<std::mutex> lock(gLock);
  AllocUnit* u = FindAllocUnit(address);
  if (!u) return false;
  if (out) CopyUnit(u, out);
  return true;
}

bool* MemBreakOnDealloc(void* address) {
  std::lock_guard<std::mutex> lock(gLock);
  AllocUnit* u = FindAllocUnit(address);
  return u ? &u->breakOnDealloc : nullptr;
}

bool* MemBreakOnRealloc(void* address) {
  std::lock_guard<std::mutex> lock(gLock);
  AllocUnit* u = FindAllocUnit(address);
  return u ? &u->breakOnRealloc : nullptr;
}

void MemSetPool(std::uint32_t poolId) {
  std::lock_guard<std::mutex> lock(gLock);
  gPoolId = poolId;
}

std::uint32_t MemGetPool() {
  std::lock_guard<std::mutex> lock(gLock);
  return gPoolId;
}

void MemSetReportPoolFilter(std::uint32_t filter) {
  std::lock_guard<std::mutex> lock(gLock);
  gReportPoolFilter = filter;
}

bool* MemAlwaysValidateAll() { return &gAlwaysValidateAll; }
bool* MemAlwaysLogAll() { return &gAlwaysLogAll; }
bool* MemAlwaysWipeAll() { return &gAlwaysWipeAll; }
bool* MemRandomWipe() { return &gRandomWipe; }

void MemGetStatistics(MemStatistics* out) {
  std::lock_guard<std::mutex> lock(gLock);
  if (out) *out = gStats;
}

std::uint32_t MemAllocCallCount() {
  std::lock_guard<std::mutex> lock(gLock);
  return gAllocCallCount;
}

std::uint32_t MemReleaseCallCount() {
  std::lock_guard<std::mutex> lock(gLock);
  return gReleaseCallCount;
}

int MemValidateAllUnits() {
  std::lock_guard<std::mutex> lock(gLock);
  return ValidateLocked();
}

bool MemDumpMemoryReport(const char* fileName, bool overwrite) {
  std::lock_guard<std::mutex> lock(gLock);
  std::FILE* fp = std::fopen(fileName, overwrite ? "wb" : "ab");
  if (!fp) return false;

  SYSTEMTIME now;
  GetLocalTime(&now);
  char title[96];
  std::snprintf(title, sizeof title, "Memory report for: %02d/%02d/%04d %02d:%02d:%02d", now.wMonth, now.wDay,
                now.wYear, now.wHour, now.wMinute, now.wSecond);
  ReportSection(fp, title, 45, 47);
  ReportLine(fp, "%s", "");
  ReportLine(fp, "%s", "");

  char a[64];
  char b[64];
  ReportSection(fp, "T O T A L S", 59, 60);
  ReportLine(fp, "              Allocation unit count: %10s", MemInsertCommas(gStats.totalAllocUnitCount, a));
  ReportLine(fp, "            Reported to application: %s", MemSizeString(gStats.totalReportedMemory, a));
  ReportLine(fp, "         Actual total memory in use: %s", MemSizeString(gStats.totalActualMemory, b));
  ReportLine(fp, "           Memory tracking overhead: %s",
             MemSizeString(gStats.totalActualMemory - gStats.totalReportedMemory, a));
  ReportLine(fp, "%s", "");

  ReportSection(fp, "P E A K S", 60, 61);
  ReportLine(fp, "              Allocation unit count: %10s", MemInsertCommas(gStats.peakAllocUnitCount, a));
  ReportLine(fp, "            Reported to application: %s", MemSizeString(gStats.peakReportedMemory, a));
  ReportLine(fp, "                             Actual: %s", MemSizeString(gStats.peakActualMemory, b));
  ReportLine(fp, "           Memory tracking overhead: %s",
             MemSizeString(gStats.peakActualMemory - gStats.peakReportedMemory, a));
  ReportLine(fp, "%s", "");

  ReportSection(fp, "A C C U M U L A T E D", 54, 55);
  ReportLine(fp, "              Allocation unit count: %s", MemInsertCommas(gStats.accumulatedAllocUnitCount, a));
  ReportLine(fp, "            Reported to application: %s", MemSizeString(gStats.accumulatedReportedMemory, a));
  ReportLine(fp, "                             Actual: %s", MemSizeString(gStats.accumulatedActualMemory, b));
  ReportLine(fp, "%s", "");

  ReportSection(fp, "U N U S E D", 59, 60);
  ReportLine(fp, "    Memory allocated but not in use: %s", MemSizeString(CalcAllUnused(), a));
  ReportLine(fp, "%s", "");

  if (gReportPoolFilter == MMGR_POOLID_GAME) {
    ReportLine(fp, "%s", "Game Pool : MMGR_POOLID_GAME");
    ReportLine(fp, "%s", "");
  } else if (gReportPoolFilter == MMGR_POOLID_LEVEL) {
    ReportLine(fp, "%s", "Game Pool : MMGR_POOLID_LEVEL");
    ReportLine(fp, "%s", "");
  }
  ReportLine(fp, "%-110s", "Alloc.  Pool ID     Addr       Size       Addr       Size                        BreakOn BreakOn");
  ReportLine(fp, "%-110s",
             "Number            Reported   Reported    Actual     Actual     Unused    Method  Dealloc Realloc Allocated by");
  {
    static const int kWidths[] = {6, 9, 10, 10, 10, 10, 10, 8, 7, 7, 51};
    char underline[256];
    char* o = underline;
    for (int w : kWidths) {
      std::memset(o, '-', static_cast<std::size_t>(w));
      o += w;
      *o++ = ' ';
    }
    *o = 0;
    ReportLine(fp, "%s", underline);
  }
  for (AllocUnit* head : gHashTable) {
    for (AllocUnit* u = head; u; u = u->next) {
      if (gReportPoolFilter != MMGR_POOLID_ALL && u->poolId != gReportPoolFilter) continue;
      char owner[160];
      ReportLine(fp, "%06u %06u    0x%08" PRIXPTR " 0x%08zX 0x%08" PRIXPTR " 0x%08zX 0x%08X %-8s    %c       %c    %s",
                 u->allocationNumber, u->poolId, reinterpret_cast<std::uintptr_t>(KeyAddress(u->reportedAddressKey)),
                 u->reportedSize, reinterpret_cast<std::uintptr_t>(KeyAddress(u->actualAddressKey)), u->actualSize,
                 CalcUnused(u), kAllocationTypes[u->allocationType], u->breakOnDealloc ? 'Y' : 'N',
                 u->breakOnRealloc ? 'Y' : 'N', OwnerString(u->sourceFile, static_cast<int>(u->sourceLine),
                                                            u->sourceFunc, owner, sizeof owner));
    }
  }
  std::fclose(fp);
  return true;
}

void MemDumpAllocUnit(const void* address, const char* prefix) {
  std::lock_guard<std::mutex> lock(gLock);
  AllocUnit* u = FindAllocUnit(address);
  if (!u) return;
  if (!prefix) prefix = "";
  char a[64];
  Log("%sAddress (reported): %010" PRIXPTR, prefix, reinterpret_cast<std::uintptr_t>(KeyAddress(u->reportedAddressKey)));
  Log("%sAddress (actual)  : %010" PRIXPTR, prefix, reinterpret_cast<std::uintptr_t>(KeyAddress(u->actualAddressKey)));
  Log("%sSize (reported)   : 0x%08zX (%s)", prefix, u->reportedSize,
      MemSizeString(static_cast<std::uint32_t>(u->reportedSize), a));
  Log("%sSize (actual)     : 0x%08zX (%s)", prefix, u->actualSize,
      MemSizeString(static_cast<std::uint32_t>(u->actualSize), a));
  Log("%sOwner             : %s(%d)::%s", prefix, u->sourceFile, static_cast<int>(u->sourceLine), u->sourceFunc);
  Log("%sAllocation type   : %s", prefix, kAllocationTypes[u->allocationType]);
  Log("%sAllocation number : %d", prefix, static_cast<int>(u->allocationNumber));
  Log("%sPool ID           : %d", prefix, static_cast<int>(u->poolId));
}

void MemSetLogFileName(const char* path) {
  std::lock_guard<std::mutex> lock(gLock);
  std::snprintf(gLogFileName, sizeof gLogFileName, "%s", path ? path : "memory.log");
  gCleanLogOnFirstUse = true;
}

void MemCleanLog() {
  std::lock_guard<std::mutex> lock(gLock);
  std::remove(gLogFileName);
}

void MemSetReleaseObserver(MemReleaseObserver observer, void* context) {
  std::lock_guard<std::mutex> lock(gLock);
  gReleaseObserver = observer;
  gReleaseObserverContext = context;
}
