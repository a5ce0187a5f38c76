// Immediate-mode debug drawing through the current render object: lines,
// crosses, axes, boxes, spheres, circles, polygons, screen rectangles and
// paths, for debugging views of the world, routes, collision volumes and
// cameras.  Every routine saves the states it changes and puts them back.
// Nothing is drawn while there is no render object or device.  Main thread only.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"
#include "render/vector3.h"

// Debug vertex (format 0x142): position, ARGB colour, u and v (always 0).
struct DebugVertex {
  float x, y, z;
  std::uint32_t Colour;
  float u, v;
};
static_assert(sizeof(DebugVertex) == 24);

// One screen line from p0 to p1 (x, y in pixels), each end in its colour.
void DrawDebugLine2D(const float* p0, const float* p1, std::uint32_t colour0, std::uint32_t colour1);
