// Crossing-count point-in-polygon tests for BSP polygons, triangles and clip
// polygons, shared by the BSP walks, the swept-sphere tests and the world's
// ground probes.  The polygon is projected on two axes picked from its plane's
// dominant normal component and a ray from the point towards decreasing first
// coordinate is crossed with every edge; an odd count is inside.  Planes are
// four floats a, b, c, d.
#pragma once

#include <cstdint>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/vector3.h"

// 1 when the edge (x1, y1)-(x2, y2) crosses the ray from (px, py) towards
// decreasing x, else 0; horizontal edges and edges not spanning py never count.
int EdgeCrossesRay(float x1, float y1, float x2, float y2, float px, float py);

// Whether the point, taken to lie in the plane, is inside the BSP polygon.
bool PointInPolygon(const float* plane, const CVector3& point, const BspPolygon* polygon);

// Whether the point is inside the BSP polygon seen from above (x and z).
bool PointInPolygonXZ(const CVector3& point, const BspPolygon* polygon);

// Whether the point is inside the triangle given as nine floats (three vertices).
bool PointInTriangle(const float* plane, const CVector3& point, const float* triangle);

// Whether the point is inside the triangle a, b, c.
bool PointInTriangleVerts(const float* plane, const CVector3& point, const CVector3& a, const CVector3& b,
                          const CVector3& c);

// The first polygon of the list that contains the point, or null (also for no list).
const BspPolygon* FindPolygonContaining(const float* plane, const BspPolygon* list, const CVector3& point);

// Whether the point is inside a position clip polygon (its plane, vertex count
// and positions); the axes come from the polygon's own plane normal.
bool PointInPlanarPolygon(const CVector3& point, const float* plane, std::uint32_t count, const CVector3* positions);
