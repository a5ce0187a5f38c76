// Localised string tables: the text sources kept in the repository (one
// string a line: the id in hexadecimal, the key name, then the text to the
// end of the line, UTF-8), and the ".loc" files the game loads, written in
// one language ("English", code 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SourceString {
  std::uint32_t id = 0;
  std::string name;
  std::string text;  // UTF-8
};

// Reads a string source: "<hex id> <name> <text>" lines; blank lines and
// lines starting with '#' are skipped.  False with a message naming the line
// for a malformed line, an id given twice or text that is not UTF-8.
bool ReadStringSource(const std::string& source, std::vector<SourceString>* strings, std::string* error);

// The ".loc" bytes of the strings: "SLOC", the file set value, one language,
// the string count, "LANG" {0, "English"} "LEND", "STRN" records {id,
// language 0, UTF-16 name, UTF-16 text}, "SEND".  False with a message when a
// tag ("SLOC", "SEND", "LANG", "LEND", "STRN") would appear inside the data,
// which the reader would take for the real one.
bool WriteLocBytes(const std::vector<SourceString>& strings, std::uint32_t setValue, std::vector<std::uint8_t>* out,
                   std::string* error);

// The file set value every table of the game shares (layers must match the base).
inline constexpr std::uint32_t kGameStringSetValue = 1;
