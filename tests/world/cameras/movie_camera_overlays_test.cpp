// The movie cameras' developer overlays on the device: the aim line of a
// point-aimed camera, the four view lines turned as the render camera turns,
// the tracks through their points and the dolly's run.
#include "world/cameras/movie_camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "world/overlay_fixture.h"

namespace {

using overlay_test::Near;

class MovieCameraOverlays : public overlay_test::OverlayDeviceTest {
 protected:
  CCamera render_;
  CMovieCamera cameras_{&render_};
};

TEST_F(MovieCameraOverlays, TargetLineOnlyForAPointAimedCamera) {
  const int n = cameras_.CreateCamera("aimed");
  cameras_.SetPosition(n, {10, 20, 30});
  Record();
  cameras_.DebugDrawTarget(n);  // still a free camera
  EXPECT_TRUE(Draws().empty());

  cameras_.SetTargetPosition(n, {100, 0, 500});
  Record();
  cameras_.DebugDrawTarget(n);
  const auto lines = WorldLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(Near(lines[0].vertices[0], {10, 20, 30}));
  EXPECT_TRUE(Near(lines[0].vertices[1], {100, 0, 500}));
  EXPECT_EQ(lines[0].vertices[0].Colour, 0xFFFFFF00u);

  Record();
  cameras_.DebugDrawTarget(n + 1);  // not in use
  cameras_.DebugDrawTarget(-1);
  EXPECT_TRUE(Draws().empty());
}

TEST_F(MovieCameraOverlays, ViewLinesAreTurnedLikeTheRenderCamera) {
  const int n = cameras_.CreateCamera("view");
  const CVector3 position{50, 60, 70};
  cameras_.SetPosition(n, position);
  cameras_.SetFieldOfView(n, 90.0f);
  const CVector3 angleCases[] = {{0, 0, 0}, {0, 90, 0}, {30, 45, 0}, {-20, 200, 10}};
  for (const CVector3& angles : angleCases) {
    cameras_.SetAngles(n, angles);
    Record();
    cameras_.DebugDrawView(n);
    const auto lines = WorldLines();
    ASSERT_EQ(lines.size(), 4u);
    CCamera looking;
    looking.SetView(position, angles);
    const CVector3 forward = looking.GetForward();
    CVector3 mean{0, 0, 0};
    for (const auto& line : lines) {
      EXPECT_TRUE(Near(line.vertices[0], position));
      const DebugVertex& end = line.vertices[1];
      const CVector3 d{end.x - position.x, end.y - position.y, end.z - position.z};
      EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 200.0f, 0.01f);
      // Half the 90-degree field of view off the facing.
      EXPECT_NEAR((d.x * forward.x + d.y * forward.y + d.z * forward.z) / 200.0f, std::cos(0.7853982f), 1e-4f);
      EXPECT_EQ(end.Colour, 0xFF00FFFFu);
      mean = {mean.x + d.x / 4, mean.y + d.y / 4, mean.z + d.z / 4};
    }
    // The four lines spread evenly about the facing.
    const float along = 200.0f * std::cos(0.7853982f);
    EXPECT_NEAR(mean.x, forward.x * along, 0.01f) << angles.x << " " << angles.y;
    EXPECT_NEAR(mean.y, forward.y * along, 0.01f);
    EXPECT_NEAR(mean.z, forward.z * along, 0.01f);
  }
}

TEST_F(MovieCameraOverlays, TracksThroughTheirPointsAndTheDollyRun) {
  const int n = cameras_.CreateCamera("tracked");
  Record();
  cameras_.DebugDrawTracks(n);
  cameras_.DebugDrawDolly(n);
  EXPECT_TRUE(Draws().empty()) << "no track, no dolly: nothing";

  const CVector3 path[3] = {{0, 0, 0}, {100, 0, 0}, {100, 0, 100}};
  const CVector3 look[2] = {{0, 50, 500}, {10, 50, 500}};
  cameras_.SetPositionTrackPoints(n, path, 3, false, TRACK_LOOP);
  cameras_.SetTargetTrackPoints(n, look, 2, true, 0);
  Record();
  cameras_.DebugDrawTracks(n);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].type, static_cast<std::uint64_t>(D3DPT_LINESTRIP));
  ASSERT_EQ(draws[0].vertices.size(), 4u) << "a looping track is closed";
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(Near(draws[0].vertices[k], path[k % 3])) << k;
  EXPECT_EQ(draws[0].vertices[0].Colour, 0xFF00FF00u);
  ASSERT_EQ(draws[1].vertices.size(), 2u);
  EXPECT_TRUE(Near(draws[1].vertices[1], look[1]));
  EXPECT_EQ(draws[1].vertices[0].Colour, 0xFFFF0000u);

  cameras_.SetPosition(n, {5, 6, 7});
  cameras_.StartDolly(n, 100.0f, 300.0f, 0.0f, 1000.0f, {0, 0, 1});
  Record();
  cameras_.DebugDrawDolly(n);
  const auto lines = WorldLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(Near(lines[0].vertices[0], {5, 6, 107}));
  EXPECT_TRUE(Near(lines[0].vertices[1], {5, 6, 307}));
  EXPECT_EQ(lines[0].vertices[0].Colour, 0xFFFF00FFu);
}

}  // namespace
