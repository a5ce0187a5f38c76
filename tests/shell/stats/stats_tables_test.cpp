// The soldier, vehicle, item, world-object, name and character tables
// through whole loads of the generated set with one file changed, and the
// driver: missing files, a failing loader, damaged rows in every table.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/text/hash.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_fixture.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"
#include "shell/stats/world_object_stats.h"
#include "world/switches/switch_stats.h"

namespace {

using stats_test::BoxRecorder;
using stats_test::FreeStatsAfter;
using stats_test::Row;
using stats_test::StatsFolder;
using stats_test::Values;

struct TableCase {
  const char* label;
  const char* file;
  std::function<std::string(const StatsFolder&)> text;  // the file's new text
  bool loads;
  std::vector<std::string> boxes;
  std::function<void()> check;
};

std::string Append(const StatsFolder& f, const char* file, const std::string& rows) { return f.Text(file) + rows; }

const HumanStats* Human(const char* name) { return static_cast<const HumanStats*>(FindStats(name, STATS_HUMAN)); }

std::vector<TableCase> Cases() {
  const std::string guard = Row("Units.txt", "Slotless", {{"characterType", "SOLDIER"}, {"base", "BaseSoldier"},
                                                          {"experienceLevel", "Green"}, {"itemSlots", "0"}});
  return {
      {"crew 9 becomes 8", "VStat.txt",
       [](const StatsFolder& f) {
         return Append(f, "VStat.txt", Row("VStat.txt", "BigBoat", {{"crewSize", "9"}, {"propulsion", "BoatProp"}}));
       },
       true, {"loadBaseVehicleStats: Unhandled crew size for vehicle\t\t\t\tstat BigBoat - limiting to 8\nVStat.txt, line 3"},
       [] { EXPECT_EQ(FindBaseVehicleStats("BigBoat")->CrewSize, 8); }},
      {"unknown propulsion", "VStat.txt",
       [](const StatsFolder& f) {
         return Append(f, "VStat.txt", Row("VStat.txt", "Hover", {{"propulsion", "AirCushion"}}));
       },
       false, {"loadBaseVehicleStats: Invalid propulsion name AirCushion\nVStat.txt, line 3"}, nullptr},
      {"invalid propulsion type", "Props.txt",
       [](const StatsFolder& f) { return Append(f, "Props.txt", Row("Props.txt", "Hover", {{"type", "wheels"}})); },
       false, {"loadPropulsionStats: Invalid Prop type for Hover\nProps.txt, line 3"}, nullptr},
      {"vehicle without a model", "Vehicle.txt",
       [](const StatsFolder& f) {
         return Append(f, "Vehicle.txt", Row("Vehicle.txt", "Ghost", {{"base", "BaseJeep"}}));
       },
       false, {"loadVehicleStats: vehicle Ghost has no model\nVehicle.txt, line 6"}, nullptr},
      {"vehicle of an unknown base", "Vehicle.txt",
       [](const StatsFolder& f) {
         return Append(f, "Vehicle.txt", Row("Vehicle.txt", "Tank", {{"model", "Tank01"}, {"base", "BaseTank"}}));
       },
       false, {"loadVehicleStats: Invalid base stat BaseTank for Vehicle Tank\nVehicle.txt, line 6"}, nullptr},
      {"30 weapon slots become 25", "Vehicle.txt",
       [](const StatsFolder& f) {
         return Append(f, "Vehicle.txt", Row("Vehicle.txt", "Tank", {{"model", "Tank01"}, {"base", "BaseJeep"},
                                                                     {"weaponSlots", "30"}}));
       },
       true, {"loadVehicleStats: weapon slot count 30 of vehicle Tank is more than 25; 25 are used\nVehicle.txt, line 6"},
       [] { EXPECT_EQ(static_cast<const VehicleStats*>(FindStats("Tank", STATS_MACHINE))->WeaponSlotCount, 25); }},
      {"soldier of an unknown base", "Units.txt",
       [](const StatsFolder& f) {
         return Append(f, "Units.txt", Row("Units.txt", "Ghost", {{"characterType", "SOLDIER"}, {"base", "BaseGhost"},
                                                                  {"experienceLevel", "Green"}}));
       },
       false, {"loadHumanStats: Invalid base stat BaseGhost for Human Ghost\nUnits.txt, line 7"}, nullptr},
      {"soldier of an unknown experience level", "Units.txt",
       [](const StatsFolder& f) {
         return Append(f, "Units.txt", Row("Units.txt", "Ghost", {{"characterType", "SOLDIER"}, {"base", "BaseSoldier"},
                                                                  {"experienceLevel", "green"}}));
       },
       false, {"loadHumanStats:Invalid Experience Level green\nUnits.txt, line 7"}, nullptr},
      {"40 item slots become 25", "Units.txt",
       [](const StatsFolder& f) {
         return Append(f, "Units.txt", Row("Units.txt", "Porter", {{"characterType", "CIVILIAN"}, {"base", "BaseSoldier"},
                                                                   {"experienceLevel", "Green"}, {"itemSlots", "40"}}));
       },
       true, {"loadHumanStats: item slot count 40 of Human Porter is more than 25; 25 are used\nUnits.txt, line 7"},
       [] { EXPECT_EQ(Human("Porter")->ItemSlotCount, 25); }},
      {"a kind with no item slots takes no item", "Units.txt",
       [guard](const StatsFolder& f) { return Append(f, "Units.txt", guard); }, true, {}, nullptr},
      {"skill level 7 loads as 0", "HSkills.txt",
       [](const StatsFolder& f) {
         return Append(f, "HSkills.txt", Row("HSkills.txt", "EnemyGuard", {{"skill", "STEALTH"}, {"level", "7"}}));
       },
       true, {"loadHumanSkills:Invalid Skill level for EnemyGuard\nHSkills.txt, line 7"},
       [] {
         EXPECT_EQ(Human("EnemyGuard")->SkillLevels[7], 0);
         EXPECT_NE(Human("EnemyGuard")->SkillMask & 128u, 0u);
       }},
      {"forward observer is skill 10", "HSkills.txt",
       [](const StatsFolder& f) {
         return Append(f, "HSkills.txt",
                       Row("HSkills.txt", "EnemyGuard", {{"skill", "FORWARD OBSERVER"}, {"level", "4"}}));
       },
       true, {}, [] { EXPECT_EQ(Human("EnemyGuard")->SkillLevels[10], 4); }},
      {"unknown skill", "HSkills.txt",
       [](const StatsFolder& f) {
         return Append(f, "HSkills.txt", Row("HSkills.txt", "EnemyGuard", {{"skill", "JUGGLING"}}));
       },
       false, {"loadHumanSkills:Invalid Skill JUGGLING\nHSkills.txt, line 7"}, nullptr},
      {"skills of an unknown kind", "HSkills.txt",
       [](const StatsFolder& f) {
         return Append(f, "HSkills.txt", Row("HSkills.txt", "Nobody", {{"skill", "MEDIC"}}));
       },
       false, {"loadHumanSkills:Invalid Human Stat Nobody\nHSkills.txt, line 7"}, nullptr},
      {"a role without a kind", "Units.txt",
       [](const StatsFolder& f) {
         std::string text = f.Text("Units.txt");
         const auto at = text.find("HEAVY WEAPONS");
         return text.replace(at, 13, "-1");
       },
       false, {"loadHumanSkills:Invalid US Skin Type 2"}, nullptr},
      {"unknown experience level name", "ExMods.txt",
       [](const StatsFolder& f) { return Append(f, "ExMods.txt", Row("ExMods.txt", "Legend")); }, false,
       {"loadExperienceModifiers:Invalid Experience Level Legend\nExMods.txt, line 16"}, nullptr},
      {"binoculars of zoom 0 to 0", "Inven.txt",
       [](const StatsFolder& f) {
         return Append(f, "Inven.txt", Row("Inven.txt", "Binos", {{"type", "BINOCULARS"}, {"model", "Binos01"}}));
       },
       true,
       {"loadInventoryStats:invalid maxFOV(roundsPerPack) 0 for item Binos\nInven.txt, line 10",
        "loadInventoryStats:invalid minFOV(damage) 0 for item Binos\nInven.txt, line 10"},
       [] {
         const auto* b = static_cast<const InventoryStats*>(FindStats("Binos", STATS_BINOCULARS));
         EXPECT_EQ(b->roundsPerPack, 70);
         EXPECT_EQ(b->damage, 1);
       }},
      {"an inverted binocular zoom is reset", "Inven.txt",
       [](const StatsFolder& f) {
         return Append(f, "Inven.txt", Row("Inven.txt", "Laser", {{"type", "LASER DESIGNATOR"}, {"model", "Laser01"},
                                                                  {"roundsPerPack", "10"}, {"damage", "20"}}));
       },
       true,
       {"loadInventoryStats:minFOV(damage) is greater \t\t\t\t\tthan maxFOV (roundsPerPack) for item Laser\n"
        "Inven.txt, line 10"},
       [] {
         const auto* b = static_cast<const InventoryStats*>(FindStats("Laser", STATS_LASER_DESIGNATOR));
         EXPECT_EQ(b->roundsPerPack, 70);
         EXPECT_EQ(b->damage, 1);
       }},
      {"ammunition of a missing weapon", "Inven.txt",
       [](const StatsFolder& f) {
         return Append(f, "Inven.txt", Row("Inven.txt", "MGAmmo", {{"type", "AMMO"}, {"model", "Belt01"},
                                                                   {"weapon", "MachineGun"}}));
       },
       false, {"loadInventoryStats: Unable to find weapon for ammo item MGAmmo\nInven.txt, line 10"}, nullptr},
      {"invalid item type", "Inven.txt",
       [](const StatsFolder& f) {
         return Append(f, "Inven.txt", Row("Inven.txt", "Thing", {{"type", "GADGET"}, {"model", "Thing01"}}));
       },
       false, {"Invalid item type for record Thing\nInven.txt, line 10"}, nullptr},
      {"300 rounds a pack", "Inven.txt",
       [](const StatsFolder& f) {
         return Append(f, "Inven.txt", Row("Inven.txt", "Box", {{"type", "AMMO"}, {"model", "Box01"},
                                                                {"roundsPerPack", "300"}}));
       },
       false, {"loadInventoryStats: roundsPerPack is outside of limits for item Box\nInven.txt, line 10"}, nullptr},
      {"door without a sound", "Doors.txt", [](const StatsFolder& f) { return f.Text("Doors.txt"); }, true, {},
       [] {
         EXPECT_STREQ(static_cast<const DoorStats*>(FindStats("Gate", STATS_DOOR))->SoundBank, "");
         EXPECT_STREQ(static_cast<const DoorStats*>(FindStats("CellDoor", STATS_DOOR))->SoundBank, "CellDoor.sbk");
       }},
      {"structure of unknown object stats", "Structs.txt",
       [](const StatsFolder& f) {
         return Append(f, "Structs.txt", Row("Structs.txt", "Hut", {{"model", "Hut01"}, {"objectStats", "HutDamage"}}));
       },
       false, {"Invalid Object Stat HutDamage for Structure Hut\nStructs.txt, line 3"}, nullptr},
      {"invalid feature type", "Feats.txt",
       [](const StatsFolder& f) {
         return Append(f, "Feats.txt", Row("Feats.txt", "Bush", {{"model", "Bush01"}, {"objectStats", "CrateDamage"},
                                                                 {"featureType", "SHRUB"}}));
       },
       false, {"Invalid Feature type for record Bush\nFeats.txt, line 5"}, nullptr},
      {"target without a model", "Targets.txt", [](const StatsFolder&) { return Row("Targets.txt", "Board"); },
       false, {"Target Stats: Board has no model\nTargets.txt, line 1"}, nullptr},
      {"three multiplayer characters", "MPSkins.txt",
       [](const StatsFolder& f) {
         const std::string t = f.Text("MPSkins.txt");
         return t.substr(0, t.rfind('\n', t.size() - 2) + 1);
       },
       false, {"loadMPCharStats: Too many MP Character records"}, nullptr},
      {"five multiplayer characters", "MPSkins.txt",
       [](const StatsFolder& f) { return Append(f, "MPSkins.txt", Row("MPSkins.txt", "SNIPER")); }, false,
       {"loadMPCharStats: Too many MP Character records"}, nullptr},
      {"a role named twice keeps the later text", "MPSkins.txt",
       [](const StatsFolder&) {
         return Row("MPSkins.txt", "SNIPER", {{"text", "First"}}) + Row("MPSkins.txt", "SNIPER", {{"text", "Later"}}) +
                Row("MPSkins.txt", "RIFLEMAN", {{"text", "R"}}) + Row("MPSkins.txt", "HEAVY WEAPONS", {{"text", "H"}});
       },
       true, {}, [] { EXPECT_STREQ(FindMPCharStats(ROLE_SNIPER)->Text, "Later"); }},
      {"an invalid multiplayer role", "MPSkins.txt",
       [](const StatsFolder& f) {
         std::string t = f.Text("MPSkins.txt");
         return t.replace(0, 8, "MEDIC");
       },
       false, {"loadMPCharStats - Invalid skin Type\nMPSkins.txt, line 1"}, nullptr},
      {"multiplayer item of an unknown nationality fills the SAS slots", "MPSkinItems.txt",
       [](const StatsFolder&) {
         return Row("MPSkinItems.txt", "SNIPER", {{"item", "Sniper"}, {"type", "WEAPON"}, {"nationality", "FRENCH"},
                                                  {"quantity", "1"}}) +
                Row("MPSkinItems.txt", "SNIPER", {{"item", "Medikit"}, {"type", "MEDI KIT"}, {"nationality", "US"},
                                                  {"quantity", "3"}});
       },
       true, {},
       [] {
         const MPCharStats* c = FindMPCharStats(ROLE_SNIPER);
         EXPECT_EQ(c->Items[NATIONALITY_SAS][0], FindStats("Sniper", STATS_WEAPON));
         EXPECT_EQ(c->Items[NATIONALITY_US][0], FindStats("Medikit", STATS_MEDI_KIT));
         EXPECT_EQ(c->Counts[NATIONALITY_US][0], 3);
       }},
      {"multiplayer item of an invalid type", "MPSkinItems.txt",
       [](const StatsFolder&) { return Row("MPSkinItems.txt", "SNIPER", {{"item", "Sniper"}, {"type", "GUN"}}); },
       false, {"loadMPCharItems:Invalid unit type\nMPSkinItems.txt, line 1"}, nullptr},
      {"unknown multiplayer item", "MPSkinItems.txt",
       [](const StatsFolder&) {
         return Row("MPSkinItems.txt", "SNIPER", {{"item", "Sniper"}, {"type", "MEDI KIT"}});
       },
       false, {"loadMPCharItems:Invalid Item Stat Sniper\nMPSkinItems.txt, line 1"}, nullptr},
      {"26 multiplayer items", "MPSkinItems.txt",
       [](const StatsFolder&) {
         std::string t;
         for (int i = 0; i < 26; ++i) t += Row("MPSkinItems.txt", "RIFLEMAN", {{"item", "Rifle"}, {"type", "WEAPON"}});
         return t;
       },
       false, {"loadMPCharItems:Trying to allocate too many Items for SkinType RIFLEMAN\nMPSkinItems.txt, line 26"},
       nullptr},
      {"a seventh connector object", "ConnObjs.txt",
       [](const StatsFolder&) {
         std::string t;
         for (int i = 0; i < 7; ++i)
           t += Row("ConnObjs.txt", "SNIPER", {{"connector", "C" + std::to_string(i)}, {"object", "Hat"},
                                               {"nationality", "US"}});
         return t;
       },
       false, {"loadConnectorObjectsStats: Not enough space\t\t\t\tallocated for Connectors\nConnObjs.txt, line 7"},
       nullptr},
      {"connector objects by nationality and role", "ConnObjs.txt",
       [](const StatsFolder&) {
         return Row("ConnObjs.txt", "SNIPER", {{"connector", "BIP01 HAT CONNECTOR"}, {"object", "US_HELMET"},
                                               {"nationality", "US"}}) +
                Row("ConnObjs.txt", "RIFLEMAN", {{"connector", "BIP01 FACE CONNECTOR"}, {"object", "Goggles"},
                                                 {"nationality", "DUTCH"}});
       },
       true, {},
       [] {
         const ConnectorObjectStats* us = ConnectorObjects(NATIONALITY_US, ROLE_SNIPER);
         EXPECT_EQ(us[0].ConnectorHash, HashString("BIP01 HAT CONNECTOR"));
         EXPECT_STREQ(us[0].Object, "US_HELMET");
         EXPECT_EQ(us[1].ConnectorHash, 0u);
         EXPECT_STREQ(ConnectorObjects(NATIONALITY_SAS, ROLE_RIFLEMAN)[0].Object, "Goggles");
       }},
      {"a connector of an invalid role", "ConnObjs.txt",
       [](const StatsFolder&) { return Row("ConnObjs.txt", "PILOT", {{"connector", "C"}, {"object", "Hat"}}); },
       false, {"loadConnectorObjectsStats: Invalid role PILOT for connector C\nConnObjs.txt, line 1"}, nullptr},
      {"skins by name, nationality and role", "CSkins_US_S.txt",
       [](const StatsFolder&) {
         return Row("CSkins_US_S.txt", "Desert", {{"texture", "US_Desert"}, {"texture2", "US_Desert_Head"},
                                                  {"firstName", "Alan"}}) +
                Row("CSkins_US_S.txt", "Woodland", {{"texture", "US_Wood"}, {"surname", "Carter"}});
       },
       true, {},
       [] {
         const CharSkinStats* desert = FindCharSkin(HashString("Desert"), NATIONALITY_US, ROLE_SNIPER);
         ASSERT_NE(desert, nullptr);
         EXPECT_STREQ(desert->Texture, "US_Desert");
         EXPECT_STREQ(desert->FirstName->Name, "Alan");
         EXPECT_EQ(desert->Surname, nullptr);
         const CharSkinStats* wood = FindCharSkin(HashString("Woodland"), NATIONALITY_US, ROLE_SNIPER);
         ASSERT_NE(wood, nullptr);
         EXPECT_EQ(wood->FirstName, nullptr);
         EXPECT_STREQ(wood->Surname->Name, "Carter");
         EXPECT_EQ(FindCharSkin(HashString("Desert"), NATIONALITY_SAS, ROLE_SNIPER), nullptr);
         EXPECT_EQ(FindCharSkin(HashString("Desert"), NATIONALITY_US, ROLE_NONE), nullptr);
         EXPECT_EQ(FindCharSkin(0, NATIONALITY_US, ROLE_SNIPER), nullptr);
       }},
      {"interface ids in line order", "intIDs.txt",
       [](const StatsFolder&) {
         return Row("intIDs.txt", "IMAGE_KEY2") + Row("intIDs.txt", "IMAGE_NOTHING") + Row("intIDs.txt", "IMAGE_NSV");
       },
       true, {"Warning - unable to find interface ID IMAGE_NOTHING"},
       [] {
         ASSERT_EQ(InterfaceIdTable().Count, 3);
         EXPECT_EQ(InterfaceIdTable().Records[0], 40);
         EXPECT_EQ(InterfaceIdTable().Records[1], 0xFFFF);
         EXPECT_EQ(InterfaceIdTable().Records[2], 55);
       }},
      {"vehicle weapons", "VehWpns.txt",
       [](const StatsFolder&) {
         return Row("VehWpns.txt", "DemoJeep", {{"item", "Rifle"}, {"type", "WEAPON"}, {"quantity", "200"}});
       },
       true, {},
       [] {
         const auto* jeep = static_cast<const VehicleStats*>(FindStats("DemoJeep", STATS_MACHINE));
         ASSERT_NE(jeep, nullptr);
         EXPECT_EQ(jeep->Weapons[0], FindStats("Rifle", STATS_WEAPON));
         EXPECT_EQ(jeep->WeaponCounts[0], 200);
       }},
      {"more vehicle weapons than slots", "VehWpns.txt",
       [](const StatsFolder&) {
         return Row("VehWpns.txt", "DemoJeep", {{"item", "Rifle"}, {"type", "WEAPON"}}) +
                Row("VehWpns.txt", "DemoJeep", {{"item", "LAW"}, {"type", "WEAPON"}});
       },
       false, {"loadUnitItems:Trying to allocate too many Weapons for Vehicle DemoJeep\nVehWpns.txt, line 2"}, nullptr},
      {"a vehicle given an item", "VehWpns.txt",
       [](const StatsFolder&) { return Row("VehWpns.txt", "DemoJeep", {{"item", "Medikit"}, {"type", "MEDI KIT"}}); },
       false, {"loadUnitItems:Trying to assign non-weapon to vehicle DemoJeep\nVehWpns.txt, line 1"}, nullptr},
      {"items of an unknown soldier kind", "UnitWpns.txt",
       [](const StatsFolder&) { return Row("UnitWpns.txt", "Nobody", {{"item", "Rifle"}, {"type", "WEAPON"}}); },
       false, {"loadUnitItems:Invalid Human Stat Nobody\nUnitWpns.txt, line 1"}, nullptr},
      {"items of an invalid type", "UnitWpns.txt",
       [](const StatsFolder&) { return Row("UnitWpns.txt", "EnemyGuard", {{"item", "Rifle"}, {"type", "GUN"}}); },
       false, {"loadUnitItems:Invalid unit type\nUnitWpns.txt, line 1"}, nullptr},
      {"a weapon named as an item", "UnitWpns.txt",
       [](const StatsFolder&) { return Row("UnitWpns.txt", "EnemyGuard", {{"item", "Rifle"}, {"type", "AMMO"}}); },
       false, {"loadUnitItems:Invalid Item Stat Rifle\nUnitWpns.txt, line 1"}, nullptr},
      {"more items than slots", "UnitWpns.txt",
       [](const StatsFolder&) {
         std::string t;
         for (int i = 0; i < 5; ++i) t += Row("UnitWpns.txt", "EnemyGuard", {{"item", "Rifle"}, {"type", "WEAPON"}});
         return t;
       },
       false, {"loadUnitItems:Trying to allocate too many Items for Human EnemyGuard\nUnitWpns.txt, line 5"}, nullptr},
  };
}

TEST(StatsTables, EachCaseLoadsOrFailsWithItsExactMessages) {
  for (const TableCase& c : Cases()) {
    SCOPED_TRACE(c.label);
    FreeStatsAfter free;
    StatsFolder folder;
    folder.Write(c.file, c.text(folder));
    BoxRecorder boxes;
    EXPECT_EQ(folder.Load(), c.loads);
    EXPECT_EQ(boxes.texts, c.boxes);
    if (c.loads && c.check) c.check();
  }
}

TEST(StatsTables, AKindWithoutItemSlotsFailsAtItsFirstItem) {
  FreeStatsAfter free;
  StatsFolder folder;
  folder.Write("Units.txt", folder.Text("Units.txt") +
                                Row("Units.txt", "Slotless", {{"characterType", "SOLDIER"}, {"base", "BaseSoldier"},
                                                              {"experienceLevel", "Green"}, {"itemSlots", "0"}}));
  folder.Write("UnitWpns.txt", Row("UnitWpns.txt", "Slotless", {{"item", "Knife"}, {"type", "WEAPON"}}));
  BoxRecorder boxes;
  EXPECT_FALSE(folder.Load());
  EXPECT_EQ(boxes.texts,
            std::vector<std::string>{"loadUnitItems:Trying to allocate too many Items for Human Slotless\n"
                                     "UnitWpns.txt, line 1"});
}

TEST(StatsTables, AMissingFileSkipsOnlyItsTable) {
  FreeStatsAfter free;
  StatsFolder folder;
  folder.Remove("Doors.txt");
  BoxRecorder boxes;
  EXPECT_TRUE(folder.Load());
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Couldn't open Doors.txt"});
  EXPECT_EQ(DoorStatsTable().Count, 0);
  EXPECT_EQ(FindStats("Gate", STATS_DOOR), nullptr);
  EXPECT_NE(FindStats("Lever", STATS_SWITCH), nullptr);  // the tables after it loaded
  EXPECT_NE(FindMPCharStats(ROLE_SNIPER), nullptr);
}

TEST(StatsTables, AFailingLoaderStopsTheLoadAndFreeAllStatsFreesWhatWasLoaded) {
  FreeStatsAfter free;
  StatsFolder folder;
  folder.Write("Vehicle.txt", Row("Vehicle.txt", "Ghost", {{"base", "BaseJeep"}}));
  BoxRecorder boxes;
  EXPECT_FALSE(folder.Load());
  EXPECT_GT(WeaponStatsTable().Count, 0);   // loaded before
  EXPECT_GT(HumanStatsTable().Count, 0);
  EXPECT_EQ(ObjectStatsTable().Count, 0);   // after: never read
  EXPECT_EQ(SwitchStatsCount(), 0);
  FreeAllStats();
  EXPECT_EQ(WeaponStatsTable().Count, 0);
  EXPECT_EQ(VehicleStatsTable().Count, 0);
}

// A first line for each table that is empty in the description.
std::string FirstRow(const StatsFolder& folder, const std::string& file) {
  const std::string text = folder.Text(file);
  if (!text.empty()) return text.substr(0, text.find('\n') + 1);
  if (file == "Targets.txt") return Row(file, "Board", {{"model", "Board01"}});
  if (file == "intIDs.txt") return Row(file, "IMAGE_KEY1");
  if (file == "ConnObjs.txt") return Row(file, "SNIPER", {{"connector", "C"}, {"object", "Hat"}});
  if (file == "VehWpns.txt") return Row(file, "DemoJeep", {{"item", "Rifle"}, {"type", "WEAPON"}});
  if (file == "MPSkinItems.txt") return Row(file, "SNIPER", {{"item", "Rifle"}, {"type", "WEAPON"}});
  return Row(file, "Skin", {{"texture", "T"}, {"texture2", "U"}});  // a skin table
}

TEST(StatsTables, DamagedRowsOfEveryTableAreRefusedWithFileAndLine) {
  struct Damage {
    const char* label;
    std::function<std::string(const std::string& row)> apply;  // row ends with its line feed
  } damages[] = {
      {"over-long first text", [](const std::string& row) { return std::string(70, 'Z') + row.substr(row.find(',')); }},
      {"NUL byte", [](const std::string& row) { return row.substr(0, 2) + std::string(1, '\0') + row.substr(2); }},
      {"only commas", [](const std::string& row) {
         std::string commas;
         for (char ch : row) commas += ch == ',' ? "," : "";
         return commas + "\n";
       }},
      {"cut after the first column", [](const std::string& row) { return row.substr(0, row.find(',')) + "\n"; }},
  };
  for (int i = 0; i < kStatsFileCount; ++i) {
    const std::string file = StatsFileName(i);
    if (file == "Switches.txt") continue;  // the world library leaves damaged switch lines out
    for (const Damage& d : damages) {
      SCOPED_TRACE(file + ": " + d.label);
      FreeStatsAfter free;
      StatsFolder folder;
      const std::string row = FirstRow(folder, file);
      const std::string rest = folder.Text(file).substr(std::min(row.size(), folder.Text(file).size()));
      folder.Write(file, d.apply(row) + rest);
      BoxRecorder boxes;
      EXPECT_FALSE(folder.Load());
      ASSERT_FALSE(boxes.texts.empty());
      // MPSkins.txt counts its lines before reading any.
      const std::string where = file + ", line 1";
      bool named = false;
      for (const std::string& t : boxes.texts) named = named || t.find(where) != std::string::npos;
      EXPECT_TRUE(named) << boxes.Joined();
    }
  }
}

TEST(StatsTables, OutOfRangeNumbersOfNarrowFieldsAreRefused) {
  struct NumberCase {
    const char* file;
    const char* key;
    const char* value;
    std::string box;
  } cases[] = {
      {"HStat.txt", "v5", "65536", "loadBaseHumanStats: column 5 is outside of limits for BaseSoldier"},
      {"HStat.txt", "v9", "-1", "loadBaseHumanStats: column 9 is outside of limits for BaseSoldier"},
      {"HStat.txt", "duration18", "-2", "loadBaseHumanStats: column 18 is outside of limits for BaseSoldier"},
      {"VStat.txt", "v8", "70000", "loadBaseVehicleStats: column 8 is outside of limits for BaseBoat"},
      {"VStat.txt", "crewSize", "-1", "loadBaseVehicleStats: column 12 is outside of limits for BaseBoat"},
      {"Units.txt", "v9", "65536", "loadHumanStats: column 9 is outside of limits for SquadRifleman"},
      {"Units.txt", "itemSlots", "-3", "loadHumanStats: column 14 is outside of limits for SquadRifleman"},
      {"Vehicle.txt", "v6", "-1", "loadVehicleStats: column 6 is outside of limits for DemoBoat"},
      {"Vehicle.txt", "weaponSlots", "-1", "loadVehicleStats: column 26 is outside of limits for DemoBoat"},
      {"Inven.txt", "damage", "65536", "loadInventoryStats: damage is outside of limits for item CellKey"},
      {"Inven.txt", "roundsPerPack", "-1", "loadInventoryStats: roundsPerPack is outside of limits for item CellKey"},
      {"Inven.txt", "flag12", "256", "loadInventoryStats: the flag of column 12 is outside of limits for item CellKey"},
      {"featStat.txt", "v2", "65536", "loadObjectStats: column 2 is outside of limits for DumpDamage"},
      {"Structs.txt", "v7", "-1", "Structure Stats: column 7 is outside of limits for AmmoDump"},
      {"Feats.txt", "byte9", "256", "Feature Stats: column 9 is outside of limits for Bird"},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.key + " " + c.value);
    FreeStatsAfter free;
    StatsFolder folder;
    auto tables = stats_test::RepositoryDescription();
    make_stats::Table& table = tables.at(c.file);
    ASSERT_FALSE(table.records.empty());
    table.records[0].values[c.key] = c.value;
    folder.Write(c.file, make_stats::TableText(table));
    BoxRecorder boxes;
    EXPECT_FALSE(folder.Load());
    EXPECT_EQ(boxes.texts, std::vector<std::string>{c.box + "\n" + c.file + ", line 1"});
  }
}

}  // namespace
