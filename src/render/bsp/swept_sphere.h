// Swept-sphere tests: where a sphere moving in a straight line first touches a
// plane, a BSP polygon, a box or another sphere.  The BSP sweep walk runs the
// polygon test on every polygon near the sweep; solid-object collision runs the
// box and sphere forms on their own.  Distances are travel along the unit
// direction of motion, in world units.
#pragma once

#include <cstdint>

#include "render/bsp/bsp_tree.h"
#include "render/volumes/oriented_box.h"
#include "render/volumes/sphere.h"
#include "render/geometry/vector3.h"

// Hit kinds of a swept-sphere record.
enum SweptHitKind : std::uint32_t {
  SWEPT_HIT_NONE = 0,
  SWEPT_HIT_PLANE = 1,
  SWEPT_HIT_BOX_FACE = 2,
  SWEPT_HIT_SPHERE = 4,
  SWEPT_HIT_POLYGON = 5,
};

// One sweep and its nearest hit so far.  The caller fills the sphere, bounds,
// motion, direction and length and clears the hit fields before a sweep.
struct CSweptSphere {
  CSphere Sphere;                 // start centre and radius of the moving sphere
  CSphere Bounds;                 // encloses the whole sweep (used for culling)
  CVector3 Motion;                // whole displacement
  CVector3 Direction;             // unit direction of motion
  float Length;                   // length of the motion
  std::uint32_t Hit;              // 1 once something is hit
  std::uint32_t StartedInside;    // the sphere already overlapped the hit polygon at the start
  std::uint32_t HitKind;          // SweptHitKind
  float HitDistance;              // travel to the first contact; only meaningful once Hit is 1
  const BspPolygon* HitPolygon;   // polygon hit (kind 5)
  float HitPlane[4];              // plane hit, kept by value (valid when HasHitPlane is 1)
  std::uint32_t HasHitPlane;
  CVector3 ContactPoint;          // point of first contact
  CVector3 ContactAtStart;        // contact point minus direction x hit distance
};

// Sweep against the plane (a, b, c, d): 1 and the hit stored (kind 1) when the
// sphere moves towards the plane's front and touches it or its leading point
// crosses it; 0 when moving away or parallel, or (keep nearest) when an earlier
// plane hit is nearer.
int SweptSphereVsPlane(const CSphere& sphere, CSweptSphere* record, const float* plane, int keep_nearest);

// Sweep against a BSP polygon lying in the plane: 1 and the hit stored (kind 5)
// when the moving sphere touches the polygon within [0, length] (from -radius
// when it already overlaps it); 0 otherwise, the record then left as it was.
int SweptSphereVsPolygon(const CSphere& sphere, CSweptSphere* record, const float* plane, const BspPolygon* polygon,
                         int keep_nearest);

// Sweep against an axis-aligned box given as min x, y, z, max x, y, z (half
// extents below 1 are raised to 1); answers the record's hit flag.
int SweptSphereVsBox(const CSphere& sphere, CSweptSphere* record, const float* box, int keep_previous);

// Sweep against the six faces of an oriented box (kind 2); answers the record's hit flag.
int SweptSphereVsOrientedBox(const CSphere& sphere, CSweptSphere* record, const COrientedBox& box, int keep_previous);

// Sweep against a sphere (kind 4): 1 when the spheres first touch within the
// motion; 0 when they already touch, the motion is 0, they never meet, or
// (keep nearest) an earlier hit is nearer.
int SweptSphereVsSphere(const CSphere& sphere, CSweptSphere* record, const CSphere& target, int keep_nearest);

// Roots of a·t² + b·t + c = 0: root 1 = (√disc - b) / 2a, root 2 = (-b - √disc) / 2a;
// 0 when the discriminant is negative.
int SolveSweepQuadratic(float a, float b, float c, float* root1, float* root2);

// How far the ray p + s·u travels before entering the sphere (the travel
// after which a sphere moving along -u touches p): 0 when the line misses it.
int DistanceBackToSphere(const CSphere& sphere, const CVector3& p, const CVector3& u, float* distance);
