// The registry's contents and their text file.  One line per value (and one
// per key, so that empty keys persist), tab-separated and escaped:
//   <root> TAB <key path> TAB <value name> TAB <type> TAB <data>
// root is HKCR, HKCU, HKLM or HKU; type is "key" for a key line, else
// REG_SZ, REG_DWORD, REG_BINARY or a number; data is the value's bytes:
// escaped text for REG_SZ, 0xXXXXXXXX for a 4-byte REG_DWORD, hex pairs
// otherwise.  Escapes: \\ \t \n \r and \xHH.  Lines starting with "#" are
// comments.  Key paths and value names compare without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct RegistryValue {
  std::string name;  // as first written
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct RegistryKeyEntry {
  std::string root;  // HKCR, HKCU, HKLM or HKU
  std::string path;  // components joined with "\", as first written
  std::map<std::string, RegistryValue> values;  // by lower-cased name
};

struct RegistryStore {
  std::map<std::string, RegistryKeyEntry> keys;  // by "ROOT\lower-cased path"
  std::vector<std::string> unreadLines;  // damaged lines, kept as they were
};

// Largest value the store accepts (bytes).
inline constexpr std::size_t kRegistryMaxValueSize = 1u << 20;

// The map key of a root and a normalised path.
std::string RegistryKeyId(const std::string& root, const std::string& path);
// Path with "/" or "\" separators brought to "a\b\c" (empty components dropped).
std::string NormaliseRegistryPath(const char* path);
// Adds a key and every key above it; answers the key's entry.
RegistryKeyEntry& AddRegistryKey(RegistryStore& store, const std::string& root, const std::string& path);

// Reads the file's text into `store` (emptied first).  Lines that do not
// parse are kept in unreadLines and counted in *badLines (may be null);
// nothing else fails.
void ParseRegistryText(const char* text, std::size_t size, RegistryStore* store, int* badLines);
// The file's text for a store: every key and value, then the unread lines.
std::string SerializeRegistry(const RegistryStore& store);
