// Closest points on segments and on a BSP polygon's outline, used by the
// swept-sphere tests when a plane contact falls outside the polygon.
#pragma once

#include "render/bsp/bsp_tree.h"
#include "render/geometry/vector3.h"

// The point of segment a-b closest to p, stored in out and answered; a
// zero-length segment gives a.
CVector3* ClosestPointOnSegment(CVector3* out, const CVector3& a, const CVector3& b, const CVector3& p);

// The point on the polygon's edges (k to k + 1, closing edge included) closest
// to p, the earlier edge on ties; (0, 0, 0) for a polygon of no vertices.
CVector3* ClosestPointOnPolygonEdge(CVector3* out, const BspPolygon* polygon, const CVector3& p);
