#include "units/soldier/grunt_frame_links.h"

#include <cstdio>

namespace {

GruntFrameLinks g_Links;
std::vector<std::string>* g_Trace = nullptr;

}  // namespace

GruntFrameLinks& GruntLinks() { return g_Links; }

void ResetGruntLinks() { g_Links = GruntFrameLinks{}; }

void SetGruntStepTrace(std::vector<std::string>* trace) { g_Trace = trace; }

void GruntTraceStep(const char* name) {
  if (g_Trace != nullptr) g_Trace->emplace_back(name);
}

void GruntTraceNumber(const char* prefix, int number) {
  if (g_Trace == nullptr) return;
  char text[64];
  std::snprintf(text, sizeof text, "%s%d", prefix, number);
  g_Trace->emplace_back(text);
}
