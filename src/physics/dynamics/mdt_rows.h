// Helpers of the row builders: access to the packed bodies of a constraint,
// row writing at the solver header's current row, point rows and the
// quaternion rate matrices.
#pragma once

#include "physics/dynamics/mdt_types.h"

// The packed data of a constraint's two bodies (t1, s1 null for the world).
// A constraint with body 1 alone has the world as body 0: t0 and s0 then
// point at an identity transform and a state at rest, which the builder may
// read and write as if it were a body (the solver ignores it).
struct MdtRowBodies {
  const MeReal* t0;
  const MeReal* t1;
  keaBody* s0;
  keaBody* s1;
};
MdtRowBodies MdtRowGetBodies(const MdtConstraint* c, const MeReal* transforms, keaBody* states);

// Per-row arrays of the constraint being built, from its first row.
struct MdtRowArrays {
  MeReal* xi;
  MeReal* c;
  MeReal* lo;
  MeReal* hi;
  MeReal* softness;
  MeReal* xgamma;
};
MdtRowArrays MdtRowGetArrays(keaConstraints* header);

// Writes row r's Jacobian: (l0, a0 | l1, a1); a null part is zero; the
// second body's part is left out when `twoBodies` is false.
void MdtRowSetJacobian(keaConstraints* header, int r, const MeReal* l0, const MeReal* a0, const MeReal* l1,
                       const MeReal* a1, bool twoBodies);
// Registers the row count of the constraint (nothing for 0).
void MdtRowFinish(keaConstraints* header, const MdtConstraint* c, int rows);

// Rows 0-2: the two attachment points held together along the world axes.
void MdtPointRows(keaConstraints* header, const MeReal* com0, const MeReal* com1, const MeReal* point0,
                  const MeReal* point1, bool body1Present);

// A frame's axis (0, 1, 2) or position (3) of a constraint in world
// coordinates through the packed transforms (the stored value for the world).
void MdtRowFrameAxis(const MeReal* frame, const MeReal* transform, int row, MeReal* out);
void MdtRowFramePoint(const MeReal* frame, const MeReal* transform, MeReal* out);

// Quaternion helpers, (w, x, y, z).
void MdtQuaternionMultiply(MeReal* out, const MeReal* a, const MeReal* b);
void MdtQuaternionConjugate(MeReal* out, const MeReal* q);
// E(q) and G(q) as 3x4 row-major matrices.
void MdtQuaternionE(const MeReal* q, MeReal* m34);
void MdtQuaternionG(const MeReal* q, MeReal* m34);
// out (3x3) = s * A B^T for 3x4 A and B.
void MdtMultiplyABt(const MeReal* a, const MeReal* b, MeReal s, MeReal* out33);

// Both attachment frames in world coordinates, and the centres of mass
// (x1 zero for the world).
struct MdtJointFrames {
  MeReal a0[3], b0[3], c0[3], p0[3];
  MeReal a1[3], b1[3], c1[3], p1[3];
  MeReal x0[3], x1[3];
};
void MdtRowGetFrames(const MdtConstraint* c, const MdtRowBodies& b, MdtJointFrames* f);

// What a frame-based joint's row builder starts from: the packed bodies,
// whether body 1 is present, the row arrays from the header's current row and
// both attachment frames in world coordinates.
struct MdtJointRows {
  MdtRowBodies b;
  bool two;
  MdtRowArrays a;
  MdtJointFrames f;
};
// Gathers the above for c; with `pointRows` it also writes rows 0-2 that hold
// the two attachment points together (MdtPointRows).  Cannot fail.
MdtJointRows MdtJointRowsBegin(keaConstraints* header, const MdtConstraint* c, const MeReal* transforms,
                               keaBody* states, bool pointRows);
// Negated copy of v.
void MdtNegate(const MeReal* v, MeReal* out);
