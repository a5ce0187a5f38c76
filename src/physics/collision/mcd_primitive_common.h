// Helpers shared by the primitive geometry files.
#pragma once

#include <cmath>

#include "physics/collision/mcd_geometry.h"
#include "physics/util/me_math.h"

namespace mcd_detail {

// Writes min/max and the header's cached box (x min, x max, y min, ...).
inline void StoreAABB(McdGeometry* g, const MeReal* min, const MeReal* max, MeReal* outMin,
                      MeReal* outMax) {
  for (int k = 0; k < 3; ++k) {
    g->aabb[2 * k] = min[k];
    g->aabb[2 * k + 1] = max[k];
    outMin[k] = min[k];
    outMax[k] = max[k];
  }
}

// The world box of a shape that reaches `extent` either way along each
// world axis from the position of transform m, stored as StoreAABB does.
inline void StoreExtentAABB(McdGeometry* g, const MeReal* m, const MeReal* extent, MeReal* outMin,
                            MeReal* outMax) {
  MeReal lo[3], hi[3];
  MeVector3Subtract(lo, m + 12, extent);
  MeVector3Add(hi, m + 12, extent);
  StoreAABB(g, lo, hi, outMin, outMax);
}

// The x and y bounds of that box: x min, x max, y min, y max.
inline void ExtentXYBounds(const MeReal* m, const MeReal* extent, MeReal* bounds) {
  bounds[0] = m[12] - extent[0];
  bounds[1] = m[12] + extent[0];
  bounds[2] = m[13] - extent[1];
  bounds[3] = m[13] + extent[1];
}

// Box of half-extents e placed by transform m: extent_i = Σ_k |R_k,i| e_k.
inline void OrientedBoxExtent(const MeReal* m, const MeReal* e, MeReal* extent) {
  for (int i = 0; i < 3; ++i)
    extent[i] = std::fabs(m[i]) * e[0] + std::fabs(m[4 + i]) * e[1] + std::fabs(m[8 + i]) * e[2];
}

// The world box of the box of half-extents e placed by transform m, stored
// as StoreAABB does.
inline void StoreOrientedBoxAABB(McdGeometry* g, const MeReal* m, const MeReal* e, MeReal* outMin,
                                 MeReal* outMax) {
  MeVector3 extent;
  OrientedBoxExtent(m, e, extent);
  StoreExtentAABB(g, m, extent, outMin, outMax);
}

// The x and y bounds of that world box: x min, x max, y min, y max.
inline void OrientedBoxXYBounds(const MeReal* m, const MeReal* e, MeReal* bounds) {
  MeVector3 extent;
  OrientedBoxExtent(m, e, extent);
  ExtentXYBounds(m, extent, bounds);
}

inline MeReal Sign0(MeReal v) { return v > 0 ? MeReal(1) : (v < 0 ? MeReal(-1) : MeReal(0)); }

// Corner of the box of half-extents e farthest along the world direction d.
inline void OrientedBoxSupport(const MeReal* m, const MeReal* e, const MeReal* d, MeReal* point) {
  MeVector3Set(point, m[12], m[13], m[14]);
  for (int k = 0; k < 3; ++k) MeVector3MultiplyAdd(point, Sign0(MeVector3Dot(m + 4 * k, d)) * e[k], m + 4 * k);
}

inline void DiagonalInertia(MeReal* inertia, MeReal a, MeReal b, MeReal c) {
  for (int i = 0; i < 9; ++i) inertia[i] = 0;
  inertia[0] = a;
  inertia[4] = b;
  inertia[8] = c;
}

}  // namespace mcd_detail
