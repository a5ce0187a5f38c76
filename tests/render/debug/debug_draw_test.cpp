#include "render/debug/debug_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "render/geometry/camera.h"
#include "render/2d/debug_text.h"
#include "render/geometry/frustum.h"
#include "render/render_fixture.h"

namespace {

using Draw = RecordedDraw;

class DebugDrawTest : public RenderDeviceTest {
 protected:
  void TearDown() override {
    D3D8TestRecordCalls(g_Device, false);
    CCamera::SetCurrentCamera(nullptr);
  }

  std::vector<Draw> Draws() const { return DecodeUserDraws(Calls("DrawPrimitiveUP")); }

  // The values a render state was set to, in order.
  std::vector<std::uint64_t> StateSets(D3DRENDERSTATETYPE state) const {
    std::vector<std::uint64_t> values;
    for (const D3D8Call& c : Calls("SetRenderState"))
      if (c.args[0] == static_cast<std::uint64_t>(state)) values.push_back(c.args[1]);
    return values;
  }
};

TEST_F(DebugDrawTest, LineIsDrawnUnlitAndLightingComesBack) {
  s_Render->SetLighting(1);
  Record();
  DrawDebugLine({1, 2, 3}, {4, 5, 6}, 0xFF112233, 0xFF445566, false);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].type, static_cast<std::uint64_t>(D3DPT_LINELIST));
  EXPECT_EQ(draws[0].count, 1u);
  ASSERT_EQ(draws[0].vertices.size(), 2u);
  EXPECT_EQ(draws[0].vertices[0].x, 1.0f);
  EXPECT_EQ(draws[0].vertices[1].z, 6.0f);
  EXPECT_EQ(draws[0].vertices[0].Colour, 0xFF112233u);
  EXPECT_EQ(draws[0].vertices[1].Colour, 0xFF445566u);
  EXPECT_EQ(StateSets(D3DRS_LIGHTING), (std::vector<std::uint64_t>{0, 1}));
  const auto formats = Calls("SetVertexShader");
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.back().args[0], kFvfDebug);
  EXPECT_EQ(s_Render->GetLighting(), 1u);
}

TEST_F(DebugDrawTest, ResetWorldGoesThroughTheCurrentCamera) {
  CCamera camera;
  CCamera::SetCurrentCamera(&camera);
  camera.SetWorldMatrixFromPosition({9, 9, 9});
  Record();
  DrawDebugLine({0, 0, 0}, {1, 0, 0}, 0xFFFFFFFF, 0xFFFFFFFF, true);
  const auto transforms = Calls("SetTransform");
  ASSERT_EQ(transforms.size(), 1u);
  EXPECT_EQ(transforms[0].args[0], static_cast<std::uint64_t>(D3DTS_WORLD));
  float world[16];
  std::memcpy(world, transforms[0].data.data(), sizeof world);
  EXPECT_EQ(world[0], 1.0f);
  EXPECT_EQ(world[12], 0.0f);
  const auto names = CallNames();
  EXPECT_LT(std::find(names.begin(), names.end(), "SetTransform") - names.begin(),
            std::find(names.begin(), names.end(), "DrawPrimitiveUP") - names.begin());
}

TEST_F(DebugDrawTest, PolylineNeedsTwoPointsAndIsCut) {
  const CVector3 one[1] = {{0, 0, 0}};
  Record();
  DrawDebugPolyline(one, 1, 1, 1, 1, 1, true);
  DrawDebugPolyline(nullptr, 5, 1, 1, 1, 1, true);
  EXPECT_TRUE(CallNames().empty());

  std::vector<CVector3> many(300);
  for (int k = 0; k < 300; ++k) many[k] = {static_cast<float>(k), 0, 0};
  DrawDebugPolyline(many.data(), 300, 0.5f, 1.0f, 0.0f, 1.0f, false);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].type, static_cast<std::uint64_t>(D3DPT_LINESTRIP));
  EXPECT_EQ(draws[0].count, 255u);
  ASSERT_EQ(draws[0].vertices.size(), 256u);
  EXPECT_EQ(draws[0].vertices[255].x, 255.0f);
  EXPECT_EQ(draws[0].vertices[0].Colour, 0xFF7FFF00u);
}

TEST_F(DebugDrawTest, CrossAndAxes) {
  Record();
  DrawDebugCross({10, 20, 30}, 0xFFABCDEF, 2.0f, false);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].count, 3u);
  const float expected[6][3] = {{8, 20, 30}, {12, 20, 30}, {10, 18, 30}, {10, 22, 30}, {10, 20, 28}, {10, 20, 32}};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(draws[0].vertices[k].x, expected[k][0]) << k;
    EXPECT_EQ(draws[0].vertices[k].y, expected[k][1]) << k;
    EXPECT_EQ(draws[0].vertices[k].z, expected[k][2]) << k;
  }

  CMatrix before;
  before.SetIdentity();
  before.SetTranslationXYZ(1, 2, 3);
  s_Render->SetWorldMatrix(before);
  Record();
  DrawDebugAxes({5, 6, 7}, 3.0f, false);
  draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  const std::uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_EQ(draws[0].vertices[2 * axis + 1].Colour, colours[axis]);
    const float* end = &draws[0].vertices[2 * axis + 1].x;
    EXPECT_EQ(end[axis], 3.0f);
  }
  const auto transforms = Calls("SetTransform");
  ASSERT_EQ(transforms.size(), 2u);  // the translation to the position, then the old world back
  float world[16];
  std::memcpy(world, transforms[0].data.data(), sizeof world);
  EXPECT_EQ(world[12], 5.0f);
  EXPECT_EQ(s_Render->GetWorldMatrix().m[3][2], 3.0f);

  // Facing the camera: the facing matrix is applied, then the camera's world.
  CCamera camera;
  camera.SetView({0, 0, 0}, {0, 90, 0});
  CCamera::SetCurrentCamera(&camera);
  Record();
  DrawDebugCross({10, 20, 30}, 0xFFABCDEF, 2.0f, true);
  const auto facing = Calls("SetTransform");
  ASSERT_EQ(facing.size(), 2u);
  std::memcpy(world, facing[0].data.data(), sizeof world);
  EXPECT_EQ(world[12], 10.0f);
  EXPECT_NEAR(world[8], 1.0f, 1e-6f);  // the quad's z axis turned to the camera's forward (+x)
  EXPECT_EQ(Draws()[0].vertices[0].x, -2.0f);
}

TEST_F(DebugDrawTest, BoxIsTwelveEdgesInThreeBatches) {
  Record();
  DrawDebugBoxRotated({-1, -2, -3}, {1, 2, 3}, {0, 90, 0}, 0xFFFFFFFF, false);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 3u);
  for (const Draw& d : draws) {
    EXPECT_EQ(d.type, static_cast<std::uint64_t>(D3DPT_LINELIST));
    EXPECT_EQ(d.count, 4u);
    // Turned 90 degrees about y: x spans +-3, z spans +-1.
    for (const DebugVertex& v : d.vertices) {
      EXPECT_NEAR(std::fabs(v.x), 3.0f, 1e-5f);
      EXPECT_NEAR(std::fabs(v.z), 1.0f, 1e-5f);
    }
  }
  Record();
  DrawDebugBox({0, 0, 0}, {1, 1, 1}, 0xFFFFFFFF, false);
  EXPECT_EQ(Draws().size(), 3u);
}

TEST_F(DebugDrawTest, SphereCircleAndRings) {
  const CVector3 centre{10, 20, 30};
  Record();
  DrawDebugSphere(centre, 5.0f, 0xFFFFFFFF, false);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 18u);
  for (const Draw& d : draws) {
    EXPECT_EQ(d.type, static_cast<std::uint64_t>(D3DPT_POINTLIST));
    ASSERT_EQ(d.count, 18u);
    for (const DebugVertex& v : d.vertices)
      EXPECT_NEAR(std::hypot(v.x - centre.x, v.y - centre.y, v.z - centre.z), 5.0f, 1e-4f);
  }

  Record();
  DrawDebugCircle(centre, 2.0f, 300, 0xFFFFFFFF);
  draws = Draws();
  ASSERT_EQ(draws.size(), 3u);  // 128 + 128 + 44 lines
  EXPECT_EQ(draws[0].count + draws[1].count + draws[2].count, 300u);
  const DebugVertex& last = draws[2].vertices.back();
  EXPECT_NEAR(last.x, 10.0f, 1e-5f);  // back at angle 0: (sin 0, 0, cos 0)
  EXPECT_NEAR(last.z, 32.0f, 1e-5f);
  EXPECT_EQ(last.y, 20.0f);

  Record();
  DrawDebugSphereRings(centre, 2.0f, 1, 8, 0xFFFFFFFF, true);
  DrawDebugCircle(centre, 2.0f, 0, 0xFFFFFFFF);
  EXPECT_TRUE(CallNames().empty());
  DrawDebugSphereRings(centre, 2.0f, 3, 8, 0xFFFFFFFF, false);
  draws = Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].count, 8u);
  // Ring 1 of 3: height cy - r cos 60, radius r sin 60.
  EXPECT_NEAR(draws[0].vertices[0].y, 19.0f, 1e-5f);
  EXPECT_NEAR(draws[0].vertices[0].z - 30.0f, 2.0f * std::sqrt(0.75f), 1e-5f);
  EXPECT_NEAR(draws[1].vertices[0].y, 21.0f, 1e-5f);
}

TEST_F(DebugDrawTest, PolygonIsATwoSidedFanAndStatesComeBack) {
  s_Render->SetCullMode(D3DCULL_CCW);
  s_Render->SetBlendMode(13);
  std::vector<CVector3> points(20);
  for (int k = 0; k < 20; ++k) points[k] = {std::cos(k * 0.3f), std::sin(k * 0.3f), 0};
  Record();
  DrawDebugPolygon(points.data(), 20, 0x80FF0000, false);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].type, static_cast<std::uint64_t>(D3DPT_TRIANGLEFAN));
  EXPECT_EQ(draws[0].count, 14u);  // cut to 16 points
  EXPECT_EQ(StateSets(D3DRS_CULLMODE), (std::vector<std::uint64_t>{D3DCULL_NONE, D3DCULL_CCW}));
  EXPECT_EQ(s_Render->GetBlendMode(), 13);
  Record();
  DrawDebugPolygon(points.data(), 2, 0x80FF0000, false);
  EXPECT_TRUE(CallNames().empty());
}

TEST_F(DebugDrawTest, FilledRectIsDrawnAndStatesComeBack) {
  s_Render->SetFogEnable(1);
  s_Render->SetBlendMode(13);
  s_Render->SetClearColour(0xFF000000);
  s_Render->Clear(1);
  s_Render->BeginScene();
  DrawDebugRect(100, 100, 50, 40, 0xFFFF0000, true);
  RECT outline{300, 300, 400, 350};
  Record();
  DrawDebugRectFromRect(outline, 0xFF00FF00, false);
  s_Render->EndScene();
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 125, 120), 0xFFFF0000u);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 160, 120), 0xFF000000u);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 350, 325), 0xFF000000u);  // an outline leaves the inside alone
  EXPECT_EQ(s_Render->GetFogEnable(), 1u);
  EXPECT_EQ(s_Render->GetBlendMode(), 13);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].type, static_cast<std::uint64_t>(D3DPT_LINESTRIP));
  EXPECT_EQ(draws[0].count, 4u);
  ASSERT_EQ(draws[0].screenVertices.size(), 5u);
  EXPECT_EQ(draws[0].screenVertices[2].x, 400.0f);
  EXPECT_EQ(draws[0].screenVertices[2].y, 350.0f);
  EXPECT_EQ(draws[0].screenVertices[4].x, 300.0f);
  EXPECT_EQ(StateSets(D3DRS_FOGENABLE), (std::vector<std::uint64_t>{0, 1}));
}

TEST_F(DebugDrawTest, ScreenLineIsDrawn) {
  s_Render->SetClearColour(0xFF000000);
  s_Render->Clear(1);
  s_Render->BeginScene();
  const float a[2] = {50.5f, 200.5f}, b[2] = {250.5f, 200.5f};
  DrawDebugLine2D(a, b, 0xFF00FF00, 0xFF00FF00);
  s_Render->EndScene();
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 150, 200), 0xFF00FF00u);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 150, 210), 0xFF000000u);
}

TEST_F(DebugDrawTest, PathDrawsOverEverythingThenRestoresTheDepthCompare) {
  s_Render->SetRenderStateCached(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  const CVector3 points[3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  Record();
  DrawDebugPath(points, 3);
  EXPECT_EQ(StateSets(D3DRS_ZFUNC), (std::vector<std::uint64_t>{D3DCMP_ALWAYS, D3DCMP_LESSEQUAL}));
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[2].vertices[1].x, 0.0f);  // closed back to the first point
  EXPECT_EQ(draws[2].vertices[0].Colour, 0xFFFFFF00u);
}

TEST_F(DebugDrawTest, FrustumEdgesAreDrawnOnScreen) {
  CCamera camera;
  camera.SetProjection(90.0f, 1.0f, 1000.0f);
  camera.SetView({0, 0, 0}, {0, 0, 0});
  CCamera::SetCurrentCamera(&camera);
  s_Render->SetZEnable(1);
  s_Render->SetFogEnable(1);
  CFrustum box;
  box.BuildFromBox({-10, -10, 50}, {10, 10, 60}, nullptr);
  Record();
  box.DebugDraw();
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 12u);
  int nearEdges = 0, sideEdges = 0;
  for (const Draw& d : draws) {
    ASSERT_EQ(d.screenVertices.size(), 2u);
    for (const ScreenVertex& v : d.screenVertices) {
      EXPECT_GT(v.x, 200.0f);
      EXPECT_LT(v.x, 600.0f);
    }
    nearEdges += d.screenVertices[0].Diffuse == 0xFF0000FF && d.screenVertices[1].Diffuse == 0xFF0000FF;
    sideEdges += d.screenVertices[0].Diffuse == 0xFF0000FF && d.screenVertices[1].Diffuse == 0xFF00FF00;
  }
  EXPECT_EQ(nearEdges, 4);
  EXPECT_EQ(sideEdges, 4);
  EXPECT_EQ(s_Render->GetZEnable(), 1u);
  EXPECT_EQ(s_Render->GetFogEnable(), 1u);

  // Corners behind the eye are left out rather than mirrored onto the screen.
  CFrustum around;
  around.BuildFromBox({-10, -10, -60}, {10, 10, 60}, nullptr);
  Record();
  around.DebugDraw();
  EXPECT_EQ(Draws().size(), 4u);  // only the near face (z = 60) lies ahead
}

TEST(DebugTextTest, AppendsUntilClearedAndCutsAtTheEnd) {
  DebugTextClear();
  EXPECT_STREQ(GetDebugText(), "");
  DebugPrintf("fps %d", 60);
  DebugPrintf(" %s\n", "ok");
  EXPECT_STREQ(GetDebugText(), "fps 60 ok\n");
  DebugTextClear();
  EXPECT_STREQ(GetDebugText(), "");
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 10; ++i) DebugPrintf("%s", chunk.c_str());
  EXPECT_EQ(std::strlen(GetDebugText()), static_cast<std::size_t>(kDebugTextSize - 1));
  const std::string longLine(3000, 'y');
  DebugTextClear();
  DebugPrintf("%s", longLine.c_str());
  EXPECT_EQ(std::strlen(GetDebugText()), 1023u);
  DebugTextClear();
}

}  // namespace
