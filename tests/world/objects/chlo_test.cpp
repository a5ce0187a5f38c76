#include "world/objects/chlo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../effects/effects_fixture.h"
#include "foundation/memory/linear_buffer.h"
#include "hlo_test_world_fixture.h"
#include "world/effects/effect_pool.h"
#include "world/effects/impact_debris.h"
#include "platform/win32/message_box.h"
#include "world/objects/chlo_manager.h"

namespace {

std::string g_lastBox;
std::string g_lastCaption;

class ObjectTest : public ::testing::Test {
 protected:
  ObjectTest() : manager(4, 10) {
    SetMessageBoxEcho(false);
    SetMessageBoxHook(
        [](HWND, const char* text, const char* caption, UINT, void*) {
          g_lastBox = text;
          g_lastCaption = caption;
          return IDOK;
        },
        nullptr);
    g_lastBox.clear();
    low = world.MakeInstance("low floor");
    high = world.MakeInstance("high floor");
    world.AddGround(low, -100.0f, 100.0f, 0.0f);
    world.AddGround(high, -100.0f, 100.0f, 300.0f);
    manager.SetFactory(TestFactory);
    manager.SetDeleteCallback(TestDelete);
  }
  ~ObjectTest() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
  }

  TestWorld world;
  CEnvInstance* low = nullptr;
  CEnvInstance* high = nullptr;
  CHLOManager manager;
};

}  // namespace

TEST_F(ObjectTest, SpawnRecordDefaults) {
  HLOSpawnRecord r;
  r.id = 9;
  r.bounds[7] = 5.0f;
  r.marks.set(3);
  r.Init();
  EXPECT_EQ(r.id, -1);
  EXPECT_FLOAT_EQ(r.bounds[7], -1000.0f);
  EXPECT_EQ(r.behaviourMode, 2);
  EXPECT_EQ(r.secondMode, 3);
  EXPECT_EQ(r.thirdMode, 3);
  EXPECT_EQ(r.linkedIds[1], -1);
  EXPECT_EQ(r.furtherId, -1);
  EXPECT_FLOAT_EQ(r.scaleFactors[1], 1.0f);
  EXPECT_TRUE(r.marks.none());
}

TEST_F(ObjectTest, BuiltFromASpawnRecordWithVisualGroundAndLights) {
  high->AddActiveLight(4);
  HLOSpawnRecord r = TestRecord(HLO_GRUNT, 1, 2, 12, true, 10.0f);
  r.instanceFlags = 0x40000000 | 0x10000000;
  std::strcpy(r.textureName, "camo.bmp");
  r.takesGroundLights = 1;
  world.lineQuery = 0;  // objects made while line queries are off start disabled and hidden
  TestObject object(r);
  ASSERT_NE(object.Instance, nullptr);
  EXPECT_EQ(world.instanceNames.back(), "Soldier12");
  EXPECT_EQ(world.creationFlags.back(), 0xCu);
  EXPECT_EQ(object.Instance->OverrideTexture, 77u);
  EXPECT_EQ(world.renderInfoApplied, 1);
  // Record flags are ORed in; the own-light-list flag is cleared and the
  // shadow flag set (no-shadow word 0).
  EXPECT_TRUE(object.Instance->Flags & 0x40000000);
  EXPECT_FALSE(object.Instance->Flags & 0x10000000);
  EXPECT_TRUE(object.Instance->Flags & 0x2);
  // The highest ground below becomes the ground; the visual hangs under it
  // and copies its lights.
  EXPECT_EQ(object.GroundInstance, high);
  EXPECT_EQ(object.GroundRoot, high);
  EXPECT_EQ(object.Instance->Parent, high);
  EXPECT_EQ(object.Instance->GetActiveLightCount(), 1);
  EXPECT_EQ(object.Kind, HLO_GRUNT);
  EXPECT_EQ(object.OrderKey, 2);
  EXPECT_FLOAT_EQ(object.ReferencePosition.x, 10.0f);
  EXPECT_TRUE(g_lastBox.empty());

  HLOSpawnRecord lit = TestRecord(HLO_GRUNT, 0, 0, 13, true, 10.0f);
  lit.takesGroundLights = 0;
  lit.lightCount = 3;
  lit.lights[0] = 9;
  lit.lights[1] = 9;
  lit.lights[2] = 2;
  lit.noShadow = 1;
  TestObject own(lit);
  EXPECT_EQ(own.Instance->GetActiveLightCount(), 2);  // a light already there is not added twice
  EXPECT_FALSE(own.Instance->Flags & 0x2);
}

TEST_F(ObjectTest, HierarchicalTemplatesGetAnAnimatedVisual) {
  HLOSpawnRecord r = TestRecord(HLO_VEHICLE, 0, 0, 3, true);
  std::strcpy(r.templateName, "Tank");
  TestObject tank(r);
  ASSERT_NE(tank.Instance, nullptr);
  EXPECT_TRUE(tank.Instance->Flags & INSTF_ANIMATED);
  EXPECT_TRUE(tank.Instance->Flags & 0x800);
  r.templateKind = 0;  // the record's kind overrides the template's own
  TestObject plain(r);
  EXPECT_FALSE(plain.Instance->Flags & INSTF_ANIMATED);
}

TEST_F(ObjectTest, MissingTemplateOrGroundIsReported) {
  HLOSpawnRecord r = TestRecord(HLO_ITEM, 0, 0, 4, true, 0.0f);
  std::strcpy(r.templateName, "Nowhere");
  std::strcpy(r.objectName, "Crate");
  TestObject broken(r);
  EXPECT_EQ(broken.Instance, nullptr);
  EXPECT_EQ(g_lastCaption, "Failed to open...");
  EXPECT_EQ(g_lastBox, "Nowhere");

  // No ground at x = 500: an active object warns and takes the first
  // landscape tile; an inactive one does so silently.
  world.landscape = low;
  r.position.x = 500.0f;
  std::strcpy(r.templateName, "Soldier");
  g_lastBox.clear();
  TestObject lost(r);
  EXPECT_EQ(g_lastBox, "Failed to find HLO ground point \"Crate 4\"\nSetting to default");
  EXPECT_EQ(lost.GroundInstance, low);
  g_lastBox.clear();
  r.objectFlags = 0;
  TestObject quiet(r);
  EXPECT_TRUE(g_lastBox.empty());
  EXPECT_EQ(quiet.GroundRoot, low);
}

TEST_F(ObjectTest, GroundQueriesSeeTheLandscapeAlone) {
  HLOSpawnRecord r = TestRecord(HLO_ITEM, 0, 0, 5, true, 0.0f);
  TestObject object(r);
  world.watched = object.Instance;
  world.lineQuery = 1;
  HLOGroundHit hit;
  ASSERT_TRUE(object.FindGroundPoint(0.0f, 0.0f, &hit));
  EXPECT_TRUE(world.lastQueryHidSelf);
  EXPECT_TRUE(world.lastQueryLandscapeOnly);
  EXPECT_EQ(world.lineQuery, 1u);  // restored
  EXPECT_FALSE(object.Instance->Flags & INSTF_HIDDEN);
  EXPECT_FALSE(object.FindGroundBelow({0.0f, 200.0f, 0.0f}, 100.0f, &hit));
  EXPECT_TRUE(object.FindGroundBelow({0.0f, 350.0f, 0.0f}, 100.0f, &hit));
  EXPECT_EQ(hit.instance, high);
}

TEST_F(ObjectTest, DropToGroundByDistanceAndRoot) {
  HLOSpawnRecord r = TestRecord(HLO_FEATURE, 0, 0, 6, true, 0.0f);
  r.position.y = 260.0f;
  r.groundInstance = low;
  TestObject object(r);
  ASSERT_EQ(object.GroundRoot, low);
  // The nearest floor to y 260 is the one at 300, 40 away.
  struct Case {
    float largest;
    bool moves;
  };
  for (const Case& c : {Case{40.0f, false}, Case{40.5f, true}}) {
    object.Instance->SetPosition({0.0f, 260.0f, 0.0f}, false);
    object.SetGroundRoot(low);
    EXPECT_EQ(object.DropToGround(c.largest), c.moves) << c.largest;
  }
  EXPECT_EQ(object.GroundRoot, high);
  EXPECT_FLOAT_EQ(object.GetPosition().y, 300.0f);
  // Ground under the same root: the object stays where it is.
  object.Instance->SetPosition({0.0f, 290.0f, 0.0f}, false);
  EXPECT_FALSE(object.DropToGround(0.0f));
  EXPECT_FLOAT_EQ(object.GetPosition().y, 290.0f);

  object.PlaceAt({0.0f, 20.0f, 0.0f}, 0, 1, 0, 0);
  EXPECT_EQ(object.GroundInstance, low);
  EXPECT_FLOAT_EQ(object.GetPosition().y, 20.0f);  // kept position
  object.PlaceAt({0.0f, 20.0f, 0.0f}, 0, 0, 0, 0);
  EXPECT_FLOAT_EQ(object.GetPosition().y, 0.0f);
}

TEST_F(ObjectTest, MovementChecksAndWorldBox) {
  HLOSpawnRecord r = TestRecord(HLO_FEATURE, 0, 0, 7, true, 0.0f);
  TestObject object(r);
  struct Case {
    float radius;
    float moveTo;
    bool fromReference;
    bool outOfRange;
  };
  const Case cases[] = {
      {0.0f, 0.0f, false, false}, {0.0f, 0.01f, true, false}, {0.0f, 1.5f, true, true},
      {-3.0f, 1.5f, false, true}, {5.0f, 5.0f, false, false}, {5.0f, 5.5f, true, true},
  };
  for (const Case& c : cases) {
    object.RangeRadius = c.radius;
    object.Flags &= ~HLOF_MOVED;
    object.Instance->SetPosition({c.moveTo, 0.0f, 0.0f}, false);
    EXPECT_EQ(object.HasMovedFromReference(), c.fromReference) << c.radius << " " << c.moveTo;
    EXPECT_EQ(object.HasMovedOutOfRange(), c.outOfRange) << c.radius << " " << c.moveTo;
  }
  object.Flags |= HLOF_MOVED;
  EXPECT_TRUE(object.HasMovedOutOfRange());

  // The world box is the bounds with a margin of 100 on every side.
  struct Place {
    CVector3 at;
    bool outside;
  };
  const Place places[] = {{{1100.0f, 0, 0}, false}, {{1101.0f, 0, 0}, true}, {{0, -1100.0f, 0}, false},
                          {{0, -1101.0f, 0}, true}, {{0, 0, 1050.0f}, false}};
  for (const Place& p : places) {
    object.Instance->SetPosition(p.at, false);
    EXPECT_EQ(object.IsOutsideWorld(), p.outside);
  }
}

TEST_F(ObjectTest, VirtualOperationsThroughTheTestFactory) {
  HLOSpawnRecord record = TestRecord(HLO_GRUNT, 1, 0, 8, true);
  CHLO* unit = CreateObjectFromRecord(record);
  HLOSpawnRecord other = TestRecord(HLO_ITEM, 2, 0, 9, false);
  CHLO* item = CreateObjectFromRecord(other);
  ASSERT_NE(unit, nullptr);
  EXPECT_TRUE(unit->IsUnit());
  EXPECT_FALSE(item->IsUnit());
  g_HLOLocalSide = 1;
  EXPECT_TRUE(unit->IsFriendly());
  EXPECT_FALSE(unit->IsEnemy());
  EXPECT_TRUE(item->IsEnemy());
  g_HLOLocalSide = 0;
  EXPECT_EQ(unit->AcceptsSphereEvent(nullptr), 1);
  EXPECT_FLOAT_EQ(unit->GetSphereEventScale(), 2.0f);
  EXPECT_FALSE(unit->LethalHit(100.0f, 0, nullptr));
  unit->Hit({1, 0, 0}, 5.0f, item);
  unit->Think();
  unit->HandleMessage(3);
  unit->OnSphereEvent(nullptr);
  // Only active objects hear that the world changed.
  NotifyWorldChanged();
  EXPECT_EQ(static_cast<TestObject*>(unit)->worldChanges, 1);
  EXPECT_EQ(static_cast<TestObject*>(item)->worldChanges, 0);
  manager.UpdatePass();
  EXPECT_EQ(static_cast<TestObject*>(unit)->updates, 1);
  EXPECT_EQ(static_cast<TestObject*>(item)->updates, 0);

  // Rotation goes to the visual, directly with the flag.
  unit->SetRotation({0.0f, 45.0f, 0.0f});
  CVector3 rotation;
  EXPECT_FLOAT_EQ(unit->GetRotation(rotation).y, 45.0f);
  EXPECT_FALSE(unit->Instance->StateBits & INSTS_ROTATION_DIRECT);
  unit->Flags |= HLOF_ROTATE_DIRECT;
  unit->SetRotation({0.0f, 10.0f, 0.0f});
  EXPECT_TRUE(unit->Instance->StateBits & INSTS_ROTATION_DIRECT);

  // SetSide refiles the object.
  unit->SetSide(3);
  EXPECT_EQ(manager.FirstActive(3, HLO_GRUNT), unit);
  EXPECT_EQ(manager.FirstActive(1, HLO_GRUNT), nullptr);
}

TEST_F(ObjectTest, DebrisFliesFromTheVisualAtTheObjectsPriority) {
  CTimer clock;
  effects_test::SetClock(clock, 1000, 0.02f);
  g_EffectsHooks = EffectsHooks{};
  g_EffectsHooks.GameClock = &clock;
  CLinearBuffer level(1u << 20, "debris test level");
  CEffectPool effects;
  ImpactPieces pieces;
  ASSERT_TRUE(effects.CreatePools(&level));
  ASSERT_TRUE(pieces.CreatePools(&level));
  g_EffectPool = &effects;
  g_ImpactPieces = &pieces;

  HLOSpawnRecord r = TestRecord(HLO_FEATURE, 0, 0, 7, true, 0.0f);
  TestObject object(r);
  ASSERT_NE(object.Instance, nullptr);
  EXPECT_EQ(object.SpawnDebris(3, nullptr, false), 3);
  object.Flags |= HLOF_DEBRIS_MASK;
  EXPECT_EQ(object.SpawnDebris(2, nullptr, false), 2);
  std::vector<std::uint32_t> priorities;
  for (int i = 0; i < pieces.GetCapacity(); ++i)
    if (pieces.SlotAt(i)->InUse) priorities.push_back(pieces.SlotAt(i)->Priority);
  std::sort(priorities.begin(), priorities.end());
  EXPECT_EQ(priorities, (std::vector<std::uint32_t>{0x3FFFFFFF, 0x3FFFFFFF, 0x3FFFFFFF, 0x4FFFFFFF, 0x4FFFFFFF}));
  // Fill the pool with the object's pieces: scenery's pieces cannot evict them.
  object.SpawnDebris(pieces.GetCapacity(), nullptr, false);
  ASSERT_EQ(pieces.GetInUse(), pieces.GetCapacity());
  object.Instance->SpawnDebris(4, nullptr, false);
  for (int i = 0; i < pieces.GetCapacity(); ++i) EXPECT_GE(pieces.SlotAt(i)->Priority, 0x3FFFFFFFu);
  // Nothing without pieces to give or a visual.
  EXPECT_EQ(object.SpawnDebris(0, nullptr, false), 0);
  g_ImpactPieces = nullptr;
  EXPECT_EQ(object.SpawnDebris(3, nullptr, false), 0);
  g_EffectPool = nullptr;
  g_EffectsHooks = EffectsHooks{};
}
