#include "foundation/text/scanner.h"

#include <cstdio>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%d": optional "-", then decimal digits; without digits the value is 0 and
// the input stays where it was.
const char* ScanInt(const char* in, int* out) {
  const char* p = in;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  if (!IsDigit(*p)) {
    if (out) *out = 0;
    return in;
  }
  unsigned int value = 0;
  while (IsDigit(*p)) value = value * 10u + static_cast<unsigned int>(*p++ - '0');
  if (out) *out = static_cast<int>(negative ? 0u - value : value);
  return p;
}

// "%f": optional "-", digits with at most one "."; the digits form a whole
// number that is divided by ten to the number of digits after the point.
// The number is built in double precision so that long inputs keep their
// value.  A second "." ends the number.
const char* ScanFloat(const char* in, float* out) {
  const char* p = in;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  double digits = 0.0;
  double divisor = 1.0;
  bool point = false;
  bool any = false;
  for (;; ++p) {
    if (IsDigit(*p)) {
      digits = digits * 10.0 + (*p - '0');
      if (point) divisor *= 10.0;
      any = true;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) {
    if (out) *out = 0.0f;
    return in;
  }
  double value = digits / divisor;
  if (out) *out = static_cast<float>(negative ? -value : value);
  return p;
}

// "%s": the run of non-blank characters; at most `limit` are stored, the
// rest of the run is skipped.
const char* ScanString(const char* in, char* out, std::size_t limit) {
  std::size_t n = 0;
  const char* p = in;
  while (*p && !IsBlank(*p)) {
    if (out && n < limit) out[n++] = *p;
    ++p;
  }
  if (out) out[n] = 0;
  return p;
}

const char* ScanHex(const char* in, unsigned int* out) {
  unsigned int value = 0;
  const char* p = in;
  for (int v; (v = HexValue(*p)) >= 0; ++p) value = (value << 4) | static_cast<unsigned int>(v);
  if (out) *out = value;
  return p;
}

}  // namespace

int vsscanf1(const char** cursor, const char* format, va_list args) {
  if (!cursor || !*cursor || !format) return 1;
  const char* in = *cursor;
  const char* f = format;
  for (;;) {
    // Separators in the format: any run of blanks and commas.
    while (IsBlank(*f) || *f == ',') ++f;
    while (IsBlank(*in)) ++in;
    if (!*f) break;
    if (*f != '%') {
      std::printf(" character error in sscanf1 - unknown format character '%c'\n", *f);
      break;
    }
    ++f;
    std::size_t width = 0;
    const char* widthStart = f;
    while (IsDigit(*f)) width = width * 10 + static_cast<std::size_t>(*f++ - '0');
    char conversion = *f;
    if (conversion == 'd') {
      in = ScanInt(in, va_arg(args, int*));
    } else if (conversion == 'f') {
      in = ScanFloat(in, va_arg(args, float*));
    } else if (conversion == 's') {
      in = ScanString(in, va_arg(args, char*), f != widthStart && width > 0 ? width : kScanStringMax);
    } else if (conversion == 'x') {
      in = ScanHex(in, va_arg(args, unsigned int*));
    } else {
      std::printf(" character error in sscanf1 - unknown format control character '%c'\n", conversion);
      break;
    }
    ++f;
  }
  *cursor = in;
  return 1;
}

int sscanf1(const char** cursor, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = vsscanf1(cursor, format, args);
  va_end(args);
  return result;
}

int sscanf1(char** cursor, const char* format, ...) {
  const char* c = cursor ? *cursor : nullptr;
  va_list args;
  va_start(args, format);
  int result = vsscanf1(cursor ? &c : nullptr, format, args);
  va_end(args);
  if (cursor) *cursor = const_cast<char*>(c);
  return result;
}

int CountLines(const char* data, std::size_t n) {
  int lines = 0;
  if (!data) return 0;
  for (std::size_t i = 0; i < n; ++i)
    if (data[i] == '\n') ++lines;
  return lines;
}

void NarrowString16(char* out, const std::uint16_t* in, std::size_t size) {
  if (!out || size == 0) return;
  std::size_t n = 0;
  if (in) {
    for (; *in && n + 1 < size; ++in) {
      std::uint16_t c = *in;
      unsigned int high = c >> 8;
      if (c < 0x20 || (high >= 0x01 && high <= 0x10)) continue;
      out[n++] = high >= 0x11 ? 2 : static_cast<char>(c & 0xFF);
    }
  }
  out[n] = 0;
}
