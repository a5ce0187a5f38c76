// Small vector, matrix, quaternion and transform helpers of the physics
// library.  Conventions as in me_types.h: row-major, row vectors, 4x4
// transforms with rotation rows 0-2 and the position in row 3, quaternions
// (w, x, y, z).
#pragma once

#include <cstdio>

#include "physics/util/me_types.h"

// Inline vector helpers used throughout the library.
inline MeReal MeVector3Dot(const MeReal* a, const MeReal* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline void MeVector3Copy(MeReal* out, const MeReal* a) {
  out[0] = a[0]; out[1] = a[1]; out[2] = a[2];
}
inline void MeVector3Set(MeReal* out, MeReal x, MeReal y, MeReal z) {
  out[0] = x; out[1] = y; out[2] = z;
}
inline void MeVector3Add(MeReal* out, const MeReal* a, const MeReal* b) {
  out[0] = a[0] + b[0]; out[1] = a[1] + b[1]; out[2] = a[2] + b[2];
}
inline void MeVector3Subtract(MeReal* out, const MeReal* a, const MeReal* b) {
  out[0] = a[0] - b[0]; out[1] = a[1] - b[1]; out[2] = a[2] - b[2];
}
inline void MeVector3Scale(MeReal* v, MeReal s) { v[0] *= s; v[1] *= s; v[2] *= s; }
inline void MeVector3MultiplyAdd(MeReal* out, MeReal s, const MeReal* a) {
  out[0] += s * a[0]; out[1] += s * a[1]; out[2] += s * a[2];
}
inline void MeVector3Cross(MeReal* out, const MeReal* a, const MeReal* b) {
  MeReal x = a[1] * b[2] - a[2] * b[1];
  MeReal y = a[2] * b[0] - a[0] * b[2];
  MeReal z = a[0] * b[1] - a[1] * b[0];
  out[0] = x; out[1] = y; out[2] = z;
}
MeReal MeVector3Magnitude(const MeReal* v);
// v · (transform rotation): a direction taken from local to world.
void MeMatrix4TMRotate(MeReal* out, const MeReal* m, const MeReal* v);
// A point taken from local to world: v · rotation + position.
void MeMatrix4TMTransform(MeReal* out, const MeReal* m, const MeReal* v);
// A world direction taken into the transform's frame (rotation transposed).
void MeMatrix4TMInverseRotate(MeReal* out, const MeReal* m, const MeReal* v);
// Sets the 4x4 identity.
void MeMatrix4TMMakeIdentity(MeReal* m);

// 0.5 · sqrt(|a|²|b|² − (a·b)²): the area of the triangle spanned by a and b.
MeReal MeVector3TriangleArea(const MeReal* a, const MeReal* b);
// Exchanges two 3-vectors.
void MeVector3Swap(MeReal* a, MeReal* b);
// Normalises v; a vector of squared length not above 0 (or NaN) becomes (1,0,0).
void MeVector3NormalizeOrX(MeReal* v);

// Unit quaternion of the rotation part of a 4x4 transform.
void MeMatrixToQuaternion(MeReal* q, const MeReal* m);
// Turns q by the angular velocity w over the step h; nothing when |w| < 0.0001.
void MeQuaternionFiniteRotation(MeReal* q, const MeReal* w, MeReal h);
// q (w, x, y, z) = the rotation by `angle` radians about `axis` (any length,
// right-handed): (cos(angle/2), sin(angle/2) axis/|axis|).  A zero (or NaN)
// axis gives the identity.
void MeQuaternionFromAxisAngle(MeReal* q, const MeReal* axis, MeReal angle);

// Prints `rows` x `columns` floats row by row, blank-separated, a line break
// after each row.
void MeMatrixPrint(FILE* stream, const MeReal* m, int rows, int columns);
void MeMatrixPrintStdout(const MeReal* m, int rows, int columns);

// Inverts a symmetric 3x3 in place; 0 (m unchanged) unless m is exactly
// symmetric with a non-zero determinant.
int MeMatrix3InvertSymmetric(MeReal* m);
// 1 when m is the identity within tol (absolute below tol where 0 is
// expected, relative otherwise).
int MeMatrix3IsIdentity(const MeReal* m, MeReal tol);
// LU decomposition with scaled partial pivoting.  Writes the row order to
// perm; 0 when a pivot is below 1.2e-7 relative to its row scale.
int MeMatrix3LUDecompose(MeReal* m, int perm[3]);
// Exchanges columns a and b of m.
void MeMatrix3SwapColumns(MeReal* m, int a, int b);
// Inverts m in place; 0 (m unchanged) when it is singular.
int MeMatrix3Invert(MeReal* m);
// Inverse of a symmetric 3x3 by cofactors, written as three rows; 0 when the
// determinant is 0 (rows untouched).
int MeMatrix3InvertSymmetricRows(const MeReal* m, MeReal* r0, MeReal* r1, MeReal* r2);
// Rotations by angle a (radians) about x, y, z.
void MeMatrix3MakeRotationX(MeReal* m, MeReal a);
void MeMatrix3MakeRotationY(MeReal* m, MeReal a);
void MeMatrix3MakeRotationZ(MeReal* m, MeReal a);
MeReal MeMatrix3Trace(const MeReal* m);
// 1 when m·mᵀ is the identity within tol and det(m) > 1 − tol.
int MeMatrix3IsRotation(const MeReal* m, MeReal tol);
// The 3x3 rotation of the Euler angles (a, b, c).
void MeMatrixFromEulerAngles(MeReal* m, MeReal a, MeReal b, MeReal c);

int MeMatrix4IsIdentity(const MeReal* m, MeReal tol);
// 1 when m is a rigid transform within tol.
int MeMatrix4IsTransform(const MeReal* m, MeReal tol);
// Inverts a rigid transform in place.
void MeMatrix4InvertRigid(MeReal* m);
// Predicts a transform dt ahead: position + dt·v, rotation turned about w by
// |w|·dt when both dt and |w| are at least tol.  out may equal in.
void MeMatrix4Integrate(MeReal* out, MeReal tol, MeReal dt, const MeReal* v,
                        const MeReal* w, const MeReal* in);
// As MeMatrix4Integrate, with position += (v + a·dt/2)·dt.
void MeMatrix4IntegrateAccelerated(MeReal* out, MeReal tol, MeReal dt, const MeReal* v,
                                   const MeReal* a, const MeReal* w, const MeReal* in);
// out = a then b: rotation a.R × b.R, position a.p × b.R + b.p.  out may
// alias a or b.
void MeMatrix4MultiplyRigid(MeReal* out, const MeReal* a, const MeReal* b);
