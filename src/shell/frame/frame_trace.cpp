#include "shell/frame/frame_trace.h"

namespace {
bool g_on = false;
std::vector<std::string>& Steps() {
  static std::vector<std::string> steps;
  return steps;
}
}  // namespace

void SetFrameTraceEnabled(bool on) { g_on = on; }
bool FrameTraceEnabled() { return g_on; }
void FrameStep(const char* step) {
  if (g_on) Steps().push_back(step);
}
const std::vector<std::string>& FrameSteps() { return Steps(); }
void ClearFrameSteps() { Steps().clear(); }
