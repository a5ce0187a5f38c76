// The developer statistics a frame gathers: per-frame counters, each with
// its running maximum, and the overlay switches that show them.
#pragma once

#include <cstdint>

enum DebugCounter : int {
  DEBUG_BSP_PLANE_COMPARES,
  DEBUG_PROJECTILES,
  DEBUG_PARTICLES,
  DEBUG_RAY_COLLISIONS,
  DEBUG_SOLDIERS_PROCESSED,
  DEBUG_OCTREE_RECURSIONS,
  DEBUG_BOIDS_PROCESSED,
  DEBUG_FIRST_OBJECT_LOOKUPS,
  DEBUG_INSTANCES_RENDERED,
  DEBUG_PHYSICS_BODIES,
  DEBUG_PHYSICS_CONSTRAINTS,
  DEBUG_COUNTER_COUNT
};

struct DebugCounters {
  std::uint32_t value[DEBUG_COUNTER_COUNT] = {};
  std::uint32_t maximum[DEBUG_COUNTER_COUNT] = {};
};

extern DebugCounters g_DebugCounters;
// The developer display words: the statistics list and six overlay switches.
extern std::uint32_t g_ShowStatistics;
extern std::uint32_t g_DebugDisplays[6];

// Adds to a counter of the current frame.
void CountDebug(DebugCounter counter, std::uint32_t amount);
// Once a frame: each counter folded into its maximum, then cleared.
void DebugStatisticsStep();
// The list's label of a counter.
const char* DebugCounterLabel(DebugCounter counter);
