// Immediate-mode debug drawing through the current render object: lines,
// crosses, axes, boxes, spheres, circles, polygons, screen rectangles and
// paths, for debugging views of the world, routes, collision volumes and
// cameras.  3D shapes are drawn unlit and untextured in format 0x142; with
// resetWorld their coordinates are world coordinates (the current camera's
// world matrix is reset and applied first).  Every routine puts back the
// states it changes.  Nothing is drawn while there is no render object or
// device.  Main thread only.
#pragma once

#include <cstdint>

#include "platform/win32/win_types.h"
#include "render/geometry/vector3.h"

// Debug vertex (format 0x142): position, ARGB colour, u and v (always 0).
struct DebugVertex {
  float x, y, z;
  std::uint32_t Colour;
  float u, v;
};
static_assert(sizeof(DebugVertex) == 24);

// Most points of one polyline and of one polygon; longer input is cut.
inline constexpr int kDebugPolylinePoints = 256;
inline constexpr int kDebugPolygonPoints = 16;

// One line, each end in its colour.
void DrawDebugLine(const CVector3& p0, const CVector3& p1, std::uint32_t colour0, std::uint32_t colour1,
                   bool resetWorld);
// Three lines through the centre along x, y and z, half size each way; with
// cameraFacing they turn with the camera (facing matrix at the centre), and
// the camera's world matrix is applied again afterwards.
void DrawDebugCross(const CVector3& centre, std::uint32_t colour, float halfSize, bool cameraFacing);
// Lines of length size along x (red), y (green) and z (blue) from the
// position, or facing the camera; the world transform is put back afterwards.
void DrawDebugAxes(const CVector3& position, float size, bool cameraFacing);
// A line strip through the points (nothing for fewer than 2; at most 256);
// the colour's channels are the floats (0..1) times 255.
void DrawDebugPolyline(const CVector3* points, int count, float red, float green, float blue, float alpha,
                       bool resetWorld);
// The same in the red, green and blue of a packed colour (0xAARRGGBB, its
// alpha not used) at the given alpha.
void DrawDebugPolyline(const CVector3* points, int count, std::uint32_t colour, float alpha, bool resetWorld);
// The box's twelve edges.
void DrawDebugBox(const CVector3& min, const CVector3& max, std::uint32_t colour, bool resetWorld);
// The same with the corners turned about z, x and y by the angles (degrees).
void DrawDebugBoxRotated(const CVector3& min, const CVector3& max, const CVector3& angles, std::uint32_t colour,
                         bool resetWorld);
// 18 rings of 18 points (every 20 degrees) on the sphere, as points.
void DrawDebugSphere(const CVector3& centre, float radius, std::uint32_t colour, bool resetWorld);
// A horizontal circle of segments lines (nothing for fewer than 1).
void DrawDebugCircle(const CVector3& centre, float radius, int segments, std::uint32_t colour);
// Horizontal circles at the heights that divide the sphere into rings bands
// (nothing for fewer than 2 rings).
void DrawDebugSphereRings(const CVector3& centre, float radius, int rings, int segments, std::uint32_t colour,
                          bool resetWorld);
// A filled convex polygon as a triangle fan, both faces, alpha blended
// (nothing for fewer than 3 points; at most 16).
void DrawDebugPolygon(const CVector3* points, int count, std::uint32_t colour, bool resetWorld);
// A screen rectangle (pixels): outline or filled, fog off, alpha blended.
void DrawDebugRect(float x, float y, float width, float height, std::uint32_t colour, bool filled);
void DrawDebugRectFromRect(const RECT& rect, std::uint32_t colour, bool filled);
// One screen line from p0 to p1 (x, y in pixels), each end in its colour.
void DrawDebugLine2D(const float* p0, const float* p1, std::uint32_t colour0, std::uint32_t colour1);
// A closed loop through the points in yellow, drawn over everything (depth
// compare always), then the depth compare is less-or-equal.
void DrawDebugPath(const CVector3* points, int count);
