// Zone operations over the generated two-room world: the portal a segment
// crosses, the portal an instance stands in, registering instances anew,
// and drawing through zones and portals from a camera.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "render/geometry/camera.h"
#include "render/geometry/frustum.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/space/portal.h"
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

  std::unique_ptr<space_fixture::World> world_;
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

}  // namespace
