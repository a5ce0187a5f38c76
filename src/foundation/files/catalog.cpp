#include "foundation/files/catalog.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/byte_reader.h"
#include "foundation/files/catalog_state.h"
#include "foundation/system/command_switches.h"
#include "foundation/text/hash.h"
#include "foundation/memory/memory_manager.h"
#include "platform/win32/win_path.h"
#include "platform/win32/win_stdio.h"

namespace catalog_state {

CCatalog g_catalogs[kCatalogCount];
CCatalog* g_current = nullptr;
int g_currentId = -1;
std::uint32_t g_mode = 0;
std::uint32_t g_savedMode = 0;
BufferedFile* g_file = nullptr;
int g_scanLookahead = ' ';
bool g_buildable[kCatalogCount] = {};

namespace {
bool g_cataLogTruncated = false;
}

void AppendCataLog(const char* format, ...) {
  std::FILE* f = WinFopen("cata.log", g_cataLogTruncated ? "ab" : "wb");
  g_cataLogTruncated = true;
  if (!f) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(f, format, args);
  va_end(args);
  std::fclose(f);
}

void ResetFileBuffer() {
  BufferedFile* h = g_file;
  if (!h) return;
  h->bufferEnd = h->bufferStart;
  h->windowPosition = 0;
  h->streamPosition = 0xFFFFFFFFu;  // unknown: the next refill seeks
}

bool CatalogHolds(CCatalog& c, std::uint64_t end) {
  if (end <= c.length) return true;
  if (c.lengthMeasured || !c.stream) return false;
  // The stream counted through once, then rewound; the shared handle's window
  // no longer matches the stream's position.
  static std::uint8_t scratch[64 * 1024];
  std::uint64_t length = 0;
  gzrewind(c.stream);
  for (int got; (got = gzread(c.stream, scratch, sizeof scratch)) > 0;) length += static_cast<std::uint64_t>(got);
  gzclearerr(c.stream);
  gzrewind(c.stream);
  if (g_file && g_file->catalogStream == c.stream) ResetFileBuffer();
  c.length = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, 0xFFFFFFFFu));
  c.lengthMeasured = 1;
  return end <= c.length;
}

}  // namespace catalog_state

using namespace catalog_state;

namespace {

const char* const kDefaultCatalogNames[kCatalogCount] = {"catalog.dat", "mission.dat", "chardata.dat"};

void CopyPath(char (&out)[256], const char* in) {
  std::snprintf(out, sizeof out, "%s", in ? in : "");
}

// Reads the 1504 directory entries out of the directory bytes.
void ParseDirectory(const std::uint8_t* bytes, std::size_t size, CatalogEntry* entries) {
  ByteReader r(bytes, size);
  for (std::uint32_t i = 0; i < kCatalogEntryCount; ++i) {
    entries[i].hash = r.U32();
    entries[i].offset = r.U32();
    entries[i].size = r.U32();
  }
}

void SerialiseDirectory(const CatalogEntry* entries, ByteWriter& w) {
  for (std::uint32_t i = 0; i < kCatalogEntryCount; ++i) {
    w.U32(entries[i].hash);
    w.U32(entries[i].offset);
    w.U32(entries[i].size);
  }
}

// Writes an empty directory and its block to a new catalog file.
bool CreateEmptyCatalog(const char* path) {
  std::FILE* f = WinFopen(path, "wb");
  if (!f) return false;
  static const std::uint8_t zeros[kCatalogDataStart] = {};
  bool ok = std::fwrite(zeros, 1, sizeof zeros, f) == sizeof zeros;
  return std::fclose(f) == 0 && ok;
}

// Reads the directory of a catalog being extended; false when it is missing or short.
bool ReadBuildDirectory(CCatalog& c) {
  std::FILE* f = WinFopen(c.path, "rb");
  if (!f) return false;
  static std::uint8_t head[kCatalogDataStart];
  std::size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  if (got != sizeof head) return false;
  ParseDirectory(head, kCatalogDirectoryBytes, c.directory);
  std::uint32_t n = 0;
  while (n < kCatalogEntryCount && c.directory[n].hash != 0) ++n;
  c.entryCount = n;
  c.lastHit = c.directory;
  if (n > 0) {
    std::uint64_t end = static_cast<std::uint64_t>(c.directory[n - 1].offset) + c.directory[n - 1].size;
    c.dataSize = end > kCatalogDataStart ? static_cast<std::uint32_t>(end - kCatalogDataStart) : 0;
  }
  return true;
}

bool ReadCatalogDirectory(CCatalog& c) {
  static std::uint8_t head[kCatalogDataStart];
  int got = gzread(c.stream, head, kCatalogDataStart);
  if (got != static_cast<int>(kCatalogDataStart)) return false;
  ParseDirectory(head, kCatalogDirectoryBytes, c.directory);
  c.entryCount = kCatalogEntryCount;
  c.lastHit = c.directory;
  return true;
}

// Every byte of a deflate stream expands to at most 1032 bytes (a 258-byte
// match coded in two bits), so no gzip file decompresses to more than this
// many times its size.
constexpr std::uint64_t kDeflateMostExpansion = 1032;

// The catalog's length once decompressed, as far as it is known without
// reading the stream through (which would cost as much as reading every file
// it holds): a plain file's size on the disk, exact; for a compressed one the
// length its gzip trailer states (the last member's, modulo 4 GB), never more
// than its bytes can expand to.  A trailer that says too little (several
// members) is settled by MeasureCatalogStream when an entry reaches past it;
// one that says too much shows as a short read, which every reader checks.
std::uint32_t CatalogLengthBound(gzFile gz, const std::string& resolvedPath, bool* exact) {
  std::error_code ec;
  std::uintmax_t onDisk = std::filesystem::file_size(resolvedPath, ec);
  if (ec) onDisk = 0;
  std::uint64_t length = onDisk;
  *exact = gzdirect(gz) != 0;
  if (!*exact) {
    std::uint8_t trailer[4] = {};
    std::FILE* f = onDisk >= sizeof trailer ? std::fopen(resolvedPath.c_str(), "rb") : nullptr;
    bool read = f && std::fseek(f, -4L, SEEK_END) == 0 && std::fread(trailer, 1, sizeof trailer, f) == sizeof trailer;
    if (f) std::fclose(f);
    std::uint64_t stated = read ? ByteReader(trailer, sizeof trailer).U32() : 0;
    length = std::min<std::uint64_t>(stated, onDisk * kDeflateMostExpansion);
  }
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(length, 0xFFFFFFFFu));
}

// Opens a catalog's stream (name, else name + ".gz") and bounds its length.
gzFile OpenCatalogStream(const char* path, CCatalog& c) {
  std::string p = ResolveWindowsPath(path);
  gzFile gz = gzopen(p.c_str(), "rb");
  if (!gz) {
    std::string withGz = std::string(path) + ".gz";
    p = ResolveWindowsPath(withGz.c_str());
    gz = gzopen(p.c_str(), "rb");
  }
  if (!gz) return nullptr;
  gzbuffer(gz, 64 * 1024);
  bool exact = false;
  c.length = CatalogLengthBound(gz, p, &exact);
  c.lengthMeasured = exact ? 1 : 0;
  return gz;
}

// Closes a catalog's stream.  The shared handle is detached from it first: a
// file still open from this catalog reads nothing more (and closes cleanly),
// rather than reading through freed memory or through whichever stream is
// opened next in its place.
void CloseStream(CCatalog& c) {
  if (!c.stream) return;
  if (g_file && g_file->catalogStream == c.stream) {
    g_file->catalogStream = nullptr;
    ResetFileBuffer();
  }
  gzclose(c.stream);
  c.stream = nullptr;
}

int WriteBack(CCatalog& c) {
  if (!Building() || !c.dirty) return 1;
  std::FILE* f = WinFopen(c.path, "rb+");
  if (!f) return 0;
  ByteWriter w;
  SerialiseDirectory(c.directory, w);
  w.Bytes(w.Data().data(), kCatalogBlockBytes);
  bool ok = std::fwrite(w.Data().data(), 1, w.Size(), f) == w.Size();
  if (std::fclose(f) != 0) ok = false;
  if (ok) c.dirty = 0;
  return ok ? 1 : 0;
}

}  // namespace

std::uint32_t CatalogNameHash(const char* name) {
  if (!name) return HashString("");
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  char upper[256];
  std::size_t n = 0;
  for (; base[n] && n < sizeof upper - 1; ++n) upper[n] = static_cast<char>(std::toupper(static_cast<unsigned char>(base[n])));
  upper[n] = 0;
  return HashString(upper);
}

int CatalogStartup() {
  static const struct {
    char letter;
    std::uint32_t set, clear;
  } kSwitches[] = {{'a', CATALOG_MODE_EXTRACT, 0}, {'c', CATALOG_MODE_BUILD, 0}, {'d', CATALOG_MODE_READ, 0},
                   {'e', 0, CATALOG_MODE_READ},    {'l', CATALOG_MODE_LOG, 0}};
  for (const auto& s : kSwitches) {
    if (!IsCommandSwitchSet(s.letter)) continue;
    g_mode = (g_mode | s.set) & ~s.clear;
  }
  if (g_file) return 1;
  BufferedFile* h = MEM_NEW(2) BufferedFile{};
  if (!h) return 0;
  h->capacity = kBufferedFileCapacity;
  h->allocation = MEM_NEW(2) std::uint8_t[kBufferedFileCapacity + 64];
  if (!h->allocation) {
    MEM_DELETE h;
    return 0;
  }
  h->bufferStart = h->allocation;
  g_file = h;
  g_scanLookahead = ' ';
  ResetFileBuffer();
  return 1;
}

void CatalogShutdown() {
  if (g_file) {
    if (g_file->fileSize != 0) FileClose(g_file);
    MEM_DELETE_ARRAY g_file->allocation;
    MEM_DELETE g_file;
    g_file = nullptr;
  }
  for (CCatalog& c : g_catalogs) {
    WriteBack(c);
    CloseStream(c);
  }
  g_current = nullptr;
  g_currentId = -1;
}

int OpenCatalog(int id, const char* name, int reopen, int reuseExistingEntries) {
  if (id < 0 || id >= kCatalogCount) return 0;
  CCatalog& c = g_catalogs[id];
  c.reuseExistingEntries = reuseExistingEntries ? 1 : 0;
  if (c.path[0] == 0) reopen = 0;
  if (g_mode & CATALOG_MODE_LOG) AppendCataLog("opened catalog [%s] id=%d reopen=%d\n", name ? name : "(null)", id, reopen);

  char path[256];
  CopyPath(path, reopen == 1 ? c.path : (name ? name : kDefaultCatalogNames[id]));
  CloseStream(c);
  std::memset(c.directory, 0, sizeof c.directory);
  c.entryCount = 0;
  c.dirty = 0;
  c.dataSize = 0;
  c.length = 0;
  c.lengthMeasured = 0;
  c.lastHit = c.directory;
  CopyPath(c.path, path);

  bool ok = true;
  if (g_mode & CATALOG_MODE_BUILD) {
    if (reopen != 1) {
      ok = CreateEmptyCatalog(c.path);
    } else {
      std::printf("open catalog [%s]\n", c.path);
      ok = ReadBuildDirectory(c);
      // A catalog that is not there yet is started afresh; one whose head is
      // damaged is left alone rather than appended to.
      if (!ok) {
        std::FILE* f = WinFopen(c.path, "rb");
        if (f) {
          std::fclose(f);
          std::fprintf(stderr, "catalog [%s] is damaged: nothing is added to it\n", c.path);
        } else {
          ok = CreateEmptyCatalog(c.path);
        }
      }
    }
    g_buildable[id] = ok;
  }
  if (g_mode & CATALOG_MODE_READ) {
    c.stream = OpenCatalogStream(c.path, c);
    if (!c.stream || !ReadCatalogDirectory(c)) {
      // A missing or damaged catalog leaves an empty directory: every look-up fails.
      CloseStream(c);
      std::memset(c.directory, 0, sizeof c.directory);
      c.entryCount = kCatalogEntryCount;
      c.lastHit = c.directory;
      ok = false;
    }
  }
  g_current = &c;
  g_currentId = id;
  ResetFileBuffer();
  return ok ? 1 : 0;
}

int CloseCatalog() {
  int was = g_currentId;
  if (g_current) {
    WriteBack(*g_current);
    if (ReadingFromCatalogs()) CloseStream(*g_current);
  }
  g_current = nullptr;
  g_currentId = -1;
  ResetFileBuffer();
  return was;
}

int ReopenCatalog(int id) {
  if (id < 0 || id >= kCatalogCount) return 0;
  std::printf("reopening catalog %d\n", id);
  CCatalog& c = g_catalogs[id];
  g_current = &c;
  g_currentId = id;
  ResetFileBuffer();
  // A catalog closed earlier has lost its stream: open it again so that reads
  // do not go through a closed stream.
  if (ReadingFromCatalogs() && !c.stream && c.path[0]) {
    c.stream = OpenCatalogStream(c.path, c);
    if (!c.stream) return 0;
  }
  return 1;
}

int IsCatalogOpen() { return g_current != nullptr; }
int GetCurrentCatalogId() { return g_currentId; }

void SuspendCatalogs() {
  g_savedMode = g_mode;
  g_mode = (g_mode & ~CATALOG_MODE_READ) | CATALOG_MODE_SUSPENDED;
}

void RestoreCatalogMode() { g_mode = g_savedMode; }

int IsFileInCatalog(const char* name) {
  if (!g_current || !name) return 0;
  std::uint32_t h = CatalogNameHash(name);
  for (std::uint32_t i = 0; i < g_current->entryCount; ++i)
    if (g_current->directory[i].hash == h) return 1;
  return 0;
}

void SetCatalogPath(int id, const char* path) {
  if (id < 0 || id >= kCatalogCount) return;
  CopyPath(g_catalogs[id].path, path);
}

int WriteCatalogDirectory() { return g_current ? WriteBack(*g_current) : 1; }

std::uint32_t GetCatalogMode() { return g_mode; }
void SetCatalogMode(std::uint32_t mode) { g_mode = mode; }

const CCatalog* GetCatalog(int id) {
  if (id < 0 || id >= kCatalogCount) return nullptr;
  return &g_catalogs[id];
}
