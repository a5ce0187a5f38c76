#include "render/geometry/matrix.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "foundation/maths/angles.h"
#include "foundation/maths/vector3.h"
#include "platform/d3dx8/d3dx8.h"

namespace {

constexpr float kPi = 3.14159265358979323846f;

// Degrees to radians as the engine writes it: angle / 360 x 2 pi.
float Radians(float degrees) { return degrees / 360.0f * 2.0f * kPi; }
float Degrees(float radians) { return radians * 360.0f / (2.0f * kPi); }

const D3DXMATRIX* AsD3dx(const CMatrix& m) { return reinterpret_cast<const D3DXMATRIX*>(&m.m[0][0]); }

}  // namespace

void CMatrix::SetIdentity() {
  std::memset(m, 0, sizeof(m));
  m[0][0] = m[1][1] = m[2][2] = m[3][3] = 1.0f;
  TypeFlags = MATF_IDENTITY;
}

void CMatrix::SetIdentityAllFlags() {
  SetIdentity();
  TypeFlags = MATF_IDENTITY | MATF_ROTATION | MATF_TRANSLATION | MATF_SCALE;
}

void CMatrix::SetTranslation(const CVector3& v) { SetTranslationXYZ(v.x, v.y, v.z); }

void CMatrix::SetTranslationXYZ(float x, float y, float z) {
  m[3][0] = x;
  m[3][1] = y;
  m[3][2] = z;
  if (x != 0.0f || y != 0.0f || z != 0.0f) TypeFlags |= MATF_TRANSLATION;
}

void CMatrix::ScaleAxes(const CVector3& v) { Scale(v.x, v.y, v.z); }

void CMatrix::Scale(float x, float y, float z) {
  m[0][0] *= x;
  m[1][1] *= y;
  m[2][2] *= z;
  if (x != 1.0f || y != 1.0f || z != 1.0f) TypeFlags |= MATF_SCALE;
}

void CMatrix::ScaleUniform(float s) {
  if (s == 1.0f) return;
  Scale(s, s, s);
}

// Post-multiplying by a rotation about X mixes columns 1 and 2 of every row:
// (m_r1, m_r2) = (c m_r1 + s m_r2, c m_r2 - s m_r1).  Y and Z likewise on their pairs.
void CMatrix::RotateX(float degrees) {
  if (degrees == 0.0f) return;
  const float a = Radians(degrees), c = std::cos(a), s = std::sin(a);
  for (auto& row : m) {
    const float r1 = row[1], r2 = row[2];
    row[1] = c * r1 + s * r2;
    row[2] = c * r2 - s * r1;
  }
  TypeFlags |= MATF_ROTATION;
}

void CMatrix::RotateY(float degrees) {
  if (degrees == 0.0f) return;
  const float a = Radians(degrees), c = std::cos(a), s = std::sin(a);
  for (auto& row : m) {
    const float r0 = row[0], r2 = row[2];
    row[0] = c * r0 - s * r2;
    row[2] = s * r0 + c * r2;
  }
  TypeFlags |= MATF_ROTATION;
}

void CMatrix::RotateZ(float degrees) {
  if (degrees == 0.0f) return;
  const float a = Radians(degrees), c = std::cos(a), s = std::sin(a);
  for (auto& row : m) {
    const float r0 = row[0], r1 = row[1];
    row[0] = c * r0 + s * r1;
    row[1] = c * r1 - s * r0;
  }
  TypeFlags |= MATF_ROTATION;
}

void CMatrix::SetRotationZXY(float z, float x, float y) {
  SetIdentity();
  RotateZ(z);
  RotateX(x);
  RotateY(y);
}

void CMatrix::SetRotationZX(float z, float x) {
  SetIdentity();
  RotateZ(z);
  RotateX(x);
}

// Pitch = asin(d.y / |(d.y, d.z)|) about X, then yaw = asin(d.x / |d|) about Y.
// A direction along x alone has no (y, z) part to divide by: it needs no pitch,
// and the zero vector has no direction at all (identity).
void CMatrix::SetFromDirection(const CVector3& d) {
  SetIdentity();
  if (d.x == 1.0f) {
    RotateY(90.0f);
    return;
  }
  if (d.x == -1.0f) {
    RotateY(-90.0f);
    return;
  }
  const float yz = std::sqrt(d.y * d.y + d.z * d.z);
  const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (len == 0.0f) return;
  if (yz > 0.0f) RotateX(Degrees(std::asin(std::fmax(-1.0f, std::fmin(1.0f, d.y / yz)))));
  RotateY(Degrees(std::asin(std::fmax(-1.0f, std::fmin(1.0f, d.x / len)))));
}

void CMatrix::SetFromDirectionAndRoll(const CVector3& d, float roll) {
  SetFromDirection(d);
  RotateZ(roll);
}

int CMatrix::Invert(CMatrix* result, float* determinant) const {
  D3DXMATRIX inverse;
  float det = 0.0f;
  if (D3DXMatrixInverse(&inverse, &det, AsD3dx(*this)) == nullptr) return 0;
  std::memcpy(&result->m[0][0], &inverse, sizeof(result->m));
  result->TypeFlags = TypeFlags | MATF_GENERAL;
  if (determinant != nullptr) *determinant = det;
  return 1;
}

void CMatrix::Transpose3x3() {
  std::swap(m[0][1], m[1][0]);
  std::swap(m[0][2], m[2][0]);
  std::swap(m[1][2], m[2][1]);
}

int CMatrix::IsValid() const {
  for (const auto& row : m)
    for (float v : row)
      if (std::isnan(v)) return 0;
  return 1;
}

void CMatrix::Decompose(CVector3* position, CVector3* angles, CVector3* forward, CVector3* up,
                        CVector3* right) const {
  if (position != nullptr) *position = {m[3][0], m[3][1], m[3][2]};
  // The unit axes rotated by the 3x3 part are simply its rows.
  const CVector3 f{m[2][0], m[2][1], m[2][2]};
  const CVector3 u{m[1][0], m[1][1], m[1][2]};
  const CVector3 r{m[0][0], m[0][1], m[0][2]};
  if (forward != nullptr) *forward = f;
  if (up != nullptr) *up = u;
  if (right != nullptr) *right = r;
  if (angles == nullptr) return;
  // Pitch and yaw of the forward direction in degrees, each in [0, 360].
  Vector3 fAngles;
  DirectionToAngles(Vector3{f.x, f.y, f.z}, &fAngles);
  // RotateX(a) then RotateY(b) carries z to a forward direction of pitch -a and
  // yaw -b, so RotateY(yaw) then RotateX(pitch) carries it back.  Applied to the up
  // direction, what is left leans in the x-y plane by the roll, measured from y.
  CMatrix undo;
  undo.SetIdentity();
  undo.RotateY(fAngles.y);
  undo.RotateX(fAngles.x);
  CVector3 u2;
  undo.RotateVector(u, &u2);
  angles->x = fAngles.x;
  angles->y = fAngles.y;
  angles->z = std::fabs(Degrees(std::atan2(u2.x, u2.y)));
}

void CMatrix::TransformPoint(const CVector3& in, CVector3* out) const {
  if (TypeFlags == MATF_IDENTITY) {
    *out = in;
  } else if (TypeFlags & MATF_ROTATION) {
    const CVector3 p = in;
    out->x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    out->y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    out->z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
  } else if (TypeFlags & MATF_SCALE) {
    out->x = in.x * m[0][0] + m[3][0];
    out->y = in.y * m[1][1] + m[3][1];
    out->z = in.z * m[2][2] + m[3][2];
  } else {
    out->x = in.x + m[3][0];
    out->y = in.y + m[3][1];
    out->z = in.z + m[3][2];
  }
}

void CMatrix::TransformPoints(int count, const CVector3* in, CVector3* out) const {
  for (int i = 0; i < count; ++i) TransformPoint(in[i], &out[i]);
}

void CMatrix::TransformVec4(const CVector4& in, CVector4* out) const {
  CVector3 p{in.x, in.y, in.z};
  TransformPoint(p, &p);
  *out = {p.x, p.y, p.z, in.w};
}

void CMatrix::TransformPointPair(CVector3* a, CVector3* b) const {
  if (TypeFlags == MATF_IDENTITY) return;
  TransformPoint(*a, a);
  TransformPoint(*b, b);
}

void CMatrix::TransformPointHomogeneous(const CVector3& in, CVector4* out) const {
  const CVector3 p = in;
  out->x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
  out->y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
  out->z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
  out->w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
}

void CMatrix::TransformPointsHomogeneous(int count, const CVector3* in, CVector4* out) const {
  for (int i = 0; i < count; ++i) TransformPointHomogeneous(in[i], &out[i]);
}

void CMatrix::RotateVector(const CVector3& in, CVector3* out) const {
  if (!(TypeFlags & MATF_ROTATION)) {
    *out = in;
    return;
  }
  const CVector3 v = in;
  out->x = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0];
  out->y = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1];
  out->z = v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2];
}

void CMatrix::RotateVectors(int count, const CVector3* in, CVector3* out) const {
  for (int i = 0; i < count; ++i) RotateVector(in[i], &out[i]);
}

void CMatrix::RotateVec4(const CVector4& in, CVector4* out) const {
  CVector3 v{in.x, in.y, in.z};
  RotateVector(v, &v);
  *out = {v.x, v.y, v.z, in.w};
}

void CMatrix::RotateVectorPair(CVector3* a, CVector3* b) const {
  RotateVector(*a, a);
  RotateVector(*b, b);
}

void MatrixMultiply(CMatrix* out, const CMatrix& a, const CMatrix& b) {
  D3DXMATRIX product;
  D3DXMatrixMultiply(&product, AsD3dx(a), AsD3dx(b));
  std::memcpy(&out->m[0][0], &product, sizeof(out->m));
}

// d = q0 . q1; the shorter arc negates q1 when d < 0.  Far apart: the sine weights
// sin((1 - t) w) / sin w and sin(t w) / sin w with w = acos d; nearly equal: linear.
void QuaternionSlerp(const CVector4& q0, const CVector4& q1, float t, CVector4* out) {
  float d = q0.x * q1.x + q0.y * q1.y + q0.z * q1.z + q0.w * q1.w;
  CVector4 b1 = q1;
  if (d < 0.0f) {
    d = -d;
    b1 = {-q1.x, -q1.y, -q1.z, -q1.w};
  }
  float a, b;
  if (1.0f - d > 1e-6f) {
    const float w = std::acos(d);
    const float k = 1.0f / std::sin(w);
    a = std::sin((1.0f - t) * w) * k;
    b = std::sin(t * w) * k;
  } else {
    a = 1.0f - t;
    b = t;
  }
  *out = {a * q0.x + b * b1.x, a * q0.y + b * b1.y, a * q0.z + b * b1.z, a * q0.w + b * b1.w};
}

void QuaternionToMatrix(CMatrix* matrix, const CVector4& q) {
  const float x = q.x, y = q.y, z = q.z, w = q.w;
  const float xx = x * x, yy = y * y, zz = z * z, ww = w * w;
  auto& m = matrix->m;
  m[0][0] = xx - yy - zz + ww;
  m[0][1] = 2.0f * (x * y - w * z);
  m[0][2] = 2.0f * (x * z + w * y);
  m[1][0] = 2.0f * (x * y + w * z);
  m[1][1] = -xx + yy - zz + ww;
  m[1][2] = 2.0f * (y * z - w * x);
  m[2][0] = 2.0f * (x * z - w * y);
  m[2][1] = 2.0f * (y * z + w * x);
  m[2][2] = -xx - yy + zz + ww;
  m[0][3] = m[1][3] = m[2][3] = 0.0f;
  m[3][0] = m[3][1] = m[3][2] = 0.0f;
  m[3][3] = xx + yy + zz + ww;
  matrix->TypeFlags = MATF_IDENTITY | MATF_ROTATION;
}

void PrsKeyToMatrix(const Pose& key, CMatrix* matrix) {
  CMatrix rotation;
  QuaternionToMatrix(&rotation, key.rotation);
  CMatrix scale;
  scale.SetIdentity();
  scale.ScaleAxes(key.scale);
  MatrixMultiply(matrix, scale, rotation);
  matrix->TypeFlags = rotation.TypeFlags | scale.TypeFlags;
  matrix->SetTranslation(key.translation);
}

void PoseToMatrix(const Pose& pose, CMatrix* matrix) { PrsKeyToMatrix(pose, matrix); }

void InterpolatePose(const Pose& a, const Pose& b, float t, CMatrix* matrix, Pose* out) {
  CVector4 q;
  QuaternionSlerp(a.rotation, b.rotation, t, &q);
  matrix->SetIdentity();
  QuaternionToMatrix(matrix, q);
  CMatrix scale;
  scale.SetIdentity();
  scale.ScaleAxes(a.scale);
  if (scale.TypeFlags & MATF_SCALE) {
    CMatrix product;
    MatrixMultiply(&product, scale, *matrix);
    product.TypeFlags = matrix->TypeFlags | scale.TypeFlags;
    *matrix = product;
  }
  matrix->SetTranslationXYZ(a.translation.x + (b.translation.x - a.translation.x) * t,
                            a.translation.y + (b.translation.y - a.translation.y) * t,
                            a.translation.z + (b.translation.z - a.translation.z) * t);
  if (out != nullptr) {
    out->translation = {matrix->m[3][0], matrix->m[3][1], matrix->m[3][2]};
    out->rotation = q;
    out->scale = a.scale;
  }
}

void AnglesToDirection(const CVector3& angles, CVector3* out) {
  const float pitch = Radians(angles.x), yaw = Radians(angles.y);
  out->x = std::sin(yaw) * std::cos(pitch);
  out->y = -std::sin(pitch);
  out->z = std::cos(yaw) * std::cos(pitch);
}

void WrapAngles(CVector3* v, float period) {
  for (float* c : {&v->x, &v->y, &v->z}) {
    *c = std::fmod(*c, period);
    if (*c < 0.0f) *c += period;
    if (*c >= period) *c -= period;
  }
}
