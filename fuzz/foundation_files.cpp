// Fuzz targets of the foundation's file readers: catalog directories read
// through the shared handle (with the formatted and keyword readers), the file
// database, ".loc" string tables, BMP images, and the tokenizer.  Each input
// is written to a scratch file and read back the way the engine reads it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/files/bmp_handler.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_database.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/file_parse.h"
#include "foundation/text/keyword_readers.h"
#include "foundation/text/locale_table.h"
#include "platform/win32/message_box.h"
#include "fuzz_scratch.h"

namespace {

// The input as a file of this run's scratch folder.
[[maybe_unused]] const std::string& ScratchPath() {
  static const std::string path = FuzzScratch("foundation").File("input.bin");
  return path;
}

[[maybe_unused]] void WriteScratch(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(ScratchPath().c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  SetMessageBoxEcho(false);
  SetWorkDirectory();
  CatalogStartup();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Setup();
#if defined(HALBERD_FUZZ_FILE_PARSE)
  if (size == 0) return 0;
  CFileParse p(reinterpret_cast<const char*>(data + 1), size - 1, data[0] & 0x1F);
  char token[32];
  for (int n = 0; n < 10000 && !p.AtEnd(); ++n) p.NextToken(token, sizeof token);
  p.Unread();
  p.CountTokens();
  p.SkipToSequence("A", "B", nullptr);
  return 0;
#else
  WriteScratch(data, size);
  const char* path = ScratchPath().c_str();
#endif
#if defined(HALBERD_FUZZ_CATALOG)
  SetCatalogMode(CATALOG_MODE_READ);
  OpenCatalog(0, path, 0, 0);
  // The fuzzer finds directory hashes of these names through its comparisons.
  for (const char* name : {"A", "B", "WEAPS.TXT"}) {
    if (BufferedFile* h = FileOpen(name, "rb")) {
      char buf[4096];
      while (FileRead(buf, 1, sizeof buf, h) == sizeof buf) {
      }
      FileClose(h);
    }
  }
  // Read the whole catalog file as a loose file through the formatted readers.
  SetCatalogMode(0);
  if (BufferedFile* h = FileOpen(path, "rb")) {
    int i;
    float f;
    char s[32];
    unsigned x;
    for (int n = 0; n < 64; ++n) FileScanf(h, "%d %f %31s %08x", &i, &f, s, &x);
    FileReadKeywordString(h, "KEY", s);
    std::uint32_t v;
    FileReadU32(&v, h);
    FileClose(h);
  }
  CloseCatalog();
#elif defined(HALBERD_FUZZ_FILE_DATABASE)
  CFileDatabase db;
  if (db.Read(path)) {
    db.Find("weaps.txt");
    for (int i = 0; i < db.GetCount(); ++i) db.Find(db.GetEntry(i)->name);
  }
#elif defined(HALBERD_FUZZ_LOCALE)
  CLocale loc;
  loc.Load(path);
  loc.LoadLayer(path);
  loc.GetString(1);
  loc.FindIdByName("SECTIONHDR");
  loc.SetLanguage(1);
  loc.GetString(2);
#elif defined(HALBERD_FUZZ_BMP)
  CBmpHandler bmp;
  if (bmp.Load(path, 1, 1, 2)) {
    bmp.Clear();
    CBmpHandler copy;
    if (copy.Create(bmp.GetWidth() > 64 ? 64 : bmp.GetWidth(), 4, 0, nullptr, nullptr, bmp.GetBitsPerPixel(), 1))
      copy.CopyRectangle(bmp, 0, 0, 0, 0, 1, 1);
  }
#endif
  return 0;
}
