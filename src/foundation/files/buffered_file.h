// The engine's one buffered, catalog-aware file handle and its stdio-like
// operations.  Exactly one handle exists (made by CatalogStartup), so one file
// is open at a time.  A file is served from the current catalog or from the
// disk (Windows paths, any letter case) through a 32 KB window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "foundation/files/catalog.h"

inline constexpr std::uint32_t kBufferedFileCapacity = 32768;
inline constexpr std::uint32_t kBufferedFileUnknownSize = 0x7FFFFFFF;

class BufferedFile {
 public:
  char name[256];              // the name given at open, upper-cased
  std::uint8_t* bufferStart;   // capacity bytes of window
  std::uint8_t* allocation;    // capacity + 64 bytes
  std::uint32_t capacity;
  std::uint8_t* bufferEnd;     // past the last valid byte of the window
  std::uint32_t windowPosition;  // stream position of the first byte in the window
  std::uint32_t baseOffset;      // offset of the file's first byte in the catalog (0 on disk)
  std::uint32_t streamPosition;  // position of the underlying stream
  std::uint32_t readPosition;    // bytes of the file consumed
  std::uint32_t fileSize;        // 0: no file open; kBufferedFileUnknownSize: not yet known
  gzFile_s* catalogStream;
  std::FILE* diskFile;
  CatalogEntry* buildEntry;
  std::uint32_t mode;            // the catalog mode word at open
  bool open;                     // a file is open (a file of 0 bytes has size 0 too)
  bool extracting;               // the extraction copy of this file is being written
};

// Opens name for reading through the shared handle (mode is not used; reading
// is binary).  Null when a file is already open, when the file is not in the
// current catalog (reading from catalogs) or not on the disk.
BufferedFile* FileOpen(const char* name, const char* mode);
// Reads up to size x count bytes into buffer (null: skips them); answers the
// number of whole items read (0 when size is 0 or no file is open).
std::size_t FileRead(void* buffer, std::size_t size, std::size_t count, BufferedFile* handle);
// Formatted reading: blanks are skipped before each conversion; "%d" int*,
// "%f" float*, "%s" char* (at most 255 characters and the NUL, or the width
// given, "%63s"; the rest of a longer word is skipped), "%08x" unsigned*.
// Answers 1.
int FileScanf(BufferedFile* handle, const char* format, ...);
// Closes the file (a catalog being built receives the unread rest); answers 0.
int FileClose(BufferedFile* handle);
// Size of the open file in bytes; 0 when none is open.
std::uint32_t FileGetSize(BufferedFile* handle);
// The shared handle (null before CatalogStartup).
BufferedFile* GetBufferedFile();
