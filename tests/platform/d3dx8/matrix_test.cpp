#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/d3dx8/d3dx8.h"

namespace {

D3DXMATRIX Make(std::initializer_list<float> values) {
  D3DXMATRIX m;
  int i = 0;
  for (float v : values) m.m[i / 4][i % 4] = v, ++i;
  return m;
}

TEST(D3DXMatrixTest, ProductTakesRowsOfTheFirstAgainstColumnsOfTheSecond) {
  D3DXMATRIX a = Make({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  D3DXMATRIX b = Make({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1});
  D3DXMATRIX out;
  ASSERT_EQ(D3DXMatrixMultiply(&out, &a, &b), &out);
  // Row 0: (1*2 + 4*1, 2*3 + 4*2, 3*4 + 4*3, 4).
  EXPECT_EQ(out(0, 0), 6.0f);
  EXPECT_EQ(out(0, 1), 14.0f);
  EXPECT_EQ(out(0, 2), 24.0f);
  EXPECT_EQ(out(0, 3), 4.0f);
  EXPECT_EQ(out(3, 0), 13.0f * 2 + 16.0f);
  // The output may be one of the inputs.
  D3DXMatrixMultiply(&a, &a, &b);
  EXPECT_EQ(std::memcmp(&a, &out, sizeof a), 0);
}

TEST(D3DXMatrixTest, InverseUndoesTheMatrixAndGivesItsDeterminant) {
  // Rotation of 30 degrees about z, scale 2, then a translation (row vectors).
  float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
  D3DXMATRIX m = Make({2 * c, 2 * s, 0, 0, -2 * s, 2 * c, 0, 0, 0, 0, 2, 0, 5, -3, 7, 1});
  D3DXMATRIX inv, product;
  float det = 0;
  ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
  EXPECT_NEAR(det, 8.0f, 1e-5f);
  D3DXMatrixMultiply(&product, &m, &inv);
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(product(r, k), r == k ? 1.0f : 0.0f, 1e-5f) << r << k;
}

TEST(D3DXMatrixTest, SingularMatrixAnswersNullAndLeavesTheOutputAlone) {
  D3DXMATRIX m = Make({1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1});  // two dependent rows
  D3DXMATRIX out = Make({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
  float det = 1;
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &m), nullptr);
  EXPECT_EQ(det, 0.0f);
  EXPECT_EQ(out(2, 1), 9.0f);
  EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &m), nullptr);
}

}  // namespace
