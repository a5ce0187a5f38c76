#include "foundation/text/locale_table.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/cached_bounds_search.h"
#include "foundation/text/hash.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"

namespace {

constexpr int kLocaleCategory = 6;

char* CopyText(const std::string& s) {
  char* out = MEM_NEW(kLocaleCategory) char[s.size() + 1];
  std::memcpy(out, s.c_str(), s.size() + 1);
  return out;
}

void FreeLanguages(LocaleLanguage*& table, std::uint32_t count) {
  if (!table) return;
  for (std::uint32_t i = 0; i < count; ++i) MEM_DELETE_ARRAY table[i].name;
  MEM_DELETE_ARRAY table;
  table = nullptr;
}

void FreeStrings(LocaleString*& table, std::uint32_t count) {
  if (!table) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    MEM_DELETE_ARRAY table[i].text;
    MEM_DELETE_ARRAY table[i].name;
  }
  MEM_DELETE_ARRAY table;
  table = nullptr;
}

// Offset of the first occurrence of a four-byte tag, or -1.
long FindTag(const std::uint8_t* data, std::size_t size, const char* tag) {
  for (std::size_t i = 0; i + 4 <= size; ++i)
    if (std::memcmp(data + i, tag, 4) == 0) return static_cast<long>(i);
  return -1;
}

// A NUL-terminated 8-bit string; false when it runs past the reader's end.
bool ReadString8(ByteReader& r, std::string& out) {
  out.clear();
  for (;;) {
    if (!r.HasRoom(1)) return false;
    char c = static_cast<char>(r.U8());
    if (c == 0) return true;
    out += c;
  }
}

// A 16-bit string ending in a 16-bit 0, narrowed to its low bytes.
bool ReadString16(ByteReader& r, std::string& out) {
  out.clear();
  for (;;) {
    if (!r.HasRoom(2)) return false;
    std::uint16_t c = r.U16();
    if (c == 0) return true;
    out += static_cast<char>(c & 0xFF);
  }
}

struct ParsedLanguage {
  std::uint32_t code;
  std::string name;
};

struct ParsedString {
  std::uint32_t id;
  std::string text, name;
};

}  // namespace

CLocale::CLocale(const char* fileName) { Load(fileName); }

CLocale::~CLocale() { Clear(); }

void CLocale::Clear() {
  FreeStrings(strings, stringCount);
  for (LocaleLayer& l : layers) {
    if (l.fileName) MEM_DELETE_ARRAY l.fileName;
    l.fileName = nullptr;
    FreeLanguages(l.languages, languageCount);
  }
  stringCount = baseStringCount = 0;
  layerCount = 0;
  languageCount = 0;
  fileSetValue = 0;
  sorted = false;
  layering = false;
}

int CLocale::Load(const char* fileName) { return LoadFile(fileName, false, currentLanguage); }

int CLocale::LoadLayer(const char* fileName) { return LoadFile(fileName, layerCount > 0, currentLanguage); }

int CLocale::LoadFile(const char* fileName, bool layer, std::uint32_t code) {
  if (layer && layerCount >= kLocaleMaxLayers) return 0;

  char* data = nullptr;
  std::uint32_t size = 0;
  if (!fileName || !::LoadFile(fileName, &data, &size, nullptr, kLocaleCategory)) return 0;
  std::vector<std::uint8_t> bytes(data, data + size);
  FreeLoadedFile(data);
  const std::uint8_t* p = bytes.data();

  // Container: "SLOC" first, the first "SEND" last.
  if (size < 20 || std::memcmp(p, "SLOC", 4) != 0 || FindTag(p, size, "SEND") != static_cast<long>(size) - 4) return 0;
  ByteReader header(p, size);
  header.Skip(4);
  std::uint32_t setValue = header.U32();
  std::uint32_t languages = header.U32();
  std::uint32_t fileStrings = header.U32();
  if (layer && (setValue != fileSetValue || languages != languageCount)) return 0;

  long lang = FindTag(p, size, "LANG"), lend = FindTag(p, size, "LEND");
  if (lang < 0 || lend < 0 || lend < lang + 4) return 0;
  ByteReader langs(p + lang + 4, static_cast<std::size_t>(lend - lang - 4));
  if (!langs.HasRoomFor(languages, 5)) return 0;
  std::vector<ParsedLanguage> table(languages);
  for (ParsedLanguage& l : table) {
    l.code = langs.U32();
    if (!langs.Ok() || !ReadString8(langs, l.name)) return 0;
  }

  // A layer must carry every language of the base, and the language to build
  // is found in it by name.
  std::uint32_t fileCode = code;
  if (layer) {
    const LocaleLanguage* base = layers[0].languages;
    for (std::uint32_t i = 0; i < languageCount; ++i) {
      bool found = std::any_of(table.begin(), table.end(), [&](const ParsedLanguage& l) { return l.name == base[i].name; });
      if (!found) return 0;
    }
    const char* name = GetLanguageName(code);
    if (!name) return 0;
    auto it = std::find_if(table.begin(), table.end(), [&](const ParsedLanguage& l) { return l.name == name; });
    fileCode = it->code;
  }

  long strn = FindTag(p, size, "STRN");
  long send = static_cast<long>(size) - 4;
  if (strn < 0 || strn + 4 > send) return 0;
  ByteReader records(p + strn + 4, static_cast<std::size_t>(send - strn - 4));
  // A record holds at least an id, a language and two empty strings.
  if (!records.HasRoomFor(fileStrings, 12)) return 0;
  std::vector<ParsedString> parsed;
  while (records.Remaining() > 0) {
    ParsedString s;
    s.id = records.U32();
    std::uint32_t language = records.U32();
    if (!records.Ok() || !ReadString16(records, s.name) || !ReadString16(records, s.text)) return 0;
    if (language != fileCode) continue;
    if (parsed.size() >= fileStrings) break;  // more than the file announced
    parsed.push_back(std::move(s));
  }

  // Everything checked: apply.  A base replaces everything only now, so that
  // a base that cannot be read keeps the table loaded before.
  if (layer) {
    ++layerCount;
  } else {
    Clear();
    layerCount = 1;
    fileSetValue = setValue;
    languageCount = languages;
  }
  LocaleLayer& slot = layers[layerCount - 1];
  if (slot.fileName) MEM_DELETE_ARRAY slot.fileName;
  slot.fileName = CopyText(fileName);
  FreeLanguages(slot.languages, languageCount);
  slot.languages = MEM_NEW(kLocaleCategory) LocaleLanguage[languageCount ? languageCount : 1]();
  for (std::uint32_t i = 0; i < languageCount; ++i) slot.languages[i] = LocaleLanguage{table[i].code, CopyText(table[i].name)};

  baseStringCount = layer ? stringCount : 0;
  std::uint32_t kept = layer ? stringCount : 0;
  std::uint32_t total = static_cast<std::uint32_t>(parsed.size()) + kept;
  LocaleString* next = MEM_NEW(kLocaleCategory) LocaleString[total ? total : 1]();
  for (std::size_t i = 0; i < parsed.size(); ++i) next[i] = LocaleString{parsed[i].id, CopyText(parsed[i].text), CopyText(parsed[i].name)};
  // The entries of earlier files follow the new ones.
  for (std::uint32_t i = 0; i < kept; ++i) next[parsed.size() + i] = strings[i];
  if (strings) MEM_DELETE_ARRAY strings;
  strings = next;
  stringCount = total;
  sorted = false;
  return 1;
}

void CLocale::KeepLayerName(const char* fileName) {
  if (layerCount >= kLocaleMaxLayers) return;
  LocaleLayer& slot = layers[layerCount++];
  if (slot.fileName) MEM_DELETE_ARRAY slot.fileName;
  slot.fileName = CopyText(fileName);
  FreeLanguages(slot.languages, languageCount);
}

int CLocale::SetLanguage(std::uint32_t code) {
  std::vector<std::string> names;
  for (std::uint32_t i = 0; i < layerCount; ++i) names.emplace_back(layers[i].fileName ? layers[i].fileName : "");
  if (names.empty()) return 0;
  // A base that cannot be read now leaves the table and its layers as they are.
  if (!LoadFile(names[0].c_str(), false, code)) return 0;
  int ok = 1;
  layering = true;
  for (std::size_t i = 1; i < names.size(); ++i) {
    if (LoadFile(names[i].c_str(), true, code)) continue;
    // The layer adds nothing for this language but stays listed, so that a
    // later call (another language, the file readable again) rebuilds it.
    KeepLayerName(names[i].c_str());
    ok = 0;
  }
  layering = false;
  return ok;
}

const char* CLocale::GetString(std::uint32_t id) {
  if (!strings || stringCount == 0) return nullptr;
  if (!sorted) {
    // Stable, so that among equal ids the latest file's entry stays first.
    std::stable_sort(strings, strings + stringCount, [](const LocaleString& a, const LocaleString& b) { return a.id < b.id; });
    sorted = true;
  }
  int i = CachedBoundsSearch(strings, static_cast<int>(stringCount), id, [](const LocaleString& s) { return s.id; });
  if (i < 0) return nullptr;
  while (i > 0 && strings[i - 1].id == id) --i;
  return strings[i].text;
}

const char* CLocale::FindTextByNameHash(std::uint32_t hash) const {
  for (std::uint32_t i = 0; i < stringCount; ++i)
    if (HashString(strings[i].name) == hash) return strings[i].text;
  return nullptr;
}

std::int64_t CLocale::FindIdByName(const char* name) const {
  if (!name) return -1;
  for (std::uint32_t i = 0; i < stringCount; ++i)
    if (std::strcmp(strings[i].name, name) == 0) return strings[i].id;
  return -1;
}

const char* CLocale::GetLanguageName(std::uint32_t code) const {
  if (layerCount == 0 || !layers[0].languages) return nullptr;
  for (std::uint32_t i = 0; i < languageCount; ++i)
    if (layers[0].languages[i].code == code) return layers[0].languages[i].name;
  return nullptr;
}

std::uint32_t CLocale::GetLanguageCodeByName(const char* text) const {
  if (!text || layerCount == 0 || !layers[0].languages) return 0;
  std::size_t n = std::strlen(text);
  for (std::uint32_t i = 0; i < languageCount; ++i)
    if (std::strncmp(layers[0].languages[i].name, text, n) == 0) return layers[0].languages[i].code;
  return 0;
}

CLocale* g_Locale = nullptr;
