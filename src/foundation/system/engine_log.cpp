#include "foundation/system/engine_log.h"

#include <cstdarg>
#include <cstdio>

namespace {
EngineLogCallback gCallback = nullptr;
bool gVerbose = false;
}  // namespace

void SetEngineLogCallback(EngineLogCallback callback) { gCallback = callback; }
EngineLogCallback GetEngineLogCallback() { return gCallback; }
void SetEngineVerboseLoading(bool verbose) { gVerbose = verbose; }
bool IsEngineVerboseLoading() { return gVerbose; }

void EngineLogVerbose(const char* format, ...) {
  if (!gVerbose || gCallback == nullptr) return;
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  gCallback(text);
}
