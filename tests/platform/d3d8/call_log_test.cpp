#include <gtest/gtest.h>

#include <cstring>

#include "device_fixture.h"

namespace {

using CallLogTest = DeviceFixture;

TEST_F(CallLogTest, RecordsStatesAndDrawsWithTheirVertexBytes) {
  D3D8TestRecordCalls(device_, true);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x40);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DrawQuad(1, 2, 3, 4, 0xFF8040C0u);
  const std::vector<D3D8Call>& calls = D3D8TestCalls(device_);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].method, "SetRenderState");
  EXPECT_EQ(calls[0].args, (std::vector<std::uint64_t>{D3DRS_ALPHAREF, 0x40}));
  EXPECT_EQ(calls[1].method, "SetTextureStageState");
  EXPECT_EQ(calls[1].args, (std::vector<std::uint64_t>{1, D3DTSS_COLOROP, D3DTOP_DISABLE}));
  const D3D8Call& draw = calls[2];
  EXPECT_EQ(draw.method, "DrawPrimitiveUP");
  EXPECT_EQ(draw.args, (std::vector<std::uint64_t>{D3DPT_TRIANGLEFAN, 2, sizeof(ScreenVertex)}));
  ASSERT_EQ(draw.data.size(), 4 * sizeof(ScreenVertex));
  ScreenVertex v[4];
  std::memcpy(v, draw.data.data(), sizeof v);
  EXPECT_EQ(v[2].x, 3.0f);
  EXPECT_EQ(v[2].y, 4.0f);
  EXPECT_EQ(v[3].colour, 0xFF8040C0u);

  EXPECT_EQ(D3D8TestCallsNamed(device_, "SetRenderState").size(), 1u);
  D3D8TestRecordCalls(device_, false);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x41);
  EXPECT_EQ(D3D8TestCalls(device_).size(), 3u);
  D3D8TestRecordCalls(device_, true);
  EXPECT_TRUE(D3D8TestCalls(device_).empty());
}

TEST_F(CallLogTest, RecordsMatricesAndIndexedUserDraws) {
  D3D8TestRecordCalls(device_, true);
  D3DMATRIX m{};
  m._11 = 2;
  m._44 = 1;
  device_->SetTransform(D3DTS_VIEW, &m);
  ScreenVertex quad[4] = {};
  const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
  device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, quad, sizeof(ScreenVertex));
  auto transforms = D3D8TestCallsNamed(device_, "SetTransform");
  ASSERT_EQ(transforms.size(), 1u);
  EXPECT_EQ(transforms[0].args[0], static_cast<std::uint64_t>(D3DTS_VIEW));
  ASSERT_EQ(transforms[0].data.size(), sizeof(D3DMATRIX));
  EXPECT_EQ(std::memcmp(transforms[0].data.data(), &m, sizeof m), 0);
  auto draws = D3D8TestCallsNamed(device_, "DrawIndexedPrimitiveUP");
  ASSERT_EQ(draws.size(), 1u);
  ASSERT_EQ(draws[0].data.size(), sizeof quad + sizeof indices);
  EXPECT_EQ(std::memcmp(draws[0].data.data() + sizeof quad, indices, sizeof indices), 0);
}

}  // namespace
