#include "shell/frame/debug_counters.h"

DebugCounters g_DebugCounters;
std::uint32_t g_ShowStatistics = 0;
std::uint32_t g_DebugDisplays[6] = {};

void CountDebug(DebugCounter counter, std::uint32_t amount) {
  if (counter >= 0 && counter < DEBUG_COUNTER_COUNT) g_DebugCounters.value[counter] += amount;
}

void DebugStatisticsStep() {
  for (int i = 0; i < DEBUG_COUNTER_COUNT; ++i) {
    if (g_DebugCounters.value[i] > g_DebugCounters.maximum[i]) g_DebugCounters.maximum[i] = g_DebugCounters.value[i];
    g_DebugCounters.value[i] = 0;
  }
}

const char* DebugCounterLabel(DebugCounter counter) {
  static const char* const kLabels[DEBUG_COUNTER_COUNT] = {
      "Num BSP plane compares", "Projectiles",         "Particles",          "Calls to CollideRayRec",
      "Grunts requiring processing", "Octree Recursions", "Boids Processed", "Calls to get first HLO",
      "Instances Rendered",     "Physics bodies",      "Physics constraints"};
  return counter >= 0 && counter < DEBUG_COUNTER_COUNT ? kLabels[counter] : "";
}
