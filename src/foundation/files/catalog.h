// Catalogs: archive files that hold many data files behind a fixed directory
// keyed by the hash of each file's name.  Three catalogs exist, chosen by id
// (0 "catalog.dat", 1 "mission.dat", 2 "chardata.dat", the character
// catalog); one of them is current.  The catalog mode word, set from the
// command-line switches at start-up, decides whether files come from the
// current catalog or from the disk, and whether reading builds a catalog,
// copies every file under "leveldata" or logs every open to "cata.log".
//
// Layout of a catalog file (little-endian, optionally gzip-compressed whole):
//   0      1504 directory entries of 12 bytes {u32 name hash, u32 offset, u32 size}
//   18048  384 filler bytes (a copy of the first 384 directory bytes)
//   18432  file data, each file contiguous, in the order the files were added.
// The name hash is HashString of the upper-cased file name without folders.
//
// Single-threaded: catalogs and the one shared file handle are process-wide.
#pragma once

#include <cstdint>

struct gzFile_s;

inline constexpr int kCatalogCount = 3;
inline constexpr std::uint32_t kCatalogEntryCount = 1504;
inline constexpr std::uint32_t kCatalogEntryBytes = 12;
inline constexpr std::uint32_t kCatalogDirectoryBytes = kCatalogEntryCount * kCatalogEntryBytes;  // 18048
inline constexpr std::uint32_t kCatalogBlockBytes = 384;
inline constexpr std::uint32_t kCatalogDataStart = kCatalogDirectoryBytes + kCatalogBlockBytes;  // 18432

// Bits of the catalog mode word.
enum CatalogModeBits : std::uint32_t {
  CATALOG_MODE_READ = 0x01,       // switch "d" sets, "e" clears: read files from the current catalog
  CATALOG_MODE_BUILD = 0x02,      // switch "c": files read from the disk are appended to the current catalog
  CATALOG_MODE_EXTRACT = 0x04,    // switch "a": each file read is also copied under "leveldata"
  CATALOG_MODE_LOG = 0x08,        // switch "l": log every catalog and file opened to "cata.log"
  CATALOG_MODE_SUSPENDED = 0x10,  // set by SuspendCatalogs
  CATALOG_MODE_IN_CATALOG = 0x20  // the file being read already has an entry in the catalog being built
};

struct CatalogEntry {
  std::uint32_t hash;
  std::uint32_t offset;
  std::uint32_t size;
};

struct CCatalog {
  char path[256];
  std::uint32_t dirty;
  CatalogEntry directory[kCatalogEntryCount];
  std::uint32_t entryCount;
  CatalogEntry* lastHit;
  std::uint32_t dataSize;
  std::uint32_t reuseExistingEntries;
  gzFile_s* stream;
  std::uint32_t length;          // bytes of the open catalog once decompressed (see lengthMeasured); entries must lie inside
  std::uint32_t lengthMeasured;  // 1: length is exact; 0: as a gzip trailer states it, counted when an entry reaches past
};

// Reads the switches "a", "c", "d", "e", "l" (in that order) into the mode word
// and creates the shared file handle.  Answers 0 when the handle cannot be made.
int CatalogStartup();
// Destroys the shared file handle and writes back every dirty catalog directory.
void CatalogShutdown();

// Opens catalog id (0..2) under name (null: its default name; reopen 1: its
// stored path) and makes it current.  Answers 1, or 0 when the id is out of
// range or the catalog file (nor name + ".gz") could not be opened; the
// catalog is then current with an empty directory, so every look-up fails.
int OpenCatalog(int id, const char* name, int reopen, int reuseExistingEntries);
// Writes back the current directory when dirty, closes the current catalog's
// stream, resets the file handle; answers the id that was current (-1: none).
// A file still open from a catalog whose stream is closed (here, or by
// opening another catalog in its slot) reads nothing more; close it as usual.
int CloseCatalog();
// Makes catalog id current again without reading its directory (its stream is
// reopened when it was closed).  Answers 1, or 0 for a bad id or a stream that
// cannot be reopened.
int ReopenCatalog(int id);
// Whether a catalog is current.
int IsCatalogOpen();
// The current catalog's id, -1 when none.
int GetCurrentCatalogId();
// Reads files from the disk until RestoreCatalogMode (saves the mode word).
void SuspendCatalogs();
// Puts back the mode word saved by SuspendCatalogs.
void RestoreCatalogMode();
// Whether the current catalog has an entry for the name (any case, any folders).
int IsFileInCatalog(const char* name);
// Sets the path a catalog is reopened from.  Ignored for a bad id.
void SetCatalogPath(int id, const char* path);
// Writes back the current directory when building and dirty; 0 when the
// catalog file cannot be written.
int WriteCatalogDirectory();

// The catalog mode word and its direct setting (the game's switches, tests).
std::uint32_t GetCatalogMode();
void SetCatalogMode(std::uint32_t mode);
// The record of catalog id; null for a bad id.
const CCatalog* GetCatalog(int id);
// The hash that keys a file in a catalog: HashString of the upper-cased name
// without folders.
std::uint32_t CatalogNameHash(const char* name);
