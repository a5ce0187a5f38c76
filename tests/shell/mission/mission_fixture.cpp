#include "mission_fixture.h"

#include <unistd.h>

#include <fstream>
#include <memory>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/text/locale_table.h"
#include "make_strings/string_table.h"
#include "world/objects/hlo_spawn_record.h"

namespace mission_test {

void FakeUnits::ReadSlotState(CHLO* u, MissionSquadSlot* out) {
  const MissionSquadSlot& s = Of(u).state;
  out->valueA = s.valueA;
  out->skin = s.skin;
  out->rank = Of(u).rank;
  out->valueC = s.valueC;
  out->health = Of(u).health;
  for (int i = 0; i < kSquadSkills; ++i) out->skills[i] = s.skills[i];
  for (int i = 0; i < kSquadItems; ++i) out->inventory[i] = s.inventory[i];
  out->selectedItem = s.selectedItem;
}

void FakeUnits::ApplySlotState(CHLO* u, const MissionSquadSlot& slot, bool withHealth) {
  FakeUnit& f = Of(u);
  ++f.applied;
  f.appliedWithHealth = withHealth;
  f.appliedSlot = slot;
  f.rank = slot.rank;
  if (withHealth) f.health = slot.health;
}

void FakeUnits::ReadMissionStatistics(CHLO* u, std::uint32_t out[kMissionStatistics]) {
  for (int i = 0; i < kMissionStatistics; ++i) out[i] = Of(u).statistics[i];
}

void FakeUnits::ApplyMissionScore(CHLO* u, std::uint32_t score, std::uint32_t rankStep) {
  FakeUnit& f = Of(u);
  f.scoreGiven = score;
  f.rankStepGiven = rankStep;
  ++f.scoresGiven;
}

namespace {

void DeleteObject(CHLO* object) { delete object; }

}  // namespace

ObjectWorld::ObjectWorld() { manager.SetDeleteCallback(DeleteObject); }

ObjectWorld::~ObjectWorld() { manager.ClearAll(); }

CHLO* ObjectWorld::Add(int kind, int side, int id, bool active) {
  auto record = std::make_unique<HLOSpawnRecord>();
  record->kind = kind;
  record->side = static_cast<std::uint8_t>(side);
  record->id = id;
  record->objectFlags = active ? HLOF_ACTIVE : 0u;
  CHLO* object = new CHLO(*record, nullptr);
  object->Kind = kind;
  manager.InsertObject(object);
  return object;
}

ScratchFolder::ScratchFolder(const std::string& name) {
  folder_ = std::filesystem::temp_directory_path() /
            ("halberd_mission_" + std::to_string(getpid()) + "_" + name);
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
  SetCatalogMode(0);
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  SetSearchEnabled(1);
  CatalogStartup();
}

ScratchFolder::~ScratchFolder() {
  CloseCatalog();
  CatalogShutdown();
  SetCatalogMode(0);
  std::filesystem::current_path(previous_);
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

void ScratchFolder::Touch(const std::string& file) const { std::ofstream(folder_ / file) << "x"; }

TestStrings::TestStrings(const std::vector<std::pair<std::uint32_t, std::string>>& strings) {
  std::vector<SourceString> source;
  for (const auto& [id, text] : strings) source.push_back({id, "S" + std::to_string(id), text});
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!WriteLocBytes(source, kGameStringSetValue, &bytes, &error)) return;
  const std::string file = "MissionTest" + std::to_string(getpid()) + ".loc";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  g_Locale = MEM_NEW(MEMCAT_GAME) CLocale;
  g_Locale->Load(file.c_str());
  std::filesystem::remove(file);
}

TestStrings::~TestStrings() {
  MEM_DELETE g_Locale;
  g_Locale = nullptr;
}

MissionSquadSlot PatternSlot(std::uint32_t seed) {
  MissionSquadSlot s;
  s.templateId = seed * 1000 + 1;
  s.valueA = seed * 1000 + 2;
  s.skin = seed * 1000 + 3;
  s.rank = seed * 1000 + 4;
  s.valueC = seed * 1000 + 5;
  s.health = static_cast<float>(seed) + 0.5f;
  for (int i = 0; i < kSquadSkills; ++i) s.skills[i] = static_cast<std::uint8_t>(seed * 16 + i);
  for (int i = 0; i < kSquadItems; ++i) {
    MissionInventoryEntry& e = s.inventory[i];
    e.nameHash = seed * 100000 + i * 10 + 1;
    e.quantity = seed * 100000 + i * 10 + 2;
    e.flags = seed * 100000 + i * 10 + 3;
    for (int w = 0; w < kItemWeaponWords; ++w) e.weaponWords[w] = seed * 100000 + i * 10 + 4 + w;
  }
  s.selectedItem = static_cast<std::int32_t>(seed % kSquadItems);
  for (int i = 0; i < kSlotStatistics; ++i) s.statistics[i] = seed * 50 + i;
  s.missionsSurvived = static_cast<std::uint8_t>(seed + 7);
  return s;
}

}  // namespace mission_test
