#include "foundation/text/hash.h"

#include <cctype>

namespace {

// Shift-register step over the eight bits of one byte, bit 0 first: the new
// low bit is set when (bit ^ h0 ^ h1 ^ h21) differs from the bit shifted out.
std::uint32_t ShiftByte(std::uint32_t h, unsigned char c) {
  for (int bit = 0; bit < 8; ++bit) {
    std::uint32_t b = (c >> bit) & 1u;
    std::uint32_t top = (h >> 31) & 1u;
    std::uint32_t f = b ^ (h & 1u) ^ ((h >> 1) & 1u) ^ ((h >> 21) & 1u);
    h <<= 1;
    if (f != top) h |= 1u;
  }
  return h;
}

std::uint32_t ElfByte(std::uint32_t h, unsigned char c) {
  h = (h << 4) + c;
  std::uint32_t g = h & 0xF0000000u;
  if (g) h = (h & 0x0FFFFFFFu) ^ (g >> 24);
  return h;
}

unsigned char Lower(char c) { return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::uint32_t HashString(const char* text) {
  std::uint32_t h = 1;
  if (!text) return h;
  for (; *text; ++text) h = ShiftByte(h, static_cast<unsigned char>(*text));
  return h;
}

std::uint32_t HashName(const char* text) { return HashString(text); }

std::uint32_t HashStringNoCase(const char* text) {
  std::uint32_t h = 1;
  if (!text) return h;
  for (; *text; ++text) h = ShiftByte(h, Lower(*text));
  return h;
}

std::uint32_t HashNameNoCase(const char* text) { return HashStringNoCase(text); }

std::uint32_t HashMemory(const void* data, std::size_t n) {
  std::uint32_t h = 1;
  const auto* p = static_cast<const unsigned char*>(data);
  if (!p) return h;
  for (std::size_t i = 0; i < n; ++i) h = ShiftByte(h, p[i]);
  return h;
}

std::uint32_t HashBytes(const void* data, std::size_t n) {
  std::uint32_t h = 0;
  const auto* p = static_cast<const unsigned char*>(data);
  if (!p) return h;
  for (std::size_t i = 0; i < n; ++i) h = ElfByte(h, p[i]);
  return h;
}

std::uint32_t HashStringElf(const char* text) {
  std::uint32_t h = 0;
  if (!text) return h;
  for (; *text; ++text) h = ElfByte(h, static_cast<unsigned char>(*text));
  return h;
}

std::uint32_t HashStringElfNoCase(const char* text) {
  std::uint32_t h = 0;
  if (!text) return h;
  for (; *text; ++text) h = ElfByte(h, Lower(*text));
  return h;
}
