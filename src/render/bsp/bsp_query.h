// The three walks of a compiled BSP tree: which polygons lie near a sphere
// (handed one by one to a callback), where a moving sphere first touches a
// polygon, and which polygon a line segment hits first.  A surface filter mask
// lets a walk skip polygons by their surface record.
//
// The walks share process-wide state (the callback, the surface lookup, the
// segment results): one query must finish before the next begins, and a
// polygon callback must not start another query.  Main thread only.
#pragma once

#include <cstdint>

#include "render/bsp/bsp_tree.h"
#include "render/bsp/swept_sphere.h"
#include "render/geometry/vector3.h"

// Surface filter mask bits: a polygon is skipped when its surface record has ...
enum BspSurfaceFilter : std::uint32_t {
  BSPF_SKIP_ZERO_FACTOR = 0x01,     // Factor equal to 0
  BSPF_SKIP_FLAG_2 = 0x02,          // Flags bit 0x2
  BSPF_SKIP_QUERY_10 = 0x04,        // QueryBits bit 0x10
  BSPF_SKIP_QUERY_20 = 0x08,        // QueryBits bit 0x20
  BSPF_SKIP_QUERY_40 = 0x10,        // QueryBits bit 0x40
  BSPF_BOTH_SIDES = 0x20,           // segment query: test both sides of each node's polygons
  BSPF_SKIP_FLAG_2_ZERO = 0x40,     // segment query: Flags bit 0x2 and Factor equal to 0
};

// The fields of a surface record that the filter tests.
struct BspSurfaceFields {
  std::uint32_t Flags;
  std::uint32_t QueryBits;
  float Factor;
};

// Finds the surface record of a polygon's surface id; false when the id has no
// record (such a polygon passes every filter).
using BspSurfaceLookup = bool (*)(std::uint32_t surface_id, BspSurfaceFields* out);

// Sets the surface list the filters consult (null: every polygon passes).
void SetBspSurfaceLookup(BspSurfaceLookup lookup);

// Called once per kept polygon of a sphere query with the plane as used at its
// node and the query sphere; it must not start another BSP query.
using BspPolygonCallback = void (*)(const BspPolygon* polygon, float a, float b, float c, float d, float x, float y,
                                    float z, float radius);

// Stores the callback of the sphere query (process-wide).
void SetBspPolygonCallback(BspPolygonCallback callback);

// Hands every polygon whose bounds reach the sphere (x, y, z, radius) to the
// callback and sets *hit to 1 when it was called at least once (never cleared
// here).  Nothing happens for a null root or without a callback.
void BspSphereQuery(const BspNode* root, const float* sphere, std::uint32_t* hit, std::uint32_t filter);

// Sweeps the record's sphere through the tree; the record keeps the nearest hit.
void BspSweepQuery(const BspNode* root, CSweptSphere* record, std::uint32_t filter);

// What the last segment query found.
struct BspSegmentResult {
  CVector3 Point;              // hit point
  float Factor;                // 0 at the start, 1 at the end
  float Plane[4];              // node plane, negated for a polygon of the negative-side list
  const BspPolygon* Polygon;   // the hit polygon, null when nothing was hit
};

// The first polygon the segment start-end hits (seen from the start's side
// unless BSPF_BOTH_SIDES), or null; the details stay readable through
// GetBspSegmentResult until the next segment query.
const BspPolygon* BspSegmentQuery(const BspNode* root, const CVector3& start, const CVector3& end,
                                  std::uint32_t filter);
// Whether the segment hits anything, by the same rules: some polygon that
// the walk could accept along the segment (not necessarily the first), with
// its details readable through GetBspSegmentResult, or null exactly when
// BspSegmentQuery answers null.
const BspPolygon* BspSegmentQueryAny(const BspNode* root, const CVector3& start, const CVector3& end,
                                     std::uint32_t filter);
const BspSegmentResult& GetBspSegmentResult();
// Starts loading what a segment query of the tree reads first, so that a
// caller with other work to do meanwhile finds it in the cache.
void PrefetchBspSegmentQuery(const BspNode* root);
// Clears the result of the last segment query (no hit).
void BspClearHit();

// 1 when both ends lie more than 0.0001 in front of the plane, -1 when both
// lie more than 0.0001 behind, else 0.
int ClassifySegment(const CVector3& start, const CVector3& end, const float* plane);

// Where segment a-b crosses the plane.
struct SegmentCrossing {
  std::int32_t Count;  // 0 or 1
  float Factor;
  CVector3 Point;
};
// Side of a (-1 or +1; 0 when a lies on the plane within 7.6e-6), with the
// crossing filled when b lies on the plane or on the other side.
int SegmentCrossesPlane(const CVector3& a, const CVector3& b, const float* plane, SegmentCrossing* crossing);
