#include "make_strings/string_table.h"

#include <cstring>
#include <set>
#include <sstream>

#include "foundation/byte_reader.h"

namespace {

// UTF-8 to code points; false for a malformed sequence.
bool DecodeUtf8(const std::string& text, std::vector<std::uint32_t>* out) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size())) return false;
    std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    out->push_back(code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

void WriteUtf16(ByteWriter& w, const std::vector<std::uint32_t>& codes) {
  for (std::uint32_t c : codes) {
    if (c < 0x10000) {
      w.U16(static_cast<std::uint16_t>(c));
    } else {
      c -= 0x10000;
      w.U16(static_cast<std::uint16_t>(0xD800 + (c >> 10)));
      w.U16(static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)));
    }
  }
  w.U16(0);
}

}  // namespace

bool ReadStringSource(const std::string& source, std::vector<SourceString>* strings, std::string* error) {
  std::istringstream lines(source);
  std::string line;
  std::set<std::uint32_t> ids;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream fields(line.substr(first));
    std::string idText;
    SourceString s;
    fields >> idText >> s.name;
    std::getline(fields, s.text);
    const std::size_t textStart = s.text.find_first_not_of(" \t");
    s.text = textStart == std::string::npos ? "" : s.text.substr(textStart);
    char* end = nullptr;
    const unsigned long id = std::strtoul(idText.c_str(), &end, 16);
    std::vector<std::uint32_t> codes;
    if (idText.empty() || *end != '\0' || id > 0xFFFFFFFFul || s.name.empty() || s.text.empty()) {
      *error = "line " + std::to_string(number) + ": expected \"<hex id> <name> <text>\"";
      return false;
    }
    if (!DecodeUtf8(s.name, &codes) || !DecodeUtf8(s.text, &codes)) {
      *error = "line " + std::to_string(number) + ": the text is not UTF-8";
      return false;
    }
    s.id = static_cast<std::uint32_t>(id);
    if (!ids.insert(s.id).second) {
      *error = "line " + std::to_string(number) + ": id " + idText + " given twice";
      return false;
    }
    strings->push_back(s);
  }
  return true;
}

bool WriteLocBytes(const std::vector<SourceString>& strings, std::uint32_t setValue, std::vector<std::uint8_t>* out,
                   std::string* error) {
  ByteWriter w;
  w.Tag("SLOC");
  w.U32(setValue);
  w.U32(1);
  w.U32(static_cast<std::uint32_t>(strings.size()));
  const std::size_t dataStart = w.Size();
  w.Tag("LANG");
  w.U32(0);
  w.Bytes("English", 8);
  w.Tag("LEND");
  w.Tag("STRN");
  const std::size_t recordsStart = w.Size();
  for (const SourceString& s : strings) {
    std::vector<std::uint32_t> name, text;
    if (!DecodeUtf8(s.name, &name) || !DecodeUtf8(s.text, &text)) {
      *error = s.name + ": the text is not UTF-8";
      return false;
    }
    w.U32(s.id);
    w.U32(0);
    WriteUtf16(w, name);
    WriteUtf16(w, text);
  }
  const std::size_t recordsEnd = w.Size();
  w.Tag("SEND");
  // The reader finds each tag as its first occurrence: none may appear
  // before its place (in the header words or inside the records).
  const std::vector<std::uint8_t>& bytes = w.Data();
  auto find = [&](const char* tag, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i + 4 <= to; ++i)
      if (std::memcmp(bytes.data() + i, tag, 4) == 0) return true;
    return false;
  };
  for (const char* tag : {"SLOC", "SEND", "LANG", "LEND", "STRN"}) {
    const bool early = find(tag, 4, dataStart) || find(tag, recordsStart, recordsEnd);
    if (early) {
      *error = std::string("the tag \"") + tag + "\" would appear inside the data";
      return false;
    }
  }
  *out = bytes;
  return true;
}
