// Any text scanned with the conversions the readers use, until the cursor
// stops moving: nothing may be read or written out of bounds, and the
// cursor stays inside the text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/text/scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  const char* const begin = text.data();
  const char* const end = begin + std::strlen(begin);
  const char* formats[] = {"%d %f %s %08x", "%d,%d", "%s, %f", "%4s %d", "%f %f %f"};
  for (const char* format : formats) {
    const char* cursor = begin;
    for (int steps = 0; steps < 10000; ++steps) {
      int a = 0;
      int b = 0;
      float f = 0;
      float g = 0;
      float h = 0;
      unsigned int x = 0;
      char s[kScanStringMax + 1];
      const char* before = cursor;
      if (format[1] == 'd' && format[2] == ' ') sscanf1(&cursor, format, &a, &f, s, &x);
      else if (format[1] == 'd') sscanf1(&cursor, format, &a, &b);
      else if (format[1] == 's') sscanf1(&cursor, format, s, &f);
      else if (format[1] == '4') {
        char small[5];
        sscanf1(&cursor, format, small, &a);
      } else sscanf1(&cursor, format, &f, &g, &h);
      if (cursor < begin || cursor > end) __builtin_trap();
      if (cursor == before) {
        if (*cursor == '\0') break;
        ++cursor;  // step over what no conversion takes
      }
    }
  }
  (void)CountLines(begin, size);
  return 0;
}
