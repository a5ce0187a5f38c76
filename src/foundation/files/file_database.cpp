#include "foundation/files/file_database.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/cached_bounds_search.h"
#include "foundation/text/hash.h"
#include "foundation/memory/memory_manager.h"
#include "platform/win32/win_stdio.h"

namespace {

constexpr int kFileDatabaseCategory = 2;

char* CopyString(const char* s, std::size_t n) {
  char* out = MEM_NEW(kFileDatabaseCategory) char[n + 1];
  if (!out) return nullptr;
  if (n) std::memcpy(out, s, n);
  out[n] = 0;
  return out;
}

bool Grow(CFileDatabase& db, std::uint32_t capacity) {
  FileDatabaseEntry* e = MEM_NEW(kFileDatabaseCategory) FileDatabaseEntry[capacity]();
  if (!e) return false;
  if (db.entries) {
    std::copy(db.entries, db.entries + db.count, e);
    MEM_DELETE_ARRAY db.entries;
  }
  db.entries = e;
  db.capacity = capacity;
  return true;
}

}  // namespace

CFileDatabase::~CFileDatabase() { Clear(); }

void CFileDatabase::Clear() {
  for (int i = 0; entries && i < count; ++i) {
    MEM_DELETE_ARRAY entries[i].name;
    MEM_DELETE_ARRAY entries[i].folder;
  }
  if (entries) MEM_DELETE_ARRAY entries;
  entries = nullptr;
  sorted = 0;
  capacity = 0;
  count = 0;
}

int CFileDatabase::Reserve(std::uint32_t n) {
  Clear();
  if (n == 0) return 1;
  return Grow(*this, n) ? 1 : 0;
}

int CFileDatabase::Add(const char* folder, const char* name) {
  if (!folder) folder = "";
  if (!name) name = "";
  std::uint32_t h = HashStringNoCase(name);
  for (int i = 0; i < count; ++i) {
    if (entries[i].hash != h) continue;
    std::printf("Error : Duplicate Hash ID\n");
    std::printf("  %08x : %s : %s\n", h, folder, name);
    std::printf("  =\n");
    std::printf("  %08x : %s : %s\n", entries[i].hash, entries[i].folder, entries[i].name);
  }
  if (static_cast<std::uint32_t>(count) >= capacity && !Grow(*this, capacity ? capacity * 2 : 16)) return -1;
  FileDatabaseEntry& e = entries[count];
  e.hash = h;
  e.folder = CopyString(folder, std::strlen(folder));
  e.name = CopyString(name, std::strlen(name));
  ++count;
  sorted = 0;
  return count;
}

const FileDatabaseEntry* CFileDatabase::GetEntry(int index) const {
  if (index < 0 || index >= count) return nullptr;
  return &entries[index];
}

void CFileDatabase::Sort() {
  if (entries) std::sort(entries, entries + count, [](const FileDatabaseEntry& a, const FileDatabaseEntry& b) { return a.hash < b.hash; });
  sorted = 1;
}

int CFileDatabase::Find(const char* name) {
  if (!name || count <= 0) return -1;
  if (!sorted) Sort();
  std::uint32_t key = HashStringNoCase(name);
  int i = CachedBoundsSearch(entries, count, key, [](const FileDatabaseEntry& e) { return e.hash; });
  if (i < 0) return -1;
  // Different names can share a hash: take the one whose name matches.
  int first = i;
  while (first > 0 && entries[first - 1].hash == key) --first;
  for (int j = first; j < count && entries[j].hash == key; ++j)
    if (entries[j].name && strcasecmp(entries[j].name, name) == 0) return j;
  return -1;
}

int CFileDatabase::Read(const char* fileName) {
  Clear();
  std::FILE* f = WinFopen(fileName, "rb");
  if (!f) return 0;
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);

  ByteReader r(bytes.data(), bytes.size());
  std::uint32_t n = r.U32();
  // Each record holds at least its hash and two lengths.
  if (!r.Ok() || !r.HasRoomFor(n, 12)) {
    std::fprintf(stderr, "file database %s is damaged (count %u)\n", fileName, n);
    return 0;
  }
  if (n && !Reserve(n)) return 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    FileDatabaseEntry& e = entries[i];
    e.hash = r.U32();
    std::uint32_t folderLen = r.U32();
    const std::uint8_t* folder = r.View(folderLen);
    std::uint32_t nameLen = folder ? r.U32() : 0;
    const std::uint8_t* name = r.Ok() ? r.View(nameLen) : nullptr;
    if (!r.Ok() || !folder || !name) {
      std::fprintf(stderr, "file database %s is damaged (record %u)\n", fileName, i);
      count = static_cast<std::int32_t>(i);
      Clear();
      return 0;
    }
    e.folder = CopyString(reinterpret_cast<const char*>(folder), folderLen);
    e.name = CopyString(reinterpret_cast<const char*>(name), nameLen);
    count = static_cast<std::int32_t>(i + 1);
  }
  sorted = 0;
  return 1;
}

int CFileDatabase::Write(const char* fileName) const {
  ByteWriter w;
  w.U32(static_cast<std::uint32_t>(count));
  for (int i = 0; i < count; ++i) {
    const FileDatabaseEntry& e = entries[i];
    std::uint32_t fl = e.folder ? static_cast<std::uint32_t>(std::strlen(e.folder)) : 0;
    std::uint32_t nl = e.name ? static_cast<std::uint32_t>(std::strlen(e.name)) : 0;
    w.U32(e.hash);
    w.U32(fl);
    w.Bytes(e.folder, fl);
    w.U32(nl);
    w.Bytes(e.name, nl);
  }
  std::FILE* f = WinFopen(fileName, "wb");
  if (!f) return 0;
  bool ok = std::fwrite(w.Data().data(), 1, w.Size(), f) == w.Size();
  if (std::fclose(f) != 0) ok = false;
  return ok ? 1 : 0;
}
