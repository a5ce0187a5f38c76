// How the text-section fuzz targets take their input apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The input as text ending in a NUL, which is where a text cursor stops.
inline std::vector<char> NulTerminatedText(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  return text;
}

// An input whose first byte picks one of the versions a reader knows; the
// rest is the text read at that version.  False for an empty input.
struct VersionedText {
  int version = 0;
  std::string text;
};

template <std::size_t N>
bool SplitVersionedInput(const std::uint8_t* data, std::size_t size, const int (&versions)[N], VersionedText* out) {
  if (size == 0) return false;
  out->version = versions[data[0] % N];
  out->text.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
  return true;
}

// A name a section writer can put between quotes and its reader take back:
// not empty, no quote, no blank or control character.
inline bool QuotableName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (c == '"' || static_cast<unsigned char>(c) <= ' ') return false;
  return true;
}
