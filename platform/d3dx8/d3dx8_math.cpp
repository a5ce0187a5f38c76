#include "platform/d3dx8/d3dx8_math.h"

#include <cmath>

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  // (a b)[r][c] = sum over k of a[r][k] b[k][c]; computed into a copy so that
  // out may alias either input.
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                  a->m[i][3] * b->m[3][j];
  *out = r;
  return out;
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
  // Inverse by cofactors: inv = adj(m) / det(m), with the 2x2 sub-determinants
  // of the top two rows (s) and bottom two rows (c) shared between terms.
  const float(*a)[4] = m->m;
  double s0 = double(a[0][0]) * a[1][1] - double(a[1][0]) * a[0][1];
  double s1 = double(a[0][0]) * a[1][2] - double(a[1][0]) * a[0][2];
  double s2 = double(a[0][0]) * a[1][3] - double(a[1][0]) * a[0][3];
  double s3 = double(a[0][1]) * a[1][2] - double(a[1][1]) * a[0][2];
  double s4 = double(a[0][1]) * a[1][3] - double(a[1][1]) * a[0][3];
  double s5 = double(a[0][2]) * a[1][3] - double(a[1][2]) * a[0][3];
  double c5 = double(a[2][2]) * a[3][3] - double(a[3][2]) * a[2][3];
  double c4 = double(a[2][1]) * a[3][3] - double(a[3][1]) * a[2][3];
  double c3 = double(a[2][1]) * a[3][2] - double(a[3][1]) * a[2][2];
  double c2 = double(a[2][0]) * a[3][3] - double(a[3][0]) * a[2][3];
  double c1 = double(a[2][0]) * a[3][2] - double(a[3][0]) * a[2][2];
  double c0 = double(a[2][0]) * a[3][1] - double(a[3][0]) * a[2][1];
  double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (determinant) *determinant = static_cast<float>(det);
  if (det == 0.0 || !std::isfinite(det)) return nullptr;
  double k = 1.0 / det;
  double r[4][4];
  r[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * k;
  r[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * k;
  r[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * k;
  r[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * k;
  r[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * k;
  r[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * k;
  r[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * k;
  r[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * k;
  r[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * k;
  r[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * k;
  r[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * k;
  r[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * k;
  r[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * k;
  r[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * k;
  r[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * k;
  r[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * k;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out->m[i][j] = static_cast<float>(r[i][j]);
  return out;
}
