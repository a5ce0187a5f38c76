// Environment instances: the transform tree and its modes, the setters'
// change rules, bounds, zone registration, active lights, vertex animation
// and collision-candidate gathering, over templates built in code.
#include "world/environment/env_instance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"
#include "scene/light_table.h"
#include "scene/mesh/vbuffer_object.h"
#include "world/environment/env_object.h"
#include "world/space/zone_record.h"

namespace {

// A 2 x 2 x 2 box template around the origin, with a unit collision sphere.
void MakeBox(CEnvObject* t, int solidType = 2) {
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-1, -1, -1};
  t->Bounds.Max = {1, 1, 1};
  t->Sphere.Centre = {0, 0, 0};
  t->Sphere.Radius = 1.0f;
  t->SolidType = solidType;
}

// An instance constructed and set up in one go, as the environment does.
struct Placed : CEnvInstance {
  explicit Placed(CEnvObject* t, CVector3 position = {}, CVector3 rotation = {}, const CVector3* scale = nullptr) {
    Construct(nullptr, {}, 0);
    Setup(0, t, scale, rotation, position, 0x1234);
  }
};

// A hierarchical parent whose connectors are plain matrices.
struct ConnectorParent : Placed {
  using Placed::Placed;
  const CMatrix* GetConnectorTransform(int connector) const override {
    return connector == 1 ? &Connector : nullptr;
  }
  void AttachToConnector(int connector, CEnvInstance* child) override { Calls.push_back({connector, child}); }
  void EvaluatePose() override { ++Evaluations; }
  CMatrix Connector{};
  std::vector<std::pair<int, CEnvInstance*>> Calls;
  int Evaluations = 0;
};

void ExpectNear(const CVector3& got, const CVector3& want, float tolerance = 1e-3f) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

CVector3 Apply(const CEnvInstance& i, CVector3 p) {
  CVector3 out;
  i.LocalToWorld(-1, p, &out);
  return out;
}

// Angle difference on the circle, for comparing wrapped angles.
float AngleGap(float a, float b) {
  float d = std::fmod(std::fabs(a - b), 360.0f);
  return d > 180.0f ? 360.0f - d : d;
}

std::vector<CEnvInstance*> List(CEnvInstance* head) {
  std::vector<CEnvInstance*> out;
  for (CEnvInstance* i = head; i != nullptr; i = i->ZoneLink) out.push_back(i);
  return out;
}

std::vector<CEnvInstance*> Children(const CEnvInstance& parent) {
  std::vector<CEnvInstance*> out;
  for (CEnvInstance* c = parent.FirstChild; c != nullptr; c = c->NextSibling) out.push_back(c);
  return out;
}

}  // namespace

// --- setters ---------------------------------------------------------------

TEST(EnvInstanceSetters, RotationIsWrappedIntoZeroTo360) {
  struct Case {
    CVector3 in, stored;
  } cases[] = {
      {{370, -10, 0}, {10, 350, 0}},
      {{720, 360, -360}, {0, 0, 0}},
      {{-725, 359.5f, 45}, {355, 359.5f, 45}},
  };
  CEnvObject t;
  MakeBox(&t);
  for (const Case& c : cases) {
    Placed i(&t);
    i.SetRotation(c.in, false);
    ExpectNear(i.GetStoredRotation(), c.stored);
  }
}

TEST(EnvInstanceSetters, SamePositionTwiceChangesNothingTheSecondTime) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t);
  EXPECT_TRUE(i.SetPosition({5, 6, 7}, false));
  EXPECT_FALSE(i.SetPosition({5, 6, 7}, false));
  EXPECT_TRUE(i.SetPosition({5, 6, 8}, false));
  CVector3 p;
  i.GetPosition(&p);
  ExpectNear(p, {5, 6, 8});
}

// Equal plain rotations skip the rebuild; a rotation last built by
// SetRotationDirect (yaw turned by 180) is rebuilt by SetRotation even with
// equal angles, so the plain facing returns.
TEST(EnvInstanceSetters, SetRotationSkipsOnlyWhenThePlainMatrixIsCurrent) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t, {0, 0, 0}, {0, 30, 0});
  EXPECT_FALSE(i.SetRotation({0, 30, 0}, false));
  EXPECT_TRUE(i.SetRotation({0, 31, 0}, false));
  const CVector3 plain = Apply(i, {0, 0, 1});

  i.SetRotationDirect({0, 31, 0});
  const CVector3 direct = Apply(i, {0, 0, 1});
  // The direct form faces yaw 180 - 31 = 149 instead of 31.
  EXPECT_GT(std::fabs(direct.z - plain.z), 0.5f);

  EXPECT_TRUE(i.SetRotation({0, 31, 0}, false));
  ExpectNear(Apply(i, {0, 0, 1}), plain);
  EXPECT_FALSE(i.SetRotation({0, 31, 0}, false));
}

// W = S Rz(-rz) Rx(-rx) Ry(-ry) T: a yaw of 90 carries local +z to world +x.
TEST(EnvInstanceSetters, WorldMatrixComposesScaleRotationAndPosition) {
  CEnvObject t;
  MakeBox(&t);
  const CVector3 scale{2, 2, 2};
  Placed i(&t, {10, 0, 0}, {0, 90, 0}, &scale);
  ExpectNear(Apply(i, {0, 0, 1}), {12, 0, 0});
  CVector3 back;
  i.WorldToLocal(-1, {12, 0, 0}, &back);
  ExpectNear(back, {0, 0, 1});
  CVector3 dir;
  i.RotateToWorld(-1, {0, 0, 1}, &dir);
  ExpectNear(dir, {2, 0, 0});
}

TEST(EnvInstanceSetters, GetRotationReadsBackTheAngles) {
  const CVector3 cases[] = {{0, 0, 0}, {30, 45, 0}, {0, 200, 0}, {10, 20, 30}, {350, 100, 5}, {0, 0, 300}};
  CEnvObject t;
  MakeBox(&t);
  for (const CVector3& r : cases) {
    const CVector3 scale{1, 3, 2};
    Placed i(&t, {1, 2, 3}, r, &scale);
    CVector3 got;
    i.GetRotation(&got);
    EXPECT_LT(AngleGap(got.x, r.x), 0.01f) << r.x << " " << r.y << " " << r.z;
    EXPECT_LT(AngleGap(got.y, r.y), 0.01f) << r.x << " " << r.y << " " << r.z;
    EXPECT_LT(AngleGap(got.z, r.z), 0.01f) << r.x << " " << r.y << " " << r.z;
  }
  // Templates flagged 0x2 face the other way: the yaw read back turns by 180.
  t.Flags |= EOF_CONNECTOR;
  Placed turned(&t, {}, {0, 30, 0});
  CVector3 got;
  turned.GetRotation(&got);
  EXPECT_NEAR(got.y, 210.0f, 0.01f);
}

TEST(EnvInstanceSetters, ScaleChangesRebuildAndSphereFollowsLargestComponent) {
  CEnvObject t;
  MakeBox(&t);
  t.Sphere.Radius = 5.0f;
  Placed i(&t, {100, 0, 0});
  i.UpdateBoundingSphere();
  EXPECT_FLOAT_EQ(i.GetWorldSphere().Radius, 5.0f);
  i.SetScale({1, 3, 2});
  i.UpdateBoundingSphere();
  EXPECT_FLOAT_EQ(i.GetWorldSphere().Radius, 15.0f);
  ExpectNear(i.GetWorldSphere().Centre, {100, 0, 0});
  ExpectNear(Apply(i, {0, 1, 0}), {100, 3, 0});
}

TEST(EnvInstanceSetters, SphereOffsetMovesTheCentreOnlyWhileSet) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t, {0, 10, 0});
  CVector3 offset;
  i.GetSphereOffset(&offset);
  ExpectNear(offset, {0, 0, 0});
  i.SetSphereOffset({0, 50, 0});
  i.UpdateBoundingSphere();
  ExpectNear(i.GetWorldSphere().Centre, {0, 60, 0});
  i.ClearSphereOffset();
  i.UpdateBoundingSphere();
  ExpectNear(i.GetWorldSphere().Centre, {0, 10, 0});
  i.GetSphereOffset(&offset);
  ExpectNear(offset, {0, 0, 0});
}

// --- transform tree ----------------------------------------------------------

// A parent-relative child composes its local transform with the parent's
// world matrix once, also when only its position changes.
TEST(EnvInstanceTree, ParentRelativeChildComposesWithParentOnce) {
  CEnvObject t;
  MakeBox(&t);
  Placed parent(&t, {100, 0, 0}, {0, 90, 0});
  Placed child(&t);
  parent.AttachChild(&child);
  child.SetTransformMode(TRANSFORMMODE_PARENTRELATIVE, 0);
  child.SetRotation({0, 0, 0}, false);
  child.SetPosition({0, 0, 10}, false);
  CVector3 p;
  child.GetPosition(&p);
  ExpectNear(p, {110, 0, 0});
  child.SetPosition({0, 0, 20}, false);
  child.GetPosition(&p);
  ExpectNear(p, {120, 0, 0});
  GetInstancePosition(&child, &p);
  ExpectNear(p, {120, 0, 0});
  ExpectNear(child.GetLocalPosition(), {0, 0, 20});
  // The inverse follows: the world point maps back to the local one.
  CVector3 local;
  child.WorldToLocal(-1, {120, 0, 0}, &local);
  ExpectNear(local, {0, 0, 0});
}

TEST(EnvInstanceTree, MovingAParentWithChildrenCarriesBothKinds) {
  CEnvObject t;
  MakeBox(&t);
  Placed parent(&t, {0, 0, 0});
  Placed relative(&t);
  Placed world(&t, {5, 5, 5});
  parent.AttachChild(&relative);
  parent.AttachChild(&world);
  relative.SetTransformMode(TRANSFORMMODE_PARENTRELATIVE, 0);
  relative.SetPosition({1, 0, 0}, false);

  EXPECT_TRUE(parent.SetPosition({10, 0, 0}, true));
  CVector3 p;
  relative.GetPosition(&p);
  ExpectNear(p, {11, 0, 0});
  ExpectNear(relative.GetLocalPosition(), {1, 0, 0});
  world.GetPosition(&p);
  ExpectNear(p, {15, 5, 5});

  // Turning the parent with children turns the relative child about it.
  EXPECT_TRUE(parent.SetRotation({0, 90, 0}, true));
  relative.GetPosition(&p);
  ExpectNear(p, {10, 0, -1});
  // Without the flag the children stay where they were.
  parent.SetPosition({20, 0, 0}, false);
  relative.GetPosition(&p);
  ExpectNear(p, {10, 0, -1});
}

TEST(EnvInstanceTree, ConnectorModeTakesTheParentsConnector) {
  CEnvObject tree;
  MakeBox(&tree);
  tree.TemplateKind = OTYPE_TRANSFORMANIM;
  CEnvObject t;
  MakeBox(&t);
  ConnectorParent parent(&tree, {0, 0, 0});
  parent.Connector.SetIdentity();
  parent.Connector.SetTranslation({0, 50, 0});
  Placed child(&t);
  parent.AttachChild(&child);

  child.SetTransformMode(TRANSFORMMODE_CONNECTORRELATIVE, 1);
  ASSERT_EQ(parent.Calls.size(), 1u);
  EXPECT_EQ(parent.Calls[0], std::make_pair(1, static_cast<CEnvInstance*>(&child)));
  EXPECT_GE(parent.Evaluations, 1);
  EXPECT_EQ(child.GetParentTransform(), &parent.Connector);
  child.SetPosition({0, 0, 3}, false);
  CVector3 p;
  child.GetPosition(&p);
  ExpectNear(p, {0, 50, 3});

  child.SetTransformMode(TRANSFORMMODE_PARENTRELATIVE, 0);
  ASSERT_EQ(parent.Calls.size(), 2u);
  EXPECT_EQ(parent.Calls[1], std::make_pair(1, static_cast<CEnvInstance*>(nullptr)));
  EXPECT_EQ(child.GetParentTransform(), &parent.GetWorldMatrix());
}

TEST(EnvInstanceTree, ConnectorModeUnderAPlainParentKeepsTheOwnMatrix) {
  std::string lines;
  SetDebugOutputHook([](const char* text, void* out) { *static_cast<std::string*>(out) += text; }, &lines);
  CEnvObject t;
  MakeBox(&t);
  Placed parent(&t, {100, 0, 0});
  Placed child(&t);
  parent.AttachChild(&child);
  child.SetTransformMode(TRANSFORMMODE_CONNECTORRELATIVE, 0);
  EXPECT_EQ(child.GetParentTransform(), nullptr);
  child.SetPosition({1, 2, 3}, false);
  SetDebugOutputHook(nullptr, nullptr);
  CVector3 p;
  child.GetPosition(&p);
  ExpectNear(p, {1, 2, 3});
  EXPECT_NE(lines.find("ERROR : GetParentTransform, TRANSFORMMODE_CONNECTORRELATIVE used when parent is not "
                       "hierarchical\n"),
            std::string::npos);
}

TEST(EnvInstanceTree, AttachAppendsMovesAndRefusesLoops) {
  CEnvObject t;
  MakeBox(&t);
  Placed a(&t), b(&t), c(&t), d(&t);
  a.AttachChild(&b);
  a.AttachChild(&c);
  EXPECT_EQ(Children(a), (std::vector<CEnvInstance*>{&b, &c}));
  b.AttachChild(&d);
  EXPECT_EQ(d.GetRoot(), &a);

  // Re-attaching moves the child from its old parent.
  c.AttachChild(&d);
  EXPECT_TRUE(Children(b).empty());
  EXPECT_EQ(Children(c), (std::vector<CEnvInstance*>{&d}));

  // An ancestor may not become a child of its descendant.
  d.AttachChild(&a);
  EXPECT_EQ(a.Parent, nullptr);
  d.AttachChild(&d);
  EXPECT_EQ(d.Parent, &c);

  d.ReattachToRoot();
  EXPECT_EQ(d.Parent, &a);
  EXPECT_EQ(Children(a), (std::vector<CEnvInstance*>{&b, &c, &d}));

  c.Detach();
  EXPECT_EQ(c.Parent, nullptr);
  EXPECT_EQ(c.NextSibling, nullptr);
  EXPECT_EQ(Children(a), (std::vector<CEnvInstance*>{&b, &d}));
}

// --- zone registration ---------------------------------------------------------

TEST(EnvInstanceZones, StaticOrDynamicFollowsTheNodeOverride) {
  struct Case {
    std::uint32_t override, bits;
    bool isStatic;
  } cases[] = {
      {0, 0, true}, {0, INSTS_DYNAMIC, false}, {0, INSTS_STATIC_OVERRIDE, true},
      {1, 0, false}, {1, INSTS_STATIC_OVERRIDE, true}, {1, INSTS_DYNAMIC, false},
  };
  for (const Case& c : cases) {
    CEnvInstance i;
    i.Construct(nullptr, {}, 0);
    i.NodeOverride = c.override;
    i.StateBits = c.bits;
    EXPECT_EQ(i.IsStatic(), c.isStatic) << c.override << " " << c.bits;
  }
}

TEST(EnvInstanceZones, DynamicSubtreeIsAppendedToTheRootZoneInSubtreeOrder) {
  CEnvObject t;
  MakeBox(&t);
  ZoneRecord zone{};
  Placed root(&t), earlier(&t), child(&t), grandchild(&t), staticChild(&t);
  root.Zone = &zone;
  for (CEnvInstance* i : {&earlier, &child, &grandchild}) i->StateBits |= INSTS_DYNAMIC;
  root.AttachChild(&earlier);
  child.AttachChild(&grandchild);
  child.AttachChild(&staticChild);
  root.AttachChild(&child);
  EXPECT_EQ(List(zone.RegisteredInstances), (std::vector<CEnvInstance*>{&earlier, &child, &grandchild}));

  child.Detach();
  EXPECT_EQ(List(zone.RegisteredInstances), (std::vector<CEnvInstance*>{&earlier}));
  EXPECT_EQ(grandchild.ZoneLink, nullptr);
}

TEST(EnvInstanceZones, ChildrenOfAGloballyListedParentGoToTheGlobalList) {
  CEnvObject t;
  MakeBox(&t);
  ZoneRecord zone{};
  Placed parent(&t), child(&t), grandchild(&t);
  parent.Zone = &zone;
  parent.StateBits |= INSTS_DYNAMIC | INSTS_GLOBAL_DYNAMIC;  // listed globally itself
  child.StateBits |= INSTS_DYNAMIC;
  grandchild.StateBits |= INSTS_DYNAMIC;
  child.AttachChild(&grandchild);
  CEnvInstance* before = g_GlobalDynamicInstances;
  parent.AttachChild(&child);
  EXPECT_TRUE(child.StateBits & INSTS_GLOBAL_DYNAMIC);
  EXPECT_TRUE(grandchild.StateBits & INSTS_GLOBAL_DYNAMIC);
  EXPECT_EQ(List(g_GlobalDynamicInstances).size(), List(before).size() + 2);
  EXPECT_EQ(zone.RegisteredInstances, nullptr);

  child.Detach();
  EXPECT_FALSE(child.StateBits & INSTS_GLOBAL_DYNAMIC);
  EXPECT_FALSE(grandchild.StateBits & INSTS_GLOBAL_DYNAMIC);
  EXPECT_EQ(g_GlobalDynamicInstances, before);
}

// --- flags, lights, stamps -----------------------------------------------------

TEST(EnvInstanceFlags, VisibilityAndCollisionAnswerThePreviousState) {
  CEnvObject t;
  MakeBox(&t);
  Placed a(&t), b(&t);
  a.AttachChild(&b);
  EXPECT_TRUE(a.SetVisible(false, true));
  EXPECT_TRUE(b.Flags & INSTF_HIDDEN);
  EXPECT_FALSE(a.SetVisible(true, false));
  EXPECT_FALSE(a.Flags & INSTF_HIDDEN);
  EXPECT_TRUE(b.Flags & INSTF_HIDDEN);

  EXPECT_TRUE(a.SetCollidable(false, false));
  EXPECT_FALSE(a.SetCollidable(true, false));
  EXPECT_FALSE(b.Flags & INSTF_NOT_COLLIDABLE);

  Placed c(&t);
  a.Flags |= 0xFFFFFFFF;
  c.Flags = 0x1;
  c.CopyFlags(a);
  EXPECT_EQ(c.Flags, kInstanceCopyFlagsMask | 0x1);
}

TEST(EnvInstanceLights, ListKeepsOrderIgnoresDuplicatesAndCapsAtEight) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t);
  for (int light : {4, 9, 2, 9}) i.AddActiveLight(light);
  ASSERT_EQ(i.GetActiveLightCount(), 3);
  i.RemoveActiveLight(9);
  ASSERT_EQ(i.GetActiveLightCount(), 2);
  EXPECT_EQ(i.GetActiveLight(0), 4);
  EXPECT_EQ(i.GetActiveLight(1), 2);

  for (int light = 20; light < 40; ++light) i.AddActiveLight(light);
  ASSERT_EQ(i.GetActiveLightCount(), kMaxInstanceLights);
  EXPECT_EQ(i.GetActiveLight(7), 25);
  // The bytes after the list were not written over.
  EXPECT_EQ(i.LightSelectWord, 65535);
  EXPECT_EQ(i.LightSelectByte, 255);

  Placed copy(&t);
  copy.CopyActiveLights(i);
  EXPECT_EQ(copy.GetActiveLightCount(), kMaxInstanceLights);
  EXPECT_EQ(copy.GetActiveLight(3), 21);
}

TEST(EnvInstanceDraw, DrawsOncePerFrameAndNeverWhenDisabled) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t);
  int drawn = 0;
  i.PreDrawHook = [](CEnvInstance*, void* n) { ++*static_cast<int*>(n); };
  i.HookData = &drawn;
  g_EnvInstanceGlobals.FrameNumber = 40;
  g_EnvInstanceGlobals.GameTime = 1234;
  EXPECT_FALSE(i.WasEverDrawn());
  i.Draw(nullptr);
  i.Draw(nullptr);
  EXPECT_EQ(drawn, 1);
  EXPECT_EQ(i.GetLastDrawnTime(), 1234u);
  EXPECT_FALSE(i.IsDrawnThisFrame());
  g_EnvInstanceGlobals.FrameNumber = 43;
  EXPECT_EQ(i.FramesSinceDrawn(), 3u);
  i.Disable();
  EXPECT_FALSE(i.IsDrawnThisFrame());
  i.Draw(nullptr);
  EXPECT_EQ(drawn, 1);
  i.Enable();
  i.Draw(nullptr);
  EXPECT_EQ(drawn, 2);
}

// --- vertex animation --------------------------------------------------------------

TEST(EnvInstanceVertexAnim, StepWrapsStopsOrPauses) {
  struct Case {
    float frame, speed, time;
    std::uint32_t flags;
    float wantFrame, wantSpeed;
  } cases[] = {
      {0, 10, 0.25f, 0, 2.5f, 10},                      // plain step
      {3, 10, 0.25f, 0, 1.5f, 10},                      // 5.5 wraps past 4 frames
      {3, 10, 0.25f, INSTF_VANIM_STOP_AT_END, 4, 0},    // stops on the last frame
      {1, -10, 0.25f, 0, 2.5f, -10},                    // -1.5 wraps from the end
      {1, 10, 0.25f, INSTF_VANIM_PAUSED, 1, 10},        // paused
  };
  CEnvObject t;
  MakeBox(&t);
  t.TemplateKind = OTYPE_VERTEXANIM;
  t.VertexAnimFrames = 5;  // four steps between five frames
  for (const Case& c : cases) {
    Placed i(&t);
    ASSERT_EQ(i.GetVertexAnimFrameCount(), 4);
    i.Flags = c.flags;
    i.SetVertexAnimFrame(c.frame);
    i.SetVertexAnimSpeed(c.speed);
    i.StepVertexAnim(c.time);
    EXPECT_FLOAT_EQ(i.GetVertexAnimFrame(), c.wantFrame) << c.frame << " " << c.speed << " " << c.flags;
    EXPECT_FLOAT_EQ(i.GetVertexAnimSpeed(), c.wantSpeed);
  }
  t.VertexAnimFrames = 0;
  Placed none(&t);
  EXPECT_EQ(none.GetVertexAnimFrameCount(), 1);
}

// --- bounds -------------------------------------------------------------------

TEST(EnvInstanceBounds, WorldBoxFollowsRotationAndScaleOnce) {
  CEnvObject t;
  MakeBox(&t);
  t.Bounds.Min = {-1, -2, -3};
  t.Bounds.Max = {1, 2, 3};
  const CVector3 scale{2, 1, 1};
  Placed i(&t, {10, 0, 0}, {0, 90, 0}, &scale);
  CVector3 lo, hi;
  i.UpdateWorldBox(&lo, &hi);
  // x half-size 2 (scaled) turns into z, z half-size 3 into x.
  ExpectNear(lo, {7, -2, -2});
  ExpectNear(hi, {13, 2, 2});
}

TEST(EnvInstanceBounds, GatherBoundsTakesStaticInstancesOfTheSubtree) {
  CEnvObject t;
  MakeBox(&t);
  Placed root(&t), far(&t, {100, 0, 0}), dynamic(&t, {-100, 0, 0}), excluded(&t, {0, 200, 0});
  dynamic.StateBits |= INSTS_DYNAMIC;
  excluded.Flags |= INSTF_NOT_IN_BOUNDS;
  for (CEnvInstance* i : {&far, &dynamic, &excluded}) root.AttachChild(i);
  CVector3 lo{1e8f, 1e8f, 1e8f}, hi{-1e8f, -1e8f, -1e8f};
  root.GatherBounds(&lo, &hi, false);
  ExpectNear(lo, {-1, -1, -1});
  ExpectNear(hi, {101, 1, 1});
  root.GatherBounds(&lo, &hi, true);
  ExpectNear(hi, {101, 201, 1});
}

// --- collision candidates ---------------------------------------------------------

TEST(EnvInstanceCollision, SolidsAreTestedInInstanceSpace) {
  struct Case {
    int solid;
    CVector3 centre;
    float radius;
    bool hit;
  } cases[] = {
      {2, {0, 0, 13.5f}, 1.0f, true},   // box half-size 1 scaled by 3 reaches z 13
      {3, {0, 0, 14.5f}, 1.0f, false},
      {5, {0, 3.9f, 10}, 1.0f, true},
      {4, {0, 0, 15.9f}, 3.0f, true},   // spheres 3 + 3 apart by 5.9
      {4, {0, 0, 16.1f}, 3.0f, false},
      {4, {0, 0, 14.95f}, 2.0f, true},  // 4.95 < 3 + 2, though 4.95^2 > 3^2 + 2^2
  };
  for (const Case& c : cases) {
    CEnvObject t;
  MakeBox(&t, c.solid);
    const CVector3 scale{3, 3, 3};
    Placed i(&t, {0, 0, 10}, {}, &scale);
    CollisionCandidateTable table;
    EXPECT_TRUE(i.GatherCollisionCandidates({c.centre, c.centre, c.radius, false}, {}, &table));
    EXPECT_EQ(table.Count, c.hit ? 1 : 0) << c.solid << " " << c.centre.z;
    if (c.hit) {
      EXPECT_EQ(table.Entries[0].Instance, &i);
      EXPECT_NEAR(table.Entries[0].LocalSphere.Radius, c.radius / 3.0f, 1e-5f);
    }
  }
}

TEST(EnvInstanceCollision, SkippedInstancesAddNothing) {
  struct Case {
    std::uint32_t flags, group, switches, mask;
  } cases[] = {
      {INSTF_DISABLED, 0, 0, 0},
      {INSTF_NOT_COLLIDABLE, 0, 0, 0},
      {INSTF_PASS_THROUGH, 0, kGatherSkipPassThrough, 0},
      {0, 0x4, 0, 0x6},
  };
  CEnvObject t;
  MakeBox(&t);
  for (const Case& c : cases) {
    Placed i(&t);
    i.Flags = c.flags;
    i.CollisionGroup = c.group;
    CollisionCandidateTable table;
    EXPECT_TRUE(i.GatherCollisionCandidates({{}, {}, 1.0f, false}, {c.switches, c.mask}, &table));
    EXPECT_EQ(table.Count, 0) << c.flags << " " << c.group;
  }
  // The same instance with the pass-through switch off is gathered.
  Placed i(&t);
  i.Flags = INSTF_PASS_THROUGH;
  CollisionCandidateTable table;
  i.GatherCollisionCandidates({{}, {}, 1.0f, false}, {}, &table);
  EXPECT_EQ(table.Count, 1);
}

TEST(EnvInstanceCollision, FullTableStopsTheGathering) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t);
  CollisionCandidateTable table;
  for (int k = 0; k < kMaxCollisionCandidates; ++k)
    ASSERT_TRUE(i.GatherCollisionCandidates({{}, {}, 1.0f, false}, {}, &table));
  EXPECT_FALSE(i.GatherCollisionCandidates({{}, {}, 1.0f, false}, {}, &table));
  EXPECT_EQ(table.Count, kMaxCollisionCandidates);
}

TEST(EnvInstanceCollision, SweptQueryCoversItsPathAndUnknownSolidsAreReported) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t);
  CollisionCandidateTable table;
  EXPECT_TRUE(i.GatherCollisionCandidates({{-10, 0, 0}, {10, 0, 0}, 0.5f, true}, {}, &table));
  EXPECT_EQ(table.Count, 1);

  std::string box;
  SetMessageBoxHook(
      [](HWND, const char* text, const char*, UINT, void* out) {
        *static_cast<std::string*>(out) += text;
        return IDIGNORE;
      },
      &box);
  CEnvObject odd;
  MakeBox(&odd, 7);
  Placed j(&odd);
  CollisionCandidateTable none;
  EXPECT_TRUE(j.GatherCollisionCandidates({{}, {}, 1.0f, false}, {}, &none));
  SetMessageBoxHook(nullptr, nullptr);
  EXPECT_EQ(none.Count, 0);
  EXPECT_NE(box.find("Unknown or unsupported solid collision type"), std::string::npos);
}

TEST(EnvInstanceIds, IdTextIsTheHexNameHash) {
  CEnvObject t;
  MakeBox(&t);
  Placed i(&t);
  i.NameHash = 0xBEEF01;
  EXPECT_STREQ(i.GetIdString(), "#0xBEEF01");
}

namespace {

// A hierarchical instance whose node matrices are plain translations.
struct TwoNodes : Placed {
  using Placed::Placed;
  const CMatrix* GetNodeWorldMatrix(int node) const override {
    return node >= 0 && node < 2 ? &Nodes[node] : nullptr;
  }
  CMatrix Nodes[2]{};
};

}  // namespace

TEST(EnvInstanceNodes, NodeForPointMatchesTheNodeOrigin) {
  CEnvObject root, arm;
  MakeBox(&root);
  root.TemplateKind = OTYPE_TRANSFORMANIM;
  root.NodeIndex = 0;
  arm.NodeIndex = 1;
  root.NextNode = &arm;
  TwoNodes i(&root);
  i.Nodes[0].SetIdentity();
  i.Nodes[1].SetIdentity();
  i.Nodes[1].SetTranslation({10, 20, 30});
  EXPECT_EQ(i.GetNodeForPoint({10, 20, 30}), 1);
  EXPECT_EQ(i.GetNodeForPoint({0, 0, 0}), 0);
  EXPECT_EQ(i.GetNodeForPoint({10, 20, 30.01f}), -1);
  root.NextNode = nullptr;
}

TEST(EnvInstanceNodes, SwapObjectExchangesModelAndTexture) {
  CEnvObject intact, broken;
  MakeBox(&intact);
  MakeBox(&broken);
  broken.Sphere.Radius = 4.0f;
  Placed i(&intact);
  i.OverrideTexture = 3;
  i.UpdateBoundingSphere();
  ObjectTemplatePair pair{&broken, 9};
  i.SwapObject(&pair);
  EXPECT_EQ(i.Template, &broken);
  EXPECT_EQ(i.OverrideTexture, 9u);
  EXPECT_EQ(pair.Template, &intact);
  EXPECT_EQ(pair.OverrideTexture, 3u);
  i.UpdateBoundingSphere();
  EXPECT_FLOAT_EQ(i.GetWorldSphere().Radius, 4.0f);
}

TEST(EnvInstanceSway, OffsetFollowsThePhaseAndThePhaseWraps) {
  struct Case {
    float phase, speed, time;
    float wantOffset, wantPhase;
  } cases[] = {
      {0, 90, 1, 0, 90},                       // sin(pi sin 0) = 0
      {90, 90, 1, 0, 180},                     // sin(pi sin 90) = sin(pi) = 0
      {30, 0, 1, 1.0f, 30},                    // sin(pi / 2) = 1
      {330, 60, 1, -1.0f, 30},                 // sin(-pi / 2) = -1; 390 wraps to 30
  };
  for (const Case& c : cases) {
    SwayRecord sway;
    sway.Phase = c.phase;
    sway.Speed = c.speed;
    sway.Amplitude = 20.0f;
    sway.Weights = {1, 0, 0.5f};
    SwayStep(&sway, c.time);
    EXPECT_NEAR(sway.Offset.x, c.wantOffset * 2.0f, 1e-4f) << c.phase;  // amplitude 20 x 0.1
    EXPECT_NEAR(sway.Offset.y, 0.0f, 1e-6f);
    EXPECT_NEAR(sway.Offset.z, c.wantOffset, 1e-4f) << c.phase;
    EXPECT_NEAR(sway.Phase, c.wantPhase, 1e-3f) << c.phase;
  }
}

TEST(EnvInstanceDraw, EachDrawEnablesItsOwnLightsInPlaceOfTheLast) {
  LightRecord lights[6]{};
  for (int k = 0; k < 4; ++k) lights[k].Flags = kLightOnDevice;  // 4 and 5 unused
  CLightTable::Lights = lights;
  CLightTable::Count = 6;
  CEnvObject t;
  MakeBox(&t);
  Placed a(&t), b(&t);
  for (int light : {1, 3, 5}) a.AddActiveLight(light);
  b.AddActiveLight(2);
  g_EnvInstanceGlobals.FrameNumber = 70;
  a.Draw(nullptr);
  ASSERT_EQ(CLightTable::ActiveCount, 2);
  EXPECT_EQ(CLightTable::Active[0], 1);
  EXPECT_EQ(CLightTable::Active[1], 3);
  b.Draw(nullptr);
  ASSERT_EQ(CLightTable::ActiveCount, 1);
  EXPECT_EQ(CLightTable::Active[0], 2);
  EXPECT_FALSE(lights[1].Flags & kLightEnabledNow);
  EXPECT_TRUE(lights[2].Flags & kLightEnabledNow);
  CLightTable::ClearActive();
  CLightTable::Lights = nullptr;
  CLightTable::Count = 0;
}

namespace {

struct Submitted {
  int meshes = 0;
  std::uint32_t texture = 0;
  float frame = -1.0f;
  int shadows = 0;
} g_Submitted;

}  // namespace

// Plain templates are submitted with the override texture (after a queued
// shadow when asked for), vertex-animated ones at the instance's frame.
TEST(EnvInstanceDraw, TemplatesAreSubmittedByKind) {
  EnvDrawHooks hooks;
  hooks.DrawMesh = [](CVBufferObject*, const void*, std::uint32_t texture, void*) {
    ++g_Submitted.meshes;
    g_Submitted.texture = texture;
    return 1;
  };
  hooks.DrawVertexAnimFrame = [](CEnvObject*, float frame, const void*) {
    g_Submitted.frame = frame;
    return 1;
  };
  hooks.QueueShadow = [](CEnvObject*) { ++g_Submitted.shadows; };
  SetEnvDrawHooks(hooks);
  g_Submitted = {};

  CVBufferObject mesh;
  CEnvObject plain, shadow;
  MakeBox(&plain);
  MakeBox(&shadow);
  plain.Mesh = &mesh;
  plain.Shared = 1;  // the node does not own the mesh
  plain.ShadowTemplate = &shadow;
  Placed crate(&plain);
  crate.OverrideTexture = 12;
  crate.Flags |= INSTF_QUEUED_SHADOW;
  g_EnvInstanceGlobals.FrameNumber = 90;
  crate.Draw(nullptr);
  EXPECT_EQ(g_Submitted.meshes, 1);
  EXPECT_EQ(g_Submitted.texture, 12u);
  EXPECT_EQ(g_Submitted.shadows, 1);
  // With the shadow light hook, the instance queues its shadow only when
  // the hook made its light current.
  for (int lit : {0, 1}) {
    hooks.SetInstanceShadowLight = lit ? +[](const CEnvInstance* i) { return i->ShadowIndex >= 0 ? 1 : 0; }
                                       : +[](const CEnvInstance*) { return 0; };
    SetEnvDrawHooks(hooks);
    crate.ShadowIndex = 0;
    g_Submitted.shadows = 0;
    ++g_EnvInstanceGlobals.FrameNumber;
    crate.Draw(nullptr);
    EXPECT_EQ(g_Submitted.shadows, lit);
    EXPECT_EQ(g_Submitted.meshes, 2 + lit) << "drawn either way";
  }

  CEnvObject waving;
  MakeBox(&waving);
  waving.TemplateKind = OTYPE_VERTEXANIM;
  Placed flag(&waving);
  flag.SetVertexAnimFrame(2.5f);
  flag.Draw(nullptr);
  EXPECT_FLOAT_EQ(g_Submitted.frame, 2.5f);
  SetEnvDrawHooks(EnvDrawHooks{});
}
