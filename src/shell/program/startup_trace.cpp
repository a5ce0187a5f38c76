#include "shell/program/startup_trace.h"

namespace {
std::vector<std::string>& Steps() {
  static std::vector<std::string> steps;
  return steps;
}
}  // namespace

void TraceStep(const std::string& step) { Steps().push_back(step); }

const std::vector<std::string>& TracedSteps() { return Steps(); }

void ClearTracedSteps() { Steps().clear(); }
