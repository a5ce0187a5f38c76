#include "physics/util/me_math.h"

#include <cmath>
#include <cstring>

MeReal MeVector3Magnitude(const MeReal* v) { return std::sqrt(MeVector3Dot(v, v)); }

// Row vector times the rotation rows: out = v0 R0 + v1 R1 + v2 R2.
void MeMatrix4TMRotate(MeReal* out, const MeReal* m, const MeReal* v) {
  MeReal x = v[0] * m[0] + v[1] * m[4] + v[2] * m[8];
  MeReal y = v[0] * m[1] + v[1] * m[5] + v[2] * m[9];
  MeReal z = v[0] * m[2] + v[1] * m[6] + v[2] * m[10];
  out[0] = x; out[1] = y; out[2] = z;
}

void MeMatrix4TMTransform(MeReal* out, const MeReal* m, const MeReal* v) {
  MeMatrix4TMRotate(out, m, v);
  out[0] += m[12]; out[1] += m[13]; out[2] += m[14];
}

// Components along each local axis: (v·R0, v·R1, v·R2).
void MeMatrix4TMInverseRotate(MeReal* out, const MeReal* m, const MeReal* v) {
  MeReal x = MeVector3Dot(v, m + 0);
  MeReal y = MeVector3Dot(v, m + 4);
  MeReal z = MeVector3Dot(v, m + 8);
  out[0] = x; out[1] = y; out[2] = z;
}

void MeMatrix4TMMakeIdentity(MeReal* m) {
  std::memset(m, 0, 16 * sizeof(MeReal));
  m[0] = m[5] = m[10] = m[15] = 1;
}

MeReal MeVector3TriangleArea(const MeReal* a, const MeReal* b) {
  MeReal ab = MeVector3Dot(a, b);
  MeReal d = MeVector3Dot(a, a) * MeVector3Dot(b, b) - ab * ab;
  return d > 0 ? MeReal(0.5) * std::sqrt(d) : 0;
}

void MeVector3Swap(MeReal* a, MeReal* b) {
  for (int i = 0; i < 3; ++i) {
    MeReal t = a[i];
    a[i] = b[i];
    b[i] = t;
  }
}

void MeVector3NormalizeOrX(MeReal* v) {
  MeReal len2 = MeVector3Dot(v, v);
  if (!(len2 > 0)) {  // also catches NaN
    MeVector3Set(v, 1, 0, 0);
    return;
  }
  MeVector3Scale(v, 1 / std::sqrt(len2));
}

void MeMatrixToQuaternion(MeReal* q, const MeReal* m) {
  auto at = [m](int i, int j) { return m[4 * i + j]; };
  MeReal t = at(0, 0) + at(1, 1) + at(2, 2);
  if (t > 0) {
    MeReal r = std::sqrt(t + 1);
    MeReal f = MeReal(0.5) / r;
    q[0] = r / 2;
    q[1] = (at(1, 2) - at(2, 1)) * f;
    q[2] = (at(2, 0) - at(0, 2)) * f;
    q[3] = (at(0, 1) - at(1, 0)) * f;
    return;
  }
  // Largest diagonal element first; ties keep the earlier.
  int i = 0;
  if (at(1, 1) > at(0, 0)) i = 1;
  if (at(2, 2) > at(i, i)) i = 2;
  int j = (i + 1) % 3;
  int k = (j + 1) % 3;
  MeReal r = std::sqrt(at(i, i) - at(j, j) - at(k, k) + 1);
  MeReal f = r == 0 ? r : MeReal(0.5) / r;
  q[1 + i] = r / 2;
  q[0] = (at(j, k) - at(k, j)) * f;
  q[1 + j] = (at(i, j) + at(j, i)) * f;
  q[1 + k] = (at(i, k) + at(k, i)) * f;
}

void MeQuaternionFiniteRotation(MeReal* q, const MeReal* w, MeReal h) {
  MeReal a = MeVector3Magnitude(w);
  if (a < MeReal(0.0001)) return;
  // Turning by the angle a·h about u: q' = (cos θ, sin θ u) ⊗ q, θ = a·h/2.
  MeVector3 u = {w[0] / a, w[1] / a, w[2] / a};
  MeReal theta = a * h / 2;
  MeReal s = std::sin(theta), c = std::cos(theta);
  MeReal qw = q[0];
  MeVector3 v = {q[1], q[2], q[3]};
  MeVector3 uxv;
  MeVector3Cross(uxv, u, v);
  q[0] = c * qw - s * MeVector3Dot(u, v);
  for (int i = 0; i < 3; ++i) q[1 + i] = c * v[i] + s * (qw * u[i] + uxv[i]);
}

void MeQuaternionFromAxisAngle(MeReal* q, const MeReal* axis, MeReal angle) {
  const MeReal len = MeVector3Magnitude(axis);
  q[0] = 1;
  q[1] = q[2] = q[3] = 0;
  if (!(len > 0)) return;
  const MeReal s = std::sin(angle / 2) / len;
  q[0] = std::cos(angle / 2);
  for (int i = 0; i < 3; ++i) q[1 + i] = s * axis[i];
}

void MeMatrixPrint(FILE* stream, const MeReal* m, int rows, int columns) {
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) std::fprintf(stream, c ? " %g" : "%g", m[r * columns + c]);
    std::fputc('\n', stream);
  }
}

void MeMatrixPrintStdout(const MeReal* m, int rows, int columns) {
  MeMatrixPrint(stdout, m, rows, columns);
}

namespace {

MeReal Det3(const MeReal* m) {
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// Cofactor inverse, rows written separately.
void CofactorInverse(const MeReal* m, MeReal det, MeReal* r0, MeReal* r1, MeReal* r2) {
  MeReal inv = 1 / det;
  MeReal out[9] = {
      (m[4] * m[8] - m[5] * m[7]) * inv, (m[2] * m[7] - m[1] * m[8]) * inv,
      (m[1] * m[5] - m[2] * m[4]) * inv, (m[5] * m[6] - m[3] * m[8]) * inv,
      (m[0] * m[8] - m[2] * m[6]) * inv, (m[2] * m[3] - m[0] * m[5]) * inv,
      (m[3] * m[7] - m[4] * m[6]) * inv, (m[1] * m[6] - m[0] * m[7]) * inv,
      (m[0] * m[4] - m[1] * m[3]) * inv};
  MeVector3Copy(r0, out);
  MeVector3Copy(r1, out + 3);
  MeVector3Copy(r2, out + 6);
}

int ElementsAreIdentity(const MeReal* m, int n, int stride, MeReal tol) {
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      MeReal actual = m[i * stride + j];
      MeReal expected = i == j ? 1 : 0;
      if (std::fabs(actual) < tol && expected == 0) continue;
      if (actual == 0) return 0;
      MeReal rel = (expected - actual) / actual;
      if (!(std::fabs(rel) < tol)) return 0;
    }
  }
  return 1;
}

}  // namespace

int MeMatrix3InvertSymmetric(MeReal* m) {
  if (m[1] != m[3] || m[2] != m[6] || m[5] != m[7]) return 0;
  MeReal det = Det3(m);
  if (det == 0) return 0;
  MeReal copy[9];
  std::memcpy(copy, m, sizeof copy);
  CofactorInverse(copy, det, m, m + 3, m + 6);
  return 1;
}

int MeMatrix3IsIdentity(const MeReal* m, MeReal tol) { return ElementsAreIdentity(m, 3, 3, tol); }

int MeMatrix3LUDecompose(MeReal* m, int perm[3]) {
  MeReal scale[3];
  for (int i = 0; i < 3; ++i) {
    MeReal big = 0;
    for (int j = 0; j < 3; ++j) big = std::fmax(big, std::fabs(m[3 * i + j]));
    if (big == 0) return 0;
    scale[i] = 1 / big;
    perm[i] = i;
  }
  // Doolittle elimination with scaled partial pivoting; the multipliers are
  // stored below the diagonal.
  for (int k = 0; k < 3; ++k) {
    int p = k;
    MeReal best = 0;
    for (int i = k; i < 3; ++i) {
      MeReal v = std::fabs(m[3 * i + k]) * scale[i];
      if (v > best) {
        best = v;
        p = i;
      }
    }
    if (best < MeReal(1.2e-7)) return 0;
    if (p != k) {
      for (int j = 0; j < 3; ++j) {
        MeReal t = m[3 * k + j];
        m[3 * k + j] = m[3 * p + j];
        m[3 * p + j] = t;
      }
      MeReal t = scale[k];
      scale[k] = scale[p];
      scale[p] = t;
      int ti = perm[k];
      perm[k] = perm[p];
      perm[p] = ti;
    }
    for (int i = k + 1; i < 3; ++i) {
      MeReal f = m[3 * i + k] / m[3 * k + k];
      m[3 * i + k] = f;
      for (int j = k + 1; j < 3; ++j) m[3 * i + j] -= f * m[3 * k + j];
    }
  }
  return 1;
}

void MeMatrix3SwapColumns(MeReal* m, int a, int b) {
  for (int i = 0; i < 3; ++i) {
    MeReal t = m[3 * i + a];
    m[3 * i + a] = m[3 * i + b];
    m[3 * i + b] = t;
  }
}

int MeMatrix3Invert(MeReal* m) {
  MeReal lu[9];
  std::memcpy(lu, m, sizeof lu);
  int perm[3];
  if (!MeMatrix3LUDecompose(lu, perm)) return 0;
  MeReal inv[9];
  // Solve LU x = P e_c for each column c.
  for (int c = 0; c < 3; ++c) {
    MeReal x[3];
    for (int i = 0; i < 3; ++i) {
      MeReal s = perm[i] == c ? 1 : 0;
      for (int j = 0; j < i; ++j) s -= lu[3 * i + j] * x[j];
      x[i] = s;
    }
    for (int i = 2; i >= 0; --i) {
      MeReal s = x[i];
      for (int j = i + 1; j < 3; ++j) s -= lu[3 * i + j] * x[j];
      x[i] = s / lu[3 * i + i];
    }
    for (int i = 0; i < 3; ++i) inv[3 * i + c] = x[i];
  }
  std::memcpy(m, inv, sizeof inv);
  return 1;
}

int MeMatrix3InvertSymmetricRows(const MeReal* m, MeReal* r0, MeReal* r1, MeReal* r2) {
  MeReal det = Det3(m);
  if (det == 0) return 0;
  CofactorInverse(m, det, r0, r1, r2);
  return 1;
}

void MeMatrix3MakeRotationX(MeReal* m, MeReal a) {
  MeReal c = std::cos(a), s = std::sin(a);
  MeReal r[9] = {1, 0, 0, 0, c, -s, 0, s, c};
  std::memcpy(m, r, sizeof r);
}

void MeMatrix3MakeRotationY(MeReal* m, MeReal a) {
  MeReal c = std::cos(a), s = std::sin(a);
  MeReal r[9] = {c, 0, -s, 0, 1, 0, s, 0, c};
  std::memcpy(m, r, sizeof r);
}

void MeMatrix3MakeRotationZ(MeReal* m, MeReal a) {
  MeReal c = std::cos(a), s = std::sin(a);
  MeReal r[9] = {c, -s, 0, s, c, 0, 0, 0, 1};
  std::memcpy(m, r, sizeof r);
}

MeReal MeMatrix3Trace(const MeReal* m) { return m[0] + m[4] + m[8]; }

int MeMatrix3IsRotation(const MeReal* m, MeReal tol) {
  MeReal mmt[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) mmt[3 * i + j] = MeVector3Dot(m + 3 * i, m + 3 * j);
  return MeMatrix3IsIdentity(mmt, tol) && Det3(m) > 1 - tol;
}

void MeMatrixFromEulerAngles(MeReal* m, MeReal a, MeReal b, MeReal c) {
  MeReal ca = std::cos(a), sa = std::sin(a);
  MeReal cb = std::cos(b), sb = std::sin(b);
  MeReal cc = std::cos(c), sc = std::sin(c);
  MeReal r[9] = {cc * cb,
                 -sc * cb,
                 -sb,
                 sc * ca - cc * sb * sa,
                 sb * sc * sa + cc * ca,
                 -cb * sa,
                 cc * sb * ca + sc * sa,
                 cc * sa - sb * sc * ca,
                 cb * ca};
  std::memcpy(m, r, sizeof r);
}

int MeMatrix4IsIdentity(const MeReal* m, MeReal tol) { return ElementsAreIdentity(m, 4, 4, tol); }

int MeMatrix4IsTransform(const MeReal* m, MeReal tol) {
  if (!(std::fabs(m[15] - 1) < tol)) return 0;
  if (!(std::fabs(m[3]) < tol && std::fabs(m[7]) < tol && std::fabs(m[11]) < tol)) return 0;
  MeReal r[9] = {m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]};
  return MeMatrix3IsRotation(r, tol);
}

void MeMatrix4InvertRigid(MeReal* m) {
  MeVector3 p = {m[12], m[13], m[14]};
  MeVector3 rows[3] = {{m[0], m[1], m[2]}, {m[4], m[5], m[6]}, {m[8], m[9], m[10]}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[4 * i + j] = rows[j][i];
  m[12] = -MeVector3Dot(p, rows[0]);
  m[13] = -MeVector3Dot(p, rows[1]);
  m[14] = -MeVector3Dot(p, rows[2]);
}

namespace {

// out rotation = R(axis u, angle) applied to each row of in (row vectors:
// each local axis turns about the world axis u by Rodrigues' formula
// r' = r cos θ + (u × r) sin θ + u (u·r)(1 − cos θ)).
void IntegrateRotation(MeReal* out, MeReal tol, MeReal dt, const MeReal* w, const MeReal* in) {
  MeReal speed = MeVector3Magnitude(w);
  if (dt >= tol && speed >= tol) {
    MeVector3 u = {w[0] / speed, w[1] / speed, w[2] / speed};
    MeReal angle = speed * dt;
    MeReal c = std::cos(angle), s = std::sin(angle);
    for (int row = 0; row < 3; ++row) {
      MeVector3 r = {in[4 * row], in[4 * row + 1], in[4 * row + 2]};
      MeVector3 uxr;
      MeVector3Cross(uxr, u, r);
      MeReal ur = MeVector3Dot(u, r);
      for (int k = 0; k < 3; ++k) out[4 * row + k] = r[k] * c + uxr[k] * s + u[k] * ur * (1 - c);
    }
  } else if (out != in) {
    for (int row = 0; row < 3; ++row)
      for (int k = 0; k < 3; ++k) out[4 * row + k] = in[4 * row + k];
  }
  out[3] = out[7] = out[11] = 0;
  out[15] = 1;
}

}  // namespace

void MeMatrix4Integrate(MeReal* out, MeReal tol, MeReal dt, const MeReal* v, const MeReal* w,
                        const MeReal* in) {
  MeVector3 p = {in[12] + dt * v[0], in[13] + dt * v[1], in[14] + dt * v[2]};
  IntegrateRotation(out, tol, dt, w, in);
  MeVector3Copy(out + 12, p);
}

void MeMatrix4IntegrateAccelerated(MeReal* out, MeReal tol, MeReal dt, const MeReal* v,
                                   const MeReal* a, const MeReal* w, const MeReal* in) {
  MeVector3 p;
  for (int k = 0; k < 3; ++k) p[k] = in[12 + k] + (v[k] + a[k] * dt / 2) * dt;
  IntegrateRotation(out, tol, dt, w, in);
  MeVector3Copy(out + 12, p);
}

void MeMatrix4MultiplyRigid(MeReal* out, const MeReal* a, const MeReal* b) {
  MeReal r[16];
  for (int row = 0; row < 4; ++row) {
    MeVector3 v = {a[4 * row], a[4 * row + 1], a[4 * row + 2]};
    MeMatrix4TMRotate(r + 4 * row, b, v);
  }
  r[12] += b[12];
  r[13] += b[13];
  r[14] += b[14];
  r[3] = r[7] = r[11] = 0;
  r[15] = 1;
  std::memcpy(out, r, sizeof r);
}
