#include "render/geometry/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render/device/render.h"
#include "render/volumes/sphere.h"
#include "render/render_fixture.h"

namespace {

class CameraTest : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    D3DVIEWPORT8* viewport = g_Render->GetViewport();
    ASSERT_NE(viewport, nullptr);
    ASSERT_EQ(viewport->Width, 800u);
    ASSERT_EQ(viewport->Height, 600u);
  }

  // A camera at position with angles, field of view 90, near 1, far 100:
  // one unit ahead the view spans 1 up and down and 4/3 to the sides.
  static void Place(CCamera* camera, CVector3 position, CVector3 angles) {
    ASSERT_EQ(camera->SetProjection(90.0f, 1.0f, 101.0f), 1);
    camera->SetFarClip(100.0f);
    camera->SetView(position, angles);
    camera->UpdateFrustum();
  }
};

TEST_F(CameraTest, NewCameraHasDefaultsAndProjectionFromViewport) {
  CCamera camera;
  EXPECT_FLOAT_EQ(camera.GetFieldOfView(), 70.0f);
  EXPECT_FLOAT_EQ(camera.GetDefaultFieldOfView(), 70.0f);
  EXPECT_FLOAT_EQ(camera.GetNearClip(), 8.0f);
  EXPECT_FLOAT_EQ(camera.GetFarClip(), 10000.0f);
  EXPECT_FLOAT_EQ(camera.GetFarClipSquared(), 1.0e8f);
  EXPECT_NEAR(camera.GetFieldOfViewRadians(), 1.2217305f, 1e-6f);
  EXPECT_NEAR(camera.GetHalfFieldOfViewRadians(), 0.6108652f, 1e-6f);
  const CMatrix& p = *camera.GetProjectionMatrix();
  const float cot35 = 1.0f / std::tan(35.0f * 3.14159265f / 180.0f);
  EXPECT_NEAR(p.m[0][0], cot35 * 0.75f, 1e-5f);
  EXPECT_NEAR(p.m[1][1], cot35, 1e-5f);
  EXPECT_NEAR(p.m[2][2], 10000.0f / 9992.0f, 1e-6f);
  EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
  EXPECT_NEAR(p.m[3][2], -8.0f * 10000.0f / 9992.0f, 1e-4f);
  EXPECT_FLOAT_EQ(p.m[3][3], 0.0f);
  EXPECT_FLOAT_EQ(camera.GetForward().z, 1.0f);
}

TEST_F(CameraTest, RefusedProjectionKeepsMatrixButStoresSettings) {
  CCamera camera;
  const CMatrix before = *camera.GetProjectionMatrix();
  EXPECT_EQ(camera.SetProjection(70.0f, 5.0f, 5.005f), 0);
  EXPECT_EQ(std::memcmp(&before.m, &camera.GetProjectionMatrix()->m, sizeof before.m), 0);
  EXPECT_FLOAT_EQ(camera.GetNearClip(), 5.0f);
  EXPECT_FLOAT_EQ(camera.GetFieldOfView(), 70.0f);
  // A half angle whose sine is below 0.01 is refused too.
  EXPECT_EQ(camera.SetProjection(1.0f, 1.0f, 100.0f), 0);
  EXPECT_FLOAT_EQ(camera.GetFieldOfView(), 1.0f);
}

TEST_F(CameraTest, NegativeDistancesReuseThoseLastGivenToAnyCamera) {
  CCamera first, second;
  ASSERT_EQ(first.SetProjection(90.0f, 2.0f, 202.0f), 1);
  ASSERT_EQ(second.SetProjection(60.0f, -1.0f, -1.0f), 1);
  const CMatrix& p = *second.GetProjectionMatrix();
  EXPECT_NEAR(p.m[2][2], 202.0f / 200.0f, 1e-6f);
  EXPECT_NEAR(p.m[3][2], -2.0f * 202.0f / 200.0f, 1e-6f);
  EXPECT_NEAR(p.m[1][1], std::sqrt(3.0f), 1e-5f);  // cot 30
}

TEST_F(CameraTest, PointVisibility) {
  CCamera ahead, turned;
  Place(&ahead, {0, 0, 0}, {0, 0, 0});
  Place(&turned, {10, 0, 0}, {0, 90, 0});  // yaw 90 looks along +x
  struct Case {
    CCamera* camera;
    CVector3 point;
    bool visible;
  } cases[] = {
      {&ahead, {0, 0, 50}, true},    {&ahead, {0, 49, 50}, true},   {&ahead, {0, 51, 50}, false},
      {&ahead, {0, -51, 50}, false}, {&ahead, {66, 0, 50}, true},   {&ahead, {67, 0, 50}, false},
      {&ahead, {0, 0, -1}, false},   {&ahead, {0, 0, 99}, true},    {&ahead, {0, 0, 101}, false},
      {&turned, {60, 0, 0}, true},   {&turned, {-40, 0, 0}, false}, {&turned, {60, 0, 40}, true},
      {&turned, {60, 0, 80}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.camera->IsPointVisible(c.point), c.visible) << c.point.x << " " << c.point.y << " " << c.point.z;
  EXPECT_NEAR(turned.GetForward().x, 1.0f, 1e-6f);
  EXPECT_NEAR(turned.GetRight().z, -1.0f, 1e-6f);
}

TEST_F(CameraTest, SphereVisibilityAndStraddle) {
  CCamera camera;
  Place(&camera, {0, 0, 0}, {0, 0, 0});
  struct Case {
    CVector3 centre;
    float radius;
    bool visible, straddles;
  } cases[] = {
      {{0, 0, 50}, 1.0f, true, false},     // wholly inside
      {{0, 0, -0.5f}, 1.0f, true, true},   // behind the near plane by less than the radius
      {{0, 0, -2}, 1.0f, false, false},    // behind it by more
      {{0, 0, 100.5f}, 1.0f, true, true},  // across the far plane
      {{0, 53, 50}, 5.0f, true, true},     // across the top plane
  };
  for (const Case& c : cases) {
    CSphere sphere;
    sphere.Set(c.centre, c.radius);
    bool straddles = !c.straddles;
    EXPECT_EQ(camera.IsSphereVisible(sphere, &straddles), c.visible) << c.centre.z;
    if (c.visible) {
      EXPECT_EQ(straddles, c.straddles) << c.centre.z;
    }
    EXPECT_EQ(camera.IsSphereVisible(sphere, nullptr), c.visible);
  }
}

TEST_F(CameraTest, ProjectToScreenAndPerspectiveScale) {
  CCamera camera;
  Place(&camera, {0, 0, 0}, {0, 0, 0});
  const CVector3 in[4] = {{0, 0, 50}, {0, 25, 50}, {20, 0, 50}, {0, 0, -10}};
  CVector3 out[4];
  EXPECT_EQ(camera.ProjectToScreen(in, out, 4), 3);
  EXPECT_NEAR(out[0].x, 400.0f, 1e-3f);
  EXPECT_NEAR(out[0].y, 300.0f, 1e-3f);
  EXPECT_NEAR(out[0].z, 1.01f * 49.0f / 50.0f, 1e-5f);
  EXPECT_NEAR(out[1].y, 150.0f, 1e-3f);  // half way up
  EXPECT_NEAR(out[2].x, 520.0f, 1e-3f);  // 20 x 0.75 / 50 = 0.3 of the half width
  EXPECT_FLOAT_EQ(out[3].z, -1.0f);      // behind the eye: flagged, not mirrored
  EXPECT_NEAR(camera.GetPerspectiveScale({3, 4, 50}), 1.0f / 50.0f, 1e-7f);

  const CameraViewport small{10, 20, 200, 100};
  camera.SetViewport(&small);
  ASSERT_EQ(camera.ProjectToScreen(in, out, 1), 1);
  EXPECT_NEAR(out[0].x, 110.0f, 1e-3f);
  EXPECT_NEAR(out[0].y, 70.0f, 1e-3f);

  float records[2 * 7];
  records[4] = records[11] = 123.0f;
  camera.ProjectToUnitScreen(in + 1, records, 2);
  EXPECT_NEAR(records[0], 1.0f, 1e-6f);
  EXPECT_NEAR(records[1], 0.5f, 1e-6f);
  EXPECT_NEAR(records[3], 1.0f / 50.0f, 1e-7f);
  EXPECT_NEAR(records[7], 1.3f, 1e-6f);
  EXPECT_FLOAT_EQ(records[4], 123.0f);
  EXPECT_FLOAT_EQ(records[11], 123.0f);
}

TEST_F(CameraTest, ScreenToRay) {
  CCamera camera;
  Place(&camera, {5, 6, 7}, {0, 90, 0});
  float ray[6];
  camera.ScreenToRay(400, 300, 800, 600, ray);
  EXPECT_NEAR(ray[0], 5.0f, 1e-4f);
  EXPECT_NEAR(ray[1], 6.0f, 1e-4f);
  EXPECT_NEAR(ray[2], 7.0f, 1e-4f);
  EXPECT_NEAR(ray[3], 1.0f, 1e-5f);
  EXPECT_NEAR(ray[4], 0.0f, 1e-5f);
  EXPECT_NEAR(ray[5], 0.0f, 1e-5f);
  // The right edge of the screen: 4/3 to the right (-z for this camera) per unit ahead.
  camera.ScreenToRay(800, 0, 800, 600, ray);
  EXPECT_NEAR(ray[3], 1.0f, 1e-5f);
  EXPECT_NEAR(ray[4], 1.0f, 1e-5f);
  EXPECT_NEAR(ray[5], -4.0f / 3.0f, 1e-5f);
}

TEST_F(CameraTest, FacingMatrixUndoesTheViewRotation) {
  CCamera camera;
  camera.SetView({1, 2, 3}, {20, 30, 40});
  camera.SetFacingMatrix({7, 8, 9});
  const CMatrix& f = *camera.GetFacingMatrix();
  const CMatrix& v = *camera.GetViewMatrix();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      float sum = 0;
      for (int k = 0; k < 3; ++k) sum += f.m[r][k] * v.m[k][c];
      EXPECT_NEAR(sum, r == c ? 1.0f : 0.0f, 1e-5f);
    }
  EXPECT_FLOAT_EQ(f.m[3][0], 7.0f);
  EXPECT_FLOAT_EQ(f.m[3][2], 9.0f);

  camera.SetWorldMatrixFromPose({1, 2, 3}, {0, 90, 0});
  CVector3 moved;
  camera.GetWorldMatrix()->TransformPoint({1, 0, 0}, &moved);
  EXPECT_NEAR(moved.x, 1.0f, 1e-5f);
  EXPECT_NEAR(moved.z, 4.0f, 1e-5f);
}

TEST_F(CameraTest, ApplyAllTransformsSendsProjectionViewWorld) {
  CCamera camera;
  camera.SetWorldMatrixFromPosition({1, 2, 3});
  Record();
  camera.ApplyAllTransforms();
  const auto calls = Calls("SetTransform");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].args[0], static_cast<std::uint64_t>(D3DTS_PROJECTION));
  EXPECT_EQ(calls[1].args[0], static_cast<std::uint64_t>(D3DTS_VIEW));
  EXPECT_EQ(calls[2].args[0], static_cast<std::uint64_t>(D3DTS_WORLD));
  ASSERT_EQ(calls[2].data.size(), 64u);
  float world[16];
  std::memcpy(world, calls[2].data.data(), 64);
  EXPECT_FLOAT_EQ(world[13], 2.0f);
}

TEST(CameraWithoutDevice, RefusesProjectionButStaysUsable) {
  CRender* savedRender = g_Render;
  IDirect3DDevice8* savedDevice = g_Device;
  g_Render = nullptr;
  g_Device = nullptr;
  {
    CCamera camera;
    EXPECT_EQ(camera.SetProjection(60.0f, 1.0f, 100.0f), 0);  // no viewport to read
    EXPECT_FLOAT_EQ(camera.GetFieldOfView(), 60.0f);
    EXPECT_FLOAT_EQ(camera.GetNearClip(), 1.0f);
    camera.UpdateFrustum();
    EXPECT_TRUE(camera.IsPointVisible({0, 0, 50}));
    EXPECT_FALSE(camera.IsPointVisible({0, 0, -50}));
    const CVector3 in{0, 0, 50};
    CVector3 out{7, 7, 7};
    EXPECT_EQ(camera.ProjectToScreen(&in, &out, 1), 0);
    EXPECT_EQ(out.x, 7.0f);
    camera.ApplyAllTransforms();  // nothing to send to
  }
  g_Render = savedRender;
  g_Device = savedDevice;
}

}  // namespace
