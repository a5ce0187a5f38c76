// Decal placement over an instance tree: which instances take the decal,
// the parts it is made of, fading, and removing the decals of a tree.
#include <gtest/gtest.h>

#include <memory>

#include "foundation/time/timer.h"
#include "scene/decals/decals.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/world_queries.h"

namespace {

// A floor quad of half size s at height 0 facing up, in the template's space.
CEnvObject* FloorTemplate(float s) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Sphere.Radius = s * 1.5f;
  auto* mesh = new CVBufferObject;
  auto* part = new CVertexBuffer;
  const RenderVertex v[4] = {{-s, 0, -s, 0, 1, 0, 0xFFFFFFFF, 0, 0},
                             {-s, 0, s, 0, 1, 0, 0xFFFFFFFF, 0, 1},
                             {s, 0, s, 0, 1, 0, 0xFFFFFFFF, 1, 1},
                             {s, 0, -s, 0, 1, 0, 0xFFFFFFFF, 1, 0}};
  for (int i : {0, 1, 2, 0, 2, 3}) part->PushIndex(static_cast<std::uint16_t>(part->AddVertex(v[i])));
  EXPECT_TRUE(part->Finish(false));
  mesh->FirstPart = part;
  mesh->PartCount = 1;
  t->Mesh = mesh;
  return t;
}

class DecalPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(decals_.CreatePools(nullptr));
    g_Decals = &decals_;
    floor_ = env_->AddObject(FloorTemplate(100));
    // A floor, a second floor 1000 away under it, and a floor beside the first.
    root_ = Place("Root", {0, 0, 0});
    far_ = Place("Far", {1000, 0, 0});
    near_ = Place("Near", {150, 0, 0});
    root_->AttachChild(far_);
    root_->AttachChild(near_);
  }
  void TearDown() override { g_Decals = nullptr; }
  CEnvInstance* Place(const char* name, const CVector3& at) {
    return env_->CreateInstance(name, floor_, at, {0, 0, 0}, nullptr, 0, 0);
  }
  DecalRequest At(const CVector3& p) const {
    DecalRequest r;
    r.Target = near_;
    r.Position = p;
    r.Normal = {0, 1, 0};
    r.Size = 20;
    r.Depth = 10;
    return r;
  }
  static int PartsOn(const Decal* d, const CEnvInstance* i, bool enabledOnly = false) {
    int n = 0;
    for (const DecalPart* p = d->Parts; p; p = p->Next)
      if (p->Instance == i && (!enabledOnly || p->Enabled)) ++n;
    return n;
  }

  std::unique_ptr<CEnvironment> env_;
  CTimer clock_;
  CDecals decals_{&clock_, false};
  CEnvObject* floor_ = nullptr;
  CEnvInstance *root_ = nullptr, *far_ = nullptr, *near_ = nullptr;
  CWorldQueries q_;
};

TEST_F(DecalPlacement, TheWholeTreeOfTheTargetTakesTheDecalWhereItsVolumeReaches) {
  // Over the seam of the two floors: both take a part; the far floor none.
  Decal* d = q_.PlaceDecal(At({100, 0, 0}));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(PartsOn(d, root_), 1);
  EXPECT_EQ(PartsOn(d, near_), 1);
  EXPECT_EQ(PartsOn(d, far_), 0);
  // In the middle of one floor: that floor alone.
  d = q_.PlaceDecal(At({0, 0, 0}));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(PartsOn(d, root_), 1);
  EXPECT_EQ(PartsOn(d, near_), 0);
  // Where no geometry is: nothing is finished.
  EXPECT_EQ(q_.PlaceDecal(At({500, 0, 500})), nullptr);
  EXPECT_EQ(decals_.DecalCount(), 2);
}

TEST_F(DecalPlacement, MarkedInstancesAreLeftOutUnlessAsked) {
  struct Case {
    std::uint32_t flag;
    bool include31;
    int partsOnNear;
  } cases[] = {{0, false, 1}, {kInstanceFlagNoDecals, false, 0}, {kInstanceFlagNoDecals, true, 0},
               {kInstanceFlagBit31, false, 0}, {kInstanceFlagBit31, true, 1}};
  for (const Case& c : cases) {
    near_->Flags |= c.flag;
    DecalRequest r = At({100, 0, 0});
    r.IncludeBit31 = c.include31;
    Decal* d = q_.PlaceDecal(r);
    near_->Flags &= ~c.flag;
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(PartsOn(d, near_), c.partsOnNear) << std::hex << c.flag << " " << c.include31;
    EXPECT_EQ(PartsOn(d, root_), 1);
  }
  // Templates whose mesh flags have bit 7 or 8 take none.
  for (std::uint32_t bit : {0x80u, 0x100u}) {
    floor_->Flags |= bit;
    EXPECT_EQ(q_.PlaceDecal(At({100, 0, 0})), nullptr);
    floor_->Flags &= ~bit;
  }
}

TEST_F(DecalPlacement, TheRequestsFadeAndSpreadReachTheFinishedDecal) {
  DecalRequest r = At({0, 0, 0});
  r.Fade = true;
  r.FadeDelay = 5;
  r.FadeTime = 2;
  r.StartSize = 10;
  r.Growth = 0.5f;
  Decal* d = q_.PlaceDecal(r);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->Flags & kDecalFades);
  EXPECT_EQ(d->FadeDelay, 5.0f);
  EXPECT_EQ(d->FadeTime, 2.0f);
  EXPECT_EQ(d->StartSize, 10.0f);
  EXPECT_EQ(d->Growth, 0.5f);
  Decal* plain = q_.PlaceDecal(At({0, 0, 0}));
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->Flags & kDecalFades);
  EXPECT_EQ(plain->Growth, 1.0f);
}

TEST_F(DecalPlacement, NothingIsMadeWithoutManagerTargetOrWhenSwitchedOff) {
  DecalRequest r = At({0, 0, 0});
  r.Target = nullptr;
  EXPECT_EQ(q_.PlaceDecal(r), nullptr);
  decals_.SetDecalsOn(false);
  EXPECT_EQ(q_.PlaceDecal(At({0, 0, 0})), nullptr);
  decals_.SetDecalsOn(true);
  g_Decals = nullptr;
  EXPECT_EQ(q_.PlaceDecal(At({0, 0, 0})), nullptr);
  q_.RemoveDecals(root_);  // nothing to do, nothing breaks
}

TEST_F(DecalPlacement, RemovingTheDecalsOfATreeSwitchesOffThePartsOnItOnly) {
  Decal* seam = q_.PlaceDecal(At({100, 0, 0}));
  ASSERT_NE(seam, nullptr);
  // A decal on the near floor alone, then the near floor (a leaf) loses its decals.
  q_.RemoveDecals(near_);
  EXPECT_EQ(PartsOn(seam, near_, true), 0);
  EXPECT_EQ(PartsOn(seam, root_, true), 1);
  Decal* again = q_.PlaceDecal(At({100, 0, 0}));
  ASSERT_NE(again, nullptr);
  // The root's tree: every part on it and its children.
  q_.RemoveDecals(root_);
  EXPECT_EQ(PartsOn(again, near_, true), 0);
  EXPECT_EQ(PartsOn(again, root_, true), 0);
}

}  // namespace
