#include "foundation/system/debug_output.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "platform/win32/debug_output.h"

namespace {

// Formats into a buffer of N bytes (longer text is cut short) and sends it to the debugger.
template <std::size_t N>
void Trace(const char* format, va_list args) {
  char buffer[N];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  OutputDebugStringA(buffer);
}

}  // namespace

void DebugTrace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Trace<4096>(format, args);
  va_end(args);
}

void DebugTraceShort(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Trace<512>(format, args);
  va_end(args);
}

void DebugTraceNull(const char*, ...) {}
void DebugTraceNull2(const char*, ...) {}
