#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_interactions.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/collision/collision_fixture.h"
#include "physics/util/message_recorder.h"

#include <string>

namespace {

class FrameworkTest : public CollisionTest {};

int g_intersectCalls = 0;
int FakeIntersect(McdModelPair*, McdIntersectResult* r) {
  ++g_intersectCalls;
  r->contactCount = 1;
  return 7;
}
int g_helloCalls = 0;
void FakeHello(McdModelPair*) { ++g_helloCalls; }
int g_goodbyeCalls = 0;
void FakeGoodbye(McdModelPair*) { ++g_goodbyeCalls; }
// Separating pairs: a negative time and status 0, as a sphere-sphere test does.
int SeparatingSafeTime(McdModelPair*, MeReal, McdSafeTimeResult* r) {
  r->time = -0.5f;
  return 0;
}
int HalfSafeTime(McdModelPair*, MeReal maxTime, McdSafeTimeResult* r) {
  r->time = maxTime / 2;
  return 1;
}

std::string g_termOrder;
void TermA() { g_termOrder += "A"; }
void TermB() { g_termOrder += "B"; }

}  // namespace

TEST_F(FrameworkTest, ModelPoolIsFixed) {
  McdTerm();
  McdInit(7, 400);
  McdPrimitivesRegisterTypes();
  McdGeometryID g = McdSphereCreate(1);
  std::vector<McdModelID> ms;
  for (int i = 0; i < 400; ++i) ms.push_back(McdModelCreate(g));
  for (McdModelID m : ms) ASSERT_NE(m, nullptr);
  EXPECT_EQ(McdModelCreate(g), nullptr);
  McdModelDestroy(ms.back());
  ms.back() = McdModelCreate(g);
  EXPECT_NE(ms.back(), nullptr);
  McdModelID m = ms[0];
  EXPECT_EQ(m->geometry, g);
  EXPECT_FLOAT_EQ(m->padding, 0.005f);
  EXPECT_FLOAT_EQ(m->density, 1.0f);
  EXPECT_EQ(m->spaceIndex, -1);
  EXPECT_EQ(m->transform, nullptr);
  for (McdModelID x : ms) McdModelDestroy(x);
  McdGeometryDestroy(g);
}

TEST_F(FrameworkTest, PrimitiveTypeIdsAndTheTypeLimit) {
  MessageRecorder rec;
  EXPECT_EQ(McdSphereGetTypeId(), 0);
  EXPECT_EQ(McdBoxGetTypeId(), 1);
  EXPECT_EQ(McdPlaneGetTypeId(), 2);
  EXPECT_EQ(McdGeometryGetTypeCount(), 6);
  EXPECT_EQ(McdGeometryRegisterType("Extra", nullptr, nullptr, nullptr, nullptr, nullptr), 6);
  EXPECT_THROW(McdGeometryRegisterType("Another", nullptr, nullptr, nullptr, nullptr, nullptr),
               MeFatalErrorThrown);
  EXPECT_EQ(McdGeometryGetTypeCount(), 7);  // nothing stored past the table
  EXPECT_NE(rec.fatals.at(1).find(" in McdGeometryRegisterType.\n"), std::string::npos);
  EXPECT_TRUE(McdGeometryTypeIsValid(6));
  EXPECT_FALSE(McdGeometryTypeIsValid(7));
  EXPECT_FALSE(McdGeometryTypeIsValid(-1));
}

TEST_F(FrameworkTest, DispatchRefusesUnregisteredTypes) {
  McdGeometry bogus;
  McdGeometryInit(&bogus, 40);
  MeVector3 min = {1, 2, 3}, max = {4, 5, 6};
  TestTransform t;
  McdGeometryGetAABB(&bogus, t.m, min, max);
  EXPECT_EQ(min[0], 1);  // untouched
  MeMatrix4 rel;
  MeMatrix3 inertia;
  MeReal volume;
  EXPECT_EQ(McdGeometryGetMassProperties(&bogus, rel, inertia, &volume), -1);
  McdGeometryDestroy(&bogus);  // nothing to call
  EXPECT_EQ(McdInteractionsGetEntry(40, 0), nullptr);
  McdInteractions in{};
  McdInteractionsSet(0, 40, &in, nullptr);  // ignored
  McdLineSegIntersectRegister(40, nullptr);
  EXPECT_EQ(McdLineSegIntersectGetSlot(40), nullptr);
}

TEST_F(FrameworkTest, MirroredInteractionsSwapTheModelsAtHello) {
  McdInteractions in{FakeHello, FakeGoodbye, FakeIntersect, nullptr};
  McdInteractionsSet(McdSphereGetTypeId(), McdPlaneGetTypeId(), &in, nullptr);
  McdInteractionsEntry* direct = McdInteractionsGetEntry(McdSphereGetTypeId(), McdPlaneGetTypeId());
  McdInteractionsEntry* mirror = McdInteractionsGetEntry(McdPlaneGetTypeId(), McdSphereGetTypeId());
  EXPECT_EQ(direct->mirrored, 0);
  EXPECT_EQ(mirror->mirrored, 1);
  EXPECT_EQ(mirror->interactions.intersectFn, &FakeIntersect);
  McdInteractionsSet(McdBoxGetTypeId(), McdBoxGetTypeId(), &in, nullptr);
  EXPECT_EQ(McdInteractionsGetEntry(McdBoxGetTypeId(), McdBoxGetTypeId())->mirrored, 0);

  McdGeometryID sg = McdSphereCreate(1), pg = McdPlaneCreate();
  geometries_.push_back(sg);
  geometries_.push_back(pg);
  McdModelID sphere = Model(sg, 0, 0, 1), plane = Model(pg, 0, 0, 0);
  McdModelPairID pair = McdModelPairCreate(plane, sphere);
  int mirrored = -1;
  EXPECT_NE(McdInteractionsGet(pair, &mirrored), nullptr);
  EXPECT_EQ(mirrored, 1);
  g_helloCalls = 0;
  McdHello(pair);
  EXPECT_EQ(pair->model1, sphere);
  EXPECT_EQ(pair->model2, plane);
  EXPECT_EQ(g_helloCalls, 1);
  McdIntersectResult result{};
  EXPECT_EQ(McdIntersect(pair, &result), 1);
  EXPECT_EQ(result.touch, 7);
  EXPECT_EQ(result.pair, pair);
  g_goodbyeCalls = 0;
  McdGoodbye(pair);
  EXPECT_EQ(g_goodbyeCalls, 1);
  McdModelPairDestroy(pair);
}

namespace {
McdInteractions g_perPair{nullptr, nullptr, FakeIntersect, HalfSafeTime};
McdInteractions* PickPerPair(McdModelPair* pair) {
  return pair->userData == 1 ? &g_perPair : nullptr;
}
McdModelPair* g_hookedPair = nullptr;
void HelloHook(McdModelPair* pair) { g_hookedPair = pair; }
}  // namespace

TEST_F(FrameworkTest, EntryFunctionChoosesPerPairAndTheHookRunsFirst) {
  McdInteractions empty{};
  McdInteractionsSet(McdBoxGetTypeId(), McdBoxGetTypeId(), &empty, PickPerPair);
  McdModelID a = Box(1, 1, 1, 0, 0, 0), b = Box(1, 1, 1, 0, 0, 0);
  McdModelPairID pair = McdModelPairCreate(a, b);
  pair->userData = 1;
  McdSetHelloCallback(HelloHook);
  EXPECT_EQ(McdGetHelloCallback(), &HelloHook);
  McdHello(pair);
  EXPECT_EQ(g_hookedPair, pair);
  EXPECT_EQ(pair->intersectFn, &FakeIntersect);
  McdModelPairID other = McdModelPairCreate(a, b);
  McdHello(other);  // the entry function answers null: no functions
  EXPECT_EQ(other->intersectFn, nullptr);
  McdSetHelloCallback(nullptr);
  McdModelPairDestroy(pair);
  McdModelPairDestroy(other);
}

TEST_F(FrameworkTest, PairWithoutFunctionsNeverTouches) {
  McdModelID a = Box(1, 1, 1, 0, 0, 0), b = Box(1, 1, 1, 0, 0, 0);
  McdModelPairID pair = McdModelPairCreate(a, b);
  McdHello(pair);
  McdIntersectResult r{};
  r.contactCount = 5;
  r.touch = 1;
  EXPECT_EQ(McdIntersect(pair, &r), 0);
  EXPECT_EQ(r.touch, 0);
  EXPECT_EQ(r.contactCount, 0);
  McdSafeTimeResult t{};
  EXPECT_EQ(McdSafeTime(pair, 0.25f, &t), 0);
  EXPECT_FLOAT_EQ(t.time, 0.25f);
  McdModelPairDestroy(pair);
}

TEST_F(FrameworkTest, SafeTimeForwardsStatusAndNeverAnswersANegativeTime) {
  McdModelID a = Box(1, 1, 1, 0, 0, 0), b = Box(1, 1, 1, 3, 0, 0);
  MeVector3 va = {1, 0, 0}, wa = {0, 0, 0}, vb = {0, 0, 0}, wb = {0, 0, 0};
  McdModelPairID pair = McdModelPairCreate(a, b);
  McdSafeTimeResult t{};
  struct Case {
    McdSafeTimeFn fn;
    bool velocities;
    int status;
    MeReal time;
  } cases[] = {
      {HalfSafeTime, true, 1, 0.5f},        // computed
      {SeparatingSafeTime, true, 0, 1.0f},  // separating: no limit, status passed on
      {HalfSafeTime, false, 1, 1.0f},       // no velocities: the maximum time
  };
  for (const Case& c : cases) {
    pair->safetimeFn = c.fn;
    McdModelSetLinearVelocityPtr(a, c.velocities ? va : nullptr);
    McdModelSetAngularVelocityPtr(a, wa);
    McdModelSetLinearVelocityPtr(b, vb);
    McdModelSetAngularVelocityPtr(b, wb);
    EXPECT_EQ(McdSafeTime(pair, 1.0f, &t), c.status);
    EXPECT_FLOAT_EQ(t.time, c.time);
  }
  McdModelPairDestroy(pair);
}

TEST_F(FrameworkTest, DefaultsPaddingRequestAndTermCallbacks) {
  McdIntersectRequest* req = McdGetDefaultRequestPtr();
  EXPECT_EQ(req->contactMaxCount, 4);
  EXPECT_EQ(req->faceNormalsFirst, 0);
  *req = McdIntersectRequest{10, 1};  // the engine's set-up
  MeReal padding = 0.01f;
  McdSetDefaultPadding(&padding);
  EXPECT_FLOAT_EQ(McdGetDefaultPadding(), 0.01f);
  McdModelID a = Box(1, 1, 1, 0, 0, 0), b = Box(1, 1, 1, 0, 0, 0);
  EXPECT_FLOAT_EQ(a->padding, 0.01f);
  McdModelPairID pair = McdModelPairCreate(a, b);
  EXPECT_EQ(pair->request->contactMaxCount, 10);
  EXPECT_EQ(pair->request->faceNormalsFirst, 1);
  McdModelPairDestroy(pair);
  EXPECT_STREQ(McdGetVersionString(), "1.0.2 (build 622)");
  g_termOrder.clear();
  McdAddTermCallback(TermA);
  McdAddTermCallback(TermB);
  for (McdModelID m : models_) McdModelDestroy(m);
  models_.clear();
  transforms_.clear();
  McdTerm();
  EXPECT_EQ(g_termOrder, "BA");
  McdInit(7, 10);  // for TearDown; a fresh framework has the stock defaults
  McdPrimitivesRegisterTypes();
  EXPECT_EQ(McdGetDefaultRequestPtr()->contactMaxCount, 4);
  EXPECT_FLOAT_EQ(McdGetDefaultPadding(), 0.005f);
}

TEST_F(FrameworkTest, SweptBoxCoversTheStepAhead) {
  McdModelID m = Box(2, 2, 2, 0, 0, 0);
  MeVector3 min, max;
  McdModelGetSweptAABB(m, min, max, 0.5f);  // no velocities: the plain box
  EXPECT_FLOAT_EQ(min[0], -1);
  EXPECT_FLOAT_EQ(max[0], 1);
  MeVector3 v = {4, 0, -2}, w = {0, 0, 0};
  McdModelSetLinearVelocityPtr(m, v);
  McdModelSetAngularVelocityPtr(m, w);
  McdModelGetSweptAABB(m, min, max, 0.5f);
  EXPECT_FLOAT_EQ(min[0], -1);
  EXPECT_FLOAT_EQ(max[0], 3);
  EXPECT_FLOAT_EQ(min[2], -2);
  EXPECT_FLOAT_EQ(max[2], 1);
  // A quarter turn about z leaves a cube's box unchanged; 45° widens it.
  MeVector3 spin = {0, 0, MePi / 2}, still = {0, 0, 0};
  McdModelSetLinearVelocityPtr(m, still);
  McdModelSetAngularVelocityPtr(m, spin);
  McdModelGetSweptAABB(m, min, max, 0.5f);
  EXPECT_NEAR(max[0], std::sqrt(2.0f), 1e-5f);
}

TEST_F(FrameworkTest, RelativeTransformIsRelativeThenParent) {
  McdModelID m = Box(1, 1, 1, 0, 0, 0);
  TestTransform rel(1, 0, 0), parent(0, 0, 5), result;
  MeVector3 z = {0, 0, 1};
  parent.Rotate(z, MePi / 2);  // local x becomes world y
  McdModelSetRelativeTransformPtrs(m, rel.m, parent.m, result.m);
  EXPECT_EQ(McdModelGetTransformPtr(m), result.m);
  MeVector3 min, max;
  McdModelGetAABB(m, min, max);  // runs the update
  EXPECT_NEAR(result.m[12], 0, 1e-6f);
  EXPECT_NEAR(result.m[13], 1, 1e-6f);
  EXPECT_NEAR(result.m[14], 5, 1e-6f);
  EXPECT_NEAR(min[1], 0.5f, 1e-6f);
  MeReal *r, *p;
  McdModelGetRelativeTransformPtrs(m, &r, &p);
  EXPECT_EQ(r, rel.m);
  EXPECT_EQ(p, parent.m);
  McdModelSetRelativeTransformPtrs(m, nullptr, parent.m, result.m);
  EXPECT_EQ(McdModelGetUpdateCallback(m), nullptr);
  EXPECT_EQ(McdModelUpdate(m), 0);
}

TEST_F(FrameworkTest, BoxesOverlapCountsTouchingFaces) {
  McdModelID a = Box(1, 1, 1, 0, 0, 0), b = Box(1, 1, 1, 1, 0, 0), c = Box(1, 1, 1, 1.01f, 0, 0);
  McdModelPairID ab = McdModelPairCreate(a, b), ac = McdModelPairCreate(a, c);
  EXPECT_TRUE(McdModelPairAABBsOverlap(ab));
  EXPECT_FALSE(McdModelPairAABBsOverlap(ac));
  McdModelPairDestroy(ab);
  McdModelPairDestroy(ac);
}
