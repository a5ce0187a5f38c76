#include "world/objects/chlo_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "hlo_test_world_fixture.h"
#include "platform/win32/message_box.h"

namespace {

class ManagerTest : public ::testing::Test {
 protected:
  ManagerTest() : manager(4, 10) {
    SetMessageBoxEcho(false);
    ground = world.MakeInstance("ground");
    world.AddGround(ground, -5000.0f, 5000.0f, 0.0f);
    manager.SetFactory(TestFactory);
    manager.SetDeleteCallback(TestDelete);
    g_testDeletes = 0;
  }
  ~ManagerTest() override { SetMessageBoxEcho(true); }

  TestObject* Make(int kind, int side, int key, int id, bool active = true) {
    HLOSpawnRecord r = TestRecord(kind, side, key, id, active);
    return static_cast<TestObject*>(CreateObjectFromRecord(r));
  }
  std::vector<int> Keys(CHLO* head) {
    std::vector<int> keys;
    for (CHLO* o = head; o; o = o->Next) keys.push_back(o->OrderKey);
    return keys;
  }
  std::vector<CHLO*> List(CHLO* head) {
    std::vector<CHLO*> objects;
    for (CHLO* o = head; o; o = o->Next) objects.push_back(o);
    return objects;
  }

  TestWorld world;
  CEnvInstance* ground = nullptr;
  CHLOManager manager;
};

}  // namespace

TEST_F(ManagerTest, ListsStayOrderedByDescendingKey) {
  struct Case {
    std::vector<int> inserted;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{3, 5, 1, 4}, {5, 4, 3, 1}},
      {{5, 3, -1}, {-1, 5, 3}},  // a negative key goes to the head
      // Keys are compared from the head on, so a later positive key stops
      // at the first negative one.
      {{0, -1, 2, -2}, {-2, 2, -1, 0}},
  };
  for (const Case& c : cases) {
    manager.ClearAll();
    for (int key : c.inserted) Make(HLO_FEATURE, 0, key, -1);
    EXPECT_EQ(Keys(manager.FirstActive(0, HLO_FEATURE)), c.expected);
  }
  // Among equal keys the object inserted later stands first.
  manager.ClearAll();
  CHLO* first = Make(HLO_ITEM, 1, 4, -1);
  CHLO* second = Make(HLO_ITEM, 1, 4, -1);
  EXPECT_EQ(List(manager.FirstActive(1, HLO_ITEM)), (std::vector<CHLO*>{second, first}));
}

TEST_F(ManagerTest, CreationFilesByActiveFlagOrNotAtAll) {
  TestObject* sleeper = Make(HLO_DOOR, 2, 0, 1, false);
  ASSERT_NE(sleeper, nullptr);
  EXPECT_EQ(manager.FirstInactive(2, HLO_DOOR), sleeper);
  EXPECT_EQ(manager.FirstActive(2, HLO_DOOR), nullptr);
  ASSERT_NE(sleeper->Instance, nullptr);
  EXPECT_TRUE(sleeper->Instance->Flags & INSTF_DISABLED);
  EXPECT_TRUE(sleeper->Instance->Flags & INSTF_HIDDEN);

  TestObject* awake = Make(HLO_DOOR, 2, 0, 2, true);
  EXPECT_EQ(manager.FirstActive(2, HLO_DOOR), awake);

  // Side out of range, no factory, a factory that refuses: nothing filed.
  EXPECT_EQ(Make(HLO_DOOR, 4, 0, 3), nullptr);
  manager.SetFactory([](HLOSpawnRecord&) -> CHLO* { return nullptr; });
  EXPECT_EQ(Make(HLO_DOOR, 0, 0, 3), nullptr);
  manager.SetFactory(nullptr);
  EXPECT_EQ(Make(HLO_DOOR, 0, 0, 3), nullptr);
  EXPECT_EQ(manager.CountObjects(HLO_DOOR, 3, -1, 0), 2);
  EXPECT_EQ(manager.FirstActive(4, 0), nullptr);
  manager.ChangeSide(awake, 4);  // no such side: it stays filed
  EXPECT_EQ(manager.FirstActive(2, HLO_DOOR), awake);
  EXPECT_EQ(manager.FirstInactive(0, 10), nullptr);
}

TEST_F(ManagerTest, ActivationShowsTheVisualUnlessItStaysHidden) {
  TestObject* a = Make(HLO_ITEM, 0, 0, 1, false);
  TestObject* b = Make(HLO_ITEM, 0, 0, 2, false);
  b->Flags |= HLOF_STAYS_HIDDEN;
  world.time = 1234;
  a->SetActive(1);
  b->SetActive(1);
  EXPECT_EQ(manager.CountObjects(HLO_ITEM, 1, 0, 0), 2);
  EXPECT_FALSE(a->Instance->Flags & (INSTF_DISABLED | INSTF_HIDDEN));
  EXPECT_FALSE(b->Instance->Flags & INSTF_DISABLED);
  EXPECT_TRUE(b->Instance->Flags & INSTF_HIDDEN);
  EXPECT_EQ(a->ActivationTime, 1234u);
  a->SetActive(0);
  EXPECT_EQ(manager.FirstInactive(0, HLO_ITEM), a);
  EXPECT_TRUE(a->Instance->Flags & INSTF_DISABLED);
}

TEST_F(ManagerTest, UpdatePassSurvivesChangesToTheObjectItVisitsNext) {
  // In each case the first object of a list of four does something to the
  // second during its update; the pass must go on with the third and must
  // not touch a deleted object again (the delete callback frees it).
  enum Action { DEACTIVATE, DELETE, CHANGE_SIDE, DELETE_SELF };
  for (Action action : {DEACTIVATE, DELETE, CHANGE_SIDE, DELETE_SELF}) {
    SCOPED_TRACE(action);
    manager.ClearAll();
    TestObject* objects[4];
    for (int i = 0; i < 4; ++i) objects[i] = Make(HLO_GRUNT, 0, 4 - i, i);  // objects[0] first
    TestObject* second = objects[1];
    objects[0]->onUpdate = [&, action](TestObject* self) {
      if (action == DEACTIVATE) second->SetActive(0);
      if (action == DELETE) manager.DeleteObject(second);
      if (action == CHANGE_SIDE) second->SetSide(3);
      if (action == DELETE_SELF) manager.DeleteObject(self);
    };
    int thirdBefore = objects[2]->updates;
    manager.UpdatePass();
    EXPECT_EQ(objects[2]->updates, thirdBefore + 1);
    EXPECT_EQ(objects[3]->updates, 1);
    if (action == DEACTIVATE) {
      EXPECT_EQ(second->updates, 0);
    }
    if (action == CHANGE_SIDE) {
      EXPECT_EQ(second->updates, 1);  // visited once, in its new cell
    }
  }
}

TEST_F(ManagerTest, UpdatePassMarksObjectsThatMoved) {
  TestObject* still = Make(HLO_VEHICLE, 0, 0, 1);
  TestObject* mover = Make(HLO_VEHICLE, 0, 0, 2);
  TestObject* nudged = Make(HLO_VEHICLE, 0, 0, 3);
  nudged->RangeRadius = 10.0f;
  mover->onUpdate = [](TestObject* self) { self->Instance->SetPosition({0.001f, 0.0f, 0.0f}, false); };
  nudged->onUpdate = [](TestObject* self) { self->Instance->SetPosition({5.0f, 0.0f, 0.0f}, false); };
  manager.UpdatePass();
  EXPECT_FALSE(still->Flags & HLOF_MOVED);
  EXPECT_TRUE(mover->Flags & HLOF_MOVED);
  EXPECT_FALSE(nudged->Flags & HLOF_MOVED);  // within its radius
  EXPECT_FLOAT_EQ(mover->ReferencePosition.x, 0.001f);
  mover->onUpdate = nullptr;
  manager.UpdatePass();
  EXPECT_FALSE(mover->Flags & HLOF_MOVED);
}

TEST_F(ManagerTest, PassAndActivationCallbacks) {
  static std::vector<CHLO*> heads;
  heads.clear();
  CHLO* a = Make(HLO_DOOR, 0, 0, 1);
  CHLO* b = Make(HLO_DOOR, 3, 0, 2);
  Make(HLO_DOOR, 1, 0, 3, false);
  manager.SetKindCallbacks(HLO_DOOR, [](CHLO* head) { heads.push_back(head); }, nullptr);
  EXPECT_EQ(heads, (std::vector<CHLO*>{a, b}));
  heads.clear();
  manager.SetKindCallbacks(HLO_BOID, nullptr, [](CHLO* head) { heads.push_back(head); });
  CHLO* boid = Make(HLO_BOID, 2, 0, 4);
  manager.UpdatePass();
  EXPECT_EQ(heads, (std::vector<CHLO*>{boid}));
}

TEST_F(ManagerTest, IdTableAndSearchAgree) {
  for (int id : {0, 1, 7, 1000}) Make(HLO_FEATURE, id % 4, 0, id);
  Make(HLO_ITEM, 1, 0, -5);  // a negative id other than -1 names no object either
  ASSERT_TRUE(manager.BuildIdTable());
  for (int id = -6; id <= 1002; ++id) {
    EXPECT_EQ(manager.GetObjectById(id), manager.FindByIdSlow(id)) << id;
    EXPECT_EQ(manager.HasId(id), manager.FindByIdSlow(id) != nullptr) << id;
  }
  EXPECT_EQ(manager.GetObjectById(3), nullptr);
  EXPECT_EQ(manager.GetObjectById(-1), nullptr);
  EXPECT_EQ(manager.FindObject(7, 1, 2)->Id, 7);

  // A largest id of 1001 builds no table; lookups search instead.
  Make(HLO_FEATURE, 0, 0, 1001);
  EXPECT_FALSE(manager.BuildIdTable());
  for (int id : {-5, -1, 0, 3, 7, 1000, 1001, 1002}) {
    EXPECT_EQ(manager.GetObjectById(id), manager.FindByIdSlow(id)) << id;
    EXPECT_EQ(manager.HasId(id), manager.FindByIdSlow(id) != nullptr) << id;
  }
  EXPECT_TRUE(manager.HasId(1001));
}

TEST_F(ManagerTest, SharedIdGoesToTheFirstActiveObject) {
  CHLO* inactive = Make(HLO_VEHICLE, 0, 0, 5, false);
  CHLO* active = Make(HLO_ITEM, 2, 0, 5, true);
  ASSERT_TRUE(manager.BuildIdTable());
  EXPECT_EQ(manager.GetObjectById(5), active);
  EXPECT_NE(manager.GetObjectById(5), inactive);
}

TEST_F(ManagerTest, MissingIdsFollowTheLargest) {
  EXPECT_EQ(manager.NextFreeId(), 0);
  CHLO* a = Make(HLO_GRUNT, 1, 0, -1);
  EXPECT_EQ(manager.NextFreeId(), 0);
  Make(HLO_GRUNT, 0, 0, 4);
  CHLO* b = Make(HLO_VEHICLE, 3, 0, -1, false);
  CHLO* c = Make(HLO_GRUNT, 0, 0, -7);
  manager.AssignMissingIds();
  // Sides then kinds, active lists before inactive: c (side 0), a (side 1), b (side 3).
  EXPECT_EQ(c->Id, 5);
  EXPECT_EQ(a->Id, 6);
  EXPECT_EQ(b->Id, 7);
}

TEST_F(ManagerTest, WalkVisitsTheLastKindFirstAndHonoursTheMask) {
  static std::vector<int> kinds;
  kinds.clear();
  Make(HLO_VEHICLE, 1, 0, 1);
  Make(HLO_CORPSE, 2, 0, 2, false);
  CHLO* masked = Make(HLO_GRUNT, 0, 0, 3);
  Make(HLO_GRUNT, 0, 0, 4, false);
  masked->Instance->Flags |= 0x100;
  manager.SetSaveWalker([](CHLO* o, std::uint8_t* cursor) {
    kinds.push_back(o->Kind);
    return cursor + 4;
  });
  std::uint8_t buffer[64];
  EXPECT_EQ(manager.WalkObjects(buffer, 0x100), buffer + 12);
  EXPECT_EQ(kinds, (std::vector<int>{HLO_CORPSE, HLO_VEHICLE, HLO_GRUNT}));
  EXPECT_EQ(manager.CountObjects(HLO_GRUNT, 1, -1, 0x100), 0);
  EXPECT_EQ(manager.CountObjects(HLO_GRUNT, 3, 0, 0), 2);
}

TEST_F(ManagerTest, LookupsAndWalks) {
  TestObject* a = Make(HLO_ITEM, 1, 0, 1);
  TestObject* b = Make(HLO_ITEM, 1, 0, 2, false);
  a->StatsNameHash = b->StatsNameHash = 99;
  EXPECT_EQ(manager.FindByStatsName(99, 1, HLO_ITEM, 0), a);
  a->Instance->Flags |= 0x40;
  EXPECT_EQ(manager.FindByStatsName(99, 1, HLO_ITEM, 0x40), b);
  EXPECT_EQ(manager.FindByInstance(a->Instance), a);
  EXPECT_EQ(manager.FindByInstance(b->Instance), nullptr);  // active objects only
  EXPECT_EQ(manager.FindByIdIn(2, 1, HLO_ITEM), b);
  EXPECT_EQ(manager.FindByIdIn(-1, 1, HLO_ITEM), nullptr);

  static int visited;
  visited = 0;
  auto count = [](CHLO* o) -> std::uint32_t { return ++visited, o->Id == 2 ? 42u : 0u; };
  EXPECT_EQ(manager.ForEachObject(-1, count, 0), 0u);
  EXPECT_EQ(manager.ForEachObject(1, count, 1), 42u);
  EXPECT_EQ(manager.ForEachObject(1, count, 2), 0u);  // the flag must be exactly 1

  // A walk callback may delete the object it is given.
  Make(HLO_ITEM, 0, 0, 3);
  manager.ForEachActive(HLO_ITEM, [](CHLO* o) { g_HLOManager->DeleteObject(o); });
  EXPECT_EQ(manager.CountObjects(HLO_ITEM, 1, -1, 0), 0);
  EXPECT_EQ(g_testDeletes, 2);
}

TEST_F(ManagerTest, ClearAllHandsEveryObjectToTheDeleteCallback) {
  Make(HLO_GRUNT, 0, 0, 1);
  Make(HLO_GRUNT, 3, 0, 2, false);
  Make(HLO_MOVER, 2, 0, 3);
  ASSERT_TRUE(manager.BuildIdTable());
  manager.ClearAll();
  EXPECT_EQ(g_testDeletes, 3);
  EXPECT_EQ(manager.FirstActive(0, HLO_GRUNT), nullptr);
  EXPECT_EQ(manager.FirstInactive(3, HLO_GRUNT), nullptr);
  EXPECT_EQ(manager.GetObjectById(1), nullptr);
  EXPECT_FALSE(manager.HasId(1));
}
