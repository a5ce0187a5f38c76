#include "render/2d/debug_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
char g_DebugText[kDebugTextSize];
int g_DebugTextLength = 0;
}  // namespace

void DebugTextClear() {
  g_DebugText[0] = '\0';
  g_DebugTextLength = 0;
}

void DebugPrintf(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (written < 0) return;
  int length = static_cast<int>(std::strlen(line));
  const int room = kDebugTextSize - 1 - g_DebugTextLength;
  if (length > room) length = room;
  std::memcpy(g_DebugText + g_DebugTextLength, line, static_cast<std::size_t>(length));
  g_DebugTextLength += length;
  g_DebugText[g_DebugTextLength] = '\0';
}

const char* GetDebugText() { return g_DebugText; }
