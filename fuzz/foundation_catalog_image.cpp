// The catalog's directory and entry checks with small inputs: the input
// describes a catalog (a few entries and their data), the target lays out
// the whole image (the 1504-entry directory, its block, the data) and reads
// it back through the shared file handle, plain or gzip-compressed, with an
// honest or a false gzip trailer.  Every file the handle opens must lie
// inside the image and give exactly its bytes; every entry that lies inside
// must open.
//
// Input: byte 0 flags (1 gzip, 2 a false trailer length from bytes 1-4,
// 4 close the catalog while a file is open, 8 reopen the catalog after it
// was closed), bytes 1-4 the trailer length, byte 5 the entry count (at most
// 8), then per entry its offset from the data start (i32) and size (u32),
// then the data.  Entry k is named kNames[k].
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "fuzz_scratch.h"
#include "fuzz_seed_file.h"

namespace {

const char* const kNames[] = {"A.TXT", "B.BIN", "WEAPS.TXT", "LEVEL.ENV", "E", "F.DAT", "G.DAT", "H.DAT"};
constexpr std::size_t kMaxEntries = std::size(kNames);
constexpr std::size_t kHead = 6;
constexpr std::size_t kEntryBytes = 8;

enum Flags : std::uint8_t { kGzip = 1, kFalseTrailer = 2, kCloseWhileOpen = 4, kReopen = 8 };

struct Entry {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// The description as the catalog image it stands for, with its entries.
std::string Image(const std::uint8_t* data, std::size_t size, std::vector<Entry>* entries) {
  ByteReader in(data, size);
  in.Skip(kHead - 1);
  const std::size_t count = std::min<std::size_t>(in.U8(), kMaxEntries);
  ByteWriter dir;
  for (std::size_t k = 0; k < count && in.Remaining() >= kEntryBytes; ++k) {
    Entry e;
    e.offset = kCatalogDataStart + static_cast<std::uint32_t>(static_cast<std::int32_t>(in.U32()));
    e.size = in.U32();
    entries->push_back(e);
    dir.U32(CatalogNameHash(kNames[k]));
    dir.U32(e.offset);
    dir.U32(e.size);
  }
  while (dir.Size() < kCatalogDirectoryBytes) dir.U8(0);
  std::string image(reinterpret_cast<const char*>(dir.Data().data()), dir.Size());
  image += image.substr(0, kCatalogBlockBytes);
  const std::size_t at = in.Position();
  image.append(reinterpret_cast<const char*>(data) + at, size - at);
  return image;
}

std::string Gzip(const std::string& bytes, const std::string& path) {
  gzFile gz = gzopen(path.c_str(), "wb1");
  if (gz == nullptr) return {};
  if (!bytes.empty()) gzwrite(gz, bytes.data(), static_cast<unsigned>(bytes.size()));
  gzclose(gz);
  std::string out;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    std::fclose(f);
  }
  return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

std::string ReadAll(BufferedFile* h) {
  std::string out;
  char buf[1000];
  for (std::size_t n; (n = FileRead(buf, 1, sizeof buf, h)) > 0;) out.append(buf, n);
  return out;
}

// Descriptions of a few catalogs: sound ones, plain and compressed, and ones
// with entries in the directory, past the end and at its edge.
void WriteSeeds(const std::string& folder) {
  struct Seed {
    const char* name;
    std::uint8_t flags;
    std::vector<std::pair<std::int32_t, std::uint32_t>> entries;
    std::size_t dataBytes;
  } seeds[] = {
      {"plain", 0, {{0, 10}, {10, 300}, {310, 0}, {310, 40}}, 350},
      {"gzip", kGzip, {{0, 10}, {10, 300}, {310, 40}}, 350},
      {"edges", 0, {{-12, 10}, {0, 351}, {340, 10}, {349, 2}, {-18432, 5}}, 350},
      {"false_trailer", kGzip | kFalseTrailer, {{0, 100}, {100, 5000}}, 5100},
      {"closed_while_open", kCloseWhileOpen | kReopen, {{0, 2000}, {2000, 10}}, 2010},
  };
  for (const Seed& s : seeds) {
    ByteWriter w;
    w.U8(s.flags);
    w.U32(static_cast<std::uint32_t>(kCatalogDataStart + s.dataBytes + 64));
    w.U8(static_cast<std::uint8_t>(s.entries.size()));
    for (const auto& [offset, size] : s.entries) {
      w.U32(static_cast<std::uint32_t>(offset));
      w.U32(size);
    }
    for (std::size_t i = 0; i < s.dataBytes; ++i) w.U8(static_cast<std::uint8_t>(i * 7 + i / 256));
    WriteSeedFile(folder + "/" + s.name + ".bin", w.Data());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeeds(folder);
    std::exit(0);
  }
  SetWorkDirectory();
  CatalogStartup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHead) return 0;
  const std::uint8_t flags = data[0];
  std::vector<Entry> entries;
  const std::string image = Image(data, size, &entries);
  const std::string path = FuzzScratch("catalog_image").File("image.cat");
  std::string file = image;
  if (flags & kGzip) {
    file = Gzip(image, path);
    if (file.size() < 8) return 0;
    if (flags & kFalseTrailer) file.replace(file.size() - 4, 4, reinterpret_cast<const char*>(data) + 1, 4);
  }
  WriteFile(path, file);
  const bool honest = !(flags & kGzip) || !(flags & kFalseTrailer) ||
                      ByteReader(data + 1, 4).U32() == static_cast<std::uint32_t>(image.size());

  SetCatalogMode(CATALOG_MODE_READ);
  if (OpenCatalog(0, path.c_str(), 0, 0) != 1) {
    // Only a false trailer may spoil the directory's read.
    if (honest) __builtin_trap();
    CloseCatalog();
    return 0;
  }
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const Entry& e = entries[k];
    const bool inside = e.offset >= kCatalogDataStart && std::uint64_t{e.offset} + e.size <= image.size();
    BufferedFile* h = FileOpen(kNames[k], "rb");
    if (h == nullptr) {
      if (inside && honest) __builtin_trap();
      continue;
    }
    if (!inside && honest) __builtin_trap();
    if (FileGetSize(h) != e.size) __builtin_trap();
    const std::string got = ReadAll(h);
    FileClose(h);
    // What was read is the entry's bytes (all of them, unless the trailer lied).
    if (got.size() > e.size) __builtin_trap();
    if (!got.empty() && (std::uint64_t{e.offset} + got.size() > image.size() ||
                         image.compare(e.offset, got.size(), got) != 0))
      __builtin_trap();
    if (honest && got.size() != e.size) __builtin_trap();
  }
  if (!entries.empty()) {
    char* loaded = nullptr;
    std::uint32_t bytes = 0;
    if (LoadFile(kNames[0], &loaded, &bytes, nullptr, 0)) {
      if (bytes != entries[0].size || image.compare(entries[0].offset, bytes, loaded, bytes) != 0) __builtin_trap();
      FreeLoadedFile(loaded);
    }
  }
  if ((flags & kCloseWhileOpen) && !entries.empty()) {
    BufferedFile* h = FileOpen(kNames[0], "rb");
    char head[16];
    if (h != nullptr) FileRead(head, 1, sizeof head, h);
    CloseCatalog();
    // A file left open reads nothing once its catalog is closed.
    if (h != nullptr && FileRead(head, 1, sizeof head, h) != 0) __builtin_trap();
    if (h != nullptr) FileClose(h);
    if (flags & kReopen) {
      ReopenCatalog(0);
      if (BufferedFile* again = FileOpen(kNames[0], "rb")) {
        if (ReadAll(again).size() > entries[0].size) __builtin_trap();
        FileClose(again);
      }
    }
  }
  CloseCatalog();
  SetCatalogMode(0);
  return 0;
}
