#include "foundation/files/buffered_file.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "foundation/files/catalog_state.h"
#include "platform/win32/win_directory.h"
#include "platform/win32/win_stdio.h"

using namespace catalog_state;

namespace {

// Where the extraction copy of the open file goes ("leveldata\folders\name").
std::string g_extractPath;

const char* BaseName(const char* name) {
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  return base;
}

// Look-up from the last hit, wrapping, at most entry-count comparisons.  On a
// hit the last hit moves past the found entry, so files read in directory
// order are found at the first comparison.
CatalogEntry* FindEntry(CCatalog& c, std::uint32_t hash) {
  if (c.entryCount == 0) return nullptr;
  CatalogEntry* first = c.directory;
  CatalogEntry* end = c.directory + c.entryCount;
  CatalogEntry* e = (c.lastHit >= first && c.lastHit < end) ? c.lastHit : first;
  for (std::uint32_t n = 0; n < c.entryCount; ++n) {
    if (e->hash == hash) {
      c.lastHit = e + 1;
      return e;
    }
    if (++e == end) e = first;
  }
  return nullptr;
}

// The entry a file being read from the disk is built into; null when the file
// is already in the catalog (reuse) or the directory is full.
CatalogEntry* FindOrAddBuildEntry(std::uint32_t hash, const char* name) {
  CCatalog* c = g_current;
  if (!c || !g_buildable[g_currentId]) return nullptr;
  if (c->reuseExistingEntries) {
    for (std::uint32_t i = 0; i < c->entryCount; ++i) {
      if (c->directory[i].hash == hash) {
        g_mode |= CATALOG_MODE_IN_CATALOG;
        return &c->directory[i];
      }
    }
  }
  if (g_currentId == 2) std::printf("Creating new entry in character catalog! [%s]\n", name);
  if (c->entryCount >= kCatalogEntryCount) {
    std::fprintf(stderr, "catalog [%s] is full: %s is not added\n", c->path, name);
    return nullptr;
  }
  CatalogEntry* e = &c->directory[c->entryCount++];
  *e = CatalogEntry{hash, kCatalogDataStart + c->dataSize, 0};
  c->dirty = 1;
  return e;
}

// The extraction path of a name: "leveldata" + the folders after "\data\"
// (else all of them, without a drive) + the name.  Empty and ".." folders are
// dropped so that the copy never leaves "leveldata".
void ExtractionParts(const char* name, std::string& folders, std::string& file) {
  std::string s(name);
  std::string lower(s);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch == '/' ? '\\' : ch)));
  std::size_t at = lower.find("\\data\\");
  std::string rest = at != std::string::npos ? s.substr(at + 6) : s;
  if (rest.size() >= 2 && rest[1] == ':') rest.erase(0, 2);
  folders.clear();
  file.clear();
  std::string part;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    char ch = i < rest.size() ? rest[i] : 0;
    if (ch == '\\' || ch == '/' || ch == 0) {
      if (ch == 0) {
        file = part;
      } else if (!part.empty() && part != "." && part != "..") {
        folders += (folders.empty() ? "" : "\\") + part;
      }
      part.clear();
    } else {
      part += ch;
    }
  }
}

void StartExtraction(BufferedFile* h, const char* name) {
  std::string folders, file;
  ExtractionParts(name, folders, file);
  h->extracting = false;
  if (file.empty() || file == "." || file == "..") return;
  std::string dir = "leveldata" + (folders.empty() ? "" : "\\" + folders);
  g_extractPath = dir + "\\" + file;
  std::FILE* f = WinFopen(g_extractPath.c_str(), "wb");
  if (!f) {
    // Create "leveldata" and each folder below it, then try once more.
    BOOL made = FALSE;
    for (std::size_t i = 0; i <= dir.size(); ++i)
      if (i == dir.size() || dir[i] == '\\') made = CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
    f = WinFopen(g_extractPath.c_str(), "wb");
    if (!f && !made) return;
  }
  if (!f) return;
  std::fclose(f);
  h->extracting = true;
}

void AppendExtraction(const std::uint8_t* data, std::size_t n) {
  std::FILE* f = WinFopen(g_extractPath.c_str(), "rb+");
  if (!f) return;
  std::fseek(f, 0, SEEK_END);
  std::fwrite(data, 1, n, f);
  std::fclose(f);
}

void AppendToBuiltCatalog(BufferedFile* h, const std::uint8_t* data, std::size_t n) {
  if (!g_current || !h->buildEntry || n == 0) return;
  std::FILE* f = WinFopen(g_current->path, "ab+");
  if (!f) return;
  std::size_t wrote = std::fwrite(data, 1, n, f);
  std::fclose(f);
  g_current->dataSize += static_cast<std::uint32_t>(wrote);
  h->buildEntry->size += static_cast<std::uint32_t>(wrote);
}

// Fills the window from stream position p; answers the bytes read (0 at the end).
std::size_t Refill(BufferedFile* h, std::uint32_t p) {
  std::size_t n = 0;
  if (h->catalogStream) {
    // A stream that met damage further on (a bad trailer) still serves the
    // files before it: the error is cleared before the seek back.
    if (h->streamPosition != p) gzclearerr(h->catalogStream);
    if (h->streamPosition != p && gzseek(h->catalogStream, static_cast<z_off_t>(p), SEEK_SET) != static_cast<z_off_t>(p)) {
      h->streamPosition = 0xFFFFFFFFu;
      return 0;
    }
    int got = gzread(h->catalogStream, h->bufferStart, h->capacity);
    n = got > 0 ? static_cast<std::size_t>(got) : 0;
  } else if (h->diskFile) {
    if (h->streamPosition != p && std::fseek(h->diskFile, static_cast<long>(p), SEEK_SET) != 0) {
      h->streamPosition = 0xFFFFFFFFu;
      return 0;
    }
    n = std::fread(h->bufferStart, 1, h->capacity, h->diskFile);
  } else {
    return 0;
  }
  h->windowPosition = p;
  h->bufferEnd = h->bufferStart + n;
  h->streamPosition = p + static_cast<std::uint32_t>(n);
  if (h->diskFile && Building()) AppendToBuiltCatalog(h, h->bufferStart, n);
  if (h->extracting && n) AppendExtraction(h->bufferStart, n);
  return n;
}

}  // namespace

BufferedFile* GetBufferedFile() { return g_file; }

BufferedFile* FileOpen(const char* name, const char*) {
  BufferedFile* h = g_file;
  if (!h || !name || h->open) return nullptr;
  std::size_t len = std::min<std::size_t>(std::strlen(name), sizeof h->name - 1);
  for (std::size_t i = 0; i < len; ++i) h->name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  h->name[len] = 0;
  g_mode &= ~CATALOG_MODE_IN_CATALOG;
  h->mode = g_mode;
  // The scanner's look-ahead belongs to the file it was read from.
  g_scanLookahead = ' ';
  std::uint32_t hash = CatalogNameHash(h->name);

  if (ReadingFromCatalogs()) {
    if (!g_current || !g_current->stream) return nullptr;
    CatalogEntry* e = FindEntry(*g_current, hash);
    if (!e) return nullptr;
    // A damaged directory entry must not point into the directory nor past
    // the catalog's end, so that its size can be trusted by whoever loads it.
    if (e->offset < kCatalogDataStart || !CatalogHolds(*g_current, static_cast<std::uint64_t>(e->offset) + e->size)) {
      std::fprintf(stderr, "catalog [%s]: damaged entry for %s\n", g_current->path, BaseName(h->name));
      return nullptr;
    }
    if (h->catalogStream != g_current->stream || h->diskFile) ResetFileBuffer();
    h->catalogStream = g_current->stream;
    h->diskFile = nullptr;
    h->baseOffset = e->offset;
    h->readPosition = 0;
    h->fileSize = e->size;
    h->buildEntry = nullptr;
    h->extracting = false;
    h->open = true;
    return h;
  }

  std::FILE* f = WinFopen(name, "rb");
  if (!f) return nullptr;
  ResetFileBuffer();
  h->catalogStream = nullptr;
  h->diskFile = f;
  h->streamPosition = 0;
  h->baseOffset = 0;
  h->readPosition = 0;
  h->fileSize = kBufferedFileUnknownSize;
  h->buildEntry = nullptr;
  h->extracting = false;
  h->open = true;
  if (g_mode & CATALOG_MODE_EXTRACT) StartExtraction(h, name);
  if (Building()) h->buildEntry = FindOrAddBuildEntry(hash, h->name);
  if (g_mode & CATALOG_MODE_LOG) {
    std::string folder(h->name, static_cast<std::size_t>(BaseName(h->name) - h->name));
    AppendCataLog("file:[%s] source:[%s] use:[%s] size:[%d] hash:[%x]\n", BaseName(h->name), folder.c_str(),
                  "unknown_use", static_cast<int>(FileGetSize(h)), hash);
  }
  return h;
}

std::size_t FileRead(void* buffer, std::size_t size, std::size_t count, BufferedFile* h) {
  if (!h || !h->open || size == 0 || count == 0) return 0;
  std::size_t total = count > SIZE_MAX / size ? SIZE_MAX : size * count;
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < total) {
    std::uint32_t remain = h->fileSize - h->readPosition;
    if (remain == 0) break;
    std::uint32_t pos = h->baseOffset + h->readPosition;
    std::size_t window = static_cast<std::size_t>(h->bufferEnd - h->bufferStart);
    if (pos >= h->windowPosition && pos - h->windowPosition < window) {
      std::size_t at = pos - h->windowPosition;
      std::size_t step = std::min<std::size_t>({remain, total - done, window - at});
      if (out) std::memcpy(out + done, h->bufferStart + at, step);
      h->readPosition += static_cast<std::uint32_t>(step);
      done += step;
    } else if (Refill(h, pos) == 0) {
      break;
    }
  }
  return done / size;
}

int FileClose(BufferedFile* h) {
  if (!h || !h->open) return 0;
  if (ReadingFromCatalogs() || (h->diskFile && Building() && h->buildEntry)) {
    while (FileRead(nullptr, 1, h->capacity, h) != 0) {
    }
  }
  if (h->diskFile) {
    std::fclose(h->diskFile);
    h->diskFile = nullptr;
    ResetFileBuffer();
  }
  g_mode &= ~CATALOG_MODE_IN_CATALOG;
  h->readPosition = 0;
  h->fileSize = 0;
  h->buildEntry = nullptr;
  h->extracting = false;
  h->open = false;
  return 0;
}

std::uint32_t FileGetSize(BufferedFile* h) {
  if (!h || !h->open) return 0;
  if (h->fileSize == kBufferedFileUnknownSize && h->diskFile) {
    std::fseek(h->diskFile, 0, SEEK_END);
    long end = std::ftell(h->diskFile);
    h->fileSize = end < 0 ? 0 : static_cast<std::uint32_t>(std::min<long>(end, kBufferedFileUnknownSize - 1));
    // Put the stream back where the window expects it, so a size asked in the
    // middle of a read does not move the next refill.
    if (h->streamPosition == 0xFFFFFFFFu) h->streamPosition = 0;
    std::fseek(h->diskFile, static_cast<long>(h->streamPosition), SEEK_SET);
  }
  return h->fileSize;
}
