// make_strings: the game's localised string tables.
//
//   make_strings <source.txt> <table.loc>...   (pairs)
//
// Each source ("<hex id> <name> <text>" lines, UTF-8) becomes a ".loc" file;
// every file is then read back through the game's own string table and each
// id checked against its source.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_table.h"
#include "make_strings/string_table.h"

namespace {

bool ReadText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Narrows a UTF-8 text as the table's reader narrows its 16-bit characters.
std::string Narrowed(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < utf8.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    if (code >= 0x10000) out += static_cast<char>((0xD800 + ((code - 0x10000) >> 10)) & 0xFF);
    out += static_cast<char>(code >= 0x10000 ? (0xDC00 + ((code - 0x10000) & 0x3FF)) & 0xFF : code & 0xFF);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

int Make(const std::string& sourcePath, const std::string& outPath) {
  std::string source, error;
  std::vector<SourceString> strings;
  std::vector<std::uint8_t> bytes;
  if (!ReadText(sourcePath, &source)) {
    std::fprintf(stderr, "make_strings: cannot read %s\n", sourcePath.c_str());
    return 1;
  }
  if (!ReadStringSource(source, &strings, &error) || !WriteLocBytes(strings, kGameStringSetValue, &bytes, &error)) {
    std::fprintf(stderr, "make_strings: %s: %s\n", sourcePath.c_str(), error.c_str());
    return 1;
  }
  {
    std::ofstream out(outPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "make_strings: cannot write %s\n", outPath.c_str());
      return 1;
    }
  }
  CLocale check;
  if (!check.Load(outPath.c_str())) {
    std::fprintf(stderr, "make_strings: %s does not read back\n", outPath.c_str());
    return 1;
  }
  for (const SourceString& s : strings) {
    const char* text = check.GetString(s.id);
    if (text == nullptr || Narrowed(s.text) != text) {
      std::fprintf(stderr, "make_strings: %s: id 0x%08X reads back wrong\n", outPath.c_str(), s.id);
      return 1;
    }
  }
  std::printf("make_strings: %s with %zu strings\n", outPath.c_str(), strings.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (argc - 1) % 2 != 0) {
    std::fprintf(stderr, "usage: make_strings <source.txt> <table.loc> ...\n");
    return 2;
  }
  // The check reads through the game's file layer, from the disk.
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  if (!CatalogStartup()) return 1;
  int result = 0;
  for (int i = 1; i + 1 < argc && result == 0; i += 2) result = Make(argv[i], argv[i + 1]);
  CatalogShutdown();
  return result;
}
