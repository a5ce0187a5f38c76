// The player camera controller driving its movie camera.
#include "control/player_camera.h"

#include <gtest/gtest.h>

#include "world/cameras/movie_camera.h"
#include "world/environment/env_instance.h"
#include "world/cameras/movie_camera_record.h"

namespace {

TEST(PlayerCamera, ModesKeepThePreviousOneAndConfigureTheDrivenCamera) {
  CMovieCamera cameras(nullptr);
  const int n = cameras.CreateCamera("PLAYER0");
  ASSERT_GE(n, 0);
  CPlayerCamera player(&cameras, n);
  PlayerCameraMode close;
  close.AngleLimits = 0x0A0B;
  close.FollowMode = 7;
  close.ChaseOffset = {0, 80, 120};
  player.SetModeSettings(2, close);
  EXPECT_FALSE(player.SetMode(0));
  EXPECT_FALSE(player.SetMode(5));
  EXPECT_EQ(player.GetMode(), 0);
  ASSERT_TRUE(player.SetMode(1));
  EXPECT_EQ(cameras.GetCameraRecord(n)->FollowMode, 1u);
  ASSERT_TRUE(player.SetMode(2));
  EXPECT_EQ(player.GetPreviousMode(), 1);
  EXPECT_EQ(cameras.GetCameraRecord(n)->AngleLimits, 0x0A0Bu);
  EXPECT_EQ(cameras.GetCameraRecord(n)->FollowMode, 7u);
  player.RestorePreviousMode();
  EXPECT_EQ(player.GetMode(), 1);
  EXPECT_EQ(player.GetPreviousMode(), 2);
  EXPECT_EQ(cameras.GetCameraRecord(n)->AngleLimits, 0u);
}

TEST(PlayerCamera, RetargetingChasesTheTargetAndMayAskForAJump) {
  CMovieCamera cameras(nullptr);
  const int n = cameras.CreateCamera("PLAYER0");
  CPlayerCamera player(&cameras, n);
  PlayerCameraMode close;
  close.ChaseOffset = {0, 80, 120};
  player.SetModeSettings(3, close);
  ASSERT_TRUE(player.SetMode(3));
  CEnvInstance body;
  CEnvInstance* soldier = &body;
  player.SetTarget(soldier, false);
  EXPECT_EQ(player.GetTarget(), soldier);
  EXPECT_EQ(cameras.GetCameraRecord(n)->Object, soldier);
  EXPECT_EQ(cameras.GetCameraRecord(n)->LookAtObject, soldier);
  EXPECT_EQ(cameras.GetCameraRecord(n)->ChaseOffset.z, 120.0f);
  EXPECT_FALSE(cameras.IsJumpSet());
  player.SetTarget(soldier, true);
  EXPECT_TRUE(cameras.IsJumpSet());
  // A controller without a camera keeps its state and touches nothing.
  CPlayerCamera loose(nullptr, -1);
  EXPECT_TRUE(loose.SetMode(4));
  loose.SetTarget(soldier, true);
  EXPECT_EQ(loose.GetTarget(), soldier);
}

}  // namespace
