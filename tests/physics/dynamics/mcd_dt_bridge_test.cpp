// The collision-dynamics bridge: material table, binding, contact making
// and recycling, callbacks, and pools that run out.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "../util/message_recorder.h"
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "scene_fixture.h"

using namespace mdt_test;

namespace {

int g_contactCalls = 0;
int KeepNone(McdIntersectResult*, McdContact*, MdtContactID) {
  ++g_contactCalls;
  return 0;
}
int KeepAll(McdIntersectResult*, McdContact*, MdtContactID) {
  ++g_contactCalls;
  return 1;
}
int DropPair(McdIntersectResult*, MdtContactID) { return 0; }

// Every dynamics contact of the world's enabled constraints.
std::vector<MdtContact*> Contacts(MdtWorld* w) {
  std::vector<MdtContact*> out;
  for (MdtConstraint* c = w->constraints; c; c = c->next)
    if (MdtContact* k = MdtConstraintDCastContact(c)) out.push_back(k);
  return out;
}

}  // namespace

TEST(McdDtBridge, MaterialTableIsSymmetricAndBounded) {
  MessageRecorder rec;
  McdDtBridge* b = McdDtBridgeCreate(14);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(McdDtBridgeGetContactParams(b, 2, 5), McdDtBridgeGetContactParams(b, 5, 2));
  EXPECT_EQ(McdDtBridgeGetContactParams(b, 13, 13), &b->table[104].params);
  EXPECT_EQ(McdDtBridgeGetContactParams(b, 14, 0), nullptr);
  EXPECT_EQ(McdDtBridgeGetContactParams(b, 3, 14), nullptr);
  // Every unordered pair has its own record.
  std::set<MdtContactParams*> seen;
  for (unsigned i = 0; i < 14; ++i)
    for (unsigned j = i; j < 14; ++j) seen.insert(McdDtBridgeGetContactParams(b, i, j));
  EXPECT_EQ(seen.size(), 105u);
  EXPECT_FLOAT_EQ(McdDtBridgeGetContactParams(b, 4, 9)->restitutionThreshold, 0.001f);
  // Materials are handed out from 1 up to n - 1, then refused.
  for (int m = 1; m < 14; ++m) EXPECT_EQ(McdDtBridgeNewMaterial(b), m);
  EXPECT_EQ(McdDtBridgeNewMaterial(b), -1);
  EXPECT_FALSE(rec.warnings.empty());
  McdDtBridgeSetContactCallback(b, 20, 1, KeepAll);  // ignored
  McdDtBridgeSetContactCallback(b, 6, 1, KeepAll);
  EXPECT_EQ(McdDtBridgeGetContactCallback(b, 1, 6), KeepAll);
  EXPECT_EQ(McdDtBridgeGetContactCallback(b, 20, 1), nullptr);
  EXPECT_EQ(McdDtBridgeGetTouchCallback(b, 1, 6), nullptr);
  // Pair lists smaller than 2 could never carry a pair through.
  EXPECT_EQ(McdDtBridgeSetPairListSize(b, 1), 0);
  EXPECT_EQ(b->pairList.size, 50);
  EXPECT_EQ(McdDtBridgeSetPairListSize(b, 8), 1);
  EXPECT_EQ(b->pairList.size, 8);
  McdDtBridgeDestroy(b);
  EXPECT_EQ(McdDtBridgeCreate(0), nullptr);
}

TEST(McdDtBridge, ContactsPointAtTheBodyWhicheverModelItIs) {
  // The pair test orders the models by their geometry types: a sphere comes
  // before a plane but after a box, so the ball is the pair's first model on
  // the ground and its second on a static box.  Either way the contact's
  // body 0 is the ball and its normal points at it (up), and the ball rests.
  struct Case {
    const char* name;
    bool onBox;
    bool ballFirst;
  } cases[] = {{"ball on the ground", false, true}, {"ball on a static box", true, false}};
  for (const Case& k : cases) {
    Scene s(8, 32, 2, false);
    if (k.onBox) s.StaticBox(4, 1, 4, 0, -0.5f, 0);
    else s.Ground();
    McdModel* ball = s.Sphere(0.5f, 1, 0, 0.49f, 0);
    s.Step(0.01f);
    std::vector<MdtContact*> cs = Contacts(s.world);
    ASSERT_FALSE(cs.empty()) << k.name;
    for (MdtContact* c : cs) {
      ASSERT_NE(c->pair, nullptr) << k.name;
      EXPECT_EQ(static_cast<McdModelPair*>(c->pair)->model1 == ball, k.ballFirst) << k.name;
      EXPECT_EQ(c->body[0], McdModelGetBody(ball)) << k.name;
      EXPECT_EQ(c->body[1], nullptr) << k.name;
      EXPECT_GT(c->normal[1], 0.99f) << k.name;  // toward the contact's body 0
      EXPECT_GT(c->penetration, 0.0f) << k.name;
    }
    for (int i = 0; i < 60; ++i) s.Step(1.0f / 60);
    EXPECT_NEAR(McdModelGetBody(ball)->transform[13], 0.5f, 0.01f) << k.name << ": resting, not sunk or thrown";
  }
}

TEST(McdDtBridge, ContactsAreRecycledWhileThePairKeepsTouching) {
  Scene s(8, 64, 2, false);
  s.Ground();
  s.Box(1, 1, 1, 1, 0, 0.5f, 0);
  s.Step(0.01f);
  std::vector<MdtContact*> first = Contacts(s.world);
  ASSERT_EQ(first.size(), 4u);
  for (int i = 0; i < 20; ++i) s.Step(0.01f);
  EXPECT_EQ(Contacts(s.world), first);
  EXPECT_EQ(MdtWorldGetConstraintCount(s.world), 4u);
}

TEST(McdDtBridge, CallbacksThatRejectLeaveNoContacts) {
  struct Case {
    McdDtBridgeContactCallback contact;
    McdDtBridgePairCallback pair;
  } cases[] = {{KeepNone, nullptr}, {nullptr, DropPair}, {KeepAll, DropPair}};
  for (const Case& k : cases) {
    Scene s(8, 64, 2, false);
    s.Ground();
    s.Box(1, 1, 1, 1, 0, 0.5f, 0);
    s.Step(0.01f);
    ASSERT_EQ(MdtWorldGetConstraintCount(s.world), 4u);  // earlier contacts exist
    McdDtBridgeSetContactCallback(s.bridge, 0, 0, k.contact);
    McdDtBridgeSetPairCallback(s.bridge, 0, 0, k.pair);
    g_contactCalls = 0;
    s.Step(0.01f);
    EXPECT_EQ(MdtWorldGetConstraintCount(s.world), 0u);
    EXPECT_TRUE(Contacts(s.world).empty());
    if (k.contact) {
      EXPECT_EQ(g_contactCalls, 4);
    }
  }
}

TEST(McdDtBridge, SleepingPairsCostNoNarrowPhase) {
  Scene s;
  s.Ground();
  McdModel* box = s.Box(1, 1, 1, 1, 0, 0.5f, 0);
  McdDtBridgeSetContactCallback(s.bridge, 0, 0, KeepAll);
  for (int i = 0; i < 120 && MdtBodyIsEnabled(McdModelGetBody(box)); ++i) s.Step(1.0f / 60);
  ASSERT_FALSE(MdtBodyIsEnabled(McdModelGetBody(box)));
  g_contactCalls = 0;
  for (int i = 0; i < 10; ++i) s.Step(1.0f / 60);
  EXPECT_EQ(g_contactCalls, 0);
  // The contacts stay for when the box wakes.
  EXPECT_EQ(MdtWorldGetConstraintCount(s.world), 4u);
}

TEST(McdDtBridge, OutOfRangeMaterialUsesTheDefaultRecord) {
  Scene s(8, 64, 2, false);
  McdModel* ground = s.Ground();
  McdModelSetMaterial(ground, 9);
  s.Box(1, 1, 1, 1, 0, 0.5f, 0);
  MdtContactParamsSetFriction(s.Params(0, 0), 12);
  s.Step(0.01f);
  std::vector<MdtContact*> cs = Contacts(s.world);
  ASSERT_EQ(cs.size(), 4u);
  EXPECT_EQ(cs[0]->params.primaryFriction, 12.0f);
}

TEST(McdDtBridge, ConstraintPoolRunningOutKeepsWhatIsThere) {
  MessageRecorder rec;
  Scene s(8, 6, 2, false);
  s.Ground();
  std::vector<McdModel*> boxes;
  for (int i = 0; i < 3; ++i) boxes.push_back(s.Box(1, 1, 1, 1, 3.0f * i, 0.5f, 0));
  for (int i = 0; i < 30; ++i) s.Step(1.0f / 60);
  EXPECT_EQ(MdtWorldGetConstraintCount(s.world), 6u);
  EXPECT_EQ(rec.warnings.size(), 2u);  // warned once (prefix and text)
  for (McdModel* m : boxes) EXPECT_TRUE(std::isfinite(McdModelGetBody(m)->transform[13]));
  // The box whose pair came first got all its contacts and rests.
  int resting = 0;
  for (McdModel* m : boxes) resting += std::fabs(McdModelGetBody(m)->transform[13] - 0.5f) < 0.02f;
  EXPECT_GE(resting, 1);
}

TEST(McdDtBridge, UnbindingClearsBothDirections) {
  Scene s(4, 8, 2);
  McdModel* box = s.Box(1, 1, 1, 1, 0, 5, 0);
  MdtBody* b = McdModelGetBody(box);
  EXPECT_EQ(b->model, box);
  EXPECT_EQ(box->transform, b->transform);
  McdModelSetBody(box, nullptr);
  EXPECT_EQ(McdModelGetBody(box), nullptr);
  EXPECT_EQ(b->model, nullptr);
  EXPECT_EQ(box->transform, nullptr);
  EXPECT_EQ(box->linearVelocity, nullptr);
  // Disabling the body no longer touches the model it left.
  MdtBodyDisable(b);
  EXPECT_FALSE(McdSpaceModelIsFrozen(box));
  McdModelSetTransformPtr(box, b->transform);  // keep the scene's teardown valid
  McdModelSetBody(box, b);
}

TEST(McdDtBridge, ResetDynamicsAndPrint) {
  MessageRecorder rec;
  Scene s(4, 8, 2);
  McdModel* ball = s.Sphere(1, 1, 3, 4, 5);
  MdtBody* b = McdModelGetBody(ball);
  MdtBodySetLinearVelocity(b, 1, 1, 1);
  McdModelResetDynamics(ball);
  float p[3];
  MdtBodyGetPosition(b, p);
  EXPECT_EQ(p[0] + p[1] + p[2], 0.0f);
  EXPECT_EQ(b->state.vel[0], 0.0f);
  McdGeometryID g = McdSphereCreate(1);
  McdModel* loose = McdModelCreate(g);
  McdModelResetDynamics(loose);
  EXPECT_NE(MessageRecorder::Joined(rec.warnings).find("Resetting dynamics on McdModel with no dynamics."),
            std::string::npos);
  McdModelDestroy(loose);
  McdGeometryDestroy(g);

  McdContact contact{{1, 2, 3}, {0, 1, 0}, -0.25f, 0, 0, 0};
  McdIntersectResult r{};
  r.contacts = &contact;
  r.contactCount = 1;
  r.contactMaxCount = 50;
  r.touch = 1;
  McdIntersectResultPrint(&r);
  const std::string text = MessageRecorder::Joined(rec.info);
  EXPECT_NE(text.find("Intersect Result: 1 Contacts"), std::string::npos);
  EXPECT_NE(text.find("  pos:  1.000000  2.000000  3.000000"), std::string::npos);
  EXPECT_NE(text.find("  sep: -0.250000"), std::string::npos);
  EXPECT_NE(text.find("max contact count: 50"), std::string::npos);
}

TEST(McdDtBridgeFramework, BuildsACollidingWorldAndRefusesPlanesAsBodies) {
  MessageRecorder rec;
  McdDtBridgeFramework* f = McdDtBridgeFrameworkCreate(4, 32, 7, 16, 16, 2);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(MdtWorldGetAutoDisable(f->world), 1u);
  MdtWorldSetGravity(f->world, 0, -9.81f, 0);
  McdGeometryID plane = McdPlaneCreate();
  EXPECT_EQ(McdDtBridgeCreateDynamicModel(f, plane, 1), nullptr);  // no volume
  EXPECT_EQ(MdtWorldGetNumBodies(f->world), 0u);
  float ground[16] = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  McdModel* floor = McdDtBridgeCreateStaticModel(f, plane, ground);
  EXPECT_TRUE(McdSpaceModelIsFrozen(floor));
  McdGeometryID box = McdBoxCreate(1, 1, 1);
  McdModel* m = McdDtBridgeCreateDynamicModel(f, box, 2);
  ASSERT_NE(m, nullptr);
  MdtBody* b = McdModelGetBody(m);
  EXPECT_NEAR(MdtBodyGetMass(b), 2.0f, 1e-5);
  EXPECT_TRUE(MdtBodyIsEnabled(b));
  MdtBodySetPosition(b, 0, 1, 0);
  for (int i = 0; i < 120; ++i) {
    McdSpaceUpdate(f->space);
    McdDtBridgeStep(f->bridge, f->space, f->world);
    MdtWorldStep(f->world, 1.0f / 60);
  }
  EXPECT_NEAR(b->transform[13], 0.5f, 0.02f);  // it landed instead of falling through
  McdDtBridgeDestroyDynamicModel(m);
  EXPECT_EQ(MdtWorldGetNumBodies(f->world), 0u);
  McdDtBridgeDestroyStaticModel(floor);
  McdDtBridgeStep(f->bridge, f->space, f->world);
  EXPECT_EQ(MdtWorldGetConstraintCount(f->world), 0u);
  McdGeometryDestroy(box);
  McdGeometryDestroy(plane);
  McdDtBridgeFrameworkDestroy(f);
}

TEST(McdDtBridgeFramework, BodyPoolRunningOutAnswersNull) {
  McdDtBridgeFramework* f = McdDtBridgeFrameworkCreate(1, 8, 7, 16, 16, 2);
  ASSERT_NE(f, nullptr);
  McdGeometryID g = McdSphereCreate(0.5f);
  McdModel* a = McdDtBridgeCreateDynamicModel(f, g, 1);
  ASSERT_NE(a, nullptr);
  EXPECT_NEAR(MdtBodyGetMass(McdModelGetBody(a)), 4.0f / 3 * 3.14159265f * 0.125f, 1e-4);
  EXPECT_EQ(McdDtBridgeCreateDynamicModel(f, g, 1), nullptr);
  McdDtBridgeDestroyDynamicModel(a);
  McdModel* again = McdDtBridgeCreateDynamicModel(f, g, 1);
  EXPECT_NE(again, nullptr);  // the model and body records came back
  McdDtBridgeDestroyDynamicModel(again);
  McdGeometryDestroy(g);
  McdDtBridgeFrameworkDestroy(f);
}

TEST(McdDtBridge, IntersectPairsWalksDownAndStopsWhenFull) {
  Scene s(8, 32, 2, false);
  s.Ground();
  for (int i = 0; i < 3; ++i) s.Sphere(0.5f, 1, 3.0f * i, 0.49f, 0);
  McdSpaceUpdate(s.space);
  McdDtBridgeUpdatePairs(s.bridge, s.space);  // opens the three sphere-ground pairs
  McdDtBridgePairList* list = &s.bridge->pairList;
  ASSERT_EQ(list->middle - list->helloStart, 3);
  McdIntersectResult results[4];
  McdContact buffer[50];
  int cursor = list->middle - 1, count = 0, used = 0;
  // Two results at most per call: the third pair waits for the next call.
  EXPECT_EQ(McdDtBridgeIntersectPairs(list, &cursor, results, 2, &count, buffer, 50, &used), 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(used, 2);
  EXPECT_EQ(cursor, list->middle - 3);
  EXPECT_EQ(results[1].contacts, buffer + 1);
  for (int i = 0; i < count; ++i) EXPECT_EQ(results[i].touch, 1);
  EXPECT_EQ(McdDtBridgeIntersectPairs(list, &cursor, results, 4, &count, buffer, 50, &used), 0);
  EXPECT_EQ(count, 1);
  EXPECT_LT(cursor, list->helloStart);
  // A buffer smaller than the pairs' requests (10): each request is clamped
  // to the buffer, so every call still gets one pair through.
  cursor = list->middle - 1;
  int calls = 0, total = 0;
  while (calls < 10) {
    ++calls;
    const int more = McdDtBridgeIntersectPairs(list, &cursor, results, 4, &count, buffer, 5, &used);
    total += count;
    if (!more) break;
  }
  EXPECT_EQ(total, 3);
  EXPECT_EQ(calls, 3);
}
