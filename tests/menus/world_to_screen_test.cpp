// Projection of world points to the screen through the current camera: the
// screen point is always written, and only points in front of the camera
// inside the viewport's depth range are visible.
#include "menus/world_to_screen.h"

#include <gtest/gtest.h>

#include "render/geometry/camera.h"

namespace {

class WorldToScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    camera_.SetViewport(&viewport_);
    camera_.SetView({0, 0, 0}, {0, 0, 0});
    // A plain perspective: w = z, x and y divided by it; depth z/w = 1 for
    // every point in front (inside the range 0..1).
    CMatrix& p = *camera_.GetProjectionMatrix();
    p.SetIdentity();
    p.m[2][3] = 1.0f;
    p.m[3][3] = 0.0f;
    camera_.UpdateFrustum();
    CCamera::SetCurrentCamera(&camera_);
  }
  void TearDown() override { CCamera::SetCurrentCamera(nullptr); }

  CCamera camera_;
  const CameraViewport viewport_{0, 0, 800, 600};
};

TEST(WorldToScreenNoCamera, AnswersZeroAndWritesNothing) {
  float x = -7, y = -7;
  CCamera::SetCurrentCamera(nullptr);
  EXPECT_EQ(WorldToScreen({0, 0, 50}, &x, &y), 0);
  EXPECT_EQ(x, -7.0f);
  EXPECT_EQ(y, -7.0f);
}

TEST_F(WorldToScreenTest, PointsInFrontAreVisibleWithTheirScreenPoint) {
  float x = -7, y = -7;
  ASSERT_EQ(WorldToScreen({0, 0, 50}, &x, &y), 1);
  EXPECT_NEAR(x, 400.0f, 1e-3f);
  EXPECT_NEAR(y, 300.0f, 1e-3f);
  ASSERT_EQ(WorldToScreen({5, 5, 50}, &x, &y), 1);
  EXPECT_NEAR(x, 440.0f, 1e-3f);  // 5 / 50 of the half width to the right
  EXPECT_NEAR(y, 270.0f, 1e-3f);  // and up
  // Off the screen but in front of the camera: visible, its point written.
  ASSERT_EQ(WorldToScreen({500, 0, 10}, &x, &y), 1);
  EXPECT_NEAR(x, 20400.0f, 1e-2f);
  // Either out pointer may be absent.
  EXPECT_EQ(WorldToScreen({0, 0, 50}, nullptr, nullptr), 1);
}

TEST_F(WorldToScreenTest, PointsBehindOrBesideTheEyeOrPastTheDepthRangeAreNot) {
  struct Case {
    CVector3 point;
    const char* why;
  } cases[] = {{{0, 0, -50}, "behind the eye"}, {{50, 0, 0}, "exactly 90 degrees off"}};
  for (const Case& c : cases) {
    float x = -7, y = -7;
    EXPECT_EQ(WorldToScreen(c.point, &x, &y), 0) << c.why;
  }
  // A projection that puts the depth past 1 for far points.
  CMatrix& p = *camera_.GetProjectionMatrix();
  p.m[2][2] = 2.0f;  // z/w = 2 for any point in front
  float x = -7, y = -7;
  EXPECT_EQ(WorldToScreen({0, 0, 50}, &x, &y), 0) << "past the depth range";
  EXPECT_NEAR(x, 400.0f, 1e-3f) << "written all the same";
}

}  // namespace
