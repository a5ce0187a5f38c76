// Clipping of line segments against a half-space, an axis-aligned box and an
// upright cylinder, in the clipping shape's own frame, with appenders that
// write the surviving end points through a cursor; the driver that clips the
// twelve edges of one box against another; the closest point of a segment.
//
// A segment is P + t D over a parameter interval [t0, t1] that the clips
// narrow.  "Moved-only" appenders write an end only when it moved inward
// (t0 above or t1 below its start value): the boundary crossings.
// "Both-ends" appenders write both ends of the clipped interval.  Appenders
// advance the cursor by one 3-float point per write and answer the number
// of points written (0 when the segment is rejected).
#pragma once

#include "physics/util/me_types.h"

// Narrows [t0, t1] to the half-space z <= 0; invDz = 1 / D.z (not read when
// D.z is 0).  False when nothing is left (t1 < t0, or D.z = 0 with P.z > 0).
bool McdClipSegmentHalfSpace(const MeReal* p, const MeReal* d, MeReal invDz, MeReal* t0,
                             MeReal* t1);
// Segment centre p, half-vector d, interval [-1, 1], half-space z <= 0.
int McdClipHalfSpaceMoved(const MeReal* p, const MeReal* d, MeReal** cursor);
int McdClipHalfSpaceBothEnds(const MeReal* p, const MeReal* d, MeReal** cursor);

// Narrows [t0, t1] to the box |x_i| <= h_i; invD holds the reciprocals of
// D's components (only read where |D_i| > 1e-6).  False when nothing is left.
bool McdClipSegmentBox(const MeReal* p, const MeReal* d, const MeReal* invD, const MeReal* h,
                       MeReal* t0, MeReal* t1);
// Segment centre p, half-vector d, interval [-1, 1].
int McdClipBoxMoved(const MeReal* p, const MeReal* d, const MeReal* invD, const MeReal* h,
                    MeReal** cursor);
int McdClipBoxBothEnds(const MeReal* p, const MeReal* d, const MeReal* invD, const MeReal* h,
                       MeReal** cursor);
// Segment start p, vector d, interval [0, 1]: always writes the clipped
// start, and the clipped end only when it moved.
int McdClipBoxStartMovedEnd(const MeReal* p, const MeReal* d, const MeReal* invD,
                            const MeReal* h, MeReal** cursor);

// Narrows [t0, t1] to the cylinder x^2 + y^2 <= r^2, |z| <= h.  False when
// nothing is left.
bool McdClipSegmentCylinder(const MeReal* p, const MeReal* d, MeReal r, MeReal h, MeReal* t0,
                            MeReal* t1);
// Segment centre p, half-vector d, interval [-1, 1].
int McdClipCylinderMoved(const MeReal* p, const MeReal* d, MeReal r, MeReal h, MeReal** cursor);
int McdClipCylinderBothEnds(const MeReal* p, const MeReal* d, MeReal r, MeReal h,
                            MeReal** cursor);

// Most points McdClipBoxEdgesAgainstBox writes: 8 edges x 2 moved ends plus
// 4 edges x 2 ends.
inline constexpr int McdBoxEdgesMaxPoints = 24;
// Clips the twelve edges of box B against box A (half-extents ha), B given
// by `relative` (4x4: B's axes as rows 0-2 and its centre as row 3, all in
// A's frame) and its half-extents hb.  Writes each vertex of B inside A once
// and each crossing of an edge of B with a face of A; answers the count.
int McdClipBoxEdgesAgainstBox(const MeReal* ha, const MeReal* relative, const MeReal* hb,
                              MeReal** cursor);

// Closest point to q (relative to the segment start a) on the segment from a
// along e.  Writes the point; answers its feature: 0 an end (vertex), 1 the
// inside of the segment (edge).
int McdSegmentClosestPoint(const MeReal* a, const MeReal* e, const MeReal* q, MeReal* point);
