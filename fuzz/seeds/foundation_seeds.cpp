// Seeds of the foundation's readers, written through the engine's own
// writers where it has one: a catalog built the way the game builds one
// (plain and compressed), a file database, ".loc" string tables, BMP images,
// texts for the tokenizer and the scanner, and a registry file.
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/files/bmp_handler.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_database.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_fixture.h"
#include "platform/win32/message_box.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_store.h"
#include "seed_writer.h"

namespace fs = std::filesystem;

namespace {

const char kWeapons[] =
    "KEY Rifle\r\n12 0.75 barrel 0000ff10\r\n-3 1.5e2 stock 00000001\r\n"
    "KEY Pistol\r\n7 0.25 grip deadbeef\r\n";

// The names the catalog target looks up.
void WriteCatalogs() {
  std::FILE* f = std::fopen("A", "wb");
  std::fputs("alpha 1 2.5\r\n", f);
  std::fclose(f);
  f = std::fopen("B", "wb");
  for (int i = 0; i < 300; ++i) std::fputc(i & 0xFF, f);
  std::fclose(f);
  f = std::fopen("WEAPS.TXT", "wb");
  std::fputs(kWeapons, f);
  std::fclose(f);

  SetCatalogMode(CATALOG_MODE_BUILD);
  CatalogStartup();
  OpenCatalog(0, "built.cat", 0, 0);
  for (const char* name : {"A", "B", "WEAPS.TXT"}) {
    if (BufferedFile* h = FileOpen(name, "rb")) FileClose(h);
  }
  CloseCatalog();
  CatalogShutdown();
  SetCatalogMode(0);

  const std::vector<std::uint8_t> built = seeds::ReadFile("built.cat");
  seeds::Write("foundation_catalog", "built.cat", built);
  gzFile gz = gzopen("built.cat.gz", "wb");
  gzwrite(gz, built.data(), static_cast<unsigned>(built.size()));
  gzclose(gz);
  seeds::Write("foundation_catalog", "built.cat.gz", seeds::ReadFile("built.cat.gz"));
}

void WriteFileDatabase() {
  CFileDatabase db;
  db.Add("data\\missions\\m1\\", "weaps.txt");
  db.Add("data\\maps\\", "Level1.lvl");
  db.Add("", "GenStrs.loc");
  db.Sort();
  db.Write("files.db");
  seeds::Write("foundation_file_database", "files.db", seeds::ReadFile("files.db"));
}

void WriteStringTables() {
  seeds::Write("foundation_locale", "base.loc", LocBytes(LocBase()));
  seeds::Write("foundation_locale", "layer.loc", LocBytes(LocLayer()));
  LocFile help = LocBase();
  help.strings.push_back({4, 0, "SECTIONHDR", "Help"});
  help.strings.push_back({4, 1, "SECTIONHDR", "Aide"});
  seeds::Write("foundation_locale", "help.loc", LocBytes(help));
}

void WriteBitmaps() {
  for (int bits : {8, 24}) {
    CBmpHandler bmp;
    std::vector<std::uint8_t> pixels(64 * 4, 0);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
    if (!bmp.Create(6, 5, 0, pixels.data(), nullptr, bits, 0)) continue;
    const std::string name = "image" + std::to_string(bits) + ".bmp";
    if (bmp.Save(name.c_str())) seeds::Write("foundation_bmp", name, seeds::ReadFile(name));
  }
}

void WriteTexts() {
  // The tokenizer's first byte holds its flags.
  const std::string texts[] = {
      std::string(kWeapons),
      "// comment\r\nName \"Quoted text\" 12, 13.5; A B\r\n{ nested ( list ) }\r\n",
      "Version 3 2\r\nMud 00000000 FF112233 0.75 32 1024 1 2 3 4 5 6 7 8 9 10\r\n",
  };
  int n = 0;
  for (const std::string& t : texts) {
    for (char flags : {'\0', '\x05', '\x1F'})
      seeds::Write("foundation_file_parse", "text" + std::to_string(n++), std::string(1, flags) + t);
    seeds::Write("foundation_scanner", "text" + std::to_string(n++), t);
  }
  seeds::Write("foundation_scanner", "numbers", std::string("12 3.5 word 0000ffff\n1,2\nname, 2.5\nabcd 7\n1 2 3\n"));
}

void WriteRegistry() {
  RegistryStore store;
  RegistryKeyEntry& key = AddRegistryKey(store, "HKCU", "Software\\Maker\\Game\\Settings");
  key.values["width"] = RegistryValue{"Width", REG_DWORD, {0x00, 0x04, 0, 0}};
  key.values["player"] = RegistryValue{"Player", REG_SZ, {'A', 'n', 'n', 'a', 0}};
  key.values["blob"] = RegistryValue{"Blob", 3, {1, 2, 3, 0xFF}};
  AddRegistryKey(store, "HKLM", "Software\\Maker\\Game");
  seeds::Write("platform_registry", "registry.txt", SerializeRegistry(store));
}

}  // namespace

int main(int argc, char** argv) {
  if (!seeds::Start(argc, argv)) return 2;
  SetMessageBoxEcho(false);
  // The engine's writers work in the current folder: a scratch one.
  const fs::path scratch = seeds::Root() / "foundation_scratch";
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  const fs::path previous = fs::current_path();
  fs::current_path(scratch);
  SetWorkDirectory();
  WriteCatalogs();
  WriteFileDatabase();
  WriteStringTables();
  WriteBitmaps();
  WriteTexts();
  WriteRegistry();
  fs::current_path(previous);
  fs::remove_all(scratch);
  return 0;
}
