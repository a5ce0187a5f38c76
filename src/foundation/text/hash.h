// 32-bit name hashes.  The shift-register hash keys catalog entries, textures,
// the file database and localised strings; the ELF-style hash keys sound
// banks.  None fails; a null text hashes as the empty one.
#pragma once

#include <cstddef>
#include <cstdint>

// Shift-register hash of a NUL-terminated string (empty gives 1).
std::uint32_t HashString(const char* text);
// The same hash.
std::uint32_t HashName(const char* text);
// Shift-register hash of the lower-cased characters.
std::uint32_t HashStringNoCase(const char* text);
// The same hash.
std::uint32_t HashNameNoCase(const char* text);
// Shift-register hash of n bytes.
std::uint32_t HashMemory(const void* data, std::size_t n);
// ELF-style hash of n bytes.
std::uint32_t HashBytes(const void* data, std::size_t n);
// ELF-style hash of a NUL-terminated string.
std::uint32_t HashStringElf(const char* text);
// ELF-style hash of the lower-cased characters.
std::uint32_t HashStringElfNoCase(const char* text);
