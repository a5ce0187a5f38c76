// The renderer's transform: a 4x4 single-precision matrix with a word of type
// flags that lets point transforms skip work.
//
// Frame: rows are the local x axis (m[0]), y axis (m[1]), z axis (m[2]) and the
// translation (m[3]); points are row vectors, p' = p x M.  Angles are degrees.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

enum MatrixTypeFlags : std::uint32_t {
  MATF_IDENTITY = 1,     // the whole word equal to 1 means "identity"
  MATF_ROTATION = 2,     // the 3x3 part may hold a rotation
  MATF_TRANSLATION = 4,  // row 3 holds a non-zero translation
  MATF_SCALE = 8,        // the 3x3 part holds at most a diagonal scale
  MATF_GENERAL = 16,     // produced by an inverse
};

class CMatrix {
 public:
  float m[4][4];
  std::uint32_t TypeFlags;

  // Sets the identity; TypeFlags becomes exactly MATF_IDENTITY.
  void SetIdentity();
  // Sets the identity with TypeFlags 15, so that every transform takes the full path.
  void SetIdentityAllFlags();

  // Row 3 = (x, y, z), m33 untouched; adds MATF_TRANSLATION unless all are exactly 0.
  void SetTranslation(const CVector3& v);
  void SetTranslationXYZ(float x, float y, float z);

  // Multiplies the diagonal only (m00, m11, m22); adds MATF_SCALE unless all are exactly 1.
  void ScaleAxes(const CVector3& v);
  void Scale(float x, float y, float z);
  // The same with one factor; nothing when s is exactly 1.
  void ScaleUniform(float s);

  // Post-multiplies every row (translation included) by a rotation about X, Y or Z
  // by the angle in degrees; nothing when the angle is exactly 0; adds MATF_ROTATION.
  void RotateX(float degrees);
  void RotateY(float degrees);
  void RotateZ(float degrees);

  // Identity, then RotateZ(z), RotateX(x), RotateY(y).
  void SetRotationZXY(float z, float x, float y);
  // Identity, then RotateZ(z), RotateX(x).
  void SetRotationZX(float z, float x);

  // A rotation that turns the z axis towards direction d (pitch about X, then yaw
  // about Y).  A direction with no y or z part turns about Y only; the zero vector
  // gives the identity.
  void SetFromDirection(const CVector3& d);
  // SetFromDirection, then RotateZ(roll).
  void SetFromDirectionAndRoll(const CVector3& d, float roll);

  // result = inverse of this matrix, flags = this matrix's flags | MATF_GENERAL.
  // Answers 0 and leaves result untouched when the matrix is singular.
  int Invert(CMatrix* result, float* determinant) const;

  // Swaps m01/m10, m02/m20, m12/m21 in place.
  void Transpose3x3();

  // Answers 0 when any entry is a NaN, else 1.
  int IsValid() const;

  // Splits the matrix into position (row 3), the forward (0,0,1), up (0,1,0) and
  // right (1,0,0) directions rotated by it, and angles (pitch, yaw of forward and
  // the roll left between up and right once pitch and yaw are undone, degrees).
  // Any output may be null.
  void Decompose(CVector3* position, CVector3* angles, CVector3* forward, CVector3* up,
                 CVector3* right) const;

  // Point transforms by flags: identity copies; MATF_ROTATION takes the full 4x3
  // product; MATF_SCALE the diagonal plus translation; otherwise translation only.
  void TransformPoint(const CVector3& in, CVector3* out) const;
  void TransformPoints(int count, const CVector3* in, CVector3* out) const;
  // As TransformPoint on x, y, z; w is copied.
  void TransformVec4(const CVector4& in, CVector4* out) const;
  // Both points transformed in place; nothing when the matrix is the identity.
  void TransformPointPair(CVector3* a, CVector3* b) const;
  // (x, y, z, 1) times all four columns; the flags are not consulted.
  void TransformPointHomogeneous(const CVector3& in, CVector4* out) const;
  void TransformPointsHomogeneous(int count, const CVector3* in, CVector4* out) const;

  // Direction transforms: with MATF_ROTATION the 3x3 part is applied without the
  // translation; without it the direction is copied unchanged (a pure scale is
  // deliberately not applied to directions).
  void RotateVector(const CVector3& in, CVector3* out) const;
  void RotateVectors(int count, const CVector3* in, CVector3* out) const;
  void RotateVec4(const CVector4& in, CVector4* out) const;
  void RotateVectorPair(CVector3* a, CVector3* b) const;
};

// out = a x b (row vectors: a applied first), flags are not touched.
void MatrixMultiply(CMatrix* out, const CMatrix& a, const CMatrix& b);

// Pose of an animated part: translation, three unused values, scale, rotation quaternion.
struct Pose {
  CVector3 translation;
  float unused[3];
  CVector3 scale;
  CVector4 rotation;  // (x, y, z, w)
};

// Spherical interpolation along the shortest arc; quaternions are (x, y, z, w).
void QuaternionSlerp(const CVector4& q0, const CVector4& q1, float t, CVector4* out);
// Rotation matrix of quaternion q (not required to be unit); TypeFlags becomes 3.
void QuaternionToMatrix(CMatrix* matrix, const CVector4& q);
// Matrix of a transform key: scale, then rotation, then translation.
void PrsKeyToMatrix(const Pose& key, CMatrix* matrix);
// The same conversion (forwards to PrsKeyToMatrix).
void PoseToMatrix(const Pose& pose, CMatrix* matrix);
// Pose between a and b at t: slerped rotation, lerped translation, a's scale.
// When out is given it receives the resulting pose.
void InterpolatePose(const Pose& a, const Pose& b, float t, CMatrix* matrix, Pose* out);

// Direction of (pitch, yaw) in degrees: (sin yaw cos pitch, -sin pitch, cos yaw cos pitch).
void AnglesToDirection(const CVector3& angles, CVector3* out);
// Brings each component into [0, period).
void WrapAngles(CVector3* v, float period);
