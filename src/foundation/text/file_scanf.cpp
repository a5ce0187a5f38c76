// Formatted reading through the shared file handle, one character at a time
// into a look-ahead that is kept between calls.
#include <cctype>
#include <cstdarg>
#include <cstddef>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog_state.h"

using namespace catalog_state;

namespace {

constexpr int kEnd = -1;
constexpr std::size_t kDefaultStringMax = 255;

void Next(BufferedFile* h) { ScanNext(h); }

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void catalog_state::ScanNext(BufferedFile* h) {
  unsigned char c;
  g_scanLookahead = FileRead(&c, 1, 1, h) == 1 ? c : kEnd;
}

int FileScanf(BufferedFile* h, const char* format, ...) {
  if (!h || !format) return 1;
  va_list args;
  va_start(args, format);
  const char* f = format;
  for (;;) {
    while (IsBlank(static_cast<unsigned char>(*f))) ++f;
    if (*f != '%') break;  // the end, or a literal the formats in use never hold
    ++f;
    while (IsBlank(g_scanLookahead)) Next(h);
    std::size_t width = 0;
    if (*f >= '1' && *f <= '9')
      while (IsDigit(static_cast<unsigned char>(*f))) width = width * 10 + static_cast<std::size_t>(*f++ - '0');
    if (*f == 'd') {
      ++f;
      bool negative = false;
      if (g_scanLookahead == '-') {
        negative = true;
        Next(h);
      }
      long long v = 0;
      while (IsDigit(g_scanLookahead)) {
        if (v < 0x7FFFFFFFll) v = v * 10 + (g_scanLookahead - '0');
        Next(h);
      }
      if (v > 0x7FFFFFFFll) v = 0x7FFFFFFFll;
      *va_arg(args, int*) = static_cast<int>(negative ? -v : v);
    } else if (*f == 'f') {
      ++f;
      bool negative = false;
      if (g_scanLookahead == '-') {
        negative = true;
        Next(h);
      }
      // Accumulated in double precision so that long digit runs stay right.
      double v = 0.0, scale = 1.0;
      bool point = false;
      while (IsDigit(g_scanLookahead) || (g_scanLookahead == '.' && !point)) {
        if (g_scanLookahead == '.') {
          point = true;
        } else {
          v = v * 10.0 + (g_scanLookahead - '0');
          if (point) scale *= 10.0;
        }
        Next(h);
      }
      *va_arg(args, float*) = static_cast<float>((negative ? -v : v) / scale);
    } else if (*f == 's') {
      ++f;
      char* out = va_arg(args, char*);
      std::size_t max = width ? width : kDefaultStringMax;
      std::size_t n = 0;
      while (g_scanLookahead != kEnd && !IsBlank(g_scanLookahead)) {
        if (n < max) out[n++] = static_cast<char>(g_scanLookahead);
        Next(h);
      }
      out[n] = 0;
    } else if (f[0] == '0' && f[1] == '8' && f[2] == 'x') {
      f += 3;
      unsigned v = 0;
      for (int d; (d = HexValue(g_scanLookahead)) >= 0; Next(h)) v = (v << 4) | static_cast<unsigned>(d);
      *va_arg(args, unsigned*) = v;
    } else {
      break;  // not a conversion of this scanner
    }
  }
  va_end(args);
  return 1;
}
