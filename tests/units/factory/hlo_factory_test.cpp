// The object factory: the world-object kind and class each stats record
// gives, records it cannot make, records without a stats name, sides a
// soldier cannot take, the soldier's connector attachments, and deleting
// objects of every kind (the sanitiser reports a wrong destructor or a
// leak).
#include "units/factory/hlo_factory.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/stats/stats_tables.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

class FactoryTest : public UnitsTestWorld {
 protected:
  void SetUp() override {
    UnitsTestWorld::SetUp();
    ASSERT_TRUE(LoadStats());
    ASSERT_TRUE(boxes_.empty()) << boxes_.front();
  }
  static HLOSpawnRecord Record(const char* name, int statsKind, int side = 1) {
    HLOSpawnRecord r = SoldierRecord(name, side);
    r.statsTable = statsKind;
    r.kind = 99;  // the factory must write the kind of a record it finds
    return r;
  }
  bool Filed(CHLO* object) const {
    for (CHLO* o = manager_->FirstActive(object->Side, object->Kind); o != nullptr; o = o->Next)
      if (o == object) return true;
    return false;
  }
  bool BoxSays(const std::string& text) const {
    for (const std::string& b : boxes_)
      if (b.find(text) != std::string::npos) return true;
    return false;
  }
};

TEST_F(FactoryTest, EachStatsKindMakesItsWorldObjectKind) {
  const struct {
    const char* name;
    int statsKind;
    int kind;
  } cases[] = {
      {"SquadRifleman", 1, HLO_GRUNT}, {"EnemyGuard", 1, HLO_GRUNT}, {"DemoJeep", 2, HLO_VEHICLE},
      {"AmmoDump", 3, HLO_BUILDING},   {"Crate", 4, HLO_FEATURE},    {"Bird", 4, HLO_BOID},
      {"Rifle", 5, HLO_WEAPON},        {"Medikit", 8, HLO_ITEM},     {"CellKey", 20, HLO_ITEM},
      {"IntelFolder", 22, HLO_ITEM},   {"CellDoor", 15, HLO_DOOR},   {"PopUpTarget", 21, HLO_MOVER},
      {"Lever", 19, HLO_FEATURE},  // a switch has no class of its own
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HLOSpawnRecord r = Record(c.name, c.statsKind);
    CHLO* o = manager_->CreateObject(r);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->Kind, c.kind);
    EXPECT_EQ(r.kind, c.kind) << "written into the spawn record";
    EXPECT_EQ(o->Stats, FindStats(c.name, static_cast<std::uint32_t>(c.statsKind)));
    EXPECT_TRUE(Filed(o));
    EXPECT_EQ(dynamic_cast<CHLOGrunt*>(o) != nullptr, c.kind == HLO_GRUNT);
    EXPECT_EQ(dynamic_cast<CUnit*>(o) != nullptr, c.kind == HLO_GRUNT) << "vehicles come with their class";
    EXPECT_EQ(dynamic_cast<CInventoryItem*>(o) != nullptr, c.kind == HLO_ITEM || c.kind == HLO_WEAPON);
    EXPECT_EQ(dynamic_cast<CWeapon*>(o) != nullptr, c.kind == HLO_WEAPON);
    EXPECT_STREQ(HLOClassName(c.kind), c.kind == HLO_GRUNT    ? "CHLOGrunt"
                                       : c.kind == HLO_ITEM   ? "CInventoryItem"
                                       : c.kind == HLO_WEAPON ? "CWeapon"
                                                              : "CHLO");
  }
  EXPECT_TRUE(Boxes().empty()) << Boxes().front();
}

TEST_F(FactoryTest, ANameNoTableOfItsKindHoldsMakesNothingAndSaysSo) {
  const struct {
    const char* name;
    int statsKind;
  } cases[] = {{"Nobody", 1}, {"SquadRifleman", 2}, {"Rifle", 40}, {"Crate", 0}};
  for (const auto& c : cases) {
    boxes_.clear();
    HLOSpawnRecord r = Record(c.name, c.statsKind);
    EXPECT_EQ(manager_->CreateObject(r), nullptr) << c.name;
    EXPECT_TRUE(BoxSays(std::string("NewHLO_callback : unable to find Stat ") + c.name)) << c.name;
    EXPECT_EQ(r.kind, 99) << "the kind is left alone";
  }
  for (int side = 0; side < manager_->Sides(); ++side)
    for (int kind = 0; kind < manager_->Kinds(); ++kind) EXPECT_EQ(manager_->FirstActive(side, kind), nullptr);
}

TEST_F(FactoryTest, ARecordWithoutAStatsNameKeepsItsKindWithoutARecord) {
  for (int kind : {int{HLO_DOOR}, int{HLO_CORPSE}, int{HLO_GRUNT}, 12}) {
    SCOPED_TRACE(kind);
    HLOSpawnRecord r = Record("", 7);
    r.kind = kind;
    CHLO* o = NewHLO_callback(r);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->Kind, kind);
    EXPECT_EQ(o->Stats, nullptr);
    EXPECT_EQ(dynamic_cast<CHLOGrunt*>(o) != nullptr, kind == HLO_GRUNT);
    DeleteHLO_callback(o);
  }
  EXPECT_TRUE(Boxes().empty()) << Boxes().front();
}

TEST_F(FactoryTest, ASoldierOfASideOutsideZeroToThreeTakesSideOneWithAMessage) {
  for (int side : {4, 7, 255}) {
    boxes_.clear();
    HLOSpawnRecord r = Record("EnemyGuard", 1, side);
    CHLO* o = NewHLO_callback(r);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->Side, 1) << side;
    EXPECT_TRUE(BoxSays("outside 0 to 3")) << side;
    manager_->InsertObject(o);  // its list exists now
    EXPECT_TRUE(Filed(o));
  }
  HLOSpawnRecord r = Record("EnemyGuard", 1, 3);
  CHLO* o = manager_->CreateObject(r);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->Side, 3);
}

TEST_F(FactoryTest, MoreAttachmentsThanARecordHoldsAreRefusedWithAMessage) {
  const struct {
    int count;
    std::int8_t number;
    bool refused;
  } cases[] = {{300, -1, true}, {257, -5, true}, {256, -1, false}, {300, 0, false}, {300, 3, false}};
  for (const auto& c : cases) {
    boxes_.clear();
    HLOSpawnRecord r = Record("EnemyGuard", 1);
    r.orderKey = c.number;
    r.attachments.resize(static_cast<std::size_t>(c.count));
    for (HLOAttachment& a : r.attachments) {
      std::snprintf(a.connector, sizeof a.connector, "SPINE");
      std::snprintf(a.objectName, sizeof a.objectName, "HELMET");
    }
    EXPECT_NE(manager_->CreateObject(r), nullptr) << "the soldier is made either way";
    EXPECT_EQ(BoxSays("at most 256"), c.refused) << c.count << " with number " << int{c.number};
  }
}

TEST_F(FactoryTest, ObjectsOfEveryKindAreDeletedByTheManagerOneByOne) {
  const char* names[] = {"SquadSniper", "DemoBoat", "AmmoDump", "Crate", "Bird", "Pistol", "Detonator", "Gate",
                         "PopUpTarget", "Lever"};
  const int kinds[] = {1, 2, 3, 4, 4, 5, 9, 15, 21, 19};
  std::vector<CHLO*> made;
  for (int i = 0; i < 10; ++i) {
    HLOSpawnRecord r = Record(names[i], kinds[i], i % 4);
    made.push_back(manager_->CreateObject(r));
    ASSERT_NE(made.back(), nullptr) << names[i];
  }
  HLOSpawnRecord corpse = Record("", 0);
  corpse.kind = HLO_CORPSE;
  made.push_back(manager_->CreateObject(corpse));
  for (CHLO* o : made) {
    const int side = o->Side, kind = o->Kind;
    manager_->DeleteObject(o);
    EXPECT_EQ(manager_->FirstActive(side, kind), nullptr);
  }
}

}  // namespace
