#include "platform/win32/code_page.h"

namespace {

// Code points of the bytes 0x80..0x9F; 0 where the code page has no character.
constexpr unsigned kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one UTF-8 sequence at p (at least one byte before the terminator);
// answers its length and the code point, or the length to skip with
// *codePoint set to an invalid value for a malformed sequence.
std::size_t Decode(const unsigned char* p, unsigned* codePoint) {
  const unsigned char c = p[0];
  int length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0) {
    *codePoint = 0xFFFFFFFFu;
    return 1;
  }
  unsigned value = length == 1 ? c : c & (0x7Fu >> length);
  for (int i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) {  // also stops at the terminator
      *codePoint = 0xFFFFFFFFu;
      return static_cast<std::size_t>(i);
    }
    value = (value << 6) | (p[i] & 0x3Fu);
  }
  // Over-long forms name nothing.
  static constexpr unsigned kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  *codePoint = value >= kSmallest[length] ? value : 0xFFFFFFFFu;
  return static_cast<std::size_t>(length);
}

}  // namespace

int CodePage1252FromCodePoint(unsigned codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] != 0 && kHighControls[i] == codePoint) return 0x80 + i;
  return -1;
}

std::size_t Utf8ToCodePage1252(const char* utf8, unsigned char* out, std::size_t size) {
  if (!utf8 || !out) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  std::size_t written = 0;
  while (*p && written < size) {
    unsigned codePoint = 0;
    p += Decode(p, &codePoint);
    const int byte = CodePage1252FromCodePoint(codePoint);
    if (byte > 0) out[written++] = static_cast<unsigned char>(byte);
  }
  return written;
}
