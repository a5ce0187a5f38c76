// Movie cameras: records and names, spline and straight tracks on the game
// clock, chase and rail poses, region, distance and time triggers, and the
// camera section written and read back.
#include "world/cameras/movie_camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/maths/angles.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "render/geometry/camera.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"

namespace {

void ExpectNear(const CVector3& a, const CVector3& b, float tolerance = 0.01f) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

CEnvObject* NewTemplate(const char* name) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-1, -1, -1};
  t->Bounds.Max = {1, 1, 1};
  t->Sphere.Radius = 1.0f;
  t->ObjectNameHash = HashStringNoCase(name);
  return t;
}

// A manager over an empty environment (nothing to collide with), a waypoint
// list, a region list and a game clock the test sets.
class MovieCameras : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTime(0);
    env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock_, nullptr);
    marker_ = env_->AddObject(NewTemplate("marker"));
    cameras_.SetClock(&clock_);
    cameras_.SetWorld(env_, &regions_, &waypoints_);
  }
  void TearDown() override { delete env_; }

  void SetTime(std::uint32_t ms, float frameSeconds = 0.0f) {
    CTimer::State s{};
    clock_.SaveState(&s);
    s.gameTime = ms;
    s.frameTime = frameSeconds;
    clock_.RestoreState(s);
  }
  CEnvInstance* Place(const char* name, CVector3 position, CVector3 rotation = {}) {
    return env_->CreateInstance(name, marker_, position, rotation, nullptr, 0, 0);
  }
  // A free camera without collision, shown in viewport 0.
  int FreeCamera(const char* name) {
    const int n = cameras_.CreateCamera(name);
    cameras_.SetWorldCollision(n, false);
    return n;
  }
  int Chain(std::initializer_list<CVector3> points) {
    const int first = waypoints_.Count();
    for (const CVector3& p : points) {
      const int i = waypoints_.Add(p, nullptr);
      if (i > first) waypoints_.SetNext(i - 1, i);
    }
    return first;
  }

  CTimer clock_;
  CEnvironment* env_ = nullptr;
  CEnvObject* marker_ = nullptr;
  EnvWaypointList waypoints_;
  CRegionList regions_;
  CCamera render_;
  CMovieCamera cameras_{&render_};
};

TEST_F(MovieCameras, RecordsAreNamedFoundAndNumbered) {
  EXPECT_EQ(cameras_.CreateCamera(nullptr), 0);
  EXPECT_STREQ(cameras_.GetName(0), "CAMERA0");
  const MovieCameraRecord* r = cameras_.GetCameraRecord(0);
  EXPECT_EQ(r->FlagsA, 0x8081u);
  EXPECT_EQ(r->FlagsB, 0x80u);
  EXPECT_EQ(r->FieldOfView, 70.0f);
  for (int n = 1; n < kMaxMovieCameras; ++n) EXPECT_EQ(cameras_.CreateCamera(("c" + std::to_string(n)).c_str()), n);
  EXPECT_EQ(cameras_.CreateCamera("one too many"), -1);
  EXPECT_EQ(cameras_.FindCamera("c77"), 77);
  EXPECT_EQ(cameras_.FindCamera("C77"), -1);
  EXPECT_EQ(cameras_.GetCameraRecord(-1), nullptr);
  EXPECT_EQ(cameras_.GetCameraRecord(kMaxMovieCameras), nullptr);

  // The header numbers the used cameras only.
  cameras_.Reset();
  for (const char* name : {"A", "B", "C", "D", "E"}) cameras_.CreateCamera(name);
  cameras_.DeleteCamera(2);
  std::string header;
  cameras_.WriteHeader(&header);
  EXPECT_EQ(header,
            "typedef enum\r\n{\r\nCAMERA_A = 0,\r\nCAMERA_B = 1,\r\nCAMERA_D = 2,\r\nCAMERA_E = 3,\r\n} CAMERA_NAME;\r\n");
  // A marked camera survives ClearUnmarked.
  cameras_.MarkCamera(4);
  cameras_.ClearUnmarked();
  EXPECT_EQ(cameras_.FindCamera("E"), 4);
  EXPECT_EQ(cameras_.FindCamera("A"), -1);
}

TEST_F(MovieCameras, ASplineTrackPassesItsWaypointsAtTheGivenTimes) {
  const CVector3 points[] = {{0, 100, 0}, {1000, 150, 0}, {1000, 200, 2000}, {-500, 100, 3000}};
  const int start = Chain({points[0], points[1], points[2], points[3]});
  const int n = FreeCamera("flyby");
  cameras_.SetPositionTrack(n, start, true, TRACK_TIMED);
  cameras_.SetPositionTrackSpeed(n, 3000.0f, 0.0f, 0.0f);  // three segments in three seconds
  cameras_.StartCamera(0, n);
  CVector3 p;
  for (std::uint32_t t : {0u, 1000u, 1500u, 2000u, 3000u}) {
    SetTime(t);
    cameras_.Update();
    cameras_.GetPosition(n, &p);
    SCOPED_TRACE(t);
    if (t % 1000 == 0) {
      ExpectNear(p, points[t / 1000]);
    } else {
      // Between waypoints the curve runs smoothly, not along the straight line.
      EXPECT_GT(p.x, 1000.0f) << "the Catmull-Rom curve bulges past the corner";
      EXPECT_GT(p.z, 0.0f);
      EXPECT_LT(p.z, 2000.0f);
    }
  }
  // After its end the track stays on its last point.
  SetTime(5000);
  cameras_.Update();
  cameras_.GetPosition(n, &p);
  ExpectNear(p, points[3]);
  EXPECT_NE(cameras_.GetCameraRecord(n)->PositionTrack.Mode & TRACK_FINISHED, 0u);
}

TEST_F(MovieCameras, StraightTracksBySpeedAndDelayedTimedTracks) {
  const int start = Chain({{0, 0, 0}, {100, 0, 0}, {100, 0, 100}});
  const int n = FreeCamera("lines");
  cameras_.SetPositionTrack(n, start, false, 0);
  cameras_.SetPositionTrackSpeed(n, 0.5f, 0.0f, 0.0f);  // half a segment a second
  cameras_.StartCamera(0, n);
  SetTime(0, 1.0f);
  cameras_.Update();
  CVector3 p;
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {50, 0, 0});
  cameras_.Update();
  cameras_.Update();
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {100, 0, 50});

  // A timed track with a delay stands at its start until the delay is over.
  const int m = FreeCamera("delayed");
  cameras_.SetPositionTrack(m, start, false, TRACK_TIMED);
  cameras_.SetPositionTrackSpeed(m, 2000.0f, 500.0f, 0.0f);
  cameras_.StartCamera(1, m);
  SetTime(10000, 0.0f);
  cameras_.Update();  // stamps the start
  SetTime(10400);
  cameras_.Update();
  cameras_.GetPosition(m, &p);
  ExpectNear(p, {0, 0, 0});
  SetTime(11500);
  cameras_.Update();
  cameras_.GetPosition(m, &p);
  ExpectNear(p, {100, 0, 0});
}

TEST_F(MovieCameras, AChaseCameraTakesItsChasePositionAndLooksAtItsObject) {
  CEnvInstance* walker = Place("walker", {500, 0, 500}, {0, 90, 0});
  const int n = cameras_.CreateCamera("chase");
  cameras_.SetChaseObject(n, walker);
  cameras_.GetCameraRecord(n)->FlagsB &= ~CAMB_SMOOTH;
  cameras_.StartCamera(0, n);
  // The chase offset (0, 150, 300) turned by the walker's frame.
  CVector3 offset;
  walker->GetWorldMatrix().RotateVector({0, 150, 300}, &offset);
  CVector3 p;
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {500 + offset.x, 150, 500 + offset.z});
  EXPECT_GT(std::fabs(offset.x), 299.0f) << "the offset is turned a quarter turn";
  // It follows the walker and aims at the target offset above it.
  walker->SetPosition({800, 0, 500}, true);
  cameras_.Update();
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {800 + offset.x, 150, 500 + offset.z});
  CVector3 expected;
  AnglesBetweenPoints(CVector3{800, 50, 500}, p, &expected);
  ExpectNear(cameras_.GetCameraRecord(n)->Angles, expected);

  // With smoothing the first sample fills the buffer, later ones average the last six.
  SmoothingBuffer buffer;
  ExpectNear(buffer.Add({60, 0, 0}), {60, 0, 0});
  ExpectNear(buffer.Add({0, 0, 0}), {50, 0, 0});
}

TEST_F(MovieCameras, RailModeKeepsTheCameraOnTheSphereAboutItsTarget) {
  CEnvInstance* target = Place("target", {0, 0, 0});
  CEnvInstance* lookAt = Place("looker", {0, 0, 0}, {0, 60, 0});
  const int rail = Chain({{-1000, 0, 300}, {1000, 0, 300}});
  const int n = cameras_.CreateCamera("rail");
  cameras_.SetWorldCollision(n, false);
  cameras_.SetTargetObject(n, target);
  cameras_.SetTargetOffset(n, {0, 0, 0});
  cameras_.SetRailRadius(n, 500.0f);
  cameras_.AddRail(n, rail);
  cameras_.SetDefaultLookAt(lookAt);
  cameras_.StartCamera(0, n);
  cameras_.Update();
  // The rail cuts the sphere at x = ±400; the cut nearer the look-at
  // object's yaw (60 degrees) is at x = +400 (yaw 53 degrees).
  CVector3 p;
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {400, 0, 300}, 0.05f);
  lookAt->SetRotation({0, 300, 0}, false);
  cameras_.StartCamera(0, n);  // empties the smoothing buffers
  cameras_.Update();
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {-400, 0, 300}, 0.05f);
  // A sphere the rail does not reach: the rail point nearest the target.
  cameras_.SetRailRadius(n, 100.0f);
  cameras_.AddRail(n, rail);
  cameras_.StartCamera(0, n);
  cameras_.Update();
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {0, 0, 300}, 0.05f);
}

TEST_F(MovieCameras, ARegionTriggerStartsItsCameraAndGivesTheViewBack) {
  CRegion box;
  box.Type = REGION_BOX;
  box.Box.SetFromBoxAndPose({-100, -100, -100}, {100, 100, 100}, {1000, 0, 0}, {0, 0, 0});
  regions_.Add(CRegion{});  // region 0 is elsewhere
  const int region = regions_.Add(box);
  const int player = FreeCamera("PLAYERVIEW");
  cameras_.StartCamera(0, player);
  const int cut = FreeCamera("cut");
  cameras_.SetRegionTrigger(cut, region);
  CEnvInstance* walker = Place("walker", {0, 0, 0});
  cameras_.SetTrackedObject(walker);

  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), player);
  walker->SetPosition({1050, 0, 0}, true);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), cut);
  EXPECT_EQ(cameras_.GetCameraRecord(cut)->PreviousCamera, player);
  EXPECT_EQ(cameras_.GetCameraRecord(cut)->CurrentRegion, region);
  EXPECT_EQ(cameras_.GetCameraRecord(player)->FlagsA & CAMA_RUNNING, 0u);
  walker->SetPosition({0, 0, 0}, true);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), player);

  // With both triggers only the one set last counts.
  cameras_.SetDistanceTrigger(cut, 50.0f);
  EXPECT_EQ(cameras_.GetCameraRecord(cut)->FlagsA & CAMA_REGION_TRIGGER, 0u);
  walker->SetPosition({1050, 0, 0}, true);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), player) << "the region no longer triggers";
  cameras_.SetPosition(cut, {1060, 0, 0});
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), cut) << "within 50 units";
}

TEST_F(MovieCameras, ATimeLimitHandsTheViewBackOnlyAsTheGameClockRuns) {
  const int player = FreeCamera("PLAYERVIEW");
  cameras_.StartCamera(0, player);
  const int cut = FreeCamera("cut");
  cameras_.SetTimeLimit(cut, 5000.0f);
  cameras_.SetTrackedObject(Place("walker", {0, 0, 0}));
  SetTime(1000);
  cameras_.StartCamera(0, cut);
  SetTime(6000);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), cut) << "exactly 5000 ms have passed";
  // A paused clock does not advance the game time.
  for (int i = 0; i < 3; ++i) cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), cut);
  SetTime(6001);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(0), player);
}

TEST_F(MovieCameras, ThePendingCameraOfAViewportStartsAtItsTurn) {
  const int a = FreeCamera("a");
  const int b = FreeCamera("b");
  cameras_.SetTrackedObject(Place("walker", {0, 0, 0}));
  cameras_.StartCamera(2, a);
  cameras_.SetViewportCamera(2, b);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetViewportCamera(2), b);
  EXPECT_EQ(cameras_.GetViewport(a), -1);
  cameras_.StopViewport(2);
  EXPECT_EQ(cameras_.GetViewportCamera(2), -1);
  EXPECT_EQ(cameras_.GetCameraRecord(b)->FlagsA & CAMA_RUNNING, 0u);
}

TEST_F(MovieCameras, TimedEffectsRampTheFieldOfViewAndDolly) {
  const int n = FreeCamera("effects");
  cameras_.SetPosition(n, {0, 0, 0});
  cameras_.StartFieldOfViewRamp(n, 70.0f, 30.0f, 1000.0f, 2000.0f);
  cameras_.StartDolly(n, 0.0f, 400.0f, 0.0f, 4000.0f, {1, 0, 0});
  cameras_.StartCamera(0, n);
  cameras_.Update();  // stamps both at 0
  SetTime(2000);
  cameras_.Update();
  EXPECT_NEAR(cameras_.GetFieldOfView(n), 50.0f, 1e-3f);
  CVector3 p;
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {200, 0, 0});
  SetTime(9000);
  cameras_.Update();
  EXPECT_EQ(cameras_.GetFieldOfView(n), 30.0f);
  cameras_.GetPosition(n, &p);
  ExpectNear(p, {400, 0, 0});
}

TEST_F(MovieCameras, TheSectionWrittenAndReadBackIsTheSame) {
  CEnvInstance* zone = Place("hall", {0, 0, 0});
  CEnvInstance* walker = Place("walker", {10, 0, 10});
  CEnvInstance* other = Place("other", {20, 0, 10});
  const int track = Chain({{0, 0, 0}, {100, 0, 0}, {100, 0, 100}});
  regions_.Add(CRegion{});
  regions_.Add(CRegion{});

  const int player = cameras_.CreateCamera("PLAYERVIEW");
  cameras_.SetZoneFromObject(player, zone);
  cameras_.SetPosition(player, {1, 2, 3});
  cameras_.SetAngles(player, {10, 20, 0});
  cameras_.SetPositionTrack(player, track, true, TRACK_TIMED | TRACK_LOOP);
  cameras_.SetPositionTrackSpeed(player, 3000.0f, 250.0f, 125.0f);
  cameras_.StartShake(player, 5.0f, 10.0f, 500.0f);
  cameras_.StartDolly(player, 1.0f, 2.0f, 3.0f, 4.0f, {0, 0, 1});
  cameras_.SetRegionTrigger(player, 0);
  cameras_.SetRegionTrigger(player, 1);
  cameras_.SetTimeLimit(player, 7000.0f);

  const int aimed = cameras_.CreateCamera("aimed");
  cameras_.SetTargetPosition(aimed, {5, 6, 7});
  cameras_.SetTargetTrack(aimed, track, false, 0);
  cameras_.StartFieldOfViewRamp(aimed, 60.0f, 40.0f, 100.0f, 900.0f);
  cameras_.SetDistanceTrigger(aimed, 333.0f);

  const int rail = cameras_.CreateCamera("rail");
  cameras_.SetTargetObject(rail, walker);
  cameras_.SetTargetOffset(rail, {0, 80, 0});
  cameras_.SetRailRadius(rail, 400.0f);
  cameras_.AddRail(rail, track);
  cameras_.AddRail(rail, track);

  const int chase = cameras_.CreateCamera("chase");
  cameras_.SetChaseObject(chase, walker);
  cameras_.SetChaseOffset(chase, {0, 200, 400});
  cameras_.SetLookAtObject(chase, other);
  cameras_.GetCameraRecord(chase)->FlagsB |= CAMB_LOOK_AT;

  std::string first;
  cameras_.WriteSection(&first);
  EXPECT_NE(first.find("CAMCHASEOBJ \"chase\""), std::string::npos);
  EXPECT_EQ(first.substr(first.size() - 6), "ENDC\r\n");

  CMovieCamera copy(&render_);
  copy.SetClock(&clock_);
  copy.SetWorld(env_, &regions_, &waypoints_);
  const std::string text = first + "AFTER";
  EnvTextCursor reader(text.c_str());
  ASSERT_TRUE(copy.ReadSection(reader, kCameraSectionVersion));
  char after[8];
  reader.Token(after);
  EXPECT_STREQ(after, "AFTER");
  // The level's cameras, then three viewport cameras; the player view is viewport camera 0.
  EXPECT_EQ(copy.GetViewCamera(0), copy.FindCamera("PLAYERVIEW"));
  for (int v = 1; v < kMovieViewports; ++v) EXPECT_STREQ(copy.GetName(copy.GetViewCamera(v)), "VIEWPORTVIEW");
  const int chaseCopy = copy.FindCamera("chase");
  ASSERT_GE(chaseCopy, 0);
  EXPECT_EQ(copy.GetCameraRecord(chaseCopy)->Object, walker);
  EXPECT_EQ(copy.GetCameraRecord(chaseCopy)->LookAtObject, other);
  EXPECT_EQ(copy.GetCameraRecord(copy.FindCamera("PLAYERVIEW"))->Zone, zone);
  EXPECT_EQ(copy.GetCameraRecord(copy.FindCamera("rail"))->PositionTrack.RailCount, 2);

  // Written again, the level's cameras read back give the same text (the
  // viewport cameras follow them).
  std::string second;
  copy.WriteSection(&second);
  const std::string viewports = "CAMFREE \"VIEWPORTVIEW\"";
  ASSERT_NE(second.find(viewports), std::string::npos);
  EXPECT_EQ(second.substr(0, second.find(viewports)), first.substr(0, first.size() - 6));
}

TEST_F(MovieCameras, OlderSectionsAndDamagedOnes) {
  // Before version 12: one player view record, its zone from the named object.
  Place("hall", {0, 0, 0});
  EnvTextCursor old("PLAYER hall 1 2 3 10 20 30 NEXT");
  ASSERT_TRUE(cameras_.ReadSection(old, 11));
  const int player = cameras_.GetViewCamera(0);
  ASSERT_GE(player, 0);
  EXPECT_STREQ(cameras_.GetName(player), "PLAYERVIEW");
  CVector3 p;
  cameras_.GetPosition(player, &p);
  ExpectNear(p, {1, 2, 3});
  EXPECT_NE(cameras_.GetCameraRecord(player)->Zone, nullptr);

  // Version 30: a dropped float before the speed, one region index without
  // a count; unknown words are skipped.
  EnvTextCursor v30(
      "JUNK CAMFREE \"PLAYERVIEW\" 32897 128 UNDEFINED 1 2 3 0 90 0 "
      "4 -1 0 0 0.5 0.1 0 0 0 0 0 0 0 0 60 0 0 0 0 0 0 5 3 250 ENDC");
  ASSERT_TRUE(cameras_.ReadSection(v30, 30));
  const MovieCameraRecord* r = cameras_.GetCameraRecord(cameras_.FindCamera("PLAYERVIEW"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->FieldOfView, 60.0f);
  EXPECT_EQ(r->RegionCount, 1);
  EXPECT_EQ(r->Regions[0], 3);
  EXPECT_EQ(r->TriggerDistance, 5.0f);
  EXPECT_EQ(r->TimeLimit, 250.0f);
  EXPECT_NEAR(r->PositionTrack.Speed, 0.1f, 1e-6f);

  const char* damaged[] = {
      "CAMFREE \"a\" 1 128 UNDEFINED 0 0 0",  // cut short
      // position, angles, track (5), dolly (7), field of view (5), shake (3), then 99 regions
      "CAMFREE \"a\" 1 128 UNDEFINED 0 0 0 0 0 0 " "0 -1 0 0 0.1 " "0 0 0 0 0 0 0 " "0 70 0 0 0 " "0 0 0 " "0 99 ENDC",
      "CAMFREE \"a\" 1 384 UNDEFINED 0 0 0 0 0 0 0 12 ENDC",  // twelve rails
      "",                                                     // no ENDC
  };
  for (const char* text : damaged) {
    CMovieCamera fresh(&render_);
    EnvTextCursor cursor(text);
    EXPECT_FALSE(fresh.ReadSection(cursor, kCameraSectionVersion)) << text;
  }
}

}  // namespace

TEST_F(MovieCameras, ClearMotionFlagsClearsExactlyItsMask) {
  const int n = FreeCamera("flags");
  struct Case {
    std::uint32_t before, after;
  } cases[] = {
      {0xFFFFFFFFu, 0xFFFFF203u},  // bits 2-8, 10 and 11 go; 0, 1, 9 and 12 up stay
      {0x00000DFCu, 0x00000000u},
      {0x00000203u, 0x00000203u},  // in use, running and marked are not motion
      {0x0000F000u, 0x0000F000u},  // triggers, aim mode and collision stay
  };
  for (const Case& c : cases) {
    cameras_.GetCameraRecord(n)->FlagsA = c.before;
    const std::uint32_t flagsB = cameras_.GetCameraRecord(n)->FlagsB;
    cameras_.ClearMotionFlags(n);
    EXPECT_EQ(cameras_.GetCameraRecord(n)->FlagsA, c.after) << std::hex << c.before;
    EXPECT_EQ(cameras_.GetCameraRecord(n)->FlagsB, flagsB);
  }
  cameras_.GetCameraRecord(n)->FlagsA = 0xFFFFFFFFu;
  cameras_.ClearMotionFlags(-1);  // out of range: nothing
  cameras_.ClearMotionFlags(kMaxMovieCameras);
  EXPECT_EQ(cameras_.GetCameraRecord(n)->FlagsA, 0xFFFFFFFFu) << "a camera in range is left alone";
}

TEST_F(MovieCameras, ZoneIsTheRootOfTheObjectGiven) {
  const int n = FreeCamera("zoned");
  EXPECT_EQ(cameras_.GetZone(n), nullptr);
  CEnvInstance* root = Place("room", {0, 0, 0});
  CEnvInstance* chair = Place("chair", {1, 0, 0});
  root->AttachChild(chair);
  cameras_.SetZoneFromObject(n, chair);
  EXPECT_EQ(cameras_.GetZone(n), root);
  cameras_.SetZoneFromObject(n, nullptr);
  EXPECT_EQ(cameras_.GetZone(n), nullptr);
  EXPECT_EQ(cameras_.GetZone(-1), nullptr);
  EXPECT_EQ(cameras_.GetZone(kMaxMovieCameras), nullptr);
}
