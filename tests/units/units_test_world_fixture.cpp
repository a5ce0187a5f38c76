#include "units/units_test_world.h"

#include <filesystem>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "net/mp_layer.h"
#include "units/base/unit_world.h"
#include "world/effects/explosions.h"
#include "platform/win32/message_box.h"
#include "shell/mission/mission.h"
#include "shell/stats/stats_tables.h"
#include "sound/sound_manager.h"
#include "units/base/state_rule_tables.h"
#include "units/base/unit_events.h"
#include "units/factory/hlo_factory.h"
#include "units/soldier/grunt.h"
#include "world/engine.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_world.h"

#ifndef UNITS_DATA_DIR
#define UNITS_DATA_DIR "data/"
#endif

std::vector<RaisedEvent> UnitsTestWorld::events_;
std::vector<std::pair<std::uint32_t, std::uint32_t>> UnitsTestWorld::answers_;

namespace {

std::vector<std::string>* g_worldBoxes = nullptr;
int CaptureWorldBox(HWND, const char* text, const char* caption, UINT, void*) {
  if (g_worldBoxes != nullptr) g_worldBoxes->push_back(std::string(caption != nullptr ? caption : "") + ": " + (text ? text : ""));
  return IDOK;
}

void Record(std::uint32_t code, std::uint32_t* block, int words) {
  RaisedEvent e{code, block[0], {}};
  e.words.assign(block, block + words);
  UnitsTestWorld::events_.push_back(e);
  for (const auto& [asked, answer] : UnitsTestWorld::answers_)
    if (asked == code && words >= 3) block[2] = answer;
}

std::string DataFolder() {
  const std::string data = UNITS_DATA_DIR;
  return data.substr(0, data.size() - 1);
}

// The tools' data folder as the search folder of the files the units read
// by name (rule files, animations), wherever the test runs.
void SearchDataFolder() {
  static std::string folder;
  folder = DataFolder();
  static const char* folders[2];
  folders[0] = folder.c_str();
  folders[1] = nullptr;
  SetWorkDirectory();
  SetSearchFolders(folders);
}

}  // namespace

void UnitsTestWorld::SetUp() {
  g_worldBoxes = &boxes_;
  SetMessageBoxEcho(false);
  SetMessageBoxHook(CaptureWorldBox, nullptr);
  g_GameClock = &clock_;
  SetTime(1000);
  // No world for the objects' visuals, whatever a test before left installed.
  savedWorld_ = GetHLOWorld();
  SetHLOWorld(nullptr);
  manager_ = new CHLOManager(4, 10);
  g_HLOManager = manager_;
  SetupHLOCallbacks();
  g_HLOLocalSide = 0;
  ResetSideHostility();
  sound_ = new CSoundManager;
  g_SoundManager = sound_;
  sound_->SetPlayLog(true);
  g_Mission = new CMission;
  events_.clear();
  answers_.clear();
}

void UnitsTestWorld::TearDown() {
  MPSetTestRole(0);
  SetPlayerDamageSwitch(1);
  SetUnitEventHandler(nullptr);
  manager_->ClearAll();
  delete manager_;
  g_HLOManager = nullptr;
  delete g_Mission;
  g_Mission = nullptr;
  g_SoundManager = nullptr;
  delete sound_;
  FreeStateRuleTables();
  FreeAllStats();
  if (catalogStarted_) CatalogShutdown();
  catalogStarted_ = false;
  g_GameClock = nullptr;
  SetSearchFolders(nullptr);
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
  g_worldBoxes = nullptr;
  SetHLOWorld(savedWorld_);
}

void UnitsTestWorld::SetTime(std::uint32_t ms) {
  CTimer::State s;
  clock_.SaveState(&s);
  s.gameTime = ms;
  s.running = 1;
  clock_.RestoreState(s);
}

bool UnitsTestWorld::LoadStats() {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(DataFolder()).parent_path());
  if (!catalogStarted_) catalogStarted_ = CatalogStartup() == 1;
  const bool ok = LoadAllStats();
  std::filesystem::current_path(before);
  SearchDataFolder();
  return ok;
}

bool UnitsTestWorld::LoadRules() {
  SearchDataFolder();
  return LoadStateRuleTables();
}

HLOSpawnRecord UnitsTestWorld::SoldierRecord(const char* kind, int side, const CVector3& at) {
  HLOSpawnRecord r;
  r.Init();
  std::snprintf(r.statsName, sizeof r.statsName, "%s", kind);
  std::snprintf(r.objectName, sizeof r.objectName, "GruntBoxMan");
  std::snprintf(r.templateName, sizeof r.templateName, "GruntBoxMan");
  r.templateKind = -1;  // the template's own type: an animated figure
  r.statsTable = 1;
  r.side = static_cast<std::uint8_t>(side);
  r.position = at;
  r.objectFlags = HLOF_ACTIVE;
  return r;
}

CHLOGrunt* UnitsTestWorld::MakeSoldier(const char* kind, int side, const CVector3& at) {
  HLOSpawnRecord r = SoldierRecord(kind, side, at);
  return static_cast<CHLOGrunt*>(manager_->CreateObject(r));
}

void UnitsTestWorld::RecordEvents() { SetUnitEventHandler(Record); }

std::vector<std::string> UnitsTestWorld::Boxes() const {
  std::vector<std::string> out;
  for (const std::string& b : boxes_)
    if (b.find("Failed to find HLO ground point") == std::string::npos && b.find("Unable to find model") == std::string::npos &&
        b.find("Unable to find texture") == std::string::npos)
      out.push_back(b);
  return out;
}
