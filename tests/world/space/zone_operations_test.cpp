// Zone operations over the generated two-room world: the portal a segment
// crosses, the portal an instance stands in, registering instances anew,
// drawing through zones and portals from a camera, the environment's view
// pass (Update) and the zone the eye stands in.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "render/geometry/camera.h"
#include "render/geometry/frustum.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/environment/env_object.h"
#include "world/space/portal.h"
#include "world/space/view_zone.h"
#include "world/space/world_queries.h"
#include "world/space/zone_draw.h"
#include "world/space/zone_record.h"
#include "world/space_world_fixture.h"

namespace {

class ZoneOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    space_fixture::Options o;
    o.terrainTiles = 2;
    o.outdoorCrates = 0;
    o.trees = 0;
    world_ = space_fixture::MakeWorld(o);
    shellA_ = world_->roomA->FirstChild;
    ASSERT_NE(shellA_, nullptr);
    ASSERT_NE(world_->crateInB, nullptr);
  }
  void TearDown() override { CCamera::SetCurrentCamera(nullptr); }

  // A dynamic instance of the shell's template under the shell.
  CEnvInstance* Dynamic(const CVector3& at) {
    CEnvInstance* i = world_->env->CreateInstance(nullptr, shellA_->Template, at, {0, 0, 0}, nullptr, 0, 0);
    i->StateBits |= INSTS_DYNAMIC;
    shellA_->AttachChild(i);
    return i;
  }
  std::vector<CEnvInstance*> Registered(CEnvInstance* zoneRoot) const {
    std::vector<CEnvInstance*> out;
    for (CEnvInstance* i = zoneRoot->Zone->RegisteredInstances; i; i = i->ZoneLink) out.push_back(i);
    return out;
  }
  // Draws from an eye with the frustum given; answers whether each instance was drawn.
  std::vector<bool> DrawFrom(const CVector3& eye, const CFrustum& frustum, std::vector<CEnvInstance*> watch) {
    camera_.SetView(eye, {0, 0, 0});
    CCamera::SetCurrentCamera(&camera_);
    ++g_EnvInstanceGlobals.FrameNumber;
    for (CEnvInstance* i : watch) i->Flags |= INSTF_ANY_SIZE;
    DrawZone(world_->roomA, frustum, ++pass_);
    std::vector<bool> drawn;
    for (CEnvInstance* i : watch) drawn.push_back(i->LastDrawnFrame == g_EnvInstanceGlobals.FrameNumber);
    return drawn;
  }
  static CFrustum Box(const CVector3& lo, const CVector3& hi) {
    CFrustum f;
    f.BuildFromBox(lo, hi, nullptr);
    return f;
  }

  // A small static instance (a 20-unit cube) under a zone root, the zones'
  // octrees built again so that it is filed in them.
  CEnvInstance* Marker(CEnvInstance* zoneRoot, const CVector3& at) {
    marker_.TemplateKind = OTYPE_ENV;
    marker_.Sphere.Radius = 17.0f;
    marker_.Bounds.Min = CVector3{-10, -10, -10};
    marker_.Bounds.Max = CVector3{10, 10, 10};
    CEnvInstance* i = world_->env->CreateInstance(nullptr, &marker_, at, {0, 0, 0}, nullptr, 0, 0);
    zoneRoot->AttachChild(i);
    i->Flags |= INSTF_ANY_SIZE;
    world_->env->BuildOctrees(nullptr, false);
    return i;
  }
  bool DrawnNow(const CEnvInstance* i) const { return i->LastDrawnFrame == g_EnvInstanceGlobals.FrameNumber; }

  std::unique_ptr<space_fixture::World> world_;
  CEnvObject marker_;
  CEnvInstance* shellA_ = nullptr;
  CWorldQueries queries_;
  CCamera camera_;
  std::uint32_t pass_ = 1000;
};

TEST_F(ZoneOperations, TheFirstPortalCrossedFromItsFrontInsideItsOutline) {
  struct Case {
    CVector3 a, b;
    bool fromB;
    Portal* expected;
  } cases[] = {
      {{300, 100, 200}, {500, 100, 200}, false, world_->doorAB},
      {{300, 250, 200}, {500, 250, 200}, false, nullptr},   // above the doorway
      {{300, 100, 100}, {500, 100, 100}, false, nullptr},   // beside it
      {{500, 100, 200}, {300, 100, 200}, false, nullptr},   // from its back
      {{300, 100, 200}, {390, 100, 200}, false, nullptr},   // short of it
      {{500, 100, 200}, {300, 100, 200}, true, world_->doorBA},
  };
  for (const Case& c : cases) {
    CEnvInstance* zone = c.fromB ? world_->roomB : world_->roomA;
    EXPECT_EQ(queries_.FindPortalCrossed(zone, c.a, c.b), c.expected);
    // Any instance of the zone's tree names the zone.
    EXPECT_EQ(queries_.FindPortalCrossed(c.fromB ? world_->crateInB : shellA_, c.a, c.b), c.expected);
  }
  EXPECT_EQ(queries_.FindPortalCrossed(nullptr, {300, 100, 200}, {500, 100, 200}), nullptr);
}

TEST_F(ZoneOperations, AnInstanceStandsInThePortalWhoseprismHoldsItsPlacedCentre) {
  CEnvInstance* in = Dynamic({100, 50, 100});
  in->SetPosition({395, 100, 200}, false);
  EXPECT_EQ(world_->roomA->Zone->FindPortalContaining(in), world_->doorAB);
  CEnvInstance* out = Dynamic({100, 50, 100});
  EXPECT_EQ(world_->roomA->Zone->FindPortalContaining(out), nullptr);
  EXPECT_EQ(world_->roomA->Zone->FindPortalContaining(nullptr), nullptr);
}

TEST_F(ZoneOperations, RehomingRegistersAnewOnlyWhatStandsInNoPortal) {
  CEnvInstance* first = Dynamic({100, 50, 100});
  CEnvInstance* doorway = Dynamic({120, 50, 100});
  CEnvInstance* last = Dynamic({140, 50, 100});
  // Moved into the doorway after it was registered with the room.
  doorway->SetPosition({395, 100, 200}, false);
  ASSERT_EQ(Registered(world_->roomA), (std::vector<CEnvInstance*>{first, doorway, last}));
  world_->roomA->Zone->RehomeInstances();
  // The two in the room went to the end again, in order, under the same parent.
  EXPECT_EQ(Registered(world_->roomA), (std::vector<CEnvInstance*>{doorway, first, last}));
  EXPECT_EQ(first->Parent, shellA_);
  EXPECT_EQ(last->Parent, shellA_);
  EXPECT_EQ(doorway->Parent, shellA_);
}

TEST_F(ZoneOperations, RegisteredInstancesAreDrawnWithParentRelativeParentsFirst) {
  CEnvInstance* child = Dynamic({100, 50, 100});
  child->SetTransformMode(TRANSFORMMODE_PARENTRELATIVE, 0);
  CEnvInstance* hidden = Dynamic({150, 50, 100});
  hidden->SetVisible(false, false);
  for (CEnvInstance* i : {child, hidden, shellA_}) i->Flags |= INSTF_ANY_SIZE;
  CCamera::SetCurrentCamera(&camera_);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->roomA->Zone->DrawRegistered(nullptr);
  const std::uint32_t frame = g_EnvInstanceGlobals.FrameNumber;
  EXPECT_EQ(child->LastDrawnFrame, frame);
  EXPECT_EQ(shellA_->LastDrawnFrame, frame) << "the parent of a parent-relative instance is drawn too";
  EXPECT_NE(hidden->LastDrawnFrame, frame);
}

TEST_F(ZoneOperations, TheOtherRoomIsDrawnOnlyThroughAnOpenPortalInView) {
  const CVector3 eye{390, 100, 200};
  const CFrustum all = Box({-5000, -5000, -5000}, {5000, 5000, 5000});
  std::vector<bool> drawn = DrawFrom(eye, all, {shellA_, world_->crateInB});
  EXPECT_TRUE(drawn[0]);
  EXPECT_TRUE(drawn[1]) << "seen through the doorway";
  // Closed, the doorway shows nothing.
  world_->doorAB->Closed = 1;
  drawn = DrawFrom(eye, all, {shellA_, world_->crateInB});
  world_->doorAB->Closed = 0;
  EXPECT_TRUE(drawn[0]);
  EXPECT_FALSE(drawn[1]);
  // A frustum that leaves the doorway out: room B is not entered.
  drawn = DrawFrom({100, 100, 200}, Box({0, 0, 0}, {250, 300, 400}), {shellA_, world_->crateInB});
  EXPECT_TRUE(drawn[0]);
  EXPECT_FALSE(drawn[1]);
  // Without a camera nothing is traversed.
  CCamera::SetCurrentCamera(nullptr);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->crateInB->Flags |= INSTF_ANY_SIZE;
  DrawZone(world_->roomA, all, ++pass_);
  EXPECT_NE(world_->crateInB->LastDrawnFrame, g_EnvInstanceGlobals.FrameNumber);
}

TEST_F(ZoneOperations, TheContainersZonePassDrawsTheViewZoneThroughItsPortals) {
  camera_.SetView({390, 100, 200}, {0, 90, 0});
  camera_.GetFrustum()->BuildFromBox({-5000, -5000, -5000}, {5000, 5000, 5000}, nullptr);
  CCamera::SetCurrentCamera(&camera_);
  world_->crateInB->Flags |= INSTF_ANY_SIZE;
  world_->env->SetViewInstance(shellA_);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->DrawZones();
  EXPECT_EQ(world_->crateInB->LastDrawnFrame, g_EnvInstanceGlobals.FrameNumber);
  // With the zone override the view zone's portals are not followed.
  world_->env->ZoneOverride = 1;
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->DrawZones();
  world_->env->ZoneOverride = 0;
  EXPECT_NE(world_->crateInB->LastDrawnFrame, g_EnvInstanceGlobals.FrameNumber);
}

// The environment's view pass from inside room A: the marker standing in
// room B in line with the doorway is drawn only while the doorway is in the
// camera's view; the one of room A round the eye always.
TEST_F(ZoneOperations, UpdateDrawsTheOtherRoomOnlyWhileItsDoorwayIsInView) {
  const CVector3 eye{200, 100, 200};
  CEnvInstance* inA = Marker(world_->roomA, eye);
  CEnvInstance* inB = Marker(world_->roomB, {650, 100, 200});
  struct Case {
    float yaw;  // 90 looks along +x, at the doorway
    bool doorwayInView;
  };
  const Case cases[] = {{90, true}, {60, true}, {125, true}, {-90, false}, {180, false}, {0, false}};
  camera_.SetProjection(90.0f, 8.0f, 10000.0f);
  for (const Case& c : cases) {
    camera_.SetView(eye, {0, c.yaw, 0});
    camera_.UpdateFrustum();
    CCamera::SetCurrentCamera(&camera_);
    world_->env->SetViewInstance(FindViewZone(*world_->env, 0, eye));
    ASSERT_EQ(world_->env->ViewInstance, world_->roomA) << c.yaw;
    ++g_EnvInstanceGlobals.FrameNumber;
    world_->env->Update();
    EXPECT_TRUE(DrawnNow(inA)) << c.yaw;
    EXPECT_EQ(DrawnNow(inB), c.doorwayInView) << c.yaw;
  }
  // Without a current camera the pass draws nothing.
  CCamera::SetCurrentCamera(nullptr);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->Update();
  EXPECT_FALSE(DrawnNow(inA));
}

// A zone seen twice in one pass (through two portals): what the first
// frustum left out of a leaf is drawn through the second, and an instance
// drawn once is not drawn again.
TEST_F(ZoneOperations, AZoneSeenThroughTwoPortalsShowsThroughTheSecondWhatTheFirstLeftOut) {
  CEnvInstance* inB = Marker(world_->roomB, {650, 100, 200});
  camera_.SetView({200, 100, 200}, {0, 90, 0});
  CCamera::SetCurrentCamera(&camera_);
  ++g_EnvInstanceGlobals.FrameNumber;
  const std::uint32_t pass = ++pass_;
  DrawZone(world_->roomB, Box({600, 0, 0}, {625, 300, 400}), pass, false);
  EXPECT_FALSE(DrawnNow(inB)) << "outside the first frustum";
  const std::uint32_t draws = g_EnvInstanceGlobals.DrawCount;
  DrawZone(world_->roomB, Box({600, 0, 0}, {800, 300, 400}), pass, false);
  EXPECT_TRUE(DrawnNow(inB)) << "seen through the second";
  const std::uint32_t drawnAgain = g_EnvInstanceGlobals.DrawCount - draws;
  DrawZone(world_->roomB, Box({600, 0, 0}, {800, 300, 400}), pass, false);
  EXPECT_EQ(g_EnvInstanceGlobals.DrawCount - draws, drawnAgain) << "each instance once per pass";
}

// What is seen through a portal is bounded by the frustum the portal was
// seen through: beyond a doorway half in view, an instance off to the side
// of the camera's view is not drawn, one in view is.
TEST_F(ZoneOperations, BeyondADoorwayOnlyWhatTheCameraSeesIsDrawn) {
  CEnvInstance* seen = Marker(world_->roomB, {700, 100, 200});
  CEnvInstance* aside = Marker(world_->roomB, {700, 100, 30});
  const CVector3 eye{300, 100, 200};
  camera_.SetProjection(60.0f, 8.0f, 10000.0f);
  // Turned so that the doorway's edge at z 150 lies outside the view: the
  // doorway's own frustum reaches past the view's edge to z 0..70 at x 700.
  camera_.SetView(eye, {0, 70, 0});
  camera_.UpdateFrustum();
  CCamera::SetCurrentCamera(&camera_);
  ASSERT_TRUE(camera_.IsPointVisible({400, 100, 200}));
  ASSERT_FALSE(camera_.IsPointVisible({700, 100, 30}));
  ASSERT_FALSE(camera_.IsPointVisible({400, 100, 150}));
  world_->env->SetViewInstance(world_->roomA);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->Update();
  EXPECT_TRUE(DrawnNow(seen));
  EXPECT_FALSE(DrawnNow(aside));
}

// The view zone follows the eye from pass to pass through the portals it
// crosses, and is found afresh at the start and after a jump.
TEST_F(ZoneOperations, TheViewZoneFollowsTheEyeThroughTheDoorway) {
  CEnvironment& env = *world_->env;
  struct Step {
    CVector3 eye;
    CEnvInstance* zone;
    const char* what;
  };
  const Step steps[] = {
      {{200, 100, 200}, world_->roomA, "found afresh: the smallest zone holding the eye"},
      {{390, 100, 200}, world_->roomA, "short of the doorway"},
      {{420, 100, 200}, world_->roomB, "through the doorway"},
      {{600, 100, 300}, world_->roomB, "on in room B"},
      {{380, 100, 200}, world_->roomA, "back through the doorway"},
      {{380, 100, 350}, world_->roomA, "along the wall"},
      {{420, 100, 350}, world_->roomA, "through the wall beside the doorway: no portal, no change"},
      {{-800, 150, -800}, world_->land, "a jump: found afresh, outside the rooms"},
      {{200, 100, 200}, world_->roomA, "a jump back into room A"},
  };
  env.SetViewInstance(nullptr);
  env.ViewSlots[0] = nullptr;
  for (const Step& s : steps) {
    CEnvInstance* zone = FindViewZone(env, 0, s.eye);
    EXPECT_EQ(zone, s.zone) << s.what;
    env.SetViewInstance(zone);
    CCamera view;
    view.SetView(s.eye, {0, 0, 0});
    env.SetView(0, view);
  }
  // Another view slot has no last camera: its zone is found afresh.
  EXPECT_EQ(FindViewZone(env, 1, {600, 100, 200}), world_->roomB);
  EXPECT_EQ(FindViewZone(env, kEnvironmentViews, {600, 100, 200}), world_->roomB);
}

// An instance made dynamic leaves the octree's care for its zone's list:
// rebuilt octrees no longer hold it, and the zone pass draws it from the
// list where it stands now; one standing in a doorway is drawn at the end
// of the pass from the global list.
TEST_F(ZoneOperations, DynamicInstancesAreDrawnFromTheirZoneAndTheGlobalList) {
  CEnvInstance* mover = Marker(world_->roomA, {100, 100, 200});
  CEnvInstance* child = Marker(world_->roomA, {0, 0, 0});
  mover->AttachChild(child);
  mover->SetDynamic();
  EXPECT_FALSE(mover->IsStatic());
  EXPECT_FALSE(child->IsStatic()) << "the subtree too";
  EXPECT_EQ(Registered(world_->roomA), (std::vector<CEnvInstance*>{mover, child}));
  world_->env->BuildOctrees(nullptr, false);
  // Moved where the octree never filed it, it is drawn where it stands.
  mover->SetPosition({300, 100, 300}, true);
  camera_.SetView({100, 100, 100}, {0, 45, 0});
  camera_.GetFrustum()->BuildFromBox({-5000, -5000, -5000}, {5000, 5000, 5000}, nullptr);
  CCamera::SetCurrentCamera(&camera_);
  world_->env->SetViewInstance(world_->roomA);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->Update();
  EXPECT_TRUE(DrawnNow(mover));
  EXPECT_TRUE(DrawnNow(child));
  // In the doorway it belongs to the global list, drawn from either room.
  CEnvInstance* inDoorway = Marker(world_->roomB, {400, 100, 200});
  inDoorway->SetDynamic();
  world_->env->BuildOctrees(nullptr, false);
  ASSERT_TRUE(inDoorway->StateBits & INSTS_GLOBAL_DYNAMIC);
  world_->env->SetViewInstance(world_->roomB);
  camera_.SetView({700, 100, 200}, {0, -90, 0});
  camera_.GetFrustum()->BuildFromBox({-5000, -5000, -5000}, {5000, 5000, 5000}, nullptr);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->Update();
  EXPECT_TRUE(DrawnNow(inDoorway));
  inDoorway->SetVisible(false, false);
  ++g_EnvInstanceGlobals.FrameNumber;
  world_->env->Update();
  EXPECT_FALSE(DrawnNow(inDoorway)) << "hidden";
  EXPECT_TRUE(DrawnNow(world_->roomB)) << "the pass itself still ran";
  inDoorway->Detach();
}

}  // namespace
