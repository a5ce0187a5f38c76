// D3DX 8 matrix and vector types and the matrix product and inverse.
// Matrices are row-major and used with row vectors (p' = p M).
#pragma once

#include "platform/d3d8/d3d8_types.h"

struct D3DXVECTOR2 {
  float x, y;
};

struct D3DXVECTOR3 : D3DVECTOR {
  D3DXVECTOR3() = default;
  D3DXVECTOR3(float ax, float ay, float az) : D3DVECTOR{ax, ay, az} {}
};

struct D3DXVECTOR4 {
  float x, y, z, w;
};

struct D3DXMATRIX : D3DMATRIX {
  D3DXMATRIX() = default;
  D3DXMATRIX(const D3DMATRIX& m) : D3DMATRIX(m) {}
  float& operator()(unsigned row, unsigned column) { return m[row][column]; }
  float operator()(unsigned row, unsigned column) const { return m[row][column]; }
};

// out = a x b (out may be a or b); answers out.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);

// out = the inverse of m (out may be m) and *determinant (when not null) its
// determinant; answers out, or null with out untouched when m is singular
// (determinant 0 or not finite).
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
