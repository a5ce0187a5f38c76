// ".loc" string table files built in code, for the string table tests and
// the fuzz seeds: a base of three ids in English and French, and a layer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/byte_reader.h"

struct LocString {
  std::uint32_t id, language;
  std::string name, text;
};

struct LocFile {
  std::uint32_t setValue = 7;
  std::vector<std::pair<std::uint32_t, std::string>> languages = {{0, "English"}, {1, "French"}};
  std::vector<LocString> strings;
  int stringCountAdjust = 0;  // added to the string count written in the header
};

// The file's bytes: header, "LANG" ... "LEND", "STRN" records, "SEND".
inline std::string LocBytes(const LocFile& f) {
  auto utf16 = [](ByteWriter& w, const std::string& s) {
    for (unsigned char c : s) w.U16(c);
    w.U16(0);
  };
  ByteWriter w;
  w.Tag("SLOC");
  w.U32(f.setValue);
  w.U32(static_cast<std::uint32_t>(f.languages.size()));
  std::uint32_t perLanguage = 0;
  for (const LocString& s : f.strings) perLanguage += s.language == 0 ? 1 : 0;
  w.U32(perLanguage + f.stringCountAdjust);
  w.U32(0);  // free space before the language block
  w.Tag("LANG");
  for (const auto& l : f.languages) {
    w.U32(l.first);
    w.Bytes(l.second.c_str(), l.second.size() + 1);
  }
  w.Tag("LEND");
  w.Tag("STRN");
  for (const LocString& s : f.strings) {
    w.U32(s.id);
    w.U32(s.language);
    utf16(w, s.name);
    utf16(w, s.text);
  }
  w.Tag("SEND");
  return std::string(reinterpret_cast<const char*>(w.Data().data()), w.Size());
}

inline LocFile LocBase() {
  LocFile f;
  f.strings = {{1, 0, "TITLE", "Halberd"}, {1, 1, "TITLE", "Hallebarde"}, {2, 0, "SECTIONHDR", "Help"},
               {2, 1, "SECTIONHDR", "Aide"},   {3, 0, "Q", "A"},               {3, 1, "Q", "B"}};
  return f;
}

inline LocFile LocLayer() {
  LocFile f;
  f.strings = {{2, 0, "SECTIONHDR", "Mission help"}, {2, 1, "SECTIONHDR", "Aide mission"},
               {10, 0, "OBJ1", "Reach the bridge"}, {10, 1, "OBJ1", "Atteindre le pont"}};
  return f;
}
