// The player camera controller driving its movie camera: modes, presets, the
// chase offsets by the target's state, the smoothed head point, and the
// collision constraint against a generated world of two walled rooms.
#include "control/player_camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "control/viewport_config.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "render/geometry/geometry_ops.h"
#include "world/cameras/movie_camera.h"
#include "world/cameras/movie_camera_record.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/space_world_fixture.h"

namespace {

// The state the fake units report, per object.
PlayerCameraTargetState g_soldierState;
PlayerCameraTargetState g_vehicleState;
CHLO* g_fakeSoldier = nullptr;
CHLO* g_fakeVehicle = nullptr;

bool FakeReader(CHLO* target, int, PlayerCameraTargetState* out) {
  if (target == g_fakeSoldier) {
    *out = g_soldierState;
    return true;
  }
  if (target == g_fakeVehicle) {
    *out = g_vehicleState;
    return true;
  }
  return false;
}

// A world object of the given kind without a visual of its own (none is
// made without an environment), given an instance placed at `at`.
struct Placed {
  explicit Placed(int kind, CVector3 at = {0, 0, 0}) {
    CEnvironment* saved = g_Environment;
    g_Environment = nullptr;
    HLOSpawnRecord r;
    r.Init();
    r.kind = kind;
    object = std::make_unique<CHLO>(r, nullptr);
    g_Environment = saved;
    instance.WorldMatrix.SetIdentity();
    MoveTo(at);
    object->Instance = &instance;
  }
  void MoveTo(CVector3 at) { instance.WorldMatrix.SetTranslation(at); }
  CEnvInstance instance;
  std::unique_ptr<CHLO> object;
};

class PlayerCameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cameraZero_ = cameras_.CreateCamera("SHARED");
    camera_ = cameras_.CreateCamera("PLAYER0");
    ASSERT_EQ(cameraZero_, 0);
    g_soldierState = PlayerCameraTargetState{};
    g_soldierState.Soldier = true;
    g_vehicleState = PlayerCameraTargetState{};
    g_vehicleState.Vehicle = true;
    g_fakeSoldier = soldier_.object.get();
    g_fakeVehicle = vehicle_.object.get();
    SetPlayerCameraTargetReader(FakeReader);
  }
  void TearDown() override {
    SetPlayerCameraTargetReader(nullptr);
    g_fakeSoldier = g_fakeVehicle = nullptr;
    g_ZoomView = ZoomViewRecord{};
    ClearNotBuiltYet();
  }
  MovieCameraRecord& Record() { return *cameras_.GetCameraRecord(camera_); }

  CMovieCamera cameras_{nullptr};
  int cameraZero_ = -1;
  int camera_ = -1;
  Placed soldier_{HLO_GRUNT, {100, 0, 100}};
  Placed vehicle_{HLO_VEHICLE, {500, 0, 100}};
  Placed crate_{HLO_FEATURE, {-100, 0, 0}};
};

void ExpectVector(const CVector3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-3f);
  EXPECT_NEAR(v.y, y, 1e-3f);
  EXPECT_NEAR(v.z, z, 1e-3f);
}

TEST_F(PlayerCameraTest, PresetOneIsFartherOnASplitScreen) {
  const CViewportConfig saved = g_ViewportConfig;
  for (int split : {0, 1}) {
    g_ViewportConfig.SplitScreen = split;
    CPlayerCamera player(&cameras_, 0, camera_);
    EXPECT_EQ(player.Preset(1).Chase.z, split ? 300.0f : 200.0f);
    ExpectVector(player.Preset(0).Chase, -20, 100, -200);
    ExpectVector(player.Preset(0).Target, -20, 50, 1000);
    EXPECT_EQ(player.Preset(2).Chase.y, 60.000004f);
    EXPECT_EQ(player.Preset(3).Enabled, 0);
  }
  g_ViewportConfig = saved;
}

TEST_F(PlayerCameraTest, ModesConfigureTheDrivenCamera) {
  CPlayerCamera player(&cameras_, 1, camera_);
  player.SetTarget(soldier_.object.get());
  EXPECT_EQ(Record().Kind, CAMFREE) << "mode 0 only stores the target";
  player.SetMode(1);
  EXPECT_EQ(Record().Kind, CAMCHASEOBJ);
  EXPECT_EQ(Record().Object, &soldier_.instance);
  EXPECT_NE(Record().PostCallback, nullptr) << "the collision constraint is installed";
  EXPECT_EQ(Record().FollowMode, 1u) << "preset 1's enabled word";
  CVector3 point{};
  ASSERT_TRUE(player.SmoothedTargetPoint(&point));
  EXPECT_GT(player.SmoothingCount(), 0);
  player.SetMode(2);
  EXPECT_EQ(player.GetPreviousMode(), 1);
  EXPECT_EQ(Record().Kind, CAMFREE);
  EXPECT_EQ(Record().SourceCount, 1) << "the smoothed head point places the camera";
  EXPECT_EQ(player.SmoothingCount(), 0) << "first person starts the ring afresh";
  EXPECT_FALSE(player.IsViewAttached());
  player.SetMode(3);
  EXPECT_EQ(Record().SourceCount, 0);
  EXPECT_TRUE(player.IsViewAttached());
  player.SetMode(9);
  EXPECT_EQ(player.GetMode(), 9);
  EXPECT_EQ(player.GetPreviousMode(), 3);
  // A controller without a camera keeps its state only.
  CPlayerCamera loose(nullptr, 0, -1);
  loose.SetTarget(soldier_.object.get());
  loose.SetMode(1);
  EXPECT_EQ(loose.GetMode(), 1);
}

TEST_F(PlayerCameraTest, TheHeadPointIsTheMeanOfAtMostSixteenFrames) {
  CPlayerCamera player(&cameras_, 0, camera_);
  player.SetTarget(soldier_.object.get());
  for (int k = 1; k <= 20; ++k) {
    g_soldierState.Joint19 = {16.0f * k, 100.0f, 0.0f};
    g_soldierState.HeadOffset = {0, 0, 40};  // long enough: the point stays
    CVector3 p{};
    ASSERT_TRUE(player.SmoothedTargetPoint(&p));
    const int first = k > 16 ? k - 15 : 1;
    const float mean = 16.0f * (first + k) / 2.0f;
    EXPECT_NEAR(p.x, mean, 1e-3f) << k;
    EXPECT_NEAR(p.y, 120.0f, 1e-3f) << "raised by 20 while upright";
    EXPECT_EQ(player.SmoothingCount(), std::min(k, 16));
  }
  // The read-only look does not write the ring.
  CVector3 p{};
  g_soldierState.Joint19 = {0, 0, 0};
  player.SmoothedTargetPoint(&p, false);
  EXPECT_NEAR(p.x, 16.0f * (5 + 20) / 2.0f, 1e-3f);
  // Lying or crouched (movement class not 0): no raise.  A short head offset
  // moves the point out to 20 along it.
  player.ClearSmoothing();
  g_soldierState.MovementClass = 1;
  g_soldierState.Joint19 = {0, 50, 0};
  g_soldierState.HeadOffset = {5, 0, 0};
  player.SmoothedTargetPoint(&p);
  ExpectVector(p, 15, 50, 0);
  // A gunner: the seat, raised by 20, and the ring untouched.
  g_soldierState.Gunner = true;
  g_soldierState.SeatPosition = {7, 8, 9};
  player.SmoothedTargetPoint(&p);
  ExpectVector(p, 7, 28, 9);
  EXPECT_EQ(player.SmoothingCount(), 1);
  // Any other object: its position.
  player.SetTarget(crate_.object.get());
  player.SmoothedTargetPoint(&p);
  ExpectVector(p, -100, 0, 0);
}

TEST_F(PlayerCameraTest, ChaseOffsetsFollowTheTargetsState) {
  CPlayerCamera player(&cameras_, 0, camera_);
  player.SetTarget(soldier_.object.get());
  const float chaseZ = player.Preset(1).Chase.z;
  struct Case {
    const char* what;
    int stateWord, movementClass, sideStep;
    float lean;
    CVector3 chase, target;
    std::uint32_t follow;
  } cases[] = {
      // The rise (50) lifts the chase while no game time passes.
      {"upright, no lean", 0, 0, 0, 0.0f, {-20, 150, chaseZ}, {0, 70, -500}, 1},
      {"lying: the target stays near", 0, 1, 0, 0.0f, {-20, 150, chaseZ}, {0, 70, -100}, 1},
      {"leaning with side-step 0 moves left", 0, 0, 0, 100.0f,
       {-20 - 20 * std::sin(100 * 0.005f * 3.14159265f / 2), 150, chaseZ}, {0, 70, -500}, 1},
      {"leaning with side-step 1 moves right", 0, 0, 1, -100.0f,
       {-20 + 20 * std::sin(100 * 0.005f * 3.14159265f / 2), 150, chaseZ}, {0, 70, -500}, 1},
      {"state 54: preset 3", 54, 0, 0, 0.0f, {170, 150, 170}, {0, 70, -400}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_soldierState.StateWord = c.stateWord;
    g_soldierState.MovementClass = c.movementClass;
    g_soldierState.SideStep = c.sideStep;
    g_soldierState.Lean = c.lean;
    player.SetMode(1);
    EXPECT_EQ(Record().Object, &soldier_.instance);
    ExpectVector(Record().ChaseOffset, c.chase.x, c.chase.y, c.chase.z);
    ExpectVector(Record().TargetOffset, c.target.x, c.target.y, c.target.z);
    EXPECT_EQ(Record().FollowMode, c.follow);
  }
}

TEST_F(PlayerCameraTest, TheRiseSettlesOverASecondAndADeadSoldierIsOrbited) {
  CTimer clock;  // 1/60 s frames until updated
  g_GameClock = &clock;
  CPlayerCamera player(&cameras_, 0, camera_);
  player.SetMode(1);
  // A target whose animation record is of kind 4: lifted 50 at once.
  g_soldierState.AnimationKind = 4;
  player.SetTarget(soldier_.object.get());
  EXPECT_TRUE(cameras_.IsJumpSet());
  ExpectVector(Record().Position, 100, 50, 100);
  const float chaseY = player.Preset(1).Chase.y;
  EXPECT_GT(Record().ChaseOffset.y, chaseY + 45.0f);
  for (int frame = 0; frame < 61; ++frame) player.Update();
  EXPECT_LE(player.GetRise(), 0.0f);
  player.Update();
  EXPECT_FLOAT_EQ(Record().ChaseOffset.y, chaseY) << "settled after a second";
  // Dead, side-step word 2, the option word set: the orbit at 2 s of the 8 s turn.
  clock.SubtractFromGameTime(clock.GetGameTime() - 2000u);
  g_soldierState.SideStep = 2;
  g_soldierState.Health = 0.0f;
  player.Update();
  EXPECT_FLOAT_EQ(Record().ChaseOffset.x, -20.0f) << "no orbit without the option word";
  player.SetOptionWord(1);
  player.Update();
  ExpectVector(Record().ChaseOffset, 300, 350, -75);
  ExpectVector(Record().TargetOffset, -100, 20, -75);
  g_GameClock = nullptr;
}

TEST_F(PlayerCameraTest, TheZoomViewDrivesCameraZero) {
  CPlayerCamera player(&cameras_, 0, camera_);
  player.SetTarget(soldier_.object.get());
  g_ZoomView.Kind = 1;
  struct Case {
    float level;
    CVector3 chase, target;
  } cases[] = {{1.0f, {100, 100, -300}, {0, 100, 100}},
               {0.0f, {0, 0, -250}, {-120.00001f, 0, 0}},
               {0.5f, {50, 50, -275}, {-60.000005f, 50, 50}}};
  for (const Case& c : cases) {
    g_ZoomView.ZoomLevel = c.level;
    player.SetMode(1);
    const MovieCameraRecord& zero = *cameras_.GetCameraRecord(0);
    ExpectVector(zero.ChaseOffset, c.chase.x, c.chase.y, c.chase.z);
    ExpectVector(zero.TargetOffset, c.target.x, c.target.y, c.target.z);
  }
}

TEST_F(PlayerCameraTest, RidersAndVehiclesAreChasedByTheVehiclesPreset) {
  CPlayerCamera player(&cameras_, 0, camera_);
  g_vehicleState.CameraHeight = 80.0f;
  g_vehicleState.CameraPreset = {1, {0, 200, 600}, {0, 50, -100}};
  // A soldier in a seat: the vehicle is chased; on foot again: the soldier.
  g_soldierState.VehicleOf = vehicle_.object.get();
  g_soldierState.InSeat = true;
  player.SetTarget(soldier_.object.get());
  player.SetMode(1);
  EXPECT_EQ(Record().Object, &vehicle_.instance);
  ExpectVector(Record().ChaseOffset, 0, 280, 600);
  ExpectVector(Record().TargetOffset, 0, 130, -100);
  EXPECT_EQ(Record().FollowMode, 0u);
  // Riding a land vehicle: followed on foot once the option word is set.
  g_soldierState.InSeat = false;
  g_soldierState.InLandVehicle = true;
  player.Update();
  EXPECT_EQ(Record().Object, &vehicle_.instance);
  player.SetOptionWord(1);
  player.Update();
  EXPECT_EQ(Record().Object, &soldier_.instance);
  // A gunner: preset 2 raised by the seat unless the seat is of kind 11.
  player.SetOptionWord(0);
  g_soldierState.InSeat = true;
  g_soldierState.Gunner = true;
  g_soldierState.SeatHeight = 30.0f;
  player.Update();
  ExpectVector(Record().ChaseOffset, 0, 90.000004f, -800);
  g_soldierState.SeatKind = 11;
  player.Update();
  ExpectVector(Record().ChaseOffset, 0, 230, 600);
  // The vehicle itself as the target.
  player.SetTarget(vehicle_.object.get());
  ExpectVector(Record().ChaseOffset, 0, 280, 600);
  // Any other object: preset 0.
  player.SetTarget(crate_.object.get());
  EXPECT_EQ(Record().Object, &crate_.instance);
  ExpectVector(Record().ChaseOffset, -20, 100, -200);
}

TEST_F(PlayerCameraTest, WithoutTheUnitsASoldierIsChasedAsAnObjectAndSaysSo) {
  SetPlayerCameraTargetReader(nullptr);
  CPlayerCamera player(&cameras_, 0, camera_);
  player.SetTarget(soldier_.object.get());
  player.SetMode(1);
  EXPECT_TRUE(WasReportedNotBuiltYet("player camera: soldier and vehicle state"));
  ExpectVector(Record().ChaseOffset, -20, 100, -200);
  ClearNotBuiltYet();
  player.SetTarget(crate_.object.get());
  EXPECT_FALSE(WasReportedNotBuiltYet("player camera: soldier and vehicle state")) << "not asked for a crate";
}

// The constraint against the generated world: room A spans x 0..400, z
// 0..400, y 0..300 (walls about 15 thick).
class CameraConstraint : public PlayerCameraTest {
 protected:
  static void SetUpTestSuite() {
    space_fixture::Options o;
    o.terrainTiles = 2;
    o.outdoorCrates = 0;
    o.trees = 0;
    o.cratesPerRoom = 0;
    world_ = space_fixture::MakeWorld(o).release();
  }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }
  void SetUp() override {
    PlayerCameraTest::SetUp();
    // Both stand in room A's zone.
    crate_.instance.Parent = world_->roomA;
    soldier_.instance.Parent = world_->roomA;
  }
  void TearDown() override {
    crate_.instance.Parent = soldier_.instance.Parent = nullptr;
    PlayerCameraTest::TearDown();
  }
  static bool Clear(const CVector3& a, const CVector3& b) {
    CVector3 at{};
    return g_Environment->LineOfSight(world_->roomA, a, b, &at, nullptr, 0, nullptr) == 1;
  }
  static space_fixture::World* world_;
};
space_fixture::World* CameraConstraint::world_ = nullptr;

TEST_F(CameraConstraint, AnObjectsCameraStopsShortOfTheWallAndStaysAboveTheFloor) {
  ASSERT_EQ(g_Environment, world_->env.get());
  CPlayerCamera player(&cameras_, 0, camera_);
  crate_.MoveTo({200, 100, 200});
  player.SetTarget(crate_.object.get());
  // Behind the wall at z = 0.
  CVector3 position{200, 150, -300}, target{200, 100, 400};
  ASSERT_FALSE(Clear({200, 100, 200}, position));
  player.Constrain(&position, &target);
  EXPECT_GT(position.z, 0.0f);
  EXPECT_LT(position.z, 200.0f);
  EXPECT_TRUE(Clear({200, 100, 200}, position));
  // Just above the floor: lifted to 50 over it.
  position = {300, 20, 300};
  player.Constrain(&position, &target);
  EXPECT_NEAR(position.y, 50.0f, 1.0f);
  // A clear position is left alone.
  position = {250, 150, 250};
  player.Constrain(&position, &target);
  ExpectVector(position, 250, 150, 250);
}

TEST_F(CameraConstraint, ASoldierWalkingWithHisBackToAWallKeepsTheCameraOnHisSide) {
  CPlayerCamera player(&cameras_, 0, camera_);
  player.SetTarget(soldier_.object.get());
  player.SetMode(1);
  // Facing -z, the wall at z = 400 behind him; his camera reaches 400 back.
  for (float x = 40.0f; x <= 360.0f; x += 10.0f) {
    SCOPED_TRACE(x);
    soldier_.MoveTo({x, 0, 340});
    g_soldierState.Joint19 = {x, 160, 340};
    CVector3 position{x, 150, 800}, target{x, 100, 340};
    player.Constrain(&position, &target);
    EXPECT_LT(position.z, 400.0f);
    EXPECT_GT(position.z, 340.0f) << "still behind him";
    EXPECT_NEAR(target.y, 50.0f, 1e-3f);
    EXPECT_TRUE(Clear(target, position)) << "target to camera crosses the wall";
  }
  // His own visual was only taken out of the checks meanwhile.
  EXPECT_EQ(soldier_.instance.Flags & INSTF_DISABLED, 0u);
}

}  // namespace
