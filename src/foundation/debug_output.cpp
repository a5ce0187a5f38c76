#include "foundation/debug_output.h"

#include <cstdarg>
#include <cstdio>

#include "platform/win32/debug_output.h"

void DebugTrace(const char* format, ...) {
  char buffer[4096];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  OutputDebugStringA(buffer);
}

void DebugTraceShort(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  OutputDebugStringA(buffer);
}

void DebugTraceNull(const char*, ...) {}
void DebugTraceNull2(const char*, ...) {}
