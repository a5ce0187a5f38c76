// The environment container: template and instance lists and their lookups,
// instance naming, world bounds, the static and animated arrays, the frame
// steps and the pools, over templates built in code.
#include "world/environment/environment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/environment/env_object.h"
#include "world/space/zone_record.h"

namespace {

// A template node: a 2-unit box, sphere radius 1, with object and node hashes.
CEnvObject* NewTemplate(const char* fileName, int kind = OTYPE_ENV) {
  auto* t = new CEnvObject;
  t->TemplateKind = kind;
  t->Bounds.Min = {-1, -1, -1};
  t->Bounds.Max = {1, 1, 1};
  t->Sphere.Radius = 1.0f;
  t->SolidType = 2;
  t->ObjectNameHash = HashStringNoCase(fileName);
  return t;
}

class Environment : public ::testing::Test {
 protected:
  void SetUp() override {
    CTimer::State state{};
    state.frameTime = 0.5f;
    clock_.RestoreState(state);
    env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock_, nullptr);
  }
  void TearDown() override { delete env_; }

  CEnvInstance* Place(const char* name, CEnvObject* t, CVector3 position = {}) {
    return env_->CreateInstance(name, t, position, {}, nullptr, 0, 0);
  }

  CTimer clock_;
  CEnvironment* env_ = nullptr;
};

std::vector<CEnvInstance*> Listed(const CEnvironment& env) {
  std::vector<CEnvInstance*> out;
  for (CEnvInstance* i = env.InstanceList; i != nullptr; i = i->EnvLink) out.push_back(i);
  return out;
}

}  // namespace

TEST_F(Environment, ConstructionPublishesTheRootAndItsZone) {
  EXPECT_EQ(g_Environment, env_);
  ASSERT_NE(env_->RootInstance, nullptr);
  EXPECT_EQ(g_RootInstance, env_->RootInstance);
  EXPECT_EQ(g_RootZone, env_->RootInstance->Zone);
  EXPECT_NE(g_RootZone, nullptr);
  EXPECT_EQ(env_->GetRenderFlags(), kEnvRenderFlagsInitial);
  delete env_;
  env_ = nullptr;
  EXPECT_EQ(g_Environment, nullptr);
  EXPECT_EQ(g_RootInstance, nullptr);
  EXPECT_EQ(g_RootZone, nullptr);
}

TEST_F(Environment, EmptyLevelHasDefaultBoundsAndAFilledOneIsPadded) {
  env_->ComputeWorldBounds();
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(env_->WorldBounds[k], -10000.0f);
    EXPECT_EQ(env_->WorldBounds[k + 3], 10000.0f);
  }
  CEnvObject* t = env_->AddObject(NewTemplate("crate"));
  Place("a", t, {100, 0, 0});
  CEnvInstance* b = Place("b", t, {-50, 20, 0});
  // A child lies inside its top-level instance's subtree and widens the bounds too.
  CEnvInstance* child = Place("c", t, {0, 500, 0});
  b->AttachChild(child);
  env_->ComputeWorldBounds();
  const float want[6] = {-151, -101, -101, 201, 601, 101};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(env_->WorldBounds[k], want[k]) << k;
}

TEST_F(Environment, UnnamedInstancesAreNumberedAfterTheTemplateId) {
  CEnvObject* t = env_->AddObject(NewTemplate("crate"));
  CEnvInstance* a = Place(nullptr, t);
  CEnvInstance* b = Place("", t);
  char first[64], second[64];
  std::snprintf(first, sizeof first, "%s0", t->GetIdString());
  std::snprintf(second, sizeof second, "%s1", t->GetIdString());
  EXPECT_EQ(a->NameHash, HashStringNoCase(first));
  EXPECT_EQ(b->NameHash, HashStringNoCase(second));
  EXPECT_EQ(env_->FindInstanceByName(second), b);
  EXPECT_EQ(env_->InstanceCounter, 2u);
  EXPECT_EQ(env_->InstanceBytes, 2 * kInstanceRecordSize);
}

TEST_F(Environment, InstancesAreFoundByCaseInsensitiveNameNewestFirst) {
  CEnvObject* t = env_->AddObject(NewTemplate("crate"));
  CEnvInstance* older = Place("Door01", t);
  CEnvInstance* newer = Place("DOOR01", t);
  EXPECT_EQ(Listed(*env_), (std::vector<CEnvInstance*>{newer, older}));
  EXPECT_EQ(env_->FindInstanceByName("door01"), newer);
  EXPECT_EQ(env_->FindInstanceById(HashStringNoCase("Door01")), newer);
  EXPECT_EQ(env_->FindInstanceByName("door02"), nullptr);
  EXPECT_TRUE(env_->ContainsInstance(older));
  CEnvInstance outsider;
  EXPECT_FALSE(env_->ContainsInstance(&outsider));
}

TEST_F(Environment, TemplatesAreFoundByFileNameAndNodesByNodeHash) {
  CEnvObject* crate = NewTemplate("crate");
  CEnvObject* part = NewTemplate("unused");
  part->NameHash = HashStringNoCase("lid");
  crate->NextNode = part;
  env_->AddObject(crate);
  CEnvObject* barrel = env_->AddObject(NewTemplate("barrel"));
  EXPECT_EQ(env_->TemplateList, barrel);
  EXPECT_EQ(env_->FindObjectByName("data\\objects\\CRATE.evo"), crate);
  EXPECT_EQ(env_->FindObjectByName("Barrel"), barrel);
  EXPECT_EQ(env_->FindObjectByHash(HashStringNoCase("lid")), part);
  EXPECT_EQ(env_->FindObjectByName("tank"), nullptr);
  // Searching first finds the loaded template without touching any file.
  EXPECT_EQ(env_->LoadObject("crate.evo", 0, true, 0), crate);
  EXPECT_EQ(env_->FindOrLoadObject("barrel", 0), barrel);
}

TEST_F(Environment, InstanceTreeMakesOneInstancePerNodeUnderTheFirst) {
  CEnvObject* root = NewTemplate("lamp", OTYPE_VERTEXANIM);
  CEnvObject* arm = NewTemplate("unused");
  CEnvObject* bulb = NewTemplate("unused");
  root->NextNode = arm;
  arm->NextNode = bulb;
  env_->AddObject(root);
  env_->InstanceCounter = 7;

  CEnvInstance* first = env_->CreateInstanceTree("lamp", {1, 2, 3}, {}, nullptr, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Template, root);
  EXPECT_EQ(first->KindCode, 5);
  EXPECT_EQ(first->NameHash, HashStringNoCase("lamp-7"));
  ASSERT_NE(first->FirstChild, nullptr);
  EXPECT_EQ(first->FirstChild->Template, arm);
  EXPECT_EQ(first->FirstChild->NameHash, HashStringNoCase("lamp-8"));
  ASSERT_NE(first->FirstChild->NextSibling, nullptr);
  EXPECT_EQ(first->FirstChild->NextSibling->Template, bulb);
  EXPECT_EQ(Listed(*env_).size(), 3u);
  EXPECT_EQ(env_->InstanceCounter, 10u);
  EXPECT_EQ(env_->CreateInstanceTree("missing", {}, {}, nullptr, 0), nullptr);
}

TEST_F(Environment, StaticAndAnimatedArraysFollowListOrder) {
  CEnvObject* plain = env_->AddObject(NewTemplate("crate"));
  CEnvObject* waving = env_->AddObject(NewTemplate("flag", OTYPE_VERTEXANIM));
  CEnvObject* walking = env_->AddObject(NewTemplate("man", OTYPE_TRANSFORMANIM));
  CEnvInstance* a = Place("a", plain);
  CEnvInstance* hidden = Place("hidden", plain);
  hidden->SetVisible(false, false);
  CEnvInstance* flag = Place("flag", waving);
  CEnvInstance* man = Place("man", walking);
  flag->AttachChild(man);

  env_->BuildStaticList();
  ASSERT_EQ(env_->StaticCount, 2u);
  EXPECT_EQ(env_->StaticArray[0], flag);
  EXPECT_EQ(env_->StaticArray[1], a);

  env_->BuildAnimatedList();
  ASSERT_EQ(env_->AnimatedCount, 2u);
  EXPECT_EQ(env_->AnimatedArray[0], man);
  EXPECT_EQ(env_->AnimatedArray[1], flag);
  env_->BuildAnimatedList();  // rebuilding replaces the old array
  EXPECT_EQ(env_->AnimatedCount, 2u);
}

namespace {

// An animated instance that counts its frame steps.
struct CountingAnim : CEnvInstance {
  void UpdateAnimation() override { ++Updates; }
  int Updates = 0;
};

}  // namespace

TEST_F(Environment, UpdateAnimatedStepsFramesAndBringsAttachedObjectsAfterTheirParents) {
  CEnvObject* waving = env_->AddObject(NewTemplate("flag", OTYPE_VERTEXANIM));
  waving->VertexAnimFrames = 11;
  CEnvObject* walking = env_->AddObject(NewTemplate("man", OTYPE_TRANSFORMANIM));
  CEnvObject* plain = env_->AddObject(NewTemplate("truck"));
  CEnvInstance* flag = Place("flag", waving);
  flag->SetVertexAnimSpeed(4.0f);

  CEnvInstance* truck = Place("truck", plain, {100, 0, 0});
  auto* rider = new CountingAnim;
  rider->Construct(nullptr, {}, INSTF_ANIMATED);
  rider->Setup(0, walking, nullptr, {}, {0, 10, 0}, HashStringNoCase("rider"));
  env_->AddInstance(rider);
  truck->AttachChild(rider);
  rider->SetTransformMode(TRANSFORMMODE_PARENTRELATIVE, 0);
  env_->BuildAnimatedList();

  // The truck moves without taking its children along; the frame step does.
  truck->SetPosition({200, 0, 0}, false);
  env_->UpdateAnimated();
  EXPECT_FLOAT_EQ(flag->GetVertexAnimFrame(), 2.0f);  // 0.5 s x 4 frames/s
  CVector3 p;
  rider->GetPosition(&p);
  EXPECT_FLOAT_EQ(p.x, 200.0f);
  EXPECT_FLOAT_EQ(p.y, 10.0f);
  EXPECT_EQ(rider->Updates, 1);
  // Not a pool record: the environment frees it with the level.
  EXPECT_FALSE(g_EnvInstancePool.Owns(rider));
}

TEST_F(Environment, PoolRecordsStayAndHeapOverflowIsFreedWithTheLevel) {
  ASSERT_TRUE(g_EnvInstancePool.Resize("EnvInstances", 2, 17));
  CEnvObject* t = env_->AddObject(NewTemplate("crate"));
  CEnvInstance* a = Place("a", t);
  CEnvInstance* b = Place("b", t);
  CEnvInstance* c = Place("c", t);
  EXPECT_TRUE(g_EnvInstancePool.Owns(a));
  EXPECT_TRUE(g_EnvInstancePool.Owns(b));
  EXPECT_FALSE(g_EnvInstancePool.Owns(c));
  EXPECT_EQ(g_EnvInstancePool.Overflow(), 1);
  delete env_;  // the heap record is freed (the leak checker would see it otherwise)
  env_ = nullptr;
  EXPECT_EQ(g_EnvInstancePool.Capacity(), 0);
  EXPECT_EQ(g_EnvInstancePool.Overflow(), 0);
}

TEST_F(Environment, ViewInstanceIsTheTopAncestor) {
  CEnvObject* t = env_->AddObject(NewTemplate("crate"));
  CEnvInstance* top = Place("top", t);
  CEnvInstance* inner = Place("inner", t);
  top->AttachChild(inner);
  env_->SetViewInstance(inner);
  EXPECT_EQ(env_->ViewInstance, top);
  env_->SetViewInstance(nullptr);
  EXPECT_EQ(env_->ViewInstance, nullptr);
}

TEST_F(Environment, ViewsAndRenderFlags) {
  EXPECT_FALSE(env_->IsPointInVolumes({0, 0, 100}));
  env_->SetViewCount(4);
  env_->ClearViews();
  EXPECT_FALSE(env_->IsPointInVolumes({0, 0, 100}));
  CCamera camera;
  env_->SetView(2, camera);
  EXPECT_EQ(env_->ViewSlots[2], &env_->Views[2]);
  env_->SetView(9, camera);  // no such slot: nothing happens
  env_->ClearViews();
  EXPECT_EQ(env_->ViewSlots[2], nullptr);

  env_->SetRenderFlags(kEnvRenderFlagsEngine);
  EXPECT_EQ(env_->GetRenderFlags(), kEnvRenderFlagsEngine);
  EXPECT_EQ(g_EnvRenderFlags, kEnvRenderFlagsEngine);
  const std::uint32_t stamp = g_EnvQueryStamp;
  env_->Update();
  EXPECT_EQ(g_EnvQueryStamp, stamp + 1);
}
