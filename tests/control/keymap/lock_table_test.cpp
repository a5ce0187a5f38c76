#include "control/keymap/lock_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/system/not_built_yet.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

TEST(LockTable, EntriesFindTheirKeysAndRemovedEntriesAreReused) {
  CLockTable t;
  ASSERT_TRUE(t.Add(70, 37, -1));
  ASSERT_TRUE(t.Add(71, 37, 38));
  EXPECT_TRUE(t.IsKeyFor(70, 37));
  EXPECT_TRUE(t.IsKeyFor(71, 38));
  EXPECT_FALSE(t.IsKeyFor(70, 38));
  EXPECT_TRUE(t.IsLocked(38));
  EXPECT_FALSE(t.IsLocked(-1));  // "no second door" is not a door
  EXPECT_EQ(t.GetKeyFor(37), 70);  // the first entry's
  t.Remove(70, 37);
  EXPECT_EQ(t.GetKeyFor(37), 71);
  EXPECT_EQ(t.Count(), 2);
  // Fill the table: the removed entry is used first, then eight more; the
  // eleventh is refused.
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(t.Add(100 + i, 200 + i, -1)) << i;
  EXPECT_EQ(t.Count(), 10);
  EXPECT_EQ(t.GetEntry(0).key, 100);
  EXPECT_FALSE(t.Add(999, 999, -1));
  EXPECT_FALSE(t.IsLocked(999));
  t.Clear();
  EXPECT_EQ(t.Count(), 0);
  EXPECT_FALSE(t.IsLocked(38));
}

std::vector<CHLO*> gUpdated;

TEST(LockTable, UnlockOpensBothDoorsOfTheKey) {
  CHLOManager manager(4, 10);
  manager.SetDeleteCallback([](CHLO* o) { delete o; });
  auto door = [&](int id, int side, int kind) {
    HLOSpawnRecord r;
    r.id = id;
    r.kind = kind;
    r.side = static_cast<std::uint8_t>(side);
    r.objectFlags = HLOF_ACTIVE;
    CHLO* o = new CHLO(r, nullptr);
    manager.InsertObject(o);
    return o;
  };
  CHLO* a = door(37, 0, HLO_DOOR);
  CHLO* b = door(38, 3, HLO_DOOR);
  CHLO* notDoor = door(39, 0, HLO_FEATURE);
  CLockTable t;
  t.Add(70, 37, 38);
  t.Add(72, 39, -1);
  ClearNotBuiltYet();
  t.Unlock(70, 38);
  EXPECT_NE(a->Flags & kDoorUnlockedFlag, 0u);
  EXPECT_NE(b->Flags & kDoorUnlockedFlag, 0u);
  EXPECT_TRUE(WasReportedNotBuiltYet("door state update"));
  // With the units' update installed it runs for each door; other kinds and
  // other keys are left alone.
  a->Flags = b->Flags = HLOF_ACTIVE;
  gUpdated.clear();
  SetDoorStateUpdate([](CHLO* d) { gUpdated.push_back(d); });
  t.Unlock(70, 37);
  t.Unlock(71, 37);
  t.Unlock(72, 39);
  SetDoorStateUpdate(nullptr);
  EXPECT_EQ(gUpdated, (std::vector<CHLO*>{a, b}));
  EXPECT_EQ(notDoor->Flags & kDoorUnlockedFlag, 0u);
}

}  // namespace
