// Projection of world points to the screen through the current camera.
#include "menus/world_to_screen.h"

#include <gtest/gtest.h>

#include "render/geometry/camera.h"

namespace {

TEST(WorldToScreen, PointsInViewAreProjectedOthersRefused) {
  float x = -7, y = -7;
  CCamera::SetCurrentCamera(nullptr);
  EXPECT_EQ(WorldToScreen({0, 0, 50}, &x, &y), 0);
  EXPECT_EQ(x, -7.0f);

  CCamera camera;
  const CameraViewport viewport{0, 0, 800, 600};
  camera.SetViewport(&viewport);
  camera.SetView({0, 0, 0}, {0, 0, 0});
  // A plain perspective: w = z, x and y divided by it.
  CMatrix& p = *camera.GetProjectionMatrix();
  p.SetIdentity();
  p.m[2][3] = 1.0f;
  p.m[3][3] = 0.0f;
  camera.UpdateFrustum();
  CCamera::SetCurrentCamera(&camera);
  ASSERT_EQ(WorldToScreen({0, 0, 50}, &x, &y), 1);
  EXPECT_NEAR(x, 400.0f, 1e-3f);
  EXPECT_NEAR(y, 300.0f, 1e-3f);
  ASSERT_EQ(WorldToScreen({5, 5, 50}, &x, &y), 1);
  EXPECT_NEAR(x, 440.0f, 1e-3f);  // 5 / 50 of the half width to the right
  EXPECT_NEAR(y, 270.0f, 1e-3f);  // and up
  x = y = -7;
  EXPECT_EQ(WorldToScreen({0, 0, -50}, &x, &y), 0) << "behind the eye";
  EXPECT_EQ(WorldToScreen({500, 0, 10}, &x, &y), 0) << "far to the side";
  EXPECT_EQ(x, -7.0f);
  CCamera::SetCurrentCamera(nullptr);
}

}  // namespace
