#include "platform/win32/registry_store.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::size_t kMaxLine = 4 * kRegistryMaxValueSize + 4096;

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool KnownRoot(const std::string& root) { return root == "HKCR" || root == "HKCU" || root == "HKLM" || root == "HKU"; }

std::string Escape(const std::uint8_t* data, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = data[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02X", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string Escape(const std::string& s) { return Escape(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(const std::string& in, std::vector<std::uint8_t>* out) {
  out->clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c != '\\') {
      out->push_back(static_cast<std::uint8_t>(c));
      continue;
    }
    if (++i >= in.size()) return false;
    switch (in[i]) {
      case '\\': out->push_back('\\'); break;
      case 't': out->push_back('\t'); break;
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 'x': {
        if (i + 2 >= in.size()) return false;
        int hi = HexDigit(in[i + 1]);
        int lo = HexDigit(in[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
        i += 2;
        break;
      }
      default:
        return false;
    }
    if (out->size() > kRegistryMaxValueSize) return false;
  }
  return out->size() <= kRegistryMaxValueSize;
}

bool UnescapeText(const std::string& in, std::string* out) {
  std::vector<std::uint8_t> bytes;
  if (!Unescape(in, &bytes)) return false;
  out->assign(bytes.begin(), bytes.end());
  return true;
}

bool ParseHexBytes(const std::string& in, std::vector<std::uint8_t>* out) {
  if (in.size() % 2 || in.size() / 2 > kRegistryMaxValueSize) return false;
  out->clear();
  for (std::size_t i = 0; i < in.size(); i += 2) {
    int hi = HexDigit(in[i]);
    int lo = HexDigit(in[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

std::string TypeName(std::uint32_t type) {
  if (type == kRegSz) return "REG_SZ";
  if (type == kRegDword) return "REG_DWORD";
  if (type == kRegBinary) return "REG_BINARY";
  return std::to_string(type);
}

bool ParseType(const std::string& s, std::uint32_t* type) {
  if (s == "REG_SZ") *type = kRegSz;
  else if (s == "REG_DWORD") *type = kRegDword;
  else if (s == "REG_BINARY") *type = kRegBinary;
  else {
    if (s.empty() || s.size() > 10) return false;
    std::uint64_t v = 0;
    for (char c : s) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    *type = static_cast<std::uint32_t>(v);
  }
  return true;
}

std::string DataText(const RegistryValue& v) {
  if (v.type == kRegSz) return Escape(v.data.data(), v.data.size());
  if (v.type == kRegDword && v.data.size() == 4) {
    std::uint32_t d = static_cast<std::uint32_t>(v.data[0]) | (static_cast<std::uint32_t>(v.data[1]) << 8) |
                      (static_cast<std::uint32_t>(v.data[2]) << 16) | (static_cast<std::uint32_t>(v.data[3]) << 24);
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", d);
    return buf;
  }
  std::string out;
  char buf[4];
  for (std::uint8_t b : v.data) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    out += buf;
  }
  return out;
}

bool ParseData(std::uint32_t type, const std::string& text, std::vector<std::uint8_t>* out) {
  if (type == kRegSz) return Unescape(text, out);
  if (type == kRegDword && text.size() == 10 && text[0] == '0' && text[1] == 'x') {
    std::vector<std::uint8_t> be;
    if (!ParseHexBytes(text.substr(2), &be)) return false;
    out->assign({be[3], be[2], be[1], be[0]});
    return true;
  }
  return ParseHexBytes(text, out);
}

bool ParseLine(const std::string& line, RegistryStore* store) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
    if (fields.size() > 5) return false;
  }
  if (fields.size() != 5 || !KnownRoot(fields[0])) return false;
  std::string rawPath;
  if (!UnescapeText(fields[1], &rawPath)) return false;
  if (rawPath.find('\0') != std::string::npos) return false;
  std::string path = NormaliseRegistryPath(rawPath.c_str());
  if (path != rawPath) return false;
  if (fields[3] == "key") {
    if (!fields[2].empty() || !fields[4].empty()) return false;
    AddRegistryKey(*store, fields[0], path);
    return true;
  }
  RegistryValue value;
  if (!UnescapeText(fields[2], &value.name)) return false;
  if (!ParseType(fields[3], &value.type)) return false;
  if (!ParseData(value.type, fields[4], &value.data)) return false;
  RegistryKeyEntry& key = AddRegistryKey(*store, fields[0], path);
  key.values[Lower(value.name)] = std::move(value);
  return true;
}

}  // namespace

std::string RegistryKeyId(const std::string& root, const std::string& path) { return root + "\\" + Lower(path); }

std::string NormaliseRegistryPath(const char* path) {
  std::string out;
  std::string part;
  auto flush = [&] {
    if (part.empty()) return;
    if (!out.empty()) out += '\\';
    out += part;
    part.clear();
  };
  for (const char* p = path ? path : ""; *p; ++p) {
    if (*p == '\\' || *p == '/') {
      flush();
    } else {
      part += *p;
    }
  }
  flush();
  return out;
}

RegistryKeyEntry& AddRegistryKey(RegistryStore& store, const std::string& root, const std::string& path) {
  // Every key above this one exists too.
  std::size_t pos = 0;
  while ((pos = path.find('\\', pos)) != std::string::npos) {
    std::string parent = path.substr(0, pos);
    auto& entry = store.keys[RegistryKeyId(root, parent)];
    if (entry.root.empty()) {
      entry.root = root;
      entry.path = parent;
    }
    ++pos;
  }
  auto& entry = store.keys[RegistryKeyId(root, path)];
  if (entry.root.empty()) {
    entry.root = root;
    entry.path = path;
  }
  return entry;
}

void ParseRegistryText(const char* text, std::size_t size, RegistryStore* store, int* badLines) {
  *store = RegistryStore{};
  int bad = 0;
  std::size_t pos = 0;
  while (text && pos < size) {
    const void* nl = std::memchr(text + pos, '\n', size - pos);
    std::size_t end = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text) : size;
    std::string line(text + pos, end - pos);
    pos = end + 1;
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.size() > kMaxLine || !ParseLine(line, store)) {
      ++bad;
      store->unreadLines.push_back(line);
    }
  }
  if (badLines) *badLines = bad;
}

std::string SerializeRegistry(const RegistryStore& store) {
  std::string out = "# halberd registry: root, key, value name, type, data (tab-separated)\n";
  for (const auto& [id, key] : store.keys) {
    if (key.values.empty()) {
      out += key.root + "\t" + Escape(key.path) + "\t\tkey\t\n";
      continue;
    }
    for (const auto& [lowerName, value] : key.values) {
      out += key.root + "\t" + Escape(key.path) + "\t" + Escape(value.name) + "\t" + TypeName(value.type) + "\t" +
             DataText(value) + "\n";
    }
  }
  for (const std::string& line : store.unreadLines) out += line + "\n";
  return out;
}
